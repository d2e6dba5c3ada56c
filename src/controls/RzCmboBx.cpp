// TRzCustomComboBox, TRzComboBox and the image combo box.
#include "controls/RzCmboBx.h"

#include <uxtheme.h>
#include <versionhelpers.h>
#include <vsstyle.h>

#include <algorithm>
#include <cstdlib>

#include "controls/RzComboLogic.h"
#include "controls/RzFlagScope.h"
#include "framework/Application.h"
#include "framework/CanvasScope.h"
#include "framework/Forms.h"
#include "framework/Handles.h"
#include "framework/runtime/Text.h"

namespace kovra {

namespace {

// The search string is forgotten after this pause in a drop-down list.
constexpr UINT kSearchResetMs = 1500;

bool IsVistaExactly() {
  return IsVistaOrLater() && !IsWindows7OrGreater();
}

bool IsHighSurrogate(wchar_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

// ---- construction ----

TRzCustomComboBox::TRzCustomComboBox(TComponent* owner)
    : TRzFramedEdit(owner), searchTimer_(std::make_unique<TTimer>()) {
  searchTimer_->SetEnabled(false);
  searchTimer_->SetInterval(kSearchResetMs);
  searchTimer_->OnTimer = [this](TObject*) {
    searchTimer_->SetEnabled(false);
    search_.clear();
  };
}

TRzCustomComboBox::~TRzCustomComboBox() {
  Destroying();
}

void TRzCustomComboBox::CreateWnd() {
  TCustomComboBox::CreateWnd();
  if (EditHandle()) SendMessageW(EditHandle(), EM_SETREADONLY, readOnly_ ? TRUE : FALSE, 0);
  ApplyTextHint();
}

// ---- colours ----

void TRzCustomComboBox::CMColorChanged(TMessage& m) {
  TRzFramedEdit::CMColorChanged(m);
  if (EditHandle()) ::InvalidateRect(EditHandle(), nullptr, TRUE);
  Invalidate();
}

void TRzCustomComboBox::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  if (EditHandle()) SendMessageW(EditHandle(), EM_SETREADONLY, value ? TRUE : FALSE, 0);
  if (value && DroppedDown()) SetDroppedDown(false);
  UpdateColors();
  Invalidate();
}

// ---- frame properties ----

void TRzCustomComboBox::FrameVisibleChanged() {
  parentCtl3D_ = !FrameVisible();
  ctl3D_ = !FrameVisible();
  RepaintFrame();
}

// ---- text hint ----

void TRzCustomComboBox::ApplyTextHint() {
  if (!HandleAllocated() || !ThemesActive()) return;
  const std::wstring wide = Wide(textHint_);
  const auto hint = reinterpret_cast<LPARAM>(wide.c_str());
  // Where neither the combo nor its edit part keeps a cue banner, the hint is ours to paint.
  bool taken = IsVistaOrLater() && SendMessageW(WindowHandle(), CB_SETCUEBANNER, 0, hint) == 1;
  if (!taken && EditHandle()) taken = SendMessageW(EditHandle(), EM_SETCUEBANNER, 0, hint) != FALSE;
  paintsOwnHint_ = !taken && !textHint_.empty();
  Invalidate();
  if (EditHandle()) ::InvalidateRect(EditHandle(), nullptr, TRUE);
}

// The cue text in grey while the control is empty and not focused.
void TRzCustomComboBox::PaintOwnHint(HWND wnd, RECT r) {
  if (!paintsOwnHint_ || textHint_.empty() || inControl_ ||
      GetWindowTextLengthW(WindowHandle()) > 0)
    return;
  WindowDC dc(wnd);
  if (dc.Get())
    DrawTextHint(dc.Get(), r, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER);
}

// ---- hot state ----

void TRzCustomComboBox::RepaintHot() {
  if (!HandleAllocated() || DroppedDown()) return;
  const bool flatMatters = flatButtons_ && !(IsVistaOrLater() && ThemesActive());
  if (!frameHotTrack_ && !flatMatters) return;
  RECT r = ClientRect();
  if (!frameHotTrack_) {
    const int cx = GetSystemMetrics(SM_CXVSCROLL);
    r.left = std::max<LONG>(r.left, r.right - cx - 2);
  }
  RedrawWindow(WindowHandle(), &r, nullptr, RDW_NOERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The edit part covers most of the combo: the mouse counts as over the control while it is over
// either window, so moving between them is no leave.
void TRzCustomComboBox::CMMouseEnter(TMessage& m) {
  if (!IsOwnMouseMessage(m, this) || overControl_) return;
  TRzFramedEdit::CMMouseEnter(m);
}

void TRzCustomComboBox::CMMouseLeave(TMessage& m) {
  if (!IsOwnMouseMessage(m, this) || !overControl_) return;
  if (HandleAllocated()) {
    POINT p;
    RECT r;
    GetCursorPos(&p);
    GetWindowRect(WindowHandle(), &r);
    if (PtInRect(&r, p)) return;
  }
  TRzFramedEdit::CMMouseLeave(m);
}

void TRzCustomComboBox::TrackPartMouse(HWND part, UINT msg) {
  const LPARAM self = reinterpret_cast<LPARAM>(static_cast<TControl*>(this));
  if (msg == WM_MOUSEMOVE) {
    if (!editTracking_) {
      TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, part, 0};
      editTracking_ = TrackMouseEvent(&tme) != FALSE;
    }
    if (!overControl_) Perform(CM_MOUSEENTER, 0, self);
  } else if (msg == WM_MOUSELEAVE) {
    editTracking_ = false;
    Perform(CM_MOUSELEAVE, 0, self);
  }
}

// ---- painting over the system's combo ----

void TRzCustomComboBox::PaintOver() {
  if (!HandleAllocated()) return;
  WindowDC dc(WindowHandle());
  if (!dc.Get()) return;
  const SavedDC saved(dc.Get());
  const TCanvasOnDC attached(frameCanvas_, dc.Get());
  if (HWND edit = EditHandle()) {  // the edit paints itself
    RECT e;
    GetWindowRect(edit, &e);
    MapWindowPoints(nullptr, WindowHandle(), reinterpret_cast<POINT*>(&e), 2);
    ExcludeClipRect(dc.Get(), e.left, e.top, e.right, e.bottom);
  }
  const RECT client = ClientRect();
  const bool themes = ThemesActive();
  const bool rtl = (GetWindowLongPtrW(WindowHandle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
  const int inset = themes ? 1 : 2;
  const int cx = GetSystemMetrics(SM_CXVSCROLL);
  RECT strip{client.right - inset - cx, client.top + inset, client.right - inset,
             client.bottom - inset};
  if (rtl) strip = RECT{client.left + inset, strip.top, client.left + inset + cx, strip.bottom};
  RECT editArea = client;
  if (rtl)
    editArea.left = strip.right;
  else
    editArea.right = strip.left;
  InflateRect(&editArea, -1, -1);
  const bool customFrame = CustomFrame() && !(IsVistaOrLater() && themes);
  const TColor color = Color();
  if (!customFrame) {
    const bool vistaList = IsVistaOrLater() && !IsEditable() && IsReadOnly();
    if (themes && !vistaList && ColorToRGB(color) != clWhite)
      PaintEdgeRings(frameCanvas_, editArea, color, color, 2);
  } else if (themes) {
    frameCanvas_.Brush().SetColor(color);
    frameCanvas_.FrameRect(client);
    PaintEdgeRings(frameCanvas_, editArea, color, color, 2);
  } else {
    PaintEdgeRings(frameCanvas_, client, color, color, 2);
  }
  if (themes &&
      ((!IsVistaOrLater() && Style() != csSimple) || (IsVistaExactly() && IsEditable()))) {
    RECT gap = strip;
    if (rtl) {
      gap.left = strip.right;
      gap.right = strip.right + 2;
    } else {
      gap.right = strip.left;
      gap.left = strip.left - 2;
    }
    frameCanvas_.Brush().SetColor(color);
    frameCanvas_.FillRect(gap);
  }
  const bool hot = inControl_ || overControl_;
  const bool dropped = DroppedDown();
  if (flatButtons_ && !IsReadOnly() && !(IsVistaOrLater() && themes)) {
    if (!hot) {
      frameCanvas_.Brush().SetColor(color);
      frameCanvas_.FillRect(strip);
      PaintDropDownArrow(frameCanvas_, strip, themes ? alkThemed : alkClassic, Enabled(),
                         CurrentPPI());
    } else if (themes) {
      DrawThemedDropButton(dc.Get(), strip, dropped ? CBXS_PRESSED : CBXS_HOT);
    } else {
      PaintHotFlatButton(frameCanvas_, strip, dropped);
    }
  }
  if (IsReadOnly() && IsEditable()) {  // nothing to drop: the button gives way
    frameCanvas_.Brush().SetColor(color);
    frameCanvas_.FillRect(strip);
  }
  if (!customFrame) return;
  const TFrameStyle style = ShownFrameStyle();
  const TColor frame = ShownFrameColor();
  if (style == fsFlat)
    PaintEdgeLines(frameCanvas_, client, frame, frame, frameSides_);
  else if (style == fsFlatBold)
    PaintEdgeRings(frameCanvas_, client, frame, frame, 2, frameSides_);
  else if (color == clWindow)
    PaintStyledFrame(frameCanvas_, client, style, frameSides_);
  else
    PaintTintedFrame(frameCanvas_, client, color, style, frameSides_);
}

// ---- typing in the edit part ----

std::vector<std::u16string> TRzCustomComboBox::WideItems() const {
  std::vector<std::u16string> out;
  out.reserve(static_cast<size_t>(Items().Count()));
  for (int i = 0; i < Items().Count(); ++i) out.push_back(Utf8ToUtf16(Items().Strings(i)));
  return out;
}

std::u16string TRzCustomComboBox::WideText() const {
  return Utf8ToUtf16(Text());
}

void TRzCustomComboBox::SetWideText(const std::u16string& text) {
  if (!HandleAllocated()) return;
  TFlagScope typing(typing_);
  SetWindowTextW(WindowHandle(), Wide(Utf16ToUtf8(text)).c_str());
}

void TRzCustomComboBox::PostTab() {
  if (HandleAllocated()) PostMessageW(WindowHandle(), WM_KEYDOWN, VK_TAB, 0);
}

bool TRzCustomComboBox::Match(const std::u16string& prefix) {
  if (!autoComplete_) return false;
  const TComboMatch match = MatchPrefix(WideItems(), prefix, keepSearchCase_);
  if (match.index < 0) return false;
  const int old = ItemIndex();
  {
    TFlagScope typing(typing_);
    if (keepSearchCase_) {
      SetWideText(match.text);
    } else {
      SendCombo(CB_SETCURSEL, static_cast<WPARAM>(-1));
      SetItemIndex(match.index);
    }
    Click();
    Change();
    // The key-press event sees the character that made the match; what it does with it is
    // its own affair.
    wchar_t key = prefix.empty() ? L'\0' : static_cast<wchar_t>(prefix.back());
    DoKeyPress(key);
  }
  if (IsEditable()) {
    SetSelStart(match.selStart);
    SetSelLength(match.selLength);
  }
  if (match.index != old && OnMatch) OnMatch(this);
  return true;
}

void TRzCustomComboBox::TypedPrintable(TMessage& m, wchar_t key) {
  std::u16string typed(1, static_cast<char16_t>(key));
  MSG trail{};
  // The second half of a surrogate pair waits in the queue; both halves are one character.
  const bool paired = IsHighSurrogate(key) &&
                      PeekMessageW(&trail, EditHandle(), WM_CHAR, WM_CHAR, PM_NOREMOVE) &&
                      IsLowSurrogate(static_cast<wchar_t>(trail.wParam));
  if (paired) typed.push_back(static_cast<char16_t>(trail.wParam));
  const std::u16string text = WideText();
  if (!StartsWithNoCase(text, search_)) search_ = text;  // the text changed behind our back
  const int selStart = SelStart(), selLength = SelLength();
  const std::u16string before = search_;
  search_ = TypeIntoSearch(search_, selStart, selLength, typed);
  if (Match(search_)) {
    if (paired) PeekMessageW(&trail, EditHandle(), WM_CHAR, WM_CHAR, PM_REMOVE);
    m.Result = 0;
    return;
  }
  if (!allowEdit_) {
    InvalidKeyBeep();
    search_ = before;
    if (paired) PeekMessageW(&trail, EditHandle(), WM_CHAR, WM_CHAR, PM_REMOVE);
    return;
  }
  // Free text: what was typed replaces the completion the edit was showing.
  if (text != before) {
    SetWideText(before);
    SetSelStart(std::min(selStart, static_cast<int>(before.size())));
  }
  CallEditDefault(m);  // a pair's second half follows as a character of its own
  search_ = WideText();
}

void TRzCustomComboBox::TypedBackspace(TMessage& m) {
  if (search_.empty()) {
    InvalidKeyBeep();
    return;
  }
  const std::u16string text = WideText();
  search_ =
      BackspaceSearch(search_, SelStart(), SelLength(), static_cast<int>(text.size()), allowEdit_);
  Change();
  if (search_.empty()) {
    TFlagScope typing(typing_);
    SendCombo(CB_SETCURSEL, static_cast<WPARAM>(-1));
    SetWideText({});
    Click();
    Change();
    return;
  }
  if (Match(search_)) return;
  if (!allowEdit_) return;
  CallEditDefault(m);
  search_ = WideText();
}

void TRzCustomComboBox::TypingChar(TMessage& m, wchar_t key) {
  if (IsReadOnly()) {
    if (key == L'\r' && tabOnEnter_ && !DroppedDown())
      PostTab();
    else if (key == 3)  // Ctrl+C
      CallEditDefault(m);
    return;
  }
  if (key == L'\r') {
    if (tabOnEnter_ && !DroppedDown()) {
      PostTab();
      return;
    }
    enterPressed_ = true;  // an open list reports the choice itself (CBN_SELENDOK)
  }
  if (DoKeyPress(key)) return;
  m.WParam = key;
  if (key >= 0x20 && MaxLength() > 0 && SelLength() == 0 &&
      static_cast<int>(WideText().size()) >= MaxLength()) {
    InvalidKeyBeep();
    return;
  }
  if (!autoComplete_) {
    CallEditDefault(m);
    return;
  }
  switch (key) {
    case 27:  // Escape
      search_.clear();
      if (DroppedDown()) CallEditDefault(m);
      return;
    case 8:
      TypedBackspace(m);
      return;
    case 22:  // Ctrl+V
    case 24:  // Ctrl+X
      if (!allowEdit_) return;
      CallEditDefault(m);
      search_ = WideText();
      Match(search_);
      return;
    default:
      break;
  }
  if (key >= 0x20) {
    TypedPrintable(m, key);
    return;
  }
  CallEditDefault(m);
}

// True when the key is consumed.
bool TRzCustomComboBox::TypingKeyDown(WORD key) {
  if (!autoComplete_) return false;
  switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
      search_.clear();
      return false;
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT:
      search_ = WideText();
      return false;
    case VK_INSERT:
      return !allowEdit_;
    case VK_DELETE: {
      const std::u16string text = WideText();
      const bool all = SelStart() == 0 && SelLength() >= static_cast<int>(text.size());
      search_ = DeleteFromText(text, SelStart(), SelLength());
      return !allowEdit_ && !all;
    }
    default:
      return false;
  }
}

void TRzCustomComboBox::AfterKeyDown(WORD key) {
  if (!AutoDropDown() || IsReadOnly()) return;
  if (key == VK_TAB) {
    if (DroppedDown()) SetDroppedDown(false);
  } else if (key != VK_BACK && key != VK_ESCAPE && !DroppedDown()) {
    SetDroppedDown(true);
  }
}

void TRzCustomComboBox::EditWndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CHAR:
      TypingChar(m, static_cast<wchar_t>(m.WParam));
      return;
    case WM_KEYDOWN: {
      if (IsReadOnly()) return;  // no editing, no navigation, no drop-down
      WORD key = static_cast<WORD>(m.WParam);
      const TShiftState shift = KeyboardShiftState();
      if (DoKeyDown(key, shift)) return;
      if (TypingKeyDown(key)) return;
      m.WParam = key;
      CallEditDefault(m);
      if (key == VK_INSERT && (shift & ssShift) && allowEdit_ && autoComplete_) {
        search_ = WideText();
        Match(search_);
      }
      AfterKeyDown(key);
      return;
    }
    case WM_SYSKEYDOWN:
      if (IsReadOnly()) return;
      break;
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
      if (IsReadOnly() || !allowEdit_) return;
      CallEditDefault(m);
      if (autoComplete_ && m.Msg == WM_PASTE) {
        search_ = WideText();
        Match(search_);
      }
      return;
    case WM_LBUTTONDOWN:
      CallEditDefault(m);
      search_ = WideText();
      return;
    case WM_MOUSEWHEEL:
      WheelMessage(m);
      return;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
      TrackPartMouse(EditHandle(), m.Msg);
      break;
    case WM_PAINT: {
      CallEditDefault(m);
      RECT r{};
      SendMessageW(EditHandle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
      PaintOwnHint(EditHandle(), r);
      return;
    }
    default:
      break;
  }
  TCustomComboBox::EditWndProc(m);
}

// ---- the drop-down list style ----

void TRzCustomComboBox::RestartSearchTimer() {
  searchTimer_->SetEnabled(false);
  searchTimer_->SetEnabled(true);
}

void TRzCustomComboBox::ListChar(TMessage& m) {
  wchar_t key = static_cast<wchar_t>(m.WParam);
  if (IsReadOnly()) {
    if (key == L'\r' && tabOnEnter_ && !DroppedDown()) PostTab();
    return;
  }
  if (key == L'\r' && tabOnEnter_ && !DroppedDown()) {
    PostTab();
    return;
  }
  if (!autoComplete_ || (key < 0x20 && key != 8)) {
    if (DoKeyPress(key)) return;
    m.WParam = key;
    if (key == 27) search_.clear();
    DefaultHandler(m);
    return;
  }
  std::u16string candidate;
  if (key == 8) {
    candidate = DropLastChar(search_);
  } else {
    candidate = search_;
    candidate.push_back(static_cast<char16_t>(key));
    MSG trail{};
    if (IsHighSurrogate(key) &&
        PeekMessageW(&trail, WindowHandle(), WM_CHAR, WM_CHAR, PM_NOREMOVE) &&
        IsLowSurrogate(static_cast<wchar_t>(trail.wParam))) {
      PeekMessageW(&trail, WindowHandle(), WM_CHAR, WM_CHAR, PM_REMOVE);
      candidate.push_back(static_cast<char16_t>(trail.wParam));
    }
  }
  const int index =
      candidate.empty() ? (Items().Count() > 0 ? 0 : -1) : FindItemPrefix(WideItems(), candidate);
  if (index < 0 && !candidate.empty()) {
    InvalidKeyBeep();
  } else {
    // Each key that finds an item is a choice, even of the item already shown; the key-press
    // event follows it.
    search_ = candidate;
    SetItemIndex(index);
    Click();
    Change();
    DoKeyPress(key);
  }
  RestartSearchTimer();
}

void TRzCustomComboBox::ListKeyDown(TMessage& m) {
  if (IsReadOnly()) return;
  if (m.WParam >= VK_PRIOR && m.WParam <= VK_DOWN) search_.clear();
  if (m.WParam == VK_ESCAPE) search_.clear();
  TCustomComboBox::WndProc(m);
  AfterKeyDown(static_cast<WORD>(m.WParam));
}

// ---- mouse ----

void TRzCustomComboBox::WheelMessage(TMessage& m) {
  m.Result = 0;
  if (IsReadOnly()) return;
  const int delta = static_cast<short>(HIWORD(m.WParam));
  const TShiftState shift = MouseShiftState(LOWORD(m.WParam));
  const POINT at = MessagePoint(m.LParam);
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, shift, delta, at, handled);
  if (!handled && delta < 0 && OnMouseWheelDown) OnMouseWheelDown(this, shift, at, handled);
  if (!handled && delta > 0 && OnMouseWheelUp) OnMouseWheelUp(this, shift, at, handled);
  if (handled || delta == 0) return;
  if (DroppedDown()) {
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines > static_cast<UINT>(DropDownCount())) lines = DropDownCount();  // a page at most
    const int top = static_cast<int>(SendCombo(CB_GETTOPINDEX));
    const int step = static_cast<int>(lines) * delta / WHEEL_DELTA;
    SendCombo(CB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, top - step)));
    return;
  }
  const int index = WheelStep(ItemIndex(), Items().Count(), delta < 0);
  if (index == ItemIndex()) return;
  SetItemIndex(index);
  search_ = WideText();
  Click();
  Change();
}

// A read-only combo opens no list; a click still takes the focus, so that Ctrl+C works.
bool TRzCustomComboBox::ReadOnlyMouse(TMessage& m) {
  if (!IsReadOnly()) return false;
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!HasFocus() && CanFocus()) SetFocus();
      return true;
    case WM_MOUSEWHEEL:
      return true;
    default:
      return false;
  }
}

// ---- notifications ----

int TRzCustomComboBox::ComputeDropDownWidth() {
  if (dropDownWidth_ > 0) return dropDownWidth_;
  std::vector<int> widths;
  widths.reserve(static_cast<size_t>(Items().Count()));
  WindowDC dc(WindowHandle());
  if (!dc.Get()) return Width();
  SelectObjectScope font(dc.Get(), Font().Handle());
  for (int i = 0; i < Items().Count(); ++i) {
    const std::wstring text = Wide(Items().Strings(i));
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    widths.push_back(size.cx);
  }
  return AutoDropDownWidth(widths, DropDownCount(), GetSystemMetrics(SM_CXVSCROLL), Width());
}

void TRzCustomComboBox::DropDown() {
  if (IsReadOnly()) {
    PostMessageW(WindowHandle(), CB_SHOWDROPDOWN, FALSE, 0);
    return;
  }
  actualDropDownWidth_ = ComputeDropDownWidth();
  SetDroppedWidth(actualDropDownWidth_);
  TCustomComboBox::DropDown();
}

void TRzCustomComboBox::CloseUp() {
  TCustomComboBox::CloseUp();
  Invalidate();
}

void TRzCustomComboBox::SelEndOk() {
  typing_ = true;
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{typing_};
  if (OnSelEndOk) OnSelEndOk(this);
}

void TRzCustomComboBox::SelEndCancel() {
  if (OnSelEndCancel) OnSelEndCancel(this);
}

void TRzCustomComboBox::ItemDeleting(int index) {
  if (void* data = Items().Objects(index); data && OnDeleteItem) OnDeleteItem(this, data);
}

void TRzCustomComboBox::CNCommand(TMessage& m) {
  const WORD code = HIWORD(m.WParam);
  if (code == CBN_EDITCHANGE && typing_) return;  // reported by the code that typed
  TCustomComboBox::CNCommand(m);
  switch (code) {
    case CBN_SETFOCUS:
      UpdateFrame(false, true);
      if (paintsOwnHint_) Invalidate();
      break;
    case CBN_KILLFOCUS: {
      UpdateFrame(false, false);
      if (paintsOwnHint_) {
        Invalidate();
        if (EditHandle()) ::InvalidateRect(EditHandle(), nullptr, TRUE);
      }
      search_.clear();
      searchTimer_->SetEnabled(false);
      const std::string text = Text();
      if (IsEditable() && !text.empty() && Items().IndexOf(text) < 0 && OnNotInList)
        OnNotInList(this);
      break;
    }
    case CBN_SELCHANGE:
      if (IsEditable() && ItemIndex() >= 0) search_ = Utf8ToUtf16(Items().Strings(ItemIndex()));
      break;
    default:
      break;
  }
}

// Text set by the program completes like typed text, unless Enter has just accepted it.
void TRzCustomComboBox::CMTextChanged(TMessage& m) {
  TCustomComboBox::CMTextChanged(m);
  if (!autoComplete_ || typing_ || !IsEditable() || !HandleAllocated() || DroppedDown()) return;
  if (enterPressed_) {
    enterPressed_ = false;
    return;
  }
  search_ = WideText();
  if (search_.empty()) return;
  const TComboMatch match = MatchPrefix(WideItems(), search_, keepSearchCase_);
  if (match.index < 0) return;
  TFlagScope typing(typing_);
  if (keepSearchCase_)
    SetWideText(match.text);
  else
    SetItemIndex(match.index);
  SetSelStart(match.selStart);
  SetSelLength(match.selLength);
}

void TRzCustomComboBox::WndProc(TMessage& m) {
  if (ReadOnlyMouse(m)) return;
  switch (m.Msg) {
    case WM_CHAR:
      if (!IsEditable()) {
        ListChar(m);
        return;
      }
      break;
    case WM_KEYDOWN:
      if (!IsEditable()) {
        ListKeyDown(m);
        return;
      }
      break;
    case WM_SYSKEYDOWN:
      if (IsReadOnly()) return;
      break;
    case WM_MOUSEWHEEL:
      WheelMessage(m);
      return;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
      // The framework tracks the combo window itself; the edit part reports its own moves.
      break;
    default:
      break;
  }
  TCustomComboBox::WndProc(m);
  switch (m.Msg) {
    case WM_PAINT:
      PaintOver();
      if (!EditHandle() && ItemIndex() < 0) {
        RECT r = ClientRect();
        r.left += 4;
        r.right -= GetSystemMetrics(SM_CXVSCROLL) + 4;
        PaintOwnHint(WindowHandle(), r);
      }
      break;
    case WM_SIZE:
      if (CustomFrame()) Invalidate();
      break;
    case WM_KEYDOWN:
      if (IsEditable()) AfterKeyDown(static_cast<WORD>(m.WParam));
      break;
    default:
      break;
  }
}

// ---- TRzComboBox ----

TRzComboBox::TRzComboBox(TComponent* owner) : TRzCustomComboBox(owner) {}

TRzComboBox::~TRzComboBox() {
  Destroying();
}

std::string TRzComboBox::ItemValue(int index) const {
  return ComboItemValue(Items().Texts(), values_, index);
}

std::string TRzComboBox::CurrentValue() const {
  int index = ItemIndex();
  if (IsEditable()) {
    const std::string text = Text();
    index = -1;
    for (int i = 0; i < Items().Count() && index < 0; ++i)
      if (Items().Strings(i) == text) index = i;
    if (index < 0) return text;
  }
  return index >= 0 ? ItemValue(index) : std::string();
}

void TRzComboBox::SetValues(std::vector<std::string> values) {
  values_ = std::move(values);
  if (!inSetValue_) value_ = CurrentValue();
}

void TRzComboBox::SetValue(std::string_view value, bool force) {
  if (value == value_ && !force) return;
  TFlagScope setting(inSetValue_);
  SetItemIndex(FindComboValue(Items().Texts(), values_, value));
  value_ = value;
}

void TRzComboBox::Change() {
  TRzCustomComboBox::Change();
  if (!inSetValue_) value_ = CurrentValue();
}

void TRzComboBox::Click() {
  TRzCustomComboBox::Click();
  if (!inSetValue_) value_ = CurrentValue();
}

void TRzComboBox::ItemInserted(int index) {
  TRzCustomComboBox::ItemInserted(index);
  ValuesItemInserted(values_, index);
}

void TRzComboBox::ItemDeleting(int index) {
  TRzCustomComboBox::ItemDeleting(index);
  ValuesItemDeleted(values_, index);
}

void TRzComboBox::ItemsReordered(const std::vector<int>& oldIndexOf) {
  TRzCustomComboBox::ItemsReordered(oldIndexOf);
  ValuesReordered(values_, oldIndexOf);
}

// ---- TRzImageComboBoxItem ----

int TRzImageComboBoxItem::Index() const {
  if (!owner_) return -1;
  for (int i = 0; i < owner_->Items().Count(); ++i)
    if (owner_->Items().Objects(i) == this) return i;
  return -1;
}

void TRzImageComboBoxItem::SetIndentLevel(int value) {
  value = std::max(value, 0);
  if (value == indentLevel_) return;
  indentLevel_ = value;
  if (owner_) owner_->InvalidateItem(this);
}

void TRzImageComboBoxItem::SetImageIndex(int value) {
  if (value == imageIndex_) return;
  imageIndex_ = value;
  if (owner_) owner_->InvalidateItem(this);
}

void TRzImageComboBoxItem::SetOverlayIndex(int value) {
  if (value == overlayIndex_) return;
  overlayIndex_ = value;
  if (owner_) owner_->Invalidate();
}

void TRzImageComboBoxItem::SetCaption(std::string_view value) {
  if (value == caption_) return;
  caption_ = value;
  if (owner_) owner_->ItemCaptionChanged(this);
}

// ---- TRzCustomImageComboBox ----

TRzCustomImageComboBox::TRzCustomImageComboBox(TComponent* owner) : TRzCustomComboBox(owner) {
  SetStyle(csOwnerDrawFixed);
  SetShowFocus(false);
  imagesLink_.OnChange = [this](TObject*) {
    UpdateItemHeight();
    Invalidate();
  };
  imagesLink_.OnFree = [this](TObject*) {
    images_ = nullptr;
    UpdateItemHeight();
    Invalidate();
  };
  UpdateItemHeight();
}

TRzCustomImageComboBox::~TRzCustomImageComboBox() {
  Destroying();
  for (int i = 0; i < Items().Count(); ++i) {
    delete static_cast<TRzImageComboBoxItem*>(Items().Objects(i));
    Items().SetObjects(i, nullptr);
  }
}

void TRzCustomImageComboBox::SetImages(TImageList* images) {
  if (images == images_) return;
  if (images_) images_->UnRegisterChanges(imagesLink_);
  images_ = images;
  if (images_) images_->RegisterChanges(imagesLink_);
  Invalidate();
  if (!IsLoading()) UpdateItemHeight();
}

void TRzCustomImageComboBox::SetItemIndent(int value) {
  value = std::max(value, 0);
  if (value == itemIndent_) return;
  itemIndent_ = value;
  Invalidate();
}

void TRzCustomImageComboBox::SetAutoSizeHeight(bool value) {
  if (value == autoSizeHeight_) return;
  autoSizeHeight_ = value;
  UpdateItemHeight();
}

// One line of the font with a little room, and never less than an image.
void TRzCustomImageComboBox::UpdateItemHeight() {
  if (!autoSizeHeight_) return;
  int height = std::abs(Font().Height()) + 4;
  if (images_) height = std::max(height, images_->Height());
  SetItemHeight(height);
}

void TRzCustomImageComboBox::CMFontChanged(TMessage& m) {
  TRzCustomComboBox::CMFontChanged(m);
  if (settingFont_) return;
  TFlagScope guard(settingFont_);
  UpdateItemHeight();
}

TRzImageComboBoxItem* TRzCustomImageComboBox::AddItem(std::string_view caption, int imageIndex,
                                                      int indentLevel) {
  auto item = std::make_unique<TRzImageComboBoxItem>(this);
  item->caption_ = caption;
  item->imageIndex_ = imageIndex;
  item->indentLevel_ = std::max(indentLevel, 0);
  TRzImageComboBoxItem* raw = item.get();
  Items().Add(caption, raw);
  item.release();  // the list holds it now
  return raw;
}

TRzImageComboBoxItem* TRzCustomImageComboBox::ImageItem(int index) const {
  if (index < 0 || index >= Items().Count()) return nullptr;
  return static_cast<TRzImageComboBoxItem*>(Items().Objects(index));
}

int TRzCustomImageComboBox::IndexOfCaption(std::string_view caption) const {
  const std::u16string wanted = Utf8ToUtf16(caption);
  for (int i = 0; i < Items().Count(); ++i) {
    const TRzImageComboBoxItem* item = ImageItem(i);
    const std::u16string have = Utf8ToUtf16(item ? item->Caption() : Items().Strings(i));
    if (have.size() == wanted.size() && StartsWithNoCase(have, wanted)) return i;
  }
  return -1;
}

void TRzCustomImageComboBox::DeleteItem(int index) {
  Items().Delete(index);
}

void TRzCustomImageComboBox::ClearItems() {
  Items().Clear();
}

// Every deletion, through the control or straight through Items, frees the item object.
void TRzCustomImageComboBox::ItemDeleting(int index) {
  auto* item = ImageItem(index);
  if (!item) return;
  if (OnDeleteItem) OnDeleteItem(this, item);
  if (index < Items().Count() && Items().Objects(index) == item) {
    Items().SetObjects(index, nullptr);
    item->owner_ = nullptr;
    delete item;
  }
}

void TRzCustomImageComboBox::InvalidateItem(const TRzImageComboBoxItem* item) {
  (void)item;
  Invalidate();
  if (ListHandle()) ::InvalidateRect(ListHandle(), nullptr, FALSE);
}

// The list must not change under its own WM_DRAWITEM: a caption filled in while drawing is
// handed to the list once the paint is over.
void TRzCustomImageComboBox::ItemCaptionChanged(const TRzImageComboBoxItem* item) {
  if (drawing_) {
    if (!captionsPending_ && HandleAllocated())
      PostMessageW(WindowHandle(), CaptionsMessage(), 0, 0);
    captionsPending_ = true;
    return;
  }
  const int index = item->Index();
  if (index >= 0) Items().SetStrings(index, item->Caption());
  InvalidateItem(item);
}

void TRzCustomImageComboBox::ApplyPendingCaptions() {
  if (!captionsPending_) return;
  captionsPending_ = false;
  for (int i = 0; i < Items().Count(); ++i)
    if (const TRzImageComboBoxItem* item = ImageItem(i);
        item && item->Caption() != Items().Strings(i))
      Items().SetStrings(i, item->Caption());
}

UINT TRzCustomImageComboBox::CaptionsMessage() {
  static const UINT message = RegisterWindowMessageW(L"Kovra.ImageComboCaptions");
  return message;
}

void TRzCustomImageComboBox::CreateWnd() {
  TRzCustomComboBox::CreateWnd();
  SendCombo(CB_SETEXTENDEDUI, TRUE);
}

void TRzCustomImageComboBox::WndProc(TMessage& m) {
  if (m.Msg == CaptionsMessage()) {
    ApplyPendingCaptions();
    return;
  }
  if (m.Msg == WM_ERASEBKGND && HandleAllocated()) {
    TCanvas canvas(reinterpret_cast<HDC>(m.WParam));
    TForm* form = dynamic_cast<TForm*>(Owner());
    canvas.Brush().SetColor(form ? form->Color() : clWindow);
    canvas.FillRect(ClientRect());
    m.Result = 1;
    return;
  }
  TRzCustomComboBox::WndProc(m);
}

void TRzCustomImageComboBox::GetItemData(TRzImageComboBoxItem* item) {
  if (OnGetItemData) OnGetItemData(this, item);
}

void TRzCustomImageComboBox::DrawItem(int index, RECT rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    TRzCustomComboBox::DrawItem(index, rect, state);
    return;
  }
  TRzImageComboBoxItem* item = ImageItem(index);
  if (item) {
    TFlagScope drawing(drawing_);
    GetItemData(item);
  }
  item = ImageItem(index);  // the hook may have replaced it
  const int indent = (state & odComboBoxEdit) || !item ? 0 : item->IndentLevel();
  TCanvas& canvas = Canvas();
  canvas.Brush().SetColor(Color());
  canvas.FillRect(rect);
  const int offset = itemIndent_ * indent;
  if (images_ && item && item->ImageIndex() >= 0) {
    // Straight on the list: a change through TImageList would tell every listener, this
    // control among them, and repaint it again.
    HIMAGELIST list = images_->Handle();
    struct Restore {
      HIMAGELIST list;
      COLORREF color;
      ~Restore() { ImageList_SetBkColor(list, color); }
    } restore{list, ImageList_SetBkColor(list, ToColorRef(Color()))};
    const int y = rect.top + (rect.bottom - rect.top - images_->Height()) / 2;
    const int x = rect.left + 2 + offset;
    if (item->OverlayIndex() >= 0)
      images_->DrawOverlay(canvas, x, y, item->ImageIndex(), item->OverlayIndex(), Enabled());
    else
      images_->Draw(canvas, x, y, item->ImageIndex(), Enabled());
  }
  const std::string caption = item ? item->Caption() : Items().Strings(index);
  const int left = rect.left + 1 + offset + (images_ ? images_->Width() + 4 : 4);
  RECT box{left, rect.top, left + canvas.TextWidth(caption) + 3, rect.bottom - 1};
  if (state & odSelected) {
    canvas.Brush().SetColor(clHighlight);
    canvas.Font().SetColor(clHighlightText);
  } else {
    canvas.Font().SetColor(Enabled() ? Font().Color() : clBtnShadow);
  }
  canvas.FillRect(box);
  RECT text = box;
  InflateRect(&text, -1, -1);
  canvas.DrawText(caption, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace kovra
