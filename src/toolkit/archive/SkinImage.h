// Decoding skin pictures into ready-to-blend 32-bit bitmaps: B, G, R, A per pixel,
// colour channels premultiplied by alpha, rows top-down.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The resource type that makes a 1x1 picture of the colour given as the image name.
constexpr const wchar_t* kColorImageType = L"*COLOR*";

// Decoded pixels without any drawing object (what the bitmap is filled from).
struct PixelImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bgra;  // premultiplied, top-down
    bool hasAlpha = false;
};

struct ImageEntry {
    HBITMAP bitmap = nullptr;
    uint8_t* pixels = nullptr;                // into the bitmap
    std::vector<uint8_t> adjustmentCopy;      // only when `adjustable`
    int32_t width = 0;
    int32_t height = 0;
    bool hasAlpha = false;
    bool adjustable = false;
    std::wstring resourceType;
    uint32_t mask = 0;

    ImageEntry() = default;
    ~ImageEntry();
    ImageEntry(const ImageEntry&) = delete;
    ImageEntry& operator=(const ImageEntry&) = delete;
};

// RGBA (as decoded) to premultiplied BGRA. A pixel whose value as 0xAARRGGBB equals
// `mask` becomes all zero. Returns whether any pixel is not fully opaque afterwards.
bool PremultiplyPixels(const uint8_t* rgba, size_t pixelCount, uint32_t mask, uint8_t* bgra);

// Decodes PNG (or another format the decoder knows) from memory. False on any failure.
bool DecodePixels(const uint8_t* bytes, size_t size, uint32_t mask, PixelImage& image);

// The 1x1 picture of a colour written as hexadecimal AARRGGBB, "#" optional.
PixelImage ColorPixel(const std::wstring& colorText, uint32_t mask);

// Loads an image by name: `type` "*COLOR*" for a colour, another non-empty type for a
// module resource of that type, none (null or empty) for a skin file; the name as a
// path on disk when that source yields nothing. None when nothing decodes.
std::unique_ptr<ImageEntry> DecodeImage(const std::wstring& name, const wchar_t* type, uint32_t mask);
