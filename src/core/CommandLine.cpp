#include "core/CommandLine.h"

#include "core/NumberText.h"

#include <windows.h>
#include <shellapi.h>

CommandLine::CommandLine(const std::wstring& rawCommandLine)
{
    // An empty text would make the system split the current program's path instead.
    if (rawCommandLine.empty()) return;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(rawCommandLine.c_str(), &count);
    if (!args) return;
    for (int i = 1; i < count; ++i) {
        std::wstring arg = args[i];
        std::wstring key = arg;
        std::wstring value;
        size_t equals = arg.find(L'=');
        if (!arg.empty() && arg[0] == L'-' && equals != std::wstring::npos) {
            key = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        }
        m_Switches.emplace(key, value); // keeps the first value of a repeated key
    }
    LocalFree(args);
}

bool CommandLine::Has(const std::wstring& key) const
{
    return m_Switches.count(key) != 0;
}

std::wstring CommandLine::GetString(const std::wstring& key) const
{
    auto it = m_Switches.find(key);
    return it == m_Switches.end() ? std::wstring() : it->second;
}

int CommandLine::GetInt(const std::wstring& key) const
{
    int32_t value = 0;
    auto it = m_Switches.find(key);
    if (it == m_Switches.end() || ParseInt32(it->second, value) != NumberParse::Ok) return 0;
    return value;
}

double CommandLine::GetDouble(const std::wstring& key, double fallback) const
{
    double value = fallback;
    auto it = m_Switches.find(key);
    if (it == m_Switches.end() || ParseDouble(it->second, value) != NumberParse::Ok) return fallback;
    return value;
}

bool CommandLine::GetBool(const std::wstring& key) const
{
    auto it = m_Switches.find(key);
    return it != m_Switches.end() && it->second == L"true";
}
