#include "toolkit/archive/ImageCache.h"

ImageEntry* CImageCache::CacheImage(const std::wstring& name, const wchar_t* type, uint32_t mask, bool keepCopy)
{
    std::unique_ptr<ImageEntry> entry = DecodeImage(name, type, mask);
    if (!entry) {
        return nullptr;
    }
    if (keepCopy) {
        entry->adjustable = true;
        entry->adjustmentCopy.assign(entry->pixels, entry->pixels + size_t(entry->width) * size_t(entry->height) * 4);
    }
    ImageEntry* stored = entry.get();
    m_Images[name] = std::move(entry);
    return stored;
}

ImageEntry* CImageCache::Find(const std::wstring& name) const
{
    auto it = m_Images.find(name);
    return it == m_Images.end() ? nullptr : it->second.get();
}

CImageCache& CImageCache::Shared()
{
    static CImageCache shared;
    return shared;
}

ImageEntry* FindImage(const CImageCache& window, const std::wstring& name)
{
    ImageEntry* entry = window.Find(name);
    return entry ? entry : CImageCache::Shared().Find(name);
}

ImageEntry* GetOrLoadImage(CImageCache& window, const std::wstring& name, const wchar_t* type, uint32_t mask,
                           bool keepCopy)
{
    ImageEntry* entry = FindImage(window, name);
    return entry ? entry : window.CacheImage(name, type, mask, keepCopy);
}
