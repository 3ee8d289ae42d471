// The publisher's signature of the server configuration, for builds that require one:
// fetched beside the configuration, checked before anything in it is read.
#include <windows.h>

#include "download/file_signature.h"
#include "download/http_download.h"
#include "system/install_log.h"
#include "workflow/connection.h"
#include "workflow/install_worker.h"

namespace {

const wchar_t* RefusalReason(SignatureCheck check) {
  switch (check) {
    case SignatureCheck::kMissing: return L"its signature is missing";
    case SignatureCheck::kUnreadable: return L"its signature cannot be read";
    default: return L"its signature does not match";
  }
}

}  // namespace

// Fetched like the configuration itself. A signature lost to a network outage takes the
// configuration with it, so that the caller waits for the network and fetches both again;
// one that is simply not there leaves the configuration to be refused.
void CInstallWorker::DownloadServerIniSignature(const std::wstring& url, const std::wstring& target,
                                                int timeoutMs) {
  const std::wstring signatureUrl = url + kSignatureSuffix;
  const std::wstring signature = target + kSignatureSuffix;
  WriteInstallLog(L"Download  start: %ls", signatureUrl.c_str());
  const int result = DownloadFile(timeoutMs, nullptr, signatureUrl, signature, 0, 0, m_pDlg);
  WriteInstallLog(L"Download  finish: %ls", signatureUrl.c_str());
  if (result == kDownloadComplete) return;
  DeleteFileW(signature.c_str());
  if (result == kDownloadFailed && !IsMachineConnected()) DeleteFileW(target.c_str());
}

// True when no signature is required or the configuration carries a valid one. Otherwise
// the configuration is deleted, so that nothing can act on it. Held from the check on, the
// file that is read is the file that was checked.
bool CInstallWorker::ServerIniSignatureAccepted() {
  if (!m_releaseKey) return true;
  const SignatureCheck check = m_heldFiles.Hold(m_strServerIni)
                                   ? CheckFileSignature(*m_releaseKey, m_strServerIni)
                                   : SignatureCheck::kUnreadable;
  if (check == SignatureCheck::kValid) {
    WriteInstallLog(L"Server configuration signature verified");
    return true;
  }
  const std::wstring signature = m_strServerIni + kSignatureSuffix;
  WriteInstallLog(L"Server configuration refused, %ls: %ls", RefusalReason(check),
                  signature.c_str());
  m_heldFiles.Release(m_strServerIni);
  DeleteFileW(m_strServerIni.c_str());
  DeleteFileW(signature.c_str());
  return false;
}
