// TRzFramedView: the framed look of the edit family given to a system view control (tree, list):
// a custom non-client frame with hot tracking, colour by state (disabled, focused, normal) and
// the frame controller's settings. `Base` is a framework window control over a system class.
#pragma once

#include <windows.h>

#include <string_view>

#include "controls/RzCommon.h"
#include "controls/RzFramedControl.h"
#include "framework/CanvasScope.h"
#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace kovra {

template <class Base>
class TRzFramedView : public TRzFramedControl<Base> {
  using Framed = TRzFramedControl<Base>;
  using Framed::frameColor_, Framed::frameHotColor_, Framed::frameHotTrack_, Framed::frameHotStyle_,
      Framed::frameSides_, Framed::frameStyle_, Framed::frameVisible_, Framed::frameCanvas_;

 public:
  explicit TRzFramedView(TComponent* owner) : Framed(owner) {}

  TColor FocusColor() const { return focusColor_; }
  void SetFocusColor(TColor value) { SetStateColor(focusColor_, value); }
  TColor DisabledColor() const { return disabledColor_; }
  void SetDisabledColor(TColor value) { SetStateColor(disabledColor_, value); }
  // Older stored forms.
  void ReadFrameFlat(bool value) {
    if (!value) return;
    this->SetFrameVisible(true);
    this->SetFrameStyle(fsFlat);
  }
  void ReadFrameFocusStyle(std::string_view) {}
  void ReadFrameFlatStyle(std::string_view) {}

  void ControllerSetFocusColor(TColor v) override { SetFocusColor(v); }
  void ControllerSetDisabledColor(TColor v) override { SetDisabledColor(v); }

 protected:
  void WMNCPaint(TMessage& m) override {
    Base::WMNCPaint(m);
    if (!this->CustomFrame() || !this->HandleAllocated()) return;
    HWND wnd = this->WindowHandle();
    WindowDC dc(wnd, WindowDC::kWholeWindow);
    if (!dc.Get()) return;
    const TCanvasOnDC attached(frameCanvas_, dc.Get());
    RECT w;
    GetWindowRect(wnd, &w);
    const bool hot = frameHotTrack_ && (inControl_ || this->Focused());
    PaintControlFrame(frameCanvas_, w.right - w.left, w.bottom - w.top,
                      hot ? frameHotStyle_ : frameStyle_, this->Color(),
                      hot ? frameHotColor_ : frameColor_, frameSides_, false);
    m.Result = 0;
  }
  void WMSetFocus(TMessage& m) override {
    Base::WMSetFocus(m);
    if (focusColor_ != normalColor_) UpdateStateColor();
    if (frameHotTrack_) this->RepaintFrame();
  }
  void WMKillFocus(TMessage& m) override {
    Base::WMKillFocus(m);
    if (focusColor_ != normalColor_) ShowColor(normalColor_);
    if (frameHotTrack_) this->RepaintFrame();
  }
  void CMMouseEnter(TMessage& m) override {
    Base::CMMouseEnter(m);
    inControl_ = true;
    if (frameHotTrack_) this->RepaintFrame();
  }
  void CMMouseLeave(TMessage& m) override {
    Base::CMMouseLeave(m);
    inControl_ = false;
    if (frameHotTrack_) this->RepaintFrame();
  }
  void CMEnabledChanged(TMessage& m) override {
    Base::CMEnabledChanged(m);
    UpdateStateColor();
  }

 private:
  void SetStateColor(TColor& field, TColor value) {
    if (field == value) return;
    field = value;
    UpdateStateColor();
  }
  // The colour the user set is the normal one; the state colours only show.
  void UpdateStateColor() {
    if (!updatingColor_) normalColor_ = this->Color();
    TColor wanted = normalColor_;
    if (!this->Enabled())
      wanted = disabledColor_;
    else if (this->Focused())
      wanted = focusColor_;
    ShowColor(wanted);
  }
  void ShowColor(TColor color) {
    updatingColor_ = true;
    this->SetColor(color);
    updatingColor_ = false;
  }

  TColor focusColor_ = clWindow;
  TColor disabledColor_ = clBtnFace;
  TColor normalColor_ = clWindow;
  bool inControl_ = false;
  bool updatingColor_ = false;
};

}  // namespace kovra
