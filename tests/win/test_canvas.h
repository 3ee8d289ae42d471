// A 24-bit memory canvas filled with one colour, for tests that draw and read pixels back.
#pragma once

#include <windows.h>

#include "base/unique_handle.h"
#include "ui/framework/gdi.h"
#include "ui/images/memory_dc.h"

struct TestCanvas {
  TestCanvas(int width, int height, COLORREF fill) : dc(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    previous = SelectObject(dc.get(), bitmap.get());
    framework::FillSolid(dc.get(), RECT{0, 0, width, height}, fill);
  }
  ~TestCanvas() { SelectObject(dc.get(), previous); }
  TestCanvas(const TestCanvas&) = delete;
  TestCanvas& operator=(const TestCanvas&) = delete;

  COLORREF At(int x, int y) const { return GetPixel(dc.get(), x, y); }

  ScopedMemoryDC dc;
  ScopedBitmap bitmap;
  HGDIOBJ previous = nullptr;
};
