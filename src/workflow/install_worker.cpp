#include "workflow/install_worker.h"

#include <shlwapi.h>

#include <random>
#include <vector>

#include "base/unique_handle.h"
#include "base/wide_string.h"
#include "build_config.h"
#include "download/check_download_file.h"
#include "download/file_signature.h"
#include "download/http_download.h"
#include "resource_ids.h"
#include "system/carried_files.h"
#include "system/debug_trace.h"
#include "system/folder_set.h"
#include "system/install_log.h"
#include "system/module_path.h"
#include "system/probes.h"
#include "system/process.h"
#include "workflow/connection.h"
#include "workflow/fetch_rules.h"
#include "workflow/override_file.h"
#include "workflow/retry_delay.h"
#include "workflow/self_update_rules.h"

namespace {

constexpr wchar_t kDefaultServerUrl[] =
    L"http://" LUMETRA_WEB_HOST L"/support/software/Vexa/WindowsOS/update_win.ini";
constexpr DWORD kOverrideReadLimit = 1024;
constexpr DWORD kExitPromptPollMs = 100;

bool FileExists(const std::wstring& path) { return PathFileExistsW(path.c_str()) != FALSE; }

// The downloaded file's own version block decides, not the configuration's word.
bool DownloadedInstallerQualifies(const std::wstring& path) {
  const std::wstring own = GetOwnVersion();
  const std::wstring inFile = GetFileProductVersion(path, false);
  if (DownloadedInstallerIsNewer(own, inFile)) return true;
  WriteInstallLog(L"New installer is version %ls inside, not newer than this one (%ls): not used",
                  inFile.empty() ? L"unknown" : inFile.c_str(), own.c_str());
  return false;
}

}  // namespace

// In slices, so that a confirmed cancel does not wait out a long pause.
void PauseBeforeRetry(IInstallerHost& dialog, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < end && !dialog.IsCancelled(); now = GetTickCount64())
    Sleep(static_cast<DWORD>(end - now < kExitPromptPollMs ? end - now : kExitPromptPollMs));
}

// Once the user has confirmed cancelling, a running transfer stops at its next chunk and
// lets go of its file, so that the Temp folder can be removed.
bool OnDownloadProgress(void* dialog, int position, bool /*finished*/) {
  auto* host = static_cast<IInstallerHost*>(dialog);
  if (host->IsCancelled()) return false;
  if (!host->IsExitPromptOpen()) host->SetProgressPos(position);
  return true;
}

DWORD WINAPI MainFlowThread(LPVOID dialog) {
  auto* host = static_cast<IInstallerHost*>(dialog);
  host->Worker().RunWorkflow(*host);
  return 0;
}

DWORD WINAPI DownloadThread(LPVOID dialog) {
  auto* host = static_cast<IInstallerHost*>(dialog);
  host->DownloadFinished(host->Worker().DownloadStage(*host));
  return 0;
}

DWORD WINAPI InstallThread(LPVOID dialog) {
  auto* host = static_cast<IInstallerHost*>(dialog);
  host->Worker().InstallStage(*host);
  return 0;
}

std::wstring CInstallWorker::ReadOverrideText() {
  const std::wstring path = GetDownloadFolder() + L"\\" + kOverrideFileName;
  WriteInstallLog(L"TestServerForVexa path: %ls", path.c_str());
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return std::wstring();
  char bytes[kOverrideReadLimit] = {};
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes, kOverrideReadLimit, &read, nullptr) || read == 0)
    return std::wstring();
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(read), nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(read), text.data(), length);
  return text;
}

std::wstring CInstallWorker::GetServerUrl() {
  return ReadApplicationUpdateUrl(ReadOverrideText()).value_or(kDefaultServerUrl);
}

int CInstallWorker::GetWebConnectTimeout() {
  return ReadWebConnectTimeout(ReadOverrideText()).value_or(kDefaultWebConnectTimeoutMs);
}

std::wstring CInstallWorker::DownloadServerIni(const std::wstring& url, int timeoutMs) {
  const std::wstring target = GetTempFolder() + L"\\server.ini";
  DeleteFileW(target.c_str());
  DeleteFileW((target + kSignatureSuffix).c_str());
  const std::wstring localCopy = GetAppDataFolder() + L"\\Package\\update_win.ini";
  if (FileExists(localCopy)) {
    CopyFileW(localCopy.c_str(), target.c_str(), FALSE);
    if (m_releaseKey)
      CopyFileW((localCopy + kSignatureSuffix).c_str(), (target + kSignatureSuffix).c_str(), FALSE);
    return target;
  }
  WriteInstallLog(L"Download  start: %ls", url.c_str());
  const int result = DownloadFile(timeoutMs, nullptr, url, target, 0, 0, m_pDlg);
  WriteInstallLog(L"Download  finish: %ls", url.c_str());
  if (result != kDownloadComplete) DeleteFileW(target.c_str());
  else if (m_releaseKey) DownloadServerIniSignature(url, target, timeoutMs);
  return target;
}

void CInstallWorker::Fail(int textId) {
  m_pDlg->SetErrorTextId(textId);
  m_pDlg->SetStage(kStageFailed);
}

// Loops until the configuration is in server.ini, waiting out network outages; a
// failure with the network present ends the run (error stage, empty m_strServerIni).
void CInstallWorker::FetchConfiguration() {
  for (;;) {
    m_pDlg->SetStage(kStageChecking);
    const std::wstring url = GetServerUrl();
    WriteInstallLog(L"Server: %ls", url.c_str());
    m_nTimeout = GetWebConnectTimeout();
    WriteInstallLog(L"timeout: %ld", static_cast<long>(m_nTimeout));
    m_strServerIni = DownloadServerIni(url, m_nTimeout);
    if (!m_strServerIni.empty() && FileExists(m_strServerIni)) return;

    if (IsMachineConnected()) {
      WriteInstallLog(L"Download ini failed for other reason, stop");
      m_strServerIni.clear();
      Fail(IDS_NO_INTERNET);
      return;
    }
    WriteInstallLog(L"Download ini file failed for network disconnect.");
    m_pDlg->SetStage(kStageOffline);
    WaitForConnection();
  }
}

// Reads the configuration; true (and the window in stage 9 or 10) when the run cannot go on.
bool CInstallWorker::FailWhenConfigurationUnusable() {
  if (!ServerIniSignatureAccepted()) {
    Fail(IDS_SERVER_CONFIG_ERROR);
    return true;
  }
  if (!m_config.ReadApplicationSection(m_strServerIni)) {
    WriteInstallLog(L"Doesn't support current OS");
    m_pDlg->SetStage(kStageOsUnsupported);
    return true;
  }
  if (!m_config.ReadInstallerSection(m_strServerIni)) {
    WriteInstallLog(L"Read ini file failed");
    Fail(IDS_SERVER_CONFIG_ERROR);
    return true;
  }
  const std::wstring extractor = GetTempFolder() + L"\\7za.exe";
  if (!ExtractFileResource(IDR_FILE_7ZA, extractor) || !m_heldFiles.Hold(extractor) ||
      !FileMatchesResource(IDR_FILE_7ZA, extractor)) {
    WriteInstallLog(L"7za.exe error");
    Fail(IDS_UNKNOWN_ERROR);
    return true;
  }
  return false;
}

// False when the copy beside this installer could not be made or is not the file that
// was checked; this installer then goes on by itself.
bool CInstallWorker::HandOverToNewInstaller(const std::wstring& downloadPath,
                                            const std::wstring& handOverPath,
                                            const std::wstring& moduleFolder) {
  DebugTrace(L"Check new installer ok");
  const HostWindowRect window = m_pDlg->WindowRect();
  const std::wstring parameters = FormatWide(L"u %d %d", window.top, window.left);
  while (m_pDlg->IsExitPromptOpen()) Sleep(kExitPromptPollMs);
  if (!m_pDlg->IsCancelled()) {
    const PackageInfo& record = m_config.m_installer;
    if (!CopyFileW(downloadPath.c_str(), handOverPath.c_str(), FALSE) ||
        !m_heldFiles.Hold(handOverPath) ||
        !CheckDownloadFile(handOverPath, record.md5, record.size, record.sha256)) {
      m_heldFiles.Release(handOverPath);
      WriteInstallLog(L"New installer copy failed its check, going on without it: %ls",
                      handOverPath.c_str());
      m_heldFiles.Release(downloadPath);
      return false;
    }
    RunProgram(SW_HIDE, false, moduleFolder, handOverPath, parameters);
  }
  m_heldFiles.ReleaseAll();
  m_pDlg->Close();
  return true;
}

CInstallWorker::SelfUpdate CInstallWorker::UpdateInstaller() {
  std::minstd_rand random(GetTickCount() ^ GetCurrentProcessId());
  int mismatches = 0;
  while (IsToBeFetched(m_config.m_installer)) {
    WriteInstallLog(L"Installer new version exist");
    std::wstring moduleFolder, moduleName;
    GetModulePath(&moduleFolder, &moduleName);
    const std::wstring handOverPath = moduleFolder + L"\\tmp" + moduleName;
    const std::wstring downloadPath = GetTempFolder() + L"\\tmp" + moduleName;
    m_pDlg->SetStage(kStageUpdatingInstaller);
    m_pDlg->SetProgressPos(0);

    const std::wstring& url = m_config.m_installer.url;
    WriteInstallLog(L"Download start: %ls", url.c_str());
    const int result =
        DownloadFile(m_nTimeout, OnDownloadProgress, url, downloadPath, 0, 100, m_pDlg);
    WriteInstallLog(L"Download finish:%ls", url.c_str());

    if (result == kDownloadComplete) {
      WriteInstallLog(L"Download new installer ok");
      if (m_heldFiles.Hold(downloadPath) &&
          CheckDownloadFile(downloadPath, m_config.m_installer.md5, m_config.m_installer.size,
                            m_config.m_installer.sha256)) {
        if (!DownloadedInstallerQualifies(downloadPath)) {
          m_heldFiles.Release(downloadPath);
          DeleteFileW(downloadPath.c_str());
          return SelfUpdate::kNothingNewer;
        }
        if (HandOverToNewInstaller(downloadPath, handOverPath, moduleFolder))
          return SelfUpdate::kHandedOver;
        return SelfUpdate::kNothingNewer;
      }
      m_heldFiles.Release(downloadPath);
      WriteInstallLog(L"Check new installer error");
      DeleteFileW(downloadPath.c_str());
      // A file that never matches is fetched again without end, but not at full speed.
      const DWORD wait = RetryDelayMs(++mismatches, static_cast<uint32_t>(random()));
      WriteInstallLog(L"Download again in %lu ms", static_cast<unsigned long>(wait));
      m_retryPause(*m_pDlg, wait);
      if (m_pDlg->IsCancelled()) return SelfUpdate::kFailed;
    } else if (result == kDownloadFailed && !IsMachineConnected()) {
      WriteInstallLog(L"Download failed for network reason. continue");
      m_pDlg->SetStage(kStageOffline);
      WaitForConnection();
      DeleteFileW(downloadPath.c_str());
    } else {
      WriteInstallLog(L"Download failed for other reason but not network disconnect. stop");
      Fail(IDS_NO_INTERNET);
      DeleteFileW(downloadPath.c_str());
      return SelfUpdate::kFailed;
    }
  }
  return SelfUpdate::kNothingNewer;
}

void CInstallWorker::RunWorkflow(IInstallerHost& dialog) {
  m_pDlg = &dialog;
  FetchConfiguration();
  if (m_strServerIni.empty()) return;
  if (FailWhenConfigurationUnusable()) return;
  if (UpdateInstaller() != SelfUpdate::kNothingNewer) return;

  WriteInstallLog(L"Run this...");
  m_pDlg->SetStage(kStagePreparing);
  if (IsToBeFetched(m_config.m_netFramework) || IsToBeFetched(m_config.m_application)) {
    m_pDlg->SetStage(kStageReady);
    return;
  }
  if (!m_config.GetInstalledVersion().empty()) {
    WriteInstallLog(L"No valid app to download, start the installed one: %ls",
                    m_config.m_strInstallLocation.c_str());
    StartApp(dialog);
    return;
  }
  WriteInstallLog(L"app is never installed and no valid app to download");
  Fail(IDS_SERVER_CONFIG_ERROR);
}
