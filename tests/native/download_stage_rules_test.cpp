#include <gtest/gtest.h>

#include <vector>

#include "workflow/download_stage_rules.h"

namespace {
constexpr uint64_t kMB = 1000 * 1000;
}

TEST(DownloadShares, ThreeFilesShareTheBarAndRoundingFallsToThePackage) {
  const DownloadShares all = ComputeDownloadShares(200 * kMB, 60 * kMB, 14 * kMB);
  EXPECT_EQ((std::vector<int>{all.nfStart, all.nfPart, all.vcStart, all.vcPart, all.pkStart,
                              all.pkPart}),
            (std::vector<int>{0, 30, 30, 7, 37, 63}));
  // Sizes in the GB range: the products need 64 bits.
  const DownloadShares big = ComputeDownloadShares(3'000'000'000u, 1'000'000'000, 1'000'000'000);
  EXPECT_EQ(big.nfPart, 33);
  EXPECT_EQ(big.pkStart, 66);
  EXPECT_EQ(big.pkPart, 34);
}

TEST(DownloadShares, OnlyThePackageTakesTheWholeBar) {
  const DownloadShares only = ComputeDownloadShares(126 * kMB, 0, 0);
  EXPECT_EQ((std::vector<int>{only.nfPart, only.vcStart, only.vcPart, only.pkStart, only.pkPart}),
            (std::vector<int>{0, 0, 0, 0, 100}));
}

TEST(DownloadShares, SizesOutsideTheTotalNeverPushTheBarPastItsEnd) {
  // A prerequisite not fetched but given a size: its part is cut so the package keeps >= 0.
  const DownloadShares odd = ComputeDownloadShares(10, 30, 30);
  EXPECT_EQ(odd.nfPart, 100);
  EXPECT_EQ(odd.vcPart, 0);
  EXPECT_EQ(odd.pkStart, 100);
  EXPECT_EQ(odd.pkPart, 0);
  EXPECT_EQ(ComputeDownloadShares(0, 5, 5).pkPart, 100);
}

TEST(SafeDownloadFileName, PlainNamesPassAndQueryOrFragmentIsCutOff) {
  EXPECT_EQ(SafeDownloadFileName(L"http://h/dl/Lumetra_2.0.7z"), L"Lumetra_2.0.7z");
  EXPECT_EQ(SafeDownloadFileName(L"http://h/dl/pkg.7z?token=a/b&x=1"), L"pkg.7z");
  EXPECT_EQ(SafeDownloadFileName(L"http://h/dl/ndp.exe#part"), L"ndp.exe");
  EXPECT_EQ(SafeDownloadFileName(L"http://h/dl/no-extension"), L"no-extension");
}

TEST(SafeDownloadFileName, NamesThatCouldLeaveTheTempFolderOrAreNoFileAreRefused) {
  for (const wchar_t* url :
       {L"http://h/dl/..\\..\\Windows\\evil.exe", L"http://h/dl/C:evil.exe", L"http://h/dl/..",
        L"http://h/dl/.", L"http://h/dl/a..b.7z", L"http://h/dl/", L"http://h/dl/?x=pkg.7z",
        L"http://h/dl/a<b.7z", L"http://h/dl/a|b", L"http://h/dl/a\"b", L"http://h/dl/a*b",
        L"http://h/dl/tab\there", L"http://h/dl/trailing.", L"http://h/dl/trailing ",
        L"http://h/dl/CON", L"http://h/dl/nul.7z", L"http://h/dl/com1.exe", L"http://h/dl/LPT9",
        L"nothing-to-cut"})
    EXPECT_FALSE(SafeDownloadFileName(url)) << url;
  // Names that merely start like a device stay allowed.
  EXPECT_TRUE(SafeDownloadFileName(L"http://h/dl/console.7z"));
  EXPECT_TRUE(SafeDownloadFileName(L"http://h/dl/com10.exe"));
}

TEST(ItemResultPath, LastDotOfTheFileNameOnly) {
  EXPECT_EQ(ItemResultPath(L"C:\\T\\Lumetra_1.2.zip", L""), L"C:\\T\\Lumetra_1.2");
  EXPECT_EQ(ItemResultPath(L"C:\\T\\ndp48.web.bin", L".exe"), L"C:\\T\\ndp48.web.exe");
  // A dot in a folder of the path (a user named john.doe) is not the file's.
  EXPECT_EQ(ItemResultPath(L"C:\\Users\\john.doe\\Temp\\package", L""),
            L"C:\\Users\\john.doe\\Temp\\package");
}

TEST(ExtractorParameters, QuotesTheArchiveAndOverwritesWithoutAsking) {
  EXPECT_EQ(ExtractorParameters(L"C:\\a b\\p.7z"), L"x \"C:\\a b\\p.7z\" -aoa");
  EXPECT_TRUE(ExtractorSucceeded(0));
  EXPECT_TRUE(ExtractorSucceeded(1));
  EXPECT_FALSE(ExtractorSucceeded(2));
  EXPECT_FALSE(ExtractorSucceeded(255));
}
