// The bar is painted, hovered, pressed and recoloured all day long: a GDI object left behind on
// any of those paths would in time blank it. These controls, in the bar's and the settings
// window's set-ups, go through those paths many times and must end with the handle table as they
// found it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/RzButton.h"
#include "controls/RzEdit.h"
#include "controls/RzPanel.h"
#include "framework/Forms.h"
#include "support/Gdi.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

// A two-cell glyph, as the settings window's exit button has.
TBitmap TwoCellGlyph() {
  TBitmap glyph(32, 16);
  glyph.Canvas().Brush().SetColor(clOlive);
  glyph.Canvas().FillRect(RECT{0, 0, 32, 16});
  glyph.Canvas().Brush().SetColor(clRed);
  glyph.Canvas().FillRect(RECT{4, 4, 12, 12});
  return glyph;
}

TEST(ControlsGdiLeakTest, PaintingHoverPressesAndNewLooksFreeEverythingTheyMake) {
  const std::unique_ptr<TForm> form = test::NewForm(60, 60, 420, 120);
  auto* panel = test::Place<TRzPanel>(*form, 0, 0, 260, 55);
  panel->SetBorderInner(fsLowered);
  panel->SetVisualStyle(vsClassic);
  auto* gradient = test::Place<TRzPanel>(*form, 0, 60, 260, 50);
  gradient->SetVisualStyle(vsGradient);

  TRzButton* buttons[3];
  for (int i = 0; i < 3; ++i) {
    buttons[i] = test::Place<TRzButton>(*panel, 2 + i * 37, 2, 37, 49);
    buttons[i]->SetCaption(i == 0 ? "融买" : i == 1 ? "买" : "卖");
    buttons[i]->Font().SetName("微软雅黑");
    buttons[i]->Font().SetHeight(-12);
  }
  buttons[1]->SetThemeAware(false);
  buttons[2]->SetHotTrack(true);
  auto* edit = test::Place<TRzEdit>(*panel, 115, 2, 77, 49);
  edit->SetReadOnly(true);
  edit->SetAlignment(taCenter);
  edit->SetColor(clInactiveCaptionText);
  edit->SetReadOnlyColor(clInactiveCaptionText);
  edit->Font().SetColor(clYellow);
  edit->Font().SetStyle(TFontStyles{fsBold});
  auto* exit = test::Place<TRzBitBtn>(*form, 280, 10, 75, 25);
  exit->SetCaption("&E.退出");
  exit->SetGlyph(TwoCellGlyph());
  exit->SetNumGlyphs(2);
  test::ShowInFront(*form);
  test::Pump();

  const auto round = [&](int i) {
    const bool odd = i % 2 != 0;
    for (TRzButton* b : buttons) {
      b->SetColor(odd ? clRed : clLime);
      b->Perform(CM_MOUSEENTER, 0, 0);
      b->Perform(CM_MOUSELEAVE, 0, 0);
      // Pressed, dragged off and released there: the pressed look without an order.
      PostMessageW(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
      PostMessageW(b->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 5));
      PostMessageW(b->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 5));
    }
    edit->SetText(odd ? "600000 浦发银行" : "000001 平安银行");
    edit->Font().SetHeight(odd ? -14 : -15);
    exit->SetEnabled(odd);
    gradient->SetColor(odd ? clAqua : clSilver);
    RedrawWindow(form->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::Pump();
    test::CaptureClient(*panel);  // the printing path as well
  };
  round(0);  // caches the system fills once (themes, stock objects, the display's DCs)
  round(1);
  const int before = test::GdiHeadroom();
  for (int i = 2; i < 60; ++i) round(i);
  EXPECT_EQ(test::GdiHeadroom(), before);
}

}  // namespace
}  // namespace kovra
