#include "workflow/start_parameters.h"

#include <cwchar>

#include "base/product.h"
#include "base/wide_string.h"

std::wstring FormatStartParameters(int top, int left, std::wstring_view marker) {
  const std::wstring markerText(marker);
  return FormatWide(L"%d %d %ls %ls", top, left, markerText.c_str(), kMakerName);
}

std::wstring FormatStartTime(const std::tm& localTime) {
  wchar_t buffer[100] = {};
  const size_t length = std::wcsftime(buffer, 100, L"%m/%d/%Y %H:%M:%S", &localTime);
  return L"\"" + std::wstring(buffer, length) + L"\"";
}
