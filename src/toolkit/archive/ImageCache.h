// Decoded pictures by the exact name they were asked for: one cache per window, and one
// process-wide cache of shared pictures. Entries live until replaced or the cache goes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "toolkit/archive/SkinImage.h"

class CImageCache {
public:
    CImageCache() = default;
    CImageCache(const CImageCache&) = delete;
    CImageCache& operator=(const CImageCache&) = delete;

    // Decodes the picture and stores it under `name`, releasing an older entry of that
    // name; with `keepCopy` a copy of the pixels is kept for colour adjustment. None (and
    // the older entry kept) when nothing decodes.
    ImageEntry* CacheImage(const std::wstring& name, const wchar_t* type, uint32_t mask, bool keepCopy);
    ImageEntry* Find(const std::wstring& name) const;
    void Clear() { m_Images.clear(); }
    size_t Size() const { return m_Images.size(); }

    // The pictures shared by all windows of the process.
    static CImageCache& Shared();

private:
    std::map<std::wstring, std::unique_ptr<ImageEntry>> m_Images;
};

// The window's entry, else the shared one, else none.
ImageEntry* FindImage(const CImageCache& window, const std::wstring& name);
// FindImage; when missing, cached in the window's cache. A name that failed is tried
// again on the next request.
ImageEntry* GetOrLoadImage(CImageCache& window, const std::wstring& name, const wchar_t* type, uint32_t mask,
                           bool keepCopy);
