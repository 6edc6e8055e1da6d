#include "services/HardDiskManager.h"

#include "core/LogCapture.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(HardDiskManager, ReadsTheVolumeOfADrive)
{
    Utils::HardDiskManager disk;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    for (std::wstring path : {std::wstring(L"C:"), std::wstring(temp)}) {
        SCOPED_TRACE(testing::PrintToString(path));
        ASSERT_TRUE(disk.CheckFreeSpace(path));
        EXPECT_GT(disk.m_TotalBytes, 0u);
        EXPECT_LE(disk.m_TotalFreeBytes, disk.m_TotalBytes);
        EXPECT_LE(disk.m_FreeBytesAvailable, disk.m_TotalFreeBytes);
    }
}

TEST(HardDiskManager, MissingDriveFailsAndKeepsTheCounts)
{
    DWORD drives = GetLogicalDrives();
    wchar_t letter = 0;
    for (wchar_t c = L'Y'; c >= L'D'; --c) {
        if (!(drives & (1u << (c - L'A')))) {
            letter = c;
            break;
        }
    }
    ASSERT_NE(letter, 0) << "every drive letter is taken";
    Utils::HardDiskManager disk;
    disk.m_FreeBytesAvailable = 1;
    disk.m_TotalBytes = 2;
    disk.m_TotalFreeBytes = 3;
    std::vector<std::wstring> lines;
    {
        LogCapture capture;
        EXPECT_FALSE(disk.CheckFreeSpace(std::wstring(1, letter) + L":\\"));
        lines = capture.Lines();
    }
    EXPECT_EQ(disk.m_FreeBytesAvailable, 1u);
    EXPECT_EQ(disk.m_TotalBytes, 2u);
    EXPECT_EQ(disk.m_TotalFreeBytes, 3u);
    if (lines.empty()) GTEST_SKIP() << "this system does not raise debug-print exceptions";
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(L"(Utils::HardDiskManager::CheckFreeSpace)"), std::wstring::npos) << lines[0];
    EXPECT_NE(lines[0].find(L"HardDiskManager::CheckFreeSpace FAIL code="), std::wstring::npos) << lines[0];
}

} // namespace
