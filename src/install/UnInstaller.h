// Runs the old installation's uninstaller (a copy in the installer's temporary folder)
// silently against the old folder and turns its output into uninstall events.
#pragma once

#include "core/InstallEvents.h"
#include "install/ChildRunner.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

// The uninstaller's command line; "_?=" with the unquoted old folder is always last.
std::wstring BuildUninstallCommandLine(const std::wstring& uninstaller, bool adminAccount, bool adminRights,
                                       const std::wstring& oldFolder);

class CUnInstaller : public CChildRunner {
public:
    CUnInstaller(InstallCallback callback, const std::wstring& uninstaller, const std::wstring& oldFolder);
    // Waits for the worker to end; a wait for the running product is given up.
    ~CUnInstaller();

    // Before the uninstaller runs, the worker waits (without limit) until no process
    // with this executable name runs any more; empty means no wait.
    void SetWaitForProcess(const std::wstring& exeName) { m_WaitForProcess = exeName; }

    // Builds the command line and runs the uninstaller on the worker "UnInstaller".
    void Start();
    void Run();
    // Parses one piece of output, sending its events; returns the last non-zero parse
    // result (1 success, 1000 failure) or 0.
    int Parse(const std::wstring& text);

    // The worker's thread id, to recognise calls made from inside its own events.
    DWORD WorkerThreadId() const { return m_Worker.m_ThreadId; }

private:
    std::wstring m_Uninstaller;
    std::wstring m_OldFolder;
    std::wstring m_WaitForProcess;
    std::atomic<bool> m_Stop{false};  // set by the destructor: the attempt is being torn down
};
