#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "controls/RzToolButton.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "support/Desktop.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

using test::Pump;
using test::PumpUntil;

// A windowless control painted alone over a known background.
TBitmap PaintAlone(TGraphicControl& c, TColor background = clBtnFace) {
  TBitmap shot(c.Width(), c.Height());
  shot.Canvas().Brush().SetColor(background);
  shot.Canvas().FillRect(RECT{0, 0, c.Width(), c.Height()});
  c.PaintTo(shot.Canvas().Handle());
  GdiFlush();
  return shot;
}

TBitmap Solid(int w, int h, TColor color) {
  TBitmap b(w, h);
  b.Canvas().Brush().SetColor(color);
  b.Canvas().FillRect(RECT{0, 0, w, h});
  return b;
}

// The classic look for a test's span: the process stops theming its controls.
class ClassicLook {
 public:
  ClassicLook() : saved_(GetThemeAppProperties()) { SetThemeAppProperties(STAP_ALLOW_NONCLIENT); }
  ~ClassicLook() { SetThemeAppProperties(saved_); }
  ClassicLook(const ClassicLook&) = delete;
  ClassicLook& operator=(const ClassicLook&) = delete;

 private:
  DWORD saved_;
};

LPARAM Self(TControl* c) {
  return reinterpret_cast<LPARAM>(c);
}

class ToolButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ParkCursor();  // hover follows the real mouse after every release
    form_ = test::NewForm(40, 40, 420, 260);
    test::ShowInFront(*form_);
    Pump();
  }
  template <class T = TRzToolButton>
  T* Add(int left, int top, int width = 25, int height = 25) {
    return test::Place<T>(*form_, left, top, width, height);
  }
  // Mouse messages go to the form, which hands them to the windowless child under them.
  void Mouse(UINT msg, WPARAM keys, TControl& c, int x, int y) {
    PostMessageW(form_->Handle(), msg, keys, MAKELPARAM(c.Left() + x, c.Top() + y));
    Pump();
  }
  void ClickOn(TControl& c, int x = 5, int y = 5) {
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, c, x, y);
    Mouse(WM_LBUTTONUP, 0, c, x, y);
  }

  std::unique_ptr<TForm> form_;
};

// ---- clicks and groups ----

TEST_F(ToolButtonTest, ReleaseInsideClicksAndReleaseOutsideDoesNot) {
  auto* b = Add(10, 10);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *b, 5, 5);
  EXPECT_EQ(b->State(), tbsPressed);
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, *b, 40, 5);
  EXPECT_EQ(b->State(), tbsUp);
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, *b, 24, 24);
  EXPECT_EQ(b->State(), tbsPressed);
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, *b, 25, 5);  // the right edge is outside
  Mouse(WM_LBUTTONUP, 0, *b, 25, 5);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(b->State(), tbsUp);
  ClickOn(*b);
  EXPECT_EQ(clicks, 1);
  // A quick second press is one more click, not a double click.
  PostMessageW(form_->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(15, 15));
  Mouse(WM_LBUTTONUP, 0, *b, 5, 5);
  EXPECT_EQ(clicks, 2);
}

TEST_F(ToolButtonTest, DisabledButtonNeitherPressesNorClicks) {
  auto* b = Add(10, 10);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->SetEnabled(false);
  ClickOn(*b);
  EXPECT_EQ(clicks, 0);
  EXPECT_NE(b->State(), tbsPressed);
}

TEST_F(ToolButtonTest, PlaceButtonsWithAllowAllUpToggleAndReleaseEachOther) {
  std::vector<TRzToolButton*> places;
  std::vector<int> clicks(5);
  for (int i = 0; i < 5; ++i) {
    auto* b = Add(10, 10 + i * 40, 87, 35);
    b->SetGroupIndex(10);
    b->SetAllowAllUp(true);
    b->OnClick = [&clicks, i](TObject*) { ++clicks[i]; };
    places.push_back(b);
  }
  ClickOn(*places[1]);
  EXPECT_TRUE(places[1]->Down());
  EXPECT_EQ(places[1]->State(), tbsExclusive);
  ClickOn(*places[3]);
  EXPECT_TRUE(places[3]->Down());
  EXPECT_FALSE(places[1]->Down());
  EXPECT_EQ(places[1]->State(), tbsUp);
  ClickOn(*places[3]);  // again: all up
  for (auto* b : places) EXPECT_FALSE(b->Down());
  EXPECT_EQ(clicks, (std::vector<int>{0, 1, 0, 2, 0}));
}

TEST_F(ToolButtonTest, GroupWithoutAllowAllUpKeepsItsLastButtonDownWithoutClicking) {
  auto* a = Add(10, 10);
  auto* b = Add(40, 10);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  int clicks = 0;
  a->OnClick = [&](TObject*) { ++clicks; };
  ClickOn(*a);
  ClickOn(*a);
  EXPECT_TRUE(a->Down());
  EXPECT_EQ(clicks, 1);  // Down did not change the second time
  b->SetDown(true);
  EXPECT_FALSE(a->Down());
  auto* loose = Add(70, 10);
  loose->SetDown(true);
  EXPECT_FALSE(loose->Down());
  // Taking b out of its group releases it.
  b->SetGroupIndex(0);
  EXPECT_FALSE(b->Down());
}

TEST_F(ToolButtonTest, DownReadBeforeTheGroupHoldsOnceLoaded) {
  auto* details = Add(10, 10);
  details->SetGroupIndex(1);
  details->SetDown(true);
  form_->BeginLoading();
  auto* list = new TRzToolButton(form_.get());
  list->SetParent(form_.get());
  list->SetDown(true);
  list->SetGroupIndex(1);
  auto* loose = new TRzToolButton(form_.get());
  loose->SetParent(form_.get());
  loose->SetDown(true);
  form_->EndLoading();
  EXPECT_TRUE(list->Down());
  EXPECT_EQ(list->State(), tbsExclusive);
  EXPECT_FALSE(details->Down());  // the loaded one released its group
  EXPECT_FALSE(loose->Down());
}

TEST_F(ToolButtonTest, AcceleratorClicksAnEnabledShowingButtonOnly) {
  auto* b = Add(10, 10, 80, 25);
  b->SetCaption("&Delete");
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_NE(form_->Perform(CM_DIALOGCHAR, L'd'), 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form_->Perform(CM_DIALOGCHAR, L'x'), 0);
  b->SetEnabled(false);
  EXPECT_EQ(form_->Perform(CM_DIALOGCHAR, L'd'), 0);
  b->SetEnabled(true);
  b->SetVisible(false);
  EXPECT_EQ(form_->Perform(CM_DIALOGCHAR, L'd'), 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ToolButtonTest, OlderStoredFormsSetTheSelectionLook) {
  auto* b = Add(10, 10);
  b->ReadFrameColor("clBtnShadow");
  b->ReadGradientColorStart("255");
  b->ReadGradientColorStop("not a colour");
  b->ReadUseGradients(true);
  EXPECT_EQ(b->SelectionFrameColor(), clBtnShadow);
  EXPECT_EQ(b->SelectionColorStart(), clRed);
  EXPECT_EQ(b->SelectionColorStop(), clBtnShadow);  // unchanged default
  EXPECT_EQ(b->VisualStyle(), vsGradient);
}

// A toolbar-like container that hands its settings to the buttons put on it.
class FakeToolbar : public TCustomControl, public IRzToolbarSettings {
 public:
  using TCustomControl::TCustomControl;
  bool ToolbarShowCaption() const override { return true; }
  TButtonLayout ToolbarButtonLayout() const override { return blGlyphLeft; }
  SIZE ToolbarButtonSize() const override { return SIZE{30, 28}; }
  TRzVisualStyle ToolbarVisualStyle() const override { return vsGradient; }
  TImageList* ToolbarImages() const override { return images; }
  TImageList* images = nullptr;
};

TEST_F(ToolButtonTest, ToolbarParentSuppliesCaptionLayoutSizeLookAndImages) {
  TImageList list(16, 16);
  auto* bar = new FakeToolbar(form_.get());
  bar->images = &list;
  bar->SetParent(form_.get());
  bar->SetBounds(0, 100, 400, 40);
  auto* b = new TRzToolButton(form_.get());
  b->SetCaption("Create Folder");
  b->SetLayout(blGlyphTop);
  b->SetParent(bar);
  EXPECT_TRUE(b->ShowCaption());
  EXPECT_EQ(b->Layout(), blGlyphLeft);
  EXPECT_EQ(b->VisualStyle(), vsGradient);
  EXPECT_EQ(b->Images(), &list);
  EXPECT_EQ(b->Height(), 28);
  TCanvas canvas;
  WindowDC screen(nullptr);
  canvas.SetHandle(screen.Get());
  canvas.Font().Assign(b->Font());
  const int captionWidth = canvas.TextWidth("Create Folder");
  canvas.SetHandle(nullptr);
  EXPECT_EQ(b->Width(), 16 + captionWidth + 12);
  b->SetToolStyle(tsDropDown);
  EXPECT_EQ(b->ToolbarSizeFor(SIZE{30, 28}).cx, 16 + captionWidth + 12 + 14);

  // Buttons that opt out keep their own settings; other parents never change them.
  auto* own = new TRzToolButton(form_.get());
  own->SetUseToolbarVisualStyle(false);
  own->SetUseToolbarButtonSize(false);
  own->SetVisualStyle(vsClassic);
  own->SetParent(bar);
  EXPECT_EQ(own->VisualStyle(), vsClassic);
  EXPECT_EQ(own->Width(), 25);
  auto* plain = Add(10, 10);
  EXPECT_FALSE(plain->ShowCaption());
  EXPECT_EQ(plain->VisualStyle(), vsWinXP);
}

// ---- drop-down ----

class DropDownTest : public ToolButtonTest {
 protected:
  void SetUp() override {
    ToolButtonTest::SetUp();
    menu_ = new TPopupMenu(form_.get());
    auto* item = new TMenuItem();
    item->SetCaption("A rather long menu item");
    menu_->Items().Add(item);
    button_ = Add(100, 30, 50, 25);
    button_->SetToolStyle(tsDropDown);
    button_->SetDropDownMenu(menu_);
    button_->OnDropDown = [this](TObject*) {
      ++drops_;
      // Closes the menu from inside its own loop, after noting where it opened.
      SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        if (HWND menu = FindWindowW(L"#32768", nullptr)) GetWindowRect(menu, &s_menuRect);
        EndMenu();
      });
    };
    button_->OnClick = [this](TObject*) { ++clicks_; };
  }
  static inline RECT s_menuRect{};
  TPopupMenu* menu_ = nullptr;
  TRzToolButton* button_ = nullptr;
  int drops_ = 0, clicks_ = 0;
};

TEST_F(DropDownTest, ArrowSectionOpensTheMenuBelowTheButtonWithoutClicking) {
  s_menuRect = RECT{};
  EXPECT_EQ(button_->DropDownRect().left, 50 - TRzToolButton::kDropDownWidth);
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *button_, 45, 10);
  Mouse(WM_LBUTTONUP, 0, *button_, 45, 10);
  EXPECT_EQ(drops_, 1);
  EXPECT_EQ(clicks_, 0);
  EXPECT_EQ(menu_->PopupComponent(), button_);
  EXPECT_EQ(button_->State(), tbsUp);
  const POINT corner = button_->ClientToScreen(POINT{0, button_->Height()});
  EXPECT_EQ(s_menuRect.top, corner.y);
  EXPECT_EQ(s_menuRect.left, corner.x);

  // The body clicks (once a press can no longer be the one that closed the menu).
  const DWORD closed = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return GetTickCount() - closed > 150; }));
  ClickOn(*button_, 10, 10);
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(drops_, 1);
}

TEST_F(DropDownTest, ArrowPressedRightAfterTheMenuClosedOnlyEndsIt) {
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *button_, 45, 10);
  // The press that closed the menu arrives at once: no second menu, no click.
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *button_, 45, 10);
  Mouse(WM_LBUTTONUP, 0, *button_, 45, 10);
  EXPECT_EQ(drops_, 1);
  EXPECT_EQ(clicks_, 0);
  // Later presses are presses again: the body clicks, the arrow opens the menu.
  const DWORD closed = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return GetTickCount() - closed > 150; }));
  ClickOn(*button_, 10, 10);
  EXPECT_EQ(clicks_, 1);
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *button_, 45, 10);
  EXPECT_EQ(drops_, 2);
}

TEST_F(DropDownTest, ButtonWithoutClickHandlerOpensTheMenuAnywhere) {
  button_->OnClick = nullptr;
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *button_, 5, 5);
  EXPECT_EQ(drops_, 1);
  // Its accelerator opens the menu too.
  button_->SetCaption("&Views");
  const DWORD closed = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return GetTickCount() - closed > 150; }));
  EXPECT_NE(form_->Perform(CM_DIALOGCHAR, L'v'), 0);
  EXPECT_EQ(drops_, 2);
}

TEST_F(DropDownTest, FreedMenuIsForgotten) {
  delete menu_;
  EXPECT_EQ(button_->DropDownMenu(), nullptr);
  ClickOn(*button_, 45, 10);
  EXPECT_EQ(drops_, 0);
  EXPECT_EQ(clicks_, 1);
}

// ---- painting ----

TEST_F(ToolButtonTest, ClassicFlatButtonShowsAFrameOnlyWhenHoveredOrPressed) {
  auto* b = Add(10, 10);
  b->SetVisualStyle(vsClassic);
  TBitmap idle = PaintAlone(*b, clTeal);
  EXPECT_EQ(BitmapPixel(idle, 0, 10), clTeal);  // transparent and frameless
  EXPECT_EQ(BitmapPixel(idle, 12, 12), clTeal);
  b->Perform(CM_MOUSEENTER, 0, Self(b));
  TBitmap hot = PaintAlone(*b);
  EXPECT_EQ(BitmapPixel(hot, 0, 10), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(BitmapPixel(hot, 24, 10), ColorToRGB(clBtnShadow));
  b->Perform(CM_MOUSELEAVE, 0, Self(b));
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *b, 5, 5);
  TBitmap pressed = PaintAlone(*b);
  EXPECT_EQ(BitmapPixel(pressed, 0, 10), ColorToRGB(clBtnShadow));
  EXPECT_EQ(BitmapPixel(pressed, 24, 10), ColorToRGB(clBtnHighlight));
  Mouse(WM_LBUTTONUP, 0, *b, 100, 100);
}

TEST_F(ToolButtonTest, ClassicButtonWithoutFlatAlwaysHasItsFrameAndOpaqueFill) {
  auto* b = Add(10, 10);
  b->SetVisualStyle(vsClassic);
  b->SetFlat(false);
  b->SetTransparent(false);
  b->SetColor(clYellow);
  TBitmap shot = PaintAlone(*b, clTeal);
  EXPECT_EQ(BitmapPixel(shot, 0, 10), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(BitmapPixel(shot, 24, 10), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(BitmapPixel(shot, 12, 12), clYellow);
}

TEST_F(ToolButtonTest, ExclusiveClassicButtonShowsTheCheckerUntilHovered) {
  auto* b = Add(10, 10);
  b->SetVisualStyle(vsClassic);
  b->SetGroupIndex(3);
  b->SetDown(true);
  TBitmap shot = PaintAlone(*b, clTeal);
  const TColor face = ColorToRGB(clBtnFace), light = ColorToRGB(clBtnHighlight);
  const TColor p = BitmapPixel(shot, 10, 10), q = BitmapPixel(shot, 11, 10);
  EXPECT_TRUE((p == face && q == light) || (p == light && q == face)) << std::hex << p << " " << q;
  EXPECT_EQ(BitmapPixel(shot, 0, 10), ColorToRGB(clBtnShadow));  // sunken status frame
  b->Perform(CM_MOUSEENTER, 0, Self(b));
  shot = PaintAlone(*b, clTeal);
  EXPECT_EQ(BitmapPixel(shot, 10, 10), clTeal);
  EXPECT_EQ(BitmapPixel(shot, 11, 10), clTeal);
}

TEST_F(ToolButtonTest, GradientLookBoxesAndShadesTheHoveredButtonAndReversesWhenPressed) {
  if (!GradientsAvailable()) GTEST_SKIP() << "no gradients at this colour depth";
  auto* b = Add(10, 10, 25, 40);
  b->SetVisualStyle(vsGradient);
  b->SetGradientColorStyle(gcsCustom);
  b->SetSelectionColorStart(RGBColor(255, 255, 255));
  b->SetSelectionColorStop(RGBColor(0, 0, 200));
  b->SetSelectionFrameColor(clRed);
  EXPECT_EQ(BitmapPixel(PaintAlone(*b, clTeal), 0, 0), clTeal);  // idle: nothing
  b->Perform(CM_MOUSEENTER, 0, Self(b));
  TBitmap hot = PaintAlone(*b);
  EXPECT_EQ(BitmapPixel(hot, 0, 20), clRed);
  EXPECT_EQ(BitmapPixel(hot, 12, 0), clRed);
  EXPECT_GT(RedOf(BitmapPixel(hot, 12, 2)), RedOf(BitmapPixel(hot, 12, 37)));
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *b, 5, 5);
  TBitmap pressed = PaintAlone(*b);
  EXPECT_LT(RedOf(BitmapPixel(pressed, 12, 2)), RedOf(BitmapPixel(pressed, 12, 37)));
  Mouse(WM_LBUTTONUP, 0, *b, 100, 100);
}

TEST_F(ToolButtonTest, DropDownSectionHasItsTriangleGreyWhenDisabled) {
  auto* b = Add(10, 10, 40, 25);
  b->SetVisualStyle(vsClassic);
  b->SetToolStyle(tsDropDown);
  const RECT a = b->DropDownRect();
  const int cx = (a.left + a.right - 5) / 2, cy = (a.top + a.bottom - 3) / 2;
  TBitmap shot = PaintAlone(*b, clTeal);
  EXPECT_EQ(BitmapPixel(shot, cx, cy), ColorToRGB(clWindowText));
  EXPECT_EQ(BitmapPixel(shot, cx + 4, cy), ColorToRGB(clWindowText));
  EXPECT_EQ(BitmapPixel(shot, cx + 2, cy + 2), ColorToRGB(clWindowText));
  EXPECT_EQ(BitmapPixel(shot, cx + 2, cy + 3), clTeal);
  EXPECT_EQ(BitmapPixel(shot, cx + 5, cy), clTeal);
  b->SetEnabled(false);
  shot = PaintAlone(*b, clTeal);
  EXPECT_EQ(BitmapPixel(shot, cx + 2, cy + 2), ColorToRGB(clBtnShadow));
}

class ToolButtonImageTest : public ToolButtonTest {
 protected:
  void SetUp() override {
    ToolButtonTest::SetUp();
    list_ = std::make_unique<TImageList>(16, 16);
    for (TColor c : {clRed, clLime, clBlue, RGBColor(255, 0, 255)}) list_->Add(Solid(16, 16, c));
  }
  TColor ImageCentre(TRzToolButton& b) {
    TBitmap shot = PaintAlone(b, clTeal);
    const RECT r = b.ImageRect();
    return BitmapPixel(shot, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  std::unique_ptr<TImageList> list_;
};

TEST_F(ToolButtonImageTest, ImagePerStateAndDisabledImageInFullColour) {
  auto* b = Add(10, 10, 30, 30);
  b->SetImages(list_.get());
  b->SetImageIndex(0);
  b->SetHotIndex(1);
  b->SetDownIndex(2);
  EXPECT_EQ(ImageCentre(*b), clRed);
  EXPECT_EQ(b->ImageRect().left, 7);  // centred
  b->Perform(CM_MOUSEENTER, 0, Self(b));
  EXPECT_EQ(ImageCentre(*b), clLime);
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *b, 5, 5);
  EXPECT_EQ(ImageCentre(*b), clBlue);
  Mouse(WM_LBUTTONUP, 0, *b, 100, 100);
  b->Perform(CM_MOUSELEAVE, 0, Self(b));

  b->SetEnabled(false);
  const TColor greyed = ImageCentre(*b);
  EXPECT_NE(greyed, clRed);  // the list's disabled look
  EXPECT_EQ(RedOf(greyed), GreenOf(greyed));
  b->SetDisabledIndex(3);
  EXPECT_EQ(ImageCentre(*b), RGBColor(255, 0, 255));
  b->SetImageIndex(-1);  // no image at all without ImageIndex
  PaintAlone(*b);
  EXPECT_EQ(b->PaintedImage(), -1);
  list_.reset();
  EXPECT_EQ(b->Images(), nullptr);
}

TEST_F(ToolButtonImageTest, CaptionAndImageAreCentredTogetherByLayout) {
  auto* b = Add(10, 10, 87, 65);
  b->SetImages(list_.get());
  b->SetImageIndex(0);
  b->SetCaption("Desktop");
  b->SetShowCaption(true);
  b->SetLayout(blGlyphTop);
  PaintAlone(*b);
  const RECT img = b->ImageRect(), cap = b->CaptionRect();
  EXPECT_EQ(img.left, (87 - 16) / 2);
  EXPECT_LT(img.bottom, cap.top + 1);
  EXPECT_NEAR(img.top - 2, 65 - 2 - cap.bottom, 1);  // the pair sits in the middle
  b->SetLayout(blGlyphLeft);
  PaintAlone(*b);
  EXPECT_LE(b->ImageRect().right, b->CaptionRect().left);
  EXPECT_NEAR(b->ImageRect().left - 2, 87 - 2 - b->CaptionRect().right, 1);
  b->SetLayout(blGlyphRight);
  PaintAlone(*b);
  EXPECT_GE(b->ImageRect().left, b->CaptionRect().right);
}

TEST_F(ToolButtonImageTest, CaptionTurnsGreyWhenDisabled) {
  auto* b = Add(10, 10, 87, 25);
  b->SetCaption("WWWW");
  b->SetShowCaption(true);
  b->SetEnabled(false);
  TBitmap shot = PaintAlone(*b, clWhite);
  const RECT cap = b->CaptionRect();
  // Ink, smoothed or not, never darker than the shadow colour.
  int ink = 0, darkest = 255;
  for (int y = cap.top; y < cap.bottom; ++y)
    for (int x = cap.left; x < cap.right; ++x) {
      const TColor p = BitmapPixel(shot, x, y);
      ink += p != clWhite;
      darkest = std::min(darkest, GreenOf(p));
    }
  EXPECT_GT(ink, 10);
  EXPECT_GE(darkest, GreenOf(ColorToRGB(clBtnShadow)));
}

// ---- the control button ----

class ControlButtonTest : public ToolButtonTest {};

TEST_F(ControlButtonTest, HeldButtonRepeatsItsClickUntilReleased) {
  auto* b = Add<TRzControlButton>(10, 10, 17, 21);
  b->SetRepeatClicks(true);
  b->SetInitialDelay(60);
  b->SetDelay(20);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *b, 5, 5);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(b->IsDown());
  ASSERT_TRUE(PumpUntil([&] { return clicks >= 3; }));
  Mouse(WM_LBUTTONUP, 0, *b, 5, 5);
  const int afterRelease = clicks;
  EXPECT_FALSE(b->Repeating());
  EXPECT_FALSE(b->IsDown());
  // Nothing more arrives once released.
  const DWORD released = GetTickCount();
  PumpUntil([&] { return GetTickCount() - released > 120; });
  EXPECT_EQ(clicks, afterRelease);
}

TEST_F(ControlButtonTest, FailingClickStopsTheRepeatAndReachesTheApplication) {
  auto* b = Add<TRzControlButton>(10, 10, 17, 21);
  b->SetRepeatClicks(true);
  b->SetInitialDelay(20);
  int clicks = 0;
  b->OnClick = [&](TObject*) {
    ++clicks;
    throw std::runtime_error("no more");
  };
  std::string reported;
  Application().OnException = [&](TObject*, const std::exception& e) { reported = e.what(); };
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *b, 5, 5);
  const bool arrived = PumpUntil([&] { return !reported.empty(); });
  Application().OnException = nullptr;
  ASSERT_TRUE(arrived);
  EXPECT_EQ(reported, "no more");
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(b->Repeating());
  b->OnClick = nullptr;
  Mouse(WM_LBUTTONUP, 0, *b, 100, 100);
}

TEST_F(ControlButtonTest, LostCaptureOrReleaseOutsideStopsWithoutTheFinalClick) {
  auto* b = Add<TRzControlButton>(10, 10, 17, 21);
  b->SetRepeatClicks(true);
  b->SetInitialDelay(30);
  b->SetDelay(10);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *b, 5, 5);
  ReleaseCapture();  // a dialog or another window takes the mouse
  Pump();
  EXPECT_FALSE(b->Repeating());
  EXPECT_FALSE(b->IsDown());
  EXPECT_EQ(clicks, 0);

  b->SetRepeatClicks(false);
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *b, 5, 5);
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, *b, 40, 5);
  EXPECT_FALSE(b->IsDown());
  Mouse(WM_LBUTTONUP, 0, *b, 40, 5);
  EXPECT_EQ(clicks, 0);
  ClickOn(*b);
  EXPECT_EQ(clicks, 1);
  b->SetEnabled(false);
  ClickOn(*b);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ControlButtonTest, GlyphCellFollowsStateAndArrowStylesDrawArrows) {
  auto* b = Add<TRzControlButton>(10, 10, 17, 21);
  TBitmap glyph = Solid(30, 10, clFuchsia);
  const TColor cells[] = {clRed, clLime, clBlue};
  for (int i = 0; i < 3; ++i) {
    glyph.Canvas().Brush().SetColor(cells[i]);
    glyph.Canvas().FillRect(RECT{i * 10 + 2, 2, i * 10 + 8, 8});
  }
  b->SetGlyph(glyph);
  EXPECT_EQ(b->NumGlyphs(), 3);
  auto centre = [&] {
    TBitmap shot = PaintAlone(*b);
    const RECT g = b->GlyphRect();
    return BitmapPixel(shot, g.left + 5, g.top + 5);
  };
  EXPECT_EQ(centre(), clRed);
  EXPECT_EQ(b->PaintedCell(), 0);
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *b, 5, 5);
  EXPECT_EQ(centre(), clBlue);
  Mouse(WM_LBUTTONUP, 0, *b, 100, 100);
  b->SetEnabled(false);
  EXPECT_EQ(centre(), clLime);
  b->SetEnabled(true);
  // The key colour shows the face.
  TBitmap shot = PaintAlone(*b, clTeal);
  EXPECT_NE(BitmapPixel(shot, b->GlyphRect().left, b->GlyphRect().top), clFuchsia);

  b->SetStyle(cbsDropDown);
  shot = PaintAlone(*b, clTeal);
  int darkest = 255;  // an arrow in the middle, themed or classic
  for (int y = 8; y < 13; ++y)
    for (int x = 5; x < 12; ++x) darkest = std::min(darkest, GreenOf(BitmapPixel(shot, x, y)));
  EXPECT_LT(darkest, 100);
}

TEST_F(ControlButtonTest, ClassicFlatButtonFramesOnlyWhenHotOrDown) {
  ClassicLook classic;
  ASSERT_FALSE(ThemesActive());
  auto* b = Add<TRzControlButton>(10, 10, 17, 21);
  b->SetFlat(true);
  b->SetColor(clYellow);
  TBitmap shot = PaintAlone(*b, clTeal);
  EXPECT_EQ(BitmapPixel(shot, 0, 10), clYellow);
  b->Perform(CM_MOUSEENTER, 0, Self(b));
  shot = PaintAlone(*b, clTeal);
  EXPECT_EQ(BitmapPixel(shot, 0, 10), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(BitmapPixel(shot, 8, 10), clYellow);
  b->Perform(CM_MOUSELEAVE, 0, Self(b));
  b->SetEnabled(false);  // a disabled button does not light up
  b->Perform(CM_MOUSEENTER, 0, Self(b));
  EXPECT_EQ(BitmapPixel(PaintAlone(*b, clTeal), 0, 10), clYellow);
}

TEST_F(ControlButtonTest, ClassicRaisedButtonSinksWhenDownAndArrowsKeepTheirColour) {
  ClassicLook classic;
  auto* b = Add<TRzControlButton>(10, 10, 17, 21);
  b->SetStyle(cbsUp);
  b->SetColor(clYellow);
  TBitmap shot = PaintAlone(*b, clTeal);
  EXPECT_EQ(BitmapPixel(shot, 0, 10), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(BitmapPixel(shot, 16, 10), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(BitmapPixel(shot, 3, 3), clYellow);  // arrow buttons fill with Color
  int arrow = 0;
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 17; ++x) arrow += BitmapPixel(shot, x, y) == ColorToRGB(clBtnText);
  EXPECT_GT(arrow, 5);
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, *b, 5, 5);
  shot = PaintAlone(*b, clTeal);
  EXPECT_EQ(BitmapPixel(shot, 0, 10), ColorToRGB(clBtnShadow));  // one outline ring
  EXPECT_EQ(BitmapPixel(shot, 16, 10), ColorToRGB(clBtnShadow));
  Mouse(WM_LBUTTONUP, 0, *b, 100, 100);
  b->SetStyle(cbsDropDown);  // glyph-less looks fill with the face colour
  EXPECT_EQ(BitmapPixel(PaintAlone(*b, clTeal), 3, 3), ColorToRGB(clBtnFace));
}

}  // namespace
}  // namespace kovra
