#include <gtest/gtest.h>

#include <string>

#include "controls/RzCalculatorLogic.h"

namespace kovra {
namespace {

// Presses keys as the calculator's buttons: digits, ".", "+-*/", "=", "C".
std::string Press(TRzCalculatorEngine& calc, std::string_view keys) {
  for (char k : keys) {
    switch (k) {
      case '.':
        calc.DecimalPoint();
        break;
      case '+':
        calc.Operator(coAdd);
        break;
      case '-':
        calc.Operator(coSubtract);
        break;
      case '*':
        calc.Operator(coMultiply);
        break;
      case '/':
        calc.Operator(coDivide);
        break;
      case '=':
        calc.Equals();
        break;
      case 'C':
        calc.Clear();
        break;
      default:
        calc.Digit(k - '0');
        break;
    }
  }
  return calc.DisplayText();
}

TEST(RzCalculatorEngine, EqualsRepeatsTheLastOperation) {
  TRzCalculatorEngine calc;
  EXPECT_EQ(Press(calc, "5+3="), "8.");
  EXPECT_EQ(Press(calc, "="), "11.");
  EXPECT_EQ(Press(calc, "="), "14.");
  EXPECT_EQ(calc.Result(), 14);
}

TEST(RzCalculatorEngine, ChainedOperatorsShowTheRunningResult) {
  TRzCalculatorEngine calc;
  EXPECT_EQ(Press(calc, "5+3"), "3.");
  EXPECT_EQ(Press(calc, "+"), "8.");
  EXPECT_EQ(Press(calc, "2="), "10.");
  EXPECT_EQ(Press(calc, "C12*3-6/5="), "6.");
}

TEST(RzCalculatorEngine, OperatorAfterEqualsContinuesFromTheResult) {
  TRzCalculatorEngine calc;
  Press(calc, "5+3=");
  EXPECT_EQ(Press(calc, "*2="), "16.");
}

TEST(RzCalculatorEngine, DivisionByZeroIsAnErrorUntilCleared) {
  TRzCalculatorEngine calc;
  EXPECT_EQ(Press(calc, "1/0="), "E");
  EXPECT_TRUE(calc.Error());
  EXPECT_EQ(Press(calc, "7+2=."), "E");
  EXPECT_EQ(Press(calc, "C"), "0.");
  EXPECT_EQ(Press(calc, "7+2="), "9.");
}

TEST(RzCalculatorEngine, WritingTheResultLeavesTheErrorState) {
  TRzCalculatorEngine calc;
  Press(calc, "4/0=");
  calc.SetResult(2.5L);
  EXPECT_FALSE(calc.Error());
  EXPECT_EQ(calc.DisplayText(), "2.5");
  EXPECT_EQ(Press(calc, "*4="), "10.");
}

TEST(RzCalculatorEngine, OverflowIsAnError) {
  TRzCalculatorEngine big;
  big.SetResult(1e4930L);
  EXPECT_EQ(Press(big, "*1000="), "E");
  TRzCalculatorEngine digits;
  for (int i = 0; i < 6000 && !digits.Error(); ++i) digits.Digit(9);
  EXPECT_TRUE(digits.Error());
}

TEST(RzCalculatorEngine, WritingTheSameResultKeepsThePendingOperation) {
  TRzCalculatorEngine calc;
  calc.SetResult(3);
  Press(calc, "*");
  calc.SetResult(3);
  EXPECT_EQ(Press(calc, "4="), "12.");
}

TEST(RzCalculatorEngine, DecimalPointStartsAFractionOnce) {
  TRzCalculatorEngine calc;
  EXPECT_EQ(Press(calc, "."), "0.");
  EXPECT_EQ(Press(calc, "5"), "0.5");
  EXPECT_EQ(Press(calc, "."), "0.5");
  EXPECT_EQ(Press(calc, "0"), "0.50");
  EXPECT_EQ(Press(calc, "+1.25="), "1.75");
}

TEST(RzCalculatorEngine, NegativeResultAndFreshPositiveEntry) {
  TRzCalculatorEngine calc;
  EXPECT_EQ(Press(calc, "7-9="), "-2.");
  EXPECT_EQ(Press(calc, "4"), "4.");
  EXPECT_EQ(calc.Entry(), 4);
  EXPECT_EQ(Press(calc, "3"), "43.");
}

TEST(RzCalculatorEngine, SetCompletesAPendingOperationOnlyOnce) {
  TRzCalculatorEngine calc;
  Press(calc, "6*7");
  calc.CompleteForSet();
  EXPECT_EQ(calc.Result(), 42);
  Press(calc, "=");  // the entry was applied: "=" repeats it
  EXPECT_EQ(calc.Result(), 294);
  calc.CompleteForSet();
  EXPECT_EQ(calc.Result(), 294);
}

TEST(RzCalculatorEngine, SetTakesAnEntryTypedOverTheStartingValue) {
  TRzCalculatorEngine calc;
  calc.SetResult(12);
  Press(calc, "7");
  calc.CompleteForSet();
  EXPECT_EQ(calc.Result(), 7);
  calc.SetResult(12);
  Press(calc, "+3");
  calc.CompleteForSet();
  EXPECT_EQ(calc.Result(), 15);
  calc.SetResult(12);
  calc.CompleteForSet();  // nothing typed: the value stays
  EXPECT_EQ(calc.Result(), 12);
}

TEST(RzCalculatorEngine, DisplayUsesTheGivenSeparatorAndKeepsPrecision) {
  TRzCalculatorEngine calc;
  Press(calc, "12.5");
  EXPECT_EQ(calc.DisplayText(','), "12,5");
  Press(calc, "C1.");
  for (int i = 0; i < 30; ++i) calc.Digit(1);
  const std::string text = calc.DisplayText();
  EXPECT_LE(text.size(), 17u);  // 15 significant digits, point and no more
  EXPECT_EQ(text.substr(0, 6), "1.1111");
}

}  // namespace
}  // namespace kovra
