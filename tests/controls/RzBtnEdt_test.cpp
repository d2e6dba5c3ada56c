#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "controls/RzBtnEdt.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/WindowClass.h"
#include "support/Desktop.h"
#include "support/Input.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

using test::Pump;
using test::PumpUntil;
using test::SendKeys;

class ButtonEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ParkCursor();
    form_ = test::NewForm(60, 60, 360, 200);
    test::ShowInFront(*form_);
    edit_ = test::Place<TRzButtonEdit>(*form_, 10, 10, 200, 21);
    edit_->OnButtonClick = [this](TObject*) { ++mainClicks_; };
    edit_->OnAltBtnClick = [this](TObject*) { ++altClicks_; };
    Pump();
    Focus();
  }
  void Focus() {
    edit_->SetFocus();
    ASSERT_TRUE(
        PumpUntil([&] { return edit_->Focused() && GetForegroundWindow() == form_->Handle(); }));
  }
  // Sends a key that means nothing here and waits for its release: every key sent before it
  // has been handled.
  void Settle() {
    bool seen = false;
    edit_->OnKeyUp = [&](TObject*, WORD& key, TShiftState) { seen = seen || key == VK_F8; };
    SendKeys({VK_F8});
    ASSERT_TRUE(PumpUntil([&] { return seen; }));
    edit_->OnKeyUp = nullptr;
  }
  int RightMargin() { return HIWORD(SendMessageW(edit_->Handle(), EM_GETMARGINS, 0, 0)); }

  std::unique_ptr<TForm> form_;
  TRzButtonEdit* edit_ = nullptr;
  int mainClicks_ = 0, altClicks_ = 0;
};

// ---- shortcuts ----

TEST_F(ButtonEditTest, F4ClicksTheMainButtonAndTypesNothingButShiftF4DoesNot) {
  EXPECT_EQ(edit_->ButtonShortCut(), VK_F4);
  SendKeys({VK_F4});
  ASSERT_TRUE(PumpUntil([&] { return mainClicks_ == 1; }));
  SendKeys({VK_SHIFT, VK_F4});
  Settle();
  EXPECT_EQ(mainClicks_, 1);
  EXPECT_EQ(edit_->Text(), "");
}

TEST_F(ButtonEditTest, BothShortcutsWorkAndTheMainOneWinsATie) {
  edit_->SetAltBtnVisible(true);
  edit_->SetAltBtnShortCut(TRzButtonEdit::kCtrl | 'L');
  edit_->SetButtonShortCut('Q');  // a letter: its character must not be typed either
  SendKeys({VK_CONTROL, 'L'});
  ASSERT_TRUE(PumpUntil([&] { return altClicks_ == 1; }));
  SendKeys({'Q'});
  ASSERT_TRUE(PumpUntil([&] { return mainClicks_ == 1; }));
  edit_->SetAltBtnShortCut('Q');
  SendKeys({'Q'});
  ASSERT_TRUE(PumpUntil([&] { return mainClicks_ == 2; }));
  Settle();
  EXPECT_EQ(altClicks_, 1);
  EXPECT_EQ(edit_->Text(), "");
}

TEST_F(ButtonEditTest, AltShortcutArrivesAsASystemKeyAndStillClicks) {
  edit_->SetAltBtnVisible(true);
  edit_->SetAltBtnShortCut(TRzButtonEdit::kAlt | 'K');
  SendKeys({VK_MENU, 'K'});
  ASSERT_TRUE(PumpUntil([&] { return altClicks_ == 1; }));
  Settle();
  EXPECT_EQ(edit_->Text(), "");
  EXPECT_EQ(mainClicks_, 0);
}

TEST_F(ButtonEditTest, HiddenOrDisabledButtonLetsItsKeyThroughToTheText) {
  edit_->SetButtonShortCut('Q');
  edit_->SetButtonVisible(false);
  SendKeys({'Q'});
  edit_->SetButtonVisible(true);
  edit_->Button(TRzButtonEdit::kMainButton)->SetEnabled(false);
  SendKeys({'Q'});
  Settle();
  EXPECT_EQ(mainClicks_, 0);
  EXPECT_EQ(edit_->Text(), "qq");
}

TEST_F(ButtonEditTest, ShortcutTextOfOlderFormsIsRead) {
  edit_->ReadAltBtnShortCutText("nonsense");
  EXPECT_EQ(edit_->AltBtnShortCut(), 0);
  edit_->ReadButtonShortCutText("F9");
  EXPECT_EQ(edit_->ButtonShortCut(), VK_F9);
}

// ---- read-only and key editing ----

TEST_F(ButtonEditTest, ReadOnlyHidesTheButtonsAndTheirMarginUnlessToldToKeepThem) {
  const int pairWidth = edit_->ButtonPair()->Width();
  EXPECT_EQ(RightMargin(), pairWidth + 2);
  edit_->SetReadOnly(true);
  EXPECT_FALSE(edit_->ButtonPair()->Visible());
  EXPECT_EQ(RightMargin(), 0);
  SendKeys({VK_F4});
  Settle();
  edit_->SetHideButtonsOnReadOnly(false);
  EXPECT_TRUE(edit_->ButtonPair()->Visible());
  EXPECT_EQ(RightMargin(), pairWidth + 2);
  EXPECT_EQ(mainClicks_, 0);  // the first F4 found the button hidden
  SendKeys({VK_F4});
  ASSERT_TRUE(PumpUntil([&] { return mainClicks_ == 1; }));
}

TEST_F(ButtonEditTest, WithoutKeyEditingTypingDeletingAndPastingChangeNothing) {
  edit_->SetText("keep");
  edit_->SetAllowKeyEdit(false);
  edit_->SetBeepOnInvalidKey(false);
  edit_->SetSelStart(2);
  edit_->SetSelLength(0);
  SendKeys({'X'});
  SendKeys({VK_BACK});
  SendKeys({VK_DELETE});
  SendKeys({VK_F4});  // the buttons still work
  ASSERT_TRUE(PumpUntil([&] { return mainClicks_ == 1; }));
  EXPECT_EQ(edit_->Text(), "keep");

  if (OpenClipboard(form_->Handle())) {
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 8 * sizeof(wchar_t));
    wcscpy(static_cast<wchar_t*>(GlobalLock(mem)), L"pasted");
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
  }
  SendMessageW(edit_->Handle(), WM_PASTE, 0, 0);
  SendMessageW(edit_->Handle(), WM_CUT, 0, 0);
  EXPECT_EQ(edit_->Text(), "keep");
  edit_->SetAllowKeyEdit(true);
  SendMessageW(edit_->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(edit_->Text(), "kepastedep");
}

// ---- mouse and state ----

TEST_F(ButtonEditTest, ClickingAButtonFocusesTheEditAndFiresItsEvent) {
  auto* other = test::Place<TRzEdit>(*form_, 10, 60, 100, 21);
  other->SetFocus();
  Pump();
  edit_->SetAltBtnVisible(true);
  TRzButtonPair& pair = *edit_->ButtonPair();
  auto click = [&](TRzControlButton& b) {
    const LPARAM at = MAKELPARAM(b.Left() + 4, b.Top() + 4);
    PostMessageW(pair.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(pair.Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  };
  click(*edit_->Button(TRzButtonEdit::kMainButton));
  EXPECT_EQ(mainClicks_, 1);
  EXPECT_TRUE(edit_->Focused());
  click(*edit_->Button(TRzButtonEdit::kAltButton));
  EXPECT_EQ(altClicks_, 1);

  // A press that cannot take the focus to the edit is dropped.
  other->SetFocus();
  Pump();
  edit_->OnEnter = [&](TObject*) { other->SetFocus(); };
  click(*edit_->Button(TRzButtonEdit::kMainButton));
  EXPECT_EQ(mainClicks_, 1);

  edit_->OnEnter = nullptr;
  edit_->SetEnabled(false);
  EXPECT_FALSE(edit_->Button(TRzButtonEdit::kMainButton)->Enabled());
  click(*edit_->Button(TRzButtonEdit::kMainButton));
  EXPECT_EQ(mainClicks_, 1);
}

TEST_F(ButtonEditTest, ButtonsSitInsideTheRightEdgeAndTheTextStopsBeforeThem) {
  edit_->SetAltBtnVisible(true);
  edit_->SetAltBtnWidth(20);
  TRzButtonPair& pair = *edit_->ButtonPair();
  const int mainWidth = edit_->ButtonWidth();
  EXPECT_EQ(pair.Width(), mainWidth + 20);
  EXPECT_EQ(pair.Left(), 200 - pair.Width() - 4);
  EXPECT_EQ(pair.Height(), edit_->Height() - 3);
  EXPECT_EQ(edit_->Button(TRzButtonEdit::kMainButton)->Left(), 0);
  EXPECT_EQ(edit_->Button(TRzButtonEdit::kAltButton)->Left(), mainWidth);
  EXPECT_EQ(edit_->Button(TRzButtonEdit::kAltButton)->Height(), pair.Height() - 1);
  RECT text;
  SendMessageW(edit_->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  EXPECT_LE(text.right, pair.Left());
  EXPECT_LE(edit_->GetEditRect().right, pair.Left());

  edit_->SetButtonVisible(false);  // a lone alternate button moves to the left end
  EXPECT_EQ(edit_->Button(TRzButtonEdit::kAltButton)->Left(), 0);
  EXPECT_EQ(pair.Width(), 20);
  EXPECT_EQ(RightMargin(), 22);
}

TEST_F(ButtonEditTest, FontTallerThanTheEditGrowsIt) {
  edit_->SetAutoSize(false);
  edit_->SetHeight(12);
  EXPECT_GE(edit_->Height(), FontBoxHeight(edit_->Font()));
  TFont big;
  big.SetHeight(-28);
  edit_->SetFont(big);
  EXPECT_GE(edit_->Height(), FontBoxHeight(edit_->Font()));
  EXPECT_EQ(edit_->ButtonPair()->Height(), edit_->Height() - 3);
  EXPECT_EQ(RightMargin(), edit_->ButtonPair()->Width() + 2);  // the new font reset it
}

// ---- glyphs ----

int CountInk(const TBitmap& shot) {
  int ink = 0;
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x) ink += BitmapPixel(shot, x, y) == clBlack;
  return ink;
}

TEST_F(ButtonEditTest, KindGlyphsAreSharedTwoCellBitmapsAndCustomGlyphsSwitchTheKind) {
  for (int k = TRzButtonEdit::bkLookup; k <= TRzButtonEdit::bkSearch; ++k) {
    const TBitmap& g = TRzButtonEdit::KindGlyph(static_cast<TButtonKind>(k));
    ASSERT_EQ(g.Width(), 20) << k;
    ASSERT_EQ(g.Height(), 10) << k;
    EXPECT_EQ(&g, &TRzButtonEdit::KindGlyph(static_cast<TButtonKind>(k)));
    int left = 0, right = 0;
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) {
        left += BitmapPixel(g, x, y) != g.TransparentColor();
        right += BitmapPixel(g, x + 10, y) != g.TransparentColor();
      }
    EXPECT_GT(left, 5) << k;
    EXPECT_GT(right, 5) << k;
  }
  auto* main = edit_->Button(TRzButtonEdit::kMainButton);
  EXPECT_EQ(edit_->ButtonKind(), TRzButtonEdit::bkLookup);
  EXPECT_EQ(main->NumGlyphs(), 2);
  EXPECT_GT(CountInk(test::CaptureClient(*edit_->ButtonPair())), 5);  // the ellipsis
  edit_->SetEnabled(false);
  EXPECT_EQ(CountInk(test::CaptureClient(*edit_->ButtonPair())), 0);  // the embossed cell
  edit_->SetEnabled(true);

  TBitmap red(10, 10);
  red.Canvas().Brush().SetColor(clRed);
  red.Canvas().FillRect(RECT{0, 0, 10, 10});
  edit_->SetButtonGlyph(red);
  EXPECT_EQ(edit_->ButtonKind(), TRzButtonEdit::bkCustom);
  EXPECT_EQ(main->NumGlyphs(), 1);
  edit_->SetButtonKind(TRzButtonEdit::bkLookup);
  EXPECT_EQ(main->NumGlyphs(), 2);
  EXPECT_EQ(BitmapPixel(main->Glyph(), 2, 6),
            BitmapPixel(TRzButtonEdit::KindGlyph(TRzButtonEdit::bkLookup), 2, 6));
}

TEST_F(ButtonEditTest, AtTwiceTheResolutionTheHeightIsTheDesignsAndButtonsAndGlyphsDouble) {
  edit_->SetAutoSize(false);
  edit_->SetBounds(10, 10, 200, 20);
  TRzButtonPair& pair = *edit_->ButtonPair();
  const int buttonWidth = edit_->ButtonWidth();
  const int ink = CountInk(test::CaptureClient(pair));
  ASSERT_GT(ink, 0);
  form_->ScaleForPPI(192);
  // Neither the font nor the buttons' layout grows the edit beyond its scaled design.
  EXPECT_EQ(edit_->Height(), 40);
  EXPECT_EQ(edit_->Width(), 400);
  EXPECT_EQ(pair.Height(), 40 - 3);
  EXPECT_EQ(edit_->ButtonWidth(), 2 * buttonWidth);
  EXPECT_EQ(pair.Width(), 2 * buttonWidth);
  EXPECT_EQ(RightMargin(), pair.Width() + 2);
  EXPECT_EQ(CountInk(test::CaptureClient(pair)), 4 * ink);  // each pixel now two by two
  const RECT g = edit_->Button(TRzButtonEdit::kMainButton)->GlyphRect();
  EXPECT_EQ(g.right - g.left, 20);
  EXPECT_EQ(g.bottom - g.top, 20);
}

// Each kind's glyph is the program's bitmap resource of that name: 20 x 10, 8 bits per pixel.
TEST_F(ButtonEditTest, KindGlyphsAreTheProgramsEightBitResources) {
  const char* names[] = {"RZBTNEDT_LOOKUP", "RZBTNEDT_DROPDOWN", "RZBTNEDT_CALENDAR",
                         "RZBTNEDT_ACCEPT", "RZBTNEDT_REJECT",   "RZBTNEDT_FOLDER",
                         "RZBTNEDT_FIND",   "RZBTNEDT_SEARCH"};
  for (int k = TRzButtonEdit::bkLookup; k <= TRzButtonEdit::bkSearch; ++k) {
    const std::string name = names[k - TRzButtonEdit::bkLookup];
    SCOPED_TRACE(name);
    HRSRC found = FindResourceW(nullptr, Wide(name).c_str(), MAKEINTRESOURCEW(2));  // RT_BITMAP
    ASSERT_NE(found, nullptr);
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, 20);
    EXPECT_EQ(header->biHeight, 10);
    EXPECT_EQ(header->biBitCount, 8);
    TBitmap stored;
    stored.LoadFromResource(GetModuleHandleW(nullptr), name);
    const TBitmap& glyph = TRzButtonEdit::KindGlyph(static_cast<TButtonKind>(k));
    int differ = 0;
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 20; ++x) differ += BitmapPixel(glyph, x, y) != BitmapPixel(stored, x, y);
    EXPECT_EQ(differ, 0);
  }
}

TEST_F(ButtonEditTest, ThemedFlatButtonsRiseWhileTheEditIsFocused) {
  if (!ThemesActive()) GTEST_SKIP() << "no visual theme";
  edit_->SetFlatButtons(true);
  EXPECT_FALSE(edit_->Button(TRzButtonEdit::kMainButton)->Flat());
  ::SetFocus(form_->Handle());
  Pump();
  EXPECT_TRUE(edit_->Button(TRzButtonEdit::kMainButton)->Flat());
  EXPECT_EQ(edit_->Button(TRzButtonEdit::kAltButton)->Color(), edit_->Color());
}

TEST_F(ButtonEditTest, ClassicFlatButtonsTakeTheFlatColourWhileTheEditIsHot) {
  const DWORD saved = GetThemeAppProperties();
  SetThemeAppProperties(STAP_ALLOW_NONCLIENT);
  struct Restore {
    DWORD saved;
    ~Restore() { SetThemeAppProperties(saved); }
  } restore{saved};
  edit_->SetFlatButtons(true);
  edit_->SetFlatButtonColor(clYellow);
  EXPECT_TRUE(edit_->Button(TRzButtonEdit::kMainButton)->Flat());
  EXPECT_EQ(edit_->Button(TRzButtonEdit::kMainButton)->Color(), clYellow);
  ::SetFocus(form_->Handle());
  Pump();
  EXPECT_EQ(edit_->Button(TRzButtonEdit::kMainButton)->Color(), edit_->Color());
  edit_->SetColor(clAqua);  // the pair follows the edit's colour
  EXPECT_EQ(edit_->ButtonPair()->Color(), clAqua);
  EXPECT_EQ(edit_->Button(TRzButtonEdit::kAltButton)->Color(), clAqua);
}

}  // namespace
}  // namespace kovra
