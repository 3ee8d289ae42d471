#include "config/ini_text.h"

#include <cstdint>

#include "base/wide_string.h"

namespace {

// The profile reader's blanks: the C white space and the old end-of-file mark.
bool IsProfileBlank(wchar_t c) {
  return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1a;
}

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::wstring text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    text.push_back(static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
  }
  return text;
}

std::wstring Decode(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return WidenUtf8(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
  std::wstring text;
  for (const char c : bytes) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

IniText IniText::Parse(std::string_view bytes) {
  const std::wstring text = Decode(bytes);
  IniText ini;
  int line = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos;
    while (end < text.size() && text[end] != L'\n' && text[end] != L'\r') ++end;
    const std::wstring_view raw = Trim(std::wstring_view(text).substr(pos, end - pos));
    ++line;
    pos = end;
    if (pos < text.size() && text[pos] == L'\r') ++pos;
    if (pos < text.size() && text[pos] == L'\n' && (pos == end || text[pos - 1] == L'\r')) ++pos;
    if (raw.empty()) continue;
    if (raw.front() == L'[') {
      const size_t close = raw.find(L']');
      if (close != std::wstring_view::npos) {  // text after the bracket is ignored
        ini.sections_.push_back({std::wstring(raw.substr(1, close - 1)), line, {}});
        continue;
      }
    }
    if (ini.sections_.empty()) ini.sections_.push_back({L"", 0, {}});
    IniEntry entry;
    entry.line = line;
    const size_t equals = raw.find(L'=');
    entry.name = std::wstring(Trim(raw.substr(0, equals)));
    if (equals != std::wstring_view::npos) {
      entry.value = std::wstring(Trim(raw.substr(equals + 1)));
    } else {
      ini.loose_.push_back(entry);
    }
    ini.sections_.back().entries.push_back(entry);
  }
  return ini;
}

const IniSection* IniText::FindSection(std::wstring_view section) const {
  const std::wstring_view wanted = Trim(section);
  for (const IniSection& s : sections_)
    if (EqualsIgnoreAsciiCase(s.name, wanted)) return &s;
  return nullptr;
}

const IniEntry* IniText::FindEntry(std::wstring_view section, std::wstring_view key) const {
  const IniSection* s = FindSection(section);
  if (!s) return nullptr;
  const std::wstring_view wanted = Trim(key);
  for (const IniEntry& e : s->entries)
    if (EqualsIgnoreAsciiCase(e.name, wanted)) return &e;
  return nullptr;
}

std::wstring IniText::ReadString(std::wstring_view section, std::wstring_view key,
                                 size_t bufferChars) const {
  // An empty name asks the profile reader for a list of names, which no caller wants.
  if (bufferChars == 0 || Trim(section).empty() || Trim(key).empty()) return std::wstring();
  const IniEntry* entry = FindEntry(section, key);
  if (!entry || !entry->value) return std::wstring();
  std::wstring_view value = *entry->value;
  bool quoted = false;
  if (value.size() > 1 && (value.front() == L'"' || value.front() == L'\'') &&
      value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  std::wstring result(value.substr(0, bufferChars - 1));
  if (quoted && bufferChars >= value.size()) result.pop_back();
  return result;
}

int IniText::ReadInt(std::wstring_view section, std::wstring_view key) const {
  const std::wstring text = ReadString(section, key, 30);
  size_t i = 0;
  while (i < text.size() && text[i] <= L' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  // As the profile functions read numbers: "0x", "0o" and "0b" choose base 16, 8 or 2.
  uint32_t base = 10;
  if (i + 1 < text.size() && text[i] == L'0') {
    const wchar_t marker = text[i + 1];
    if (marker == L'x' || marker == L'X') base = 16;
    else if (marker == L'o' || marker == L'O') base = 8;
    else if (marker == L'b' || marker == L'B') base = 2;
    if (base != 10) i += 2;
  }
  uint32_t total = 0;
  for (; i < text.size(); ++i) {
    const wchar_t c = text[i];
    uint32_t digit = base;
    if (c >= L'0' && c <= L'9') digit = static_cast<uint32_t>(c - L'0');
    else if (c >= L'a' && c <= L'f') digit = static_cast<uint32_t>(c - L'a' + 10);
    else if (c >= L'A' && c <= L'F') digit = static_cast<uint32_t>(c - L'A' + 10);
    if (digit >= base) break;
    total = total * base + digit;
  }
  if (negative) total = 0u - total;
  const auto value = static_cast<int32_t>(total);
  return value < 0 ? 0 : value;
}

std::string NarrowUtf8(std::wstring_view text) {
  std::string out;
  for (const wchar_t wc : text) {
    const auto c = static_cast<uint32_t>(wc);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::wstring WidenUtf8(std::string_view text) {
  std::wstring out;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    uint32_t code = extra == 3 ? c & 0x07u : extra == 2 ? c & 0x0Fu : c & 0x1Fu;
    bool valid = extra > 0;
    for (int k = 1; valid && k <= extra; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
        valid = false;
      } else {
        code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
      }
    }
    if (valid) {
      if (sizeof(wchar_t) == 2 && code > 0xFFFF) {  // a surrogate pair where wide is 16 bits
        code -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
      } else {
        out.push_back(static_cast<wchar_t>(code));
      }
      i += extra + 1;
    } else {
      out.push_back(static_cast<wchar_t>(c));
      ++i;
    }
  }
  return out;
}
