// The installer's temporary folder and directory chains.
#pragma once

#include <string>

namespace Utils {

// "~VarnelTemp.41831C53DC653F93\" under the user's temporary path, created when missing;
// empty when it neither exists nor can be created.
std::wstring GetTempDir();

// Creates every missing directory along `path` (backslash-separated, at most 260
// characters). True when all of them exist afterwards.
bool CreateDirectories(const std::wstring& path);

// True when `path` names an existing file (not a folder).
bool FileExists(const std::wstring& path);

// Full path of the running executable; empty when the system cannot tell it.
std::wstring ExecutablePath();

} // namespace Utils
