#include "app/ConfigValues.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

TEST(IniInteger, ReadsDecimalAndPrefixedHexadecimal) {
  EXPECT_EQ(IniInteger("100", 7), 100);
  EXPECT_EQ(IniInteger("-16777201", 7), -16777201);
  EXPECT_EQ(IniInteger("0xFF", 7), 255);
  EXPECT_EQ(IniInteger("0Xff", 7), 255);
  EXPECT_EQ(IniInteger("0xFF00000F", 7), -16777201);  // the stored colour's bits
  EXPECT_EQ(IniInteger("0xFFFFFFFF", 7), -1);
}

TEST(IniInteger, AnythingElseGivesTheDefault) {
  for (const char* text :
       {"", "abc", "0x", "0xG1", "0x100000000", "12abc", "2147483648", "-2147483649", "1.5"}) {
    EXPECT_EQ(IniInteger(text, -7), -7) << text;
  }
  EXPECT_EQ(IniInteger("-2147483648", 0), INT32_MIN);
  EXPECT_EQ(IniInteger("0", 5), 0);  // a short "0x"-less text stays decimal
}

TEST(IniFloat, ReadsPlainNumbersWithAPointAndDefaultsOtherwise) {
  EXPECT_EQ(IniFloat("2.5", 3.0), 2.5);
  EXPECT_EQ(IniFloat("-1", 3.0), -1.0);
  EXPECT_EQ(IniFloat("abc", 3.0), 3.0);
  EXPECT_EQ(IniFloat("", 3.0), 3.0);
  EXPECT_EQ(IniFloat("2,5", 3.0), 3.0);
  EXPECT_EQ(IniFloat("1e999", 3.0), 3.0);  // an infinite offset would make every price unknown
}

TEST(IniFloat, WritesTheShortestForm) {
  EXPECT_EQ(IniFloatText(3.0), "3");
  EXPECT_EQ(IniFloatText(2.5), "2.5");
  EXPECT_EQ(IniFloatText(0.1), "0.1");
  EXPECT_EQ(IniFloat(IniFloatText(1.0 / 3), 0), 0.333333333333333);
}

TEST(IniFlag, TakesTheLowestByteAndWritesOneOrZero) {
  EXPECT_TRUE(IniFlag("2", false));
  EXPECT_FALSE(IniFlag("256", true));
  EXPECT_TRUE(IniFlag("257", false));
  EXPECT_TRUE(IniFlag("-1", false));
  EXPECT_FALSE(IniFlag("0", true));
  EXPECT_TRUE(IniFlag("", true));
  EXPECT_FALSE(IniFlag("yes", false));
  EXPECT_EQ(IniFlagText(IniFlag("2", false)), "1");
  EXPECT_EQ(IniFlagText(false), "0");
}

TEST(ClampReadyWait, KeepsTheWaitBetweenHalfASecondAndTenSeconds) {
  EXPECT_EQ(ClampReadyWait(3000), 3000);
  EXPECT_EQ(ClampReadyWait(500), 500);
  EXPECT_EQ(ClampReadyWait(499), 500);
  EXPECT_EQ(ClampReadyWait(0), 500);
  EXPECT_EQ(ClampReadyWait(-20), 500);
  EXPECT_EQ(ClampReadyWait(10001), 10000);
  EXPECT_EQ(ClampReadyWait(INT32_MAX), 10000);
}

}  // namespace
}  // namespace kovra
