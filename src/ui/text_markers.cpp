#include "ui/text_markers.h"

#include <algorithm>

namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Length of the placeholder that starts at `pos`, or 0 when none starts there.
size_t PlaceholderLengthAt(std::wstring_view text, size_t pos) {
  const wchar_t open = text[pos];
  if (open != L'[' && open != L'{') return 0;
  const wchar_t close = open == L'[' ? L']' : L'}';
  size_t end = pos + 1;
  while (end < text.size() && (open == L'[' ? IsAsciiLetter(text[end]) : IsDigit(text[end]))) ++end;
  if (end == pos + 1 || end >= text.size() || text[end] != close) return 0;
  return end + 1 - pos;
}

}  // namespace

std::vector<std::wstring> ListPlaceholders(std::wstring_view text) {
  std::vector<std::wstring> placeholders;
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = PlaceholderLengthAt(text, pos);
    if (length == 0) {
      ++pos;
      continue;
    }
    placeholders.emplace_back(text.substr(pos, length));
    pos += length;
  }
  return placeholders;
}

std::vector<size_t> LineBreakRuns(std::wstring_view text) {
  std::vector<size_t> runs;
  size_t run = 0;
  for (const wchar_t c : text) {
    if (c == L'\n') {
      ++run;
    } else if (run > 0) {
      runs.push_back(run);
      run = 0;
    }
  }
  if (run > 0) runs.push_back(run);
  return runs;
}

bool KeepsMarkersOf(std::wstring_view original, std::wstring_view translation) {
  std::vector<std::wstring> expected = ListPlaceholders(original);
  std::vector<std::wstring> actual = ListPlaceholders(translation);
  std::sort(expected.begin(), expected.end());
  std::sort(actual.begin(), actual.end());
  return expected == actual && LineBreakRuns(original) == LineBreakRuns(translation);
}
