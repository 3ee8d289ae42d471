#include "ui/controls/design_progress.h"

#include <commctrl.h>

#include "base/unique_handle.h"
#include "ui/controls/control_geometry.h"
#include "ui/controls/offscreen_canvas.h"
#include "ui/framework/gdi.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kCornerEllipse = 3;

void FillRoundedPart(HDC dc, int left, int right, int height, COLORREF color) {
  if (right <= left) return;  // an empty part draws nothing
  // A round-rectangle region leaves out its right and bottom edges: one more pixel each way
  // makes the part cover exactly [left, right), so the bar meets the track without a seam.
  ScopedRegion part(
      CreateRoundRectRgn(left, 0, right + 1, height + 1, kCornerEllipse, kCornerEllipse));
  ScopedBrush brush(CreateSolidBrush(color));
  if (part.valid() && brush.valid()) FillRgn(dc, part.get(), brush.get());
}

}  // namespace

void CDesignProgress::SetColors(COLORREF track, COLORREF bar) {
  track_ = track;
  bar_ = bar;
  if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
}

bool CDesignProgress::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(hwnd(), &client);
      framework::FillSolid(reinterpret_cast<HDC>(wParam), client, kWhite);
      result = 1;
      return true;
    }
    case WM_PAINT:
      if (wParam) {
        Paint(reinterpret_cast<HDC>(wParam));
      } else {
        framework::ScopedPaint paint(hwnd());
        Paint(paint.dc());
      }
      result = 0;
      return true;
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      result = 0;
      return true;
    default:
      return false;
  }
}

void CDesignProgress::Paint(HDC target) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  OffscreenCanvas canvas(target, client);
  HDC dc = canvas.dc();
  if (!dc) return;
  const RECT bounds = canvas.Bounds();
  framework::FillSolid(dc, bounds, kWhite);

  const int position = static_cast<int>(SendMessageW(hwnd(), PBM_GETPOS, 0, 0));
  PBRANGE range{};
  SendMessageW(hwnd(), PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  const int done = ProgressFillWidth(position, range.iLow, range.iHigh, bounds.right);

  FillRoundedPart(dc, done, bounds.right, bounds.bottom, track_);
  FillRoundedPart(dc, 0, done, bounds.bottom, bar_);
}
