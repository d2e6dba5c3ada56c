// The splitter: a framed panel divided into two panes by a bar that can be dragged, kept at a
// percentage, and collapsed and restored by clicking its hot spot.
//   TRzSplitterPane  one side; its visibility changes lay the splitter out again, and its
//                    docking questions go on to the splitter's events for that side
//   TRzPaneData      a view of one pane's appearance (UpperLeft, LowerRight)
//   TRzSplitter      orientation, position and its limits, dragging, hot spot, events
// The arithmetic is in RzSplitLogic.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls/RzCommon.h"
#include "controls/RzPanel.h"
#include "controls/RzSplitLogic.h"

namespace kovra {

class TRzSplitter;

enum TRzSplitterStyle : std::uint8_t { ssStandard, ssGroove, ssBump, ssGradient };
enum TRzSelectedPane : std::uint8_t { spUpperLeft, spLowerRight };
// The gradient of ssGradient runs across the bar, or along it.
enum TRzSplitterGradientPath : std::uint8_t { gpAcrossBar, gpAlongBar };

class TRzSplitterPane : public TRzCustomPanel {
 public:
  TRzSplitterPane(TRzSplitter& splitter, TComponent* owner);
  ~TRzSplitterPane() override;

  void GetSiteInfo(TControl* client, RECT& influenceRect, POINT mousePos, bool& canDock) override;
  void DockOver(TDragDockObject& source, int x, int y, TDragState state, bool& accept) override;
  void DockDrop(TDragDockObject& source, int x, int y) override;
  bool DoUnDock(TWinControl* newTarget, TControl* client) override;

 protected:
  void CMVisibleChanged(TMessage& m) override;

 private:
  TRzSplitter& splitter_;
};

class TRzPaneData {
 public:
  explicit TRzPaneData(TRzSplitterPane& pane) : pane_(pane) {}

  TRzSplitterPane& Pane() const { return pane_; }
  TColor BorderColor() const { return pane_.BorderColor(); }
  void SetBorderColor(TColor v) { pane_.SetBorderColor(v); }
  TFrameStyleEx BorderInner() const { return pane_.BorderInner(); }
  void SetBorderInner(TFrameStyleEx v) { pane_.SetBorderInner(v); }
  TFrameStyleEx BorderOuter() const { return pane_.BorderOuter(); }
  void SetBorderOuter(TFrameStyleEx v) { pane_.SetBorderOuter(v); }
  int BorderWidth() const { return pane_.BorderWidth(); }
  void SetBorderWidth(int v) { pane_.SetBorderWidth(v); }
  TColor Color() const { return pane_.Color(); }
  void SetColor(TColor v) { pane_.SetColor(v); }
  TColor FlatColor() const { return pane_.FlatColor(); }
  void SetFlatColor(TColor v) { pane_.SetFlatColor(v); }
  int FlatColorAdjustment() const { return pane_.FlatColorAdjustment(); }
  void SetFlatColorAdjustment(int v) { pane_.SetFlatColorAdjustment(v); }
  bool DockSite() const { return pane_.DockSite(); }
  void SetDockSite(bool v) { pane_.SetDockSite(v); }
  bool ShowDockClientCaptions() const { return pane_.ShowDockClientCaptions(); }
  void SetShowDockClientCaptions(bool v) { pane_.SetShowDockClientCaptions(v); }
  bool Visible() const { return pane_.Visible(); }
  void SetVisible(bool v) { pane_.SetVisible(v); }

 private:
  TRzSplitterPane& pane_;
};

class TRzSplitter : public TRzCustomPanel {
 public:
  explicit TRzSplitter(TComponent* owner);
  ~TRzSplitter() override;

  TRzPaneData& UpperLeft() { return upperLeftData_; }
  TRzPaneData& LowerRight() { return lowerRightData_; }
  TRzSplitterPane& UpperLeftPane() const { return *upperLeft_; }
  TRzSplitterPane& LowerRightPane() const { return *lowerRight_; }

  TOrientation Orientation() const { return orientation_; }
  void SetOrientation(TOrientation value);
  // From the start of the panes' area to the bar.
  int Position() const { return position_; }
  void SetPosition(int value);
  int MarginMin() const { return marginMin_; }
  void SetMarginMin(int value);
  int MarginMax() const { return marginMax_; }
  void SetMarginMax(int value);
  bool UsePercent() const { return usePercent_; }
  void SetUsePercent(bool value);
  int Percent() const { return percent_; }
  // Switches UsePercent on and moves the bar there.
  void SetPercent(int value);
  int PercentMin() const { return percentMin_; }
  void SetPercentMin(int value);
  int PercentMax() const { return percentMax_; }
  void SetPercentMax(int value);
  TRzFixedPane FixedPane() const { return fixedPane_; }
  void SetFixedPane(TRzFixedPane value) { fixedPane_ = value; }
  TRzSplitterStyle SplitterStyle() const { return splitterStyle_; }
  void SetSplitterStyle(TRzSplitterStyle value) { SetPainted(splitterStyle_, value); }
  std::uint16_t SplitterWidth() const { return splitterWidth_; }
  void SetSplitterWidth(std::uint16_t value);
  bool RealTimeDrag() const { return realTimeDrag_; }
  void SetRealTimeDrag(bool value) { realTimeDrag_ = value; }
  bool LockBar() const { return lockBar_; }
  void SetLockBar(bool value) { lockBar_ = value; }
  TRzSelectedPane SelectedPane() const { return selectedPane_; }
  void SetSelectedPane(TRzSelectedPane value) { selectedPane_ = value; }

  bool HotSpotVisible() const { return hotSpotVisible_; }
  void SetHotSpotVisible(bool value);
  TColor HotSpotColor() const { return hotSpotColor_; }
  void SetHotSpotColor(TColor value) { SetPainted(hotSpotColor_, value); }
  TColor HotSpotDotColor() const { return hotSpotDotColor_; }
  void SetHotSpotDotColor(TColor value) { SetPainted(hotSpotDotColor_, value); }
  TColor HotSpotFrameColor() const { return hotSpotFrameColor_; }
  void SetHotSpotFrameColor(TColor value) { SetPainted(hotSpotFrameColor_, value); }
  TColor HotSpotHighlight() const { return hotSpotHighlight_; }
  void SetHotSpotHighlight(TColor value) { SetPainted(hotSpotHighlight_, value); }
  bool HotSpotIgnoreMargins() const { return hotSpotIgnoreMargins_; }
  void SetHotSpotIgnoreMargins(bool value) { hotSpotIgnoreMargins_ = value; }
  TRzHotSpotDirection HotSpotDirection() const { return hotSpotDirection_; }
  void SetHotSpotDirection(TRzHotSpotDirection value) { hotSpotDirection_ = value; }
  int HotSpotSizePercent() const { return hotSpotSizePercent_; }
  void SetHotSpotSizePercent(int value);
  int GradientColorAdjustment() const { return gradientColorAdjustment_; }
  void SetGradientColorAdjustment(int value) { SetPainted(gradientColorAdjustment_, value); }
  TRzSplitterGradientPath GradientPath() const { return gradientPath_; }
  void SetGradientPath(TRzSplitterGradientPath value) { SetPainted(gradientPath_, value); }

  // The hot spot's state; a closed one remembers where the bar stood.
  bool HotSpotClosed() const { return closed_ != hscOpen; }
  bool HotSpotClosedToMin() const { return closed_ == hscToMin; }
  bool HotSpotClosedToMax() const { return closed_ == hscToMax; }
  int HotSpotPosition() const { return positionBeforeClose_; }
  // Closes or opens as a click on the hot spot does, then fires OnHotSpotClick.
  void HotSpotClick();

  // Client coordinates; empty when a pane is hidden or, for the hot spot, when it is not shown.
  RECT BarRect() const { return barRect_; }
  RECT HotSpotRect() const { return hotSpotRect_; }
  // The smallest and largest position the bar may take now.
  int MinPosition() const;
  int MaxPosition() const;
  // A drag in progress, and where its line stands.
  bool Sliding() const { return sliding_; }
  int DragLinePosition() const { return dragPosition_; }

  // Stored forms: the hot-spot state (only while closed), the controls re-parented into each
  // pane after loading (names of components of the same owner), and older limits, dropped.
  void ReadHotSpotState(bool closedToMin, bool closedToMax, int positionBeforeClose);
  void SetUpperLeftControls(std::vector<std::string> names) { upperLeftNames_ = std::move(names); }
  void SetLowerRightControls(std::vector<std::string> names) {
    lowerRightNames_ = std::move(names);
  }
  void ReadPositionMin(int) {}
  void ReadPositionMax(int) {}

  std::function<void(TObject* sender)> OnChange;
  TPositionChangingEvent OnChanging;
  std::function<void(TObject* sender)> OnHotSpotClick;
  // The panes' docking, per side, with the splitter as sender; x, y are in the pane's client
  // coordinates.
  TGetSiteInfoEvent OnULGetSiteInfo;
  TDockOverEvent OnULDockOver;
  TDockDropEvent OnULDockDrop;
  TUnDockEvent OnULUnDock;
  TGetSiteInfoEvent OnLRGetSiteInfo;
  TDockOverEvent OnLRDockOver;
  TDockDropEvent OnLRDockDrop;
  TUnDockEvent OnLRUnDock;

 protected:
  friend class TRzSplitterPane;
  void PaneVisibilityChanged();
  void PaneGetSiteInfo(const TRzSplitterPane& pane, TControl* client, RECT& influenceRect,
                       POINT mousePos, bool& canDock);
  void PaneDockOver(const TRzSplitterPane& pane, TDragDockObject& source, int x, int y,
                    TDragState state, bool& accept);
  void PaneDockDrop(const TRzSplitterPane& pane, TDragDockObject& source, int x, int y);
  void PaneUnDock(const TRzSplitterPane& pane, TControl* client, TWinControl* newTarget,
                  bool& allow);

  void Paint() override;
  void Loaded() override;
  void AlignControls(TControl* changed, RECT& rect) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void WMLButtonUp(TMessage& m) override;
  void WMKeyDown(TMessage& m) override;
  void WMSetCursor(TMessage& m) override;
  void WMCancelMode(TMessage& m) override;
  void WMCaptureChanged(TMessage& m) override;

 private:
  bool BothVisible() const;
  // Along the splitting axis: the panes' area, the client extent, a point's coordinate.
  TRzSpan AxisArea() const;
  int Extent() const;
  int Axis(int x, int y) const { return orientation_ == orHorizontal ? x : y; }
  TRzSplitLimits Limits() const;
  int Clamp(int position) const;
  bool AllowChange(int position);
  void ChangePosition(int value, bool force);
  void Reclamp();
  void ApplyResize(int extent, int previousExtent);
  void LayoutPanes(const RECT& area);
  void RememberUserPosition();
  void EndDrag(bool commit);
  void InvertDragLine(int position);
  bool OverBar(POINT p) const;
  bool OverHotSpot(POINT p) const;
  void PaintBar(TCanvas& canvas);
  void PaintHotSpot(TCanvas& canvas);
  void ReparentNamed(const std::vector<std::string>& names, TRzSplitterPane& pane);

  TRzSplitterPane* upperLeft_;
  TRzSplitterPane* lowerRight_;
  TRzPaneData upperLeftData_;
  TRzPaneData lowerRightData_;

  TOrientation orientation_ = orHorizontal;
  int position_ = 100;
  int marginMin_ = 0;
  int marginMax_ = 0;
  bool usePercent_ = false;
  int percent_ = 50;
  int percentMin_ = 0;
  int percentMax_ = 100;
  TRzFixedPane fixedPane_ = fpUpperLeft;
  TRzSplitterStyle splitterStyle_ = ssStandard;
  std::uint16_t splitterWidth_ = 4;
  bool realTimeDrag_ = false;
  bool lockBar_ = false;
  TRzSelectedPane selectedPane_ = spUpperLeft;
  bool hotSpotVisible_ = false;
  TColor hotSpotColor_ = clBtnFace;
  TColor hotSpotDotColor_ = clHighlight;
  TColor hotSpotFrameColor_ = clBtnShadow;
  TColor hotSpotHighlight_ = clWindow;
  bool hotSpotIgnoreMargins_ = true;
  TRzHotSpotDirection hotSpotDirection_ = hsdMin;
  int hotSpotSizePercent_ = 40;
  int gradientColorAdjustment_ = 30;
  TRzSplitterGradientPath gradientPath_ = gpAcrossBar;

  RECT barRect_{};
  RECT hotSpotRect_{};
  TRzHotSpotClosed closed_ = hscOpen;
  int positionBeforeClose_ = 0;
  int userPositionUpperLeft_ = -1;  // the position the user chose
  int userSizeLowerRight_ = -1;     // the lower-right pane's size the user chose
  int lastExtent_ = -1;
  bool resizing_ = false;
  bool sliding_ = false;
  bool hotSpotting_ = false;
  int grabOffset_ = 0;
  int dragStart_ = 0;
  int dragPosition_ = 0;
  bool lineShown_ = false;
  std::vector<std::string> upperLeftNames_;
  std::vector<std::string> lowerRightNames_;
};

}  // namespace kovra
