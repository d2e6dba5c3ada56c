// The bar is painted, hovered, pressed and recoloured all day long: a GDI object left behind on
// any of those paths would in time blank it. These controls, in the bar's and the settings
// window's set-ups, go through those paths many times and must end with the handle table as they
// found it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/RzBtnEdt.h"
#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzColorPicker.h"
#include "controls/RzEdit.h"
#include "controls/RzNumEdit.h"
#include "controls/RzPanel.h"
#include "controls/RzRadChk.h"
#include "controls/RzToolButton.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "support/Desktop.h"
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

class LeakImageCombo : public TRzCustomImageComboBox {
 public:
  using TRzCustomImageComboBox::TRzCustomImageComboBox;
};

// The settings window's and the dialogs' controls: the colour picker with its tooltip, the
// calculator dropped down and closed, the button edit, check box, tool buttons and combo boxes.
TEST(ControlsGdiLeakTest, PickersPopupsEditsAndListsFreeEverythingTheyMake) {
  test::ParkCursor();
  const std::unique_ptr<TForm> form = test::NewForm(40, 40, 560, 360);
  auto* picker = new TRzColorPicker(form.get());
  picker->SetParent(form.get());
  picker->SetBounds(10, 10, 0, 0);
  picker->SetShowNoColor(true);
  picker->SetShowSystemColors(true);
  auto* number = test::Place<TRzNumericEdit>(*form, 250, 10, 120, 21);
  number->SetCalculatorVisible(true);
  auto* buttonEdit = test::Place<TRzButtonEdit>(*form, 250, 40, 200, 21);
  buttonEdit->SetAltBtnVisible(true);
  auto* check = test::Place<TRzCheckBox>(*form, 250, 70, 150, 17);
  check->SetCaption("融资按金额买");
  TImageList images(16, 16);
  TBitmap cell(16, 16);
  cell.Canvas().Brush().SetColor(clBlue);
  cell.Canvas().FillRect(RECT{0, 0, 16, 16});
  images.Add(cell);
  TRzToolButton* tools[2];
  for (int i = 0; i < 2; ++i) {
    tools[i] = test::Place<TRzToolButton>(*form, 250 + i * 70, 100, 65, 40);
    tools[i]->SetImages(&images);
    tools[i]->SetImageIndex(0);
    tools[i]->SetShowCaption(true);
    tools[i]->SetCaption("Tool");
    tools[i]->SetVisualStyle(i == 0 ? vsGradient : vsWinXP);
  }
  auto* combo = test::Place<TRzComboBox>(*form, 250, 150, 140, 21);
  combo->Items().Assign({"Apple", "Apricot", "Banana"});
  combo->SetFramingPreference(fpCustomFraming);
  combo->SetFrameHotTrack(true);
  combo->SetFlatButtons(true);
  auto* imageCombo = test::Place<LeakImageCombo>(*form, 250, 180, 200, 24);
  imageCombo->SetImages(&images);
  imageCombo->AddItem("Desktop", 0, 0);
  imageCombo->AddItem("Folder", 0, 1);
  test::ShowInFront(*form);
  test::Pump();

  const auto round = [&](int i) {
    const bool odd = i % 2 != 0;
    // Over a palette cell the tooltip shows; over the "None" row it goes.
    const RECT swatch = picker->ItemRect(odd ? 16 : 17);
    const POINT over{(swatch.left + swatch.right) / 2, (swatch.top + swatch.bottom) / 2};
    test::PutCursorOver(picker->Handle(), over.x, over.y);
    PostMessageW(picker->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(over.x, over.y));
    test::Pump();
    const RECT none = picker->ItemRect(kPickerNoColor);
    PostMessageW(picker->Handle(), WM_MOUSEMOVE, 0,
                 MAKELPARAM((none.left + none.right) / 2, (none.top + none.bottom) / 2));
    test::ParkCursor();
    // The calculator, dropped down and closed again with Escape from inside its loop.
    number->SetFocus();
    test::During([] { PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1); });
    PostMessageW(number->Handle(), WM_KEYDOWN, VK_F4, 1);
    test::PumpUntil([&] { return number->CalculatorPanel() == nullptr; });
    buttonEdit->SetEnabled(odd);
    buttonEdit->SetFlatButtons(odd);
    check->SetChecked(odd);
    check->SetFocus();
    check->SetHotTrack(odd);
    for (TRzToolButton* tool : tools) {
      tool->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(tool)));
      tool->SetDown(odd);
      tool->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(tool)));
    }
    combo->SetFocus();
    combo->SetItemIndex(i % 3);
    combo->SetColor(odd ? clAqua : clWindow);
    imageCombo->SetDroppedDown(true);
    test::Pump();
    imageCombo->SetDroppedDown(false);
    RedrawWindow(form->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::Pump();
  };
  round(0);  // caches the system fills once (themes, stock objects, the display's DCs)
  round(1);
  const int before = test::GdiHeadroom();
  for (int i = 2; i < 40; ++i) round(i);
  EXPECT_EQ(test::GdiHeadroom(), before);
}

}  // namespace
}  // namespace kovra
