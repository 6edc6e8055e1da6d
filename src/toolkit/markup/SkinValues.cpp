#include "toolkit/markup/SkinValues.h"

#include <cwchar>
#include <cwctype>

namespace {

// Reads `count` numbers into `out`, skipping one separator after each.
void ReadNumbers(const std::wstring& text, long* out, int count)
{
    const wchar_t* p = text.c_str();
    for (int i = 0; i < count; ++i) {
        wchar_t* end = nullptr;
        out[i] = wcstol(p, &end, 10);
        p = end;
        if (*p != L'\0') {
            ++p;
        }
    }
}

} // namespace

long ParseSkinInteger(const std::wstring& text)
{
    return wcstol(text.c_str(), nullptr, 10);
}

SkinPair ParseSkinPair(const std::wstring& text)
{
    long v[2];
    ReadNumbers(text, v, 2);
    return SkinPair{v[0], v[1]};
}

SkinRect ParseSkinRect(const std::wstring& text)
{
    long v[4];
    ReadNumbers(text, v, 4);
    return SkinRect{v[0], v[1], v[2], v[3]};
}

uint32_t ParseSkinColor(const std::wstring& text)
{
    const wchar_t* p = text.c_str();
    while (*p != L'\0' && *p <= 32) {
        ++p;
    }
    if (*p == L'#') {
        ++p;
    }
    return static_cast<uint32_t>(wcstoul(p, nullptr, 16));
}

bool ParseSkinBool(const std::wstring& text)
{
    return text == L"true";
}

bool ParseSkinBoolIgnoreCase(const std::wstring& text)
{
    if (text.size() != 4) {
        return false;
    }
    const wchar_t* word = L"true";
    for (size_t i = 0; i < 4; ++i) {
        if (std::towlower(text[i]) != word[i]) {
            return false;
        }
    }
    return true;
}
