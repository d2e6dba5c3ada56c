// TCustomEdit over the system EDIT class, and the edit mask.
#include "framework/Mask.h"

#include <algorithm>
#include <cwctype>

#include "framework/runtime/Text.h"

namespace kovra {

namespace {

DWORD AlignmentStyle(TAlignment a) {
  switch (a) {
    case taRightJustify:
      return ES_RIGHT;
    case taCenter:
      return ES_CENTER;
    default:
      return ES_LEFT;
  }
}

}  // namespace

// ---- TCustomEdit ----

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(csClickEvents | csSetCaption | csDoubleClicks | csFixedHeight);
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetColor(clWindow);
}

TCustomEdit::~TCustomEdit() {
  Destroying();
}

LRESULT TCustomEdit::SendEdit(UINT msg, WPARAM w, LPARAM l) const {
  HWND wnd = WindowHandle();
  return wnd ? SendMessageW(wnd, msg, w, l) : 0;
}

std::string TCustomEdit::Text() const {
  if (HandleAllocated()) return WindowText(WindowHandle());
  return StoredText();
}

void TCustomEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"EDIT";
  params.Style &= ~static_cast<DWORD>(WS_CLIPCHILDREN);
  params.Style |= ES_AUTOHSCROLL | AlignmentStyle(alignment_);
  if (!hideSelection_) params.Style |= ES_NOHIDESEL;
  if (oemConvert_) params.Style |= ES_OEMCONVERT;
  if (readOnly_) params.Style |= ES_READONLY;
  if (passwordChar_ != 0) params.Style |= ES_PASSWORD;
  if (charCase_ == ecUpperCase) params.Style |= ES_UPPERCASE;
  if (charCase_ == ecLowerCase) params.Style |= ES_LOWERCASE;
  if (borderStyle_ == bsSingleBorder) {
    if (ctl3D_)
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  SendEdit(EM_LIMITTEXT, static_cast<WPARAM>(maxLength_));
  if (passwordChar_ != 0) SendEdit(EM_SETPASSWORDCHAR, passwordChar_);
  SendEdit(EM_SETSEL, static_cast<WPARAM>(savedSelStart_),
           static_cast<LPARAM>(savedSelStart_ + savedSelLength_));
  SendEdit(EM_SETMODIFY, savedModified_ ? TRUE : FALSE);
  AdjustHeight();
}

void TCustomEdit::DestroyWnd() {
  if (HandleAllocated()) {
    savedSelStart_ = SelStart();
    savedSelLength_ = SelLength();
    savedModified_ = Modified();
    refocusing_ = Focused();
  }
  TWinControl::DestroyWnd();
}

void TCustomEdit::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  RecreateWnd();
}

void TCustomEdit::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  AdjustHeight();
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RecreateWnd();
  AdjustHeight();
}

void TCustomEdit::SetCtl3D(bool value) {
  if (value == ctl3D_) return;
  ctl3D_ = value;
  RecreateWnd();
  AdjustHeight();
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (value == charCase_) return;
  charCase_ = value;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool value) {
  if (value == hideSelection_) return;
  hideSelection_ = value;
  RecreateWnd();
}

void TCustomEdit::SetMaxLength(int value) {
  value = std::max(value, 0);
  if (value == maxLength_) return;
  maxLength_ = value;
  SendEdit(EM_LIMITTEXT, static_cast<WPARAM>(value));
}

void TCustomEdit::SetOEMConvert(bool value) {
  if (value == oemConvert_) return;
  oemConvert_ = value;
  RecreateWnd();
}

void TCustomEdit::SetPasswordChar(wchar_t value) {
  if (value == passwordChar_) return;
  passwordChar_ = value;
  if (HandleAllocated()) {
    // ES_PASSWORD is read at creation only; EM_SETPASSWORDCHAR switches a live window.
    SendEdit(EM_SETPASSWORDCHAR, value);
    InvalidateRect(ClientRect(), true);
  }
}

void TCustomEdit::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  SendEdit(EM_SETREADONLY, value ? TRUE : FALSE);
}

bool TCustomEdit::Modified() const {
  return HandleAllocated() ? SendEdit(EM_GETMODIFY) != 0 : savedModified_;
}

void TCustomEdit::SetModified(bool value) {
  savedModified_ = value;
  SendEdit(EM_SETMODIFY, value ? TRUE : FALSE);
}

int TCustomEdit::SelStart() const {
  if (!HandleAllocated()) return savedSelStart_;
  DWORD start = 0, end = 0;
  SendEdit(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int value) {
  value = std::max(value, 0);
  savedSelStart_ = value;
  savedSelLength_ = 0;
  SendEdit(EM_SETSEL, static_cast<WPARAM>(value), static_cast<LPARAM>(value));
}

int TCustomEdit::SelLength() const {
  if (!HandleAllocated()) return savedSelLength_;
  DWORD start = 0, end = 0;
  SendEdit(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end) - static_cast<int>(start);
}

void TCustomEdit::SetSelLength(int value) {
  const int start = SelStart();
  value = std::max(value, 0);
  savedSelLength_ = value;
  SendEdit(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + value));
}

std::string TCustomEdit::SelText() const {
  const std::u16string all = Utf8ToUtf16(Text());
  const auto n = static_cast<int>(all.size());
  const int start = std::clamp(SelStart(), 0, n);
  const int len = std::clamp(SelLength(), 0, n - start);
  return Utf16ToUtf8(
      std::u16string_view(all).substr(static_cast<size_t>(start), static_cast<size_t>(len)));
}

void TCustomEdit::SetSelText(std::string_view text) {
  HandleNeeded();
  const std::wstring wide = Wide(text);
  SendEdit(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
}

void TCustomEdit::SelectAll() {
  SendEdit(EM_SETSEL, 0, -1);
}

bool TCustomEdit::CanUndo() const {
  return SendEdit(EM_CANUNDO) != 0;
}
void TCustomEdit::Undo() {
  SendEdit(WM_UNDO);
}
void TCustomEdit::CutToClipboard() {
  SendEdit(WM_CUT);
}
void TCustomEdit::CopyToClipboard() {
  SendEdit(WM_COPY);
}
void TCustomEdit::PasteFromClipboard() {
  SendEdit(WM_PASTE);
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

// One text line of the font, the system edit's internal margins and the border.
void TCustomEdit::AdjustHeight() {
  if (!autoSize_) return;
  HDC dc = GetDC(nullptr);
  if (!dc) return;
  TEXTMETRICW tm{};
  {
    SelectObjectScope font(dc, Font().Handle());
    GetTextMetricsW(dc, &tm);
  }
  ReleaseDC(nullptr, dc);
  int border = 0;
  if (borderStyle_ == bsSingleBorder)
    border = ctl3D_ ? 2 * GetSystemMetrics(SM_CYEDGE) : 2 * GetSystemMetrics(SM_CYBORDER);
  const int height = tm.tmHeight + border + 4;
  if (height != Height()) SetHeight(height);
}

void TCustomEdit::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    CNCommand(m);
    return;
  }
  TWinControl::WndProc(m);
}

void TCustomEdit::CNCommand(TMessage& m) {
  if (HIWORD(m.WParam) == EN_CHANGE && !(ControlState() & csCreating)) Change();
}

// Without the dialog manager nobody selects the text on Tab: do it here, except when a click
// placed the caret.
void TCustomEdit::WMSetFocus(TMessage& m) {
  TWinControl::WMSetFocus(m);
  if (refocusing_) {  // a rebuilt window keeps its selection
    refocusing_ = false;
    SendEdit(EM_SETSEL, static_cast<WPARAM>(savedSelStart_),
             static_cast<LPARAM>(savedSelStart_ + savedSelLength_));
    return;
  }
  if (autoSelect_ && HandleAllocated() && GetFocus() == WindowHandle() &&
      !(GetKeyState(VK_LBUTTON) & 0x8000))
    SelectAll();
}

void TCustomEdit::CMFontChanged(TMessage& m) {
  TWinControl::CMFontChanged(m);
  AdjustHeight();
}

void TCustomEdit::CMEnabledChanged(TMessage& m) {
  TWinControl::CMEnabledChanged(m);
  if (HandleAllocated()) InvalidateRect(ClientRect(), true);
}

// ---- TEditMask ----

TEditMask::TEditMask(std::u16string_view mask) {
  // Trailing ";saveLiterals;blank" fields, read from the end so a literal ';' in the mask
  // itself (escaped) is left alone.
  std::u16string_view body = mask;
  auto lastSep = [](std::u16string_view s) -> size_t {
    for (size_t i = s.size(); i-- > 0;)
      if (s[i] == u';' && (i == 0 || s[i - 1] != u'\\')) return i;
    return std::u16string_view::npos;
  };
  if (size_t p = lastSep(body); p != std::u16string_view::npos) {
    std::u16string_view tail = body.substr(p + 1);
    std::u16string_view head = body.substr(0, p);
    if (size_t q = lastSep(head); q != std::u16string_view::npos) {
      if (!tail.empty()) blank_ = tail[0];
      std::u16string_view keep = head.substr(q + 1);
      saveLiterals_ = keep.empty() || keep[0] != u'0';
      body = head.substr(0, q);
    } else {
      saveLiterals_ = tail.empty() || tail[0] != u'0';
      body = head;
    }
  }
  std::int8_t shift = 0;
  for (size_t i = 0; i < body.size(); ++i) {
    const char16_t c = body[i];
    Slot s;
    s.caseShift = shift;
    switch (c) {
      case u'>':
        shift = 1;
        continue;
      case u'<':
        if (i + 1 < body.size() && body[i + 1] == u'>') {
          ++i;
          shift = 0;
        } else {
          shift = -1;
        }
        continue;
      case u'\\':
        if (i + 1 < body.size())
          s.literal = body[++i];
        else
          continue;
        break;
      case u'0':
        s.kind = Digit;
        s.required = true;
        break;
      case u'9':
        s.kind = Digit;
        break;
      case u'#':
        s.kind = DigitOrSign;
        break;
      case u'L':
        s.kind = Letter;
        s.required = true;
        break;
      case u'l':
        s.kind = Letter;
        break;
      case u'A':
        s.kind = AlphaNum;
        s.required = true;
        break;
      case u'a':
        s.kind = AlphaNum;
        break;
      case u'C':
        s.kind = AnyChar;
        s.required = true;
        break;
      case u'c':
        s.kind = AnyChar;
        break;
      default:
        s.literal = c;
        break;
    }
    slots_.push_back(s);
  }
}

bool TEditMask::IsLiteral(int pos) const {
  return pos >= 0 && pos < Length() && slots_[static_cast<size_t>(pos)].kind == Literal;
}

char16_t TEditMask::Accept(int pos, char16_t ch) const {
  if (pos < 0 || pos >= Length() || ch < 0x20) return 0;
  const Slot& s = slots_[static_cast<size_t>(pos)];
  const bool digit = ch >= u'0' && ch <= u'9';
  const bool letter = std::iswalpha(static_cast<wint_t>(ch)) != 0;
  bool ok = false;
  switch (s.kind) {
    case Literal:
      return ch == s.literal ? ch : 0;
    case Digit:
      ok = digit || (!s.required && ch == u' ');
      break;
    case DigitOrSign:
      ok = digit || ch == u'+' || ch == u'-' || ch == u' ';
      break;
    case Letter:
      ok = letter || (!s.required && ch == u' ');
      break;
    case AlphaNum:
      ok = letter || digit || (!s.required && ch == u' ');
      break;
    case AnyChar:
      ok = true;
      break;
  }
  if (!ok) return 0;
  if (s.caseShift > 0) return static_cast<char16_t>(std::towupper(static_cast<wint_t>(ch)));
  if (s.caseShift < 0) return static_cast<char16_t>(std::towlower(static_cast<wint_t>(ch)));
  return ch;
}

std::u16string TEditMask::EmptyText() const {
  std::u16string text;
  for (const Slot& s : slots_) text.push_back(s.kind == Literal ? s.literal : blank_);
  return text;
}

bool TEditMask::IsComplete(std::u16string_view text) const {
  for (size_t i = 0; i < slots_.size(); ++i) {
    const Slot& s = slots_[i];
    if (s.kind == Literal || !s.required) continue;
    if (i >= text.size() || text[i] == blank_ || Accept(static_cast<int>(i), text[i]) == 0)
      return false;
  }
  return true;
}

std::u16string TEditMask::StripLiterals(std::u16string_view text) const {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool literal = i < slots_.size() && slots_[i].kind == Literal;
    if (literal && !saveLiterals_) continue;
    out.push_back(text[i] == blank_ && !literal ? u' ' : text[i]);
  }
  while (!out.empty() && out.back() == u' ') out.pop_back();
  return out;
}

// ---- TCustomMaskEdit ----

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

TCustomMaskEdit::~TCustomMaskEdit() {
  Destroying();
}

void TCustomMaskEdit::SetEditMask(std::string_view mask) {
  if (mask == editMask_) return;
  editMask_ = mask;
  mask_ = TEditMask(Utf8ToUtf16(mask));
  if (mask_.Empty()) {
    SetMaxLength(0);
    return;
  }
  SetMaxLength(mask_.Length());
  SetWideText(mask_.EmptyText(), 0);
}

void TCustomMaskEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  if (IsMasked()) SendEdit(EM_LIMITTEXT, static_cast<WPARAM>(mask_.Length()));
}

std::u16string TCustomMaskEdit::WideText() const {
  return Utf8ToUtf16(Text());
}

void TCustomMaskEdit::SetWideText(const std::u16string& text, int caret) {
  SetText(Utf16ToUtf8(text));
  SetSelStart(caret);
}

std::string TCustomMaskEdit::MaskedValue() const {
  if (!IsMasked()) return Text();
  return Utf16ToUtf8(mask_.StripLiterals(WideText()));
}

bool TCustomMaskEdit::IsMaskComplete() const {
  return !IsMasked() || mask_.IsComplete(WideText());
}

bool TCustomMaskEdit::TypeMasked(char16_t ch) {
  std::u16string text = WideText();
  if (static_cast<int>(text.size()) != mask_.Length()) text = mask_.EmptyText();
  int pos = SelStart();
  // A typed literal jumps to its place; anything else skips literals ahead of the caret.
  while (pos < mask_.Length() && mask_.IsLiteral(pos) && mask_.Accept(pos, ch) == 0) ++pos;
  if (pos >= mask_.Length()) return false;
  const char16_t stored = mask_.Accept(pos, ch);
  if (stored == 0) return false;
  text[static_cast<size_t>(pos)] = stored;
  ++pos;
  while (pos < mask_.Length() && mask_.IsLiteral(pos)) ++pos;
  SetWideText(text, pos);
  return true;
}

void TCustomMaskEdit::EraseMasked(bool forward) {
  std::u16string text = WideText();
  if (static_cast<int>(text.size()) != mask_.Length()) text = mask_.EmptyText();
  int start = SelStart();
  int len = SelLength();
  if (len == 0) {
    if (!forward) {
      if (start == 0) return;
      --start;
    }
    len = 1;
  }
  const int end = std::min(start + len, mask_.Length());
  for (int i = start; i < end; ++i)
    if (!mask_.IsLiteral(i)) text[static_cast<size_t>(i)] = mask_.Blank();
  SetWideText(text, start);
}

bool TCustomMaskEdit::DoKeyPress(wchar_t& key) {
  if (TCustomEdit::DoKeyPress(key)) return true;
  if (!IsMasked() || ReadOnly()) return false;
  if (key == VK_BACK) {
    EraseMasked(false);
  } else if (key >= 0x20) {
    if (!TypeMasked(static_cast<char16_t>(key))) MessageBeep(0);
  } else {
    return false;  // Enter, Escape, Ctrl+C and friends keep their meaning
  }
  key = 0;
  return true;
}

bool TCustomMaskEdit::DoKeyDown(WORD& key, TShiftState shift) {
  if (TCustomEdit::DoKeyDown(key, shift)) return true;
  if (IsMasked() && !ReadOnly() && key == VK_DELETE && !(shift & (ssShift | ssCtrl))) {
    EraseMasked(true);
    key = 0;
    return true;
  }
  return false;
}

}  // namespace kovra
