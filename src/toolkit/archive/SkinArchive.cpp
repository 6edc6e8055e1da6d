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
#include "toolkit/archive/SkinFile.h"

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
    if (path.empty()) {
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    DiskReadStatus status = ReadDiskFile(path, kMaxDiskFileSize, bytes);
    if (status == DiskReadStatus::kOpenFailed || status == DiskReadStatus::kReadFailed) {
        return nullptr;
    }
    // An empty or oversized file opened fine but is no usable archive: no entries.
    std::unique_ptr<SkinArchive> archive(new SkinArchive());
    if (status == DiskReadStatus::kOk) {
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
