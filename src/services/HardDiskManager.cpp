#include "services/HardDiskManager.h"

#include "core/DebugLog.h"

#include <windows.h>

namespace Utils {

bool HardDiskManager::CheckFreeSpace(const std::wstring& path)
{
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(path.c_str(), &available, &total, &free)) {
        DEBUG_LOG(L"HardDiskManager::CheckFreeSpace FAIL code=%ld\r\n", static_cast<long>(GetLastError()));
        return false;
    }
    m_FreeBytesAvailable = available.QuadPart;
    m_TotalBytes = total.QuadPart;
    m_TotalFreeBytes = free.QuadPart;
    return true;
}

} // namespace Utils
