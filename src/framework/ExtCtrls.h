// The panel base: a custom-painted container with bevels, a border-width ring, a caption and,
// when it is a dock site, a dock manager that lays out and paints docked clients.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/Controls.h"
#include "framework/Docking.h"

namespace kovra {

enum TBevelCut : std::uint8_t { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomPanel : public TCustomControl, public IDockSite {
 public:
  explicit TCustomPanel(TComponent* owner);
  ~TCustomPanel() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut value);
  // Values below 1 become 1.
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int value);
  // Values below 0 become 0. Removed from every side of the rectangle aligned children share.
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);
  // Repaint the whole panel whenever its size changes.
  bool FullRepaint() const { return fullRepaint_; }
  void SetFullRepaint(bool value) { fullRepaint_ = value; }
  // Kept for containers that host in-place activated objects; nothing else reads it.
  bool Locked() const { return locked_; }
  void SetLocked(bool value) { locked_ = value; }

  bool DockSite() const override { return dockSite_; }
  void SetDockSite(bool value);
  bool UseDockManager() const { return useDockManager_; }
  void SetUseDockManager(bool value);
  TDockTree* DockManager() const override { return dockManager_.get(); }

  // Each fires its event (Docking.h says when they are asked).
  void GetSiteInfo(TControl* client, RECT& influenceRect, POINT mousePos, bool& canDock) override;
  void DockOver(TDragDockObject& source, int x, int y, TDragState state, bool& accept) override;
  void DockDrop(TDragDockObject& source, int x, int y) override;
  bool DoUnDock(TWinControl* newTarget, TControl* client) override;

  TGetSiteInfoEvent OnGetSiteInfo;
  TDockOverEvent OnDockOver;
  TDockDropEvent OnDockDrop;
  TUnDockEvent OnUnDock;

 protected:
  using TCustomControl::Canvas;
  void Paint() override;
  void PaintWindow(HDC dc) override;
  void AdjustClientRect(RECT& r) const override;
  void AlignControls(TControl* changed, RECT& rect) override;
  void WndProc(TMessage& m) override;
  void CreateWnd() override;
  void WMWindowPosChanged(TMessage& m) override;

  // The manager a dock site gets; derived panels supply their own kind.
  virtual std::unique_ptr<TDockTree> CreateDockManager();
  // Called when the manager is created or dropped (derived panels switch buffering, say).
  virtual void DockManagerChanged() {}
  // The width the bevels take from each side.
  int BevelExtent() const;
  // What a size change invalidates (before the framework realigns): everything when
  // FullRepaint.
  virtual void InvalidateForResize(int oldWidth, int oldHeight, int newWidth, int newHeight);

 private:
  void UpdateDockManager();

  TAlignment alignment_ = taCenter;
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvRaised;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  bool fullRepaint_ = true;
  bool locked_ = false;
  bool dockSite_ = false;
  bool useDockManager_ = true;
  int lastWidth_ = -1, lastHeight_ = -1;
  std::unique_ptr<TDockTree> dockManager_;
};

}  // namespace kovra
