// Reading one skin file by its name relative to the skin root: a loose file under the
// skin folder, or an entry of the skin archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Largest skin file the readers accept (4 MiB).
constexpr uint64_t kMaxSkinFileSize = 4194304;

// True with the file's bytes; false with one of "Error opening file", "File is empty",
// "File too large", "Could not read file", "Error opening zip file",
// "Could not find ziped file", "Could not unzip file" in `error`.
// Images are read with `sizeLimit` false.
bool ReadSkinFile(const std::wstring& name, std::vector<uint8_t>& bytes, std::wstring& error,
                  bool sizeLimit = true);
