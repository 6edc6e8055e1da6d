#include "core/CommandLine.h"
#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(CommandLine, SplitsKeysAndValues)
{
    struct Case {
        const wchar_t* raw;
        const wchar_t* key;
        bool present;
        const wchar_t* value;
    } cases[] = {
        {L"setup.exe -downloadtype=2", L"-downloadtype", true, L"2"},
        {L"setup.exe -instcmd=a=b", L"-instcmd", true, L"a=b"},
        {L"setup.exe \"-instcmd=a b\"", L"-instcmd", true, L"a b"},
        {L"setup.exe -instcmd=\"a b\"", L"-instcmd", true, L"a b"},
        {L"setup.exe -downloadurl", L"-downloadurl", true, L""},
        {L"setup.exe -downloadurl=", L"-downloadurl", true, L""},
        {L"setup.exe -downloadtype=3 -downloadtype=4", L"-downloadtype", true, L"3"},
        {L"setup.exe -downloadtype -downloadtype=4", L"-downloadtype", true, L""},
        {L"setup.exe -DownloadUrl=x", L"-downloadurl", false, L""},
        {L"setup.exe -DownloadUrl=x", L"-DownloadUrl", true, L"x"},
        // Without a leading "-" the whole argument is the key.
        {L"setup.exe downloadtype=3", L"downloadtype", false, L""},
        {L"setup.exe downloadtype=3", L"downloadtype=3", true, L""},
        // The program path is never a switch, even when it looks like one.
        {L"-downloadtype=5 -language=1", L"-downloadtype", false, L""},
        {L"\"C:\\Program Files\\setup.exe\" -language=3", L"-language", true, L"3"},
        {L"", L"-language", false, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        CommandLine commandLine(c.raw);
        EXPECT_EQ(commandLine.Has(c.key), c.present);
        EXPECT_EQ(commandLine.GetString(c.key), c.value);
    }
}

TEST(CommandLine, TypedLookups)
{
    CommandLine commandLine(L"setup.exe \"-a=  -12xyz\" -b=abc -c=0.5x -d=true -e=True -f=99999999999 -g=1e999 -h=");
    EXPECT_EQ(commandLine.GetInt(L"-a"), -12);
    EXPECT_EQ(commandLine.GetInt(L"-b"), 0);
    EXPECT_EQ(commandLine.GetInt(L"-f"), 0);
    EXPECT_EQ(commandLine.GetInt(L"-missing"), 0);
    EXPECT_DOUBLE_EQ(commandLine.GetDouble(L"-c", 9.0), 0.5);
    EXPECT_DOUBLE_EQ(commandLine.GetDouble(L"-b", 9.0), 9.0);
    EXPECT_DOUBLE_EQ(commandLine.GetDouble(L"-g", 9.0), 9.0);
    EXPECT_DOUBLE_EQ(commandLine.GetDouble(L"-h", 9.0), 9.0);
    EXPECT_DOUBLE_EQ(commandLine.GetDouble(L"-missing", 9.0), 9.0);
    EXPECT_TRUE(commandLine.GetBool(L"-d"));
    EXPECT_FALSE(commandLine.GetBool(L"-e"));
    EXPECT_FALSE(commandLine.GetBool(L"-missing"));
}

TEST(NumberText, Int32)
{
    struct Case {
        const wchar_t* text;
        NumberParse parse;
        int32_t value;
    } cases[] = {
        {L"42", NumberParse::Ok, 42},
        {L" \t+7rest", NumberParse::Ok, 7},
        {L"-2147483648", NumberParse::Ok, INT32_MIN},
        {L"2147483647", NumberParse::Ok, INT32_MAX},
        {L"0000000000000000000012", NumberParse::Ok, 12},
        {L"2147483648", NumberParse::OutOfRange, -5},
        {L"-2147483649", NumberParse::OutOfRange, -5},
        {L"99999999999999999999999", NumberParse::OutOfRange, -5},
        {L"", NumberParse::NoNumber, -5},
        {L"abc", NumberParse::NoNumber, -5},
        {L"-", NumberParse::NoNumber, -5},
        {L"- 3", NumberParse::NoNumber, -5},
        {L"x3", NumberParse::NoNumber, -5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t value = -5;
        EXPECT_EQ(ParseInt32(c.text, value), c.parse);
        EXPECT_EQ(value, c.value);
    }
}

TEST(NumberText, Double)
{
    struct Case {
        const wchar_t* text;
        NumberParse parse;
        double value;
    } cases[] = {
        {L"0.7", NumberParse::Ok, 0.7},
        {L"0.5x", NumberParse::Ok, 0.5},
        {L"  .25", NumberParse::Ok, 0.25},
        {L"5.", NumberParse::Ok, 5.0},
        {L"-1.5e2z", NumberParse::Ok, -150.0},
        {L"2e", NumberParse::Ok, 2.0},
        {L"2e+", NumberParse::Ok, 2.0},
        {L"0x10", NumberParse::Ok, 0.0},
        {L"1e999", NumberParse::OutOfRange, -5.0},
        {L"-1e999", NumberParse::OutOfRange, -5.0},
        {L"1e-999", NumberParse::OutOfRange, -5.0},
        {L"inf", NumberParse::NoNumber, -5.0},
        {L"nan", NumberParse::NoNumber, -5.0},
        {L".", NumberParse::NoNumber, -5.0},
        {L"", NumberParse::NoNumber, -5.0},
        {L"abc", NumberParse::NoNumber, -5.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double value = -5.0;
        EXPECT_EQ(ParseDouble(c.text, value), c.parse);
        EXPECT_DOUBLE_EQ(value, c.value);
    }
}

} // namespace
