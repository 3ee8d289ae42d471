#include "app/command_line.h"

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
