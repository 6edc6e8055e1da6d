// The Key=Value line protocol that packages and uninstallers write to their standard
// output: line splitting, key matching, value conversions, and the line assembly that
// keeps a line whole when it arrives in two reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace OutputProtocol {

// Text values longer than this are cut.
const size_t kMaxTextValue = 771;

// Splits at line feeds; a final piece without a line feed counts, an empty one does not.
// A carriage return before the line feed stays part of the line.
std::vector<std::wstring> SplitLines(const std::wstring& text);

// When `line` starts with `key` (case-sensitive), stores the rest, cut to
// kMaxTextValue characters, in `value` and returns true.
bool MatchKey(const std::wstring& line, const wchar_t* key, std::wstring& value);

// Leading and trailing blanks, tabs, carriage returns and line feeds removed.
std::wstring Trim(const std::wstring& text);

// A decimal number as "%lf" reads it; 0.0 when none.
double ParseNumber(const std::wstring& text);

// An integer as "%d" reads it, taken as unsigned 32 bits (-1 gives 4294967295.0);
// 0.0 when none.
double ParseUnsigned32(const std::wstring& text);

// The package's "Encode=" value: 65001 for "UTF8", 0 for "ACP", else the leading
// decimal integer, 0 when there is none.
int32_t PackageCodePage(const std::wstring& trimmed);

// Collects raw output bytes and hands them back in whole lines, so a line cut between
// two reads (or a multi-byte character cut in two) is still converted and parsed as one.
class LineAssembler {
public:
    // A line without a line feed longer than this is handed on as it is.
    static const size_t kMaxPending = 8192;

    // Adds `size` bytes; returns the complete lines now available (possibly empty).
    std::string Add(const char* data, size_t size);
    // Whatever is left after the output has ended.
    std::string Flush();

private:
    std::string m_Pending;
};

} // namespace OutputProtocol
