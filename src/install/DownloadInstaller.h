// One install attempt end to end: remove an old installation if one is recorded,
// download the package, run it, delete it again, and pass every event on to the window.
#pragma once

#include "core/InstallEvents.h"

#include <memory>
#include <mutex>
#include <string>

class CDownloader;
class CInstaller;
class CUnInstaller;

class CDownloadInstaller {
public:
    CDownloadInstaller(InstallCallback callback, const std::wstring& url, const std::wstring& uninstaller,
                       const std::wstring& installFolder, bool desktopShortcut, bool quickShortcut,
                       bool adminAccount);
    // Waits for every worker: the uninstall runner first (it may start the download),
    // then the downloader (it may start the package run), then the package runner.
    ~CDownloadInstaller();
    CDownloadInstaller(const CDownloadInstaller&) = delete;
    CDownloadInstaller& operator=(const CDownloadInstaller&) = delete;

    // Values for the next attempt; not while an attempt runs.
    void SetInstallInfo(const std::wstring& url, const std::wstring& oldInstallFolder,
                        const std::wstring& uninstaller, const std::wstring& installFolder,
                        bool desktopShortcut, bool quickShortcut, bool adminAccount, bool adminRights,
                        const std::wstring& language);

    // Begins an attempt and returns once its first worker runs.
    void Start();

    // install folder + "\__Package_Lumeno.exe"
    std::wstring GetPackagePath() const;

private:
    void OnDownloadEvent(int32_t code, double value, const std::wstring& text);
    // `refused` belongs to the sending uninstall runner: set once it has reported a failure.
    void OnUninstallEvent(int32_t code, double value, const std::wstring& text, bool& refused);
    void OnInstallEvent(int32_t code, double value, const std::wstring& text);
    void Forward(int32_t code, double value, const std::wstring& text);
    void Cleanup();

    InstallCallback m_Callback;
    std::unique_ptr<CUnInstaller> m_UnInstaller;
    std::unique_ptr<CUnInstaller> m_RetiredUnInstaller;
    std::unique_ptr<CDownloader> m_Downloader;
    std::unique_ptr<CInstaller> m_Installer;
    std::wstring m_Url;
    std::wstring m_Uninstaller;
    std::wstring m_InstallFolder;
    std::wstring m_PackagePath;  // written by Start(), read by the cleanup on a worker
    std::mutex m_PackagePathLock;
    std::wstring m_OldInstallFolder;
    std::wstring m_Language;
    bool m_DesktopShortcut;
    bool m_QuickShortcut;
    bool m_AdminAccount;
    bool m_AdminRights = true;
};
