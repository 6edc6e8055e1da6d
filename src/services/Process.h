// Process lookup by executable name.
#pragma once

#include <windows.h>

#include <string>

namespace Utils {

// Process id of the first running process whose executable file name (with extension,
// no folder) equals `exeName` exactly, letter case included; 0 when there is none.
DWORD FindProcess(const std::wstring& exeName);

} // namespace Utils
