// Every look of the framed controls on four windows side by side, for a person to look at
// (scripts/gallery.sh takes the screenshot). Writes "gallery.ready" into the current folder once
// everything has painted, and runs until it is closed.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "controls/RzBtnEdt.h"
#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzEdit.h"
#include "controls/RzPanel.h"
#include "controls/RzRadChk.h"
#include "controls/RzSplit.h"
#include "controls/RzToolButton.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"

namespace kovra {
namespace {

template <class T>
T* Place(TWinControl& parent, int left, int top, int width, int height) {
  auto* control = new T(&parent);
  control->SetParent(&parent);
  control->SetBounds(left, top, width, height);
  return control;
}

std::unique_ptr<TForm> NewForm(const char* caption, int left, int top, int width, int height) {
  auto form = std::make_unique<TForm>();
  form->SetCaption(caption);
  form->SetBounds(left, top, width, height);
  return form;
}

TImageList& Circles() {
  static TImageList images(16, 16);
  if (images.Count() == 0) {
    for (TColor c : {RGBColor(200, 40, 40), RGBColor(40, 150, 40), RGBColor(40, 80, 200)}) {
      TBitmap b(16, 16);
      b.Canvas().Brush().SetColor(clFuchsia);
      b.Canvas().FillRect(RECT{0, 0, 16, 16});
      b.Canvas().Brush().SetColor(c);
      b.Canvas().Pen().SetColor(clBlack);
      b.Canvas().Ellipse(1, 1, 15, 15);
      images.AddMasked(b, clFuchsia);
    }
  }
  return images;
}

// Push buttons in every look, the stock kinds, and edits with their frames.
std::unique_ptr<TForm> ButtonsAndEdits() {
  auto form = NewForm("Buttons and edits", 0, 0, 520, 330);
  auto add = [&](int left, int top, const char* caption) {
    auto* b = Place<TRzButton>(*form, left, top, 75, 25);
    b->SetCaption(caption);
    return b;
  };
  TFont bold;
  bold.SetHeight(-12);
  bold.SetStyle({fsBold});
  bold.SetColor(clRed);
  const char* looks[] = {"Themed", "Classic", "Hot track", "Tinted"};
  for (int i = 0; i < 4; ++i) {
    auto* b = add(10 + i * 85, 10, looks[i]);
    b->SetThemeAware(i == 0);
    b->SetHotTrack(i == 2);
    if (i == 3) {
      b->SetThemeAware(false);
      b->SetColor(RGBColor(120, 180, 255));
    }
    auto* g = add(10 + i * 85, 45, "Down");
    g->SetThemeAware(i == 0);
    g->SetHotTrack(i == 2);
    g->SetGroupIndex(1 + i);
    g->SetDown(true);
    auto* d = add(10 + i * 85, 80, "Disabled");
    d->SetThemeAware(i == 0);
    d->SetHotTrack(i == 2);
    d->SetEnabled(false);
  }
  auto* bar = add(360, 10, "融买");
  bar->SetBounds(360, 10, 37, 49);
  bar->SetFont(bold);
  auto* raised = add(405, 10, "Raised");
  raised->SetThemeAware(false);
  raised->SetTextStyle(tsShadow);
  const TBitBtnKind kinds[] = {bkOK,    bkCancel, bkHelp,  bkYes,    bkNo,
                               bkClose, bkAbort,  bkRetry, bkIgnore, bkAll};
  for (int i = 0; i < 10; ++i) {
    auto* k = Place<TRzBitBtn>(*form, 10 + (i % 5) * 85, 120 + (i / 5) * 30, 75, 25);
    k->SetThemeAware(i % 2 == 0);
    k->SetKind(kinds[i]);
  }
  auto* exit = Place<TRzBitBtn>(*form, 435, 120, 75, 25);
  exit->SetCaption("&E.退出");
  exit->SetGlyph(TRzBitBtn::StockGlyph(bkClose));
  exit->SetEnabled(false);

  auto edit = [&](int left, int top, const char* text) {
    auto* e = Place<TRzEdit>(*form, left, top, 120, 21);
    e->SetText(text);
    return e;
  };
  edit(10, 190, "Plain");
  edit(140, 190, "Read-only")->SetReadOnly(true);
  edit(270, 190, "Disabled")->SetEnabled(false);
  auto* stock = edit(400, 190, "浦发银行");
  stock->SetAlignment(taCenter);
  stock->SetColor(clInactiveCaptionText);
  stock->SetReadOnlyColor(clInactiveCaptionText);
  stock->SetReadOnly(true);
  TFont yellow;
  yellow.Assign(bold);
  yellow.SetColor(clYellow);
  stock->SetFont(yellow);
  const TFrameStyle styles[] = {fsFlat, fsFlatBold, fsLowered, fsStatus};
  for (int i = 0; i < 4; ++i) {
    auto* f = edit(10 + i * 130, 230, "Frame");
    f->SetFramingPreference(fpCustomFraming);
    f->SetFrameStyle(styles[i]);
    f->SetFrameVisible(true);
  }
  auto* hot = edit(10, 270, "Hot frame");
  hot->SetFramingPreference(fpCustomFraming);
  hot->SetFrameHotTrack(true);
  hot->SetFrameHotColor(clNavy);
  auto* hint = edit(140, 270, "");
  hint->SetTextHint("Cue text");
  return form;
}

// Check boxes in every look and state, one on a splitter's pane.
std::unique_ptr<TForm> CheckBoxes() {
  auto form = NewForm("Check boxes", 530, 0, 520, 300);
  auto add = [&](int left, int top, const char* caption) {
    auto* c = Place<TRzCheckBox>(*form, left, top, 120, 17);
    c->SetCaption(caption);
    return c;
  };
  const char* looks[] = {"Themed", "Classic", "Hot track", "Disabled"};
  for (int i = 0; i < 4; ++i) {
    for (int s = 0; s < 3; ++s) {
      auto* c = add(10 + i * 125, 10 + s * 24, looks[i]);
      c->SetThemeAware(i == 0);
      c->SetHotTrack(i == 2);
      c->SetAllowGrayed(true);
      c->SetState(static_cast<TCheckBoxState>(s));
      if (i == 3) c->SetEnabled(false);
    }
  }
  auto* ro = add(10, 90, "Open as &read-only");
  ro->SetHotTrack(true);
  ro->SetThemeAware(false);
  ro->SetReadOnly(true);
  ro->SetChecked(true);

  auto* gradient = Place<TRzPanel>(*form, 200, 84, 300, 30);
  gradient->SetVisualStyle(vsGradient);
  gradient->SetGradientColorStart(RGBColor(255, 255, 255));
  gradient->SetGradientColorStop(RGBColor(120, 160, 230));
  auto* onGradient = new TRzCheckBox(form.get());
  onGradient->SetParent(gradient);
  onGradient->SetBounds(6, 6, 150, 17);
  onGradient->SetCaption("Transparent");
  onGradient->SetTransparent(true);
  onGradient->SetChecked(true);

  auto* split = Place<TRzSplitter>(*form, 10, 130, 490, 120);
  split->SetBorderOuter(fsLowered);
  split->SetHotSpotVisible(true);
  split->SetSplitterWidth(8);
  split->SetPosition(160);
  split->UpperLeft().SetColor(clWindow);
  split->LowerRight().SetColor(RGBColor(230, 240, 255));
  auto* inner = new TRzCheckBox(form.get());
  inner->SetParent(&split->LowerRightPane());
  inner->SetBounds(8, 8, 100, 17);
  inner->SetCaption("In a pane");
  inner->SetChecked(true);
  auto* focused = new TRzCheckBox(form.get());
  focused->SetParent(&split->LowerRightPane());
  focused->SetAutoSize(false);
  focused->SetBounds(8, 40, 200, 21);
  focused->SetCaption("Focused");
  form->SetActiveControl(focused);
  return form;
}

// Tool buttons in every style, and button edits with every kind of glyph.
std::unique_ptr<TForm> ToolButtonsAndButtonEdits() {
  auto form = NewForm("Tool buttons and button edits", 0, 340, 560, 300);
  auto* menu = new TPopupMenu(form.get());
  auto* item = new TMenuItem();
  item->SetCaption("Item");
  menu->Items().Add(item);
  const TRzVisualStyle looks[] = {vsWinXP, vsClassic, vsClassic, vsGradient};
  const char* names[] = {"Themed", "Classic", "Not flat", "Gradient"};
  for (int row = 0; row < 4; ++row) {
    auto add = [&](int col, int w) {
      auto* b = Place<TRzToolButton>(*form, 10 + col, 10 + row * 45, w, 40);
      b->SetVisualStyle(looks[row]);
      b->SetFlat(row != 2);
      b->SetImages(&Circles());
      b->SetImageIndex(row % 3);
      b->SetCaption(names[row]);
      return b;
    };
    add(0, 40);
    add(45, 70)->SetShowCaption(true);
    auto* down = add(120, 70);
    down->SetShowCaption(true);
    down->SetLayout(blGlyphTop);
    down->SetGroupIndex(row + 1);
    down->SetDown(true);
    auto* drop = add(195, 60);
    drop->SetToolStyle(tsDropDown);
    drop->SetDropDownMenu(menu);
    auto* off = add(260, 70);
    off->SetShowCaption(true);
    off->SetEnabled(false);
  }
  using K = TRzButtonEdit;
  const K::TButtonKind kinds[] = {K::bkLookup, K::bkDropDown, K::bkCalendar, K::bkAccept,
                                  K::bkReject, K::bkFolder,   K::bkFind,     K::bkSearch};
  for (int i = 0; i < 4; ++i) {
    auto* e = Place<TRzButtonEdit>(*form, 345, 10 + i * 30, 200, 21);
    e->SetText(i == 0 ? "C:\\交易\\xiadan.exe" : "Button edit");
    e->SetButtonKind(kinds[i * 2]);
    e->SetAltBtnKind(kinds[i * 2 + 1]);
    e->SetAltBtnVisible(i > 0);
    if (i == 2) e->SetEnabled(false);
    if (i == 3) e->SetFlatButtons(true);
  }
  auto* ro = Place<TRzButtonEdit>(*form, 345, 130, 200, 21);
  ro->SetText("Read-only: no buttons");
  ro->SetReadOnly(true);
  return form;
}

class GalleryImageCombo : public TRzCustomImageComboBox {
 public:
  using TRzCustomImageComboBox::TRzCustomImageComboBox;
};

class DropEdit : public TRzEdit {
 public:
  using TRzEdit::TRzEdit;
  void ShowDropButton() { SetDropButtonRequested(true); }
};

// The bar's own row of controls, combo boxes and edits with a drop button.
std::unique_ptr<TForm> BarAndCombos() {
  auto form = NewForm("The bar, combo boxes, drop buttons", 570, 310, 560, 260);
  auto* bar = Place<TRzPanel>(*form, 10, 10, 232, 30);
  bar->SetBorderInner(fsLowered);
  bar->SetVisualStyle(vsClassic);
  auto button = [&](const char* caption, TColor color, bool bold) {
    auto* b = new TRzButton(form.get());
    b->SetParent(bar);
    b->SetCaption(caption);
    b->SetWidth(37);
    b->SetAlign(alLeft);
    b->SetParentFont(false);
    b->Font().SetName("微软雅黑");
    b->Font().SetHeight(-12);
    b->Font().SetColor(color);
    b->Font().SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
  };
  button("融买", clRed, false);
  button("买", clRed, true);
  auto* box = new TRzEdit(form.get());
  box->SetParent(bar);
  box->SetWidth(77);
  box->SetAlign(alLeft);
  box->SetAlignment(taCenter);
  box->SetReadOnly(true);
  box->SetColor(clInactiveCaptionText);
  box->SetReadOnlyColor(clInactiveCaptionText);
  box->Font().SetColor(clYellow);
  box->Font().SetStyle({fsBold});
  box->SetText("600000");
  button("卖", clGreen, true);
  button("撤单", clFuchsia, true);

  auto* combo = Place<TRzComboBox>(*form, 260, 14, 140, 21);
  combo->Items().Assign({"Apple", "Apricot", "Banana"});
  combo->SetItemIndex(1);
  auto* framed = Place<TRzComboBox>(*form, 410, 14, 140, 21);
  framed->Items().Assign({"Framed"});
  framed->SetItemIndex(0);
  framed->SetFramingPreference(fpCustomFraming);
  framed->SetFrameVisible(true);
  framed->SetFlatButtons(true);

  auto* images = Place<GalleryImageCombo>(*form, 10, 60, 240, 24);
  images->SetImages(&Circles());
  images->AddItem("Desktop", 0, 0);
  images->AddItem("Computer", 1, 1);
  images->AddItem("Deep folder", 2, 2);
  images->SetItemIndex(2);
  auto* large = Place<GalleryImageCombo>(*form, 260, 60, 240, 24);
  large->Font().SetHeight(-18);
  large->AddItem("Large font", -1, 0);
  large->SetItemIndex(0);

  for (int i = 0; i < 2; ++i) {
    auto* e = Place<DropEdit>(*form, 10 + i * 250, 110, 200, 21);
    e->SetText(i == 0 ? "Drop button, no border" : "Drop button, single border");
    e->SetBorderStyle(i == 0 ? bsNoBorder : bsSingleBorder);
    e->ShowDropButton();
  }
  return form;
}

}  // namespace
}  // namespace kovra

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace kovra;
  try {
    Application().Initialize();
    Application().SetTitle("Gallery");
    std::vector<std::unique_ptr<TForm>> forms;
    forms.push_back(ButtonsAndEdits());
    forms.push_back(CheckBoxes());
    forms.push_back(ToolButtonsAndButtonEdits());
    forms.push_back(BarAndCombos());
    for (auto& form : forms) form->Show();
    // The check box on the splitter's pane shows its focus frame: the keyboard's cues are on.
    SetForegroundWindow(forms[1]->Handle());
    SendMessageW(forms[1]->Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    Application().ProcessMessages();
    for (auto& form : forms)
      RedrawWindow(form->Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Application().ProcessMessages();
    if (FILE* ready = _wfopen(L"gallery.ready", L"w")) std::fclose(ready);
    // Closing any of the windows ends the gallery.
    for (auto& form : forms) form->OnClose = [](TObject*, TCloseAction&) { PostQuitMessage(0); };
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  } catch (...) {
    Application().HandleException(nullptr);
    return 1;
  }
  return 0;
}
