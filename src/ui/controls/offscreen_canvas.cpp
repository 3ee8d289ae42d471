#include "ui/controls/offscreen_canvas.h"

OffscreenCanvas::OffscreenCanvas(HDC target, const RECT& rect)
    : target_(target), left_(rect.left), top_(rect.top), width_(rect.right - rect.left),
      height_(rect.bottom - rect.top) {
  if (!target || width_ <= 0 || height_ <= 0) return;
  ScopedMemoryDC memory(CreateCompatibleDC(target));
  ScopedBitmap bitmap(CreateCompatibleBitmap(target, width_, height_));
  if (!memory.valid() || !bitmap.valid()) return;
  previous_ = SelectObject(memory.get(), bitmap.get());
  memory_ = std::move(memory);
  bitmap_ = std::move(bitmap);
}

OffscreenCanvas::~OffscreenCanvas() {
  if (!memory_.valid()) return;
  BitBlt(target_, left_, top_, width_, height_, memory_.get(), 0, 0, SRCCOPY);
  SelectObject(memory_.get(), previous_);  // the bitmap must leave the DC before both go
}
