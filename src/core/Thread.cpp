#include "core/Thread.h"

#include "core/DebugLog.h"
#include "services/TextConversion.h"

#include <mmsystem.h>
#include <process.h>

namespace Utils {

namespace {

const DWORD kSetThreadNameException = 0x406D1388;

#pragma pack(push, 8)
struct ThreadNameInfo {
    DWORD type;       // always 0x1000
    LPCSTR name;
    DWORD threadId;
    DWORD flags;
};
#pragma pack(pop)

LONG CALLBACK SwallowThreadName(PEXCEPTION_POINTERS info)
{
    return info->ExceptionRecord->ExceptionCode == kSetThreadNameException
               ? EXCEPTION_CONTINUE_EXECUTION
               : EXCEPTION_CONTINUE_SEARCH;
}

// Debuggers pick the name up from the first-chance exception; without a debugger the
// handler swallows it. mingw has no __try, so a vectored handler stands in for one.
void AnnounceThreadName(const std::string& name, DWORD threadId)
{
    ThreadNameInfo info{0x1000, name.c_str(), threadId, 0};
    PVOID handler = AddVectoredExceptionHandler(1, SwallowThreadName);
    if (!handler) return;
    RaiseException(kSetThreadNameException, 0, sizeof(info) / sizeof(ULONG_PTR),
                   reinterpret_cast<const ULONG_PTR*>(&info));
    RemoveVectoredExceptionHandler(handler);
}

} // namespace

std::string DebuggerThreadName(const std::wstring& name, DWORD threadId)
{
    if (name.empty()) return "t" + std::to_string(threadId);
    return ToNarrow(name, CP_ACP);
}

Thread::~Thread()
{
    Join();
    m_Name.clear();
    m_Fn = nullptr;
}

Thread& Thread::Start(void* param, const std::wstring& name, Function fn)
{
    // An earlier run still reads m_Fn and m_Param: it ends before they are replaced, and
    // its handle is closed rather than lost.
    Join();
    m_Handle = nullptr;
    if (fn) m_Fn = std::move(fn);
    m_Param = param;
    m_Name = name;

    unsigned id = 0;
    uintptr_t handle = _beginthreadex(nullptr, 0, &Thread::CallBack, this, CREATE_SUSPENDED, &id);
    if (handle == 0) return *this;
    m_Handle = reinterpret_cast<HANDLE>(handle);
    m_ThreadId = id;
    AnnounceThreadName(DebuggerThreadName(m_Name, m_ThreadId), m_ThreadId);
    return *this;
}

void Thread::Resume()
{
    if (m_Handle) ResumeThread(m_Handle);
}

void Thread::Join()
{
    if (!m_Handle) return;
    WaitForSingleObject(m_Handle, INFINITE);
    CloseHandle(m_Handle);
    m_Handle = nullptr;
    m_ThreadId = static_cast<DWORD>(-1);
}

unsigned __stdcall Thread::CallBack(void* object)
{
    Thread* self = static_cast<Thread*>(object);
    DEBUG_LOG(L"THREAD BEGIN\r\n");
    try {
        if (self->m_Fn) self->m_Fn(self->m_Param);
    } catch (...) {
        // Nothing may leave a thread entry; the owner learns of failures through events.
        DEBUG_LOG(L"THREAD ABORTED BY EXCEPTION\r\n");
    }
    DEBUG_LOG(L"THREAD END\r\n");
    _endthreadex(0);
    return 0;
}

bool PumpMessages(HWND window)
{
    DWORD start = timeGetTime();
    bool result = true;
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        if (window && !IsWindow(window)) { result = false; break; }
        MSG msg;
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) { result = false; break; }
        if (got == 0) {
            result = false;
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (timeGetTime() - start > 100) break;
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return result;
}

} // namespace Utils
