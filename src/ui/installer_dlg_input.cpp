// The main window's answers to the user: the drawn buttons, the keyboard, the cancel
// confirmation and the folder picker.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "base/path_util.h"
#include "resource_ids.h"
#include "ui/cancel/cover_dlg.h"
#include "ui/cancel/exit_option.h"
#include "ui/installer_dlg.h"
#include "ui/texts.h"
#include "ui/window_placement.h"

namespace {

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

const CInstallerDlg::DrawnControl CInstallerDlg::kDrawnControls[] = {
    {&CInstallerDlg::m_close, IDC_CLOSE, IDC_PROXY_CLOSE, 0, Action::kLeave},
    {&CInstallerDlg::m_minimize, IDC_MINIMIZE, IDC_PROXY_MINIMIZE, 0, Action::kMinimize},
    {&CInstallerDlg::m_continue, IDC_CONTINUE, IDC_PROXY_CONTINUE, IDS_CONTINUE, Action::kContinue},
    {&CInstallerDlg::m_cancel, IDC_CANCEL, IDC_PROXY_CANCEL, IDS_CANCEL, Action::kLeave},
    {&CInstallerDlg::m_browse, IDC_BROWSE, IDC_PROXY_BROWSE, IDS_INSTALL_TO, Action::kBrowse},
    {&CInstallerDlg::m_checkBox, IDC_CHECKBOX, IDC_PROXY_CHECKBOX, 0, Action::kTick},
    {&CInstallerDlg::m_osOk, IDC_OS_OK, 0, 0, Action::kDismissOsPage},
    {nullptr, 0, IDC_PROXY_LINK0, IDS_LICENSE_TERMS, Action::kOpenLink},
    {nullptr, 0, IDC_PROXY_LINK1, IDS_LICENSE_PRIVACY, Action::kOpenLink},
    {nullptr, 0, IDC_PROXY_LINK2, IDS_LICENSE_EULA, Action::kOpenLink},
};

// The zero-size proxies carry the focus for the drawn controls; a screen reader following
// the focus reads their captions.
void CInstallerDlg::ConnectControls() {
  for (const DrawnControl& control : kDrawnControls) {
    if (control.button && control.proxyId) (this->*control.button).SetFocusProxy(control.proxyId);
    if (control.captionId)
      SetWindowTextW(Item(control.proxyId), LoadDisplayText(control.captionId).c_str());
  }
}

// `ticked`: the check box's state after a click on it.
void CInstallerDlg::Act(Action action, bool ticked) {
  switch (action) {
    case Action::kLeave: RunCancelFlow(); break;
    case Action::kMinimize: Minimize(); break;
    case Action::kContinue: OnContinue(); break;
    case Action::kBrowse: RunBrowseFlow(); break;
    case Action::kTick: OnCheckBox(ticked); break;
    case Action::kDismissOsPage:
      m_controller.Leave();
      EndDialog(IDOK);
      break;
    case Action::kOpenLink: m_licenceLine.OpenFocusedLink(); break;
  }
}

int CInstallerDlg::OnDesignButtonClick(int, int, int id, bool ticked) {
  for (const DrawnControl& control : kDrawnControls)
    if (control.button && control.controlId == id) Act(control.action, ticked);
  return 1;
}

void CInstallerDlg::OnContinue() {
  if (m_continue.IsEnabled()) m_controller.Continue();
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

// A confirmed cancel closes the window at once: the controller stops what runs, and
// the Temp folder is removed once the window is gone.
void CInstallerDlg::RunCancelFlow() {
  if (m_controller.IsCancelPromptOpen()) return;  // already asking
  CCoverDlg cover;
  cover.CreateModeless(hwnd());
  ShowWindow(cover.hwnd(), SW_SHOWNOACTIVATE);
  m_controller.OpenCancelPrompt();
  RECT window{};
  GetWindowRect(hwnd(), &window);
  SetWindowPos(cover.hwnd(), nullptr, window.left, window.top, kMainWindowWidth,
               kMainWindowHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  CExitOption confirmation;
  confirmation.DoModal(hwnd());
  const bool cancel = confirmation.Result() == 1;
  m_controller.AnswerCancelPrompt(cancel);
  if (cancel) {
    // Hidden now: ending the modal loop and destroying the window can take a moment.
    ShowWindow(hwnd(), SW_HIDE);
    EndDialog(IDOK);
    return;
  }
  ShowWindow(cover.hwnd(), SW_HIDE);
}

void CInstallerDlg::RunBrowseFlow() {
  m_controller.BeginFolderChoice();
  std::wstring chosen;
  {
    ScopedComApartment com;
    BROWSEINFOW browse{};
    browse.hwndOwner = hwnd();
    browse.lpszTitle = L"";
    browse.ulFlags = BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS;
    if (PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&browse)) {
      wchar_t path[MAX_PATH] = {};
      if (SHGetPathFromIDListW(picked, path)) chosen = AppendProductFolder(path);
      CoTaskMemFree(picked);
    }
  }
  m_controller.EndFolderChoice(chosen);
  m_strInstallFolder = m_controller.InstallFolder();
  SetWindowTextW(m_folderField.hwnd(), m_strInstallFolder.c_str());
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
  bool onLink = false;
  for (const DrawnControl& control : kDrawnControls) {
    if (!control.proxyId) continue;
    const bool focused = focus == Item(control.proxyId);
    if (!control.button) onLink = onLink || focused;
    else if (focused) (this->*control.button).SetFocusLook();
    else (this->*control.button).ClearFocusLook();
  }
  if (onLink) m_licenceLine.ShowLinkFocus();
  else m_licenceLine.ClearLinkFocus();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

// Space or Enter on a proxy does what a click on its drawn control does.
bool CInstallerDlg::ActOnFocusedProxy() {
  const int proxy = GetDlgCtrlID(GetFocus());
  for (const DrawnControl& control : kDrawnControls) {
    if (!control.proxyId || control.proxyId != proxy) continue;
    const bool ticked = control.action == Action::kTick && m_checkBox.ToggleTickByKeyboard();
    Act(control.action, ticked);
    return true;
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
