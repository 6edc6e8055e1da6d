// The process-wide configuration record: built-in defaults, then
// "VarnelInstallerConfig.ini" beside the executable, then the command-line switches.
#pragma once

#include <cstdint>
#include <string>

struct InstallerConfig {
    std::wstring m_ProductName = L"Lumeno";
    std::wstring m_ProductVersion = L"1.7.9";
    std::wstring m_DownloadUrl;
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
