#include <gtest/gtest.h>

#include <string>

#include "toolkit/markup/SkinXml.h"

namespace {

TEST(SkinXml, ReportsEachParseError)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* error;  // empty: the parse succeeds
    } cases[] = {
        {L"hello", L"Expected start tag"},
        {L"<a/> junk", L"Expected start tag"},
        {L"<a", L"Error parsing element name"},
        {L"<a b/>", L"Error while parsing attributes"},
        {L"<a =\"1\"/>", L"Error while parsing attributes"},
        {L"<a b='1'/>", L"Expected attribute value"},
        {L"<a b=1/>", L"Expected attribute value"},
        {L"<a b=\"1/>", L"Error while parsing attribute string"},
        {L"<a b=\"1\"", L"Expected start-tag closing"},
        {L"<a / >", L"Expected start-tag closing"},
        {L"<a><b><c>text", L"Expected end-tag start"},
        {L"<a><b><c/>", L"Expected start tag"},
        {L"<a>x</A>", L"Unmatched closing tag"},
        {L"<a>x</ab>", L"Unmatched closing tag"},
        {L"<a>x</a", L"Unmatched closing tag"},
        {L"</a>", L"Unmatched closing tag"},
        // Content of the root (and of its children's start) may end with the text.
        {L"<a><b>text", L""},
        {L"<a><b/>", L""},
        {L"<a b=\"x\"></a >\r\n", L""},
        {L"", L""},
        {L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- a comment -->\r\n<a/>\r\n", L""},
        {L"<a b = \"1\"\tc=\"it's\"/>", L""},
    };
    for (const Case& c : cases) {
        CSkinXml xml;
        bool ok = xml.LoadText(c.text);
        EXPECT_EQ(ok, c.error[0] == L'\0') << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(xml.ErrorMessage(), c.error) << testing::PrintToString(std::wstring(c.text));
        if (!ok) {
            EXPECT_FALSE(xml.RootNode().IsValid());
        }
    }
}

TEST(SkinXml, ErrorLocationIsTheTextWhereParsingStopped)
{
    CSkinXml xml;
    std::wstring tail(80, L'z');
    ASSERT_FALSE(xml.LoadText(L"<Window><Button text='x' " + tail + L"/></Window>"));
    EXPECT_EQ(xml.ErrorMessage(), L"Expected attribute value");
    EXPECT_EQ(xml.ErrorLocation(), (L"'x' " + tail).substr(0, 49));
}

TEST(SkinXml, TreeNavigation)
{
    CSkinXml xml;
    ASSERT_TRUE(xml.LoadText(
        L"<Window size=\"600,400\">\r\n"
        L"  <Font id=\"0\" name=\"\u5fae\u8f6f\u96c5\u9ed1\"/>\r\n"
        L"  <!-- <SequenceLabel name=\"finishedLbl\"/> -->\r\n"
        L"  <VerticalLayout name=\"winCtn\"><Label name=\"a\"/><Label name=\"b\">hi</Label></VerticalLayout>\r\n"
        L"</Window>\r\n"));
    CSkinXmlNode root = xml.RootNode();
    ASSERT_TRUE(root.IsValid());
    EXPECT_EQ(root.NodeName(), L"Window");
    EXPECT_FALSE(root.NextSibling().IsValid());
    EXPECT_FALSE(root.ParentNode().IsValid());

    CSkinXmlNode font = root.FirstChild();
    EXPECT_EQ(font.NodeName(), L"Font");
    EXPECT_FALSE(font.HasChildNodes());
    std::wstring face;
    ASSERT_TRUE(font.FindAttribute(L"name", face));
    EXPECT_EQ(face, L"\u5fae\u8f6f\u96c5\u9ed1");

    CSkinXmlNode layout = font.NextSibling();  // the comment adds nothing
    EXPECT_EQ(layout.NodeName(), L"VerticalLayout");
    ASSERT_TRUE(layout.HasChildNodes());
    CSkinXmlNode a = layout.FirstChild();
    CSkinXmlNode b = a.NextSibling();
    EXPECT_EQ(a.AttributeValue(0), L"a");
    EXPECT_EQ(b.AttributeValue(0), L"b");
    EXPECT_EQ(b.NodeValue(), L"hi");
    EXPECT_FALSE(b.NextSibling().IsValid());
    EXPECT_EQ(b.ParentNode().NodeName(), L"VerticalLayout");
    EXPECT_EQ(b.ParentNode().ParentNode().NodeName(), L"Window");

    // Out-of-range queries give empty texts, absent attributes false.
    EXPECT_EQ(a.AttributeName(1), L"");
    EXPECT_EQ(a.AttributeValue(-1), L"");
    EXPECT_FALSE(a.FindAttribute(L"Name", face));  // names are case-sensitive
    EXPECT_FALSE(CSkinXmlNode().FirstChild().IsValid());
    EXPECT_EQ(CSkinXmlNode().AttributeCount(), 0);

    wchar_t small[4];
    ASSERT_TRUE(root.FindAttribute(L"size", small, 4));
    EXPECT_STREQ(small, L"600");
}

TEST(SkinXml, EntitiesInValuesAndText)
{
    struct Case {
        const wchar_t* written;
        const wchar_t* read;
    } cases[] = {
        {L"&lt;b&gt;", L"<b>"},
        {L"&amp;&quot;&apos;", L"&\"'"},
        {L"&nbsp;x", L"&nbsp;x"},
        {L"&amp", L"&amp"},
        {L"a&&lt;", L"a&<"},
        {L"&amp;lt;", L"&lt;"},
        {L"  spaced  \r\n", L"  spaced  \r\n"},
        {L"it's", L"it's"},
    };
    for (const Case& c : cases) {
        CSkinXml xml;
        ASSERT_TRUE(xml.LoadText(std::wstring(L"<a v=\"") + c.written + L"\">" + c.written + L"</a>"))
            << xml.ErrorMessage();
        EXPECT_EQ(xml.RootNode().AttributeValue(0), c.read);
        EXPECT_EQ(xml.RootNode().NodeValue(), c.read);
    }
}

TEST(SkinXml, SeesAtMostSixtyFourAttributes)
{
    for (int count : {64, 65, 100000}) {
        std::wstring text = L"<a";
        for (int i = 0; i < count; ++i) {
            text += L" a" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
        }
        text += L"/>";
        CSkinXml xml;
        ASSERT_TRUE(xml.LoadText(text));
        CSkinXmlNode node = xml.RootNode();
        EXPECT_EQ(node.AttributeCount(), 64);
        EXPECT_EQ(node.AttributeName(63), L"a63");
        EXPECT_EQ(node.AttributeValue(64), L"");
        std::wstring value;
        EXPECT_TRUE(node.FindAttribute(L"a63", value));
        EXPECT_FALSE(node.FindAttribute(L"a64", value));
    }
}

TEST(SkinXml, DeepNestingParsesWithoutRecursion)
{
    const int depth = 10000;
    std::wstring open, close;
    for (int i = 0; i < depth; ++i) {
        open += L"<n>";
        close += L"</n>";
    }
    CSkinXml xml;
    ASSERT_TRUE(xml.LoadText(open + close));
    int levels = 0;
    for (CSkinXmlNode n = xml.RootNode(); n.IsValid(); n = n.FirstChild()) {
        ++levels;
    }
    EXPECT_EQ(levels, depth);

    // Unclosed at depth: a clean failure.
    EXPECT_FALSE(xml.LoadText(open + L"<n/>"));
    EXPECT_EQ(xml.ErrorMessage(), L"Expected start tag");
}

TEST(SkinXml, LoadFromBytesInEachEncoding)
{
    auto utf16 = [](const std::wstring& text, bool big) {
        std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
        for (wchar_t c : text) {
            char lo = char(c & 0xFF), hi = char(c >> 8);
            bytes += big ? hi : lo;
            bytes += big ? lo : hi;
        }
        return bytes;
    };
    const std::wstring doc = L"<a t=\"\u4e2d\u00e9\"/>";
    struct Case {
        std::string bytes;
        int encoding;
        bool ok;
        std::wstring value;
    } cases[] = {
        {"<a t=\"\xe4\xb8\xad\xc3\xa9\"/>", CSkinXml::kUtf8, true, L"\u4e2d\u00e9"},
        {"\xEF\xBB\xBF<a t=\"\xe4\xb8\xad\xc3\xa9\"/>", CSkinXml::kUtf8, true, L"\u4e2d\u00e9"},
        {utf16(doc, false), CSkinXml::kUtf16, true, L"\u4e2d\u00e9"},
        {utf16(doc, true), CSkinXml::kUtf16, true, L"\u4e2d\u00e9"},
        {utf16(doc, false).substr(2), CSkinXml::kUtf16, false, L""},  // no byte-order mark
        {"<a t=\"plain\"/>", CSkinXml::kAnsi, true, L"plain"},
        {"<a/>", 7, false, L""},
    };
    for (const Case& c : cases) {
        CSkinXml xml;
        EXPECT_EQ(xml.LoadFromBytes(c.bytes.data(), c.bytes.size(), c.encoding), c.ok) << c.encoding;
        if (c.ok) {
            EXPECT_EQ(xml.RootNode().AttributeValue(0), c.value);
        }
    }
}

} // namespace
