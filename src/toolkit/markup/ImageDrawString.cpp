#include "toolkit/markup/ImageDrawString.h"

#include "toolkit/archive/SkinImage.h"

namespace {

inline bool IsSpace(wchar_t c)
{
    return c <= 32 && c != L'\0';
}

void Apply(ImageDrawSpec& draw, const std::wstring& key, const std::wstring& value, std::wstring& restype,
           bool& fromResource, bool& fromColor)
{
    if (value.empty()) {
        return;
    }
    if (key == L"file") {
        draw.imageName = value;
        fromResource = fromColor = false;
    } else if (key == L"res") {
        draw.imageName = value;
        fromResource = true;
        fromColor = false;
    } else if (key == L"restype") {
        restype = value;
    } else if (key == L"color") {
        draw.imageName = value;
        fromColor = true;
        fromResource = false;
    } else if (key == L"dest") {
        draw.dest = ParseSkinRect(value);
    } else if (key == L"source") {
        draw.source = ParseSkinRect(value);
    } else if (key == L"corner" || key == L"scale9") {
        draw.corner = ParseSkinRect(value);
    } else if (key == L"mask") {
        draw.mask = ParseSkinColor(value);
    } else if (key == L"fade") {
        draw.fade = static_cast<uint8_t>(ParseSkinInteger(value));
    } else if (key == L"hole") {
        draw.hole = ParseSkinBool(value);
    } else if (key == L"xtiled") {
        draw.xtiled = ParseSkinBool(value);
    } else if (key == L"ytiled") {
        draw.ytiled = ParseSkinBool(value);
    } else if (key == L"hsl") {
        draw.hsl = ParseSkinBool(value);
    }
}

} // namespace

ImageDrawSpec ParseImageDrawString(const std::wstring& drawString)
{
    ImageDrawSpec draw;
    draw.drawString = drawString;
    draw.imageName = drawString;
    std::wstring restype;
    bool fromResource = false;
    bool fromColor = false;

    const wchar_t* p = drawString.c_str();
    for (;;) {
        while (IsSpace(*p)) {
            ++p;
        }
        const wchar_t* keyStart = p;
        while (*p != L'\0' && *p != L'=' && !IsSpace(*p)) {
            ++p;
        }
        std::wstring key(keyStart, p);
        while (IsSpace(*p)) {
            ++p;
        }
        if (*p != L'=') {
            break;
        }
        ++p;
        while (IsSpace(*p)) {
            ++p;
        }
        if (*p != L'\'') {
            break;
        }
        ++p;
        const wchar_t* valueStart = p;
        while (*p != L'\0' && *p != L'\'') {
            ++p;
        }
        if (*p != L'\'') {
            break;
        }
        std::wstring value(valueStart, p);
        ++p;
        Apply(draw, key, value, restype, fromResource, fromColor);
        if (*p != L' ') {
            break;
        }
    }

    if (fromColor) {
        draw.resourceType = kColorImageType;
    } else if (fromResource) {
        draw.resourceType = restype;
    }
    return draw;
}

SkinRect EffectiveSourceRect(const SkinRect& source, int32_t width, int32_t height)
{
    SkinRect rect = source;
    if (rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0) {
        rect.right = width;
        rect.bottom = height;
    }
    if (rect.right > width) {
        rect.right = width;
    }
    if (rect.bottom > height) {
        rect.bottom = height;
    }
    return rect;
}
