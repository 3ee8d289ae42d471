#include "app/installer_app.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/command_line.h"
#include "app/switches.h"
#include "app/unattended_install.h"
#include "build_config.h"
#include "base/product.h"
#include "base/unique_handle.h"
#include "resource_ids.h"
#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "system/held_files.h"
#include "system/install_log.h"
#include "system/module_path.h"
#include "system/process.h"
#include "system/product_font.h"
#include "system/user_folder_files.h"
#include "workflow/release_key.h"
#include "ui/installer_dlg.h"
#include "ui/texts.h"
#include "workflow/exit_codes.h"

namespace {

constexpr wchar_t kSingleInstanceMutex[] = L"CorvaneVexa_DA54A78F-19A9-412B-AAD0-299D40C50EC3";
constexpr wchar_t kSupportEntryPoint[] = L"http://" LUMETRA_WEB_HOST L"/support/lumetra/entry-point";
constexpr DWORD kHandOverPollMs = 100;

}  // namespace

// Without SetDefaultDllDirectories (Windows 7 before KB2533623) a DLL placed beside the
// installer could be loaded in place of a system one; such a system must be updated first
// (said in a message box, unless `quiet`).
bool CInstallerApp::HardenDllSearch(bool quiet) {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  ScopedLibrary kernel32(LoadLibraryW(L"kernel32.dll"));
  auto setDefaultDllDirectories =
      kernel32.valid() ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                             GetProcAddress(kernel32.get(), "SetDefaultDllDirectories")))
                       : nullptr;
  if (setDefaultDllDirectories) {
    setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return true;
  }
  if (!quiet && MessageBoxW(nullptr, LoadDisplayText(IDS_OS_UPDATE_REQUIRED).c_str(),
                            LoadDisplayText(IDS_SUPPORT_CAPTION).c_str(), MB_OKCANCEL) == IDOK)
    ShellExecuteW(nullptr, L"open", kSupportEntryPoint, nullptr, nullptr, SW_SHOW);
  return false;
}

// Runs as the downloaded "tmp" copy: waits for the old installer to end, copies itself
// over it and starts it at the old window's place. The copy lies in the user's folder:
// it is started only once checked to be this file (a link there is never written
// through); otherwise this copy, checked by the old installer, goes on in its place.
void CInstallerApp::HandOver(const std::wstring& modulePath, const std::wstring& moduleFolder,
                             const std::wstring& moduleName) {
  const std::optional<std::wstring> targetName = HandOverTargetName(moduleName);
  if (!targetName) return;
  const std::wstring targetPath = moduleFolder + L"\\" + *targetName;
  while (IsProcessRunning(*targetName)) Sleep(kHandOverPollMs);

  WriteInstallLog(L"copy file from %ls to %ls", modulePath.c_str(), targetPath.c_str());
  const bool copied = CopyToFreshFile(modulePath, targetPath);
  WriteInstallLog(copied ? L"Copy ok" : L"Copy failed");
  HeldFiles held;
  if (copied && IsHeldCopyOf(modulePath, targetPath, held)) {
    RunProgram(SW_SHOW, false, moduleFolder, targetPath, HandOverParameters(m_lpCmdLine));
    return;
  }
  WriteInstallLog(L"Copy failed its check, the new installer goes on from %ls", modulePath.c_str());
  RunProgram(SW_SHOW, false, moduleFolder, modulePath, HandOverParameters(m_lpCmdLine));
}

// Runs as the restarted installer: removes the hand-over copy and takes the old position.
void CInstallerApp::PrepareRestartedInstaller(const std::wstring& moduleFolder,
                                              const std::wstring& moduleName) {
  const std::wstring leftover = LeftoverCopyPath(moduleFolder, moduleName);
  WriteInstallLog(L"delete file: %ls", leftover.c_str());
  // Only a plain file at exactly that path: a link there would delete what it leads to.
  const DWORD attributes = GetFileAttributesW(leftover.c_str());
  const bool plainFile = attributes != INVALID_FILE_ATTRIBUTES &&
                         !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
                         !LeadsElsewhere(leftover);
  if (plainFile && DeleteFileW(leftover.c_str())) WriteInstallLog(L"Delete ok");

  const WindowPosition position = ParsePosition(m_lpCmdLine);
  m_nInitTop = position.top;
  m_nInitLeft = position.left;
}

BOOL CInstallerApp::InitInstance() {
  const StartForm form = ClassifyCommandLine(m_lpCmdLine);
  const SwitchReading switches =
      form == StartForm::kSwitches ? ReadSwitches(m_lpCmdLine) : SwitchReading{};
  if (!HardenDllSearch(form == StartForm::kSwitches)) {
    m_exitCode = kExitUnsupportedWindows;
    return FALSE;
  }
  if (switches.switches && switches.switches->help) {
    MessageBoxW(nullptr, LoadDisplayText(IDS_UNATTENDED_HELP).c_str(), kProductName,
                MB_OK | MB_ICONINFORMATION);
    return FALSE;
  }

  // A second installer must not write or delete anything (the font, the log, the leftover
  // copy) while the first works: the mutex comes first. The hand-over copy runs while the
  // old installer still holds it, and takes none.
  if (form != StartForm::kHandOver) {
    // Held until the process ends (or a newer unattended installer takes over).
    m_singleInstance.reset(CreateMutexW(nullptr, FALSE, kSingleInstanceMutex));
    if (!m_singleInstance.valid() || GetLastError() == ERROR_ALREADY_EXISTS) {
      m_exitCode = kExitAlreadyRunning;
      return FALSE;
    }
  }
  if (switches.switches && !switches.switches->log.empty())
    CopyInstallLogTo(switches.switches->log);

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  const std::wstring fontName = LoadText(IDS_UI_FONT);
  if (!fontName.empty()) SetUiFontName(fontName);

  std::wstring moduleFolder, moduleName;
  const std::wstring modulePath = GetModulePath(&moduleFolder, &moduleName);
  WriteInstallLog(L"%ls", modulePath.c_str());
  WriteInstallLog(L"cmdline: %ls", m_lpCmdLine.c_str());
  if (const std::optional<P256PublicKey> key = EmbeddedReleaseKey())
    WriteInstallLog(L"Signed configurations: required (key %ls)", KeyFingerprint(*key).c_str());
  else
    WriteInstallLog(L"Signed configurations: not required (built without a release key)");

  switch (form) {
    case StartForm::kSwitches:
      if (!switches.switches) {
        WriteInstallLog(L"Unattended installation refused, %ls; nothing installed",
                        switches.problem.c_str());
        m_exitCode = kExitBadSwitches;
      } else {
        m_exitCode = RunUnattendedInstallation(*switches.switches, m_singleInstance);
      }
      return FALSE;
    case StartForm::kHandOver:
      HandOver(modulePath, moduleFolder, moduleName);
      return FALSE;
    case StartForm::kPosition:
      PrepareRestartedInstaller(moduleFolder, moduleName);
      break;
    case StartForm::kOrdinary:
      break;
  }

  {
    // The start-up lines are written while the window waits: one open of the log for all.
    InstallLogBurst startUpLines;
    // Before the window and its controller exist: workers only read the folders.
    ResolveUserFolders();
    // Extracted into the working folder, so not before it exists; before the window, which
    // draws with it.
    InstallProductFont();
  }
  CInstallerDlg dialog;
  dialog.m_nInitLeft = m_nInitLeft;
  dialog.m_nInitTop = m_nInitTop;
  dialog.Run();
  return FALSE;
}
