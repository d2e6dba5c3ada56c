#include "framework/ExtCtrls.h"

#include <algorithm>

namespace kovra {

namespace {

// One bevel ring of `width` pixels: light over dark for raised, dark over light for lowered.
void PaintBevel(TCanvas& canvas, RECT& r, TBevelCut cut, int width) {
  if (cut == bvNone) return;
  if (cut == bvSpace) {
    InflateRect(&r, -width, -width);
    return;
  }
  const TColor light = cut == bvRaised ? clBtnHighlight : clBtnShadow;
  const TColor dark = cut == bvRaised ? clBtnShadow : clBtnHighlight;
  for (int i = 0; i < width && r.right > r.left && r.bottom > r.top; ++i) {
    canvas.Pen().SetColor(light);
    canvas.MoveTo(r.left, r.bottom - 1);
    canvas.LineTo(r.left, r.top);
    canvas.LineTo(r.right, r.top);
    canvas.Pen().SetColor(dark);
    canvas.MoveTo(r.right - 1, r.top + 1);
    canvas.LineTo(r.right - 1, r.bottom - 1);
    canvas.LineTo(r.left, r.bottom - 1);
    InflateRect(&r, -1, -1);
  }
}

}  // namespace

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle((ControlStyle() | csAcceptsControls | csOpaque | csSetCaption) & ~csCaptureMouse);
  SetColor(clBtnFace);
  SetBounds(0, 0, 185, 41);
}

TCustomPanel::~TCustomPanel() {
  Destroying();
}

void TCustomPanel::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
  if (value == bevelInner_) return;
  bevelInner_ = value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
  if (value == bevelOuter_) return;
  bevelOuter_ = value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(int value) {
  value = std::max(value, 1);
  if (value == bevelWidth_) return;
  bevelWidth_ = value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderWidth(int value) {
  value = std::max(value, 0);
  if (value == borderWidth_) return;
  borderWidth_ = value;
  Realign();
  Invalidate();
}

int TCustomPanel::BevelExtent() const {
  return (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
}

void TCustomPanel::AdjustClientRect(RECT& r) const {
  const int inset = borderWidth_ + BevelExtent();
  InflateRect(&r, -inset, -inset);
  r.right = std::max(r.right, r.left);
  r.bottom = std::max(r.bottom, r.top);
}

void TCustomPanel::AlignControls(TControl* changed, RECT& rect) {
  TCustomControl::AlignControls(changed, rect);
  if (dockManager_) dockManager_->ResetBounds(rect);
}

void TCustomPanel::Paint() {
  TCanvas& canvas = Canvas();
  RECT r = ClientRect();
  PaintBevel(canvas, r, bevelOuter_, bevelWidth_);
  canvas.Brush().SetColor(Color());
  InflateRect(&r, -borderWidth_, -borderWidth_);
  PaintBevel(canvas, r, bevelInner_, bevelWidth_);
  canvas.FillRect(r);
  const std::string caption = Caption();
  if (caption.empty()) return;
  canvas.Font().Assign(Font());
  canvas.Brush().SetStyle(bsClear);
  UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  flags |= alignment_ == taLeftJustify    ? DT_LEFT
           : alignment_ == taRightJustify ? DT_RIGHT
                                          : DT_CENTER;
  canvas.DrawText(caption, r, flags);
  canvas.Brush().SetStyle(bsSolid);
}

void TCustomPanel::PaintWindow(HDC dc) {
  TCustomControl::PaintWindow(dc);
  if (dockManager_) dockManager_->PaintSite(dc);
}

void TCustomPanel::SetDockSite(bool value) {
  if (value == dockSite_) return;
  dockSite_ = value;
  UpdateDockManager();
}

void TCustomPanel::SetUseDockManager(bool value) {
  if (value == useDockManager_) return;
  useDockManager_ = value;
  UpdateDockManager();
}

void TCustomPanel::GetSiteInfo(TControl* client, RECT& influenceRect, POINT mousePos,
                               bool& canDock) {
  if (OnGetSiteInfo) OnGetSiteInfo(this, client, influenceRect, mousePos, canDock);
}

void TCustomPanel::DockOver(TDragDockObject& source, int x, int y, TDragState state, bool& accept) {
  if (OnDockOver) OnDockOver(this, source, x, y, state, accept);
}

void TCustomPanel::DockDrop(TDragDockObject& source, int x, int y) {
  if (OnDockDrop) OnDockDrop(this, source, x, y);
}

bool TCustomPanel::DoUnDock(TWinControl* newTarget, TControl* client) {
  bool allow = true;
  if (OnUnDock) OnUnDock(this, client, newTarget, allow);
  return allow;
}

std::unique_ptr<TDockTree> TCustomPanel::CreateDockManager() {
  return std::make_unique<TDockTree>(*this);
}

void TCustomPanel::UpdateDockManager() {
  const bool wanted = dockSite_ && useDockManager_;
  if (wanted == (dockManager_ != nullptr)) return;
  if (wanted) {
    dockManager_ = CreateDockManager();
  } else {
    dockManager_.reset();
  }
  DockManagerChanged();
  Realign();
  Invalidate();
}

void TCustomPanel::WndProc(TMessage& m) {
  if (dockManager_ && dockManager_->WindowProcHook(m)) return;
  TCustomControl::WndProc(m);
}

void TCustomPanel::CreateWnd() {
  lastWidth_ = Width();
  lastHeight_ = Height();
  TCustomControl::CreateWnd();
}

void TCustomPanel::WMWindowPosChanged(TMessage& m) {
  const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
  const bool sized = pos && !(pos->flags & SWP_NOSIZE);
  if (sized && HandleAllocated() && (pos->cx != lastWidth_ || pos->cy != lastHeight_))
    InvalidateForResize(lastWidth_, lastHeight_, pos->cx, pos->cy);
  if (sized) {
    lastWidth_ = pos->cx;
    lastHeight_ = pos->cy;
  }
  TCustomControl::WMWindowPosChanged(m);
}

void TCustomPanel::InvalidateForResize(int, int, int, int) {
  if (fullRepaint_) Invalidate();
}

}  // namespace kovra
