// TRzNumericEdit.
#include "controls/RzNumEdit.h"

#include <cmath>
#include <memory>

#include "controls/RzNumericLogic.h"
#include "framework/runtime/Numbers.h"

namespace kovra {

namespace {

// Posted to itself by an edit that refuses to let the focus go.
constexpr UINT kTakeFocusBack = WM_APP + 0x0B71;

// The edit taking its focus back: another numeric edit losing the focus to it does not check
// its own range meanwhile, so two edits that both refuse cannot pass the focus back and forth
// for ever.
TRzNumericEdit* reclaiming = nullptr;

long double RoundedValue(long double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 9.0e18L) return value;
  return static_cast<long double>(RoundHalfEven(value));
}

char16_t DecimalSeparator() {
  return static_cast<unsigned char>(FormatSettings().DecimalSeparator);
}

}  // namespace

TRzNumericEdit::TRzNumericEdit(TComponent* owner) : TRzEdit(owner) {
  SetControlStyle(ControlStyle() & ~csSetCaption);
  SetBounds(Left(), Top(), 65, 21);
  SetAlignment(taRightJustify);
  SetText("0");
}

TRzNumericEdit::~TRzNumericEdit() {
  Destroying();
  if (reclaiming == this) reclaiming = nullptr;
}

// ---- text and value ----

std::string TRzNumericEdit::FormatValue(long double value) const {
  return FormatFloat(displayFormat_, value);
}

long double TRzNumericEdit::TextToValue() const {
  return NumericTextToValue(Text(), allowScientificNotation_, FormatSettings().DecimalSeparator);
}

long double TRzNumericEdit::Value() {
  try {
    if (!Text().empty()) return TextToValue();
    if (allowBlank_) return blankValue_;
    SetText(FormatValue(min_));
    return TextToValue();
  } catch (...) {
    return min_;
  }
}

void TRzNumericEdit::SetValue(long double value) {
  if (value != TextToValue()) SetText(FormatValue(value));
}

std::int64_t TRzNumericEdit::IntegerValue() {
  return RoundHalfEven(Value());
}

void TRzNumericEdit::SetIntegerValue(std::int64_t value) {
  SetValue(static_cast<long double>(value));
}

void TRzNumericEdit::SetMin(long double value) {
  if (value == min_) return;
  min_ = value;
  if (min_ > max_) max_ = min_;
  Invalidate();
}

void TRzNumericEdit::SetMax(long double value) {
  if (value == max_) return;
  max_ = value;
  if (!(max_ >= min_)) min_ = max_;
  Invalidate();
}

void TRzNumericEdit::SetIntegersOnly(bool value) {
  if (value == integersOnly_) return;
  integersOnly_ = value;
  if (value) SetValue(RoundedValue(Value()));
}

void TRzNumericEdit::SetDisplayFormat(std::string_view value) {
  if (value == displayFormat_) return;
  displayFormat_ = value;
  SetValue(Value());
  if (!IsLoading()) SetText(FormatValue(Value()));
}

void TRzNumericEdit::SetCalculatorVisible(bool value) {
  if (value == calculatorVisible_) return;
  calculatorVisible_ = value;
  SetDropButtonRequested(value);
}

void TRzNumericEdit::SetCalculatorColors(const TRzCalculatorColors& value) {
  calculatorColors_.Assign(value);
}

void TRzNumericEdit::RewriteText(long double value) {
  reformatting_ = true;
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{reformatting_};
  SetText(FormatValue(value));
}

void TRzNumericEdit::Change() {
  if (reformatting_ || IsLoading()) return;
  TRzEdit::Change();
}

void TRzNumericEdit::Loaded() {
  TRzEdit::Loaded();
  entryValue_ = TextToValue();
  RewriteText(entryValue_);
}

// ---- range ----

long double TRzNumericEdit::RangeCheck(long double value, bool& invalid) {
  long double result = value;
  const TRzRangeVerdict verdict = CheckNumericRange(value, min_, max_, checkRange_);
  if (verdict != rvInside) {
    const long double adjusted = verdict == rvBelow ? min_ : max_;
    bool autoCorrect = true;
    if (OnRangeError) OnRangeError(this, value, adjusted, autoCorrect);
    if (autoCorrect)
      result = adjusted;
    else
      invalid = true;
  }
  entryValue_ = result;
  return result;
}

// ---- keys ----

bool TRzNumericEdit::IsValidChar(wchar_t ch) {
  TRzNumericRules rules;
  rules.integersOnly = integersOnly_;
  rules.allowScientificNotation = allowScientificNotation_;
  rules.decimalSeparator = DecimalSeparator();
  const std::wstring text = HandleAllocated() ? Wide(Text()) : std::wstring();
  const std::u16string_view view(reinterpret_cast<const char16_t*>(text.data()), text.size());
  return IsValidNumericChar(static_cast<char16_t>(ch), view, SelStart(), SelLength(), rules);
}

bool TRzNumericEdit::DoKeyDown(WORD& key, TShiftState shift) {
  keypadDecimal_ = key == VK_DECIMAL;
  return TRzEdit::DoKeyDown(key, shift);
}

bool TRzNumericEdit::DoKeyPress(wchar_t& key) {
  // Whatever the layout makes of the keypad's decimal key, it types the separator.
  if (keypadDecimal_) key = static_cast<wchar_t>(DecimalSeparator());
  if (TRzEdit::DoKeyPress(key)) return true;
  if (key != 0 && !IsValidChar(key)) {
    key = 0;
    InvalidKeyBeep();
    return true;
  }
  return false;
}

void TRzNumericEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CUT:
    case WM_PASTE:
      if (ReadOnly()) return;
      break;
    case kTakeFocusBack:
      if (reclaiming == this) {
        if (CanFocus() && !Focused()) SetFocus();
        reclaiming = nullptr;
      }
      return;
    default:
      break;
  }
  TRzEdit::WndProc(m);
}

// ---- focus ----

void TRzNumericEdit::WMSetFocus(TMessage& m) {
  if (reclaiming == this) reclaiming = nullptr;  // back, whichever way it came
  entryValue_ = TextToValue();
  if (!allowBlank_) RewriteText(entryValue_);
  TRzEdit::WMSetFocus(m);
}

// The focus is taken back once this kill-focus has unwound: changing the focus from inside it
// would re-enter the window manager's own focus change.
void TRzNumericEdit::TakeFocusBack() {
  reclaiming = this;
  PostMessageW(WindowHandle(), kTakeFocusBack, 0, 0);
}

void TRzNumericEdit::WMKillFocus(TMessage& m) {
  const bool yielding = reclaiming != nullptr && reclaiming != this;
  if ((allowBlank_ && Text().empty()) || yielding || IsDestroying()) {
    TRzEdit::WMKillFocus(m);
    return;
  }
  long double result;
  try {
    bool invalid = false;
    result = RangeCheck(TextToValue(), invalid);
    if (invalid) {
      DefaultHandler(m);  // the system edit still hears it; OnExit does not
      TakeFocusBack();
      return;
    }
  } catch (...) {
    result = min_;
    SetValue(min_);
  }
  SetText(FormatValue(result));
  TRzEdit::WMKillFocus(m);
}

// ---- calculator ----

void TRzNumericEdit::DoDropDown() {
  if (IsReadOnly()) return;
  TRzEdit::DoDropDown();
  TNotifyEvent onEnter = std::move(OnEnter), onExit = std::move(OnExit);
  OnEnter = nullptr;
  OnExit = nullptr;
  struct Restore {
    TRzNumericEdit* self;
    TNotifyEvent& enter;
    TNotifyEvent& exit;
    ~Restore() {
      self->OnEnter = std::move(enter);
      self->OnExit = std::move(exit);
    }
  } restore{this, onEnter, onExit};
  try {
    OpenCalculator();
  } catch (...) {
    // A calculator that fails to open leaves the edit as it was.
  }
}

void TRzNumericEdit::OpenCalculator() {
  if (!Parent()) return;
  const bool autoSelect = AutoSelect();
  SetAutoSelect(false);
  struct RestoreSelect {
    TRzNumericEdit* self;
    bool value;
    ~RestoreSelect() { self->SetAutoSelect(value); }
  } restoreSelect{this, autoSelect};

  auto panel = std::make_unique<TRzPopupPanel>(nullptr);
  panel->SetParent(Parent());
  panel->SetParentFont(false);
  panel->Font().SetName(Font().Name());
  panel->Font().SetColor(Font().Color());
  panel->Font().SetSize(Font().Size());
  auto* calculator = new TRzCalculator(panel.get());
  calculator->SetParent(panel.get());
  calculator->SetColor(Color());
  calculator->SetThemeAware(ThemedFraming());
  calculator->SetResult(Value());
  calculator->SetCalculatorColors(calculatorColors_);
  calculator->SetBoldButtons(calculatorBoldButtons_);
  if ((FrameVisible() && !ThemedFraming() && FrameStyle() == fsFlat) ||
      FrameStyle() == fsFlatBold) {
    calculator->SetBorderOuter(fsFlat);
    calculator->SetFlatColor(FrameColor());
  }
  const RECT inner = panel->ContentRect();
  calculator->SetBounds(inner.left, inner.top, calculator->Width(), calculator->Height());
  TRzPopupPanel* raw = panel.get();
  calculator->OnSetBtnClick = [raw](TObject*) { raw->Close(); };

  calculatorPanel_ = raw;
  struct Forget {
    TRzPopupPanel*& panel;
    ~Forget() { panel = nullptr; }
  } forget{calculatorPanel_};
  if (raw->Popup(*this)) SetValue(calculator->Result());
}

}  // namespace kovra
