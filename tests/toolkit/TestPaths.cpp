#include "TestPaths.h"

#include <windows.h>

#include <fstream>
#include <iterator>

#include "services/TextConversion.h"


std::wstring FixturePath(const std::string& name)
{
#ifdef TOOLKIT_FIXTURES
    return HostPath(std::string(TOOLKIT_FIXTURES) + "/" + name);
#else
    return HostPath(name);
#endif
}

std::vector<uint8_t> ReadAll(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
                           got != bytes.size())) {
        bytes.clear();
    }
    CloseHandle(file);
    return bytes;
}

bool WriteAll(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = bytes.empty() ||
              (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size());
    CloseHandle(file);
    return ok;
}

bool MakeSizedFile(const std::wstring& path, uint64_t size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

std::wstring FreshFolder(const std::wstring& name)
{
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::wstring folder = std::wstring(cwd) + L"\\" + name;
    // Remove what an earlier run left (files only; the fixtures here are flat).
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileW((folder + L"\\" + found.cFileName).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\";
}
