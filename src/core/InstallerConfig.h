// The process-wide configuration record, filled in three layers: built-in defaults, then
// "VarnelInstallerConfig.ini" beside the executable (section "Install"), then the
// command-line switches. The first two layers run on first use of Config(), which happens
// while the program initialises its static data; wWinMain applies the switches.
#pragma once

#include <cstdint>
#include <string>

class CommandLine;

// Our download server; plain HTTP and no route placeholder.
inline constexpr wchar_t kBuiltInDownloadUrl[] = L"http://download.lumeno.example/software/176";
inline constexpr wchar_t kInstallerConfigFileName[] = L"VarnelInstallerConfig.ini";

struct InstallerConfig {
    std::wstring m_ProductName = L"Lumeno";
    std::wstring m_ProductVersion = L"1.7.9";
    std::wstring m_DownloadUrl = kBuiltInDownloadUrl;
    int32_t m_DownloadType = 1;
    bool m_IsCheckNet = false;
    double m_DownloadScale = 0.7;
    std::wstring m_InstCmd;
    int32_t m_LanguageIndex = -1;
    bool m_IsInsNew = false;
    bool m_CurlReady = true;
};

// The one record of the process (defaults and INI layer applied on first use).
InstallerConfig& Config();

// Resets Config() to the defaults and applies the INI file beside the executable.
void LoadInstallerConfig();
// Applies the switches of the process command line to Config().
void ApplyCommandLine();
// Routes `url` and stores it in Config().
void SetDownloadUrl(const std::wstring& url);
// Replaces every "${ROUTE}" with the route for the running Windows.
std::wstring RouteDownloadUrl(const std::wstring& url);

// Testable forms of the above.

// Sets `config` to the defaults, then applies the INI file at `iniPath` if it exists.
void LoadInstallerConfigFrom(InstallerConfig& config, const std::wstring& iniPath);
// Applies the known switches of `commandLine` to `config`. Numbers too large for their
// field, and a "-downloadscale" value without a number, keep the previous value.
void ApplySwitches(InstallerConfig& config, const CommandLine& commandLine);
// The route for a Windows version name (see Utils::GetOSVersion) and bitness.
std::wstring DownloadRoute(const std::wstring& osVersionName, bool is64BitSystem);
// `url` with every "${ROUTE}" replaced by DownloadRoute(osVersionName, is64BitSystem).
std::wstring RouteDownloadUrlFor(const std::wstring& url, const std::wstring& osVersionName,
                                 bool is64BitSystem);
// Full path of the INI file beside the running executable.
std::wstring InstallerConfigPath();
