#include "core/DebugLog.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool IsIdentifierChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Where an operator function's name starts its "operator" keyword, or npos. Its symbol
// ("<", "()", " int") would otherwise be taken for brackets or a return type.
size_t FindOperatorKeyword(const std::string& text)
{
    const std::string keyword = "operator";
    for (size_t at = text.find(keyword); at != std::string::npos; at = text.find(keyword, at + 1)) {
        bool startsWord = at == 0 || text[at - 1] == ':' || text[at - 1] == ' ';
        size_t after = at + keyword.size();
        bool endsWord = after >= text.size() || !IsIdentifierChar(text[after]);
        if (startsWord && endsWord) return at;
    }
    return std::string::npos;
}

} // namespace

std::string QualifiedFunctionName(const char* prettyFunction)
{
    std::string text = prettyFunction ? prettyFunction : "";
    const size_t op = FindOperatorKeyword(text);
    // The parameter list starts at the first "(" outside template brackets, or for an
    // operator at the first "(" after its symbol.
    int depth = 0;
    size_t end = text.size();
    if (op != std::string::npos) {
        size_t from = op + 8;
        if (text.compare(from, 2, "()") == 0) from += 2;
        end = std::min(text.find('(', from), text.size());
    } else {
        for (size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (c == '<') ++depth;
            else if (c == '>' && depth > 0) --depth;
            else if (c == '(' && depth == 0) { end = i; break; }
        }
    }
    // The name starts after the last blank outside template brackets (return type,
    // calling convention and "static" stand before it).
    depth = 0;
    size_t begin = 0;
    for (size_t i = op != std::string::npos ? op : end; i-- > 0;) {
        char c = text[i];
        if (c == '>') ++depth;
        else if (c == '<' && depth > 0) --depth;
        else if (c == ' ' && depth == 0) { begin = i + 1; break; }
    }
    while (begin < end && (text[begin] == '*' || text[begin] == '&')) ++begin;
    std::string name = text.substr(begin, end - begin);
    // Functions private to a source file log under their plain class or function name.
    const std::string anonymous = "{anonymous}::";
    for (size_t at = name.find(anonymous); at != std::string::npos; at = name.find(anonymous, at))
        name.erase(at, anonymous.size());
    return name;
}

namespace {

const wchar_t kPrefix[] = L"<P%05lu><T%05lu><%04d-%02d-%02d %02d:%02d:%02d.%03d>(%hs)<%04d>: ";

int MeasureAndFormat(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int length = buffer ? _vsnwprintf(buffer, capacity, format, copy) : _vscwprintf(format, copy);
    va_end(copy);
    return length;
}

// Formats with room measured first, so no length of function name or message is cut.
std::wstring FormatText(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text;
    int length = MeasureAndFormat(nullptr, 0, format, args);
    if (length >= 0) {
        std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2, L'\0');
        MeasureAndFormat(buffer.data(), buffer.size() - 1, format, args);
        text = buffer.data();
    }
    va_end(args);
    return text;
}

} // namespace

std::wstring FormatLogLine(const LogStamp& s, const std::string& function, int line,
                           const wchar_t* format, va_list args)
{
    std::wstring prefix = FormatText(kPrefix, s.processId, s.threadId, s.year, s.month, s.day, s.hour,
                                     s.minute, s.second, s.millisecond, function.c_str(), line);
    if (prefix.empty()) return std::wstring();
    int messageLength = MeasureAndFormat(nullptr, 0, format, args);
    if (messageLength < 0) return std::wstring();
    std::vector<wchar_t> message(static_cast<size_t>(messageLength) + 2, L'\0');
    MeasureAndFormat(message.data(), message.size() - 1, format, args);
    return prefix + message.data();
}

void DebugLog(const char* prettyFunction, int line, const wchar_t* format, ...)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    LogStamp stamp{GetCurrentProcessId(), GetCurrentThreadId(), now.wYear, now.wMonth, now.wDay,
                   now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    va_list args;
    va_start(args, format);
    try {
        std::wstring text = FormatLogLine(stamp, QualifiedFunctionName(prettyFunction), line, format, args);
        if (!text.empty()) OutputDebugStringW(text.c_str());
    } catch (...) {
        // Out of memory: the line is dropped, the caller goes on.
    }
    va_end(args);
}
