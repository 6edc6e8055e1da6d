// Worker threads: created suspended and named for debuggers, resumed by their owner,
// joined without time limit. Every background job of the installer runs on one.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace Utils {

class Thread {
public:
    using Function = std::function<void(void*)>;

    Thread() = default;
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Creates the thread suspended and names it; m_Handle stays null on failure. A thread
    // still attached from an earlier Start is joined first.
    Thread& Start(void* param, const std::wstring& name, Function fn);
    // Lets a started thread run (owners may also call ResumeThread on m_Handle).
    void Resume();
    // Waits for the thread without limit and closes it; does nothing when none is attached.
    void Join();

    DWORD m_ThreadId = static_cast<DWORD>(-1);
    HANDLE m_Handle = nullptr;
    Function m_Fn;
    void* m_Param = nullptr;
    std::wstring m_Name;

private:
    static unsigned __stdcall CallBack(void* object);
};

// The name a debugger shows for a thread: the given name, or "t" and the thread id.
std::string DebuggerThreadName(const std::wstring& name, DWORD threadId);

// Lets the window thread handle its messages for about 100 ms after the first one.
// False when the window is gone or a quit message arrived (which is posted again).
bool PumpMessages(HWND window);

} // namespace Utils
