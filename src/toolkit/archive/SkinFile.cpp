#include "toolkit/archive/SkinFile.h"

#include <windows.h>

#include <memory>

#include "toolkit/archive/SkinResources.h"

DiskReadStatus ReadDiskFile(const std::wstring& path, uint64_t maxSize, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return DiskReadStatus::kOpenFailed;
    }
    LARGE_INTEGER length{};
    DiskReadStatus status = DiskReadStatus::kOk;
    if (!GetFileSizeEx(file, &length)) {
        status = DiskReadStatus::kReadFailed;
    } else if (length.QuadPart == 0) {
        status = DiskReadStatus::kEmpty;
    } else if (static_cast<uint64_t>(length.QuadPart) > (maxSize < kMaxDiskFileSize ? maxSize : kMaxDiskFileSize)) {
        status = DiskReadStatus::kTooLarge;
    } else {
        bytes.resize(static_cast<size_t>(length.QuadPart));
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr) ||
                got == 0) {
                status = DiskReadStatus::kReadFailed;
                bytes.clear();
                break;
            }
            done += got;
        }
    }
    CloseHandle(file);
    return status;
}

bool ReadSkinArchiveEntry(const std::wstring& name, std::vector<uint8_t>& bytes, std::wstring& error,
                          bool sizeLimit)
{
    bytes.clear();
    error.clear();
    std::unique_ptr<SkinArchive> opened;
    const SkinArchive* archive = nullptr;
    if (CSkinResources::IsArchiveCached()) {
        archive = CSkinResources::CurrentArchive();
    } else {
        opened = SkinArchive::OpenFromFile(CSkinResources::SkinFolder() + CSkinResources::ArchiveName());
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

bool ReadSkinFile(const std::wstring& name, std::vector<uint8_t>& bytes, std::wstring& error,
                  bool sizeLimit)
{
    bytes.clear();
    error.clear();
    if (CSkinResources::ArchiveName().empty()) {
        switch (ReadDiskFile(CSkinResources::SkinFolder() + name, sizeLimit ? kMaxSkinFileSize : kMaxDiskFileSize,
                             bytes)) {
        case DiskReadStatus::kOk: return true;
        case DiskReadStatus::kOpenFailed: error = L"Error opening file"; break;
        case DiskReadStatus::kEmpty: error = L"File is empty"; break;
        case DiskReadStatus::kTooLarge: error = L"File too large"; break;
        case DiskReadStatus::kReadFailed: error = L"Could not read file"; break;
        }
        return false;
    }
    if (!CSkinResources::IsSevenZipArchive()) {
        // Only the 7z reader exists; without it there is no archive to read from.
        error = L"Error opening zip file";
        return false;
    }
    return ReadSkinArchiveEntry(name, bytes, error, sizeLimit);
}
