// Text conversions with an explicit code page, and URL encoding.
#pragma once

#include <windows.h>

#include <string>

namespace Utils {

// Narrow text in `codePage` (CP_ACP = 0 for the system ANSI code page, CP_UTF8) to
// UTF-16; empty on failure.
std::wstring ToWide(const std::string& text, UINT codePage);
// UTF-16 to narrow text in `codePage`; empty on failure.
std::string ToNarrow(const std::wstring& text, UINT codePage);
// Strict UTF-8 decoding; empty when the input is not valid UTF-8.
std::wstring Utf8ToWide(const std::string& text);
// Percent-encodes the UTF-8 form of `text`: bytes 33..126 stay, a blank becomes "+",
// every other byte "%XX" with upper-case digits.
std::wstring UrlEncode(const std::wstring& text);

} // namespace Utils
