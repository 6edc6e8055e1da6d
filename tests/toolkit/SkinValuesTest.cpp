#include <gtest/gtest.h>

#include "toolkit/markup/SkinValues.h"

namespace {

TEST(SkinValues, Integers)
{
    struct {
        const wchar_t* text;
        long value;
    } cases[] = {{L"12", 12}, {L"  -7", -7}, {L"+3px", 3}, {L"", 0}, {L"abc", 0}, {L"0x10", 0}, {L"256", 256}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParseSkinInteger(c.text), c.value) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(SkinValues, PairsAndRectangles)
{
    struct {
        const wchar_t* text;
        long v[4];
    } rects[] = {
        {L"0,4,17,20", {0, 4, 17, 20}},
        {L"1, 2,3,4", {1, 2, 3, 4}},      // numbers skip their own leading blanks
        {L"1,2 ,3,4", {1, 2, 0, 3}},      // but a blank before the separator is the separator
        {L"1;2x3|4", {1, 2, 3, 4}},       // any one separator
        {L"1,,3,4", {1, 0, 3, 4}},        // exactly one separator is skipped
        {L"5,6", {5, 6, 0, 0}},
        {L"", {0, 0, 0, 0}},
        {L"-1,-2,-3,-4", {-1, -2, -3, -4}},
    };
    for (const auto& c : rects) {
        SkinRect r = ParseSkinRect(c.text);
        EXPECT_EQ(r.left, c.v[0]);
        EXPECT_EQ(r.top, c.v[1]);
        EXPECT_EQ(r.right, c.v[2]);
        EXPECT_EQ(r.bottom, c.v[3]) << testing::PrintToString(std::wstring(c.text));
        SkinPair p = ParseSkinPair(c.text);
        EXPECT_EQ(p.cx, c.v[0]);
        EXPECT_EQ(p.cy, c.v[1]);
    }
}

TEST(SkinValues, Colours)
{
    struct {
        const wchar_t* text;
        uint32_t value;
    } cases[] = {
        {L"#FF1890FF", 0xFF1890FF}, {L"0xFF1890FF", 0xFF1890FF}, {L"  #26003B76", 0x26003B76},
        {L"#FF0000", 0x00FF0000},  // six digits: alpha 0, transparent
        {L"ff1890ff", 0xFF1890FF}, {L"", 0}, {L"##FF", 0}, {L"#zz", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseSkinColor(c.text), c.value) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(SkinValues, Booleans)
{
    struct {
        const wchar_t* text;
        bool exact;
        bool anyCase;
    } cases[] = {{L"true", true, true}, {L"True", false, true}, {L"TRUE", false, true},
                 {L"true ", false, false}, {L"1", false, false}, {L"", false, false}, {L"false", false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParseSkinBool(c.text), c.exact) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(ParseSkinBoolIgnoreCase(c.text), c.anyCase) << testing::PrintToString(std::wstring(c.text));
    }
}

} // namespace
