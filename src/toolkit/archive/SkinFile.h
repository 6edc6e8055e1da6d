// Reading one skin file by its name relative to the skin root: a loose file under the
// skin folder, or an entry of the skin archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Largest skin file the readers accept (4 MiB).
constexpr uint64_t kMaxSkinFileSize = 4194304;
// Largest file read from disk at all, pictures and archives included: nothing of a skin
// comes near it, and a 32-bit process must not try to hold more.
constexpr uint64_t kMaxDiskFileSize = 256ull * 1024 * 1024;

// True with the file's bytes; false with one of "Error opening file", "File is empty",
// "File too large", "Could not read file", "Error opening zip file",
// "Could not find ziped file", "Could not unzip file" in `error`.
// Images are read with `sizeLimit` false.
bool ReadSkinFile(const std::wstring& name, std::vector<uint8_t>& bytes, std::wstring& error,
                  bool sizeLimit = true);

// The archive half of ReadSkinFile: the entry `name` of the held archive, or of the
// archive file opened for this one read. Same messages.
bool ReadSkinArchiveEntry(const std::wstring& name, std::vector<uint8_t>& bytes, std::wstring& error,
                          bool sizeLimit = true);

enum class DiskReadStatus { kOk, kOpenFailed, kEmpty, kTooLarge, kReadFailed };

// The whole file at `path` (opened with shared read access) when it holds 1 to
// `maxSize` bytes; `bytes` is empty unless the result is kOk.
DiskReadStatus ReadDiskFile(const std::wstring& path, uint64_t maxSize, std::vector<uint8_t>& bytes);
