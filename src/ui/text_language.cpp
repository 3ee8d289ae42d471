#include "ui/text_language.h"

#include <algorithm>

std::vector<unsigned short> TextLanguageCandidates(unsigned short uiLanguage) {
  const auto primaryNeutral = static_cast<unsigned short>(uiLanguage & 0x03FF);
  std::vector<unsigned short> candidates;
  for (const unsigned short language : {uiLanguage, primaryNeutral, kEnglishTextLanguage}) {
    if (std::find(candidates.begin(), candidates.end(), language) == candidates.end()) {
      candidates.push_back(language);
    }
  }
  return candidates;
}
