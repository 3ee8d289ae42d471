#include "workflow/configuration_phase.h"

#include <shlwapi.h>

#include "base/unique_handle.h"
#include "build_config.h"
#include "config/release_freshness.h"
#include "download/cng.h"
#include "download/file_signature.h"
#include "download/http_download.h"
#include "resource_ids.h"
#include "system/carried_files.h"
#include "system/folder_set.h"
#include "system/install_log.h"
#include "system/release_serial_store.h"
#include "workflow/connection.h"
#include "workflow/override_file.h"

namespace {

constexpr wchar_t kDefaultServerUrl[] =
    L"http://" LUMETRA_WEB_HOST L"/support/software/Vexa/WindowsOS/update_win.ini";
constexpr DWORD kOverrideReadLimit = 1024;
// A configuration is a few kilobytes and its signature well under one: a server that
// sends more is not to be believed, nor written to disk without end.
constexpr uint64_t kMaxConfigurationBytes = 1 << 20;
constexpr uint64_t kMaxSignatureBytes = 4096;

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
                                  &run.cancel.transfer(), kMaxSignatureBytes);
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

std::wstring ReadReleaseValue(const std::wstring& serverIni, const wchar_t* key) {
  wchar_t value[64] = {};
  GetPrivateProfileStringW(kReleaseSection, key, L"", value, 64, serverIni.c_str());
  return value;
}

CalendarDate TodayUtc() {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

// A signed configuration must also be current: its serial not lower than one accepted
// before with this key, its last day not past. The serial then becomes the one to beat.
bool ServerIniFreshnessAccepted(RunContext& run, const std::wstring& serverIni) {
  if (!run.releaseKey) return true;
  const std::wstring fingerprint = KeyFingerprint(*run.releaseKey);
  const std::optional<uint64_t> accepted = ReadAcceptedSerial(fingerprint);
  const FreshnessVerdict verdict =
      JudgeFreshness(ReadReleaseValue(serverIni, kSerialKey),
                     ReadReleaseValue(serverIni, kExpiresKey), accepted, TodayUtc());
  const std::wstring expires = FormatDate(verdict.expires);
  switch (verdict.freshness) {
    case Freshness::kFresh:
      WriteInstallLog(L"Server configuration release %llu, usable until %ls",
                      static_cast<unsigned long long>(verdict.serial), expires.c_str());
      if ((!accepted || verdict.serial > *accepted) &&
          !StoreAcceptedSerial(fingerprint, verdict.serial))
        WriteInstallLog(L"The accepted release serial cannot be stored");
      return true;
    case Freshness::kMissing:
      WriteInstallLog(L"Server configuration refused, it names no Serial and Expires in [%ls]",
                      kReleaseSection);
      break;
    case Freshness::kMalformed:
      WriteInstallLog(L"Server configuration refused, its Serial or Expires cannot be read");
      break;
    case Freshness::kReplayed:
      WriteInstallLog(
          L"Server configuration refused, release %llu is older than release %llu accepted before",
          static_cast<unsigned long long>(verdict.serial),
          static_cast<unsigned long long>(accepted.value_or(0)));
      break;
    case Freshness::kExpired:
      WriteInstallLog(L"Server configuration refused, it expired after %ls", expires.c_str());
      break;
  }
  run.heldFiles.Release(serverIni);
  DeleteFileW(serverIni.c_str());
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
    bool tooLarge = false;
    const std::wstring serverIni = DownloadServerIni(run, url, plan.timeoutMs, &tooLarge);
    if (!serverIni.empty() && FileExists(serverIni)) return serverIni;
    if (run.cancel.IsCancelled()) return std::wstring();
    if (tooLarge) {
      run.Fail(Failure::kServerConfig);
      return std::wstring();
    }

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
  if (!ServerIniSignatureAccepted(run, plan.serverIni) ||
      !ServerIniFreshnessAccepted(run, plan.serverIni)) {
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
  const std::optional<int> read = ReadWebConnectTimeout(ReadOverrideText());
  const int usable = UsableWebConnectTimeout(read);
  if (read && *read != usable)
    WriteInstallLog(L"WebConnectTimeout %d is out of range (%d to %d ms), the default is used",
                    *read, kMinWebConnectTimeoutMs, kMaxWebConnectTimeoutMs);
  return usable;
}

std::wstring DownloadServerIni(RunContext& run, const std::wstring& url, int timeoutMs,
                              bool* tooLarge) {
  const std::wstring target = GetTempFolder() + L"\\server.ini";
  DeleteFileW(target.c_str());
  DeleteFileW((target + kSignatureSuffix).c_str());
  const std::wstring localCopy = GetAppDataFolder() + L"\\Package\\update_win.ini";
  WIN32_FILE_ATTRIBUTE_DATA local{};
  if (GetFileAttributesExW(localCopy.c_str(), GetFileExInfoStandard, &local)) {
    if (local.nFileSizeHigh != 0 || local.nFileSizeLow > kMaxConfigurationBytes) {
      WriteInstallLog(L"Server configuration refused, larger than %llu bytes: %ls",
                      static_cast<unsigned long long>(kMaxConfigurationBytes), localCopy.c_str());
      if (tooLarge) *tooLarge = true;
      return target;
    }
    CopyFileW(localCopy.c_str(), target.c_str(), FALSE);
    if (run.releaseKey)
      CopyFileW((localCopy + kSignatureSuffix).c_str(), (target + kSignatureSuffix).c_str(), FALSE);
    return target;
  }
  WriteInstallLog(L"Download  start: %ls", url.c_str());
  const int result = DownloadFile(timeoutMs, nullptr, url, target, 0, 0, &run,
                                  &run.cancel.transfer(), kMaxConfigurationBytes);
  WriteInstallLog(L"Download  finish: %ls", url.c_str());
  if (result == kDownloadTooLarge) {
    WriteInstallLog(L"Server configuration refused, larger than %llu bytes",
                    static_cast<unsigned long long>(kMaxConfigurationBytes));
    if (tooLarge) *tooLarge = true;
  }
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
