#include "framework/Docking.h"

#include <algorithm>
#include <utility>

namespace kovra {

TDockTree::TDockTree(TWinControl& site) : site_(site) {}

TDockTree::~TDockTree() = default;

bool TDockTree::Contains(const TControl* control) const {
  return std::find(clients_.begin(), clients_.end(), control) != clients_.end();
}

void TDockTree::InsertControl(TControl* control) {
  if (!control || Contains(control)) return;
  clients_.push_back(control);
  site_.Realign();
  site_.Invalidate();
}

void TDockTree::RemoveControl(TControl* control) {
  if (!Contains(control)) return;
  clients_.erase(std::remove(clients_.begin(), clients_.end(), control), clients_.end());
  std::erase_if(zones_, [control](const Zone& z) { return z.control == control; });
  if (pressedClose_ == control) pressedClose_ = nullptr;
  site_.Realign();
  site_.Invalidate();
}

bool TDockTree::GrabbersOnLeft() const {
  return site_.Align() == alTop || site_.Align() == alBottom;
}

void TDockTree::ResetBounds(const RECT& rect) {
  // Children the site no longer holds (freed or moved away) leave the tree quietly.
  std::erase_if(clients_, [this](TControl* c) {
    for (int i = 0; i < site_.ControlCount(); ++i)
      if (site_.Controls(i) == c) return false;
    return true;
  });
  zones_.clear();
  std::vector<TControl*> shown;
  for (TControl* c : clients_)
    if (c->Visible()) shown.push_back(c);
  if (shown.empty()) return;
  const bool sideBySide = GrabbersOnLeft();
  const int n = static_cast<int>(shown.size());
  const int extent = sideBySide ? rect.right - rect.left : rect.bottom - rect.top;
  for (int i = 0; i < n; ++i) {
    // Integer split that leaves no gap: zone i runs from i*extent/n to (i+1)*extent/n.
    const int from = i * extent / n, to = (i + 1) * extent / n;
    RECT zone = rect;
    if (sideBySide) {
      zone.left = rect.left + from;
      zone.right = rect.left + to;
    } else {
      zone.top = rect.top + from;
      zone.bottom = rect.top + to;
    }
    zones_.push_back(Zone{shown[static_cast<size_t>(i)], zone});
    RECT inner = zone;
    AdjustDockRect(shown[static_cast<size_t>(i)], inner);
    shown[static_cast<size_t>(i)]->SetBoundsRect(inner);
  }
}

RECT TDockTree::ZoneRect(const TControl* control) const {
  for (const Zone& z : zones_)
    if (z.control == control) return z.rect;
  return RECT{};
}

TControl* TDockTree::ClientAtPos(POINT p) const {
  for (const Zone& z : zones_)
    if (PtInRect(&z.rect, p)) return z.control;
  return nullptr;
}

void TDockTree::AdjustDockRect(const TControl*, RECT& rect) const {
  if (GrabbersOnLeft())
    rect.left = std::min<LONG>(rect.left + GrabberSize(), rect.right);
  else
    rect.top = std::min<LONG>(rect.top + GrabberSize(), rect.bottom);
}

RECT TDockTree::CloseButtonRect(const RECT& zone) const {
  const int g = GrabberSize();
  if (GrabbersOnLeft())
    return RECT{zone.left + 1, zone.top + 1, zone.left + g - 1, zone.top + g - 1};
  return RECT{zone.right - g + 1, zone.top + 1, zone.right - 1, zone.top + g - 1};
}

void TDockTree::PaintSite(HDC dc) {
  TCanvas canvas(dc);
  for (const Zone& z : std::vector<Zone>(zones_)) {
    if (!z.control->Visible()) continue;
    PaintDockFrame(canvas, z.control, z.rect);
  }
}

void TDockTree::PaintDockFrame(TCanvas& canvas, TControl*, const RECT& zone) {
  // Two raised bars beside the close button, as the system's own dock frames look.
  const RECT close = CloseButtonRect(zone);
  const int g = GrabberSize();
  auto bar = [&](int l, int t, int r, int b) {
    canvas.Pen().SetColor(clBtnHighlight);
    canvas.MoveTo(l, b - 1);
    canvas.LineTo(l, t);
    canvas.LineTo(r, t);
    canvas.Pen().SetColor(clBtnShadow);
    canvas.MoveTo(r - 1, t + 1);
    canvas.LineTo(r - 1, b - 1);
    canvas.LineTo(l, b - 1);
  };
  if (GrabbersOnLeft()) {
    const int l = zone.left + (g - 6) / 2;
    bar(l, close.bottom + 2, l + 3, zone.bottom - 2);
    bar(l + 3, close.bottom + 2, l + 6, zone.bottom - 2);
  } else {
    const int t = zone.top + (g - 6) / 2;
    bar(zone.left + 2, t, close.left - 2, t + 3);
    bar(zone.left + 2, t + 3, close.left - 2, t + 6);
  }
  RECT button = close;
  DrawFrameControl(canvas.Handle(), &button, DFC_CAPTION, DFCS_CAPTIONCLOSE);
}

bool TDockTree::WindowProcHook(TMessage& m) {
  if (m.Msg != WM_LBUTTONDOWN && m.Msg != WM_LBUTTONUP) return false;
  const POINT p = MessagePoint(m.LParam);
  TControl* client = ClientAtPos(p);
  const RECT close = client ? CloseButtonRect(ZoneRect(client)) : RECT{};
  const bool onClose = client && PtInRect(&close, p);
  if (m.Msg == WM_LBUTTONDOWN) {
    pressedClose_ = onClose ? client : nullptr;
    return onClose;
  }
  TControl* pressed = std::exchange(pressedClose_, nullptr);
  if (!onClose || pressed != client) return false;
  // Closing a zone hides its client; the layout gives its room to the others.
  client->Hide();
  return true;
}

bool DockControl(TControl& control, TWinControl& site) {
  auto* dockSite = dynamic_cast<IDockSite*>(&site);
  TDockTree* manager = dockSite ? dockSite->DockManager() : nullptr;
  if (!manager) return false;
  UndockControl(control);
  control.SetAlign(alNone);
  control.SetParent(&site);
  manager->InsertControl(&control);
  return true;
}

void UndockControl(TControl& control) {
  auto* dockSite = dynamic_cast<IDockSite*>(control.Parent());
  if (TDockTree* manager = dockSite ? dockSite->DockManager() : nullptr)
    manager->RemoveControl(&control);
}

}  // namespace kovra
