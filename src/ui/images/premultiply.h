// Pixel arithmetic for pictures that AlphaBlend draws. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

// Turns straight-alpha B,G,R,A pixels into premultiplied ones in place: each colour
// channel becomes channel × alpha / 255 (truncated), alpha stays. Answers whether any
// pixel is not fully opaque, so the caller learns it in the same pass.
bool PremultiplyBgra(uint8_t* pixels, size_t pixelCount);
