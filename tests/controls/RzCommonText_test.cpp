#include "controls/RzCommonText.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

TEST(StripAccelerators, DropsSingleAmpersandsAndHalvesDoubledOnes) {
  EXPECT_EQ(StripAccelerators("&Open"), "Open");
  EXPECT_EQ(StripAccelerators("Save && Exit"), "Save & Exit");
  EXPECT_EQ(StripAccelerators("&&&x"), "&x");
  EXPECT_EQ(StripAccelerators("融&买"), "融买");
  EXPECT_EQ(StripAccelerators("&"), "&");
  EXPECT_EQ(StripAccelerators("a&"), "a&");
  EXPECT_EQ(StripAccelerators(""), "");
}

TEST(IsAccelerator, TheCharacterAfterTheFirstSingleAmpersandInEitherCase) {
  EXPECT_TRUE(IsAccelerator(L'o', "&Open"));
  EXPECT_TRUE(IsAccelerator(L'O', "&open"));
  EXPECT_FALSE(IsAccelerator(L'p', "&Open"));
  EXPECT_TRUE(IsAccelerator(L'b', "a&&b &bc"));  // the doubled one is a literal '&'
  EXPECT_FALSE(IsAccelerator(L'b', "a&&b"));
  EXPECT_TRUE(IsAccelerator(L'买', "融&买"));
  EXPECT_FALSE(IsAccelerator(L'x', "x&"));
  EXPECT_FALSE(IsAccelerator(L'x', ""));
}

TEST(FirstNonBlankChar, SkipsBlanksAndControlCharacters) {
  EXPECT_EQ(FirstNonBlankChar(" \t\r\n x"), 'x');
  EXPECT_EQ(FirstNonBlankChar("   "), '\0');
  EXPECT_EQ(FirstNonBlankChar(""), '\0');
}

}  // namespace
}  // namespace kovra
