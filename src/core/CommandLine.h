// The installer's command-line switches: an ordered map from switch text to value text.
//
// Arguments are split the system's standard way (quotes group blanks). The first argument
// is the program path and is never a switch. "-name=value" gives key "-name" and value
// "value" (split at the first "=", so the value may hold "=" itself); any other argument
// is a key with an empty value. Keys are exact and case-sensitive; the first occurrence of
// a key wins.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class CommandLine {
public:
    explicit CommandLine(const std::wstring& rawCommandLine);

    bool Has(const std::wstring& key) const;
    // The value; empty when the key is absent.
    std::wstring GetString(const std::wstring& key) const;
    // Decimal integer (leading blanks and sign allowed, trailing text ignored); 0 when the
    // key is absent or its value holds no number or one too large for 32 bits.
    int GetInt(const std::wstring& key) const;
    // Decimal number as for GetInt with fraction and exponent; `fallback` when the key is
    // absent or its value holds no finite number that fits a double.
    double GetDouble(const std::wstring& key, double fallback) const;
    // True only for the exact value "true".
    bool GetBool(const std::wstring& key) const;

    const std::map<std::wstring, std::wstring>& Switches() const { return m_Switches; }

private:
    std::map<std::wstring, std::wstring> m_Switches;
};
