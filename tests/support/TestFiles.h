// Host paths, scratch folders, small files and environment variables for tests that use the
// real file system of the test prefix. Everything a test makes here is removed again afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "services/TextConversion.h"

namespace TestFiles {

// A host path ("/work/main/x", UTF-8) as the Windows program sees it: "Z:\work\main\x".
inline std::wstring HostPath(const std::string& hostPath)
{
    std::wstring path = L"Z:" + Utils::ToWide(hostPath, CP_UTF8);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

// Deletes `dir` with everything below it; a missing folder is fine.
inline void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = dir + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

inline bool IsDirectory(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates or truncates the file at `path` and writes `bytes` into it.
inline bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// "<temporary path><prefix>-<process id>": a folder of this test process, gone before and
// after use. `create` makes the folder itself; otherwise only its absence is assured.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& prefix, bool create = true)
    {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        m_Path = std::wstring(temp) + prefix + L"-" + std::to_wstring(GetCurrentProcessId());
        RemoveTree(m_Path);
        if (create) CreateDirectoryW(m_Path.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(m_Path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return m_Path; }

private:
    std::wstring m_Path;
};

// Keeps an environment variable's value and puts it back (or removes it) afterwards.
class SavedVariable {
public:
    explicit SavedVariable(const wchar_t* name) : m_Name(name)
    {
        std::vector<wchar_t> buffer(32768);
        DWORD length = GetEnvironmentVariableW(name, buffer.data(), 32768);
        m_Had = length > 0 && length < 32768;
        if (m_Had) m_Value = buffer.data();
    }
    ~SavedVariable() { SetEnvironmentVariableW(m_Name.c_str(), m_Had ? m_Value.c_str() : nullptr); }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

private:
    std::wstring m_Name, m_Value;
    bool m_Had = false;
};

} // namespace TestFiles
