#include "toolkit/archive/SkinFile.h"

#include <windows.h>

#include <memory>

#include "toolkit/archive/SkinResources.h"

namespace {

// Loose files beyond this are refused even without the size limit: no skin picture comes
// anywhere near it, and a 32-bit process must not try to hold it.
constexpr uint64_t kMaxLooseFileSize = 256ull * 1024 * 1024;

bool ReadLooseFile(const std::wstring& path, std::vector<uint8_t>& bytes, std::wstring& error,
                   bool sizeLimit)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = L"Error opening file";
        return false;
    }
    LARGE_INTEGER length{};
    bool ok = false;
    if (!GetFileSizeEx(file, &length)) {
        error = L"Could not read file";
    } else if (length.QuadPart == 0) {
        error = L"File is empty";
    } else if ((sizeLimit && static_cast<uint64_t>(length.QuadPart) > kMaxSkinFileSize) ||
               static_cast<uint64_t>(length.QuadPart) > kMaxLooseFileSize) {
        error = L"File too large";
    } else {
        bytes.resize(static_cast<size_t>(length.QuadPart));
        size_t done = 0;
        ok = true;
        while (done < bytes.size()) {
            DWORD got = 0;
            if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got,
                          nullptr) || got == 0) {
                ok = false;
                break;
            }
            done += got;
        }
        if (!ok) {
            bytes.clear();
            error = L"Could not read file";
        }
    }
    CloseHandle(file);
    return ok;
}

} // namespace

bool ReadSkinFile(const std::wstring& name, std::vector<uint8_t>& bytes, std::wstring& error,
                  bool sizeLimit)
{
    bytes.clear();
    error.clear();
    const std::wstring& archiveName = CSkinResources::ArchiveName();
    if (archiveName.empty()) {
        return ReadLooseFile(CSkinResources::SkinFolder() + name, bytes, error, sizeLimit);
    }
    if (!CSkinResources::IsSevenZipArchive()) {
        // Only the 7z reader exists; without it there is no archive to read from.
        error = L"Error opening zip file";
        return false;
    }

    std::unique_ptr<SkinArchive> opened;
    const SkinArchive* archive = nullptr;
    if (CSkinResources::IsArchiveCached()) {
        archive = CSkinResources::CurrentArchive();
    } else {
        opened = SkinArchive::OpenFromFile(CSkinResources::SkinFolder() + archiveName);
        archive = opened.get();
    }
    if (archive == nullptr) {
        error = L"Error opening zip file";
        return false;
    }
    uint32_t index = 0;
    uint64_t size = 0;
    if (archive->FindEntry(name, index, size) != 0) {
        error = L"Could not find ziped file";
        return false;
    }
    if (size == 0) {
        error = L"File is empty";
        return false;
    }
    if (sizeLimit && size > kMaxSkinFileSize) {
        error = L"File too large";
        return false;
    }
    if (archive->ExtractEntry(index, bytes) != 0) {
        bytes.clear();
        error = L"Could not unzip file";
        return false;
    }
    return true;
}
