// Texts of the string table, in the user's interface language.
#pragma once

#include <string>

// The text of `id` in the interface language of the calling thread: the table of the exact
// language and region, else of the language-neutral primary language, else English.
// Empty when there is no entry.
std::wstring LoadText(unsigned id);

// LoadText with its placeholders replaced, ready to show.
std::wstring LoadDisplayText(unsigned id);

// The text of `id` in exactly the table of `language` (a Windows language id), without any
// fallback; empty when that table has no entry for `id`.
std::wstring LoadTextInLanguage(unsigned id, unsigned short language);
