// The settings window shown modally as the bar shows it, driven with real keys and clicks from a
// timer inside its modal loop; read back from GlobalState and the controls.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/Global.h"
#include "controls/RzBtnEdt.h"
#include "controls/RzButton.h"
#include "controls/RzColorPicker.h"
#include "controls/RzCommon.h"
#include "controls/RzNumEdit.h"
#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "framework/Timers.h"
#include "framework/WindowClass.h"
#include "settings/UnitSet.h"
#include "shell/RzShellDialogs.h"
#include "shell/RzShellOpenForm.h"
#include "support/Desktop.h"
#include "support/Input.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

using namespace std::chrono_literals;
using test::ClickAt;
using test::ClickControl;
using test::SendKeys;
using test::TypeText;

// Steps run one after the other from a timer inside the window's modal loop; a step returns true
// when it is done (steps that wait poll their condition). Past the deadline the window is closed
// so that a fault cannot hang the run.
class ModalScript {
 public:
  using Step = std::function<bool()>;

  TModalResult Run(TFormSet& form, std::vector<Step> steps) {
    steps_ = std::move(steps);
    next_ = 0;
    timedOutAt_ = -1;
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    TTimer timer;
    timer.SetInterval(15);
    timer.OnTimer = [&](TObject*) {
      if (std::chrono::steady_clock::now() > deadline) {
        timedOutAt_ = static_cast<int>(next_);
        timer.SetEnabled(false);
        form.SetModalResult(mrAbort);
        return;
      }
      while (next_ < steps_.size() && steps_[next_]()) ++next_;
    };
    return form.ShowModal();
  }
  // The step that was waiting when time ran out, -1 if none.
  int TimedOutAt() const { return timedOutAt_; }
  bool Finished() const { return next_ == steps_.size(); }

 private:
  std::vector<Step> steps_;
  size_t next_ = 0;
  int timedOutAt_ = -1;
};

ModalScript::Step Do(std::function<void()> act) {
  return [act = std::move(act)] {
    act();
    return true;
  };
}

class SettingsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ParkCursor();
    Application().Initialize();
    TGlobal& state = *GlobalState;
    state.TradeSoftPath = "C:\\券商\\xiadan.exe";
    state.StockSoftPath = "D:\\dzh2\\dzh.exe";
    state.BuyAmount = 5;
    state.TradeShares = 2000;
    state.PriceFloat = 3.0;
    form_ = std::make_unique<TFormSet>(nullptr, [this](TColor c) { colors_.push_back(c); });
  }

  // Waits until the window is up, active and has the keyboard.
  static ModalScript::Step Shown(TFormSet& form) {
    return [&form] {
      return form.HandleAllocated() && IsWindowVisible(form.Handle()) &&
             GetForegroundWindow() == form.Handle() && GetFocus() != nullptr;
    };
  }
  static ModalScript::Step FocusOn(TWinControl* control) {
    return [control] {
      if (!control->Focused()) control->SetFocus();
      return control->Focused();
    };
  }

  TModalResult Run(std::vector<ModalScript::Step> steps) {
    steps.insert(steps.begin(), Shown(*form_));
    const TModalResult result = script_.Run(*form_, std::move(steps));
    EXPECT_EQ(script_.TimedOutAt(), -1) << "a step never completed";
    EXPECT_TRUE(script_.Finished());
    return result;
  }

  TGlobalStateScope stateScope_;
  std::unique_ptr<TFormSet> form_;
  std::vector<TColor> colors_;
  ModalScript script_;
};

// ---- what the window shows ----

TEST_F(SettingsWindowTest, ShowsEveryControlWhereItBelongsAndCentredOnTheDesktop) {
  TFormSet& f = *form_;
  RECT outer{};
  Run({Do([&] { GetWindowRect(f.Handle(), &outer); }), Do([&] { f.Close(); })});

  EXPECT_EQ(f.Caption(), "Kovra设置");
  EXPECT_EQ(outer.right - outer.left, 485);
  EXPECT_EQ(outer.bottom - outer.top, 304);
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  EXPECT_NEAR(outer.left + outer.right, desktop.left + desktop.right, 1);
  EXPECT_NEAR(outer.top + outer.bottom, desktop.top + desktop.bottom, 1);

  struct Expected {
    TControl* control;
    RECT bounds;
  };
  for (const Expected& e :
       std::initializer_list<Expected>{{f.lbl1(), {23, 9, 124, 28}},
                                       {f.btn1(), {128, 8, 406, 28}},
                                       {f.lbl2(), {9, 34, 124, 47}},
                                       {f.btn2(), {128, 30, 406, 50}},
                                       {f.RzNumericEdit1(), {128, 66, 197, 86}},
                                       {f.RzNumericEdit2(), {128, 102, 197, 122}},
                                       {f.RzNumericEdit3(), {128, 140, 197, 160}},
                                       {f.img1(), {14, 172, 104, 262}}}) {
    const RECT r = e.control->BoundsRect();
    EXPECT_TRUE(EqualRect(&r, &e.bounds)) << e.control->Name() << " at " << r.left << "," << r.top
                                          << " " << r.right - r.left << "x" << r.bottom - r.top;
  }
  // Labels without a size take their text's; they never overlap the edit they name.
  for (TLabel* label : {f.lbl3(), f.lbl5(), f.lbl7()}) {
    EXPECT_GT(label->Width(), 40) << label->Name();
    EXPECT_LE(label->Left() + label->Width(), 128) << label->Name();
  }
  // The picker keeps its palette's natural size; with visual styles on it draws its own flat
  // frame instead of the lowered one.
  const RECT picker = f.RzColorPicker1()->BoundsRect();
  const bool themed = ThemesActive();
  EXPECT_EQ(f.RzColorPicker1()->BorderOuter(), themed ? fsFlat : fsLowered);
  EXPECT_EQ(picker.left, 250);
  EXPECT_EQ(picker.top, 66);
  EXPECT_EQ(picker.right - picker.left, themed ? 146 : 148);
  EXPECT_EQ(picker.bottom - picker.top, themed ? 92 : 94);
}

// On a screen of another resolution, as the window scales itself there: the edits keep their
// designed height and nothing overlaps, the labels sized from the scaled font included.
class SettingsScaleTest : public SettingsWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(SettingsScaleTest, EditsKeepTheirScaledHeightAndNoControlOverlapsAnother) {
  const int ppi = GetParam();
  TFormSet& f = *form_;
  std::vector<std::pair<std::string, RECT>> placed;
  Run({Do([&] { f.ScaleForPPI(ppi); }), Do([&] {
         for (int i = 0; i < f.ControlCount(); ++i)
           if (TControl* c = f.Controls(i); c->Visible())
             placed.emplace_back(c->Name(), c->BoundsRect());
       }),
       Do([&] { f.Close(); })});
  const int height = MulDiv(20, ppi, 96);
  for (TWinControl* edit : std::initializer_list<TWinControl*>{
           f.btn1(), f.btn2(), f.RzNumericEdit1(), f.RzNumericEdit2(), f.RzNumericEdit3()})
    EXPECT_EQ(edit->Height(), height) << edit->Name();
  const TRzButtonPair& pair = *f.btn1()->ButtonPair();
  EXPECT_EQ(pair.Height(), height - 3);
  EXPECT_LE(pair.Left() + pair.Width(), f.btn1()->ClientWidth());
  ASSERT_GE(placed.size(), 16u);
  for (size_t a = 0; a < placed.size(); ++a)
    for (size_t b = a + 1; b < placed.size(); ++b) {
      RECT common;
      EXPECT_FALSE(IntersectRect(&common, &placed[a].second, &placed[b].second))
          << placed[a].first << " overlaps " << placed[b].first;
    }
}

INSTANTIATE_TEST_SUITE_P(Resolutions, SettingsScaleTest, ::testing::Values(96, 144, 192));

TEST_F(SettingsWindowTest, TabVisitsTheEditableControlsInTheirOrder) {
  TFormSet& f = *form_;
  const std::vector<TWinControl*> expected{
      f.btn1(),           f.btn2(),           f.RzNumericEdit1(), f.RzNumericEdit2(),
      f.RzNumericEdit3(), f.RzColorPicker1(), f.RzBitBtn1(),      f.btn1()};
  std::vector<TWinControl*> visited;
  std::vector<ModalScript::Step> steps{FocusOn(f.btn1())};
  for (size_t i = 1; i < expected.size(); ++i) {
    steps.push_back(Do([] { SendKeys({VK_TAB}); }));
    steps.push_back([&, i] {
      TWinControl* now = f.ActiveControl();
      if (now == expected[i - 1]) return false;  // the key is not through yet
      visited.push_back(now);
      return true;
    });
  }
  steps.push_back(Do([&] { f.Close(); }));
  Run(std::move(steps));
  EXPECT_EQ(visited, std::vector<TWinControl*>(expected.begin() + 1, expected.end()));
}

TEST_F(SettingsWindowTest, ThePicturesAreDrawn) {
  TBitmap picture = TFormSet::DrawPicture();
  ASSERT_EQ(picture.Width(), 90);
  ASSERT_EQ(picture.Height(), 90);
  bool red = false, green = false;
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 90; ++x) {
      const TColor c = TBitmap::PixelToColor(picture.ScanLine(y)[x]);
      const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
      red = red || (r > 200 && g < 80 && b < 80);
      green = green || (g > 160 && r < 100 && b < 100);
    }
  EXPECT_TRUE(red && green) << "rising and falling candles";

  // Two cells side by side; the olive bottom-left pixel keys both; the second cell is drawn in
  // greys only, for the disabled button.
  TBitmap glyph = TFormSet::DrawExitGlyph();
  ASSERT_EQ(glyph.Width(), 2 * glyph.Height());
  const std::uint32_t key = glyph.ScanLine(glyph.Height() - 1)[0];
  EXPECT_EQ(TBitmap::PixelToColor(key), clOlive);
  int drawn = 0, disabledDrawn = 0;
  for (int y = 0; y < glyph.Height(); ++y)
    for (int x = 0; x < glyph.Width(); ++x) {
      const std::uint32_t p = glyph.ScanLine(y)[x];
      if (p == key) continue;
      ++(x < glyph.Height() ? drawn : disabledDrawn);
      if (x >= glyph.Height()) {
        const TColor c = TBitmap::PixelToColor(p);
        EXPECT_TRUE((c & 0xFF) == ((c >> 8) & 0xFF) && (c & 0xFF) == ((c >> 16) & 0xFF))
            << "colour in the disabled cell at " << x << "," << y;
      }
    }
  EXPECT_GT(drawn, 40);
  EXPECT_GE(disabledDrawn, drawn);
  EXPECT_EQ(form_->RzBitBtn1()->NumGlyphs(), 2);
}

// ---- values in and out ----

TEST_F(SettingsWindowTest, OpeningAndClosingWithoutChangesLeavesEveryValue) {
  TGlobal& state = *GlobalState;
  state.BuyAmount = -7;
  state.PriceFloat = 0.125;  // more decimals than the edit shows
  form_ = std::make_unique<TFormSet>(nullptr, [this](TColor c) { colors_.push_back(c); });
  const TFormSet& f = *form_;
  EXPECT_EQ(f.btn1()->Text(), "C:\\券商\\xiadan.exe");
  EXPECT_EQ(f.btn2()->Text(), "D:\\dzh2\\dzh.exe");
  EXPECT_EQ(f.RzNumericEdit1()->Text(), "(7)");
  EXPECT_EQ(f.RzNumericEdit2()->Text(), "2,000");
  EXPECT_EQ(f.RzColorPicker1()->SelectedIndex(), kPickerNoColor);
  // Tabbing through every field reformats them; nothing may drift.
  std::vector<ModalScript::Step> steps{FocusOn(f.btn1())};
  for (int i = 0; i < 6; ++i) steps.push_back(Do([] { SendKeys({VK_TAB}); }));
  steps.push_back(FocusOn(f.RzBitBtn1()));
  steps.push_back(Do([&] { form_->Close(); }));
  Run(std::move(steps));

  EXPECT_EQ(state.TradeSoftPath, "C:\\券商\\xiadan.exe");
  EXPECT_EQ(state.StockSoftPath, "D:\\dzh2\\dzh.exe");
  EXPECT_EQ(state.BuyAmount, -7);
  EXPECT_EQ(state.TradeShares, 2000);
  EXPECT_EQ(state.PriceFloat, 0.125);
  EXPECT_TRUE(colors_.empty()) << "the buttons keep their colour";
}

TEST_F(SettingsWindowTest, TypedPathAndOffsetReachTheStateOnClose) {
  TFormSet& f = *form_;
  Run({FocusOn(f.btn1()), Do([&] { SendMessageW(f.btn1()->Handle(), EM_SETSEL, 0, -1); }),
       Do([] { TypeText(L"Z:\\交易\\trade.exe"); }),
       [&] { return f.btn1()->Text() == "Z:\\交易\\trade.exe"; }, FocusOn(f.RzNumericEdit3()),
       Do([&] { SendMessageW(f.RzNumericEdit3()->Handle(), EM_SETSEL, 0, -1); }), Do([] {
         SendKeys({'2'});
         SendKeys({VK_OEM_PERIOD});
         SendKeys({'5'});
       }),
       [&] { return f.RzNumericEdit3()->Text() == "2.5"; },
       Do([&] { ClickControl(*f.RzBitBtn1()); })});

  const TGlobal& state = *GlobalState;
  EXPECT_EQ(state.TradeSoftPath, "Z:\\交易\\trade.exe");
  EXPECT_EQ(state.PriceFloat, 2.5);
  EXPECT_EQ(f.RzNumericEdit3()->Text(), "2.50") << "reformatted as the focus left";
  EXPECT_EQ(state.StockSoftPath, "D:\\dzh2\\dzh.exe");
}

TEST_F(SettingsWindowTest, NumbersAreTakenUnvalidatedYetSafely) {
  TFormSet& f = *form_;
  Run({Do([&] {
         f.RzNumericEdit1()->SetIntegerValue((std::int64_t{1} << 32) + 7);
         f.RzNumericEdit2()->SetText("");
         f.RzNumericEdit3()->SetText("-1e400");  // beyond a double
         f.btn2()->SetText("");
       }),
       Do([&] { f.Close(); })});
  TGlobal& state = *GlobalState;
  EXPECT_EQ(state.BuyAmount, 7) << "the low 32 bits";
  EXPECT_EQ(state.TradeShares, 0);
  EXPECT_EQ(state.PriceFloat, 0) << "the edit reads a number beyond a double as none";
  EXPECT_EQ(state.StockSoftPath, "");

  // The top of the 64-bit range wraps the same way, and a negative figure stays negative.
  state.TradeShares = -300;
  form_ = std::make_unique<TFormSet>();
  Run({Do([&] {
         form_->RzNumericEdit1()->SetIntegerValue(std::numeric_limits<std::int64_t>::max());
       }),
       Do([&] { form_->Close(); })});
  EXPECT_EQ(state.BuyAmount, -1);
  EXPECT_EQ(state.TradeShares, -300);
}

// ---- closing ----

struct CloseWay {
  const char* name;
  std::function<void(TFormSet&)> close;
};

void PrintTo(const CloseWay& way, std::ostream* os) {
  *os << way.name;
}

class SettingsCloseTest : public SettingsWindowTest,
                          public ::testing::WithParamInterface<CloseWay> {};

TEST_P(SettingsCloseTest, CopiesTheValuesBack) {
  TFormSet& f = *form_;
  Run({FocusOn(f.RzNumericEdit2()), Do([&] {
         f.btn2()->SetText("E:\\quotes\\dzh.exe");
         f.RzNumericEdit1()->SetIntegerValue(12);
       }),
       Do([&] { GetParam().close(f); })});
  EXPECT_FALSE(f.Visible());
  const TGlobal& state = *GlobalState;
  EXPECT_EQ(state.StockSoftPath, "E:\\quotes\\dzh.exe");
  EXPECT_EQ(state.BuyAmount, 12);
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, SettingsCloseTest,
    ::testing::Values(CloseWay{"CloseBox",
                               [](TFormSet& f) {
                                 PostMessageW(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
                               }},
                      CloseWay{"AltF4",
                               [](TFormSet&) {
                                 SendKeys({VK_MENU, VK_F4});
                               }},
                      CloseWay{"Escape", [](TFormSet&) { SendKeys({VK_ESCAPE}); }},
                      CloseWay{"ExitButton", [](TFormSet& f) { ClickControl(*f.RzBitBtn1()); }},
                      CloseWay{"ExitAccelerator",
                               [](TFormSet&) {
                                 SendKeys({VK_MENU, 'E'});
                               }}),
    [](const ::testing::TestParamInfo<CloseWay>& info) { return info.param.name; });

// ---- the colour ----

TEST_F(SettingsWindowTest, AChosenColourReachesTheFourButtonsAtOnceAndStays) {
  // The bar's four buttons, painted through the sink the bar hands over.
  TForm bar;
  bar.SetBounds(10, 10, 200, 40);
  std::vector<TRzButton*> buttons;
  for (int i = 0; i < 4; ++i) {
    auto* b = new TRzButton(&bar);
    b->SetParent(&bar);
    b->SetBounds(i * 40, 0, 37, 30);
    buttons.push_back(b);
  }
  form_ = std::make_unique<TFormSet>(nullptr, [&](TColor c) {
    colors_.push_back(c);
    for (TRzButton* b : buttons) b->SetColor(c);
  });
  TFormSet& f = *form_;
  TRzColorPicker& picker = *f.RzColorPicker1();
  constexpr int kSwatch = 13;  // second row
  const TColor chosen = ColorPickerPalette()[kSwatch].color;
  std::vector<TColor> whileOpen;
  Run({Do([&] {
         const RECT r = picker.ItemRect(kSwatch);
         ClickAt(picker.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
       }),
       [&] { return !colors_.empty(); }, Do([&] {
         for (TRzButton* b : buttons) whileOpen.push_back(b->Color());
       }),
       Do([&] { f.Close(); })});

  EXPECT_EQ(colors_, std::vector<TColor>{chosen}) << "one change, one colour";
  EXPECT_EQ(whileOpen, std::vector<TColor>(4, chosen));
  form_.reset();
  for (TRzButton* b : buttons) EXPECT_EQ(b->Color(), chosen);
}

// ---- browsing ----

// The open dialog while it is up, and its window.
TRzShellOpenSaveForm* OpenDialogWindow(TFormSet& f) {
  TForm* form = f.RzOpenDialog1()->Form();
  return form && form->HandleAllocated() && IsWindowVisible(form->Handle())
             ? static_cast<TRzShellOpenSaveForm*>(form)
             : nullptr;
}

std::string OwnPath() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return Narrow(path);
}

TEST_F(SettingsWindowTest, BrowseButtonsFillTheirEditWithTheChosenFileAndCancelChangesNothing) {
  TFormSet& f = *form_;
  const std::string chosen = OwnPath();
  std::string offered;
  Run({FocusOn(f.btn1()), Do([] { SendKeys({VK_F4}); }),  // the browse button's key
       [&] { return OpenDialogWindow(f) != nullptr; }, Do([&] {
         offered = f.RzOpenDialog1()->Filter();
         TRzEdit& name = OpenDialogWindow(f)->FileNameEdit();
         name.SetFocus();
         SetWindowTextW(name.Handle(), Wide(chosen).c_str());
         PostMessageW(name.Handle(), WM_KEYDOWN, VK_RETURN, 0);
       }),
       [&] { return f.RzOpenDialog1()->Form() == nullptr; },
       // The second button uses the same dialog; Escape leaves it without a choice.
       FocusOn(f.btn2()), Do([] { SendKeys({VK_F4}); }),
       [&] { return OpenDialogWindow(f) != nullptr; },
       [&] {
         // Escape goes to the dialog once it holds the foreground.
         if (GetForegroundWindow() != OpenDialogWindow(f)->Handle()) return false;
         SendKeys({VK_ESCAPE});
         return true;
       },
       [&] { return f.RzOpenDialog1()->Form() == nullptr; }, Do([&] { f.Close(); })});

  EXPECT_EQ(offered, "Advanced Get 执行文件(*.exe)|*.exe");
  EXPECT_EQ(
      CompareStringOrdinal(Wide(f.btn1()->Text()).c_str(), -1, Wide(chosen).c_str(), -1, TRUE),
      CSTR_EQUAL)
      << f.btn1()->Text();
  EXPECT_EQ(GlobalState->TradeSoftPath, f.btn1()->Text());
  EXPECT_EQ(f.btn2()->Text(), "D:\\dzh2\\dzh.exe");
  EXPECT_EQ(GlobalState->StockSoftPath, "D:\\dzh2\\dzh.exe");
}

}  // namespace
}  // namespace kovra
