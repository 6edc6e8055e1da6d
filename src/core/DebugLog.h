// Diagnostic lines for developers, always on, written to the debugger output.
//
// DEBUG_LOG(L"partPath::%ls\r\n", path.c_str());
//
// The format follows the C runtime's wide printf: %ls for wide strings, %hs for narrow
// ones. User text always travels as an argument, never inside the format. The calling
// function's qualified name and the line come from the call site.
#pragma once

#include <cstdarg>
#include <string>

struct LogStamp {
    unsigned long processId;
    unsigned long threadId;
    int year, month, day, hour, minute, second, millisecond;
};

// The qualified function name ("Utils::Thread::CallBack") from a compiler's
// pretty function signature ("static unsigned int Utils::Thread::CallBack(void*)").
std::string QualifiedFunctionName(const char* prettyFunction);

// Builds one complete line: prefix, then the formatted message.
std::wstring FormatLogLine(const LogStamp& stamp, const std::string& function, int line,
                           const wchar_t* format, va_list args);

// Stamps, formats and writes one line; a line that cannot be built is dropped.
void DebugLog(const char* prettyFunction, int line, const wchar_t* format, ...);

#define DEBUG_LOG(format, ...) ::DebugLog(__PRETTY_FUNCTION__, __LINE__, format, ##__VA_ARGS__)
