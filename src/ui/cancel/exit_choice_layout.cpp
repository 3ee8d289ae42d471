#include "ui/cancel/exit_choice_layout.h"

namespace exit_choice {

namespace {

constexpr int kRowTop = 99;
constexpr int kRowEnd = 300;
constexpr int kGap = 24;

bool StrictlyInside(const Rect& rect, int x, int y) {
  return rect.left < x && x < rect.right && rect.top < y && y < rect.bottom;
}

}  // namespace

ChoiceRects PlaceChoices(int resumeWidth, int resumeHeight, int cancelWidth, int cancelHeight) {
  const int cancelLeft = kRowEnd - cancelWidth;
  const int resumeLeft = cancelLeft - kGap - resumeWidth;
  ChoiceRects rects;
  rects.resume = Rect{resumeLeft, kRowTop, resumeLeft + resumeWidth, kRowTop + resumeHeight};
  rects.cancel = Rect{cancelLeft, kRowTop, cancelLeft + cancelWidth, kRowTop + cancelHeight};
  return rects;
}

Choice ChoiceAt(const ChoiceRects& choices, int x, int y) {
  if (StrictlyInside(choices.resume, x, y)) return Choice::kResume;
  if (StrictlyInside(choices.cancel, x, y)) return Choice::kCancel;
  return Choice::kNone;
}

}  // namespace exit_choice
