#include "DownloadFixture.h"
#include "download/WinDownloader.h"

TEST(WinDownloaderUrl, EncodesAllButFileUrls)
{
    struct Case {
        const wchar_t* url;
        const wchar_t* text;
    } cases[] = {
        {L"http://h/a b/ü.exe", L"http://h/a+b/%C3%BC.exe"},
        {L"http://h/already%20encoded?x=1&y=~", L"http://h/already%20encoded?x=1&y=~"},
        {L"http://h/\t\x7f", L"http://h/%09%7F"},
        {L"file:///C:/a b/ü.exe", L"file:///C:/a b/ü.exe"},
        {L"FILE:///C:/a b", L"FILE:///C:/a+b"},
    };
    for (const Case& c : cases) EXPECT_EQ(CWinDownloader::DownloadUrlText(c.url), c.text) << c.url;
}

class WinDownloaderTest : public DownloadTest {};

TEST_F(WinDownloaderTest, DownloadsOverHttpAndFileUrls)
{
    std::string name = ServedFile(2 * 1048576);
    std::wstring local = ServedPath(name);
    std::wstring fileUrl = L"file:///" + local;
    for (wchar_t& ch : fileUrl)
        if (ch == L'\\') ch = L'/';
    for (const std::wstring& url : {s_Server->FileUrl(name), fileUrl}) {
        SCOPED_TRACE(std::string(url.begin(), url.end()));
        std::wstring destination = Destination();
        EventRecorder events;
        {
            CWinDownloader downloader(events.Callback(), url, destination);
            downloader.Start();
            ASSERT_TRUE(events.WaitTerminals(1));
        }
        EXPECT_EQ(events.Codes(), (std::vector<int32_t>{DL_CODE_START, DL_CODE_SUCCESS}));
        EXPECT_EQ(events.Terminal(0).text, L"URLDownloadToFile");
        EXPECT_TRUE(SameContent(destination, local));
        for (double p : events.ProgressValues()) EXPECT_TRUE(p >= 0.0 && p <= 1.0) << p;
    }
}

// Three failed attempts, one second apart, end in FAIL with the (negative) HRESULT.
TEST_F(WinDownloaderTest, ThreeFailuresThenFail)
{
    std::wstring destination = Destination();
    EventRecorder events;
    {
        CWinDownloader downloader(events.Callback(), L"file:///Z:/no/such/folder/pkg.exe",
                                  destination);
        downloader.Start();
        ASSERT_TRUE(events.WaitTerminals(1, 60000));
    }
    EXPECT_EQ(events.Codes(), (std::vector<int32_t>{DL_CODE_START, DL_CODE_FAIL}));
    EXPECT_LT(events.Terminal(0).value, 0.0);
    EXPECT_EQ(events.Terminal(0).text, L"URLDownloadToFile");
    EXPECT_FALSE(FileExists(destination));
}

// A downloader destroyed before it was ever started ends its suspended worker quietly.
TEST_F(WinDownloaderTest, DestroyedUnstarted)
{
    EventRecorder events;
    {
        CWinDownloader downloader(events.Callback(), s_Server->Url("/x"), Destination());
    }
    EXPECT_TRUE(events.Events().empty());
}
