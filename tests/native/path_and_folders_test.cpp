#include <gtest/gtest.h>

#include "base/path_util.h"
#include "system/user_folders.h"

TEST(ModulePath, SplitsAtTheLastBackslash) {
  ModulePathParts parts;
  ASSERT_TRUE(SplitModulePath(L"C:\\Users\\u\\Downloads\\LumetraSetup.exe", parts));
  EXPECT_EQ(parts.folder, L"C:\\Users\\u\\Downloads");
  EXPECT_EQ(parts.name, L"LumetraSetup.exe");
}

TEST(ModulePath, WithoutAUsableBackslashLeavesThePartsAlone) {
  ModulePathParts parts{L"keep", L"these"};
  EXPECT_FALSE(SplitModulePath(L"LumetraSetup.exe", parts));
  EXPECT_FALSE(SplitModulePath(L"\\LumetraSetup.exe", parts));
  EXPECT_EQ(parts.folder, L"keep");
  EXPECT_EQ(parts.name, L"these");
}

TEST(AppendProductFolder, AddsOneProductSegment) {
  EXPECT_EQ(AppendProductFolder(L"C:\\"), L"C:\\Lumetra");
  EXPECT_EQ(AppendProductFolder(L"D:\\Apps"), L"D:\\Apps\\Lumetra");
  EXPECT_EQ(AppendProductFolder(L"D:\\Apps\\"), L"D:\\Apps\\Lumetra");
}

TEST(PrefixesBeforeBackslashes, WalksEveryParentOfAPath) {
  using Prefixes = std::vector<std::wstring>;
  EXPECT_EQ(PrefixesBeforeBackslashes(L"C:\\a\\b\\c"), (Prefixes{L"C:", L"C:\\a", L"C:\\a\\b"}));
  EXPECT_EQ(PrefixesBeforeBackslashes(L"C:\\a\\b\\c\\"),
            (Prefixes{L"C:", L"C:\\a", L"C:\\a\\b", L"C:\\a\\b\\c"}));
  EXPECT_EQ(PrefixesBeforeBackslashes(L"\\x"), (Prefixes{L""}));
}

namespace {
UserFolderPaths AdminFolders() {
  return BuildUserFolderPaths(L"C:\\Users\\admin1\\Downloads",
                              L"C:\\Users\\admin1\\AppData\\Roaming", L"C:\\Users\\Public\\Desktop",
                              L"C:\\Users\\admin1\\Desktop");
}
}  // namespace

TEST(UserFolders, AreBuiltUnderTheProductFolder) {
  const UserFolderPaths paths = AdminFolders();
  EXPECT_EQ(paths.appData, L"C:\\Users\\admin1\\AppData\\Roaming\\Lumetra");
  EXPECT_EQ(paths.temp, L"C:\\Users\\admin1\\AppData\\Roaming\\Lumetra\\Temp");
  EXPECT_EQ(paths.log, L"C:\\Users\\admin1\\AppData\\Roaming\\Lumetra\\Log");
  EXPECT_EQ(paths.modules, L"C:\\Users\\admin1\\AppData\\Roaming\\Lumetra\\Modules");
  EXPECT_EQ(paths.publicDesktopLink, L"C:\\Users\\Public\\Desktop\\Lumetra.lnk");
  EXPECT_EQ(paths.desktopLink, L"C:\\Users\\admin1\\Desktop\\Lumetra.lnk");
}

TEST(UserFolders, AMissingShellFolderLeavesOnlyTheProductSegments) {
  const UserFolderPaths paths = BuildUserFolderPaths(L"", L"", L"", L"");
  EXPECT_EQ(paths.temp, L"\\Lumetra\\Temp");
  EXPECT_EQ(paths.download, L"");
}

TEST(UserFolders, MoveToTheConsoleUserButKeepThePublicDesktop) {
  UserFolderPaths paths = AdminFolders();
  ASSERT_TRUE(IsConsoleUserDifferent(L"admin1", L"user1"));
  MoveToConsoleUser(paths, L"admin1", L"user1");
  EXPECT_EQ(paths.download, L"C:\\Users\\user1\\Downloads");
  EXPECT_EQ(paths.temp, L"C:\\Users\\user1\\AppData\\Roaming\\Lumetra\\Temp");
  EXPECT_EQ(paths.log, L"C:\\Users\\user1\\AppData\\Roaming\\Lumetra\\Log");
  EXPECT_EQ(paths.modules, L"C:\\Users\\user1\\AppData\\Roaming\\Lumetra\\Modules");
  EXPECT_EQ(paths.desktopLink, L"C:\\Users\\user1\\Desktop\\Lumetra.lnk");
  EXPECT_EQ(paths.publicDesktopLink, L"C:\\Users\\Public\\Desktop\\Lumetra.lnk");
}

TEST(UserFolders, SameUserInOtherCaseOrNobodyAtTheConsoleIsNoReplacement) {
  EXPECT_FALSE(IsConsoleUserDifferent(L"USER1", L"user1"));
  EXPECT_FALSE(IsConsoleUserDifferent(L"admin1", L""));
}

TEST(UserFolders, OnlyAnExactUserSegmentIsReplaced) {
  UserFolderPaths paths = BuildUserFolderPaths(L"C:\\Users\\user1.DOMAIN\\Downloads",
                                               L"C:\\Users\\ADMIN1\\AppData\\Roaming", L"", L"");
  MoveToConsoleUser(paths, L"user1", L"user2");
  EXPECT_EQ(paths.download, L"C:\\Users\\user1.DOMAIN\\Downloads");
  MoveToConsoleUser(paths, L"admin1", L"user2");
  EXPECT_EQ(paths.appData, L"C:\\Users\\ADMIN1\\AppData\\Roaming\\Lumetra");
}
