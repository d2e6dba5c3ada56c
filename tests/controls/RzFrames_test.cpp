#include <gtest/gtest.h>

#include <ostream>

#include "controls/RzCommon.h"
#include "PaintTest.h"

// RECT lives in the global namespace, where GoogleTest looks for its comparison and printer.
bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
void PrintTo(const RECT& r, std::ostream* os) {
  *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace kovra {
namespace {

class FrameTest : public test::PaintTest {
 protected:
  void SetUp() override { Reset(10, 10); }
  static TColor Rgb(TColor c) { return ColorToRGB(c); }
};

const RECT kBox{0, 0, 10, 10};

TEST_F(FrameTest, LoweredFrameIsTwoRingsWithLowerRightCornersLast) {
  EXPECT_EQ(PaintStyledFrame(Canvas(), kBox, fsLowered), (RECT{2, 2, 8, 8}));
  for (int x = 0; x < 9; ++x) EXPECT_EQ(At(x, 0), Rgb(clBtnShadow)) << x;
  EXPECT_EQ(At(9, 0), Rgb(clBtnHighlight));  // top-right corner belongs to the right edge
  EXPECT_EQ(At(0, 9), Rgb(clBtnHighlight));
  for (int x = 0; x < 10; ++x) EXPECT_EQ(At(x, 9), Rgb(clBtnHighlight)) << x;
  EXPECT_EQ(At(1, 1), Rgb(cl3DDkShadow));
  EXPECT_EQ(At(5, 8), Rgb(cl3DLight));
  EXPECT_EQ(At(8, 5), Rgb(cl3DLight));
  EXPECT_EQ(At(2, 2), kBackground);
}

TEST_F(FrameTest, NoSidesOrNoStyleDrawNothing) {
  for (int s = fsNone; s <= fsFlatBold; ++s) {
    const auto style = static_cast<TFrameStyle>(s);
    EXPECT_EQ(PaintStyledFrame(Canvas(), kBox, style, TSides::Empty()), kBox) << s;
    EXPECT_EQ(PaintTintedFrame(Canvas(), kBox, clRed, style, TSides::Empty()), kBox) << s;
  }
  EXPECT_EQ(PaintStyledFrame(Canvas(), kBox, fsNone), kBox);
  EXPECT_EQ(PaintStyledFrame(Canvas(), kBox, static_cast<TFrameStyle>(fsFlatRounded)), kBox);
  EXPECT_TRUE(Untouched());
}

TEST_F(FrameTest, SingleSidesShrinkOnlyThatSide) {
  EXPECT_EQ(PaintStyledFrame(Canvas(), kBox, fsRaised, TSides{sdTop}), (RECT{0, 2, 10, 10}));
  EXPECT_EQ(PaintStyledFrame(Canvas(), kBox, fsStatus, TSides{sdRight}), (RECT{0, 0, 9, 10}));
  EXPECT_EQ(PaintStyledFrame(Canvas(), kBox, fsFlatBold, TSides{sdBottom}), (RECT{0, 0, 10, 8}));
  EXPECT_EQ(PaintEdgeRings(Canvas(), kBox, clRed, clRed, 0), kBox);
}

TEST_F(FrameTest, EdgeLinesWithoutUpperLeftColourStillDrawLowerRight) {
  EXPECT_EQ(PaintEdgeLines(Canvas(), kBox, clNone, clRed), (RECT{1, 1, 9, 9}));
  EXPECT_EQ(At(0, 5), kBackground);
  EXPECT_EQ(At(5, 0), kBackground);
  EXPECT_EQ(At(9, 0), clRed);
  EXPECT_EQ(At(0, 9), clRed);
  EXPECT_EQ(At(9, 9), clRed);
}

TEST_F(FrameTest, GrooveOnAllSidesInterleavesItsRings) {
  EXPECT_EQ(PaintStyledFrame(Canvas(), kBox, fsGroove), (RECT{2, 2, 8, 8}));
  const TColor shadow = Rgb(clBtnShadow), light = Rgb(clBtnHighlight);
  EXPECT_EQ(At(0, 0), shadow);
  EXPECT_EQ(At(9, 0), light);
  EXPECT_EQ(At(0, 9), light);
  EXPECT_EQ(At(9, 9), light);
  EXPECT_EQ(At(1, 1), light);
  EXPECT_EQ(At(8, 1), shadow);
  EXPECT_EQ(At(1, 8), shadow);
  EXPECT_EQ(At(8, 8), shadow);
}

TEST_F(FrameTest, EtchedEdgesEndCleanlyWhereSidesStop) {
  // Top only: the outer line runs to the right edge in the dark colour, the light line starts
  // at the left edge.
  EXPECT_EQ(PaintStyledFrame(Canvas(), kBox, fsGroove, TSides{sdTop}), (RECT{0, 2, 10, 10}));
  EXPECT_EQ(At(9, 0), Rgb(clBtnShadow));
  EXPECT_EQ(At(0, 1), Rgb(clBtnHighlight));
  EXPECT_EQ(At(0, 2), kBackground);

  Reset(10, 10);
  PaintStyledFrame(Canvas(), kBox, fsBump, TSides{sdLeft, sdBottom});
  EXPECT_EQ(At(1, 0), Rgb(clBtnShadow));     // left without top: (L + 1, T) in the dark colour
  EXPECT_EQ(At(0, 9), Rgb(clBtnShadow));     // bottom-left corner in the lower-right colour
  EXPECT_EQ(At(9, 8), Rgb(clBtnHighlight));  // bottom without right: (R - 1, B - 2) light
}

TEST_F(FrameTest, TintedFramesDeriveTheirColoursFromTheBase) {
  const TColor base = RGBColor(60, 120, 200);
  EXPECT_EQ(PaintTintedFrame(Canvas(), kBox, base, fsLowered), (RECT{2, 2, 8, 8}));
  EXPECT_EQ(At(3, 0), DarkenColor(base, 50));
  EXPECT_EQ(At(3, 9), LightenColor(base, 100));
  EXPECT_EQ(At(3, 1), DarkenColor(base, 100));
  EXPECT_EQ(At(3, 8), LightenColor(base, 50));

  Reset(10, 10);
  EXPECT_EQ(PaintTintedButtonFrame(Canvas(), kBox, base, true), (RECT{2, 2, 8, 8}));
  EXPECT_EQ(At(3, 0), DarkenColor(base, 100));
  EXPECT_EQ(At(3, 9), DarkenColor(base, 100));
  EXPECT_EQ(At(3, 1), DarkenColor(base, 50));
}

TEST_F(FrameTest, ControlFrameErasesThenDrawsInTheFrameColour) {
  PaintControlFrame(Canvas(), 10, 10, fsFlat, clYellow, clBlue, kAllSides, false);
  EXPECT_EQ(At(0, 0), clBlue);
  EXPECT_EQ(At(9, 9), clBlue);
  EXPECT_EQ(At(1, 1), clYellow);
  EXPECT_EQ(At(2, 2), kBackground);

  Reset(10, 10);
  PaintControlFrame(Canvas(), 10, 10, fsFlatBold, clYellow, clBlue, TSides{sdLeft}, true);
  EXPECT_EQ(At(1, 5), clBlue);
  EXPECT_EQ(At(9, 5), kBackground);  // no erasing ring

  Reset(10, 10);
  PaintControlFrame(Canvas(), 10, 10, fsLowered, clWindow, clBlue, kAllSides, true);
  EXPECT_EQ(At(3, 0), Rgb(clBtnShadow));  // window-coloured controls get the system look
}

TEST_F(FrameTest, PanelBordersChainOuterRingAndInnerFrames) {
  Reset(20, 20);
  TRzPanelBorderLook look;  // the bar's panel: raised outside, lowered inside
  look.inner = fsLowered;
  EXPECT_EQ(PaintPanelBorders(Canvas(), RECT{0, 0, 20, 20}, look), (RECT{4, 4, 16, 16}));
  EXPECT_EQ(At(5, 0), Rgb(cl3DLight));
  EXPECT_EQ(At(5, 1), Rgb(clBtnHighlight));
  EXPECT_EQ(At(5, 2), Rgb(clBtnShadow));
  EXPECT_EQ(At(5, 3), Rgb(cl3DDkShadow));
  EXPECT_EQ(At(5, 19), Rgb(cl3DDkShadow));

  Reset(20, 20);
  look = {};
  look.outer = fsFlat;
  look.borderWidth = 3;
  look.borderColor = clRed;
  look.sides = TSides{sdLeft};
  look.flatColor = clBlue;
  look.flatColorAdjustment = 0;
  EXPECT_EQ(PaintPanelBorders(Canvas(), RECT{0, 0, 20, 20}, look), (RECT{4, 0, 20, 20}));
  EXPECT_EQ(At(0, 5), clBlue);
  EXPECT_EQ(At(3, 5), clRed);
  EXPECT_EQ(At(10, 0), kBackground);
}

TEST_F(FrameTest, RoundedFlatFrameCutsItsCorners) {
  EXPECT_EQ(PaintRoundedFlatFrame(Canvas(), kBox, clRed), (RECT{2, 2, 8, 8}));
  EXPECT_EQ(At(0, 0), kBackground);
  EXPECT_EQ(At(1, 0), kBackground);
  EXPECT_EQ(At(0, 1), kBackground);
  EXPECT_EQ(At(1, 1), clRed);
  EXPECT_EQ(At(8, 8), clRed);
  EXPECT_EQ(At(0, 2), clRed);
  EXPECT_EQ(At(0, 7), clRed);
  EXPECT_EQ(At(0, 8), kBackground);

  Reset(10, 10);
  EXPECT_EQ(PaintRoundedFlatFrame(Canvas(), kBox, clRed, TSides{sdLeft, sdTop}),
            (RECT{2, 2, 10, 10}));
  EXPECT_EQ(At(1, 1), clRed);
  EXPECT_EQ(At(0, 9), clRed);  // runs to the bottom edge where there is no bottom side
  EXPECT_EQ(At(8, 8), kBackground);

  Reset(12, 12);
  TRzPanelBorderLook look;
  look.outer = fsFlatRounded;
  look.flatColor = clBlue;
  look.flatColorAdjustment = 0;
  look.parentColor = clYellow;
  look.controlColor = clLime;
  PaintPanelBorders(Canvas(), RECT{0, 0, 12, 12}, look);
  EXPECT_EQ(At(0, 0), clYellow);  // the cut corner shows the parent's colour
  EXPECT_EQ(At(1, 1), clBlue);
  EXPECT_EQ(At(0, 5), clBlue);
}

TEST_F(FrameTest, DottedFocusFrameSetsEverySecondPixel) {
  EXPECT_EQ(PaintDottedFocusFrame(Canvas(), kBox), (RECT{1, 1, 9, 9}));
  EXPECT_EQ(At(0, 0), kBackground);
  EXPECT_EQ(At(0, 1), clBlack);
  EXPECT_EQ(At(0, 2), kBackground);
  EXPECT_EQ(At(1, 0), clBlack);
  EXPECT_EQ(At(2, 0), kBackground);
  EXPECT_EQ(At(9, 9), clBlack);
  EXPECT_EQ(At(9, 1), clBlack);
  EXPECT_EQ(At(1, 9), clBlack);
  EXPECT_EQ(At(4, 4), kBackground);
}

TEST_F(FrameTest, BoxOutlineAndCorners) {
  EXPECT_EQ(PaintBoxCorners(Canvas(), kBox, clRed, 3), (RECT{1, 1, 9, 9}));
  EXPECT_EQ(At(0, 0), clRed);
  EXPECT_EQ(At(2, 0), clRed);
  EXPECT_EQ(At(3, 0), kBackground);
  EXPECT_EQ(At(0, 2), clRed);
  EXPECT_EQ(At(0, 3), kBackground);
  EXPECT_EQ(At(9, 9), clRed);
  EXPECT_EQ(At(9, 7), clRed);
  EXPECT_EQ(At(9, 6), kBackground);
  EXPECT_EQ(At(7, 0), clRed);
  EXPECT_EQ(At(6, 0), kBackground);
  EXPECT_EQ(At(5, 5), kBackground);

  Reset(10, 10);
  EXPECT_EQ(PaintBoxOutline(Canvas(), kBox, clRed), (RECT{1, 1, 9, 9}));
  EXPECT_EQ(At(0, 0), clRed);
  EXPECT_EQ(At(9, 9), clRed);
  EXPECT_EQ(At(1, 1), kBackground);
}

}  // namespace
}  // namespace kovra
