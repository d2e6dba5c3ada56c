// TRzButtonPair, TRzCustomButtonEdit and TRzButtonEdit.
#include "controls/RzBtnEdt.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

namespace kovra {

namespace {

// The cursor is over the window of `control` or one of its children.
bool CursorInWindow(TWinControl& control) {
  if (!control.HandleAllocated()) return false;
  POINT p;
  if (!GetCursorPos(&p)) return false;
  RECT r;
  GetWindowRect(control.WindowHandle(), &r);
  return PtInRect(&r, p) != FALSE;
}

// The glyph resources of the kinds from bkLookup on: two 10 x 10 cells, 8 bits per pixel, keyed
// by the bottom-left pixel (drawn by scripts/gen-glyphs.py).
constexpr const char* kKindGlyphs[] = {
    "RZBTNEDT_LOOKUP", "RZBTNEDT_DROPDOWN", "RZBTNEDT_CALENDAR", "RZBTNEDT_ACCEPT",
    "RZBTNEDT_REJECT", "RZBTNEDT_FOLDER",   "RZBTNEDT_FIND",     "RZBTNEDT_SEARCH",
};

}  // namespace

// ---- TRzButtonPair ----

TRzButtonPair::TRzButtonPair(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() & ~(csAcceptsControls | csSetCaption));
  SetBounds(0, 0, 34, 21);
  SetColor(clBtnFace);
  alt_ = MakeButton();
  main_ = MakeButton();
}

TRzButtonPair::~TRzButtonPair() {
  Destroying();
}

TRzControlButton* TRzButtonPair::MakeButton() {
  auto* b = new TRzControlButton(this);
  b->SetVisible(false);
  b->SetParent(this);
  b->SetWidth(ThemesActive() ? 15 : 17);
  b->OnClick = [this](TObject* sender) { ButtonClick(sender); };
  b->OnMouseDown = [this](TObject* sender, TMouseButton button, TShiftState, int, int) {
    if (button == mbLeft) KeepFocus(sender);
  };
  return b;
}

void TRzButtonPair::SetFocusControl(TWinControl* control) {
  if (control == focusControl_) return;
  if (focusControl_) RemoveFreeNotification(focusControl_);
  focusControl_ = control;
  if (control) FreeNotification(control);
}

void TRzButtonPair::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
}

void TRzButtonPair::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  alt_->SetFlat(value);
  main_->SetFlat(value);
}

void TRzButtonPair::ButtonClick(TObject* sender) {
  if (sender == alt_) {
    if (OnAltClick) OnAltClick(this);
  } else if (OnMainClick) {
    OnMainClick(this);
  }
}

// The edit takes the focus before a button acts; a press that cannot move it there is dropped.
void TRzButtonPair::KeepFocus(TObject* sender) {
  auto* button = dynamic_cast<TRzControlButton*>(static_cast<TComponent*>(sender));
  auto claim = [&](TWinControl& target) {
    if (target.Focused()) return;
    if (target.CanFocus()) target.SetFocus();
    if (!target.Focused() && button) button->AbandonPress();
  };
  if (focusControl_ && focusControl_->TabStop() && focusControl_->CanFocus())
    claim(*focusControl_);
  else if (TabStop())
    claim(*this);
}

void TRzButtonPair::Paint() {
  Canvas().Brush().SetColor(Color());
  Canvas().FillRect(ClientRect());
}

void TRzButtonPair::CMColorChanged(TMessage& m) {
  TCustomControl::CMColorChanged(m);
  if (!alt_ || !main_) return;  // still being built
  alt_->SetColor(Color());
  main_->SetColor(Color());
}

void TRzButtonPair::CMEnabledChanged(TMessage& m) {
  TCustomControl::CMEnabledChanged(m);
  if (!alt_ || !main_) return;
  alt_->SetEnabled(Enabled());
  main_->SetEnabled(Enabled());
}

// The mouse on the buttons is the mouse on the edit, for the edit's hot look.
void TRzButtonPair::CMMouseEnter(TMessage& m) {
  TCustomControl::CMMouseEnter(m);
  if (m.LParam != reinterpret_cast<LPARAM>(static_cast<TControl*>(this))) return;
  if (auto* edit = dynamic_cast<TRzCustomEdit*>(focusControl_)) edit->UpdateFrame(true, true);
}

void TRzButtonPair::CMMouseLeave(TMessage& m) {
  TCustomControl::CMMouseLeave(m);
  if (m.LParam != reinterpret_cast<LPARAM>(static_cast<TControl*>(this))) return;
  if (auto* edit = dynamic_cast<TRzCustomEdit*>(focusControl_))
    edit->UpdateFrame(true, CursorInWindow(*edit));
}

// ---- TRzCustomButtonEdit ----

TRzCustomButtonEdit::TRzCustomButtonEdit(TComponent* owner) : TRzEdit(owner) {
  SetControlStyle(ControlStyle() & ~csSetCaption);
  SetWidth(121);
  pair_ = new TRzButtonPair(this);
  pair_->SetBounds(0, 0, 17, 10);
  pair_->SetFocusControl(this);
  pair_->SetParent(this);
  pair_->OnAltClick = [this](TObject*) { AltBtnClick(); };
  pair_->OnMainClick = [this](TObject*) { ButtonClick(); };
  AltRef().SetGlyph(KindGlyph(bkLookup));
  AltRef().SetNumGlyphs(2);
  MainRef().SetGlyph(KindGlyph(bkLookup));
  MainRef().SetNumGlyphs(2);
  MainRef().SetVisible(true);
  ResizeButtons();
}

TRzCustomButtonEdit::~TRzCustomButtonEdit() {
  Destroying();
}

TRzControlButton* TRzCustomButtonEdit::Button(int index) const {
  return index == kAltButton ? pair_->AltButton() : pair_->MainButton();
}

const TBitmap& TRzCustomButtonEdit::KindGlyph(TButtonKind kind) {
  static std::array<std::unique_ptr<TBitmap>, bkSearch + 1> cache;
  auto& slot = cache[std::min<size_t>(kind, bkSearch)];
  if (!slot) {
    slot = std::make_unique<TBitmap>();
    if (kind >= bkLookup && kind <= bkSearch) {
      try {
        slot->LoadFromResource(GetModuleHandleW(nullptr), kKindGlyphs[kind - bkLookup]);
      } catch (const EInvalidGraphic&) {
        // A program built without the glyphs shows its buttons without them.
      }
    }
  }
  return *slot;
}

void TRzCustomButtonEdit::SetGlyphOf(int index, const TBitmap& glyph) {
  Button(index)->SetGlyph(glyph);
  (index == kAltButton ? altBtnKind_ : buttonKind_) = bkCustom;
}

void TRzCustomButtonEdit::SetKindOf(int index, TButtonKind value) {
  if (value > bkSearch) return;
  TButtonKind& kind = index == kAltButton ? altBtnKind_ : buttonKind_;
  if (value == kind) return;
  kind = value;
  if (value == bkCustom || IsLoading()) return;
  Button(index)->SetGlyph(KindGlyph(value));
  Button(index)->SetNumGlyphs(2);
}

void TRzCustomButtonEdit::SetVisibleOf(int index, bool value) {
  Button(index)->SetVisible(value);
  ResizeButtons();
}

void TRzCustomButtonEdit::SetWidthOf(int index, int value) {
  Button(index)->SetWidth(std::max(value, 0));
  ResizeButtons();
}

void TRzCustomButtonEdit::SetHideButtonsOnReadOnly(bool value) {
  if (value == hideButtonsOnReadOnly_) return;
  hideButtonsOnReadOnly_ = value;
  ReadOnlyChanged();
}

void TRzCustomButtonEdit::SetFlatButtons(bool value) {
  if (value == FlatButtons()) return;
  TRzEdit::SetFlatButtons(value);
  pair_->SetFlat(value);
  UpdateFlatButtons();
  ResizeButtons();
}

void TRzCustomButtonEdit::SetFlatButtonColor(TColor value) {
  if (value == FlatButtonColor()) return;
  TRzEdit::SetFlatButtonColor(value);
  UpdateFlatButtons();
}

void TRzCustomButtonEdit::SetFrameStyle(TFrameStyle value) {
  TRzEdit::SetFrameStyle(value);
  ResizeButtons();
}

void TRzCustomButtonEdit::Loaded() {
  TRzEdit::Loaded();
  if (altBtnKind_ != bkCustom) {
    AltRef().SetGlyph(KindGlyph(altBtnKind_));
    AltRef().SetNumGlyphs(2);
  }
  if (buttonKind_ != bkCustom) {
    MainRef().SetGlyph(KindGlyph(buttonKind_));
    MainRef().SetNumGlyphs(2);
  }
  ResizeButtons();
}

void TRzCustomButtonEdit::AltBtnClick() {
  if (OnAltBtnClick) OnAltBtnClick(this);
}

void TRzCustomButtonEdit::ButtonClick() {
  if (OnButtonClick) OnButtonClick(this);
}

// ---- layout ----

void TRzCustomButtonEdit::ResizeButtons() {
  if (IsLoading() || layingOut_ || !pair_) return;
  struct Guard {
    bool& flag;
    ~Guard() { flag = false; }
  } guard{layingOut_};
  layingOut_ = true;
  const int minHeight = FontBoxHeight(Font());
  if (Height() < minHeight) {
    const int before = Height();
    SetHeight(minHeight);
    if (Height() != before) {  // a parent may hold the height; then lay out as it is
      layingOut_ = false;
      ResizeButtons();
      return;
    }
  }
  TRzControlButton& mainButton = MainRef();
  TRzControlButton& altButton = AltRef();
  const int w = (mainButton.Visible() ? mainButton.Width() : 0) +
                (altButton.Visible() ? altButton.Width() : 0);
  const bool framed = FrameVisible() || Ctl3D();
  const int left = Width() - w - (framed ? 4 : 1);
  const int top = framed ? 0 : 1;
  pair_->SetBounds(left, top, w, std::max(Height() - 3, 0));
  const int h = std::max(pair_->Height() - 1, 0);
  mainButton.SetBounds(0, 0, mainButton.Width(), h);
  altButton.SetBounds(mainButton.Visible() ? mainButton.Width() : 0, 0, altButton.Width(), h);
  SetEditMargins();
  Invalidate();
}

RECT TRzCustomButtonEdit::GetEditRect() const {
  RECT r = TRzEdit::GetEditRect();
  if (!ButtonsHiddenForReadOnly()) r.right = std::max(r.left, r.right - pair_->Width() - 2);
  return r;
}

void TRzCustomButtonEdit::SetEditMargins() {
  if (!HandleAllocated() || !pair_) return;
  const int right = ButtonsHiddenForReadOnly() ? 0 : pair_->Width() + 2;
  SendMessageW(WindowHandle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(0, right));
}

void TRzCustomButtonEdit::ReadOnlyChanged() {
  TRzEdit::ReadOnlyChanged();
  pair_->SetVisible(!ButtonsHiddenForReadOnly());
  ResizeButtons();
}

void TRzCustomButtonEdit::CreateWnd() {
  TRzEdit::CreateWnd();
  SetEditMargins();
}

void TRzCustomButtonEdit::WMSize(TMessage& m) {
  TRzEdit::WMSize(m);
  ResizeButtons();
}

// The system edit resets its margins with every new font.
void TRzCustomButtonEdit::CMFontChanged(TMessage& m) {
  TRzEdit::CMFontChanged(m);
  ResizeButtons();
}

// ---- colours and hot state ----

void TRzCustomButtonEdit::CMColorChanged(TMessage& m) {
  TRzEdit::CMColorChanged(m);
  if (pair_) pair_->SetColor(Color());
}

void TRzCustomButtonEdit::CMEnabledChanged(TMessage& m) {
  TRzEdit::CMEnabledChanged(m);
  pair_->SetEnabled(Enabled());
  if (FlatButtons()) pair_->SetColor(Color());
  SetEditMargins();
}

void TRzCustomButtonEdit::UpdateFrame(bool viaMouse, bool inside) {
  TRzEdit::UpdateFrame(viaMouse, inside);
  UpdateFlatButtons();
}

void TRzCustomButtonEdit::UpdateFlatButtons() {
  if (!FlatButtons() || !pair_) return;
  const bool hot = OverControl() || InControl() || Focused();
  if (ThemesActive()) {
    pair_->SetFlat(!hot);
    pair_->SetColor(Color());
  } else {
    pair_->SetColor(hot ? FlatButtonColor() : Color());
  }
}

// ---- keys ----

bool TRzCustomButtonEdit::ButtonUsable(const TRzControlButton& b) const {
  return b.Visible() && b.Enabled() && pair_->Visible() && pair_->Enabled();
}

bool TRzCustomButtonEdit::TryShortCut(WORD key, TShiftState shift) {
  if (key == 0) return false;
  keyHandled_ = false;
  std::uint16_t value = key & 0xFF;
  if (shift & ssShift) value |= kShift;
  if (shift & ssCtrl) value |= kCtrl;
  if (shift & ssAlt) value |= kAlt;
  if (ButtonUsable(MainRef()) && value == buttonShortCut_)
    MainRef().Click();
  else if (ButtonUsable(AltRef()) && value == altBtnShortCut_)
    AltRef().Click();
  else
    return false;
  keyHandled_ = true;
  return true;
}

bool TRzCustomButtonEdit::DoKeyDown(WORD& key, TShiftState shift) {
  if (TRzEdit::DoKeyDown(key, shift)) return true;
  if (!allowKeyEdit_ && key == VK_DELETE) {
    InvalidKeyBeep();
    key = 0;
    return true;
  }
  if (!TryShortCut(key, shift)) return false;
  key = 0;
  return true;
}

// A character whose key clicked a button types nothing, whatever else would take it.
bool TRzCustomButtonEdit::DoKeyPress(wchar_t& key) {
  if (keyHandled_) {
    keyHandled_ = false;
    key = 0;
    return true;
  }
  if (TRzEdit::DoKeyPress(key)) return true;
  if (!allowKeyEdit_ && (key >= 32 || key == VK_BACK)) {
    InvalidKeyBeep();
    key = 0;
    return true;
  }
  return false;
}

void TRzCustomButtonEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
      if (!allowKeyEdit_ || IsReadOnly()) {
        m.Result = 0;
        return;
      }
      break;
    case WM_SYSKEYDOWN:  // Alt shortcuts (and F10) come as system keys
      if (TryShortCut(static_cast<WORD>(m.WParam), KeyboardShiftState())) {
        m.Result = 0;
        return;
      }
      break;
    case WM_SYSCHAR:
      if (keyHandled_) {
        keyHandled_ = false;
        m.Result = 0;
        return;
      }
      break;
    default:
      break;
  }
  TRzEdit::WndProc(m);
}

// ---- focus ----

void TRzCustomButtonEdit::WMSetFocus(TMessage& m) {
  SetEditMargins();
  TRzEdit::WMSetFocus(m);
  UpdateFlatButtons();
}

void TRzCustomButtonEdit::WMKillFocus(TMessage& m) {
  TRzEdit::WMKillFocus(m);
  SetEditMargins();
  UpdateFlatButtons();
}

// ---- shortcut text ----

void TRzCustomButtonEdit::ReadButtonShortCutText(std::string_view text) {
  if (const std::uint16_t value = kovra::TextToShortCut(text)) buttonShortCut_ = value;
}

void TRzCustomButtonEdit::ReadAltBtnShortCutText(std::string_view text) {
  if (const std::uint16_t value = kovra::TextToShortCut(text)) altBtnShortCut_ = value;
}

// ---- TRzButtonEdit ----

TRzButtonEdit::TRzButtonEdit(TComponent* owner) : TRzCustomButtonEdit(owner) {}

TRzButtonEdit::~TRzButtonEdit() {
  Destroying();
}

}  // namespace kovra
