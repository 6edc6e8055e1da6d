#include "services/SystemInfo.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(OSVersionName, MapsVersionNumbers)
{
    struct Case {
        unsigned long major, minor, build;
        bool serverR2;
        const wchar_t* name;
    } cases[] = {
        {0, 0, 0, false, L"XP-"},
        {4, 10, 1998, false, L"XP-"},
        {5, 0, 2195, false, L"2K"},
        {5, 1, 2600, false, L"XP"},
        {5, 2, 3790, false, L"Server 2003"},
        {5, 2, 3790, true, L"Server 2003 R2"},
        {5, 1, 2600, true, L"XP"},
        {5, 3, 0, false, L"XP+"},
        {6, 0, 6002, false, L"Vista"},
        {6, 1, 7601, false, L"7"},
        {6, 2, 9200, false, L"8"},
        {6, 3, 9600, false, L"8.1"},
        {6, 4, 9841, false, L"8.1+"},
        {10, 0, 22000, false, L"10"},
        {10, 1, 0, false, L"10+"},
        {11, 0, 22000, false, L"11.0.22000"},
        {7, 2, 65535, false, L"7.2.65535"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        EXPECT_EQ(Utils::OSVersionName(c.major, c.minor, c.build, c.serverR2), c.name);
    }
}

TEST(GetOSVersion, AgreesWithTheKernelVersion)
{
    std::wstring family = L"x", name = L"x";
    Utils::GetOSVersion(family, name);
    EXPECT_EQ(family, L"Windows");

    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto rtlGetVersion = reinterpret_cast<GetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(rtlGetVersion, nullptr);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_EQ(rtlGetVersion(&info), 0);
    EXPECT_EQ(name, Utils::OSVersionName(info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber & 0xFFFF,
                                         GetSystemMetrics(SM_SERVERR2) != 0));
}

TEST(Is64BitSystem, AgreesWithTheNativeProcessor)
{
    SYSTEM_INFO info;
    GetNativeSystemInfo(&info);
    bool native64 = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                    info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
    EXPECT_EQ(Utils::Is64BitSystem(), native64);
}

} // namespace
