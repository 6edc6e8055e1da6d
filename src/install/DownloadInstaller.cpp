#include "install/DownloadInstaller.h"

#include "core/DebugLog.h"
#include "core/InstallerConfig.h"
#include "download/Downloader.h"
#include "install/Installer.h"
#include "install/UnInstaller.h"
#include "services/FileSystem.h"

#include <mutex>

namespace {

// The package path of the last cleanup of any orchestrator in this process.
std::mutex g_RememberedMutex;
std::wstring g_RememberedPackage;

const wchar_t kProductExe[] = L"lumenomanager.exe";


std::wstring ParentFolder(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

} // namespace

CDownloadInstaller::CDownloadInstaller(InstallCallback callback, const std::wstring& url,
                                       const std::wstring& uninstaller, const std::wstring& installFolder,
                                       bool desktopShortcut, bool quickShortcut, bool adminAccount)
    : m_Callback(std::move(callback)),
      m_Url(url),
      m_Uninstaller(uninstaller),
      m_InstallFolder(installFolder),
      m_DesktopShortcut(desktopShortcut),
      m_QuickShortcut(quickShortcut),
      m_AdminAccount(adminAccount)
{
}

CDownloadInstaller::~CDownloadInstaller()
{
    m_UnInstaller.reset();
    m_RetiredUnInstaller.reset();
    m_Downloader.reset();
    m_Installer.reset();
    m_Callback = nullptr;
}

void CDownloadInstaller::SetInstallInfo(const std::wstring& url, const std::wstring& oldInstallFolder,
                                        const std::wstring& uninstaller, const std::wstring& installFolder,
                                        bool desktopShortcut, bool quickShortcut, bool adminAccount,
                                        bool adminRights, const std::wstring& language)
{
    m_Url = url;
    m_OldInstallFolder = oldInstallFolder;
    m_Uninstaller = uninstaller;
    m_InstallFolder = installFolder;
    m_DesktopShortcut = desktopShortcut;
    m_QuickShortcut = quickShortcut;
    m_AdminAccount = adminAccount;
    m_AdminRights = adminRights;
    m_Language = language;
}

std::wstring CDownloadInstaller::GetPackagePath() const
{
    return m_InstallFolder + L"\\__Package_" + Config().m_ProductName + L".exe";
}

void CDownloadInstaller::Start()
{
    {
        // The worker of the attempt that has just ended may still be cleaning up.
        std::lock_guard<std::mutex> lock(m_PackagePathLock);
        m_PackagePath = GetPackagePath();
    }
    DEBUG_LOG(L"DL_TYPE=%d\r\n", Config().m_DownloadType);

    if (!m_Downloader) {
        m_Downloader = CreateDownloader(
            Config().m_DownloadType,
            [this](int32_t code, double value, const std::wstring& text) { OnDownloadEvent(code, value, text); },
            m_Url, m_PackagePath);
    }
    if (!m_Installer) {
        m_Installer = std::make_unique<CInstaller>(
            [this](int32_t code, double value, const std::wstring& text) { OnInstallEvent(code, value, text); },
            L"\"" + m_PackagePath + L"\"", m_InstallFolder);
    }
    m_Installer->SetInstallFolder(m_InstallFolder);
    m_Installer->SetShortcuts(m_DesktopShortcut, m_QuickShortcut);
    m_Installer->SetAccount(m_AdminAccount, m_AdminRights);
    m_Installer->SetLanguage(m_Language);

    if (!Utils::FileExists(m_Uninstaller)) {
        m_Downloader->Start();
        return;
    }

    std::wstring tempDir = Utils::GetTempDir();
    std::wstring copyPath;
    if (!tempDir.empty()) {
        if (tempDir.back() == L'\\') tempDir.pop_back();
        copyPath = tempDir + L"\\Lumeno_un_asa.exe";
    }
    std::wstring oldFolder = ParentFolder(m_Uninstaller);
    if (!copyPath.empty() && !CopyFileW(m_Uninstaller.c_str(), copyPath.c_str(), FALSE)) {
        DEBUG_LOG(L"uninstaller copy failed: %d\r\n", static_cast<int>(GetLastError()));
        // A stale copy from an earlier attempt must not stand in for this one.
        DeleteFileW(copyPath.c_str());
    }

    // The earlier runner has sent its last event when an attempt ends, but its thread
    // may still be finishing; destroying it waits for that. Called from inside that
    // runner's own events, it is kept aside instead, as waiting would never end.
    if (m_UnInstaller && m_UnInstaller->WorkerThreadId() == GetCurrentThreadId()) {
        m_RetiredUnInstaller = std::move(m_UnInstaller);
    } else {
        m_UnInstaller.reset();
    }
    m_UnInstaller = std::make_unique<CUnInstaller>(
        [this, refused = false](int32_t code, double value, const std::wstring& text) mutable {
            OnUninstallEvent(code, value, text, refused);
        },
        copyPath, oldFolder);
    // The wait for the running product happens on the runner's thread, so the window
    // stays responsive meanwhile.
    if (Config().m_IsInsNew) m_UnInstaller->SetWaitForProcess(kProductExe);
    m_UnInstaller->Start();
}

void CDownloadInstaller::Forward(int32_t code, double value, const std::wstring& text)
{
    if (m_Callback) m_Callback(code, value, text);
}

void CDownloadInstaller::OnDownloadEvent(int32_t code, double value, const std::wstring& text)
{
    Forward(code, value, text);
    switch (code) {
    case DL_CODE_START:
        DEBUG_LOG(L"DL_CODE_START\r\n");
        Utils::CreateDirectories(m_InstallFolder + L"\\");
        break;
    case DL_CODE_SUCCESS:
        DEBUG_LOG(L"DOWNLOAD_SUCCESS\r\n");
        if (m_Installer) m_Installer->Start();
        DEBUG_LOG(L"DL_CODE_SUCCESS\r\n");
        break;
    case DL_CODE_FAIL:
        DEBUG_LOG(L"DL_CODE_FAIL\r\n");
        Cleanup();
        break;
    case DL_CODE_RETRY:
        DEBUG_LOG(L"DL_CODE_RETRY\r\n");
        if (m_Downloader) m_Downloader->Start();
        break;
    default:
        DEBUG_LOG(L"%hs\r\n", InstallEventName(code));
        break;
    }
}

void CDownloadInstaller::OnUninstallEvent(int32_t code, double value, const std::wstring& text, bool& refused)
{
    Forward(code, value, text);
    DEBUG_LOG(L"%hs\r\n", InstallEventName(code));
    // UNIST_CODE_FAIL and UNIST_CODE_ERROR end the attempt here; the window reports them.
    // A success the same uninstaller states after its error must not start the download
    // behind the failure the window has already shown.
    if (code == UNIST_CODE_FAIL || code == UNIST_CODE_ERROR) refused = true;
    if (code == UNIST_CODE_SUCCESS && !refused && m_Installer && m_Downloader) m_Downloader->Start();
}

void CDownloadInstaller::OnInstallEvent(int32_t code, double value, const std::wstring& text)
{
    Forward(code, value, text);
    DEBUG_LOG(L"%hs\r\n", InstallEventName(code));
    if (code == INSTALL_SUCCESS || code == IST_CODE_FAIL) Cleanup();
}

void CDownloadInstaller::Cleanup()
{
    std::wstring package;
    {
        std::lock_guard<std::mutex> lock(m_PackagePathLock);
        package = m_PackagePath;
    }
    DeleteFileW(package.c_str());
    std::lock_guard<std::mutex> lock(g_RememberedMutex);
    if (!g_RememberedPackage.empty()) DeleteFileW(g_RememberedPackage.c_str());
    g_RememberedPackage = package;
}
