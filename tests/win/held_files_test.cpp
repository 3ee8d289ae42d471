#include "system/held_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "system/process.h"
#include "win/system_test_support.h"

namespace {

using system_test::FixturePath;
using system_test::ScratchFolder;

std::string Bytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Another process tries to put `replacement` in the place of `target`, to remove it and
// to rename it away, as something watching the Temp folder might.
void TryToSwapFromAnotherProcess(const std::wstring& replacement, const std::wstring& target) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring command = L"/c copy /y \"" + replacement + L"\" \"" + target + L"\" & del /f \"" +
                               target + L"\" & move /y \"" + target + L"\" \"" + target + L".old\"";
  ASSERT_TRUE(RunProgramForExitCode(SW_HIDE, L"", std::wstring(system) + L"\\cmd.exe", command));
}

}  // namespace

TEST(HeldFiles, ACheckedProgramCannotBeSwappedBeforeItRunsAndWhatRunsIsIt) {
  const std::wstring folder = ScratchFolder("held");
  const std::wstring checked = folder + L"\\setup.exe", impostor = folder + L"\\impostor.exe";
  ASSERT_TRUE(CopyFileW(FixturePath(L"exit_after").c_str(), checked.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(FixturePath(L"record_launch").c_str(), impostor.c_str(), FALSE));
  const std::string checkedBytes = Bytes(checked);

  HeldFiles held;
  ASSERT_TRUE(held.Hold(checked));
  TryToSwapFromAnotherProcess(impostor, checked);
  EXPECT_EQ(Bytes(checked), checkedBytes);
  EXPECT_EQ(GetFileAttributesW((checked + L".old").c_str()), INVALID_FILE_ATTRIBUTES);
  // Held, it still starts: the program that runs is the checked one (it ends with the
  // exit code it is given; the impostor would not).
  EXPECT_EQ(RunProgramForExitCode(SW_HIDE, folder, checked, L"7 0"), 7u);

  // Let go, the same attempt goes through: the hold was what stopped it.
  held.ReleaseAll();
  TryToSwapFromAnotherProcess(impostor, checked);
  EXPECT_NE(Bytes(checked), checkedBytes);
}

TEST(HeldFiles, AFileOpenForWritingElsewhereCannotBeHeld) {
  const std::wstring path = ScratchFolder("held-busy") + L"\\busy.exe";
  ScopedHandle writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer.valid());
  HeldFiles held;
  EXPECT_FALSE(held.Hold(path));
  EXPECT_FALSE(held.Hold(path + L".missing"));
  writer.reset();
  EXPECT_TRUE(held.Hold(path));
}
