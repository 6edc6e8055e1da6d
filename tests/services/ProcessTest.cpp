#include "services/Process.h"

#include <gtest/gtest.h>

namespace {

std::wstring BesideThisProgram(const std::wstring& name)
{
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path = module;
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

// Runs idle_child.exe until its standard input is closed.
class IdleChild {
public:
    IdleChild()
    {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE read = nullptr;
        if (!CreatePipe(&read, &m_Input, &inherit, 0)) return;
        SetHandleInformation(m_Input, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = read;
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::wstring commandLine = L"\"" + BesideThisProgram(L"idle_child.exe") + L"\"";
        PROCESS_INFORMATION info{};
        if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                           &startup, &info)) {
            CloseHandle(info.hThread);
            m_Process = info.hProcess;
            m_Id = info.dwProcessId;
        }
        CloseHandle(read);
    }
    ~IdleChild() { Stop(); }
    IdleChild(const IdleChild&) = delete;
    IdleChild& operator=(const IdleChild&) = delete;

    void Stop()
    {
        if (m_Input) CloseHandle(m_Input);
        m_Input = nullptr;
        if (m_Process) {
            WaitForSingleObject(m_Process, 30000);
            CloseHandle(m_Process);
        }
        m_Process = nullptr;
    }
    DWORD Id() const { return m_Id; }

private:
    HANDLE m_Input = nullptr;
    HANDLE m_Process = nullptr;
    DWORD m_Id = 0;
};

TEST(FindProcess, FindsARunningProgramByExactName)
{
    IdleChild child;
    ASSERT_NE(child.Id(), 0u);
    EXPECT_EQ(Utils::FindProcess(L"idle_child.exe"), child.Id());
    EXPECT_EQ(Utils::FindProcess(L"IDLE_CHILD.exe"), 0u);
    EXPECT_EQ(Utils::FindProcess(L"Idle_child.exe"), 0u);
    EXPECT_EQ(Utils::FindProcess(L"idle_child"), 0u);
    EXPECT_EQ(Utils::FindProcess(L""), 0u);

    child.Stop();
    EXPECT_EQ(Utils::FindProcess(L"idle_child.exe"), 0u);
}

TEST(FindProcess, FindsThisProgram)
{
    // Some systems list the calling process first; it must still be found.
    EXPECT_EQ(Utils::FindProcess(L"test_services.exe"), GetCurrentProcessId());
}

} // namespace
