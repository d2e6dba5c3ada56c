#include "controls/RzColorMath.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kovra {
namespace {

int ChannelDistance(TColor a, TColor b) {
  return std::max({std::abs(RedOf(a) - RedOf(b)), std::abs(GreenOf(a) - GreenOf(b)),
                   std::abs(BlueOf(a) - BlueOf(b))});
}

TEST(HslBytes, PrimaryAndGreyColoursLandOnTheScale) {
  EXPECT_EQ(ColorToHslBytes(clRed), (THslBytes{0, 240, 120}));
  EXPECT_EQ(ColorToHslBytes(clLime).h, 80);
  EXPECT_EQ(ColorToHslBytes(clBlue).h, 160);
  EXPECT_EQ(ColorToHslBytes(clAqua).h, 120);
  EXPECT_EQ(ColorToHslBytes(RGBColor(255, 128, 0)), (THslBytes{20, 240, 120}));
  EXPECT_EQ(ColorToHslBytes(clWhite), (THslBytes{0, 0, 240}));
  EXPECT_EQ(ColorToHslBytes(clBlack), (THslBytes{0, 0, 0}));
  EXPECT_EQ(ColorToHslBytes(RGBColor(128, 128, 128)), (THslBytes{0, 0, 120}));
  // Magenta's raw hue is negative and wraps into the top of the scale.
  EXPECT_EQ(ColorToHslBytes(clFuchsia).h, 200);
}

TEST(HslBytes, HueIsReadOnA239Scale) {
  EXPECT_EQ(HslBytesToColor(0, 240, 120), clRed);
  // On a 240 scale hue 160 would be pure blue; on 239 it has turned slightly towards red.
  EXPECT_EQ(HslBytesToColor(160, 240, 120), RGBColor(4, 0, 255));
  EXPECT_EQ(HslBytesToColor(239, 240, 120), clRed);
  EXPECT_EQ(HslBytesToColor(240, 240, 120), RGBColor(255, 6, 0));
  EXPECT_EQ(HslBytesToColor(120, 240, 120), RGBColor(0, 252, 255));
  EXPECT_EQ(HslBytesToColor(77, 0, 0), clBlack);
}

TEST(HslBytes, RoundTripStaysWithinTheHueSkew) {
  for (TColor c : {RGBColor(12, 200, 99), RGBColor(240, 240, 240), RGBColor(105, 105, 105),
                   RGBColor(51, 153, 255), RGBColor(255, 255, 225), RGBColor(1, 2, 3)}) {
    EXPECT_LE(ChannelDistance(HslBytesToColor(ColorToHslBytes(c)), c), 6) << std::hex << c;
  }
}

TEST(LightnessShifts, SaturateAtBlackAndWhiteWithoutWrapping) {
  EXPECT_EQ(LightenColor(clWhite, 100), clWhite);
  EXPECT_EQ(DarkenColor(clBlack, 100), clBlack);
  EXPECT_EQ(LightenColor(RGBColor(200, 200, 200), 100), clWhite);
  EXPECT_EQ(LightenColor(clRed, 200), clWhite);
  EXPECT_EQ(LightenColor(clRed, 255), clWhite);
  EXPECT_EQ(DarkenColor(clRed, 255), clBlack);
  // Lightness 240..255 is still white, not a dark colour from a wrapped byte.
  for (int n = 0; n <= 255; n += 5) EXPECT_GE(RedOf(LightenColor(clRed, n)), 250) << n;
}

TEST(LightnessShifts, KeepHueAndMoveLightness) {
  const TColor base = RGBColor(51, 153, 255);
  const THslBytes hsl = ColorToHslBytes(base);
  EXPECT_NEAR(ColorToHslBytes(DarkenColor(base, 50)).l, hsl.l - 50, 1);
  EXPECT_NEAR(ColorToHslBytes(LightenColor(base, 30)).l, hsl.l + 30, 1);
  EXPECT_NEAR(HueOfColor(DarkenColor(base, 50)), hsl.h, 2);
  EXPECT_EQ(ShiftColorLightness(base, -50), DarkenColor(base, 50));
  EXPECT_EQ(ShiftColorLightness(base, 30), LightenColor(base, 30));
}

TEST(LightnessShifts, SystemColoursAreResolvedFirstExceptForAZeroShift) {
  const TColor face = ResolveColor(clBtnFace);
  EXPECT_FALSE(IsSystemColor(face));
  EXPECT_EQ(DarkenColor(clBtnFace, 10), DarkenColor(face, 10));
  EXPECT_EQ(LightenColor(clBtnShadow, 30), LightenColor(ResolveColor(clBtnShadow), 30));
  EXPECT_EQ(ShiftColorLightness(clBtnFace, 0), clBtnFace);
  EXPECT_FALSE(IsSystemColor(ShiftColorLightness(clBtnFace, 1)));
  EXPECT_EQ(ResolveColor(clNone), clNone);
  EXPECT_EQ(ResolveColor(RGBColor(1, 2, 3)), RGBColor(1, 2, 3));
}

TEST(MixColors, WeightsTheFirstColourByWeightOver255) {
  EXPECT_EQ(MixColors(clWhite, clBlack, 255), clWhite);
  EXPECT_EQ(MixColors(clWhite, clBlack, 0), clBlack);
  EXPECT_EQ(MixColors(clWhite, clBlack, 128), RGBColor(128, 128, 128));
  EXPECT_EQ(MixColors(clRed, clBlue, 77), RGBColor(77, 0, 178));
  EXPECT_EQ(MixColors(clBtnFace, clBtnFace, 40), ResolveColor(clBtnFace));
}

TEST(SimilarColours, CompareHueAndLightnessBytes) {
  EXPECT_TRUE(ColorsTooSimilar(clBlack, RGBColor(40, 40, 40)));
  EXPECT_FALSE(ColorsTooSimilar(clBlack, RGBColor(70, 70, 70)));  // lightness 66 apart
  EXPECT_FALSE(ColorsTooSimilar(clRed, clLime));
  EXPECT_TRUE(ColorsTooSimilar(clWindow, clWhite));
  EXPECT_FALSE(ColorsTooSimilar(clBlack, clBtnFace));
}

TEST(OppositeHue, TurnsTheHueByHalfTheScaleAtFullSaturation) {
  EXPECT_EQ(OppositeHueColor(clAqua, 120), clRed);  // hue 120 becomes 0
  EXPECT_EQ(OppositeHueColor(clRed, 120), RGBColor(0, 252, 255));
  EXPECT_EQ(HueOfColor(OppositeHueColor(clBlue, 180)), 40);
  EXPECT_EQ(ColorToHslBytes(OppositeHueColor(clBlue, 180)).l, 180);
}

TEST(GradientProgression, AdvancesInTruncatedFixedPointSteps) {
  const TGradientProgression up(clBlack, clWhite, 4);
  EXPECT_EQ(up.At(0), clBlack);
  EXPECT_EQ(up.At(1), RGBColor(63, 63, 63));
  EXPECT_EQ(up.At(3), RGBColor(191, 191, 191));
  const TGradientProgression down(clWhite, RGBColor(0, 255, 10), 4);
  EXPECT_EQ(down.At(0), clWhite);
  EXPECT_EQ(down.At(1), RGBColor(191, 255, 193));
  const TGradientProgression flat(clRed, clRed, 0);  // a zero count never divides by zero
  EXPECT_EQ(flat.At(7), clRed);
}

TEST(SchemeColours, UnknownSchemesReadAsTheDefault) {
  EXPECT_EQ(SchemeColorsOf(1).panelStart, 0xEDFFFF);
  EXPECT_EQ(SchemeColorsOf(2).groupBarStop, 0xC8B3B1);
  EXPECT_EQ(SchemeColorsOf(7).selectionFrame, SchemeColorsOf(0).selectionFrame);
  EXPECT_EQ(SchemeColorsOf(-1).panelFrame, 0xBF7F57);
}

}  // namespace
}  // namespace kovra
