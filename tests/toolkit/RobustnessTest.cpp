// Seeded, bounded mutation runs: damaged skin files, archives, draw strings and language
// tables go through the readers, which must simply return.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <random>
#include <string>

#include "TestPaths.h"
#include "i18n/Language.h"
#include "toolkit/archive/SkinArchive.h"
#include "toolkit/markup/ImageDrawString.h"
#include "toolkit/markup/MultiLanguage.h"
#include "toolkit/markup/SkinXml.h"

namespace {

const char kSkin[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<Window size=\"600,400\" caption=\"0,0,0,35\" roundcorner=\"2,2\" showshadow=\"true\">\r\n"
    "  <Font id=\"0\" name=\"\xe5\xbe\xae\xe8\xbd\xaf\xe9\x9b\x85\xe9\xbb\x91\" size=\"14\" default=\"true\"/>\r\n"
    "  <!-- <SequenceLabel name=\"finishedLbl\"/> -->\r\n"
    "  <VerticalLayout name=\"winCtn\" bkimage=\"res\\mainWnd\\bg1.png\">\r\n"
    "    <Button name=\"backBtn\" text=\"%{12}\" bkimage=\"file='res\\mainWnd\\backBtn1.png' dest='0,4,17,20' \"/>\r\n"
    "    <Label text=\"&lt;b&gt;Lumeno&amp;co\" textcolor=\"#FF282A43\">inner</Label>\r\n"
    "  </VerticalLayout>\r\n"
    "</Window>\r\n";

const char kLanguage[] =
    "[\r\n"
    "  {\"id\": 1, \"en-US\": \"Install\", \"de-DE\": \"Installieren\", \"ja-JP\": \"\xe3\x82\xa4\"},\r\n"
    "  {\"id\": 107, \"en-US\": \"Installing:%d%%, please wait...\"},\r\n"
    "  {\"id\": 102, \"en-US\": \" is running.\\r\\n Please exit\"}\r\n"
    "]\r\n";

class Mutator {
public:
    explicit Mutator(uint32_t seed) : m_Random(seed) {}

    std::string Mutate(const std::string& input)
    {
        std::string s = input;
        int edits = 1 + Pick(4);
        for (int i = 0; i < edits; ++i) {
            size_t at = s.empty() ? 0 : Pick(static_cast<int>(s.size()));
            switch (Pick(6)) {
            case 0:  // flip bits
                if (!s.empty()) s[at] = char(s[at] ^ (1 << Pick(8)));
                break;
            case 1: {  // insert a character that matters to the grammars
                static const char interesting[] = "<>/=\"'&;{}%# \r\n\x80\xff\0a1";
                s.insert(s.begin() + at, interesting[Pick(sizeof(interesting) - 1)]);
                break;
            }
            case 2:  // delete a run
                if (!s.empty()) s.erase(at, 1 + Pick(16));
                break;
            case 3: {  // duplicate a run
                std::string run = s.substr(at, 1 + Pick(32));
                s.insert(at, run);
                break;
            }
            case 4:  // truncate
                s.resize(at);
                break;
            default:  // random byte
                if (!s.empty()) s[at] = char(Pick(256));
                break;
            }
        }
        return s;
    }

    int Pick(int bound) { return bound <= 0 ? 0 : static_cast<int>(m_Random() % uint32_t(bound)); }

private:
    std::mt19937 m_Random;
};

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return counters.PrivateUsage;
}

// Walks every element and attribute of a document, parsing image-looking values.
void Walk(const CSkinXml& xml)
{
    std::vector<CSkinXmlNode> pending;
    if (xml.RootNode().IsValid()) pending.push_back(xml.RootNode());
    while (!pending.empty()) {
        CSkinXmlNode node = pending.back();
        pending.pop_back();
        node.NodeName();
        node.NodeValue();
        for (int i = 0; i < node.AttributeCount() + 1; ++i) {
            ParseImageDrawString(node.AttributeValue(i));
            ReplaceLanguageTokens(node.AttributeValue(i));
        }
        wchar_t buffer[8];
        node.FindAttribute(L"name", buffer, 8);
        for (CSkinXmlNode child = node.FirstChild(); child.IsValid(); child = child.NextSibling()) {
            pending.push_back(child);
        }
    }
}

void MutateSkinFiles(uint32_t seed, int rounds)
{
    Mutator m(seed);
    for (int i = 0; i < rounds; ++i) {
        std::string bytes = m.Mutate(kSkin);
        CSkinXml xml;
        xml.LoadFromBytes(bytes.data(), bytes.size(), m.Pick(3));
        Walk(xml);
    }
}

void MutateArchives(uint32_t seed, int rounds, const std::vector<uint8_t>& archive)
{
    Mutator m(seed);
    const std::string original(archive.begin(), archive.end());
    for (int i = 0; i < rounds; ++i) {
        std::string bytes = m.Mutate(original);
        auto opened = SkinArchive::OpenFromMemory(bytes.data(), bytes.size());
        if (opened) {
            uint32_t index = 0;
            uint64_t size = 0;
            std::vector<uint8_t> out;
            for (const SkinArchiveEntry& e : opened->Entries()) {
                if (opened->FindEntry(e.name, index, size) == 0) {
                    opened->ExtractEntry(index, out);
                }
            }
        }
    }
}

void MutateLanguageFiles(uint32_t seed, int rounds)
{
    Mutator m(seed);
    for (int i = 0; i < rounds; ++i) {
        std::string bytes = m.Mutate(kLanguage);
        std::vector<uint8_t> data(bytes.begin(), bytes.end());
        int index = LoadLanguageFromBytes(data, m.Pick(20) - 3, m.Pick(2) ? L"de-DE" : L"");
        ASSERT_GE(index, 0);
        ASSERT_LT(index, kLanguageCount);
        GetText(1);
    }
}

TEST(Robustness, MutatedSkinFilesArchivesAndTablesOnlyReturn)
{
    std::vector<uint8_t> archive = ReadAll(FixturePath("small.7z"));
    ASSERT_FALSE(archive.empty());

    // A first round settles caches and allocator pools before memory is measured.
    MutateSkinFiles(1, 200);
    MutateArchives(2, 50, archive);
    MutateLanguageFiles(3, 200);
    SIZE_T before = PrivateBytes();

    MutateSkinFiles(20240611, 4000);
    MutateArchives(20240612, 3000, archive);
    MutateLanguageFiles(20240613, 3000);
    for (int i = 0; i < 4000; ++i) {
        Mutator m(static_cast<uint32_t>(i));
        ParseImageDrawString(std::wstring(L"file='a.png' dest='") + wchar_t(L' ' + m.Pick(95)) + L"'" +
                             wchar_t(L' ' + m.Pick(95)) + L"fade='" + std::to_wstring(m.Pick(1000)) + L"'");
    }

    SIZE_T after = PrivateBytes();
    // Readers own every buffer they make; thousands of runs must not pile memory up.
    EXPECT_LT(after > before ? after - before : 0, SIZE_T(16) * 1024 * 1024);
}

} // namespace
