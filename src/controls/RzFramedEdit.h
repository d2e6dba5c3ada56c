// TRzFramedEdit: what the framed edit and the framed combo box share, over a framework control
// `Base`: colour by state (normal, focused, read-only, disabled), the frame settings with hot
// tracking, flat buttons, cue text, the frame controller's settings and the older stored forms.
// The control decides where its frame lies (non-client or client area), what counts as focused
// for the colours, and what a visible frame does to its window (the hooks below).
#pragma once

#include <windows.h>

#include <uxtheme.h>
#include <vsstyle.h>

#include <string>
#include <string_view>

#include "controls/RzCommon.h"
#include "controls/RzControlMessages.h"
#include "controls/RzFlagScope.h"
#include "controls/RzFramedControl.h"
#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "framework/WindowClass.h"

namespace kovra {

template <class Base>
class TRzFramedEdit : public TRzFramedControl<Base> {
  using Framed = TRzFramedControl<Base>;

 public:
  explicit TRzFramedEdit(TComponent* owner) : Framed(owner) {}

  bool TabOnEnter() const { return tabOnEnter_; }
  void SetTabOnEnter(bool value) { tabOnEnter_ = value; }
  bool BeepOnInvalidKey() const { return beepOnInvalidKey_; }
  void SetBeepOnInvalidKey(bool value) { beepOnInvalidKey_ = value; }
  void InvalidKeyBeep() const {
    if (beepOnInvalidKey_) MessageBeep(0);
  }

  TColor DisabledColor() const { return disabledColor_; }
  virtual void SetDisabledColor(TColor value) {
    if (value == disabledColor_) return;
    disabledColor_ = value;
    if (!this->Enabled()) UpdateColors();
  }
  TColor FocusColor() const { return focusColor_; }
  virtual void SetFocusColor(TColor value) {
    if (value == focusColor_) return;
    focusColor_ = value;
    if (InFocusState()) UpdateColors();
  }
  TColor ReadOnlyColor() const { return readOnlyColor_; }
  virtual void SetReadOnlyColor(TColor value) {
    if (value == readOnlyColor_) return;
    readOnlyColor_ = value;
    if (IsReadOnly()) UpdateColors();
  }
  bool ReadOnlyColorOnFocus() const { return readOnlyColorOnFocus_; }
  void SetReadOnlyColorOnFocus(bool value) {
    if (value == readOnlyColorOnFocus_) return;
    readOnlyColorOnFocus_ = value;
    if (InFocusState()) UpdateColors();
  }
  // The colour of the resting state, as the user (or the form) set it.
  TColor NormalColor() const { return normalColor_; }

  void SetFrameHotStyle(TFrameStyle value) override {
    if (IsFrameStyle(value)) Framed::SetFrameHotStyle(value);
  }
  void SetFrameStyle(TFrameStyle value) override {
    if (IsFrameStyle(value)) Framed::SetFrameStyle(value);
  }
  bool FlatButtons() const { return flatButtons_; }
  virtual void SetFlatButtons(bool value) { SetFrameSetting(flatButtons_, value); }
  TColor FlatButtonColor() const { return flatButtonColor_; }
  void SetFlatButtonColor(TColor value) { SetFrameSetting(flatButtonColor_, value); }

  // Descendants may count more states as read-only.
  virtual bool IsReadOnly() const = 0;
  // Sets Color from the state: disabled, focused, read-only, normal.
  virtual void UpdateColors() {
    if (this->IsLoading()) return;
    TFlagScope updating(updatingColor_);
    this->SetColor(StateColor());
  }
  // Records that the mouse (viaMouse) or the focus is inside or not, and repaints what changed.
  virtual void UpdateFrame(bool viaMouse, bool inside) {
    if (viaMouse)
      overControl_ = inside;
    else
      inControl_ = inside;
    RepaintHot();
    UpdateColors();
  }
  bool InControl() const { return inControl_; }
  bool OverControl() const { return overControl_; }

  // Grey text shown while the control is empty.
  const std::string& TextHint() const { return textHint_; }
  void SetTextHint(std::string_view value) {
    if (value == textHint_) return;
    textHint_ = value;
    if (!this->IsLoading()) ApplyTextHint();
  }

  // Older stored forms.
  void ReadFrameFlat(bool value) {
    if (!value) return;
    this->SetFrameHotTrack(true);
    SetFrameStyle(fsStatus);
    SetFrameHotStyle(fsLowered);
  }
  void ReadFrameFocusStyle(std::string_view styleName) {
    TFrameStyle style;
    if (FrameStyleFromName(styleName, style)) SetFrameHotStyle(style);
  }
  void ReadFrameFlatStyle(std::string_view) {}

  // TRzFrameControllerClient
  void ControllerSetFocusColor(TColor v) override { SetFocusColor(v); }
  void ControllerSetDisabledColor(TColor v) override { SetDisabledColor(v); }
  void ControllerSetReadOnlyColor(TColor v) override { SetReadOnlyColor(v); }
  void ControllerSetReadOnlyColorOnFocus(bool v) override { SetReadOnlyColorOnFocus(v); }
  void ControllerSetFlatButtonColor(TColor v) override { SetFlatButtonColor(v); }
  void ControllerSetFlatButtons(bool v) override { SetFlatButtons(v); }

 protected:
  using Framed::frameColor_, Framed::frameHotColor_, Framed::frameHotTrack_, Framed::frameHotStyle_,
      Framed::frameSides_, Framed::frameStyle_;
  using Framed::SetFrameSetting;

  // Whether the focus colours apply now.
  virtual bool InFocusState() const = 0;
  // Hot tracking needs a frame all round.
  void HotTrackChanged() override {
    if (frameHotTrack_) {
      this->SetFrameVisible(true);
      if (!this->IsLoading()) frameSides_ = kAllSides;
    }
    this->RepaintFrame();
  }
  // The hot state changed: repaint what shows it.
  virtual void RepaintHot() = 0;
  // Hands the cue text to the system control; where it keeps none, sets paintsOwnHint_.
  virtual void ApplyTextHint() = 0;

  TColor StateColor() const {
    if (!this->Enabled()) return disabledColor_;
    if (InFocusState()) return IsReadOnly() && readOnlyColorOnFocus_ ? readOnlyColor_ : focusColor_;
    if (IsReadOnly()) return readOnlyColor_;
    return normalColor_;
  }
  bool HotFrame() const { return frameHotTrack_ && (inControl_ || overControl_); }
  TFrameStyle ShownFrameStyle() const { return HotFrame() ? frameHotStyle_ : frameStyle_; }
  TColor ShownFrameColor() const { return HotFrame() ? frameHotColor_ : frameColor_; }
  // A flat drop button under the mouse, raised or (down) sunk, in FlatButtonColor.
  void PaintHotFlatButton(TCanvas& canvas, RECT r, bool down) {
    RECT inner;
    if (flatButtonColor_ == clBtnFace)
      inner = PaintEdgeLines(canvas, r, down ? clBtnShadow : clBtnHighlight,
                             down ? clBtnHighlight : clBtnShadow);
    else
      inner = PaintTintedFrame(canvas, r, flatButtonColor_, down ? fsStatus : fsPopup);
    canvas.Brush().SetColor(flatButtonColor_);
    canvas.FillRect(inner);
    PaintDropDownArrow(canvas, r, alkClassic, this->Enabled());
  }

  // The cue text in grey, in the control's font.
  void DrawTextHint(HDC dc, RECT r, UINT format) const {
    SelectObjectScope font(dc, this->Font().Handle());
    SetTextColor(dc, ToColorRef(clGrayText));
    SetBkMode(dc, TRANSPARENT);
    const std::wstring hint = Wide(textHint_);
    DrawTextW(dc, hint.c_str(), static_cast<int>(hint.size()), &r, format);
  }
  // The themed combo box drop button; false where no theme data opens.
  bool DrawThemedDropButton(HDC dc, const RECT& r, int state) const {
    ThemeHandle theme(OpenThemeData(this->WindowHandle(), L"COMBOBOX"));
    if (!theme.Get()) return false;
    DrawThemeBackground(theme.Get(), dc, CP_DROPDOWNBUTTON, state, &r, nullptr);
    return true;
  }

  void Loaded() override {
    Base::Loaded();
    UpdateColors();
    UpdateFrame(false, false);
  }
  // A colour set from outside (the user, a form, the parent) becomes the resting colour; the
  // focus colour follows it unless it was chosen separately.
  void CMColorChanged(TMessage& m) override {
    Base::CMColorChanged(m);
    if (updatingColor_) return;
    if (focusColor_ == normalColor_) focusColor_ = this->Color();
    normalColor_ = this->Color();
  }
  void CMEnabledChanged(TMessage& m) override {
    Base::CMEnabledChanged(m);
    UpdateColors();
  }
  void CMMouseEnter(TMessage& m) override {
    if (!IsOwnMouseMessage(m, this)) return;
    Base::CMMouseEnter(m);
    UpdateFrame(true, true);
  }
  void CMMouseLeave(TMessage& m) override {
    if (!IsOwnMouseMessage(m, this)) return;
    Base::CMMouseLeave(m);
    UpdateFrame(true, false);
  }

  bool flatButtons_ = false;
  TColor flatButtonColor_ = clBtnFace;
  bool inControl_ = false;
  bool overControl_ = false;
  bool tabOnEnter_ = false;
  std::string textHint_;
  bool paintsOwnHint_ = false;

 private:
  bool beepOnInvalidKey_ = true;
  bool updatingColor_ = false;
  TColor disabledColor_ = clBtnFace;
  TColor focusColor_ = clWindow;
  TColor normalColor_ = clWindow;
  TColor readOnlyColor_ = clInfoBk;
  bool readOnlyColorOnFocus_ = false;
};

}  // namespace kovra
