#include <gtest/gtest.h>

#include <string>

#include "i18n/Language.h"
#include "toolkit/TestPaths.h"
#include "toolkit/archive/SkinResources.h"
#include "toolkit/markup/MultiLanguage.h"

namespace {

const char* const kCodes[] = {"en-US", "zh-CN", "zh-TW", "id-ID", "tr-TR", "de-DE", "fr-FR",
                              "es-ES", "pt-PT", "ja-JP", "ko-KR", "pl-PL", "nl-NL", "it-IT"};

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Rows 1 and 106 in every language: "<code> <id>".
std::vector<uint8_t> Table()
{
    std::string json = "[\r\n";
    for (int id : {1, 106}) {
        json += "{\"id\": " + std::to_string(id);
        for (const char* code : kCodes) {
            json += std::string(", \"") + code + "\": \"" + code + " " + std::to_string(id) + "\"";
        }
        json += "},\r\n";
    }
    json += "{\"id\": 9, \"en-US\": \"line\\r\\nbreak %d%%\", \"ja-JP\": \"\xe5\xae\x8c\xe4\xba\x86\"}\r\n]";
    return Bytes(json);
}

TEST(Language, CodeListOrder)
{
    for (int i = 0; i < kLanguageCount; ++i) {
        EXPECT_STREQ(LanguageCode(i), kCodes[i]);
    }
    EXPECT_STREQ(LanguageCode(-1), "");
    EXPECT_STREQ(LanguageCode(14), "");
}

TEST(Language, EachLanguageLoadsItsOwnTexts)
{
    for (int i = 0; i < kLanguageCount; ++i) {
        ClearLanguageStrings();
        EXPECT_EQ(LoadLanguageFromBytes(Table(), i, L""), i);
        std::string expected = std::string(kCodes[i]) + " 106";
        EXPECT_EQ(GetText(106), std::wstring(expected.begin(), expected.end()));
        EXPECT_EQ(GetText(9999), L"");
    }
    LoadLanguageFromBytes(Table(), 0, L"");
    EXPECT_EQ(GetText(9), L"line\r\nbreak %d%%");
    LoadLanguageFromBytes(Table(), 9, L"");
    EXPECT_EQ(GetText(9), L"\u5b8c\u4e86");
    LoadLanguageFromBytes(Table(), 5, L"");
    EXPECT_EQ(GetText(9), L"");  // a missing member is an empty text
}

TEST(Language, ChoosingTheIndex)
{
    struct {
        int index;
        const wchar_t* code;
        int used;
    } cases[] = {
        {0, L"de-DE", 5},   // the code wins
        {3, L"de-de", 3},   // matched exactly: unknown code keeps the index
        {0, L"xx-XX", 0},
        {99, L"", 0},       // no code: out-of-range index becomes 0
        {-1, L"", 0},
        {-1, L"xx", 0},     // an unknown code cannot keep an index that names no language
        {13, L"", 13},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadLanguageFromBytes(Table(), c.index, c.code), c.used);
    }
}

TEST(Language, MalformedTablesLoadNothingAndNeverThrow)
{
    struct {
        std::string json;
        int index;
        int used;
        const wchar_t* text1;  // GetText(1) afterwards; the table held "keep" before
    } cases[] = {
        {"[{\"id\": 1, \"en-US\": ", 0, 0, L"keep"},                 // not JSON
        {"{\"id\": 1, \"en-US\": \"object\"}", 0, 0, L"keep"},       // root not an array
        {"[1, \"x\", null, [], {\"id\": 1, \"en-US\": \"ok\"}]", 0, 0, L"ok"},  // non-objects skipped
        {"[{\"id\": \"1\", \"en-US\": \"string id\"}]", 0, 0, L"keep"},
        {"[{\"id\": 1.5, \"en-US\": \"fraction\"}]", 0, 0, L"keep"},
        {"[{\"en-US\": \"no id\"}]", 0, 0, L"keep"},
        {"[{\"id\": 1, \"en-US\": 42}]", 0, 0, L""},                 // wrong type: empty text
        {"[{\"id\": 1, \"en-US\": \"bad \xff\xfe utf-8\"}]", 0, 0, L""},
        {"[{\"id\": 1, \"de-DE\": \"nur deutsch\"}]", 0, 0, L""},
        {std::string(5000, '[') + std::string(5000, ']'), 4, 4, L"keep"},  // too deep for the reader
        {"", 6, 0, L"keep"},
    };
    for (const auto& c : cases) {
        ClearLanguageStrings();
        AddLanguageString(1, L"keep");
        EXPECT_EQ(LoadLanguageFromBytes(Bytes(c.json), c.index, L""), c.used) << c.json.substr(0, 60);
        EXPECT_EQ(GetText(1), c.text1) << c.json.substr(0, 60);
    }
}

TEST(Language, LaterTablesKeepTextsTheyLack)
{
    ClearLanguageStrings();
    LoadLanguageFromBytes(Table(), 0, L"");
    LoadLanguageFromBytes(Bytes("[{\"id\": 1, \"en-US\": \"new\"}]"), 0, L"");
    EXPECT_EQ(GetText(1), L"new");
    EXPECT_EQ(GetText(106), L"en-US 106");
}

TEST(Language, ReadsTheTableFromTheSkinArchiveUpToFourMebibytes)
{
    CSkinResources::UseSevenZipArchive(true);
    CSkinResources::SetSkinFolder(FixturePath(""));

    ClearLanguageStrings();
    CSkinResources::SetResourceArchiveFile(L"exact.7z", true);
    EXPECT_EQ(LoadLanguage(9, L""), 9);
    EXPECT_EQ(GetText(1005), L"ja-JP text 1005");

    // Opened per read when not held.
    CSkinResources::SetResourceArchiveFile(L"exact.7z", false);
    EXPECT_EQ(LoadLanguage(0, L"ko-KR"), 10);
    EXPECT_EQ(GetText(1), L"ko-KR text 1");

    for (const wchar_t* archive : {L"over.7z", L"none.7z", L"missing.7z"}) {
        CSkinResources::SetResourceArchiveFile(archive, true);
        EXPECT_EQ(LoadLanguage(5, L"de-DE"), 0);
        EXPECT_EQ(GetText(1), L"ko-KR text 1");  // nothing changed
    }
}

TEST(Language, LanguageOfAnInstalledCopy)
{
    CSkinResources::UseSevenZipArchive(true);
    CSkinResources::SetSkinFolder(FixturePath(""));
    CSkinResources::SetResourceArchiveFile(L"exact.7z", true);

    struct {
        const char* ini;  // null: no config.ini
        int index;
    } cases[] = {
        {nullptr, 0},
        {"[Install]\r\nLanguage=de-DE\r\n", 5},
        {"[Install]\r\nLanguage=de-de\r\n", 0},
        {"[Install]\r\nLanguage=en-US\r\n", 0},
        {"[Install]\r\nOther=1\r\n", 0},         // missing key: en-US
        {"[Install]\r\nLanguage=ja-JP\r\n", 9},
    };
    for (const auto& c : cases) {
        std::wstring folder = FreshFolder(L"installed");
        if (c.ini) {
            ASSERT_TRUE(WriteAll(folder + L"config.ini", Bytes(c.ini)));
        }
        int relayouts = 0;
        EXPECT_EQ(LoadLanguageFromInstall(folder.substr(0, folder.size() - 1), [&] { ++relayouts; }), c.index)
            << (c.ini ? c.ini : "(none)");
        EXPECT_EQ(relayouts, 1);
    }
}

TEST(Language, DefaultIndexBySystemLanguage)
{
    struct {
        LANGID id;
        int index;
    } cases[] = {
        {0x0409, 0}, {0x0404, 2}, {0x0421, 3}, {0x041F, 4}, {0x0407, 5}, {0x040C, 6}, {0x040A, 7},
        {0x0416, 8}, {0x0411, 9}, {0x0412, 10}, {0x0415, 11}, {0x0413, 12}, {0x0813, 12}, {0x0410, 13},
        // Not in the table: English.
        {0x0804, 0}, {0x0816, 0}, {0x0C07, 0}, {0x080C, 0}, {0x0810, 0}, {0x0809, 0}, {0x0000, 0},
        {0x540A, 0}, {0x0C09, 0}, {0x0419, 0}, {0x480A, 7},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DefaultLanguageIndexFor(c.id), c.index) << std::hex << c.id;
    }
    // Every Spanish identifier: 0x040A and sub-languages 2 to 20.
    int spanish = 0;
    for (unsigned id = 0; id <= 0xFFFF; ++id) {
        if (DefaultLanguageIndexFor(static_cast<LANGID>(id)) == 7) {
            ++spanish;
            EXPECT_EQ(id & 0x3FF, 0x0Au) << std::hex << id;
        }
    }
    EXPECT_EQ(spanish, 20);
    int system = DefaultLanguageIndex();
    EXPECT_EQ(system, DefaultLanguageIndexFor(GetUserDefaultUILanguage()));
}

} // namespace
