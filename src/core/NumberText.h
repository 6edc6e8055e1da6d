// Lenient number reading for configuration texts: leading white space is skipped and the
// longest valid decimal prefix is used ("0.5x" reads as 0.5, " -3abc" as -3).
#pragma once

#include <cstdint>
#include <string>

enum class NumberParse {
    Ok,          // a number was read into the result
    NoNumber,    // the text does not start with a number; the result is untouched
    OutOfRange,  // a number was there but does not fit the type; the result is untouched
};

// Decimal integer with optional sign.
NumberParse ParseInt32(const std::wstring& text, int32_t& result);
// Decimal number with optional sign, fraction and exponent. Only finite decimal numbers
// count: "inf" and "nan" are no number, and "0x10" reads as 0.
NumberParse ParseDouble(const std::wstring& text, double& result);
