#include "services/Process.h"

#include <tlhelp32.h>

namespace Utils {

DWORD FindProcess(const std::wstring& exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    DWORD found = 0;
    // The first entry is the system idle process and is never compared.
    if (Process32FirstW(snapshot, &entry)) {
        while (Process32NextW(snapshot, &entry)) {
            if (lstrcmpW(entry.szExeFile, exeName.c_str()) == 0) {
                found = entry.th32ProcessID;
                break;
            }
        }
    }
    CloseHandle(snapshot);
    return found;
}

} // namespace Utils
