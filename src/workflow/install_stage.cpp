// The install stage: runs the downloaded prerequisite installers, replaces the product
// folder with the unpacked package, registers the product and hands over to the upgrader.
#include "base/product.h"
#include "resource_ids.h"
#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "system/install_log.h"
#include "system/probes.h"
#include "system/process.h"
#include "system/run_at_startup.h"
#include "system/shortcuts.h"
#include "workflow/fetch_rules.h"
#include "workflow/install_worker.h"

namespace {

constexpr wchar_t kSilentParameters[] = L"/q /norestart";
constexpr unsigned kTempRemovalMs = 2000;

bool DotNetPresent() { return IsDotNetInstalled(L""); }
bool VcRuntimePresent() { return IsVcRuntimeInstalled(L"14.0", L"x86"); }

// An installer that has just ended can hold its working folder (the Temp folder) a moment
// longer than its process handle says.
void RemoveTempFolder() {
  const std::wstring temp = GetTempFolder();
  if (!DeleteFolderTreeWithin(temp, kTempRemovalMs))
    WriteInstallLog(L"Temp folder could not be removed: %ls", temp.c_str());
}

}  // namespace

void CInstallWorker::FailInstall(const wchar_t* logText, int textId) {
  WriteInstallLog(L"%ls", logText);
  Fail(textId);
  m_pDlg->SetProgressCreep(false);
}

// Runs one installer hidden and waits for it; its exit code says nothing reliable, the
// probe afterwards decides.
bool CInstallWorker::InstallPrerequisite(const wchar_t* program, bool (*installed)(),
                                         const wchar_t* startLog, const wchar_t* failedLog,
                                         const wchar_t* okLog) {
  WriteInstallLog(L"%ls", startLog);
  RunProgram(SW_HIDE, true, GetTempFolder(), program, kSilentParameters);
  m_heldFiles.Release(program);
  if (!installed()) {
    FailInstall(failedLog, IDS_CONNECTIVITY_FAILED);
    return false;
  }
  WriteInstallLog(L"%ls", okLog);
  return true;
}

void CInstallWorker::InstallStage(IInstallerHost& dialog) {
  m_pDlg = &dialog;
  WriteInstallLog(L"Install");
  dialog.SetProgressTarget(60);
  dialog.SetProgressCreep(true);

  if (IsToBeFetched(m_config.m_netFramework) &&
      !InstallPrerequisite(m_strNetSetup.c_str(), DotNetPresent, L"Install .net framwork",
                           L"Install .net framwork failed", L"Install .net framwork ok"))
    return;
  if (IsToBeFetched(m_config.m_vc2015x86) &&
      !InstallPrerequisite(m_strVcSetup.c_str(), VcRuntimePresent, L"Install vc2015 x86 redist.",
                           L"Install vc2015 x86 failed", L"Install vc2015 x86 ok"))
    return;

  WriteInstallLog(L"Install app");
  dialog.SetProgressTarget(90);
  if (!dialog.IsExitPromptOpen()) dialog.SetProgressPos(60);

  const bool installedNow = IsToBeFetched(m_config.m_application);
  if (installedNow) {
    KillProcessesByName(kProductExeName);
    KillProcessesByName(L"Upgrader.exe");
    m_strInstallPath = dialog.InstallFolder();
    DeleteFolderTree(m_strInstallPath);
    RemoveMakerAppDataFolder();
    if (!CreateFolderPath(m_strInstallPath)) {
      WriteInstallLog(L"Install folder cannot be created: %ls", m_strInstallPath.c_str());
      FailInstall(L"CopytoInstallPath failed", IDS_DISK_SPACE_FAILED);
      return;
    }
    WriteInstallLog(L"CopytoInstallPath");
    if (!CopytoInstallPath(m_strPackage, m_strInstallPath, dialog)) {
      FailInstall(L"CopytoInstallPath failed", IDS_DISK_SPACE_FAILED);
      return;
    }
    WriteInstallLog(L"CopytoInstallPath ok");
    dialog.SetProgressTarget(100);
    if (!dialog.IsExitPromptOpen()) dialog.SetProgressPos(90);

    if (!RegisterToSystem(m_strInstallPath)) {
      FailInstall(L"RegisterToSystem failed", IDS_CONNECTIVITY_FAILED);
      return;
    }
    WriteInstallLog(L"RegisterToSystem ok");
    if (!dialog.IsExitPromptOpen()) dialog.SetProgressPos(100);
    dialog.SetProgressCreep(false);
    // The registration now names this folder: the upgrader starts from here, not from
    // where an earlier installation lay.
    m_config.m_strInstallLocation = m_strInstallPath;

    const std::wstring productExe = m_strInstallPath + L"\\" + kProductExeName;
    DeleteProductShortcuts();
    CreateProductShortcut(productExe);
    SetRunAtStartup(productExe);
  } else {
    WriteInstallLog(L"Install app no need");
    dialog.SetProgressTarget(100);
  }

  m_heldFiles.ReleaseAll();
  RemoveTempFolder();
  StartUpgrader(dialog, installedNow);
}
