#include "workflow/configuration_phase.h"

#include <shlwapi.h>

#include "base/unique_handle.h"
#include "build_config.h"
#include "download/file_signature.h"
#include "download/http_download.h"
#include "resource_ids.h"
#include "system/carried_files.h"
#include "system/folder_set.h"
#include "system/install_log.h"
#include "workflow/connection.h"
#include "workflow/override_file.h"

namespace {

constexpr wchar_t kDefaultServerUrl[] =
    L"http://" LUMETRA_WEB_HOST L"/support/software/Vexa/WindowsOS/update_win.ini";
constexpr DWORD kOverrideReadLimit = 1024;

bool FileExists(const std::wstring& path) { return PathFileExistsW(path.c_str()) != FALSE; }

std::wstring ReadOverrideText() {
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

const wchar_t* RefusalReason(SignatureCheck check) {
  switch (check) {
    case SignatureCheck::kMissing: return L"its signature is missing";
    case SignatureCheck::kUnreadable: return L"its signature cannot be read";
    default: return L"its signature does not match";
  }
}

// Fetched like the configuration itself. A signature lost to a network outage takes the
// configuration with it, so that the caller waits for the network and fetches both again;
// one that is simply not there leaves the configuration to be refused.
void DownloadServerIniSignature(RunContext& run, const std::wstring& url,
                                const std::wstring& target, int timeoutMs) {
  const std::wstring signatureUrl = url + kSignatureSuffix;
  const std::wstring signature = target + kSignatureSuffix;
  WriteInstallLog(L"Download  start: %ls", signatureUrl.c_str());
  const int result = DownloadFile(timeoutMs, nullptr, signatureUrl, signature, 0, 0, &run,
                                  &run.cancel.transfer());
  WriteInstallLog(L"Download  finish: %ls", signatureUrl.c_str());
  if (result == kDownloadComplete) return;
  DeleteFileW(signature.c_str());
  if (result == kDownloadFailed && !IsMachineConnected()) DeleteFileW(target.c_str());
}

// True when no signature is required or the configuration carries a valid one. Otherwise
// the configuration is deleted, so that nothing can act on it. Held from the check on, the
// file that is read is the file that was checked.
bool ServerIniSignatureAccepted(RunContext& run, const std::wstring& serverIni) {
  if (!run.releaseKey) return true;
  const SignatureCheck check = run.heldFiles.Hold(serverIni)
                                   ? CheckFileSignature(*run.releaseKey, serverIni)
                                   : SignatureCheck::kUnreadable;
  if (check == SignatureCheck::kValid) {
    WriteInstallLog(L"Server configuration signature verified");
    return true;
  }
  const std::wstring signature = serverIni + kSignatureSuffix;
  WriteInstallLog(L"Server configuration refused, %ls: %ls", RefusalReason(check),
                  signature.c_str());
  run.heldFiles.Release(serverIni);
  DeleteFileW(serverIni.c_str());
  DeleteFileW(signature.c_str());
  return false;
}

// Loops until the configuration is in server.ini, waiting out network outages. Empty when
// a failure with the network present ends the run (the failed stage shows) or the user
// cancelled during a wait.
std::wstring FetchConfiguration(RunContext& run, Plan& plan) {
  for (;;) {
    run.view.ShowStage(Stage::kChecking);
    const std::wstring url = GetServerUrl();
    WriteInstallLog(L"Server: %ls", url.c_str());
    plan.timeoutMs = GetWebConnectTimeout();
    WriteInstallLog(L"timeout: %ld", static_cast<long>(plan.timeoutMs));
    const std::wstring serverIni = DownloadServerIni(run, url, plan.timeoutMs);
    if (!serverIni.empty() && FileExists(serverIni)) return serverIni;
    if (run.cancel.IsCancelled()) return std::wstring();

    if (IsMachineConnected()) {
      WriteInstallLog(L"Download ini failed for other reason, stop");
      run.Fail(Failure::kNoConnection);
      return std::wstring();
    }
    WriteInstallLog(L"Download ini file failed for network disconnect.");
    run.view.ShowStage(Stage::kOffline);
    if (!WaitForConnection(run.cancel)) return std::wstring();
  }
}

// Reads the configuration into the plan and writes out the extractor; the end of the run
// (failed stage or OS page shown) when something is unusable.
PlanEnd ReadConfiguration(RunContext& run, Plan& plan) {
  if (!ServerIniSignatureAccepted(run, plan.serverIni)) {
    run.Fail(Failure::kServerConfig);
    return PlanEnd::kFailed;
  }
  if (!plan.config.ReadApplicationSection(plan.serverIni)) {
    WriteInstallLog(L"Doesn't support current OS");
    run.view.ShowStage(Stage::kOsUnsupported);
    return PlanEnd::kOsUnsupported;
  }
  if (!plan.config.ReadInstallerSection(plan.serverIni)) {
    WriteInstallLog(L"Read ini file failed");
    run.Fail(Failure::kServerConfig);
    return PlanEnd::kFailed;
  }
  const std::wstring extractor = GetTempFolder() + L"\\7za.exe";
  if (!ExtractFileResource(IDR_FILE_7ZA, extractor) || !run.heldFiles.Hold(extractor) ||
      !FileMatchesResource(IDR_FILE_7ZA, extractor)) {
    WriteInstallLog(L"7za.exe error");
    run.Fail(Failure::kUnknown);
    return PlanEnd::kFailed;
  }
  return PlanEnd::kPlanned;
}

}  // namespace

std::wstring GetServerUrl() {
  return ReadApplicationUpdateUrl(ReadOverrideText()).value_or(kDefaultServerUrl);
}

int GetWebConnectTimeout() {
  return ReadWebConnectTimeout(ReadOverrideText()).value_or(kDefaultWebConnectTimeoutMs);
}

std::wstring DownloadServerIni(RunContext& run, const std::wstring& url, int timeoutMs) {
  const std::wstring target = GetTempFolder() + L"\\server.ini";
  DeleteFileW(target.c_str());
  DeleteFileW((target + kSignatureSuffix).c_str());
  const std::wstring localCopy = GetAppDataFolder() + L"\\Package\\update_win.ini";
  if (FileExists(localCopy)) {
    CopyFileW(localCopy.c_str(), target.c_str(), FALSE);
    if (run.releaseKey)
      CopyFileW((localCopy + kSignatureSuffix).c_str(), (target + kSignatureSuffix).c_str(), FALSE);
    return target;
  }
  WriteInstallLog(L"Download  start: %ls", url.c_str());
  const int result =
      DownloadFile(timeoutMs, nullptr, url, target, 0, 0, &run, &run.cancel.transfer());
  WriteInstallLog(L"Download  finish: %ls", url.c_str());
  if (result != kDownloadComplete) DeleteFileW(target.c_str());
  else if (run.releaseKey) DownloadServerIniSignature(run, url, target, timeoutMs);
  return target;
}

PlanResult FetchPlan(RunContext& run) {
  PlanResult result;
  // Nothing may be downloaded or unpacked anywhere else.
  if (GetTempFolder().empty()) {
    WriteInstallLog(L"No working folder");
    run.Fail(Failure::kUnknown);
    result.end = PlanEnd::kFailed;
    return result;
  }
  result.plan.serverIni = FetchConfiguration(run, result.plan);
  if (result.plan.serverIni.empty()) {
    result.end = run.cancel.IsCancelled() ? PlanEnd::kCancelled : PlanEnd::kFailed;
    return result;
  }
  result.end = ReadConfiguration(run, result.plan);
  return result;
}
