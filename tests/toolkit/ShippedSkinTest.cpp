// The skin as the installer carries it: read from LumenoSetup.exe's own ZIPRES 147
// resource, every window file parses and names the controls the window code binds,
// every picture decodes at its size, and the language table is complete.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "TestPaths.h"
#include "i18n/Language.h"
#include "services/TextConversion.h"
#include "toolkit/archive/SkinImage.h"
#include "toolkit/archive/SkinResources.h"
#include "toolkit/markup/SkinXml.h"

namespace {

class ShippedSkin : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        HMODULE exe = LoadLibraryExW(HostPath(LUMENO_SETUP_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(exe, nullptr);
        HRSRC info = FindResourceW(exe, MAKEINTRESOURCEW(147), L"ZIPRES");
        ASSERT_NE(info, nullptr);
        DWORD size = SizeofResource(exe, info);
        const void* data = LockResource(LoadResource(exe, info));
        ASSERT_NE(data, nullptr);
        ASSERT_GT(size, 0u);
        // The installer keeps its copy for the life of the process; so does the test.
        static std::vector<uint8_t> copy(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
        FreeLibrary(exe);

        CSkinResources::UseSevenZipArchive(true);
        CSkinResources::SetResourceArchiveFile(L"", false);
        CSkinResources::SetResourceArchive(copy.data(), copy.size());
    }
};

// Every element below `node` (itself included) in document order.
void Collect(const CSkinXmlNode& node, std::vector<CSkinXmlNode>& out)
{
    out.push_back(node);
    for (CSkinXmlNode c = node.FirstChild(); c.IsValid(); c = c.NextSibling()) {
        Collect(c, out);
    }
}

std::vector<std::wstring> ControlNamesBelow(const CSkinXmlNode& node)
{
    std::vector<CSkinXmlNode> all;
    Collect(node, all);
    std::vector<std::wstring> names;
    for (const CSkinXmlNode& n : all) {
        std::wstring name;
        if (n.NodeName() != L"Font" && n.FindAttribute(L"name", name)) {
            names.push_back(name);
        }
    }
    return names;
}

std::vector<CSkinXmlNode> ElementsNamed(const CSkinXml& xml, const std::wstring& name)
{
    std::vector<CSkinXmlNode> all, found;
    Collect(xml.RootNode(), all);
    for (const CSkinXmlNode& n : all) {
        std::wstring value;
        if (n.NodeName() != L"Font" && n.FindAttribute(L"name", value) && value == name) {
            found.push_back(n);
        }
    }
    return found;
}

bool HasName(const std::vector<std::wstring>& names, const wchar_t* name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST_F(ShippedSkin, WindowFilesParseAndHoldTheBoundControls)
{
    ASSERT_NE(CSkinResources::CurrentArchive(), nullptr);
    struct Window {
        const wchar_t* file;
        std::vector<const wchar_t*> controls;
        // Names that must not be there: the boxes' fixed texts sit in unnamed labels, and
        // the two notices have no ok or cancel button.
        std::vector<const wchar_t*> absent;
    } windows[] = {
        {L"MainWnd.xml",
         {L"winCtn", L"titleTabLt", L"mainTabLt", L"defaultInstallBtn", L"customeInstallBtn", L"customeBtn",
          L"treatyBtn", L"backBtn", L"openProduceBtn", L"treatyCb", L"chDirBtn", L"installDirEdit", L"progressLb",
          L"titleGrpCtn", L"createDSCb", L"createQSCb", L"progressAnLb", L"languageCombo", L"tipLbl", L"installPrg",
          L"minbtn", L"closebtn", L"lbLanguage", L"lbInstallPath"},
         {L"serviceCb", L"finishedLbl"}},
        {L"MessageBox1Wnd.xml", {L"captionLbl", L"textLbl", L"closebtn"}, {L"okBtn", L"cancelBtn"}},
        {L"MessageBox2Wnd.xml", {L"captionLbl", L"textLbl", L"closebtn"}, {L"okBtn", L"cancelBtn"}},
        {L"NetworkTipWnd.xml", {L"okBtn", L"cancelBtn", L"closebtn"}, {L"textLbl", L"captionLbl"}},
        {L"InstalledPathTipWnd.xml", {L"okBtn", L"cancelBtn", L"closebtn"}, {L"textLbl", L"captionLbl"}},
        {L"ExitTipWnd.xml", {L"okBtn", L"cancelBtn", L"closebtn"}, {L"textLbl", L"captionLbl"}},
    };
    for (const Window& w : windows) {
        std::string file = Utils::ToNarrow(w.file, CP_UTF8);
        CSkinXml xml;
        ASSERT_TRUE(xml.LoadFromSkinFile(w.file)) << file << ": " << Utils::ToNarrow(xml.ErrorMessage(), CP_UTF8)
                                                  << " at " << Utils::ToNarrow(xml.ErrorLocation(), CP_UTF8);
        EXPECT_EQ(xml.RootNode().NodeName(), L"Window") << file;
        std::vector<std::wstring> names = ControlNamesBelow(xml.RootNode());
        for (const wchar_t* control : w.controls) {
            EXPECT_TRUE(HasName(names, control)) << file << " lacks " << Utils::ToNarrow(control, CP_UTF8);
        }
        for (const wchar_t* control : w.absent) {
            EXPECT_FALSE(HasName(names, control)) << file << " has " << Utils::ToNarrow(control, CP_UTF8);
        }
    }
}

TEST_F(ShippedSkin, MainWindowPagesAndGroupsInTheirOrder)
{
    CSkinXml xml;
    ASSERT_TRUE(xml.LoadFromSkinFile(L"MainWnd.xml"));

    // The page each bound control sits on is how the window switches between them.
    std::vector<CSkinXmlNode> mainTab = ElementsNamed(xml, L"mainTabLt");
    ASSERT_EQ(mainTab.size(), 1u);
    const std::vector<std::vector<const wchar_t*>> mainPages = {
        {L"languageCombo", L"defaultInstallBtn", L"customeBtn", L"treatyCb", L"tipLbl"},
        {L"installDirEdit", L"chDirBtn", L"createDSCb", L"createQSCb", L"customeInstallBtn"},
        {L"progressAnLb", L"progressLb", L"installPrg"},
        {L"openProduceBtn"},
    };
    std::vector<CSkinXmlNode> pages;
    for (CSkinXmlNode page = mainTab[0].FirstChild(); page.IsValid(); page = page.NextSibling()) {
        pages.push_back(page);
    }
    ASSERT_EQ(pages.size(), mainPages.size());
    for (size_t i = 0; i < pages.size(); ++i) {
        std::vector<std::wstring> names = ControlNamesBelow(pages[i]);
        for (const wchar_t* control : mainPages[i]) {
            EXPECT_TRUE(HasName(names, control)) << "page " << i << " lacks " << Utils::ToNarrow(control, CP_UTF8);
        }
    }

    // Title pages: empty, the back button, empty.
    std::vector<CSkinXmlNode> titleTab = ElementsNamed(xml, L"titleTabLt");
    ASSERT_EQ(titleTab.size(), 1u);
    std::vector<std::vector<std::wstring>> titlePages;
    for (CSkinXmlNode page = titleTab[0].FirstChild(); page.IsValid(); page = page.NextSibling()) {
        titlePages.push_back(ControlNamesBelow(page));
    }
    ASSERT_EQ(titlePages.size(), 3u);
    EXPECT_TRUE(titlePages[0].empty());
    EXPECT_TRUE(HasName(titlePages[1], L"backBtn"));
    EXPECT_TRUE(titlePages[2].empty());

    // The group the window binds is the last one of that name: minimise and close.
    std::vector<CSkinXmlNode> groups = ElementsNamed(xml, L"titleGrpCtn");
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_TRUE(HasName(ControlNamesBelow(groups[0]), L"backBtn"));
    std::vector<std::wstring> last = ControlNamesBelow(groups[1]);
    EXPECT_TRUE(HasName(last, L"minbtn"));
    EXPECT_TRUE(HasName(last, L"closebtn"));
}

TEST_F(ShippedSkin, EveryPictureDecodesAtItsSize)
{
    struct Picture {
        const wchar_t* name;
        int width, height;
    } pictures[] = {
        {L"res\\mainWnd\\bg1.png", 600, 400}, {L"res\\mainWnd\\bg2.png", 600, 400},
        {L"res\\mainWnd\\bg3.png", 600, 400}, {L"res\\mainWnd\\bg4.png", 600, 400},
        {L"res\\mainWnd\\logo.png", 56, 56}, {L"res\\mainWnd\\languageCombo.png", 173, 36},
        {L"res\\mainWnd\\installBtn1.png", 200, 46}, {L"res\\mainWnd\\installBtn2.png", 200, 46},
        {L"res\\mainWnd\\installBtn3.png", 200, 46}, {L"res\\mainWnd\\tipLbl.png", 120, 36},
        {L"res\\mainWnd\\treatyCb1.png", 14, 14}, {L"res\\mainWnd\\treatyCb2.png", 14, 14},
        {L"res\\mainWnd\\customeBtn1.png", 16, 16}, {L"res\\mainWnd\\customeBtn2.png", 16, 16},
        {L"res\\mainWnd\\backBtn1.png", 17, 16}, {L"res\\mainWnd\\installDirEdit.png", 340, 36},
        {L"res\\mainWnd\\chDirBtn1.png", 80, 36}, {L"res\\mainWnd\\chDirBt2.png", 80, 36},
        {L"res\\mainWnd\\chDirBt3.png", 80, 36}, {L"res\\mainWnd\\Cb1.png", 15, 14},
        {L"res\\mainWnd\\Cb2.png", 15, 14}, {L"res\\mainWnd\\installBtnAnimate\\001.png", 360, 200},
        {L"res\\mainWnd\\installPrg1.png", 520, 8}, {L"res\\mainWnd\\installPrg2.png", 398, 8},
        {L"res\\mainWnd\\finished.png", 80, 80}, {L"res\\common\\minbtn1.png", 24, 24},
        {L"res\\common\\minbtn2.png", 24, 24}, {L"res\\common\\minbtn3.png", 24, 24},
        {L"res\\common\\closebtn1.png", 24, 24}, {L"res\\common\\closebtn2.png", 24, 24},
        {L"res\\common\\closebtn3.png", 24, 24}, {L"res\\common\\closebtnM_1.png", 24, 24},
        {L"res\\common\\closebtnM_2.png", 24, 24}, {L"res\\common\\closebtnM_3.png", 24, 24},
    };
    for (const Picture& p : pictures) {
        std::string label = Utils::ToNarrow(p.name, CP_UTF8);
        auto image = DecodeImage(p.name, nullptr, 0);
        ASSERT_TRUE(image) << label;
        EXPECT_EQ(image->width, p.width) << label;
        EXPECT_EQ(image->height, p.height) << label;
    }
}

TEST_F(ShippedSkin, LanguageTableIsCompleteForEveryCode)
{
    const int ids[] = {1,   2,   3,   4,   5,   6,   7,   8,   9,    10,   11,   12,   50,   51,   52,  53,
                       54,  100, 101, 102, 103, 104, 105, 106, 107,  108,  109,  110,  111,  112,  1000,
                       1001, 1002, 1003, 1004, 1005};
    for (int i = 0; i < kLanguageCount; ++i) {
        std::string code = LanguageCode(i);
        ASSERT_EQ(LoadLanguage(i, L""), i) << code;
        EXPECT_EQ(LoadLanguage(0, Utils::ToWide(code, CP_ACP)), i) << code;
        for (int id : ids) {
            EXPECT_FALSE(GetText(id).empty()) << code << " row " << id;
        }
        for (int id : {107, 108}) {
            std::wstring text = GetText(id);
            EXPECT_NE(text.find(L"%d"), std::wstring::npos) << code << " row " << id;
            EXPECT_NE(text.find(L"%%"), std::wstring::npos) << code << " row " << id;
        }
        for (int id : {102, 112}) {
            EXPECT_NE(GetText(id).find(L"\r\n"), std::wstring::npos) << code << " row " << id;
        }
    }
    LoadLanguage(0, L"");
    EXPECT_EQ(GetText(1), L"Install");
    EXPECT_EQ(GetText(107), L"Installing:%d%%, please wait...");
    EXPECT_EQ(GetText(9999), L"");
}

} // namespace
