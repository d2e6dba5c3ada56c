#include <gtest/gtest.h>

#include <memory>

#include "controls/RzPanel.h"
#include "controls/RzRadChk.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

using test::CaptureClient;
using test::Pump;

class CheckBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = test::NewForm(60, 60, 360, 220);
    test::ShowInFront(*form_);
    Pump();
  }
  TRzCheckBox* Add(int left, int top, std::string_view caption) {
    auto* c = test::Place<TRzCheckBox>(*form_, left, top, 120, 17);
    c->SetCaption(caption);
    c->HandleNeeded();
    return c;
  }
  static void Click(TWinControl& c, int x = 5, int y = 5) {
    PostMessageW(c.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(c.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Pump();
  }
  static void Key(TWinControl& c, UINT msg, WPARAM key) {
    PostMessageW(c.Handle(), msg, key, msg == WM_KEYUP ? 0xC0000001 : 1);
    Pump();
  }

  std::unique_ptr<TForm> form_;
};

// ---- state ----

TEST_F(CheckBoxTest, ClicksCycleThroughGrayedOnlyWhenAllowed) {
  auto* c = Add(10, 10, "Box");
  int clicks = 0;
  c->OnClick = [&](TObject*) { ++clicks; };
  Click(*c);
  EXPECT_EQ(c->State(), cbChecked);
  Click(*c);
  EXPECT_EQ(c->State(), cbUnchecked);
  c->SetAllowGrayed(true);
  Click(*c);
  EXPECT_EQ(c->State(), cbGrayed);
  EXPECT_EQ(SendMessageW(c->Handle(), BM_GETCHECK, 0, 0), 2);
  Click(*c);
  EXPECT_EQ(c->State(), cbChecked);
  EXPECT_EQ(SendMessageW(c->Handle(), BM_GETCHECK, 0, 0), 1);
  Click(*c);
  EXPECT_EQ(c->State(), cbUnchecked);
  EXPECT_EQ(clicks, 5);
}

TEST_F(CheckBoxTest, ReleaseOutsideDoesNotToggle) {
  auto* c = Add(10, 10, "Box");
  PostMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(c->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 5));
  PostMessageW(c->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 5));
  Pump();
  EXPECT_EQ(c->State(), cbUnchecked);
  EXPECT_FALSE(c->Pressed());
}

TEST_F(CheckBoxTest, SettingTheCurrentStateFiresNoClickAndActionsNeverClick) {
  auto* c = Add(10, 10, "Box");
  int clicks = 0;
  c->OnClick = [&](TObject*) { ++clicks; };
  c->SetState(cbUnchecked);
  EXPECT_EQ(clicks, 0);
  c->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  c->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  c->ActionCheckedChanged(false);
  EXPECT_FALSE(c->Checked());
  EXPECT_EQ(clicks, 1);
  // Checking defaults leaves an already checked box alone.
  c->SetChecked(true);
  c->ActionChange(false, true);
  EXPECT_TRUE(c->Checked());
  c->ActionChange(false, false);
  EXPECT_FALSE(c->Checked());
  c->SetState(static_cast<TCheckBoxState>(7));  // out of range: ignored
  EXPECT_EQ(c->State(), cbUnchecked);
}

TEST_F(CheckBoxTest, SpaceTogglesOnReleaseAndEscapeCancels) {
  auto* c = Add(10, 10, "Box");
  c->SetFocus();
  Key(*c, WM_KEYDOWN, VK_SPACE);
  EXPECT_TRUE(c->Pressed());
  EXPECT_EQ(c->State(), cbUnchecked);
  Key(*c, WM_KEYUP, VK_SPACE);
  EXPECT_FALSE(c->Pressed());
  EXPECT_EQ(c->State(), cbChecked);

  Key(*c, WM_KEYDOWN, VK_SPACE);
  Key(*c, WM_KEYDOWN, VK_ESCAPE);
  EXPECT_FALSE(c->Pressed());
  Key(*c, WM_KEYUP, VK_SPACE);
  EXPECT_EQ(c->State(), cbChecked);
}

TEST_F(CheckBoxTest, ReadOnlyIgnoresMouseSpaceAndAcceleratorButTakesFocus) {
  auto* other = Add(10, 40, "Other");
  auto* c = Add(10, 10, "&Read-only");
  c->SetReadOnly(true);
  other->SetFocus();
  Pump();
  Click(*c);
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(c->State(), cbUnchecked);
  Key(*c, WM_KEYDOWN, VK_SPACE);
  EXPECT_FALSE(c->Pressed());
  Key(*c, WM_KEYUP, VK_SPACE);
  EXPECT_EQ(c->State(), cbUnchecked);
  other->SetFocus();
  Pump();
  EXPECT_NE(form_->Perform(CM_DIALOGCHAR, L'r'), 0);
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(c->State(), cbUnchecked);
  // A program may still set the state.
  c->SetChecked(true);
  EXPECT_TRUE(c->Checked());
}

TEST_F(CheckBoxTest, AcceleratorFocusesAndToggles) {
  auto* other = Add(10, 40, "Other");
  auto* c = Add(10, 10, "Open as &read-only");
  other->SetFocus();
  Pump();
  EXPECT_NE(form_->Perform(CM_DIALOGCHAR, L'R'), 0);
  EXPECT_TRUE(c->Focused());
  EXPECT_TRUE(c->Checked());
  EXPECT_EQ(form_->Perform(CM_DIALOGCHAR, L'q'), 0);
  EXPECT_TRUE(c->Checked());
}

TEST_F(CheckBoxTest, TabOnEnterMovesTheFocusOn) {
  auto* c = Add(10, 10, "First");
  auto* next = Add(10, 40, "Next");
  c->SetTabOnEnter(true);
  c->SetFocus();
  Pump();
  PostMessageW(c->Handle(), WM_CHAR, L'\r', 1);
  Pump();
  Pump();
  EXPECT_TRUE(next->Focused());
}

// ---- layout ----

TEST_F(CheckBoxTest, AutoSizeFitsGlyphAndCaptionAndKeepsTheGlyphSideFixed) {
  auto* c = Add(10, 10, "Open as &read-only");
  EXPECT_EQ(c->GlyphWidth(), 13);
  EXPECT_GE(c->Height(), 15);
  const int width = c->Width();
  EXPECT_GT(width, 13 + 6 + 40);
  EXPECT_EQ(c->Left(), 10);
  c->SetCaption("Open as &read-only, longer");
  EXPECT_GT(c->Width(), width);
  EXPECT_EQ(c->Left(), 10);

  // Glyph on the right: the right edge stays.
  auto* r = Add(200, 60, "Right");
  r->SetAlignment(taLeftJustify);
  const int right = r->Left() + r->Width();
  r->SetCaption("Right side caption");
  EXPECT_EQ(r->Left() + r->Width(), right);
  EXPECT_EQ(r->GlyphRect().right, r->ClientWidth());
}

TEST_F(CheckBoxTest, GlyphPositionFollowsVerticalAlignment) {
  auto* c = Add(10, 10, "Box");
  c->SetAutoSize(false);
  c->SetBounds(10, 10, 100, 41);
  EXPECT_EQ(c->GlyphRect().top, 2);
  c->SetAlignmentVertical(avCenter);
  EXPECT_EQ(c->GlyphRect().top, (41 - 13) / 2);
  c->SetAlignmentVertical(avBottom);
  EXPECT_EQ(c->GlyphRect().top, 41 - 13 - 2);
  EXPECT_EQ(c->GlyphRect().left, 0);
  c->SetRightToLeftReading(true);
  EXPECT_EQ(c->GlyphRect().right, 100);
}

TEST_F(CheckBoxTest, LoadingTurnsWordWrapOnOnlyForATallControl) {
  auto make = [&](int height) {
    auto* c = new TRzCheckBox(form_.get());
    c->BeginLoading();
    c->SetParent(form_.get());
    c->SetBounds(10, 10, 120, height);
    c->SetCaption("Caption");
    c->EndLoading();
    return c;
  };
  const int line = FontBoxHeight(form_->Font());
  EXPECT_FALSE(make(line)->WordWrap());
  EXPECT_TRUE(make(line + 20)->WordWrap());
}

// ---- painting ----

TEST_F(CheckBoxTest, HotTrackGlyphDrawsMarkAndFillByState) {
  auto* c = Add(10, 10, "Hot");
  c->SetThemeAware(false);
  c->SetHotTrack(true);
  c->SetFrameColor(clBlue);
  c->SetFillColor(clYellow);
  c->SetHighlightColor(clRed);
  const RECT g = c->GlyphRect();
  TBitmap shot = CaptureClient(*c);
  EXPECT_EQ(BitmapPixel(shot, g.left, g.top + 5), clBlue);        // outline
  EXPECT_EQ(BitmapPixel(shot, g.left + 6, g.top + 6), clYellow);  // empty interior
  c->SetChecked(true);
  shot = CaptureClient(*c);
  // Inside the outline (I = glyph shrunk by 1): the mark's column at I.left + 2 starts at
  // I.top + 4 and is three pixels tall.
  const int il = g.left + 1, it = g.top + 1;
  EXPECT_EQ(BitmapPixel(shot, il + 2, it + 4), clRed);
  EXPECT_EQ(BitmapPixel(shot, il + 2, it + 6), clRed);
  EXPECT_EQ(BitmapPixel(shot, il + 2, it + 7), clYellow);
  EXPECT_EQ(BitmapPixel(shot, il + 4, it + 8), clRed);  // the lowest column
  EXPECT_EQ(BitmapPixel(shot, il + 8, it + 2), clRed);
  // Interior by state: read-only, focused (read-only colour only when asked for), pressed.
  c->SetReadOnlyColor(clAqua);
  c->SetFocusColor(clSilver);
  c->SetReadOnly(true);
  EXPECT_EQ(BitmapPixel(CaptureClient(*c), il + 1, it + 1), clAqua);
  c->SetFocus();
  Pump();
  EXPECT_EQ(BitmapPixel(CaptureClient(*c), il + 1, it + 1), clSilver);
  c->SetReadOnlyColorOnFocus(true);
  EXPECT_EQ(BitmapPixel(CaptureClient(*c), il + 1, it + 1), clAqua);
  c->SetReadOnly(false);
  PostMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(BitmapPixel(CaptureClient(*c), il + 1, it + 1), DarkenColor(clSilver, 20));
  PostMessageW(c->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
  Pump();
  c->SetAllowGrayed(true);
  c->SetState(cbGrayed);
  shot = CaptureClient(*c);
  EXPECT_EQ(BitmapPixel(shot, il + 2, it + 2), clRed);
  EXPECT_EQ(BitmapPixel(shot, il + 1, it + 1), clSilver);  // focused now
  c->SetEnabled(false);
  c->SetDisabledColor(clLime);
  shot = CaptureClient(*c);
  EXPECT_EQ(BitmapPixel(shot, il + 1, it + 1), clLime);
  EXPECT_EQ(BitmapPixel(shot, il + 3, it + 3), ColorToRGB(clBtnShadow));
}

TEST_F(CheckBoxTest, AtTwiceTheResolutionTheGlyphIsScaledAndTheBoxSizedToIt) {
  auto* c = Add(10, 10, "Hot");
  c->SetThemeAware(false);
  c->SetHotTrack(true);
  c->SetFrameColor(clBlue);
  c->SetFillColor(clYellow);
  c->SetHighlightColor(clRed);
  c->SetChecked(true);
  auto* themed = Add(10, 60, "Themed");
  form_->ScaleForPPI(192);
  const RECT g = c->GlyphRect();
  EXPECT_EQ(g.right - g.left, 26);
  EXPECT_EQ(g.bottom - g.top, 26);
  EXPECT_EQ(g.top, 4);
  EXPECT_GE(c->Height(), 26 + 2);
  const TBitmap shot = CaptureClient(*c);
  // The designed pixels, each two by two: the outline, the interior, the mark's first column.
  EXPECT_EQ(BitmapPixel(shot, g.left + 1, g.top + 10), clBlue);
  EXPECT_EQ(BitmapPixel(shot, g.left + 3, g.top + 3), clYellow);
  EXPECT_EQ(BitmapPixel(shot, g.left + 6, g.top + 10), clRed);
  EXPECT_EQ(BitmapPixel(shot, g.left + 7, g.top + 15), clRed);
  EXPECT_EQ(BitmapPixel(shot, g.left + 7, g.top + 16), clYellow);
  // The theme draws its own part at the resolution, one pixel short of twice the design.
  if (ThemesActive()) {
    EXPECT_EQ(themed->GlyphRect().right - themed->GlyphRect().left, 25);
  }
}

TEST_F(CheckBoxTest, ClassicGlyphDiffersWhenChecked) {
  auto* c = Add(10, 10, "Classic");
  c->SetThemeAware(false);
  const RECT g = c->GlyphRect();
  TBitmap before = CaptureClient(*c);
  c->SetChecked(true);
  TBitmap after = CaptureClient(*c);
  int changed = 0;
  for (int y = g.top; y < g.bottom; ++y)
    for (int x = g.left; x < g.right; ++x)
      changed += BitmapPixel(before, x, y) != BitmapPixel(after, x, y);
  EXPECT_GT(changed, 5);
}

TEST_F(CheckBoxTest, TransparentBoxShowsItsParentAndFollowsItsChanges) {
  auto* panel = test::Place<TRzPanel>(*form_, 10, 10, 200, 60);
  panel->SetBorderOuter(fsNone);
  panel->SetColor(clRed);
  auto* c = new TRzCheckBox(form_.get());
  c->SetParent(panel);
  c->SetAutoSize(false);
  c->SetBounds(5, 5, 150, 30);
  c->SetParentColor(false);
  c->SetColor(clBlue);
  c->SetThemeAware(false);
  const int x = c->ClientWidth() - 3, y = c->ClientHeight() - 3;  // beyond the caption's text
  EXPECT_EQ(BitmapPixel(CaptureClient(*c), x, y), clBlue);
  c->SetTransparent(true);
  EXPECT_EQ(BitmapPixel(CaptureClient(*c), x, y), clRed);
  panel->SetColor(clLime);
  EXPECT_EQ(BitmapPixel(CaptureClient(*c), x, y), clLime);
  c->SetTransparent(false);
  c->SetColor(clYellow);
  EXPECT_EQ(BitmapPixel(CaptureClient(*c), x, y), clYellow);  // the cached background is not stale
}

// A panel whose gradient changes repaints the transparent boxes on it, whose backgrounds show it.
TEST_F(CheckBoxTest, ATransparentBoxIsRepaintedWhenItsPanelsGradientChanges) {
  auto* panel = test::Place<TRzPanel>(*form_, 10, 10, 200, 60);
  auto* c = new TRzCheckBox(form_.get());
  c->SetParent(panel);
  c->SetBounds(5, 5, 150, 30);
  c->SetTransparent(true);
  Pump();
  ASSERT_FALSE(GetUpdateRect(c->Handle(), nullptr, FALSE));
  panel->SetGradientColorStop(clLime);
  EXPECT_TRUE(GetUpdateRect(c->Handle(), nullptr, FALSE));
  Pump();
  c->SetTransparent(false);
  Pump();
  panel->SetGradientColorStart(clRed);
  EXPECT_FALSE(GetUpdateRect(c->Handle(), nullptr, FALSE));  // an opaque box keeps its colour
}

// The focus frame surrounds the whole caption area (the client area less the border pixel and
// the glyph), not only the text in it.
TEST_F(CheckBoxTest, TheFocusFrameSurroundsTheCaptionArea) {
  auto* c = Add(10, 10, "Box");
  c->SetAutoSize(false);
  c->SetBounds(10, 10, 150, 21);
  const TBitmap unfocused = CaptureClient(*c);
  c->SetFocus();
  SendMessageW(form_->Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  Pump();
  ASSERT_TRUE(c->Focused());
  const TBitmap focused = CaptureClient(*c);
  const int right = c->ClientWidth() - 1, bottom = c->ClientHeight() - 1;
  int frame = 0;
  for (int y = 0; y <= bottom; ++y)
    frame += BitmapPixel(focused, right, y) != BitmapPixel(unfocused, right, y);
  for (int x = 60; x < right; ++x) {
    frame += BitmapPixel(focused, x, 0) != BitmapPixel(unfocused, x, 0);
    frame += BitmapPixel(focused, x, bottom) != BitmapPixel(unfocused, x, bottom);
  }
  EXPECT_GT(frame, (bottom + 2 * (right - 60)) / 3);  // dotted: every other pixel
}

// Nine cells, each a solid colour, with a key-coloured corner and one window-mask pixel.
TBitmap NineCells() {
  TBitmap b(9 * 13, 13);
  for (int i = 0; i < 9; ++i) {
    b.Canvas().Brush().SetColor(RGBColor(20 * i + 10, 100, 200));
    b.Canvas().FillRect(RECT{i * 13, 0, i * 13 + 13, 13});
    b.Canvas().SetPixel(i * 13, 0, 0x008080);
    b.Canvas().SetPixel(i * 13 + 12, 12, 0x00FF00);
  }
  return b;
}

TEST_F(CheckBoxTest, CustomGlyphCellsFollowStateAndMasksApply) {
  auto* c = Add(10, 10, "Cells");
  c->SetColor(clFuchsia);
  c->SetCustomGlyphs(NineCells());
  EXPECT_TRUE(c->UseCustomGlyphs());
  const RECT g = c->GlyphRect();
  auto centre = [&] {
    TBitmap shot = CaptureClient(*c);
    return BitmapPixel(shot, g.left + 6, g.top + 6);
  };
  EXPECT_EQ(centre(), RGBColor(10, 100, 200));
  c->SetChecked(true);
  EXPECT_EQ(centre(), RGBColor(30, 100, 200));
  EXPECT_EQ(c->PaintedGlyphIndex(), 1);
  c->SetEnabled(false);
  centre();
  EXPECT_EQ(c->PaintedGlyphIndex(), 7);
  TBitmap shot = CaptureClient(*c);
  EXPECT_EQ(BitmapPixel(shot, g.left, g.top), clFuchsia);  // key colour shows the background
  EXPECT_EQ(BitmapPixel(shot, g.right - 1, g.bottom - 1), ColorToRGB(clWindow));
  c->SetEnabled(true);
  PostMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  Pump();
  centre();
  EXPECT_EQ(c->PaintedGlyphIndex(), 4);
  PostMessageW(c->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
  Pump();

  c->SetCustomGlyphs(TBitmap());
  EXPECT_FALSE(c->UseCustomGlyphs());
  EXPECT_EQ(c->GlyphWidth(), 13);
}

TEST_F(CheckBoxTest, ImageListHotImagesNeedMoreThanNineImagesAndHotTrack) {
  auto* c = Add(10, 10, "Images");
  auto list = std::make_unique<TImageList>(16, 16);
  TBitmap picture(16, 16);
  for (int i = 0; i < 9; ++i) list->Add(picture);
  c->SetCustomGlyphImages(list.get());
  EXPECT_TRUE(c->UseCustomGlyphs());
  EXPECT_EQ(c->GlyphWidth(), 16);
  c->SetHotTrack(true);
  c->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(c)));
  CaptureClient(*c);
  EXPECT_EQ(c->PaintedGlyphIndex(), 0);  // nine images: no hot ones
  for (int i = 0; i < 3; ++i) list->Add(picture);
  c->SetChecked(true);
  CaptureClient(*c);
  EXPECT_EQ(c->PaintedGlyphIndex(), 10);
  c->SetHotTrack(false);
  CaptureClient(*c);
  EXPECT_EQ(c->PaintedGlyphIndex(), 1);
  list.reset();
  EXPECT_EQ(c->CustomGlyphImages(), nullptr);
  EXPECT_FALSE(c->UseCustomGlyphs());
  CaptureClient(*c);
  EXPECT_EQ(c->PaintedGlyphIndex(), -1);
}

TEST_F(CheckBoxTest, FrameControllerAppliesOnlyWhileItShowsFrames) {
  TRzFrameController controller;
  auto* c = Add(10, 10, "Framed");
  controller.SetColor(clAqua);
  c->SetFrameController(&controller);
  EXPECT_FALSE(c->HotTrack());
  controller.SetFrameVisible(true);
  EXPECT_TRUE(c->HotTrack());
  EXPECT_EQ(c->FillColor(), clAqua);
  controller.SetFrameHotColor(clMaroon);
  controller.SetFrameHotTrack(true);
  EXPECT_EQ(c->HotTrackStyle(), htsFrame);
  EXPECT_EQ(c->HotTrackColor(), clMaroon);
  c->SetFrameController(nullptr);
}

}  // namespace
}  // namespace kovra
