#include "core/CommandLine.h"
#include "core/InstallerConfig.h"
#include "support/TestFiles.h"
#include "services/SystemInfo.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

namespace {

// A folder of its own for the INI file, removed with it afterwards.
class ConfigFolder : public ::testing::Test {
protected:
    void WriteIni(const std::string& text) { ASSERT_TRUE(TestFiles::WriteFileBytes(m_Ini, text)); }

    TestFiles::ScratchFolder m_Folder{L"lumeno-config"};
    const std::wstring m_Ini = m_Folder.Path() + L"\\VarnelInstallerConfig.ini";
};

void ExpectSameRecord(const InstallerConfig& actual, const InstallerConfig& expected)
{
    EXPECT_EQ(actual.m_ProductName, expected.m_ProductName);
    EXPECT_EQ(actual.m_ProductVersion, expected.m_ProductVersion);
    EXPECT_EQ(actual.m_DownloadUrl, expected.m_DownloadUrl);
    EXPECT_EQ(actual.m_DownloadType, expected.m_DownloadType);
    EXPECT_EQ(actual.m_IsCheckNet, expected.m_IsCheckNet);
    EXPECT_DOUBLE_EQ(actual.m_DownloadScale, expected.m_DownloadScale);
    EXPECT_EQ(actual.m_InstCmd, expected.m_InstCmd);
    EXPECT_EQ(actual.m_LanguageIndex, expected.m_LanguageIndex);
    EXPECT_EQ(actual.m_IsInsNew, expected.m_IsInsNew);
    EXPECT_EQ(actual.m_CurlReady, expected.m_CurlReady);
}

const char* const kNoIni = nullptr;

struct LayerCase {
    const char* name;
    const char* ini;          // kNoIni: no file
    const wchar_t* switches;  // after the program path
    std::function<void(InstallerConfig&)> expect;  // changes to the built-in defaults
};

TEST_F(ConfigFolder, LayersGiveTheExpectedRecord)
{
    std::wstring family, osName;
    Utils::GetOSVersion(family, osName);
    const bool xp = osName.find(L"XP") != std::wstring::npos;
    const std::wstring route = xp ? L"download_silent_xp" : L"download_silent";

    const std::string longUrlIni = "[Install]\r\nDownloadUrl=http://h/" + std::string(300, 'a') + "\r\n";
    const LayerCase cases[] = {
        {"defaults", kNoIni, L"", [](InstallerConfig&) {}},
        {"section header only turns the connectivity check on", "[Install]\r\n", L"",
         [](InstallerConfig& c) { c.m_IsCheckNet = true; }},
        {"empty file", "", L"", [](InstallerConfig& c) { c.m_IsCheckNet = true; }},
        {"other section only", "[Other]\r\nDownloadType=5\r\n", L"", [](InstallerConfig& c) { c.m_IsCheckNet = true; }},
        {"IsCheckNet True", "[Install]\r\nIsCheckNet=True\r\n", L"", [](InstallerConfig&) {}},
        {"IsCheckNet 1", "[Install]\r\nIsCheckNet=1\r\n", L"", [](InstallerConfig&) {}},
        {"every key",
         "[Install]\r\nDownloadUrl=https://mirror.example/pkg\r\nDownloadType=2\r\nIsCheckNet=false\r\n"
         "DownloadScale=0.5x\r\nInstCmd=/quiet /x=1\r\nUnknown=7\r\n",
         L"",
         [](InstallerConfig& c) {
             c.m_DownloadUrl = L"https://mirror.example/pkg";
             c.m_DownloadType = 2;
             c.m_DownloadScale = 0.5;
             c.m_InstCmd = L"/quiet /x=1";
         }},
        {"INI scale without number", "[Install]\r\nDownloadScale=abc\r\n", L"",
         [](InstallerConfig& c) { c.m_IsCheckNet = true; c.m_DownloadScale = 0.0; }},
        {"INI scale with blanks", "[Install]\r\nDownloadScale=   0.25\r\n", L"",
         [](InstallerConfig& c) { c.m_IsCheckNet = true; c.m_DownloadScale = 0.25; }},
        {"INI scale out of range keeps the default", "[Install]\r\nDownloadScale=1e999\r\n", L"",
         [](InstallerConfig& c) { c.m_IsCheckNet = true; }},
        {"INI type not a number", "[Install]\r\nDownloadType=abc\r\n", L"",
         [](InstallerConfig& c) { c.m_IsCheckNet = true; c.m_DownloadType = 0; }},
        {"INI URL routed", "[Install]\r\nDownloadUrl=http://h/${ROUTE}/a/${ROUTE}\r\n", L"",
         [&](InstallerConfig& c) { c.m_IsCheckNet = true; c.m_DownloadUrl = L"http://h/" + route + L"/a/" + route; }},
        {"INI URL cut to 259 characters",
         longUrlIni.c_str(), L"",
         [](InstallerConfig& c) {
             c.m_IsCheckNet = true;
             c.m_DownloadUrl = (L"http://h/" + std::wstring(300, L'a')).substr(0, 259);
         }},
        {"first switch wins", kNoIni, L"-downloadtype=3 -downloadtype=4",
         [](InstallerConfig& c) { c.m_DownloadType = 3; }},
        {"URL switch without value", kNoIni, L"-downloadurl", [](InstallerConfig& c) { c.m_DownloadUrl.clear(); }},
        {"URL switch routed", kNoIni, L"-downloadurl=http://s/${ROUTE}",
         [&](InstallerConfig& c) { c.m_DownloadUrl = L"http://s/" + route; }},
        {"value with equals sign", kNoIni, L"-instcmd=a=b", [](InstallerConfig& c) { c.m_InstCmd = L"a=b"; }},
        {"quoted value with blank", kNoIni, L"\"-instcmd=a b\"", [](InstallerConfig& c) { c.m_InstCmd = L"a b"; }},
        {"wrong case is not the switch", kNoIni, L"-DownloadUrl=x -DOWNLOADTYPE=7 -Language=2",
         [](InstallerConfig&) {}},
        {"no leading dash is not the switch", kNoIni, L"downloadtype=7", [](InstallerConfig&) {}},
        {"language not a number", kNoIni, L"-language=abc", [](InstallerConfig& c) { c.m_LanguageIndex = 0; }},
        {"language with blanks and sign", kNoIni, L"\"-language= -3x\"",
         [](InstallerConfig& c) { c.m_LanguageIndex = -3; }},
        {"numbers out of range keep the previous value", kNoIni,
         L"-downloadtype=2147483648 -language=-99999999999 -downloadscale=1e400",
         [](InstallerConfig&) {}},
        {"largest numbers fit", kNoIni, L"-downloadtype=2147483647 -language=-2147483648",
         [](InstallerConfig& c) { c.m_DownloadType = INT32_MAX; c.m_LanguageIndex = INT32_MIN; }},
        {"scale switch", kNoIni, L"-downloadscale=0.3x", [](InstallerConfig& c) { c.m_DownloadScale = 0.3; }},
        {"scale switch without number keeps the INI value", "[Install]\r\nDownloadScale=0.4\r\n",
         L"-downloadscale=abc -downloadtype",
         [](InstallerConfig& c) { c.m_IsCheckNet = true; c.m_DownloadScale = 0.4; c.m_DownloadType = 0; }},
        {"switches override the INI",
         "[Install]\r\nDownloadType=2\r\nIsCheckNet=false\r\nInstCmd=ini\r\nDownloadUrl=http://ini/\r\n",
         L"-downloadtype=5 -ischecknet=true -instcmd= -insnew=true -downloadurl=http://cmd/",
         [](InstallerConfig& c) {
             c.m_DownloadType = 5;
             c.m_IsCheckNet = true;
             c.m_IsInsNew = true;
             c.m_DownloadUrl = L"http://cmd/";
         }},
        {"booleans need exact lower-case true", "[Install]\r\n", L"-ischecknet=TRUE -insnew=1",
         [](InstallerConfig&) {}},
    };
    for (const LayerCase& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(m_Ini.c_str());
        if (c.ini) WriteIni(c.ini);
        InstallerConfig actual;
        actual.m_DownloadType = 99; // loading must reset every field
        actual.m_CurlReady = false;
        LoadInstallerConfigFrom(actual, m_Ini);
        ApplySwitches(actual, CommandLine(std::wstring(L"setup.exe ") + c.switches));
        InstallerConfig expected;
        c.expect(expected);
        ExpectSameRecord(actual, expected);
    }
}

TEST(InstallerConfig, BuiltInUrlIsPlainHttpWithoutPlaceholder)
{
    std::wstring url = kBuiltInDownloadUrl;
    EXPECT_EQ(url.rfind(L"http://", 0), 0u);
    EXPECT_EQ(url.find(L"${ROUTE}"), std::wstring::npos);
    EXPECT_EQ(url.substr(url.size() - 13), L"/software/176");
    // The host lies in the reserved ".example" domain.
    const std::wstring host = url.substr(7, url.find(L'/', 7) - 7);
    ASSERT_GT(host.size(), 8u);
    EXPECT_EQ(host.substr(host.size() - 8), L".example");
}

TEST(InstallerConfig, RouteTable)
{
    struct Case {
        const wchar_t* url;
        const wchar_t* os;
        bool is64;
        const wchar_t* expected;
    } cases[] = {
        {L"http://h/${ROUTE}/x/${ROUTE}", L"10", false, L"http://h/download_silent/x/download_silent"},
        {L"http://h/${ROUTE}/x/${ROUTE}", L"10", true, L"http://h/download_silent/x/download_silent"},
        {L"http://h/${ROUTE}", L"XP", false, L"http://h/download_silent_xp"},
        {L"http://h/${ROUTE}", L"XP-", false, L"http://h/download_silent_xp"},
        {L"http://h/${ROUTE}", L"XP+", true, L"http://h/download_silent_xp"},
        {L"http://h/${ROUTE}", L"2K", false, L"http://h/download_silent"},
        {L"http://h/${ROUTE}", L"Server 2003 R2", true, L"http://h/download_silent"},
        {L"http://h/${ROUTE}${ROUTE}", L"7", false, L"http://h/download_silentdownload_silent"},
        {L"http://h/$ROUTE/{ROUTE}", L"XP", false, L"http://h/$ROUTE/{ROUTE}"},
        {L"", L"XP", false, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(RouteDownloadUrlFor(c.url, c.os, c.is64), c.expected);
    }
}

TEST(InstallerConfig, IniBesideTheExecutable)
{
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring dir = module;
    dir.erase(dir.find_last_of(L'\\'));
    const std::wstring ini = InstallerConfigPath();
    EXPECT_EQ(ini, dir + L"\\VarnelInstallerConfig.ini");

    // Config() was filled before main; with no file beside the program it holds defaults.
    ASSERT_EQ(GetFileAttributesW(ini.c_str()), INVALID_FILE_ATTRIBUTES);
    ExpectSameRecord(Config(), InstallerConfig());

    ASSERT_TRUE(WritePrivateProfileStringW(L"Install", L"DownloadType", L"3", ini.c_str()));
    LoadInstallerConfig();
    DeleteFileW(ini.c_str());
    EXPECT_EQ(Config().m_DownloadType, 3);
    EXPECT_TRUE(Config().m_IsCheckNet);

    SetDownloadUrl(L"http://x/${ROUTE}");
    EXPECT_EQ(Config().m_DownloadUrl.find(L"${ROUTE}"), std::wstring::npos);

    LoadInstallerConfig();
    ExpectSameRecord(Config(), InstallerConfig());
}

} // namespace
