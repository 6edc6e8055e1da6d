#include "download/CurlDownloader.h"
#include "download/Downloader.h"
#include "download/MTCurlDownloader.h"
#include "download/WinDownloader.h"

#include <gtest/gtest.h>

TEST(DownloaderSelection, TypeChoosesTheClass)
{
    enum Kind { Single, Multi, System };
    struct Case {
        int32_t type;
        Kind kind;
    } cases[] = {{0, Single}, {1, Single}, {4, Single}, {-1, Single}, {2, System}, {3, Multi}};
    for (const Case& c : cases) {
        auto downloader = CreateDownloader(c.type, [](int32_t, double, const std::wstring&) {},
                                           L"http://127.0.0.1:9/software/x/pkg.exe",
                                           L"selection_pkg.exe");
        ASSERT_TRUE(downloader) << c.type;
        CDownloader* d = downloader.get();
        EXPECT_EQ(dynamic_cast<CCurlDownloader*>(d) != nullptr, c.kind == Single) << c.type;
        EXPECT_EQ(dynamic_cast<CMTCurlDownloader*>(d) != nullptr, c.kind == Multi) << c.type;
        EXPECT_EQ(dynamic_cast<CWinDownloader*>(d) != nullptr, c.kind == System) << c.type;
    }
}
