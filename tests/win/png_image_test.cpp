// PNG decoding (the installer's own reader, GDI+ for other forms) and drawing with
// AlphaBlend, with pictures the test writes
// itself (known pixels), and the behaviour for a picture id the module does not hold.
#include "ui/images/png_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/images/memory_dc.h"

#include "win/test_canvas.h"

namespace {

constexpr int kMissingPicture = 4242;

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void AppendBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void AppendChunk(std::string& png, const char* type, const std::string& data) {
  AppendBigEndian(png, static_cast<uint32_t>(data.size()));
  const std::string typed = type + data;
  png += typed;
  AppendBigEndian(png, Crc32(typed));
}

// An 8-bit PNG of `pixels` (RGBA, or grey for colour type 0; top row first), its image
// data in one uncompressed deflate block.
std::string MakePng(int width, int height, const std::vector<uint8_t>& pixels,
                    char colourType = 6) {
  const int rowBytes = width * (colourType == 6 ? 4 : 1);
  std::string raw;
  for (int row = 0; row < height; ++row) {
    raw += '\0';  // filter: none
    raw.append(reinterpret_cast<const char*>(pixels.data()) + row * rowBytes, rowBytes);
  }
  std::string zlib("\x78\x01\x01", 3);  // zlib header, final stored block
  zlib += static_cast<char>(raw.size() & 0xFF);
  zlib += static_cast<char>(raw.size() >> 8);
  zlib += static_cast<char>(~raw.size() & 0xFF);
  zlib += static_cast<char>((~raw.size() >> 8) & 0xFF);
  zlib += raw;
  uint32_t a = 1, b = 0;
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  AppendBigEndian(zlib, (b << 16) | a);

  std::string header;
  AppendBigEndian(header, static_cast<uint32_t>(width));
  AppendBigEndian(header, static_cast<uint32_t>(height));
  header += std::string{'\x08', colourType, '\0', '\0', '\0'};  // 8 bits, no interlace
  std::string png("\x89PNG\r\n\x1a\n", 8);
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", zlib);
  AppendChunk(png, "IEND", "");
  return png;
}

// 3 × 2: red, half-transparent white, transparent green / blue, a translucent mix, white.
const std::vector<uint8_t> kSampleRgba{
    255, 0, 0, 255, 255, 255, 255, 128, 0,   255, 0,  0,
    0,   0, 255, 255, 200, 100, 50, 100, 255, 255, 255, 255};

bool LoadSample(CPngImage& image) {
  const std::string png = MakePng(3, 2, kSampleRgba);
  return LoadPngBytes(image, png.data(), png.size());
}

using Canvas = TestCanvas;

}  // namespace

TEST(PngImage, DecodesTopDownPremultipliedPixels) {
  CPngImage image;
  ASSERT_TRUE(LoadSample(image));
  EXPECT_EQ(image.Width(), 3);
  EXPECT_EQ(image.Height(), 2);
  EXPECT_TRUE(image.HasAlpha());
  const std::vector<uint8_t> bgra(image.Pixels(), image.Pixels() + 3 * 2 * 4);
  EXPECT_EQ(bgra, (std::vector<uint8_t>{0,   0,  255, 255, 128, 128, 128, 128, 0,   0,   0,   0,
                                        255, 0,  0,   255, 19,  39,  78,  100, 255, 255, 255, 255}));

  const std::string opaque = MakePng(1, 1, {10, 20, 30, 255});
  ASSERT_TRUE(LoadPngBytes(image, opaque.data(), opaque.size()));
  EXPECT_FALSE(image.HasAlpha());
  EXPECT_EQ(image.Width(), 1);
}

TEST(PngImage, FailedLoadsLeaveTheImageEmpty) {
  CPngImage image;
  ASSERT_TRUE(LoadSample(image));
  const std::string garbage = "this is no picture";
  EXPECT_FALSE(LoadPngBytes(image, garbage.data(), garbage.size()));
  EXPECT_TRUE(image.IsEmpty());
  EXPECT_EQ(image.Pixels(), nullptr);

  ASSERT_TRUE(LoadSample(image));
  EXPECT_FALSE(LoadPngResource(image, kMissingPicture));
  EXPECT_TRUE(image.IsEmpty());
  EXPECT_EQ(image.Width(), 0);
  EXPECT_FALSE(LoadPngAsOpaqueBitmap(kMissingPicture, RGB(255, 255, 255)).valid());

  Canvas canvas(4, 4, RGB(1, 2, 3));
  DrawPngResource(canvas.dc.get(), kMissingPicture, 0, 0, 4, 4);
  DrawImage(image, canvas.dc.get(), 0, 0, 4, 4);
  EXPECT_EQ(canvas.At(0, 0), RGB(1, 2, 3));
  EXPECT_EQ(canvas.At(3, 3), RGB(1, 2, 3));
}

TEST(PngImage, DrawsBlendedAtItsPlaceAndStretched) {
  CPngImage image;
  ASSERT_TRUE(LoadSample(image));
  Canvas canvas(10, 10, RGB(0, 0, 0));
  DrawImage(image, canvas.dc.get(), 2, 3, 3, 2);
  EXPECT_EQ(canvas.At(2, 3), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(3, 3), RGB(128, 128, 128));  // half white over black
  EXPECT_EQ(canvas.At(4, 3), RGB(0, 0, 0));        // transparent
  EXPECT_EQ(canvas.At(2, 4), RGB(0, 0, 255));
  EXPECT_EQ(canvas.At(1, 3), RGB(0, 0, 0));        // nothing outside the rectangle
  EXPECT_EQ(canvas.At(5, 4), RGB(0, 0, 0));

  Canvas stretched(6, 4, RGB(0, 255, 0));
  DrawImage(image, stretched.dc.get(), 0, 0, 6, 4);
  EXPECT_EQ(stretched.At(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(stretched.At(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(stretched.At(5, 0), RGB(0, 255, 0));  // the transparent corner shows the canvas
  EXPECT_EQ(stretched.At(5, 3), RGB(255, 255, 255));
}

TEST(PngImage, ComposesOverABackgroundForAStaticControl) {
  CPngImage image;
  ASSERT_TRUE(LoadSample(image));
  ScopedBitmap composed = ComposeOverBackground(image, RGB(0, 0, 255));
  ASSERT_TRUE(composed.valid());
  BITMAP info{};
  ASSERT_TRUE(GetObjectW(composed.get(), sizeof(info), &info));
  EXPECT_EQ(info.bmWidth, 3);
  EXPECT_EQ(info.bmHeight, 2);
  EXPECT_EQ(info.bmBitsPixel, 24);  // no alpha channel for the control to misread

  ScopedMemoryDC dc(CreateCompatibleDC(nullptr));
  HGDIOBJ previous = SelectObject(dc.get(), composed.get());
  EXPECT_EQ(GetPixel(dc.get(), 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc.get(), 1, 0), RGB(128, 128, 255));  // half white over blue
  EXPECT_EQ(GetPixel(dc.get(), 2, 0), RGB(0, 0, 255));      // transparent: the background
  SelectObject(dc.get(), previous);
}

// A 2 × 1 grey picture: a form only GDI+ reads here.
bool LoadGreySample(CPngImage& image) {
  const std::string png = MakePng(2, 1, {0, 255}, '\0');
  return LoadPngBytes(image, png.data(), png.size());
}

TEST(PngImage, GdiplusRunsOnlyForOtherFormsAndWhileImageObjectsLive) {
  ScopedBitmap handedOver;
  {
    CPngImage first;
    ASSERT_TRUE(LoadSample(first));
    EXPECT_FALSE(IsGdiplusRunning());  // the installer's own form needs no GDI+
    ASSERT_TRUE(LoadGreySample(first));
    EXPECT_TRUE(IsGdiplusRunning());
    EXPECT_EQ(first.Pixels()[4], 255);  // the white pixel, opaque
    { CPngImage other; }
    EXPECT_TRUE(IsGdiplusRunning());  // `first` still lives
    handedOver = first.TakeBitmap();
    EXPECT_TRUE(first.IsEmpty());
  }
  EXPECT_FALSE(IsGdiplusRunning());
  BITMAP info{};
  ASSERT_TRUE(GetObjectW(handedOver.get(), sizeof(info), &info));  // outlives its image
  EXPECT_EQ(info.bmWidth, 2);
  EXPECT_EQ(info.bmBitsPixel, 32);

  CPngImage later;
  ASSERT_TRUE(LoadGreySample(later));  // GDI+ starts again
  EXPECT_TRUE(IsGdiplusRunning());
  EXPECT_EQ(later.Pixels()[6], 255);
}
