#include "DownloadFixture.h"
#include "download/CurlDownloader.h"

#include <windows.h>

#include <algorithm>

namespace {

const int64_t MiB = 1048576;

int CountGets(const std::vector<TestServer::Request>& requests)
{
    return int(std::count_if(requests.begin(), requests.end(),
                             [](const TestServer::Request& r) { return r.method == "GET"; }));
}

std::string FirstRangeAfter(const std::vector<TestServer::Request>& requests, int getIndex)
{
    int seen = 0;
    for (const auto& r : requests)
        if (r.method == "GET" && seen++ == getIndex) return r.range;
    return "?";
}

} // namespace

class CurlDownloaderTest : public DownloadTest {};

// Every successful path ends in START … SUCCESS "LibCurl", with an MD5 notice first only
// when the final URL carries no digest; the file arrives whole and the ".part" file is gone.
TEST_F(CurlDownloaderTest, SuccessPaths)
{
    std::string name = ServedFile(3 * MiB);
    std::string md5 = s_Server->Md5Of(name);
    struct Case {
        const char* label;
        std::string path;
        std::vector<int32_t> codes;
    } cases[] = {
        {"digest matches", "/software/" + md5 + "/" + name, {DL_CODE_START, DL_CODE_SUCCESS}},
        {"digest after redirects", "/redirect/2/software/" + md5 + "/" + name,
         {DL_CODE_START, DL_CODE_SUCCESS}},
        {"no digest in the URL", "/software/ab/" + name,
         {DL_CODE_START, DL_CODE_MD5, DL_CODE_SUCCESS}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::wstring destination = Destination();
        EventRecorder events;
        {
            CCurlDownloader downloader(events.Callback(), s_Server->Url(c.path), destination);
            downloader.Start();
            ASSERT_TRUE(events.WaitTerminals(1));
        }
        EXPECT_EQ(events.Codes(), c.codes);
        EXPECT_EQ(events.Terminal(0).text, L"LibCurl");
        EXPECT_TRUE(SameContent(destination, ServedPath(name)));
        EXPECT_FALSE(FileExists(destination + L".part"));
        for (const RecordedEvent& e : events.Events()) {
            if (e.code == DL_CODE_MD5) {
                EXPECT_EQ(e.text, L"curl获取url-md5失败");
            }
        }
        for (double p : events.ProgressValues()) EXPECT_TRUE(p > 0.0 && p <= 1.0) << p;
    }
}

// A ".part" file from an earlier attempt is resumed: the server is asked for the tail
// only, and the result is the whole file. A server that ignores the resume request and
// sends the whole file makes the client start again from zero instead of failing.
TEST_F(CurlDownloaderTest, ResumesAPartFile)
{
    std::string name = ServedFile(6 * MiB);
    struct Case {
        const char* label;
        const char* faults;
        std::vector<std::string> ranges;
    } cases[] = {
        {"range honoured", "[]", {"bytes=4194304-"}},
        {"range ignored", R"([{"method": "GET", "ignore_range": true}])", {"bytes=4194304-", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(s_Server->Reset());
        ASSERT_TRUE(s_Server->SetFaults(c.faults));
        std::wstring destination = Destination();
        EventRecorder events;
        {
            CCurlDownloader downloader(events.Callback(), s_Server->FileUrl(name), destination);
            // Left behind by an earlier run (made after construction, which clears stale ones).
            ASSERT_TRUE(CopySlice(ServedPath(name), 0, 4 * MiB, destination + L".part"));
            downloader.Start();
            ASSERT_TRUE(events.WaitTerminals(1));
        }
        EXPECT_EQ(events.Codes(), (std::vector<int32_t>{DL_CODE_START, DL_CODE_SUCCESS}));
        EXPECT_TRUE(SameContent(destination, ServedPath(name)));
        std::vector<std::string> ranges;
        for (const auto& r : s_Server->Requests())
            if (r.method == "GET") ranges.push_back(r.range);
        EXPECT_EQ(ranges, c.ranges);
    }
}

// Lengths the client refuses: a 404 page (first resolution -1, second the page's small
// length) and a file below 1 MiB. Six attempts at 2 each, nothing downloaded.
TEST_F(CurlDownloaderTest, RefusesUnknownOrSmallLength)
{
    std::string small = ServedFile(MiB - 1);
    struct Case {
        const char* label;
        const char* faults;
        std::string name;
    } cases[] = {
        {"404 page", R"([{"status": 404}])", ServedFile(2 * MiB)},
        {"below 1 MiB", "[]", small},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(s_Server->Reset());
        ASSERT_TRUE(s_Server->SetFaults(c.faults));
        std::wstring destination = Destination();
        EventRecorder events;
        {
            CCurlDownloader downloader(events.Callback(), s_Server->FileUrl(c.name), destination);
            downloader.Start();
            ASSERT_TRUE(events.WaitTerminals(1));
        }
        EXPECT_EQ(events.Codes(), (std::vector<int32_t>{DL_CODE_START, DL_CODE_FAIL}));
        EXPECT_EQ(events.Terminal(0).value, -998.0);
        EXPECT_EQ(events.Terminal(0).text, L"LibCurl");
        auto requests = s_Server->Requests();
        EXPECT_EQ(CountGets(requests), 0);
        EXPECT_EQ(requests.size(), 6u * 3u) << "three header requests per attempt";
        EXPECT_FALSE(FileExists(destination));
    }
}

// A connection that always breaks mid-body (libcurl error 18) costs 1 of the budget of
// 12: twelve attempts, each resuming where the last one stopped, then FAIL with 18.
TEST_F(CurlDownloaderTest, PartialFileOnEveryAttempt)
{
    std::string name = ServedFile(4 * MiB);
    ASSERT_TRUE(s_Server->SetFaults(R"([{"method": "GET", "close_after": 65536}])"));
    std::wstring destination = Destination();
    EventRecorder events;
    {
        CCurlDownloader downloader(events.Callback(), s_Server->FileUrl(name), destination);
        downloader.Start();
        ASSERT_TRUE(events.WaitTerminals(1));
    }
    EXPECT_EQ(events.Codes(), (std::vector<int32_t>{DL_CODE_START, DL_CODE_FAIL}));
    EXPECT_EQ(events.Terminal(0).value, 18.0);
    auto requests = s_Server->Requests();
    EXPECT_EQ(CountGets(requests), 12);
    EXPECT_EQ(FirstRangeAfter(requests, 0), "");
    EXPECT_EQ(FirstRangeAfter(requests, 11), "bytes=" + std::to_string(11 * 65536) + "-");
    EXPECT_FALSE(FileExists(destination));
}

// A digest mismatch asks for one retry; the restart comes from inside the RETRY callback
// (as the orchestrator does it) and must not deadlock. The second mismatch fails, and so
// does every later run of the same downloader. An upper-case digest never matches.
TEST_F(CurlDownloaderTest, DigestMismatchRetriesOnceThenFails)
{
    std::string name = ServedFile(2 * MiB);
    std::string upper = s_Server->Md5Of(name);
    for (char& ch : upper) ch = char(toupper(static_cast<unsigned char>(ch)));
    std::wstring destination = Destination();
    EventRecorder events;
    CCurlDownloader downloader(events.Callback(), s_Server->Url("/software/" + upper + "/" + name),
                               destination);
    events.m_OnEvent = [&](const RecordedEvent& e) {
        if (e.code == DL_CODE_RETRY) downloader.Start();
    };
    downloader.Start();
    ASSERT_TRUE(events.WaitTerminals(2));
    downloader.Start();
    ASSERT_TRUE(events.WaitTerminals(3));
    EXPECT_EQ(events.Codes(),
              (std::vector<int32_t>{DL_CODE_START, DL_CODE_MD5, DL_CODE_RETRY, DL_CODE_START,
                                    DL_CODE_MD5, DL_CODE_FAIL, DL_CODE_START, DL_CODE_MD5,
                                    DL_CODE_FAIL}));
    for (const RecordedEvent& e : events.Events()) {
        if (e.code == DL_CODE_MD5) {
            EXPECT_EQ(e.text, L"curl文件md5校验失败");
        }
        if (e.code == DL_CODE_RETRY || e.code == DL_CODE_FAIL) {
            EXPECT_EQ(e.value, 0.0);
            EXPECT_EQ(e.text, L"LibCurl");
        }
    }
    EXPECT_EQ(CountGets(s_Server->Requests()), 3) << "each run fetches the whole file again";
}

// An attempt that ends early is retried and the next one resumes where it stopped: a
// server that stops sending mid-body must not freeze the install (the low-speed limit ends
// the attempt), and an answer announcing fewer bytes than the file has must not be taken
// for the whole file.
TEST_F(CurlDownloaderTest, InterruptedTransferResumes)
{
    std::string name = ServedFile(3 * MiB);
    struct Case {
        const char* label;
        const char* faults;
    } cases[] = {
        {"stall", R"([{"method": "GET", "nth": 1, "stall": 40, "stall_after": 1048576}])"},
        {"short length", R"([{"method": "GET", "nth": 1, "wrong_length": 1048576}])"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(s_Server->Reset());
        ASSERT_TRUE(s_Server->SetFaults(c.faults));
        std::wstring destination = Destination();
        EventRecorder events;
        {
            CCurlDownloader downloader(events.Callback(), s_Server->FileUrl(name), destination);
            downloader.SetStallLimit(2);
            downloader.Start();
            ASSERT_TRUE(events.WaitTerminals(1, 60000));
        }
        EXPECT_EQ(events.Codes(), (std::vector<int32_t>{DL_CODE_START, DL_CODE_SUCCESS}));
        EXPECT_TRUE(SameContent(destination, ServedPath(name)));
        auto requests = s_Server->Requests();
        ASSERT_EQ(CountGets(requests), 2);
        EXPECT_EQ(FirstRangeAfter(requests, 1), "bytes=1048576-");
    }
}
