// TWinControl and TCustomControl: windowed controls, their children, painting, focus and keys.
#include <algorithm>
#include <climits>
#include <unordered_map>

#include "framework/Application.h"
#include "framework/CanvasScope.h"
#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"

namespace kovra {

namespace {

bool IsMouseMessage(UINT msg) {
  return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK;
}

bool IsFrameworkMessage(UINT msg) {
  return msg >= CM_BASE && msg < 0xC000;
}

// Keeps BeginPaint/EndPaint paired when a painter throws.
class PaintScope {
 public:
  explicit PaintScope(HWND wnd) : wnd_(wnd) { dc_ = BeginPaint(wnd, &ps_); }
  ~PaintScope() { EndPaint(wnd_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }
  const RECT& area() const { return ps_.rcPaint; }

 private:
  HWND wnd_;
  HDC dc_;
  PAINTSTRUCT ps_{};
};

}  // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
  SetControlStyle(ControlStyle() | csAcceptsControls);
}

TWinControl::~TWinControl() {
  Destroying();
  // Children leave the list themselves as they go.
  while (!controls_.empty()) delete controls_.back();
  DestroyObjectWindow();
}

TWinControl* TWinControl::FindControl(HWND wnd) {
  for (HWND w = wnd; w; w = GetParent(w)) {
    if (auto* control = dynamic_cast<TWinControl*>(TWindowObject::FromHandle(w))) return control;
    if (!(GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD)) break;
  }
  return nullptr;
}

// ---- children ----

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == Parent()) return;
  const bool hadHandle = HandleAllocated();
  TControl::SetParent(parent);
  if (!hadHandle) {
    if (parent && parent->HandleAllocated()) CreateHandle();
    return;
  }
  if (parent && parent->HandleAllocated()) {
    ::SetParent(WindowHandle(), parent->WindowHandle());
  } else if (!parentWindow_) {
    DestroyWnd();
  }
}

void TWinControl::ChangeScale(int m, int d) {
  DisableAlign();
  // Children first: a control that lays them out from its size, or sizes them from the font they
  // inherit, then does so at their new scale, and nothing it placed is scaled a second time.
  for (TControl* c : std::vector<TControl*>(controls_)) c->ScaleForPPI(m);
  TControl::ChangeScale(m, d);
  EnableAlign();
}

void TWinControl::SetParentWindow(HWND wnd) {
  if (wnd == parentWindow_) return;
  parentWindow_ = wnd;
  if (HandleAllocated() && !Parent()) RecreateWnd();
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  if (control->IsWindowed()) tabList_.push_back(static_cast<TWinControl*>(control));
  if (control->ParentColor()) control->Perform(CM_PARENTCOLORCHANGED);
  if (control->ParentFont()) control->Perform(CM_PARENTFONTCHANGED);
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 1);
  if (!control->IsWindowed()) control->Invalidate();
  if (control->Align() != alNone) Realign();
}

void TWinControl::RemoveControl(TControl* control) {
  if (captureControl_ == control) {
    captureControl_ = nullptr;
    if (HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
  }
  if (hoverControl_ == control) hoverControl_ = nullptr;
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  if (TForm* form = GetParentForm(this)) form->ControlRemoved(control);
  tabList_.erase(
      std::remove_if(tabList_.begin(), tabList_.end(),
                     [control](TWinControl* w) { return static_cast<TControl*>(w) == control; }),
      tabList_.end());
  if (IsDestroying()) return;
  if (HandleAllocated()) InvalidateRect(control->BoundsRect(), true);
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 0);
  if (control->Align() != alNone) Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(POINT p, bool allowDisabled) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->Visible() || (!allowDisabled && !c->Enabled())) continue;
    const RECT r = c->BoundsRect();
    if (!PtInRect(&r, p)) continue;
    if (c->Perform(CM_HITTEST, 0, PointToLParam(POINT{p.x - r.left, p.y - r.top})) != 0) return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& m) {
  const std::vector<TControl*> snapshot = controls_;
  for (TControl* c : snapshot) {
    if (std::find(controls_.begin(), controls_.end(), c) == controls_.end()) continue;
    c->WndProc(m);
    if (m.Result != 0) return;
  }
}

// ---- the window ----

HWND TWinControl::Handle() {
  CreateHandle();
  return WindowHandle();
}

void TWinControl::CreateHandle() {
  if (HandleAllocated()) return;
  if (Parent()) {
    Parent()->CreateHandle();  // creates this one as well
    if (HandleAllocated()) return;
  }
  CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Caption = Wide(StoredText());
  params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (Visible()) params.Style |= WS_VISIBLE;
  if (!Enabled()) params.Style |= WS_DISABLED;
  if (tabStop_) params.Style |= WS_TABSTOP;
  params.X = Left();
  params.Y = Top();
  params.Width = Width();
  params.Height = Height();
  params.WndParent = Parent() ? Parent()->Handle() : parentWindow_;
  params.Cursor = nullptr;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  SetControlState(csCreating);
  struct Clear {
    TWinControl* self;
    ~Clear() { self->ClearControlState(csCreating); }
  } clear{this};
  HWND wnd = CreateObjectWindow(params);
  SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  for (TControl* c : std::vector<TControl*>(controls_))
    if (c->IsWindowed()) static_cast<TWinControl*>(c)->CreateHandle();
  Realign();
}

void TWinControl::DestroyWnd() {
  if (!HandleAllocated()) return;
  SetStoredText(WindowText(WindowHandle()));
  for (TControl* c : controls_)
    if (c->IsWindowed()) static_cast<TWinControl*>(c)->DestroyWnd();
  captureControl_ = nullptr;
  hoverControl_ = nullptr;
  tracking_ = false;
  DestroyObjectWindow();
}

namespace {
bool AnyInOwnMessage(const TWinControl* control) {
  if (control->InOwnMessage()) return true;
  for (int i = 0; i < control->ControlCount(); ++i) {
    TControl* c = control->Controls(i);
    if (c->IsWindowed() && AnyInOwnMessage(static_cast<TWinControl*>(c))) return true;
  }
  return false;
}
}  // namespace

void TWinControl::RecreateWnd() {
  if (!HandleAllocated()) return;
  if (AnyInOwnMessage(this)) {
    // Destroying a window under its own message would pull the stack from under it.
    if (!recreatePending_) {
      recreatePending_ = true;
      PostMessageW(Application().Handle(), CM_RECREATEWND, 0,
                   reinterpret_cast<LPARAM>(static_cast<TWindowObject*>(this)));
    }
    return;
  }
  recreatePending_ = false;
  const bool focused = Focused();
  DestroyWnd();
  CreateHandle();
  if (focused && CanFocus()) SetFocus();
}

void TWinControl::WindowDestroyed() {
  captureControl_ = nullptr;
  hoverControl_ = nullptr;
  tracking_ = false;
}

void TWinControl::TextChanging(const std::string& text) {
  if (HandleAllocated()) SetWindowTextW(WindowHandle(), Wide(text).c_str());
}

void TWinControl::ChangeStyle(DWORD add, DWORD remove, bool extended) {
  if (!HandleAllocated()) return;
  const int index = extended ? GWL_EXSTYLE : GWL_STYLE;
  const LONG_PTR old = GetWindowLongPtrW(WindowHandle(), index);
  const LONG_PTR now = (old & ~static_cast<LONG_PTR>(remove)) | static_cast<LONG_PTR>(add);
  if (now == old) return;
  SetWindowLongPtrW(WindowHandle(), index, now);
  SetWindowPos(WindowHandle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

HBRUSH TWinControl::ColorBrush() {
  if (!brush_) brush_ = std::make_unique<TBrush>();
  brush_->SetColor(Color());
  return brush_->Handle();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}

// ---- bounds and alignment ----

std::string TWinControl::Text() const {
  return HandleAllocated() ? WindowText(WindowHandle()) : StoredText();
}

RECT TWinControl::ClientRect() const {
  RECT r{0, 0, Width(), Height()};
  if (HandleAllocated()) GetClientRect(WindowHandle(), &r);
  return r;
}

bool TWinControl::Showing() const {
  if (!Visible()) return false;
  if (Parent()) return Parent()->Showing();
  return !HandleAllocated() || IsWindowVisible(WindowHandle());
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == Left() && top == Top() && width == Width() && height == Height()) return;
  const bool resized = width != Width() || height != Height();
  UpdateBoundsFields(left, top, width, height);
  if (HandleAllocated()) {
    // WM_WINDOWPOSCHANGED realigns the children and fires OnResize.
    SetWindowPos(WindowHandle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (resized) {
    Realign();
  }
  RequestAlign();
}

void TWinControl::Realign() {
  if (alignDisabled_ > 0 || (ControlState() & csAligning)) {
    alignNeeded_ = true;
    return;
  }
  alignNeeded_ = false;
  RECT r = ClientRect();
  AdjustClientRect(r);
  AlignControls(nullptr, r);
}

void TWinControl::EnableAlign() {
  if (alignDisabled_ > 0 && --alignDisabled_ == 0 && alignNeeded_) Realign();
}

void TWinControl::AlignControls(TControl*, RECT& rect) {
  SetControlState(csAligning);
  struct Clear {
    TWinControl* self;
    ~Clear() { self->ClearControlState(csAligning); }
  } clear{this};
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->Align() == align && c->Visible()) list.push_back(c);
    // Where aligned controls already stand decides their order; newcomers go innermost and
    // ties keep z-order.
    auto key = [align](const TControl* c) -> long long {
      const bool outerFirst = align == alTop || align == alLeft;
      if (!c->alignPlaced_) return outerFirst ? LLONG_MAX : LLONG_MIN;
      switch (align) {
        case alTop:
          return c->Top();
        case alBottom:
          return c->Top() + c->Height();
        case alLeft:
          return c->Left();
        case alRight:
          return c->Left() + c->Width();
        default:
          return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) {
      return align == alBottom || align == alRight ? key(a) > key(b) : key(a) < key(b);
    });
    for (TControl* c : list) {
      const int w = std::max<int>(rect.right - rect.left, 0);
      const int h = std::max<int>(rect.bottom - rect.top, 0);
      switch (align) {
        case alTop:
          c->SetBounds(rect.left, rect.top, w, c->Height());
          rect.top = std::min<LONG>(rect.top + c->Height(), rect.bottom);
          break;
        case alBottom:
          c->SetBounds(rect.left, rect.bottom - c->Height(), w, c->Height());
          rect.bottom = std::max<LONG>(rect.bottom - c->Height(), rect.top);
          break;
        case alLeft:
          c->SetBounds(rect.left, rect.top, c->Width(), h);
          rect.left = std::min<LONG>(rect.left + c->Width(), rect.right);
          break;
        case alRight:
          c->SetBounds(rect.right - c->Width(), rect.top, c->Width(), h);
          rect.right = std::max<LONG>(rect.right - c->Width(), rect.left);
          break;
        default:
          c->SetBounds(rect.left, rect.top, w, h);
          break;
      }
      c->alignPlaced_ = true;
    }
  }
}

// ---- painting ----

void TWinControl::Invalidate() {
  if (HandleAllocated()) ::InvalidateRect(WindowHandle(), nullptr, !(ControlStyle() & csOpaque));
}

void TWinControl::InvalidateRect(const RECT& r, bool erase) {
  if (HandleAllocated()) ::InvalidateRect(WindowHandle(), &r, erase);
}

void TWinControl::Update() {
  if (HandleAllocated()) UpdateWindow(WindowHandle());
}

void TWinControl::SetDoubleBuffered(bool value) {
  if (value == doubleBuffered_) return;
  doubleBuffered_ = value;
  Invalidate();
}

void TWinControl::EraseBackground(HDC dc, const RECT& r) {
  TCanvas canvas(dc);
  canvas.Brush().SetColor(Color());
  canvas.FillRect(r);
}

void TWinControl::PaintControls(HDC dc, const RECT& clip) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    auto* graphic = dynamic_cast<TGraphicControl*>(c);
    if (!graphic || !graphic->Visible()) continue;
    const RECT bounds = graphic->BoundsRect();
    RECT overlap;
    if (!IntersectRect(&overlap, &bounds, &clip)) continue;
    const SavedDC saved(dc);
    OffsetViewportOrgEx(dc, bounds.left, bounds.top, nullptr);
    IntersectClipRect(dc, 0, 0, graphic->Width(), graphic->Height());
    graphic->PaintTo(dc);
  }
}

bool TWinControl::PaintHandler(HDC dc, const RECT& clip) {
  if (doubleBuffered_) {
    paintBuffer_.Paint(dc, clip, [&](TCanvas& canvas) {
      EraseBackground(canvas.Handle(), clip);
      PaintWindow(canvas.Handle());
      PaintControls(canvas.Handle(), clip);
    });
  } else {
    PaintWindow(dc);
    PaintControls(dc, clip);
  }
  return true;
}

void TWinControl::WMPaint(TMessage& m) {
  if (!FrameworkPainted()) {
    DefaultHandler(m);
    return;
  }
  if (m.WParam) {  // a DC supplied by the caller
    PaintHandler(reinterpret_cast<HDC>(m.WParam), ClientRect());
    return;
  }
  PaintScope paint(WindowHandle());
  PaintHandler(paint.dc(), paint.area());
}

// PrintWindow under Wine asks for the client area only; the frame is left to the system and
// the client is drawn here at its offset, so that a capture holds what the screen shows.
void TWinControl::WMPrint(TMessage& m) {
  if (!FrameworkPainted()) {
    DefaultHandler(m);
    return;
  }
  if ((m.LParam & PRF_CHECKVISIBLE) && !IsWindowVisible(WindowHandle())) return;
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  if (m.LParam & PRF_NONCLIENT) {
    TMessage frame{m.Msg, m.WParam, PRF_NONCLIENT, 0};
    DefaultHandler(frame);
  }
  if (!(m.LParam & PRF_CLIENT)) return;
  RECT window;
  GetWindowRect(WindowHandle(), &window);
  POINT origin{0, 0};
  ::ClientToScreen(WindowHandle(), &origin);
  const SavedDC saved(dc);
  OffsetViewportOrgEx(dc, origin.x - window.left, origin.y - window.top, nullptr);
  const RECT client = ClientRect();
  IntersectClipRect(dc, 0, 0, client.right, client.bottom);
  Perform(WM_PRINTCLIENT, m.WParam, m.LParam);
}

void TWinControl::WMPrintClient(TMessage& m) {
  if (!FrameworkPainted()) {
    DefaultHandler(m);
    return;
  }
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  const RECT client = ClientRect();
  if (!doubleBuffered_) EraseBackground(dc, client);
  PaintHandler(dc, client);
  if (m.LParam & PRF_CHILDREN) PrintChildren(dc, m.LParam);
}

void TWinControl::PrintChildren(HDC dc, LPARAM flags) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (!c->IsWindowed()) continue;
    auto* child = static_cast<TWinControl*>(c);
    if (!child->HandleAllocated() || !IsWindowVisible(child->WindowHandle())) continue;
    RECT r;
    GetWindowRect(child->WindowHandle(), &r);
    MapWindowPoints(nullptr, WindowHandle(), reinterpret_cast<POINT*>(&r), 2);
    const SavedDC saved(dc);
    OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
    IntersectClipRect(dc, 0, 0, r.right - r.left, r.bottom - r.top);
    SendMessageW(child->WindowHandle(), WM_PRINT, reinterpret_cast<WPARAM>(dc),
                 (flags & ~PRF_CHECKVISIBLE) | PRF_CLIENT | PRF_NONCLIENT | PRF_CHILDREN);
  }
}

void TWinControl::WMEraseBkgnd(TMessage& m) {
  if (!FrameworkPainted()) {
    DefaultHandler(m);
    return;
  }
  if (!doubleBuffered_ && !(ControlStyle() & csOpaque))
    EraseBackground(reinterpret_cast<HDC>(m.WParam), ClientRect());
  m.Result = 1;
}

void TWinControl::WMNCPaint(TMessage& m) {
  DefaultHandler(m);
}
void TWinControl::WMNCCalcSize(TMessage& m) {
  DefaultHandler(m);
}
void TWinControl::WMNCHitTest(TMessage& m) {
  DefaultHandler(m);
}

void TWinControl::WMUpdateUIState(TMessage& m) {
  DefaultHandler(m);
  if (FrameworkPainted()) Invalidate();
}

// ---- size ----

void TWinControl::WMWindowPosChanged(TMessage& m) {
  const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
  // A minimised window keeps the bounds it will be restored to.
  if (pos && !(pos->flags & SWP_NOSIZE && pos->flags & SWP_NOMOVE) && !IsIconic(WindowHandle())) {
    RECT r;
    GetWindowRect(WindowHandle(), &r);
    if (HWND parent = GetParent(WindowHandle());
        parent && (GetWindowLongPtrW(WindowHandle(), GWL_STYLE) & WS_CHILD))
      MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    UpdateBoundsFields(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  DefaultHandler(m);  // sends WM_SIZE and WM_MOVE
}

void TWinControl::WMSize(TMessage& m) {
  DefaultHandler(m);
  if (m.WParam == SIZE_MINIMIZED) return;
  Realign();
  Resize();
}

// ---- mouse ----

void TWinControl::UpdateMouseHover(TControl* target) {
  if (target == hoverControl_) return;
  TControl* old = hoverControl_;
  hoverControl_ = target;
  if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
  if (target) target->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(target));
}

void TWinControl::RouteMouse(TMessage& m, bool& handled) {
  handled = false;
  if (m.Msg == WM_MOUSEMOVE) {
    if (!tracking_) {
      TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, WindowHandle(), 0};
      tracking_ = TrackMouseEvent(&tme) != FALSE;
    }
    if (!MouseInControl()) Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
  }
  if (!FrameworkPainted()) return;
  const POINT p = MessagePoint(m.LParam);
  TControl* target = captureControl_;
  if (!target) {
    TControl* c = ControlAtPos(p);
    if (c && !c->IsWindowed()) target = c;
  }
  if (m.Msg == WM_MOUSEMOVE) UpdateMouseHover(target);
  if (!target) return;
  handled = true;
  const POINT local{p.x - target->Left(), p.y - target->Top()};
  m.Result = target->Perform(m.Msg, m.WParam, PointToLParam(local));
}

void TWinControl::WMMouseLeave(TMessage& m) {
  tracking_ = false;
  UpdateMouseHover(nullptr);
  if (MouseInControl()) Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(this));
  DefaultHandler(m);
}

void TWinControl::WMCaptureChanged(TMessage& m) {
  if (captureControl_) {
    TControl* c = captureControl_;
    captureControl_ = nullptr;
    c->Perform(WM_CANCELMODE);
  }
  DefaultHandler(m);
}

void TWinControl::WMSetCursor(TMessage& m) {
  if (const TCursor screen = Screen().Cursor(); screen != crDefault) {
    ::SetCursor(screen == crNone ? nullptr : CursorHandle(screen));
    m.Result = TRUE;
    return;
  }
  if (LOWORD(m.LParam) == HTCLIENT && reinterpret_cast<HWND>(m.WParam) == WindowHandle()) {
    POINT p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    TControl* c = ControlAtPos(p);
    TCursor cursor = (c && !c->IsWindowed() && c->Cursor() != crDefault) ? c->Cursor() : Cursor();
    if (cursor == crNone) {
      ::SetCursor(nullptr);
      m.Result = TRUE;
      return;
    }
    if (HCURSOR h = CursorHandle(cursor)) {
      ::SetCursor(h);
      m.Result = TRUE;
      return;
    }
  }
  DefaultHandler(m);
}

void TWinControl::WMContextMenu(TMessage& m) {
  POINT screen = MessagePoint(m.LParam);
  const bool fromKeyboard = screen.x == -1 && screen.y == -1;
  TControl* target = this;
  if (fromKeyboard) {
    screen = ClientToScreen(POINT{Width() / 2, Height() / 2});
  } else if (TControl* c = ControlAtPos(ScreenToClient(screen)); c && !c->IsWindowed()) {
    target = c;
  }
  if (!target->PopupMenu()) target = this;
  TPopupMenu* menu = target->PopupMenu();
  if (menu && menu->AutoPopup()) {
    menu->SetPopupComponent(target);
    menu->Popup(screen.x, screen.y);
    m.Result = 1;
    return;
  }
  DefaultHandler(m);
}

// ---- focus and keys ----

void TWinControl::SetTabStop(bool value) {
  if (value == tabStop_) return;
  tabStop_ = value;
  ChangeStyle(value ? WS_TABSTOP : 0, value ? 0 : WS_TABSTOP);
  Perform(CM_TABSTOPCHANGED);
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  const auto& list = Parent()->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (!Parent()) return;
  auto& list = Parent()->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  order = std::clamp(order, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + order, this);
}

bool TWinControl::Focused() const {
  return HandleAllocated() && GetFocus() == WindowHandle();
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (TForm* form = GetParentForm(this); form && form != this) form->SetActiveControl(this);
  ::SetFocus(Handle());
}

void TWinControl::CollectTabOrder(std::vector<TWinControl*>& out) const {
  for (TWinControl* c : tabList_) {
    out.push_back(c);
    c->CollectTabOrder(out);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward,
                                          bool checkTabStop) const {
  std::vector<TWinControl*> list;
  CollectTabOrder(list);
  if (list.empty()) return nullptr;
  const int n = static_cast<int>(list.size());
  int start = -1;
  if (auto it = std::find(list.begin(), list.end(), current); it != list.end())
    start = static_cast<int>(it - list.begin());
  if (start < 0) start = forward ? n - 1 : 0;
  for (int step = 1; step <= n; ++step) {
    const int i = ((start + (forward ? step : -step)) % n + n) % n;
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c == current) continue;
    if (c->CanFocus() && (!checkTabStop || c->TabStop())) return c;
  }
  return nullptr;
}

bool TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
  TWinControl* next = FindNextControl(current, forward, checkTabStop);
  if (!next) return false;
  next->SetFocus();
  return true;
}

bool TWinControl::DoKeyDown(WORD& key, TShiftState shift) {
  TForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() &&
      static_cast<TWinControl*>(form)->DoKeyDown(key, shift))
    return true;
  if (OnKeyDown) OnKeyDown(this, key, shift);
  return key == 0;
}

bool TWinControl::DoKeyUp(WORD& key, TShiftState shift) {
  TForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() &&
      static_cast<TWinControl*>(form)->DoKeyUp(key, shift))
    return true;
  if (OnKeyUp) OnKeyUp(this, key, shift);
  return key == 0;
}

bool TWinControl::DoKeyPress(wchar_t& key) {
  TForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() &&
      static_cast<TWinControl*>(form)->DoKeyPress(key))
    return true;
  if (OnKeyPress) OnKeyPress(this, key);
  return key == 0;
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::WMSetFocus(TMessage& m) {
  DefaultHandler(m);
  if (TForm* form = GetParentForm(this); form && form != this) form->FocusChanged(this);
  DoEnter();
}

void TWinControl::WMKillFocus(TMessage& m) {
  DefaultHandler(m);
  DoExit();
}

void TWinControl::WMKeyDown(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  if (DoKeyDown(key, KeyboardShiftState())) return;
  m.WParam = key;
  DefaultHandler(m);
}

void TWinControl::WMKeyUp(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  if (DoKeyUp(key, KeyboardShiftState())) return;
  m.WParam = key;
  DefaultHandler(m);
}

void TWinControl::WMChar(TMessage& m) {
  wchar_t key = static_cast<wchar_t>(m.WParam);
  if (DoKeyPress(key)) return;
  m.WParam = key;
  DefaultHandler(m);
}

// The message loop offers each key here before dispatching it; Result 1 consumes it.
void TWinControl::CNKeyDown(TMessage& m) {
  const UINT key = static_cast<UINT>(m.WParam);
  TForm* form = GetParentForm(this);
  if (!form) return;
  if (key == VK_TAB || (key >= VK_LEFT && key <= VK_DOWN))
    SendMessageW(form->Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  else if (key == VK_MENU)
    SendMessageW(form->Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
  LRESULT mask = 0;
  switch (key) {
    case VK_TAB:
      mask = DLGC_WANTTAB;
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      mask = DLGC_WANTARROWS;
      break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
      mask = DLGC_WANTALLKEYS;
      break;
    default:
      return;
  }
  if (Perform(CM_WANTSPECIALKEY, key) != 0) return;
  if (HandleAllocated() && (SendMessageW(WindowHandle(), WM_GETDLGCODE, key, 0) & mask)) return;
  if (form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) m.Result = 1;
}

void TWinControl::CNChar(TMessage& m) {
  TForm* form = GetParentForm(this);
  if (!form) return;
  const bool sys = m.Msg == CN_SYSCHAR;
  if (!sys && HandleAllocated() &&
      (SendMessageW(WindowHandle(), WM_GETDLGCODE, m.WParam, 0) & DLGC_WANTCHARS))
    return;
  if (form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0) m.Result = 1;
}

void TWinControl::CMDialogKey(TMessage& m) {
  Broadcast(m);
}
void TWinControl::CMDialogChar(TMessage& m) {
  Broadcast(m);
}

void TWinControl::CMRecreateWnd(TMessage&) {
  RecreateWnd();
}

// Every control of the form hears which one now has the focus.
void TWinControl::CMFocusChanged(TMessage& m) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    TMessage copy = m;
    c->WndProc(copy);
  }
}

// ---- reflection and colours ----

void TWinControl::WMReflected(TMessage& m) {
  HWND child = nullptr;
  switch (m.Msg) {
    case WM_NOTIFY:
      child = reinterpret_cast<const NMHDR*>(m.LParam)->hwndFrom;
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
      if (item->CtlType != ODT_MENU) child = item->hwndItem;
      break;
    }
    default:
      child = reinterpret_cast<HWND>(m.LParam);
      break;
  }
  auto* control = dynamic_cast<TWinControl*>(TWindowObject::FromHandle(child));
  if (control && control != this) {
    m.Result = control->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return;
  }
  DefaultHandler(m);
}

void TWinControl::CNCtlColor(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  SetTextColor(dc, ToColorRef(Font().Color()));
  SetBkColor(dc, ToColorRef(Color()));
  m.Result = reinterpret_cast<LRESULT>(ColorBrush());
}

void TWinControl::CMEnabledChanged(TMessage& m) {
  if (HandleAllocated()) EnableWindow(WindowHandle(), Enabled());
  TControl::CMEnabledChanged(m);
}

void TWinControl::CMVisibleChanged(TMessage&) {
  if (!HandleAllocated()) {
    if (Visible() && Parent() && Parent()->HandleAllocated()) CreateHandle();
    return;
  }
  ShowWindow(WindowHandle(), Visible() ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void TWinControl::CMColorChanged(TMessage& m) {
  TControl::CMColorChanged(m);
  TMessage notify{CM_PARENTCOLORCHANGED, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(controls_)) c->WndProc(notify);
}

void TWinControl::CMFontChanged(TMessage& m) {
  if (HandleAllocated())
    SendMessageW(WindowHandle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
  TControl::CMFontChanged(m);
  TMessage notify{CM_PARENTFONTCHANGED, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(controls_)) c->WndProc(notify);
}

void TWinControl::CMTextChanged(TMessage& m) {
  TControl::CMTextChanged(m);
}

// ---- dispatch ----

void TWinControl::HandleWindowMessage(TMessage& m) {
  WndProc(m);
}

void TWinControl::WndProc(TMessage& m) {
  using Handler = void (TWinControl::*)(TMessage&);
  static const std::unordered_map<UINT, Handler> kHandlers = {
      {WM_PAINT, &TWinControl::WMPaint},
      {WM_PRINT, &TWinControl::WMPrint},
      {WM_PRINTCLIENT, &TWinControl::WMPrintClient},
      {WM_ERASEBKGND, &TWinControl::WMEraseBkgnd},
      {WM_NCPAINT, &TWinControl::WMNCPaint},
      {WM_NCCALCSIZE, &TWinControl::WMNCCalcSize},
      {WM_NCHITTEST, &TWinControl::WMNCHitTest},
      {WM_SIZE, &TWinControl::WMSize},
      {WM_WINDOWPOSCHANGED, &TWinControl::WMWindowPosChanged},
      {WM_SETFOCUS, &TWinControl::WMSetFocus},
      {WM_KILLFOCUS, &TWinControl::WMKillFocus},
      {WM_KEYDOWN, &TWinControl::WMKeyDown},
      {WM_KEYUP, &TWinControl::WMKeyUp},
      {WM_CHAR, &TWinControl::WMChar},
      {WM_MOUSELEAVE, &TWinControl::WMMouseLeave},
      {WM_CAPTURECHANGED, &TWinControl::WMCaptureChanged},
      {WM_SETCURSOR, &TWinControl::WMSetCursor},
      {WM_CONTEXTMENU, &TWinControl::WMContextMenu},
      {WM_UPDATEUISTATE, &TWinControl::WMUpdateUIState},
      {WM_COMMAND, &TWinControl::WMReflected},
      {WM_NOTIFY, &TWinControl::WMReflected},
      {WM_DRAWITEM, &TWinControl::WMReflected},
      {WM_HSCROLL, &TWinControl::WMReflected},
      {WM_VSCROLL, &TWinControl::WMReflected},
      {WM_CTLCOLOREDIT, &TWinControl::WMReflected},
      {WM_CTLCOLORSTATIC, &TWinControl::WMReflected},
      {WM_CTLCOLORBTN, &TWinControl::WMReflected},
      {WM_CTLCOLORLISTBOX, &TWinControl::WMReflected},
      {CN_KEYDOWN, &TWinControl::CNKeyDown},
      {CN_CHAR, &TWinControl::CNChar},
      {CN_SYSCHAR, &TWinControl::CNChar},
      {CN_CTLCOLOREDIT, &TWinControl::CNCtlColor},
      {CN_CTLCOLORSTATIC, &TWinControl::CNCtlColor},
      {CN_CTLCOLORBTN, &TWinControl::CNCtlColor},
      {CN_CTLCOLORLISTBOX, &TWinControl::CNCtlColor},
      {CM_DIALOGKEY, &TWinControl::CMDialogKey},
      {CM_DIALOGCHAR, &TWinControl::CMDialogChar},
      {CM_RECREATEWND, &TWinControl::CMRecreateWnd},
      {CM_FOCUSCHANGED, &TWinControl::CMFocusChanged},
  };
  if (IsMouseMessage(m.Msg) && HandleAllocated()) {
    bool handled = false;
    RouteMouse(m, handled);
    if (handled) return;
  }
  auto it = kHandlers.find(m.Msg);
  if (it != kHandlers.end()) {
    (this->*(it->second))(m);
    return;
  }
  TControl::WndProc(m);
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (IsFrameworkMessage(m.Msg) || !HandleAllocated()) {
    return;
  }
  CallDefault(m);
}

// ---- TCustomControl ----

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {
  SetDoubleBuffered(true);
}

TCustomControl::~TCustomControl() {
  Destroying();
}

void TCustomControl::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"KovraCustomControl";
}

void TCustomControl::PaintWindow(HDC dc) {
  const TCanvasOnDC attached(canvas_, dc);
  canvas_.Font().Assign(Font());
  canvas_.Brush().SetColor(Color());
  Paint();
}

}  // namespace kovra
