// TControl and TGraphicControl: what every control has, windowed or not.
#include "framework/Controls.h"

#include <unordered_map>

#include "framework/Application.h"
#include "framework/CanvasScope.h"
#include "framework/Docking.h"
#include "framework/Forms.h"
#include "framework/Menus.h"

namespace kovra {

TShiftState MouseShiftState(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState KeyboardShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

HCURSOR CursorHandle(TCursor cursor) {
  static const std::unordered_map<int, const wchar_t*> kCursors = {
      {crArrow, IDC_ARROW},          {crCross, IDC_CROSS},
      {crIBeam, IDC_IBEAM},          {crSizeNESW, IDC_SIZENESW},
      {crSizeNS, IDC_SIZENS},        {crSizeNWSE, IDC_SIZENWSE},
      {crSizeWE, IDC_SIZEWE},        {crUpArrow, IDC_UPARROW},
      {crHourGlass, IDC_WAIT},       {crNo, IDC_NO},
      {crAppStart, IDC_APPSTARTING}, {crHelp, IDC_HELP},
      {crHandPoint, IDC_HAND},       {crSizeAll, IDC_SIZEALL}};
  auto it = kCursors.find(cursor);
  return it == kCursors.end() ? nullptr : LoadCursorW(nullptr, it->second);
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

void TScreen::SetCursor(TCursor cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  POINT p;
  GetCursorPos(&p);
  HWND under = WindowFromPoint(p);
  // Our window under the mouse picks its cursor again; elsewhere the change shows at once.
  if (under && GetWindowThreadProcessId(under, nullptr) == GetCurrentThreadId()) {
    const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
  } else if (cursor != crDefault) {
    ::SetCursor(cursor == crNone ? nullptr : CursorHandle(cursor));
  }
}

TForm* GetParentForm(const TControl* control) {
  const TControl* c = control;
  while (c && c->Parent()) c = c->Parent();
  return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

// ---- TControl ----

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  Destroying();
  Application().HintMouseLeave(this);
  font_.OnChange = nullptr;
  if (parent_) parent_->RemoveControl(this);
  parent_ = nullptr;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  for (const TControl* p = parent; p; p = p->parent_)
    if (p == this) throw EInvalidOperation("A control cannot be its own parent");
  if (parent_) parent_->RemoveControl(this);
  parent_ = parent;
  if (!parent_) return;
  ScaleForPPI(parent_->CurrentPPI());
  parent_->InsertControl(this);
}

void TControl::ScaleForPPI(int ppi) {
  if (ppi <= 0 || ppi == currentPPI_) return;
  const int old = currentPPI_;
  currentPPI_ = ppi;  // children, reached from ChangeScale, compare against the new value
  ChangeScale(ppi, old);
}

void TControl::AdoptPPI(int ppi) {
  if (ppi > 0) currentPPI_ = ppi;
}

void TControl::ChangeScale(int m, int d) {
  const auto scale = [m, d](int v) { return MulDiv(v, m, d); };
  SetBounds(parent_ ? scale(left_) : left_, parent_ ? scale(top_) : top_, scale(width_),
            scale(height_));
  // After the bounds: a control that sizes itself from its font measures the scaled one last.
  if (!parentFont_) font_.ScaleToPixelsPerInch(m);
}

RECT TControl::ClientRect() const {
  return RECT{0, 0, width_, height_};
}
int TControl::ClientWidth() const {
  const RECT r = ClientRect();
  return r.right - r.left;
}
int TControl::ClientHeight() const {
  const RECT r = ClientRect();
  return r.bottom - r.top;
}

POINT TControl::ClientOrigin() const {
  if (IsWindowed() || !parent_) return POINT{0, 0};
  POINT p = parent_->ClientOrigin();
  return POINT{p.x + left_, p.y + top_};
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  const bool resized = width != width_ || height != height_;
  Invalidate();  // the old place
  UpdateBoundsFields(left, top, width, height);
  Invalidate();  // the new one
  RequestAlign();
  if (resized) Resize();
}

void TControl::UpdateBoundsFields(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  alignPlaced_ = false;
  RequestAlign();
}

void TControl::RequestAlign() {
  if (parent_ && !(parent_->ControlState() & csAligning)) parent_->Realign();
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Perform(CM_VISIBLECHANGED, visible ? 1 : 0);
  RequestAlign();
}

bool TControl::Showing() const {
  return visible_ && (!parent_ || parent_->Showing());
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor color) {
  if (color == color_) {
    parentColor_ = false;
    return;
  }
  color_ = color;
  parentColor_ = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  if (value && parent_) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool value) {
  if (value == parentFont_) return;
  parentFont_ = value;
  if (value && parent_) Perform(CM_PARENTFONTCHANGED);
}

void TControl::FontChanged() {
  parentFont_ = false;
  Perform(CM_FONTCHANGED);
}

std::string TControl::Text() const {
  return text_;
}

void TControl::SetText(std::string_view text) {
  if (text == Text()) return;
  text_ = text;
  TextChanging(text_);
  Perform(CM_TEXTCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (menu == popupMenu_) return;
  if (popupMenu_) RemoveFreeNotification(popupMenu_);
  popupMenu_ = menu;
  if (menu) FreeNotification(menu);
}

void TControl::SetCursor(TCursor cursor) {
  cursor_ = cursor;
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::Loaded() {
  RequestAlign();
}

LRESULT TControl::Perform(UINT msg, WPARAM w, LPARAM l) {
  TMessage m{msg, w, l, 0};
  WndProc(m);
  return m.Result;
}

void TControl::Invalidate() {
  if (parent_) parent_->InvalidateRect(BoundsRect(), !(controlStyle_ & csOpaque));
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::BringToFront() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::find(list.begin(), list.end(), this));
  list.push_back(this);
  if (IsWindowed()) {
    auto* self = static_cast<TWinControl*>(this);
    if (self->HandleAllocated())
      SetWindowPos(self->WindowHandle(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  Invalidate();
}

void TControl::SendToBack() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::find(list.begin(), list.end(), this));
  list.insert(list.begin(), this);
  if (IsWindowed()) {
    auto* self = static_cast<TWinControl*>(this);
    if (self->HandleAllocated())
      SetWindowPos(self->WindowHandle(), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  Invalidate();
}

POINT TControl::ClientToScreen(POINT p) const {
  if (IsWindowed()) {
    ::ClientToScreen(static_cast<const TWinControl*>(this)->WindowHandle(), &p);
    return p;
  }
  if (!parent_) return p;
  return parent_->ClientToScreen(POINT{p.x + left_, p.y + top_});
}

POINT TControl::ScreenToClient(POINT p) const {
  if (IsWindowed()) {
    ::ScreenToClient(static_cast<const TWinControl*>(this)->WindowHandle(), &p);
    return p;
  }
  if (!parent_) return p;
  const POINT q = parent_->ScreenToClient(p);
  return POINT{q.x - left_, q.y - top_};
}

bool TControl::MouseCapture() const {
  if (IsWindowed()) {
    HWND wnd = static_cast<const TWinControl*>(this)->WindowHandle();
    return wnd && GetCapture() == wnd;
  }
  return parent_ && parent_->captureControl_ == this && parent_->HandleAllocated() &&
         GetCapture() == parent_->WindowHandle();
}

void TControl::SetMouseCapture(bool capture) {
  if (capture == MouseCapture()) return;
  if (!capture) {
    // Forgotten first, so that the parent's WM_CAPTURECHANGED does not cancel this control.
    if (parent_ && parent_->captureControl_ == this) parent_->captureControl_ = nullptr;
    ReleaseCapture();
    return;
  }
  if (IsWindowed()) {
    SetCapture(static_cast<TWinControl*>(this)->Handle());
  } else if (parent_) {
    SetCapture(parent_->Handle());
    parent_->captureControl_ = this;
  }
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}
void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}
void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}
void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::WndProc(TMessage& m) {
  using Handler = void (TControl::*)(TMessage&);
  static const std::unordered_map<UINT, Handler> kHandlers = {
      {WM_LBUTTONDOWN, &TControl::WMLButtonDown},
      {WM_LBUTTONUP, &TControl::WMLButtonUp},
      {WM_LBUTTONDBLCLK, &TControl::WMLButtonDblClk},
      {WM_RBUTTONDOWN, &TControl::WMRButtonDown},
      {WM_RBUTTONDBLCLK, &TControl::WMRButtonDown},
      {WM_RBUTTONUP, &TControl::WMRButtonUp},
      {WM_MBUTTONDOWN, &TControl::WMMButtonDown},
      {WM_MBUTTONDBLCLK, &TControl::WMMButtonDown},
      {WM_MBUTTONUP, &TControl::WMMButtonUp},
      {WM_MOUSEMOVE, &TControl::WMMouseMove},
      {WM_CANCELMODE, &TControl::WMCancelMode},
      {CM_MOUSEENTER, &TControl::CMMouseEnter},
      {CM_MOUSELEAVE, &TControl::CMMouseLeave},
      {CM_ENABLEDCHANGED, &TControl::CMEnabledChanged},
      {CM_VISIBLECHANGED, &TControl::CMVisibleChanged},
      {CM_COLORCHANGED, &TControl::CMColorChanged},
      {CM_FONTCHANGED, &TControl::CMFontChanged},
      {CM_TEXTCHANGED, &TControl::CMTextChanged},
      {CM_PARENTCOLORCHANGED, &TControl::CMParentColorChanged},
      {CM_PARENTFONTCHANGED, &TControl::CMParentFontChanged},
      {CM_HITTEST, &TControl::CMHitTest},
  };
  auto it = kHandlers.find(m.Msg);
  if (it != kHandlers.end()) {
    (this->*(it->second))(m);
  } else {
    DefaultHandler(m);
  }
}

void TControl::DefaultHandler(TMessage& m) {
  m.Result = 0;
}

void TControl::MouseButtonDown(TMessage& m, TMouseButton button) {
  Application().HintMouseLeave(this);  // a press ends the hint
  DefaultHandler(m);
  const bool dbl =
      m.Msg == WM_LBUTTONDBLCLK || m.Msg == WM_RBUTTONDBLCLK || m.Msg == WM_MBUTTONDBLCLK;
  TShiftState shift = MouseShiftState(m.WParam);
  if (dbl) shift |= ssDouble;
  MouseDown(button, shift, MessageX(m.LParam), MessageY(m.LParam));
}

void TControl::MouseButtonUp(TMessage& m, TMouseButton button) {
  DefaultHandler(m);
  MouseUp(button, MouseShiftState(m.WParam), MessageX(m.LParam), MessageY(m.LParam));
}

bool TControl::BeginDrag(bool immediate) {
  return dragKind_ == dkDock && DragDockControl(*this, immediate);
}

void TControl::WMLButtonDown(TMessage& m) {
  if (dragMode_ == dmAutomatic && BeginDrag(false)) return;
  if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
  if (controlStyle_ & csClickEvents) controlState_ |= csClicked;
  controlState_ |= csLButtonDown;
  MouseButtonDown(m, mbLeft);
}

void TControl::WMLButtonDblClk(TMessage& m) {
  if (!(controlStyle_ & csDoubleClicks)) {
    m.Msg = WM_LBUTTONDOWN;  // a second single click for controls that take no double clicks
    WMLButtonDown(m);
    return;
  }
  if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
  controlState_ |= csLButtonDown;
  MouseButtonDown(m, mbLeft);
  DblClick();
}

void TControl::WMLButtonUp(TMessage& m) {
  const bool clicked = (controlState_ & csClicked) != 0;
  controlState_ &= ~(csClicked | csLButtonDown);
  if (controlStyle_ & csCaptureMouse) SetMouseCapture(false);
  const POINT p = MessagePoint(m.LParam);
  const RECT client = ClientRect();
  MouseButtonUp(m, mbLeft);
  if (clicked && PtInRect(&client, p)) Click();
}

void TControl::WMRButtonDown(TMessage& m) {
  MouseButtonDown(m, mbRight);
}
void TControl::WMRButtonUp(TMessage& m) {
  MouseButtonUp(m, mbRight);
}
void TControl::WMMButtonDown(TMessage& m) {
  MouseButtonDown(m, mbMiddle);
}
void TControl::WMMButtonUp(TMessage& m) {
  MouseButtonUp(m, mbMiddle);
}

void TControl::WMMouseMove(TMessage& m) {
  DefaultHandler(m);
  MouseMove(MouseShiftState(m.WParam), MessageX(m.LParam), MessageY(m.LParam));
}

void TControl::WMCancelMode(TMessage& m) {
  if (MouseCapture()) SetMouseCapture(false);
  controlState_ &= ~(csClicked | csLButtonDown);
  DefaultHandler(m);
}

void TControl::CMMouseEnter(TMessage& m) {
  if (m.LParam != 0 && m.LParam != reinterpret_cast<LPARAM>(this)) return;
  mouseInControl_ = true;
  Application().HintMouseEnter(this);
  if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::CMMouseLeave(TMessage& m) {
  if (m.LParam != 0 && m.LParam != reinterpret_cast<LPARAM>(this)) return;
  mouseInControl_ = false;
  Application().HintMouseLeave(this);
  if (OnMouseLeave) OnMouseLeave(this);
}

void TControl::CMEnabledChanged(TMessage&) {
  Invalidate();
}

void TControl::CMVisibleChanged(TMessage&) {
  if (parent_) parent_->InvalidateRect(BoundsRect(), true);
}

void TControl::CMColorChanged(TMessage&) {
  Invalidate();
}
void TControl::CMFontChanged(TMessage&) {
  Invalidate();
}
void TControl::CMTextChanged(TMessage&) {
  Invalidate();
}

void TControl::CMParentColorChanged(TMessage&) {
  if (!parentColor_ || !parent_) return;
  if (parent_->Color() != color_) {
    color_ = parent_->Color();
    Perform(CM_COLORCHANGED);
  }
}

void TControl::CMParentFontChanged(TMessage&) {
  if (!parentFont_ || !parent_) return;
  if (font_ == parent_->Font()) return;
  font_.Assign(parent_->Font());  // fires FontChanged, which clears the flag
  parentFont_ = true;
}

void TControl::CMHitTest(TMessage& m) {
  m.Result = 1;
}

// ---- TGraphicControl ----

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}
TGraphicControl::~TGraphicControl() {
  Destroying();
}

void TGraphicControl::Invalidate() {
  if (Parent() && Visible()) TControl::Invalidate();
}

void TGraphicControl::Update() {
  if (Parent()) Parent()->Update();
}

void TGraphicControl::PaintTo(HDC dc) {
  const TCanvasOnDC attached(canvas_, dc);
  canvas_.Font().Assign(Font());
  canvas_.Brush().SetColor(Color());
  Paint();
}

}  // namespace kovra
