// The skin as the installer carries it: read from LumenoSetup.exe's own ZIPRES 147
// resource, every window file parses and names the controls the window code binds,
// every picture decodes at its size, and the language table is complete.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
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

std::set<std::wstring> ControlNames(const CSkinXml& xml)
{
    std::set<std::wstring> names;
    std::vector<CSkinXmlNode> pending{xml.RootNode()};
    while (!pending.empty()) {
        CSkinXmlNode node = pending.back();
        pending.pop_back();
        std::wstring name;
        if (node.FindAttribute(L"name", name) && node.NodeName() != L"Font") {
            names.insert(name);
        }
        for (CSkinXmlNode c = node.FirstChild(); c.IsValid(); c = c.NextSibling()) {
            pending.push_back(c);
        }
    }
    return names;
}

TEST_F(ShippedSkin, WindowFilesParseAndHoldTheBoundControls)
{
    ASSERT_NE(CSkinResources::CurrentArchive(), nullptr);
    struct Window {
        const wchar_t* file;
        std::vector<const wchar_t*> controls;
    } windows[] = {
        {L"MainWnd.xml",
         {L"winCtn", L"titleTabLt", L"mainTabLt", L"defaultInstallBtn", L"customeInstallBtn", L"customeBtn",
          L"treatyBtn", L"backBtn", L"openProduceBtn", L"treatyCb", L"chDirBtn", L"installDirEdit", L"progressLb",
          L"titleGrpCtn", L"createDSCb", L"createQSCb", L"progressAnLb", L"languageCombo", L"tipLbl", L"installPrg",
          L"minbtn", L"closebtn", L"lbLanguage", L"lbInstallPath"}},
        {L"MessageBox1Wnd.xml", {L"captionLbl", L"textLbl", L"closebtn"}},
        {L"MessageBox2Wnd.xml", {L"captionLbl", L"textLbl", L"closebtn"}},
        {L"NetworkTipWnd.xml", {L"okBtn", L"cancelBtn", L"closebtn"}},
        {L"InstalledPathTipWnd.xml", {L"okBtn", L"cancelBtn", L"closebtn"}},
        {L"ExitTipWnd.xml", {L"okBtn", L"cancelBtn", L"closebtn"}},
    };
    for (const Window& w : windows) {
        std::string file = Utils::ToNarrow(w.file, CP_UTF8);
        CSkinXml xml;
        ASSERT_TRUE(xml.LoadFromSkinFile(w.file)) << file << ": " << Utils::ToNarrow(xml.ErrorMessage(), CP_UTF8)
                                                  << " at " << Utils::ToNarrow(xml.ErrorLocation(), CP_UTF8);
        EXPECT_EQ(xml.RootNode().NodeName(), L"Window") << file;
        std::set<std::wstring> names = ControlNames(xml);
        for (const wchar_t* control : w.controls) {
            EXPECT_TRUE(names.count(control)) << file << " lacks " << Utils::ToNarrow(control, CP_UTF8);
        }
    }
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
