#include "controls/RzCommon.h"

#include <gtest/gtest.h>
#include <uxtheme.h>

#include "framework/Registry.h"

namespace kovra {
namespace {

constexpr TColor kBackground = RGBColor(255, 0, 255);

// Switches this process's visual styles off for the scope, for the classic looks.
class ClassicLook {
 public:
  ClassicLook() : saved_(GetThemeAppProperties()) { SetThemeAppProperties(0); }
  ~ClassicLook() { SetThemeAppProperties(saved_); }

 private:
  DWORD saved_;
};

class ArrowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bitmap_.SetSize(17, 21);
    Fill(clWhite);
  }
  void Fill(TColor c) {
    bitmap_.Canvas().Brush().SetColor(c);
    bitmap_.Canvas().FillRect(RECT{0, 0, 17, 21});
  }
  TColor At(int x, int y) const { return BitmapPixel(bitmap_, x, y); }
  TBitmap bitmap_;
  const RECT box_{0, 0, 17, 21};  // centre (8, 10)
};

TEST_F(ArrowTest, DropDownArrowPicksAColourThatShowsOnTheBrush) {
  PaintDropDownArrow(bitmap_.Canvas(), box_, alkClassic, true);
  EXPECT_EQ(At(9, 10), clBlack);
  EXPECT_EQ(At(8, 4), clWhite);
  EXPECT_EQ(bitmap_.Canvas().Brush().Color(), clWhite) << "brush colour restored";
  EXPECT_EQ(bitmap_.Canvas().Pen().Style(), psSolid);

  Fill(RGBColor(20, 20, 20));
  PaintDropDownArrow(bitmap_.Canvas(), box_, alkClassic, true);
  EXPECT_EQ(At(9, 10), ColorToRGB(cl3DDkShadow));

  Fill(clWhite);
  PaintDropDownArrow(bitmap_.Canvas(), box_, alkThemed, false);
  EXPECT_EQ(At(9, 10), ColorToRGB(clBtnShadow));
}

TEST_F(ArrowTest, DirectionArrowsPointTheirWay) {
  // Up: wide at the bottom, narrow at the top; down is the reverse.
  PaintDirectionArrow(bitmap_.Canvas(), box_, alkClassic, true, adUp);
  EXPECT_EQ(At(6, 11), clBlack);
  EXPECT_EQ(At(6, 9), clWhite);
  Fill(clWhite);
  PaintDirectionArrow(bitmap_.Canvas(), box_, alkClassic, true, adDown);
  EXPECT_EQ(At(6, 9), clBlack);
  EXPECT_EQ(At(6, 11), clWhite);
  Fill(clWhite);
  PaintDirectionArrow(bitmap_.Canvas(), box_, alkClassic, true, adLeft);
  EXPECT_EQ(At(9, 8), clBlack);
  EXPECT_EQ(At(7, 8), clWhite);
  Fill(clWhite);
  PaintDirectionArrow(bitmap_.Canvas(), box_, alkClassic, true, adRight);
  EXPECT_EQ(At(7, 8), clBlack);
  EXPECT_EQ(At(9, 8), clWhite);
}

TEST_F(ArrowTest, ThemedLooksFallBackToClassicWithoutThemes) {
  ClassicLook classic;
  ASSERT_FALSE(ThemesActive());
  PaintDirectionArrow(bitmap_.Canvas(), box_, alkSpin, true, adDown);
  EXPECT_EQ(At(8, 9), clBlack);
}

TEST(ThemeColours, FollowTheThemeOrFallBackToButtonFace) {
  if (ThemesActive()) {
    EXPECT_EQ(ThemeElementColor(8), clWhite);
    EXPECT_EQ(ThemeElementColor(-1), clWhite);
    EXPECT_FALSE(IsSystemColor(ThemeElementColor(0)));
  }
  ClassicLook classic;
  EXPECT_EQ(ThemeElementColor(0), clBtnFace);
  EXPECT_EQ(ThemeElementColor(8), clBtnFace);
}

TEST(SchemeColours, OfficeLookNeedsThemesAndGradientsNeedColours) {
  SetDesktopColorScheme(1);
  TColor start, stop, frame, divider;
  if (ThemesActive()) {
    SchemePanelColors(gcsMSOffice, start, stop);
    EXPECT_EQ(start, 0xEDFFFF);
    SchemeStatusBarColors(gcsMSOffice, start, stop, divider);
    EXPECT_EQ(start, 0x92C7B8);
    EXPECT_EQ(divider, start);
  }
  {
    ClassicLook classic;
    SchemePanelColors(gcsMSOffice, start, stop);
    EXPECT_EQ(start, clWindow);
    EXPECT_EQ(stop, DarkenColor(clBtnFace, 10));
  }
  SchemePanelFrameColor(gcsSystem, frame);
  EXPECT_EQ(frame, LightenColor(clBtnShadow, 30));
  SchemeSelectionColors(gcsSystem, frame, start, stop);
  EXPECT_EQ(frame, clHighlight);
  EXPECT_EQ(start, LightenColor(stop, 20));
  SetGradientsAvailable(false);
  SchemeSelectionColors(gcsSystem, frame, start, stop);
  EXPECT_EQ(start, stop);
  SetGradientsAvailable(true);
  SetDesktopColorScheme(0);
}

TEST(SchemeColours, DesktopSchemeIsReadFromTheThemeManagerKey) {
  constexpr const char* kKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";
  TRegistry registry;
  registry.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKey(kKey, true));
  const bool had = registry.ValueExists("ColorName");
  const std::string saved = had ? registry.ReadString("ColorName") : "";
  registry.WriteString("ColorName", "Metallic");
  EXPECT_EQ(ReadDesktopColorScheme(), 2);
  registry.WriteString("ColorName", "homestead");
  EXPECT_EQ(ReadDesktopColorScheme(), 1);
  registry.WriteString("ColorName", "NormalColor");
  EXPECT_EQ(ReadDesktopColorScheme(), 0);
  registry.WriteInteger("ColorName", 2);  // not a string: no scheme
  EXPECT_EQ(ReadDesktopColorScheme(), 0);
  if (had)
    registry.WriteString("ColorName", saved);
  else
    registry.DeleteValue("ColorName");
}

TEST(GroupBar, ClassicDrawsNothingAndGradientStartsAtTheTopUnlessReversed) {
  TBitmap bitmap(8, 20);
  bitmap.Canvas().Brush().SetColor(kBackground);
  bitmap.Canvas().FillRect(RECT{0, 0, 8, 20});
  const RECT r{0, 0, 8, 20};
  PaintGroupBarBackground(bitmap.Canvas(), r, vsClassic, clRed, clBlue, false, gcsCustom);
  EXPECT_EQ(BitmapPixel(bitmap, 3, 3), kBackground);
  PaintGroupBarBackground(bitmap.Canvas(), r, vsGradient, clRed, clBlue, true, gcsCustom);
  EXPECT_EQ(BitmapPixel(bitmap, 3, 0), clBlue);
  PaintGroupBarBackground(bitmap.Canvas(), r, vsGradient, clRed, clBlue, false, gcsCustom);
  EXPECT_EQ(BitmapPixel(bitmap, 3, 0), clRed);
}

TEST(MaskedBitmap, TransparentPixelsKeepTheCanvas) {
  TBitmap picture(4, 4);
  picture.Canvas().Brush().SetColor(clLime);
  picture.Canvas().FillRect(RECT{0, 0, 4, 4});
  picture.Canvas().Brush().SetColor(clRed);
  picture.Canvas().FillRect(RECT{0, 0, 2, 4});
  TBitmap target(8, 8);
  target.Canvas().Brush().SetColor(clBlue);
  target.Canvas().FillRect(RECT{0, 0, 8, 8});
  PaintMaskedBitmap(target.Canvas(), picture, RECT{0, 0, 8, 8}, RECT{0, 0, 4, 4}, clLime);
  EXPECT_EQ(BitmapPixel(target, 1, 1), clRed);
  EXPECT_EQ(BitmapPixel(target, 3, 7), clRed);  // stretched twice as wide
  EXPECT_EQ(BitmapPixel(target, 4, 1), clBlue);
  EXPECT_EQ(BitmapPixel(target, 7, 7), clBlue);
}

TEST(Helpers, CentredRectanglesAndRotatedFonts) {
  const RECT c = CenteredRect(RECT{0, 0, 11, 20}, 4, 6);
  EXPECT_EQ(c.left, 3);
  EXPECT_EQ(c.top, 7);
  EXPECT_EQ(c.right, 7);
  EXPECT_EQ(c.bottom, 13);
  EXPECT_EQ(CenteredRect(RECT{-9, 0, 0, 1}, 0, 1).left, -4);  // truncates towards zero

  TFont font;
  font.SetStyle({fsBold, fsItalic});
  FontHandle rotated = CreateRotatedFont(font, 90);
  ASSERT_TRUE(rotated);
  LOGFONTW lf{};
  ASSERT_NE(GetObjectW(rotated.Get(), sizeof(lf), &lf), 0);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfItalic);
  EXPECT_EQ(lf.lfHeight, font.Height());
  EXPECT_GT(FontBoxHeight(font), 2);
}

TEST(Helpers, EnvironmentTextAndMonitors) {
  SetEnvironmentVariableW(L"KOVRA_TEST_DIR", L"C:\\交易");
  EXPECT_EQ(ExpandEnvironmentText("%KOVRA_TEST_DIR%\\a.exe"), "C:\\交易\\a.exe");
  EXPECT_EQ(ExpandEnvironmentText("%KOVRA_UNSET_VARIABLE%"), "%KOVRA_UNSET_VARIABLE%");
  EXPECT_EQ(ExpandEnvironmentText(""), "");

  HMONITOR primary = MonitorAtPoint(POINT{0, 0});
  ASSERT_NE(primary, nullptr);
  const RECT bounds = MonitorBounds(primary);
  EXPECT_GT(bounds.right - bounds.left, 0);
  const RECT work = MonitorWorkArea(primary);
  EXPECT_LE(work.right - work.left, bounds.right - bounds.left);
  EXPECT_EQ(MonitorAtPoint(POINT{-100000, -100000}), nullptr);
}

}  // namespace
}  // namespace kovra
