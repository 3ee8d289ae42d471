#include "ui/texts.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "ui/placeholders.h"
#include "ui/text_language.h"

// The language is chosen here rather than left to LoadStringW: when no table matches the
// interface language, the resource loader answers with the first table it holds (Chinese,
// id 4, under Wine), not with English, because English is stored language-neutral.

namespace {

constexpr unsigned kStringsPerBlock = 16;

// String ids are grouped in blocks of 16; id n lives in block n / 16 + 1.
LPCWSTR BlockName(unsigned id) { return MAKEINTRESOURCEW(id / kStringsPerBlock + 1); }

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
  reinterpret_cast<std::vector<unsigned short>*>(languages)->push_back(language);
  return TRUE;
}

std::vector<unsigned short> LanguagesOfBlock(HMODULE module, unsigned id) {
  std::vector<unsigned short> languages;
  EnumResourceLanguagesW(module, RT_STRING, BlockName(id), AddLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  return languages;
}

// Reads entry `id` from its block in `language`, which the module is known to carry.
// A block is 16 strings, each a length in characters followed by that many characters.
std::wstring ReadFromBlock(HMODULE module, unsigned id, unsigned short language) {
  const HRSRC found = FindResourceExW(module, RT_STRING, BlockName(id), language);
  if (found == nullptr) return std::wstring();
  const auto* block = static_cast<const WCHAR*>(LockResource(LoadResource(module, found)));
  if (block == nullptr) return std::wstring();
  const size_t size = SizeofResource(module, found) / sizeof(WCHAR);
  size_t pos = 0;
  for (unsigned index = 0; index < id % kStringsPerBlock && pos < size; ++index) {
    pos += 1 + block[pos];
  }
  if (pos >= size || block[pos] > size - pos - 1) return std::wstring();
  return std::wstring(block + pos + 1, block[pos]);
}

bool Contains(const std::vector<unsigned short>& languages, unsigned short language) {
  return std::find(languages.begin(), languages.end(), language) != languages.end();
}

}  // namespace

std::wstring LoadText(unsigned id) {
  if (id > 0xFFFF) return std::wstring();
  const HMODULE module = GetModuleHandleW(nullptr);
  const std::vector<unsigned short> present = LanguagesOfBlock(module, id);
  // The interface language is asked at every lookup, so it follows the running user.
  for (const unsigned short language : TextLanguageCandidates(GetThreadUILanguage())) {
    if (Contains(present, language)) return ReadFromBlock(module, id, language);
  }
  return std::wstring();
}

std::wstring LoadDisplayText(unsigned id) { return ExpandPlaceholders(LoadText(id)); }

std::wstring LoadTextInLanguage(unsigned id, unsigned short language) {
  if (id > 0xFFFF) return std::wstring();
  const HMODULE module = GetModuleHandleW(nullptr);
  if (!Contains(LanguagesOfBlock(module, id), language)) return std::wstring();
  return ReadFromBlock(module, id, language);
}
