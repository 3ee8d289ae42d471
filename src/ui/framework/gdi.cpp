#include "ui/framework/gdi.h"

namespace framework {

ScopedFont CreatePointFont(int tenthsOfPoint, const std::wstring& face, bool underline) {
  ScopedWindowDC screen(nullptr);
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  LOGFONTW font{};
  font.lfHeight = -MulDiv(tenthsOfPoint, dpi, 720);
  font.lfWeight = FW_NORMAL;
  font.lfUnderline = underline ? TRUE : FALSE;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
  return ScopedFont(CreateFontIndirectW(&font));
}

SIZE MeasureText(HFONT font, const std::wstring& text) {
  SIZE size{0, 0};
  ScopedWindowDC screen(nullptr);
  if (!screen.get()) return size;
  ScopedSelectObject select(screen.get(), font);
  if (text.empty()) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.get(), &metrics);
    size.cy = metrics.tmHeight;
    return size;
  }
  GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

int FontLineHeight(HFONT font) {
  ScopedWindowDC screen(nullptr);
  if (!screen.get()) return 0;
  ScopedSelectObject select(screen.get(), font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen.get(), &metrics);
  return metrics.tmHeight + metrics.tmExternalLeading;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  ScopedBrush brush(CreateSolidBrush(color));
  FillRect(dc, &rect, brush.get());
}

void PaintWindowFrame(HWND window, COLORREF color) {
  if (!IsWindow(window)) return;
  RECT bounds{};
  GetWindowRect(window, &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  ScopedWindowDC dc(window, true);
  if (!dc.get()) return;
  FillSolid(dc.get(), RECT{0, 0, width, 1}, color);
  FillSolid(dc.get(), RECT{0, 0, 1, height}, color);
  FillSolid(dc.get(), RECT{width - 1, 0, width, height}, color);
  FillSolid(dc.get(), RECT{0, height - 2, width, height}, color);
}

}  // namespace framework
