#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "controls/RzCommon.h"
#include "PaintTest.h"

namespace kovra {
namespace {

constexpr TColor kStart = RGBColor(0, 40, 200);
constexpr TColor kStop = RGBColor(250, 200, 10);

class GradientTest : public test::PaintTest {
 protected:
  void Paint(TGradientDirection d, TColor start = kStart, TColor stop = kStop) {
    PaintGradientRect(Canvas(), RECT{0, 0, W(), H()}, d, start, stop);
  }
  // Red grows from kStart to kStop: stepping from (x, y) by (dx, dy) never makes it smaller.
  bool RedNeverFalls(int dx, int dy, int x0, int y0, int x1, int y1) const {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (RedOf(At(x + dx, y + dy)) < RedOf(At(x, y))) return false;
    return true;
  }
  int CountOf(TColor c) const {
    int n = 0;
    for (int y = 0; y < H(); ++y)
      for (int x = 0; x < W(); ++x) n += At(x, y) == c;
    return n;
  }
  // Within one gradient step of `c` over `count` steps.
  static bool Near(TColor a, TColor c, int count) {
    const int tolerance = 250 / count + 1;
    return std::abs(RedOf(a) - RedOf(c)) <= tolerance &&
           std::abs(GreenOf(a) - GreenOf(c)) <= tolerance &&
           std::abs(BlueOf(a) - BlueOf(c)) <= tolerance;
  }
};

TEST_F(GradientTest, LinearGradientsRunFromStartToStopAcrossTheWholeRectangle) {
  Reset(37, 21);  // wider than the 8-pixel strip and not a power of two
  Paint(gdHorizontalEnd);
  for (int x : {0, 7, 8, 20, 36}) {
    EXPECT_EQ(At(x, 0), kStart) << x;
    EXPECT_TRUE(Near(At(x, 20), kStop, 21)) << x;
    EXPECT_EQ(At(x, 10), At(0, 10)) << x;
  }
  for (int y = 1; y < 21; ++y) EXPECT_GE(RedOf(At(3, y)), RedOf(At(3, y - 1))) << y;

  Reset(21, 37);
  Paint(gdVerticalEnd);
  for (int y : {0, 7, 8, 20, 36}) {
    EXPECT_EQ(At(0, y), kStart) << y;
    EXPECT_TRUE(Near(At(20, y), kStop, 21)) << y;
  }
  EXPECT_EQ(CountOf(kBackground), 0);
}

TEST_F(GradientTest, CentredGradientsMeetTheStopColourInTheMiddle) {
  Reset(30, 41);
  Paint(gdHorizontalCenter);
  EXPECT_EQ(At(5, 0), kStart);
  EXPECT_EQ(At(29, 20), kStop);  // row H div 2
  EXPECT_TRUE(Near(At(5, 40), kStart, 20));
  EXPECT_NE(At(5, 10), At(5, 30)) << "halves are not copies of each other";

  Reset(41, 30);
  Paint(gdVerticalCenter);
  EXPECT_EQ(At(0, 29), kStart);
  EXPECT_EQ(At(20, 0), kStop);
  EXPECT_TRUE(Near(At(40, 3), kStart, 20));
}

TEST_F(GradientTest, DiagonalGradientsLeaveNoGapsBetweenStrips) {
  // A pixel that no strip covered would keep whatever the off-screen bitmap held before and
  // break the steady rise towards the stop corner.
  Reset(53, 29);
  Paint(gdVerticalEnd, kStop, kStart);
  Paint(gdDiagonalDown);
  EXPECT_EQ(At(0, 0), kStart);
  EXPECT_TRUE(Near(At(52, 28), kStop, 20));
  EXPECT_TRUE(RedNeverFalls(1, 0, 0, 0, 52, 29));
  EXPECT_TRUE(RedNeverFalls(0, 1, 0, 0, 53, 28));

  Reset(53, 29);
  Paint(gdVerticalEnd, kStop, kStart);
  Paint(gdDiagonalUp);
  EXPECT_EQ(At(0, 28), kStart);
  EXPECT_TRUE(Near(At(52, 0), kStop, 20));
  EXPECT_TRUE(RedNeverFalls(1, 0, 0, 0, 52, 29));
  EXPECT_TRUE(RedNeverFalls(0, -1, 0, 1, 53, 29));

  Reset(9, 9);
  Paint(gdDiagonalUp, clRed, clRed);
  EXPECT_EQ(CountOf(clRed), 81);
}

TEST_F(GradientTest, BoxGradientsAreMirrorImagesAroundTheCentre) {
  for (TGradientDirection d : {gdHorizontalBox, gdVerticalBox, gdSquareBox, gdBigSquareBox}) {
    for (auto [w, h] : {std::pair{31, 17}, std::pair{30, 18}}) {
      Reset(w, h);
      Paint(gdHorizontalEnd, kStop, kStart);
      Paint(d);
      EXPECT_TRUE(RedNeverFalls(1, 1, 0, 0, (w - 1) / 2, (h - 1) / 2)) << d << " " << w;
      EXPECT_EQ(At(0, 0), kStart) << d;
      EXPECT_TRUE(Near(At(w / 2, h / 2), kStop, 8)) << d << " " << w;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          ASSERT_EQ(At(x, y), At(w - 1 - x, y)) << d << " " << x << "," << y;
          ASSERT_EQ(At(x, y), At(x, h - 1 - y)) << d << " " << x << "," << y;
        }
    }
  }
}

TEST_F(GradientTest, DegenerateSizesFillPlainlyOrDrawNothing) {
  Reset(10, 10);
  PaintGradientRect(Canvas(), RECT{2, 2, 2, 9}, gdHorizontalEnd, kStart, kStop);
  PaintGradientRect(Canvas(), RECT{2, 2, 9, 2}, gdSquareBox, kStart, kStop);
  EXPECT_EQ(CountOf(kBackground), 100);

  Reset(30, 4);
  Paint(gdSquareBox);
  EXPECT_EQ(CountOf(kStart), 120);
  Reset(4, 30);
  Paint(gdBigSquareBox);
  EXPECT_EQ(CountOf(kStart), 120);
  Reset(1, 1);
  Paint(gdDiagonalDown);
  EXPECT_EQ(At(0, 0), kStart);

  Reset(10, 10);  // too large for any off-screen bitmap: filled plainly, nothing thrown
  PaintGradientRect(Canvas(), RECT{0, 0, 200000, 200000}, gdVerticalEnd, kStart, kStop);
  EXPECT_EQ(CountOf(kStart), 100);
}

TEST_F(GradientTest, DrawsOnlyInsideItsRectangleAndTakesSystemColours) {
  Reset(20, 20);
  PaintGradientRect(Canvas(), RECT{15, 15, 5, 5}, gdVerticalEnd, clBtnFace, clBtnFace);
  EXPECT_EQ(At(4, 4), kBackground);
  EXPECT_EQ(At(15, 15), kBackground);
  EXPECT_EQ(At(5, 5), ColorToRGB(clBtnFace));
  EXPECT_EQ(At(14, 14), ColorToRGB(clBtnFace));
}

TEST_F(GradientTest, EachColourBandIsOneFill) {
  Reset(64, 200);
  const std::uint64_t before = GradientFillCalls();
  Paint(gdHorizontalEnd, RGBColor(0, 0, 0), RGBColor(30, 0, 0));
  std::set<TColor> bands;
  for (int y = 0; y < H(); ++y) bands.insert(At(0, y));
  EXPECT_EQ(GradientFillCalls() - before, bands.size());
  EXPECT_EQ(bands.size(), 30u);
}

TEST_F(GradientTest, HighlightRingPaintsOnlyTwoPixelsDeep) {
  Reset(20, 20);
  SetGradientsAvailable(true);
  PaintHighlightRing(Canvas(), RECT{0, 0, 20, 20}, gdHorizontalEnd, clRed, clRed);
  EXPECT_EQ(At(1, 10), clRed);
  EXPECT_EQ(At(18, 10), clRed);
  EXPECT_EQ(At(2, 10), kBackground);
  EXPECT_EQ(At(10, 17), kBackground);
  RegionHandle clip(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(GetClipRgn(Canvas().Handle(), clip.Get()), 0) << "the clip region is removed";

  SetGradientsAvailable(false);
  Reset(20, 20);
  PaintHighlightRing(Canvas(), RECT{0, 0, 20, 20}, gdHorizontalEnd, clRed, clRed);
  EXPECT_EQ(CountOf(kBackground), 400);
  SetGradientsAvailable(true);
}

}  // namespace
}  // namespace kovra
