#include "toolkit/archive/SkinImage.h"

#include <cstring>
#include <cwchar>

#include "toolkit/archive/SkinFile.h"
#include "toolkit/archive/SkinResources.h"

// Skin pictures are small; refusing huge dimensions keeps damaged files from asking for
// gigabytes.
#define STBI_MAX_DIMENSIONS 16384
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#include "stb_image.h"
#pragma GCC diagnostic pop

namespace {

constexpr uint64_t kMaxPixelCount = 64ull * 1024 * 1024;

bool ReadModuleResource(const std::wstring& name, const wchar_t* type, std::vector<uint8_t>& bytes)
{
    HINSTANCE instance = CSkinResources::GetResourceInstance();
    LPCWSTR resourceName = name.c_str();
    if (!name.empty() && name[0] >= L'0' && name[0] <= L'9') {
        // Resource numbers are 1 to 65535; a larger number must not wrap onto another one.
        unsigned long id = wcstoul(name.c_str(), nullptr, 10);
        if (id == 0 || id > 0xFFFF) {
            return false;
        }
        resourceName = MAKEINTRESOURCEW(static_cast<WORD>(id));
    }
    HRSRC info = FindResourceW(instance, resourceName, type);
    if (info == nullptr) {
        return false;
    }
    DWORD size = SizeofResource(instance, info);
    HGLOBAL loaded = LoadResource(instance, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr || size == 0) {
        return false;
    }
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes.assign(p, p + size);
    return true;
}

} // namespace

ImageEntry::~ImageEntry()
{
    if (bitmap) {
        DeleteObject(bitmap);
    }
}

bool PremultiplyPixels(const uint8_t* rgba, size_t pixelCount, uint32_t mask, uint8_t* bgra)
{
    bool hasAlpha = false;
    for (size_t i = 0; i < pixelCount; ++i) {
        const uint8_t* s = rgba + i * 4;
        uint8_t* d = bgra + i * 4;
        uint8_t r = s[0], g = s[1], b = s[2], a = s[3];
        if (a == 255) {
            d[0] = b;
            d[1] = g;
            d[2] = r;
        } else {
            d[0] = static_cast<uint8_t>(b * a / 255);
            d[1] = static_cast<uint8_t>(g * a / 255);
            d[2] = static_cast<uint8_t>(r * a / 255);
            hasAlpha = true;
        }
        d[3] = a;
        uint32_t value = (uint32_t(d[3]) << 24) | (uint32_t(d[2]) << 16) | (uint32_t(d[1]) << 8) | d[0];
        if (value == mask) {
            d[0] = d[1] = d[2] = d[3] = 0;
            hasAlpha = true;
        }
    }
    return hasAlpha;
}

bool DecodePixels(const uint8_t* bytes, size_t size, uint32_t mask, PixelImage& image)
{
    image = PixelImage();
    if (bytes == nullptr || size == 0 || size > 0x7FFFFFFF) {
        return false;
    }
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(bytes, static_cast<int>(size), &width, &height, &channels, 4);
    if (rgba == nullptr) {
        return false;
    }
    bool ok = width > 0 && height > 0 && uint64_t(width) * uint64_t(height) <= kMaxPixelCount;
    if (ok) {
        size_t count = size_t(width) * size_t(height);
        image.width = width;
        image.height = height;
        image.bgra.resize(count * 4);
        image.hasAlpha = PremultiplyPixels(rgba, count, mask, image.bgra.data());
    }
    stbi_image_free(rgba);
    return ok;
}

PixelImage ColorPixel(const std::wstring& colorText, uint32_t mask)
{
    const wchar_t* p = colorText.c_str();
    if (*p == L'#') {
        ++p;
    }
    uint32_t color = static_cast<uint32_t>(wcstoul(p, nullptr, 16));
    uint8_t rgba[4] = {uint8_t(color >> 16), uint8_t(color >> 8), uint8_t(color), uint8_t(color >> 24)};
    PixelImage image;
    image.width = 1;
    image.height = 1;
    image.bgra.resize(4);
    image.hasAlpha = PremultiplyPixels(rgba, 1, mask, image.bgra.data());
    return image;
}

std::unique_ptr<ImageEntry> DecodeImage(const std::wstring& name, const wchar_t* type, uint32_t mask)
{
    std::wstring typeText = type ? type : L"";
    PixelImage image;
    if (typeText == kColorImageType) {
        image = ColorPixel(name, mask);
    } else {
        std::vector<uint8_t> bytes;
        bool found = false;
        if (!typeText.empty()) {
            found = ReadModuleResource(name, type, bytes);
        } else {
            std::wstring error;
            found = ReadSkinFile(name, bytes, error, false);
        }
        if (!found && ReadDiskFile(name, kMaxDiskFileSize, bytes) != DiskReadStatus::kOk) {
            return nullptr;
        }
        if (!DecodePixels(bytes.data(), bytes.size(), mask, image)) {
            return nullptr;
        }
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        if (bitmap) {
            DeleteObject(bitmap);
        }
        return nullptr;
    }
    memcpy(bits, image.bgra.data(), image.bgra.size());

    std::unique_ptr<ImageEntry> entry(new ImageEntry());
    entry->bitmap = bitmap;
    entry->pixels = static_cast<uint8_t*>(bits);
    entry->width = image.width;
    entry->height = image.height;
    entry->hasAlpha = image.hasAlpha;
    entry->resourceType = typeText;
    entry->mask = mask;
    return entry;
}
