#include "ui/placeholders.h"

#include "base/product.h"
#include "base/wide_string.h"

std::wstring ExpandPlaceholders(std::wstring_view text) {
  return ReplaceAll(ReplaceAll(text, L"[ProductName]", kProductName), L"[OS]", L"Windows");
}
