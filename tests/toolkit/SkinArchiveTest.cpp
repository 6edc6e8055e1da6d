#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "TestPaths.h"
#include "toolkit/archive/SkinArchive.h"

namespace {

std::string Text(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// The same content tree packed four ways must read the same.
class PackedArchive : public ::testing::TestWithParam<const char*> {};

TEST_P(PackedArchive, HoldsEveryFileButNoFolder)
{
    auto archive = SkinArchive::OpenFromFile(FixturePath(GetParam()));
    ASSERT_TRUE(archive);
    const auto& entries = archive->Entries();
    ASSERT_EQ(entries.size(), 8u);
    for (const SkinArchiveEntry& e : entries) {
        EXPECT_NE(e.name, L"res");
        EXPECT_NE(e.name, L"res/mainWnd");
        EXPECT_EQ(e.nameLength, e.name.size() + 1);
        EXPECT_EQ(e.size, e.data.size());
    }

    uint32_t index = 0;
    uint64_t size = 0;
    ASSERT_EQ(archive->FindEntry(L"mainWnd.xml", index, size), 0u);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(archive->ExtractEntry(index, bytes), 0u);
    EXPECT_EQ(Text(bytes), "<Window size=\"600,400\"><VerticalLayout name=\"winCtn\"/></Window>\r\n");

    ASSERT_EQ(archive->FindEntry(L"big/exact.bin", index, size), 0u);
    EXPECT_EQ(size, 4194304u);
    ASSERT_EQ(archive->FindEntry(L"empty.txt", index, size), 0u);
    EXPECT_EQ(size, 0u);
    ASSERT_EQ(archive->ExtractEntry(index, bytes), 0u);
    EXPECT_TRUE(bytes.empty());

    // Non-ASCII names, found ignoring case in both scripts.
    ASSERT_EQ(archive->FindEntry(L"\u00d1AND\u00da\\\u017b\u00d3\u0141W.TXT", index, size), 0u);
    ASSERT_EQ(archive->ExtractEntry(index, bytes), 0u);
    EXPECT_EQ(Text(bytes), "\xc3\xb1" "and\xc3\xba");
}

INSTANTIATE_TEST_SUITE_P(Methods, PackedArchive,
                         ::testing::Values("solid.7z", "lzma.7z", "bcj.7z", "nonsolid.7z"));

TEST(SkinArchiveLookup, FollowsTheNameRules)
{
    auto archive = SkinArchive::OpenFromFile(FixturePath("solid.7z"));
    ASSERT_TRUE(archive);
    struct Case {
        const wchar_t* name;
        bool found;
    } cases[] = {
        {L"mainWnd.xml", true},
        {L"MainWnd.xml", true},           // letter case ignored
        {L"MAINWND.XML", true},
        {L"ExitTipWnd.xml", true},
        {L"res\\mainWnd\\bg1.png", true},  // backslashes stand for slashes
        {L"res/mainWnd/bg1.png", true},
        {L"res\\mainWnd", false},          // folders are not entries
        {L"res", false},
        {L"mainWnd.xm", false},            // lengths must match
        {L"mainWnd.xml ", false},
        {L"mainWnd.xmlx", false},
        {L"/mainWnd.xml", false},
        {L"", false},
    };
    for (const Case& c : cases) {
        uint32_t index = 99;
        uint64_t size = 99;
        uint32_t status = archive->FindEntry(c.name, index, size);
        EXPECT_EQ(status, c.found ? 0u : SkinArchive::kNotFound) << "name: " << testing::PrintToString(std::wstring(c.name));
    }
    std::vector<uint8_t> bytes;
    EXPECT_EQ(archive->ExtractEntry(12345, bytes), SkinArchive::kNotFound);
}

TEST(SkinArchiveOpen, MemoryAndFileAgreeAndRejectNonArchives)
{
    std::vector<uint8_t> bytes = ReadAll(FixturePath("solid.7z"));
    ASSERT_FALSE(bytes.empty());
    auto fromMemory = SkinArchive::OpenFromMemory(bytes.data(), bytes.size());
    ASSERT_TRUE(fromMemory);
    EXPECT_EQ(fromMemory->Entries().size(), 8u);

    std::vector<uint8_t> junk = ReadAll(FixturePath("notarchive.7z"));
    EXPECT_FALSE(SkinArchive::OpenFromMemory(junk.data(), junk.size()));
    EXPECT_FALSE(SkinArchive::OpenFromMemory(nullptr, 0));

    // A file that opens but is no archive gives an empty archive; a missing file none.
    auto notArchive = SkinArchive::OpenFromFile(FixturePath("notarchive.7z"));
    ASSERT_TRUE(notArchive);
    EXPECT_TRUE(notArchive->Entries().empty());
    EXPECT_FALSE(SkinArchive::OpenFromFile(FixturePath("missing.7z")));

    auto dirsOnly = SkinArchive::OpenFromFile(FixturePath("dirsonly.7z"));
    ASSERT_TRUE(dirsOnly);
    EXPECT_TRUE(dirsOnly->Entries().empty());
    uint32_t index = 0;
    uint64_t size = 0;
    EXPECT_EQ(dirsOnly->FindEntry(L"res\\mainWnd", index, size), SkinArchive::kNotFound);
}

TEST(SkinArchiveOpen, EveryTruncationReturnsAndNoneInventsEntries)
{
    std::vector<uint8_t> bytes = ReadAll(FixturePath("small.7z"));
    ASSERT_FALSE(bytes.empty());
    for (size_t n = 0; n < bytes.size(); ++n) {
        auto archive = SkinArchive::OpenFromMemory(bytes.data(), n);
        // The database sits at the end: any cut loses it.
        EXPECT_FALSE(archive) << "length " << n;
    }
    auto whole = SkinArchive::OpenFromMemory(bytes.data(), bytes.size());
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->Entries().size(), 6u);
}

TEST(SkinArchiveOpen, DamagedPackedDataKeepsOnlyVerifiedEntries)
{
    std::vector<uint8_t> bytes = ReadAll(FixturePath("nonsolid.7z"));
    ASSERT_GT(bytes.size(), 64u);
    // Byte 40 lies in the first packed stream (packed data follows the 32-byte start header).
    bytes[40] ^= 0x55;
    // The open still succeeds with the entries decoded before the damaged one.
    auto archive = SkinArchive::OpenFromMemory(bytes.data(), bytes.size());
    ASSERT_TRUE(archive);
    EXPECT_LT(archive->Entries().size(), 8u);
    for (const SkinArchiveEntry& e : archive->Entries()) {
        EXPECT_EQ(e.size, e.data.size());
    }
}

TEST(SkinArchiveOpen, ContentBeyondTheMemoryBoundsIsLeftOut)
{
    // A solid block of 300 MiB is not held: the open succeeds without entries.
    auto block = SkinArchive::OpenFromFile(FixturePath("bigblock.7z"));
    ASSERT_TRUE(block);
    EXPECT_TRUE(block->Entries().empty());

    // Two blocks of 130 MiB each: the second would pass the 256 MiB kept in all.
    auto total = SkinArchive::OpenFromFile(FixturePath("bigtotal.7z"));
    ASSERT_TRUE(total);
    ASSERT_EQ(total->Entries().size(), 1u);
    EXPECT_EQ(total->Entries()[0].name, L"first.bin");
    EXPECT_EQ(total->Entries()[0].size, 130u * 1024 * 1024);
    EXPECT_EQ(total->Entries()[0].data.size(), 130u * 1024 * 1024);
    total.reset();

    // A file beyond what is read from disk opens, but as no usable archive.
    std::wstring huge = FreshFolder(L"hugearchive") + L"huge.7z";
    ASSERT_TRUE(MakeSizedFile(huge, 256ull * 1024 * 1024 + 1));
    auto tooLarge = SkinArchive::OpenFromFile(huge);
    ASSERT_TRUE(tooLarge);
    EXPECT_TRUE(tooLarge->Entries().empty());
    DeleteFileW(huge.c_str());
}

} // namespace
