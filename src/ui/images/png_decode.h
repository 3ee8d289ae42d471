// A PNG reader for the form every picture of the installer has: 8 bits per channel, RGBA
// or RGB, not interlaced. It needs no system library, so the first frame does not wait for
// the platform's image decoders to load; any other PNG is left to the platform.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct DecodedPng {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> bgra;  // straight-alpha B,G,R,A pixels, top row first
};

// The pixels of `data`, when it is a whole PNG of that form with both sides at most
// `maxSide` and every chunk and the image data check out; nothing otherwise.
std::optional<DecodedPng> DecodePng(const uint8_t* data, size_t size, uint32_t maxSide);
