// The framed edit: the single-line edit every edit control of the library builds on.
//   TRzCustomEdit  colour by state (normal, focused, read-only, disabled), a custom frame in the
//                  non-client area with hot tracking, cue text, TabOnEnter, and an optional drop
//                  button in the non-client area for descendants (the numeric edit's calculator)
//   TRzEdit        its published form
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "controls/RzCommon.h"
#include "framework/Mask.h"

namespace kovra {

enum TRzDropButtonState : std::uint8_t { dbsUp, dbsDown };

class TRzCustomEdit : public TCustomMaskEdit, public TRzFrameControllerClient {
 public:
  explicit TRzCustomEdit(TComponent* owner);
  ~TRzCustomEdit() override;

  void SetAlignment(TAlignment value) override;
  bool TabOnEnter() const { return tabOnEnter_; }
  void SetTabOnEnter(bool value) { tabOnEnter_ = value; }
  bool BeepOnInvalidKey() const { return beepOnInvalidKey_; }
  void SetBeepOnInvalidKey(bool value) { beepOnInvalidKey_ = value; }

  TColor DisabledColor() const { return disabledColor_; }
  virtual void SetDisabledColor(TColor value);
  TColor FocusColor() const { return focusColor_; }
  virtual void SetFocusColor(TColor value);
  TColor ReadOnlyColor() const { return readOnlyColor_; }
  virtual void SetReadOnlyColor(TColor value);
  bool ReadOnlyColorOnFocus() const { return readOnlyColorOnFocus_; }
  void SetReadOnlyColorOnFocus(bool value);
  // The colour of the resting state, as the user (or the form) set it.
  TColor NormalColor() const { return normalColor_; }

  TColor FrameColor() const { return frameColor_; }
  virtual void SetFrameColor(TColor value);
  TColor FrameHotColor() const { return frameHotColor_; }
  virtual void SetFrameHotColor(TColor value);
  bool FrameHotTrack() const { return frameHotTrack_; }
  virtual void SetFrameHotTrack(bool value);
  TFrameStyle FrameHotStyle() const { return frameHotStyle_; }
  virtual void SetFrameHotStyle(TFrameStyle value);
  TSides FrameSides() const { return frameSides_; }
  virtual void SetFrameSides(TSides value);
  TFrameStyle FrameStyle() const { return frameStyle_; }
  virtual void SetFrameStyle(TFrameStyle value);
  bool FrameVisible() const { return frameVisible_; }
  virtual void SetFrameVisible(bool value);
  TFramingPreference FramingPreference() const { return framingPreference_; }
  virtual void SetFramingPreference(TFramingPreference value);
  bool FlatButtons() const { return flatButtons_; }
  virtual void SetFlatButtons(bool value);
  TColor FlatButtonColor() const { return flatButtonColor_; }
  void SetFlatButtonColor(TColor value);

  void SetReadOnly(bool value) override;
  // Descendants may count more states as read-only.
  virtual bool IsReadOnly() const { return ReadOnly(); }

  const std::string& TextHint() const { return textHint_; }
  void SetTextHint(std::string_view value);
  bool TextHintVisibleOnFocus() const { return textHintVisibleOnFocus_; }
  void SetTextHintVisibleOnFocus(bool value);

  // Sets Color from the state: disabled, focused, read-only, normal.
  virtual void UpdateColors();
  // Records that the mouse (viaMouse) or the focus is inside or not, and repaints what changed.
  virtual void UpdateFrame(bool viaMouse, bool inside);
  virtual void RepaintFrame();
  // Themes replace the custom frame.
  virtual bool ThemedFraming() const;
  // The rectangle left to the text.
  virtual RECT GetEditRect() const { return ClientRect(); }
  void InvalidKeyBeep() const;

  bool InControl() const { return inControl_; }
  bool OverControl() const { return overControl_; }

  // Older stored forms.
  void ReadFrameFlat(bool value);
  void ReadFrameFocusStyle(std::string_view styleName);
  void ReadFrameFlatStyle(std::string_view) {}

  // The drop button, for descendants and whoever inspects it.
  bool DropButtonVisible() const { return dropButtonShown_; }
  TRzDropButtonState DropButtonState() const { return buttonState_; }
  bool DroppedDown() const { return droppedDown_; }
  // The button strip in window coordinates; empty when not shown.
  RECT DropButtonRect() const;

  TNotifyEvent OnDropDown;  // not published: descendants fire them through DropDown/CloseUp
  TNotifyEvent OnCloseUp;

  // TRzFrameControllerClient
  void ControllerSetColor(TColor v) override { SetColor(v); }
  void ControllerSetFocusColor(TColor v) override { SetFocusColor(v); }
  void ControllerSetDisabledColor(TColor v) override { SetDisabledColor(v); }
  void ControllerSetReadOnlyColor(TColor v) override { SetReadOnlyColor(v); }
  void ControllerSetReadOnlyColorOnFocus(bool v) override { SetReadOnlyColorOnFocus(v); }
  void ControllerSetParentColor(bool v) override { SetParentColor(v); }
  void ControllerSetFlatButtonColor(TColor v) override { SetFlatButtonColor(v); }
  void ControllerSetFlatButtons(bool v) override { SetFlatButtons(v); }
  void ControllerSetFrameColor(TColor v) override { SetFrameColor(v); }
  void ControllerSetFrameHotColor(TColor v) override { SetFrameHotColor(v); }
  void ControllerSetFrameHotTrack(bool v) override { SetFrameHotTrack(v); }
  void ControllerSetFrameHotStyle(TFrameStyle v) override { SetFrameHotStyle(v); }
  void ControllerSetFrameSides(TSides v) override { SetFrameSides(v); }
  void ControllerSetFrameStyle(TFrameStyle v) override { SetFrameStyle(v); }
  void ControllerSetFrameVisible(bool v) override { SetFrameVisible(v); }
  void ControllerSetFramingPreference(TFramingPreference v) override { SetFramingPreference(v); }

 protected:
  virtual void ApplyTextHint(std::string_view text);
  virtual void ReadOnlyChanged();
  virtual void HideDropButton();
  virtual void RestoreDropButton();
  virtual void DrawDropButton(TCanvas& canvas, RECT r);
  virtual void SetButtonState(TRzDropButtonState value);
  virtual void SetDropButtonRequested(bool value);
  virtual void SetDropButtonShown(bool value);
  // Descendants open their popup here; the defaults fire OnDropDown and OnCloseUp.
  virtual void DoDropDown();
  virtual void DoCloseUp();
  void DropDown();
  void ReleaseDropButton();

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Loaded() override;
  void WndProc(TMessage& m) override;
  bool DoKeyPress(wchar_t& key) override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;
  void WMSetFocus(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;
  void WMNCPaint(TMessage& m) override;
  void WMNCCalcSize(TMessage& m) override;
  void WMNCHitTest(TMessage& m) override;
  void WMSize(TMessage& m) override;
  void WMSetCursor(TMessage& m) override;
  void CMMouseEnter(TMessage& m) override;
  void CMMouseLeave(TMessage& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;

 private:
  void PaintNonClient();
  void PaintOwnHint();
  void RedrawFrameRegion(const RECT* r);
  TColor StateColor() const;
  bool NonClientMouse(TMessage& m);

  bool tabOnEnter_ = false;
  bool beepOnInvalidKey_ = true;
  bool updatingColor_ = false;
  TColor disabledColor_ = clBtnFace;
  TColor focusColor_ = clWindow;
  TColor normalColor_ = clWindow;
  TColor frameColor_ = clBtnShadow;
  TColor frameHotColor_ = clBtnShadow;
  bool frameHotTrack_ = false;
  TFrameStyle frameHotStyle_ = fsFlatBold;
  TSides frameSides_ = kAllSides;
  TFrameStyle frameStyle_ = fsFlat;
  TFramingPreference framingPreference_ = fpXPThemes;
  TColor readOnlyColor_ = clInfoBk;
  bool readOnlyColorOnFocus_ = false;
  std::string textHint_;
  bool textHintVisibleOnFocus_ = false;
  bool paintsOwnHint_ = false;
  bool dropButtonRequested_ = false;
  bool dropButtonShown_ = false;
  bool mouseOverButton_ = false;
  bool flatButtons_ = false;
  TColor flatButtonColor_ = clBtnFace;
  bool droppedDown_ = false;
  TRzDropButtonState buttonState_ = dbsUp;
  TCanvas frameCanvas_;
  bool inControl_ = false;
  bool overControl_ = false;
  bool frameVisible_ = false;
};

class TRzEdit : public TRzCustomEdit {
 public:
  explicit TRzEdit(TComponent* owner);
  ~TRzEdit() override;
};

}  // namespace kovra
