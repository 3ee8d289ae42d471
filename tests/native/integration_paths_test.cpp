#include "system/integration_paths.h"

#include <gtest/gtest.h>

TEST(IntegrationPaths, RunValueIsTheQuotedPathABlankAndWinStart) {
  EXPECT_EQ(RunAtStartupCommand(L"C:\\Program Files (x86)\\Lumetra\\Lumetra.exe"),
            L"\"C:\\Program Files (x86)\\Lumetra\\Lumetra.exe\" /WinStart");
  // A path with a percent sign is data, not a format.
  EXPECT_EQ(RunAtStartupCommand(L"D:\\100%s\\Lumetra.exe"),
            L"\"D:\\100%s\\Lumetra.exe\" /WinStart");
}

TEST(IntegrationPaths, ShortcutAndMakerPathsAndNeverARootPathForAMissingFolder) {
  EXPECT_EQ(ProductLinkPath(L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"),
            L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Lumetra.lnk");
  EXPECT_EQ(PerUserStartMenuLinkPath(L"C:\\Users\\ann\\AppData\\Roaming"),
            L"C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\"
            L"Lumetra.lnk");
  EXPECT_EQ(MakerAppDataFolder(L"C:\\Users\\ann\\AppData\\Roaming"),
            L"C:\\Users\\ann\\AppData\\Roaming\\Corvane");
  EXPECT_EQ(ProductLinkPath(L""), L"");
  EXPECT_EQ(PerUserStartMenuLinkPath(L""), L"");
  EXPECT_EQ(MakerAppDataFolder(L""), L"");
}

TEST(IntegrationPaths, TreesOfThreeCharactersOrFewerAreNeverDeleted) {
  for (const wchar_t* path : {L"", L"C", L"C:", L"C:\\", L"ab\\"})
    EXPECT_TRUE(IsTooShortToDeleteAsTree(path)) << path;
  EXPECT_FALSE(IsTooShortToDeleteAsTree(L"C:\\a"));
}

TEST(IntegrationPaths, SearchPatternAddsOneBackslashOnlyWhenMissing) {
  EXPECT_EQ(FolderSearchPattern(L"D:\\Data\\Lumetra"), L"D:\\Data\\Lumetra\\*.*");
  EXPECT_EQ(FolderSearchPattern(L"D:\\Data\\Lumetra\\"), L"D:\\Data\\Lumetra\\*.*");
}

TEST(IntegrationPaths, FontFileNameAndTarget) {
  EXPECT_EQ(FileNameOfPath(L"C:\\Users\\ann\\AppData\\Roaming\\Lumetra\\Temp\\Roboto-Regular.ttf"),
            L"Roboto-Regular.ttf");
  EXPECT_EQ(FileNameOfPath(L"Roboto-Regular.ttf"), L"Roboto-Regular.ttf");
  EXPECT_EQ(FileNameOfPath(L"C:\\Temp\\"), L"");
  EXPECT_EQ(FontTargetPath(L"C:\\Windows", L"Roboto-Regular.ttf"),
            L"C:\\Windows\\Fonts\\Roboto-Regular.ttf");
}

TEST(ProductFolder, OnlyAFolderNamedLikeTheProductCounts) {
  for (const wchar_t* path : {L"C:\\Program Files\\Lumetra", L"D:\\apps\\LUMETRA\\", L"Lumetra"})
    EXPECT_TRUE(IsNamedLikeProductFolder(path)) << path;
  for (const wchar_t* path : {L"C:\\Users\\x\\Documents", L"C:\\Lumetra\\sub", L"C:\\Lumetra2",
                              L"C:\\Lumetr", L"", L"\\"})
    EXPECT_FALSE(IsNamedLikeProductFolder(path)) << path;
}
