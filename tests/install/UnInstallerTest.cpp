#include "install/UnInstaller.h"

#include "install/ScriptedChild.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t kErrorText[] = L"安装包卸载失败";

TEST(UninstallCommandLine, QuotesTheProgramAndKeepsTheOldFolderLastAndBare)
{
    const struct {
        const wchar_t* uninstaller;
        bool adminAccount, adminRights;
        const wchar_t* folder;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\Users\\A B\\Temp\\~VarnelTemp.41831C53DC653F93\\Lumeno_un_asa.exe", true, false,
         L"C:\\Program Files\\Lumeno",
         L"\"C:\\Users\\A B\\Temp\\~VarnelTemp.41831C53DC653F93\\Lumeno_un_asa.exe\" /S -adminact=true"
         L" -authorizationact=false -console=show _?=C:\\Program Files\\Lumeno"},
        {L"C:\\T\\Lumeno_un_asa.exe", false, true, L"D:\\L",
         L"\"C:\\T\\Lumeno_un_asa.exe\" /S -adminact=false -authorizationact=true -console=show _?=D:\\L"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildUninstallCommandLine(c.uninstaller, c.adminAccount, c.adminRights, c.folder), c.expected);
    }
}

TEST(UnInstallerParse, UnderstandsItsFourKeys)
{
    const std::vector<ParseCase> cases = {
        {"progress then success", L"Progress=0.3\nState=Success\n",
         {{UNIST_CODE_PROGRESS, 0.3, L""}, {UNIST_CODE_SUCCESS, 0.0, L""}}, 1},
        {"error then success", L"Error=locked\r\nState= Success\r\n",
         {{UNIST_CODE_ERROR, 0.0, L"locked\r"}, {UNIST_CODE_SUCCESS, 0.0, L""}}, 1},
        {"state fail", L"State=Fail", {{UNIST_CODE_ERROR, 0.0, kErrorText}}, 1000},
        {"error alone", L"Error=x", {{UNIST_CODE_ERROR, 0.0, L"x"}}, 1000},
        {"lower-case success ignored", L"State=success\n", {}, 0},
        {"package keys mean nothing here", L"InstPath=C:\\L\nMessage=hi\nExePath=x\n", {}, 0},
        {"progress without number", L"Progress=", {{UNIST_CODE_PROGRESS, 0.0, L""}}, 0},
    };
    ExpectParses<CUnInstaller>(cases, [](InstallCallback callback) {
        return std::make_unique<CUnInstaller>(callback, L"u.exe", L"C:\\L");
    });
}

TEST(UnInstallerParse, EncodeKnowsOnlyUtf8)
{
    const struct {
        const wchar_t* line;
        int32_t codePage;
    } cases[] = {{L"Encode=936", 0}, {L"Encode=UTF8", 65001}, {L"Encode=UTF8 \r", 65001}, {L"Encode=65001", 0}};
    for (const auto& c : cases) {
        CUnInstaller uninstaller(nullptr, L"u.exe", L"C:\\L");
        uninstaller.Parse(L"Encode=UTF8");
        uninstaller.Parse(c.line);
        EXPECT_EQ(uninstaller.GetCodePage(), c.codePage) << std::string(c.line, c.line + wcslen(c.line));
    }
}

class UnInstallerRun : public ScriptedChildTest {
protected:
    std::vector<Event> RunScript(const char* script, const std::wstring& program,
                                 const std::wstring& oldFolder = L"C:\\Old Lumeno")
    {
        return RunScripted<CUnInstaller>(script, {UNIST_CODE_SUCCESS, UNIST_CODE_FAIL, UNIST_CODE_ERROR},
                                         [&](InstallCallback callback) {
                                             return std::make_unique<CUnInstaller>(callback, program, oldFolder);
                                         });
    }
};

TEST_F(UnInstallerRun, FollowsTheUninstallerToItsEnd)
{
    const std::wstring child = ChildPath();
    const struct {
        const char* name;
        const char* script;
        std::vector<Event> events;
    } cases[] = {
        {"progress then success", "out:Progress=0.5\\n|sleep:100|out:State=Success\\n",
         {{UNIST_CODE_PROGRESS, 0.0, L""}, {UNIST_CODE_PROGRESS, 0.5, L""}, {UNIST_CODE_SUCCESS, 0.0, L""}}},
        {"silent clean exit", "", {{UNIST_CODE_PROGRESS, 0.0, L""}, {UNIST_CODE_SUCCESS, 1.0, L""}}},
        {"error, later success", "out:Error=busy\\n|sleep:200|out:State=Success\\n",
         {{UNIST_CODE_PROGRESS, 0.0, L""}, {UNIST_CODE_ERROR, 0.0, L"busy"}, {UNIST_CODE_SUCCESS, 0.0, L""}}},
        {"events after the error keep their place",
         "out:Error=busy\\n|sleep:200|out:Progress=0.6\\n|sleep:200|out:State=Success\\n",
         {{UNIST_CODE_PROGRESS, 0.0, L""}, {UNIST_CODE_ERROR, 0.0, L"busy"}, {UNIST_CODE_PROGRESS, 0.6, L""},
          {UNIST_CODE_SUCCESS, 0.0, L""}}},
        {"state fail", "out:State=Fail\\n|exit:1",
         {{UNIST_CODE_PROGRESS, 0.0, L""}, {UNIST_CODE_ERROR, 0.0, kErrorText}}},
        {"crash without verdict", "out:Progress=0.2\\n|exit:3221225477",
         {{UNIST_CODE_PROGRESS, 0.0, L""}, {UNIST_CODE_PROGRESS, 0.2, L""},
          {UNIST_CODE_ERROR, 3221225477.0, kErrorText}}},
        {"output written right before the exit is read", "out:Progress=0.9\\nState=Success\\n|exit:0",
         {{UNIST_CODE_PROGRESS, 0.0, L""}, {UNIST_CODE_PROGRESS, 0.9, L""}, {UNIST_CODE_SUCCESS, 0.0, L""}}},
        {"chatty uninstaller", "flood:1000000|out:State=Success\\n",
         {{UNIST_CODE_PROGRESS, 0.0, L""}, {UNIST_CODE_SUCCESS, 0.0, L""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RunScript(c.script, child), c.events);
    }
}

TEST_F(UnInstallerRun, MissingOrUnstartableUninstallerFails)
{
    EXPECT_EQ(RunScript("", L"C:\\nowhere\\Lumeno_un_asa.exe"),
              (std::vector<Event>{{UNIST_CODE_FAIL, 1.0, L"可执行卸载文件不存在"}}));

    // A file that is there but is no program.
    const std::wstring fake = L"not_a_program.exe";
    ASSERT_TRUE(TestFiles::WriteFileBytes(fake, "hello"));
    wchar_t full[MAX_PATH];
    GetFullPathNameW(fake.c_str(), MAX_PATH, full, nullptr);
    EXPECT_EQ(RunScript("", full), (std::vector<Event>{{UNIST_CODE_PROGRESS, 0.0, L""}, {UNIST_CODE_FAIL, 2.0, L""}}));
    DeleteFileW(fake.c_str());

    // An old folder beyond what the system takes on a command line.
    EXPECT_EQ(RunScript("", ChildPath(), L"C:\\" + std::wstring(33000, L'o')),
              (std::vector<Event>{{UNIST_CODE_PROGRESS, 0.0, L""}, {UNIST_CODE_FAIL, 2.0, L"卸载命令行过长"}}));
}

} // namespace
