#include <gtest/gtest.h>

#include <memory>

#include "controls/RzPopups.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/Desktop.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

using test::During;
using test::PumpUntil;

POINT Centre(const RECT& r) {
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A press and release at client point `p`, as the mouse would deliver them.
void ClickAt(HWND wnd, POINT p) {
  PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

TBitmap Capture(TWinControl& control) {
  return test::CaptureClient(control, PRF_CLIENT | PRF_ERASEBKGND);
}

class RzCalculatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ParkCursor();
    form_ = test::NewForm(60, 60, 360, 260);
    test::ShowInFront(*form_);
    calc_ = new TRzCalculator(form_.get());
    calc_->SetParent(form_.get());
    calc_->SetLeft(10);
    calc_->SetTop(10);
    calc_->OnClick = [this](TObject*) { ++clicks_; };
    calc_->OnChange = [this](TObject*) { ++changes_; };
    Application().ProcessMessages();
  }
  void Click(int index) { ClickAt(calc_->Handle(), Centre(calc_->ButtonRect(index))); }
  void Key(WORD vk) { PostMessageW(calc_->Handle(), WM_KEYDOWN, vk, 1); }
  bool Shows(const char* text) {
    return PumpUntil([&] { return calc_->DisplayText() == text; }, std::chrono::seconds(3));
  }

  std::unique_ptr<TForm> form_;
  TRzCalculator* calc_ = nullptr;
  int clicks_ = 0;
  int changes_ = 0;
};

TEST_F(RzCalculatorTest, SizesItselfFromTheHeightOfAZero) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, calc_->Font().Handle());
  SIZE zero{};
  GetTextExtentPoint32W(dc, L"0", 1, &zero);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(calc_->Width(), 5 * zero.cy + 84);
  EXPECT_EQ(calc_->Height(), 5 * zero.cy + 84);
  calc_->SetAutoSize(false);
  calc_->SetBounds(10, 10, 40, 400);
  EXPECT_EQ(calc_->Width(), 5 * zero.cy + 84);  // never below its natural size
  EXPECT_EQ(calc_->Height(), 400);
}

TEST_F(RzCalculatorTest, ButtonsSitOnAGridOfEqualSteps) {
  calc_->SetAutoSize(false);
  calc_->SetBounds(10, 10, 149, 149);  // lowered border: c = 2, a = 24, b = 25
  EXPECT_EQ(calc_->ButtonRect(7).left, 6);
  EXPECT_EQ(calc_->ButtonRect(7).top, 35);
  EXPECT_EQ(calc_->ButtonRect(0).right, 6 + 29 + 25);                     // two columns wide
  EXPECT_EQ(calc_->ButtonRect(TRzCalculator::kEquals).bottom, 122 + 25);  // two rows tall
  EXPECT_EQ(calc_->ButtonRect(TRzCalculator::kDisplay).right, 122 + 25);
  const RECT set = calc_->ButtonRect(TRzCalculator::kSet);
  EXPECT_TRUE(IsRectEmpty(&set));
  calc_->SetPopupMode(true);
  EXPECT_EQ(calc_->ButtonRect(TRzCalculator::kDisplay).right, 93 + 25);
  EXPECT_EQ(calc_->ButtonRect(TRzCalculator::kSet).left, 122);
}

TEST_F(RzCalculatorTest, ClicksOnButtonsCalculate) {
  Click(5);
  Click(TRzCalculator::kAdd);
  Click(3);
  Click(TRzCalculator::kEquals);
  ASSERT_TRUE(Shows("8."));
  EXPECT_EQ(clicks_, 4);
  EXPECT_EQ(changes_, 1);
  Click(TRzCalculator::kEquals);
  EXPECT_TRUE(Shows("11."));
  EXPECT_TRUE(calc_->Focused());
}

TEST_F(RzCalculatorTest, ReleaseAwayFromThePressedButtonDoesNothing) {
  const POINT seven = Centre(calc_->ButtonRect(7));
  const POINT nine = Centre(calc_->ButtonRect(9));
  PostMessageW(calc_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(seven.x, seven.y));
  PostMessageW(calc_->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(nine.x, nine.y));
  PostMessageW(calc_->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(nine.x, nine.y));
  Click(4);
  ASSERT_TRUE(Shows("4."));
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(calc_->PressedIndex(), TRzCalculator::kDisplay);
}

TEST_F(RzCalculatorTest, SetButtonActsOnlyInPopupMode) {
  int sets = 0;
  calc_->OnSetBtnClick = [&](TObject*) { ++sets; };
  Key(VK_NUMPAD6);
  Key(VK_MULTIPLY);
  Key(VK_NUMPAD7);
  Key(VK_RETURN);  // equals outside popup mode
  ASSERT_TRUE(Shows("42."));
  EXPECT_EQ(sets, 0);
  calc_->SetPopupMode(true);
  Key(VK_SUBTRACT);
  Key('2');
  Key(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return sets == 1; }, std::chrono::seconds(3)));
  EXPECT_EQ(calc_->Result(), 40);
  Click(TRzCalculator::kSet);
  ASSERT_TRUE(PumpUntil([&] { return sets == 2; }, std::chrono::seconds(3)));
  EXPECT_EQ(calc_->Result(), 40);  // the operation was completed once only
}

TEST_F(RzCalculatorTest, KeysMapToTheirCharacters) {
  calc_->SetFocus();
  Key('9');
  Key(VK_DECIMAL);
  Key('5');
  ASSERT_TRUE(Shows("9.5"));
  Key('C');
  ASSERT_TRUE(Shows("0."));
  Key('1');
  Key(VK_DIVIDE);
  Key('0');
  Key(VK_RETURN);
  ASSERT_TRUE(Shows("E"));
  Key('7');  // ignored in the error state
  Application().ProcessMessages();
  EXPECT_EQ(calc_->DisplayText(), "E");
  calc_->SetResult(3);
  EXPECT_EQ(calc_->DisplayText(), "3.");
}

TEST_F(RzCalculatorTest, PaintsGroupColoursDisplayAndFocusBox) {
  calc_->SetThemeAware(false);
  calc_->SetBorderOuter(fsNone);
  calc_->CalculatorColors().SetNumberBtns(RGBColor(200, 0, 0));
  calc_->CalculatorColors().SetOperatorBtns(RGBColor(0, 150, 0));
  calc_->CalculatorColors().SetDisplay(RGBColor(0, 0, 180));
  calc_->SetFlatColor(RGBColor(100, 100, 100));
  calc_->SetPopupMode(false);
  TBitmap shot = Capture(*calc_);
  const RECT seven = calc_->ButtonRect(7);
  const RECT plus = calc_->ButtonRect(TRzCalculator::kAdd);
  const RECT display = calc_->ButtonRect(TRzCalculator::kDisplay);
  EXPECT_EQ(BitmapPixel(shot, seven.left + 3, seven.top + 3), RGBColor(200, 0, 0));
  EXPECT_EQ(BitmapPixel(shot, plus.left + 3, plus.top + 3), RGBColor(0, 150, 0));
  EXPECT_EQ(BitmapPixel(shot, display.left, display.top + 5), RGBColor(100, 100, 100));
  EXPECT_EQ(BitmapPixel(shot, display.left + 3, display.top + 3), RGBColor(0, 0, 180));
  // Outside popup mode the display runs over the set button's place.
  EXPECT_EQ(BitmapPixel(shot, display.right - 4, display.top + 3), RGBColor(0, 0, 180));

  calc_->SetFocus();
  Application().ProcessMessages();
  shot = Capture(*calc_);
  EXPECT_EQ(BitmapPixel(shot, display.left + 1, display.top + 5),
            ColorToRGB(LightenColor(RGBColor(100, 100, 100), 40)));
}

TEST(RzCalculatorColors, IndexedAccessAndAssign) {
  TRzCalculatorColors a, b;
  EXPECT_EQ(a.Color(0), clWindowText);
  EXPECT_EQ(a.Color(7), clWindow);
  EXPECT_EQ(a.Color(8), clNone);
  EXPECT_EQ(a.Color(-1), clNone);
  a.SetColor(8, clRed);  // ignored
  a.SetOperatorBtns(clYellow);
  b.Assign(a);
  EXPECT_EQ(b.Color(3), clYellow);
}

// ---- popup placement ----

TEST(RzPopupPanelPlacement, BelowTheControlByAlignment) {
  const RECT work{0, 0, 800, 600};
  const RECT anchor{100, 100, 200, 121};
  EXPECT_EQ(TRzPopupPanel::PlacePopup(anchor, 150, 150, -1, -1, taRightJustify, work).left, 50);
  EXPECT_EQ(TRzPopupPanel::PlacePopup(anchor, 150, 150, -1, -1, taLeftJustify, work).left, 100);
  EXPECT_EQ(TRzPopupPanel::PlacePopup(anchor, 150, 150, -1, -1, taCenter, work).left, 75);
  EXPECT_EQ(TRzPopupPanel::PlacePopup(anchor, 150, 150, -1, -1, taCenter, work).top, 121);
  const RECT offset = TRzPopupPanel::PlacePopup(anchor, 50, 50, 10, 5, taRightJustify, work);
  EXPECT_EQ(offset.left, 110);
  EXPECT_EQ(offset.top, 105);
}

TEST(RzPopupPanelPlacement, KeepsInsideTheWorkArea) {
  const RECT work{0, 0, 800, 600};
  // Too low: opens above the control.
  const RECT above =
      TRzPopupPanel::PlacePopup(RECT{100, 500, 200, 521}, 150, 150, -1, -1, taLeftJustify, work);
  EXPECT_EQ(above.top, 350);
  // Too far right, then too far left.
  EXPECT_EQ(
      TRzPopupPanel::PlacePopup(RECT{700, 10, 790, 31}, 150, 150, -1, -1, taLeftJustify, work).left,
      650);
  EXPECT_EQ(
      TRzPopupPanel::PlacePopup(RECT{10, 10, 90, 31}, 150, 150, -1, -1, taRightJustify, work).left,
      0);
}

// ---- the popup loop ----

class RzPopupPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ParkCursor();
    form_ = test::NewForm(60, 60, 360, 300);
    test::ShowInFront(*form_);
    anchor_ = test::Place<TRzPanel>(*form_, 150, 20, 120, 24);
    anchor_->SetTabStop(true);
    panel_ = new TRzPopupPanel(form_.get());
    panel_->SetParent(form_.get());
    calc_ = new TRzCalculator(panel_);
    calc_->SetParent(panel_);
    const RECT inner = panel_->ContentRect();
    calc_->SetBounds(inner.left, inner.top, 0, 0);
    calc_->OnSetBtnClick = [this](TObject*) { panel_->Close(); };
    panel_->OnClose = [this](TObject*) { ++closes_; };
    anchor_->SetFocus();
    Application().ProcessMessages();
    watchdog_.Start();
  }
  HWND PopupWindow() const {
    return panel_->CurrentPopup() ? panel_->CurrentPopup()->WindowHandle() : nullptr;
  }

  std::unique_ptr<TForm> form_;
  TRzPanel* anchor_ = nullptr;
  TRzPopupPanel* panel_ = nullptr;
  TRzCalculator* calc_ = nullptr;
  int closes_ = 0;
  test::EscapeWatchdog watchdog_;
};

TEST_F(RzPopupPanelTest, ShowsTheChildrenUnderTheControlUntilSet) {
  RECT shown{};
  bool visible = false, popupMode = false, nested = true;
  During([&] {
    HWND popup = PopupWindow();
    visible = popup && IsWindowVisible(popup) && GetParent(calc_->Handle()) == popup;
    GetWindowRect(popup, &shown);
    popupMode = calc_->PopupMode();
    nested = panel_->Popup(*anchor_);  // a second call while open
    ClickAt(calc_->Handle(), Centre(calc_->ButtonRect(7)));
    ClickAt(calc_->Handle(), Centre(calc_->ButtonRect(TRzCalculator::kSet)));
  });
  EXPECT_TRUE(panel_->Popup(*anchor_));
  EXPECT_TRUE(visible);
  EXPECT_TRUE(popupMode);
  EXPECT_FALSE(nested);
  RECT anchor;
  GetWindowRect(anchor_->Handle(), &anchor);
  EXPECT_EQ(shown.top, anchor.bottom);
  EXPECT_EQ(shown.right, anchor.right);  // right-aligned
  EXPECT_EQ(shown.right - shown.left, panel_->Width());
  EXPECT_EQ(calc_->Result(), 7);
  EXPECT_EQ(calc_->Parent(), panel_);
  EXPECT_FALSE(calc_->PopupMode());
  EXPECT_EQ(panel_->CurrentPopup(), nullptr);
  EXPECT_EQ(closes_, 1);
  EXPECT_TRUE(anchor_->Focused());  // the focus went back
}

TEST_F(RzPopupPanelTest, FitsAroundItsChildren) {
  During([&] { panel_->Close(); });
  panel_->Popup(*anchor_);
  const RECT inner = panel_->ContentRect();
  EXPECT_EQ(panel_->Width(), calc_->Width() + 2 * inner.left);
  EXPECT_EQ(panel_->Height(), calc_->Height() + 2 * inner.top);
}

TEST_F(RzPopupPanelTest, EscapeCancels) {
  During([&] {
    PostMessageW(calc_->Handle(), WM_KEYDOWN, '4', 1);
    PostMessageW(calc_->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  });
  EXPECT_FALSE(panel_->Popup(*anchor_));
  EXPECT_EQ(calc_->Result(), 0);
  EXPECT_EQ(calc_->DisplayText(), "4.");  // keys reached the calculator first
  EXPECT_EQ(closes_, 1);
}

TEST_F(RzPopupPanelTest, EnterInPopupModeAccepts) {
  During([&] {
    PostMessageW(form_->Handle(), WM_KEYDOWN, '8', 1);
    PostMessageW(form_->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  });
  EXPECT_TRUE(panel_->Popup(*anchor_));
  EXPECT_EQ(calc_->Result(), 8);
}

TEST_F(RzPopupPanelTest, ClickOutsideCancelsAndIsSwallowed) {
  int formClicks = 0;
  form_->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++formClicks; };
  During([&] { PostMessageW(form_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); });
  EXPECT_FALSE(panel_->Popup(*anchor_));
  Application().ProcessMessages();
  EXPECT_EQ(formClicks, 0);
  EXPECT_EQ(calc_->Parent(), panel_);
}

TEST_F(RzPopupPanelTest, FocusMovingAwayCancels) {
  auto* other = test::Place<TRzPanel>(*form_, 10, 200, 50, 20);
  other->SetTabStop(true);
  During([&] { other->SetFocus(); });
  EXPECT_FALSE(panel_->Popup(*anchor_));
}

TEST_F(RzPopupPanelTest, LeavingTheApplicationCancels) {
  During([&] { SendMessageW(Application().Handle(), WM_ACTIVATEAPP, FALSE, 0); });
  EXPECT_FALSE(panel_->Popup(*anchor_));
}

TEST_F(RzPopupPanelTest, FailedPopupLeavesThePanelReadyForTheNext) {
  TRzPanel orphan(nullptr);  // no parent window: its handle cannot be made
  EXPECT_ANY_THROW(panel_->Popup(orphan));
  EXPECT_EQ(panel_->CurrentPopup(), nullptr);
  EXPECT_EQ(calc_->Parent(), panel_);
  During([&] { panel_->Close(); });
  EXPECT_TRUE(panel_->Popup(*anchor_));
}

TEST_F(RzPopupPanelTest, PanelFreedDuringItsPopupIsSafe) {
  During([&] {
    delete panel_;
    panel_ = nullptr;
  });
  TRzPopupPanel* panel = panel_;
  EXPECT_FALSE(panel->Popup(*anchor_));
  Application().ProcessMessages();
  EXPECT_EQ(form_->ControlCount(), 1);  // the anchor only; the calculator went with the panel
}

}  // namespace
}  // namespace kovra
