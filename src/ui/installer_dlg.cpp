// The main window's start-up and the interface the workers call.
#include "ui/installer_dlg.h"

#include <commctrl.h>

#include "resource_ids.h"
#include "system/folder_set.h"
#include "ui/app_messages.h"
#include "ui/framework/gdi.h"
#include "ui/images/png_image.h"
#include "ui/main_layout.h"
#include "ui/texts.h"
#include "ui/window_placement.h"

namespace {

constexpr COLORREF kProgressTrack = RGB(232, 231, 231);
constexpr COLORREF kProgressBar = RGB(48, 123, 215);

void Place(HWND control, const ControlRect& rect) {
  SetWindowPos(control, nullptr, rect.x, rect.y, rect.width, rect.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT ToRect(const ControlRect& rect) {
  return RECT{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}

}  // namespace

CInstallerDlg::CInstallerDlg()
    : framework::Dialog(IDD_LUMETRASETUP_DIALOG),
      m_close(IDC_CLOSE, IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED, 0, this),
      m_minimize(IDC_MINIMIZE, IDB_MINIMIZE_NORMAL, IDB_MINIMIZE_HOVER, IDB_MINIMIZE_PRESSED, 0,
                 this),
      m_continue(IDC_CONTINUE, IDC_CONTINUE, IDC_CONTINUE, IDC_CONTINUE, IDB_CANCEL_FACE_FOCUS,
                 this),
      m_cancel(IDC_CANCEL, IDC_CANCEL, IDC_CANCEL, IDC_CANCEL, IDB_CANCEL_FACE_FOCUS, this),
      m_browse(IDC_BROWSE, IDC_BROWSE, IDC_BROWSE, IDC_BROWSE, IDB_UNUSED_228, this),
      m_busy(IDC_BUSY, IDC_BUSY, IDC_BUSY, IDC_BUSY, 0, this),
      m_checkBox(IDC_CHECKBOX, IDB_CHECK_UNTICKED, IDB_CHECK_UNTICKED, IDB_CHECK_TICKED,
                 IDB_CHECK_UNTICKED_FOCUS, this),
      m_osOk(IDC_OS_OK, IDC_OS_OK, IDC_OS_OK, IDC_OS_OK, 0, this) {}

void CInstallerDlg::Run() {
  DoModal();
  m_bWindowGone = true;
  m_controller.Finish();
}

BOOL CInstallerDlg::OnInitDialog() {
  PlaceWindow();

  const std::wstring aboutText = LoadDisplayText(IDS_ABOUTBOX);
  if (HMENU systemMenu = GetSystemMenu(hwnd(), FALSE); systemMenu && !aboutText.empty()) {
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText.c_str());
  }
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

  SetWindowTextW(hwnd(), LoadDisplayText(IDS_CAPTION).c_str());

  m_close.Create(hwnd(), ToRect(kCloseRect), L"");
  m_minimize.Create(hwnd(), ToRect(kMinimizeRect), L"");
  CreateFonts();
  CreateStatusArea();
  CreateFolderRow();
  CreateLicenceGroup();
  CreateOsPage();
  ConnectControls();
  m_framePainter.Attach(hwnd());

  m_controller.Start();

  for (int proxy : {IDC_FOCUS_SINK, IDC_PROXY_CANCEL, IDC_PROXY_CONTINUE, IDC_PROXY_CHECKBOX})
    SetWindowPos(Item(proxy), nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
  SetTabStop(IDC_PROXY_CONTINUE, false);
  SetTabStop(IDC_PROXY_BROWSE, false);
  ShowWindow(hwnd(), SW_SHOW);
  return TRUE;
}

void CInstallerDlg::PlaceWindow() {
  RECT frame{0, 0, kMainWindowWidth, kMainWindowHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(hwnd(), GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const WindowOrigin origin = PlaceMainWindow(
      m_nInitLeft, m_nInitTop, ScreenRect{work.left, work.top, work.right, work.bottom}, width,
      height);
  m_nInitLeft = origin.left;
  m_nInitTop = origin.top;
  SetWindowPos(hwnd(), nullptr, origin.left, origin.top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void CInstallerDlg::CreateFonts() {
  const std::wstring face = GetUiFontName();
  m_installToFont = framework::CreatePointFont(90, face);
  m_statusFont = framework::CreatePointFont(105, face);
  m_headingFont = framework::CreatePointFont(180, face);
  m_osTextFont = framework::CreatePointFont(115, face);
  m_whiteBrush.reset(CreateSolidBrush(RGB(255, 255, 255)));
}

void CInstallerDlg::CreateStatusArea() {
  SendMessageW(Item(IDC_STATUS), WM_SETFONT, reinterpret_cast<WPARAM>(m_statusFont.get()), FALSE);
  Place(Item(IDC_STATUS), ControlRect{(kMainWindowWidth - 246) / 2, 514, 246, 48});
  m_progress.Attach(Item(IDC_PROGRESS));
  m_progress.SetColors(kProgressTrack, kProgressBar);
  SendMessageW(Item(IDC_PROGRESS), PBM_SETRANGE32, 0, 100);
  SendMessageW(Item(IDC_PROGRESS), PBM_SETSTEP, 1, 0);
  Place(Item(IDC_PROGRESS), kProgressRect);
  m_busy.Create(hwnd(), ToRect(kBusyRect), L"");
}

void CInstallerDlg::CreateFolderRow() {
  HWND label = Item(IDC_INSTALL_TO);
  const std::wstring text = LoadDisplayText(IDS_INSTALL_TO);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(m_installToFont.get()), FALSE);
  SetWindowTextW(label, text.c_str());
  const SIZE size = framework::MeasureText(m_installToFont.get(), text);
  const FolderRowLayout row = LayoutFolderRow(size.cx, size.cy, kMainWindowWidth);
  Place(label, row.label);
  m_folderField.Create(hwnd(), ToRect(row.field), IDC_INSTALL_FOLDER);
  m_browse.Create(hwnd(), ToRect(row.browse), L"");
}

void CInstallerDlg::CreateLicenceGroup() {
  m_checkBox.Create(hwnd(), ToRect(kCheckBoxRect), L"");
  m_licenceLine.Create(hwnd(), ToRect(kLicenceLineRect));
  m_continue.Create(hwnd(), ToRect(kContinueRect), LoadDisplayText(IDS_CONTINUE));
  m_continue.SetEnabled(false);
  m_cancel.Create(hwnd(), ToRect(kCancelRect), LoadDisplayText(IDS_CANCEL));
}

// The page's picture is decoded when the page is first shown (ShowOsPage): few ever see it,
// and everyone would wait for it before the first frame.
void CInstallerDlg::CreateOsPage() {
  Place(Item(IDC_OS_PICTURE), kOsPictureRect);
  // The picture's white foot lies under the heading and the text: keep it beneath them.
  SetWindowPos(Item(IDC_OS_PICTURE), HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  HWND heading = Item(IDC_OS_HEADING);
  const std::wstring headingText = LoadDisplayText(IDS_SUPPORT_CAPTION);
  SendMessageW(heading, WM_SETFONT, reinterpret_cast<WPARAM>(m_headingFont.get()), FALSE);
  SetWindowTextW(heading, headingText.c_str());
  const SIZE headingSize = framework::MeasureText(m_headingFont.get(), headingText);
  Place(heading, ControlRect{(kMainWindowWidth - headingSize.cx) / 2, kOsHeadingTop,
                             headingSize.cx, headingSize.cy});

  HWND text = Item(IDC_OS_TEXT);
  const std::wstring osText = LoadDisplayText(IDS_OS_UNSUPPORTED);
  SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(m_osTextFont.get()), FALSE);
  SetWindowTextW(text, osText.c_str());
  const SIZE osTextSize = framework::MeasureText(m_osTextFont.get(), osText);
  Place(text, OsTextRect(osTextSize.cx, osTextSize.cy, kMainWindowWidth));

  m_osOk.Create(hwnd(), ToRect(kOsOkRect), LoadDisplayText(IDS_OK));
}

LRESULT CInstallerDlg::OnWindowThread(UINT message, WPARAM wParam, LPARAM lParam) const {
  // On the window's own thread SendMessageW calls the window procedure directly; from a
  // worker it waits until the window thread has handled it, so calls keep their order.
  // The window thread handles sent messages while it waits for the worker to end.
  HWND window = hwnd();
  if (m_bWindowGone || !window) return 0;
  return SendMessageW(window, message, wParam, lParam);
}

void CInstallerDlg::ShowStage(Stage stage) {
  OnWindowThread(kMsgSetStage, static_cast<WPARAM>(stage));
}

void CInstallerDlg::ShowFailure(Failure failure) {
  m_failure = failure;
  ShowStage(Stage::kFailed);
}

void CInstallerDlg::SetProgressPos(int position) {
  OnWindowThread(kMsgSetProgressPos, static_cast<WPARAM>(position));
}

void CInstallerDlg::SetProgressCreep(bool on) {
  OnWindowThread(kMsgSetProgressCreep, on ? 1 : 0);
}

void CInstallerDlg::Close() {
  OnWindowThread(kMsgEndFromWorker, 0);
}

ViewRect CInstallerDlg::Placement() const {
  RECT rect{};
  if (!m_bWindowGone && hwnd()) GetWindowRect(hwnd(), &rect);
  return ViewRect{rect.left, rect.top, rect.right, rect.bottom};
}

void CInstallerDlg::SetTabStop(int id, bool on) {
  HWND control = Item(id);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  SetWindowLongW(control, GWL_STYLE, on ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
}

bool CInstallerDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case kMsgSetStage:
      ApplyStage(static_cast<Stage>(wParam));
      return true;
    case kMsgSetProgressPos:
      SendMessageW(Item(IDC_PROGRESS), PBM_SETPOS, wParam, 0);
      return true;
    case kMsgSetProgressCreep:
      if (wParam) SetTimer(hwnd(), kTimerProgressCreep, 1000, nullptr);
      else KillTimer(hwnd(), kTimerProgressCreep);
      return true;
    case WM_TIMER:
      OnTimer(wParam);
      return true;
    case WM_CTLCOLORSTATIC:
      if (HBRUSH brush = ControlColor(reinterpret_cast<HDC>(wParam),
                                      reinterpret_cast<HWND>(lParam))) {
        result = reinterpret_cast<LRESULT>(brush);
        return true;
      }
      break;
    case WM_ERASEBKGND:
      EraseBackground(reinterpret_cast<HDC>(wParam));
      result = 1;
      return true;
    case WM_PAINT:
      Paint();
      return true;
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<LRESULT>(
          LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME)));
      return true;
    case WM_LBUTTONDOWN: {
      // A borderless window is dragged by any free spot of its surface.
      const DWORD cursor = GetMessagePos();
      PostMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(cursor));
      return true;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
        ShowAboutBox();
        return true;
      }
      return false;
    case WM_COMMAND:
      // The dialog manager's Cancel asks, like the close button, before leaving; OK never
      // ends the window; the proxies act through the keyboard handling.
      if (LOWORD(wParam) == IDCANCEL && CanAskToLeave()) RunCancelFlow();
      return true;
    case kMsgEndFromWorker:
      EndDialog(IDOK);
      return true;
    case WM_CLOSE:
      // Closing from outside (the taskbar, Alt+F4) asks first, as the close button does.
      if (CanAskToLeave()) RunCancelFlow();
      return true;
  }
  return framework::Dialog::HandleMessage(message, wParam, lParam, result);
}
