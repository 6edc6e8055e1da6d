// Runs the old installation's uninstaller (a copy in the installer's temporary folder)
// silently against the old folder and turns its output into uninstall events.
#pragma once

#include "core/InstallEvents.h"
#include "core/Thread.h"

#include <cstdint>
#include <string>
#include <vector>

// The uninstaller's command line; "_?=" with the unquoted old folder is always last.
std::wstring BuildUninstallCommandLine(const std::wstring& uninstaller, bool adminAccount, bool adminRights,
                                       const std::wstring& oldFolder);

class CUnInstaller {
public:
    CUnInstaller(InstallCallback callback, const std::wstring& uninstaller, const std::wstring& oldFolder);
    // Waits for the worker to end.
    ~CUnInstaller();
    CUnInstaller(const CUnInstaller&) = delete;
    CUnInstaller& operator=(const CUnInstaller&) = delete;

    // Before the uninstaller runs, the worker waits (without limit) until no process
    // with this executable name runs any more; empty means no wait.
    void SetWaitForProcess(const std::wstring& exeName) { m_WaitForProcess = exeName; }

    // Builds the command line and runs the uninstaller on the worker "UnInstaller".
    void Start();
    void Run();
    // Parses one piece of output, sending its events; returns the last non-zero parse
    // result (1 success, 1000 failure) or 0.
    int Parse(const std::wstring& text);

    // True while the worker may still send events.
    bool IsRunning() const;
    // The worker's thread id, to recognise calls made from inside its own events.
    DWORD WorkerThreadId() const { return m_Worker.m_ThreadId; }

    const std::wstring& GetCommandLine() const { return m_CommandLine; }
    int32_t GetCodePage() const { return m_CodePage; }

private:
    void Send(int32_t code, double value, const std::wstring& text);

    InstallCallback m_Callback;
    std::wstring m_Uninstaller;
    std::wstring m_OldFolder;
    std::wstring m_CommandLine;
    std::wstring m_WaitForProcess;
    int32_t m_CodePage = 0;
    Utils::Thread m_Worker;

    // Verdict events wait until the uninstaller has ended, so the download that follows
    // never races an uninstaller still removing files.
    bool m_HoldVerdict = false;
    struct Event { int32_t code; double value; std::wstring text; };
    std::vector<Event> m_HeldVerdict;
};
