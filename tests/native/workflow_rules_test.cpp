#include <gtest/gtest.h>

#include "workflow/fetch_rules.h"
#include "workflow/override_file.h"
#include "workflow/start_parameters.h"
#include "workflow/swap_paths.h"

TEST(OverrideFile, NoFileOrNoKeyKeepsTheDefaults) {
  EXPECT_FALSE(ReadApplicationUpdateUrl(L""));
  EXPECT_FALSE(ReadWebConnectTimeout(L""));
  EXPECT_FALSE(ReadApplicationUpdateUrl(L"{\"Other\": \"x\"}"));
}

TEST(OverrideFile, ReadsBothKeysOfATwoLineObject) {
  const wchar_t* text =
      L"{ \"ApplicationUpdate\" : \"http://127.0.0.1:8080/update_win.ini\",\r\n"
      L"  \"WebConnectTimeout\" : 30000 }\r\n";
  EXPECT_EQ(ReadApplicationUpdateUrl(text), L"http://127.0.0.1:8080/update_win.ini");
  EXPECT_EQ(ReadWebConnectTimeout(text), 30000);
}

TEST(OverrideFile, AKeyAtTheVeryStartDoesNotCount) {
  EXPECT_FALSE(ReadApplicationUpdateUrl(L"\"ApplicationUpdate\":\"http://a/b.ini\""));
  EXPECT_FALSE(ReadWebConnectTimeout(L"\"WebConnectTimeout\":5000\r\n"));
}

TEST(OverrideFile, UrlNeedsAColonBeforeAndAValueBetweenTheQuotes) {
  EXPECT_FALSE(ReadApplicationUpdateUrl(L"{\"ApplicationUpdate\"\"http://a/b.ini\"}"));
  EXPECT_FALSE(ReadApplicationUpdateUrl(L"{\"ApplicationUpdate\":\"\"}"));
  EXPECT_FALSE(ReadApplicationUpdateUrl(L"{\"ApplicationUpdate\":\"http://a/b.ini"));
}

TEST(OverrideFile, BlanksAndLineBreaksInsideTheUrlAreDropped) {
  EXPECT_EQ(ReadApplicationUpdateUrl(L"{\"ApplicationUpdate\":\"http://a/ b\r\n.ini\"}"),
            L"http://a/b.ini");
}

TEST(OverrideFile, TimeoutAsLastTextWithoutLineBreakReadsAsZero) {
  EXPECT_EQ(ReadWebConnectTimeout(L"{\r\n\"WebConnectTimeout\": 30000"), 0);
  EXPECT_EQ(ReadWebConnectTimeout(L"{\n\"WebConnectTimeout\": 30000\n}"), 0);
}

TEST(OverrideFile, TimeoutIgnoresBlanksAndCommasAndStopsAtTheFirstNonDigit) {
  EXPECT_EQ(ReadWebConnectTimeout(L"{\"WebConnectTimeout\": 30 000,\r\n}"), 30000);
  EXPECT_EQ(ReadWebConnectTimeout(L"{\"WebConnectTimeout\":1,500}\r\n"), 1500);
  EXPECT_EQ(ReadWebConnectTimeout(L"{\"WebConnectTimeout\":abc\r\n"), 0);
}

TEST(OverrideFile, TimeoutsOutsideOneSecondToTenMinutesFallBackToTheDefault) {
  for (int ms : {1000, 30000, 600000}) EXPECT_EQ(UsableWebConnectTimeout(ms), ms);
  for (int ms : {INT32_MIN, -1, 0, 999, 600001, INT32_MAX})
    EXPECT_EQ(UsableWebConnectTimeout(ms), 60000) << ms;
  EXPECT_EQ(UsableWebConnectTimeout(std::nullopt), 60000);
}

TEST(StartParameters, CarryPositionMarkerAndMaker) {
  std::tm time{};
  time.tm_year = 125;
  time.tm_mon = 4;
  time.tm_mday = 3;
  time.tm_hour = 10;
  time.tm_min = 5;
  time.tm_sec = 9;
  EXPECT_EQ(FormatStartTime(time), L"\"05/03/2025 10:05:09\"");
  EXPECT_EQ(FormatStartParameters(120, 340, FormatStartTime(time)),
            L"120 340 \"05/03/2025 10:05:09\" Corvane");
  EXPECT_EQ(FormatStartParameters(120, 340, L"0"), L"120 340 0 Corvane");
}

TEST(FetchRules, AFileIsFetchedOnlyWhenNeededAndFullyDescribed) {
  const PackageInfo complete{L"http://a/p.7z", L"0123456789abcdef0123456789abcdef", L"1.0.0.1",
                             L"all", 1, 42};
  EXPECT_TRUE(IsToBeFetched(complete));
  PackageInfo package = complete;
  package.needed = 0;
  EXPECT_FALSE(IsToBeFetched(package));
  package = complete;
  package.url.clear();
  EXPECT_FALSE(IsToBeFetched(package));
  package = complete;
  package.md5.clear();
  EXPECT_FALSE(IsToBeFetched(package));
  package = complete;
  package.size = 0;
  EXPECT_FALSE(IsToBeFetched(package));
}

TEST(SwapPaths, SiblingsInTheSameParentWhateverTheTrailingBackslashes) {
  for (const wchar_t* folder : {L"D:\\Apps\\Lumetra", L"D:\\Apps\\Lumetra\\\\"}) {
    const SwapPaths paths = SwapPathsFor(folder);
    EXPECT_EQ(paths.installed, L"D:\\Apps\\Lumetra");
    EXPECT_EQ(paths.parent, L"D:\\Apps");
    EXPECT_EQ(paths.fresh, L"D:\\Apps\\Lumetra.new");
    EXPECT_EQ(paths.aside, L"D:\\Apps\\Lumetra.old");
  }
  EXPECT_EQ(SwapPathsFor(L"C:\\Lumetra").parent, L"C:\\");
}

// A drive root has no siblings: ".new" beside C:\ would be "C:.new", a name relative to
// the drive's current folder.
TEST(SwapPaths, NoSiblingsWithoutAParentFolder) {
  for (const wchar_t* folder : {L"", L"C:", L"C:\\", L"Lumetra", L"\\Lumetra", L"C:\\a\\..",
                                L"C:\\a\\.", L"\\\\?\\C:"}) {
    const SwapPaths paths = SwapPathsFor(folder);
    EXPECT_TRUE(paths.installed.empty() && paths.parent.empty() && paths.fresh.empty() &&
                paths.aside.empty())
        << folder;
  }
}
