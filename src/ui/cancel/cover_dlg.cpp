#include "ui/cancel/cover_dlg.h"

#include "resource_ids.h"
#include "ui/framework/gdi.h"

namespace {

constexpr int kClientWidth = 400;
constexpr int kClientHeight = 700;
constexpr COLORREF kCoverColor = RGB(105, 120, 128);
constexpr BYTE kCoverAlpha = 100;

}  // namespace

CCoverDlg::CCoverDlg() : framework::Dialog(IDD_COVER) {}

BOOL CCoverDlg::OnInitDialog() {
  // The dialog procedure never sees WM_CREATE, so the size is set here, before the owner
  // shows the window.
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
  SetWindowPos(hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  brush_.reset(CreateSolidBrush(kCoverColor));
  SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) | WS_EX_LAYERED);
  SetLayeredWindowAttributes(hwnd(), 0, kCoverAlpha, LWA_ALPHA);
  return FALSE;  // no control to take the focus
}

bool CCoverDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND:
      result = 1;  // WM_PAINT covers every pixel
      return true;
    case WM_PAINT: {
      framework::ScopedPaint paint(hwnd());
      RECT client{};
      GetClientRect(hwnd(), &client);
      FillRect(paint.dc(), &client, brush_.get());
      return true;
    }
    case WM_MOUSEACTIVATE:
      // A click on the veil must not raise it above the confirmation it lies under.
      result = MA_NOACTIVATE;
      return true;
    default:
      return framework::Dialog::HandleMessage(message, wParam, lParam, result);
  }
}
