#include "install/UnInstaller.h"

#include "core/DebugLog.h"
#include "install/OutputProtocol.h"
#include "services/Account.h"
#include "services/FileSystem.h"
#include "services/Process.h"

namespace {

const wchar_t* Flag(bool value)
{
    return value ? L"true" : L"false";
}

const wchar_t kUninstallFailed[] = L"安装包卸载失败";
const wchar_t kUninstallerMissing[] = L"可执行卸载文件不存在";
const wchar_t kCommandLineTooLong[] = L"卸载命令行过长";

// The uninstaller's output is parsed to its very end.
const ChildRunnerCodes kUninstallCodes = {UNIST_CODE_SUCCESS, UNIST_CODE_ERROR,   UNIST_CODE_FAIL,
                                          kUninstallFailed,   kCommandLineTooLong, true};

} // namespace

std::wstring BuildUninstallCommandLine(const std::wstring& uninstaller, bool adminAccount, bool adminRights,
                                       const std::wstring& oldFolder)
{
    // Quoted, so that a shorter prefix of a path with blanks can never be taken for the
    // program; "_?=" takes the rest of the line, so the folder stays last and bare.
    std::wstring line = L"\"" + uninstaller + L"\"";
    line += L" /S -adminact=";
    line += Flag(adminAccount);
    line += L" -authorizationact=";
    line += Flag(adminRights);
    line += L" -console=show _?=";
    line += oldFolder;
    return line;
}

CUnInstaller::CUnInstaller(InstallCallback callback, const std::wstring& uninstaller, const std::wstring& oldFolder)
    : CChildRunner(std::move(callback), kUninstallCodes), m_Uninstaller(uninstaller), m_OldFolder(oldFolder)
{
}

CUnInstaller::~CUnInstaller()
{
    // The product may run for hours: a window closing meanwhile must not wait for it.
    m_Stop = true;
    JoinWorker();
}

void CUnInstaller::Start()
{
    JoinWorker();
    bool adminAccount = false;
    std::wstring user;
    if (Utils::GetConsoleUserName(user)) adminAccount = Utils::IsAccountAdmin(user);
    m_CommandLine = BuildUninstallCommandLine(m_Uninstaller, adminAccount, Utils::IsUserAdmin(), m_OldFolder);
    DEBUG_LOG(L"cmd: %ls\r\n", m_CommandLine.c_str());

    StartWorker(L"UnInstaller", [](void* self) { static_cast<CUnInstaller*>(self)->Run(); }, this);
}

void CUnInstaller::Run()
{
    if (!m_WaitForProcess.empty()) {
        while (!m_Stop && Utils::FindProcess(m_WaitForProcess) != 0) Sleep(100);
        if (m_Stop) return;
    }
    if (!Utils::FileExists(m_Uninstaller)) {
        DEBUG_LOG(L"no uninstaller at %ls\r\n", m_Uninstaller.c_str());
        Send(UNIST_CODE_FAIL, 1.0, kUninstallerMissing);
        return;
    }
    Send(UNIST_CODE_PROGRESS, 0.0, L"");
    RunChild([this](const std::wstring& text) { return Parse(text); });
}

int CUnInstaller::Parse(const std::wstring& text)
{
    using namespace OutputProtocol;
    int result = 0;
    for (const std::wstring& line : SplitLines(text)) {
        std::wstring v;
        if (MatchKey(line, L"Progress=", v)) {
            Send(UNIST_CODE_PROGRESS, ParseNumber(v), L"");
        } else if (MatchKey(line, L"Error=", v)) {
            Send(UNIST_CODE_ERROR, 0.0, v);
            result = 1000;
        } else if (MatchKey(line, L"State=", v)) {
            std::wstring state = Trim(v);
            if (state == L"Success") {
                Send(UNIST_CODE_SUCCESS, 0.0, L"");
                result = 1;
            } else if (state == L"Fail") {
                Send(UNIST_CODE_ERROR, 0.0, kUninstallFailed);
                result = 1000;
            }
        } else if (MatchKey(line, L"Encode=", v)) {
            m_CodePage = Trim(v) == L"UTF8" ? 65001 : 0;
        }
    }
    return result;
}
