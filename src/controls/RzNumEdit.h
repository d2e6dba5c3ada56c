// The numeric edit: a framed edit whose text is a number. Typed keys are filtered, the text is
// reformatted through DisplayFormat when the focus enters and leaves, the number is held to
// Min..Max on exit, and a calculator can drop down from the edit's button.
// Rules free of the Windows API are in RzNumericLogic.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "controls/RzEdit.h"
#include "controls/RzPopups.h"

namespace kovra {

// The handler may set autoCorrect false to refuse the adjusted value: the focus then stays.
using TRzRangeErrorEvent = std::function<void(TObject* sender, long double enteredValue,
                                              long double adjustedValue, bool& autoCorrect)>;

class TRzNumericEdit : public TRzEdit {
 public:
  explicit TRzNumericEdit(TComponent* owner);
  ~TRzNumericEdit() override;

  virtual bool IsValidChar(wchar_t ch);
  virtual std::string FormatValue(long double value) const;
  virtual long double TextToValue() const;

  bool AllowBlank() const { return allowBlank_; }
  void SetAllowBlank(bool value) { allowBlank_ = value; }
  bool AllowScientificNotation() const { return allowScientificNotation_; }
  void SetAllowScientificNotation(bool value) { allowScientificNotation_ = value; }
  long double BlankValue() const { return blankValue_; }
  void SetBlankValue(long double value) { blankValue_ = value; }
  bool CheckRange() const { return checkRange_; }
  void SetCheckRange(bool value) { checkRange_ = value; }
  bool IntegersOnly() const { return integersOnly_; }
  virtual void SetIntegersOnly(bool value);
  long double Min() const { return min_; }
  virtual void SetMin(long double value);
  long double Max() const { return max_; }
  virtual void SetMax(long double value);
  const std::string& DisplayFormat() const { return displayFormat_; }
  virtual void SetDisplayFormat(std::string_view value);

  // Read from the text each time; reading never range-checks, writing never rounds.
  virtual long double Value();
  virtual void SetValue(long double value);
  // Value rounded half to even (saturating at the 64-bit limits).
  virtual std::int64_t IntegerValue();
  virtual void SetIntegerValue(std::int64_t value);
  // The value parsed when the focus last entered, updated by each range check.
  long double EntryValue() const { return entryValue_; }

  bool CalculatorVisible() const { return calculatorVisible_; }
  void SetCalculatorVisible(bool value);
  bool CalculatorBoldButtons() const { return calculatorBoldButtons_; }
  void SetCalculatorBoldButtons(bool value) { calculatorBoldButtons_ = value; }
  TRzCalculatorColors& CalculatorColors() { return calculatorColors_; }
  virtual void SetCalculatorColors(const TRzCalculatorColors& value);
  // The drop-down panel while the calculator is open (tests and accessibility tools).
  TRzPopupPanel* CalculatorPanel() const { return calculatorPanel_; }

  // Holds `value` to Min..Max (see OnRangeError); sets `invalid` when the handler refuses.
  virtual long double RangeCheck(long double value, bool& invalid);

  TRzRangeErrorEvent OnRangeError;

 protected:
  virtual void OpenCalculator();
  void DoDropDown() override;
  void Change() override;
  void Loaded() override;
  bool DoKeyPress(wchar_t& key) override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;
  void WndProc(TMessage& m) override;
  void WMSetFocus(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;

 private:
  void RewriteText(long double value);
  void TakeFocusBack();

  bool allowBlank_ = false;
  bool allowScientificNotation_ = true;
  long double blankValue_ = 0;
  bool checkRange_ = false;
  bool integersOnly_ = true;
  long double min_ = 0;
  long double max_ = 0;
  std::string displayFormat_ = ",0;(,0)";
  long double entryValue_ = 0;
  bool calculatorVisible_ = false;
  bool calculatorBoldButtons_ = false;
  TRzCalculatorColors calculatorColors_;
  bool keypadDecimal_ = false;
  bool reformatting_ = false;
  TRzPopupPanel* calculatorPanel_ = nullptr;
};

}  // namespace kovra
