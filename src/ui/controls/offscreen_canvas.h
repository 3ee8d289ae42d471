// Flicker-free drawing for the owner-drawn controls: everything is drawn into a memory
// bitmap of the target rectangle's size, which reaches the target in one BitBlt when the
// canvas goes out of scope. Draw at Bounds() (origin 0,0).
#pragma once

#include <windows.h>

#include "base/unique_handle.h"
#include "ui/images/memory_dc.h"

class OffscreenCanvas {
 public:
  OffscreenCanvas(HDC target, const RECT& rect);
  ~OffscreenCanvas();
  OffscreenCanvas(const OffscreenCanvas&) = delete;
  OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

  // Null when the rectangle is empty or memory ran out: then there is nothing to draw on.
  HDC dc() const { return memory_.get(); }
  RECT Bounds() const { return RECT{0, 0, width_, height_}; }

 private:
  HDC target_;
  int left_, top_, width_, height_;
  ScopedMemoryDC memory_;
  ScopedBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
};
