#include "controls/RzCalculatorLogic.h"

#include <cmath>

#include "framework/runtime/Numbers.h"

namespace kovra {

namespace {

constexpr int kSignificantDigits = 15;

// Digits before the decimal point of |value| (at least 1).
int IntegerDigits(long double value) {
  value = std::fabs(value);
  int digits = 1;
  while (value >= 10 && digits < 5000) {
    value /= 10;
    ++digits;
  }
  return digits;
}

}  // namespace

bool TRzCalculatorEngine::Digit(int digit) {
  if (error_ || digit < 0 || digit > 9) return false;
  if (newEntry_) {
    entry_ = digit;
    newEntry_ = false;
  } else if (decimals_ == 0) {
    entry_ = std::fabs(entry_) * 10 + digit;
    if (!std::isfinite(entry_)) Fail();
  } else {
    entry_ = std::fabs(entry_) + digit * std::pow(10.0L, -decimals_);
    ++decimals_;
  }
  showResult_ = false;
  return true;
}

bool TRzCalculatorEngine::DecimalPoint() {
  if (error_ || decimals_ > 1) return false;
  if (newEntry_) {
    entry_ = 0;
    showResult_ = false;
  }
  decimals_ = 1;
  newEntry_ = false;
  return true;
}

bool TRzCalculatorEngine::Operator(TRzCalcOperator op) {
  if (error_) return false;
  ApplyPending();
  operator_ = op;
  newEntry_ = true;
  decimals_ = 0;
  return true;
}

bool TRzCalculatorEngine::Equals() {
  if (error_) return false;
  Compute();
  newEntry_ = true;
  decimals_ = 0;
  operandApplied_ = true;
  return true;
}

void TRzCalculatorEngine::Clear() {
  result_ = 0;
  entry_ = 0;
  operator_ = coNone;
  newEntry_ = true;
  operandApplied_ = true;
  decimals_ = 0;
  error_ = false;
  showResult_ = true;
}

// An entry typed since the last operation counts too: "7" then set gives 7, not the value the
// calculator was opened with.
void TRzCalculatorEngine::CompleteForSet() {
  if (error_ || (operandApplied_ && newEntry_)) return;
  Compute();
  newEntry_ = true;
  operandApplied_ = true;
  decimals_ = 0;
}

void TRzCalculatorEngine::SetResult(long double value) {
  if (value == result_) return;
  result_ = value;
  entry_ = value;
  operator_ = coNone;
  newEntry_ = true;
  operandApplied_ = true;
  decimals_ = 0;
  error_ = false;
  showResult_ = true;
}

// Right after "=" (or a first operator) the operand is already in the result; only the flag
// is consumed, so "5 = +" does not add 5 a second time.
void TRzCalculatorEngine::ApplyPending() {
  if (!operandApplied_) {
    Compute();
    return;
  }
  operandApplied_ = false;
  if (operator_ == coNone) result_ = entry_;
}

void TRzCalculatorEngine::Compute() {
  if (operator_ == coNone) {
    result_ = entry_;
    newEntry_ = true;
    operandApplied_ = true;
    return;
  }
  long double value = result_;
  switch (operator_) {
    case coAdd:
      value = result_ + entry_;
      break;
    case coSubtract:
      value = result_ - entry_;
      break;
    case coMultiply:
      value = result_ * entry_;
      break;
    case coDivide:
      if (entry_ == 0) {
        Fail();
        return;
      }
      value = result_ / entry_;
      break;
    case coNone:
      break;
  }
  if (!std::isfinite(value)) {
    Fail();
    return;
  }
  result_ = value;
  showResult_ = true;
}

std::string TRzCalculatorEngine::DisplayText(char decimalSeparator) const {
  if (error_) return "E";
  const long double value = showResult_ ? result_ : entry_;
  std::string text;
  if (decimals_ < 2) {
    text = FloatToStr(value);
  } else {
    // Typed fraction digits stay visible, trailing zeros included, within the precision.
    const int room = kSignificantDigits - IntegerDigits(value);
    text = FormatFixed(value, room < decimals_ - 1 ? (room < 0 ? 0 : room) : decimals_ - 1);
  }
  const std::size_t point = text.find('.');
  if (point == std::string::npos)
    text += decimalSeparator;
  else
    text[point] = decimalSeparator;
  return text;
}

}  // namespace kovra
