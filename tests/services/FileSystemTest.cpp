#include "services/FileSystem.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

bool IsDirectory(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = dir + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

class CreateDirectoriesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_Root = std::wstring(temp) + L"lumeno-dirs-" + std::to_wstring(GetCurrentProcessId());
        RemoveTree(m_Root);
    }
    void TearDown() override { RemoveTree(m_Root); }
    std::wstring m_Root;
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
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    EXPECT_FALSE(Utils::CreateDirectories(file));
    EXPECT_FALSE(Utils::CreateDirectories(file + L"\\below"));
    EXPECT_FALSE(Utils::CreateDirectories(L""));
}

class EnvironmentVariable {
public:
    explicit EnvironmentVariable(const wchar_t* name) : m_Name(name)
    {
        wchar_t buffer[32768];
        DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
        m_Had = length > 0 && length < 32768;
        if (m_Had) m_Value = buffer;
    }
    ~EnvironmentVariable() { SetEnvironmentVariableW(m_Name.c_str(), m_Had ? m_Value.c_str() : nullptr); }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    std::wstring m_Name;
    std::wstring m_Value;
    bool m_Had = false;
};

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
    EnvironmentVariable tmp(L"TMP"), temp(L"TEMP"), profile(L"USERPROFILE");
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
