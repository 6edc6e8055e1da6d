#include "services/FileSystem.h"

#include <windows.h>

#include <vector>

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

std::wstring ExecutablePath()
{
    // Long-path systems may hand back more than MAX_PATH characters; the name is never
    // longer than the longest path the system accepts.
    const DWORD kLongestPath = 32768;
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        if (buffer.size() >= kLongestPath) return std::wstring();
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace Utils
