// The grammar of attribute values in skin markup: integers, pairs, rectangles, colours
// and booleans. Pure text functions.
#pragma once

#include <cstdint>
#include <string>

struct SkinPair {
    long cx = 0;
    long cy = 0;
};

struct SkinRect {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
};

// Decimal with the usual leading whitespace and sign; trailing text ignored; 0 when no
// number starts the text.
long ParseSkinInteger(const std::wstring& text);
// "cx,cy": each number read after skipping exactly one character after the previous one.
SkinPair ParseSkinPair(const std::wstring& text);
// "l,t,r,b", read like a pair.
SkinRect ParseSkinRect(const std::wstring& text);
// AARRGGBB after leading whitespace and one optional "#"; an "0x" prefix is accepted.
uint32_t ParseSkinColor(const std::wstring& text);
// Control attributes: true only for exactly "true".
bool ParseSkinBool(const std::wstring& text);
// Window attributes and resource elements: "true" in any letter case.
bool ParseSkinBoolIgnoreCase(const std::wstring& text);
