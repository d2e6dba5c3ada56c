#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "controls/RzButton.h"
#include "controls/RzEdit.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

using test::CaptureClient;
using test::Pump;
using test::PumpUntil;

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

// Every look side by side, saved beside the test program for a person to look at.
TEST_F(ButtonTest, DemoFormShowsEveryLook) {
  form_->SetBounds(20, 20, 520, 330);
  TFont bold;
  bold.SetHeight(-12);
  bold.SetStyle({fsBold});
  bold.SetColor(clRed);
  const char* looks[] = {"Themed", "Classic", "Hot track", "Tinted"};
  for (int i = 0; i < 4; ++i) {
    auto* b = Add(10 + i * 85, 10, looks[i]);
    b->SetThemeAware(i == 0);
    b->SetHotTrack(i == 2);
    if (i == 3) b->SetColor(RGBColor(120, 180, 255));
    auto* g = Add(10 + i * 85, 45, "Down");
    g->SetThemeAware(i == 0);
    g->SetHotTrack(i == 2);
    g->SetGroupIndex(1 + i);
    g->SetDown(true);
    auto* d = Add(10 + i * 85, 80, "Disabled");
    d->SetThemeAware(i == 0);
    d->SetHotTrack(i == 2);
    d->SetEnabled(false);
  }
  auto* bar = Add(360, 10, "融买");
  bar->SetBounds(360, 10, 37, 49);
  bar->SetFont(bold);
  auto* raised = Add(405, 10, "Raised");
  raised->SetThemeAware(false);
  raised->SetTextStyle(tsShadow);
  const TBitBtnKind kinds[] = {bkOK,    bkCancel, bkHelp,  bkYes,    bkNo,
                               bkClose, bkAbort,  bkRetry, bkIgnore, bkAll};
  for (int i = 0; i < 10; ++i) {
    auto* k = Add<TRzBitBtn>(10 + (i % 5) * 85, 120 + (i / 5) * 30, "");
    k->SetThemeAware(i % 2 == 0);
    k->SetKind(kinds[i]);
  }
  auto* exit = Add<TRzBitBtn>(435, 120, "&E.退出");
  exit->SetGlyph(TRzBitBtn::StockGlyph(bkClose));
  exit->SetEnabled(false);

  auto edit = [&](int left, int top, const char* text) {
    auto* e = test::Place<TRzEdit>(*form_, left, top, 120, 21);
    e->SetText(text);
    return e;
  };
  edit(10, 190, "Plain");
  edit(140, 190, "Read-only")->SetReadOnly(true);
  edit(270, 190, "Disabled")->SetEnabled(false);
  auto* stock = edit(400, 190, "浦发银行");
  stock->SetAlignment(taCenter);
  stock->SetColor(clInactiveCaptionText);
  stock->SetReadOnlyColor(clInactiveCaptionText);
  stock->SetReadOnly(true);
  TFont yellow;
  yellow.Assign(bold);
  yellow.SetColor(clYellow);
  stock->SetFont(yellow);
  const TFrameStyle styles[] = {fsFlat, fsFlatBold, fsLowered, fsStatus};
  for (int i = 0; i < 4; ++i) {
    auto* f = edit(10 + i * 130, 230, "Frame");
    f->SetFramingPreference(fpCustomFraming);
    f->SetFrameStyle(styles[i]);
    f->SetFrameVisible(true);
  }
  auto* hot = edit(10, 270, "Hot frame (focused)");
  hot->SetFramingPreference(fpCustomFraming);
  hot->SetFrameHotTrack(true);
  hot->SetFrameHotColor(clNavy);
  hot->SetFocus();
  auto* hint = edit(140, 270, "");
  hint->SetTextHint("Cue text");
  PumpUntil([] { return false; }, std::chrono::milliseconds(300));

  RedrawWindow(form_->Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // The top-level window's own surface holds its children's pixels too.
  RECT r;
  GetWindowRect(form_->Handle(), &r);
  TBitmap shot(r.right - r.left, r.bottom - r.top);
  HDC dc = GetWindowDC(form_->Handle());
  BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), dc, 0, 0, SRCCOPY);
  ReleaseDC(form_->Handle(), dc);
  shot.SaveToFile("button_edit_demo.bmp");
  EXPECT_TRUE(GetFileAttributesW(L"button_edit_demo.bmp") != INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace kovra
