// Texts of the string table, in the user's interface language.
#pragma once

#include <string>

// The text of `id` as the platform picks it for the interface language (exact language
// and region, else the primary language, else English); empty when there is none.
std::wstring LoadText(unsigned id);

// LoadText with its placeholders replaced, ready to show.
std::wstring LoadDisplayText(unsigned id);
