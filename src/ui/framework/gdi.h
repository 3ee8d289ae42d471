// Drawing helpers for the installer's windows: fonts in points, text measurement, and
// guards that select or set device-context state and put it back.
#pragma once

#include <windows.h>

#include <string>

#include "base/unique_handle.h"

namespace framework {

// A font of `tenthsOfPoint` (90 = 9 pt) in `face`, sized for the screen's vertical DPI
// (at 96 DPI: 9 pt is 12 px, 10.5 pt 14 px, 11.5 pt 15 px, 18 pt 24 px).
ScopedFont CreatePointFont(int tenthsOfPoint, const std::wstring& face, bool underline = false);

// Width and height of `text` on one line in `font` (the screen's metrics).
SIZE MeasureText(HFONT font, const std::wstring& text);

// Height plus external leading of `font`: the line height of an edit field.
int FontLineHeight(HFONT font);

// Restores the previously selected object when it goes out of scope.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~ScopedSelectObject() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

class ScopedBkMode {
 public:
  ScopedBkMode(HDC dc, int mode) : dc_(dc), old_(SetBkMode(dc, mode)) {}
  ~ScopedBkMode() { SetBkMode(dc_, old_); }
  ScopedBkMode(const ScopedBkMode&) = delete;
  ScopedBkMode& operator=(const ScopedBkMode&) = delete;

 private:
  HDC dc_;
  int old_;
};

class ScopedTextColor {
 public:
  ScopedTextColor(HDC dc, COLORREF color) : dc_(dc), old_(SetTextColor(dc, color)) {}
  ~ScopedTextColor() { SetTextColor(dc_, old_); }
  ScopedTextColor(const ScopedTextColor&) = delete;
  ScopedTextColor& operator=(const ScopedTextColor&) = delete;

 private:
  HDC dc_;
  COLORREF old_;
};

// A device context of a window (client area, or the whole window with `wholeWindow`),
// released when it goes out of scope.
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND window, bool wholeWindow = false)
      : window_(window), dc_(wholeWindow ? GetWindowDC(window) : GetDC(window)) {}
  ~ScopedWindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint/EndPaint around one WM_PAINT.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~ScopedPaint() { EndPaint(window_, &paint_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Fills `rect` with a solid colour.
void FillSolid(HDC dc, const RECT& rect, COLORREF color);

// Paints the thin frame of the installer's windows on the whole-window DC: 1 px along the
// top, left and right edges and 2 px along the bottom.
void PaintWindowFrame(HWND window, COLORREF color);

}  // namespace framework
