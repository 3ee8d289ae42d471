// The download stage. Not built yet: it reports an unknown error so that Continue ends in
// the failure stage instead of a silent wait.
#include "resource_ids.h"
#include "system/install_log.h"
#include "workflow/install_worker.h"

bool CInstallWorker::DownloadStage(IInstallerHost& dialog) {
  m_pDlg = &dialog;
  WriteInstallLog(L"DownloadStage: not available in this build");
  Fail(IDS_UNKNOWN_ERROR);
  return false;
}
