// Runs the downloaded package hidden with its silent-install switches and turns the
// Key=Value lines it writes into install events.
#pragma once

#include "core/InstallEvents.h"
#include "install/ChildRunner.h"

#include <cstdint>
#include <string>

// Everything that goes onto the package's command line.
struct PackageSwitches {
    std::wstring quotedPackage;   // the package path, already in double quotes
    bool adminAccount = false;
    bool adminRights = true;
    bool desktopShortcut = false;
    bool quickShortcut = false;
    std::wstring language;        // -inslang, left out when empty
    std::wstring instCmd;         // extra switches as they are, left out when empty
    std::wstring installFolder;   // -instdir and /D=, both left out when empty
};

// The package command line; "/D=" with the unquoted folder is always last.
std::wstring BuildPackageCommandLine(const PackageSwitches& switches);

class CInstaller : public CChildRunner {
public:
    CInstaller(InstallCallback callback, const std::wstring& quotedPackage, const std::wstring& installFolder);
    // Waits for a running package run to end.
    ~CInstaller();

    void SetInstallFolder(const std::wstring& folder) { m_InstallFolder = folder; }
    void SetShortcuts(bool desktop, bool quick) { m_DesktopShortcut = desktop; m_QuickShortcut = quick; }
    void SetAccount(bool adminAccount, bool adminRights) { m_AdminAccount = adminAccount; m_AdminRights = adminRights; }
    void SetLanguage(const std::wstring& language) { m_Language = language; }

    // Builds the command line and runs the package on the worker "ABDEF".
    void Start();
    // The worker: launches the package and follows its output to the end.
    void Run();
    // Parses one piece of output, sending its events; returns the last non-zero parse
    // result (1 success, 1000 failure) or 0.
    int Parse(const std::wstring& text);

    const int32_t* GetInstallVersion() const { return m_InstallVersion; }

private:
    std::wstring m_Package;
    std::wstring m_InstallFolder;
    bool m_DesktopShortcut = false;
    bool m_QuickShortcut = false;
    bool m_AdminAccount = false;
    bool m_AdminRights = true;
    std::wstring m_Language;
    int32_t m_InstallVersion[3] = {0, 0, 0};
};
