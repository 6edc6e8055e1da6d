// Unique identifiers as text.
#pragma once

#include <windows.h>

#include <string>

namespace Utils {

// A new identifier: 32 hexadecimal digits, no braces or dashes. The third group (digits
// 13 to 16) is lower case, the rest upper case; records written earlier keep that form.
std::wstring CreateGuidString();

// The text form of `guid` as above.
std::wstring GuidToString(const GUID& guid);

} // namespace Utils
