#include "system/log_line.h"

#include <cwchar>

std::wstring FormatLogTimestamp(const std::tm& localTime) {
  wchar_t buffer[100] = {};
  size_t length = std::wcsftime(buffer, 100, L"%Y-%m-%d, %H:%M:%S", &localTime);
  return std::wstring(buffer, length);
}

std::wstring ComposeLogLine(std::wstring_view timestamp, std::wstring_view message) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring line;
  line.reserve(timestamp.size() + message.size() + 4);
  line.append(timestamp).append(L" - ");
  for (wchar_t c : message) {
    if (c < 0x20 || c == 0x7F) {
      line.append(L"\\u00").push_back(kHex[(c >> 4) & 0xF]);
      line.push_back(kHex[c & 0xF]);
    } else {
      line.push_back(c);
    }
  }
  line.append(L"\n");
  return line;
}

std::string EncodeLogBytes(std::wstring_view line) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string bytes;
  bytes.reserve(line.size() + 8);
  for (wchar_t c : line) {
    auto unit = static_cast<unsigned long>(c);
    if (c == L'\n') {
      bytes += "\r\n";
    } else if (unit <= 0xFF) {
      bytes += static_cast<char>(unit);
    } else {
      bytes += "\\u";
      // On Linux wchar_t holds a whole code point; keep at least four digits.
      int digits = unit > 0xFFFF ? (unit > 0xFFFFF ? 6 : 5) : 4;
      for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) bytes += kHex[(unit >> shift) & 0xF];
    }
  }
  return bytes;
}
