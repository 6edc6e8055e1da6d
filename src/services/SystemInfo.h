// Which Windows this is, and whether it is 64-bit.
#pragma once

#include <string>

namespace Utils {

// family is always "Windows"; name is the version name of OSVersionName ("XP", "7", "10"),
// or "XP-" when the system library cannot be loaded.
void GetOSVersion(std::wstring& family, std::wstring& name);

// The version name for the real version numbers: "XP-", "2K", "XP", "Server 2003",
// "Server 2003 R2", "XP+", "Vista", "7", "8", "8.1", "8.1+", "10", "10+", or
// "major.minor.build" for anything else. `serverR2` is the SM_SERVERR2 metric.
std::wstring OSVersionName(unsigned long major, unsigned long minor, unsigned long build, bool serverR2);

// True on a 64-bit Windows (this 32-bit program then runs under WOW64).
bool Is64BitSystem();

} // namespace Utils
