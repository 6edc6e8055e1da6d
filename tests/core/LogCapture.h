// Reads what DEBUG_LOG writes: lines sent to the debugger output reach a vectored
// exception handler as debug-print exceptions (wide or narrow), from any thread.
#pragma once

#include <windows.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

class LogCapture {
public:
    LogCapture()
    {
        std::lock_guard<std::mutex> lock(Lock());
        Active() = this;
        m_Handler = AddVectoredExceptionHandler(1, &LogCapture::Handler);
    }
    ~LogCapture()
    {
        if (m_Handler) RemoveVectoredExceptionHandler(m_Handler);
        std::lock_guard<std::mutex> lock(Lock());
        Active() = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::wstring> Lines()
    {
        std::lock_guard<std::mutex> lock(Lock());
        return m_Lines;
    }

private:
    static std::mutex& Lock()
    {
        static std::mutex lock;
        return lock;
    }
    static LogCapture*& Active()
    {
        static LogCapture* active = nullptr;
        return active;
    }
    static LONG CALLBACK Handler(PEXCEPTION_POINTERS info)
    {
        const EXCEPTION_RECORD* record = info->ExceptionRecord;
        if (record->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
        std::lock_guard<std::mutex> lock(Lock());
        if (!Active()) return EXCEPTION_CONTINUE_SEARCH;
        if (record->ExceptionCode == 0x4001000A) { // wide debug print
            Active()->m_Lines.push_back(reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]));
        } else if (record->ExceptionCode == 0x40010006) { // narrow debug print
            const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
            Active()->m_Lines.push_back(std::wstring(text, text + std::strlen(text)));
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }

    PVOID m_Handler = nullptr;
    std::vector<std::wstring> m_Lines;
};
