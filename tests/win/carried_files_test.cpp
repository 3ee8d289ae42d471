#include "system/carried_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "carried_file_paths.h"
#include "system/process.h"
#include "win/system_test_support.h"
#include "win/win_test_support.h"

namespace {

namespace fs = std::filesystem;
using system_test::FixturePath;
using system_test::ScratchFolder;
using system_test::FromLinuxPath;
using test_support::PathExists;
using test_support::ReadFileBytes;
using test_support::WriteFileBytes;

// Every file under `root` by its relative path, with its bytes; folders as "<dir>".
std::map<std::wstring, std::string> TreeContents(const std::wstring& root) {
  std::map<std::wstring, std::string> contents;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::wstring relative = fs::relative(entry.path(), root).wstring();
    contents[relative] = entry.is_directory() ? "<dir>" : ReadFileBytes(entry.path().wstring());
  }
  return contents;
}

// Bytes that differ at every offset, so a misplaced block shows.
std::string PatternBytes(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned state = seed * 2654435761u + 1;
  for (char& byte : bytes) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<char>(state >> 24);
  }
  return bytes;
}

// A tree with nested and empty folders, a blank in a name, an empty file, a file that
// compresses well, one that does not, and a Windows program (7z filters those).
void MakeOriginalTree(const std::wstring& root) {
  for (const wchar_t* folder : {L"", L"\\bin", L"\\data", L"\\data\\deep folder", L"\\empty"})
    ASSERT_TRUE(CreateDirectoryW((root + folder).c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(root + L"\\readme.txt", std::string(50000, 'r') + "end"));
  ASSERT_TRUE(WriteFileBytes(root + L"\\data\\noise.bin", PatternBytes(300000, 7)));
  ASSERT_TRUE(WriteFileBytes(root + L"\\data\\deep folder\\zero.dat", ""));
  ASSERT_TRUE(WriteFileBytes(root + L"\\data\\deep folder\\small.txt", "small"));
  ASSERT_TRUE(
      CopyFileW(FixturePath(L"exit_after").c_str(), (root + L"\\bin\\Lumetra.exe").c_str(), FALSE));
}

// Has the Linux 7zz make an archive of `linuxFolder`; it appears under its name only
// once complete.
bool MakeArchiveOnLinux(const std::string& type, const std::string& linuxArchive,
                        const std::string& linuxFolder) {
  if (!PathExists(L"Z:\\usr\\bin\\7zz")) return false;
  const std::string partial = linuxArchive + ".partial";
  return system_test::RunLinuxCommand("7zz a -bd -bso0 -t" + type + " '" + partial + "' '" +
                                          linuxFolder + "' && mv '" + partial + "' '" +
                                          linuxArchive + "'",
                                      FromLinuxPath(linuxArchive), 60000);
}

void ExpectExtractedAsOriginal(const std::string& type) {
  std::string linuxScratch;
  const std::wstring scratch = ScratchFolder("extractor-" + type, &linuxScratch);
  const std::wstring original = scratch + L"\\package";
  MakeOriginalTree(original);
  const std::string linuxArchive = linuxScratch + "/package." + type;
  REQUIRE_FIXTURE(MakeArchiveOnLinux(type, linuxArchive, linuxScratch + "/package"),
                  "no Linux 7zz to make the archive with (scripts/bootstrap.sh installs 7zip)");

  const std::wstring work = scratch + L"\\work";
  ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr));
  const std::wstring extractor = work + L"\\7za.exe";
  ASSERT_TRUE(ExtractFileResource(IDR_FILE_7ZA, extractor));
  const std::wstring parameters = L"x \"" + FromLinuxPath(linuxArchive) + L"\" -aoa";

  ASSERT_TRUE(RunProgram(SW_HIDE, true, work, extractor, parameters));
  ASSERT_TRUE(PathExists(work + L"\\package")) << "nothing extracted from package." << type;
  EXPECT_EQ(TreeContents(work + L"\\package"), TreeContents(original));

  // Again over changed files: -aoa overwrites without asking.
  ASSERT_TRUE(WriteFileBytes(work + L"\\package\\readme.txt", "changed"));
  ASSERT_TRUE(RunProgram(SW_HIDE, true, work, extractor, parameters));
  EXPECT_EQ(TreeContents(work + L"\\package"), TreeContents(original));
}

}  // namespace

TEST(ExtractFileResource, ReplacesAnExistingFileWithTheCarriedBytes) {
  const std::wstring folder = ScratchFolder("extract");
  const std::wstring font = folder + L"\\Roboto-Regular.ttf";
  ASSERT_TRUE(WriteFileBytes(font, std::string(400000, 'x')));  // longer than the font

  ASSERT_TRUE(ExtractFileResource(IDR_FILE_PRODUCT_FONT, font));
  const std::string carried = ReadFileBytes(FromLinuxPath(LUMETRA_PRODUCT_FONT_FILE));
  ASSERT_FALSE(carried.empty());
  EXPECT_TRUE(ReadFileBytes(font) == carried);

  const std::wstring extractor = folder + L"\\7za.exe";
  ASSERT_TRUE(ExtractFileResource(IDR_FILE_7ZA, extractor));
  EXPECT_TRUE(ReadFileBytes(extractor) == ReadFileBytes(FromLinuxPath(LUMETRA_7ZA_FILE)));
}

TEST(ExtractFileResource, FailsIntoAMissingFolderAndForAMissingResource) {
  const std::wstring folder = ScratchFolder("extract-fail");
  EXPECT_FALSE(ExtractFileResource(IDR_FILE_7ZA, folder + L"\\missing\\7za.exe"));
  EXPECT_FALSE(PathExists(folder + L"\\missing"));
  EXPECT_FALSE(ExtractFileResource(4711, folder + L"\\nothing.bin"));
  EXPECT_FALSE(PathExists(folder + L"\\nothing.bin"));
}

TEST(CarriedExtractor, ExtractsAZipArchiveIntoTheWorkingFolder) {
  ExpectExtractedAsOriginal("zip");
}

TEST(CarriedExtractor, ExtractsA7zArchiveIntoTheWorkingFolder) { ExpectExtractedAsOriginal("7z"); }

TEST(CarriedFiles, OnlyTheExactBytesMatchTheCarriedExtractor) {
  const std::wstring path = ScratchFolder("carried-match") + L"\\7za.exe";
  ASSERT_TRUE(ExtractFileResource(IDR_FILE_7ZA, path));
  EXPECT_TRUE(FileMatchesResource(IDR_FILE_7ZA, path));
  std::string bytes = ReadFileBytes(path);
  bytes.back() ^= 1;
  ASSERT_TRUE(WriteFileBytes(path, bytes));
  EXPECT_FALSE(FileMatchesResource(IDR_FILE_7ZA, path));
  bytes.pop_back();
  ASSERT_TRUE(WriteFileBytes(path, bytes));
  EXPECT_FALSE(FileMatchesResource(IDR_FILE_7ZA, path));
  EXPECT_FALSE(FileMatchesResource(IDR_FILE_7ZA, path + L".missing"));
}
