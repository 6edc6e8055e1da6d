// LumenoSetupCli.exe: the installer without a window, for administrators and tests.
// It takes the same configuration layers as the window installer (built-in defaults,
// "VarnelInstallerConfig.ini" beside this program, the installer's switches), plus:
//   -dir=FOLDER          install folder (required)
//   -uninstaller=PATH    uninstaller of an old installation to remove first
//   -dsc=true|false      desktop shortcut (default true)
//   -ssc=true|false      quick-launch shortcut (default true)
//   -inslang=TAG         language tag handed to the package (default none)
//   -showconfig          print the effective configuration as JSON and end
// It runs one attempt and prints every event as one JSON line on standard output;
// exit code 0 after a successful install, 1 after a failure, 2 for a bad command line.
// libcurl brings winsock2.h, which must come before windows.h.
#include <curl/curl.h>

#include "core/CommandLine.h"
#include "core/InstallEvents.h"
#include "core/InstallerConfig.h"
#include "i18n/Language.h"
#include "install/DownloadInstaller.h"
#include "services/Account.h"
#include "services/TextConversion.h"

#include <windows.h>

#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

void WriteOut(HANDLE handle, const std::string& text)
{
    DWORD written = 0;
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string JsonString(const std::wstring& text)
{
    std::string utf8 = Utils::ToNarrow(text, CP_UTF8);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                snprintf(escaped, sizeof(escaped), "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// The shortest of %.15g and %.17g that reads back as the same number.
std::string JsonNumber(double value)
{
    if (!std::isfinite(value)) return "null";
    char text[40];
    snprintf(text, sizeof(text), "%.15g", value);
    if (std::strtod(text, nullptr) != value) snprintf(text, sizeof(text), "%.17g", value);
    return text;
}

std::string JsonBool(bool value)
{
    return value ? "true" : "false";
}

std::string ConfigJson(const InstallerConfig& c)
{
    return "{\"m_ProductName\":" + JsonString(c.m_ProductName) +
           ",\"m_ProductVersion\":" + JsonString(c.m_ProductVersion) +
           ",\"m_DownloadUrl\":" + JsonString(c.m_DownloadUrl) +
           ",\"m_DownloadType\":" + std::to_string(c.m_DownloadType) +
           ",\"m_IsCheckNet\":" + JsonBool(c.m_IsCheckNet) +
           ",\"m_DownloadScale\":" + JsonNumber(c.m_DownloadScale) +
           ",\"m_InstCmd\":" + JsonString(c.m_InstCmd) +
           ",\"m_LanguageIndex\":" + std::to_string(c.m_LanguageIndex) +
           ",\"m_IsInsNew\":" + JsonBool(c.m_IsInsNew) +
           ",\"m_CurlReady\":" + JsonBool(c.m_CurlReady) + "}\n";
}

bool IsTerminal(int32_t code)
{
    return code == INSTALL_SUCCESS || code == IST_CODE_FAIL || code == DL_CODE_FAIL || code == UNIST_CODE_FAIL ||
           code == UNIST_CODE_ERROR;
}

// Prints events as they come from the workers and tells the main thread when the
// attempt has ended.
class EventPrinter {
public:
    void Print(int32_t code, double value, const std::wstring& text)
    {
        std::string line = "{\"code\":" + std::to_string(code) + ",\"name\":\"" + InstallEventName(code) +
                           "\",\"value\":" + JsonNumber(value) + ",\"text\":" + JsonString(text) + "}\n";
        std::lock_guard<std::mutex> lock(m_Mutex);
        WriteOut(GetStdHandle(STD_OUTPUT_HANDLE), line);
        if (IsTerminal(code) && !m_Ended) {
            m_Ended = true;
            m_Success = code == INSTALL_SUCCESS;
            m_Done.notify_all();
        }
    }

    // Waits for the end of the attempt; true when it succeeded.
    bool Wait()
    {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Done.wait(lock, [this] { return m_Ended; });
        return m_Success;
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Done;
    bool m_Ended = false;
    bool m_Success = false;
};

void Usage(const std::string& problem)
{
    WriteOut(GetStdHandle(STD_ERROR_HANDLE),
             "LumenoSetupCli: " + problem +
                 "\nusage: LumenoSetupCli -dir=FOLDER [-uninstaller=PATH] [-dsc=true|false] [-ssc=true|false]"
                 " [-inslang=TAG] [-downloadurl=URL] [-downloadtype=N] [-instcmd=TEXT] [-insnew=true]"
                 " [-showconfig]\n");
}

bool SwitchBool(const CommandLine& args, const wchar_t* key, bool fallback)
{
    return args.Has(key) ? args.GetBool(key) : fallback;
}

// The language tag handed to the package: -inslang= when given, else the code of the
// configured language index, else that of the system's UI language.
std::wstring PackageLanguage(const CommandLine& args, const InstallerConfig& config)
{
    if (args.Has(L"-inslang")) return args.GetString(L"-inslang");
    int index = config.m_LanguageIndex;
    if (index < 0 || index >= kLanguageCount) index = DefaultLanguageIndex();
    return Utils::ToWide(LanguageCode(index), CP_ACP);
}

} // namespace

int wmain()
{
    CommandLine args(GetCommandLineW());
    InstallerConfig& config = Config();
    LoadInstallerConfigFrom(config, InstallerConfigPath());
    ApplySwitches(config, args);
    config.m_CurlReady = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;

    if (args.Has(L"-showconfig")) {
        WriteOut(GetStdHandle(STD_OUTPUT_HANDLE), ConfigJson(config));
        curl_global_cleanup();
        return 0;
    }
    std::wstring folder = args.GetString(L"-dir");
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    if (folder.empty()) {
        Usage("the install folder is missing (-dir=FOLDER)");
        curl_global_cleanup();
        return 2;
    }

    bool adminAccount = false;
    std::wstring user;
    if (Utils::GetConsoleUserName(user)) adminAccount = Utils::IsAccountAdmin(user);

    EventPrinter printer;
    bool success = false;
    {
        CDownloadInstaller installer(
            [&printer](int32_t code, double value, const std::wstring& text) { printer.Print(code, value, text); },
            L"", L"", L"", true, true, true);
        installer.SetInstallInfo(config.m_DownloadUrl, L"", args.GetString(L"-uninstaller"), folder,
                                 SwitchBool(args, L"-dsc", true), SwitchBool(args, L"-ssc", true), adminAccount,
                                 Utils::IsUserAdmin(), PackageLanguage(args, config));
        installer.Start();
        success = printer.Wait();
    }  // waits for the workers, so the package is gone before the program ends
    curl_global_cleanup();
    return success ? 0 : 1;
}
