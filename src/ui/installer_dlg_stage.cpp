// The main window's stages: one row of the stage table applied to the controls, and the
// two timers that animate them.
#include <windows.h>
#include <commctrl.h>

#include "resource_ids.h"
#include "ui/app_messages.h"
#include "ui/controls/design_button_state.h"
#include "ui/framework/gdi.h"
#include "ui/images/png_image.h"
#include "ui/installer_dlg.h"
#include "ui/main_layout.h"
#include "ui/texts.h"
#include "ui/window_placement.h"

namespace {

constexpr UINT kBusyFrameMs = 40;
constexpr int kProgressCreepStep = 2;
constexpr COLORREF kStatusText = RGB(74, 74, 74);
constexpr COLORREF kStatusTextRed = RGB(255, 0, 0);
constexpr COLORREF kHeadingText = RGB(0, 0, 0);
constexpr COLORREF kQuietText = RGB(155, 155, 155);

void Show(HWND control, bool shown) { ShowWindow(control, shown ? SW_SHOW : SW_HIDE); }

void Place(HWND control, const ControlRect& rect) {
  SetWindowPos(control, nullptr, rect.x, rect.y, rect.width, rect.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void CInstallerDlg::ApplyStage(Stage stage) {
  const StageLayout row = StageLayoutFor(stage, m_failure);
  if (row.stopsBusyTimer) KillTimer(hwnd(), kTimerBusyAnimation);
  m_bRedStatus = row.red ? 1 : 0;
  if (row.statusTextId != 0) ShowStatusLine(row.statusTextId, row.busy, row.progress);
  else HideStatusLine();
  ShowLicenceGroup(row.licenceGroup);
  ShowFolderRow(row.folderRow);
  ShowWindowButtons(row.windowButtons);
  ShowOsPage(row.osPage);
  // The window has no WS_CLIPCHILDREN: its background is drawn over the controls, so the
  // controls must be painted again after it. A control that painted itself during the
  // changes above (the status line does when it is shown) would otherwise stay erased.
  // Painted now, not when the queue is next idle: a worker that sets the last stage and
  // closes the window right after must not close it before the stage was ever shown.
  RedrawWindow(hwnd(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CInstallerDlg::HideStatusLine() {
  Show(Item(IDC_STATUS), false);
  Show(Item(IDC_PROGRESS), false);
  Show(m_busy.hwnd(), false);
}

void CInstallerDlg::ShowStatusLine(int textId, bool busy, bool progress) {
  HWND status = Item(IDC_STATUS);
  const std::wstring text = LoadDisplayText(static_cast<unsigned>(textId));
  SetWindowTextW(status, text.c_str());
  const SIZE size = framework::MeasureText(m_statusFont.get(), text);
  Place(status, StatusLineRect(size.cx, size.cy, kMainWindowWidth));
  // The text has no background of its own: hiding it lets the window repaint under it.
  Show(status, false);
  Show(status, true);
  if (busy) SetTimer(hwnd(), kTimerBusyAnimation, kBusyFrameMs, nullptr);
  Show(m_busy.hwnd(), busy);
  Show(Item(IDC_PROGRESS), progress);
}

void CInstallerDlg::ShowFolderRow(FolderRow row) {
  HWND label = Item(IDC_INSTALL_TO);
  if (row == FolderRow::kHidden) {
    Show(label, false);
    Show(m_browse.hwnd(), false);
    Show(m_folderField.hwnd(), false);
    SetTabStop(IDC_PROXY_BROWSE, false);
    return;
  }
  m_strInstallFolder = m_controller.InstallFolder();
  if (row == FolderRow::kEditable) {
    SetWindowTextW(m_folderField.hwnd(), m_strInstallFolder.c_str());
    Show(label, true);
    Show(m_folderField.hwnd(), true);
    Show(m_browse.hwnd(), true);
    SetTabStop(IDC_PROXY_BROWSE, true);
    return;
  }
  const std::wstring text = LoadDisplayText(IDS_INSTALLING_TO) + L" " + m_strInstallFolder;
  SetWindowTextW(label, text.c_str());
  Show(m_folderField.hwnd(), false);
  Show(m_browse.hwnd(), false);
  SetTabStop(IDC_PROXY_BROWSE, false);
  const SIZE size = framework::MeasureText(m_installToFont.get(), text);
  Place(label, InstallingToRect(size.cx, size.cy, kMainWindowWidth));
  Show(label, false);
  Show(label, true);
  m_bInstallingLabel = 1;
}

void CInstallerDlg::ShowLicenceGroup(bool shown) {
  Show(m_licenceLine.hwnd(), shown);
  Show(m_checkBox.hwnd(), shown);
  Show(m_continue.hwnd(), shown);
  Show(m_cancel.hwnd(), shown);
}

void CInstallerDlg::ShowWindowButtons(bool shown) {
  Show(m_minimize.hwnd(), shown);
  Show(m_close.hwnd(), shown);
  m_bWindowButtons = shown ? 1 : 0;
  SetTabStop(IDC_PROXY_MINIMIZE, shown);
  SetTabStop(IDC_PROXY_CLOSE, shown);
  // The licence group's proxies take turns with the window buttons; Continue's proxy is a
  // tab stop only while the box is ticked.
  for (int proxy : {IDC_PROXY_CHECKBOX, IDC_PROXY_CANCEL, IDC_PROXY_LINK0, IDC_PROXY_LINK1,
                    IDC_PROXY_LINK2})
    SetTabStop(proxy, !shown);
  if (shown) SetTabStop(IDC_PROXY_CONTINUE, false);
}

void CInstallerDlg::ShowOsPage(bool shown) {
  m_bOsPageShown = shown;
  if (shown && !m_osPicture.valid()) {
    m_osPicture = LoadPngAsOpaqueBitmap(IDB_OS_UNSUPPORTED, RGB(255, 255, 255));
    SendMessageW(Item(IDC_OS_PICTURE), STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(m_osPicture.get()));
    Place(Item(IDC_OS_PICTURE), kOsPictureRect);
  }
  for (int id : {IDC_OS_PICTURE, IDC_OS_HEADING, IDC_OS_TEXT}) Show(Item(id), shown);
  Show(m_osOk.hwnd(), shown);
}

void CInstallerDlg::OnTimer(UINT_PTR id) {
  if (id == kTimerBusyAnimation) {
    const int next = NextBusyFrame(m_busy.Frame());
    if (next == 0) {
      KillTimer(hwnd(), kTimerBusyAnimation);
      return;
    }
    m_busy.SetFrame(next);
    m_busy.Repaint();
  } else if (id == kTimerProgressCreep) {
    HWND bar = Item(IDC_PROGRESS);
    const int position = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
    if (position + kProgressCreepStep <= m_nProgressTarget)
      SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position + kProgressCreepStep), 0);
  }
}

// Text colours of the window's own statics, drawn on the white page without a background.
HBRUSH CInstallerDlg::ControlColor(HDC dc, HWND control) {
  COLORREF color = 0;
  switch (GetDlgCtrlID(control)) {
    case IDC_STATUS: color = m_bRedStatus ? kStatusTextRed : kStatusText; break;
    case IDC_OS_HEADING: color = kHeadingText; break;
    case IDC_OS_TEXT:
    case IDC_INSTALL_TO: color = kQuietText; break;
    default: return nullptr;
  }
  SetTextColor(dc, color);
  SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}
