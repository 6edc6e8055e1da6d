#include "i18n/Language.h"

#include <json/json.h>

#include <memory>

#include "services/TextConversion.h"
#include "toolkit/archive/SkinFile.h"
#include "toolkit/markup/MultiLanguage.h"

namespace {

const char* const kCodes[kLanguageCount] = {
    "en-US", "zh-CN", "zh-TW", "id-ID", "tr-TR", "de-DE", "fr-FR",
    "es-ES", "pt-PT", "ja-JP", "ko-KR", "pl-PL", "nl-NL", "it-IT",
};

} // namespace

const char* LanguageCode(int index)
{
    return index >= 0 && index < kLanguageCount ? kCodes[index] : "";
}

int LoadLanguage(int index, const std::wstring& code)
{
    // Always the archive, held or opened for this read, never a loose file.
    std::vector<uint8_t> bytes;
    std::wstring error;
    if (!ReadSkinArchiveEntry(L"language.json", bytes, error)) {
        return 0;
    }
    return LoadLanguageFromBytes(bytes, index, code);
}

int LoadLanguageFromBytes(const std::vector<uint8_t>& bytes, int index, const std::wstring& code)
{
    if (bytes.empty() || bytes.size() > kMaxSkinFileSize) {
        return 0;
    }
    if (!code.empty()) {
        std::string narrow = Utils::ToNarrow(code, CP_ACP);
        for (int i = 0; i < kLanguageCount; ++i) {
            if (narrow == kCodes[i]) {
                index = i;
                break;
            }
        }
    }
    // An unknown code keeps the caller's index; it still has to name a language.
    if (index < 0 || index >= kLanguageCount) {
        index = 0;
    }

    Json::Value root;
    try {
        Json::CharReaderBuilder builder;
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        const char* begin = reinterpret_cast<const char*>(bytes.data());
        std::string errors;
        if (!reader->parse(begin, begin + bytes.size(), &root, &errors)) {
            return index;
        }
    } catch (const std::exception&) {
        return index;
    }
    if (!root.isArray()) {
        return index;
    }

    const char* member = kCodes[index];
    for (Json::ArrayIndex i = 0; i < root.size(); ++i) {
        const Json::Value& row = root[i];
        if (!row.isObject()) {
            continue;
        }
        const Json::Value& id = row["id"];
        if (!id.isInt()) {
            continue;
        }
        const Json::Value& text = row[member];
        std::wstring wide;
        if (text.isString()) {
            wide = Utils::Utf8ToWide(text.asString());
        }
        AddLanguageString(id.asInt(), wide);
    }
    return index;
}

std::wstring GetText(int id)
{
    auto text = GetLanguageString(id);
    return text ? *text : std::wstring();
}

int DefaultLanguageIndexFor(LANGID languageId)
{
    switch (languageId) {
    case 0x0409: return 0;
    case 0x0404: return 2;
    case 0x0421: return 3;
    case 0x041F: return 4;
    case 0x0407: return 5;
    case 0x040C: return 6;
    case 0x040A: return 7;
    case 0x0416: return 8;
    case 0x0411: return 9;
    case 0x0412: return 10;
    case 0x0415: return 11;
    case 0x0413:
    case 0x0813: return 12;
    case 0x0410: return 13;
    default: break;
    }
    // Spanish sub-languages 2 to 20.
    if (languageId >= 0x080A && languageId <= 0x500A && (languageId - 0x080A) % 0x0400 == 0) {
        return 7;
    }
    return 0;
}

int DefaultLanguageIndex()
{
    return DefaultLanguageIndexFor(GetUserDefaultUILanguage());
}

int LoadLanguageFromInstall(const std::wstring& folder, const std::function<void()>& relayoutRoot)
{
    std::wstring path = folder + L"\\config.ini";
    std::wstring code;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        wchar_t buffer[260] = {};
        GetPrivateProfileStringW(L"Install", L"Language", L"en-US", buffer, 260, path.c_str());
        code = buffer;
    }
    int index = LoadLanguage(0, code);
    if (relayoutRoot) {
        relayoutRoot();
    }
    return index;
}
