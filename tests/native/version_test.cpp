#include "config/version.h"

#include <gtest/gtest.h>

namespace {

void ExpectVersion(const wchar_t* text, int major, int minor, int build, int revision) {
  const VersionNumber v = ParseVersion(text);
  EXPECT_EQ(v.major, major) << text;
  EXPECT_EQ(v.minor, minor) << text;
  EXPECT_EQ(v.build, build) << text;
  EXPECT_EQ(v.revision, revision) << text;
}

TEST(Version, ParsesLikeTheFormattedScan) {
  ExpectVersion(L"1.25.0.30", 1, 25, 0, 30);
  ExpectVersion(L"1.2", 1, 2, 0, 0);
  ExpectVersion(L"1.2.3.4.5", 1, 2, 3, 4);
  ExpectVersion(L"", 0, 0, 0, 0);
  ExpectVersion(L"v1.2.3.4", 0, 0, 0, 0);
  ExpectVersion(L" 1. 2.\t3.4", 1, 2, 3, 4);  // blanks before a number are skipped
  ExpectVersion(L"1 .2.3.4", 1, 0, 0, 0);     // ...but a point must follow at once
  ExpectVersion(L"-1.+2.3x.4", -1, 2, 3, 0);
  ExpectVersion(L"1..2", 1, 0, 0, 0);
  ExpectVersion(L"7.", 7, 0, 0, 0);
}

TEST(Version, HugeNumbersAreClampedNotWrapped) {
  ExpectVersion(L"99999999999999999999999.1", 2147483647, 1, 0, 0);
  ExpectVersion(L"-99999999999.1", -2147483647 - 1, 1, 0, 0);
}

TEST(Version, LowerComparesPartsInOrderAsNumbers) {
  const VersionNumber own = ParseVersion(L"1.25.0.30");
  EXPECT_TRUE(IsVersionLower(own, ParseVersion(L"1.25.0.31")));
  EXPECT_FALSE(IsVersionLower(own, ParseVersion(L"1.25.0.30")));
  EXPECT_FALSE(IsVersionLower(own, ParseVersion(L"1.3.0.0")));  // 25 > 3
  EXPECT_FALSE(IsVersionLower(own, ParseVersion(L"")));
  EXPECT_TRUE(IsVersionLower(own, ParseVersion(L"2")));
  EXPECT_TRUE(IsVersionLower(ParseVersion(L"1.9.0.0"), ParseVersion(L"1.10.0.0")));
  EXPECT_FALSE(IsVersionLower(ParseVersion(L"1.2.0.0"), ParseVersion(L"1.2")));
  EXPECT_TRUE(IsVersionLower(ParseVersion(L"-1"), ParseVersion(L"0")));
}

TEST(Version, OnlyTextsOfNumbersAndPointsReadAsNumbers) {
  const std::optional<VersionNumber> full = ReadVersionNumbers(L"1.25.0.30");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->minor, 25);
  EXPECT_EQ(full->revision, 30);
  ASSERT_TRUE(ReadVersionNumbers(L"2"));
  EXPECT_EQ(ReadVersionNumbers(L"2147483647.1")->major, 2147483647);
  for (const wchar_t* text : {L"", L"v1.2", L"1.2-beta", L"1..2", L"1.2.", L".1", L" 1.2", L"1.2 ",
                              L"-1", L"+1", L"1.2.3.4.5", L"2147483648", L"99999999999999999999"})
    EXPECT_FALSE(ReadVersionNumbers(text)) << text;
}

TEST(Version, OfferIsNewerByNumberElseByDifferentText) {
  EXPECT_TRUE(IsOfferedVersionNewer(L"1.9.0.0", L"1.10.0.0"));
  EXPECT_FALSE(IsOfferedVersionNewer(L"1.10.0.0", L"1.9.0.0"));
  EXPECT_FALSE(IsOfferedVersionNewer(L"1.2.0.0", L"1.2"));
  EXPECT_FALSE(IsOfferedVersionNewer(L"v1.2", L"v1.2"));
  EXPECT_TRUE(IsOfferedVersionNewer(L"v1.2", L"v1.1"));  // different: the offer is taken
  EXPECT_TRUE(IsOfferedVersionNewer(L"1.25.0.30", L"v1.3"));
  EXPECT_TRUE(IsOfferedVersionNewer(L"", L"1.0.0.0"));
  EXPECT_FALSE(IsOfferedVersionNewer(L"1.25.0.30", L""));
  EXPECT_FALSE(IsOfferedVersionNewer(L"", L""));
}

}  // namespace
