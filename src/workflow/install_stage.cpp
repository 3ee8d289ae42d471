// The install stage. Not built yet: it reports an unknown error.
#include "resource_ids.h"
#include "system/install_log.h"
#include "workflow/install_worker.h"

void CInstallWorker::InstallStage(IInstallerHost& dialog) {
  m_pDlg = &dialog;
  WriteInstallLog(L"InstallStage: not available in this build");
  Fail(IDS_UNKNOWN_ERROR);
}
