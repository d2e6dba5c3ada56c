// Framed panels: the container of the framed controls and the status bar built on it.
//   TRzCustomPanel        outer frame, border-width ring, inner frame, plain or gradient interior,
//                         grid, aligned word-wrapped caption, transparency, frame controller
//   TRzPanel              the published panel
//   TRzPanelDockManager   grabbers with caption bars for clients docked into a panel
//   TRzStatusBar          a bottom bar with a size grip and a simple-status mode
//   (the geometry itself is in RzPanelLayout.h)
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/RzCommon.h"
#include "controls/RzPanelLayout.h"
#include "framework/Docking.h"
#include "framework/ExtCtrls.h"

namespace kovra {

enum TRzGridStyle : std::uint8_t { gsDots, gsDottedLines, gsSolidLines };

class TRzCustomPanel : public TCustomPanel,
                       public TRzFrameControllerClient,
                       public IRzFrameControllerNotification,
                       public IRzTransparentControl {
 public:
  explicit TRzCustomPanel(TComponent* owner);
  ~TRzCustomPanel() override;

  TFrameStyleEx BorderOuter() const { return borderOuter_; }
  void SetBorderOuter(TFrameStyleEx value);
  TFrameStyleEx BorderInner() const { return borderInner_; }
  void SetBorderInner(TFrameStyleEx value);
  TSides BorderSides() const { return borderSides_; }
  void SetBorderSides(TSides value);
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor value) { SetPainted(borderColor_, value); }
  TColor BorderHighlight() const { return borderHighlight_; }
  void SetBorderHighlight(TColor value) { SetPainted(borderHighlight_, value); }
  TColor BorderShadow() const { return borderShadow_; }
  void SetBorderShadow(TColor value) { SetPainted(borderShadow_, value); }
  TColor FlatColor() const { return flatColor_; }
  void SetFlatColor(TColor value) { SetPainted(flatColor_, value); }
  int FlatColorAdjustment() const { return flatColorAdjustment_; }
  void SetFlatColorAdjustment(int value) { SetPainted(flatColorAdjustment_, value); }

  TAlignmentVertical AlignmentVertical() const { return alignmentVertical_; }
  void SetAlignmentVertical(TAlignmentVertical value) { SetPainted(alignmentVertical_, value); }
  int TextMargin() const { return textMargin_; }
  void SetTextMargin(int value) { SetPainted(textMargin_, value); }
  int TextMarginVertical() const { return textMarginVertical_; }
  void SetTextMarginVertical(int value) { SetPainted(textMarginVertical_, value); }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value) { SetPainted(wordWrap_, value); }

  TRzVisualStyle VisualStyle() const { return visualStyle_; }
  void SetVisualStyle(TRzVisualStyle value) { SetPainted(visualStyle_, value); }
  TRzGradientColorStyle GradientColorStyle() const { return gradientColorStyle_; }
  void SetGradientColorStyle(TRzGradientColorStyle value) {
    SetPainted(gradientColorStyle_, value);
  }
  TColor GradientColorStart() const { return gradientColorStart_; }
  void SetGradientColorStart(TColor value);
  TColor GradientColorStop() const { return gradientColorStop_; }
  void SetGradientColorStop(TColor value);
  TGradientDirection GradientDirection() const { return gradientDirection_; }
  void SetGradientDirection(TGradientDirection value);

  bool ShowGrid() const { return showGrid_; }
  void SetShowGrid(bool value) { SetPainted(showGrid_, value); }
  TColor GridColor() const { return gridColor_; }
  void SetGridColor(TColor value) { SetPainted(gridColor_, value); }
  TRzGridStyle GridStyle() const { return gridStyle_; }
  void SetGridStyle(TRzGridStyle value) { SetPainted(gridStyle_, value); }
  std::uint16_t GridXSize() const { return gridXSize_; }
  void SetGridXSize(std::uint16_t value) { SetPainted(gridXSize_, value); }
  std::uint16_t GridYSize() const { return gridYSize_; }
  void SetGridYSize(std::uint16_t value) { SetPainted(gridYSize_, value); }

  bool PaintClientArea() const { return paintClientArea_; }
  void SetPaintClientArea(bool value) { SetPainted(paintClientArea_, value); }
  bool Transparent() const override { return transparent_; }
  void SetTransparent(bool value);
  bool ShowDockClientCaptions() const { return showDockClientCaptions_; }
  void SetShowDockClientCaptions(bool value) { SetPainted(showDockClientCaptions_, value); }

  // Reads the controller's settings that the notification set accepts, while it shows frames.
  void FrameControllerUpdate() override;

  // Properties of older stored forms: the first two are read and dropped.
  void ReadFrameSides(TSides) {}
  void ReadThemeAware(bool) {}
  void ReadUseGradients(bool value);

  void SetBounds(int left, int top, int width, int height) override;

  // The client rectangle without the frames (BorderWidth not removed).
  virtual RECT FramedClientRect() const;
  // `r` shrunk by the outer and inner frames on the chosen sides, and first by BorderWidth on
  // every side when `withBorderWidth`.
  RECT ShrinkByBorders(RECT r, bool withBorderWidth) const;

  std::function<void(TObject* sender)> OnPaint;

 protected:
  void Paint() override;
  void AdjustClientRect(RECT& r) const override;
  void EraseBackground(HDC dc, const RECT& r) override;
  void WndProc(TMessage& m) override;
  void InvalidateForResize(int oldWidth, int oldHeight, int newWidth, int newHeight) override;
  void CMEnabledChanged(TMessage& m) override;
  std::unique_ptr<TDockTree> CreateDockManager() override;
  void DockManagerChanged() override;

  // The two ends of the gradient interior.
  virtual void GradientColors(TColor& start, TColor& stop) const;
  // A frame property changed (the status bar then stops styling itself).
  virtual void BordersChanged() {}
  void PaintCaption(TCanvas& canvas, RECT r);
  void PaintGrid(TCanvas& canvas, const RECT& r);

  template <class T>
  void SetPainted(T& field, T value) {
    if (field == value) return;
    field = value;
    Invalidate();
  }

 private:
  void ChangeBorders(TFrameStyleEx& field, TFrameStyleEx value);
  void RecordChildrenAndDisable();
  void EnableChildren();

  TFrameStyleEx borderOuter_ = fsRaised;
  TFrameStyleEx borderInner_ = fsNone;
  TSides borderSides_ = kAllSides;
  TColor borderColor_ = clBtnFace;
  TColor borderHighlight_ = clBtnHighlight;
  TColor borderShadow_ = clBtnShadow;
  TColor flatColor_ = clBtnShadow;
  int flatColorAdjustment_ = 30;
  TAlignmentVertical alignmentVertical_ = avCenter;
  int textMargin_ = 0;
  int textMarginVertical_ = 0;
  bool wordWrap_ = true;
  TRzVisualStyle visualStyle_ = vsWinXP;
  TRzGradientColorStyle gradientColorStyle_ = gcsSystem;
  TColor gradientColorStart_ = clWhite;
  TColor gradientColorStop_ = clBtnFace;
  TGradientDirection gradientDirection_ = gdHorizontalEnd;
  bool showGrid_ = false;
  TColor gridColor_ = clBtnShadow;
  TRzGridStyle gridStyle_ = gsDots;
  std::uint16_t gridXSize_ = 8;
  std::uint16_t gridYSize_ = 8;
  bool paintClientArea_ = true;
  bool transparent_ = false;
  bool showDockClientCaptions_ = true;
  // While disabled: which children were enabled before (compared by address only, never
  // dereferenced, so a child freed meanwhile does no harm).
  std::vector<std::pair<const TControl*, bool>> enabledStates_;
};

class TRzPanel : public TRzCustomPanel {
 public:
  explicit TRzPanel(TComponent* owner) : TRzCustomPanel(owner) {}
  ~TRzPanel() override { Destroying(); }
};

class TRzPanelDockManager : public TDockTree {
 public:
  static constexpr int kGrabberSize = 14;

  explicit TRzPanelDockManager(TRzCustomPanel& panel);
  int GrabberSize() const override { return kGrabberSize; }
  RECT CloseButtonRect(const RECT& zone) const override;
  bool WindowProcHook(TMessage& m) override;

 protected:
  void PaintDockFrame(TCanvas& canvas, TControl* control, const RECT& zone) override;

 private:
  TRzCustomPanel& panel_;
};

class TRzStatusBar : public TRzCustomPanel {
 public:
  static constexpr int kGripWidth = 13;

  explicit TRzStatusBar(TComponent* owner);
  ~TRzStatusBar() override;

  bool AutoScalePanes() const { return autoScalePanes_; }
  void SetAutoScalePanes(bool value) { autoScalePanes_ = value; }
  bool AutoStyle() const { return autoStyle_; }
  void SetAutoStyle(bool value);
  bool ShowSizeGrip() const { return showSizeGrip_; }
  void SetShowSizeGrip(bool value);
  const std::string& SimpleCaption() const { return simpleCaption_; }
  void SetSimpleCaption(std::string_view value);
  TFrameStyle SimpleFrameStyle() const { return simpleFrameStyle_; }
  void SetSimpleFrameStyle(TFrameStyle value) { SetPainted(simpleFrameStyle_, value); }
  bool SimpleStatus() const { return simpleStatus_; }
  void SetSimpleStatus(bool value);

  // The grip works only on a sizeable, not maximised form.
  bool SizeGripValid() const { return sizeGripValid_; }
  RECT SizeGripRect() const;

  RECT FramedClientRect() const override;

 protected:
  void Paint() override;
  void Loaded() override;
  void CreateWnd() override;
  void Resize() override;
  void WMLButtonDown(TMessage& m) override;
  void WMSetCursor(TMessage& m) override;
  void GradientColors(TColor& start, TColor& stop) const override;
  void BordersChanged() override;

 private:
  void ApplyAutoStyle();
  void UpdateSizeGrip();
  bool OverGrip(POINT p) const;
  void PaintThemed(TCanvas& canvas);
  void PaintSimpleStatus(TCanvas& canvas);
  void PaintGrip(TCanvas& canvas);

  bool autoScalePanes_ = false;
  bool autoStyle_ = true;
  bool showSizeGrip_ = true;
  std::string simpleCaption_;
  TFrameStyle simpleFrameStyle_ = fsFlat;
  bool simpleStatus_ = false;
  bool sizeGripValid_ = false;
  bool applyingAutoStyle_ = false;
  int lastPaneWidth_ = -1;
  std::vector<const TControl*> hiddenBySimple_;
};

}  // namespace kovra
