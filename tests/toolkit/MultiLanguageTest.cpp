#include <gtest/gtest.h>

#include "toolkit/markup/MultiLanguage.h"

namespace {

TEST(MultiLanguage, TokensAreReplacedFromTheTable)
{
    ClearLanguageStrings();
    AddLanguageString(1, L"A");
    AddLanguageString(3, L"Install Path");
    AddLanguageString(0, L"zero");
    AddLanguageString(7, L"self %{7} again");
    AddLanguageString(8, L"100%");
    struct {
        const wchar_t* text;
        const wchar_t* shown;
    } cases[] = {
        {L"%{1}x%{1}", L"AxA"},
        {L"%{3}:  ", L"Install Path:  "},
        {L"%{12}", L"%{12}"},                   // absent id: the token itself
        {L"%{1", L"%{1"},
        {L"%1}", L"%1}"},
        {L"%%{1}", L"%A"},
        {L"%{}", L"zero"},                      // no digits read as 0
        {L"%{01}", L"A"},
        {L"%{99999999999}", L"%{99999999999}"},
        {L"%{7}", L"self %{7} again"},          // inserted text is not expanded again
        {L"%{8}%{1}", L"100%A"},
        {L"50%", L"50%"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceLanguageTokens(c.text), c.shown) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(MultiLanguage, AddReplacesAndGetReportsAbsence)
{
    ClearLanguageStrings();
    EXPECT_FALSE(GetLanguageString(12));
    AddLanguageString(12, L"Back");
    AddLanguageString(12, L"Zur\u00fcck");
    ASSERT_TRUE(GetLanguageString(12));
    EXPECT_EQ(*GetLanguageString(12), L"Zur\u00fcck");
    AddLanguageString(-5, L"negative");
    EXPECT_EQ(*GetLanguageString(-5), L"negative");
}

} // namespace
