// The pocket calculator's arithmetic and display state, apart from its window: entry, pending
// operator, result and error, and the text the display shows. Free of the Windows API.
#pragma once

#include <cstdint>
#include <string>

namespace kovra {

enum TRzCalcOperator : std::uint8_t { coNone, coAdd, coSubtract, coMultiply, coDivide };

class TRzCalculatorEngine {
 public:
  TRzCalculatorEngine() { Clear(); }

  // Each returns true when the display may have changed. Only Clear and SetResult act in the
  // error state.
  bool Digit(int digit);
  bool DecimalPoint();
  bool Operator(TRzCalcOperator op);
  bool Equals();
  void Clear();
  // The set button and Enter in popup mode: a pending operation or a typed entry is completed
  // first, once.
  void CompleteForSet();

  long double Result() const { return result_; }
  // Writing a different value makes it result and entry, with nothing pending.
  void SetResult(long double value);
  long double Entry() const { return entry_; }
  TRzCalcOperator PendingOperator() const { return operator_; }
  bool Error() const { return error_; }
  bool NewEntry() const { return newEntry_; }
  int DecimalCounter() const { return decimals_; }

  // "E" in the error state; otherwise the shown number, always with a decimal separator.
  std::string DisplayText(char decimalSeparator = '.') const;

 private:
  void ApplyPending();
  void Compute();
  void Fail() { error_ = true; }

  long double entry_ = 0;
  int decimals_ = 0;  // 0 none, 1 point typed, n > 1: n - 1 fraction digits typed
  TRzCalcOperator operator_ = coNone;
  long double result_ = 0;
  bool newEntry_ = true;
  bool operandApplied_ = true;
  bool showResult_ = true;
  bool error_ = false;
};

}  // namespace kovra
