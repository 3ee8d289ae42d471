#include "ui/installer_dlg.h"

#include "resource_ids.h"
#include "ui/texts.h"
#include "ui/window_placement.h"

CInstallerDlg::CInstallerDlg() : framework::Dialog(IDD_LUMETRASETUP_DIALOG) {}

BOOL CInstallerDlg::OnInitDialog() {
  SetWindowTextW(hwnd(), LoadDisplayText(IDS_CAPTION).c_str());
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  PlaceWindow();
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

bool CInstallerDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_ERASEBKGND) {
    RECT client{};
    GetClientRect(hwnd(), &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client,
             static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    result = 1;
    return true;
  }
  return framework::Dialog::HandleMessage(message, wParam, lParam, result);
}
