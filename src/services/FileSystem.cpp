#include "services/FileSystem.h"

#include <windows.h>

namespace Utils {

namespace {

bool DirectoryExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EnsureDirectory(const std::wstring& path)
{
    if (DirectoryExists(path)) return true;
    // A drive root ("C:\") or an entry that is a file cannot be created; another process
    // may have made the directory meanwhile.
    return CreateDirectoryW(path.c_str(), nullptr) || DirectoryExists(path);
}

} // namespace

std::wstring GetTempDir()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH, buffer);
    if (length == 0 || length > MAX_PATH) return std::wstring();
    std::wstring dir = buffer;
    if (dir.back() != L'\\') dir += L'\\';
    dir += L"~VarnelTemp.41831C53DC653F93\\";
    if (DirectoryExists(dir)) return dir;
    return CreateDirectoryW(dir.c_str(), nullptr) ? dir : std::wstring();
}

bool CreateDirectories(const std::wstring& path)
{
    if (path.empty() || path.size() > MAX_PATH) return false;
    for (size_t at = path.find(L'\\'); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
        if (!EnsureDirectory(path.substr(0, at + 1))) return false;
    }
    if (path.back() != L'\\' && !EnsureDirectory(path)) return false;
    return true;
}

bool FileExists(const std::wstring& path)
{
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace Utils
