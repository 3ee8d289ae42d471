#include "workflow/download_phase.h"

#include <shlwapi.h>

#include "download/check_download_file.h"
#include "download/http_download.h"
#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "system/install_log.h"
#include "system/process.h"
#include "workflow/connection.h"
#include "workflow/download_stage_rules.h"
#include "workflow/fetch_rules.h"

namespace {

bool PathExists(const std::wstring& path) { return PathFileExistsW(path.c_str()) != FALSE; }

// One file of the phase: its record, its part of the bar, its result's extension and the
// log lines of its failures.
struct Item {
  const PackageInfo& record;
  int start;
  int span;
  const wchar_t* extension;
  const wchar_t* failedOnline;
  const wchar_t* failedOffline;
  bool countRetries;  // the package's wait for the network logs "Retry: %d"
};

// A file that fails while the network is present (a transfer cut short or past its size,
// a file that fails its check) is fetched once more from zero before the phase fails: a
// transfer corrupted once would very likely pass the second time. A checked file that
// does not unpack would be the same file again.
constexpr int kAttemptsWhileOnline = 2;

// Where an item is downloaded to; none when its URL names no plain file.
std::optional<std::wstring> ItemDownloadPath(const PackageInfo& record) {
  const std::optional<std::wstring> name = SafeDownloadFileName(record.url);
  if (!name) return std::nullopt;
  return GetTempFolder() + L"\\" + *name;
}

// One item, fetched until it is there: waits out network outages, fails the phase when
// the network is present on the last attempt.
DownloadEnd FetchItem(RunContext& run, int timeoutMs, const Item& item, std::wstring& result) {
  for (int attempt = 1;;) {
    run.view.ShowStage(Stage::kDownloading);
    run.view.SetProgressPos(item.start);
    bool transferFailed = false;
    result = DownloadPackageItem(run, timeoutMs, item.start, item.span, item.extension,
                                 item.record, &transferFailed);
    run.cancel.WaitWhilePromptOpen();
    if (run.cancel.IsCancelled()) return DownloadEnd::kCancelled;
    if (!result.empty()) return DownloadEnd::kReady;
    if (IsMachineConnected()) {
      if (transferFailed && attempt < kAttemptsWhileOnline) {
        WriteInstallLog(L"Download attempt %d of %d failed, fetching again from the start: %ls",
                        attempt, kAttemptsWhileOnline, item.record.url.c_str());
        if (const std::optional<std::wstring> partial = ItemDownloadPath(item.record))
          DeleteFileW(partial->c_str());
        ++attempt;
        continue;
      }
      WriteInstallLog(item.failedOnline);
      run.Fail(Failure::kNoConnection);
      return DownloadEnd::kFailed;
    }
    WriteInstallLog(item.failedOffline);
    run.view.ShowStage(Stage::kOffline);
    if (!WaitForConnection(run.cancel, item.countRetries)) return DownloadEnd::kCancelled;
  }
}

}  // namespace

bool DecompressPackage(RunContext& run, const std::wstring& archivePath, bool mustUnpack) {
  const std::wstring temp = GetTempFolder();
  const std::wstring extractor = temp + L"\\7za.exe";
  if (!PathExists(extractor)) return false;
  if (archivePath.find(L'\\') == std::wstring::npos) return false;
  const std::optional<unsigned long> exitCode =
      RunProgramForExitCode(SW_HIDE, temp + L"\\", extractor, ExtractorParameters(archivePath),
                            &run.cancel.extractor());
  if (!exitCode) return false;
  // An installer need not be an archive at all: only the package has to unpack.
  if (mustUnpack && !ExtractorSucceeded(*exitCode)) {
    WriteInstallLog(L"7za.exe exit code %lu for %ls", *exitCode, archivePath.c_str());
    return false;
  }
  return true;
}

std::wstring DownloadPackageItem(RunContext& run, int timeoutMs, int start, int span,
                                 const std::wstring& extension, const PackageInfo& record,
                                 bool* transferFailed) {
  bool ignored = false;
  bool& failedBeforeUnpacking = transferFailed ? *transferFailed : ignored;
  failedBeforeUnpacking = false;
  WriteInstallLog(L"Download  start: %ls", record.url.c_str());
  // The name comes from the server: it must never point outside the Temp folder.
  const std::optional<std::wstring> path = ItemDownloadPath(record);
  if (!path) {
    WriteInstallLog(L"Download file name refused, not a plain file name: %ls", record.url.c_str());
    return std::wstring();
  }
  const std::wstring& target = *path;
  failedBeforeUnpacking = true;
  const int result = DownloadFile(timeoutMs, OnDownloadProgress, record.url, target, start, span,
                                  &run, &run.cancel.transfer(), static_cast<uint64_t>(record.size));
  WriteInstallLog(L"Download finish: %ls", record.url.c_str());
  if (result != kDownloadComplete) {
    WriteInstallLog(L"Download failed");
    return std::wstring();
  }
  WriteInstallLog(L"Download ok");
  if (!run.heldFiles.Hold(target) ||
      !CheckDownloadFile(target, record.md5, record.size, record.sha256)) {
    WriteInstallLog(L"CheckDownloadFile failed");
    run.heldFiles.Release(target);
    // Kept, a full-size wrong file would pass for complete on every later attempt.
    DeleteFileW(target.c_str());
    return std::wstring();
  }
  failedBeforeUnpacking = false;
  const std::wstring resultPath = ItemResultPath(target, extension);
  // The package's result is the folder it unpacks to: what an earlier run left there
  // must not mix with this package, nor pass for it when this one fails to unpack.
  const bool isPackage = extension.empty();
  if (isPackage && resultPath != target) DeleteFolderTree(resultPath);
  const bool unpacked = DecompressPackage(run, target, isPackage);
  // The archive is done with once unpacked; an installer stays held until it has run.
  if (isPackage || !unpacked) run.heldFiles.Release(target);
  if (!unpacked) {
    WriteInstallLog(L"DecompressPackage failed");
    if (isPackage && resultPath != target) DeleteFolderTree(resultPath);
    return std::wstring();
  }
  return PathExists(resultPath) ? resultPath : std::wstring();
}

DownloadResult DownloadStage(RunContext& run, const DownloadInput& input) {
  WriteInstallLog(L"Download check .net framework");
  const PackageInfo& nf = input.netFramework;
  const PackageInfo& vc = input.vc2015x86;
  const PackageInfo& app = input.application;
  const bool nfNeeded = IsToBeFetched(nf), vcNeeded = IsToBeFetched(vc),
             appNeeded = IsToBeFetched(app);
  WriteInstallLog(nfNeeded ? L".net framework download needed"
                           : L".net framework download not needed");
  WriteInstallLog(vcNeeded ? L"vc2015 x86 download needed" : L"vc2015 x86 download not needed");
  WriteInstallLog(appNeeded ? L"app download needed" : L"app download not needed");
  uint64_t total = 0;
  for (const PackageInfo* record : {&nf, &vc, &app})
    if (IsToBeFetched(*record)) total += static_cast<uint64_t>(record->size);

  const DownloadShares shares = ComputeDownloadShares(total, nf.size, vc.size);
  WriteInstallLog(L"nf_start: %d, nf_part: %d.", shares.nfStart, shares.nfPart);
  WriteInstallLog(L"vc2015x86_start: %d, vc2015x86_part: %d.", shares.vcStart, shares.vcPart);
  WriteInstallLog(L"pk_start: %d, pk_part: %d.", shares.pkStart, shares.pkPart);

  const Item items[] = {
      {nf, shares.nfStart, shares.nfPart, L".exe",
       L"Download  netFramework failed for other reason, stop",
       L"Download netFramework failed for network disconnect, continue", false},
      {vc, shares.vcStart, shares.vcPart, L".exe", L"Download vc2015 failed for other reason, stop",
       L"Download vc2015 failed for network disconnect, continue", false},
      {app, shares.pkStart, shares.pkPart, L"", L"Download app failed for other reason, stop",
       L"Download app failed for network disconnect, continue", true},
  };
  DownloadResult result;
  std::wstring* paths[] = {&result.files.netSetup, &result.files.vcSetup, &result.files.package};
  for (size_t i = 0; i < 3; ++i) {
    if (!IsToBeFetched(items[i].record)) continue;
    result.end = FetchItem(run, input.timeoutMs, items[i], *paths[i]);
    if (result.end != DownloadEnd::kReady) return result;
  }
  result.end = DownloadEnd::kReady;
  return result;
}
