#include "services/InstallRecords.h"

#include "core/InstallerConfig.h"
#include "services/FileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <windows.h>

namespace {

// A registry key of this test under the product vendor's key, removed afterwards.
class RegistryRecords : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Key = L"Software\\VarnelSoft\\LumenoTest" + std::to_wstring(GetCurrentProcessId());
        RegDeleteTreeW(HKEY_CURRENT_USER, m_Key.c_str());
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, m_Key.c_str()); }

    // Stores raw bytes with any type, as another program might have left them.
    void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_Key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // The stored type and size of a value.
    bool Stored(const wchar_t* name, DWORD& type, DWORD& bytes)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, m_Key.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        LONG result = RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes);
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    std::wstring m_Key;
};

TEST_F(RegistryRecords, RoundTripWithoutTerminator)
{
    const std::wstring texts[] = {L"C:\\Program Files\\Lumeno", L"D:\\\u00fc\u4e2d \U0001F600", L"",
                                  std::wstring(5000, L'x')};
    for (const std::wstring& text : texts) {
        SCOPED_TRACE(text.size());
        ASSERT_TRUE(Utils::WriteRegistryValue(L"InstallPath", text, m_Key));
        DWORD type = 0, bytes = 0;
        ASSERT_TRUE(Stored(L"InstallPath", type, bytes));
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        // We hand over two bytes per character; the system may count a terminator it finds
        // right behind the data, but nothing else.
        const DWORD given = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        EXPECT_TRUE(bytes == given || bytes == given + sizeof(wchar_t)) << bytes;
        std::wstring read = L"stale";
        ASSERT_TRUE(Utils::ReadRegistryValue(L"InstallPath", read, m_Key));
        EXPECT_EQ(read, text);
    }
}

TEST_F(RegistryRecords, ReaderStaysInsideTheStoredData)
{
    // The reader must stop at the value's end however it was stored.
    const char oddBytes[] = {'A', 0, 'B', 0, 'C'};
    const wchar_t withNul[] = L"ab\0cd";
    const DWORD number = 0x00420041;  // "AB" when read as text
    const BYTE binary[] = {'x', 0, 'y', 0, 'z', 0};
    struct Case {
        const wchar_t* name;
        DWORD type;
        const void* data;
        DWORD bytes;
        std::wstring expected;
    } cases[] = {
        {L"unterminated", REG_SZ, L"ABCD", 2 * sizeof(wchar_t), L"AB"},
        {L"odd", REG_SZ, oddBytes, sizeof(oddBytes), std::wstring(L"AB") + wchar_t(L'C')},
        {L"one byte", REG_SZ, "Q", 1, std::wstring(1, L'Q')},
        {L"no bytes", REG_SZ, "", 0, L""},
        {L"inner NUL", REG_SZ, withNul, 5 * sizeof(wchar_t), L"ab"},
        {L"dword", REG_DWORD, &number, sizeof(number), L"AB"},
        {L"binary", REG_BINARY, binary, sizeof(binary), L"xyz"},
        {L"expand", REG_EXPAND_SZ, L"%TEMP%", 6 * sizeof(wchar_t), L"%TEMP%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        SetRaw(c.name, c.type, c.data, c.bytes);
        std::wstring read = L"stale";
        ASSERT_TRUE(Utils::ReadRegistryValue(c.name, read, m_Key));
        EXPECT_EQ(read, c.expected);
    }
}

TEST_F(RegistryRecords, MissingKeyOrValueLeavesTheOutputAlone)
{
    std::wstring read = L"stale";
    EXPECT_FALSE(Utils::ReadRegistryValue(L"InstallPath", read, m_Key));
    EXPECT_EQ(read, L"stale");
    ASSERT_TRUE(Utils::WriteRegistryValue(L"Other", L"x", m_Key));
    EXPECT_FALSE(Utils::ReadRegistryValue(L"InstallPath", read, m_Key));
    EXPECT_EQ(read, L"stale");
}

TEST_F(RegistryRecords, InstallRegistryWritesTheEntryOnlyWhenItExists)
{
    TestFiles::ScratchFolder folder(L"lumeno-records");
    const std::wstring& dir = folder.Path();
    const std::wstring entry = dir + L"\\uninst.ep";

    std::wstring uninstallEp;
    EXPECT_TRUE(Utils::WriteInstallRegistry(dir, uninstallEp, m_Key));
    EXPECT_EQ(uninstallEp, entry);
    std::wstring read;
    ASSERT_TRUE(Utils::ReadRegistryValue(L"InstallPath", read, m_Key));
    EXPECT_EQ(read, dir);
    EXPECT_FALSE(Utils::ReadRegistryValue(L"UnInstallEp", read, m_Key));

    ASSERT_TRUE(TestFiles::WriteFileBytes(entry, ""));
    uninstallEp.clear();
    EXPECT_TRUE(Utils::WriteInstallRegistry(dir, uninstallEp, m_Key));
    ASSERT_TRUE(Utils::ReadRegistryValue(L"UnInstallEp", read, m_Key));
    EXPECT_EQ(read, entry);

    // A given entry path is kept and written as it is.
    std::wstring given = dir + L"\\uninst.ep";
    EXPECT_TRUE(Utils::WriteInstallRegistry(dir + L"\\", given, m_Key));
    EXPECT_EQ(given, entry);
}

TEST(InstallRecords, ProductKeyAndPaths)
{
    EXPECT_EQ(Utils::ProductRegistryKey(), L"Software\\VarnelSoft\\Lumeno");
    EXPECT_EQ(Utils::JoinPath(L"C:\\a", L"b"), L"C:\\a\\b");
    EXPECT_EQ(Utils::JoinPath(L"C:\\a\\", L"b"), L"C:\\a\\b");
    EXPECT_EQ(Utils::JoinPath(L"C:\\a/", L"b"), L"C:\\a/b");
    SYSTEMTIME t{};
    t.wYear = 2024; t.wMonth = 3; t.wDay = 5; t.wHour = 14; t.wMinute = 7; t.wSecond = 9; t.wMilliseconds = 999;
    EXPECT_EQ(Utils::AnalyticsTimeStamp(t), L"2024-03-05 14:07:09");
}

std::wstring ReadIni(const std::wstring& path, const wchar_t* section, const wchar_t* key)
{
    wchar_t buffer[1024] = {};
    GetPrivateProfileStringW(section, key, L"<missing>", buffer, 1024, path.c_str());
    return buffer;
}

// An install folder and an application-data folder of this test.
class RecordFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW(m_Install.c_str(), nullptr);
        SetEnvironmentVariableW(L"APPDATA", m_AppData.c_str());
    }

    TestFiles::SavedVariable m_SavedAppData{L"APPDATA"};
    TestFiles::ScratchFolder m_Scratch{L"lumeno-recordfiles"};
    const std::wstring m_Root = m_Scratch.Path();
    const std::wstring m_Install = m_Root + L"\\Lumeno";
    const std::wstring m_AppData = m_Root + L"\\AppData\\Roaming";
};

TEST_F(RecordFiles, WritesSettingsAndAnalytics)
{
    EXPECT_EQ(Utils::GetProductDataDir(), m_AppData + L"\\VarnelData\\Lumeno");
    Utils::WriteInstallRecordFile(m_Install);

    const std::wstring settings = m_Install + L"\\set.ini";
    const std::wstring analytics = m_AppData + L"\\VarnelData\\Lumeno\\VNSensorsAnalytics.ini";
    EXPECT_EQ(ReadIni(settings, L"Install", L"APPStore"), L"test_services.exe");
    EXPECT_EQ(ReadIni(settings, L"Install", L"AppName"), L"Lumeno");
    EXPECT_EQ(ReadIni(settings, L"Install", L"VNSensorsAnalyticsIni"), analytics);
    const std::wstring first = ReadIni(settings, L"Install", L"DeviceID");
    EXPECT_EQ(first.size(), 32u);

    SYSTEMTIME before;
    GetLocalTime(&before);
    const std::wstring stamp = ReadIni(analytics, L"Init", L"UpdateTime");
    ASSERT_EQ(stamp.size(), 19u) << testing::PrintToString(stamp);
    EXPECT_EQ(stamp.substr(0, 4), std::to_wstring(before.wYear));
    EXPECT_EQ(stamp[4], L'-');
    EXPECT_EQ(stamp[10], L' ');
    EXPECT_EQ(stamp[13], L':');

    Utils::WriteInstallRecordFile(m_Install);
    const std::wstring second = ReadIni(settings, L"Install", L"DeviceID");
    EXPECT_EQ(second.size(), 32u);
    EXPECT_NE(second, first);
}

TEST_F(RecordFiles, WithoutAppDataUsesTheSharedDocuments)
{
    SetEnvironmentVariableW(L"APPDATA", nullptr);
    wchar_t documents[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, documents, CSIDL_COMMON_DOCUMENTS, FALSE));
    EXPECT_EQ(Utils::GetProductDataDir(), Utils::JoinPath(documents, L"VarnelData\\Lumeno"));
}

TEST_F(RecordFiles, MissingInstallFolderIsIgnored)
{
    const std::wstring missing = m_Root + L"\\not-there";
    Utils::WriteInstallRecordFile(missing);
    EXPECT_EQ(GetFileAttributesW((missing + L"\\set.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(RecordFiles, UncreatableDataFolderLeavesThreeKeys)
{
    // A file where the data folder should be blocks it.
    const std::wstring blocker = m_Root + L"\\blocker";
    ASSERT_TRUE(TestFiles::WriteFileBytes(blocker, ""));
    SetEnvironmentVariableW(L"APPDATA", blocker.c_str());

    Utils::WriteInstallRecordFile(m_Install);
    const std::wstring settings = m_Install + L"\\set.ini";
    EXPECT_EQ(ReadIni(settings, L"Install", L"AppName"), L"Lumeno");
    EXPECT_EQ(ReadIni(settings, L"Install", L"DeviceID").size(), 32u);
    EXPECT_EQ(ReadIni(settings, L"Install", L"VNSensorsAnalyticsIni"), L"<missing>");
}

TEST_F(RecordFiles, EmptyInstallFolderWritesNoSettingsFile)
{
    // A bare "set.ini" would land in the Windows folder.
    wchar_t windows[MAX_PATH] = {};
    ASSERT_NE(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring stray = Utils::JoinPath(windows, L"set.ini");
    DeleteFileW(stray.c_str());
    Utils::WriteInstallRecordFile(L"");
    const bool strayWritten = Utils::FileExists(stray);
    DeleteFileW(stray.c_str());
    EXPECT_FALSE(strayWritten);
    // The analytics time stamp does not depend on the install folder.
    const std::wstring analytics = m_AppData + L"\\VarnelData\\Lumeno\\VNSensorsAnalytics.ini";
    EXPECT_EQ(ReadIni(analytics, L"Init", L"UpdateTime").size(), 19u);
}

} // namespace
