#include "install/ChildProcess.h"

#include "core/DebugLog.h"
#include "services/Exception.h"

#include <vector>

namespace Utils {

namespace {

bool MakePipe(HANDLE& read, HANDLE& write)
{
    SECURITY_ATTRIBUTES sa{};
    sa.nLength = sizeof(sa);
    sa.bInheritHandle = TRUE;
    return CreatePipe(&read, &write, &sa, 0) != FALSE;
}

} // namespace

ChildProcess::~ChildProcess()
{
    CloseAll();
}

void ChildProcess::Close(HANDLE& handle)
{
    if (handle) CloseHandle(handle);
    handle = nullptr;
}

void ChildProcess::CloseAll()
{
    Close(m_Process);
    Close(m_Thread);
    Close(m_InWrite);
    Close(m_InRead);
    Close(m_OutWrite);
    Close(m_OutRead);
    Close(m_ErrWrite);
    Close(m_ErrRead);
}

void ChildProcess::Launch(const std::wstring& commandLine)
{
    CloseAll();
    if (commandLine.size() > kMaxCommandLine) {
        DEBUG_LOG(L"command line too long: %d characters\r\n", static_cast<int>(commandLine.size()));
        throw Exception(L"");
    }
    if (!MakePipe(m_InRead, m_InWrite) || !MakePipe(m_OutRead, m_OutWrite) ||
        !MakePipe(m_ErrRead, m_ErrWrite)) {
        DEBUG_LOG(L"CreatePipe failed: %d\r\n", static_cast<int>(GetLastError()));
        CloseAll();
        throw Exception(L"");
    }
    // The child must not inherit the parent's ends, or the output pipe never reports
    // its end.
    SetHandleInformation(m_OutRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(m_ErrRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(m_InWrite, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = m_InRead;
    si.hStdOutput = m_OutWrite;
    si.hStdError = m_ErrWrite;

    // CreateProcessW may write into the command line, so it gets its own buffer.
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        DEBUG_LOG(L"CreateProcess failed: %d\r\n", static_cast<int>(GetLastError()));
        CloseAll();
        throw Exception(L"");
    }
    m_Process = pi.hProcess;
    m_Thread = pi.hThread;
    Close(m_OutWrite);
    Close(m_ErrWrite);
    Close(m_InRead);
}

int ChildProcess::ReadOutput(char* buffer, int size)
{
    if (!m_OutRead || size <= 0) return 0;
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(m_OutRead, nullptr, 0, nullptr, &available, nullptr)) return 0;
        if (available == 0) {
            if (!m_Process) return 0;
            // Wakes at once when the child ends; the pipe is then looked at once more.
            if (WaitForSingleObject(m_Process, 20) == WAIT_OBJECT_0) {
                if (!PeekNamedPipe(m_OutRead, nullptr, 0, nullptr, &available, nullptr) || available == 0)
                    return 0;
            } else {
                continue;
            }
        }
        DWORD wanted = available < static_cast<DWORD>(size) ? available : static_cast<DWORD>(size);
        DWORD got = 0;
        if (!ReadFile(m_OutRead, buffer, wanted, &got, nullptr)) return 0;
        if (got > 0) return static_cast<int>(got);
    }
}

bool ChildProcess::HasEnded() const
{
    return !m_Process || WaitForSingleObject(m_Process, 0) == WAIT_OBJECT_0;
}

void ChildProcess::Wait()
{
    if (m_Process) WaitForSingleObject(m_Process, INFINITE);
}

DWORD ChildProcess::ExitCode() const
{
    if (!m_Process) return static_cast<DWORD>(-1);
    DWORD code = STILL_ACTIVE;
    if (!GetExitCodeProcess(m_Process, &code)) return static_cast<DWORD>(-1);
    return code;
}

} // namespace Utils
