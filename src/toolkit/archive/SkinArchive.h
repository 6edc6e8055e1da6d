// One opened 7z skin archive: every file entry decoded once at open time, then found by
// name (letter case ignored, either slash) and copied out without decompressing again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SkinArchiveEntry {
    std::wstring name;        // stored path, forward slashes
    uint32_t nameLength = 0;  // UTF-16 units including the terminating zero
    uint32_t index = 0;       // item index in the archive
    uint64_t size = 0;        // decoded size in bytes
    std::vector<uint8_t> data;
};

class SkinArchive {
public:
    // Status of FindEntry/ExtractEntry when nothing matches.
    static constexpr uint32_t kNotFound = 0x10000;

    // None when the bytes are not a readable 7z archive.
    static std::unique_ptr<SkinArchive> OpenFromMemory(const void* bytes, size_t size);
    // None when the file cannot be opened; an archive without entries when it opens but
    // is not a readable 7z archive.
    static std::unique_ptr<SkinArchive> OpenFromFile(const std::wstring& path);
    static void CloseArchive(std::unique_ptr<SkinArchive>& archive) { archive.reset(); }

    // 0 and the entry's item index and size, or kNotFound.
    uint32_t FindEntry(const std::wstring& name, uint32_t& index, uint64_t& size) const;
    // 0 after copying the entry with that item index into `out`, or kNotFound.
    uint32_t ExtractEntry(uint32_t index, std::vector<uint8_t>& out) const;

    const std::vector<SkinArchiveEntry>& Entries() const { return m_Entries; }

    SkinArchive(const SkinArchive&) = delete;
    SkinArchive& operator=(const SkinArchive&) = delete;
    SkinArchive() = default;

private:
    // False when the archive database cannot be opened; entries decoded before a
    // failing item stay.
    bool Load(const uint8_t* bytes, size_t size);

    std::vector<SkinArchiveEntry> m_Entries;
};

// The helpers shared by both look-up paths, kept pure for tests.
namespace SkinArchiveNames {
// "res\mainWnd\bg1.png" -> "res/mainWnd/bg1.png".
std::wstring Normalize(const std::wstring& name);
// Whether an entry answers a request: same length, equal ignoring letter case.
bool Matches(const SkinArchiveEntry& entry, const std::wstring& normalizedName);
} // namespace SkinArchiveNames
