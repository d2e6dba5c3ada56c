#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "controls/RzNumericLogic.h"

namespace kovra {
namespace {

TEST(NumericTextToValue, ReadsDisplayTextsBack) {
  EXPECT_EQ(NumericTextToValue("(12,345)", true), -12345);
  EXPECT_EQ(NumericTextToValue("12,345", true), 12345);
  EXPECT_EQ(NumericTextToValue("+5", true), 5);
  EXPECT_EQ(NumericTextToValue("  7  ", true), 7);
  EXPECT_EQ(NumericTextToValue("-1,234.50", true), -1234.5L);
  EXPECT_EQ(NumericTextToValue("", true), 0);
  EXPECT_EQ(NumericTextToValue("abc", true), 0);
  EXPECT_EQ(NumericTextToValue("(", true), 0);
  EXPECT_EQ(NumericTextToValue("-", false), 0);
}

TEST(NumericTextToValue, BracketsCountOnlyWhenTheyCloseTheText) {
  EXPECT_EQ(NumericTextToValue("(5", true), 5);
  EXPECT_EQ(NumericTextToValue("(5)x", true), 5);
}

TEST(NumericTextToValue, ExponentsAndStrayMinusSigns) {
  EXPECT_NEAR(static_cast<double>(NumericTextToValue("1.5E-3", true)), 0.0015, 1e-15);
  EXPECT_EQ(NumericTextToValue("-2E2", true), -200);
  EXPECT_EQ(NumericTextToValue("12-3", true), 123);
  EXPECT_EQ(NumericTextToValue("12-3", false), 0);
  EXPECT_EQ(NumericTextToValue("1E5", false), 15);  // the letter is dropped, not read
  EXPECT_EQ(NumericTextToValue("1E99999", true), 0);
  EXPECT_EQ(NumericTextToValue("2,5", true, ','), 2.5L);
}

TRzNumericRules Integers() {
  return {};
}
TRzNumericRules Decimals() {
  TRzNumericRules r;
  r.integersOnly = false;
  return r;
}

TEST(IsValidNumericChar, IntegerEditsTakeDigitsAndSignsOnly) {
  EXPECT_TRUE(IsValidNumericChar(u'7', u"12", 2, 0, Integers()));
  EXPECT_FALSE(IsValidNumericChar(u'.', u"12", 2, 0, Integers()));
  EXPECT_FALSE(IsValidNumericChar(u'E', u"12", 2, 0, Integers()));
  EXPECT_FALSE(IsValidNumericChar(u'x', u"12", 2, 0, Integers()));
  EXPECT_FALSE(IsValidNumericChar(u'\r', u"12", 2, 0, Integers()));
  EXPECT_TRUE(IsValidNumericChar(u'\b', u"12", 2, 0, Integers()));
}

TEST(IsValidNumericChar, SignsGoInFrontOnceAndNothingGoesBeforeThem) {
  EXPECT_TRUE(IsValidNumericChar(u'-', u"5", 0, 0, Integers()));
  EXPECT_FALSE(IsValidNumericChar(u'-', u"5", 1, 0, Integers()));
  EXPECT_FALSE(IsValidNumericChar(u'+', u"-5", 0, 0, Integers()));
  EXPECT_TRUE(IsValidNumericChar(u'+', u"-5", 0, 1, Integers()));  // replaces the sign
  EXPECT_TRUE(IsValidNumericChar(u'+', u"-5", 0, 2, Integers()));  // replaces everything
  EXPECT_FALSE(IsValidNumericChar(u'3', u"-5", 0, 0, Integers()));
  EXPECT_TRUE(IsValidNumericChar(u'3', u"-5", 0, 1, Integers()));
  EXPECT_TRUE(IsValidNumericChar(u'3', u"-5", 1, 0, Integers()));
}

TEST(IsValidNumericChar, OneDecimalSeparatorUnlessTheSelectionHoldsIt) {
  EXPECT_TRUE(IsValidNumericChar(u'.', u"12", 1, 0, Decimals()));
  EXPECT_FALSE(IsValidNumericChar(u'.', u"1.2", 3, 0, Decimals()));
  EXPECT_TRUE(IsValidNumericChar(u'.', u"1.2", 1, 1, Decimals()));
  EXPECT_TRUE(IsValidNumericChar(u'e', u"1.2", 3, 0, Decimals()));
  TRzNumericRules noExponent = Decimals();
  noExponent.allowScientificNotation = false;
  EXPECT_FALSE(IsValidNumericChar(u'e', u"1.2", 3, 0, noExponent));
  // No position rules without IntegersOnly.
  EXPECT_TRUE(IsValidNumericChar(u'3', u"-5", 0, 0, Decimals()));
}

TEST(IsValidNumericChar, SelectionsOutsideTheTextAreHeldInside) {
  EXPECT_TRUE(IsValidNumericChar(u'1', u"12", 40, 9, Integers()));
  EXPECT_TRUE(IsValidNumericChar(u'1', u"", -3, -1, Integers()));
  EXPECT_FALSE(IsValidNumericChar(u'.', u"1.2", 9, 9, Decimals()));
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5L), 2);
  EXPECT_EQ(RoundHalfEven(3.5L), 4);
  EXPECT_EQ(RoundHalfEven(-2.5L), -2);
  EXPECT_EQ(RoundHalfEven(-3.5L), -4);
  EXPECT_EQ(RoundHalfEven(2.6L), 3);
  EXPECT_EQ(RoundHalfEven(-0.4L), 0);
}

TEST(RoundHalfEven, OutOfRangeSaturatesInsteadOfOverflowing) {
  EXPECT_EQ(RoundHalfEven(1e30L), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(RoundHalfEven(-1e30L), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(RoundHalfEven(std::numeric_limits<long double>::quiet_NaN()), 0);
  EXPECT_EQ(RoundHalfEven(std::numeric_limits<long double>::infinity()),
            std::numeric_limits<std::int64_t>::max());
}

TEST(CheckNumericRange, EqualBoundsCheckOnlyOnRequest) {
  EXPECT_EQ(CheckNumericRange(5, 0, 0, false), rvInside);
  EXPECT_EQ(CheckNumericRange(5, 0, 0, true), rvAbove);
  EXPECT_EQ(CheckNumericRange(-5, 0, 0, true), rvBelow);
  EXPECT_EQ(CheckNumericRange(15, 1, 10, false), rvAbove);
  EXPECT_EQ(CheckNumericRange(0, 1, 10, false), rvBelow);
  EXPECT_EQ(CheckNumericRange(10, 1, 10, false), rvInside);
}

}  // namespace
}  // namespace kovra
