#include "system/program_command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramCommandLine, OnlyAnExeByItsFullPathIsStartedDirectly) {
  for (const wchar_t* file : {L"C:\\Program Files\\Lumetra\\Upgrader.exe", L"d:\\t\\7za.EXE",
                              L"\\\\server\\share\\setup.exe"})
    EXPECT_TRUE(IsFullProgramPath(file)) << file;
  // A bare or relative name would be looked up; a document needs the shell.
  for (const wchar_t* file : {L"7za.exe", L"Temp\\7za.exe", L"\\Temp\\7za.exe", L"C:7za.exe",
                              L"C:\\Temp\\readme.txt", L"C:\\Temp\\a.exe\\", L"C:\\\"x\".exe", L""})
    EXPECT_FALSE(IsFullProgramPath(file)) << file;
}

TEST(ProgramCommandLine, ThePathIsQuotedSoBlanksCannotSplitIt) {
  EXPECT_EQ(ProgramCommandLine(L"C:\\Program Files\\Lumetra\\Upgrader.exe", L"top left \"t\" Corvane"),
            L"\"C:\\Program Files\\Lumetra\\Upgrader.exe\" top left \"t\" Corvane");
  EXPECT_EQ(ProgramCommandLine(L"C:\\T\\a.exe", L""), L"\"C:\\T\\a.exe\"");
}

}  // namespace
