#include <gtest/gtest.h>

#include "TestPaths.h"
#include "services/TextConversion.h"
#include "toolkit/archive/SkinFile.h"
#include "toolkit/archive/SkinResources.h"
#include "toolkit/markup/SkinXml.h"

namespace {

struct ReadCase {
    const wchar_t* name;
    const wchar_t* error;  // empty: the read succeeds
    uint64_t size;
};

void ExpectReads(const ReadCase* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const ReadCase& c = cases[i];
        std::vector<uint8_t> bytes;
        std::wstring error;
        bool ok = ReadSkinFile(c.name, bytes, error);
        std::string label = Utils::ToNarrow(c.name, CP_UTF8);
        EXPECT_EQ(ok, c.error[0] == L'\0') << label;
        EXPECT_EQ(error, c.error) << label;
        EXPECT_EQ(bytes.size(), c.size) << label;
    }
}

TEST(ReadSkinFile, LooseFilesAndTheirLimits)
{
    std::wstring folder = FreshFolder(L"loose");
    ASSERT_TRUE(WriteAll(folder + L"empty.xml", {}));
    ASSERT_TRUE(WriteAll(folder + L"small.xml", {'<', 'a', '/', '>'}));
    ASSERT_TRUE(WriteAll(folder + L"exact.bin", std::vector<uint8_t>(4194304, 'x')));
    ASSERT_TRUE(WriteAll(folder + L"over.bin", std::vector<uint8_t>(4194305, 'x')));

    CSkinResources::SetResourceArchiveFile(L"", false);
    CSkinResources::SetSkinFolder(folder.substr(0, folder.size() - 1));
    EXPECT_EQ(CSkinResources::SkinFolder(), folder);

    const ReadCase cases[] = {
        {L"small.xml", L"", 4},
        {L"exact.bin", L"", 4194304},
        {L"over.bin", L"File too large", 0},
        {L"empty.xml", L"File is empty", 0},
        {L"missing.xml", L"Error opening file", 0},
    };
    ExpectReads(cases, sizeof(cases) / sizeof(cases[0]));

    // Pictures are read without the size limit.
    std::vector<uint8_t> bytes;
    std::wstring error;
    EXPECT_TRUE(ReadSkinFile(L"over.bin", bytes, error, false));
    EXPECT_EQ(bytes.size(), 4194305u);
    // ...but nothing beyond 256 MiB is read from disk at all.
    ASSERT_TRUE(MakeSizedFile(folder + L"huge.bin", 256ull * 1024 * 1024 + 1));
    EXPECT_FALSE(ReadSkinFile(L"huge.bin", bytes, error, false));
    EXPECT_EQ(error, L"File too large");
    EXPECT_TRUE(bytes.empty());
    DeleteFileW((folder + L"huge.bin").c_str());
}

TEST(ReadSkinFile, ArchiveEntriesHeldOpenOrOpenedPerRead)
{
    std::wstring fixtures = FixturePath("");
    CSkinResources::UseSevenZipArchive(true);
    CSkinResources::SetSkinFolder(fixtures);
    const ReadCase cases[] = {
        {L"MainWnd.xml", L"", 65},
        {L"ExitTipWnd.xml", L"", 8},
        {L"big\\exact.bin", L"", 4194304},
        {L"big\\over.bin", L"File too large", 0},
        {L"empty.txt", L"File is empty", 0},
        {L"res\\mainWnd", L"Could not find ziped file", 0},
        {L"nothing.xml", L"Could not find ziped file", 0},
    };
    for (bool keepOpen : {true, false}) {
        CSkinResources::SetResourceArchiveFile(L"solid.7z", keepOpen);
        EXPECT_EQ(CSkinResources::IsArchiveCached(), keepOpen);
        EXPECT_EQ(CSkinResources::CurrentArchive() != nullptr, keepOpen);
        ExpectReads(cases, sizeof(cases) / sizeof(cases[0]));
    }

    CSkinResources::SetResourceArchiveFile(L"missing.7z", false);
    const ReadCase missing[] = {{L"MainWnd.xml", L"Error opening zip file", 0}};
    ExpectReads(missing, 1);

    // The markup reader reports the read failure as its error.
    CSkinXml xml;
    EXPECT_FALSE(xml.LoadFromSkinFile(L"MainWnd.xml"));
    EXPECT_EQ(xml.ErrorMessage(), L"Error opening zip file");
    CSkinResources::SetResourceArchiveFile(L"solid.7z", true);
    ASSERT_TRUE(xml.LoadFromSkinFile(L"MainWnd.xml"));
    EXPECT_EQ(xml.RootNode().NodeName(), L"Window");
}

TEST(ReadSkinFile, MemoryArchiveIsOpenedOnceAndKept)
{
    CSkinResources::UseSevenZipArchive(true);
    CSkinResources::SetResourceArchiveFile(L"", false);

    // Not an archive: no current archive, every read fails the same way.
    std::vector<uint8_t> junk = ReadAll(FixturePath("notarchive.7z"));
    CSkinResources::SetResourceArchive(junk.data(), junk.size());
    EXPECT_EQ(CSkinResources::ArchiveName(), L"membuffer");
    EXPECT_EQ(CSkinResources::CurrentArchive(), nullptr);
    const ReadCase cases[] = {{L"MainWnd.xml", L"Error opening zip file", 0}};
    ExpectReads(cases, 1);

    CSkinResources::SetResourceArchiveFile(L"", false);
    std::vector<uint8_t> first = ReadAll(FixturePath("small.7z"));
    CSkinResources::SetResourceArchive(first.data(), first.size());
    const SkinArchive* held = CSkinResources::CurrentArchive();
    ASSERT_NE(held, nullptr);
    // A second window with the same source leaves the open archive in place.
    std::vector<uint8_t> second = ReadAll(FixturePath("solid.7z"));
    CSkinResources::SetResourceArchive(second.data(), second.size());
    EXPECT_EQ(CSkinResources::CurrentArchive(), held);
    EXPECT_EQ(held->Entries().size(), 6u);
    const ReadCase reads[] = {{L"ExitTipWnd.xml", L"", 8}};
    ExpectReads(reads, 1);
}

TEST(SkinResources, ModuleAndFolderState)
{
    CSkinResources::SetModuleInstance(nullptr);
    EXPECT_EQ(CSkinResources::ModuleFolder(), L"");
    HINSTANCE self = GetModuleHandleW(nullptr);
    CSkinResources::SetModuleInstance(self);
    EXPECT_EQ(CSkinResources::GetModuleInstance(), self);
    EXPECT_EQ(CSkinResources::GetResourceInstance(), self);
    std::wstring folder = CSkinResources::ModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_NE(GetFileAttributesW((folder + L"test_toolkit_archive.exe").c_str()), INVALID_FILE_ATTRIBUTES);

    struct {
        const wchar_t* in;
        const wchar_t* stored;
    } folders[] = {{L"", L""}, {L"C:\\skin", L"C:\\skin\\"}, {L"C:\\skin\\", L"C:\\skin\\"}, {L"/tmp/skin/", L"/tmp/skin/"}};
    for (const auto& f : folders) {
        CSkinResources::SetSkinFolder(f.in);
        EXPECT_EQ(CSkinResources::SkinFolder(), f.stored);
    }
}

} // namespace
