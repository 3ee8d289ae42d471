#include "ui/images/premultiply.h"

#include <gtest/gtest.h>

#include <vector>

using Pixels = std::vector<uint8_t>;

TEST(PremultiplyBgra, ScalesColourByAlphaAndKeepsAlpha) {
  Pixels pixels{
      255, 255, 255, 0,    // transparent white
      10,  200, 90,  255,  // opaque
      255, 255, 255, 128,  // half-transparent white
      200, 100, 1,   100,  // truncation: 200 × 100 / 255 = 78.4
  };
  EXPECT_TRUE(PremultiplyBgra(pixels.data(), 4));
  EXPECT_EQ(pixels, (Pixels{0, 0, 0, 0, 10, 200, 90, 255, 128, 128, 128, 128, 78, 39, 0, 100}));
}

TEST(PremultiplyBgra, ReportsOpaquePicturesAndTouchesOnlyTheCountGiven) {
  Pixels pixels{1, 2, 3, 255, 4, 5, 6, 255, 9, 9, 9, 0};
  EXPECT_FALSE(PremultiplyBgra(pixels.data(), 2));
  EXPECT_EQ(pixels, (Pixels{1, 2, 3, 255, 4, 5, 6, 255, 9, 9, 9, 0}));
  EXPECT_FALSE(PremultiplyBgra(nullptr, 0));
}
