// TRzFramedControl: the frame settings every framed control of the library carries over a
// framework control `Base` (colour, hot colour, hot tracking, hot style, sides, style, visibility,
// framing preference) and its link to a frame controller. The framed edit family
// (RzFramedEdit.h) and the framed system views (RzFramedView.h) build on it.
#pragma once

#include <windows.h>

#include "controls/RzCommon.h"
#include "controls/RzFrameController.h"
#include "framework/Controls.h"
#include "framework/Graphics.h"

namespace kovra {

template <class Base>
class TRzFramedControl : public Base, public TRzFrameControllerClient {
 public:
  explicit TRzFramedControl(TComponent* owner) : Base(owner) {}
  ~TRzFramedControl() override { SetFrameController(nullptr); }

  TColor FrameColor() const { return frameColor_; }
  virtual void SetFrameColor(TColor value) { SetFrameSetting(frameColor_, value); }
  TColor FrameHotColor() const { return frameHotColor_; }
  virtual void SetFrameHotColor(TColor value) { SetFrameSetting(frameHotColor_, value); }
  bool FrameHotTrack() const { return frameHotTrack_; }
  virtual void SetFrameHotTrack(bool value) {
    if (value == frameHotTrack_) return;
    frameHotTrack_ = value;
    HotTrackChanged();
  }
  TFrameStyle FrameHotStyle() const { return frameHotStyle_; }
  virtual void SetFrameHotStyle(TFrameStyle value) { SetFrameSetting(frameHotStyle_, value); }
  TSides FrameSides() const { return frameSides_; }
  virtual void SetFrameSides(TSides value) { SetFrameSetting(frameSides_, value); }
  TFrameStyle FrameStyle() const { return frameStyle_; }
  virtual void SetFrameStyle(TFrameStyle value) { SetFrameSetting(frameStyle_, value); }
  bool FrameVisible() const { return frameVisible_; }
  virtual void SetFrameVisible(bool value) {
    if (value == frameVisible_) return;
    frameVisible_ = value;
    FrameVisibleChanged();
  }
  // Either way the frame must be painted again: a stale custom frame would otherwise stay under
  // the themed border, and the other way round.
  TFramingPreference FramingPreference() const { return framingPreference_; }
  virtual void SetFramingPreference(TFramingPreference value) {
    SetFrameSetting(framingPreference_, value);
  }

  // The default frame lies in the non-client area.
  virtual void RepaintFrame() {
    if (this->HandleAllocated()) InvalidateNonClientFrame(this->WindowHandle());
  }
  // Themes replace the custom frame.
  virtual bool ThemedFraming() const { return framingPreference_ == fpXPThemes && ThemesActive(); }

  // TRzFrameControllerClient
  void ControllerSetColor(TColor v) override { this->SetColor(v); }
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
  virtual void HotTrackChanged() { RepaintFrame(); }
  virtual void FrameVisibleChanged() { RepaintFrame(); }

  // The custom frame shows (rather than the themed or no border).
  bool CustomFrame() const { return frameVisible_ && !ThemedFraming(); }
  // Stores a changed setting and repaints the frame.
  template <class T>
  void SetFrameSetting(T& field, T value) {
    if (field == value) return;
    field = value;
    RepaintFrame();
  }

  TColor frameColor_ = clBtnShadow;
  TColor frameHotColor_ = clBtnShadow;
  bool frameHotTrack_ = false;
  TFrameStyle frameHotStyle_ = fsFlatBold;
  TSides frameSides_ = kAllSides;
  TFrameStyle frameStyle_ = fsFlat;
  bool frameVisible_ = false;
  TFramingPreference framingPreference_ = fpXPThemes;
  TCanvas frameCanvas_;
};

}  // namespace kovra
