#include "install/Installer.h"

#include "core/DebugLog.h"
#include "core/InstallerConfig.h"
#include "install/OutputProtocol.h"

#include <cstdio>

namespace {

const wchar_t* Flag(bool value)
{
    return value ? L"true" : L"false";
}

const wchar_t kPackageFailed[] = L"安装包安装失败";
const wchar_t kCommandLineTooLong[] = L"安装包命令行过长";

// After its verdict the package's output is only drained.
const ChildRunnerCodes kPackageCodes = {INSTALL_SUCCESS, IST_CODE_FAIL,        IST_CODE_FAIL,
                                        kPackageFailed,  kCommandLineTooLong, false};

} // namespace

std::wstring BuildPackageCommandLine(const PackageSwitches& s)
{
    std::wstring line = s.quotedPackage;
    line += L" /S -console=show -version=1.0.0";
    line += L" -adminact=";
    line += Flag(s.adminAccount);
    line += L" -authorizationact=";
    line += Flag(s.adminRights);
    line += L" -dsc=";
    line += Flag(s.desktopShortcut);
    line += L" -ssc=";
    line += Flag(s.quickShortcut);
    if (!s.language.empty()) line += L" -inslang=\"" + s.language + L"\"";
    if (!s.instCmd.empty()) line += L" " + s.instCmd;
    if (!s.installFolder.empty()) {
        line += L" -instdir=\"" + s.installFolder + L"\"";
        // Packages take everything after "/D=" as the folder, so it stays last and bare.
        line += L" /D=" + s.installFolder;
    }
    return line;
}

CInstaller::CInstaller(InstallCallback callback, const std::wstring& quotedPackage,
                       const std::wstring& installFolder)
    : CChildRunner(std::move(callback), kPackageCodes), m_Package(quotedPackage), m_InstallFolder(installFolder)
{
}

CInstaller::~CInstaller()
{
    JoinWorker();
}

void CInstaller::Start()
{
    // An earlier run may still be reading the command line.
    JoinWorker();
    PackageSwitches s;
    s.quotedPackage = m_Package;
    s.adminAccount = m_AdminAccount;
    s.adminRights = m_AdminRights;
    s.desktopShortcut = m_DesktopShortcut;
    s.quickShortcut = m_QuickShortcut;
    s.language = m_Language;
    s.instCmd = Config().m_InstCmd;
    s.installFolder = m_InstallFolder;
    m_CommandLine = BuildPackageCommandLine(s);
    DEBUG_LOG(L"cmd: %ls\r\n", m_CommandLine.c_str());

    StartWorker(L"ABDEF", [](void* self) { static_cast<CInstaller*>(self)->Run(); }, this);
}

void CInstaller::Run()
{
    Send(IST_CODE_START, 0.0, L"");
    Send(IST_CODE_PROGRESS, 0.0, L"");
    RunChild([this](const std::wstring& text) { return Parse(text); });
}

int CInstaller::Parse(const std::wstring& text)
{
    using namespace OutputProtocol;
    int result = 0;
    for (const std::wstring& line : SplitLines(text)) {
        std::wstring v;
        if (MatchKey(line, L"Progress=", v)) {
            Send(IST_CODE_PROGRESS, ParseNumber(v), L"");
        } else if (MatchKey(line, L"InstPath=", v)) {
            Send(IST_CODE_INSTPATH, 0.0, v);
        } else if (MatchKey(line, L"State=", v)) {
            std::wstring state = Trim(v);
            if (state == L"Success") {
                Send(INSTALL_SUCCESS, 0.0, L"");
                result = 1;
            } else if (state == L"Fail") {
                Send(IST_CODE_FAIL, 0.0, kPackageFailed);
                result = 1000;
            }
        } else if (MatchKey(line, L"InstallVersion=", v)) {
            int a = 0, b = 0, c = 0;
            if (swscanf(v.c_str(), L"%d.%d.%d", &a, &b, &c) >= 1) {
                m_InstallVersion[0] = a;
                m_InstallVersion[1] = b;
                m_InstallVersion[2] = c;
            }
        } else if (MatchKey(line, L"ExePath=", v)) {
            DEBUG_LOG(L"ExePath: %ls\r\n", v.c_str());
            Send(IST_CODE_EXEPATH, 0.0, v);
        } else if (MatchKey(line, L"StartExe=", v)) {
            Send(IST_CODE_EXEPATH, 0.0, v);
        } else if (MatchKey(line, L"UninstExePath=", v)) {
            Send(IST_CODE_UNINSTEXE, 0.0, v);
        } else if (MatchKey(line, L"UninstExe=", v)) {
            Send(IST_CODE_UNINSTEXE, 0.0, v);
        } else if (MatchKey(line, L"UninstEp=", v)) {
            Send(IST_CODE_UNINSTEP, 0.0, v);
        } else if (MatchKey(line, L"Error=", v)) {
            Send(IST_CODE_FAIL, 1000.0, v);
            result = 1000;
        } else if (MatchKey(line, L"TopShowDetention=", v)) {
            Send(IST_CODE_TOPSHOW, ParseUnsigned32(v), L"");
        } else if (MatchKey(line, L"FinsihCloseDetention=", v)) {
            Send(IST_CODE_FINISHCLOSE, ParseUnsigned32(v), L"");
        } else if (MatchKey(line, L"StartUrl=", v)) {
            Send(IST_CODE_STARTURL, 0.0, v);
        } else if (MatchKey(line, L"StartupStyle=", v)) {
            std::wstring style = Trim(v);
            double number = style == L"AutoStartup" ? 1.0 : style == L"UserStartup" ? 2.0 : 0.0;
            Send(IST_CODE_STARTUPSTYLE, number, L"");
        } else if (MatchKey(line, L"Encode=", v)) {
            m_CodePage = PackageCodePage(Trim(v));
        } else if (MatchKey(line, L"Message=", v)) {
            Send(IST_CODE_MESSAGE, 0.0, v);
        }
    }
    return result;
}
