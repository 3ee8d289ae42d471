#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "base/unique_handle.h"
#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "system/integration_paths.h"
#include "system/run_at_startup.h"
#include "system/shortcuts.h"
#include "win/system_test_support.h"
#include "win/win_test_support.h"

namespace {

using system_test::FixturePath;
using system_test::ScratchFolder;
using test_support::PathExists;
using test_support::ReadFileBytes;
using test_support::RoamingFolder;
using test_support::WriteFileBytes;

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring SpecialFolderForTest(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
  return path;
}

// The target a saved shortcut points to, read back through the shell.
std::wstring ShortcutTarget(const std::wstring& linkPath) {
  std::wstring target;
  if (FAILED(CoInitialize(nullptr))) return target;
  {
    ScopedComPtr<IShellLinkW> link;
    ScopedComPtr<IPersistFile> file;
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(link.receive()))) &&
        SUCCEEDED(link.get()->QueryInterface(IID_IPersistFile,
                                             reinterpret_cast<void**>(file.receive()))) &&
        SUCCEEDED(file.get()->Load(linkPath.c_str(), STGM_READ)) &&
        SUCCEEDED(link.get()->GetPath(path, MAX_PATH, nullptr, 0)))
      target = path;
  }
  CoUninitialize();
  return target;
}

}  // namespace

TEST(RunAtStartup, StoresTheQuotedPathFollowedByWinStart) {
  const std::wstring exe = L"C:\\Program Files (x86)\\Lumetra\\Lumetra.exe";
  ASSERT_TRUE(SetRunAtStartup(exe));

  wchar_t data[512] = {};
  DWORD bytes = sizeof(data);
  DWORD type = 0;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Lumetra", RRF_RT_ANY | RRF_NOEXPAND, &type,
                         data, &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(data), L"\"C:\\Program Files (x86)\\Lumetra\\Lumetra.exe\" /WinStart");
  EXPECT_EQ(bytes, (wcslen(data) + 1) * sizeof(wchar_t));  // the terminating null included

  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Lumetra");
}

TEST(ProductShortcuts, AreSavedOnThePublicDesktopAndCopiedIntoTheStartMenu) {
  const std::wstring folder = ScratchFolder("shortcut-target");
  const std::wstring target = folder + L"\\Lumetra.exe";
  ASSERT_TRUE(CopyFileW(FixturePath(L"exit_after").c_str(), target.c_str(), FALSE));
  DeleteProductShortcuts();

  EXPECT_TRUE(CreateProductShortcut(target));

  const std::wstring desktopLink = GetPublicDesktopLinkPath();
  const std::wstring startMenuLink = GetStartMenuLinkPath();
  EXPECT_EQ(startMenuLink, SpecialFolderForTest(CSIDL_COMMON_PROGRAMS) + L"\\Lumetra.lnk");
  ASSERT_TRUE(PathExists(desktopLink)) << desktopLink;
  ASSERT_TRUE(PathExists(startMenuLink)) << startMenuLink;
  EXPECT_EQ(ReadFileBytes(startMenuLink), ReadFileBytes(desktopLink));
  EXPECT_EQ(CompareStringOrdinal(ShortcutTarget(desktopLink).c_str(), -1, target.c_str(), -1, TRUE),
            CSTR_EQUAL)
      << ShortcutTarget(desktopLink);

  DeleteProductShortcuts();
  EXPECT_FALSE(PathExists(desktopLink));
  EXPECT_FALSE(PathExists(startMenuLink));
}

TEST(ProductShortcuts, DeletingRemovesThePerUserOnesTooAndMissingOnesAreNoFault) {
  const std::wstring userDesktopLink = GetDesktopLinkPath();
  const std::wstring userStartMenuLink = PerUserStartMenuLinkPath(RoamingFolder());
  ASSERT_TRUE(CreateFolderPath(userStartMenuLink.substr(0, userStartMenuLink.rfind(L'\\'))));
  ASSERT_TRUE(WriteFileBytes(userDesktopLink, "old link"));
  ASSERT_TRUE(WriteFileBytes(userStartMenuLink, "old link"));

  DeleteProductShortcuts();
  EXPECT_FALSE(PathExists(userDesktopLink));
  EXPECT_FALSE(PathExists(userStartMenuLink));

  DeleteProductShortcuts();  // nothing left to delete
  DeleteStartMenuLinks();
  EXPECT_FALSE(PathExists(GetPublicDesktopLinkPath()));
}

TEST(MakerAppDataFolder, IsRemovedAsATreeAndItsPathReturned) {
  const std::wstring maker = RoamingFolder() + L"\\Corvane";
  ASSERT_TRUE(CreateFolderPath(maker + L"\\Vexa\\cache"));
  ASSERT_TRUE(WriteFileBytes(maker + L"\\Vexa\\cache\\data.bin", "data"));

  EXPECT_EQ(RemoveMakerAppDataFolder(), maker);
  EXPECT_FALSE(PathExists(maker));
}
