#include "install/UnInstaller.h"

#include "core/DebugLog.h"
#include "install/ChildProcess.h"
#include "install/OutputProtocol.h"
#include "services/Account.h"
#include "services/FileSystem.h"
#include "services/Process.h"
#include "services/TextConversion.h"

namespace {

const wchar_t* Flag(bool value)
{
    return value ? L"true" : L"false";
}

const wchar_t kUninstallFailed[] = L"安装包卸载失败";
const wchar_t kUninstallerMissing[] = L"可执行卸载文件不存在";
const wchar_t kCommandLineTooLong[] = L"卸载命令行过长";


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
    : m_Callback(std::move(callback)), m_Uninstaller(uninstaller), m_OldFolder(oldFolder)
{
}

CUnInstaller::~CUnInstaller()
{
    m_Worker.Join();
}

bool CUnInstaller::IsRunning() const
{
    return m_Worker.m_Handle && WaitForSingleObject(m_Worker.m_Handle, 0) != WAIT_OBJECT_0;
}

void CUnInstaller::Start()
{
    bool adminAccount = false;
    std::wstring user;
    if (Utils::GetConsoleUserName(user)) adminAccount = Utils::IsAccountAdmin(user);
    m_CommandLine = BuildUninstallCommandLine(m_Uninstaller, adminAccount, Utils::IsUserAdmin(), m_OldFolder);
    DEBUG_LOG(L"cmd: %ls\r\n", m_CommandLine.c_str());

    m_Worker.Join();
    m_Worker.Start(this, L"UnInstaller", [](void* self) { static_cast<CUnInstaller*>(self)->Run(); });
    if (!m_Worker.m_Handle) {
        DEBUG_LOG(L"worker not created\r\n");
        Send(UNIST_CODE_FAIL, 2.0, L"");
        return;
    }
    m_Worker.Resume();
}

void CUnInstaller::Send(int32_t code, double value, const std::wstring& text)
{
    if (m_HoldVerdict && (code == UNIST_CODE_SUCCESS || code == UNIST_CODE_ERROR)) {
        m_HeldVerdict.push_back({code, value, text});
        return;
    }
    if (m_Callback) m_Callback(code, value, text);
}

void CUnInstaller::Run()
{
    if (!m_WaitForProcess.empty()) {
        while (Utils::FindProcess(m_WaitForProcess) != 0) Sleep(100);
    }
    if (!Utils::FileExists(m_Uninstaller)) {
        DEBUG_LOG(L"no uninstaller at %ls\r\n", m_Uninstaller.c_str());
        Send(UNIST_CODE_FAIL, 1.0, kUninstallerMissing);
        return;
    }
    Send(UNIST_CODE_PROGRESS, 0.0, L"");

    if (m_CommandLine.size() > Utils::ChildProcess::kMaxCommandLine) {
        DEBUG_LOG(L"command line of %d characters is too long\r\n", static_cast<int>(m_CommandLine.size()));
        Send(UNIST_CODE_FAIL, 2.0, kCommandLineTooLong);
        return;
    }
    Utils::ChildProcess child;
    try {
        child.Launch(m_CommandLine);
    } catch (...) {
        DEBUG_LOG(L"uninstaller not started\r\n");
        Send(UNIST_CODE_FAIL, 2.0, L"");
        return;
    }

    m_HoldVerdict = true;
    m_HeldVerdict.clear();
    bool verdict = false;
    OutputProtocol::LineAssembler lines;
    char buffer[1024];
    int got;
    // Everything the uninstaller writes is read, up to its very end.
    while ((got = child.ReadOutput(buffer, sizeof(buffer))) > 0) {
        std::string bytes = lines.Add(buffer, static_cast<size_t>(got));
        if (!bytes.empty() && Parse(Utils::ToWide(bytes, static_cast<UINT>(m_CodePage))) != 0) verdict = true;
    }
    std::string rest = lines.Flush();
    if (!rest.empty() && Parse(Utils::ToWide(rest, static_cast<UINT>(m_CodePage))) != 0) verdict = true;
    child.Wait();
    DWORD exitCode = child.ExitCode();
    DEBUG_LOG(L"uninstaller ended with %u\r\n", static_cast<unsigned>(exitCode));

    m_HoldVerdict = false;
    std::vector<Event> held;
    held.swap(m_HeldVerdict);
    for (const Event& e : held) Send(e.code, e.value, e.text);
    if (verdict) return;

    // Without a verdict a clean exit counts as success; a crash does not.
    if (exitCode == 0) {
        Send(UNIST_CODE_SUCCESS, 1.0, L"");
    } else {
        Send(UNIST_CODE_ERROR, static_cast<double>(exitCode), kUninstallFailed);
    }
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
