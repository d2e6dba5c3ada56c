// The colour picker on real windows: selection by colour, mouse, drag and keys with the change
// event, swatch and selection pixels, the colour-name tooltip, the colour dialog and the custom
// colours it keeps.
#include "controls/RzColorPicker.h"

#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/Desktop.h"
#include "support/Pump.h"
#include "support/TestForm.h"
#include "support/UiLanguage.h"

namespace kovra {
namespace {

using test::Pump;
using test::PumpUntil;

TColor Rgb(TColor c) {
  return ColorToRGB(c);
}

TBitmap Capture(TWinControl& control) {
  TBitmap bitmap(control.Width(), control.Height());
  SendMessageW(control.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bitmap.Canvas().Handle()),
               PRF_CLIENT);
  GdiFlush();
  return bitmap;
}

POINT Center(const RECT& r) {
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A picker whose colour dialog is a script, so the paths through it run without a modal window.
class ScriptedPicker : public TRzColorPicker {
 public:
  using TRzColorPicker::TRzColorPicker;
  std::function<bool(TRzColorDialog&)> script;
  int dialogs = 0;

 protected:
  bool RunColorDialog(TRzColorDialog& dialog) override {
    ++dialogs;
    return script ? script(dialog) : false;
  }
};

class ColorPickerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ParkCursor();
    form_ = test::NewForm(60, 60, 320, 300);
    form_->SetBorderStyle(bsNone);
    test::ShowInFront(*form_);
    Pump();
  }
  template <class T = TRzColorPicker>
  T* Add(const TRzColorPickerOptions& options = {}) {
    auto* p = new T(form_.get());
    p->SetParent(form_.get());
    p->SetLeft(10);
    p->SetTop(10);
    p->SetShowNoColor(options.showNoColor);
    p->SetShowDefaultColor(options.showDefaultColor);
    p->SetShowCustomColor(options.showCustomColor);
    p->SetShowSystemColors(options.showSystemColors);
    p->OnChange = [this, p](TObject* sender) {
      EXPECT_EQ(sender, p);
      ++changes_;
    };
    Pump();
    return p;
  }
  static void Mouse(TWinControl& c, UINT msg, WPARAM keys, POINT p) {
    PostMessageW(c.Handle(), msg, keys, MAKELPARAM(p.x, p.y));
    Pump();
  }
  static void Click(TWinControl& c, POINT p) {
    Mouse(c, WM_LBUTTONDOWN, MK_LBUTTON, p);
    Mouse(c, WM_LBUTTONUP, 0, p);
  }
  static void Key(TWinControl& c, WPARAM key) {
    PostMessageW(c.Handle(), WM_KEYDOWN, key, 1);
    Pump();
  }

  std::unique_ptr<TForm> form_;
  int changes_ = 0;
};

constexpr TRzColorPickerOptions kAll{true, true, true, true};

// ---- selecting by colour ----

TEST_F(ColorPickerTest, StartsWithNoColourAtItsNaturalSize) {
  auto* p = Add();
  EXPECT_EQ(p->SelectedColor(), clNone);
  EXPECT_EQ(p->SelectedIndex(), kPickerNoColor);
  const RECT first = p->ItemRect(0);
  EXPECT_EQ(first.right - first.left, 18);
  EXPECT_EQ(first.bottom - first.top, 18);
  EXPECT_EQ(p->Width(), 144 + 2 * first.left);
  EXPECT_EQ(p->Height(), 90 + 2 * first.top);
  EXPECT_EQ(SendMessageW(p->Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(ColorPickerTest, WrittenColoursSelectTheirEntryAndFireOnlyOnChange) {
  auto* p = Add();
  p->SetSelectedColor(0x0000FF);
  EXPECT_EQ(p->SelectedIndex(), 16);
  EXPECT_EQ(p->SelectedColor(), 0x0000FF);
  EXPECT_EQ(changes_, 1);
  p->SetSelectedColor(0x0000FF);
  EXPECT_EQ(changes_, 1);

  // Off the palette: the custom swatch, and every write fires, even of the same colour.
  p->SetSelectedColor(0x123456);
  EXPECT_EQ(p->SelectedIndex(), kPickerCustomSwatch);
  EXPECT_EQ(p->CustomColor(), 0x123456);
  p->SetSelectedColor(0x654321);
  p->SetSelectedColor(0x654321);
  EXPECT_EQ(changes_, 4);
  EXPECT_EQ(p->SelectedColor(), 0x654321);

  p->SetSelectedColor(clNone);
  EXPECT_EQ(p->SelectedIndex(), kPickerNoColor);
  EXPECT_EQ(changes_, 5);
}

TEST_F(ColorPickerTest, SystemAndDefaultColoursSelectTheirRowsOnlyWhenShown) {
  auto* p = Add();
  p->SetSelectedColor(clBtnFace);
  const int index = p->SelectedIndex();
  EXPECT_TRUE((index >= 0 && index < kPickerStandardCount) || index == kPickerCustomSwatch);
  EXPECT_EQ(Rgb(p->SelectedColor()), Rgb(clBtnFace));
  p->SetShowSystemColors(true);
  p->SetSelectedColor(clBtnFace);
  EXPECT_EQ(p->SelectedIndex(), 55);
  EXPECT_EQ(p->SelectedColor(), clBtnFace);

  p->SetShowDefaultColor(true);
  p->SetSelectedColor(Rgb(clHighlight));
  EXPECT_EQ(p->SelectedIndex(), kPickerDefaultColor);
  EXPECT_EQ(p->SelectedColor(), clHighlight);
}

// ---- mouse ----

TEST_F(ColorPickerTest, ClickSelectsTakesFocusAndRepeatsFireNothing) {
  auto* p = Add(kAll);
  form_->SetFocus();
  Click(*p, Center(p->ItemRect(16)));
  EXPECT_TRUE(p->Focused());
  EXPECT_EQ(p->SelectedColor(), 0x0000FF);
  EXPECT_EQ(changes_, 1);
  Click(*p, Center(p->ItemRect(16)));
  EXPECT_EQ(changes_, 1);

  // The separator, the empty cells and the frame choose nothing.
  const TRzColorPickerLayout l = p->PickerLayout();
  Click(*p, POINT{20, l.separator.top + 2});
  Click(*p, POINT{l.client.right - 2, l.separator.bottom + 3 * l.cellHeight + 2});
  Click(*p, POINT{0, 0});
  EXPECT_EQ(changes_, 1);
  EXPECT_EQ(p->SelectedIndex(), 16);

  Click(*p, Center(p->ItemRect(kPickerNoColor)));
  EXPECT_EQ(p->SelectedColor(), clNone);
  Click(*p, Center(p->ItemRect(kPickerDefaultColor)));
  EXPECT_EQ(p->SelectedColor(), clHighlight);
  Click(*p, Center(p->ItemRect(55)));
  EXPECT_EQ(p->SelectedColor(), clBtnFace);
  EXPECT_EQ(changes_, 4);
  Click(*p, Center(p->ItemRect(kPickerCustomSwatch)));
  Click(*p, Center(p->ItemRect(kPickerCustomSwatch)));
  EXPECT_EQ(p->SelectedColor(), clWhite);
  EXPECT_EQ(changes_, 6);
}

TEST_F(ColorPickerTest, DragAcrossTheSeparatorReadsNoColourThenTheNextSwatch) {
  auto* p = Add(TRzColorPickerOptions{false, false, false, true});
  const TRzColorPickerLayout l = p->PickerLayout();
  const POINT start = Center(p->ItemRect(34));
  Mouse(*p, WM_LBUTTONDOWN, MK_LBUTTON, start);
  EXPECT_EQ(p->SelectedIndex(), 34);
  Mouse(*p, WM_MOUSEMOVE, MK_LBUTTON, POINT{start.x, l.separator.top + 4});
  EXPECT_EQ(p->SelectedColor(), clNone);
  EXPECT_EQ(changes_, 2);
  Mouse(*p, WM_MOUSEMOVE, MK_LBUTTON, POINT{start.x, l.separator.top + 5});  // still nothing
  EXPECT_EQ(changes_, 2);
  Mouse(*p, WM_MOUSEMOVE, MK_LBUTTON, Center(p->ItemRect(42)));
  EXPECT_EQ(p->SelectedIndex(), 42);
  EXPECT_EQ(changes_, 3);
  // Off the control the drag keeps what it reached.
  Mouse(*p, WM_MOUSEMOVE, MK_LBUTTON, POINT{p->Width() + 30, 5});
  Mouse(*p, WM_LBUTTONUP, 0, POINT{p->Width() + 30, 5});
  EXPECT_EQ(p->SelectedIndex(), 42);
  EXPECT_EQ(changes_, 3);
  EXPECT_FALSE(p->MouseCapture());
}

TEST_F(ColorPickerTest, RealMouseInputClicksAndDrags) {
  auto* p = Add();
  auto screen = [&](int index) { return p->ClientToScreen(Center(p->ItemRect(index))); };
  auto input = [](POINT at, DWORD flags) {
    SetCursorPos(at.x, at.y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
  };
  input(screen(9), MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return p->SelectedIndex() == 9; }));
  POINT mid = screen(10);
  SetCursorPos(mid.x, mid.y);
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &move, sizeof move);
  ASSERT_TRUE(PumpUntil([&] { return p->SelectedIndex() == 10; }));
  input(screen(10), MOUSEEVENTF_LEFTUP);
  PumpUntil([&] { return !p->MouseCapture(); });
  EXPECT_EQ(changes_, 2);
  EXPECT_EQ(p->SelectedColor(), ColorPickerPalette()[10].color);
}

TEST_F(ColorPickerTest, HoverMarksTheHotItemUntilTheMouseLeaves) {
  auto* p = Add(kAll);
  const POINT at = Center(p->ItemRect(20));
  test::PutCursorOver(p->Handle(), at.x, at.y);
  Mouse(*p, WM_MOUSEMOVE, 0, at);
  EXPECT_EQ(p->HotIndex(), 20);
  EXPECT_EQ(changes_, 0);
  Mouse(*p, WM_MOUSEMOVE, 0, POINT{5, p->PickerLayout().separator.top + 2});
  EXPECT_EQ(p->HotIndex(), kPickerNoHot);
  Mouse(*p, WM_MOUSEMOVE, 0, at);
  p->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(p));
  EXPECT_EQ(p->HotIndex(), kPickerNoHot);
}

// ---- keys ----

TEST_F(ColorPickerTest, ArrowKeysMoveTheSelectionAndEnterClicks) {
  auto* p = Add();
  int clicks = 0;
  p->OnClick = [&](TObject*) { ++clicks; };
  p->SetFocus();
  Pump();
  Key(*p, VK_RIGHT);
  EXPECT_EQ(p->SelectedIndex(), 0);
  Key(*p, VK_DOWN);
  Key(*p, VK_RIGHT);
  EXPECT_EQ(p->SelectedIndex(), 9);
  EXPECT_EQ(changes_, 3);
  Key(*p, VK_UP);
  Key(*p, VK_UP);  // the top row without a None or Default row stays put
  EXPECT_EQ(p->SelectedIndex(), 1);
  EXPECT_EQ(changes_, 4);

  p->SetSelectedColor(clWhite);  // entry 39
  const int before = changes_;
  Key(*p, VK_RIGHT);
  Key(*p, VK_DOWN);
  EXPECT_EQ(p->SelectedIndex(), 39);
  EXPECT_EQ(changes_, before);

  Key(*p, VK_RETURN);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(p->Focused());  // the arrows were the picker's, not the form's focus moves
}

// ---- pixels ----

TEST_F(ColorPickerTest, SwatchesSelectionAndHotItemPaintAsTheirRulesSay) {
  auto* p = Add(kAll);
  p->SetDefaultColor(0x123456);
  p->SetCustomColor(0x00FF00);
  p->SetButtonColor(0xA0B0C0);
  p->SetSelectedColor(0x0000FF);                        // entry 16
  Mouse(*p, WM_MOUSEMOVE, 0, Center(p->ItemRect(17)));  // hot
  const TBitmap shot = Capture(*p);
  auto at = [&](int x, int y) { return BitmapPixel(shot, x, y); };

  const RECT selected = p->ItemRect(16);
  EXPECT_EQ(at(Center(selected).x, Center(selected).y), 0x0000FF);
  EXPECT_EQ(at(selected.left, selected.top), Rgb(clHighlight));
  EXPECT_EQ(at(selected.right - 1, selected.bottom - 1), Rgb(clHighlight));
  EXPECT_EQ(at(selected.left + 1, selected.top + 1), Rgb(clWindow));

  const RECT plain = p->ItemRect(24);
  EXPECT_EQ(at(plain.left, plain.top), Rgb(clWindow));
  EXPECT_EQ(at(Center(plain).x, Center(plain).y), 0xFF00FF);
  EXPECT_EQ(at(plain.left + 4, plain.top + 4), 0xFF00FF);
  EXPECT_NE(at(plain.left + 3, plain.top + 3), 0xFF00FF);  // the swatch's edge

  const RECT hot = p->ItemRect(17);
  EXPECT_NE(at(hot.left, hot.top), Rgb(clWindow));
  EXPECT_EQ(at(hot.left + 1, hot.top + 1), Rgb(clBtnFace));

  const RECT sys = p->ItemRect(55);
  EXPECT_EQ(at(Center(sys).x, Center(sys).y), Rgb(clBtnFace));
  const TRzColorPickerLayout l = p->PickerLayout();
  EXPECT_EQ(at(l.client.left + 3, l.separator.top + 4), Rgb(clBtnShadow));
  EXPECT_EQ(at(l.client.left + 2, l.separator.top + 4), Rgb(clWindow));

  const RECT def = p->ItemRect(kPickerDefaultColor);
  EXPECT_EQ(at(def.right - 10, Center(def).y), 0x123456);
  EXPECT_EQ(at(def.left + 5, def.top + 5), 0xA0B0C0);  // caption button face
  const RECT custom = p->ItemRect(kPickerCustomSwatch);
  EXPECT_EQ(at(Center(custom).x, Center(custom).y), 0x00FF00);

  if (const char* dir = std::getenv("KOVRA_PICKER_SHOT_DIR"))
    shot.SaveToFile(std::string(dir) + "/picker.bmp");
}

// ---- tooltip ----

TEST_F(ColorPickerTest, TooltipNamesTheColourBelowItsCellInTheUsersLanguage) {
  test::UiLanguageScope chinese(TRzLanguage::Chinese);
  auto* p = Add(kAll);
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == form_->Handle(); }));
  const RECT cell = p->ItemRect(16);
  test::PutCursorOver(p->Handle(), Center(cell).x, Center(cell).y);
  Mouse(*p, WM_MOUSEMOVE, 0, Center(cell));
  HWND tip = p->ColorHintWindow();
  ASSERT_NE(tip, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }));
  EXPECT_EQ(test::HintText(tip), L"红色");
  // The tip's area (inside the tooltip's own border) starts there.
  POINT placed{0, 0};
  ClientToScreen(tip, &placed);
  const POINT expected = p->ClientToScreen(POINT{cell.left + 4, cell.bottom + 12});
  EXPECT_EQ(placed.x, expected.x);
  EXPECT_EQ(placed.y, expected.y);

  // Away from the palette cells, and with hints off, it hides.
  Mouse(*p, WM_MOUSEMOVE, 0, Center(p->ItemRect(kPickerNoColor)));
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(tip); }));
  Mouse(*p, WM_MOUSEMOVE, 0, Center(p->ItemRect(69)));
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }));
  p->SetShowColorHints(false);
  EXPECT_FALSE(IsWindowVisible(tip));
  Mouse(*p, WM_MOUSEMOVE, 0, Center(cell));
  EXPECT_FALSE(IsWindowVisible(tip));
}

// ---- the colour dialog and the custom colours ----

TEST_F(ColorPickerTest, ConfirmedDialogTakesItsColourAndKeepsItsCustomColours) {
  auto* p = Add<ScriptedPicker>(kAll);
  auto* store = new TRzCustomColors(form_.get());
  store->SetColors({"ColorA=ff", "ColorC=abcdef"});
  p->SetCustomColors(store);
  p->SetColorDlgOptions(ColorDialogOption(cdFullOpen) | ColorDialogOption(cdAnyColor));
  p->SetSelectedColor(0x0000FF);
  changes_ = 0;
  p->script = [&](TRzColorDialog& d) {
    EXPECT_EQ(d.Color, 0x0000FF);
    EXPECT_EQ(d.CustomColors[0], 0x0000FF);
    EXPECT_EQ(d.CustomColors[1], clWhite);
    EXPECT_EQ(d.CustomColors[2], 0xABCDEF);
    EXPECT_EQ(d.Flags(), static_cast<DWORD>(CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR));
    d.Color = 0x102030;
    d.CustomColors[1] = 0x0A0B0C;
    return true;
  };
  Click(*p, Center(p->ItemRect(kPickerMoreColors)));
  EXPECT_EQ(p->dialogs, 1);
  EXPECT_EQ(p->SelectedIndex(), kPickerCustomSwatch);
  EXPECT_EQ(p->SelectedColor(), 0x102030);
  EXPECT_EQ(changes_, 1);
  ASSERT_EQ(store->Colors().size(), 16u);
  EXPECT_EQ(store->Colors()[0], "ColorA=0000FF");
  EXPECT_EQ(store->Colors()[1], "ColorB=0A0B0C");
  EXPECT_EQ(store->Colors()[2], "ColorC=ABCDEF");

  // Cancel changes nothing; the same colour confirmed again still reports a change.
  p->script = [](TRzColorDialog& d) {
    d.Color = 0x445566;
    return false;
  };
  Click(*p, Center(p->ItemRect(kPickerMoreColors)));
  EXPECT_EQ(p->SelectedColor(), 0x102030);
  EXPECT_EQ(changes_, 1);
  p->script = [](TRzColorDialog&) { return true; };
  Click(*p, Center(p->ItemRect(kPickerMoreColors)));
  EXPECT_EQ(changes_, 2);
  EXPECT_EQ(p->HotIndex(), kPickerNoHot);
}

// Closes the system colour dialog of this thread with a command, from a thread timer that runs
// inside the dialog's own modal loop.
struct DialogCloser {
  static inline WPARAM command = IDCANCEL;
  static inline int closed = 0;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM) -> BOOL {
          wchar_t cls[16] = {};
          GetClassNameW(w, cls, 16);
          if (std::wstring(cls) == L"#32770" && IsWindowVisible(w)) {
            PostMessageW(w, WM_COMMAND, command, 0);
            ++closed;
          }
          return TRUE;
        },
        0);
  }
};

TEST_F(ColorPickerTest, SystemColourDialogOpensFromTheMoreColorsRow) {
  auto* p = Add(TRzColorPickerOptions{false, false, true, false});
  auto* store = new TRzCustomColors(form_.get());
  store->SetColors({"ColorB=00ff00"});
  p->SetCustomColors(store);
  p->SetSelectedColor(0x336699);  // off the palette: the custom swatch
  changes_ = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &DialogCloser::Tick);

  DialogCloser::command = IDCANCEL;
  DialogCloser::closed = 0;
  Click(*p, Center(p->ItemRect(kPickerMoreColors)));
  EXPECT_GE(DialogCloser::closed, 1);
  EXPECT_EQ(changes_, 0);

  DialogCloser::command = IDOK;
  DialogCloser::closed = 0;
  p->SetSelectedColor(0x0000FF);
  changes_ = 0;
  Click(*p, Center(p->ItemRect(kPickerMoreColors)));
  KillTimer(nullptr, timer);
  EXPECT_GE(DialogCloser::closed, 1);
  // Confirmed unchanged: the colour it started with, now as the custom swatch.
  EXPECT_EQ(p->SelectedIndex(), kPickerCustomSwatch);
  EXPECT_EQ(p->SelectedColor(), 0x0000FF);
  EXPECT_EQ(changes_, 1);
  ASSERT_EQ(store->Colors().size(), 16u);
  EXPECT_EQ(store->Colors()[0], "ColorA=FFFFFF");
  EXPECT_EQ(store->Colors()[1], "ColorB=00FF00");
}

TEST_F(ColorPickerTest, CustomColoursRejectBadValuesAndLeaveThePickerWhenFreed) {
  auto* p = Add();
  auto* store = new TRzCustomColors(form_.get());
  EXPECT_EQ(store->Colors().front(), "ColorA=FFFFFF");
  store->SetColors({"ColorA=1", "ColorB=2"});
  EXPECT_THROW(store->SetColors({"ColorA=3", "ColorB=zz"}), ERzColorListError);
  EXPECT_EQ(store->Colors(), (std::vector<std::string>{"ColorA=000001", "ColorB=000002"}));

  p->SetCustomColors(store);
  delete store;
  EXPECT_EQ(p->CustomColors(), nullptr);
}

// ---- size ----

TEST_F(ColorPickerTest, AutoSizeFollowsRowsFramesAndFont) {
  auto* p = Add();
  const int plainHeight = p->Height();
  const int bh = std::abs(p->Font().Height()) + 12;
  p->SetShowSystemColors(true);
  p->SetShowNoColor(true);
  p->SetShowCustomColor(true);
  EXPECT_EQ(p->Height(), plainHeight + 80 + bh + 1 + bh);
  p->SetBorderOuter(fsNone);
  EXPECT_EQ(p->Width(), 144);
  p->SetBorderOuter(fsLowered);  // as the settings window shows it
  EXPECT_EQ(p->Width(), 148);
  TFont big;
  big.SetHeight(-20);
  p->SetFont(big);
  EXPECT_EQ(p->Height(), 90 + 4 + 80 + 2 * (20 + 12) + 1);  // fsLowered: 2 on each side
  p->SetAutoSize(false);
  p->SetShowDefaultColor(true);
  EXPECT_EQ(p->Height(), 90 + 4 + 80 + 2 * (20 + 12) + 1);  // fsLowered: 2 on each side
}

}  // namespace
}  // namespace kovra
