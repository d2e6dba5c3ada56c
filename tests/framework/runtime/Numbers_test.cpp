#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/runtime/Numbers.h"

namespace kovra {
namespace {

constexpr long double kNan = std::numeric_limits<long double>::quiet_NaN();
constexpr long double kInf = std::numeric_limits<long double>::infinity();

TEST(FormatFloat, SettingsWindowFormats) {
  EXPECT_EQ(FormatFloat(",0;(,0)", 12345), "12,345");
  EXPECT_EQ(FormatFloat(",0;(,0)", -12345), "(12,345)");
  EXPECT_EQ(FormatFloat(",0;(,0)", 0), "0");
  EXPECT_EQ(FormatFloat("0.00;-,0.00", 2), "2.00");
  EXPECT_EQ(FormatFloat("0.00;-,0.00", 1234.5), "1234.50");
  EXPECT_EQ(FormatFloat("0.00;-,0.00", -1234.5), "-1,234.50");
  EXPECT_EQ(FormatFloat("#,##0", 1234567890), "1,234,567,890");
  EXPECT_EQ(FormatFloat("#,##0", 999), "999");
  EXPECT_EQ(FormatFloat(",0", 100000), "100,000");
}

TEST(FormatFloat, RoundsToTheShownDecimalsHalfAwayFromZero) {
  EXPECT_EQ(FormatFloat("0.00", 10.305), "10.31");  // binary value lies just below
  EXPECT_EQ(FormatFloat("0.00", -10.305), "-10.31");
  EXPECT_EQ(FormatFloat("0.00", 2.675), "2.68");
  EXPECT_EQ(FormatFloat("0", 2.5), "3");
  EXPECT_EQ(FormatFloat("0.0", 9.96), "10.0");
  EXPECT_EQ(FormatFloat(",0", 999999.5), "1,000,000");
  EXPECT_EQ(FormatFloat("0.00", 0.1 + 0.2), "0.30");
}

TEST(FormatFloat, OptionalAndRequiredDigits) {
  EXPECT_EQ(FormatFloat("0.##", 1), "1");
  EXPECT_EQ(FormatFloat("0.##", 1.5), "1.5");
  EXPECT_EQ(FormatFloat("0.0#", 1), "1.0");
  EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
  EXPECT_EQ(FormatFloat("000", 7), "007");
  EXPECT_EQ(FormatFloat("#", 0), "");
  EXPECT_EQ(FormatFloat(".00", 12.5), "12.50");  // no integer places: digits still shown
  EXPECT_EQ(FormatFloat("00", 12345), "12345");  // surplus digits are never dropped
}

TEST(FormatFloat, ValuesRoundingToZeroUseTheZeroSectionWithoutSign) {
  EXPECT_EQ(FormatFloat("0.00", -0.001), "0.00");
  EXPECT_EQ(FormatFloat(",0;(,0)", -0.4), "0");
  EXPECT_EQ(FormatFloat("0.00;(0.00);'nil'", -0.004), "nil");
  EXPECT_EQ(FormatFloat("0.00;(0.00);'nil'", 0.004), "nil");
  EXPECT_EQ(FormatFloat("0.00;(0.00);'nil'", 0.005), "0.01");
  EXPECT_EQ(FormatFloat("0.0;;zero", -1.25), "-1.3");  // empty negative section: first + minus
}

TEST(FormatFloat, LiteralsAndQuotedText) {
  EXPECT_EQ(FormatFloat("0.00 '%'", 3), "3.00 %");
  EXPECT_EQ(FormatFloat("\"Total: \"#,##0", 1234), "Total: 1,234");
  EXPECT_EQ(FormatFloat("'a;b' 0;'neg' 0", -5), "neg 5");  // ';' inside quotes
  EXPECT_EQ(FormatFloat("'#0' 0", 5), "#0 5");
  EXPECT_EQ(FormatFloat("$0.00", -5), "-$5.00");
  EXPECT_EQ(FormatFloat("0-00", 12345), "123-45");
}

TEST(FormatFloat, Exponents) {
  EXPECT_EQ(FormatFloat("0.00E+00", 12345), "1.23E+04");
  EXPECT_EQ(FormatFloat("0.00E+00", 0.00012345), "1.23E-04");
  EXPECT_EQ(FormatFloat("0.00E-00", 12345), "1.23E04");
  EXPECT_EQ(FormatFloat("0.00e-0", 0.00012345), "1.23e-4");
  EXPECT_EQ(FormatFloat("0.00E+00", -9.999), "-1.00E+01");
  EXPECT_EQ(FormatFloat("00.0E+0", 12345), "12.3E+3");
  EXPECT_EQ(FormatFloat("0.0E+0", 0), "0.0E+0");
  EXPECT_EQ(FormatFloat("0.0E+0", 1e300), "1.0E+300");
}

TEST(FormatFloat, HugeValuesAndNonFiniteValues) {
  EXPECT_EQ(FormatFloat(",0", 1e20), "1E20");
  EXPECT_EQ(FormatFloat("0.00", -1e300), "-1E300");
  EXPECT_EQ(FormatFloat(",0", 1e17), "100,000,000,000,000,000");
  EXPECT_EQ(FormatFloat("0.00", kNan), "NAN");
  EXPECT_EQ(FormatFloat("0.00", -kInf), "-INF");
  EXPECT_EQ(FormatFloat("", 2.5), "2.5");
}

TEST(FormatFloat, UsesTheGivenSeparators) {
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  fs.ThousandSeparator = '.';
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, fs), "1.234,50");
}

TEST(FloatToStr, ShortestGeneralForm) {
  EXPECT_EQ(FloatToStr(3), "3");
  EXPECT_EQ(FloatToStr(2.5), "2.5");
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FloatToStr(-0.25), "-0.25");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");  // 15 significant digits
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_EQ(FloatToStr(0.00001), "1E-5");
  EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(999999999999999.0), "999999999999999");
  EXPECT_EQ(FloatToStr(1e15), "1E15");
  EXPECT_EQ(FloatToStr(123456789012345678.0), "1.23456789012346E17");
  EXPECT_EQ(FloatToStr(1e4000L), "1E4000");
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(-0.0), "0");
  EXPECT_EQ(FloatToStr(kNan), "NAN");
  EXPECT_EQ(FloatToStr(kInf), "INF");
  EXPECT_EQ(FloatToStr(-kInf), "-INF");
}

TEST(FormatFixed, RoundsTheShortestDecimalForm) {
  EXPECT_EQ(FormatFixed(10.3, 2), "10.30");
  EXPECT_EQ(FormatFixed(10.305, 2), "10.31");
  EXPECT_EQ(FormatFixed(1.005, 2), "1.01");
  EXPECT_EQ(FormatFixed(-2.5, 0), "-3");
  EXPECT_EQ(FormatFixed(-0.004, 2), "0.00");
  EXPECT_EQ(FormatFixed(0.05, 1), "0.1");
  EXPECT_EQ(FormatFixed(99.995, 2), "100.00");
  EXPECT_EQ(FormatFixed(123, 0), "123");
  EXPECT_EQ(FormatFixed(1e20, 1), "100000000000000000000.0");
}

TEST(IntegerText, DecimalAndHexadecimal) {
  EXPECT_EQ(IntToStr(-16777201), "-16777201");
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(TryStrToInt64("  -42 "), -42);
  EXPECT_EQ(TryStrToInt64("+7"), 7);
  EXPECT_EQ(TryStrToInt64("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(TryStrToInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(TryStrToInt64("9223372036854775808"), std::nullopt);
  EXPECT_EQ(TryStrToInt64("99999999999999999999999"), std::nullopt);
  for (const char* bad : {"", " ", "-", "1 2", "12a", "1.0", "0x10", "--1", "1e3"}) {
    EXPECT_EQ(TryStrToInt64(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(TryHexToInt64("FF"), 255);
  EXPECT_EQ(TryHexToInt64("ff00000f"), 0xFF00000F);
  EXPECT_EQ(TryHexToInt64("FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(TryHexToInt64("00000000000000000001"), 1);
  EXPECT_EQ(TryHexToInt64("10000000000000000"), std::nullopt);
  EXPECT_EQ(TryHexToInt64(""), std::nullopt);
  EXPECT_EQ(TryHexToInt64("G"), std::nullopt);
  EXPECT_EQ(TryHexToInt64(" 1"), std::nullopt);
}

TEST(TryStrToFloat, AcceptsOnlyWholeNumbers) {
  EXPECT_EQ(TryStrToFloat("2.5"), 2.5L);
  EXPECT_EQ(TryStrToFloat("  -3 "), -3.0L);
  EXPECT_EQ(TryStrToFloat("+.5"), 0.5L);
  EXPECT_EQ(TryStrToFloat("5."), 5.0L);
  EXPECT_EQ(TryStrToFloat("1.5E-3"), static_cast<long double>(1.5e-3));
  EXPECT_EQ(TryStrToFloat("-2e+2"), -200.0L);
  EXPECT_EQ(TryStrToFloat("1e-400"), 0.0L);  // too small: zero
  EXPECT_EQ(TryStrToFloat("0.000000000000000000000000000000000000000000000001e-400"), 0.0L);
  EXPECT_EQ(TryStrToFloat("1e400"), std::nullopt);
  EXPECT_EQ(TryStrToFloat("1e99999999999999999999"), std::nullopt);
  for (const char* bad : {"", "abc", ".", "-", "1,5", "1,000.5", "1e", "1e+", "e5", "1.2.3", "12-3",
                          "0x10", "nan", "inf", "1 000", "3.0%"}) {
    EXPECT_EQ(TryStrToFloat(bad), std::nullopt) << bad;
  }
}

TEST(TryStrToFloat, UsesTheSettingsSeparatorNotTheLocale) {
  TFormatSettings comma;
  comma.DecimalSeparator = ',';
  EXPECT_EQ(TryStrToFloat("12,34", comma), static_cast<long double>(12.34));
  EXPECT_EQ(TryStrToFloat("12.34", comma), std::nullopt);
  EXPECT_EQ(TryStrToFloat("12.34"), static_cast<long double>(12.34));
}

TEST(FormatDateTime, FieldsAndLiterals) {
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", 2026, 3, 7, 9, 5, 2), "2026-03-07 09:05:02");
  EXPECT_EQ(FormatDateTime("yy/m/d h:n:s", 2026, 3, 7, 9, 5, 2), "26-3-7 9:5:2");
  EXPECT_EQ(FormatDateTime("hh:mm", 2026, 3, 7, 9, 5, 2), "09:05");  // minutes after an hour
  EXPECT_EQ(FormatDateTime("'day' d 'of' mm", 2026, 12, 31, 0, 0, 0), "day 31 of 12");
}

}  // namespace
}  // namespace kovra
