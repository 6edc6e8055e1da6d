#include "services/FileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

using TestFiles::IsDirectory;

// Starts without the folder, so that every level is made by the code under test.
class CreateDirectoriesTest : public ::testing::Test {
protected:
    TestFiles::ScratchFolder m_Scratch{L"lumeno-dirs", false};
    const std::wstring m_Root = m_Scratch.Path();
};

TEST_F(CreateDirectoriesTest, CreatesEveryLevel)
{
    struct Case {
        const wchar_t* tail;
        const wchar_t* deepest;
    } cases[] = {
        {L"\\a\\b\\c\\", L"\\a\\b\\c"},
        {L"\\d\\e\\f", L"\\d\\e\\f"},
        {L"\\a\\b\\c", L"\\a\\b\\c"},  // already there
        {L"\\g\\\u00fc \u4e2d", L"\\g\\\u00fc \u4e2d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.tail)));
        EXPECT_TRUE(Utils::CreateDirectories(m_Root + c.tail));
        EXPECT_TRUE(IsDirectory(m_Root + c.deepest));
    }
}

TEST_F(CreateDirectoriesTest, RefusesTooLongPathsAndFiles)
{
    std::wstring longPath = m_Root + L"\\";
    while (longPath.size() < 261) longPath += L"x";
    ASSERT_EQ(longPath.size(), 261u);
    EXPECT_FALSE(Utils::CreateDirectories(longPath));
    EXPECT_FALSE(IsDirectory(m_Root)); // nothing was created

    ASSERT_TRUE(Utils::CreateDirectories(m_Root));
    std::wstring file = m_Root + L"\\file";
    ASSERT_TRUE(TestFiles::WriteFileBytes(file, ""));
    EXPECT_FALSE(Utils::CreateDirectories(file));
    EXPECT_FALSE(Utils::CreateDirectories(file + L"\\below"));
    EXPECT_FALSE(Utils::CreateDirectories(L""));
}

TEST(GetTempDir, IsOurFolderUnderTheTemporaryPath)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = Utils::GetTempDir();
    EXPECT_EQ(dir, std::wstring(temp) + L"~VarnelTemp.41831C53DC653F93\\");
    EXPECT_TRUE(IsDirectory(dir));
    EXPECT_EQ(Utils::GetTempDir(), dir);
}

TEST(GetTempDir, EmptyWhenTheFolderCannotBeMade)
{
    TestFiles::SavedVariable tmp(L"TMP"), temp(L"TEMP"), profile(L"USERPROFILE");
    const wchar_t* missing = L"C:\\lumeno-no-such-folder\\deeper";
    SetEnvironmentVariableW(L"TMP", missing);
    SetEnvironmentVariableW(L"TEMP", missing);
    SetEnvironmentVariableW(L"USERPROFILE", missing);
    wchar_t path[MAX_PATH];
    GetTempPathW(MAX_PATH, path);
    if (std::wstring(path).rfind(missing, 0) != 0) GTEST_SKIP() << "the system does not take TMP from the environment";
    EXPECT_EQ(Utils::GetTempDir(), L"");
}

} // namespace
