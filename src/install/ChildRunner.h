// What the package runner and the uninstall runner share: the worker thread, launching
// the child, reading its output in whole lines until it ends, holding the verdict back
// until then, and the outcome when the child states none. Each runner keeps its own
// command line, its own keys and its own reading rule after the verdict.
#pragma once

#include "core/InstallEvents.h"
#include "core/Thread.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The events and texts one runner uses for the outcomes the shared run decides.
struct ChildRunnerCodes {
    int32_t success;            // verdict "success" (also sent with 1.0 after a clean exit)
    int32_t failure;            // verdict "failure" (also sent with the exit code after a crash)
    int32_t notStarted;         // the worker or the child could not be started (value 2.0)
    const wchar_t* failedText;  // text of a crash without verdict
    const wchar_t* tooLongText; // text when the command line exceeds what the system takes
    bool readAfterVerdict;      // parse output after the verdict, or only drain it
};

class CChildRunner {
public:
    CChildRunner(const CChildRunner&) = delete;
    CChildRunner& operator=(const CChildRunner&) = delete;

    int32_t GetCodePage() const { return m_CodePage; }
    const std::wstring& GetCommandLine() const { return m_CommandLine; }

protected:
    CChildRunner(InstallCallback callback, const ChildRunnerCodes& codes);
    // Derived destructors call JoinWorker first: the worker runs their code.
    ~CChildRunner();

    // Waits for an earlier worker, then runs `run` on a new one named `name`.
    void StartWorker(const wchar_t* name, void (*run)(void* self), void* self);
    void JoinWorker() { m_Worker.Join(); }

    // Sends an event; while the child runs, the verdict and everything after it wait
    // until the child has ended, so that whoever reacts to the verdict (deleting the
    // package, starting the download) never races the child.
    void Send(int32_t code, double value, const std::wstring& text);

    // Launches m_CommandLine, feeds its output to `parse` (one call per run of whole
    // lines, converted from m_CodePage) and sends the outcome: the held verdict, or
    // success/failure by the exit code when there was none.
    void RunChild(const std::function<int(const std::wstring&)>& parse);

    std::wstring m_CommandLine;
    int32_t m_CodePage = 0;
    Utils::Thread m_Worker;

private:
    bool IsVerdict(int32_t code) const { return code == m_Codes.success || code == m_Codes.failure; }

    InstallCallback m_Callback;
    ChildRunnerCodes m_Codes;
    bool m_ChildRunning = false;
    struct Event {
        int32_t code;
        double value;
        std::wstring text;
    };
    std::vector<Event> m_Held;
};
