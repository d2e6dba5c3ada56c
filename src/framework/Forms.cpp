// TForm: top-level windows, their showing, closing, modal loop and keyboard navigation.
#include "framework/Forms.h"

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

#include "framework/Application.h"

namespace kovra {

namespace {

struct FrameStyle {
  DWORD style;
  DWORD exStyle;
};

FrameStyle StyleFor(TFormBorderStyle border) {
  switch (border) {
    case bsNone:
      return {WS_POPUP, 0};
    case bsSingle:
      return {WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0};
    case bsDialog:
      return {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
              WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE};
    case bsToolWindow:
      return {WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW};
    case bsSizeToolWin:
      return {WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_EX_TOOLWINDOW};
    case bsSizeable:
    default:
      return {WS_OVERLAPPEDWINDOW, 0};
  }
}

// Disables the thread's other enabled, visible top-level windows for a modal loop and enables
// them again when it ends, on every path.
class ThreadWindowsDisabler {
 public:
  explicit ThreadWindowsDisabler(HWND except) : except_(except) {
    EnumThreadWindows(GetCurrentThreadId(), &Disable, reinterpret_cast<LPARAM>(this));
  }
  ~ThreadWindowsDisabler() {
    for (HWND w : disabled_)
      if (IsWindow(w)) EnableWindow(w, TRUE);
  }
  ThreadWindowsDisabler(const ThreadWindowsDisabler&) = delete;
  ThreadWindowsDisabler& operator=(const ThreadWindowsDisabler&) = delete;

 private:
  static BOOL CALLBACK Disable(HWND w, LPARAM l) {
    auto* self = reinterpret_cast<ThreadWindowsDisabler*>(l);
    if (w != self->except_ && IsWindowVisible(w) && IsWindowEnabled(w)) {
      EnableWindow(w, FALSE);
      self->disabled_.push_back(w);
    }
    return TRUE;
  }
  HWND except_;
  std::vector<HWND> disabled_;
};

}  // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  SetVisible(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 320, 240);
}

TForm::~TForm() {
  Destroying();
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      Application().HandleException(this);
    }
  }
  Application().CancelScheduledDelete(this);
  Application().FormDestroyed(this);
}

void TForm::AfterConstruction() {
  if (created_) return;
  created_ = true;
  EndLoading();
  if (OnCreate) OnCreate(this);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  RecreateWnd();
}

void TForm::SetFormStyle(TFormStyle style) {
  if (style == formStyle_) return;
  formStyle_ = style;
  if (HandleAllocated())
    SetWindowPos(WindowHandle(), style == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"KovraForm";
  params.Icon = Application().Icon().Handle();
  const FrameStyle frame = StyleFor(borderStyle_);
  params.Style = frame.style | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (!Enabled()) params.Style |= WS_DISABLED;
  params.ExStyle = frame.exStyle;
  if (formStyle_ == fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
  if (transparentColor_) params.ExStyle |= WS_EX_LAYERED;
  params.WndParent = ParentWindow() ? ParentWindow() : Application().Handle();
  if (position_ == poDefault || position_ == poDefaultPosOnly) params.X = params.Y = CW_USEDEFAULT;
  if (position_ == poDefault || position_ == poDefaultSizeOnly)
    params.Width = params.Height = CW_USEDEFAULT;
}

void TForm::ScaleToScreen() {
  if (scaled_) return;
  scaled_ = true;
  ScaleForPPI(ScreenPixelsPerInch());
}

void TForm::CreateWnd() {
  ScaleToScreen();
  TWinControl::CreateWnd();
  // Created on a monitor other than the primary one: follows it before it is ever seen.
  ScaleForPPI(WindowPixelsPerInch(WindowHandle()));
  if (position_ == poDefault || position_ == poDefaultPosOnly || position_ == poDefaultSizeOnly) {
    RECT r;  // the system chose: learn what
    GetWindowRect(WindowHandle(), &r);
    UpdateBoundsFields(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  ApplyLayered();
  if (Visible()) ShowWindow(WindowHandle(), ShowCommand());
}

int TForm::ShowCommand() const {
  switch (windowState_) {
    case wsMaximized:
      return SW_SHOWMAXIMIZED;
    case wsMinimized:
      return showingInactive_ ? SW_SHOWMINNOACTIVE : SW_SHOWMINIMIZED;
    case wsNormal:
    default:
      return showingInactive_ ? SW_SHOWNOACTIVATE : SW_SHOW;
  }
}

TWindowState TForm::WindowState() const {
  // A hidden window's state is the one it shows with next.
  if (!HandleAllocated() || !IsWindowVisible(WindowHandle())) return windowState_;
  if (IsIconic(WindowHandle())) return wsMinimized;
  if (IsZoomed(WindowHandle())) return wsMaximized;
  return wsNormal;
}

void TForm::SetWindowState(TWindowState state) {
  windowState_ = state;
  if (!HandleAllocated() || !Visible()) return;
  static constexpr int kCommands[] = {SW_RESTORE, SW_MINIMIZE, SW_SHOWMAXIMIZED};
  if (WindowState() != state) ShowWindow(WindowHandle(), kCommands[state]);
}

void TForm::SetMinConstraints(int width, int height) {
  minWidth_ = std::max(width, 0);
  minHeight_ = std::max(height, 0);
  if (Width() < minWidth_ || Height() < minHeight_) SetBounds(Left(), Top(), Width(), Height());
}

void TForm::SetBounds(int left, int top, int width, int height) {
  if (scaledPlace_) {
    const RECT r = *std::exchange(scaledPlace_, std::nullopt);
    left = r.left;
    top = r.top;
    width = r.right - r.left;
    height = r.bottom - r.top;
  }
  TWinControl::SetBounds(left, top, std::max(width, minWidth_), std::max(height, minHeight_));
}

void TForm::WMGetMinMaxInfo(TMessage& m) {
  DefaultHandler(m);
  auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
  if (!info) return;
  if (minTrackSize_.cx > 0) info->ptMinTrackSize.x = minTrackSize_.cx;
  if (minTrackSize_.cy > 0) info->ptMinTrackSize.y = minTrackSize_.cy;
  info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, minWidth_);
  info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, minHeight_);
  m.Result = 0;
}

void TForm::ChangeScale(int m, int d) {
  minWidth_ = MulDiv(minWidth_, m, d);
  minHeight_ = MulDiv(minHeight_, m, d);
  minTrackSize_ = SIZE{MulDiv(minTrackSize_.cx, m, d), MulDiv(minTrackSize_.cy, m, d)};
  TWinControl::ChangeScale(m, d);
}

void TForm::WMDpiChanged(TMessage& m) {
  m.Result = 0;
  const auto* suggested = reinterpret_cast<const RECT*>(m.LParam);
  const int ppi = LOWORD(m.WParam);
  if (!suggested || ppi <= 0) return;
  // The children stop drawing while they move and resize, and the whole form paints once at the
  // end; the form itself moves once, into the system's rectangle.
  std::vector<HWND> children;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* child = dynamic_cast<TWinControl*>(Controls(i)); child && child->HandleAllocated()) {
      children.push_back(child->WindowHandle());
      SendMessageW(children.back(), WM_SETREDRAW, FALSE, 0);
    }
  struct Redraw {
    HWND form;
    const std::vector<HWND>& children;
    ~Redraw() {
      for (HWND child : children)
        if (IsWindow(child)) SendMessageW(child, WM_SETREDRAW, TRUE, 0);
      RedrawWindow(form, nullptr, nullptr,
                   RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
  } redraw{WindowHandle(), children};
  scaledPlace_ = *suggested;
  scaled_ = true;
  if (ppi != CurrentPPI())
    ScaleForPPI(ppi);
  else
    SetBounds(Left(), Top(), Width(), Height());
  scaledPlace_.reset();
}

void TForm::WMSize(TMessage& m) {
  if (m.WParam == SIZE_MAXIMIZED)
    windowState_ = wsMaximized;
  else if (m.WParam == SIZE_MINIMIZED)
    windowState_ = wsMinimized;
  else if (m.WParam == SIZE_RESTORED && IsWindowVisible(WindowHandle()))
    windowState_ = wsNormal;
  TWinControl::WMSize(m);
}

RECT TForm::ClientRect() const {
  if (HandleAllocated()) return TWinControl::ClientRect();
  const FrameStyle frame = StyleFor(borderStyle_);
  RECT frameRect{0, 0, 0, 0};
  AdjustWindowRectEx(&frameRect, frame.style, FALSE, frame.exStyle);
  return RECT{0, 0, std::max<LONG>(Width() - (frameRect.right - frameRect.left), 0),
              std::max<LONG>(Height() - (frameRect.bottom - frameRect.top), 0)};
}

void TForm::SetClientWidth(int width) {
  SetWidth(Width() - ClientWidth() + width);
}

void TForm::SetClientHeight(int height) {
  SetHeight(Height() - ClientHeight() + height);
}

HWND TForm::CentringWindow() const {
  TForm* target = nullptr;
  if (position_ == poOwnerFormCenter) target = dynamic_cast<TForm*>(Owner());
  if (!target && (position_ == poMainFormCenter || position_ == poOwnerFormCenter))
    target = Application().MainForm();
  if (!target || target == this || !target->HandleAllocated() ||
      !IsWindowVisible(target->WindowHandle()) || IsIconic(target->WindowHandle()))
    return nullptr;
  return target->WindowHandle();
}

void TForm::ApplyPosition() {
  positioned_ = true;
  if (position_ == poDesigned || position_ == poDefault || position_ == poDefaultPosOnly) return;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (position_ == poDefaultSizeOnly) return;
  if (position_ == poDesktopCenter) SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  if (HWND centre = CentringWindow()) GetWindowRect(centre, &work);
  int left = work.left + (work.right - work.left - Width()) / 2;
  int top = work.top + (work.bottom - work.top - Height()) / 2;
  if (position_ == poMainFormCenter || position_ == poOwnerFormCenter) {
    // Centred on a form near an edge: keep the whole frame on the screen.
    left = std::clamp(left, 0, std::max(0, GetSystemMetrics(SM_CXSCREEN) - Width()));
    top = std::clamp(top, 0, std::max(0, GetSystemMetrics(SM_CYSCREEN) - Height()));
  }
  SetBounds(left, top, Width(), Height());
}

void TForm::ApplyLayered() {
  if (!HandleAllocated()) return;
  if (!transparentColor_) {
    ChangeStyle(0, WS_EX_LAYERED, true);
    return;
  }
  ChangeStyle(WS_EX_LAYERED, 0, true);
  SetLayeredWindowAttributes(WindowHandle(), ToColorRef(transparentColorValue_), 255, LWA_COLORKEY);
}

void TForm::SetTransparentColor(bool value) {
  if (value == transparentColor_) return;
  transparentColor_ = value;
  ApplyLayered();
}

void TForm::SetTransparentColorValue(TColor color) {
  if (color == transparentColorValue_) return;
  transparentColorValue_ = color;
  if (transparentColor_) ApplyLayered();
}

void TForm::Show() {
  AfterConstruction();
  ScaleToScreen();
  if (!positioned_) ApplyPosition();
  showingInactive_ = !showActivated_;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{showingInactive_};
  SetVisible(true);
  if (!HandleAllocated()) return;
  if (showActivated_)
    BringWindowToTop(WindowHandle());
  else
    SetWindowPos(WindowHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::CMVisibleChanged(TMessage&) {
  if (!Visible()) {
    if (HandleAllocated()) ShowWindow(WindowHandle(), SW_HIDE);
    return;
  }
  HWND wnd = Handle();
  ShowWindow(wnd, ShowCommand());
  if (GetActiveWindow() == wnd) EnsureFocus();
}

TModalResult TForm::ShowModal() {
  if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  AfterConstruction();
  if (HWND captured = GetCapture()) SendMessageW(captured, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  HWND previous = GetActiveWindow();
  HWND wnd = Handle();
  Application().ModalStarted();
  modal_ = true;
  modalResult_ = mrNone;
  struct Finish {
    TForm* form;
    HWND previous;
    ~Finish() {
      form->modal_ = false;
      Application().ModalFinished();
      if (previous && IsWindow(previous)) SetActiveWindow(previous);
    }
  } finish{this, previous};
  {
    ThreadWindowsDisabler disabler(wnd);
    Show();
    while (true) {
      Application().HandleMessage();
      if (Application().Terminated()) {
        modalResult_ = mrCancel;
        break;
      }
      if (modalResult_ != mrNone) {
        CloseModal();
        if (modalResult_ != mrNone) break;
      }
    }
  }  // the other windows are enabled before this one hides, so one of them is activated
  Hide();
  return modalResult_;
}

void TForm::CloseModal() {
  if (!CloseQuery()) {
    modalResult_ = mrNone;
    return;
  }
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone)
    modalResult_ = mrNone;
  else if (action == caFree)
    Release();
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;  // the modal loop asks the close handlers
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application().MainForm() == this) {
    Hide();
    Application().Terminate();
    return;
  }
  switch (action) {
    case caHide:
      Hide();
      break;
    case caMinimize:
      if (HandleAllocated()) ShowWindow(WindowHandle(), SW_MINIMIZE);
      break;
    case caFree:
      Release();
      break;
    default:
      break;
  }
}

void TForm::Release() {
  Hide();
  Application().ScheduleDelete(this);
}

void TForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_) return;
  if (control && !ContainsControl(control))
    throw EInvalidOperation("Cannot focus a control of another form");
  activeControl_ = control;
  if (control && HandleAllocated() && GetActiveWindow() == WindowHandle() && control->CanFocus())
    ::SetFocus(control->Handle());
}

// Called whenever a control really takes the focus: SetActiveControl may already have recorded it
// as active, but the form's controls have not heard of the move yet.
void TForm::FocusChanged(TWinControl* control) {
  activeControl_ = control;
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
}

void TForm::ControlRemoved(TControl* control) {
  if (activeControl_ && static_cast<TControl*>(activeControl_) == control) activeControl_ = nullptr;
}

void TForm::EnsureFocus() {
  if (activeControl_ && activeControl_->CanFocus()) {
    ::SetFocus(activeControl_->Handle());
    return;
  }
  if (TWinControl* first = FindNextControl(nullptr, true, true)) {
    first->SetFocus();
    return;
  }
  ::SetFocus(WindowHandle());
}

void TForm::CMDialogKey(TMessage& m) {
  const UINT key = static_cast<UINT>(m.WParam);
  const TShiftState shift = KeyboardShiftState();
  if (key == VK_TAB && !(shift & (ssAlt | ssCtrl))) {
    SelectNext(activeControl_, !(shift & ssShift), true);
    m.Result = 1;
    return;
  }
  TWinControl::CMDialogKey(m);  // a default or cancel button may claim Enter or Escape
}

void TForm::WMClose(TMessage&) {
  Close();
}

void TForm::WMActivate(TMessage& m) {
  if (LOWORD(m.WParam) == WA_INACTIVE) {
    if (TWinControl* focused = FindControl(GetFocus());
        focused && ContainsControl(focused) && focused != this)
      activeControl_ = focused;
    if (OnDeactivate) OnDeactivate(this);
    DefaultHandler(m);
    return;
  }
  // Not the default: it would put the focus on the form instead of its active control.
  if (!HIWORD(m.WParam)) EnsureFocus();
  if (OnActivate) OnActivate(this);
}

void TForm::WMShowWindow(TMessage& m) {
  DefaultHandler(m);
  if (m.WParam) {
    if (OnShow) OnShow(this);
  } else if (OnHide) {
    OnHide(this);
  }
}

void TForm::WMSysCommand(TMessage& m) {
  if ((m.WParam & 0xFFF0) == SC_MINIMIZE && Application().MainForm() == this) {
    Application().Minimize();
    return;
  }
  DefaultHandler(m);
}

void TForm::WndProc(TMessage& m) {
  using Handler = void (TForm::*)(TMessage&);
  static const std::unordered_map<UINT, Handler> kHandlers = {
      {WM_CLOSE, &TForm::WMClose},
      {WM_ACTIVATE, &TForm::WMActivate},
      {WM_SHOWWINDOW, &TForm::WMShowWindow},
      {WM_SYSCOMMAND, &TForm::WMSysCommand},
      {WM_GETMINMAXINFO, &TForm::WMGetMinMaxInfo},
      {WM_DPICHANGED, &TForm::WMDpiChanged},
  };
  auto it = kHandlers.find(m.Msg);
  if (it != kHandlers.end()) {
    (this->*(it->second))(m);
    return;
  }
  TWinControl::WndProc(m);
}

}  // namespace kovra
