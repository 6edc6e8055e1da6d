#include "core/InstallerConfig.h"

#include "core/CommandLine.h"
#include "core/NumberText.h"
#include "services/FileSystem.h"
#include "services/SystemInfo.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

namespace {

const wchar_t kSection[] = L"Install";
const wchar_t kRoutePlaceholder[] = L"${ROUTE}";
// Profile reads use a buffer of this many characters, so longer values arrive cut.
const DWORD kIniValueBuffer = 260;

// The route number built into this installer, and the routes that have a 64-bit package.
const int kRouteNumber = 412;
const int kRoutesWith64BitPackage[] = {267, 385, 257, 335, 318};

std::wstring ReadIniString(const std::wstring& path, const wchar_t* key, const wchar_t* fallback)
{
    wchar_t buffer[kIniValueBuffer] = {};
    GetPrivateProfileStringW(kSection, key, fallback, buffer, kIniValueBuffer, path.c_str());
    return buffer;
}

// Numbers too large for their field keep the previous value; no number at all gives 0.
void ApplyIntSwitch(int32_t& field, const CommandLine& commandLine, const wchar_t* key)
{
    int32_t value = 0;
    NumberParse parse = ParseInt32(commandLine.GetString(key), value);
    if (parse == NumberParse::Ok) field = value;
    else if (parse == NumberParse::NoNumber) field = 0;
}

InstallerConfig LoadedConfig()
{
    InstallerConfig config;
    LoadInstallerConfigFrom(config, InstallerConfigPath());
    return config;
}

} // namespace

InstallerConfig& Config()
{
    static InstallerConfig config = LoadedConfig();
    return config;
}

// The defaults and the INI file are in place before wWinMain runs.
static const bool s_ConfigLoaded = (Config(), true);

void LoadInstallerConfig()
{
    LoadInstallerConfigFrom(Config(), InstallerConfigPath());
}

void ApplyCommandLine()
{
    ApplySwitches(Config(), CommandLine(GetCommandLineW()));
}

void SetDownloadUrl(const std::wstring& url)
{
    Config().m_DownloadUrl = RouteDownloadUrl(url);
}

std::wstring RouteDownloadUrl(const std::wstring& url)
{
    if (url.find(kRoutePlaceholder) == std::wstring::npos) return url;
    std::wstring family, name;
    Utils::GetOSVersion(family, name);
    return RouteDownloadUrlFor(url, name, Utils::Is64BitSystem());
}

std::wstring DownloadRoute(const std::wstring& osVersionName, bool is64BitSystem)
{
    if (osVersionName.find(L"XP") != std::wstring::npos) return L"download_silent_xp";
    bool has64BitPackage = std::find(std::begin(kRoutesWith64BitPackage), std::end(kRoutesWith64BitPackage),
                                     kRouteNumber) != std::end(kRoutesWith64BitPackage);
    return has64BitPackage && is64BitSystem ? L"download_silent_64" : L"download_silent";
}

std::wstring RouteDownloadUrlFor(const std::wstring& url, const std::wstring& osVersionName, bool is64BitSystem)
{
    const std::wstring placeholder = kRoutePlaceholder;
    if (url.find(placeholder) == std::wstring::npos) return url;
    const std::wstring route = DownloadRoute(osVersionName, is64BitSystem);
    std::wstring result = url;
    for (size_t at = result.find(placeholder); at != std::wstring::npos;
         at = result.find(placeholder, at + route.size())) {
        result.replace(at, placeholder.size(), route);
    }
    return result;
}

std::wstring InstallerConfigPath()
{
    std::wstring path = Utils::ExecutablePath();
    if (path.empty()) return std::wstring();
    size_t slash = path.find_last_of(L"\\/");
    path.erase(slash == std::wstring::npos ? 0 : slash);
    return path + L"\\" + kInstallerConfigFileName;
}

void LoadInstallerConfigFrom(InstallerConfig& config, const std::wstring& iniPath)
{
    config = InstallerConfig();
    config.m_DownloadUrl = RouteDownloadUrl(kBuiltInDownloadUrl);
    if (iniPath.empty() || !Utils::FileExists(iniPath)) return;

    config.m_DownloadUrl = RouteDownloadUrl(ReadIniString(iniPath, L"DownloadUrl", kBuiltInDownloadUrl));
    config.m_DownloadType = static_cast<int32_t>(GetPrivateProfileIntW(kSection, L"DownloadType", 1, iniPath.c_str()));
    config.m_IsCheckNet = ReadIniString(iniPath, L"IsCheckNet", L"true") == L"true";
    double scale = 0.0;
    NumberParse parse = ParseDouble(ReadIniString(iniPath, L"DownloadScale", L"0.7"), scale);
    if (parse == NumberParse::Ok) config.m_DownloadScale = scale;
    else if (parse == NumberParse::NoNumber) config.m_DownloadScale = 0.0;
    config.m_InstCmd = ReadIniString(iniPath, L"InstCmd", L"");
}

void ApplySwitches(InstallerConfig& config, const CommandLine& commandLine)
{
    if (commandLine.Has(L"-downloadurl")) config.m_DownloadUrl = RouteDownloadUrl(commandLine.GetString(L"-downloadurl"));
    if (commandLine.Has(L"-downloadtype")) ApplyIntSwitch(config.m_DownloadType, commandLine, L"-downloadtype");
    if (commandLine.Has(L"-downloadscale"))
        config.m_DownloadScale = commandLine.GetDouble(L"-downloadscale", config.m_DownloadScale);
    if (commandLine.Has(L"-ischecknet")) config.m_IsCheckNet = commandLine.GetBool(L"-ischecknet");
    if (commandLine.Has(L"-instcmd")) config.m_InstCmd = commandLine.GetString(L"-instcmd");
    if (commandLine.Has(L"-language")) ApplyIntSwitch(config.m_LanguageIndex, commandLine, L"-language");
    if (commandLine.Has(L"-insnew")) config.m_IsInsNew = commandLine.GetBool(L"-insnew");
}
