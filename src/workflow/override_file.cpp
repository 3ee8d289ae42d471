#include "workflow/override_file.h"

#include <cwchar>

#include "base/wide_string.h"

namespace {

constexpr std::wstring_view kUrlKey = L"\"ApplicationUpdate\"";
constexpr std::wstring_view kTimeoutKey = L"\"WebConnectTimeout\"";

// The text after `key`, when the key stands somewhere after the first character.
std::optional<std::wstring_view> TextAfterKey(std::wstring_view text, std::wstring_view key) {
  const size_t at = text.find(key);
  if (at == std::wstring_view::npos || at == 0) return std::nullopt;
  return text.substr(at + key.size());
}

}  // namespace

std::optional<std::wstring> ReadApplicationUpdateUrl(std::wstring_view text) {
  const std::wstring compact = ReplaceAll(ReplaceAll(text, L"\r\n", L""), L" ", L"");
  const std::optional<std::wstring_view> rest = TextAfterKey(compact, kUrlKey);
  if (!rest) return std::nullopt;
  const size_t open = rest->find(L'"');
  if (open == std::wstring_view::npos || open == 0) return std::nullopt;
  const std::wstring_view value = rest->substr(open + 1);
  const size_t close = value.find(L'"');
  if (close == std::wstring_view::npos || close == 0) return std::nullopt;
  return std::wstring(value.substr(0, close));
}

std::optional<int> ReadWebConnectTimeout(std::wstring_view text) {
  const std::wstring compact = ReplaceAll(text, L" ", L"");
  std::optional<std::wstring_view> rest = TextAfterKey(compact, kTimeoutKey);
  if (!rest) return std::nullopt;
  std::wstring_view value = rest->empty() ? *rest : rest->substr(1);  // past the colon
  const size_t lineEnd = value.find(L"\r\n");
  value = lineEnd == std::wstring_view::npos ? std::wstring_view() : value.substr(0, lineEnd);
  const std::wstring digits = ReplaceAll(value, L",", L"");
  const long number = std::wcstol(digits.c_str(), nullptr, 10);
  if (number > INT32_MAX) return INT32_MAX;
  if (number < INT32_MIN) return INT32_MIN;
  return static_cast<int>(number);
}

int UsableWebConnectTimeout(std::optional<int> read) {
  if (!read || *read < kMinWebConnectTimeoutMs || *read > kMaxWebConnectTimeoutMs)
    return kDefaultWebConnectTimeoutMs;
  return *read;
}
