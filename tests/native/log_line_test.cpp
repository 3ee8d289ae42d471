#include "system/log_line.h"

#include <gtest/gtest.h>

#include "base/wide_string.h"

namespace {
std::tm May1st2024At130709() {
  std::tm time{};
  time.tm_year = 124;
  time.tm_mon = 4;
  time.tm_mday = 1;
  time.tm_hour = 13;
  time.tm_min = 7;
  time.tm_sec = 9;
  return time;
}
}  // namespace

TEST(LogLine, HasTimestampSeparatorMessageAndCrLf) {
  const std::wstring message =
      FormatWide(L"ProcessUser: %ls, LogonUser: %ls", L"user1", L"user1");
  const std::string bytes =
      EncodeLogBytes(ComposeLogLine(FormatLogTimestamp(May1st2024At130709()), message));
  EXPECT_EQ(bytes, "2024-05-01, 13:07:09 - ProcessUser: user1, LogonUser: user1\r\n");
}

TEST(LogLine, APercentInAnArgumentIsWrittenUnchanged) {
  const std::wstring message = FormatWide(L"%ls", L"C:\\100%\\setup%d%s.exe");
  EXPECT_EQ(EncodeLogBytes(message), "C:\\100%\\setup%d%s.exe");
}

TEST(LogLine, LatinOneIsOneByteAndWiderCharactersAreEscaped) {
  EXPECT_EQ(EncodeLogBytes(L"Jos\u00e9"), "Jos\xe9");
  EXPECT_EQ(EncodeLogBytes(L"user \u4e2d\u6587"), "user \\u4E2D\\u6587");
}

TEST(LogLine, EveryLineFeedBecomesCrLf) {
  EXPECT_EQ(EncodeLogBytes(L"a\nb\n"), "a\r\nb\r\n");
}

TEST(FormatWide, LongTextsAreNotCut) {
  const std::wstring longArgument(5000, L'x');
  EXPECT_EQ(FormatWide(L"[%ls] %d", longArgument.c_str(), 42), L"[" + longArgument + L"] 42");
}

TEST(LogLine, ControlCharactersInTheMessageCannotStartALineOfTheirOwn) {
  EXPECT_EQ(ComposeLogLine(L"T", L"a\r\n2024-05-01, 13:07:09 - forged\tb\x7f"),
            L"T - a\\u000D\\u000A2024-05-01, 13:07:09 - forged\\u0009b\\u007F\n");
}
