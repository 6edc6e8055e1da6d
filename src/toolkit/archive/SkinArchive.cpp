#include "toolkit/archive/SkinArchive.h"

#include <windows.h>

#include <cstring>
#include <mutex>

extern "C" {
#include "7z.h"
#include "7zAlloc.h"
#include "7zCrc.h"
}

#include "core/DebugLog.h"

namespace {

// The skin is a few megabytes; anything far beyond that is damage, not content, and
// must not exhaust a 32-bit address space.
constexpr size_t kMaxAllocation = 256u * 1024 * 1024;
constexpr uint64_t kMaxTotalDecoded = 256ull * 1024 * 1024;
constexpr size_t kLookBufferSize = 1 << 14;

void* BoundedAlloc(ISzAllocPtr, size_t size)
{
    if (size == 0 || size > kMaxAllocation) {
        return nullptr;
    }
    return malloc(size);
}

void BoundedFree(ISzAllocPtr, void* address)
{
    free(address);
}

const ISzAlloc g_Alloc = {BoundedAlloc, BoundedFree};

// A seekable input stream over bytes held in memory.
struct MemoryInStream {
    ISeekInStream vt;
    const uint8_t* data;
    size_t size;
    size_t pos;
};

SRes MemoryRead(ISeekInStreamPtr p, void* buf, size_t* size)
{
    auto* s = reinterpret_cast<MemoryInStream*>(const_cast<ISeekInStream*>(p));
    size_t remaining = s->size - s->pos;
    size_t n = *size < remaining ? *size : remaining;
    if (n) {
        memcpy(buf, s->data + s->pos, n);
    }
    s->pos += n;
    *size = n;
    return SZ_OK;
}

SRes MemorySeek(ISeekInStreamPtr p, Int64* pos, ESzSeek origin)
{
    auto* s = reinterpret_cast<MemoryInStream*>(const_cast<ISeekInStream*>(p));
    Int64 base = 0;
    switch (origin) {
    case SZ_SEEK_SET: base = 0; break;
    case SZ_SEEK_CUR: base = static_cast<Int64>(s->pos); break;
    case SZ_SEEK_END: base = static_cast<Int64>(s->size); break;
    default: return SZ_ERROR_PARAM;
    }
    Int64 target = base + *pos;
    if (target < 0 || static_cast<uint64_t>(target) > s->size) {
        return SZ_ERROR_READ;
    }
    s->pos = static_cast<size_t>(target);
    *pos = target;
    return SZ_OK;
}

void InitCrcTable()
{
    static std::once_flag once;
    std::call_once(once, [] { CrcGenerateTable(); });
}

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = false;
    LARGE_INTEGER length{};
    if (GetFileSizeEx(file, &length) && static_cast<uint64_t>(length.QuadPart) <= kMaxAllocation) {
        bytes.resize(static_cast<size_t>(length.QuadPart));
        size_t done = 0;
        ok = true;
        while (done < bytes.size()) {
            DWORD got = 0;
            DWORD want = static_cast<DWORD>(bytes.size() - done);
            if (!ReadFile(file, bytes.data() + done, want, &got, nullptr) || got == 0) {
                ok = false;
                break;
            }
            done += got;
        }
    } else {
        // Opened but unusable as an archive: an empty archive, not a failure to open.
        bytes.clear();
        ok = true;
    }
    CloseHandle(file);
    return ok;
}

} // namespace

namespace SkinArchiveNames {

std::wstring Normalize(const std::wstring& name)
{
    std::wstring copy = name;
    for (wchar_t& c : copy) {
        if (c == L'\\') {
            c = L'/';
        }
    }
    return copy;
}

bool Matches(const SkinArchiveEntry& entry, const std::wstring& normalizedName)
{
    if (entry.nameLength != normalizedName.size() + 1 || entry.name.size() != normalizedName.size()) {
        return false;
    }
    if (normalizedName.empty()) {
        return true;
    }
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.name.data(),
                          static_cast<int>(entry.name.size()), normalizedName.data(),
                          static_cast<int>(normalizedName.size())) == CSTR_EQUAL;
}

} // namespace SkinArchiveNames

std::unique_ptr<SkinArchive> SkinArchive::OpenFromMemory(const void* bytes, size_t size)
{
    if (bytes == nullptr || size == 0) {
        return nullptr;
    }
    std::unique_ptr<SkinArchive> archive(new SkinArchive());
    if (!archive->Load(static_cast<const uint8_t*>(bytes), size)) {
        return nullptr;
    }
    return archive;
}

std::unique_ptr<SkinArchive> SkinArchive::OpenFromFile(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    if (path.empty() || !ReadWholeFile(path, bytes)) {
        return nullptr;
    }
    std::unique_ptr<SkinArchive> archive(new SkinArchive());
    if (!bytes.empty()) {
        archive->Load(bytes.data(), bytes.size());
    }
    return archive;
}

bool SkinArchive::Load(const uint8_t* bytes, size_t size)
{
    InitCrcTable();

    MemoryInStream input;
    input.vt.Read = MemoryRead;
    input.vt.Seek = MemorySeek;
    input.data = bytes;
    input.size = size;
    input.pos = 0;

    CLookToRead2 look;
    LookToRead2_CreateVTable(&look, False);
    look.buf = static_cast<Byte*>(malloc(kLookBufferSize));
    if (look.buf == nullptr) {
        return false;
    }
    look.bufSize = kLookBufferSize;
    look.realStream = &input.vt;
    LookToRead2_INIT(&look);

    CSzArEx db;
    SzArEx_Init(&db);
    SRes res = SzArEx_Open(&db, &look.vt, &g_Alloc, &g_Alloc);
    if (res != SZ_OK) {
        DEBUG_LOG(L"cannot open archive database: %d\r\n", static_cast<int>(res));
        SzArEx_Free(&db, &g_Alloc);
        free(look.buf);
        return false;
    }

    UInt32 blockIndex = 0xFFFFFFFF;
    Byte* outBuffer = nullptr;
    size_t outBufferSize = 0;
    uint64_t totalDecoded = 0;
    std::vector<UInt16> nameBuffer;
    for (UInt32 i = 0; i < db.NumFiles; ++i) {
        if (SzArEx_IsDir(&db, i)) {
            continue;
        }
        size_t nameLength = SzArEx_GetFileNameUtf16(&db, i, nullptr);
        if (nameLength == 0) {
            break;
        }
        nameBuffer.assign(nameLength, 0);
        SzArEx_GetFileNameUtf16(&db, i, nameBuffer.data());

        size_t offset = 0;
        size_t processed = 0;
        res = SzArEx_Extract(&db, &look.vt, i, &blockIndex, &outBuffer, &outBufferSize, &offset,
                             &processed, &g_Alloc, &g_Alloc);
        if (res != SZ_OK) {
            DEBUG_LOG(L"cannot decode item %u: %d\r\n", static_cast<unsigned>(i), static_cast<int>(res));
            break;
        }
        if (processed > 0 && (outBuffer == nullptr || offset > outBufferSize || processed > outBufferSize - offset)) {
            break;
        }
        totalDecoded += processed;
        if (totalDecoded > kMaxTotalDecoded) {
            DEBUG_LOG(L"archive content too large, stopped at item %u\r\n", static_cast<unsigned>(i));
            break;
        }

        SkinArchiveEntry entry;
        entry.name.assign(reinterpret_cast<const wchar_t*>(nameBuffer.data()), nameLength - 1);
        entry.nameLength = static_cast<uint32_t>(nameLength);
        entry.index = i;
        entry.size = processed;
        if (processed) {
            entry.data.assign(outBuffer + offset, outBuffer + offset + processed);
        }
        m_Entries.push_back(std::move(entry));
    }

    ISzAlloc_Free(&g_Alloc, outBuffer);
    SzArEx_Free(&db, &g_Alloc);
    free(look.buf);
    return true;
}

uint32_t SkinArchive::FindEntry(const std::wstring& name, uint32_t& index, uint64_t& size) const
{
    if (name.empty()) {
        return kNotFound;
    }
    std::wstring wanted = SkinArchiveNames::Normalize(name);
    for (const SkinArchiveEntry& entry : m_Entries) {
        if (SkinArchiveNames::Matches(entry, wanted)) {
            index = entry.index;
            size = entry.size;
            return 0;
        }
    }
    return kNotFound;
}

uint32_t SkinArchive::ExtractEntry(uint32_t index, std::vector<uint8_t>& out) const
{
    for (const SkinArchiveEntry& entry : m_Entries) {
        if (entry.index == index) {
            out = entry.data;
            return 0;
        }
    }
    return kNotFound;
}
