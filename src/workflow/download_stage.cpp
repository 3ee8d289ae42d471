// The download stage: fetches, verifies and unpacks the .NET Framework installer, the VC
// runtime installer and the product package into the Temp folder, in that order.
#include <shlwapi.h>

#include "download/check_download_file.h"
#include "download/http_download.h"
#include "resource_ids.h"
#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "system/install_log.h"
#include "system/process.h"
#include "workflow/connection.h"
#include "workflow/download_stage_rules.h"
#include "workflow/fetch_rules.h"
#include "workflow/install_worker.h"

namespace {

constexpr DWORD kExitPromptPollMs = 100;
constexpr DWORD kRetryPauseMs = 500;

bool PathExists(const std::wstring& path) { return PathFileExistsW(path.c_str()) != FALSE; }

// Waits for the network; the package's wait logs every check after the first one.
void WaitForConnectionCounting() {
  for (int retry = 0; !IsMachineConnected(); ++retry) {
    Sleep(kRetryPauseMs);
    WriteInstallLog(L"Retry: %d", retry);
  }
}

}  // namespace

bool CInstallWorker::DecompressPackage(const std::wstring& archivePath, bool mustUnpack) {
  const std::wstring temp = GetTempFolder();
  const std::wstring extractor = temp + L"\\7za.exe";
  if (!PathExists(extractor)) return false;
  if (archivePath.find(L'\\') == std::wstring::npos) return false;
  const std::optional<unsigned long> exitCode =
      RunProgramForExitCode(SW_HIDE, temp + L"\\", extractor, ExtractorParameters(archivePath));
  if (!exitCode) return false;
  // An installer need not be an archive at all: only the package has to unpack.
  if (mustUnpack && !ExtractorSucceeded(*exitCode)) {
    WriteInstallLog(L"7za.exe exit code %lu for %ls", *exitCode, archivePath.c_str());
    return false;
  }
  return true;
}

std::wstring CInstallWorker::DownloadPackageItem(int start, int span,
                                                 const std::wstring& extension,
                                                 const PackageInfo& record) {
  WriteInstallLog(L"Download  start: %ls", record.url.c_str());
  // The name comes from the server: it must never point outside the Temp folder.
  const std::optional<std::wstring> name = SafeDownloadFileName(record.url);
  if (!name) {
    WriteInstallLog(L"Download file name refused, not a plain file name: %ls", record.url.c_str());
    return std::wstring();
  }
  const std::wstring target = GetTempFolder() + L"\\" + *name;
  const int result =
      DownloadFile(m_nTimeout, OnDownloadProgress, record.url, target, start, span, m_pDlg);
  WriteInstallLog(L"Download finish: %ls", record.url.c_str());
  if (result != kDownloadComplete) {
    WriteInstallLog(L"Download failed");
    return std::wstring();
  }
  WriteInstallLog(L"Download ok");
  if (!m_heldFiles.Hold(target) ||
      !CheckDownloadFile(target, record.md5, record.size, record.sha256)) {
    WriteInstallLog(L"CheckDownloadFile failed");
    m_heldFiles.Release(target);
    // Kept, a full-size wrong file would pass for complete on every later attempt.
    DeleteFileW(target.c_str());
    return std::wstring();
  }
  const std::wstring resultPath = ItemResultPath(target, extension);
  // The package's result is the folder it unpacks to: what an earlier run left there
  // must not mix with this package, nor pass for it when this one fails to unpack.
  const bool isPackage = extension.empty();
  if (isPackage && resultPath != target) DeleteFolderTree(resultPath);
  const bool unpacked = DecompressPackage(target, isPackage);
  // The archive is done with once unpacked; an installer stays held until it has run.
  if (isPackage || !unpacked) m_heldFiles.Release(target);
  if (!unpacked) {
    WriteInstallLog(L"DecompressPackage failed");
    if (isPackage && resultPath != target) DeleteFolderTree(resultPath);
    return std::wstring();
  }
  return PathExists(resultPath) ? resultPath : std::wstring();
}

// One item, fetched until it is there: waits out network outages, fails the stage when
// the network is present. The package's wait logs its retries.
CInstallWorker::ItemOutcome CInstallWorker::FetchItem(const ItemPlan& plan, std::wstring& result) {
  for (;;) {
    m_pDlg->SetStage(kStageDownloading);
    m_pDlg->SetProgressPos(plan.start);
    result = DownloadPackageItem(plan.start, plan.span, plan.extension, plan.record);
    while (m_pDlg->IsExitPromptOpen()) Sleep(kExitPromptPollMs);
    if (m_pDlg->IsCancelled()) return ItemOutcome::kCancelled;
    if (!result.empty()) return ItemOutcome::kReady;
    if (IsMachineConnected()) {
      WriteInstallLog(plan.failedOnline);
      Fail(IDS_NO_INTERNET);
      return ItemOutcome::kFailed;
    }
    WriteInstallLog(plan.failedOffline);
    m_pDlg->SetStage(kStageOffline);
    if (plan.countRetries)
      WaitForConnectionCounting();
    else
      WaitForConnection();
  }
}

bool CInstallWorker::DownloadStage(IInstallerHost& dialog) {
  m_pDlg = &dialog;
  WriteInstallLog(L"Download check .net framework");
  const PackageInfo& nf = m_config.m_netFramework;
  const PackageInfo& vc = m_config.m_vc2015x86;
  const PackageInfo& app = m_config.m_application;
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

  const ItemPlan items[] = {
      {nf, shares.nfStart, shares.nfPart, L".exe",
       L"Download  netFramework failed for other reason, stop",
       L"Download netFramework failed for network disconnect, continue", false},
      {vc, shares.vcStart, shares.vcPart, L".exe", L"Download vc2015 failed for other reason, stop",
       L"Download vc2015 failed for network disconnect, continue", false},
      {app, shares.pkStart, shares.pkPart, L"", L"Download app failed for other reason, stop",
       L"Download app failed for network disconnect, continue", true},
  };
  std::wstring* results[] = {&m_strNetSetup, &m_strVcSetup, &m_strPackage};
  for (size_t i = 0; i < 3; ++i) {
    if (!IsToBeFetched(items[i].record)) continue;
    if (FetchItem(items[i], *results[i]) != ItemOutcome::kReady) return false;
  }
  return true;
}
