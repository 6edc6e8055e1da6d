#include "core/NumberText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

size_t SkipBlanks(const std::wstring& text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    return i;
}

size_t SkipDigits(const std::wstring& text, size_t i)
{
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i;
}

} // namespace

NumberParse ParseInt32(const std::wstring& text, int32_t& result)
{
    size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    if (i >= text.size() || !IsDigit(text[i])) return NumberParse::NoNumber;

    // Accumulate as a negative number so that the most negative value fits.
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - L'0');
        if (magnitude > limit) return NumberParse::OutOfRange;
    }
    result = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return NumberParse::Ok;
}

NumberParse ParseDouble(const std::wstring& text, double& result)
{
    const size_t start = SkipBlanks(text);
    size_t i = start;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
    const size_t intEnd = SkipDigits(text, i);
    bool digits = intEnd > i;
    i = intEnd;
    if (i < text.size() && text[i] == L'.') {
        size_t fracEnd = SkipDigits(text, i + 1);
        if (fracEnd > i + 1) digits = true;
        if (digits) i = fracEnd;
    }
    if (!digits) return NumberParse::NoNumber;
    // An exponent counts only when digits follow it ("2e" reads as 2).
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == L'+' || text[j] == L'-')) ++j;
        size_t expEnd = SkipDigits(text, j);
        if (expEnd > j) i = expEnd;
    }

    const std::wstring number = text.substr(start, i - start);
    errno = 0;
    wchar_t* end = nullptr;
    double value = std::wcstod(number.c_str(), &end);
    if (errno == ERANGE || !std::isfinite(value)) return NumberParse::OutOfRange;
    // A denormal result has lost precision: the number was too small for the type.
    if (value != 0.0 && std::fabs(value) < std::numeric_limits<double>::min()) return NumberParse::OutOfRange;
    result = value;
    return NumberParse::Ok;
}
