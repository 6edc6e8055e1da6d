// A hidden child process with its standard input, output and error on anonymous pipes.
// Only the parent's read end of the output pipe is used; input and error stay idle.
#pragma once

#include <windows.h>

#include <string>

namespace Utils {

class ChildProcess {
public:
    // The longest command line the system accepts: 32767 characters with the final NUL.
    static const size_t kMaxCommandLine = 32766;

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Creates the pipes and starts the process hidden; throws Utils::Exception when the
    // command line is too long or the process cannot be created (nothing is left open).
    void Launch(const std::wstring& commandLine);

    // Reads up to `size` bytes of the child's standard output, waiting until some arrive.
    // 0 means nothing more will come: the pipe is closed, or the child has ended and
    // everything it left in the pipe has been read (a grandchild holding the pipe open
    // cannot keep the caller waiting).
    int ReadOutput(char* buffer, int size);

    // True once the process has ended (its handle is signalled; an exit code of 259 is
    // not mistaken for a running process).
    bool HasEnded() const;
    // Waits without limit for the process to end.
    void Wait();
    // The exit code, or STILL_ACTIVE while running, or -1 when nothing was launched.
    DWORD ExitCode() const;

private:
    void CloseAll();
    static void Close(HANDLE& handle);

    HANDLE m_Process = nullptr;
    HANDLE m_Thread = nullptr;
    // (write end, read end) of the child's standard input, output and error.
    HANDLE m_InWrite = nullptr, m_InRead = nullptr;
    HANDLE m_OutWrite = nullptr, m_OutRead = nullptr;
    HANDLE m_ErrWrite = nullptr, m_ErrRead = nullptr;
};

} // namespace Utils
