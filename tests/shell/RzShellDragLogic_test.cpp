#include "shell/RzShellDragLogic.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

TEST(DragAutoScroll, EdgesScrollTowardsThemselves) {
  const int w = 200, h = 100;
  EXPECT_EQ(DragAutoScroll(100, 50, w, h).Horizontal, 0);
  EXPECT_EQ(DragAutoScroll(100, 50, w, h).Vertical, 0);
  EXPECT_EQ(DragAutoScroll(25, 50, w, h).Horizontal, -1);
  EXPECT_EQ(DragAutoScroll(26, 50, w, h).Horizontal, 0);
  EXPECT_EQ(DragAutoScroll(w - 27, 50, w, h).Horizontal, 0);
  EXPECT_EQ(DragAutoScroll(w - 26, 50, w, h).Horizontal, 1);
  EXPECT_EQ(DragAutoScroll(100, 19, w, h).Vertical, -1);
  EXPECT_EQ(DragAutoScroll(100, 20, w, h).Vertical, 0);
  EXPECT_EQ(DragAutoScroll(100, h - 20, w, h).Vertical, 1);
  // A corner scrolls both ways; a point outside the window not at all.
  const TRzDragScroll corner = DragAutoScroll(0, h - 1, w, h);
  EXPECT_EQ(corner.Horizontal, -1);
  EXPECT_EQ(corner.Vertical, 1);
  EXPECT_EQ(DragAutoScroll(-1, 50, w, h).Horizontal, 0);
  EXPECT_EQ(DragAutoScroll(100, h, w, h).Vertical, 0);
  // A window narrower than both margins scrolls left rather than both ways at once.
  EXPECT_EQ(DragAutoScroll(10, 10, 30, 30).Horizontal, -1);
}

TEST(DragScrollTimer, StepsAtMostEveryHundredMillisecondsAcrossTheTickWrap) {
  TRzDragScrollTimer timer;
  EXPECT_TRUE(timer.Due(1000));
  EXPECT_FALSE(timer.Due(1099));
  EXPECT_TRUE(timer.Due(1100));
  TRzDragScrollTimer wrapping;
  EXPECT_TRUE(wrapping.Due(0xFFFFFFF0u));
  EXPECT_FALSE(wrapping.Due(0x00000010u));  // 32 ms later
  EXPECT_TRUE(wrapping.Due(0x00000060u));
  wrapping.Reset();
  EXPECT_TRUE(wrapping.Due(0x00000061u));
}

TEST(DragHoverTracker, FiresOncePerRestInsideTheRectangle) {
  TRzDragHoverTracker hover(4, 4, 400);
  EXPECT_FALSE(hover.Update(100, 100, 0));
  EXPECT_FALSE(hover.Update(102, 98, 300));   // small moves keep the rest
  EXPECT_FALSE(hover.Update(101, 101, 400));  // not longer than the hover time yet
  EXPECT_TRUE(hover.Update(101, 101, 401));
  EXPECT_FALSE(hover.Update(101, 101, 2000));  // once per rest
  // Leaving the rectangle starts a new rest from the new point.
  EXPECT_FALSE(hover.Update(103, 100, 2001));
  EXPECT_FALSE(hover.Update(104, 100, 2300));
  EXPECT_TRUE(hover.Update(104, 100, 2402));
  hover.Reset();
  EXPECT_FALSE(hover.Update(104, 100, 5000));

  TRzDragHoverTracker defaults(0, 0, 0);  // one pixel, 400 ms
  EXPECT_FALSE(defaults.Update(0, 0, 0));
  EXPECT_FALSE(defaults.Update(1, 0, 500));  // moved: a new rest
  EXPECT_TRUE(defaults.Update(1, 0, 901));
  // Extreme coordinates never overflow the distance.
  TRzDragHoverTracker far(4, 4, 10);
  EXPECT_FALSE(far.Update(-2147483647 - 1, 0, 0));
  EXPECT_FALSE(far.Update(2147483647, 0, 100));
}

}  // namespace
}  // namespace kovra
