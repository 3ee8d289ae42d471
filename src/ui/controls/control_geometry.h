// Geometry of the progress bar and the install-folder field. Platform-free.
#pragma once

// Width of the bar's done part: the done share of the range times `width`, truncated,
// within [0, width]; 0 for an empty range.
int ProgressFillWidth(int position, int low, int high, int width);

struct VerticalSpan {
  int top = 0;
  int bottom = 0;
};

// The client span of a single-line field that shows one line of `lineHeight` pixels
// vertically centred: top and bottom move inwards by half the free height each. A span
// with no room to spare (or no line height) stays as it is, so it never turns inside out.
VerticalSpan CentreLineVertically(int top, int bottom, int lineHeight);
