#include "workflow/install_phase.h"

#include "base/product.h"
#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "system/install_log.h"
#include "system/probes.h"
#include "system/process.h"
#include "system/run_at_startup.h"
#include "system/shortcuts.h"
#include "workflow/exit_codes.h"
#include "workflow/fetch_rules.h"
#include "workflow/install_folder_swap.h"
#include "workflow/start_product.h"

namespace {

constexpr wchar_t kSilentParameters[] = L"/q /norestart";
constexpr unsigned kTempRemovalMs = 2000;

bool DotNetPresent() { return IsDotNetInstalled(L""); }
bool VcRuntimePresent() { return IsVcRuntimeInstalled(L"14.0", L"x86"); }

struct Prerequisite {
  const std::wstring& program;
  bool (*installed)();
  const wchar_t* startLog;
  const wchar_t* failedLog;
  const wchar_t* okLog;
};

void FailInstall(RunContext& run, const wchar_t* logText, Failure failure) {
  WriteInstallLog(L"%ls", logText);
  run.Fail(failure);
  run.view.SetProgressCreep(false);
}

// Runs one installer hidden and waits for it. Whether it installed, the probe afterwards
// decides; its exit code only says whether it wants the machine restarted.
bool InstallPrerequisite(RunContext& run, const Prerequisite& prerequisite) {
  WriteInstallLog(L"%ls", prerequisite.startLog);
  const std::optional<unsigned long> exitCode =
      RunProgramForExitCode(SW_HIDE, GetTempFolder(), prerequisite.program, kSilentParameters);
  run.heldFiles.Release(prerequisite.program);
  if (exitCode && IsRestartRequest(*exitCode)) {
    WriteInstallLog(L"%ls asks for a restart (exit code %lu)", prerequisite.program.c_str(),
                    *exitCode);
    run.restartRequested = true;
  }
  if (!prerequisite.installed()) {
    FailInstall(run, prerequisite.failedLog, Failure::kInstallFailed);
    return false;
  }
  WriteInstallLog(L"%ls", prerequisite.okLog);
  return true;
}

// The package is copied into a fresh folder beside the installation and swapped in only
// when complete; what is left half-made on the way is removed.
bool CopyPackageIntoPlace(RunContext& run, const InstallInput& input) {
  StagedInstallation staged(input.installFolder);
  return staged.Prepare() && CopytoInstallPath(input.files.package, staged.folder()) &&
         staged.SwapIn(run);
}

// Ends the product, replaces its folder with the package, registers it and renews its
// shortcuts and start-up entry. Until the package is complete beside the installation and
// swapped in, a failure leaves the previous installation and its data as they were.
bool InstallProduct(RunContext& run, const InstallInput& input) {
  const std::wstring& installPath = input.installFolder;
  // Only the product's programs in the folder about to be replaced, in every session.
  KillProcessesByPath(installPath + L"\\" + kProductExeName);
  KillProcessesByPath(installPath + L"\\Upgrader.exe");
  WriteInstallLog(L"CopytoInstallPath");
  if (!CopyPackageIntoPlace(run, input)) {
    FailInstall(run, L"CopytoInstallPath failed", Failure::kDiskSpace);
    return false;
  }
  // The previous installation's data goes with it, now that the new one is in place.
  RemoveMakerAppDataFolder();
  WriteInstallLog(L"CopytoInstallPath ok");
  run.view.SetProgressTarget(100);
  run.ShowProgress(90);

  if (!RegisterToSystem(installPath, input.application.version)) {
    FailInstall(run, L"RegisterToSystem failed", Failure::kInstallFailed);
    return false;
  }
  WriteInstallLog(L"RegisterToSystem ok");
  run.ShowProgress(100);
  run.view.SetProgressCreep(false);

  const std::wstring productExe = installPath + L"\\" + kProductExeName;
  DeleteProductShortcuts();
  CreateProductShortcut(productExe);
  SetRunAtStartup(productExe);
  return true;
}

// An installer that has just ended can hold its working folder (the Temp folder) a moment
// longer than its process handle says.
void RemoveTempFolder() {
  const std::wstring temp = GetTempFolder();
  if (!DeleteFolderTreeWithin(temp, kTempRemovalMs))
    WriteInstallLog(L"Temp folder could not be removed: %ls", temp.c_str());
}

}  // namespace

InstallEnd InstallStage(RunContext& run, const InstallInput& input) {
  WriteInstallLog(L"Install");
  run.view.SetProgressTarget(60);
  run.view.SetProgressCreep(true);

  if (IsToBeFetched(input.netFramework) &&
      !InstallPrerequisite(run, {input.files.netSetup, DotNetPresent, L"Install .net framwork",
                                 L"Install .net framwork failed", L"Install .net framwork ok"}))
    return InstallEnd::kFailed;
  if (IsToBeFetched(input.vc2015x86) &&
      !InstallPrerequisite(run, {input.files.vcSetup, VcRuntimePresent,
                                 L"Install vc2015 x86 redist.", L"Install vc2015 x86 failed",
                                 L"Install vc2015 x86 ok"}))
    return InstallEnd::kFailed;

  WriteInstallLog(L"Install app");
  run.view.SetProgressTarget(90);
  run.ShowProgress(60);

  ProductStart start{input.installedLocation, input.installFolder};
  const bool installedNow = IsToBeFetched(input.application);
  if (installedNow) {
    if (!InstallProduct(run, input)) return InstallEnd::kFailed;
    // The registration now names this folder: the upgrader starts from here, not from
    // where an earlier installation lay.
    start.installedLocation = input.installFolder;
  } else {
    WriteInstallLog(L"Install app no need");
    run.view.SetProgressTarget(100);
  }

  run.heldFiles.ReleaseAll();
  RemoveTempFolder();
  return StartUpgrader(run, start, installedNow) ? InstallEnd::kUpgraderStarted
                                                 : InstallEnd::kFailed;
}
