#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "controls/RzNumEdit.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/Desktop.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

using namespace std::chrono_literals;
using test::During;
using test::PumpUntil;

class RzNumericEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ParkCursor();
    form_ = test::NewForm(80, 80, 360, 320);
    test::ShowInFront(*form_);
    edit_ = Add(20, 20);
    other_ = Add(20, 60);
    Application().ProcessMessages();
    watchdog_.Start();
  }

  TRzNumericEdit* Add(int left, int top) {
    return test::Place<TRzNumericEdit>(*form_, left, top, 120, 21);
  }
  void Focus(TWinControl& c) {
    c.SetFocus();
    Application().ProcessMessages();
  }
  void Type(TWinControl& c, std::wstring_view chars) {
    for (wchar_t ch : chars) PostMessageW(c.Handle(), WM_CHAR, ch, 1);
    Application().ProcessMessages();
  }
  bool TextBecomes(TRzNumericEdit& e, const std::string& text) {
    return PumpUntil([&] { return e.Text() == text; }, 3s);
  }

  std::unique_ptr<TForm> form_;
  TRzNumericEdit* edit_ = nullptr;
  TRzNumericEdit* other_ = nullptr;
  test::EscapeWatchdog watchdog_;
};

// ---- keys ----

TEST_F(RzNumericEditTest, IntegerEditTypesDigitsOnly) {
  Focus(*edit_);  // "0", all selected
  Type(*edit_, L"12.a3E");
  EXPECT_EQ(edit_->Text(), "123");
  Type(*edit_, L"\r");
  EXPECT_EQ(edit_->Text(), "123");
}

TEST_F(RzNumericEditTest, NothingGoesInFrontOfTheSign) {
  Focus(*edit_);
  edit_->SetText("-5");
  edit_->SetSelStart(0);
  edit_->SetSelLength(0);
  Type(*edit_, L"3+");
  EXPECT_EQ(edit_->Text(), "-5");
  edit_->SetSelStart(2);
  Type(*edit_, L"7");
  EXPECT_EQ(edit_->Text(), "-57");
}

TEST_F(RzNumericEditTest, DecimalEditTakesOneSeparatorAndTheKeypadTypesIt) {
  edit_->SetIntegersOnly(false);
  Focus(*edit_);
  Type(*edit_, L"1.5.");
  EXPECT_EQ(edit_->Text(), "1.5");
  edit_->SelectAll();
  edit_->SetText("2");
  edit_->SetSelStart(1);
  // A layout that makes ',' of the keypad's decimal key still types the separator.
  edit_->Perform(WM_KEYDOWN, VK_DECIMAL, 0);
  edit_->Perform(WM_CHAR, L',', 0);
  EXPECT_EQ(edit_->Text(), "2.");
}

// ---- focus and formatting ----

TEST_F(RzNumericEditTest, FocusExitFormatsAndEntryKeepsTheDisplayForm) {
  int changes = 0;
  edit_->OnChange = [&](TObject*) { ++changes; };
  Focus(*edit_);
  Type(*edit_, L"12345");
  Focus(*other_);
  EXPECT_EQ(edit_->Text(), "12,345");
  EXPECT_EQ(edit_->Value(), 12345);
  Focus(*edit_);
  EXPECT_EQ(edit_->Text(), "12,345");
  EXPECT_EQ(edit_->EntryValue(), 12345);
  EXPECT_GT(changes, 0);
  edit_->SetValue(-12345);
  EXPECT_EQ(edit_->Text(), "(12,345)");
  EXPECT_EQ(edit_->Value(), -12345);
}

TEST_F(RzNumericEditTest, LeavingOutOfRangeClampsToTheBound) {
  edit_->SetMin(1);
  edit_->SetMax(10);
  Focus(*edit_);
  edit_->SetText("15");
  Focus(*other_);
  EXPECT_EQ(edit_->Text(), "10");
  EXPECT_EQ(edit_->EntryValue(), 10);
  Focus(*edit_);
  edit_->SetText("-3");
  Focus(*other_);
  EXPECT_EQ(edit_->Text(), "1");
}

TEST_F(RzNumericEditTest, RefusedCorrectionKeepsTextAndFocus) {
  edit_->SetMin(1);
  edit_->SetMax(10);
  long double entered = 0, adjusted = 0;
  edit_->OnRangeError = [&](TObject*, long double e, long double a, bool& autoCorrect) {
    entered = e;
    adjusted = a;
    autoCorrect = false;
  };
  Focus(*edit_);
  edit_->SetText("15");
  Focus(*other_);
  EXPECT_TRUE(PumpUntil([&] { return edit_->Focused(); }, 3s));
  EXPECT_EQ(edit_->Text(), "15");
  EXPECT_EQ(entered, 15);
  EXPECT_EQ(adjusted, 10);
}

TEST_F(RzNumericEditTest, TwoRefusingEditsDoNotPassTheFocusBackAndForth) {
  int calls = 0;
  for (TRzNumericEdit* e : {edit_, other_}) {
    e->SetMin(1);
    e->SetMax(10);
    e->SetText("50");
    e->OnRangeError = [&](TObject*, long double, long double, bool& autoCorrect) {
      ++calls;
      autoCorrect = false;
    };
  }
  Focus(*edit_);
  Focus(*other_);
  EXPECT_TRUE(PumpUntil([&] { return edit_->Focused(); }, 3s));
  PumpUntil([] { return false; }, 300ms);  // give a ping-pong time to show
  EXPECT_TRUE(edit_->Focused());
  EXPECT_EQ(calls, 1);
}

TEST_F(RzNumericEditTest, HandlerFailureOnExitResetsToMin) {
  edit_->SetMin(2);
  edit_->SetMax(10);
  edit_->OnRangeError = [](TObject*, long double, long double, bool&) {
    throw std::runtime_error("refused");
  };
  Focus(*edit_);
  edit_->SetText("99");
  Focus(*other_);
  EXPECT_EQ(edit_->Text(), "2");
  EXPECT_EQ(edit_->Value(), 2);
}

TEST_F(RzNumericEditTest, EqualBoundsCheckOnlyWithCheckRange) {
  Focus(*edit_);
  edit_->SetText("5");
  Focus(*other_);
  EXPECT_EQ(edit_->Text(), "5");
  edit_->SetCheckRange(true);
  Focus(*edit_);
  Focus(*other_);
  EXPECT_EQ(edit_->Text(), "0");
}

TEST_F(RzNumericEditTest, BlankTextWithAndWithoutAllowBlank) {
  edit_->SetAllowBlank(true);
  edit_->SetBlankValue(7);
  Focus(*edit_);
  edit_->SetText("");
  Focus(*other_);
  EXPECT_EQ(edit_->Text(), "");
  EXPECT_EQ(edit_->Value(), 7);

  other_->SetMin(3);
  other_->SetMax(9);
  other_->SetText("");
  EXPECT_EQ(other_->Value(), 3);
  EXPECT_EQ(other_->Text(), "3");
}

// ---- properties ----

TEST_F(RzNumericEditTest, IntegerValueRoundsHalvesToEven) {
  edit_->SetIntegersOnly(false);
  edit_->SetDisplayFormat("0.0");
  edit_->SetValue(2.5L);
  EXPECT_EQ(edit_->IntegerValue(), 2);
  edit_->SetValue(3.5L);
  EXPECT_EQ(edit_->IntegerValue(), 4);
  edit_->SetIntegerValue(-7);
  EXPECT_EQ(edit_->Text(), "-7.0");
}

TEST_F(RzNumericEditTest, TurningIntegersOnlyOnDropsTheFraction) {
  edit_->SetIntegersOnly(false);
  edit_->SetDisplayFormat("0.00;-,0.00");
  edit_->SetValue(2.5L);
  EXPECT_EQ(edit_->Text(), "2.50");
  edit_->SetIntegersOnly(true);
  EXPECT_EQ(edit_->Value(), 2);
  EXPECT_EQ(edit_->Text(), "2.00");
}

TEST_F(RzNumericEditTest, DisplayFormatRewritesTheText) {
  edit_->SetIntegersOnly(false);
  edit_->SetValue(1234.5L);
  EXPECT_EQ(edit_->Text(), "1,235");
  // The text is the value: what the old format rounded away stays away.
  edit_->SetDisplayFormat("0.00;-,0.00");
  EXPECT_EQ(edit_->Text(), "1235.00");
  edit_->SetValue(1234.5L);
  EXPECT_EQ(edit_->Text(), "1234.50");
  edit_->SetValue(-1234.5L);
  EXPECT_EQ(edit_->Text(), "-1,234.50");
  EXPECT_EQ(edit_->Value(), -1234.5L);
}

TEST_F(RzNumericEditTest, MinNeverExceedsMax) {
  edit_->SetMax(5);
  edit_->SetMin(8);
  EXPECT_EQ(edit_->Max(), 8);
  edit_->SetMax(2);
  EXPECT_EQ(edit_->Min(), 2);
}

TEST(RzNumericEditLoading, TextRebuiltAfterLoadingWithoutChangeEvents) {
  Application().Initialize();
  TForm form;
  form.HandleNeeded();  // the edit gets its window at once and reports every change
  form.BeginLoading();
  auto* edit = new TRzNumericEdit(&form);
  edit->SetParent(&form);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->SetText("12345");
  form.EndLoading();
  EXPECT_EQ(edit->Text(), "12,345");
  EXPECT_EQ(changes, 0);
  edit->SetText("5");
  EXPECT_EQ(changes, 1);
}

// ---- calculator ----

class RzNumericEditCalculatorTest : public RzNumericEditTest {
 protected:
  void SetUp() override {
    RzNumericEditTest::SetUp();
    edit_->SetCalculatorVisible(true);
    edit_->SetValue(12);
    Focus(*edit_);
  }
  TRzCalculator* Calculator() const {
    TRzPopupPanel* panel = edit_->CalculatorPanel();
    if (!panel || !panel->CurrentPopup()) return nullptr;
    return dynamic_cast<TRzCalculator*>(panel->CurrentPopup()->FocusTarget());
  }
  void DropDown() { PostMessageW(edit_->Handle(), WM_KEYDOWN, VK_F4, 1); }
};

TEST_F(RzNumericEditCalculatorTest, DropsDownRightAlignedAndEnterTakesTheResult) {
  RECT popup{};
  std::string shown;
  During([&] {
    if (TRzCalculator* calc = Calculator()) {
      GetWindowRect(edit_->CalculatorPanel()->CurrentPopup()->WindowHandle(), &popup);
      shown = calc->DisplayText();
    }
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_MULTIPLY, 1);
    PostMessageW(GetFocus(), WM_KEYDOWN, '2', 1);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
  });
  DropDown();
  ASSERT_TRUE(TextBecomes(*edit_, "24"));
  EXPECT_EQ(shown, "12.");
  RECT e;
  GetWindowRect(edit_->Handle(), &e);
  EXPECT_EQ(popup.top, e.bottom);
  EXPECT_EQ(popup.right, e.right);
  EXPECT_TRUE(PumpUntil([&] { return edit_->Focused(); }, 3s));
  EXPECT_EQ(edit_->CalculatorPanel(), nullptr);
}

TEST_F(RzNumericEditCalculatorTest, SetButtonClickReturnsTheValue) {
  During([&] {
    TRzCalculator* calc = Calculator();
    if (!calc) return;
    for (int index : {TRzCalculator::kAdd, 3, TRzCalculator::kSet}) {
      const RECT r = calc->ButtonRect(index);
      const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
      PostMessageW(calc->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
      PostMessageW(calc->Handle(), WM_LBUTTONUP, 0, at);
    }
  });
  DropDown();
  EXPECT_TRUE(TextBecomes(*edit_, "15"));
}

TEST_F(RzNumericEditCalculatorTest, RealClickOnTheDropButtonOpensIt) {
  During([&] {
    if (Calculator()) PostMessageW(GetFocus(), WM_KEYDOWN, '5', 1);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
  });
  RECT w;
  GetWindowRect(edit_->Handle(), &w);
  const RECT button = edit_->DropButtonRect();
  SetCursorPos(w.left + (button.left + button.right) / 2, w.top + (button.top + button.bottom) / 2);
  test::ClickHere();
  EXPECT_TRUE(TextBecomes(*edit_, "5"));
  test::ParkCursor();
}

TEST_F(RzNumericEditCalculatorTest, EscapeAndOutsideClickLeaveTheValue) {
  bool opened = false;
  During([&] {
    opened = Calculator() != nullptr;
    PostMessageW(GetFocus(), WM_KEYDOWN, '9', 1);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
  });
  DropDown();
  ASSERT_TRUE(PumpUntil([&] { return opened && !edit_->CalculatorPanel(); }, 3s));
  EXPECT_EQ(edit_->Text(), "12");

  opened = false;
  During([&] {
    opened = Calculator() != nullptr;
    PostMessageW(GetFocus(), WM_KEYDOWN, '9', 1);
    PostMessageW(form_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 250));
  });
  DropDown();
  ASSERT_TRUE(PumpUntil([&] { return opened && !edit_->CalculatorPanel(); }, 3s));
  EXPECT_EQ(edit_->Text(), "12");
}

TEST_F(RzNumericEditCalculatorTest, ReadOnlyEditOpensNothing) {
  int drops = 0;
  edit_->OnDropDown = [&](TObject*) { ++drops; };
  edit_->SetReadOnly(true);
  DropDown();
  Application().ProcessMessages();
  EXPECT_EQ(drops, 0);
  EXPECT_FALSE(edit_->DropButtonVisible());
}

// The calculator as it stands on the screen under the edit; KOVRA_POPUP_SHOT names a .bmp file
// to keep the picture in.
TEST_F(RzNumericEditCalculatorTest, CalculatorOnTheScreenUnderTheEdit) {
  TBitmap shot(1, 1);
  RECT area{};
  RECT display{};
  During([&] {
    TRzCalculator* calc = Calculator();
    if (!calc) return;
    RECT popup;
    GetWindowRect(edit_->CalculatorPanel()->CurrentPopup()->WindowHandle(), &popup);
    GetWindowRect(form_->Handle(), &area);
    UnionRect(&area, &area, &popup);
    display = calc->ButtonRect(TRzCalculator::kDisplay);
    MapWindowPoints(calc->Handle(), nullptr, reinterpret_cast<POINT*>(&display), 2);
    const UINT redraw = RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN;
    RedrawWindow(form_->Handle(), nullptr, nullptr, redraw);
    RedrawWindow(edit_->CalculatorPanel()->CurrentPopup()->WindowHandle(), nullptr, nullptr,
                 redraw);
    shot = TBitmap(area.right - area.left, area.bottom - area.top);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen, area.left, area.top,
           SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
  });
  DropDown();
  ASSERT_TRUE(PumpUntil([&] { return !IsRectEmpty(&display) && !edit_->CalculatorPanel(); }, 3s));
  if (const char* path = std::getenv("KOVRA_POPUP_SHOT")) shot.SaveToFile(path);
  // The display's inside, left of its right-aligned text, shows the display colour.
  EXPECT_EQ(BitmapPixel(shot, display.left + 4 - area.left, display.top + 4 - area.top),
            ColorToRGB(clWindow));
}

}  // namespace
}  // namespace kovra
