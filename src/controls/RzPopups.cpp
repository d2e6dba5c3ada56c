// TRzCalculator, TRzCalculatorColors, TRzCustomPopup, TRzPopup and TRzPopupPanel.
#include "controls/RzPopups.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include <algorithm>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Handles.h"
#include "framework/runtime/Numbers.h"

namespace kovra {

namespace {

constexpr const char* kCaptions[TRzCalculator::kAreaCount] = {
    "0", "1", "2", "3", "4",        "5", "6", "7", "8", "9",
    ".", "+", "-", "*", "\xC3\xB7", "C", "=", "5", ""};

bool IsEmptyRect(const RECT& r) {
  return r.right <= r.left || r.bottom <= r.top;
}

POINT Centre(const RECT& r) {
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool Contains(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace

// ---- TRzCalculatorColors ----

TColor TRzCalculatorColors::Color(int index) const {
  if (index < 0 || index >= kCount) return clNone;
  return colors_[static_cast<std::size_t>(index)];
}

void TRzCalculatorColors::SetColor(int index, TColor value) {
  if (index < 0 || index >= kCount) return;
  TColor& slot = colors_[static_cast<std::size_t>(index)];
  if (slot == value) return;
  slot = value;
  if (owner_) owner_->Invalidate();
}

void TRzCalculatorColors::Assign(const TRzCalculatorColors& other) {
  if (&other == this) return;
  colors_ = other.colors_;
  if (owner_) owner_->Invalidate();
}

// ---- TRzCalculator ----

TRzCalculator::TRzCalculator(TComponent* owner) : TRzCustomPanel(owner) {
  // A quick second click is a second press, not a double click.
  SetControlStyle(ControlStyle() & ~csDoubleClicks);
  SetColor(clWindow);
  SetFlatColorAdjustment(0);
  SetBorderOuter(fsLowered);
  SetTabStop(true);
  SetAlignment(taCenter);
  MeasureZero();
  SetBounds(Left(), Top(), 147, 159);
}

TRzCalculator::~TRzCalculator() {
  Destroying();
}

void TRzCalculator::MeasureZero() {
  WindowDC dc(nullptr);
  if (!dc.Get()) return;
  SelectObjectScope font(dc.Get(), Font().Handle());
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), L"0", 1, &size);
  zeroWidth_ = size.cx;
  zeroHeight_ = size.cy;
}

void TRzCalculator::SetBounds(int left, int top, int width, int height) {
  const int natural = NaturalSize();
  if (autoSize_) {
    width = height = natural;
  } else {
    width = std::max(width, natural);
    height = std::max(height, natural);
  }
  TRzCustomPanel::SetBounds(left, top, width, height);
}

void TRzCalculator::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  SetBounds(Left(), Top(), Width(), Height());
}

void TRzCalculator::SetPopupMode(bool value) {
  if (value == popupMode_) return;
  popupMode_ = value;
  Invalidate();
}

void TRzCalculator::SetResult(long double value) {
  engine_.SetResult(value);
  Invalidate();
}

void TRzCalculator::CMFontChanged(TMessage& m) {
  TRzCustomPanel::CMFontChanged(m);
  MeasureZero();
  SetBounds(Left(), Top(), Width(), Height());
  Invalidate();
}

void TRzCalculator::Layout() {
  const RECT client = ShrinkByBorders(ClientRect(), false);
  const int gap = ScaleValue(4);
  const int a = (client.right - client.left - 6 * gap) / 5;
  const int b = a + 1;
  const TFrameStyleEx outer = BorderOuter();
  const int c =
      (outer >= fsGroove && outer <= fsButtonUp) || outer == fsFlatBold || outer == fsFlatRounded
          ? 2
          : 0;
  int p[5];
  for (int i = 0; i < 5; ++i) p[i] = c + gap + i * (b + gap);
  auto cell = [&](int col, int row, int cols = 1, int rows = 1) {
    return RECT{p[col], p[row], p[col + cols - 1] + b, p[row + rows - 1] + b};
  };
  rects_[kDisplay] = RECT{p[0], p[0], (popupMode_ ? p[3] : p[4]) + b, p[0] + b};
  rects_[kSet] = popupMode_ ? cell(4, 0) : RECT{};
  rects_[7] = cell(0, 1);
  rects_[8] = cell(1, 1);
  rects_[9] = cell(2, 1);
  rects_[kDivide] = cell(3, 1);
  rects_[kClear] = cell(4, 1, 1, 2);
  rects_[4] = cell(0, 2);
  rects_[5] = cell(1, 2);
  rects_[6] = cell(2, 2);
  rects_[kMultiply] = cell(3, 2);
  rects_[1] = cell(0, 3);
  rects_[2] = cell(1, 3);
  rects_[3] = cell(2, 3);
  rects_[kSubtract] = cell(3, 3);
  rects_[kEquals] = cell(4, 3, 1, 2);
  rects_[0] = cell(0, 4, 2);
  rects_[kPoint] = cell(2, 4);
  rects_[kAdd] = cell(3, 4);
}

RECT TRzCalculator::ButtonRect(int index) {
  if (index < 0 || index >= kAreaCount) return RECT{};
  Layout();
  return rects_[static_cast<std::size_t>(index)];
}

// ---- actions ----

void TRzCalculator::RunAction(int index) {
  switch (index) {
    case kPoint:
      engine_.DecimalPoint();
      break;
    case kAdd:
      engine_.Operator(coAdd);
      break;
    case kSubtract:
      engine_.Operator(coSubtract);
      break;
    case kMultiply:
      engine_.Operator(coMultiply);
      break;
    case kDivide:
      engine_.Operator(coDivide);
      break;
    case kClear:
      engine_.Clear();
      break;
    case kEquals:
      if (engine_.Equals() && OnChange) OnChange(this);
      break;
    case kSet:
      SetButton();
      break;
    default:
      if (index >= 0 && index <= 9) engine_.Digit(index);
      break;
  }
}

void TRzCalculator::SetButton() {
  engine_.CompleteForSet();
  Invalidate();
  if (popupMode_ && OnSetBtnClick) OnSetBtnClick(this);
}

void TRzCalculator::Click() {
  const int index = clickIndex_;
  clickIndex_ = kDisplay;
  if (index == kDisplay || (index == kSet && !popupMode_)) return;
  RunAction(index);
  Invalidate();
  TRzCustomPanel::Click();
}

bool TRzCalculator::DoKeyDown(WORD& key, TShiftState shift) {
  if (TRzCustomPanel::DoKeyDown(key, shift)) return true;
  int action = -1;
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) {
    action = key - VK_NUMPAD0;
  } else if (key == VK_DECIMAL) {
    action = kPoint;
  } else if (key == VK_RETURN) {
    action = popupMode_ ? kSet : kEquals;
  } else {
    const UINT mapped = MapVirtualKeyW(key, MAPVK_VK_TO_CHAR);
    const wchar_t ch = static_cast<wchar_t>(mapped & 0xFFFF);
    const bool shifted = (shift & ssShift) != 0;
    if (ch == L'-')
      action = kSubtract;
    else if (ch == L'/')
      action = kDivide;
    else if (ch == L'*' || (ch == L'8' && shifted))
      action = kMultiply;
    else if (ch >= L'0' && ch <= L'9' && !shifted)
      action = ch - L'0';
    else if (ch == L'=' && !shifted)
      action = kEquals;
    else if ((ch == L'=' && shifted) || ch == L'+')
      action = kAdd;
    else if (ch == L'C' || ch == L'c')
      action = kClear;
    else if (ch != 0 && ch == static_cast<unsigned char>(FormatSettings().DecimalSeparator))
      action = kPoint;
  }
  if (action < 0) return false;
  RunAction(action);
  Invalidate();
  key = 0;
  return true;
}

// ---- mouse ----

void TRzCalculator::SetHot(int index) {
  if (index == hot_) return;
  const int old = hot_;
  hot_ = static_cast<std::uint8_t>(index);
  // The pressed button pops out while the pointer is away from it, and back in on return.
  if (pressed_ != kDisplay && (old == pressed_ || index == pressed_) && HandleAllocated())
    InvalidateRect(hotRect_, false);
}

int TRzCalculator::IndexAt(POINT p) {
  const RECT client = ClientRect();
  if (!Contains(client, p)) return kDisplay;
  Layout();
  for (int i = kDisplay; i >= 0; --i) {
    if (i == kSet && !popupMode_) continue;
    if (Contains(rects_[static_cast<std::size_t>(i)], p)) return i;
  }
  return kDisplay;
}

void TRzCalculator::WMNCHitTest(TMessage& m) {
  TRzCustomPanel::WMNCHitTest(m);
  SetHot(IndexAt(ScreenToClient(MessagePoint(m.LParam))));
}

void TRzCalculator::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      return;
    case WM_MOUSEMOVE:
      // Under the mouse capture no hit tests arrive: follow the pointer here as well.
      SetHot(IndexAt(MessagePoint(m.LParam)));
      break;
    default:
      break;
  }
  TRzCustomPanel::WndProc(m);
}

void TRzCalculator::WMLButtonDown(TMessage& m) {
  if (!popupMode_ && Visible() && CanFocus() && !Focused()) SetFocus();
  SetHot(IndexAt(MessagePoint(m.LParam)));
  hotRect_ = hot_ == kDisplay ? RECT{} : rects_[hot_];
  pressed_ = hot_;
  if (!IsEmptyRect(hotRect_)) InvalidateRect(hotRect_, false);
  TRzCustomPanel::WMLButtonDown(m);
}

void TRzCalculator::WMLButtonUp(TMessage& m) {
  SetHot(IndexAt(MessagePoint(m.LParam)));
  clickIndex_ = pressed_ == hot_ ? pressed_ : static_cast<std::uint8_t>(kDisplay);
  pressed_ = kDisplay;
  if (!IsEmptyRect(hotRect_)) InvalidateRect(hotRect_, false);
  TRzCustomPanel::WMLButtonUp(m);
  clickIndex_ = kDisplay;
}

void TRzCalculator::WMSetFocus(TMessage& m) {
  TRzCustomPanel::WMSetFocus(m);
  Invalidate();
}

void TRzCalculator::WMKillFocus(TMessage& m) {
  TRzCustomPanel::WMKillFocus(m);
  Invalidate();
}

// ---- painting ----

bool TRzCalculator::Themed() const {
  return themeAware_ && ThemesActive();
}

TColor TRzCalculator::FrameColor() const {
  return Themed() ? ThemeElementColor(0) : FlatColor();
}

void TRzCalculator::Paint() {
  Layout();
  TCanvas& canvas = Canvas();
  const TColor frame = FrameColor();
  if (Themed()) {
    const RECT inside = PaintBoxOutline(canvas, ClientRect(), frame);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(inside);
  } else {
    TRzCustomPanel::Paint();
  }
  canvas.Font().Assign(Font());
  if (boldButtons_) canvas.Font().SetStyle(Font().Style() | TFontStyles{fsBold});
  for (int i = 0; i < kAreaCount; ++i) {
    if (i == kSet && !popupMode_) continue;
    if (i == kDisplay)
      PaintDisplay(canvas, frame);
    else
      PaintButton(canvas, i);
  }
}

void TRzCalculator::PaintButton(TCanvas& canvas, int index) {
  const int group = index <= kPoint ? 0 : index <= kDivide ? 1 : 2;
  const TColor face = colors_.Color(group * 2 + 1);
  const TColor text = colors_.Color(group * 2);
  const bool down = index == pressed_ && index == hot_;
  RECT r = rects_[static_cast<std::size_t>(index)];
  RECT inner = r;
  bool drawn = false;
  if (Themed()) {
    ThemeHandle theme(OpenThemeData(WindowHandle(), L"BUTTON"));
    if (theme.Get()) {
      DrawThemeBackground(theme.Get(), canvas.Handle(), BP_PUSHBUTTON,
                          down ? PBS_PRESSED : PBS_NORMAL, &r, nullptr);
      drawn = true;
    }
  }
  if (!drawn) {
    const TFrameStyleEx outer = BorderOuter();
    const bool flat = outer == fsFlat || outer == fsFlatBold || outer == fsFlatRounded;
    if (face == clBtnFace)
      inner = PaintStyledFrame(canvas, r, down ? fsButtonDown : flat ? fsFlat : fsButtonUp);
    else if (flat && !down)
      inner = PaintTintedFrame(canvas, r, face, fsFlat);
    else
      inner = PaintTintedButtonFrame(canvas, r, face, down);
    canvas.Brush().SetColor(face);
    canvas.FillRect(inner);
  }
  if (down && !drawn) OffsetRect(&r, 2, 2);
  if (index == kSet && !MarlettAvailable()) {
    PaintSetGlyph(canvas, r, text);
    return;
  }
  TFont saved;
  saved.Assign(canvas.Font());
  if (index == kSet) {
    canvas.Font().SetName("Marlett");
    canvas.Font().SetCharset(SYMBOL_CHARSET);
    canvas.Font().SetSize(Font().Size() + 4);
  }
  canvas.Font().SetColor(text);
  canvas.Brush().SetStyle(bsClear);
  canvas.DrawText(kCaptions[index], r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  canvas.Font().Assign(saved);
  canvas.Brush().SetStyle(bsSolid);
}

// The set glyph is the symbol font's up-pointing triangle; where that font is missing, the font
// mapper would show a plain "5", so the triangle is drawn instead.
bool TRzCalculator::MarlettAvailable() {
  static const bool available = [] {
    TFont font;
    font.SetName("Marlett");
    font.SetCharset(SYMBOL_CHARSET);
    WindowDC dc(nullptr);
    if (!dc.Get()) return false;
    SelectObjectScope select(dc.Get(), font.Handle());
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc.Get(), LF_FACESIZE, face);
    return lstrcmpiW(face, L"Marlett") == 0;
  }();
  return available;
}

void TRzCalculator::PaintSetGlyph(TCanvas& canvas, const RECT& r, TColor color) {
  const int half = std::max(3, (zeroHeight_ + 4) / 3);
  const POINT c = Centre(r);
  const POINT triangle[3] = {
      {c.x - half, c.y + half / 2}, {c.x + half, c.y + half / 2}, {c.x, c.y - half / 2 - 1}};
  canvas.Pen().SetColor(color);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(color);
  canvas.Polygon(triangle);
}

void TRzCalculator::PaintDisplay(TCanvas& canvas, TColor frame) {
  RECT inside = PaintBoxOutline(canvas, rects_[kDisplay], frame);
  if (Focused()) inside = PaintBoxOutline(canvas, inside, LightenColor(frame, 40));
  canvas.Brush().SetColor(colors_.Display());
  canvas.FillRect(inside);
  RECT text = inside;
  text.right -= 2;
  canvas.Font().SetColor(colors_.DisplayFont());
  canvas.Brush().SetStyle(bsClear);
  canvas.DrawText(engine_.DisplayText(FormatSettings().DecimalSeparator), text,
                  DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  canvas.Brush().SetStyle(bsSolid);
}

// ---- TRzCustomPopup ----

TRzCustomPopup::TRzCustomPopup(TComponent* owner) : TRzCustomPanel(owner) {
  SetBorderWidth(2);
  SetBorderOuter(fsPopup);
  SetFlatColorAdjustment(0);
  SetVisible(false);
}

TRzCustomPopup::~TRzCustomPopup() {
  Destroying();
}

// ---- TRzPopup ----

TRzPopup::TRzPopup(TRzPopupPanel& panel, TWinControl* popupFor)
    : TRzCustomPopup(nullptr), panel_(panel), popupFor_(popupFor) {
  // Sized and filled from the panel: already at its resolution.
  AdoptPPI(panel.CurrentPPI());
  SetColor(panel.Color());
  SetFont(panel.Font());
  SetHint(panel.Hint());
  SetShowHint(panel.ShowHint());
  SetParentFont(false);
  // Shown by SetWindowPos without activation, never by the window's creation.
  SetVisible(true);
}

TRzPopup::~TRzPopup() {
  Destroying();
}

void TRzPopup::CreateParams(TCreateParams& params) {
  TRzCustomPopup::CreateParams(params);
  params.Style = WS_POPUP;
}

void TRzPopup::RequestClose() {
  if (HandleAllocated()) PostMessageW(WindowHandle(), kCloseRequest, 0, 0);
}

void TRzPopup::PassKey(TMessage& m) {
  if (m.Msg == WM_KEYDOWN && m.WParam == VK_ESCAPE) RequestClose();
  if (focusTarget_ && TWindowObject::IsAlive(focusTarget_) && focusTarget_->Parent() == this)
    m.Result = focusTarget_->Perform(m.Msg, m.WParam, m.LParam);
}

void TRzPopup::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEACTIVATE:
      m.Result = MA_NOACTIVATE;
      return;
    case WM_NCACTIVATE:
      m.Result = 0;
      return;
    case WM_SYSCOMMAND:
      RequestClose();
      return;
    case kCloseRequest:
      return;  // the panel that runs the loop frees the popup
    default:
      break;
  }
  if (m.Msg >= WM_KEYFIRST && m.Msg <= WM_SYSDEADCHAR) {
    PassKey(m);
    return;
  }
  TRzCustomPopup::WndProc(m);
}

void TRzPopup::Paint() {
  if (ThemesActive()) {
    ThemeHandle theme(OpenThemeData(WindowHandle(), L"EDIT"));
    if (theme.Get()) {
      const RECT r = ClientRect();
      DrawThemeBackground(theme.Get(), Canvas().Handle(), EP_EDITTEXT, ETS_DISABLED, &r, nullptr);
      return;
    }
  }
  TRzCustomPopup::Paint();
}

// ---- TRzPopupPanel ----

TRzPopupPanel::TRzPopupPanel(TComponent* owner) : TRzCustomPopup(owner) {
  SetAlignment(taRightJustify);
  SetControlStyle(ControlStyle() | csAcceptsControls);
  SetColor(clBtnFace);
  SetParentColor(false);
  SetBounds(Left(), Top(), 100, 100);
}

TRzPopupPanel::~TRzPopupPanel() {
  Destroying();
  *alive_ = false;
  // The children belong to this panel: take them back before the popup is freed.
  if (popup_) EndPopup(false);
}

RECT TRzPopupPanel::PlacePopup(const RECT& anchor, int w, int h, int x, int y, TAlignment alignment,
                               const RECT& workArea) {
  int left, top;
  if (x == -1 && y == -1) {
    top = anchor.bottom;
    switch (alignment) {
      case taLeftJustify:
        left = anchor.left;
        break;
      case taRightJustify:
        left = anchor.right - w;
        break;
      default:
        left = (anchor.left + anchor.right - w) / 2;
        break;
    }
  } else {
    left = anchor.left + x;
    top = anchor.top + y;
  }
  if (left + w > workArea.right) left = workArea.right - w;
  if (top + h > workArea.bottom) top = anchor.top - h;  // opens above the control
  left = std::max<int>(left, workArea.left);
  top = std::max<int>(top, workArea.top);
  return RECT{left, top, left + w, top + h};
}

void TRzPopupPanel::MoveChildren(TWinControl& from, TWinControl& to) {
  std::vector<TControl*> children;
  for (int i = 0; i < from.ControlCount(); ++i) children.push_back(from.Controls(i));
  const bool intoPopup = &to == popup_.get();
  for (TControl* child : children) {
    child->SetParent(&to);
    if (auto* calculator = dynamic_cast<TRzCalculator*>(child)) calculator->SetPopupMode(intoPopup);
  }
}

bool TRzPopupPanel::InsidePopup(HWND wnd) const {
  if (!popup_ || !popup_->HandleAllocated()) return false;
  HWND popupWnd = popup_->WindowHandle();
  return wnd == popupWnd || IsChild(popupWnd, wnd);
}

void TRzPopupPanel::AutoSizeToChildren() {
  int right = 0, bottom = 0;
  bool any = false;
  for (int i = 0; i < ControlCount(); ++i) {
    const TControl* c = Controls(i);
    if (!c->Visible()) continue;
    any = true;
    right = std::max(right, c->Left() + c->Width());
    bottom = std::max(bottom, c->Top() + c->Height());
  }
  if (!any) return;
  // The frames and border ring on the far sides mirror the near ones.
  RECT inner = ClientRect();
  AdjustClientRect(inner);
  const RECT whole = ClientRect();
  SetBounds(Left(), Top(), right + (whole.right - inner.right),
            bottom + (whole.bottom - inner.bottom));
}

bool TRzPopupPanel::Popup(TWinControl& control) {
  return PopupAt(control, -1, -1);
}

bool TRzPopupPanel::PopupAt(TWinControl& control, int x, int y) {
  if (popup_) return false;
  const std::shared_ptr<bool> alive = alive_;
  popupFor_ = &control;
  TForm* form = GetParentForm(&control);
  activeBefore_ = form ? form->ActiveControl() : nullptr;
  focusBefore_ = GetFocus();
  if (OnPopup) OnPopup(this);
  if (!*alive) return false;
  if (!Parent() && control.Parent()) SetParent(control.Parent());
  HandleNeeded();

  const int hook = Application().HookMainWindow([this, alive](TMessage& m) {
    if (*alive && m.Msg == WM_ACTIVATEAPP && !m.WParam && popup_) popup_->RequestClose();
    return false;
  });
  struct Unhook {
    int id;
    ~Unhook() { Application().UnhookMainWindow(id); }
  } unhook{hook};

  popup_ = std::make_unique<TRzPopup>(*this, &control);
  try {
    ShowPopup(control, x, y);
    looping_ = true;
    RunLoop(alive);
  } catch (...) {
    // Whatever failed, the children go back to the panel.
    if (*alive) {
      looping_ = false;
      EndPopup(true);
    }
    throw;
  }
  if (!*alive) return false;
  looping_ = false;
  return EndPopup(true);
}

void TRzPopupPanel::ShowPopup(TWinControl& control, int x, int y) {
  popup_->SetBorderOuter(BorderOuter());
  popup_->SetFlatColor(FlatColor());
  popup_->SetParentWindow(GetAncestor(control.Handle(), GA_ROOT));

  RECT anchor;
  GetWindowRect(control.Handle(), &anchor);
  if (autoSize_) AutoSizeToChildren();
  const int w = Width(), h = Height();
  const POINT corner = x == -1 && y == -1 ? POINT{anchor.left, anchor.bottom}
                                          : POINT{anchor.left + x, anchor.top + y};
  const RECT workArea = MonitorWorkArea(MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST));
  const RECT place = PlacePopup(anchor, w, h, x, y, Alignment(), workArea);
  popup_->SetBounds(place.left, place.top, w, h);
  popup_->HandleNeeded();
  MoveChildren(*this, *popup_);
  for (int i = 0; i < popup_->ControlCount(); ++i) {
    auto* child = dynamic_cast<TWinControl*>(popup_->Controls(i));
    if (child && child->Enabled() && child->Visible()) {
      popup_->SetFocusTarget(child);
      break;
    }
  }
  // The hidden panel holds the keyboard focus, so the popup's owner stays the active window.
  ::SetFocus(Handle());
  SetWindowPos(popup_->WindowHandle(), HWND_TOP, 0, 0, 0, 0,
               SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
  popup_->SetOpen(true);
}

void TRzPopupPanel::RunLoop(const std::shared_ptr<bool>& alive) {
  while (*alive && popup_ && !Application().Terminated()) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      continue;
    }
    HWND popupWnd = popup_->WindowHandle();
    switch (msg.message) {
      case WM_QUIT:
        return;  // left queued for the outer loop
      case TRzPopup::kCloseRequest:
        if (msg.hwnd == popupWnd) {
          PeekMessageW(&msg, popupWnd, msg.message, msg.message, PM_REMOVE);
          return;
        }
        break;
      case WM_KILLFOCUS:
      case WM_ACTIVATEAPP:
      case CM_DEACTIVATE:
        return;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDOWN:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDOWN:
      case WM_MBUTTONDBLCLK:
      case WM_NCLBUTTONDOWN:
      case WM_NCLBUTTONDBLCLK:
      case WM_NCRBUTTONDOWN:
      case WM_NCRBUTTONDBLCLK:
      case WM_NCMBUTTONDOWN:
      case WM_NCMBUTTONDBLCLK:
        if (!InsidePopup(msg.hwnd)) {
          PeekMessageW(&msg, msg.hwnd, msg.message, msg.message, PM_REMOVE);  // swallowed
          return;
        }
        break;
      default:
        break;
    }
    // Remove exactly the message looked at, so no click slips past the test above. Thread
    // messages (a thread timer's, say) carry no window and are taken by their number alone.
    if (!PeekMessageW(&msg, msg.hwnd, msg.message, msg.message, PM_REMOVE)) continue;
    try {
      if (msg.message >= WM_KEYFIRST && msg.message <= WM_SYSDEADCHAR) {
        TranslateMessage(&msg);
        SendMessageW(popupWnd, msg.message, msg.wParam, msg.lParam);
      } else {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    } catch (...) {
      Application().HandleException(this);
    }
  }
}

bool TRzPopupPanel::EndPopup(bool notify) {
  HWND popupWnd = popup_->WindowHandle();
  if (popupWnd)
    SetWindowPos(popupWnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  MoveChildren(*popup_, *this);
  const bool accepted = !popup_->Open();
  if (popupWnd) {
    MSG msg;
    while (
        PeekMessageW(&msg, popupWnd, TRzPopup::kCloseRequest, TRzPopup::kCloseRequest, PM_REMOVE)) {
    }
  }
  if (popup_->InOwnMessage())
    Application().ScheduleDelete(popup_.release());
  else
    popup_.reset();
  if (notify) {
    const std::shared_ptr<bool> alive = alive_;
    if (OnClose) OnClose(this);
    if (!*alive) return accepted;
    if (GetActiveWindow() != nullptr) {
      if (activeBefore_ && TWindowObject::IsAlive(activeBefore_) && activeBefore_->CanFocus())
        activeBefore_->SetFocus();
      else if (focusBefore_ && IsWindow(focusBefore_))
        ::SetFocus(focusBefore_);
    }
  }
  popupFor_ = nullptr;
  activeBefore_ = nullptr;
  focusBefore_ = nullptr;
  return accepted;
}

void TRzPopupPanel::Close() {
  if (!popup_) return;
  popup_->SetOpen(false);
  popup_->RequestClose();
}

void TRzPopupPanel::DestroyWnd() {
  if (popup_) popup_->RequestClose();
  TRzCustomPopup::DestroyWnd();
}

// Focus leaving for a window outside the popup (another control, another application) cancels.
void TRzPopupPanel::WMKillFocus(TMessage& m) {
  TRzCustomPopup::WMKillFocus(m);
  if (looping_ && popup_ && !InsidePopup(reinterpret_cast<HWND>(m.WParam))) popup_->RequestClose();
}

}  // namespace kovra
