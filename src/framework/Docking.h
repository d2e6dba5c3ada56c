// The least docking the program needs: controls docked into a container, laid out one zone per
// client, each zone with a grabber that carries the client's caption and a close button.
//   TDockTree        the manager a dock site owns: zones, layout, grabber painting, close clicks
//   TDragDockObject  what a site is told of the control coming in
//   IDockSite        what a container offers to be docked into, and the questions it answers
//   DockControl / UndockControl / DragDockControl   moving a control into and out of a site
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/Controls.h"

namespace kovra {

class TDockTree {
 public:
  explicit TDockTree(TWinControl& site);
  virtual ~TDockTree();
  TDockTree(const TDockTree&) = delete;
  TDockTree& operator=(const TDockTree&) = delete;

  TWinControl& DockSite() const { return site_; }
  int ClientCount() const { return static_cast<int>(clients_.size()); }
  TControl* Clients(int index) const { return clients_.at(static_cast<size_t>(index)); }
  bool Contains(const TControl* control) const;

  // Adds a control already parented by the site; a second insertion is ignored.
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);

  // Places the visible clients inside `rect` (site client coordinates): one zone per client,
  // side by side when the grabbers run down the left, stacked otherwise.
  void ResetBounds(const RECT& rect);
  // The zone of a client as last laid out, grabber included; empty when it has none.
  RECT ZoneRect(const TControl* control) const;
  // The client whose zone contains the point, or null.
  TControl* ClientAtPos(POINT p) const;

  // Paints every visible client's grabber onto the site's DC.
  void PaintSite(HDC dc);

  // The grabber runs down the left of each zone for sites aligned to the top or bottom.
  bool GrabbersOnLeft() const;
  virtual int GrabberSize() const { return 12; }
  // Where a client sits inside its zone: the zone without its grabber.
  virtual void AdjustDockRect(const TControl* control, RECT& rect) const;
  // The close button of a zone, in site coordinates.
  virtual RECT CloseButtonRect(const RECT& zone) const;

  // The site's messages, seen before its own handling; true when the manager answered.
  virtual bool WindowProcHook(TMessage& m);

 protected:
  // Paints the grabber of `control` over `zone` (the whole zone rectangle).
  virtual void PaintDockFrame(TCanvas& canvas, TControl* control, const RECT& zone);

 private:
  struct Zone {
    TControl* control;
    RECT rect;
  };

  TWinControl& site_;
  std::vector<TControl*> clients_;  // not owned: they are the site's children
  std::vector<Zone> zones_;
  TControl* pressedClose_ = nullptr;
};

enum TDragState : std::uint8_t { dsDragEnter, dsDragLeave, dsDragMove };

struct TDragDockObject {
  TControl* Control = nullptr;  // the control being docked
  POINT DragPos{};              // the cursor, screen coordinates
  // Where the control would go (screen coordinates): the site's client area unless a DockOver
  // handler changes it; a mouse drag draws it.
  RECT DockRect{};
};

// Influence rectangle (the site's client area until a handler changes it) and mouse point in
// screen coordinates; x, y in the site's client ones.
using TGetSiteInfoEvent = std::function<void(TObject* sender, TControl* dockClient,
                                             RECT& influenceRect, POINT mousePos, bool& canDock)>;
using TDockOverEvent = std::function<void(TObject* sender, TDragDockObject& source, int x, int y,
                                          TDragState state, bool& accept)>;
using TDockDropEvent = std::function<void(TObject* sender, TDragDockObject& source, int x, int y)>;
// `newTarget` is the site the client leaves for, null when it only leaves.
using TUnDockEvent =
    std::function<void(TObject* sender, TControl* client, TWinControl* newTarget, bool& allow)>;

class IDockSite {
 public:
  virtual bool DockSite() const = 0;
  // Null unless the container is a dock site with a manager.
  virtual TDockTree* DockManager() const = 0;

  // The questions of a docking, asked in this order: whether the site takes `client` with the
  // mouse at `mousePos` (it may shrink or grow the rectangle the mouse must be in), whether it
  // accepts it over (x, y) (entering, moving, leaving; leaving ignores the answer), the drop,
  // and, of the site a client leaves, whether it may go.
  virtual void GetSiteInfo(TControl* client, RECT& influenceRect, POINT mousePos,
                           bool& canDock) = 0;
  virtual void DockOver(TDragDockObject& source, int x, int y, TDragState state, bool& accept) = 0;
  virtual void DockDrop(TDragDockObject& source, int x, int y) = 0;
  virtual bool DoUnDock(TWinControl* newTarget, TControl* client) = 0;

 protected:
  ~IDockSite() = default;
};

// Moves `control` into `site` as a drop at `at` (screen coordinates; by default the centre of
// the site) would: the site is asked GetSiteInfo and DockOver (dsDragMove), the site the control
// leaves is asked UnDock, then the control is moved, handed to the site's manager and DockDrop
// fires. False when `site` takes no docked controls or any answer is no; the control then stays
// where it was. Docking a control into the site that holds it changes nothing.
bool DockControl(TControl& control, TWinControl& site);
bool DockControl(TControl& control, TWinControl& site, POINT at);
// Takes `control` out of its site's manager once the site allows it (UnDock with no new
// target); it stays a child of the site until re-parented. False when refused.
bool UndockControl(TControl& control);
// The site whose manager holds `control`, or null.
TWinControl* HostDockSite(const TControl& control);

// The mouse drag behind TControl::BeginDrag for dock-kind controls, run in a loop of its own
// from a left press: past the system's drag distance (at once when `immediate`) the site under
// the cursor that says it can take the control (never the one holding it) is asked DockOver as
// the mouse moves, with a focus rectangle drawn on the screen where the control would go (or,
// over no site, where it would be); a release over an accepting site docks it there once the
// site it leaves allows it (UnDock), and DockDrop fires.
// Escape, a lost capture or a release elsewhere ends it with nothing moved. False when the
// button went up before the drag began (that release is put back in the queue, so the press
// ends as a click) or when there is nothing to drag.
bool DragDockControl(TControl& control, bool immediate);

}  // namespace kovra
