// TRzCustomEdit and TRzEdit.
#include "controls/RzEdit.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include "framework/CanvasScope.h"
#include "framework/Handles.h"

namespace kovra {

TRzCustomEdit::TRzCustomEdit(TComponent* owner) : TRzFramedEdit(owner) {}

TRzCustomEdit::~TRzCustomEdit() {
  Destroying();
}

// ---- colours ----

void TRzCustomEdit::CMColorChanged(TMessage& m) {
  TRzFramedEdit::CMColorChanged(m);
  if (CustomFrame()) RepaintFrame();
}

void TRzCustomEdit::SetReadOnly(bool value) {
  if (value == ReadOnly()) return;
  TCustomMaskEdit::SetReadOnly(value);
  ReadOnlyChanged();
}

void TRzCustomEdit::ReadOnlyChanged() {
  if (IsReadOnly())
    HideDropButton();
  else
    RestoreDropButton();
  UpdateColors();
  if (HandleAllocated()) SendMessageW(WindowHandle(), WM_NCPAINT, 1, 0);
}

// ---- frame properties ----

void TRzCustomEdit::SetAlignment(TAlignment value) {
  TCustomMaskEdit::SetAlignment(value);
}

// The system edit lays out its border when created, so a frame change rebuilds the window.
void TRzCustomEdit::FrameVisibleChanged() {
  if (FrameVisible()) SetCtl3D(true);
  RecreateWnd();
}

// ---- text hint ----

void TRzCustomEdit::SetTextHintVisibleOnFocus(bool value) {
  if (value == textHintVisibleOnFocus_) return;
  textHintVisibleOnFocus_ = value;
  if (!IsLoading()) ApplyTextHint();
}

void TRzCustomEdit::ApplyTextHint() {
  if (!HandleAllocated() || !ThemesActive()) return;
  const std::wstring wide = Wide(textHint_);
  const bool taken =
      SendMessageW(WindowHandle(), EM_SETCUEBANNER, textHintVisibleOnFocus_ ? TRUE : FALSE,
                   reinterpret_cast<LPARAM>(wide.c_str())) != FALSE;
  // An edit without cue banners (an older common-controls edit) gets the hint from us.
  paintsOwnHint_ = !taken && !textHint_.empty();
  Invalidate();
}

void TRzCustomEdit::PaintOwnHint() {
  if (!paintsOwnHint_ || textHint_.empty() || !HandleAllocated()) return;
  HWND wnd = WindowHandle();
  if (GetWindowTextLengthW(wnd) > 0 || (Focused() && !textHintVisibleOnFocus_)) return;
  RECT r;
  SendMessageW(wnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  WindowDC dc(wnd);
  if (!dc.Get()) return;
  HideCaret(wnd);
  UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
  if (Alignment() == taCenter) format |= DT_CENTER;
  if (Alignment() == taRightJustify) format |= DT_RIGHT;
  DrawTextHint(dc.Get(), r, format);
  ShowCaret(wnd);
}

// ---- window ----

void TRzCustomEdit::CreateParams(TCreateParams& params) {
  TCustomMaskEdit::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
  params.Style &= ~static_cast<DWORD>(ES_MULTILINE);
}

void TRzCustomEdit::CreateWnd() {
  TCustomMaskEdit::CreateWnd();
  // The system edit sized its client area before it was subclassed: lay the frame out again
  // now that the drop button can claim its strip.
  if (dropButtonShown_)
    SetWindowPos(WindowHandle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  ApplyTextHint();
}

void TRzCustomEdit::WMSize(TMessage& m) {
  TCustomMaskEdit::WMSize(m);
  if (CustomFrame()) RepaintFrame();
}

// ---- hot tracking and focus ----

void TRzCustomEdit::RedrawFrameRegion(const RECT* r) {
  if (HandleAllocated())
    RedrawWindow(WindowHandle(), r, nullptr, RDW_FRAME | RDW_NOERASE | RDW_INVALIDATE);
}

void TRzCustomEdit::RepaintHot() {
  if (dropButtonShown_ && (flatButtons_ || frameHotTrack_ || ThemesActive()) &&
      buttonState_ == dbsUp) {
    if (frameHotTrack_) {
      RedrawFrameRegion(nullptr);
    } else {
      // Only the button strip changes; it lies right of the client area.
      const int cx = GetSystemMetrics(SM_CXVSCROLL);
      const RECT strip{ClientWidth(), -2, ClientWidth() + cx + 2, ClientHeight() + 2};
      RedrawFrameRegion(&strip);
    }
  } else if (frameHotTrack_) {
    RepaintFrame();
  }
}

void TRzCustomEdit::WMSetFocus(TMessage& m) {
  UpdateFrame(false, true);
  TCustomMaskEdit::WMSetFocus(m);
  if (paintsOwnHint_) Invalidate();
}

void TRzCustomEdit::WMKillFocus(TMessage& m) {
  TCustomMaskEdit::WMKillFocus(m);
  UpdateFrame(false, false);
  ReleaseDropButton();
  if (paintsOwnHint_) Invalidate();
}

// ---- keys ----

bool TRzCustomEdit::DoKeyPress(wchar_t& key) {
  if (TCustomMaskEdit::DoKeyPress(key)) return true;
  if (tabOnEnter_ && key == L'\r') {
    key = 0;
    PostMessageW(Handle(), WM_KEYDOWN, VK_TAB, 0);
    return true;
  }
  return false;
}

bool TRzCustomEdit::DoKeyDown(WORD& key, TShiftState shift) {
  if (TCustomMaskEdit::DoKeyDown(key, shift)) return true;
  const TShiftState modifiers = shift & (ssShift | ssAlt | ssCtrl);
  if (dropButtonShown_ &&
      ((key == VK_DOWN && modifiers == ssAlt) || (key == VK_F4 && modifiers == 0))) {
    DropDown();
    key = 0;
    return true;
  }
  return false;
}

// ---- drop button ----

// The window rectangle at the origin, inside a single border: where the button is painted and
// where the mouse finds it, so that the two never disagree.
RECT TRzCustomEdit::DropButtonRing() const {
  RECT w;
  GetWindowRect(WindowHandle(), &w);
  OffsetRect(&w, -w.left, -w.top);
  if (BorderStyle() == bsSingleBorder)
    InflateRect(&w, ThemesActive() ? -1 : -2, ThemesActive() ? -1 : -2);
  return w;
}

RECT TRzCustomEdit::DropButtonRect() const {
  if (!dropButtonShown_ || !HandleAllocated()) return RECT{};
  const RECT ring = DropButtonRing();
  return RECT{ring.right - GetSystemMetrics(SM_CXVSCROLL), ring.top, ring.right, ring.bottom};
}

void TRzCustomEdit::SetDropButtonRequested(bool value) {
  if (value == dropButtonRequested_) return;
  dropButtonRequested_ = value;
  SetDropButtonShown(value);
}

void TRzCustomEdit::SetDropButtonShown(bool value) {
  if (value == dropButtonShown_) return;
  dropButtonShown_ = value;
  RecreateWnd();
}

void TRzCustomEdit::HideDropButton() {
  if (dropButtonShown_) SetDropButtonShown(false);
}

void TRzCustomEdit::RestoreDropButton() {
  if (dropButtonRequested_) SetDropButtonShown(true);
}

void TRzCustomEdit::SetButtonState(TRzDropButtonState value) {
  if (value == buttonState_) return;
  buttonState_ = value;
  RedrawFrameRegion(nullptr);
}

void TRzCustomEdit::DoDropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TRzCustomEdit::DoCloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

// The capture stays with the button until the next release or focus loss, so a popup opened
// by the drop-down sees the release that ends the click.
void TRzCustomEdit::DropDown() {
  if (!dropButtonShown_) return;
  droppedDown_ = true;
  struct Finish {
    TRzCustomEdit* self;
    ~Finish() {
      self->SetButtonState(dbsUp);
      self->droppedDown_ = false;
    }
  } finish{this};
  SetCapture(Handle());
  SetButtonState(dbsDown);
  DoDropDown();
  DoCloseUp();
}

void TRzCustomEdit::ReleaseDropButton() {
  if (!droppedDown_) SetButtonState(dbsUp);
  if (HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
}

void TRzCustomEdit::DrawDropButton(TCanvas& canvas, RECT r) {
  const bool hot = inControl_ || overControl_;
  const bool down = buttonState_ == dbsDown;
  if (ThemesActive() && !(flatButtons_ && !hot)) {
    int state = CBXS_NORMAL;
    if (!Enabled())
      state = CBXS_DISABLED;
    else if (down)
      state = CBXS_PRESSED;
    else if (hot)
      state = CBXS_HOT;
    if (IsVistaOrLater()) {
      r.top -= 1;
      r.bottom += 1;
      r.right += 1;
    }
    if (DrawThemedDropButton(canvas.Handle(), r, state)) return;
  }
  if (ThemesActive() && flatButtons_) {  // flat and idle under themes
    canvas.Brush().SetColor(Color());
    canvas.FillRect(r);
    PaintDropDownArrow(canvas, r, alkThemed, true, CurrentPPI());
    return;
  }
  if (!flatButtons_) {
    UINT state = DFCS_SCROLLCOMBOBOX;
    if (down) state |= DFCS_FLAT | DFCS_PUSHED;
    if (!Enabled()) state |= DFCS_INACTIVE;
    DrawFrameControl(canvas.Handle(), &r, DFC_SCROLL, state);
    return;
  }
  if (hot) {
    PaintHotFlatButton(canvas, r, down);
    return;
  }
  canvas.Brush().SetColor(StateColor());
  canvas.FillRect(r);
  PaintDropDownArrow(canvas, r, alkClassic, Enabled(), CurrentPPI());
}

// ---- non-client area ----

void TRzCustomEdit::WMNCCalcSize(TMessage& m) {
  TCustomMaskEdit::WMNCCalcSize(m);
  if (!dropButtonShown_) return;
  auto* r = reinterpret_cast<RECT*>(m.LParam);  // rgrc[0] of NCCALCSIZE_PARAMS, or the RECT
  const int cx = GetSystemMetrics(SM_CXVSCROLL) - (ThemesActive() ? 1 : 0);
  r->right -= cx;
  if (r->right < r->left) r->right = r->left;
}

void TRzCustomEdit::WMNCHitTest(TMessage& m) {
  TCustomMaskEdit::WMNCHitTest(m);
  mouseOverButton_ = false;
  if (!dropButtonShown_) return;
  POINT p = MessagePoint(m.LParam);
  RECT w;
  GetWindowRect(WindowHandle(), &w);
  p.x -= w.left;
  p.y -= w.top;
  const RECT button = DropButtonRect();
  if (PtInRect(&button, p)) {
    mouseOverButton_ = true;
    m.Result = HTCLIENT;
  }
}

void TRzCustomEdit::WMSetCursor(TMessage& m) {
  if (mouseOverButton_ && LOWORD(m.LParam) == HTCLIENT) {
    ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    m.Result = TRUE;
    return;
  }
  TCustomMaskEdit::WMSetCursor(m);
}

void TRzCustomEdit::WMNCPaint(TMessage& m) {
  TCustomMaskEdit::WMNCPaint(m);
  PaintNonClient();
  if (CustomFrame()) m.Result = 0;
}

void TRzCustomEdit::PaintNonClient() {
  if (!HandleAllocated()) return;
  WindowDC dc(WindowHandle(), WindowDC::kWholeWindow);
  if (!dc.Get()) return;
  const TCanvasOnDC attached(frameCanvas_, dc.Get());
  RECT w;
  GetWindowRect(WindowHandle(), &w);
  const int width = w.right - w.left, height = w.bottom - w.top;
  if (CustomFrame())
    PaintControlFrame(frameCanvas_, width, height, ShownFrameStyle(), Color(), ShownFrameColor(),
                      frameSides_, false);
  if (!dropButtonShown_) return;
  const RECT ring = DropButtonRing();
  const SavedDC saved(dc.Get());
  IntersectClipRect(dc.Get(), ring.left, ring.top, ring.right, ring.bottom);
  const RECT button = DropButtonRect();
  DrawDropButton(frameCanvas_, button);
  ExcludeClipRect(dc.Get(), button.left, button.top, button.right, button.bottom);
  // What is left of the ring between the text and the border takes the edit's colour.
  RECT client;
  GetClientRect(WindowHandle(), &client);
  MapWindowPoints(WindowHandle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -w.left, -w.top);
  ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
  frameCanvas_.Brush().SetColor(Color());
  frameCanvas_.FillRect(ring);
}

bool TRzCustomEdit::NonClientMouse(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!mouseOverButton_ || !dropButtonShown_) return false;
      if (!Focused()) SetFocus();
      DropDown();
      return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      return mouseOverButton_ && dropButtonShown_;
    default:
      return false;
  }
}

void TRzCustomEdit::WndProc(TMessage& m) {
  if (NonClientMouse(m)) return;
  if (m.Msg == WM_SYSKEYDOWN && m.WParam == VK_DOWN && dropButtonShown_) {
    DropDown();
    return;
  }
  TCustomMaskEdit::WndProc(m);
  switch (m.Msg) {
    case WM_PAINT:
      PaintOwnHint();
      break;
    case WM_LBUTTONDOWN:
      if (!Focused()) ReleaseDropButton();
      break;
    case WM_LBUTTONUP:
      ReleaseDropButton();
      break;
    default:
      break;
  }
}

// ---- TRzEdit ----

TRzEdit::TRzEdit(TComponent* owner) : TRzCustomEdit(owner) {}

TRzEdit::~TRzEdit() {
  Destroying();
}

}  // namespace kovra
