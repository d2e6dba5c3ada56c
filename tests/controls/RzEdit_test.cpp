#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "controls/RzButton.h"
#include "controls/RzEdit.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/Desktop.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

using test::PumpUntil;

// The whole window, non-client frame included, as it stands on the screen.
TBitmap CaptureWindow(TWinControl& control) {
  HWND wnd = control.Handle();
  RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  RECT r;
  GetWindowRect(wnd, &r);
  TBitmap bitmap(r.right - r.left, r.bottom - r.top);
  HDC dc = GetWindowDC(wnd);
  BitBlt(bitmap.Canvas().Handle(), 0, 0, bitmap.Width(), bitmap.Height(), dc, 0, 0, SRCCOPY);
  ReleaseDC(wnd, dc);
  GdiFlush();
  return bitmap;
}

class RzEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ParkCursor();  // hot tracking follows the real mouse too
    form_ = test::NewForm(80, 80, 320, 160);
    test::ShowInFront(*form_);
    first_ = Add(10, 10);
    second_ = Add(10, 50);
    Application().ProcessMessages();
  }
  TRzEdit* Add(int left, int top) { return test::Place<TRzEdit>(*form_, left, top, 150, 21); }
  void Focus(TWinControl& c) {
    c.SetFocus();
    Application().ProcessMessages();
  }

  std::unique_ptr<TForm> form_;
  TRzEdit* first_ = nullptr;
  TRzEdit* second_ = nullptr;
};

// ---- colour by state ----

TEST_F(RzEditTest, ReadOnlyEditUsesItsColourAtRestAndTheFocusColourWhenFocused) {
  first_->SetReadOnly(true);
  EXPECT_EQ(first_->Color(), clInfoBk);
  Focus(*first_);
  EXPECT_EQ(first_->Color(), clWindow);
  first_->SetReadOnlyColorOnFocus(true);
  EXPECT_EQ(first_->Color(), clInfoBk);
  Focus(*second_);
  EXPECT_EQ(first_->Color(), clInfoBk);
  first_->SetReadOnly(false);
  EXPECT_EQ(first_->Color(), clWindow);
}

TEST_F(RzEditTest, DisabledEditShowsDisabledColourWhateverElseHolds) {
  first_->SetReadOnly(true);
  first_->SetEnabled(false);
  EXPECT_EQ(first_->Color(), clBtnFace);
  first_->SetDisabledColor(clGray);
  EXPECT_EQ(first_->Color(), clGray);
  first_->SetEnabled(true);
  EXPECT_EQ(first_->Color(), clInfoBk);
}

TEST_F(RzEditTest, ChosenColourCarriesTheUnchosenFocusColourAlong) {
  // The bar's stock box: one colour for read-only, focused or not.
  first_->SetColor(clInactiveCaptionText);
  first_->SetReadOnlyColor(clInactiveCaptionText);
  first_->SetReadOnly(true);
  EXPECT_EQ(first_->FocusColor(), clInactiveCaptionText);
  EXPECT_EQ(first_->Color(), clInactiveCaptionText);
  Focus(*first_);
  EXPECT_EQ(first_->Color(), clInactiveCaptionText);

  second_->SetFocusColor(clYellow);
  second_->SetColor(clAqua);
  EXPECT_EQ(second_->FocusColor(), clYellow);
  Focus(*second_);
  EXPECT_EQ(second_->Color(), clYellow);
  Focus(*first_);
  EXPECT_EQ(second_->Color(), clAqua);
}

TEST_F(RzEditTest, TheSystemEditPaintsWithTheStateColour) {
  first_->SetReadOnly(true);
  first_->SetReadOnlyColor(RGBColor(10, 200, 30));
  first_->Invalidate();
  Application().ProcessMessages();
  TBitmap shot = CaptureWindow(*first_);
  EXPECT_EQ(BitmapPixel(shot, shot.Width() / 2, shot.Height() / 2), RGBColor(10, 200, 30));
}

// ---- keys ----

TEST_F(RzEditTest, TabOnEnterMovesFocusAndInsertsNothing) {
  first_->SetTabOnEnter(true);
  Focus(*first_);
  PostMessageW(first_->Handle(), WM_CHAR, L'\r', 1);
  EXPECT_TRUE(PumpUntil([&] { return second_->Focused(); }));
  EXPECT_EQ(first_->Text(), "");
}

TEST_F(RzEditTest, EnterWithoutTabOnEnterStaysPut) {
  Focus(*first_);
  PostMessageW(first_->Handle(), WM_CHAR, L'\r', 1);
  Application().ProcessMessages();
  EXPECT_TRUE(first_->Focused());
}

// ---- frame ----

TEST_F(RzEditTest, FrameHotTrackTurnsTheFrameOnOnAllSides) {
  first_->SetFrameSides(TSides{sdBottom});
  first_->SetFrameHotTrack(true);
  EXPECT_TRUE(first_->FrameVisible());
  EXPECT_EQ(first_->FrameSides(), kAllSides);
}

TEST_F(RzEditTest, CustomFrameAtRestAndHot) {
  first_->SetFramingPreference(fpCustomFraming);
  first_->SetFrameColor(clRed);
  first_->SetFrameHotColor(clBlue);
  first_->SetFrameVisible(true);
  Application().ProcessMessages();
  TBitmap rest = CaptureWindow(*first_);
  const int h = rest.Height(), w = rest.Width();
  // fsFlat: one line in the frame colour, then the edit's own colour where the border was.
  EXPECT_EQ(BitmapPixel(rest, 0, h / 2), clRed);
  EXPECT_EQ(BitmapPixel(rest, w / 2, 0), clRed);
  EXPECT_EQ(BitmapPixel(rest, w - 1, h / 2), clRed);
  EXPECT_EQ(BitmapPixel(rest, 1, h / 2), ColorToRGB(clWindow));

  first_->SetFrameHotTrack(true);
  Focus(*first_);
  TBitmap hot = CaptureWindow(*first_);
  // fsFlatBold in the hot colour: two lines.
  EXPECT_EQ(BitmapPixel(hot, 0, h / 2), clBlue);
  EXPECT_EQ(BitmapPixel(hot, 1, h / 2), clBlue);
  EXPECT_EQ(BitmapPixel(hot, w / 2, 1), clBlue);
  Focus(*second_);
  TBitmap cold = CaptureWindow(*first_);
  EXPECT_EQ(BitmapPixel(cold, 0, h / 2), clRed);
  EXPECT_EQ(BitmapPixel(cold, 1, h / 2), ColorToRGB(clWindow));
  // The mouse over the edit makes it hot as the focus does.
  first_->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(first_)));
  EXPECT_TRUE(first_->OverControl());
  EXPECT_EQ(BitmapPixel(CaptureWindow(*first_), 1, h / 2), clBlue);
  first_->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(first_)));
  EXPECT_EQ(BitmapPixel(CaptureWindow(*first_), 1, h / 2), ColorToRGB(clWindow));
}

TEST_F(RzEditTest, ThemedFramingHidesTheCustomFrame) {
  if (!ThemesActive()) GTEST_SKIP() << "no visual theme";
  first_->SetFrameColor(clRed);
  first_->SetFrameVisible(true);
  EXPECT_TRUE(first_->ThemedFraming());
  Application().ProcessMessages();
  TBitmap shot = CaptureWindow(*first_);
  EXPECT_NE(BitmapPixel(shot, 0, shot.Height() / 2), clRed);
}

// ---- cue text ----

// Grey pixels inside the border, where text goes: the hint in grey text (smoothed or not),
// neither the white ground nor the black caret.
int HintPixels(const TBitmap& b) {
  int n = 0;
  for (int y = 3; y < b.Height() - 3; ++y)
    for (int x = 3; x < b.Width() - 3; ++x) {
      const TColor c = BitmapPixel(b, x, y);
      n += RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c) && RedOf(c) > 40 && RedOf(c) < 235;
    }
  return n;
}

TEST_F(RzEditTest, TextHintShowsOnlyWhileTheEditIsEmptyAndUnfocused) {
  if (!ThemesActive()) GTEST_SKIP() << "cue text needs visual themes";
  Focus(*second_);
  first_->SetTextHint("Code");
  Application().ProcessMessages();
  EXPECT_GT(HintPixels(CaptureWindow(*first_)), 5);
  Focus(*first_);
  EXPECT_EQ(HintPixels(CaptureWindow(*first_)), 0);
  first_->SetTextHintVisibleOnFocus(true);
  Application().ProcessMessages();
  EXPECT_GT(HintPixels(CaptureWindow(*first_)), 5);
  // With text in the box the hint leaves no trace: the same pixels as without one.
  first_->SetText("6");
  Application().ProcessMessages();
  const TBitmap withHint = CaptureWindow(*first_);
  first_->SetTextHint("");
  Application().ProcessMessages();
  const TBitmap without = CaptureWindow(*first_);
  EXPECT_EQ(HintPixels(withHint), HintPixels(without));
}

// ---- drop button ----

class DropEdit : public TRzEdit {
 public:
  using TRzEdit::TRzEdit;
  void Request(bool v) { SetDropButtonRequested(v); }
  int drops = 0;
  bool stateDownWhileOpen = false;

 protected:
  void DoDropDown() override {
    ++drops;
    stateDownWhileOpen = DropButtonState() == dbsDown && DroppedDown();
    TRzEdit::DoDropDown();
  }
};

TEST_F(RzEditTest, DropButtonNarrowsTheTextAndOpensFromMouseAndKeys) {
  auto* e = new DropEdit(form_.get());
  e->SetParent(form_.get());
  e->SetBounds(10, 90, 150, 21);
  const int plain = e->ClientWidth();
  e->Request(true);
  Application().ProcessMessages();
  EXPECT_TRUE(e->DropButtonVisible());
  EXPECT_LT(e->ClientWidth(), plain - 10);

  const RECT button = e->DropButtonRect();
  RECT w;
  GetWindowRect(e->Handle(), &w);
  const POINT p{w.left + (button.left + button.right) / 2,
                w.top + (button.top + button.bottom) / 2};
  EXPECT_EQ(SendMessageW(e->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), HTCLIENT);
  POINT client = p;
  ScreenToClient(e->Handle(), &client);
  PostMessageW(e->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
  PostMessageW(e->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
  Application().ProcessMessages();
  EXPECT_EQ(e->drops, 1);
  EXPECT_TRUE(e->stateDownWhileOpen);
  EXPECT_TRUE(e->Focused());
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(e->DropButtonState(), dbsUp);
  EXPECT_NE(GetCapture(), e->Handle());

  PostMessageW(e->Handle(), WM_KEYDOWN, VK_F4, 1);
  Application().ProcessMessages();
  EXPECT_EQ(e->drops, 2);

  e->SetReadOnly(true);  // read-only hides the button, and gives it back after
  Application().ProcessMessages();
  EXPECT_FALSE(e->DropButtonVisible());
  e->SetReadOnly(false);
  Application().ProcessMessages();
  EXPECT_TRUE(e->DropButtonVisible());
}

// The mouse finds the button where it is painted: up to the window's edge without a border,
// inside the border with one.
TEST_F(RzEditTest, TheDropButtonTakesPressesExactlyWhereItIsPainted) {
  for (const TBorderStyle style : {bsNoBorder, bsSingleBorder}) {
    SCOPED_TRACE(style == bsNoBorder ? "no border" : "single border");
    auto* e = new DropEdit(form_.get());
    e->SetParent(form_.get());
    e->SetBorderStyle(style);
    e->SetBounds(10, 120, 150, 21);
    e->Request(true);
    Application().ProcessMessages();
    RECT w;
    GetWindowRect(e->Handle(), &w);
    const int inset = style == bsNoBorder ? 0 : ThemesActive() ? 1 : 2;
    const int cx = GetSystemMetrics(SM_CXVSCROLL);
    const int width = w.right - w.left, height = w.bottom - w.top;
    const RECT button = e->DropButtonRect();
    EXPECT_EQ(button.left, width - inset - cx);
    EXPECT_EQ(button.top, inset);
    EXPECT_EQ(button.right, width - inset);
    EXPECT_EQ(button.bottom, height - inset);
    // A press at window point `x` on the middle row; whether it opened the drop-down.
    auto drops = [&](int x) {
      const int before = e->drops;
      const POINT screen{w.left + x, w.top + height / 2};
      SendMessageW(e->Handle(), WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
      POINT client = screen;
      ScreenToClient(e->Handle(), &client);
      PostMessageW(e->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
      PostMessageW(e->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
      Application().ProcessMessages();
      return e->drops > before;
    };
    EXPECT_TRUE(drops(width - inset - 1));
    EXPECT_TRUE(drops(width - inset - cx));
    if (inset > 0) {
      EXPECT_FALSE(drops(width - 1));  // the border itself
    }
    delete e;
  }
}

TEST_F(RzEditTest, FrameControllerPushesOnlyAcceptedSettings) {
  TRzFrameController controller;
  first_->SetFrameControllerNotifications(TRzFrameControllerNotifications::All().Without(fcpColor));
  first_->SetColor(clAqua);
  first_->SetFrameController(&controller);
  second_->SetFrameController(&controller);
  controller.SetColor(clYellow);
  controller.SetFrameStyle(fsLowered);
  EXPECT_EQ(first_->Color(), clAqua);
  EXPECT_EQ(second_->Color(), clYellow);
  EXPECT_EQ(first_->FrameStyle(), fsLowered);
  delete second_;
  EXPECT_EQ(controller.ControlCount(), 1u);
  first_->SetFrameController(nullptr);
  EXPECT_EQ(controller.ControlCount(), 0u);
}

}  // namespace
}  // namespace kovra
