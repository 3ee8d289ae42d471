#include "base/wide_string.h"

#include <cwchar>
#include <vector>

std::wstring FormatWide(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = FormatWideV(format, args);
  va_end(args);
  return text;
}

std::wstring FormatWideV(const wchar_t* format, va_list args) {
  // vswprintf cannot measure (it fails when the buffer is short), so grow until it fits.
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list attempt;
    va_copy(attempt, args);
    int written = std::vswprintf(buffer.data(), buffer.size(), format, attempt);
    va_end(attempt);
    if (written >= 0 && static_cast<size_t>(written) < buffer.size())
      return std::wstring(buffer.data(), static_cast<size_t>(written));
    if (buffer.size() >= (size_t{1} << 24)) return std::wstring();  // a broken format
    buffer.resize(buffer.size() * 4);
  }
}

std::wstring ToLowerAscii(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return lower;
}

bool EqualsIgnoreAsciiCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && ToLowerAscii(a) == ToLowerAscii(b);
}

std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to) {
  if (from.empty()) return std::wstring(text);
  std::wstring result;
  size_t start = 0;
  for (size_t hit = text.find(from); hit != std::wstring_view::npos;
       hit = text.find(from, start)) {
    result.append(text.substr(start, hit - start));
    result.append(to);
    start = hit + from.size();
  }
  result.append(text.substr(start));
  return result;
}

std::optional<uint64_t> ReadDigits(std::wstring_view text, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits || maxDigits > 19) return std::nullopt;
  uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - L'0');
  }
  return value;
}
