// The least docking the program needs: controls docked into a container, laid out one zone per
// client, each zone with a grabber that carries the client's caption and a close button.
//   TDockTree    the manager a dock site owns: zones, layout, grabber painting, close clicks
//   IDockSite    what a container offers to be docked into
//   DockControl / UndockControl   moving a control into and out of a site
#pragma once

#include <windows.h>

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

class IDockSite {
 public:
  // Null unless the container is a dock site with a manager.
  virtual TDockTree* DockManager() const = 0;

 protected:
  ~IDockSite() = default;
};

// Moves `control` into `site` and hands it to the site's manager; false when `site` takes no
// docked controls.
bool DockControl(TControl& control, TWinControl& site);
// Takes `control` out of its site's manager; it stays a child of the site until re-parented.
void UndockControl(TControl& control);

}  // namespace kovra
