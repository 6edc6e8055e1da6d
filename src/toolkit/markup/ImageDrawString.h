// The image draw string of image attributes ("file='a.png' source='0,0,10,10' corner=...")
// parsed into its fields. Loading the picture and drawing it belong to the window side.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/markup/SkinValues.h"

struct ImageEntry;

struct ImageDrawSpec {
    std::wstring drawString;    // as written
    std::wstring imageName;     // the whole string unless a key names the image
    std::wstring resourceType;  // empty: skin file; "*COLOR*" for color=; else a module resource type
    uint32_t mask = 0;
    ImageEntry* image = nullptr;  // owned by an image cache once loaded
    bool tried = false;           // loading is attempted once
    SkinRect dest;
    SkinRect source;
    SkinRect corner;
    uint8_t fade = 255;
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
    bool hsl = false;
};

// Reads key='value' pairs until the first violation; pairs read before it stay.
ImageDrawSpec ParseImageDrawString(const std::wstring& drawString);

// The source rectangle used for drawing: all zeros means the whole picture; right and
// bottom are limited to the picture's size.
SkinRect EffectiveSourceRect(const SkinRect& source, int32_t width, int32_t height);
