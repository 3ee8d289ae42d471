// The PNG reader and its inflater on any bytes: never out of bounds, and what they accept
// has the size they promise.
#include "fuzz_input.h"
#include "ui/images/inflate.h"
#include "ui/images/png_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kMaxInflated = 1 << 18;
  if (const auto inflated = InflateZlib(data, size, kMaxInflated))
    fuzz::Check(inflated->size() <= kMaxInflated);
  if (const auto picture = DecodePng(data, size, 512)) {
    fuzz::Check(picture->width >= 1 && picture->width <= 512 && picture->height >= 1 &&
                picture->height <= 512);
    fuzz::Check(picture->bgra.size() == size_t{picture->width} * picture->height * 4);
  }
  return 0;
}
