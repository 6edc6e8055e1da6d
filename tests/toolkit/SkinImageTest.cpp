#include <gtest/gtest.h>

#include "TestPaths.h"
#include "toolkit/archive/SkinImage.h"
#include "toolkit/archive/SkinResources.h"

namespace {

TEST(PremultiplyPixels, ChannelsMaskAndAlphaFlag)
{
    struct Case {
        uint8_t rgba[4];
        uint32_t mask;
        uint8_t bgra[4];
        bool hasAlpha;
    } cases[] = {
        {{10, 20, 30, 255}, 0, {30, 20, 10, 255}, false},         // opaque: copied, swapped
        {{255, 0, 0, 128}, 0, {0, 0, 128, 128}, true},            // 255 * 128 / 255
        {{200, 100, 51, 1}, 0, {0, 0, 0, 1}, true},               // integer division
        {{200, 100, 50, 0}, 0, {0, 0, 0, 0}, true},
        {{0x16, 0x75, 0xFE, 255}, 0xFF1675FE, {0, 0, 0, 0}, true},  // mask clears
        {{0x16, 0x75, 0xFE, 255}, 0x001675FE, {0xFE, 0x75, 0x16, 255}, false},  // alpha is part of the value
    };
    for (const Case& c : cases) {
        uint8_t out[4] = {9, 9, 9, 9};
        bool hasAlpha = PremultiplyPixels(c.rgba, 1, c.mask, out);
        EXPECT_EQ(hasAlpha, c.hasAlpha);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(out[i], c.bgra[i]) << "channel " << i << " of " << int(c.rgba[0]) << "," << int(c.rgba[3]);
        }
    }
    // One translucent pixel among opaque ones sets the flag for the picture.
    uint8_t rgba[12] = {1, 2, 3, 255, 4, 5, 6, 254, 7, 8, 9, 255};
    uint8_t out[12];
    EXPECT_TRUE(PremultiplyPixels(rgba, 3, 0, out));
    EXPECT_FALSE(PremultiplyPixels(rgba, 1, 0, out));
}

TEST(DecodeImage, ColourPicture)
{
    for (const wchar_t* name : {L"#80FF0000", L"80FF0000"}) {
        auto image = DecodeImage(name, kColorImageType, 0);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 1);
        EXPECT_EQ(image->height, 1);
        EXPECT_TRUE(image->hasAlpha);
        EXPECT_EQ(image->resourceType, kColorImageType);
        ASSERT_NE(image->bitmap, nullptr);
        EXPECT_EQ(image->pixels[0], 0);
        EXPECT_EQ(image->pixels[1], 0);
        EXPECT_EQ(image->pixels[2], 128);
        EXPECT_EQ(image->pixels[3], 128);
    }
    auto opaque = DecodeImage(L"#FF1675FE", kColorImageType, 0);
    ASSERT_TRUE(opaque);
    EXPECT_FALSE(opaque->hasAlpha);
}

TEST(DecodeImage, PicturesFromTheSkinArchiveAndDisk)
{
    CSkinResources::UseSevenZipArchive(true);
    CSkinResources::SetSkinFolder(FixturePath(""));
    CSkinResources::SetResourceArchiveFile(L"solid.7z", true);

    auto opaque = DecodeImage(L"res\\mainWnd\\bg1.png", nullptr, 0);
    ASSERT_TRUE(opaque);
    EXPECT_EQ(opaque->width, 4);
    EXPECT_EQ(opaque->height, 3);
    EXPECT_FALSE(opaque->hasAlpha);
    const uint8_t expected[4] = {0xFE, 0x75, 0x16, 0xFF};
    for (int i = 0; i < 4 * 4 * 3; ++i) {
        ASSERT_EQ(opaque->pixels[i], expected[i % 4]) << "byte " << i;
    }

    auto half = DecodeImage(L"RES/MAINWND/HALFRED.PNG", L"", 0);
    ASSERT_TRUE(half);
    EXPECT_EQ(half->width, 3);
    EXPECT_EQ(half->height, 2);
    EXPECT_TRUE(half->hasAlpha);
    EXPECT_EQ(half->pixels[2], 128);
    EXPECT_EQ(half->pixels[3], 128);

    auto masked = DecodeImage(L"res\\mainWnd\\bg1.png", nullptr, 0xFF1675FE);
    ASSERT_TRUE(masked);
    EXPECT_TRUE(masked->hasAlpha);
    EXPECT_EQ(masked->mask, 0xFF1675FEu);
    for (int i = 0; i < 4 * 4 * 3; ++i) {
        ASSERT_EQ(masked->pixels[i], 0) << "byte " << i;
    }

    // Not in the archive: the name is tried as a path on disk.
    auto fromDisk = DecodeImage(FixturePath("content/res/mainWnd/halfred.png"), nullptr, 0);
    ASSERT_TRUE(fromDisk);
    EXPECT_EQ(fromDisk->width, 3);

    EXPECT_FALSE(DecodeImage(L"res\\mainWnd\\missing.png", nullptr, 0));
    EXPECT_FALSE(DecodeImage(L"MainWnd.xml", nullptr, 0));  // found, but not a picture
    EXPECT_FALSE(DecodeImage(L"empty.txt", nullptr, 0));
}

TEST(DecodeImage, ModuleResourceOfAnotherType)
{
    CSkinResources::SetModuleInstance(GetModuleHandleW(nullptr));
    CSkinResources::SetResourceInstance(nullptr);
    // The test program carries the half-red picture as PNG 201 and as PNG "HALFRED".
    for (const wchar_t* name : {L"201", L"halfred", L"HALFRED"}) {
        auto image = DecodeImage(name, L"PNG", 0);
        ASSERT_TRUE(image) << testing::PrintToString(std::wstring(name));
        EXPECT_EQ(image->width, 3);
        EXPECT_EQ(image->height, 2);
        EXPECT_TRUE(image->hasAlpha);
        EXPECT_EQ(image->pixels[2], 128);
        EXPECT_EQ(image->resourceType, L"PNG");
    }
    // No such resource, and no file of that name.
    EXPECT_FALSE(DecodeImage(L"147", L"ZIPRES", 0));
    EXPECT_FALSE(DecodeImage(L"202", L"PNG", 0));
    EXPECT_FALSE(DecodeImage(L"65737", L"PNG", 0));  // 65536 + 201: no resource number
    EXPECT_FALSE(DecodeImage(L"0", L"PNG", 0));
    EXPECT_FALSE(DecodeImage(L"logo", L"PNG", 0));

    // A resource instance set apart from the module is where resources are looked for.
    CSkinResources::SetResourceInstance(GetModuleHandleW(L"kernel32.dll"));
    EXPECT_FALSE(DecodeImage(L"201", L"PNG", 0));
    CSkinResources::SetResourceInstance(nullptr);
    EXPECT_TRUE(DecodeImage(L"201", L"PNG", 0));
}

TEST(DecodePixels, RefusesASideBeyondTheLimit)
{
    struct {
        const char* file;
        bool ok;
        int32_t width, height;
    } cases[] = {
        {"wide16384.png", true, 16384, 1},
        {"wide16385.png", false, 0, 0},
        {"tall16384.png", true, 1, 16384},
        {"tall16385.png", false, 0, 0},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = ReadAll(FixturePath(c.file));
        ASSERT_FALSE(bytes.empty()) << c.file;
        PixelImage image;
        EXPECT_EQ(DecodePixels(bytes.data(), bytes.size(), 0, image), c.ok) << c.file;
        EXPECT_EQ(image.width, c.width) << c.file;
        EXPECT_EQ(image.height, c.height) << c.file;
    }
}

} // namespace
