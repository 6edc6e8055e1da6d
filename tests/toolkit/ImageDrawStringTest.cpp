#include <gtest/gtest.h>

#include "toolkit/archive/SkinImage.h"
#include "toolkit/markup/ImageDrawString.h"

namespace {

bool SameRect(const SkinRect& r, long l, long t, long rr, long b)
{
    return r.left == l && r.top == t && r.right == rr && r.bottom == b;
}

TEST(ImageDrawSpec, ReadsKeysUntilTheFirstViolation)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* name;
        SkinRect dest;
        SkinRect source;
        SkinRect corner;
    } cases[] = {
        {L"res\\mainWnd\\bg1.png", L"res\\mainWnd\\bg1.png", {}, {}, {}},
        {L"file='res\\mainWnd\\backBtn1.png' dest='0,4,17,20' ", L"res\\mainWnd\\backBtn1.png", {0, 4, 17, 20}, {}, {}},
        {L"file='a.png' source='0,0,200,46' dest='0,0,200,46' ", L"a.png", {0, 0, 200, 46}, {0, 0, 200, 46}, {}},
        // A second name glued to a closing quote ends the parse; both rectangles stay.
        {L"file='a.png' source='1,2,3,4' dest='5,6,7,8'b.png", L"a.png", {5, 6, 7, 8}, {1, 2, 3, 4}, {}},
        // Only a space continues after a closing quote.
        {L"file='a.png'\tdest='5,6,7,8'", L"a.png", {}, {}, {}},
        {L"file='file='", L"file=", {}, {}, {}},
        {L"  file = 'x.png'  corner='5,5,5,5'", L"x.png", {}, {}, {5, 5, 5, 5}},
        {L"file='x.png' scale9='1,2,3,4'", L"x.png", {}, {}, {1, 2, 3, 4}},
        {L"file=\"x.png\"", L"file=\"x.png\"", {}, {}, {}},              // double quotes do not delimit
        {L"file='x.png", L"file='x.png", {}, {}, {}},                      // unterminated value
        {L"file='' dest='1,1,1,1'", L"file='' dest='1,1,1,1'", {1, 1, 1, 1}, {}, {}},  // empty value ignored
        {L"File='x.png'", L"File='x.png'", {}, {}, {}},                    // keys are case-sensitive
    };
    for (const Case& c : cases) {
        ImageDrawSpec draw = ParseImageDrawString(c.text);
        std::string label = testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(draw.drawString, c.text);
        EXPECT_EQ(draw.imageName, c.name) << label;
        EXPECT_TRUE(SameRect(draw.dest, c.dest.left, c.dest.top, c.dest.right, c.dest.bottom)) << label;
        EXPECT_TRUE(SameRect(draw.source, c.source.left, c.source.top, c.source.right, c.source.bottom)) << label;
        EXPECT_TRUE(SameRect(draw.corner, c.corner.left, c.corner.top, c.corner.right, c.corner.bottom)) << label;
        EXPECT_EQ(draw.image, nullptr);
        EXPECT_FALSE(draw.tried);
    }
}

TEST(ImageDrawSpec, FlagsFadeMaskAndSources)
{
    ImageDrawSpec bar = ParseImageDrawString(
        L"file='res\\mainWnd\\installPrg1.png' corner='5,5,5,5' mask='#FF0000' fade='255' hole='false' "
        L"xtiled='false' ytiled='false'");
    EXPECT_EQ(bar.mask, 0x00FF0000u);
    EXPECT_EQ(bar.fade, 255);
    EXPECT_FALSE(bar.hole);
    EXPECT_TRUE(bar.resourceType.empty());

    struct {
        const wchar_t* text;
        uint8_t fade;
        bool hole, xtiled, ytiled, hsl;
    } flags[] = {
        {L"file='a' fade='256'", 0, false, false, false, false},  // stored in 8 bits
        {L"file='a' fade='128' hole='true'", 128, true, false, false, false},
        {L"file='a' xtiled='true' ytiled='true' hsl='true'", 255, false, true, true, true},
        {L"file='a' hole='True' xtiled='TRUE'", 255, false, false, false, false},
    };
    for (const auto& f : flags) {
        ImageDrawSpec s = ParseImageDrawString(f.text);
        EXPECT_EQ(s.fade, f.fade);
        EXPECT_EQ(s.hole, f.hole);
        EXPECT_EQ(s.xtiled, f.xtiled);
        EXPECT_EQ(s.ytiled, f.ytiled);
        EXPECT_EQ(s.hsl, f.hsl);
    }

    ImageDrawSpec color = ParseImageDrawString(L"color='#80FF0000' restype='PNG'");
    EXPECT_EQ(color.imageName, L"#80FF0000");
    EXPECT_EQ(color.resourceType, kColorImageType);
    ImageDrawSpec res = ParseImageDrawString(L"res='101' restype='PNG'");
    EXPECT_EQ(res.imageName, L"101");
    EXPECT_EQ(res.resourceType, L"PNG");
    // restype counts only with res or color.
    ImageDrawSpec file = ParseImageDrawString(L"file='a.png' restype='PNG'");
    EXPECT_TRUE(file.resourceType.empty());
}

TEST(ImageDrawSpec, EveryCutOfADrawStringParses)
{
    const std::wstring full =
        L"file='res\\mainWnd\\installBtn1.png' source='0,0,200,46' dest='0,0,200,46' corner='5,5,5,5' "
        L"mask='#FF0000' fade='200' hole='true' xtiled='true' ytiled='false'";
    const size_t fileEnd = full.find(L"' ") + 1;
    for (size_t n = 0; n <= full.size(); ++n) {
        std::wstring cut = full.substr(0, n);
        ImageDrawSpec draw = ParseImageDrawString(cut);
        // Until the file value is closed the whole text names the picture.
        EXPECT_EQ(draw.imageName, n < fileEnd ? cut : L"res\\mainWnd\\installBtn1.png") << n;
    }
    EXPECT_EQ(ParseImageDrawString(full).fade, 200);
}

TEST(ImageDrawSpec, SourceRectangleAgainstThePicture)
{
    struct {
        SkinRect in;
        SkinRect out;
    } cases[] = {
        {{0, 0, 0, 0}, {0, 0, 200, 46}},
        {{0, 0, 300, 100}, {0, 0, 200, 46}},
        {{10, 5, 20, 30}, {10, 5, 20, 30}},
    };
    for (const auto& c : cases) {
        SkinRect r = EffectiveSourceRect(c.in, 200, 46);
        EXPECT_TRUE(SameRect(r, c.out.left, c.out.top, c.out.right, c.out.bottom));
    }
}

} // namespace
