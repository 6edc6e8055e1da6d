// The process-wide multi-language table: texts by decimal id, and the substitution of
// "%{12}"-style tokens in control texts. Used on the window thread only.
#pragma once

#include <optional>
#include <string>

void AddLanguageString(int id, const std::wstring& text);
std::optional<std::wstring> GetLanguageString(int id);
// Removes every text (for a fresh start, e.g. between tests).
void ClearLanguageStrings();

// A copy of `text` with each "%{digits}" token whose id is in the table replaced by the
// table's text; unknown tokens stay as written. Inserted texts are not scanned again.
std::wstring ReplaceLanguageTokens(const std::wstring& text);
