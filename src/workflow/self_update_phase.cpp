#include "workflow/self_update_phase.h"

#include <random>

#include "base/wide_string.h"
#include "download/check_download_file.h"
#include "download/http_download.h"
#include "system/debug_trace.h"
#include "system/folder_set.h"
#include "system/install_log.h"
#include "system/module_path.h"
#include "system/probes.h"
#include "system/process.h"
#include "system/user_folder_files.h"
#include "workflow/connection.h"
#include "workflow/fetch_rules.h"
#include "workflow/retry_delay.h"
#include "workflow/self_update_rules.h"

namespace {

// The downloaded file's own version block decides, not the configuration's word.
bool DownloadedInstallerQualifies(const std::wstring& path) {
  const std::wstring own = GetOwnVersion();
  const std::wstring inFile = GetFileProductVersion(path, false);
  if (DownloadedInstallerIsNewer(own, inFile)) return true;
  WriteInstallLog(L"New installer is version %ls inside, not newer than this one (%ls): not used",
                  inFile.empty() ? L"unknown" : inFile.c_str(), own.c_str());
  return false;
}

// False when the copy beside this installer could not be made or is not the file that
// was checked; this installer then goes on by itself.
bool HandOverToNewInstaller(RunContext& run, const PackageInfo& record,
                            const std::wstring& downloadPath, const std::wstring& handOverPath,
                            const std::wstring& moduleFolder) {
  DebugTrace(L"Check new installer ok");
  if (run.unattended) {
    // Started by the caller from the working folder, still held; the installer in the
    // user's folder stays as it is.
    WriteInstallLog(L"New installer checked, it goes on unattended: %ls", downloadPath.c_str());
    run.handOverProgram = downloadPath;
    return true;
  }
  const ViewRect window = run.view.Placement();
  const std::wstring parameters = FormatWide(L"u %d %d", window.top, window.left);
  run.cancel.WaitWhilePromptOpen();
  if (!run.cancel.IsCancelled()) {
    if (!CopyToFreshFile(downloadPath, handOverPath) ||
        !run.heldFiles.Hold(handOverPath) ||
        !CheckDownloadFile(handOverPath, record.md5, record.size, record.sha256)) {
      run.heldFiles.Release(handOverPath);
      WriteInstallLog(L"New installer copy failed its check, going on without it: %ls",
                      handOverPath.c_str());
      run.heldFiles.Release(downloadPath);
      return false;
    }
    RunProgram(SW_HIDE, false, moduleFolder, handOverPath, parameters);
  }
  run.heldFiles.ReleaseAll();
  run.view.Close();
  return true;
}

}  // namespace

SelfUpdateEnd UpdateInstaller(RunContext& run, const SelfUpdateInput& input) {
  const PackageInfo& record = input.installer;
  std::minstd_rand random(GetTickCount() ^ GetCurrentProcessId());
  int mismatches = 0;
  while (IsToBeFetched(record)) {
    WriteInstallLog(L"Installer new version exist");
    std::wstring moduleFolder, moduleName;
    GetModulePath(&moduleFolder, &moduleName);
    const std::wstring handOverPath = moduleFolder + L"\\tmp" + moduleName;
    const std::wstring downloadPath = GetTempFolder() + L"\\tmp" + moduleName;
    run.view.ShowStage(Stage::kUpdatingInstaller);
    run.view.SetProgressPos(0);

    WriteInstallLog(L"Download start: %ls", record.url.c_str());
    const int result = DownloadFile(input.timeoutMs, OnDownloadProgress, record.url, downloadPath,
                                    0, 100, &run, &run.cancel.transfer(),
                                    static_cast<uint64_t>(record.size));
    WriteInstallLog(L"Download finish:%ls", record.url.c_str());
    if (run.cancel.IsCancelled()) return SelfUpdateEnd::kCancelled;

    if (result == kDownloadComplete) {
      WriteInstallLog(L"Download new installer ok");
      if (run.heldFiles.Hold(downloadPath) &&
          CheckDownloadFile(downloadPath, record.md5, record.size, record.sha256)) {
        if (!DownloadedInstallerQualifies(downloadPath)) {
          run.heldFiles.Release(downloadPath);
          DeleteFileW(downloadPath.c_str());
          return SelfUpdateEnd::kNothingNewer;
        }
        if (HandOverToNewInstaller(run, record, downloadPath, handOverPath, moduleFolder))
          return SelfUpdateEnd::kHandedOver;
        return SelfUpdateEnd::kNothingNewer;
      }
      run.heldFiles.Release(downloadPath);
      WriteInstallLog(L"Check new installer error");
      DeleteFileW(downloadPath.c_str());
      // A file that never matches is fetched again without end, but not at full speed.
      const DWORD wait = RetryDelayMs(++mismatches, static_cast<uint32_t>(random()));
      WriteInstallLog(L"Download again in %lu ms", static_cast<unsigned long>(wait));
      run.PauseBeforeRetry(wait);
      if (run.cancel.IsCancelled()) return SelfUpdateEnd::kCancelled;
    } else if (result == kDownloadFailed && !IsMachineConnected()) {
      WriteInstallLog(L"Download failed for network reason. continue");
      run.view.ShowStage(Stage::kOffline);
      const bool connected = WaitForConnection(run.cancel);
      DeleteFileW(downloadPath.c_str());
      if (!connected) return SelfUpdateEnd::kCancelled;
    } else {
      WriteInstallLog(L"Download failed for other reason but not network disconnect. stop");
      run.Fail(Failure::kNoConnection);
      DeleteFileW(downloadPath.c_str());
      return SelfUpdateEnd::kFailed;
    }
  }
  return SelfUpdateEnd::kNothingNewer;
}
