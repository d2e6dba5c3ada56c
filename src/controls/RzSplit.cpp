// The splitter and its panes.
#include "controls/RzSplit.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/Handles.h"

namespace kovra {

namespace {

// The program's own cursors when its resources carry them, else the system's nearest ones.
// Both kinds are shared and never destroyed.
HCURSOR SplitterCursor(TOrientation orientation, bool hotSpot) {
  const wchar_t* name = orientation == orHorizontal
                            ? (hotSpot ? L"RZSPLIT_HORZHOTSPOT" : L"RZSPLIT_HORZ")
                            : (hotSpot ? L"RZSPLIT_VERTHOTSPOT" : L"RZSPLIT_VERT");
  if (HCURSOR own = LoadCursorW(GetModuleHandleW(nullptr), name)) return own;
  const wchar_t* fallback =
      hotSpot ? IDC_HAND : (orientation == orHorizontal ? IDC_SIZEWE : IDC_SIZENS);
  return LoadCursorW(nullptr, fallback);
}

bool Inside(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace

// ---- TRzSplitterPane ----

TRzSplitterPane::TRzSplitterPane(TRzSplitter& splitter, TComponent* owner)
    : TRzCustomPanel(owner), splitter_(splitter) {
  SetBorderOuter(fsNone);
}

TRzSplitterPane::~TRzSplitterPane() {
  Destroying();
}

void TRzSplitterPane::CMVisibleChanged(TMessage& m) {
  TRzCustomPanel::CMVisibleChanged(m);
  if (!splitter_.IsDestroying()) splitter_.PaneVisibilityChanged();
}

void TRzSplitterPane::GetSiteInfo(TControl* client, RECT& influenceRect, POINT mousePos,
                                  bool& canDock) {
  TRzCustomPanel::GetSiteInfo(client, influenceRect, mousePos, canDock);
  splitter_.PaneGetSiteInfo(*this, client, influenceRect, mousePos, canDock);
}

void TRzSplitterPane::DockOver(TDragDockObject& source, int x, int y, TDragState state,
                               bool& accept) {
  TRzCustomPanel::DockOver(source, x, y, state, accept);
  splitter_.PaneDockOver(*this, source, x, y, state, accept);
}

void TRzSplitterPane::DockDrop(TDragDockObject& source, int x, int y) {
  TRzCustomPanel::DockDrop(source, x, y);
  splitter_.PaneDockDrop(*this, source, x, y);
}

bool TRzSplitterPane::DoUnDock(TWinControl* newTarget, TControl* client) {
  bool allow = TRzCustomPanel::DoUnDock(newTarget, client);
  splitter_.PaneUnDock(*this, client, newTarget, allow);
  return allow;
}

// ---- TRzSplitter ----

TRzSplitter::TRzSplitter(TComponent* owner)
    : TRzCustomPanel(owner),
      upperLeft_(new TRzSplitterPane(*this, this)),
      lowerRight_(new TRzSplitterPane(*this, this)),
      upperLeftData_(*upperLeft_),
      lowerRightData_(*lowerRight_) {
  SetControlStyle(ControlStyle() | csCaptureMouse);
  SetBorderOuter(fsNone);
  upperLeft_->SetParent(this);
  lowerRight_->SetParent(this);
  SetBounds(0, 0, 200, 100);
}

TRzSplitter::~TRzSplitter() {
  Destroying();
}

// ---- geometry ----

bool TRzSplitter::BothVisible() const {
  return upperLeft_->Visible() && lowerRight_->Visible();
}

int TRzSplitter::Extent() const {
  const RECT framed = FramedClientRect();
  return orientation_ == orHorizontal ? framed.right - framed.left : framed.bottom - framed.top;
}

TRzSpan TRzSplitter::AxisArea() const {
  RECT r = ClientRect();
  AdjustClientRect(r);
  return orientation_ == orHorizontal ? TRzSpan{r.left, r.right} : TRzSpan{r.top, r.bottom};
}

TRzSplitLimits TRzSplitter::Limits() const {
  TRzSplitLimits l;
  l.extent = Extent();
  l.splitterWidth = splitterWidth_;
  l.borderWidth = BorderWidth();
  l.marginMin = marginMin_;
  l.marginMax = marginMax_;
  l.hotSpotClosed = closed_ != hscOpen;
  l.hotSpotIgnoreMargins = hotSpotIgnoreMargins_;
  return l;
}

int TRzSplitter::MinPosition() const {
  return SplitterMinPosition(Limits());
}

int TRzSplitter::MaxPosition() const {
  return SplitterMaxPosition(Limits());
}

int TRzSplitter::Clamp(int position) const {
  return BothVisible() ? ClampSplitterPosition(Limits(), position) : position;
}

bool TRzSplitter::AllowChange(int position) {
  bool allow = true;
  if (OnChanging) OnChanging(this, position, allow);
  return allow;
}

// ---- properties ----

void TRzSplitter::SetOrientation(TOrientation value) {
  if (value == orientation_) return;
  orientation_ = value;
  lastExtent_ = -1;  // the other axis: nothing to carry over
  Reclamp();
}

void TRzSplitter::SetPosition(int value) {
  ChangePosition(value, false);
}

void TRzSplitter::ChangePosition(int value, bool force) {
  if (!force && !resizing_ && value == position_) return;
  value = Clamp(value);
  if (value != position_ && !AllowChange(value)) return;
  position_ = value;
  // While a resize follows the percentage, the percentage stays what it was; recomputing it from
  // the rounded position would let it creep with every resize.
  if (!(resizing_ && usePercent_))
    percent_ = SplitterPercentOf(position_, Extent(), splitterWidth_);
  Realign();
  Invalidate();
  if (OnChange) OnChange(this);
}

// After a limit changed: the bar moves (and tells so) only when it now stands outside them.
void TRzSplitter::Reclamp() {
  if (Clamp(position_) != position_) {
    ChangePosition(position_, true);
    return;
  }
  Realign();
  Invalidate();
}

void TRzSplitter::SetMarginMin(int value) {
  value = std::max(value, 0);
  if (value == marginMin_) return;
  marginMin_ = value;
  Reclamp();
}

void TRzSplitter::SetMarginMax(int value) {
  value = std::max(value, 0);
  if (value == marginMax_) return;
  marginMax_ = value;
  Reclamp();
}

void TRzSplitter::SetUsePercent(bool value) {
  if (value == usePercent_) return;
  usePercent_ = value;
  if (value) SetPercent(percent_);
}

void TRzSplitter::SetPercent(int value) {
  value = std::clamp(value, 0, 100);
  usePercent_ = true;
  ChangePosition(SplitterPositionOfPercent(value, Extent(), splitterWidth_), true);
  percent_ = value;
}

void TRzSplitter::SetPercentMin(int value) {
  percentMin_ = std::clamp(value, 0, 100);
  if (usePercent_) ApplyResize(Extent(), Extent());
}

void TRzSplitter::SetPercentMax(int value) {
  percentMax_ = std::clamp(value, 0, 100);
  if (usePercent_) ApplyResize(Extent(), Extent());
}

void TRzSplitter::SetSplitterWidth(std::uint16_t value) {
  if (value == splitterWidth_) return;
  splitterWidth_ = value;
  Reclamp();
}

void TRzSplitter::SetHotSpotVisible(bool value) {
  if (value == hotSpotVisible_) return;
  hotSpotVisible_ = value;
  Realign();
  Invalidate();
}

void TRzSplitter::SetHotSpotSizePercent(int value) {
  value = std::clamp(value, 0, 100);
  if (value == hotSpotSizePercent_) return;
  hotSpotSizePercent_ = value;
  Realign();
  Invalidate();
}

void TRzSplitter::ReadHotSpotState(bool closedToMin, bool closedToMax, int positionBeforeClose) {
  closed_ = closedToMin ? hscToMin : closedToMax ? hscToMax : hscOpen;
  positionBeforeClose_ = positionBeforeClose;
}

// ---- layout ----

void TRzSplitter::PaneVisibilityChanged() {
  Reclamp();
}

void TRzSplitter::ApplyResize(int extent, int previousExtent) {
  if (IsDestroying() || resizing_) return;
  TRzSplitResizeInput in;
  in.limits = Limits();
  in.limits.extent = extent;
  in.position = position_;
  in.fixedPane = fixedPane_;
  in.usePercent = usePercent_;
  in.percent = percent_;
  in.percentMin = percentMin_;
  in.percentMax = percentMax_;
  in.closed = closed_;
  in.userPosition = fixedPane_ == fpUpperLeft ? userPositionUpperLeft_ : userSizeLowerRight_;
  in.lowerRightSize = previousExtent - position_;
  const TRzSplitResize out = ResizeSplitter(in);
  marginMin_ = out.marginMin;
  marginMax_ = out.marginMax;
  resizing_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{resizing_};
  ChangePosition(out.position, true);
}

void TRzSplitter::AlignControls(TControl* changed, RECT& rect) {
  TRzCustomPanel::AlignControls(changed, rect);
  const int extent = Extent();
  const int previous = lastExtent_;
  lastExtent_ = extent;
  if (extent != previous && previous >= 0 && !IsLoading()) ApplyResize(extent, previous);
  LayoutPanes(rect);
}

void TRzSplitter::LayoutPanes(const RECT& area) {
  const bool horizontal = orientation_ == orHorizontal;
  const TRzSpan axis = horizontal ? TRzSpan{area.left, area.right} : TRzSpan{area.top, area.bottom};
  const TRzSplitSpans spans =
      SplitSpans(axis, position_, splitterWidth_, upperLeft_->Visible(), lowerRight_->Visible());
  auto place = [&](TRzSpan s) {
    return horizontal ? RECT{s.start, area.top, s.end, area.bottom}
                      : RECT{area.left, s.start, area.right, s.end};
  };
  if (upperLeft_->Visible()) upperLeft_->SetBoundsRect(place(spans.upperLeft));
  if (lowerRight_->Visible()) lowerRight_->SetBoundsRect(place(spans.lowerRight));
  barRect_ = spans.bar.Length() > 0 ? place(spans.bar) : RECT{};
  hotSpotRect_ = RECT{};
  if (hotSpotVisible_ && spans.bar.Length() > 0) {
    const TRzSpan along =
        horizontal ? TRzSpan{area.top, area.bottom} : TRzSpan{area.left, area.right};
    const TRzSpan hot = HotSpotSpan(along, hotSpotSizePercent_);
    hotSpotRect_ = horizontal ? RECT{barRect_.left, hot.start, barRect_.right, hot.end}
                              : RECT{hot.start, barRect_.top, hot.end, barRect_.bottom};
  }
  if (realTimeDrag_ && HandleAllocated()) {
    upperLeft_->Update();
    lowerRight_->Update();
  }
}

void TRzSplitter::Loaded() {
  TRzCustomPanel::Loaded();
  ReparentNamed(upperLeftNames_, *upperLeft_);
  ReparentNamed(lowerRightNames_, *lowerRight_);
  upperLeftNames_.clear();
  lowerRightNames_.clear();
  lastExtent_ = Extent();
  ChangePosition(position_, true);
}

void TRzSplitter::ReparentNamed(const std::vector<std::string>& names, TRzSplitterPane& pane) {
  TComponent* owner = Owner();
  if (!owner) return;
  for (const std::string& name : names) {
    auto* control = dynamic_cast<TControl*>(owner->FindComponent(name));
    if (control && control != this && control != &pane) control->SetParent(&pane);
  }
}

// ---- the panes' docking ----

void TRzSplitter::PaneGetSiteInfo(const TRzSplitterPane& pane, TControl* client,
                                  RECT& influenceRect, POINT mousePos, bool& canDock) {
  auto& event = &pane == upperLeft_ ? OnULGetSiteInfo : OnLRGetSiteInfo;
  if (event) event(this, client, influenceRect, mousePos, canDock);
}

void TRzSplitter::PaneDockOver(const TRzSplitterPane& pane, TDragDockObject& source, int x, int y,
                               TDragState state, bool& accept) {
  auto& event = &pane == upperLeft_ ? OnULDockOver : OnLRDockOver;
  if (event) event(this, source, x, y, state, accept);
}

void TRzSplitter::PaneDockDrop(const TRzSplitterPane& pane, TDragDockObject& source, int x, int y) {
  auto& event = &pane == upperLeft_ ? OnULDockDrop : OnLRDockDrop;
  if (event) event(this, source, x, y);
}

void TRzSplitter::PaneUnDock(const TRzSplitterPane& pane, TControl* client, TWinControl* newTarget,
                             bool& allow) {
  auto& event = &pane == upperLeft_ ? OnULUnDock : OnLRUnDock;
  if (event) event(this, client, newTarget, allow);
}

// ---- hot spot ----

void TRzSplitter::HotSpotClick() {
  if (closed_ == hscOpen) {
    positionBeforeClose_ = position_;
    closed_ = HotSpotCloseSide(hotSpotDirection_, position_, MaxPosition());
    ChangePosition(closed_ == hscToMin ? MinPosition() : MaxPosition(), true);
  } else {
    closed_ = hscOpen;
    ChangePosition(positionBeforeClose_, true);
  }
  if (OnHotSpotClick) OnHotSpotClick(this);
}

// ---- dragging ----

bool TRzSplitter::OverBar(POINT p) const {
  return Inside(barRect_, p);
}

bool TRzSplitter::OverHotSpot(POINT p) const {
  return hotSpotVisible_ && Inside(hotSpotRect_, p);
}

void TRzSplitter::RememberUserPosition() {
  if (fixedPane_ == fpUpperLeft)
    userPositionUpperLeft_ = position_;
  else
    userSizeLowerRight_ = Extent() - position_;
}

void TRzSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TRzCustomPanel::MouseDown(button, shift, x, y);
  const POINT p{x, y};
  if (button != mbLeft || sliding_ || !OverBar(p)) return;
  const bool onHotSpot = OverHotSpot(p);
  if (lockBar_ && !onHotSpot) return;
  SetMouseCapture(true);
  if (!realTimeDrag_ && CanFocus()) SetFocus();
  sliding_ = true;
  hotSpotting_ = onHotSpot;
  const int start = AxisArea().start;
  grabOffset_ = GrabOffset(Axis(x, y) - start, position_, splitterWidth_);
  dragStart_ = dragPosition_ = position_;
  if (!realTimeDrag_) InvertDragLine(dragPosition_);
}

void TRzSplitter::MouseMove(TShiftState shift, int x, int y) {
  TRzCustomPanel::MouseMove(shift, x, y);
  if (!sliding_ || (lockBar_ && hotSpotting_)) return;
  const int wanted =
      Clamp(DragPosition(Axis(x, y) - AxisArea().start, grabOffset_, splitterWidth_));
  if (wanted == dragPosition_ || !AllowChange(wanted)) return;
  closed_ = hscOpen;
  if (realTimeDrag_) {
    dragPosition_ = wanted;
    ChangePosition(wanted, true);
    RememberUserPosition();
    return;
  }
  InvertDragLine(dragPosition_);
  dragPosition_ = wanted;
  InvertDragLine(dragPosition_);
}

// Finished before the framework releases the capture, whose loss would otherwise cancel it.
void TRzSplitter::WMLButtonUp(TMessage& m) {
  if (sliding_) {
    const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    const bool moved = dragPosition_ != dragStart_;
    const bool hotSpotClick = hotSpotting_ && !moved && OverHotSpot(p);
    EndDrag(true);
    if (hotSpotClick) HotSpotClick();
  }
  TRzCustomPanel::WMLButtonUp(m);
}

void TRzSplitter::EndDrag(bool commit) {
  if (!sliding_) return;
  sliding_ = false;
  hotSpotting_ = false;
  if (lineShown_) InvertDragLine(dragPosition_);
  if (MouseCapture()) SetMouseCapture(false);
  if (commit) {
    if (!realTimeDrag_ && dragPosition_ != dragStart_) {
      ChangePosition(dragPosition_, true);
      RememberUserPosition();
    }
  } else if (realTimeDrag_ && position_ != dragStart_) {
    ChangePosition(dragStart_, true);
  }
}

void TRzSplitter::WMKeyDown(TMessage& m) {
  if (sliding_ && m.WParam == VK_ESCAPE) {
    EndDrag(false);
    return;
  }
  TRzCustomPanel::WMKeyDown(m);
}

void TRzSplitter::WMCancelMode(TMessage& m) {
  EndDrag(false);
  TRzCustomPanel::WMCancelMode(m);
}

// Capture taken away mid-drag (another window, a menu): the drag ends where it began.
void TRzSplitter::WMCaptureChanged(TMessage& m) {
  if (sliding_ && reinterpret_cast<HWND>(m.LParam) != WindowHandle()) EndDrag(false);
  TRzCustomPanel::WMCaptureChanged(m);
}

// An inverted bar-sized band, drawn over the panes as well, so a second call erases it.
void TRzSplitter::InvertDragLine(int position) {
  if (!HandleAllocated()) return;
  // Without DCX_CLIPCHILDREN the band crosses the panes too.
  struct BandDC {
    HWND wnd;
    HDC dc;
    ~BandDC() {
      if (dc) ReleaseDC(wnd, dc);
    }
  } band{WindowHandle(), GetDCEx(WindowHandle(), nullptr, DCX_CACHE | DCX_CLIPSIBLINGS)};
  HDC dc = band.dc;
  if (!dc) return;
  const RECT area = [&] {
    RECT r = ClientRect();
    AdjustClientRect(r);
    return r;
  }();
  const int start = AxisArea().start + position;
  RECT line = orientation_ == orHorizontal
                  ? RECT{start, area.top, start + splitterWidth_, area.bottom}
                  : RECT{area.left, start, area.right, start + splitterWidth_};
  static const WORD kPattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  BitmapHandle pattern(CreateBitmap(8, 8, 1, 1, kPattern));
  BrushHandle brush(CreatePatternBrush(pattern.Get()));
  {
    SelectObjectScope selected(dc, brush.Get());
    PatBlt(dc, line.left, line.top, line.right - line.left, line.bottom - line.top, PATINVERT);
  }
  lineShown_ = !lineShown_;
}

void TRzSplitter::WMSetCursor(TMessage& m) {
  if (LOWORD(m.LParam) == HTCLIENT && reinterpret_cast<HWND>(m.WParam) == WindowHandle()) {
    POINT p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    const bool hot = OverHotSpot(p);
    if ((OverBar(p) && !lockBar_) || hot) {
      ::SetCursor(SplitterCursor(orientation_, hot));
      m.Result = 1;
      return;
    }
  }
  TRzCustomPanel::WMSetCursor(m);
}

// ---- painting ----

void TRzSplitter::Paint() {
  TRzCustomPanel::Paint();
  PaintBar(Canvas());
}

void TRzSplitter::PaintBar(TCanvas& canvas) {
  const RECT bar = barRect_;
  if (IsRectEmpty(&bar)) return;
  const bool horizontal = orientation_ == orHorizontal;
  const TColor face = ColorToRGB(Color());
  switch (splitterStyle_) {
    case ssGroove: {
      canvas.Brush().SetColor(face);
      canvas.FillRect(bar);
      const int mid = horizontal ? (bar.left + bar.right) / 2 - 1 : (bar.top + bar.bottom) / 2 - 1;
      RECT groove = horizontal ? RECT{mid, bar.top, mid + 2, bar.bottom}
                               : RECT{bar.left, mid, bar.right, mid + 2};
      PaintEdgeLines(canvas, groove, clBtnShadow, clBtnHighlight);
      break;
    }
    case ssBump: {
      canvas.Brush().SetColor(face);
      canvas.FillRect(bar);
      RECT bump = bar;
      InflateRect(&bump, horizontal ? 0 : -8, horizontal ? -8 : 0);
      if (!IsRectEmpty(&bump)) PaintEdgeLines(canvas, bump, clBtnHighlight, clBtnShadow);
      break;
    }
    case ssGradient: {
      const bool across = gradientPath_ == gpAcrossBar;
      const TGradientDirection direction = horizontal == across ? gdVerticalEnd : gdHorizontalEnd;
      PaintGradientRect(canvas, bar, direction, LightenColor(face, gradientColorAdjustment_),
                        DarkenColor(face, gradientColorAdjustment_));
      break;
    }
    default:
      canvas.Brush().SetColor(face);
      canvas.FillRect(bar);
      break;
  }
  if (hotSpotVisible_) PaintHotSpot(canvas);
}

// A framed plate with a row of dots along the bar.
void TRzSplitter::PaintHotSpot(TCanvas& canvas) {
  RECT r = hotSpotRect_;
  if (IsRectEmpty(&r)) return;
  r = PaintBoxOutline(canvas, r, hotSpotFrameColor_);
  canvas.Brush().SetColor(hotSpotColor_);
  canvas.FillRect(r);
  const bool horizontal = orientation_ == orHorizontal;
  if (horizontal) {
    const int x = (r.left + r.right) / 2 - 1;
    for (int y = r.top + 2; y + 2 <= r.bottom - 2; y += 4) {
      canvas.SetPixel(x + 1, y + 1, hotSpotHighlight_);
      canvas.SetPixel(x, y, hotSpotDotColor_);
    }
  } else {
    const int y = (r.top + r.bottom) / 2 - 1;
    for (int x = r.left + 2; x + 2 <= r.right - 2; x += 4) {
      canvas.SetPixel(x + 1, y + 1, hotSpotHighlight_);
      canvas.SetPixel(x, y, hotSpotDotColor_);
    }
  }
}

}  // namespace kovra
