#include "system/user_folder_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "system/held_files.h"
#include "win/system_test_support.h"
#include "win/win_test_support.h"

using system_test::MakeLink;
using system_test::ScratchFolder;
using test_support::ReadFileBytes;
using test_support::WriteFileBytes;

// The hand-over copy lies in the user's Downloads: whatever was planted under its name (a
// hard link, a link) never has its own file written, and only a copy made fresh is taken.
TEST(CopyToFreshFile, NeverWritesThroughAHardLinkOrALinkPlantedAsTheTarget) {
  std::string linuxScratch;
  const std::wstring scratch = ScratchFolder("fresh-copy", &linuxScratch);
  const std::wstring source = scratch + L"\\new.exe", victim = scratch + L"\\victim.dll";
  ASSERT_TRUE(WriteFileBytes(source, "the new installer"));
  ASSERT_TRUE(WriteFileBytes(victim, "precious"));

  const std::wstring hardLinked = scratch + L"\\hard.exe";
  ASSERT_TRUE(CreateHardLinkW(hardLinked.c_str(), victim.c_str(), nullptr));
  EXPECT_TRUE(CopyToFreshFile(source, hardLinked));
  EXPECT_EQ(ReadFileBytes(hardLinked), "the new installer");
  EXPECT_EQ(ReadFileBytes(victim), "precious");

  const std::wstring linked = scratch + L"\\link.exe";
  REQUIRE_FIXTURE(MakeLink(linked, linuxScratch + "/link.exe", victim,
                           linuxScratch + "/victim.dll", false),
                  "this platform lets the test make no file link");
  // Where the platform can remove the link itself, the copy takes its place; where it
  // resolves the link whatever is asked (Wine), the copy is refused.
  const bool copied = CopyToFreshFile(source, linked);
  EXPECT_EQ(ReadFileBytes(victim), "precious");
  if (copied) {
    EXPECT_EQ(ReadFileBytes(linked), "the new installer");
  } else {
    EXPECT_TRUE(system_test::RunningUnderWine());
  }
}

TEST(IsHeldCopyOf, TakesOnlyAnUnchangedCopyAndHoldsIt) {
  const std::wstring scratch = ScratchFolder("held-copy");
  const std::wstring original = scratch + L"\\LumetraSetup.exe";
  const std::wstring copy = scratch + L"\\copy.exe";
  std::string bytes(300000, 'x');
  bytes[123456] = 'y';
  ASSERT_TRUE(WriteFileBytes(original, bytes));
  ASSERT_TRUE(CopyToFreshFile(original, copy));
  {
    HeldFiles held;
    EXPECT_TRUE(IsHeldCopyOf(original, copy, held));
    // Held: nobody changes what is about to start.
    EXPECT_FALSE(WriteFileBytes(copy, "swapped"));
  }
  // Changed after the copy, even by one byte of the same length: refused.
  bytes[123456] = 'z';
  ASSERT_TRUE(WriteFileBytes(copy, bytes));
  HeldFiles held;
  EXPECT_FALSE(IsHeldCopyOf(original, copy, held));
}
