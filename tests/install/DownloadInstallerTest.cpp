// libcurl brings winsock2.h, which must come before windows.h.
#include <curl/curl.h>

#include "install/DownloadInstaller.h"

#include "core/InstallerConfig.h"
#include "install/ChildProcess.h"
#include "install/EventRecorder.h"
#include "services/FileSystem.h"
#include "services/Process.h"
#include "support/TestFiles.h"
#include "support/TestServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

class CurlEnvironment : public testing::Environment {
public:
    void SetUp() override { Config().m_CurlReady = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK; }
    void TearDown() override { curl_global_cleanup(); }
};
testing::Environment* const g_Curl = testing::AddGlobalTestEnvironment(new CurlEnvironment);

const std::string kDemoDir = LUMENO_BINARY_DIR "/demo";
const char kPackageName[] = "LumenoDemoPackage.exe";

std::wstring FullPath(const std::wstring& relative)
{
    wchar_t full[MAX_PATH];
    GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
    return full;
}

using TestFiles::RemoveTree;

// Index of the first event with `code`, or -1.
int IndexOf(const std::vector<int32_t>& codes, int32_t code, size_t from = 0)
{
    auto it = std::find(codes.begin() + static_cast<long>(std::min(from, codes.size())), codes.end(), code);
    return it == codes.end() ? -1 : static_cast<int>(it - codes.begin());
}

class Orchestrator : public testing::Test {
protected:
    void SetUp() override
    {
        server = std::make_unique<TestServer>(TestFiles::HostPath(kDemoDir));
        ASSERT_NE(server->Port(), 0);
        url = server->FileUrl(kPackageName);
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info->name();
        base = FullPath(L"run " + std::wstring(name.begin(), name.end()));
        RemoveTree(base);
        CreateDirectoryW(base.c_str(), nullptr);
        folder = base + L"\\Lumeno App";
        saved = Config();
        Config().m_InstCmd = L"-demodelay=200";
        Config().m_DownloadType = 1;
        Config().m_IsInsNew = false;
    }

    void TearDown() override
    {
        Config() = saved;
        if (!HasFailure()) RemoveTree(base);
    }

    std::unique_ptr<CDownloadInstaller> Make(const std::wstring& uninstaller, const std::wstring& language = L"")
    {
        auto installer = std::make_unique<CDownloadInstaller>(recorder.Callback(), L"", L"", L"", true, true, true);
        installer->SetInstallInfo(url, L"", uninstaller, folder, true, false, false, true, language);
        return installer;
    }

    // An old installation made by the demo package itself; returns its uninstaller.
    std::wstring InstallOldVersion(const char* uninstallMode = nullptr)
    {
        std::wstring old = base + L"\\Old Lumeno";
        Utils::ChildProcess package;
        package.Launch(L"\"" + TestFiles::HostPath(kDemoDir + "/" + kPackageName) + L"\" /S -demodelay=0 /D=" + old);
        char buffer[1024];
        while (package.ReadOutput(buffer, sizeof(buffer)) > 0) {
        }
        package.Wait();
        EXPECT_EQ(package.ExitCode(), 0u);
        if (uninstallMode) {
            EXPECT_TRUE(TestFiles::WriteFileBytes(old + L"\\demo-uninstall-mode.txt", uninstallMode));
        }
        return old + L"\\uninst.exe";
    }

    std::unique_ptr<TestServer> server;
    std::wstring url;
    std::wstring base;
    std::wstring folder;
    InstallerConfig saved;
    EventRecorder recorder;
};

const std::initializer_list<int32_t> kTerminal = {INSTALL_SUCCESS, IST_CODE_FAIL, DL_CODE_FAIL, UNIST_CODE_FAIL,
                                                  UNIST_CODE_ERROR};

TEST_F(Orchestrator, FreshInstallDownloadsRunsAndDeletesThePackage)
{
    auto installer = Make(L"", L"de-DE");
    EXPECT_EQ(installer->GetPackagePath(), folder + L"\\__Package_Lumeno.exe");
    installer->Start();
    ASSERT_TRUE(recorder.WaitFor(kTerminal, 120));
    installer.reset();

    std::vector<int32_t> codes = recorder.Codes();
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), DL_CODE_START);
    EXPECT_EQ(codes.back(), INSTALL_SUCCESS);
    EXPECT_TRUE(std::none_of(codes.begin(), codes.end(), [](int32_t c) { return c >= 5000; }));
    int success = IndexOf(codes, DL_CODE_SUCCESS);
    int start = IndexOf(codes, IST_CODE_START);
    ASSERT_GE(success, 1);
    EXPECT_EQ(start, success + 1);
    for (int i = 1; i < success; ++i) EXPECT_EQ(codes[i], DL_CODE_PROGRESS) << i;
    EXPECT_EQ(codes[start + 1], IST_CODE_PROGRESS);
    for (int32_t fact : {IST_CODE_INSTPATH, IST_CODE_EXEPATH, IST_CODE_UNINSTEXE, IST_CODE_UNINSTEP,
                         IST_CODE_STARTUPSTYLE, IST_CODE_TOPSHOW, IST_CODE_FINISHCLOSE})
        EXPECT_GT(IndexOf(codes, fact), start) << fact;
    EXPECT_EQ(std::count(codes.begin(), codes.end(), INSTALL_SUCCESS), 1);

    std::vector<Event> events = recorder.Events();
    EXPECT_EQ(events[IndexOf(codes, IST_CODE_INSTPATH)].text, folder);
    EXPECT_EQ(events[IndexOf(codes, IST_CODE_EXEPATH)].text, folder + L"\\lumenomanager.exe");
    EXPECT_EQ(events.back().value, 0.0);  // the package stated its verdict

    EXPECT_FALSE(Utils::FileExists(folder + L"\\__Package_Lumeno.exe"));
    EXPECT_TRUE(Utils::FileExists(folder + L"\\lumenomanager.exe"));
    EXPECT_TRUE(Utils::FileExists(folder + L"\\uninst.exe"));
    EXPECT_TRUE(Utils::FileExists(folder + L"\\uninst.ep"));
    wchar_t language[32] = L"";
    GetPrivateProfileStringW(L"Install", L"Language", L"", language, 32, (folder + L"\\config.ini").c_str());
    EXPECT_STREQ(language, L"de-DE");
}

TEST_F(Orchestrator, OldInstallationIsRemovedBeforeTheDownload)
{
    std::wstring uninstaller = InstallOldVersion();
    std::wstring oldFolder = base + L"\\Old Lumeno";
    auto installer = Make(uninstaller);
    installer->Start();
    ASSERT_TRUE(recorder.WaitFor(kTerminal, 120));
    installer.reset();

    std::vector<int32_t> codes = recorder.Codes();
    int removed = IndexOf(codes, UNIST_CODE_SUCCESS);
    ASSERT_GE(removed, 1);
    for (int i = 0; i < removed; ++i) EXPECT_EQ(codes[i], UNIST_CODE_PROGRESS) << i;
    EXPECT_EQ(codes[removed + 1], DL_CODE_START);
    EXPECT_EQ(codes.back(), INSTALL_SUCCESS);
    EXPECT_FALSE(Utils::FileExists(oldFolder + L"\\lumenomanager.exe"));
    EXPECT_FALSE(Utils::FileExists(oldFolder + L"\\uninst.exe"));
    EXPECT_TRUE(Utils::FileExists(folder + L"\\lumenomanager.exe"));
    EXPECT_TRUE(Utils::FileExists(Utils::GetTempDir() + L"Lumeno_un_asa.exe"));
}

TEST_F(Orchestrator, UninstallerPathOfAMissingFileIsLikeNone)
{
    auto installer = Make(base + L"\\nowhere\\uninst.exe");
    installer->Start();
    ASSERT_TRUE(recorder.WaitFor(kTerminal, 120));
    installer.reset();
    std::vector<int32_t> codes = recorder.Codes();
    EXPECT_EQ(codes.front(), DL_CODE_START);
    EXPECT_EQ(codes.back(), INSTALL_SUCCESS);
}

TEST_F(Orchestrator, FailedUninstallStopsTheAttemptBeforeAnyDownload)
{
    const struct {
        const char* mode;
        Event last;
    } cases[] = {
        {"fail", {UNIST_CODE_ERROR, 0.0, L"安装包卸载失败"}},
        {"error", {UNIST_CODE_ERROR, 0.0, L"demo uninstall refused"}},
        {"crash", {UNIST_CODE_ERROR, 3221225477.0, L"安装包卸载失败"}},
        // The success stated after the error is passed on, but the attempt has failed.
        {"errorthensuccess", {UNIST_CODE_SUCCESS, 0.0, L""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        recorder.Clear();
        server->Reset();
        std::wstring uninstaller = InstallOldVersion(c.mode);
        auto installer = Make(uninstaller);
        installer->Start();
        ASSERT_TRUE(recorder.WaitFor(kTerminal, 120));
        ASSERT_TRUE(recorder.WaitFor({c.last.code}, 120));
        // Time enough for a download that should not start to show itself.
        Sleep(300);
        installer.reset();
        std::vector<Event> events = recorder.Events();
        EXPECT_EQ(events.front().code, UNIST_CODE_PROGRESS);
        std::vector<int32_t> codes = recorder.Codes();
        EXPECT_EQ(std::count(codes.begin(), codes.end(), UNIST_CODE_ERROR), 1);
        EXPECT_EQ(events.back(), c.last);
        EXPECT_EQ(IndexOf(codes, DL_CODE_START), -1);
        EXPECT_TRUE(server->Requests().empty());
    }
}

TEST_F(Orchestrator, NewAttemptFromInsideTheFailedUninstallersEvent)
{
    // A caller that reacts to the failure at once, on the uninstall runner's own thread:
    // replacing that runner must not wait for the thread it runs on.
    std::wstring uninstaller = InstallOldVersion("fail");
    auto installer = Make(uninstaller);
    CDownloadInstaller* orchestrator = installer.get();
    bool retried = false;
    recorder.onEvent = [&](const Event& e) {
        if (e.code != UNIST_CODE_ERROR || retried) return;
        retried = true;
        DeleteFileW((base + L"\\Old Lumeno\\demo-uninstall-mode.txt").c_str());
        orchestrator->Start();
    };
    installer->Start();
    ASSERT_TRUE(recorder.WaitFor({INSTALL_SUCCESS, IST_CODE_FAIL, DL_CODE_FAIL, UNIST_CODE_FAIL}, 120));
    installer.reset();

    std::vector<int32_t> codes = recorder.Codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), UNIST_CODE_ERROR), 1);
    int removed = IndexOf(codes, UNIST_CODE_SUCCESS);
    ASSERT_GE(removed, 0);
    EXPECT_GT(IndexOf(codes, DL_CODE_START), removed);
    EXPECT_EQ(codes.back(), INSTALL_SUCCESS);
}

TEST_F(Orchestrator, UninstallerCopyThatCannotBeMadeFailsTheAttempt)
{
    std::wstring uninstaller = InstallOldVersion();
    // A folder where the copy should go makes the copy fail.
    std::wstring copyPath = Utils::GetTempDir() + L"Lumeno_un_asa.exe";
    DeleteFileW(copyPath.c_str());
    ASSERT_TRUE(CreateDirectoryW(copyPath.c_str(), nullptr));
    auto installer = Make(uninstaller);
    installer->Start();
    bool ended = recorder.WaitFor(kTerminal, 120);
    installer.reset();
    RemoveDirectoryW(copyPath.c_str());
    ASSERT_TRUE(ended);
    EXPECT_EQ(recorder.Events(), (std::vector<Event>{{UNIST_CODE_FAIL, 1.0, L"可执行卸载文件不存在"}}));
    EXPECT_TRUE(server->Requests().empty());
}

TEST_F(Orchestrator, DigestMismatchRetriesOnceThenFailsAndCleansUp)
{
    url = server->Url(std::string("/software/0123456789abcdef0123456789abcdef/") + kPackageName);
    auto installer = Make(L"");
    installer->Start();
    ASSERT_TRUE(recorder.WaitFor(kTerminal, 120));
    installer.reset();

    std::vector<int32_t> codes = recorder.Codes();
    int md5 = IndexOf(codes, DL_CODE_MD5);
    ASSERT_GE(md5, 0);
    ASSERT_LT(static_cast<size_t>(md5 + 2), codes.size());
    EXPECT_EQ(codes[md5 + 1], DL_CODE_RETRY);
    EXPECT_EQ(codes[md5 + 2], DL_CODE_START);
    EXPECT_EQ(codes.back(), DL_CODE_FAIL);
    EXPECT_EQ(IndexOf(codes, IST_CODE_START), -1);
    EXPECT_FALSE(Utils::FileExists(folder + L"\\__Package_Lumeno.exe"));
}

TEST_F(Orchestrator, FailedDownloadLeavesNoPackage)
{
    ASSERT_TRUE(server->SetFaults(R"([{"name": "LumenoDemoPackage.exe", "status": 404}])"));
    auto installer = Make(L"");
    installer->Start();
    ASSERT_TRUE(recorder.WaitFor(kTerminal, 120));
    installer.reset();
    std::vector<int32_t> codes = recorder.Codes();
    EXPECT_EQ(codes.front(), DL_CODE_START);
    EXPECT_EQ(codes.back(), DL_CODE_FAIL);
    EXPECT_EQ(IndexOf(codes, IST_CODE_START), -1);
    EXPECT_FALSE(Utils::FileExists(folder + L"\\__Package_Lumeno.exe"));
}

TEST_F(Orchestrator, PackageFailureIsReportedAndThePackageDeleted)
{
    Config().m_InstCmd = L"-demodelay=0 -demomode=fail";
    auto installer = Make(L"");
    installer->Start();
    ASSERT_TRUE(recorder.WaitFor(kTerminal, 120));
    installer.reset();
    // The package's "State=Fail" comes after its "Error=" verdict and is not read.
    std::vector<Event> events = recorder.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), (Event{IST_CODE_FAIL, 1000.0, L"demo failure requested"}));
    std::vector<int32_t> codes = recorder.Codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), IST_CODE_FAIL), 1);
    EXPECT_FALSE(Utils::FileExists(folder + L"\\__Package_Lumeno.exe"));
}

TEST_F(Orchestrator, SecondAttemptReusesTheFirstDownloader)
{
    auto installer = Make(L"");
    installer->Start();
    ASSERT_TRUE(recorder.WaitFor(kTerminal, 120));
    std::wstring first = folder;
    // Only the first attempt chooses the downloader.
    Config().m_DownloadType = 2;
    folder = base + L"\\Second";
    installer->SetInstallInfo(url, L"", L"", folder, false, false, false, true, L"");
    // The first attempt's last event has been sent; its worker deletes the package after it.
    for (int i = 0; i < 1200 && Utils::FileExists(first + L"\\__Package_Lumeno.exe"); ++i) Sleep(50);
    recorder.Clear();
    installer->Start();
    ASSERT_TRUE(recorder.WaitFor(kTerminal, 120));
    installer.reset();

    std::vector<Event> events = recorder.Events();
    std::vector<int32_t> codes = recorder.Codes();
    EXPECT_EQ(codes.back(), INSTALL_SUCCESS);
    int success = IndexOf(codes, DL_CODE_SUCCESS);
    ASSERT_GE(success, 0);
    EXPECT_EQ(events[success].text, L"LibCurl");
    EXPECT_TRUE(Utils::FileExists(folder + L"\\lumenomanager.exe"));
    EXPECT_FALSE(Utils::FileExists(first + L"\\__Package_Lumeno.exe"));
    EXPECT_FALSE(Utils::FileExists(folder + L"\\__Package_Lumeno.exe"));
}

// Starts the demo product and waits until the process list shows it.
void LaunchProduct(Utils::ChildProcess& product)
{
    product.Launch(L"\"" + TestFiles::HostPath(kDemoDir + "/lumenomanager.exe") + L"\"");
    for (int i = 0; i < 600 && Utils::FindProcess(L"lumenomanager.exe") == 0; ++i) Sleep(50);
    ASSERT_NE(Utils::FindProcess(L"lumenomanager.exe"), 0u);
}

void EndProduct()
{
    HANDLE running = OpenProcess(PROCESS_TERMINATE, FALSE, Utils::FindProcess(L"lumenomanager.exe"));
    ASSERT_NE(running, nullptr);
    TerminateProcess(running, 0);
    CloseHandle(running);
}

TEST_F(Orchestrator, NewVersionWaitsForTheRunningProduct)
{
    std::wstring uninstaller = InstallOldVersion();
    Utils::ChildProcess product;
    ASSERT_NO_FATAL_FAILURE(LaunchProduct(product));

    Config().m_IsInsNew = true;
    auto installer = Make(uninstaller);
    installer->Start();  // returns while the product still runs
    Sleep(1500);
    EXPECT_TRUE(recorder.Events().empty());

    ASSERT_NO_FATAL_FAILURE(EndProduct());
    ASSERT_TRUE(recorder.WaitFor(kTerminal, 120));
    installer.reset();
    std::vector<int32_t> codes = recorder.Codes();
    EXPECT_EQ(codes.front(), UNIST_CODE_PROGRESS);
    EXPECT_EQ(codes.back(), INSTALL_SUCCESS);
}

// The window closing while the attempt still waits for the running product: the wait is
// given up, nothing is removed or downloaded, and the product goes on running.
TEST_F(Orchestrator, ClosingWhileWaitingForTheProductDoesNotWaitForIt)
{
    std::wstring uninstaller = InstallOldVersion();
    Utils::ChildProcess product;
    ASSERT_NO_FATAL_FAILURE(LaunchProduct(product));
    Config().m_IsInsNew = true;
    auto installer = Make(uninstaller);
    installer->Start();

    HANDLE destroyed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread closer([&installer, destroyed] {
        installer.reset();
        SetEvent(destroyed);
    });
    bool promptly = WaitForSingleObject(destroyed, 30000) == WAIT_OBJECT_0;
    bool stillRunning = Utils::FindProcess(L"lumenomanager.exe") != 0;
    // Ending the product lets a destruction that waits for it finish, so the test ends.
    EndProduct();
    closer.join();
    CloseHandle(destroyed);
    EXPECT_TRUE(promptly) << "closing waited for the product";
    EXPECT_TRUE(stillRunning);
    EXPECT_TRUE(recorder.Events().empty());
    EXPECT_TRUE(Utils::FileExists(base + L"\\Old Lumeno\\uninst.exe"));
    EXPECT_TRUE(server->Requests().empty());
}

// ---- the console front end ------------------------------------------------------------

struct CliRun {
    DWORD exitCode;
    std::vector<std::string> lines;
};

CliRun RunCli(const std::wstring& arguments)
{
    Utils::ChildProcess cli;
    cli.Launch(L"\"" + TestFiles::HostPath(LUMENO_BINARY_DIR "/src/cli/LumenoSetupCli.exe") + L"\" " + arguments);
    std::string output;
    char buffer[1024];
    int got;
    while ((got = cli.ReadOutput(buffer, sizeof(buffer))) > 0) output.append(buffer, static_cast<size_t>(got));
    cli.Wait();
    CliRun run{cli.ExitCode(), {}};
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        run.lines.push_back(output.substr(start, end - start));
        start = end + 1;
    }
    return run;
}

TEST_F(Orchestrator, ConsoleFrontEndInstallsAndPrintsEveryEvent)
{
    CliRun run = RunCli(L"-dir=\"" + folder + L"\" -downloadurl=" + url + L" -instcmd=-demodelay=0 -dsc=false");
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_GE(run.lines.size(), 4u);
    EXPECT_EQ(run.lines.front(), R"({"code":1001,"name":"DL_CODE_START","value":1,"text":""})");
    EXPECT_EQ(run.lines.back(), R"({"code":2003,"name":"INSTALL_SUCCESS","value":0,"text":""})");
    std::string folderJson;
    for (wchar_t c : folder) folderJson += c == L'\\' ? std::string("\\\\") : std::string(1, static_cast<char>(c));
    EXPECT_NE(std::find(run.lines.begin(), run.lines.end(),
                        R"({"code":3000,"name":"IST_CODE_INSTPATH","value":0,"text":")" + folderJson + "\"}"),
              run.lines.end());
    EXPECT_TRUE(Utils::FileExists(folder + L"\\lumenomanager.exe"));
    EXPECT_FALSE(Utils::FileExists(folder + L"\\__Package_Lumeno.exe"));
}

TEST_F(Orchestrator, ConsoleFrontEndReportsFailuresAndBadUse)
{
    ASSERT_TRUE(server->SetFaults(R"([{"status": 404}])"));
    CliRun failed = RunCli(L"-dir=\"" + folder + L"\" -downloadurl=" + url);
    EXPECT_EQ(failed.exitCode, 1u);
    ASSERT_FALSE(failed.lines.empty());
    EXPECT_EQ(failed.lines.back().rfind(R"({"code":1004,"name":"DL_CODE_FAIL",)", 0), 0u) << failed.lines.back();

    CliRun noFolder = RunCli(L"-downloadurl=" + url);
    EXPECT_EQ(noFolder.exitCode, 2u);
    EXPECT_TRUE(noFolder.lines.empty());
}

TEST(ConsoleFrontEnd, ShowsTheEffectiveConfigurationAsJson)
{
    CliRun run = RunCli(L"-showconfig -downloadurl=http://dl.example/a -downloadtype=3 -downloadscale=0.5"
                        L" \"-instcmd=-a \\\"b\\\"\" -language=2 -insnew=true -downloadtype=7");
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.lines.size(), 1u);
    EXPECT_EQ(run.lines[0],
              R"({"m_ProductName":"Lumeno","m_ProductVersion":"1.7.9","m_DownloadUrl":"http://dl.example/a",)"
              R"("m_DownloadType":3,"m_IsCheckNet":false,"m_DownloadScale":0.5,"m_InstCmd":"-a \"b\"",)"
              R"("m_LanguageIndex":2,"m_IsInsNew":true,"m_CurlReady":true})");
}

} // namespace
