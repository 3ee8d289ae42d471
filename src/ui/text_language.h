// Which language of the string table answers a lookup. Platform-free.
#pragma once

#include <vector>

// Windows language identifiers: the primary language in the low 10 bits, the region above.
constexpr unsigned short kEnglishTextLanguage = 0x0009;  // English, language-neutral

// The table languages to try, in order, for the interface language `uiLanguage`: the exact
// language and region (only Traditional Chinese, 1028, has one), then the language-neutral
// entry of the same primary language, then English. No language appears twice.
std::vector<unsigned short> TextLanguageCandidates(unsigned short uiLanguage);
