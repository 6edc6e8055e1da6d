#include "services/InstallRecords.h"

#include "core/InstallerConfig.h"
#include "services/FileSystem.h"
#include "services/Guid.h"

#include <shlobj.h>

#include <cwchar>
#include <vector>

namespace Utils {

namespace {

const wchar_t kInstallSection[] = L"Install";

// The name the installer was launched under, without its folder.
std::wstring ExecutableFileName()
{
    std::wstring path = ExecutablePath();
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

} // namespace

std::wstring ProductRegistryKey()
{
    return L"Software\\VarnelSoft\\" + Config().m_ProductName;
}

bool ReadRegistryValue(const std::wstring& name, std::wstring& value, const std::wstring& keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return false;
    }
    // Room for every byte (an odd last byte fills half a character) and a terminator the
    // stored data may lack; the system is told only the value's own size.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
    DWORD size = bytes;
    LONG result = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    value.assign(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
    return true;
}

bool WriteRegistryValue(const std::wstring& name, const std::wstring& text, const std::wstring& keyPath)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG result = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool WriteInstallRegistry(const std::wstring& installDir, std::wstring& uninstallEp, const std::wstring& keyPath)
{
    bool written = WriteRegistryValue(L"InstallPath", installDir, keyPath);
    if (uninstallEp.empty()) uninstallEp = installDir + L"\\uninst.ep";
    if (Utils::FileExists(uninstallEp)) WriteRegistryValue(L"UnInstallEp", uninstallEp, keyPath);
    return written;
}

void WriteInstallRecordFile(const std::wstring& installDir)
{
    // Without a folder the settings file would be a bare name, which the profile calls
    // put into the Windows folder; it is then left out like a file in a missing folder.
    const std::wstring settings = installDir.empty() ? std::wstring() : JoinPath(installDir, L"set.ini");
    auto writeSetting = [&settings](const wchar_t* key, const std::wstring& value) {
        if (!settings.empty()) WritePrivateProfileStringW(kInstallSection, key, value.c_str(), settings.c_str());
    };
    writeSetting(L"APPStore", ExecutableFileName());
    writeSetting(L"AppName", Config().m_ProductName);
    writeSetting(L"DeviceID", CreateGuidString());

    const std::wstring dataDir = GetProductDataDir();
    if (!CreateDirectories(dataDir)) return;
    const std::wstring analytics = dataDir + L"\\VNSensorsAnalytics.ini";
    writeSetting(L"VNSensorsAnalyticsIni", analytics);

    SYSTEMTIME now;
    GetLocalTime(&now);
    WritePrivateProfileStringW(L"Init", L"UpdateTime", AnalyticsTimeStamp(now).c_str(), analytics.c_str());
}

std::wstring GetProductDataDir()
{
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"APPDATA", buffer, MAX_PATH);
    std::wstring base;
    if (length > 0 && length < MAX_PATH) {
        base = buffer;
    } else {
        wchar_t documents[MAX_PATH] = {};
        if (SHGetSpecialFolderPathW(nullptr, documents, CSIDL_COMMON_DOCUMENTS, FALSE)) base = documents;
    }
    // Without any base the records would land in whatever the working folder is.
    if (base.empty()) return std::wstring();
    return JoinPath(JoinPath(base, L"VarnelData"), Config().m_ProductName);
}

std::wstring JoinPath(const std::wstring& left, const std::wstring& right)
{
    if (left.empty()) return right;
    wchar_t last = left.back();
    return last == L'\\' || last == L'/' ? left + right : left + L"\\" + right;
}

std::wstring AnalyticsTimeStamp(const SYSTEMTIME& t)
{
    wchar_t text[64] = {};
    swprintf(text, 64, L"%d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

} // namespace Utils
