// PNG pictures of the installer's windows: decoded from the module's resources (type
// "PNG") into 32-bit top-down premultiplied DIB sections and drawn with AlphaBlend.
// Pictures are decoded again at every paint (the main window keeps its illustration, drawn
// several times per frame). The installer's own form (8-bit RGBA or RGB) is read by
// png_decode; any other PNG by GDI+.
//
// GDI+ runs while any CPngImage exists once a picture needed it: destroying the last
// image object shuts it down, and a later such load starts it again.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "base/unique_handle.h"

class CPngImage {
 public:
  CPngImage();
  ~CPngImage();
  CPngImage(const CPngImage&) = delete;
  CPngImage& operator=(const CPngImage&) = delete;

  bool IsEmpty() const { return !bitmap_.valid(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // True when some pixel is not fully opaque.
  bool HasAlpha() const { return hasAlpha_; }
  HBITMAP Bitmap() const { return bitmap_.get(); }
  // Width × Height premultiplied B,G,R,A pixels, top row first; null when empty.
  const uint8_t* Pixels() const { return pixels_; }

  void Reset();
  // Hands the DIB section over (e.g. to a static control); the image is empty afterwards.
  ScopedBitmap TakeBitmap();

 private:
  friend bool LoadPngBytes(CPngImage& image, const void* bytes, size_t size);

  ScopedBitmap bitmap_;
  uint8_t* pixels_ = nullptr;  // the DIB section's bits, owned by bitmap_
  int width_ = 0;
  int height_ = 0;
  bool hasAlpha_ = false;
};

// Decodes PNG (or any other GDI+-readable) bytes into `image`, replacing what it held.
// False on any failure; the image is then empty.
bool LoadPngBytes(CPngImage& image, const void* bytes, size_t size);

// Decodes resource `id` of type "PNG" of the program's module. False (and an empty
// image) when the resource is missing or does not decode.
bool LoadPngResource(CPngImage& image, int id);

// Draws the whole image stretched into the rectangle, blended over what is there.
// An empty image draws nothing.
void DrawImage(const CPngImage& image, HDC dc, int x, int y, int width, int height);

// Load and draw in one; a missing picture draws nothing.
void DrawPngResource(HDC dc, int id, int x, int y, int width, int height);

// The image composed over `background` into an opaque 24-bit bitmap of its size, for a
// static picture control (STM_SETIMAGE), which does not blend. Invalid for an empty image.
ScopedBitmap ComposeOverBackground(const CPngImage& image, COLORREF background);

// Load picture `id` and compose it over `background`; invalid when the picture is missing.
ScopedBitmap LoadPngAsOpaqueBitmap(int id, COLORREF background);

// Whether GDI+ is running on behalf of the image objects (for diagnostics and tests).
bool IsGdiplusRunning();
