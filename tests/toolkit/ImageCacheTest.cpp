#include <gtest/gtest.h>

#include <cstring>

#include "TestPaths.h"
#include "toolkit/archive/ImageCache.h"
#include "toolkit/archive/SkinResources.h"

namespace {

TEST(ImageCache, WindowThenSharedAndLoadedOnce)
{
    CSkinResources::UseSevenZipArchive(true);
    CSkinResources::SetSkinFolder(FixturePath(""));
    CSkinResources::SetResourceArchiveFile(L"solid.7z", true);

    CImageCache window;
    const std::wstring bg = L"res\\mainWnd\\bg1.png";
    ImageEntry* shared = CImageCache::Shared().CacheImage(bg, nullptr, 0, false);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(FindImage(window, bg), shared);

    // The window's own entry hides the shared one; a second request decodes nothing.
    ImageEntry* own = window.CacheImage(bg, nullptr, 0, true);
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, shared);
    EXPECT_EQ(FindImage(window, bg), own);
    EXPECT_TRUE(own->adjustable);
    ASSERT_EQ(own->adjustmentCopy.size(), 4u * 3u * 4u);
    EXPECT_EQ(memcmp(own->adjustmentCopy.data(), own->pixels, own->adjustmentCopy.size()), 0);

    // Names are exact: another spelling of the same entry is a different picture.
    ImageEntry* other = GetOrLoadImage(window, L"res/mainWnd/bg1.png", nullptr, 0, false);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, own);
    EXPECT_EQ(GetOrLoadImage(window, L"res/mainWnd/bg1.png", nullptr, 0, false), other);
    EXPECT_EQ(window.Size(), 2u);

    // Failures are not remembered, and do not evict an older entry.
    EXPECT_EQ(GetOrLoadImage(window, L"missing.png", nullptr, 0, false), nullptr);
    EXPECT_EQ(window.Size(), 2u);
    CSkinResources::SetResourceArchiveFile(L"notarchive.7z", true);
    EXPECT_EQ(window.CacheImage(bg, nullptr, 0, false), nullptr);
    EXPECT_EQ(FindImage(window, bg), own);
    CImageCache::Shared().Clear();
}

} // namespace
