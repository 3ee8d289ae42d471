#include "app/command_line.h"
#include "app/switches.h"

#include <gtest/gtest.h>

TEST(CommandLine, ShortCommandLinesAreOrdinaryStarts) {
  EXPECT_EQ(ClassifyCommandLine(L""), StartForm::kOrdinary);
  EXPECT_EQ(ClassifyCommandLine(L"u"), StartForm::kOrdinary);
  EXPECT_EQ(ClassifyCommandLine(L"7"), StartForm::kOrdinary);
}

TEST(CommandLine, LowerCaseUStartsTheHandOverAnythingElseIsAPosition) {
  EXPECT_EQ(ClassifyCommandLine(L"u 120 340"), StartForm::kHandOver);
  EXPECT_EQ(ClassifyCommandLine(L"U 120 340"), StartForm::kPosition);
  EXPECT_EQ(ClassifyCommandLine(L"120 340"), StartForm::kPosition);
  EXPECT_EQ(HandOverParameters(L"u 120 340"), L"120 340");
  EXPECT_EQ(HandOverParameters(L"u "), L"");
}

TEST(CommandLine, HandOverTargetIsTheNameWithoutTmpCaseSensitive) {
  EXPECT_EQ(HandOverTargetName(L"tmpSetup.exe"), L"Setup.exe");
  EXPECT_EQ(HandOverTargetName(L"tmpLumetraSetup.exe"), L"LumetraSetup.exe");
  EXPECT_FALSE(HandOverTargetName(L"Setup.exe"));
  EXPECT_FALSE(HandOverTargetName(L"TMPSetup.exe"));
  EXPECT_FALSE(HandOverTargetName(L"tmp"));
  EXPECT_EQ(HandOverTargetName(L"tmpa"), L"a");
  EXPECT_EQ(LeftoverCopyPath(L"D:\\Dl", L"Setup.exe"), L"D:\\Dl\\tmpSetup.exe");
}

TEST(CommandLine, PositionReadsTopThenLeft) {
  const WindowPosition position = ParsePosition(L"120 340");
  EXPECT_EQ(position.top, 120);
  EXPECT_EQ(position.left, 340);
}

TEST(CommandLine, PositionWithoutUsableBlankOrNumbersIsZero) {
  for (const wchar_t* text : {L" 120 340", L"120", L"abc xyz", L"99999999999 5"}) {
    const WindowPosition position = ParsePosition(text);
    EXPECT_EQ(position.top, 0) << text;
    EXPECT_EQ(position.left, 0) << text;
  }
}

TEST(CommandLine, PositionReadingStopsAtTheFirstNonDigit) {
  const WindowPosition position = ParsePosition(L"12px 34,5");
  EXPECT_EQ(position.top, 12);
  EXPECT_EQ(position.left, 34);
  EXPECT_EQ(ParsePosition(L"abc 340").left, 340);
  EXPECT_EQ(ParsePosition(L"abc 340").top, 0);
}

// The installer's own forms never begin with "/", and nothing that does is read as one.
TEST(CommandLine, SlashStartsTheSwitchesAndOnlyTheSwitches) {
  for (const wchar_t* line : {L"/quiet", L"/?", L"/", L"/quiet /acceptlicence", L"/ 10 20"})
    EXPECT_EQ(ClassifyCommandLine(line), StartForm::kSwitches) << line;
  EXPECT_EQ(ClassifyCommandLine(L"u 10 20"), StartForm::kHandOver);
  EXPECT_EQ(ClassifyCommandLine(L"10 20"), StartForm::kPosition);
  EXPECT_EQ(ClassifyCommandLine(L" /quiet"), StartForm::kPosition);  // as it always was
  EXPECT_FALSE(ReadSwitches(L"u 10 20").switches);
  EXPECT_FALSE(ReadSwitches(L"10 20").switches);
}

TEST(Switches, ReadWithTheirValuesQuotedOrNot) {
  const SwitchReading reading = ReadSwitches(
      L"/QUIET /AcceptLicence /wait=45 /dir=\"C:\\Program Files\\Ünïcödé 程序\" /log=C:\\l.txt");
  ASSERT_TRUE(reading.switches) << reading.problem;
  const UnattendedSwitches& s = *reading.switches;
  EXPECT_TRUE(s.quiet && s.acceptLicence && !s.help && !s.noSelfUpdate);
  EXPECT_EQ(s.waitSeconds, 45u);
  EXPECT_EQ(s.dir, L"C:\\Program Files\\Ünïcödé 程序");
  EXPECT_EQ(s.log, L"C:\\l.txt");

  // What a self-update hands on reads back as the same, and forbids a further update.
  const SwitchReading handed = ReadSwitches(SwitchesForNewInstaller(s));
  ASSERT_TRUE(handed.switches) << handed.problem;
  EXPECT_TRUE(handed.switches->noSelfUpdate && handed.switches->acceptLicence);
  EXPECT_EQ(handed.switches->dir, s.dir);
  EXPECT_EQ(handed.switches->log, s.log);
  EXPECT_EQ(handed.switches->waitSeconds, 45u);

  EXPECT_TRUE(ReadSwitches(L"/?").switches->help);
  EXPECT_TRUE(ReadSwitches(L"/help").switches->help);
  EXPECT_EQ(ReadSwitches(L"/quiet").switches->waitSeconds, 300u);
  EXPECT_FALSE(ReadSwitches(L"/quiet").switches->acceptLicence);  // refused later, with its own line
}

TEST(Switches, AnythingUnknownOrMalformedIsRefused) {
  for (const wchar_t* line :
       {L"/", L"/quiet /acceptlicence /wait=0", L"/quiet /wait=-5", L"/quiet /wait=ten",
        L"/quiet /wait=86401", L"/quiet /wait", L"/quiet /dir=", L"/quiet /dir=\"C:\\open",
        L"/quiet=yes", L"/quiet /silent", L"/quiet extra", L"/acceptlicence", L"/dir=C:\\x"})
    EXPECT_FALSE(ReadSwitches(line).switches) << line;
  EXPECT_EQ(ReadSwitches(L"/quiet /silent").problem, L"unknown switch: /silent");
}
