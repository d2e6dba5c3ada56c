#include "controls/RzColorPickerLogic.h"

#include <gtest/gtest.h>

#include <set>

#include "controls/RzColorMath.h"

namespace kovra {
namespace {

TRzColorPickerOptions AllOptions() {
  return TRzColorPickerOptions{true, true, true, true};
}

// The natural client area: 144 wide; BH = 11 + 12 = 23 for the default font.
TRzColorPickerLayout NaturalLayout(const TRzColorPickerOptions& o) {
  const TRzPickerSize size = PickerNaturalSize(0, 0, -11, o);
  return LayoutColorPicker(TRzLayoutRect{0, 0, size.width, size.height}, -11, o);
}

// ---- palette ----

TEST(ColorPickerPalette, HoldsTheStandardColoursAndSystemColoursWithoutTwentyFive) {
  const auto& p = ColorPickerPalette();
  EXPECT_EQ(p[16].color, RGBColor(0xFF, 0, 0));
  EXPECT_EQ(p[16].hint, rsColorRed);
  EXPECT_EQ(p[1].color, RGBColor(0x99, 0x33, 0x00));
  EXPECT_EQ(RzStringIn(p[39].hint, TRzLanguage::English), "White");
  EXPECT_EQ(p[40].color, SystemColor(0));
  EXPECT_EQ(p[64].color, SystemColor(24));
  EXPECT_EQ(p[65].color, SystemColor(26));
  EXPECT_EQ(p[69].color, SystemColor(30));
  EXPECT_EQ(RzStringIn(p[69].hint, TRzLanguage::English), "Menu Bar");
  EXPECT_EQ(RzStringIn(p[69].hint, TRzLanguage::Chinese), "菜单栏");
  std::set<TColor> standard;
  for (int i = 0; i < kPickerStandardCount; ++i) standard.insert(p[static_cast<size_t>(i)].color);
  EXPECT_EQ(standard.size(), 40u);  // a duplicate would make one swatch unreachable by colour
}

// ---- geometry and hit testing ----

TEST(ColorPickerLayout, NaturalSizeGivesEighteenPixelCellsWithEveryRow) {
  const TRzPickerSize plain = PickerNaturalSize(3, 3, -11, {});
  EXPECT_EQ(plain.width, 150);
  EXPECT_EQ(plain.height, 96);
  const TRzPickerSize all = PickerNaturalSize(3, 3, -11, AllOptions());
  EXPECT_EQ(all.height, 96 + 80 + 24 + 24 + 23);

  const TRzColorPickerLayout l = NaturalLayout(AllOptions());
  EXPECT_EQ(l.cellWidth, 18);
  EXPECT_EQ(l.cellHeight, 18);
  EXPECT_EQ(l.noColorRow, (TRzLayoutRect{0, 0, 144, 23}));
  EXPECT_EQ(l.defaultRow, (TRzLayoutRect{0, 23, 144, 46}));
  EXPECT_EQ(l.separator.top, 46 + 90);
  EXPECT_EQ(l.moreColorsRow.bottom, all.height - 6);
  EXPECT_EQ(PickerItemRect(l, 40), (TRzLayoutRect{0, 144, 18, 162}));
  EXPECT_EQ(PickerItemRect(l, 69), (TRzLayoutRect{90, 198, 108, 216}));
  EXPECT_EQ(PickerItemRect(l, kPickerCustomSwatch).left, 144 - 23);
  EXPECT_EQ(PickerItemRect(l, kPickerMoreColors).right, 144 - 23);
}

TEST(ColorPickerLayout, AtAnotherResolutionCellsRowsAndTheSeparatorScaleButNotTheFrames) {
  const TRzPickerSize all = PickerNaturalSize(3, 3, -22, AllOptions(), 192);
  EXPECT_EQ(all.width, 288 + 6);
  // BH = 22 + 24; the palette, the separator and the system rows twice the design.
  EXPECT_EQ(all.height, 180 + 6 + 160 + 47 + 47 + 46);
  const TRzColorPickerLayout l =
      LayoutColorPicker(TRzLayoutRect{0, 0, all.width - 6, all.height - 6}, -22, AllOptions(), 192);
  EXPECT_EQ(l.cellWidth, 36);
  EXPECT_EQ(l.cellHeight, 36);
  EXPECT_EQ(l.separator.Height(), 16);
  EXPECT_EQ(l.moreColorsRow.bottom, all.height - 6);
  EXPECT_EQ(PickerItemRect(l, kPickerCustomSwatch).left, 288 - 46);
  EXPECT_EQ(PickerScaled(8, 144), 12);
  EXPECT_EQ(PickerScaled(3, 144), 5);  // halves round up
}

TEST(ColorPickerLayout, HitTestFindsEveryItemAndNothingBetween) {
  const TRzColorPickerLayout l = NaturalLayout(AllOptions());
  EXPECT_EQ(PickerHitTest(l, 70, 5), kPickerNoColor);
  EXPECT_EQ(PickerHitTest(l, 5, 30), kPickerDefaultColor);
  EXPECT_EQ(PickerHitTest(l, 140, 30), kPickerDefaultColor);
  EXPECT_EQ(PickerHitTest(l, 0, 46), 0);
  EXPECT_EQ(PickerHitTest(l, 143, 46 + 89), 39);
  EXPECT_EQ(PickerHitTest(l, 5, 46 + 90), kPickerNothing);  // separator
  EXPECT_EQ(PickerHitTest(l, 5, 46 + 97), kPickerNothing);
  EXPECT_EQ(PickerHitTest(l, 5, 46 + 98), 40);
  EXPECT_EQ(PickerHitTest(l, 107, 215), 69);
  EXPECT_EQ(PickerHitTest(l, 110, 200), kPickerNothing);  // the two empty cells
  EXPECT_EQ(PickerHitTest(l, 143, 215), kPickerNothing);
  const int more = l.moreColorsRow.top + 5;
  EXPECT_EQ(PickerHitTest(l, 5, more), kPickerMoreColors);
  EXPECT_EQ(PickerHitTest(l, 143 - 22, more), kPickerCustomSwatch);
  EXPECT_EQ(PickerHitTest(l, 143 - 23, more), kPickerMoreColors);
  // Outside the items nothing is chosen (not "no colour").
  EXPECT_EQ(PickerHitTest(l, -1, 50), kPickerNothing);
  EXPECT_EQ(PickerHitTest(l, 144, 50), kPickerNothing);
  EXPECT_EQ(PickerHitTest(l, 50, l.client.bottom), kPickerNothing);
}

TEST(ColorPickerLayout, CellsFollowAWiderControlAndLeaveTheRemainderOutside) {
  const TRzColorPickerOptions none{};
  const TRzColorPickerLayout l =
      LayoutColorPicker(TRzLayoutRect{3, 3, 3 + 165, 3 + 103}, -11, none);
  EXPECT_EQ(l.cellWidth, 20);
  EXPECT_EQ(l.cellHeight, 20);
  EXPECT_EQ(PickerHitTest(l, 3 + 159, 3 + 19), 7);
  EXPECT_EQ(PickerHitTest(l, 3 + 160, 3 + 19), kPickerNothing);
  EXPECT_EQ(PickerHitTest(l, 3 + 10, 3 + 100), kPickerNothing);
  EXPECT_EQ(PickerHitTest(l, 3 + 10, 3 + 99), 32);
  // Without system colours their cells are neither drawn nor hit.
  EXPECT_EQ(PickerItemRect(l, 40), TRzLayoutRect{});
  EXPECT_EQ(PickerItemRect(l, kPickerDefaultColor), TRzLayoutRect{});
}

TEST(ColorPickerLayout, TinyOrInvertedClientAreaHitsNothingAndNeverDividesByZero) {
  for (TRzLayoutRect r : {TRzLayoutRect{0, 0, 5, 5}, TRzLayoutRect{10, 10, 0, 0}}) {
    const TRzColorPickerLayout l = LayoutColorPicker(r, -11, AllOptions());
    EXPECT_GE(l.cellWidth, 0);
    EXPECT_GE(l.cellHeight, 0);
    EXPECT_GE(l.grid.Height(), 0);
    for (int x = -2; x < 12; ++x)
      for (int y = -2; y < 12; ++y) {
        const int hit = PickerHitTest(l, x, y);
        EXPECT_TRUE(hit >= kPickerNothing && hit < kPickerPaletteCount);
        EXPECT_FALSE(IsPaletteIndex(hit));
      }
  }
}

// ---- keys ----

TEST(ColorPickerKeys, MoveThroughTheGridAndIntoTheRowsAroundIt) {
  const TRzColorPickerOptions all = AllOptions();
  EXPECT_EQ(PickerKeyMove(kPickerNoColor, pkRight, all), kPickerDefaultColor);
  EXPECT_EQ(PickerKeyMove(kPickerDefaultColor, pkDown, all), 7);
  EXPECT_EQ(PickerKeyMove(kPickerDefaultColor, pkRight, all), 0);
  EXPECT_EQ(PickerKeyMove(kPickerDefaultColor, pkUp, all), kPickerNoColor);
  EXPECT_EQ(PickerKeyMove(0, pkLeft, all), kPickerDefaultColor);
  EXPECT_EQ(PickerKeyMove(5, pkUp, all), kPickerDefaultColor);
  EXPECT_EQ(PickerKeyMove(20, pkUp, all), 12);
  EXPECT_EQ(PickerKeyMove(20, pkLeft, all), 19);
  EXPECT_EQ(PickerKeyMove(39, pkRight, all), 40);
  EXPECT_EQ(PickerKeyMove(35, pkDown, all), 43);
  EXPECT_EQ(PickerKeyMove(45, pkUp, all), 37);
  EXPECT_EQ(PickerKeyMove(61, pkDown, all), 69);
  EXPECT_EQ(PickerKeyMove(62, pkDown, all), kPickerCustomSwatch);
  EXPECT_EQ(PickerKeyMove(69, pkRight, all), kPickerCustomSwatch);
  EXPECT_EQ(PickerKeyMove(kPickerCustomSwatch, pkLeft, all), 69);
  EXPECT_EQ(PickerKeyMove(kPickerCustomSwatch, pkUp, all), 69);
  EXPECT_EQ(PickerKeyMove(kPickerCustomSwatch, pkRight, all), kPickerCustomSwatch);
  EXPECT_EQ(PickerKeyMove(kPickerCustomSwatch, pkDown, all), kPickerCustomSwatch);
}

TEST(ColorPickerKeys, StopAtTheEdgesOfThePlainPalette) {
  const TRzColorPickerOptions plain{};
  EXPECT_EQ(PickerKeyMove(kPickerNoColor, pkRight, plain), 0);
  EXPECT_EQ(PickerKeyMove(kPickerNoColor, pkDown, plain), 0);
  EXPECT_EQ(PickerKeyMove(kPickerNoColor, pkLeft, plain), kPickerNoColor);
  EXPECT_EQ(PickerKeyMove(kPickerNoColor, pkUp, plain), kPickerNoColor);
  EXPECT_EQ(PickerKeyMove(0, pkLeft, plain), 0);
  EXPECT_EQ(PickerKeyMove(3, pkUp, plain), 3);
  EXPECT_EQ(PickerKeyMove(39, pkRight, plain), 39);
  EXPECT_EQ(PickerKeyMove(36, pkDown, plain), 36);
  EXPECT_EQ(PickerKeyMove(8, pkLeft, plain), 7);  // rows wrap left to right
  TRzColorPickerOptions custom{};
  custom.showCustomColor = true;
  EXPECT_EQ(PickerKeyMove(39, pkRight, custom), kPickerCustomSwatch);
  EXPECT_EQ(PickerKeyMove(33, pkDown, custom), kPickerCustomSwatch);
  EXPECT_EQ(PickerKeyMove(kPickerCustomSwatch, pkLeft, custom), 39);
  TRzColorPickerOptions none{};
  none.showNoColor = true;
  EXPECT_EQ(PickerKeyMove(0, pkUp, none), kPickerNoColor);
  EXPECT_EQ(PickerKeyMove(0, pkLeft, none), kPickerNoColor);
}

TEST(ColorPickerKeys, NeverLeaveTheItemsFromTheNothingStateOrHiddenItems) {
  for (const TRzColorPickerOptions& o : {TRzColorPickerOptions{}, AllOptions()}) {
    for (TRzPickerKey k : {pkLeft, pkUp, pkRight, pkDown}) {
      const int to = PickerKeyMove(kPickerNothing, k, o);
      EXPECT_TRUE(to == kPickerNothing || PickerItemShown(to, o)) << to;
      // Every reachable index stays inside the table, from every start.
      for (int from = kPickerNoHot; from < kPickerPaletteCount; ++from) {
        const int next = PickerKeyMove(from, k, o);
        EXPECT_TRUE(next == from || (next >= kPickerDefaultColor && next < kPickerPaletteCount))
            << from << " -> " << next;
        if (next != from) {
          EXPECT_NE(next, kPickerMoreColors);
        }
      }
    }
  }
  // From nothing the keys act as from no colour; without the Default row, Right does not reach it.
  EXPECT_EQ(PickerKeyMove(kPickerNothing, pkRight, {}), 0);
  EXPECT_EQ(PickerKeyMove(kPickerNothing, pkDown, {}), 0);
  // A system entry left selected after the system colours were hidden goes nowhere hidden.
  EXPECT_EQ(PickerKeyMove(45, pkRight, {}), 45);
  EXPECT_EQ(PickerKeyMove(45, pkUp, {}), 37);
}

// ---- colours of items ----

TEST(ColorPickerColors, WrittenColoursFindTheirItems) {
  const TRzColorPickerOptions plain{};
  EXPECT_EQ(PickerIndexOfColor(clNone, plain, clHighlight), kPickerNoColor);
  EXPECT_EQ(PickerIndexOfColor(0x0000FF, plain, clHighlight), 16);
  // A system colour without the system rows: the standard entry of the same RGB, else custom.
  const TColor face = ResolveColor(clBtnFace);
  int expected = kPickerCustomSwatch;
  for (int i = kPickerStandardCount - 1; i >= 0; --i)
    if (ColorPickerPalette()[static_cast<size_t>(i)].color == face) expected = i;
  EXPECT_EQ(PickerIndexOfColor(clBtnFace, plain, clHighlight), expected);
  EXPECT_EQ(PickerIndexOfColor(clWindowText, plain, clHighlight), 0);  // black by default scheme

  TRzColorPickerOptions sys{};
  sys.showSystemColors = true;
  EXPECT_EQ(PickerIndexOfColor(clBtnFace, sys, clHighlight), 55);
  EXPECT_EQ(PickerIndexOfColor(0x123456, sys, clHighlight), kPickerCustomSwatch);

  TRzColorPickerOptions def{};
  def.showDefaultColor = true;
  EXPECT_EQ(PickerIndexOfColor(ResolveColor(clHighlight), def, clHighlight), kPickerDefaultColor);
  EXPECT_NE(PickerIndexOfColor(ResolveColor(clHighlight), plain, clHighlight), kPickerDefaultColor);
}

TEST(ColorPickerColors, IndicesReadAsTheirColours) {
  EXPECT_EQ(PickerIndexColor(kPickerNoColor, 1, 2), clNone);
  EXPECT_EQ(PickerIndexColor(kPickerNothing, 1, 2), clNone);
  EXPECT_EQ(PickerIndexColor(kPickerDefaultColor, 1, 2), 2);
  EXPECT_EQ(PickerIndexColor(kPickerCustomSwatch, 1, 2), 1);
  EXPECT_EQ(PickerIndexColor(kPickerMoreColors, 1, 2), 1);
  EXPECT_EQ(PickerIndexColor(55, 1, 2), clBtnFace);
  EXPECT_EQ(PickerIndexColor(kPickerNoHot, 1, 2), clNone);
  EXPECT_EQ(PickerIndexColor(70, 1, 2), clNone);
}

// ---- custom colour lines ----

TEST(CustomColorLines, ValuesBecomeSixUpperCaseDigits) {
  const auto lines = NormalizeCustomColorLines(
      {"ColorA=ff", "ColorB= 1a2b3c ", "ColorC=FF123456", "no equals sign", "ColorD=0"});
  ASSERT_TRUE(lines);
  EXPECT_EQ(*lines, (std::vector<std::string>{"ColorA=0000FF", "ColorB=1A2B3C", "ColorC=123456",
                                              "no equals sign", "ColorD=000000"}));
  const auto defaults = DefaultCustomColorLines();
  ASSERT_EQ(defaults.size(), 16u);
  EXPECT_EQ(defaults.front(), "ColorA=FFFFFF");
  EXPECT_EQ(defaults.back(), "ColorP=FFFFFF");
}

TEST(CustomColorLines, ANonHexValueIsRejectedAndNamed) {
  std::string bad;
  for (const char* value :
       {"ColorA=", "ColorA=xyz", "ColorA=-1", "ColorA=$FF", "ColorA=1FFFFFFFF"}) {
    bad.clear();
    EXPECT_FALSE(NormalizeCustomColorLines({"ColorP=00", value}, &bad)) << value;
    EXPECT_EQ(bad, value);
  }
}

TEST(CustomColorLines, ColoursRoundTripByNameWithWhiteForGaps) {
  std::array<TColor, kPickerCustomColorCount> colors;
  for (int i = 0; i < kPickerCustomColorCount; ++i) colors[static_cast<size_t>(i)] = i * 0x010203;
  EXPECT_EQ(CustomColorsFromLines(CustomColorLinesFrom(colors)), colors);

  const auto read = CustomColorsFromLines({"colorb=0000ff", "ColorB=00FF00", "ColorC=junk"});
  EXPECT_EQ(read[0], clWhite);
  EXPECT_EQ(read[1], 0x0000FF);  // the first line of a name counts, names without case
  EXPECT_EQ(read[2], clWhite);
}

}  // namespace
}  // namespace kovra
