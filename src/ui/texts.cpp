#include "ui/texts.h"

#include <windows.h>

#include "ui/placeholders.h"

std::wstring LoadText(unsigned id) {
  // With a zero buffer size LoadStringW hands out a pointer into the resource itself.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::wstring();
  return std::wstring(text, static_cast<size_t>(length));
}

std::wstring LoadDisplayText(unsigned id) { return ExpandPlaceholders(LoadText(id)); }
