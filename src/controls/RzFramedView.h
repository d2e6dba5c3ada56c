// TRzFramedView: the framed look of the edit family given to a system view control (tree, list):
// a custom non-client frame with hot tracking, colour by state (disabled, focused, normal) and
// the frame controller's settings. `Base` is a framework window control over a system class.
#pragma once

#include <windows.h>

#include <string_view>

#include "controls/RzCommon.h"
#include "controls/RzFrameController.h"
#include "framework/Controls.h"
#include "framework/Graphics.h"

namespace kovra {

template <class Base>
class TRzFramedView : public Base, public TRzFrameControllerClient {
 public:
  explicit TRzFramedView(TComponent* owner) : Base(owner) {}
  ~TRzFramedView() override { SetFrameController(nullptr); }

  TColor FrameColor() const { return frameColor_; }
  void SetFrameColor(TColor value) { SetFrameSetting(frameColor_, value); }
  TColor FrameHotColor() const { return frameHotColor_; }
  void SetFrameHotColor(TColor value) { SetFrameSetting(frameHotColor_, value); }
  bool FrameHotTrack() const { return frameHotTrack_; }
  void SetFrameHotTrack(bool value) { SetFrameSetting(frameHotTrack_, value); }
  TFrameStyle FrameHotStyle() const { return frameHotStyle_; }
  void SetFrameHotStyle(TFrameStyle value) { SetFrameSetting(frameHotStyle_, value); }
  TSides FrameSides() const { return frameSides_; }
  void SetFrameSides(TSides value) { SetFrameSetting(frameSides_, value); }
  TFrameStyle FrameStyle() const { return frameStyle_; }
  void SetFrameStyle(TFrameStyle value) { SetFrameSetting(frameStyle_, value); }
  bool FrameVisible() const { return frameVisible_; }
  void SetFrameVisible(bool value) { SetFrameSetting(frameVisible_, value); }
  TFramingPreference FramingPreference() const { return framingPreference_; }
  void SetFramingPreference(TFramingPreference value) {
    SetFrameSetting(framingPreference_, value);
  }
  TColor FocusColor() const { return focusColor_; }
  void SetFocusColor(TColor value) { SetStateColor(focusColor_, value); }
  TColor DisabledColor() const { return disabledColor_; }
  void SetDisabledColor(TColor value) { SetStateColor(disabledColor_, value); }
  // Older stored forms.
  void ReadFrameFlat(bool value) {
    if (!value) return;
    SetFrameVisible(true);
    SetFrameStyle(fsFlat);
  }
  void ReadFrameFocusStyle(std::string_view) {}
  void ReadFrameFlatStyle(std::string_view) {}

  void ControllerSetColor(TColor v) override { this->SetColor(v); }
  void ControllerSetFocusColor(TColor v) override { SetFocusColor(v); }
  void ControllerSetDisabledColor(TColor v) override { SetDisabledColor(v); }
  void ControllerSetParentColor(bool v) override { this->SetParentColor(v); }
  void ControllerSetFrameColor(TColor v) override { SetFrameColor(v); }
  void ControllerSetFrameHotColor(TColor v) override { SetFrameHotColor(v); }
  void ControllerSetFrameHotTrack(bool v) override { SetFrameHotTrack(v); }
  void ControllerSetFrameHotStyle(TFrameStyle v) override { SetFrameHotStyle(v); }
  void ControllerSetFrameSides(TSides v) override { SetFrameSides(v); }
  void ControllerSetFrameStyle(TFrameStyle v) override { SetFrameStyle(v); }
  void ControllerSetFrameVisible(bool v) override { SetFrameVisible(v); }
  void ControllerSetFramingPreference(TFramingPreference v) override { SetFramingPreference(v); }

 protected:
  bool ThemedFraming() const { return framingPreference_ == fpXPThemes && ThemesActive(); }
  void RepaintFrame() {
    if (this->HandleAllocated()) InvalidateNonClientFrame(this->WindowHandle());
  }

  void WMNCPaint(TMessage& m) override {
    Base::WMNCPaint(m);
    if (!frameVisible_ || ThemedFraming() || !this->HandleAllocated()) return;
    HWND wnd = this->WindowHandle();
    HDC dc = GetWindowDC(wnd);
    if (!dc) return;
    struct Release {
      HWND wnd;
      HDC dc;
      TCanvas& canvas;
      ~Release() {
        canvas.SetHandle(nullptr);
        ReleaseDC(wnd, dc);
      }
    } release{wnd, dc, frameCanvas_};
    frameCanvas_.SetHandle(dc);
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
    if (frameHotTrack_) RepaintFrame();
  }
  void WMKillFocus(TMessage& m) override {
    Base::WMKillFocus(m);
    if (focusColor_ != normalColor_) ShowColor(normalColor_);
    if (frameHotTrack_) RepaintFrame();
  }
  void CMMouseEnter(TMessage& m) override {
    Base::CMMouseEnter(m);
    inControl_ = true;
    if (frameHotTrack_) RepaintFrame();
  }
  void CMMouseLeave(TMessage& m) override {
    Base::CMMouseLeave(m);
    inControl_ = false;
    if (frameHotTrack_) RepaintFrame();
  }
  void CMEnabledChanged(TMessage& m) override {
    Base::CMEnabledChanged(m);
    UpdateStateColor();
  }

 private:
  template <class T>
  void SetFrameSetting(T& field, T value) {
    if (field == value) return;
    field = value;
    RepaintFrame();
  }
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

  TColor frameColor_ = clBtnShadow;
  TColor frameHotColor_ = clBtnShadow;
  bool frameHotTrack_ = false;
  TFrameStyle frameHotStyle_ = fsFlatBold;
  TSides frameSides_ = kAllSides;
  TFrameStyle frameStyle_ = fsFlat;
  bool frameVisible_ = false;
  TFramingPreference framingPreference_ = fpXPThemes;
  TColor focusColor_ = clWindow;
  TColor disabledColor_ = clBtnFace;
  TColor normalColor_ = clWindow;
  bool inControl_ = false;
  bool updatingColor_ = false;
  TCanvas frameCanvas_;
};

}  // namespace kovra
