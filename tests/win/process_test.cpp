#include "system/process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "win/system_test_support.h"

namespace {

using system_test::FixturePath;
using system_test::ScratchFolder;
using system_test::StartedProcess;
using system_test::WaitUntil;

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The fixture copied under a name of the test's own, so that no other process of the
// shared prefix can match it.
std::wstring CopyOfFixture(const std::wstring& folder, const wchar_t* name) {
  const std::wstring copy = folder + L"\\" + name;
  EXPECT_TRUE(CopyFileW(FixturePath(L"exit_after").c_str(), copy.c_str(), FALSE)) << name;
  return copy;
}

}  // namespace

TEST(RunProgram, WaitsForTheProgramAndIgnoresItsNonZeroExitCode) {
  const std::wstring folder = ScratchFolder("run-wait");
  const std::wstring marker = folder + L"\\ended";
  // The marker is written right before the exit: it is there only if RunProgram waited.
  EXPECT_TRUE(
      RunProgram(SW_HIDE, true, folder, FixturePath(L"exit_after"), L"3 700 \"" + marker + L"\""));
  EXPECT_TRUE(Exists(marker));
}

TEST(RunProgram, WithoutWaitingReturnsWhileTheProgramStillRuns) {
  const std::wstring folder = ScratchFolder("run-nowait");
  const std::wstring marker = folder + L"\\ended";
  EXPECT_TRUE(RunProgram(SW_HIDE, false, folder, FixturePath(L"exit_after"),
                         L"0 1500 \"" + marker + L"\""));
  EXPECT_FALSE(Exists(marker));
  EXPECT_TRUE(WaitUntil(15000, [&] { return Exists(marker); }));
}

// A cancel ends an extractor pass that is still running, and one that starts after it; a
// program never lent is not touched.
TEST(RunProgramForExitCode, StopAllEndsTheProgramsLentAndEveryOneLentLater) {
  const std::wstring folder = ScratchFolder("run-stoppable");
  const std::wstring marker = folder + L"\\ended";
  StoppablePrograms stoppable;
  std::atomic<bool> returned{false};
  std::optional<unsigned long> code;
  std::thread waiting([&] {
    code = RunProgramForExitCode(SW_HIDE, folder, FixturePath(L"exit_after"),
                                 L"0 60000 \"" + marker + L"\"", &stoppable);
    returned = true;
  });
  Sleep(1000);  // started and lent by now, or lent right after StopAll (ended then too)
  stoppable.StopAll();
  EXPECT_TRUE(WaitUntil(20000, [&] { return returned.load(); })) << "the program was not ended";
  waiting.join();
  EXPECT_EQ(code.value_or(99), 1u);
  EXPECT_FALSE(Exists(marker));

  EXPECT_EQ(RunProgramForExitCode(SW_HIDE, folder, FixturePath(L"exit_after"), L"0 60000",
                                  &stoppable)
                .value_or(99),
            1u);
  EXPECT_EQ(RunProgramForExitCode(SW_HIDE, folder, FixturePath(L"exit_after"), L"7").value_or(99), 7u);
}

TEST(RunProgram, AProgramThatCannotStartGivesFalseAtOnce) {
  const std::wstring folder = ScratchFolder("run-missing");
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(RunProgram(SW_HIDE, true, folder, folder + L"\\no such program.exe", L"/q"));
  // No error box waits for someone to close it.
  EXPECT_LT(GetTickCount64() - start, 5000u);
}

TEST(ProcessNames, AreMatchedWithoutRegardToCaseButOnlyAsAWholeName) {
  const std::wstring folder = ScratchFolder("names");
  StartedProcess exact(CopyOfFixture(folder, L"H5NameProbe.exe"), L"0 60000");
  StartedProcess longer(CopyOfFixture(folder, L"H5NameProbe.exe.bak"), L"0 60000");
  StartedProcess onlyLonger(CopyOfFixture(folder, L"H5LongerOnly.exe.bak"), L"0 60000");
  ASSERT_TRUE(exact.started() && longer.started() && onlyLonger.started());

  EXPECT_TRUE(IsProcessRunning(L"H5NAMEPROBE.EXE"));
  EXPECT_EQ(FindProcessId(L"h5nameprobe.exe"), exact.id());
  EXPECT_EQ(FindProcessId(L"H5NameProbe.exe.BAK"), longer.id());

  // Lumetra.exe.bak is not Lumetra.exe, nor is a prefix of a name the name.
  EXPECT_FALSE(IsProcessRunning(L"H5LongerOnly.exe"));
  EXPECT_EQ(FindProcessId(L"H5LongerOnly.exe"), 0u);
  EXPECT_EQ(FindProcessId(L"H5NameProbe"), 0u);
  EXPECT_EQ(FindProcessId(L""), 0u);
  EXPECT_FALSE(IsProcessRunning(L""));
}

TEST(KillProcessesByPath, WithNoSuchProcessIsTrueWithoutWaiting) {
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(KillProcessesByPath(L"C:\\nowhere\\H5NothingRunsUnderThisName.exe"));
  EXPECT_LT(GetTickCount64() - start, 1000u);
}

// Only the program at that path ends: the same program file under the same name in
// another folder (another installation, another vendor's program) runs on.
TEST(KillProcessesByPath, LetsAProcessEndWithinTheGraceTerminatesOneThatDoesNotAndSparesOthers) {
  const std::wstring folder = ScratchFolder("kill");
  const std::wstring elsewhere = ScratchFolder("kill-elsewhere");
  const std::wstring exe = CopyOfFixture(folder, L"H5KillProbe.exe");
  const std::wstring other = CopyOfFixture(elsewhere, L"H5KillProbe.exe");
  StartedProcess quick(exe, L"7 1000");
  StartedProcess stubborn(exe, L"0 600000");
  StartedProcess bystander(other, L"0 600000");
  ASSERT_TRUE(quick.started() && stubborn.started() && bystander.started());

  const ULONGLONG start = GetTickCount64();
  std::wstring differentCase = exe;
  CharUpperBuffW(differentCase.data(), static_cast<DWORD>(differentCase.size()));
  EXPECT_TRUE(KillProcessesByPath(differentCase));
  const ULONGLONG elapsed = GetTickCount64() - start;

  ASSERT_TRUE(quick.WaitForEnd(0) && stubborn.WaitForEnd(0));
  EXPECT_EQ(quick.ExitCode(), 7u);     // ended on its own within the 3 s
  EXPECT_EQ(stubborn.ExitCode(), 1u);  // terminated after its 3 s
  EXPECT_FALSE(bystander.WaitForEnd(0)) << "a program elsewhere was ended";
  EXPECT_GE(elapsed, 2900u);
  EXPECT_LT(elapsed, 15000u);
  EXPECT_TRUE(KillProcessesByPath(other));
}
