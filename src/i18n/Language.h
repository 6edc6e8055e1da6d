// The installer's language table: the fourteen language codes in their fixed order,
// loading one language's texts from "language.json" into the toolkit's multi-language
// table, texts by number, and the start-up choice from the system UI language or from
// an installed copy of the product.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int kLanguageCount = 14;

// The code at `index` ("en-US" for 0 ... "it-IT" for 13); empty outside 0 to 13.
const char* LanguageCode(int index);

// Loads the texts of language `code` (when not empty; matched exactly) or else `index`
// from the skin's "language.json"; returns the index used. 0 and nothing loaded when the
// file is missing, empty, above 4 MiB or unreadable.
int LoadLanguage(int index, const std::wstring& code);
// The same from the bytes of a language file already read.
int LoadLanguageFromBytes(const std::vector<uint8_t>& bytes, int index, const std::wstring& code);

// The current language's text for `id`; empty when the table has none.
std::wstring GetText(int id);

// The start-up index for a system UI language identifier; 0 for any not listed.
int DefaultLanguageIndexFor(LANGID languageId);
int DefaultLanguageIndex();

// The language an installed copy of the product uses, from "config.ini" in `folder`
// (section "Install", key "Language"): loads it and returns its index. `relayoutRoot`,
// when given, lets the window lay out and repaint its controls with the new texts.
int LoadLanguageFromInstall(const std::wstring& folder, const std::function<void()>& relayoutRoot = {});
