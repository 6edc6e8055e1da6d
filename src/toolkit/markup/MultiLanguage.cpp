#include "toolkit/markup/MultiLanguage.h"

#include <map>

namespace {

std::map<std::wstring, std::wstring>& Table()
{
    static std::map<std::wstring, std::wstring> table;
    return table;
}

} // namespace

void AddLanguageString(int id, const std::wstring& text)
{
    Table()[std::to_wstring(id)] = text;
}

std::optional<std::wstring> GetLanguageString(int id)
{
    auto it = Table().find(std::to_wstring(id));
    if (it == Table().end()) {
        return std::nullopt;
    }
    return it->second;
}

void ClearLanguageStrings()
{
    Table().clear();
}

std::wstring ReplaceLanguageTokens(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t percent = text.find(L'%', pos);
        if (percent == std::wstring::npos) {
            break;
        }
        out.append(text, pos, percent - pos);
        size_t p = percent + 1;
        bool replaced = false;
        if (p < text.size() && text[p] == L'{') {
            ++p;
            long long id = 0;
            while (p < text.size() && text[p] >= L'0' && text[p] <= L'9') {
                if (id <= 0x7FFFFFFF) {
                    id = id * 10 + (text[p] - L'0');
                }
                ++p;
            }
            if (p < text.size() && text[p] == L'}' && id <= 0x7FFFFFFF) {
                auto found = GetLanguageString(static_cast<int>(id));
                if (found) {
                    out += *found;
                    pos = p + 1;
                    replaced = true;
                }
            }
        }
        if (!replaced) {
            out += L'%';
            pos = percent + 1;
        }
    }
    if (pos < text.size()) {
        out.append(text, pos, std::wstring::npos);
    }
    return out;
}
