#include "ui/controls/control_geometry.h"

#include <gtest/gtest.h>

#include <climits>

TEST(ProgressFillWidth, IsTheDoneShareOfTheWidth) {
  EXPECT_EQ(ProgressFillWidth(50, 0, 100, 300), 150);
  EXPECT_EQ(ProgressFillWidth(0, 0, 100, 300), 0);
  EXPECT_EQ(ProgressFillWidth(100, 0, 100, 300), 300);
  EXPECT_EQ(ProgressFillWidth(1, 0, 3, 352), 117);  // 117.33 truncated
  EXPECT_EQ(ProgressFillWidth(60, 50, 150, 200), 20);  // measured from the range's low end
  // Large ranges (bytes) must not overflow on the way.
  EXPECT_EQ(ProgressFillWidth(INT_MAX / 2, 0, INT_MAX, 352), 175);
}

TEST(ProgressFillWidth, StaysInsideTheBarForOddInput) {
  EXPECT_EQ(ProgressFillWidth(5, 7, 7, 300), 0);  // empty range
  EXPECT_EQ(ProgressFillWidth(150, 0, 100, 300), 300);
  EXPECT_EQ(ProgressFillWidth(-20, 0, 100, 300), 0);
  EXPECT_EQ(ProgressFillWidth(50, 100, 0, 300), 0);  // reversed range
  EXPECT_EQ(ProgressFillWidth(50, 0, 100, 0), 0);
}

TEST(CentreLineVertically, MovesBothEdgesInByHalfTheFreeHeight) {
  // A 36-pixel field less its 2-pixel client edge, with a 15-pixel line.
  const VerticalSpan centred = CentreLineVertically(2, 34, 15);
  EXPECT_EQ(centred.top, 10);
  EXPECT_EQ(centred.bottom, 26);
  const VerticalSpan even = CentreLineVertically(100, 132, 16);
  EXPECT_EQ(even.top, 108);
  EXPECT_EQ(even.bottom, 124);
}

TEST(CentreLineVertically, KeepsTheSpanValidWhenTheLineDoesNotFit) {
  for (int lineHeight : {31, 32, 40, 0, -3}) {
    const VerticalSpan span = CentreLineVertically(2, 34, lineHeight);
    EXPECT_EQ(span.top, 2) << lineHeight;
    EXPECT_EQ(span.bottom, 34) << lineHeight;
  }
  const VerticalSpan tiny = CentreLineVertically(2, 1, 15);  // window smaller than its edges
  EXPECT_EQ(tiny.top, 2);
  EXPECT_EQ(tiny.bottom, 1);
}
