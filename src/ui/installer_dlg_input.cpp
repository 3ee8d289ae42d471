// The main window's answers to the user: the drawn buttons, the keyboard, the cancel
// confirmation and the folder picker.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "base/path_util.h"
#include "resource_ids.h"
#include "system/folder_set.h"
#include "system/folder_tree.h"
#include "ui/cancel/cover_dlg.h"
#include "ui/cancel/exit_option.h"
#include "ui/installer_dlg.h"
#include "ui/window_placement.h"

namespace {

constexpr unsigned kCancelCleanupMs = 3000;

// Keeps COM initialised on this thread for the folder picker's lifetime.
class ScopedComApartment {
 public:
  ScopedComApartment()
      : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ScopedComApartment() {
    if (ok_) CoUninitialize();
  }
  ScopedComApartment(const ScopedComApartment&) = delete;
  ScopedComApartment& operator=(const ScopedComApartment&) = delete;

 private:
  bool ok_;
};

bool IsKey(const MSG& msg, UINT message, WPARAM key) {
  return msg.message == message && msg.wParam == key;
}

}  // namespace

int CInstallerDlg::OnDesignButtonClick(int, int, int id, bool ticked) {
  switch (id) {
    case IDC_CLOSE:
    case IDC_CANCEL: RunCancelFlow(); break;
    case IDC_MINIMIZE: Minimize(); break;
    case IDC_CONTINUE: OnContinue(); break;
    case IDC_BROWSE: RunBrowseFlow(); break;
    case IDC_CHECKBOX: OnCheckBox(ticked); break;
    case IDC_OS_OK:
      m_worker.m_heldFiles.ReleaseAll();  // the checked configuration, when it had to be signed
      DeleteFolderTree(GetTempFolder());
      EndDialog(IDOK);
      break;
  }
  return 1;
}

void CInstallerDlg::OnContinue() {
  if (!m_continue.IsEnabled()) return;
  SetStage(kStageDownloading);
  SetProgressPos(0);
  StartWorker(DownloadThread);
}

void CInstallerDlg::OnCheckBox(bool ticked) {
  m_continue.SetEnabled(ticked);
  m_continue.Repaint();
  SetTabStop(IDC_FOCUS_SINK, false);
  SetTabStop(IDC_PROXY_CONTINUE, ticked);
}

void CInstallerDlg::Minimize() {
  ShowWindow(hwnd(), SW_SHOWMINIMIZED);
  SetTabStop(IDC_FOCUS_SINK, true);
}

void CInstallerDlg::RunCancelFlow() {
  if (m_bExitPromptOpen) return;  // already asking
  CCoverDlg cover;
  cover.CreateModeless(hwnd());
  ShowWindow(cover.hwnd(), SW_SHOWNOACTIVATE);
  m_bExitPromptOpen = 1;
  RECT window{};
  GetWindowRect(hwnd(), &window);
  SetWindowPos(cover.hwnd(), nullptr, window.left, window.top, kMainWindowWidth,
               kMainWindowHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  m_bCancelled = 0;
  CExitOption confirmation;
  confirmation.DoModal(hwnd());
  m_bExitPromptOpen = 0;
  if (confirmation.Result() == 1) {
    m_bCancelled = 1;
    // A download still running lets go of its file at its next chunk; checked files
    // waiting to run are let go of now.
    m_worker.m_heldFiles.ReleaseAll();
    DeleteFolderTreeWithin(GetTempFolder(), kCancelCleanupMs);
    EndDialog(IDOK);
    return;
  }
  ShowWindow(cover.hwnd(), SW_HIDE);
}

void CInstallerDlg::RunBrowseFlow() {
  m_bBrowsing = 1;
  {
    ScopedComApartment com;
    BROWSEINFOW browse{};
    browse.hwndOwner = hwnd();
    browse.lpszTitle = L"";
    browse.ulFlags = BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS;
    if (PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&browse)) {
      wchar_t path[MAX_PATH] = {};
      if (SHGetPathFromIDListW(picked, path)) {
        m_strInstallFolder = AppendProductFolder(path);
        SetWindowTextW(m_folderField.hwnd(), m_strInstallFolder.c_str());
      }
      CoTaskMemFree(picked);
    }
  }
  m_bBrowsing = 0;
  if (m_bDownloadOk && !m_strInstallFolder.empty()) StartInstall();
}

void CInstallerDlg::ShowAboutBox() {
  framework::Dialog about(IDD_ABOUTBOX);
  about.DoModal(hwnd());
}

// Leaving is offered while the close button or Cancel is on screen; the keyboard and the
// system's close follow the same rule, so nobody leaves a running installation by a key.
bool CInstallerDlg::CanAskToLeave() const {
  return m_bWindowButtons || IsWindowVisible(m_cancel.hwnd());
}

// Once the "Installing to" line is up and the window buttons are gone, the keyboard has
// nothing left to do.
bool CInstallerDlg::KeyboardLocked() const {
  return m_bInstallingLabel && !m_bWindowButtons;
}

void CInstallerDlg::UpdateFocusLooks() {
  SetTabStop(IDC_FOCUS_SINK, false);
  HWND focus = GetFocus();
  const std::pair<CDesignButton*, int> looks[] = {
      {&m_cancel, IDC_PROXY_CANCEL},     {&m_continue, IDC_PROXY_CONTINUE},
      {&m_checkBox, IDC_PROXY_CHECKBOX}, {&m_minimize, IDC_PROXY_MINIMIZE},
      {&m_close, IDC_PROXY_CLOSE},       {&m_browse, IDC_PROXY_BROWSE},
  };
  for (const auto& [button, proxy] : looks) {
    if (focus == Item(proxy)) button->SetFocusLook();
    else button->ClearFocusLook();
  }
  const bool onLink = focus == Item(IDC_PROXY_LINK0) || focus == Item(IDC_PROXY_LINK1) ||
                      focus == Item(IDC_PROXY_LINK2);
  if (onLink) m_licenceLine.ShowLinkFocus();
  else m_licenceLine.ClearLinkFocus();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

// Space or Enter on a proxy does what a click on its drawn control does.
bool CInstallerDlg::ActOnFocusedProxy() {
  const int proxy = GetDlgCtrlID(GetFocus());
  switch (proxy) {
    case IDC_PROXY_CONTINUE: OnContinue(); return true;
    case IDC_PROXY_CANCEL:
    case IDC_PROXY_CLOSE: RunCancelFlow(); return true;
    case IDC_PROXY_CHECKBOX: {
      const bool ticked = m_checkBox.ToggleTickByKeyboard();
      OnCheckBox(ticked);
      return true;
    }
    case IDC_PROXY_LINK0:
    case IDC_PROXY_LINK1:
    case IDC_PROXY_LINK2: m_licenceLine.OpenFocusedLink(); return true;
    case IDC_PROXY_MINIMIZE: Minimize(); return true;
    case IDC_PROXY_BROWSE: RunBrowseFlow(); return true;
  }
  return false;
}

bool CInstallerDlg::PreTranslateMessage(MSG& msg) {
  if (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd)) return false;
  // Enter never presses a default button, and no drawn control or proxy ever sees Space or
  // Enter going down: the window acts on the key's release itself.
  if (IsKey(msg, WM_KEYDOWN, VK_RETURN) || IsKey(msg, WM_KEYDOWN, VK_SPACE)) return true;
  // Escape asks on its release, so that the question does not take that release as its own
  // answer; a release whose press went to the question (which it answered) asks nothing.
  if (IsKey(msg, WM_KEYDOWN, VK_ESCAPE)) {
    m_bEscapePressed = 1;
    return true;
  }
  if (IsKey(msg, WM_KEYUP, VK_ESCAPE)) {
    if (m_bEscapePressed && CanAskToLeave()) RunCancelFlow();
    m_bEscapePressed = 0;
    return true;
  }
  const bool tab = msg.wParam == VK_TAB;
  const bool action = msg.wParam == VK_SPACE || msg.wParam == VK_RETURN;
  if ((tab || action) && (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) &&
      KeyboardLocked())
    return true;
  if (IsKey(msg, WM_KEYUP, VK_TAB)) {
    UpdateFocusLooks();
    return false;
  }
  if (msg.message == WM_KEYUP && action) {
    ActOnFocusedProxy();
    return true;
  }
  return false;
}
