#include "config/release_freshness.h"

#include <gtest/gtest.h>

namespace {

constexpr CalendarDate kToday{2026, 12, 10};

Freshness Judge(const wchar_t* serial, const wchar_t* expires,
                std::optional<uint64_t> highest = std::nullopt) {
  return JudgeFreshness(serial, expires, highest, kToday).freshness;
}

}  // namespace

TEST(ReleaseFreshness, ALowerSerialIsAReplayAnEqualOneIsTheSameRelease) {
  EXPECT_EQ(Judge(L"20261201120000", L"2027-01-01", 20261201120001u), Freshness::kReplayed);
  EXPECT_EQ(Judge(L"20261201120000", L"2027-01-01", 20261201120000u), Freshness::kFresh);
  EXPECT_EQ(Judge(L"20261201120001", L"2027-01-01", 20261201120000u), Freshness::kFresh);
  EXPECT_EQ(Judge(L"1", L"2027-01-01"), Freshness::kFresh);  // nothing accepted yet
  // Compared as numbers, not as texts.
  EXPECT_EQ(Judge(L"10", L"2027-01-01", 9u), Freshness::kFresh);
  const FreshnessVerdict verdict = JudgeFreshness(L"18446744073709551615", L"2027-01-01", {}, kToday);
  EXPECT_EQ(verdict.freshness, Freshness::kMalformed);  // 20 digits do not fit the store
  EXPECT_EQ(JudgeFreshness(L"9999999999999999999", L"2027-01-01", {}, kToday).serial,
            9999999999999999999u);
}

TEST(ReleaseFreshness, UsableUpToAndIncludingItsLastDay) {
  EXPECT_EQ(Judge(L"5", L"2026-12-10"), Freshness::kFresh);
  EXPECT_EQ(Judge(L"5", L"2026-12-09"), Freshness::kExpired);
  EXPECT_EQ(Judge(L"5", L"2025-12-31"), Freshness::kExpired);
  EXPECT_EQ(Judge(L"5", L"2027-01-01"), Freshness::kFresh);
  // A replay is named as such even when it has expired too.
  EXPECT_EQ(Judge(L"4", L"2020-01-01", 5u), Freshness::kReplayed);
}

TEST(ReleaseFreshness, MissingOrMalformedValuesAreRefused) {
  EXPECT_EQ(Judge(L"", L"2027-01-01"), Freshness::kMissing);
  EXPECT_EQ(Judge(L"5", L""), Freshness::kMissing);
  for (const wchar_t* serial : {L"-5", L"+5", L" 5", L"5a", L"0x10", L"1.5"})
    EXPECT_EQ(Judge(serial, L"2027-01-01"), Freshness::kMalformed) << serial;
  for (const wchar_t* expires :
       {L"2027-1-01", L"2027/01/01", L"2027-13-01", L"2027-02-29", L"2027-04-31", L"27-01-01",
        L"2027-01-01x", L"never"})
    EXPECT_EQ(Judge(L"5", expires), Freshness::kMalformed) << expires;
  EXPECT_EQ(Judge(L"5", L"2028-02-29"), Freshness::kFresh);  // a leap day
  EXPECT_EQ(FormatDate({2027, 3, 9}), L"2027-03-09");
}
