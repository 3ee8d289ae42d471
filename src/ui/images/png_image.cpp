#include "ui/images/png_image.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <mutex>
#include <optional>
#include <utility>

#include "ui/framework/gdi.h"
#include "ui/images/memory_dc.h"
#include "ui/images/png_decode.h"
#include "ui/images/premultiply.h"

namespace {

namespace gp = Gdiplus::DllExports;

struct GlobalMemoryTraits {
  using Handle = HGLOBAL;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::GlobalFree(h); }
};
using ScopedGlobalMemory = UniqueHandle<GlobalMemoryTraits>;

struct GdiplusBitmapTraits {
  using Handle = Gdiplus::GpBitmap*;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { gp::GdipDisposeImage(h); }
};
using ScopedGdiplusBitmap = UniqueHandle<GdiplusBitmapTraits>;

// Larger pictures than this are not ours; the bound also keeps width × height × 4 in range.
constexpr UINT kMaxSide = 8192;

// GDI+ runs while image objects exist. One mutex guards the count and the started mark,
// so an image made on one thread and destroyed on another cannot leave GDI+ half-started.
std::mutex g_gdiplusMutex;
int g_liveImages = 0;
bool g_gdiplusStarted = false;
ULONG_PTR g_gdiplusToken = 0;

bool StartGdiplusIfNeeded() {
  std::lock_guard<std::mutex> lock(g_gdiplusMutex);
  if (g_gdiplusStarted) return true;
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&g_gdiplusToken, &input, nullptr) != Gdiplus::Ok) return false;
  g_gdiplusStarted = true;
  return true;
}

// A top-down 32-bit (or 24-bit) DIB section of the given size; `bits` receives its pixels.
ScopedBitmap CreateTopDownDib(int width, int height, WORD bitsPerPixel, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bitsPerPixel;
  info.bmiHeader.biCompression = BI_RGB;
  return ScopedBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

// A decoded picture before premultiplication: a 32-bit top-down DIB section and its bits.
struct StraightDib {
  ScopedBitmap bitmap;
  uint8_t* pixels = nullptr;
  UINT width = 0;
  UINT height = 0;
};

std::optional<StraightDib> CreateStraightDib(UINT width, UINT height) {
  StraightDib dib{ScopedBitmap(), nullptr, width, height};
  void* bits = nullptr;
  dib.bitmap = CreateTopDownDib(static_cast<int>(width), static_cast<int>(height), 32, &bits);
  if (!dib.bitmap.valid() || !bits) return std::nullopt;
  dib.pixels = static_cast<uint8_t*>(bits);
  return dib;
}

// The installer's own pictures are read without GDI+: loading it and the image codecs
// behind it is the slowest step before the first frame.
std::optional<StraightDib> ReadOurPngForm(const void* bytes, size_t size) {
  const std::optional<DecodedPng> decoded =
      DecodePng(static_cast<const uint8_t*>(bytes), size, kMaxSide);
  if (!decoded) return std::nullopt;
  std::optional<StraightDib> dib = CreateStraightDib(decoded->width, decoded->height);
  if (dib) std::memcpy(dib->pixels, decoded->bgra.data(), decoded->bgra.size());
  return dib;
}

// Any other picture GDI+ can read.
std::optional<StraightDib> ReadWithGdiplus(const void* bytes, size_t size) {
  if (!StartGdiplusIfNeeded()) return std::nullopt;

  // GDI+ reads from a stream; a movable global block is what CreateStreamOnHGlobal takes.
  // Declared before the stream and the bitmap, so it is freed after both.
  ScopedGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  if (!memory.valid()) return std::nullopt;
  void* target = GlobalLock(memory.get());
  if (!target) return std::nullopt;
  std::memcpy(target, bytes, size);
  GlobalUnlock(memory.get());

  ScopedComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory.get(), FALSE, stream.receive())))
    return std::nullopt;
  ScopedGdiplusBitmap decoded;
  if (gp::GdipCreateBitmapFromStream(stream.get(), decoded.receive()) != Gdiplus::Ok)
    return std::nullopt;

  UINT width = 0, height = 0;
  if (gp::GdipGetImageWidth(decoded.get(), &width) != Gdiplus::Ok ||
      gp::GdipGetImageHeight(decoded.get(), &height) != Gdiplus::Ok)
    return std::nullopt;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;

  std::optional<StraightDib> dib = CreateStraightDib(width, height);
  if (!dib) return std::nullopt;

  Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  Gdiplus::BitmapData locked{};
  if (gp::GdipBitmapLockBits(decoded.get(), &whole, Gdiplus::ImageLockModeRead,
                             PixelFormat32bppARGB, &locked) != Gdiplus::Ok)
    return std::nullopt;
  // 32bppARGB lies in memory as B,G,R,A: the DIB's own layout, so rows copy as they are.
  uint8_t* destination = dib->pixels;
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  for (UINT row = 0; row < height; ++row) {
    const auto* source = static_cast<const uint8_t*>(locked.Scan0) +
                         static_cast<ptrdiff_t>(row) * locked.Stride;
    std::memcpy(destination + row * rowBytes, source, rowBytes);
  }
  gp::GdipBitmapUnlockBits(decoded.get(), &locked);

  return dib;
}

}  // namespace

CPngImage::CPngImage() {
  std::lock_guard<std::mutex> lock(g_gdiplusMutex);
  ++g_liveImages;
}

CPngImage::~CPngImage() {
  Reset();
  std::lock_guard<std::mutex> lock(g_gdiplusMutex);
  if (--g_liveImages == 0 && g_gdiplusStarted) {
    Gdiplus::GdiplusShutdown(g_gdiplusToken);
    g_gdiplusStarted = false;
  }
}

void CPngImage::Reset() {
  bitmap_.reset();
  pixels_ = nullptr;
  width_ = height_ = 0;
  hasAlpha_ = false;
}

ScopedBitmap CPngImage::TakeBitmap() {
  ScopedBitmap taken(bitmap_.release());
  Reset();
  return taken;
}

bool LoadPngBytes(CPngImage& image, const void* bytes, size_t size) {
  image.Reset();
  if (!bytes || size == 0) return false;
  std::optional<StraightDib> dib = ReadOurPngForm(bytes, size);
  if (!dib) dib = ReadWithGdiplus(bytes, size);
  if (!dib) return false;
  image.hasAlpha_ = PremultiplyBgra(dib->pixels, static_cast<size_t>(dib->width) * dib->height);
  image.bitmap_ = std::move(dib->bitmap);
  image.pixels_ = dib->pixels;
  image.width_ = static_cast<int>(dib->width);
  image.height_ = static_cast<int>(dib->height);
  return true;
}

bool LoadPngResource(CPngImage& image, int id) {
  image.Reset();
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
  if (!resource) return false;
  const DWORD size = SizeofResource(module, resource);
  HGLOBAL loaded = LoadResource(module, resource);  // module memory: never freed
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  return bytes && LoadPngBytes(image, bytes, size);
}

void DrawImage(const CPngImage& image, HDC dc, int x, int y, int width, int height) {
  if (image.IsEmpty() || !dc || width <= 0 || height <= 0) return;
  ScopedMemoryDC source(CreateCompatibleDC(dc));
  if (!source.valid()) return;
  framework::ScopedSelectObject select(source.get(), image.Bitmap());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, x, y, width, height, source.get(), 0, 0, image.Width(), image.Height(), blend);
}

void DrawPngResource(HDC dc, int id, int x, int y, int width, int height) {
  CPngImage image;
  if (LoadPngResource(image, id)) DrawImage(image, dc, x, y, width, height);
}

ScopedBitmap ComposeOverBackground(const CPngImage& image, COLORREF background) {
  if (image.IsEmpty()) return ScopedBitmap();
  void* bits = nullptr;
  ScopedBitmap composed = CreateTopDownDib(image.Width(), image.Height(), 24, &bits);
  if (!composed.valid()) return composed;
  ScopedMemoryDC canvas(CreateCompatibleDC(nullptr));
  if (!canvas.valid()) return ScopedBitmap();
  {
    framework::ScopedSelectObject select(canvas.get(), composed.get());
    framework::FillSolid(canvas.get(), RECT{0, 0, image.Width(), image.Height()}, background);
    DrawImage(image, canvas.get(), 0, 0, image.Width(), image.Height());
  }
  return composed;
}

ScopedBitmap LoadPngAsOpaqueBitmap(int id, COLORREF background) {
  CPngImage image;
  if (!LoadPngResource(image, id)) return ScopedBitmap();
  return ComposeOverBackground(image, background);
}

bool IsGdiplusRunning() {
  std::lock_guard<std::mutex> lock(g_gdiplusMutex);
  return g_gdiplusStarted;
}
