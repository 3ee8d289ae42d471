#include "ui/controls/control_geometry.h"

#include <algorithm>

int ProgressFillWidth(int position, int low, int high, int width) {
  if (high <= low || width <= 0) return 0;  // an empty or reversed range shows no progress
  // In floating point: position × width overflows int for large ranges.
  const double filled = (static_cast<double>(position) - low) * width / (static_cast<double>(high) - low);
  return static_cast<int>(std::clamp(filled, 0.0, static_cast<double>(width)));
}

VerticalSpan CentreLineVertically(int top, int bottom, int lineHeight) {
  const int freeHeight = bottom - top - lineHeight;
  if (lineHeight <= 0 || freeHeight < 2) return VerticalSpan{top, bottom};
  const int half = freeHeight / 2;
  return VerticalSpan{top + half, bottom - half};
}
