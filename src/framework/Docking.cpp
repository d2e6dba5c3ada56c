#include "framework/Docking.h"

#include <algorithm>
#include <utility>

#include "framework/Handles.h"

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

// ---- docking a control ----

namespace {

// A site that takes docked controls now.
IDockSite* ActiveDockSite(TWinControl* control) {
  auto* site = dynamic_cast<IDockSite*>(control);
  return site && site->DockSite() && site->DockManager() ? site : nullptr;
}

bool Within(const TControl* control, const TControl& ancestor) {
  for (const TControl* c = control; c; c = c->Parent())
    if (c == &ancestor) return true;
  return false;
}

// The site's client area in screen coordinates.
RECT ScreenClientRect(const TWinControl& site) {
  RECT r = site.ClientRect();
  const POINT origin = site.ClientToScreen(POINT{0, 0});
  OffsetRect(&r, origin.x, origin.y);
  return r;
}

bool SiteTakes(TWinControl& site, IDockSite& dock, TControl& control, POINT at) {
  RECT influence = ScreenClientRect(site);
  bool canDock = true;
  dock.GetSiteInfo(&control, influence, at, canDock);
  return canDock && PtInRect(&influence, at);
}

bool AcceptsOver(TWinControl& site, IDockSite& dock, TDragDockObject& source, TDragState state) {
  const POINT local = site.ScreenToClient(source.DragPos);
  bool accept = true;
  dock.DockOver(source, local.x, local.y, state, accept);
  return accept;
}

// The last step of every docking: the old site lets the control go, the new one takes it.
bool DropInto(TWinControl& site, IDockSite& dock, TDragDockObject& source) {
  TControl& control = *source.Control;
  if (TWinControl* from = HostDockSite(control)) {
    auto* old = dynamic_cast<IDockSite*>(from);
    if (!old->DoUnDock(&site, &control)) return false;
    old->DockManager()->RemoveControl(&control);
  }
  control.SetAlign(alNone);
  control.SetParent(&site);
  dock.DockManager()->InsertControl(&control);
  const POINT local = site.ScreenToClient(source.DragPos);
  dock.DockDrop(source, local.x, local.y);
  return true;
}

}  // namespace

TWinControl* HostDockSite(const TControl& control) {
  TWinControl* parent = control.Parent();
  auto* site = dynamic_cast<IDockSite*>(parent);
  TDockTree* manager = site ? site->DockManager() : nullptr;
  return manager && manager->Contains(&control) ? parent : nullptr;
}

bool DockControl(TControl& control, TWinControl& site) {
  const RECT r = ScreenClientRect(site);
  return DockControl(control, site, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

bool DockControl(TControl& control, TWinControl& site, POINT at) {
  IDockSite* dock = ActiveDockSite(&site);
  if (!dock || Within(&site, control)) return false;
  if (HostDockSite(control) == &site) return true;
  if (!SiteTakes(site, *dock, control, at)) return false;
  TDragDockObject source{&control, at, ScreenClientRect(site)};
  return AcceptsOver(site, *dock, source, dsDragMove) && DropInto(site, *dock, source);
}

bool UndockControl(TControl& control) {
  TWinControl* from = HostDockSite(control);
  if (!from) return true;
  auto* site = dynamic_cast<IDockSite*>(from);
  if (!site->DoUnDock(nullptr, &control)) return false;
  site->DockManager()->RemoveControl(&control);
  return true;
}

// ---- dragging a control onto a site ----

namespace {

// One drag: the site under the cursor, its answers, and the rectangle on the screen. Sites
// freed meanwhile (a timer's doing) are forgotten through free notification.
class TDockDrag : public TComponent {
 public:
  TDockDrag(TControl& control, POINT start) : control_(control) {
    const POINT origin = control.ClientToScreen(POINT{0, 0});
    grab_ = POINT{start.x - origin.x, start.y - origin.y};
    source_.Control = &control;
  }
  ~TDockDrag() override { ShowRect(false); }

  void MoveTo(POINT at) {
    source_.DragPos = at;
    TWinControl* site = SiteAt(at);
    TDragState state = dsDragMove;
    if (site != target_) {
      Leave();
      target_ = site;
      if (target_) FreeNotification(target_);
      state = dsDragEnter;
    }
    RECT rect{at.x - grab_.x, at.y - grab_.y, 0, 0};
    rect.right = rect.left + control_.Width();
    rect.bottom = rect.top + control_.Height();
    accepted_ = false;
    if (IDockSite* dock = ActiveDockSite(target_)) {
      source_.DockRect = ScreenClientRect(*target_);
      accepted_ = AcceptsOver(*target_, *dock, source_, state);
    }
    if (!accepted_) source_.DockRect = rect;
    if (shown_ && EqualRect(&drawn_, &source_.DockRect)) return;
    ShowRect(false);
    ShowRect(true);
  }

  void Drop() {
    ShowRect(false);
    IDockSite* dock = ActiveDockSite(target_);
    if (!dock || !accepted_ || !DropInto(*target_, *dock, source_)) Leave();
  }

  void Cancel() {
    ShowRect(false);
    Leave();
  }

  void ShowRect(bool show) {
    if (show == shown_) return;
    if (show) drawn_ = source_.DockRect;
    WindowDC screen(nullptr);
    DrawFocusRect(screen.Get(), &drawn_);
    shown_ = show;
  }
  bool Shown() const { return shown_; }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == target_) target_ = nullptr;
  }

 private:
  // From the window under the cursor outward, the first site that says it takes the control;
  // never the site that holds it now, nor anything inside the control.
  TWinControl* SiteAt(POINT at) {
    HWND wnd = WindowFromPoint(at);
    TWinControl* own = HostDockSite(control_);
    for (TWinControl* c = wnd ? TWinControl::FindControl(wnd) : nullptr; c; c = c->Parent()) {
      if (c == own || Within(c, control_)) continue;
      if (IDockSite* dock = ActiveDockSite(c); dock && SiteTakes(*c, *dock, control_, at)) return c;
    }
    return nullptr;
  }

  void Leave() {
    if (!target_) return;
    TWinControl* site = std::exchange(target_, nullptr);
    RemoveFreeNotification(site);
    if (IDockSite* dock = ActiveDockSite(site)) AcceptsOver(*site, *dock, source_, dsDragLeave);
  }

  TControl& control_;
  POINT grab_{};  // the cursor's offset inside the control
  TDragDockObject source_;
  TWinControl* target_ = nullptr;
  bool accepted_ = false;
  RECT drawn_{};
  bool shown_ = false;
};

bool BeyondDragDistance(POINT start, POINT p) {
  RECT still{start.x, start.y, start.x, start.y};
  InflateRect(&still, GetSystemMetrics(SM_CXDRAG) / 2, GetSystemMetrics(SM_CYDRAG) / 2);
  still.right++;
  still.bottom++;
  return !PtInRect(&still, p);
}

bool IsInput(UINT msg) {
  return (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || (msg >= WM_KEYFIRST && msg <= WM_KEYLAST);
}

}  // namespace

bool DragDockControl(TControl& control, bool immediate) {
  TWinControl* holder =
      control.IsWindowed() ? static_cast<TWinControl*>(&control) : control.Parent();
  if (!holder || !holder->HandleAllocated() || GetKeyState(VK_LBUTTON) >= 0) return false;
  const HWND capture = holder->WindowHandle();
  POINT start;
  GetCursorPos(&start);
  TDockDrag drag(control, start);
  bool started = immediate;
  if (started) drag.MoveTo(start);
  SetCapture(capture);
  // Let go on every path: a drop handler may throw.
  struct CaptureScope {
    HWND wnd;
    ~CaptureScope() {
      if (GetCapture() == wnd) ReleaseCapture();
    }
  } captured{capture};
  // The mouse and keys are the drag's until it ends; everything else is dispatched as usual.
  for (;;) {
    MSG msg;
    if (GetCapture() != capture) {
      drag.Cancel();
      break;
    }
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      drag.Cancel();
      break;
    }
    if (msg.message == WM_MOUSEMOVE) {
      started = started || BeyondDragDistance(start, msg.pt);
      if (started) drag.MoveTo(msg.pt);
    } else if (msg.message == WM_LBUTTONUP) {
      // Released in place: the press goes on as a click, so the release must reach it.
      if (!started) PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
      if (started) drag.Drop();
      break;
    } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      drag.Cancel();
      break;
    } else if (!IsInput(msg.message)) {
      // Painting under the rectangle would smear it: it is lifted meanwhile (only then, or it
      // flickers with every timer).
      const bool lift = msg.message == WM_PAINT && drag.Shown();
      if (lift) drag.ShowRect(false);
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (lift) drag.ShowRect(true);
    }
  }
  return started;
}

}  // namespace kovra
