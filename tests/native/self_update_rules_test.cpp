#include <gtest/gtest.h>

#include "workflow/retry_delay.h"
#include "workflow/self_update_rules.h"

TEST(SelfUpdateRules, OnlyAFileNewerInsideReplacesTheRunningInstaller) {
  EXPECT_TRUE(DownloadedInstallerIsNewer(L"1.25.0.30", L"1.25.0.31"));
  EXPECT_TRUE(DownloadedInstallerIsNewer(L"1.9.0.0", L"1.10.0.0"));
  EXPECT_FALSE(DownloadedInstallerIsNewer(L"1.25.0.30", L"1.25.0.30"));  // the same installer again
  EXPECT_FALSE(DownloadedInstallerIsNewer(L"1.25.0.30", L"1.3.0.0"));
  EXPECT_FALSE(DownloadedInstallerIsNewer(L"1.25.0.30", L""));   // no version block
  EXPECT_FALSE(DownloadedInstallerIsNewer(L"", L"1.25.0.31"));   // own version unknown
}

TEST(RetryDelay, GrowsFromOneSecondToAMinuteWithJitterBelowTheStep) {
  const uint32_t ceilings[] = {1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000};
  for (int attempt = 1; attempt <= 8; ++attempt) {
    const uint32_t ceiling = ceilings[attempt - 1];
    EXPECT_EQ(RetryDelayMs(attempt, 0), ceiling) << attempt;
    for (uint32_t random : {1u, 77u, 12345u, 0xFFFFFFFFu}) {
      const uint32_t delay = RetryDelayMs(attempt, random);
      EXPECT_LE(delay, ceiling) << attempt;
      EXPECT_GE(delay, ceiling - ceiling / 5) << attempt;
    }
  }
  EXPECT_NE(RetryDelayMs(3, 1), RetryDelayMs(3, 2));
  // Endless repeats stay at a minute; nonsense attempts wait the first step.
  EXPECT_EQ(RetryDelayMs(1000000, 0), 60000u);
  EXPECT_EQ(RetryDelayMs(0, 0), 1000u);
  EXPECT_EQ(RetryDelayMs(-5, 0), 1000u);
}
