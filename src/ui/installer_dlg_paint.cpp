// The main window's own painting: the white page, the illustration, the thin grey frame,
// and the icon while minimised.
#include "resource_ids.h"
#include "ui/framework/gdi.h"
#include "ui/images/png_image.h"
#include "ui/installer_dlg.h"
#include "ui/main_layout.h"

namespace {

constexpr COLORREF kFrameGrey = RGB(216, 216, 216);
constexpr int kIllustrationWidth = 188;
constexpr int kIllustrationHeight = 251;

void DrawPage(HDC dc, HWND window, HBRUSH white, const CPngImage* illustration) {
  RECT client{};
  GetClientRect(window, &client);
  FillRect(dc, &client, white);
  if (illustration)
    DrawImage(*illustration, dc, kIllustrationX, kIllustrationY, kIllustrationWidth,
              kIllustrationHeight);
}

}  // namespace

// The illustration is decoded once: the first frame alone draws it four times (erasing and
// painting, as the window is shown and as it is exposed). The unsupported-system page has a
// picture of its own, and its texts are transparent: the illustration would show through them.
const CPngImage* CInstallerDlg::Illustration() {
  if (m_bOsPageShown) return nullptr;
  if (m_illustration.IsEmpty()) LoadPngResource(m_illustration, IDB_ILLUSTRATION);
  return &m_illustration;
}

void CInstallerDlg::EraseBackground(HDC dc) {
  DrawPage(dc, hwnd(), m_whiteBrush.get(), Illustration());
}

void CInstallerDlg::Paint() {
  framework::ScopedPaint paint(hwnd());
  if (IsIconic(hwnd())) {
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    DrawIcon(paint.dc(), (client.right - iconWidth + 1) / 2, (client.bottom - iconHeight + 1) / 2,
             icon);
    return;
  }
  DrawPage(paint.dc(), hwnd(), m_whiteBrush.get(), Illustration());
}

bool CInstallerDlg::FramePainter::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                                LRESULT& result) {
  switch (message) {
    case WM_MOVE:
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_NCACTIVATE:
    case WM_NOTIFY: {
      HWND window = hwnd();
      result = DefaultProc(message, wParam, lParam);
      if (IsWindow(window)) framework::PaintWindowFrame(window, kFrameGrey);
      return true;
    }
  }
  return false;
}
