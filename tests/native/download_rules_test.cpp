#include "download/download_rules.h"

#include <gtest/gtest.h>

TEST(DownloadUrl, SplitsSchemeHostPortAndObject) {
  auto parts = SplitHttpUrl(L"http://127.0.0.1:8080/support/update_win.ini?x=1#top");
  ASSERT_TRUE(parts);
  EXPECT_FALSE(parts->https);
  EXPECT_EQ(parts->host, L"127.0.0.1");
  EXPECT_EQ(parts->port, 8080);
  EXPECT_EQ(parts->object, L"/support/update_win.ini?x=1");

  parts = SplitHttpUrl(L"HTTPS://user:pw@www.corvane.example");
  ASSERT_TRUE(parts);
  EXPECT_TRUE(parts->https);
  EXPECT_EQ(parts->host, L"www.corvane.example");
  EXPECT_EQ(parts->port, 443);
  EXPECT_EQ(parts->object, L"/");

  parts = SplitHttpUrl(L"http://[::1]:81?q");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->host, L"[::1]");
  EXPECT_EQ(parts->port, 81);
  EXPECT_EQ(parts->object, L"/?q");
}

TEST(DownloadUrl, RejectsWhatCannotBeFetched) {
  for (const wchar_t* url : {L"", L"ftp://host/file", L"http://", L"http:///file",
                             L"http://host:0/f", L"http://host:65536/f", L"http://host:8x/f",
                             L"http://[::1/f", L"C:\\setup.exe", L"http:/host/f"})
    EXPECT_FALSE(SplitHttpUrl(url)) << url;
}

TEST(DownloadUrl, FileNameIsTheLastSegment) {
  EXPECT_EQ(UrlFileName(L"http://h/a/b/Lumetra_1.2.7z"), L"Lumetra_1.2.7z");
  EXPECT_EQ(UrlFileName(L"http://h/a/"), L"");
  EXPECT_EQ(UrlFileName(L"noslash"), L"noslash");
}

TEST(DownloadUrl, SecureFlagFollowsTheSixthCharacter) {
  EXPECT_TRUE(UsesSecureFlag(L"https://h/f"));
  EXPECT_TRUE(UsesSecureFlag(L"HTTPS://h/f"));
  EXPECT_TRUE(UsesSecureFlag(L"abcde://h/f"));  // the rule looks at the position only
  EXPECT_FALSE(UsesSecureFlag(L"http://h/f"));
  EXPECT_FALSE(UsesSecureFlag(L"http://h:443/f"));
  EXPECT_FALSE(UsesSecureFlag(L"nocolon"));
}

TEST(DownloadRange, HeaderTextHasNoBlankAfterTheColon) {
  EXPECT_EQ(RangeHeaderText(1), L"Range:bytes=1-");
  EXPECT_EQ(RangeHeaderText(524288), L"Range:bytes=524288-");
  EXPECT_EQ(RangeHeaderText(2147483647u), L"Range:bytes=2147483647-");
}

TEST(DownloadProgress, ShareIsFlooredAnd64BitWide) {
  EXPECT_EQ(ProgressShare(100, 0, 1000), 0);
  EXPECT_EQ(ProgressShare(100, 9, 1000), 0);
  EXPECT_EQ(ProgressShare(100, 10, 1000), 1);
  EXPECT_EQ(ProgressShare(100, 1000, 1000), 100);
  // span * downloaded overflows 32 bits for any real package.
  EXPECT_EQ(ProgressShare(100, 2000000000u, 2000000000u), 100);
  EXPECT_EQ(ProgressShare(57, 1500000000u, 2000000000u), 42);
  EXPECT_EQ(ProgressShare(100, 5, 0), 0);
  EXPECT_EQ(ProgressShare(0, 5, 10), 0);
}

TEST(DownloadProgress, SmallStepsAreNotReportedButTheEndAlwaysIs) {
  EXPECT_FALSE(ShouldReportChunk(0, 9, 1000));
  EXPECT_TRUE(ShouldReportChunk(1, 10, 1000));
  EXPECT_TRUE(ShouldReportChunk(0, 1000, 1000));  // span 0: only the end
}

TEST(DownloadContentRange, ParsesBothForms) {
  auto range = ParseContentRange(L"bytes 100-199/1000");
  ASSERT_TRUE(range);
  EXPECT_EQ(range->first, 100u);
  EXPECT_EQ(range->last, 199u);
  EXPECT_EQ(range->complete, 1000u);

  range = ParseContentRange(L" Bytes */4096 ");
  ASSERT_TRUE(range);
  EXPECT_FALSE(range->first);
  EXPECT_EQ(range->complete, 4096u);

  range = ParseContentRange(L"bytes 0-9/*");
  ASSERT_TRUE(range);
  EXPECT_FALSE(range->complete);

  for (const wchar_t* bad : {L"", L"bytes", L"items 0-9/10", L"bytes 9-0/10", L"bytes 0-10/10",
                             L"bytes */*", L"bytes x-9/10", L"bytes 0-9", L"bytes -9/10"})
    EXPECT_FALSE(ParseContentRange(bad)) << bad;
}

namespace {

ResponseFacts Facts(uint32_t status, std::optional<uint32_t> length, uint64_t offset,
                    const wchar_t* contentRange = nullptr) {
  ResponseFacts facts;
  facts.status = status;
  facts.contentLength = length;
  facts.rangeOffset = offset;
  if (contentRange) facts.contentRange = ParseContentRange(contentRange);
  return facts;
}

}  // namespace

TEST(DownloadAnswer, PlainAndRangedAnswersThatContinueTheFile) {
  EXPECT_EQ(DecideResponse(Facts(200, 10, 0), true), ResponseAction::kAppend);
  EXPECT_EQ(DecideResponse(Facts(206, 10, 90, L"bytes 90-99/100"), true), ResponseAction::kAppend);
  // A resumed answer needs no length: the total is known.
  EXPECT_EQ(DecideResponse(Facts(206, std::nullopt, 90, L"bytes 90-99/100"), false),
            ResponseAction::kAppend);
}

TEST(DownloadAnswer, StatusesThatAreNotAccepted) {
  ResponseFacts unreadable;
  EXPECT_EQ(DecideResponse(unreadable, true), ResponseAction::kRejectStatus);
  EXPECT_EQ(DecideResponse(Facts(404, 10, 0), true), ResponseAction::kRejectStatus);
  EXPECT_EQ(DecideResponse(Facts(500, 10, 50), false), ResponseAction::kRejectStatus);
  // 206 and 416 mean something only as answers to a Range.
  EXPECT_EQ(DecideResponse(Facts(206, 10, 0, L"bytes 0-9/10"), true),
            ResponseAction::kRejectStatus);
  EXPECT_EQ(DecideResponse(Facts(416, 0, 0, L"bytes */10"), true), ResponseAction::kRejectStatus);
}

TEST(DownloadAnswer, FirstAnswerWithoutUsableLengthIsNotTaken) {
  EXPECT_EQ(DecideResponse(Facts(200, std::nullopt, 0), true), ResponseAction::kNoLength);
  EXPECT_EQ(DecideResponse(Facts(200, 0, 0), true), ResponseAction::kNoLength);
  EXPECT_EQ(DecideResponse(Facts(206, std::nullopt, 5, L"bytes 5-9/10"), true),
            ResponseAction::kNoLength);
  EXPECT_EQ(DecideResponse(Facts(200, std::nullopt, 5), true), ResponseAction::kNoLength);
}

TEST(DownloadAnswer, WholeFileForARangedRequestStartsTheFileOver) {
  EXPECT_EQ(DecideResponse(Facts(200, 100, 40), true), ResponseAction::kRestart);
  EXPECT_EQ(DecideResponse(Facts(200, 100, 40), false), ResponseAction::kRestart);
}

TEST(DownloadAnswer, RangeFromAnotherOffsetIsFetchedAgain) {
  EXPECT_EQ(DecideResponse(Facts(206, 60, 40, L"bytes 0-59/100"), true), ResponseAction::kRefetch);
  EXPECT_EQ(DecideResponse(Facts(206, 50, 40, L"bytes 50-99/100"), false),
            ResponseAction::kRefetch);
  EXPECT_EQ(DecideResponse(Facts(206, 60, 40), true), ResponseAction::kRefetch);  // no range
}

TEST(DownloadAnswer, ResumptionOfAFileThatChangedSizeIsFetchedAgain) {
  ResponseFacts facts = Facts(206, 50, 50, L"bytes 50-99/100");
  facts.expectedTotal = 100;
  EXPECT_EQ(DecideResponse(facts, false), ResponseAction::kAppend);
  facts = Facts(206, 150, 50, L"bytes 50-199/200");
  facts.expectedTotal = 100;
  EXPECT_EQ(DecideResponse(facts, false), ResponseAction::kRefetch);
  facts = Facts(206, 150, 50, L"bytes 50-199/*");  // size not given: nothing to tell
  facts.expectedTotal = 100;
  EXPECT_EQ(DecideResponse(facts, false), ResponseAction::kAppend);
}

TEST(DownloadAnswer, NothingPastTheEndMeansCompleteOnlyAtTheExactLength) {
  EXPECT_EQ(DecideResponse(Facts(416, 0, 100, L"bytes */100"), true), ResponseAction::kComplete);
  EXPECT_EQ(DecideResponse(Facts(416, 0, 100, L"bytes */100"), false), ResponseAction::kComplete);
  EXPECT_EQ(DecideResponse(Facts(416, 0, 120, L"bytes */100"), true), ResponseAction::kRefetch);
  EXPECT_EQ(DecideResponse(Facts(416, 0, 100), true), ResponseAction::kRefetch);
}

TEST(DownloadResume, GivesUpAfterResumptionsThatBringNothingNew) {
  ResumeBudget budget(100);
  for (int i = 0; i < kMaxResumesWithoutProgress; ++i) EXPECT_TRUE(budget.AllowResume(100)) << i;
  EXPECT_FALSE(budget.AllowResume(100));
}

TEST(DownloadResume, ProgressRenewsTheBudget) {
  ResumeBudget budget(0);
  for (uint64_t length = 10; length < 1000; length += 10) EXPECT_TRUE(budget.AllowResume(length));
  EXPECT_TRUE(budget.AllowResume(990));
  EXPECT_TRUE(budget.AllowResume(990));
  EXPECT_TRUE(budget.AllowResume(990));
  EXPECT_TRUE(budget.AllowResume(1000));  // a new byte resets the count
  EXPECT_TRUE(budget.AllowResume(1000));
}

TEST(DownloadResume, RestartsThatNeverGetFurtherAreBounded) {
  // A server that answers every resumption with the whole file and drops it at 500
  // bytes: the file keeps growing back to 500 but never past it.
  ResumeBudget budget(0);
  EXPECT_TRUE(budget.AllowResume(500));
  int allowed = 0;
  while (budget.AllowResume(500) && allowed < 100) ++allowed;
  EXPECT_EQ(allowed, kMaxResumesWithoutProgress);
}

TEST(DownloadTotal, AContinuationKeepsTheTotalAnAnswerFromTheFirstByteSetsIt) {
  // First answers: the length after what the file holds.
  EXPECT_EQ(ExpectedTotal(ResponseAction::kAppend, Facts(200, 100, 0), 0, std::nullopt), 100u);
  EXPECT_EQ(ExpectedTotal(ResponseAction::kAppend, Facts(206, 60, 40, L"bytes 40-99/100"), 40,
                          std::nullopt), 100u);
  EXPECT_EQ(ExpectedTotal(ResponseAction::kComplete, Facts(416, 0, 100, L"bytes */100"), 100,
                          std::nullopt), 100u);
  // A resumption that continues the file: what was expected stands.
  EXPECT_EQ(ExpectedTotal(ResponseAction::kAppend, Facts(206, std::nullopt, 40, L"bytes 40-99/100"),
                          40, 100u), 100u);
  // The file changed between attempts: after a refetch (a 206 from another offset, or a
  // 416 with another total) the plain answer's length is the file's.
  EXPECT_EQ(ExpectedTotal(ResponseAction::kAppend, Facts(200, 70, 0), 0, 100u), 70u);
  EXPECT_EQ(ExpectedTotal(ResponseAction::kRestart, Facts(200, 130, 40), 0, 100u), 130u);
  // A 416 at the file's end does not overrule an announced length: a short answer fails.
  EXPECT_EQ(ExpectedTotal(ResponseAction::kComplete, Facts(416, 0, 80, L"bytes */80"), 80, 100u),
            100u);
  // No usable length: the earlier word stands.
  EXPECT_EQ(ExpectedTotal(ResponseAction::kAppend, Facts(200, std::nullopt, 0), 0, 100u), 100u);
  EXPECT_EQ(ExpectedTotal(ResponseAction::kRestart, Facts(200, 0, 40), 0, 100u), 100u);
  EXPECT_EQ(ExpectedTotal(ResponseAction::kRefetch, Facts(206, 60, 40, L"bytes 0-59/100"), 40,
                          100u), 100u);
}
