#include "ui/images/premultiply.h"

bool PremultiplyBgra(uint8_t* pixels, size_t pixelCount) {
  bool translucent = false;
  for (size_t i = 0; i < pixelCount; ++i, pixels += 4) {
    const unsigned alpha = pixels[3];
    if (alpha == 255) continue;
    translucent = true;
    for (int channel = 0; channel < 3; ++channel)
      pixels[channel] = static_cast<uint8_t>(pixels[channel] * alpha / 255);
  }
  return translucent;
}
