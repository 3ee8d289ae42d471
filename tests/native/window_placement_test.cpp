#include "ui/window_placement.h"

#include <gtest/gtest.h>

TEST(MainWindowPlacement, DefaultsToTheBottomRightCornerOfTheWorkArea) {
  const WindowOrigin origin = PlaceMainWindow(0, 0, ScreenRect{0, 0, 1280, 1024}, 400, 700);
  EXPECT_EQ(origin.left, 856);
  EXPECT_EQ(origin.top, 300);
}

TEST(MainWindowPlacement, AHandedOverPositionIsKeptPerAxis) {
  const ScreenRect work{0, 0, 1920, 1040};
  const WindowOrigin both = PlaceMainWindow(340, 120, work, 400, 700);
  EXPECT_EQ(both.left, 340);
  EXPECT_EQ(both.top, 120);
  const WindowOrigin leftOnly = PlaceMainWindow(340, 0, work, 400, 700);
  EXPECT_EQ(leftOnly.left, 340);
  EXPECT_EQ(leftOnly.top, 1040 - 700 - 24);
  const WindowOrigin negative = PlaceMainWindow(-5, 1, work, 400, 700);
  EXPECT_EQ(negative.left, 1920 - 400 - 24);
  EXPECT_EQ(negative.top, 1);
}
