#include "ui/cancel/exit_choice_layout.h"

#include <gtest/gtest.h>

using exit_choice::Choice;

TEST(ExitChoices, StandOnOneRowEndingAtX300With24PixelsBetween) {
  const int sizes[][4] = {{48, 16, 44, 16}, {97, 17, 61, 15}, {1, 1, 1, 1}};
  for (const auto& size : sizes) {
    const exit_choice::ChoiceRects rects =
        exit_choice::PlaceChoices(size[0], size[1], size[2], size[3]);
    EXPECT_EQ(rects.cancel.right, 300);
    EXPECT_EQ(rects.cancel.left - rects.resume.right, 24);
    EXPECT_EQ(rects.resume.right - rects.resume.left, size[0]);
    EXPECT_EQ(rects.resume.bottom - rects.resume.top, size[1]);
    EXPECT_EQ(rects.cancel.bottom - rects.cancel.top, size[3]);
    EXPECT_EQ(rects.resume.top, 99);
    EXPECT_EQ(rects.cancel.top, 99);
  }
  const exit_choice::ChoiceRects english = exit_choice::PlaceChoices(48, 16, 44, 16);
  EXPECT_EQ(english.resume.left, 276 - 44 - 48);
  EXPECT_EQ(english.cancel.left, 276 - 44 + 24);
}

TEST(ExitChoices, AClickChoosesOnlyStrictlyInsideAChoice) {
  // Resume 184..232, cancel 256..300, both 99..115.
  const exit_choice::ChoiceRects rects = exit_choice::PlaceChoices(48, 16, 44, 16);
  EXPECT_EQ(exit_choice::ChoiceAt(rects, 200, 107), Choice::kResume);
  EXPECT_EQ(exit_choice::ChoiceAt(rects, 185, 100), Choice::kResume);
  EXPECT_EQ(exit_choice::ChoiceAt(rects, 299, 114), Choice::kCancel);
  EXPECT_EQ(exit_choice::ChoiceAt(rects, 184, 107), Choice::kNone);
  EXPECT_EQ(exit_choice::ChoiceAt(rects, 232, 107), Choice::kNone);
  EXPECT_EQ(exit_choice::ChoiceAt(rects, 200, 99), Choice::kNone);
  EXPECT_EQ(exit_choice::ChoiceAt(rects, 200, 115), Choice::kNone);
  EXPECT_EQ(exit_choice::ChoiceAt(rects, 244, 107), Choice::kNone);
  EXPECT_EQ(exit_choice::ChoiceAt(rects, 300, 107), Choice::kNone);
  EXPECT_EQ(exit_choice::ChoiceAt(rects, 100, 50), Choice::kNone);
}
