#include "ui/images/png_decode.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "ui/images/inflate.h"

namespace {

constexpr std::array<uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint8_t kColourRgb = 2;
constexpr uint8_t kColourRgba = 6;
constexpr uint32_t kLargestSide = 16384;  // keeps every size below within 32 bits

uint32_t ReadBigEndian(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
         static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> entries{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  return table;
}

// The CRC-32 a chunk carries, over its type and data.
uint32_t ChunkCrc(const uint8_t* typeAndData, size_t size) {
  const std::array<uint32_t, 256>& table = CrcTable();
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) c = table[(c ^ typeAndData[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

uint8_t Paeth(int left, int up, int upLeft) {
  const int estimate = left + up - upLeft;
  const int toLeft = std::abs(estimate - left);
  const int toUp = std::abs(estimate - up);
  const int toUpLeft = std::abs(estimate - upLeft);
  if (toLeft <= toUp && toLeft <= toUpLeft) return static_cast<uint8_t>(left);
  return static_cast<uint8_t>(toUp <= toUpLeft ? up : upLeft);
}

// Undoes each row's filter in place; `rows` holds every row behind its filter byte.
bool Unfilter(std::vector<uint8_t>& rows, size_t rowBytes, uint32_t height, size_t pixelBytes) {
  const size_t stride = rowBytes + 1;
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = rows.data() + y * stride + 1;
    const uint8_t* above = y > 0 ? rows.data() + (y - 1) * stride + 1 : nullptr;
    const uint8_t filter = row[-1];
    for (size_t i = 0; i < rowBytes; ++i) {
      const int left = i >= pixelBytes ? row[i - pixelBytes] : 0;
      const int up = above ? above[i] : 0;
      const int upLeft = above && i >= pixelBytes ? above[i - pixelBytes] : 0;
      switch (filter) {
        case 0: break;
        case 1: row[i] = static_cast<uint8_t>(row[i] + left); break;
        case 2: row[i] = static_cast<uint8_t>(row[i] + up); break;
        case 3: row[i] = static_cast<uint8_t>(row[i] + (left + up) / 2); break;
        case 4: row[i] = static_cast<uint8_t>(row[i] + Paeth(left, up, upLeft)); break;
        default: return false;
      }
    }
  }
  return true;
}

}  // namespace

std::optional<DecodedPng> DecodePng(const uint8_t* data, size_t size, uint32_t maxSide) {
  if (!data || size < kSignature.size() ||
      std::memcmp(data, kSignature.data(), kSignature.size()) != 0)
    return std::nullopt;

  maxSide = std::min(maxSide, kLargestSide);
  DecodedPng image;
  uint8_t colour = 0;
  std::vector<uint8_t> compressed;
  bool sawHeader = false, sawEnd = false;
  for (size_t at = kSignature.size(); !sawEnd;) {
    if (size - at < 12) return std::nullopt;
    const uint32_t length = ReadBigEndian(data + at);
    if (length > size - at - 12) return std::nullopt;
    const uint8_t* type = data + at + 4;
    const uint8_t* body = type + 4;
    if (ChunkCrc(type, length + 4) != ReadBigEndian(body + length)) return std::nullopt;
    at += 12 + static_cast<size_t>(length);

    const bool critical = !(type[0] & 0x20);
    if (std::memcmp(type, "IHDR", 4) == 0) {
      if (sawHeader || length != 13) return std::nullopt;
      sawHeader = true;
      image.width = ReadBigEndian(body);
      image.height = ReadBigEndian(body + 4);
      colour = body[9];
      const bool ourForm = body[8] == 8 && (colour == kColourRgb || colour == kColourRgba) &&
                           body[10] == 0 && body[11] == 0 && body[12] == 0;
      if (!ourForm || image.width == 0 || image.height == 0 || image.width > maxSide ||
          image.height > maxSide)
        return std::nullopt;
    } else if (!sawHeader) {
      return std::nullopt;
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      compressed.insert(compressed.end(), body, body + length);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      sawEnd = true;
    } else if (critical || std::memcmp(type, "tRNS", 4) == 0) {
      return std::nullopt;  // a palette, or a transparent colour: not this reader's form
    }
  }

  const size_t pixelBytes = colour == kColourRgba ? 4 : 3;
  const size_t rowBytes = static_cast<size_t>(image.width) * pixelBytes;
  const size_t filteredSize = (rowBytes + 1) * image.height;
  std::optional<std::vector<uint8_t>> rows =
      InflateZlib(compressed.data(), compressed.size(), filteredSize);
  if (!rows || rows->size() != filteredSize ||
      !Unfilter(*rows, rowBytes, image.height, pixelBytes))
    return std::nullopt;

  image.bgra.resize(static_cast<size_t>(image.width) * image.height * 4);
  uint8_t* out = image.bgra.data();
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* in = rows->data() + y * (rowBytes + 1) + 1;
    for (uint32_t x = 0; x < image.width; ++x, in += pixelBytes, out += 4) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      out[3] = pixelBytes == 4 ? in[3] : 0xFF;
    }
  }
  return image;
}
