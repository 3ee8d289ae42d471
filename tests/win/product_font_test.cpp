#include "system/product_font.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "carried_file_paths.h"
#include "system/folder_set.h"
#include "win/system_test_support.h"
#include "win/win_test_support.h"

namespace {

using system_test::FromLinuxPath;
using test_support::PathExists;
using test_support::ReadFileBytes;
using test_support::RoamingFolder;

constexpr wchar_t kFontsKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr wchar_t kValueName[] = L"Roboto-Regular (TrueType)";

std::wstring InstalledFontPath() {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  return std::wstring(windows) + L"\\Fonts\\Roboto-Regular.ttf";
}

std::wstring ExtractedFontPath() { return GetTempFolder() + L"\\Roboto-Regular.ttf"; }

// Leaves the machine as it was before the font was ever installed.
void UninstallFont() {
  const std::wstring installed = InstalledFontPath();
  while (RemoveFontResourceW(installed.c_str())) {
  }
  DeleteFileW(installed.c_str());
  DeleteFileW(ExtractedFontPath().c_str());
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kFontsKey, kValueName);
}

std::string LastLogLine() {
  const std::string log = ReadFileBytes(RoamingFolder() + L"\\Lumetra\\Log\\Install.log");
  const size_t end = log.rfind("\r\n");
  if (end == std::string::npos) return std::string();
  const size_t start = log.rfind("\r\n", end == 0 ? 0 : end - 1);
  return log.substr(start == std::string::npos ? 0 : start + 2,
                    end - (start == std::string::npos ? 0 : start + 2));
}

}  // namespace

TEST(InstallProductFont, CopiesAndRegistersTheFontOnceAndAfterwardsOnlyLogsThatItIsThere) {
  UninstallFont();
  const std::string carried = ReadFileBytes(FromLinuxPath(LUMETRA_PRODUCT_FONT_FILE));
  ASSERT_FALSE(carried.empty());
  // The font is extracted into the working folder, which the installer makes at start-up;
  // an earlier test may have removed it since, as every installation does.
  ASSERT_TRUE(system_test::RemakeWorkingFolder());

  InstallProductFont();
  EXPECT_TRUE(ReadFileBytes(InstalledFontPath()) == carried);
  wchar_t value[MAX_PATH] = {};
  DWORD bytes = sizeof(value);
  DWORD type = 0;
  EXPECT_EQ(
      RegGetValueW(HKEY_LOCAL_MACHINE, kFontsKey, kValueName, RRF_RT_ANY, &type, value, &bytes),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(value), L"Roboto-Regular.ttf");
  EXPECT_TRUE(PathExists(ExtractedFontPath()));  // the first start keeps its copy

  // A later start finds the font in place: one log line, the extracted copy removed.
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kFontsKey, kValueName);
  InstallProductFont();
  EXPECT_NE(LastLogLine().find(" - Font installed"), std::string::npos) << LastLogLine();
  EXPECT_FALSE(PathExists(ExtractedFontPath()));
  EXPECT_TRUE(ReadFileBytes(InstalledFontPath()) == carried);
  EXPECT_NE(RegGetValueW(HKEY_LOCAL_MACHINE, kFontsKey, kValueName, RRF_RT_ANY, nullptr, nullptr,
                         nullptr),
            ERROR_SUCCESS);  // nothing else changed

  UninstallFont();
}
