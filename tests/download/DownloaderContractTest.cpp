#include "DownloadFixture.h"

class DownloaderContractTest : public DownloadTest {};

// A second Start() while the first run is still going is a second run after the first:
// each run has its own START and terminal event, and the file is whole at the end.
TEST_F(DownloaderContractTest, StartTwiceInARowRunsTwice)
{
    std::string name = ServedFile(3 * 1048576);
    for (int32_t type : {1, 2, 3}) {
        SCOPED_TRACE(type);
        ASSERT_TRUE(s_Server->Reset());
        std::wstring destination = Destination();
        EventRecorder events;
        {
            std::unique_ptr<CDownloader> downloader =
                CreateDownloader(type, events.Callback(), s_Server->FileUrl(name), destination);
            downloader->Start();
            downloader->Start();
            ASSERT_TRUE(events.WaitTerminals(2));
        }
        EXPECT_EQ(events.Codes(), (std::vector<int32_t>{DL_CODE_START, DL_CODE_SUCCESS,
                                                        DL_CODE_START, DL_CODE_SUCCESS}));
        EXPECT_TRUE(SameContent(destination, ServedPath(name)));
    }
}

// Destroying a downloader during a run (the window closing) stops its transfers and waits
// for its threads: no terminal event comes afterwards, and neither the package nor a side
// file is left in the install folder. That holds while bytes arrive and while the server
// has stopped sending mid-body, where no transfer callback comes to notice the cancel.
TEST_F(DownloaderContractTest, DestroyDuringRunStopsEverything)
{
    const char* const kSlow = R"([{"method": "GET", "throttle": 1048576}])";
    const char* const kStalled = R"([{"method": "GET", "stall": 100, "stall_after": 1048576}])";
    struct Case {
        int32_t type;
        int64_t size;
        const char* faults;
        DWORD settleMs;  // after the first progress, before the destruction
        DWORD quietMs;
    } cases[] = {
        {1, 8 * 1048576, kSlow, 0, 300},        {2, 8 * 1048576, kSlow, 0, 300},
        {3, 25 * 1048576, kSlow, 0, 500},       {1, 8 * 1048576, kStalled, 1500, 300},
        {2, 8 * 1048576, kStalled, 1500, 300},  {3, 8 * 1048576, kStalled, 1500, 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + c.faults);
        ASSERT_TRUE(s_Server->Reset());
        ASSERT_TRUE(s_Server->SetFaults(c.faults));
        std::string name = ServedFile(c.size);
        std::wstring destination = Destination();
        EventRecorder events;
        DestroyAfterProgress(
            CreateDownloader(c.type, events.Callback(), s_Server->FileUrl(name), destination),
            events, c.settleMs, c.quietMs);
        for (const wchar_t* side : {L"", L".part", L"_0", L"_1"})
            EXPECT_FALSE(FileExists(destination + side)) << "left behind: " << side;
    }
}

