#include "install/Installer.h"

#include "core/InstallerConfig.h"
#include "install/ScriptedChild.h"
#include "services/Process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t kFailText[] = L"安装包安装失败";

// ---- command line ---------------------------------------------------------------------

struct CommandLineCase {
    const char* name;
    PackageSwitches switches;
    std::wstring expected;
};

PackageSwitches Switches(bool adminAccount, bool adminRights, bool dsc, bool ssc, std::wstring language,
                         std::wstring instCmd, std::wstring folder)
{
    PackageSwitches s;
    s.quotedPackage = L"\"C:\\Program Files\\Lumeno\\__Package_Lumeno.exe\"";
    s.adminAccount = adminAccount;
    s.adminRights = adminRights;
    s.desktopShortcut = dsc;
    s.quickShortcut = ssc;
    s.language = language;
    s.instCmd = instCmd;
    s.installFolder = folder;
    return s;
}

TEST(PackageCommandLine, BuildsSwitchesInOrderWithFolderLastAndBare)
{
    const std::wstring head = L"\"C:\\Program Files\\Lumeno\\__Package_Lumeno.exe\" /S -console=show -version=1.0.0";
    const CommandLineCase cases[] = {
        {"folder with blanks",
         Switches(false, true, true, false, L"", L"", L"C:\\Program Files\\Lumeno"),
         head + L" -adminact=false -authorizationact=true -dsc=true -ssc=false"
                L" -instdir=\"C:\\Program Files\\Lumeno\" /D=C:\\Program Files\\Lumeno"},
        {"empty folder leaves out -instdir and /D=",
         Switches(true, false, false, true, L"", L"", L""),
         head + L" -adminact=true -authorizationact=false -dsc=false -ssc=true"},
        {"language quoted, extra switches after it and before -instdir",
         Switches(true, true, true, true, L"zh-CN", L"-demomode=fail -x=\"a b\"", L"D:\\L"),
         head + L" -adminact=true -authorizationact=true -dsc=true -ssc=true -inslang=\"zh-CN\""
                L" -demomode=fail -x=\"a b\" -instdir=\"D:\\L\" /D=D:\\L"},
        {"extra switches without language or folder",
         Switches(false, false, false, false, L"", L"-q", L""),
         head + L" -adminact=false -authorizationact=false -dsc=false -ssc=false -q"},
    };
    for (const CommandLineCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BuildPackageCommandLine(c.switches), c.expected);
    }
}

// ---- output protocol ------------------------------------------------------------------

TEST(InstallerParse, TurnsLinesIntoEvents)
{
    const std::wstring longText(1000, L'a');
    const std::vector<ParseCase> cases = {
        {"progress then success", L"Progress=0.5\nState=Success\n",
         {{IST_CODE_PROGRESS, 0.5, L""}, {INSTALL_SUCCESS, 0.0, L""}}, 1},
        {"progress that is no number", L"Progress=abc", {{IST_CODE_PROGRESS, 0.0, L""}}, 0},
        {"install path keeps its carriage return", L"InstPath=C:\\A B\r\n", {{IST_CODE_INSTPATH, 0.0, L"C:\\A B\r"}}, 0},
        {"state trimmed", L"State=  Success \r\n", {{INSTALL_SUCCESS, 0.0, L""}}, 1},
        {"lower-case success ignored, parsing goes on", L"State=success\nProgress=0.25",
         {{IST_CODE_PROGRESS, 0.25, L""}}, 0},
        {"state fail", L"State=Fail\r\n", {{IST_CODE_FAIL, 0.0, kFailText}}, 1000},
        {"error, rest of chunk still parsed", L"Error=disk full\nProgress=0.9\n",
         {{IST_CODE_FAIL, 1000.0, L"disk full"}, {IST_CODE_PROGRESS, 0.9, L""}}, 1000},
        {"last verdict of the chunk wins (error)", L"State=Success\nError=late",
         {{INSTALL_SUCCESS, 0.0, L""}, {IST_CODE_FAIL, 1000.0, L"late"}}, 1000},
        {"last verdict of the chunk wins (success)", L"Error=x\nState=Success",
         {{IST_CODE_FAIL, 1000.0, L"x"}, {INSTALL_SUCCESS, 0.0, L""}}, 1},
        {"exe path and start exe", L"ExePath=C:\\L\\l.exe\nStartExe=C:\\L\\s.exe",
         {{IST_CODE_EXEPATH, 0.0, L"C:\\L\\l.exe"}, {IST_CODE_EXEPATH, 0.0, L"C:\\L\\s.exe"}}, 0},
        {"UninstExePath= is never read as UninstExe=", L"UninstExePath=C:\\u.exe\nUninstExe=C:\\v.exe\n",
         {{IST_CODE_UNINSTEXE, 0.0, L"C:\\u.exe"}, {IST_CODE_UNINSTEXE, 0.0, L"C:\\v.exe"}}, 0},
        {"uninstall entry and start URL", L"UninstEp=C:\\L\\uninst.ep\nStartUrl=http://x.example/",
         {{IST_CODE_UNINSTEP, 0.0, L"C:\\L\\uninst.ep"}, {IST_CODE_STARTURL, 0.0, L"http://x.example/"}}, 0},
        {"detentions read as unsigned 32 bits",
         L"TopShowDetention=-1\nTopShowDetention=1500\nTopShowDetention=x\nFinsihCloseDetention=3000\n",
         {{IST_CODE_TOPSHOW, 4294967295.0, L""}, {IST_CODE_TOPSHOW, 1500.0, L""}, {IST_CODE_TOPSHOW, 0.0, L""},
          {IST_CODE_FINISHCLOSE, 3000.0, L""}}, 0},
        {"startup styles",
         L"StartupStyle=AutoStartup\nStartupStyle=UserStartup\nStartupStyle= NonStartup\r\nStartupStyle=autostartup\n",
         {{IST_CODE_STARTUPSTYLE, 1.0, L""}, {IST_CODE_STARTUPSTYLE, 2.0, L""},
          {IST_CODE_STARTUPSTYLE, 0.0, L""}, {IST_CODE_STARTUPSTYLE, 0.0, L""}}, 0},
        {"messages, empty and cut to 771 characters", L"Message=\nMessage=" + longText,
         {{IST_CODE_MESSAGE, 0.0, L""}, {IST_CODE_MESSAGE, 0.0, longText.substr(0, 771)}}, 0},
        {"keys without events", L"InstallVersion=1.7.9\nEncode=ACP\n", {}, 0},
        {"keys only at the line start, case-sensitive", L" Progress=0.5\nprogress=0.5\nFoo=1\n\n", {}, 0},
        {"empty chunk", L"", {}, 0},
    };
    ExpectParses<CInstaller>(cases, [](InstallCallback callback) {
        return std::make_unique<CInstaller>(callback, L"\"x.exe\"", L"");
    });
}

TEST(InstallerParse, EncodeSetsTheCodePage)
{
    const struct {
        const wchar_t* line;
        int32_t codePage;
    } cases[] = {
        {L"Encode=936", 936}, {L"Encode=UTF8", 65001}, {L"Encode= UTF8 \r", 65001}, {L"Encode=ACP", 0},
        {L"Encode=abc", 0},   {L"Encode=utf8", 0},     {L"Encode=1252x", 1252},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.line, c.line + wcslen(c.line)));
        CInstaller installer(nullptr, L"\"x.exe\"", L"");
        installer.Parse(L"Encode=65001");
        installer.Parse(c.line);
        EXPECT_EQ(installer.GetCodePage(), c.codePage);
    }
}

TEST(InstallerParse, KeepsTheInstallVersion)
{
    CInstaller installer(nullptr, L"\"x.exe\"", L"");
    installer.Parse(L"InstallVersion=1.7.9\n");
    const int32_t* version = installer.GetInstallVersion();
    EXPECT_EQ(version[0], 1);
    EXPECT_EQ(version[1], 7);
    EXPECT_EQ(version[2], 9);
}

// ---- runs with a real child process ---------------------------------------------------

class InstallerRun : public ScriptedChildTest {
protected:
    // Runs the child with `script` and returns every event of the run.
    std::vector<Event> RunScript(const char* script, const std::wstring& package = ChildPath(),
                                 const std::wstring& folder = L"C:\\Lumeno Test",
                                 const std::wstring& language = L"")
    {
        return RunScripted<CInstaller>(
            script, {INSTALL_SUCCESS, IST_CODE_FAIL},
            [&](InstallCallback callback) {
                auto installer = std::make_unique<CInstaller>(callback, L"\"" + package + L"\"", folder);
                installer->SetLanguage(language);
                return installer;
            },
            [this](CInstaller& installer) { lastCodePage = installer.GetCodePage(); });
    }

    int32_t lastCodePage = 0;
};

TEST_F(InstallerRun, VerdictIsReportedOnceAndTheExitAddsNothing)
{
    std::vector<Event> expected = {{IST_CODE_START, 0.0, L""}, {IST_CODE_PROGRESS, 0.0, L""},
                                   {IST_CODE_PROGRESS, 0.5, L""}, {INSTALL_SUCCESS, 0.0, L""}};
    EXPECT_EQ(RunScript("out:Progress=0.5\\nState=Success\\n|sleep:200"), expected);
}

TEST_F(InstallerRun, CleanExitWithoutVerdictIsSuccess)
{
    std::vector<Event> expected = {{IST_CODE_START, 0.0, L""}, {IST_CODE_PROGRESS, 0.0, L""},
                                   {IST_CODE_PROGRESS, 0.5, L""}, {INSTALL_SUCCESS, 1.0, L""}};
    EXPECT_EQ(RunScript("out:Progress=0.5\\n"), expected);
}

TEST_F(InstallerRun, CrashWithoutVerdictIsFailureWithTheExitCode)
{
    std::vector<Event> expected = {{IST_CODE_START, 0.0, L""}, {IST_CODE_PROGRESS, 0.0, L""},
                                   {IST_CODE_PROGRESS, 0.5, L""}, {IST_CODE_FAIL, 3221225477.0, kFailText}};
    EXPECT_EQ(RunScript("out:Progress=0.5\\n|exit:3221225477"), expected);
}

TEST_F(InstallerRun, ErrorLineEndsTheRunWithOneFailure)
{
    std::vector<Event> expected = {{IST_CODE_START, 0.0, L""}, {IST_CODE_PROGRESS, 0.0, L""},
                                   {IST_CODE_FAIL, 1000.0, L"no space"}};
    EXPECT_EQ(RunScript("out:Error=no space\\n|sleep:200|out:Progress=0.7\\nState=Success\\n|exit:1"), expected);
}

TEST_F(InstallerRun, PackageThatCannotStartFailsWithTwo)
{
    std::vector<Event> expected = {{IST_CODE_START, 0.0, L""}, {IST_CODE_PROGRESS, 0.0, L""},
                                   {IST_CODE_FAIL, 2.0, L""}};
    EXPECT_EQ(RunScript("", L"C:\\no such folder\\__Package_Lumeno.exe"), expected);
}

TEST_F(InstallerRun, OverlongCommandLineFailsClearly)
{
    std::vector<Event> events = RunScript("", ChildPath(), L"C:\\" + std::wstring(33000, L'x'));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[2], (Event{IST_CODE_FAIL, 2.0, L"安装包命令行过长"}));
}

// The system takes 32767 characters with the final NUL: one more must fail clearly and
// never reach the system.
TEST_F(InstallerRun, CommandLineLimitIsThatOfTheSystem)
{
    PackageSwitches s;
    s.quotedPackage = L"\"" + ChildPath() + L"\"";
    s.adminRights = true;
    s.instCmd = Config().m_InstCmd;
    s.installFolder = L"C:\\L";
    s.language = L"x";
    const size_t base = BuildPackageCommandLine(s).size() - 1;
    const std::vector<Event> started = {{IST_CODE_START, 0.0, L""}, {IST_CODE_PROGRESS, 0.0, L""},
                                        {INSTALL_SUCCESS, 0.0, L""}};
    const std::vector<Event> refused = {{IST_CODE_START, 0.0, L""}, {IST_CODE_PROGRESS, 0.0, L""},
                                        {IST_CODE_FAIL, 2.0, L"安装包命令行过长"}};
    const struct {
        size_t length;
        const std::vector<Event>& events;
    } cases[] = {{32766, started}, {32767, refused}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        EXPECT_EQ(RunScript("out:State=Success\\n", ChildPath(), L"C:\\L", std::wstring(c.length - base, L'l')),
                  c.events);
    }
}

TEST_F(InstallerRun, LinesAfterTheVerdictKeepTheirPlace)
{
    // The verdict waits for the package to end; what followed it in the same read must
    // not overtake it.
    std::vector<Event> expected = {{IST_CODE_START, 0.0, L""}, {IST_CODE_PROGRESS, 0.0, L""},
                                   {IST_CODE_PROGRESS, 0.5, L""}, {INSTALL_SUCCESS, 0.0, L""},
                                   {IST_CODE_MESSAGE, 0.0, L"done"}, {IST_CODE_PROGRESS, 1.0, L""}};
    EXPECT_EQ(RunScript("out:Progress=0.5\\nState=Success\\nMessage=done\\nProgress=1\\n|sleep:300"), expected);
}

TEST_F(InstallerRun, LongFolderBeyondTheOldBufferReachesThePackageWhole)
{
    char argsFile[MAX_PATH];
    GetTempFileNameA(".", "arg", 0, argsFile);
    SetEnvironmentVariableA("LUMENO_CHILD_ARGS", argsFile);
    const std::wstring folder = L"C:\\" + std::wstring(1500, L'f');
    RunScript("out:State=Success\\n", ChildPath(), folder);

    HANDLE file = CreateFileA(argsFile, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::wstring seen(8192, L'\0');
    DWORD got = 0;
    ReadFile(file, &seen[0], static_cast<DWORD>(seen.size() * sizeof(wchar_t)), &got, nullptr);
    CloseHandle(file);
    DeleteFileA(argsFile);
    seen.resize(got / sizeof(wchar_t));
    const std::wstring tail = L" /D=" + folder;
    ASSERT_GE(seen.size(), tail.size());
    EXPECT_EQ(seen.substr(seen.size() - tail.size()), tail);
}

TEST_F(InstallerRun, LineCutBetweenTwoWritesIsParsedWhole)
{
    std::vector<Event> events = RunScript("out:Prog|sleep:300|out:ress=0.25\\nState=Success\\n");
    std::vector<Event> expected = {{IST_CODE_START, 0.0, L""}, {IST_CODE_PROGRESS, 0.0, L""},
                                   {IST_CODE_PROGRESS, 0.25, L""}, {INSTALL_SUCCESS, 0.0, L""}};
    EXPECT_EQ(events, expected);
}

TEST_F(InstallerRun, ChattyPackageAfterItsVerdictDoesNotBlock)
{
    // Far more than a pipe holds; without draining, the package would wait forever.
    std::vector<Event> events = RunScript("out:State=Success\\n|flood:1000000|out:Error=ignored\\n");
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), (Event{INSTALL_SUCCESS, 0.0, L""}));
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(InstallerRun, EncodeAppliesToTheFollowingOutput)
{
    const struct {
        const char* name;
        const char* script;
        std::wstring text;
        int32_t codePage;
    } cases[] = {
        {"code page 936", "out:Encode=936\\nMessage=sync\\n|wait|out:InstPath=\\xD6\\xD0\\xCE\\xC4\\n", L"中文", 936},
        {"UTF-8", "out:Encode=UTF8\\nMessage=sync\\n|wait|out:InstPath=\\xE4\\xB8\\xAD\\xE6\\x96\\x87\\n", L"中文", 65001},
        {"a code page the system does not know", "out:Encode=12345\\nMessage=sync\\n|wait|out:InstPath=C:\\\\L\\n", L"C:\\L",
         12345},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Event> events = RunScript(c.script);
        ASSERT_EQ(events.size(), 5u);
        EXPECT_EQ(events[3], (Event{IST_CODE_INSTPATH, 0.0, c.text}));
        EXPECT_EQ(lastCodePage, c.codePage);
    }
}

TEST_F(InstallerRun, VerdictArrivesOnlyAfterThePackageHasEnded)
{
    SetEnvironmentVariableA("LUMENO_CHILD_SCRIPT", "out:State=Success\\n|sleep:800");
    EventRecorder recorder;
    DWORD runningAtVerdict = 1;
    recorder.onEvent = [&](const Event& e) {
        if (e.code == INSTALL_SUCCESS) runningAtVerdict = Utils::FindProcess(L"protocol_child.exe");
    };
    CInstaller installer(recorder.Callback(), L"\"" + ChildPath() + L"\"", L"C:\\L");
    installer.Start();
    ASSERT_TRUE(recorder.WaitFor({INSTALL_SUCCESS}, 60));
    EXPECT_EQ(runningAtVerdict, 0u);
}

TEST_F(InstallerRun, SecondStartRunsAgainWithTheNewFolder)
{
    SetEnvironmentVariableA("LUMENO_CHILD_SCRIPT", "out:State=Success\\n");
    EventRecorder recorder;
    CInstaller installer(recorder.Callback(), L"\"" + ChildPath() + L"\"", L"C:\\First");
    installer.Start();
    ASSERT_TRUE(recorder.WaitFor({INSTALL_SUCCESS}, 60));
    recorder.Clear();
    installer.SetInstallFolder(L"C:\\Second");
    installer.SetLanguage(L"de");
    installer.Start();
    ASSERT_TRUE(recorder.WaitFor({INSTALL_SUCCESS}, 60));
    const std::wstring& line = installer.GetCommandLine();
    EXPECT_NE(line.find(L" -inslang=\"de\""), std::wstring::npos);
    EXPECT_EQ(line.substr(line.size() - 13), L" /D=C:\\Second");
}

} // namespace
