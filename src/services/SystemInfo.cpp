#include "services/SystemInfo.h"

#include <windows.h>

namespace Utils {

std::wstring OSVersionName(unsigned long major, unsigned long minor, unsigned long build, bool serverR2)
{
    if (major <= 4) return L"XP-";
    if (major == 5) {
        if (minor == 0) return L"2K";
        if (minor == 1) return L"XP";
        if (minor == 2) return serverR2 ? L"Server 2003 R2" : L"Server 2003";
        return L"XP+";
    }
    if (major == 6) {
        static const wchar_t* const kNames[] = {L"Vista", L"7", L"8", L"8.1"};
        return minor < 4 ? kNames[minor] : L"8.1+";
    }
    if (major == 10) return minor == 0 ? L"10" : L"10+";
    return std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(build);
}

void GetOSVersion(std::wstring& family, std::wstring& name)
{
    family = L"Windows";
    name.clear();
    // Reports the real version whatever our compatibility manifest claims.
    HMODULE ntdll = LoadLibraryW(L"ntdll.dll");
    if (!ntdll) {
        name = L"XP-";
        return;
    }
    using GetNumbers = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    auto getNumbers = reinterpret_cast<GetNumbers>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
    DWORD major = 0, minor = 0, build = 0;
    if (getNumbers) getNumbers(&major, &minor, &build);
    FreeLibrary(ntdll);
    name = OSVersionName(major, minor, build & 0xFFFF, GetSystemMetrics(SM_SERVERR2) != 0);
}

bool Is64BitSystem()
{
    using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    auto isWow64 = kernel ? reinterpret_cast<IsWow64>(
                                reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))
                          : nullptr;
    if (!isWow64) return false;
    BOOL wow64 = FALSE;
    if (isWow64(GetCurrentProcess(), &wow64)) return wow64 != FALSE;
    SYSTEM_INFO info;
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

} // namespace Utils
