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
