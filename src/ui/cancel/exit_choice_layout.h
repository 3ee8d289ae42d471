// Geometry of the cancel confirmation: where its two choices stand and which one a click
// picks. Platform-free.
#pragma once

namespace exit_choice {

constexpr int kClientWidth = 330;
constexpr int kClientHeight = 143;
constexpr int kCornerEllipse = 13;  // width and height of the rounded corners
// The question keeps this box (266 x 63 at 30, 30) whatever the length of its translation.
constexpr int kQuestionLeft = 30;
constexpr int kQuestionTop = 30;
constexpr int kQuestionWidth = 266;
constexpr int kQuestionHeight = 63;

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct ChoiceRects {
  Rect resume;
  Rect cancel;
};

enum class Choice { kNone, kResume, kCancel };

// Places the two choice texts, measured as (resumeWidth, resumeHeight) and (cancelWidth,
// cancelHeight), on one row: resume first, 24 px apart, the pair ending at x 300.
ChoiceRects PlaceChoices(int resumeWidth, int resumeHeight, int cancelWidth, int cancelHeight);

// The choice whose rectangle holds (x, y) strictly inside (a point on an edge picks
// nothing).
Choice ChoiceAt(const ChoiceRects& choices, int x, int y);

}  // namespace exit_choice
