#include "system/folder_tree.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win/system_test_support.h"
#include "win/win_test_support.h"

namespace {

using system_test::ScratchFolder;
using system_test::FromLinuxPath;
using system_test::IsLink;
using system_test::MakeLink;
using test_support::PathExists;
using test_support::ReadFileBytes;
using test_support::WriteFileBytes;

// tree\a\b\c\deep.txt, tree\a\readonly.txt (read-only), tree\top.txt, an empty folder.
void MakeNestedTree(const std::wstring& tree) {
  CreateDirectoryW(tree.c_str(), nullptr);
  for (const wchar_t* sub : {L"\\a", L"\\a\\b", L"\\a\\b\\c", L"\\empty"})
    ASSERT_TRUE(CreateDirectoryW((tree + sub).c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(tree + L"\\a\\b\\c\\deep.txt", "deep"));
  ASSERT_TRUE(WriteFileBytes(tree + L"\\a\\readonly.txt", "kept from writes"));
  ASSERT_TRUE(SetFileAttributesW((tree + L"\\a\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(WriteFileBytes(tree + L"\\top.txt", "top"));
}

// Wine resolves Linux symbolic links even through a handle opened on the link, so there
// the links cannot be removed and stay behind, harmless; on Windows they are removed.
void ExpectLinkRemovedWherePossible(const std::wstring& link) {
  if (system_test::RunningUnderWine()) {
    EXPECT_TRUE(!PathExists(link) || IsLink(link));
  } else {
    EXPECT_FALSE(PathExists(link));
  }
}

}  // namespace

TEST(DeleteFolderTree, RemovesNestedFoldersAndReadOnlyFiles) {
  const std::wstring tree = ScratchFolder("tree-nested") + L"\\Lumetra";
  MakeNestedTree(tree);
  DeleteFolderTree(tree);
  EXPECT_FALSE(PathExists(tree));
  EXPECT_TRUE(PathExists(tree.substr(0, tree.rfind(L'\\'))));  // the parent stays
}

TEST(DeleteFolderTree, RemovesTheTreeWhenThePathEndsInABackslash) {
  const std::wstring tree = ScratchFolder("tree-backslash") + L"\\Lumetra";
  MakeNestedTree(tree);
  DeleteFolderTree(tree + L"\\");
  EXPECT_FALSE(PathExists(tree));
}

TEST(DeleteFolderTree, LeavesPathsOfThreeCharactersOrFewerAlone) {
  // Relative paths, so that a fault could only reach the scratch folder, never a drive.
  const std::wstring scratch = ScratchFolder("tree-short");
  ASSERT_TRUE(CreateDirectoryW((scratch + L"\\xy").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(scratch + L"\\xy\\file.txt", "stays"));
  ASSERT_TRUE(WriteFileBytes(scratch + L"\\z.txt", "stays"));
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(scratch.c_str()));

  DeleteFolderTree(L"xy");
  DeleteFolderTree(L"xy\\");
  DeleteFolderTree(L".");
  DeleteFolderTree(L".\\");
  DeleteFolderTree(L"");
  SetCurrentDirectoryW(previous);

  EXPECT_EQ(ReadFileBytes(scratch + L"\\xy\\file.txt"), "stays");
  EXPECT_EQ(ReadFileBytes(scratch + L"\\z.txt"), "stays");
}

TEST(DeleteFolderTree, RemovesLinksInsideTheTreeButNothingOutsideIt) {
  std::string linuxScratch;
  const std::wstring scratch = ScratchFolder("tree-link", &linuxScratch);
  const std::wstring outside = scratch + L"\\outside";
  ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(outside + L"\\precious.txt", "precious"));
  ASSERT_TRUE(WriteFileBytes(scratch + L"\\single.txt", "single"));
  const std::wstring tree = scratch + L"\\tree";
  MakeNestedTree(tree);
  const std::wstring folderLink = tree + L"\\a\\folder-link";
  REQUIRE_FIXTURE(MakeLink(folderLink, linuxScratch + "/tree/a/folder-link", outside,
                           linuxScratch + "/outside", true),
                  "this platform lets the test make no folder link");
  // Wine shows a Linux link to a file as the file itself, where a plain delete would
  // delete the file it leads to.
  const std::wstring fileLink = tree + L"\\a\\b\\file-link.txt";
  const bool withFileLink = MakeLink(fileLink, linuxScratch + "/tree/a/b/file-link.txt",
                                     scratch + L"\\single.txt", linuxScratch + "/single.txt",
                                     false);

  DeleteFolderTree(tree);

  EXPECT_EQ(ReadFileBytes(outside + L"\\precious.txt"), "precious");
  EXPECT_EQ(ReadFileBytes(scratch + L"\\single.txt"), "single");
  ExpectLinkRemovedWherePossible(folderLink);
  // Under Wine the file link stays behind, harmless (what it leads to is checked above).
  if (withFileLink && !system_test::RunningUnderWine()) {
    EXPECT_FALSE(PathExists(fileLink));
  }
  // Everything that is not a link, or does not hold one, is gone.
  EXPECT_FALSE(PathExists(tree + L"\\a\\b\\c"));
  EXPECT_FALSE(PathExists(tree + L"\\a\\readonly.txt"));
  EXPECT_FALSE(PathExists(tree + L"\\top.txt"));
  EXPECT_FALSE(PathExists(tree + L"\\empty"));
  if (!system_test::RunningUnderWine()) {
    EXPECT_FALSE(PathExists(tree));
  }
}

TEST(DeleteFolderTree, GivenALinkLeavesItsTargetAlone) {
  std::string linuxScratch;
  const std::wstring scratch = ScratchFolder("tree-self-link", &linuxScratch);
  const std::wstring outside = scratch + L"\\outside";
  ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(outside + L"\\precious.txt", "precious"));
  const std::wstring link = scratch + L"\\link";
  REQUIRE_FIXTURE(MakeLink(link, linuxScratch + "/link", outside, linuxScratch + "/outside", true),
                  "this platform lets the test make no folder link");

  DeleteFolderTree(link + L"\\");
  DeleteFolderTree(link);

  EXPECT_EQ(ReadFileBytes(outside + L"\\precious.txt"), "precious");
  ExpectLinkRemovedWherePossible(link);
}
