// Small helpers shared by the demo package and the demo uninstaller: protocol lines on
// standard output, folders and files.
#pragma once

#include <windows.h>

#include <string>

namespace Demo {

// What the package puts into the install folder, and the uninstaller removes again.
inline const wchar_t* const kInstalledFiles[] = {
    L"lumenomanager.exe", L"uninst.exe", L"uninst.ep", L"config.ini", L"lumeno.dat",
};

// Writes one protocol line (a line feed is added) and makes it visible at once.
inline void Emit(const std::string& line)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    FlushFileBuffers(out);
}

inline std::string Narrow(const std::wstring& text, UINT codePage)
{
    if (text.empty()) return std::string();
    int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string result(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0], length,
                            nullptr, nullptr);
    return result;
}

// The text after the last occurrence of `marker` in the raw command line (installers
// take the folder after "/D=" or "_?=" up to the end, blanks included).
inline std::wstring TailAfter(const std::wstring& raw, const std::wstring& marker)
{
    size_t at = raw.rfind(marker);
    if (at == std::wstring::npos) return std::wstring();
    std::wstring tail = raw.substr(at + marker.size());
    while (!tail.empty() && (tail.back() == L' ' || tail.back() == L'"' || tail.back() == L'\\' || tail.back() == L'/'))
        tail.pop_back();
    return tail;
}

inline bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool MakeFolders(const std::wstring& folder)
{
    for (size_t i = 0; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == L'\\' || folder[i] == L'/') {
            std::wstring part = folder.substr(0, i);
            if (part.empty() || (part.size() == 2 && part[1] == L':')) continue;
            if (!Exists(part) && !CreateDirectoryW(part.c_str(), nullptr)) return false;
        }
    }
    return Exists(folder);
}

inline bool WriteBytes(const std::wstring& path, const void* data, size_t size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    CloseHandle(file);
    return ok;
}

inline std::string ReadSmallFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    char buffer[256];
    DWORD got = 0;
    ReadFile(file, buffer, sizeof(buffer), &got, nullptr);
    CloseHandle(file);
    std::string text(buffer, got);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

} // namespace Demo
