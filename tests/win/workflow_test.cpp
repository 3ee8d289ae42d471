// The first worker, headless: the controller runs with a recording view in the window's
// place, the release server of the test run in the maker's web server's.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "download/md5_core.h"
#include "system/folder_set.h"
#include "system/module_path.h"
#include "system/probes.h"
#include "win/download_test_support.h"
#include "win/system_test_support.h"
#include "win/workflow_test_support.h"
#include "win/win_test_support.h"
#include "workflow/configuration_phase.h"
#include "workflow/start_product.h"
#include "workflow/workflow_controller.h"

namespace {

using namespace workflow_test;
using download_test::ReleaseFile;
using download_test::ReleaseServer;
using test_support::FromLinuxPath;
using test_support::PathExists;
using test_support::ReadFileBytes;
using test_support::WaitUntil;
using test_support::WriteFileBytes;

struct Package {
  std::string md5;
  size_t size;
};

Package PublishPackage(const ReleaseServer& server, const std::wstring& name, size_t size,
                       uint32_t seed) {
  return Package{Md5OfBytes(server.Publish(name, size, seed)), size};
}

// A configuration with the product package for Windows 10, and optionally a newer
// installer; no prerequisite is needed.
std::string Configuration(const ReleaseServer& server, const std::wstring& packageName,
                          const Package& package, const std::string& packageVersion,
                          const std::string& installerSection = "") {
  std::string ini =
      "[Windows_Application]\r\nLatestVersion_10.0=App10\r\n"
      "[App10]\r\nURL=" + Narrow(server.Url(L"/" + packageName)) + "\r\nVersion=" +
      packageVersion + "\r\nMD5=" + package.md5 + "\r\nBytes=" + std::to_string(package.size) +
      "\r\nOSSupport=all\r\n"
      "[NetFramework]\r\nNeeded=0\r\n[VC2015x86]\r\nNeeded=0\r\n";
  return ini + installerSection;
}

// The [Windows_Installer] part offering `bytes` at `path` as installer `version`.
std::string InstallerSection(const ReleaseServer& server, const std::wstring& path,
                             const std::string& bytes, const std::string& version) {
  return "[Windows_Installer]\r\nDebug=InstallerNew\r\n[InstallerNew]\r\nURL=" +
         Narrow(server.Url(path)) + "\r\nVersion=" + version + "\r\nMD5=" + Md5OfBytes(bytes) +
         "\r\nBytes=" + std::to_string(bytes.size()) + "\r\nOSSupport=all\r\n";
}

// A program of the Windows build, by its path below the build folder.
std::wstring BuiltProgram(const std::wstring& relative) {
  return FromLinuxPath(system_test::EnvOrEmpty("LUMETRA_BUILD_DIR")) + L"\\" + relative;
}

// Pauses the workflow asked for, instead of waiting them out.
std::mutex pausesMutex;
std::vector<DWORD> pauses;
void RecordPause(const CancelState&, DWORD ms) {
  std::lock_guard<std::mutex> lock(pausesMutex);
  pauses.push_back(ms);
}
std::vector<DWORD> RecordedPauses() {
  std::lock_guard<std::mutex> lock(pausesMutex);
  return pauses;
}
void ForgetPauses() {
  std::lock_guard<std::mutex> lock(pausesMutex);
  pauses.clear();
}

void RegisterInstalledProduct(const std::wstring& location, const std::wstring& version) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0,
                            KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, L"InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(location.c_str()),
                 static_cast<DWORD>((location.size() + 1) * sizeof(wchar_t)));
  RegSetValueExW(key, L"DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                 static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

// The product stand-in that records its command line, installed as Lumetra.exe.
std::wstring InstallProductStub(const std::wstring& folder) {
  const std::wstring stub = system_test::FixturePath(L"product_stub");
  CreateFolderPath(folder);
  DeleteFileW((folder + L"\\started.txt").c_str());
  CopyFileW(stub.c_str(), (folder + L"\\Lumetra.exe").c_str(), FALSE);
  return folder + L"\\started.txt";
}

class WorkflowTest : public ::testing::Test {
 protected:
  // Each test (and each case of one) counts its own log lines. The installer makes its
  // folders once at start-up; an earlier test may have removed the Temp folder since, as
  // every installation does.
  void SetUp() override {
    Clean();
    ASSERT_TRUE(system_test::RemakeWorkingFolder());
    MarkLogStart();
  }
  void TearDown() override { Clean(); }
  static void Clean() {
    DeleteFileW(OverrideFile().c_str());
    DeleteFileW(LocalConfigCopy().c_str());
    DeleteUninstallEntry();
    // A newer installer an earlier run fetched (kept when that run was cancelled) would be
    // resumed as complete and handed over, the copy beside this program replacing it.
    std::wstring folder, name;
    GetModulePath(&folder, &name);
    DeleteFileW((GetTempFolder() + L"\\tmp" + name).c_str());
    DeleteFileW((folder + L"\\tmp" + name).c_str());
  }

  // The first worker, to its end.
  void Run() {
    controller.Start();
    controller.WaitForWorker();
  }

  ReleaseServer server;
  RecordingView view;  // outlives the controller, whose worker reports to it
  CWorkflowController controller{view};
};

}  // namespace

TEST_F(WorkflowTest, WithoutOverrideFileTheMakersUrlAndSixtySecondsAreUsed) {
  EXPECT_EQ(GetServerUrl(),
            L"http://www.corvane.example/support/software/Vexa/WindowsOS/update_win.ini");
  EXPECT_EQ(GetWebConnectTimeout(), 60000);
  EXPECT_GE(LogCount("TestServerForVexa path: " + Narrow(OverrideFile())), 2);
}

TEST_F(WorkflowTest, ConfigurationFromTheOverrideUrlLeadsToTheLicenceStage) {
  REQUIRE_RELEASE_SERVER(server);
  const Package package = PublishPackage(server, L"wf-ready-package.7z", 4096, 1);
  WriteFileBytes(ReleaseFile(L"wf-ready.ini"),
                 Configuration(server, L"wf-ready-package.7z", package, "1.2.3.4"));
  WriteOverride(server.Url(L"/wf-ready.ini"), 5000);

  Run();

  EXPECT_EQ(view.Stages(), (std::vector<Stage>{Stage::kChecking, Stage::kPreparing, Stage::kReady}));
  EXPECT_EQ(controller.run().timeoutMs, 5000);
  EXPECT_EQ(controller.plan().timeoutMs, 5000);
  EXPECT_EQ(server.Requests("/wf-ready.ini").size(), 1u);
  EXPECT_EQ(LogCount("Server: " + Narrow(server.Url(L"/wf-ready.ini"))), 1);
  EXPECT_EQ(LogCount("timeout: 5000"), 1);
  EXPECT_EQ(LogCount("Run this..."), 1);
  EXPECT_TRUE(PathExists(GetTempFolder() + L"\\7za.exe")) << "the extractor is written out";
  EXPECT_TRUE(controller.plan().config.m_application.needed);
}

// A stale or edited registration naming a folder without the product (Documents, say) is
// never offered as the install folder: the install phase replaces the folder it is given.
TEST_F(WorkflowTest, RegisteredFolderIsTheDefaultOnlyWhileTheProductIsThere) {
  REQUIRE_RELEASE_SERVER(server);
  const std::wstring location = L"C:\\lumetra-workflow-test\\Lumetra";
  RegisterInstalledProduct(location, L"1.0.0.0");
  DeleteFileW((location + L"\\Lumetra.exe").c_str());
  const Package package = PublishPackage(server, L"wf-stale-package.7z", 1024, 11);
  WriteFileBytes(ReleaseFile(L"wf-stale.ini"),
                 Configuration(server, L"wf-stale-package.7z", package, "1.2.3.4"));
  WriteOverride(server.Url(L"/wf-stale.ini"), 5000);

  Run();
  ASSERT_EQ(view.LastStage(), Stage::kReady);
  EXPECT_EQ(controller.InstallFolder(), GetDefaultInstallFolder());

  InstallProductStub(location);
  CWorkflowController again(view);
  again.Start();
  again.WaitForWorker();
  EXPECT_EQ(again.InstallFolder(), location);
}

TEST_F(WorkflowTest, LocalPackageCopyIsUsedWithoutAnyRequest) {
  REQUIRE_RELEASE_SERVER(server);
  const Package package = PublishPackage(server, L"wf-local-package.7z", 2048, 2);
  CreateFolderPath(GetAppDataFolder() + L"\\Package");
  WriteFileBytes(LocalConfigCopy(),
                 Configuration(server, L"wf-local-package.7z", package, "1.2.3.4"));
  WriteOverride(server.Url(L"/wf-local-never-asked.ini"), 5000);

  Run();

  EXPECT_EQ(view.LastStage(), Stage::kReady);
  EXPECT_TRUE(server.Requests("/wf-local-never-asked.ini").empty());
  EXPECT_EQ(ReadFileBytes(controller.plan().serverIni), ReadFileBytes(LocalConfigCopy()));
}

TEST_F(WorkflowTest, MissingConfigurationWithTheNetworkPresentIsConnectionError) {
  REQUIRE_RELEASE_SERVER(server);
  WriteOverride(server.Url(L"/wf-no-such-file.ini"), 5000);

  Run();

  EXPECT_EQ(view.LastStage(), Stage::kFailed);
  EXPECT_EQ(view.LastFailure(), Failure::kNoConnection);
  EXPECT_EQ(LogCount("Download ini failed for other reason, stop"), 1);
  EXPECT_FALSE(PathExists(GetTempFolder() + L"\\server.ini"));
}

TEST_F(WorkflowTest, ConfigurationWithoutEntryForThisWindowsShowsTheOsPage) {
  REQUIRE_RELEASE_SERVER(server);
  WriteFileBytes(ReleaseFile(L"wf-no-os.ini"),
                 "[Windows_Application]\r\nLatestVersion_6.1=App61\r\n[App61]\r\nURL=x\r\n");
  WriteOverride(server.Url(L"/wf-no-os.ini"), 5000);

  Run();

  EXPECT_EQ(view.LastStage(), Stage::kOsUnsupported);
  EXPECT_EQ(LogCount("Doesn't support current OS"), 1);
}

TEST_F(WorkflowTest, NothingToFetchAndNothingInstalledIsServerConfigError) {
  REQUIRE_RELEASE_SERVER(server);
  WriteFileBytes(ReleaseFile(L"wf-empty.ini"),
                 "[Windows_Application]\r\nLatestVersion_10.0=App10\r\n[App10]\r\nOSSupport=all\r\n");
  WriteOverride(server.Url(L"/wf-empty.ini"), 5000);

  Run();

  EXPECT_EQ(view.Stages(),
            (std::vector<Stage>{Stage::kChecking, Stage::kPreparing, Stage::kFailed}));
  EXPECT_EQ(view.LastFailure(), Failure::kServerConfig);
  EXPECT_EQ(LogCount("app is never installed and no valid app to download"), 1);
}

TEST_F(WorkflowTest, CurrentProductInstalledIsStartedWithThePositionAndTheInstallerCloses) {
  REQUIRE_RELEASE_SERVER(server);
  const std::wstring location = L"C:\\lumetra-workflow-test\\installed";
  const std::wstring started = InstallProductStub(location);
  RegisterInstalledProduct(location, L"1.2.3.4");
  const Package package = PublishPackage(server, L"wf-current-package.7z", 1024, 3);
  WriteFileBytes(ReleaseFile(L"wf-current.ini"),
                 Configuration(server, L"wf-current-package.7z", package, "1.2.3.4"));
  WriteOverride(server.Url(L"/wf-current.ini"), 5000);

  Run();

  EXPECT_EQ(view.LastStage(), Stage::kStartingProduct);
  EXPECT_TRUE(view.closed);
  // The stand-in creates its record, then writes it: wait for the words, not the file.
  ASSERT_TRUE(WaitUntil(10000, [&] { return !ReadFileBytes(started).empty(); }))
      << "product not started";
  EXPECT_EQ(ReadFileBytes(started), "120 340 0 Corvane\n");
  EXPECT_EQ(LogCount("No valid app to download, start the installed one: " + Narrow(location)), 1);
  EXPECT_TRUE(server.Requests("/wf-current-package.7z").empty());
}

TEST_F(WorkflowTest, StartingAProductThatIsNotThereShowsServerConfigError) {
  RunContext run(view);
  EXPECT_FALSE(StartUpgrader(run, ProductStart{L"C:\\lumetra-workflow-test\\nowhere", L""}, true));
  EXPECT_EQ(view.LastStage(), Stage::kFailed);
  EXPECT_EQ(view.LastFailure(), Failure::kServerConfig);
  EXPECT_FALSE(view.closed);
  EXPECT_EQ(LogCount("app exe not exist, C:\\lumetra-workflow-test\\nowhere\\Upgrader.exe"), 1);
}

TEST_F(WorkflowTest, UpgraderOfAFreshInstallGetsTheStartTimeFromTheChosenFolder) {
  const std::wstring installFolder = L"C:\\lumetra-workflow-test\\fresh";
  const std::wstring started = InstallProductStub(installFolder);
  CopyFileW((installFolder + L"\\Lumetra.exe").c_str(), (installFolder + L"\\Upgrader.exe").c_str(),
            FALSE);
  RunContext run(view);
  run.startTime = kTestStartTime;
  EXPECT_TRUE(StartUpgrader(run, ProductStart{L"", installFolder}, true));
  EXPECT_TRUE(view.closed);
  ASSERT_TRUE(WaitUntil(10000, [&] { return !ReadFileBytes(started).empty(); }));
  EXPECT_EQ(ReadFileBytes(started), "120 340 \"05/03/2025 10:05:09\" Corvane\n");
}

// A newer installer whose digest does not match is fetched again and again while the
// window stays in stage 2, each time after a longer pause; once it matches, an open cancel
// confirmation holds the hand-over back, and a confirmed cancel closes without starting
// anything.
TEST_F(WorkflowTest, NewInstallerIsRefetchedUntilItMatchesAndCancelHoldsTheHandOverBack) {
  REQUIRE_RELEASE_SERVER(server);
  const std::string good = ReadFileBytes(BuiltProgram(L"next\\LumetraSetupNext.exe"));
  ASSERT_FALSE(good.empty()) << "no newer installer in the build";
  std::string bad = good;
  bad[bad.size() / 2] ^= 0x5A;  // same size, one byte off: never matches
  WriteFileBytes(ReleaseFile(L"wf-new-installer.exe"), bad);
  const Package package = PublishPackage(server, L"wf-update-package.7z", 1024, 6);
  const std::string installer = InstallerSection(server, L"/wf-new-installer.exe", good, "99.0.0.0");
  WriteFileBytes(ReleaseFile(L"wf-update.ini"),
                 Configuration(server, L"wf-update-package.7z", package, "1.2.3.4", installer));
  WriteOverride(server.Url(L"/wf-update.ini"), 5000);
  ForgetPauses();
  controller.run().retryPause = &RecordPause;
  CancelState& cancel = controller.run().cancel;

  controller.Start();
  const bool refetched =
      WaitUntil(20000, [&] { return LogCount("Check new installer error") >= 3; });
  EXPECT_TRUE(refetched) << "the mismatching installer was not fetched again";
  EXPECT_EQ(view.LastStage(), Stage::kUpdatingInstaller);
  EXPECT_FALSE(view.closed);
  const std::vector<DWORD> pauses = RecordedPauses();
  ASSERT_GE(pauses.size(), 2u);
  EXPECT_TRUE(pauses[0] >= 800 && pauses[0] <= 1000) << pauses[0];
  EXPECT_TRUE(pauses[1] >= 1600 && pauses[1] <= 2000) << pauses[1];

  cancel.SetPromptOpen(true);
  // Swapped in whole: a request that met the file half rewritten would get a short answer,
  // which ends the workflow as a failed download.
  const std::wstring swap = ReleaseFile(L"wf-new-installer.exe.part");
  WriteFileBytes(swap, good);
  MoveFileExW(swap.c_str(), ReleaseFile(L"wf-new-installer.exe").c_str(),
              MOVEFILE_REPLACE_EXISTING);
  EXPECT_TRUE(WaitUntil(20000, [&] {
    return LogCount("Download new installer ok") > LogCount("Check new installer error");
  }));
  Sleep(500);
  EXPECT_FALSE(view.closed) << "handed over while the cancel confirmation was open";

  cancel.Cancel();
  cancel.SetPromptOpen(false);
  EXPECT_TRUE(WaitUntil(5000, [&] { return view.closed.load(); }));
  controller.WaitForWorker();

  std::wstring folder, name;
  GetModulePath(&folder, &name);
  EXPECT_FALSE(PathExists(folder + L"\\tmp" + name)) << "nothing is handed over after cancel";
  EXPECT_EQ(LogCount("Installer new version exist"), LogCount("Check new installer error") + 1);
}

// A server entry that announces more than the file carries: the file, no newer inside than
// the running installer, is not handed over (else every run would fetch, restart and
// fetch again) and the run goes on as with no newer installer.
TEST_F(WorkflowTest, NewInstallerNoNewerInsideThanTheRunningOneIsNotHandedOver) {
  REQUIRE_RELEASE_SERVER(server);
  const std::string same = ReadFileBytes(BuiltProgram(L"LumetraSetup.exe"));
  ASSERT_FALSE(same.empty()) << "no installer in the build";
  WriteFileBytes(ReleaseFile(L"wf-same-installer.exe"), same);
  const Package package = PublishPackage(server, L"wf-same-package.7z", 1024, 8);
  const std::string installer = InstallerSection(server, L"/wf-same-installer.exe", same, "99.0.0.0");
  WriteFileBytes(ReleaseFile(L"wf-same.ini"),
                 Configuration(server, L"wf-same-package.7z", package, "1.2.3.4", installer));
  WriteOverride(server.Url(L"/wf-same.ini"), 5000);
  std::wstring folder, name;
  GetModulePath(&folder, &name);
  const char kNotUsed[] =
      "New installer is version 1.25.0.30 inside, not newer than this one (1.25.0.30): not used";

  Run();

  EXPECT_EQ(view.Stages(), (std::vector<Stage>{Stage::kChecking, Stage::kUpdatingInstaller,
                                               Stage::kPreparing, Stage::kReady}));
  EXPECT_FALSE(view.closed);
  EXPECT_EQ(LogCount(kNotUsed), 1);
  EXPECT_LT(LogFind(kNotUsed), LogFind("Run this..."));
  EXPECT_FALSE(PathExists(folder + L"\\tmp" + name)) << "nothing is handed over";
  EXPECT_FALSE(PathExists(GetTempFolder() + L"\\tmp" + name)) << "the download is removed";
}

TEST_F(WorkflowTest, NewInstallerThatCannotBeFetchedWithTheNetworkPresentIsConnectionError) {
  REQUIRE_RELEASE_SERVER(server);
  const Package package = PublishPackage(server, L"wf-gone-package.7z", 1024, 7);
  const std::string installer =
      "[Windows_Installer]\r\nDebug=InstallerNew\r\n[InstallerNew]\r\nURL=" +
      Narrow(server.Url(L"/wf-installer-not-there.exe")) +
      "\r\nVersion=99.0.0.0\r\nMD5=00112233445566778899aabbccddeeff\r\nBytes=8192\r\n"
      "OSSupport=all\r\n";
  WriteFileBytes(ReleaseFile(L"wf-gone.ini"),
                 Configuration(server, L"wf-gone-package.7z", package, "1.2.3.4", installer));
  WriteOverride(server.Url(L"/wf-gone.ini"), 5000);

  Run();

  EXPECT_EQ(view.Stages(),
            (std::vector<Stage>{Stage::kChecking, Stage::kUpdatingInstaller, Stage::kFailed}));
  EXPECT_EQ(view.LastFailure(), Failure::kNoConnection);
  EXPECT_EQ(LogCount("Download failed for other reason but not network disconnect. stop"), 1);
  std::wstring folder, name;
  GetModulePath(&folder, &name);
  EXPECT_FALSE(PathExists(GetTempFolder() + L"\\tmp" + name)) << "the failed download is removed";
}

// The runtime alone does not lead to the licence stage: with the product current, the
// installed product is started.
TEST_F(WorkflowTest, OnlyTheRuntimeMissingStartsTheInstalledProduct) {
  REQUIRE_RELEASE_SERVER(server);
  const std::wstring location = L"C:\\lumetra-workflow-test\\runtime-only";
  const std::wstring started = InstallProductStub(location);
  RegisterInstalledProduct(location, L"1.2.3.4");
  const Package package = PublishPackage(server, L"wf-runtime-package.7z", 1024, 8);
  const Package runtime = PublishPackage(server, L"wf-vc-runtime.exe", 2048, 9);
  std::string ini = Configuration(server, L"wf-runtime-package.7z", package, "1.2.3.4");
  ini = ini.substr(0, ini.find("[VC2015x86]")) + "[VC2015x86]\r\nURL=" +
        Narrow(server.Url(L"/wf-vc-runtime.exe")) + "\r\nMD5=" + runtime.md5 +
        "\r\nBytes=2048\r\nNeeded=1\r\n";
  WriteFileBytes(ReleaseFile(L"wf-runtime.ini"), ini);
  WriteOverride(server.Url(L"/wf-runtime.ini"), 5000);
  // The configuration says the runtime is needed: it is to be fetched unless installed.
  ASSERT_FALSE(IsVcRuntimeInstalled(L"14.0", L"x86")) << "the prefix has the VC runtime";

  Run();

  EXPECT_EQ(view.LastStage(), Stage::kStartingProduct);
  EXPECT_TRUE(view.closed);
  // The stand-in creates its record, then writes it: wait for the words, not the file.
  ASSERT_TRUE(WaitUntil(10000, [&] { return !ReadFileBytes(started).empty(); }))
      << "product not started";
  EXPECT_EQ(ReadFileBytes(started), "120 340 0 Corvane\n");
}

// Configurations no release should ever hold, as a broken upload or a hostile network
// might serve them: each run ends, in the OS page or an error stage with a log line, and
// never in the licence stage with nothing sound to install.
TEST_F(WorkflowTest, HostileConfigurationsEndInAClearStageWithoutHanging) {
  REQUIRE_RELEASE_SERVER(server);
  std::string noise(64 * 1024, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919u) >> 3);
  std::string tenMegabytes;
  while (tenMegabytes.size() < 10u * 1024 * 1024) tenMegabytes += "[App10]\r\nURL=x\r\nVersion=1\r\n";
  const std::string huge(100000, '9');
  const std::pair<const wchar_t*, std::string> cases[] = {
      {L"wf-noise.ini", noise},
      {L"wf-ten-megabytes.ini", "[Windows_Application]\r\nLatestVersion_10.0=App10\r\n" + tenMegabytes},
      {L"wf-huge-values.ini", "[Windows_Application]\r\nLatestVersion_10.0=App10\r\n[App10]\r\nURL=http://127.0.0.1/" +
                                  huge + ".7z\r\nVersion=" + huge + "\r\nMD5=" + huge + "\r\nBytes=" + huge +
                                  "\r\nOSSupport=all\r\n[NetFramework]\r\nNeeded=0\r\n[VC2015x86]\r\nNeeded=0\r\n"},
      {L"wf-nul-bytes.ini", std::string("[Windows_Application]\r\nLatestVersion_10.0=App\0\r\n[App\0]\r\nURL=\0\r\n", 62)},
      {L"wf-sections-missing.ini", "LatestVersion_10.0=App10\r\nURL=http://127.0.0.1/p.7z\r\n"},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(Narrow(name));
    SetUp();  // from here on, the log lines are this case's
    auto caseView = std::make_unique<RecordingView>();
    auto caseController = std::make_unique<CWorkflowController>(*caseView);
    WriteFileBytes(ReleaseFile(name), bytes);
    WriteOverride(server.Url(std::wstring(L"/") + name), 5000);
    caseController->Start();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    std::thread waiter([worker = caseController.get(), ended] {
      worker->WaitForWorker();
      *ended = true;
    });
    const bool inTime = WaitUntil(60000, [&] { return ended->load(); });
    EXPECT_TRUE(inTime) << "the workflow is still running";
    if (!inTime) {
      // Left running, with what it uses: ending it could hang this test too.
      waiter.detach();
      static_cast<void>(caseController.release());
      static_cast<void>(caseView.release());
      return;
    }
    waiter.join();
    const std::optional<Stage> last = caseView->LastStage();
    EXPECT_TRUE(last == Stage::kOsUnsupported || last == Stage::kFailed)
        << "last stage " << testing::PrintToString(last);
    const std::string log = LogText();
    if (std::wstring(name) == L"wf-ten-megabytes.ini") {
      // Never written past the bound: a configuration error, said in the log.
      EXPECT_EQ(caseView->LastFailure(), Failure::kServerConfig);
      EXPECT_NE(log.find("Server configuration refused, larger than 1048576 bytes"),
                std::string::npos);
      continue;
    }
    EXPECT_TRUE(log.find("Doesn't support current OS") != std::string::npos ||
                log.find("Read ini file failed") != std::string::npos ||
                log.find("no valid app to download") != std::string::npos)
        << log.substr(log.size() > 600 ? log.size() - 600 : 0);
  }
}

// Override files that no person wrote: a megabyte of text, NUL bytes, no quotes. The
// installer reads at most a small prefix, never stops on them, and takes the maker's
// address and time-out whenever no readable value is there.
TEST_F(WorkflowTest, HostileOverrideFilesAreReadSafely) {
  const std::wstring makers = L"http://www.corvane.example/support/software/Vexa/WindowsOS/update_win.ini";
  const std::string good = "{\r\n  \"ApplicationUpdate\": \"http://127.0.0.1:9/u.ini\",\r\n"
                           "  \"WebConnectTimeout\": 7000\r\n}\r\n";

  WriteFileBytes(OverrideFile(), good + std::string(1024 * 1024, 'x'));
  EXPECT_EQ(GetServerUrl(), L"http://127.0.0.1:9/u.ini");
  EXPECT_EQ(GetWebConnectTimeout(), 7000);

  WriteFileBytes(OverrideFile(), std::string(1024 * 1024, 'x') + good);
  EXPECT_EQ(GetServerUrl(), makers) << "a value beyond what is read is not taken";

  WriteFileBytes(OverrideFile(), "{ ApplicationUpdate: http://127.0.0.1:9/u.ini, WebConnectTimeout: 5 }");
  EXPECT_EQ(GetServerUrl(), makers);
  EXPECT_EQ(GetWebConnectTimeout(), 60000);

  std::string withNul = good;
  withNul[good.find("127")] = '\0';
  WriteFileBytes(OverrideFile(), withNul);
  const std::wstring url = GetServerUrl();
  EXPECT_TRUE(url == makers || url.find(L"27.0.0.1:9/u.ini") != std::wstring::npos) << Narrow(url);
  EXPECT_GT(GetWebConnectTimeout(), 0);
}
