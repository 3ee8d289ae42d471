// The download stage, headless against the test run's release server.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "win/stage_test_support.h"
#include "workflow/download_phase.h"

namespace {

using namespace stage_test;
using namespace workflow_test;
using download_test::ReleaseFile;
using download_test::ReleaseServer;
using test_support::PathExists;
using test_support::WaitUntil;

const std::map<std::wstring, std::string> kProductFiles = {
    {L"Lumetra.exe", "product"}, {L"Upgrader.exe", "upgrader"}, {L"data\\texts.bin", "texts"}};

class DownloadStageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MarkLogStart();
    PrepareTempFolder();
  }
  void TearDown() override {
    run.heldFiles.ReleaseAll();
    DeleteFolderTree(GetTempFolder());
  }

  // The phase on `input`; true when everything is ready to install.
  bool Run() {
    result = DownloadStage(run, input);
    return result.end == DownloadEnd::kReady;
  }

  ReleaseServer server;
  RecordingView view;
  RunContext run{view};
  DownloadInput input;  // what the plan of the configuration gives the phase
  DownloadResult result;
};

}  // namespace

TEST_F(DownloadStageTest, OnlyThePackageTakesTheWholeBarAndUnpacksIntoTheTempFolder) {
  REQUIRE_RELEASE_SERVER(server);
  const Published package = PublishPackage(L"dl-Lumetra_1.2.7z", kProductFiles);
  input.application = Record(server.Url(L"/dl-Lumetra_1.2.7z"), package);

  ASSERT_TRUE(Run());

  EXPECT_EQ(result.files.package, GetTempFolder() + L"\\dl-Lumetra_1.2");
  EXPECT_EQ(ReadFileBytes(result.files.package + L"\\data\\texts.bin"), "texts");
  EXPECT_TRUE(result.files.netSetup.empty());
  EXPECT_EQ(view.Stages(), std::vector<Stage>{Stage::kDownloading});
  EXPECT_EQ(view.progress, 100);
  for (const char* line : {".net framework download not needed", "vc2015 x86 download not needed",
                           "app download needed", "nf_start: 0, nf_part: 0.",
                           "vc2015x86_start: 0, vc2015x86_part: 0.", "pk_start: 0, pk_part: 100.",
                           "Download ok"})
    EXPECT_EQ(LogCount(line), 1) << line;
  EXPECT_EQ(LogCount("Download  start: " + Narrow(server.Url(L"/dl-Lumetra_1.2.7z"))), 1);
  EXPECT_EQ(LogCount("Download finish: " + Narrow(server.Url(L"/dl-Lumetra_1.2.7z"))), 1);
}

// Shares come from the configured sizes before anything is fetched; a .NET installer that
// cannot be fetched while online ends the stage before the other two are asked for.
TEST_F(DownloadStageTest, SharesOfThreeFilesAndAnUnreachableInstallerOnlineIs103) {
  REQUIRE_RELEASE_SERVER(server);
  const Published none = Describe("x");
  input.netFramework = Record(server.Url(L"/dl-missing-ndp.exe"), none);
  input.vc2015x86 = Record(server.Url(L"/dl-missing-vc.exe"), none);
  input.application = Record(server.Url(L"/dl-missing-package.7z"), none);
  input.netFramework.size = 60'000'000;
  input.vc2015x86.size = 14'000'000;
  input.application.size = 126'000'000;

  EXPECT_FALSE(Run());

  EXPECT_EQ(LogCount("nf_start: 0, nf_part: 30."), 1);
  EXPECT_EQ(LogCount("vc2015x86_start: 30, vc2015x86_part: 7."), 1);
  EXPECT_EQ(LogCount("pk_start: 37, pk_part: 63."), 1);
  EXPECT_NE(LogFind("Download  netFramework failed for other reason, stop",
                    LogFind("Download failed")),
            std::string::npos);
  EXPECT_EQ(view.LastFailure(), Failure::kNoConnection);
  EXPECT_EQ(view.LastStage(), Stage::kFailed);
  EXPECT_EQ(result.end, DownloadEnd::kFailed);
  EXPECT_TRUE(result.files.netSetup.empty());
  EXPECT_TRUE(server.Requests("/dl-missing-vc.exe").empty());
  EXPECT_TRUE(server.Requests("/dl-missing-package.7z").empty());
}

// A wrong file of the right size is removed: the next run fetches the package anew
// instead of taking the kept file for complete and failing on it forever.
TEST_F(DownloadStageTest, DigestMismatchOnlineIs103AndTheNextRunFetchesTheFileAnew) {
  REQUIRE_RELEASE_SERVER(server);
  const Published good = PublishPackage(L"dl-mismatch.7z", kProductFiles);
  input.application = Record(server.Url(L"/dl-mismatch.7z"), good);
  std::string wrong = good.bytes;
  wrong[wrong.size() / 2] ^= 0x55;
  WriteFileBytes(ReleaseFile(L"dl-mismatch.7z"), wrong);

  EXPECT_FALSE(Run());
  EXPECT_NE(LogFind("Download app failed for other reason, stop", LogFind("CheckDownloadFile failed")),
            std::string::npos);
  EXPECT_EQ(view.LastFailure(), Failure::kNoConnection);
  EXPECT_FALSE(PathExists(GetTempFolder() + L"\\dl-mismatch.7z")) << "the wrong file was kept";

  WriteFileBytes(ReleaseFile(L"dl-mismatch.7z"), good.bytes);
  RecordingView againView;
  RunContext again(againView);
  ASSERT_EQ(DownloadStage(again, input).end, DownloadEnd::kReady);
  const auto requests = server.Requests("/dl-mismatch.7z");
  ASSERT_EQ(requests.size(), 3u);  // two attempts of the first run, one of the second
  EXPECT_EQ(ReleaseServer::RangeOf(requests[2]), "-") << "resumed the wrong file";
}

// A transfer corrupted once (a body cut short under a matching length) is fetched once
// more from zero and passes. A server that sends twice the configured size fails
// both attempts with nothing of it written.
TEST_F(DownloadStageTest, OneCleanRefetchAfterAFailureOnlineAndNeverMoreThanTheConfiguredSize) {
  REQUIRE_RELEASE_SERVER(server);
  const Published good = PublishPackage(L"dl-once.7z", kProductFiles);
  const std::wstring once = server.Fault(L"length=1000,once") + L"/dl-once.7z";
  input.application = Record(server.Url(once), good);
  ASSERT_TRUE(Run());
  EXPECT_EQ(server.Requests(Narrow(once)).size(), 2u);
  EXPECT_EQ(LogCount("Download attempt 1 of 2 failed, fetching again from the start: " +
                     Narrow(server.Url(once))), 1);

  const Published doubled = Describe(server.Publish(L"dl-doubled.exe", 2 * 40000, 5));
  input.application = {};
  input.vc2015x86 = Record(server.Url(L"/dl-doubled.exe"), doubled);
  input.vc2015x86.size = 40000;
  RecordingView doubledView;
  RunContext doubledRun(doubledView);
  EXPECT_EQ(DownloadStage(doubledRun, input).end, DownloadEnd::kFailed);
  EXPECT_EQ(doubledView.LastFailure(), Failure::kNoConnection);
  EXPECT_EQ(server.Requests("/dl-doubled.exe").size(), 2u);
  EXPECT_EQ(LogCount("Download refused: the server sends 80000 bytes or more of " +
                     Narrow(GetTempFolder()) + "\\dl-doubled.exe, at most 40000 were expected"), 2);
  const std::wstring doubledFile = GetTempFolder() + L"\\dl-doubled.exe";
  EXPECT_TRUE(!PathExists(doubledFile) || ReadFileBytes(doubledFile).empty());
}

TEST_F(DownloadStageTest, CancelConfirmedDuringTheRuntimeDownloadFetchesNoPackage) {
  REQUIRE_RELEASE_SERVER(server);
  const Published runtime = Describe(server.Publish(L"dl-slow-vc.exe", 48 * 1024, 11));
  const Published package = PublishPackage(L"dl-never.7z", kProductFiles);
  input.vc2015x86 =
      Record(server.Url(server.Fault(L"throttle=16384") + L"/dl-slow-vc.exe"), runtime);
  input.application = Record(server.Url(L"/dl-never.7z"), package);

  std::thread thread([this] { Run(); });
  EXPECT_TRUE(WaitUntil(10000, [&] { return !server.Requests("/dl-slow-vc.exe").empty(); }));
  run.cancel.SetPromptOpen(true);
  Sleep(300);
  run.cancel.Cancel();
  run.cancel.SetPromptOpen(false);
  thread.join();

  EXPECT_EQ(result.end, DownloadEnd::kCancelled) << "the installation must not start";
  EXPECT_TRUE(server.Requests("/dl-never.7z").empty());
  EXPECT_EQ(view.LastStage(), Stage::kDownloading) << "a cancel shows no error";
  EXPECT_TRUE(result.files.package.empty());
}

// An installer need not be an archive: its pass through the extractor may fail. The
// package must unpack: a truncated one is not installed as if it were complete.
TEST_F(DownloadStageTest, TruncatedPackageFailsWhileANonArchiveInstallerPasses) {
  REQUIRE_RELEASE_SERVER(server);
  const Published installer = Describe(server.Publish(L"dl-plain-ndp.exe", 8192, 12));
  const Published whole = PublishPackage(L"dl-truncated.7z", kProductFiles);
  const Published cut = Describe(whole.bytes.substr(0, whole.bytes.size() - 40));
  WriteFileBytes(ReleaseFile(L"dl-truncated.7z"), cut.bytes);
  input.netFramework = Record(server.Url(L"/dl-plain-ndp.exe"), installer);
  input.application = Record(server.Url(L"/dl-truncated.7z"), cut);

  EXPECT_FALSE(Run());

  EXPECT_EQ(result.files.netSetup, GetTempFolder() + L"\\dl-plain-ndp.exe");
  EXPECT_TRUE(result.files.package.empty());
  EXPECT_NE(LogFind("Download app failed for other reason, stop", LogFind("DecompressPackage failed")),
            std::string::npos);
  EXPECT_EQ(LogCount("DecompressPackage failed"), 1) << "only the package's pass counts";
  EXPECT_EQ(view.LastFailure(), Failure::kNoConnection);
  EXPECT_FALSE(PathExists(GetTempFolder() + L"\\dl-truncated")) << "half a package was left";
}

// The file name comes from the server: one that could leave the Temp folder is refused
// before any request; a query is cut off the name.
TEST_F(DownloadStageTest, UnsafeFileNameIsRefusedAndAQueryIsCutOff) {
  REQUIRE_RELEASE_SERVER(server);
  const Published package = PublishPackage(L"dl-query.7z", kProductFiles);
  input.application = Record(server.Url(L"/dl/..\\..\\dl-evil.7z"), package);

  EXPECT_FALSE(Run());
  EXPECT_EQ(LogCount("Download app failed for other reason, stop"), 1);
  EXPECT_EQ(view.LastFailure(), Failure::kNoConnection);
  EXPECT_TRUE(server.Requests("dl-evil.7z").empty());
  EXPECT_NE(LogText().find("Download file name refused"), std::string::npos);

  input.application = Record(server.Url(L"/dl-query.7z?v=2/x"), package);
  RecordingView againView;
  RunContext again(againView);
  const DownloadResult fetched = DownloadStage(again, input);
  ASSERT_EQ(fetched.end, DownloadEnd::kReady);
  EXPECT_EQ(fetched.files.package, GetTempFolder() + L"\\dl-query");
}

// A package URL whose last segment has no dot: the result is the downloaded file itself.
TEST_F(DownloadStageTest, PackageNameWithoutADotIsItsOwnResult) {
  REQUIRE_RELEASE_SERVER(server);
  // Its top folder must not be named like the file, which already lies in the Temp folder.
  const Published package = PublishPackage(L"dl-nodot-inner.7z", kProductFiles);
  WriteFileBytes(ReleaseFile(L"dl-nodot"), package.bytes);
  input.application = Record(server.Url(L"/dl-nodot"), package);

  ASSERT_TRUE(Run());
  EXPECT_EQ(result.files.package, GetTempFolder() + L"\\dl-nodot");
  EXPECT_TRUE(PathExists(GetTempFolder() + L"\\dl-nodot-inner\\Lumetra.exe"));
}
