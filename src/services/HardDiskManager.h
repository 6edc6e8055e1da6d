// Free space of a volume.
#pragma once

#include <cstdint>
#include <string>

namespace Utils {

class HardDiskManager {
public:
    virtual ~HardDiskManager() = default;

    // Fills the byte counts for the volume holding `path` (a directory or a root such
    // as "C:"). On failure logs the error and leaves the counts as they were.
    bool CheckFreeSpace(const std::wstring& path);

    uint64_t m_FreeBytesAvailable = 0;  // for the calling user, quota applied
    uint64_t m_TotalBytes = 0;
    uint64_t m_TotalFreeBytes = 0;
};

} // namespace Utils
