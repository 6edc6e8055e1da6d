#include "install/ChildRunner.h"

#include "core/DebugLog.h"
#include "install/ChildProcess.h"
#include "install/OutputProtocol.h"
#include "services/TextConversion.h"

CChildRunner::CChildRunner(InstallCallback callback, const ChildRunnerCodes& codes)
    : m_Callback(std::move(callback)), m_Codes(codes)
{
}

CChildRunner::~CChildRunner()
{
    m_Worker.Join();
}

void CChildRunner::StartWorker(const wchar_t* name, void (*run)(void* self), void* self)
{
    m_Worker.Join();
    m_Worker.Start(self, name, run);
    if (!m_Worker.m_Handle) {
        DEBUG_LOG(L"worker not created\r\n");
        Send(m_Codes.notStarted, 2.0, L"");
        return;
    }
    m_Worker.Resume();
}

void CChildRunner::Send(int32_t code, double value, const std::wstring& text)
{
    if (m_ChildRunning && (!m_Held.empty() || IsVerdict(code))) {
        m_Held.push_back({code, value, text});
        return;
    }
    if (m_Callback) m_Callback(code, value, text);
}

void CChildRunner::RunChild(const std::function<int(const std::wstring&)>& parse)
{
    if (m_CommandLine.size() > Utils::ChildProcess::kMaxCommandLine) {
        DEBUG_LOG(L"command line of %d characters is too long\r\n", static_cast<int>(m_CommandLine.size()));
        Send(m_Codes.notStarted, 2.0, m_Codes.tooLongText);
        return;
    }
    Utils::ChildProcess child;
    try {
        child.Launch(m_CommandLine);
    } catch (...) {
        DEBUG_LOG(L"child not started\r\n");
        Send(m_Codes.notStarted, 2.0, L"");
        return;
    }

    m_ChildRunning = true;
    m_Held.clear();
    bool verdict = false;
    OutputProtocol::LineAssembler lines;
    auto parseBytes = [&](const std::string& bytes) {
        if (bytes.empty()) return;
        std::wstring text = Utils::ToWide(bytes, static_cast<UINT>(m_CodePage));
        // A code page the system does not know must not hide the rest of the output
        // (and with it the verdict): such output is read in the system code page.
        if (text.empty()) text = Utils::ToWide(bytes, CP_ACP);
        if (parse(text) != 0) verdict = true;
    };
    char buffer[1024];
    int got;
    // The output is read to its end even when it is no longer parsed, so that a chatty
    // child never blocks on a full pipe.
    while ((got = child.ReadOutput(buffer, sizeof(buffer))) > 0) {
        if (verdict && !m_Codes.readAfterVerdict) continue;
        parseBytes(lines.Add(buffer, static_cast<size_t>(got)));
    }
    if (!verdict || m_Codes.readAfterVerdict) parseBytes(lines.Flush());
    child.Wait();
    DWORD exitCode = child.ExitCode();
    DEBUG_LOG(L"child ended with %u\r\n", static_cast<unsigned>(exitCode));

    m_ChildRunning = false;
    std::vector<Event> held;
    held.swap(m_Held);
    for (const Event& e : held) Send(e.code, e.value, e.text);
    if (verdict) return;

    // Without a verdict a clean exit counts as success; a crash does not.
    if (exitCode == 0) {
        Send(m_Codes.success, 1.0, L"");
    } else {
        Send(m_Codes.failure, static_cast<double>(exitCode), m_Codes.failedText);
    }
}
