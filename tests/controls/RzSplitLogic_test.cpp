#include <gtest/gtest.h>

#include "controls/RzSplitLogic.h"

namespace kovra {
namespace {

TRzSplitLimits Limits(int extent, int marginMin = 0, int marginMax = 0, int borderWidth = 0) {
  TRzSplitLimits l;
  l.extent = extent;
  l.marginMin = marginMin;
  l.marginMax = marginMax;
  l.borderWidth = borderWidth;
  return l;
}

TEST(SplitLogic, ClampingKeepsTheBarBetweenTheMargins) {
  const TRzSplitLimits l = Limits(200, 20, 30, 2);
  EXPECT_EQ(ClampSplitterPosition(l, -1), 20);
  EXPECT_EQ(ClampSplitterPosition(l, 100), 100);
  EXPECT_EQ(ClampSplitterPosition(l, 500), 200 - 30 - 4 - 2 * 2);
  // A closed hot spot that ignores margins reaches both ends.
  TRzSplitLimits closed = l;
  closed.hotSpotClosed = true;
  EXPECT_EQ(ClampSplitterPosition(closed, -5), 0);
  EXPECT_EQ(ClampSplitterPosition(closed, 500), 200 - 4 - 4);
  closed.hotSpotIgnoreMargins = false;
  EXPECT_EQ(ClampSplitterPosition(closed, -5), 20);
  // Too small for both margins: the minimum wins, no negative position.
  EXPECT_EQ(ClampSplitterPosition(Limits(10, 20, 30), 5), 20);
  EXPECT_EQ(ClampSplitterPosition(Limits(0), 5), 0);
}

TEST(SplitLogic, PercentAndPositionConvertOverTheExtentLessHalfTheBar) {
  EXPECT_EQ(SplitterPercentOf(99, 200, 4), 50);  // 99 * 100 / 198
  EXPECT_EQ(SplitterPositionOfPercent(50, 200, 4), 99);
  EXPECT_EQ(SplitterPositionOfPercent(33, 101, 4), 33);
  EXPECT_EQ(SplitterPercentOf(1, 4, 4), 50);  // 1 of 2
  EXPECT_EQ(SplitterPercentOf(1, 5, 4), 33);  // 33.3 rounds down
  EXPECT_EQ(SplitterPercentOf(2, 5, 4), 67);  // 66.7 rounds up
  EXPECT_EQ(SplitterPercentOf(10, 2, 4), 0);  // nothing to divide by
  EXPECT_EQ(SplitterPercentOf(10, 0, 4), 0);
  EXPECT_EQ(SplitterPositionOfPercent(50, 0, 4), 0);
}

TEST(SplitLogic, SpansShareTheAreaAndNeverLeaveIt) {
  TRzSplitSpans s = SplitSpans({5, 205}, 100, 4, true, true);
  EXPECT_EQ(s.upperLeft, (TRzSpan{5, 105}));
  EXPECT_EQ(s.bar, (TRzSpan{105, 109}));
  EXPECT_EQ(s.lowerRight, (TRzSpan{109, 205}));
  // One pane visible: it takes everything, the bar has no extent.
  s = SplitSpans({5, 205}, 100, 4, false, true);
  EXPECT_EQ(s.lowerRight, (TRzSpan{5, 205}));
  EXPECT_EQ(s.bar.Length(), 0);
  EXPECT_EQ(s.upperLeft.Length(), 0);
  s = SplitSpans({5, 205}, 100, 4, true, false);
  EXPECT_EQ(s.upperLeft, (TRzSpan{5, 205}));
  EXPECT_EQ(s.lowerRight.Length(), 0);
  // Out-of-range positions and a collapsed area stay inside.
  s = SplitSpans({0, 50}, 300, 4, true, true);
  EXPECT_EQ(s.upperLeft, (TRzSpan{0, 50}));
  EXPECT_EQ(s.lowerRight, (TRzSpan{50, 50}));
  s = SplitSpans({10, 0}, -20, 4, true, true);
  EXPECT_GE(s.upperLeft.Length(), 0);
  EXPECT_GE(s.lowerRight.Length(), 0);
  EXPECT_EQ(s.bar.start, 10);
}

TEST(SplitLogic, HotSpotIsCentredAndClosesTowardsTheChosenSide) {
  EXPECT_EQ(HotSpotSpan({0, 100}, 40), (TRzSpan{30, 70}));
  EXPECT_EQ(HotSpotSpan({10, 10}, 40).Length(), 0);
  EXPECT_EQ(HotSpotSpan({0, 100}, 250), (TRzSpan{0, 100}));
  EXPECT_EQ(HotSpotCloseSide(hsdMin, 150, 196), hscToMin);
  EXPECT_EQ(HotSpotCloseSide(hsdMax, 10, 196), hscToMax);
  EXPECT_EQ(HotSpotCloseSide(hsdBoth, 150, 196), hscToMax);
  EXPECT_EQ(HotSpotCloseSide(hsdBoth, 40, 196), hscToMin);
  EXPECT_EQ(HotSpotCloseSide(hsdBoth, 98, 196), hscToMin);
}

TRzSplitResizeInput Resize(int extent, int position) {
  TRzSplitResizeInput in;
  in.limits = Limits(extent);
  in.position = position;
  return in;
}

TEST(SplitLogic, PercentResizeScalesPositionAndMargins) {
  TRzSplitResizeInput in = Resize(402, 99);
  in.usePercent = true;
  in.percent = 25;
  in.percentMin = 10;
  in.percentMax = 80;
  TRzSplitResize out = ResizeSplitter(in);
  EXPECT_EQ(out.position, 100);  // 25 % of 400
  EXPECT_EQ(out.marginMin, 40);
  EXPECT_EQ(out.marginMax, 80);
  in.closed = hscToMin;
  EXPECT_EQ(ResizeSplitter(in).position, 0);
  in.closed = hscToMax;
  EXPECT_EQ(ResizeSplitter(in).position, 400);
}

TEST(SplitLogic, FixedUpperLeftShrinksAndComesBackToTheUsersPosition) {
  TRzSplitResizeInput in = Resize(100, 150);
  in.userPosition = 150;
  EXPECT_EQ(ResizeSplitter(in).position, 96);  // clamped by the smaller splitter
  in = Resize(300, 96);
  in.userPosition = 150;
  EXPECT_EQ(ResizeSplitter(in).position, 150);  // raised back once there is room
  in.userPosition = -1;
  EXPECT_EQ(ResizeSplitter(in).position, 96);
  in.closed = hscToMax;
  EXPECT_EQ(ResizeSplitter(in).position, 296);
}

TEST(SplitLogic, FixedLowerRightKeepsItsSize) {
  TRzSplitResizeInput in = Resize(300, 0);
  in.fixedPane = fpLowerRight;
  in.lowerRightSize = 60;  // a 200 wide splitter with the bar at 140
  EXPECT_EQ(ResizeSplitter(in).position, 240);
  in.userPosition = 80;  // the user's larger pane comes back
  EXPECT_EQ(ResizeSplitter(in).position, 220);
  in.limits.extent = 50;
  EXPECT_EQ(ResizeSplitter(in).position, 0);
}

TEST(SplitLogic, DragKeepsTheGrabOffset) {
  const int offset = GrabOffset(103, 100, 4);  // 1 right of the centre at 102
  EXPECT_EQ(offset, 1);
  EXPECT_EQ(DragPosition(103, offset, 4), 100);
  EXPECT_EQ(DragPosition(153, offset, 4), 150);
}

}  // namespace
}  // namespace kovra
