// The records an installation leaves behind, in namespace Utils:
// - values "InstallPath" and "UnInstallEp" under HKEY_CURRENT_USER\Software\VarnelSoft\<product>,
//   REG_SZ stored with two bytes per character and no terminating NUL;
// - "set.ini" in the install folder (section "Install": "APPStore", "AppName", "DeviceID",
//   "VNSensorsAnalyticsIni");
// - "VNSensorsAnalytics.ini" in the product data folder (section "Init", "UpdateTime").
// The registry functions take the key path as a last argument so that tests can use a
// key of their own; callers leave it at the product key.
#pragma once

#include <windows.h>

#include <string>

namespace Utils {

// "Software\VarnelSoft\" followed by the product name.
std::wstring ProductRegistryKey();

// Reads one value of the key as UTF-16 text, whatever its stored type, never past its
// data (odd byte counts included), up to the first NUL. False when the key or the value
// cannot be read; `value` is then untouched.
bool ReadRegistryValue(const std::wstring& name, std::wstring& value,
                       const std::wstring& keyPath = ProductRegistryKey());

// Creates the key if needed and writes `text` as REG_SZ without a terminating NUL.
bool WriteRegistryValue(const std::wstring& name, const std::wstring& text,
                        const std::wstring& keyPath = ProductRegistryKey());

// Writes "InstallPath"; fills an empty `uninstallEp` with "<installDir>\uninst.ep" and
// writes it as "UnInstallEp" when that file exists. True when "InstallPath" was written.
bool WriteInstallRegistry(const std::wstring& installDir, std::wstring& uninstallEp,
                          const std::wstring& keyPath = ProductRegistryKey());

// Writes the "Install" keys of "set.ini" in `installDir` (with a fresh "DeviceID") and the
// analytics time stamp. Failed writes are ignored; when the product data folder cannot be
// created, "set.ini" gets its first three keys only and no analytics file is written.
// An empty `installDir` counts as a missing folder: no "set.ini" anywhere.
void WriteInstallRecordFile(const std::wstring& installDir);

// %APPDATA% (or the all-users documents folder when it cannot be read), then
// "VarnelData", then the product name. Empty when neither folder is known.
std::wstring GetProductDataDir();

// "left\right", with a backslash inserted only when `left` does not end with one.
std::wstring JoinPath(const std::wstring& left, const std::wstring& right);

// "%d-%02d-%02d %02d:%02d:%02d" of `time` (year, month, day, hour, minute, second).
std::wstring AnalyticsTimeStamp(const SYSTEMTIME& time);

} // namespace Utils
