#include "DownloadFixture.h"
#include "core/InstallerConfig.h"
#include "download/MTCurlDownloader.h"

#include <windows.h>

#include <algorithm>

namespace {

const int64_t MiB = 1048576;

std::vector<std::string> GetRanges(const std::vector<TestServer::Request>& requests)
{
    std::vector<std::string> ranges;
    for (const auto& r : requests)
        if (r.method == "GET") ranges.push_back(r.range);
    std::sort(ranges.begin(), ranges.end());
    return ranges;
}

} // namespace

class MTCurlDownloaderTest : public DownloadTest {
protected:
    // Runs one downloader to `terminals` terminal events, restarting it from inside its
    // own RETRY callback as the orchestrator does.
    void Run(CMTCurlDownloader& downloader, EventRecorder& events, size_t terminals)
    {
        downloader.Start();
        ASSERT_TRUE(events.WaitTerminals(terminals));
    }
};

// The split into ranges as the server sees it: one range below 20 MiB, two above, the
// second one byte longer for an odd length. Parts are joined and removed.
TEST_F(MTCurlDownloaderTest, SplitsIntoRanges)
{
    struct Case {
        int64_t size;
        std::vector<std::string> ranges;
    } cases[] = {
        {15 * MiB, {"bytes=0-15728639"}},
        {25 * MiB, {"bytes=0-13107199", "bytes=13107200-26214399"}},
        {20971521, {"bytes=0-10485759", "bytes=10485760-20971520"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        ASSERT_TRUE(s_Server->Reset());
        std::string name = ServedFile(c.size);
        std::wstring destination = Destination();
        EventRecorder events;
        {
            CMTCurlDownloader downloader(events.Callback(), s_Server->FileUrl(name), destination);
            Run(downloader, events, 1);
        }
        EXPECT_EQ(events.Codes(), (std::vector<int32_t>{DL_CODE_START, DL_CODE_SUCCESS}));
        EXPECT_EQ(events.Terminal(0).text, L"LibCurl");
        EXPECT_EQ(GetRanges(s_Server->Requests()), c.ranges);
        EXPECT_TRUE(SameContent(destination, ServedPath(name)));
        EXPECT_FALSE(FileExists(destination + L"_0"));
        EXPECT_FALSE(FileExists(destination + L"_1"));
        std::vector<double> progress = events.ProgressValues();
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        for (double p : progress) EXPECT_TRUE(p > 0.0 && p <= 1.0) << p;
    }
}

// A run whose range 0 fails keeps the part files once progress was reported; the restart
// after RETRY finds part "_1" complete and fetches range 0 only.
TEST_F(MTCurlDownloaderTest, CompletePartIsNotFetchedAgain)
{
    std::string name = ServedFile(25 * MiB);
    ASSERT_TRUE(s_Server->SetFaults(
        R"([{"method": "GET", "range_prefix": "bytes=0-", "status": 404}])"));
    std::wstring destination = Destination();
    EventRecorder events;
    bool partKept = false;
    {
        CMTCurlDownloader downloader(events.Callback(), s_Server->FileUrl(name), destination);
        events.m_OnEvent = [&](const RecordedEvent& e) {
            if (e.code != DL_CODE_RETRY) return;
            partKept = SizeOf(destination + L"_1") == 13107200;
            s_Server->SetFaults("[]");
            downloader.Start();
        };
        Run(downloader, events, 2);
    }
    EXPECT_TRUE(partKept);
    EXPECT_EQ(events.Codes(),
              (std::vector<int32_t>{DL_CODE_START, DL_CODE_RETRY, DL_CODE_START, DL_CODE_SUCCESS}));
    std::vector<std::string> ranges = GetRanges(s_Server->Requests());
    EXPECT_EQ(std::count(ranges.begin(), ranges.end(), "bytes=13107200-26214399"), 1);
    EXPECT_EQ(ranges.back(), "bytes=13107200-26214399");
    EXPECT_TRUE(SameContent(destination, ServedPath(name)));
}

// A server that ignores Range answers 200 with the whole file. Its bytes are right only
// for a single range covering the file; for two ranges they would corrupt part 1, so the
// ranges fail: one retry, then FAIL, and no destination file.
TEST_F(MTCurlDownloaderTest, ServerIgnoringRanges)
{
    struct Case {
        int64_t size;
        std::vector<int32_t> codes;
    } cases[] = {
        {15 * MiB, {DL_CODE_START, DL_CODE_SUCCESS}},
        {25 * MiB, {DL_CODE_START, DL_CODE_RETRY, DL_CODE_START, DL_CODE_FAIL}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        ASSERT_TRUE(s_Server->Reset());
        ASSERT_TRUE(s_Server->SetFaults(R"([{"method": "GET", "ignore_range": true}])"));
        std::string name = ServedFile(c.size);
        std::wstring destination = Destination();
        EventRecorder events;
        {
            CMTCurlDownloader downloader(events.Callback(), s_Server->FileUrl(name), destination);
            events.m_OnEvent = [&](const RecordedEvent& e) {
                if (e.code == DL_CODE_RETRY) downloader.Start();
            };
            Run(downloader, events, c.codes.size() / 2);
        }
        EXPECT_EQ(events.Codes(), c.codes);
        if (c.codes.back() == DL_CODE_SUCCESS) {
            EXPECT_TRUE(SameContent(destination, ServedPath(name)));
        } else {
            EXPECT_EQ(events.Terminal(1).value, 23.0) << "the write was refused";
            EXPECT_FALSE(FileExists(destination));
            EXPECT_FALSE(FileExists(destination + L"_1"));
        }
    }
}

// Failed verification and failed ranges: one RETRY (restart from inside its callback),
// then FAIL; a URL without a digest is accepted with a notice.
TEST_F(MTCurlDownloaderTest, RetryOnceThenFail)
{
    std::string name = ServedFile(3 * MiB);
    struct Case {
        const char* label;
        std::string path;
        const char* faults;
        std::vector<int32_t> codes;
        double value;
        const wchar_t* notice;
    } cases[] = {
        {"digest mismatch", "/software/00000000000000000000000000000000/" + name, "[]",
         {DL_CODE_START, DL_CODE_MD5, DL_CODE_RETRY, DL_CODE_START, DL_CODE_MD5, DL_CODE_FAIL},
         0.0, L"mtcurl文件md5校验失败"},
        {"range answered 404", "/software/" + s_Server->Md5Of(name) + "/" + name,
         R"([{"method": "GET", "status": 404}])",
         {DL_CODE_START, DL_CODE_RETRY, DL_CODE_START, DL_CODE_FAIL}, 22.0, L""},
        {"no digest", "/software/ab/" + name, "[]",
         {DL_CODE_START, DL_CODE_MD5, DL_CODE_SUCCESS}, 0.0, L"mtcurl获取url-md5失败"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(s_Server->Reset());
        ASSERT_TRUE(s_Server->SetFaults(c.faults));
        std::wstring destination = Destination();
        EventRecorder events;
        {
            CMTCurlDownloader downloader(events.Callback(), s_Server->Url(c.path), destination);
            events.m_OnEvent = [&](const RecordedEvent& e) {
                if (e.code == DL_CODE_RETRY) downloader.Start();
            };
            size_t terminals = std::count_if(c.codes.begin(), c.codes.end(), [](int32_t code) {
                return code == DL_CODE_SUCCESS || code == DL_CODE_FAIL || code == DL_CODE_RETRY;
            });
            Run(downloader, events, terminals);
        }
        EXPECT_EQ(events.Codes(), c.codes);
        for (const RecordedEvent& e : events.Events()) {
            if (e.code == DL_CODE_MD5) {
                EXPECT_EQ(e.text, c.notice);
            }
            if (e.code == DL_CODE_RETRY || e.code == DL_CODE_FAIL) {
                EXPECT_EQ(e.value, c.value);
                EXPECT_EQ(e.text, L"LibCurl");
            }
        }
        EXPECT_EQ(FileExists(destination), c.codes.back() == DL_CODE_SUCCESS);
        EXPECT_FALSE(FileExists(destination + L"_0"));
    }
}

// Without libcurl the run fails at once, before any request.
TEST_F(MTCurlDownloaderTest, CurlNotReady)
{
    std::string name = ServedFile(3 * MiB);
    EventRecorder events;
    Config().m_CurlReady = false;
    {
        CMTCurlDownloader downloader(events.Callback(), s_Server->FileUrl(name), Destination());
        downloader.Start();
        events.WaitTerminals(1);
    }
    Config().m_CurlReady = true;
    EXPECT_EQ(events.Codes(), (std::vector<int32_t>{DL_CODE_START, DL_CODE_FAIL}));
    EXPECT_EQ(events.Terminal(0).value, 0.0);
    EXPECT_EQ(events.Terminal(0).text, L"LibCurl");
    EXPECT_TRUE(s_Server->Requests().empty());
}
