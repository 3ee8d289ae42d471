// The kit's INI reader against the Windows profile functions on odd files: every value and
// number must come out the same, or the kit would decide otherwise than the installer.
#include "config/ini_text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "win/win_test_support.h"

namespace {

struct Case {
  const char* name;
  std::string text;
};

std::vector<Case> Corpus() {
  return {
      {"no_trailing_break", "[A]\r\nURL=http://127.0.0.1/a.7z\r\nBytes=12"},
      {"duplicate_keys", "[A]\nURL=first\nurl=second\nBytes=1\nBYTES=2\n"},
      {"duplicate_sections", "[A]\nURL=first\n[B]\nX=1\n[a]\nURL=second\nVersion=2.0\n"},
      {"utf8_bom", "\xEF\xBB\xBF[A]\r\nURL=bom\r\n"},
      {"long_value", "[A]\r\nURL=" + std::string(300, 'u') + "\r\nVersion=\"" + std::string(258, 'q') + "\"\r\n"},
      {"comments", "; [A]\r\n[A]\r\n;URL=commented\r\nURL=x ; not a comment\r\n# Bytes=9\r\nBytes=9\r\n"},
      {"blanks_and_quotes", "  [A]  \r\n  URL  =  'quoted'  \r\nVersion=\"1.2\r\nMD5=\"\r\nX = a=b\r\n"},
      {"numbers", "[A]\nBytes= +42abc\nNeeded=-1\nBig=99999999999\nHex=0x10\nEmpty=\n"},
      {"lone_cr_and_blank_lines", "[A]\rURL=cr\r\r\n\n[B]\rBytes=7\r"},
      {"no_section", "URL=orphan\n[A]\nURL=mine\n[C\nVersion=3\n"},
  };
}

const std::vector<std::pair<std::wstring, std::wstring>> kQueries = {
    {L"A", L"URL"}, {L"a", L"url"}, {L"A", L"Version"}, {L"A", L"Bytes"}, {L"A", L"MD5"},
    {L"A", L"X"},   {L"A", L"Needed"}, {L"A", L"Big"},  {L"A", L"Hex"},    {L"A", L"Empty"},
    {L"B", L"Bytes"}, {L"B", L"X"}, {L" A ", L" URL "}, {L"C", L"Version"}, {L"[C", L"Version"},
    {L"A", L";URL"}, {L"A", L"# Bytes"}};

TEST(IniReaderAgreementTest, KitReaderGivesWhatTheProfileFunctionsGive) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"lumetra_ini_" + std::to_wstring(GetCurrentProcessId());
  std::filesystem::create_directories(std::filesystem::path(folder));
  for (const Case& c : Corpus()) {
    const std::wstring path = folder + L"\\" + WidenUtf8(c.name) + L".ini";
    ASSERT_TRUE(test_support::WriteFileBytes(path, c.text));
    const IniText kit = IniText::Parse(c.text);
    for (const auto& [section, key] : kQueries) {
      wchar_t buffer[MAX_PATH] = {};
      GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer, MAX_PATH, path.c_str());
      EXPECT_EQ(kit.ReadString(section, key), std::wstring(buffer))
          << c.name << " [" << NarrowUtf8(section) << "] " << NarrowUtf8(key);
      const int windows = static_cast<int>(GetPrivateProfileIntW(section.c_str(), key.c_str(), 0, path.c_str()));
      EXPECT_EQ(kit.ReadInt(section, key), windows < 0 ? 0 : windows)
          << c.name << " [" << NarrowUtf8(section) << "] " << NarrowUtf8(key) << " as a number";
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(folder), ignored);
}

}  // namespace
