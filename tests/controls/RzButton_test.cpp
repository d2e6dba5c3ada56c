#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "controls/RzButton.h"
#include "controls/RzEdit.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/Pump.h"
#include "support/TestForm.h"
#include "support/UiLanguage.h"

namespace kovra {
namespace {

using test::CaptureClient;
using test::Pump;

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = test::NewForm(60, 60, 360, 220);
    test::ShowInFront(*form_);
    Pump();
  }
  template <class T = TRzButton>
  T* Add(int left, int top, std::string_view caption) {
    auto* b = test::Place<T>(*form_, left, top, 75, 25);
    b->SetCaption(caption);
    return b;
  }
  static void Post(TWinControl& c, UINT msg, WPARAM w, int x, int y) {
    PostMessageW(c.Handle(), msg, w, MAKELPARAM(x, y));
    Pump();
  }
  static void Key(TWinControl& c, UINT msg, WPARAM key) {
    PostMessageW(c.Handle(), msg, key, msg == WM_KEYUP ? 0xC0000001 : 1);
    Pump();
  }
  void ShowFocusCues(bool show) {
    SendMessageW(form_->Handle(), WM_CHANGEUISTATE,
                 MAKEWPARAM(show ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    Pump();
  }

  std::unique_ptr<TForm> form_;
};

// ---- mouse and keys ----

TEST_F(ButtonTest, PressMoveOutAndBackReleaseInsideClicksOnce) {
  auto* b = Add(10, 10, "Go");
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  Post(*b, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  EXPECT_TRUE(b->Focused());
  EXPECT_TRUE(b->PressedLook());
  Post(*b, WM_MOUSEMOVE, MK_LBUTTON, 200, 10);
  EXPECT_FALSE(b->PressedLook());
  Post(*b, WM_MOUSEMOVE, MK_LBUTTON, 74, 24);
  EXPECT_TRUE(b->PressedLook());
  Post(*b, WM_LBUTTONUP, 0, 74, 24);
  EXPECT_FALSE(b->PressedLook());
  EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, ReleaseOutsideOrOnDisabledButtonDoesNotClick) {
  auto* b = Add(10, 10, "Go");
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  Post(*b, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Post(*b, WM_MOUSEMOVE, MK_LBUTTON, 75, 10);  // the right edge is outside
  Post(*b, WM_LBUTTONUP, 0, 75, 10);
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(b->PressedLook());
  b->SetEnabled(false);
  Post(*b, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  Post(*b, WM_LBUTTONUP, 0, 10, 10);
  EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, SpaceClicksOnReleaseButNotAfterFocusMovedAway) {
  auto* a = Add(10, 10, "A");
  auto* other = Add(100, 10, "B");
  int clicks = 0;
  a->OnClick = [&](TObject*) { ++clicks; };
  a->SetFocus();
  Key(*a, WM_KEYDOWN, VK_SPACE);
  EXPECT_TRUE(a->PressedLook());
  Key(*a, WM_KEYUP, VK_SPACE);
  EXPECT_EQ(clicks, 1);

  Key(*a, WM_KEYDOWN, VK_SPACE);
  other->SetFocus();
  Pump();
  EXPECT_FALSE(a->PressedLook());
  Key(*a, WM_KEYUP, VK_SPACE);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, EnterClicksTheDefaultButtonAndEscapeTheCancelOne) {
  auto* edit = test::Place<TRzEdit>(*form_, 10, 100, 100, 21);
  auto* ok = Add<TRzBitBtn>(10, 10, "");
  ok->SetKind(bkOK);
  auto* cancel = Add<TRzBitBtn>(100, 10, "");
  cancel->SetKind(bkCancel);
  int okClicks = 0, cancelClicks = 0;
  ok->OnClick = [&](TObject*) { ++okClicks; };
  cancel->OnClick = [&](TObject*) { ++cancelClicks; };
  edit->SetFocus();
  Pump();
  EXPECT_TRUE(ok->Active());

  Key(*edit, WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(okClicks, 1);
  EXPECT_EQ(form_->ModalResult(), mrOk);
  Key(*edit, WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(cancelClicks, 1);
  EXPECT_EQ(form_->ModalResult(), mrCancel);

  // A focused button is the one Enter presses; the default one is idle meanwhile.
  cancel->SetFocus();
  Pump();
  EXPECT_FALSE(ok->Active());
  EXPECT_TRUE(cancel->Active());
  Key(*cancel, WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(okClicks, 1);
  EXPECT_EQ(cancelClicks, 2);
  edit->SetFocus();
  Pump();
  EXPECT_TRUE(ok->Active());
  EXPECT_FALSE(cancel->Active());
}

TEST_F(ButtonTest, AcceleratorCharacterClicksAndModalResultIsAlwaysSet) {
  auto* b = Add(10, 10, "&E.退出");
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  form_->SetModalResult(mrOk);
  EXPECT_NE(form_->Perform(CM_DIALOGCHAR, L'e'), 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form_->ModalResult(), mrNone);  // the button's 0 is written too
  EXPECT_EQ(form_->Perform(CM_DIALOGCHAR, L'x'), 0);
  EXPECT_EQ(clicks, 1);
}

// ---- groups ----

TEST_F(ButtonTest, GroupWithoutAllowAllUpKeepsOneButtonDown) {
  auto* a = Add(10, 10, "A");
  auto* b = Add(100, 10, "B");
  auto* loose = Add(190, 10, "C");
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  loose->SetDown(true);
  EXPECT_FALSE(loose->Down());

  auto click = [&](TRzButton* btn) {
    Post(*btn, WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    Post(*btn, WM_LBUTTONUP, 0, 5, 5);
  };
  click(a);
  EXPECT_TRUE(a->Down());
  EXPECT_EQ(a->State(), bsExclusive);
  click(a);
  EXPECT_TRUE(a->Down());
  click(b);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  EXPECT_EQ(a->State(), bsUp);
}

TEST_F(ButtonTest, AllowAllUpSpreadsThroughTheGroupAndLetsTheLastOneGoUp) {
  auto* a = Add(10, 10, "A");
  auto* b = Add(100, 10, "B");
  a->SetGroupIndex(2);
  b->SetGroupIndex(2);
  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp());
  a->SetDown(true);
  a->SetDown(false);
  EXPECT_FALSE(a->Down());
  EXPECT_FALSE(b->Down());
}

// ---- painting ----

TEST_F(ButtonTest, FocusedClassicButtonShowsRingFrameAndDottedFocusRectangle) {
  auto* b = Add(10, 10, "");
  b->SetThemeAware(false);
  b->SetFocus();
  ShowFocusCues(true);
  ASSERT_TRUE(b->ShowFocusCues());
  TBitmap shot = CaptureClient(*b);
  const int w = shot.Width(), h = shot.Height();
  const TColor frame = ColorToRGB(clWindowFrame), face = ColorToRGB(clBtnFace);
  for (int x = 0; x < w; ++x) {
    EXPECT_EQ(BitmapPixel(shot, x, 0), frame) << x;
    EXPECT_EQ(BitmapPixel(shot, x, h - 1), frame) << x;
  }
  EXPECT_EQ(BitmapPixel(shot, 0, 12), frame);
  EXPECT_EQ(BitmapPixel(shot, w - 1, 12), frame);
  // The raised two-ring frame inside the ring.
  EXPECT_EQ(BitmapPixel(shot, 1, 12), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(BitmapPixel(shot, w - 2, 12), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(BitmapPixel(shot, 2, 12), ColorToRGB(cl3DLight));
  EXPECT_EQ(BitmapPixel(shot, w - 3, 12), ColorToRGB(clBtnShadow));
  // Dots on every second pixel of the rectangle 4 pixels inside the edge.
  EXPECT_EQ(BitmapPixel(shot, 4, 5), clBlack);
  EXPECT_EQ(BitmapPixel(shot, 4, 6), face);
  EXPECT_EQ(BitmapPixel(shot, 5, 4), clBlack);
  EXPECT_EQ(BitmapPixel(shot, 3, 5), face);
}

TEST_F(ButtonTest, HiddenFocusCuesHideTheFocusRectangle) {
  auto* b = Add(10, 10, "");
  b->SetThemeAware(false);
  b->SetFocus();
  ShowFocusCues(false);
  // Wine keeps no UI state (WM_QUERYUISTATE always reports cues shown).
  if (b->ShowFocusCues()) GTEST_SKIP() << "the system does not hide focus cues";
  TBitmap shot = CaptureClient(*b);
  const TColor face = ColorToRGB(clBtnFace);
  EXPECT_EQ(BitmapPixel(shot, 4, 5), face);
  EXPECT_EQ(BitmapPixel(shot, 5, 4), face);
  EXPECT_EQ(BitmapPixel(shot, 0, 5), ColorToRGB(clWindowFrame));
}

TEST_F(ButtonTest, ClassicButtonWithoutFocusHasNoRingAndPressedLooksSunken) {
  auto* b = Add(10, 10, "");
  b->SetThemeAware(false);
  auto* other = Add(100, 10, "");
  other->SetFocus();
  Pump();
  TBitmap shot = CaptureClient(*b);
  EXPECT_EQ(BitmapPixel(shot, 5, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(BitmapPixel(shot, 0, 12), ColorToRGB(clBtnHighlight));
  Post(*b, WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  shot = CaptureClient(*b);
  // Focused and pressed: no ring, the flat two-ring frame of a pushed button.
  EXPECT_EQ(BitmapPixel(shot, 5, 0), ColorToRGB(clBtnText));
  EXPECT_EQ(BitmapPixel(shot, 5, 1), ColorToRGB(clBtnShadow));
  Post(*b, WM_LBUTTONUP, 0, 100, 100);
}

TEST_F(ButtonTest, ThemedButtonIgnoresItsColour) {
  if (!ThemesActive()) GTEST_SKIP() << "no visual theme";
  auto* b = Add(10, 10, "");
  TBitmap before = CaptureClient(*b);
  b->SetColor(clRed);
  TBitmap after = CaptureClient(*b);
  for (int y = 0; y < before.Height(); ++y)
    for (int x = 0; x < before.Width(); ++x)
      ASSERT_EQ(BitmapPixel(before, x, y), BitmapPixel(after, x, y)) << x << "," << y;
}

// On a window with a colour key, as the bar is, no pixel of a themed face is the key: the
// theme's blended corners would otherwise punch holes in the button.
TEST_F(ButtonTest, AThemedFaceNeverShowsItsWindowsColourKey) {
  if (!ThemesActive()) GTEST_SKIP() << "no visual theme";
  auto* b = Add(10, 10, "");
  b->SetBounds(10, 10, 37, 26);
  const TBitmap plain = CaptureClient(*b);
  const TColor key = BitmapPixel(plain, 0, 1);  // a blended edge pixel
  form_->SetTransparentColorValue(key);
  form_->SetTransparentColor(true);
  const TBitmap keyed = CaptureClient(*b);
  int holes = 0;
  for (int y = 0; y < keyed.Height(); ++y)
    for (int x = 0; x < keyed.Width(); ++x) holes += BitmapPixel(keyed, x, y) == key;
  EXPECT_EQ(holes, 0);
  form_->SetTransparentColor(false);
}

TEST_F(ButtonTest, ExclusiveGroupButtonShowsTheCheckerPattern) {
  auto* b = Add(10, 10, "");
  b->SetThemeAware(false);
  b->SetGroupIndex(1);
  b->SetDown(true);
  TBitmap shot = CaptureClient(*b);
  const TColor face = ColorToRGB(clBtnFace);
  const TColor mark = face == 0xC0C0C0 ? 0x808080 : 0xC0C0C0;
  const TColor a = BitmapPixel(shot, 10, 3), c = BitmapPixel(shot, 11, 3);
  EXPECT_TRUE((a == mark && c == face) || (a == face && c == mark)) << std::hex << a << " " << c;
}

TEST_F(ButtonTest, HotTrackLookFillsTheFaceWithAGradientAndFramesIt) {
  auto* b = Add(10, 10, "");
  b->SetHotTrack(true);
  b->SetThemeAware(false);
  b->SetColor(RGBColor(200, 200, 200));
  b->SetFrameColor(clBlue);
  TBitmap shot = CaptureClient(*b);
  EXPECT_EQ(BitmapPixel(shot, 10, 1), clBlue);  // the frame inside the outline
  EXPECT_EQ(BitmapPixel(shot, 1, 10), clBlue);
  const TColor top = BitmapPixel(shot, 10, 2), bottom = BitmapPixel(shot, 10, 20);
  EXPECT_GT(RedOf(top), RedOf(bottom));  // light at the top, darker below

  // Under the mouse: an orange ring just inside the frame.
  int entered = 0;
  b->OnMouseEnter = [&](TObject*) { ++entered; };
  b->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(b)));
  EXPECT_EQ(entered, 1);
  EXPECT_TRUE(b->MouseOver());
  shot = CaptureClient(*b);
  const TColor ring = BitmapPixel(shot, 30, shot.Height() - 3);
  EXPECT_GT(RedOf(ring), 200);
  EXPECT_LT(BlueOf(ring), 100);
  EXPECT_EQ(BitmapPixel(shot, 10, 1), clBlue);
  b->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(b)));
  EXPECT_FALSE(b->MouseOver());
}

// Themes off, a colour other than the button face: the two tinted rings of a raised button
// (sunken while pressed) around a face filled with the colour.
TEST_F(ButtonTest, ClassicTintedButtonFramesAndFillsInItsColour) {
  const TColor base = RGBColor(120, 180, 255);
  auto* b = Add(10, 10, "");
  b->SetThemeAware(false);
  b->SetColor(base);
  Add(100, 10, "")->SetFocus();
  Pump();
  TBitmap shot = CaptureClient(*b);
  const int w = shot.Width(), h = shot.Height();
  EXPECT_EQ(BitmapPixel(shot, 10, 0), LightenColor(base, 100));
  EXPECT_EQ(BitmapPixel(shot, 0, 12), LightenColor(base, 100));
  EXPECT_EQ(BitmapPixel(shot, 10, 1), LightenColor(base, 40));
  EXPECT_EQ(BitmapPixel(shot, w - 1, 12), DarkenColor(base, 100));
  EXPECT_EQ(BitmapPixel(shot, 10, h - 1), DarkenColor(base, 100));
  EXPECT_EQ(BitmapPixel(shot, w - 2, 12), DarkenColor(base, 50));
  EXPECT_EQ(BitmapPixel(shot, 10, 12), base);
  Post(*b, WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  shot = CaptureClient(*b);
  EXPECT_EQ(BitmapPixel(shot, 10, 0), DarkenColor(base, 100));
  EXPECT_EQ(BitmapPixel(shot, 10, 1), DarkenColor(base, 50));
  EXPECT_EQ(BitmapPixel(shot, w - 1, 12), DarkenColor(base, 100));
  EXPECT_EQ(BitmapPixel(shot, 10, 12), base);
  Post(*b, WM_LBUTTONUP, 0, 100, 100);
}

// What a caption leaves on a plain face: the bounding box of the pixels that are not the face,
// and how many pixels show `color` exactly.
struct Ink {
  RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  int exact = 0;
};
Ink InkOf(const TBitmap& shot, const RECT& area, TColor face, TColor color = clNone) {
  Ink ink;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const TColor c = BitmapPixel(shot, x, y);
      if (c == face) continue;
      ink.box = {std::min<LONG>(ink.box.left, x), std::min<LONG>(ink.box.top, y),
                 std::max<LONG>(ink.box.right, x + 1), std::max<LONG>(ink.box.bottom, y + 1)};
      ink.exact += c == color;
    }
  return ink;
}

// The text styles draw their copies where they say, disabled text takes the grey that stands out
// from the face, and the vertical alignment moves the text within the caption rectangle.
TEST_F(ButtonTest, CaptionStylesDisabledColoursAndVerticalAlignment) {
  const TColor face = RGBColor(236, 233, 216);
  auto* b = Add(10, 10, "W");
  b->SetBounds(10, 10, 80, 60);
  b->SetThemeAware(false);
  b->SetColor(face);
  b->Font().SetHeight(-16);
  b->Font().SetColor(clBlack);
  b->SetTextShadowColor(clRed);
  b->SetTextHighlightColor(clLime);
  b->SetTextShadowDepth(3);
  Add(100, 10, "")->SetFocus();
  Pump();
  const RECT inside{6, 6, 74, 54};  // within the frame
  const Ink plain = InkOf(CaptureClient(*b), inside, face);
  ASSERT_LT(plain.box.left, plain.box.right);

  b->SetTextStyle(tsShadow);
  Ink shadow = InkOf(CaptureClient(*b), inside, face, clRed);
  EXPECT_GT(shadow.exact, 0);
  EXPECT_EQ(shadow.box.left, plain.box.left);
  EXPECT_EQ(shadow.box.top, plain.box.top);
  EXPECT_EQ(shadow.box.right, plain.box.right + 3);
  EXPECT_EQ(shadow.box.bottom, plain.box.bottom + 3);

  b->SetTextStyle(tsRaised);
  const TBitmap raisedShot = CaptureClient(*b);
  const Ink raised = InkOf(raisedShot, inside, face, clLime);
  EXPECT_GT(raised.exact, 0);
  EXPECT_GT(InkOf(raisedShot, inside, face, clRed).exact, 0);
  EXPECT_EQ(raised.box.left, plain.box.left - 1);
  EXPECT_EQ(raised.box.top, plain.box.top - 1);
  EXPECT_EQ(raised.box.right, plain.box.right + 1);
  EXPECT_EQ(raised.box.bottom, plain.box.bottom + 1);
  b->SetLightTextStyle(true);  // the shadow copy goes
  EXPECT_EQ(InkOf(CaptureClient(*b), inside, face, clRed).exact, 0);

  b->SetTextStyle(tsNormal);
  b->SetEnabled(false);
  EXPECT_GT(InkOf(CaptureClient(*b), inside, face, ColorToRGB(clGrayText)).exact, 0);
  b->SetColor(ColorToRGB(clGrayText));
  const Ink dark =
      InkOf(CaptureClient(*b), inside, ColorToRGB(clGrayText), ColorToRGB(cl3DDkShadow));
  EXPECT_GT(dark.exact, 0);
  b->SetColor(face);
  b->SetEnabled(true);

  const int height = plain.box.bottom - plain.box.top;
  b->SetAlignmentVertical(avTop);
  EXPECT_LT(InkOf(CaptureClient(*b), inside, face).box.top, plain.box.top);
  b->SetAlignmentVertical(avBottom);
  const Ink bottom = InkOf(CaptureClient(*b), inside, face);
  EXPECT_GT(bottom.box.top, plain.box.top);
  EXPECT_EQ(bottom.box.bottom - bottom.box.top, height);
}

// "&E.退出" shows "E.退出", with the E underlined only while accelerators are shown.
TEST_F(ButtonTest, AHiddenAcceleratorIsDrawnWithoutItsMarkOrUnderline) {
  const TColor face = RGBColor(236, 233, 216);
  auto* b = Add(10, 10, "&E.退出");
  b->SetThemeAware(false);
  b->SetColor(face);
  auto* plain = Add(10, 50, "E.退出");
  plain->SetThemeAware(false);
  plain->SetColor(face);
  Add(100, 10, "")->SetFocus();
  ShowFocusCues(true);
  ASSERT_TRUE(b->ShowAccelerators());
  const TBitmap marked = CaptureClient(*b), unmarked = CaptureClient(*plain);
  const RECT inside{5, 5, marked.Width() - 5, marked.Height() - 5};
  const Ink without = InkOf(unmarked, inside, face);
  // No "&" is drawn: the two differ only by a line of a row or two under the first letter.
  RECT underline{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = inside.top; y < inside.bottom; ++y)
    for (int x = inside.left; x < inside.right; ++x)
      if (BitmapPixel(marked, x, y) != BitmapPixel(unmarked, x, y))
        underline = {std::min<LONG>(underline.left, x), std::min<LONG>(underline.top, y),
                     std::max<LONG>(underline.right, x + 1),
                     std::max<LONG>(underline.bottom, y + 1)};
  ASSERT_LT(underline.left, underline.right);
  EXPECT_LE(underline.bottom - underline.top, 2);
  EXPECT_GE(underline.left, without.box.left - 2);  // the letter's cell, bearing included
  EXPECT_LT(underline.right, (without.box.left + without.box.right) / 2);
  ShowFocusCues(false);
  if (b->ShowAccelerators()) GTEST_SKIP() << "the system does not hide accelerators";
  const TBitmap hidden = CaptureClient(*b);
  for (int y = 0; y < hidden.Height(); ++y)
    for (int x = 0; x < hidden.Width(); ++x)
      ASSERT_EQ(BitmapPixel(hidden, x, y), BitmapPixel(unmarked, x, y)) << x << "," << y;
}

// ---- bitmap buttons ----

// Four 16 x 16 cells with a key-coloured border, so each cell shows its own colour inside.
TBitmap FourCellGlyph() {
  TBitmap g(64, 16);
  g.Canvas().Brush().SetColor(clFuchsia);
  g.Canvas().FillRect(RECT{0, 0, 64, 16});
  const TColor colors[] = {clRed, clLime, clBlue, clYellow};
  for (int i = 0; i < 4; ++i) {
    g.Canvas().Brush().SetColor(colors[i]);
    g.Canvas().FillRect(RECT{i * 16 + 2, 2, i * 16 + 14, 14});
  }
  return g;
}

TColor GlyphCentre(TRzBitBtn& b) {
  TBitmap shot = CaptureClient(b);
  const RECT g = b.GlyphRect();
  return BitmapPixel(shot, (g.left + g.right) / 2, (g.top + g.bottom) / 2);
}

TEST_F(ButtonTest, GlyphCellFollowsTheButtonState) {
  auto* b = Add<TRzBitBtn>(10, 10, "Glyph");
  b->SetThemeAware(false);
  b->SetGlyph(FourCellGlyph());
  EXPECT_EQ(b->NumGlyphs(), 4);
  EXPECT_EQ(GlyphCentre(*b), clRed);
  EXPECT_EQ(b->PaintedCell(), 0);
  b->SetEnabled(false);
  EXPECT_EQ(GlyphCentre(*b), clLime);
  b->SetEnabled(true);
  Post(*b, WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  EXPECT_EQ(GlyphCentre(*b), clBlue);
  Post(*b, WM_LBUTTONUP, 0, 100, 100);
  b->SetGroupIndex(3);
  b->SetDown(true);
  EXPECT_EQ(GlyphCentre(*b), clYellow);
  // The key colour leaves the face showing.
  TBitmap shot = CaptureClient(*b);
  const RECT g = b->GlyphRect();
  EXPECT_NE(BitmapPixel(shot, g.left, g.top), clFuchsia);
}

TEST_F(ButtonTest, AtTwiceTheResolutionTheGlyphIsTwiceAsLargeAndItsKeyStaysExact) {
  auto* b = Add<TRzBitBtn>(10, 10, "Glyph");
  b->SetThemeAware(false);
  b->SetGlyph(FourCellGlyph());
  form_->ScaleForPPI(192);
  const TBitmap shot = CaptureClient(*b);
  const RECT g = b->GlyphRect();
  EXPECT_EQ(g.right - g.left, 32);
  EXPECT_EQ(g.bottom - g.top, 32);
  // The cell's 2-pixel key border is 4 pixels wide now, its colour 24 pixels across.
  EXPECT_NE(BitmapPixel(shot, g.left + 3, g.top + 3), clRed);
  EXPECT_EQ(BitmapPixel(shot, g.left + 4, g.top + 4), clRed);
  EXPECT_EQ(BitmapPixel(shot, g.left + 27, g.top + 27), clRed);
  EXPECT_NE(BitmapPixel(shot, g.left + 28, g.top + 28), clRed);
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x)
      ASSERT_NE(BitmapPixel(shot, x, y), clFuchsia) << x << "," << y;
}

TEST_F(ButtonTest, TwoCellGlyphShowsTheRightCellWhenDisabled) {
  auto* b = Add<TRzBitBtn>(10, 10, "Two");
  TBitmap g(32, 16);
  g.Canvas().Brush().SetColor(clFuchsia);
  g.Canvas().FillRect(RECT{0, 0, 32, 16});
  g.Canvas().Brush().SetColor(clRed);
  g.Canvas().FillRect(RECT{2, 2, 14, 14});
  g.Canvas().Brush().SetColor(clGray);
  g.Canvas().FillRect(RECT{18, 2, 30, 14});
  b->SetGlyph(g);
  EXPECT_EQ(b->NumGlyphs(), 2);
  b->SetEnabled(false);
  EXPECT_EQ(GlyphCentre(*b), clGray);
  EXPECT_EQ(b->PaintedCell(), 1);
}

TEST_F(ButtonTest, GlyphLayoutPlacesTheGlyphBesideOrAboveTheCaption) {
  auto* b = Add<TRzBitBtn>(10, 10, "Lay");
  b->SetBounds(10, 10, 120, 60);
  b->SetThemeAware(false);
  b->SetKind(bkOK);
  CaptureClient(*b);
  EXPECT_EQ(b->GlyphRect().left, 5 + 2);  // caption rectangle plus Margin
  b->SetLayout(blGlyphRight);
  CaptureClient(*b);
  EXPECT_EQ(b->GlyphRect().right, 120 - 5 - 2);
  b->SetLayout(blGlyphTop);
  CaptureClient(*b);
  EXPECT_EQ(b->GlyphRect().top, 5 + 2);
  EXPECT_EQ(b->GlyphRect().left, (5 + 115 - 16 + 1) / 2);
}

TEST_F(ButtonTest, ImageListImageIsDrawnAndItsRemovalForgotten) {
  auto* b = Add<TRzBitBtn>(10, 10, "Img");
  b->SetThemeAware(false);
  auto list = std::make_unique<TImageList>(16, 16);
  TBitmap picture(16, 16);
  picture.Canvas().Brush().SetColor(clTeal);
  picture.Canvas().FillRect(RECT{0, 0, 16, 16});
  list->Add(picture);
  b->SetImages(list.get());
  b->SetImageIndex(0);
  EXPECT_EQ(GlyphCentre(*b), clTeal);
  list.reset();
  EXPECT_EQ(b->Images(), nullptr);
  CaptureClient(*b);  // paints without the list
  EXPECT_EQ(b->PaintedCell(), -1);
}

TEST_F(ButtonTest, StockKindSetsCaptionDefaultAndModalResultUntilOneIsChanged) {
  // The prefix's user has a Chinese interface (LC_ALL=zh_CN.UTF-8), which picks the column.
  EXPECT_EQ(RzUiLanguage(), TRzLanguage::Chinese);
  {
    test::UiLanguageScope chinese(TRzLanguage::Chinese);
    auto* cancel = Add<TRzBitBtn>(10, 60, "");
    cancel->SetKind(bkCancel);
    EXPECT_EQ(cancel->Caption(), "取消");
  }
  test::UiLanguageScope english(TRzLanguage::English);
  auto* b = Add<TRzBitBtn>(10, 10, "edited");
  b->SetKind(bkOK);
  EXPECT_EQ(b->Caption(), "OK");
  EXPECT_TRUE(b->Default());
  EXPECT_EQ(b->ModalResult(), mrOk);
  EXPECT_EQ(b->NumGlyphs(), 2);
  EXPECT_EQ(b->Glyph().Width(), 32);
  EXPECT_EQ(b->Glyph().Height(), 16);
  EXPECT_EQ(b->Kind(), bkOK);
  b->SetModalResult(mrNone);
  EXPECT_EQ(b->Kind(), bkCustom);

  b->SetKind(bkNo);
  EXPECT_TRUE(b->Cancel());
  EXPECT_FALSE(b->Default());
  b->SetGlyph(TRzBitBtn::StockGlyph(bkYes));
  EXPECT_EQ(b->Kind(), bkCustom);  // an assigned glyph makes it custom
}

TEST_F(ButtonTest, MarginBelowMinusOneIsIgnored) {
  auto* b = Add<TRzBitBtn>(10, 10, "M");
  b->SetMargin(-2);
  EXPECT_EQ(b->Margin(), 2);
  b->SetMargin(-1);
  EXPECT_EQ(b->Margin(), -1);
  b->SetMargin(4);
  b->ScaleForDpi(144, 96);
  EXPECT_EQ(b->Margin(), 6);
  EXPECT_EQ(b->Spacing(), 6);
}

TEST_F(ButtonTest, StockGlyphsAreSharedAndUseTheirLeftCellWhenEnabled) {
  const TBitmap& ok = TRzBitBtn::StockGlyph(bkOK);
  EXPECT_EQ(&ok, &TRzBitBtn::StockGlyph(bkOK));
  for (int k = bkOK; k <= bkAll; ++k) {
    const TBitmap& g = TRzBitBtn::StockGlyph(static_cast<TBitBtnKind>(k));
    ASSERT_EQ(g.Width(), 32) << k;
    int left = 0, right = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        left += BitmapPixel(g, x, y) != g.TransparentColor();
        right += BitmapPixel(g, x + 16, y) != g.TransparentColor();
      }
    EXPECT_GT(left, 10) << k;
    EXPECT_GT(right, 10) << k;
  }
}

// The stock glyphs are the program's own bitmap resources, one per kind, as they are stored.
TEST_F(ButtonTest, StockGlyphsAreTheProgramsBitmapResources) {
  const char* names[] = {"RZCOMMON_OK",     "RZCOMMON_CANCEL", "RZCOMMON_HELP",  "RZCOMMON_YES",
                         "RZCOMMON_NO",     "RZCOMMON_CLOSE",  "RZCOMMON_ABORT", "RZCOMMON_RETRY",
                         "RZCOMMON_IGNORE", "RZCOMMON_ALL"};
  for (int k = bkOK; k <= bkAll; ++k) {
    const char* name = names[k - bkOK];
    SCOPED_TRACE(name);
    TBitmap stored;
    ASSERT_NO_THROW(stored.LoadFromResource(GetModuleHandleW(nullptr), name));
    const TBitmap& glyph = TRzBitBtn::StockGlyph(static_cast<TBitBtnKind>(k));
    ASSERT_EQ(stored.Width(), 32);
    ASSERT_EQ(stored.Height(), 16);
    ASSERT_EQ(glyph.Width(), 32);
    int differ = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 32; ++x) differ += BitmapPixel(glyph, x, y) != BitmapPixel(stored, x, y);
    EXPECT_EQ(differ, 0);
  }
}

}  // namespace
}  // namespace kovra
