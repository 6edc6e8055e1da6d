#include "download/ByteRanges.h"

#include <cctype>
#include <cstdlib>

namespace {

const int64_t kRangeUnit = 10485760;  // 10 MiB

bool ParseNumber(const std::string& text, size_t* pos, int64_t* value)
{
    size_t start = *pos;
    int64_t result = 0;
    while (*pos < text.size() && isdigit(static_cast<unsigned char>(text[*pos]))) {
        if (result > (INT64_MAX - 9) / 10) return false;
        result = result * 10 + (text[*pos] - '0');
        ++*pos;
    }
    *value = result;
    return *pos > start;
}

} // namespace

std::vector<ByteRange> SplitByteRanges(int64_t length)
{
    std::vector<ByteRange> ranges;
    if (length < 1) return ranges;
    int64_t count = length / kRangeUnit;
    if (count < 1) count = 1;
    if (count > 2) count = 2;
    int64_t size = length / count;
    for (int64_t i = 0; i < count; ++i) {
        int64_t first = i * size;
        int64_t last = i + 1 == count ? length - 1 : first + size - 1;
        ranges.push_back({first, last});
    }
    return ranges;
}

bool ParseContentRange(const std::string& value, int64_t* first, int64_t* last)
{
    size_t pos = 0;
    while (pos < value.size() && value[pos] == ' ') ++pos;
    if (value.compare(pos, 6, "bytes ") != 0) return false;
    pos += 6;
    while (pos < value.size() && value[pos] == ' ') ++pos;
    int64_t a = 0, b = 0, total = 0;
    if (!ParseNumber(value, &pos, &a)) return false;
    if (pos >= value.size() || value[pos++] != '-') return false;
    if (!ParseNumber(value, &pos, &b) || b < a) return false;
    if (pos >= value.size() || value[pos++] != '/') return false;
    if (pos < value.size() && value[pos] == '*') {
        ++pos;
    } else if (!ParseNumber(value, &pos, &total) || b >= total) {
        return false;
    }
    while (pos < value.size() && isspace(static_cast<unsigned char>(value[pos]))) ++pos;
    if (pos != value.size()) return false;
    *first = a;
    *last = b;
    return true;
}

bool HeaderValue(const std::string& line, const char* name, std::string* value)
{
    size_t colon = line.find(':');
    if (colon == std::string::npos) return false;
    std::string key = line.substr(0, colon);
    std::string wanted = name;
    if (key.size() != wanted.size()) return false;
    for (size_t i = 0; i < key.size(); ++i)
        if (tolower(static_cast<unsigned char>(key[i])) != tolower(static_cast<unsigned char>(wanted[i])))
            return false;
    size_t start = colon + 1;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    size_t end = line.size();
    while (end > start && isspace(static_cast<unsigned char>(line[end - 1]))) --end;
    *value = line.substr(start, end - start);
    return true;
}
