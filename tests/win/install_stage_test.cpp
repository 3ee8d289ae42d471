// The install stage, headless: real installers (stand-ins), real folders, the real
// registry of the test prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "base/unique_handle.h"
#include "system/probe_rules.h"
#include "system/probes.h"
#include "system/shortcuts.h"
#include "win/registry_scratch.h"
#include "win/stage_test_support.h"
#include "win/system_test_support.h"
#include "workflow/install_phase.h"

namespace {

using namespace stage_test;
using namespace workflow_test;
using test_support::PathExists;
using test_support::RoamingFolder;
using test_support::WaitUntil;

constexpr wchar_t kDotNetKey[] = L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";
constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kTestRoot = L"C:\\lumetra-install-test";

// The maker's folder of the product's data, which goes with the previous installation.
std::wstring MakerData() { return RoamingFolder() + L"\\Corvane"; }

// Whether another program holds the file so that it cannot even be read.
bool HeldByAnother(const std::wstring& path) {
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return !file.valid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

// A record that counts as to be installed; the install stage never fetches it.
PackageInfo ToInstall(const std::wstring& version = L"") {
  return Record(L"http://127.0.0.1/unused", Describe("x"), version);
}

// A value of the uninstall entry read in the 32-bit view; DWORDs as decimal text.
std::wstring ReadValue32(const wchar_t* name, DWORD* type) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                    &key) != ERROR_SUCCESS)
    return L"<no key>";
  wchar_t data[1024] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t);
  const LONG result =
      RegQueryValueExW(key, name, nullptr, type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return L"<missing>";
  if (*type == REG_DWORD) {
    DWORD value = 0;
    memcpy(&value, data, sizeof(value));
    return std::to_wstring(value);
  }
  return data;
}

class InstallStageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MarkLogStart();
    PrepareTempFolder();
    // The upgrader stand-in an earlier test started may still be running from there.
    DeleteFolderTreeWithin(kTestRoot, 10000);
    DeleteFolderTree(MakerData());
    DeleteUninstallEntry();
    input.installFolder = kTestRoot + L"\\Lumetra";
    run.startTime = kTestStartTime;
  }
  void TearDown() override {
    run.heldFiles.ReleaseAll();
    DeleteFolderTreeWithin(kTestRoot, 10000);
    DeleteFolderTree(GetTempFolder());
    DeleteFolderTree(MakerData());
    DeleteUninstallEntry();
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
      RegDeleteValueW(run, L"Lumetra");
      RegCloseKey(run);
    }
    DeleteProductShortcuts();
  }

  // An unpacked package in the Temp folder, as the download stage leaves it.
  void StagePackage(const std::map<std::wstring, std::string>& files, bool withUpgrader = true) {
    input.files.package = GetTempFolder() + L"\\Lumetra_2.0";
    WriteTree(input.files.package, files);
    if (withUpgrader)
      CopyFileW(FixtureExe(L"upgrader_stub").c_str(),
                (input.files.package + L"\\Upgrader.exe").c_str(), FALSE);
    input.application = ToInstall(L"2.0.0.5");
  }
  // A prerequisite stand-in downloaded into the Temp folder.
  std::wstring StageInstaller(const wchar_t* fixture, const wchar_t* name) {
    const std::wstring path = GetTempFolder() + L"\\" + name;
    CopyFileW(FixtureExe(fixture).c_str(), path.c_str(), FALSE);
    return path;
  }
  std::string UpgraderRecord(const wchar_t* file) const {
    return ReadFileBytes(input.installFolder + L"\\" + file);
  }
  InstallEnd Install() { return InstallStage(run, input); }
  std::wstring Beside(const wchar_t* suffix) const { return input.installFolder + suffix; }

  // The install folder "Lumetra" in a scratch folder `name` of its own, and a link `link`
  // (relative to the scratch folder) to the folder `outside`, or to its file `target`, with
  // these files in `outside`. False when the platform lets the test make no such link.
  bool InstallFolderWithLink(const char* name, const std::wstring& link, const std::wstring& target,
                             const std::map<std::wstring, std::string>& outsideFiles) {
    std::string linuxScratch;
    scratch = system_test::ScratchFolder(name, &linuxScratch);
    WriteTree(scratch + L"\\outside", outsideFiles);
    input.installFolder = scratch + L"\\Lumetra";
    CreateFolderPath(input.installFolder);
    std::wstring to;
    std::string linuxTo;
    if (!target.empty()) {
      to.append(L"\\").append(target);
      linuxTo.append("/").append(Narrow(target));
    }
    std::string linuxLink = Narrow(link);
    std::replace(linuxLink.begin(), linuxLink.end(), '\\', '/');
    return system_test::MakeLink(scratch + L"\\" + link, linuxScratch + "/" + linuxLink,
                                 scratch + L"\\outside" + to, linuxScratch + "/outside" + linuxTo,
                                 target.empty());
  }

  RecordingView view;
  RunContext run{view};
  InstallInput input;  // what the download phase would hand over
  std::wstring scratch;
};

}  // namespace

TEST_F(InstallStageTest, PrerequisitesProductRegistrationAndTheUpgraderInOrder) {
  RegistryScratchKey dotnet(kDotNetKey);
  RegistryScratchKey vc(VcRuntimeKeyPath(L"14.0", L"x86", IsWow64()));
  if (dotnet.preexisting() || vc.preexisting()) GTEST_SKIP() << "prerequisites already there";
  DeleteFileW(FixtureRecord(L"dotnet_setup").c_str());
  DeleteFileW(FixtureRecord(L"vc_setup").c_str());
  input.netFramework = ToInstall();
  input.vc2015x86 = ToInstall();
  input.files.netSetup = StageInstaller(L"dotnet_setup_stub", L"ndp48.exe");
  input.files.vcSetup = StageInstaller(L"vc_setup_stub", L"vc_redist.x86.exe");
  StagePackage({{L"Lumetra.exe", "product"}, {L"sub\\deeper\\data.bin", "data"}});
  // An earlier installation with files the package no longer has, and its data.
  WriteTree(input.installFolder, {{L"old-extra.txt", "old"}, {L"sub\\old.bin", "old"}});
  WriteTree(MakerData(), {{L"settings.ini", "old settings"}});

  EXPECT_EQ(Install(), InstallEnd::kUpgraderStarted);

  EXPECT_EQ(view.Stages(), std::vector<Stage>{Stage::kStartingProduct});
  EXPECT_TRUE(view.closed);
  EXPECT_FALSE(view.progressCreep);
  EXPECT_EQ(view.progress, 100);
  EXPECT_EQ(ReadFileBytes(FixtureRecord(L"dotnet_setup")), "/q /norestart\n");
  EXPECT_EQ(ReadFileBytes(FixtureRecord(L"vc_setup")), "/q /norestart\n");
  EXPECT_EQ(ReadFileBytes(input.installFolder + L"\\sub\\deeper\\data.bin"), "data");
  EXPECT_FALSE(PathExists(input.installFolder + L"\\old-extra.txt"));
  EXPECT_FALSE(PathExists(input.installFolder + L"\\sub\\old.bin"));
  EXPECT_FALSE(PathExists(MakerData()));
  EXPECT_FALSE(PathExists(Beside(L".new")));
  EXPECT_FALSE(PathExists(Beside(L".old")));
  EXPECT_FALSE(PathExists(GetTempFolder()));

  // The uninstall entry, read back in the 32-bit view, value by value.
  const std::wstring quoted = L"\"" + input.installFolder + L"\\uninstaller.exe\"";
  const std::vector<std::pair<const wchar_t*, std::wstring>> expected = {
      {L"DisplayName", L"Lumetra"}, {L"InstallLocation", input.installFolder},
      {L"Publisher", L"Corvane"},   {L"From", L"Corvane"},
      {L"HelpLink", L"http://www.corvane.example"},
      {L"DisplayVersion", L"2.0.0.5"}, {L"UninstallString", quoted},
      {L"DisplayIcon", quoted},     {L"NoModify", L"1"},
      {L"NoRepair", L"1"}};
  for (const auto& [name, value] : expected) {
    DWORD type = 0;
    EXPECT_EQ(ReadValue32(name, &type), value) << name;
    EXPECT_EQ(type, value == L"1" ? DWORD{REG_DWORD} : DWORD{REG_SZ}) << name;
  }
  // After the ten: the size (KiB of the installed folder) and the date Windows lists.
  DWORD type = 0;
  EXPECT_GE(std::stoul(ReadValue32(L"EstimatedSize", &type)), 1ul);
  EXPECT_EQ(type, DWORD{REG_DWORD});
  SYSTEMTIME today{};
  GetLocalTime(&today);
  wchar_t date[16] = {};
  swprintf(date, 16, L"%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
  EXPECT_EQ(ReadValue32(L"InstallDate", &type), date);
  EXPECT_EQ(type, DWORD{REG_SZ});
  EXPECT_TRUE(PathExists(GetStartMenuLinkPath()));
  wchar_t run[512] = {};
  DWORD size = sizeof(run);
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Lumetra", RRF_RT_REG_SZ, nullptr, run, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(run), L"\"" + input.installFolder + L"\\Lumetra.exe\" /WinStart");

  ASSERT_TRUE(WaitUntil(10000, [&] { return !UpgraderRecord(L"upgrader_started.txt").empty(); }));
  EXPECT_EQ(UpgraderRecord(L"upgrader_started.txt"), "120 340 \"05/03/2025 10:05:09\" Corvane\n");
  std::vector<size_t> at;
  for (const char* line : {"Install", "Install .net framwork", "Install .net framwork ok",
                           "Install vc2015 x86 redist.", "Install vc2015 x86 ok", "Install app",
                           "CopytoInstallPath", "CopytoInstallPath ok", "RegisterToSystem ok"}) {
    at.push_back(LogFind(line, at.empty() ? 0 : at.back()));
    EXPECT_NE(at.back(), std::string::npos) << line << " missing or out of order";
  }
}

TEST_F(InstallStageTest, DotNetInstallerThatInstallsNothingIs121AndTheProductIsUntouched) {
  if (IsDotNetInstalled(L"")) GTEST_SKIP() << "the prefix has the .NET Framework";
  input.netFramework = ToInstall();
  input.files.netSetup = StageInstaller(L"setup_stub_fails", L"ndp48.exe");
  StagePackage({{L"Lumetra.exe", "new"}});
  WriteTree(input.installFolder, {{L"Lumetra.exe", "installed before"}});

  EXPECT_EQ(Install(), InstallEnd::kFailed);

  EXPECT_EQ(view.LastStage(), Stage::kFailed);
  EXPECT_EQ(view.LastFailure(), Failure::kInstallFailed);
  EXPECT_FALSE(view.progressCreep);
  EXPECT_EQ(LogCount("Install .net framwork failed"), 1);
  EXPECT_EQ(LogCount("Install app"), 0);
  EXPECT_EQ(ReadFileBytes(input.installFolder + L"\\Lumetra.exe"), "installed before");
  EXPECT_FALSE(view.closed);
}

// A package without a file is no product: the copy fails, and a first installation
// leaves neither the install folder nor the folder the copy went to.
TEST_F(InstallStageTest, AFirstInstallationFromAnEmptyPackageLeavesNothingHalfMade) {
  StagePackage({}, false);
  CreateFolderPath(input.files.package);

  EXPECT_EQ(Install(), InstallEnd::kFailed);

  EXPECT_EQ(view.LastFailure(), Failure::kDiskSpace);
  EXPECT_EQ(LogCount("CopytoInstallPath: the package folder " + Narrow(input.files.package) +
                     " holds no file"),
            1);
  EXPECT_EQ(LogCount("CopytoInstallPath failed"), 1);
  EXPECT_EQ(LogCount("RegisterToSystem ok"), 0);
  EXPECT_FALSE(PathExists(input.installFolder));
  EXPECT_FALSE(PathExists(Beside(L".new")));
  DWORD type = 0;
  EXPECT_EQ(ReadValue32(L"InstallLocation", &type), L"<no key>");
}

// The package cannot be read whole (one of its files is held by another program): the
// update stops before anything of the installation or its data is touched.
TEST_F(InstallStageTest, AnUpdateWhoseCopyFailsLeavesThePreviousVersionRunnable) {
  WriteTree(input.installFolder, {{L"data\\old.bin", "old data"}});
  ASSERT_TRUE(CopyFileW(FixtureExe(L"exit_after").c_str(),
                        (input.installFolder + L"\\Lumetra.exe").c_str(), FALSE));
  WriteTree(MakerData(), {{L"settings.ini", "the user's settings"}});
  StagePackage(
      {{L"Lumetra.exe", "new product"}, {L"a.bin", "a"}, {L"b.bin", "b"}, {L"c.bin", "c"}});
  const std::wstring held = input.files.package + L"\\b.bin";
  system_test::StartedProcess holder(FixtureExe(L"hold_file"), L"\"" + held + L"\" 600");
  ASSERT_TRUE(holder.started());
  ASSERT_TRUE(WaitUntil(15000, [&] { return HeldByAnother(held); }));

  EXPECT_EQ(Install(), InstallEnd::kFailed);

  EXPECT_EQ(view.LastFailure(), Failure::kDiskSpace);
  EXPECT_FALSE(view.closed);
  EXPECT_EQ(LogCount("CopytoInstallPath failed"), 1);
  EXPECT_EQ(LogCount("CopytoInstallPath ok"), 0);
  EXPECT_EQ(ReadFileBytes(input.installFolder + L"\\data\\old.bin"), "old data");
  EXPECT_EQ(RunProgramForExitCode(SW_HIDE, input.installFolder,
                                  input.installFolder + L"\\Lumetra.exe", L"7")
                .value_or(99),
            7u);
  EXPECT_EQ(ReadFileBytes(MakerData() + L"\\settings.ini"), "the user's settings");
  EXPECT_FALSE(PathExists(Beside(L".new")));
  EXPECT_FALSE(PathExists(Beside(L".old")));
}

// A power cut between the swap's two renames left the previous installation aside and a
// new folder beside it. The next run puts the previous one back first; a package that
// cannot be listed then changes nothing.
TEST_F(InstallStageTest, AnInstallationLeftAsideByAnInterruptedUpdateIsPutBack) {
  WriteTree(Beside(L".old"), {{L"Lumetra.exe", "old product"}});
  WriteTree(Beside(L".new"), {{L"Lumetra.exe", "half"}});
  input.files.package = GetTempFolder() + L"\\Lumetra_2.0";  // never unpacked
  input.application = ToInstall(L"2.0.0.5");

  EXPECT_EQ(Install(), InstallEnd::kFailed);

  EXPECT_EQ(view.LastFailure(), Failure::kDiskSpace);
  EXPECT_NE(LogText().find(" - CopytoInstallPath: " + Narrow(input.files.package) +
                           " cannot be listed (error "),
            std::string::npos);
  EXPECT_EQ(LogCount("CopytoInstallPath failed"), 1);
  EXPECT_EQ(ReadFileBytes(input.installFolder + L"\\Lumetra.exe"), "old product");
  EXPECT_FALSE(PathExists(Beside(L".old")));
  EXPECT_FALSE(PathExists(Beside(L".new")));
}

// A file of the previous installation in use stops the swap, not the copy: the failed
// stage with the disk-space text shows, the previous installation stays whole, and once the
// file is free the update goes on and leaves no old file behind.
TEST_F(InstallStageTest, AFileInUseInThePreviousInstallationWaitsWithText125ThenTheUpdateGoesOn) {
  StagePackage({{L"Lumetra.exe", "new product"}, {L"readme.txt", "text"}});
  WriteTree(input.installFolder, {{L"Lumetra.exe", "old product"}, {L"bin\\old.dll", "old"}});
  const std::wstring heldPath = input.installFolder + L"\\bin\\old.dll";
  ScopedHandle held(CreateFileW(heldPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held.valid());

  std::thread thread([this] { Install(); });
  const bool waiting = WaitUntil(15000, [&] { return view.LastStage() == Stage::kFailed; });
  Sleep(1200);  // several retries
  EXPECT_TRUE(waiting);
  EXPECT_EQ(view.LastFailure(), Failure::kDiskSpace);
  EXPECT_FALSE(view.closed);
  EXPECT_EQ(ReadFileBytes(input.installFolder + L"\\Lumetra.exe"), "old product");
  held.reset();
  thread.join();

  EXPECT_EQ(view.Stages(),
            (std::vector<Stage>{Stage::kFailed, Stage::kInstalling, Stage::kStartingProduct}));
  EXPECT_TRUE(view.closed);
  EXPECT_EQ(ReadFileBytes(input.installFolder + L"\\Lumetra.exe"), "new product");
  EXPECT_FALSE(PathExists(heldPath));
  EXPECT_FALSE(PathExists(Beside(L".old")));
  EXPECT_FALSE(PathExists(Beside(L".new")));
  EXPECT_EQ(LogCount("CopytoInstallPath: " + Narrow(heldPath) + " replaced"), 1);
  EXPECT_EQ(LogCount("CopytoInstallPath ok"), 1);
}

// Links someone left in the install folder lead outside it; what they lead to is never
// written or removed. A link to a file gives way to the package's file.
TEST_F(InstallStageTest, AFileLinkInTheInstallFolderGivesWayToThePackagesFile) {
  REQUIRE_FIXTURE(InstallFolderWithLink("install-file-link", L"Lumetra\\readme.txt", L"note.txt",
                                        {{L"note.txt", "the user's note"}}),
                  "this platform lets the test make no file link");
  StagePackage({{L"Lumetra.exe", "product"}, {L"readme.txt", "the package's readme"}});

  Install();

  EXPECT_EQ(ReadFileBytes(scratch + L"\\outside\\note.txt"), "the user's note");
  EXPECT_EQ(ReadFileBytes(input.installFolder + L"\\readme.txt"), "the package's readme");
  EXPECT_EQ(LogCount("CopytoInstallPath ok"), 1);
}

// A link to a folder where the new installation is to be made: removed as a link where the
// platform can (the update goes on), else the update stops with the previous installation
// in place. Nothing is ever written through it.
TEST_F(InstallStageTest, AFolderLinkWhereTheNewFolderGoesIsNeverWrittenThrough) {
  REQUIRE_FIXTURE(InstallFolderWithLink("install-new-link", L"Lumetra.new", L"",
                                        {{L"own.txt", "own"}}),
                  "this platform lets the test make no folder link");
  WriteTree(input.installFolder, {{L"Lumetra.exe", "old product"}});
  StagePackage({{L"Lumetra.exe", "new product"}, {L"resources\\texts.txt", "texts"}});

  Install();

  EXPECT_EQ(ReadFileBytes(scratch + L"\\outside\\own.txt"), "own");
  EXPECT_FALSE(PathExists(scratch + L"\\outside\\Lumetra.exe"));
  EXPECT_FALSE(PathExists(scratch + L"\\outside\\resources"));
  if (system_test::IsLink(Beside(L".new"))) {
    EXPECT_EQ(LogCount("CopytoInstallPath failed"), 1);
    EXPECT_EQ(view.LastFailure(), Failure::kDiskSpace);
    EXPECT_EQ(ReadFileBytes(input.installFolder + L"\\Lumetra.exe"), "old product");
  } else {
    EXPECT_FALSE(PathExists(Beside(L".new")));
    EXPECT_EQ(ReadFileBytes(input.installFolder + L"\\resources\\texts.txt"), "texts");
    EXPECT_EQ(LogCount("CopytoInstallPath ok"), 1);
  }
}

// An update into a product registered elsewhere: after the installation the upgrader
// starts from the folder just installed, in that folder, not from the old location.
TEST_F(InstallStageTest, UpgraderStartsFromTheFolderJustInstalled) {
  const std::wstring old = kTestRoot + L"\\Old\\Lumetra";
  WriteTree(old, {});
  CopyFileW(FixtureExe(L"upgrader_stub").c_str(), (old + L"\\Upgrader.exe").c_str(), FALSE);
  input.installedLocation = old;
  StagePackage({{L"Lumetra.exe", "product"}});

  EXPECT_EQ(Install(), InstallEnd::kUpgraderStarted);

  ASSERT_TRUE(WaitUntil(10000, [&] { return !UpgraderRecord(L"upgrader_started.txt").empty(); }));
  EXPECT_EQ(UpgraderRecord(L"upgrader_folder.txt"), Narrow(input.installFolder) + "\n");
  EXPECT_FALSE(PathExists(old + L"\\upgrader_started.txt"));
  DWORD type = 0;
  EXPECT_EQ(ReadValue32(L"InstallLocation", &type), input.installFolder)
      << "the registered installation is where the product went";
}
