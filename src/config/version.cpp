#include "config/version.h"

#include <climits>

namespace {

bool IsScanBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// One "%d": true when a number was read at `pos` (then advanced past it).
bool ScanNumber(std::wstring_view text, size_t& pos, int& value) {
  size_t i = pos;
  while (i < text.size() && IsScanBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  const size_t digitsStart = i;
  long long magnitude = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
    if (magnitude <= LLONG_MAX / 10 - 9) magnitude = magnitude * 10 + (text[i] - L'0');
  if (i == digitsStart) return false;
  const long long signedValue = negative ? -magnitude : magnitude;
  value = signedValue > INT_MAX ? INT_MAX : signedValue < INT_MIN ? INT_MIN
                                                                  : static_cast<int>(signedValue);
  pos = i;
  return true;
}

}  // namespace

VersionNumber ParseVersion(std::wstring_view text) {
  VersionNumber version;
  int* parts[] = {&version.major, &version.minor, &version.build, &version.revision};
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != L'.') break;
      ++pos;
    }
    if (!ScanNumber(text, pos, *parts[i])) break;
  }
  return version;
}

bool IsVersionLower(const VersionNumber& a, const VersionNumber& b) {
  if (a.major != b.major) return a.major < b.major;
  if (a.minor != b.minor) return a.minor < b.minor;
  if (a.build != b.build) return a.build < b.build;
  return a.revision < b.revision;
}

std::optional<VersionNumber> ReadVersionNumbers(std::wstring_view text) {
  VersionNumber version;
  int* parts[] = {&version.major, &version.minor, &version.build, &version.revision};
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    long long value = 0;
    const size_t digitsStart = pos;
    for (; pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9'; ++pos) {
      value = value * 10 + (text[pos] - L'0');
      if (value > INT_MAX) return std::nullopt;
    }
    if (pos == digitsStart) return std::nullopt;
    *parts[i] = static_cast<int>(value);
    if (pos == text.size()) return version;
    if (text[pos] != L'.' || i == 3) return std::nullopt;
    ++pos;
  }
  return std::nullopt;
}

bool IsOfferedVersionNewer(std::wstring_view current, std::wstring_view offered) {
  if (offered.empty()) return false;
  const std::optional<VersionNumber> a = ReadVersionNumbers(current);
  const std::optional<VersionNumber> b = ReadVersionNumbers(offered);
  if (a && b) return IsVersionLower(*a, *b);
  return current != offered;
}
