#include "install/OutputProtocol.h"

#include <cstdio>
#include <cwchar>

namespace OutputProtocol {

std::vector<std::wstring> SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool MatchKey(const std::wstring& line, const wchar_t* key, std::wstring& value)
{
    size_t length = wcslen(key);
    if (line.compare(0, length, key) != 0) return false;
    value = line.substr(length, kMaxTextValue);
    return true;
}

std::wstring Trim(const std::wstring& text)
{
    const wchar_t* blanks = L" \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return std::wstring();
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

double ParseNumber(const std::wstring& text)
{
    double number = 0.0;
    if (swscanf(text.c_str(), L"%lf", &number) != 1) return 0.0;
    return number;
}

double ParseUnsigned32(const std::wstring& text)
{
    int number = 0;
    if (swscanf(text.c_str(), L"%d", &number) != 1) return 0.0;
    return static_cast<double>(static_cast<uint32_t>(number));
}

int32_t PackageCodePage(const std::wstring& trimmed)
{
    if (trimmed == L"UTF8") return 65001;
    if (trimmed == L"ACP") return 0;
    int number = 0;
    if (swscanf(trimmed.c_str(), L"%d", &number) != 1) return 0;
    return number;
}

std::string LineAssembler::Add(const char* data, size_t size)
{
    m_Pending.append(data, size);
    size_t lastFeed = m_Pending.rfind('\n');
    if (lastFeed == std::string::npos) {
        if (m_Pending.size() <= kMaxPending) return std::string();
        return Flush();
    }
    std::string lines = m_Pending.substr(0, lastFeed + 1);
    m_Pending.erase(0, lastFeed + 1);
    return lines;
}

std::string LineAssembler::Flush()
{
    std::string rest;
    rest.swap(m_Pending);
    return rest;
}

} // namespace OutputProtocol
