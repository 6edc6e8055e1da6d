#include "services/Exception.h"
#include "services/TextConversion.h"

#include <gtest/gtest.h>

namespace {

TEST(TextConversion, UrlEncode)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    } cases[] = {
        {L"a b/\u00fc", L"a+b/%C3%BC"},
        {L"http://h/p?a=1&b=%41", L"http://h/p?a=1&b=%41"},
        {L"!~", L"!~"},
        {L"\t\r\n\x7f", L"%09%0D%0A%7F"},
        {L"\u4e2d", L"%E4%B8%AD"},
        {L"\U0001F600", L"%F0%9F%98%80"},
        {L"  ", L"++"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.expected)));
        EXPECT_EQ(Utils::UrlEncode(c.text), c.expected);
    }
}

TEST(TextConversion, CodePages)
{
    const std::wstring wide = L"Pfad \u00fc\u4e2d\U0001F600";
    const std::string utf8 = "Pfad \xC3\xBC\xE4\xB8\xAD\xF0\x9F\x98\x80";
    EXPECT_EQ(Utils::ToNarrow(wide, CP_UTF8), utf8);
    EXPECT_EQ(Utils::ToWide(utf8, CP_UTF8), wide);
    EXPECT_EQ(Utils::Utf8ToWide(utf8), wide);
    EXPECT_EQ(Utils::ToWide(Utils::ToNarrow(L"plain", CP_ACP), CP_ACP), L"plain");
    EXPECT_EQ(Utils::ToWide("", CP_UTF8), L"");
    EXPECT_EQ(Utils::ToNarrow(L"", CP_UTF8), "");
}

TEST(TextConversion, InvalidUtf8GivesEmptyText)
{
    for (const char* bad : {"\xC3", "a\xFF" "b", "\xED\xA0\x80", "\xC0\xAF"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(Utils::Utf8ToWide(bad), L"");
    }
}

TEST(Exception, CarriesNarrowMessage)
{
    EXPECT_STREQ(Utils::Exception().what(), "");
    try {
        throw Utils::Exception(L"child not started");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "child not started");
    }
}

} // namespace
