#include "services/Process.h"

#include <tlhelp32.h>

namespace Utils {

DWORD FindProcess(const std::wstring& exeName)
{
    // Entries of processes still starting may have no name yet; an empty name matches none.
    if (exeName.empty()) return 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    DWORD found = 0;
    // The system idle process (id 0) is never a match. It is usually the first entry, but
    // not everywhere, so the first entry is compared like any other.
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID != 0 && lstrcmpW(entry.szExeFile, exeName.c_str()) == 0) {
            found = entry.th32ProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}

} // namespace Utils
