// The installer's last act: start a program of the installed product where the
// installer's window stands, then close.
#include <shlwapi.h>

#include "base/wide_string.h"
#include "resource_ids.h"
#include "system/install_log.h"
#include "system/process.h"
#include "workflow/install_worker.h"
#include "workflow/start_parameters.h"

void CInstallWorker::StartApp(IInstallerHost& dialog) {
  StartProductProgram(dialog, L"Lumetra.exe", L"0");
}

void CInstallWorker::StartUpgrader(IInstallerHost& dialog, bool installedNow) {
  StartProductProgram(dialog, L"Upgrader.exe", installedNow ? dialog.StartTime() : L"0");
}

void CInstallWorker::StartProductProgram(IInstallerHost& dialog, const wchar_t* exeName,
                                         const std::wstring& marker) {
  const std::wstring& installLocation = m_config.m_strInstallLocation;
  const std::wstring folder = installLocation.empty() ? dialog.InstallFolder() : installLocation;
  const std::wstring program = FormatWide(L"%ls\\%ls", folder.c_str(), exeName);
  if (!PathFileExistsW(program.c_str())) {
    WriteInstallLog(L"app exe not exist, %ls", program.c_str());
    dialog.SetErrorTextId(IDS_SERVER_CONFIG_ERROR);
    dialog.SetStage(kStageFailed);
    return;
  }
  dialog.SetStage(kStageStartingProduct);
  const HostWindowRect window = dialog.WindowRect();
  const std::wstring parameters = FormatStartParameters(window.top, window.left, marker);
  RECT workArea{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  WriteInstallLog(L"start app: %ls, work area: {height: %d, width: %d}", parameters.c_str(),
                  static_cast<int>(workArea.bottom), static_cast<int>(workArea.right));
  RunProgram(SW_SHOW, false, installLocation, program, parameters);
  dialog.Close();
}
