#include "framework/runtime/Text.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

TEST(Utf8Utf16, RoundTripsChineseAndAstralCharacters) {
  const std::string text = "融买 ¥ \xF0\x9F\x98\x80";
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide, u"融买 ¥ \U0001F600");
  EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(Utf8Utf16, IllFormedInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xC0\xAF" "b"), u"a\uFFFD\uFFFDb");  // overlong '/'
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xE4\xB8"), u"\uFFFD");                // cut short
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");          // lone surrogate
}

TEST(TextHelpers, TrimAndCaseInsensitiveAsciiComparison) {
  EXPECT_EQ(Trim(" \t 600000 \r\n"), "600000");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_TRUE(EqualsIgnoreAsciiCase("MainWindow", "mainwindow"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("Config", "Confi"));
}

}  // namespace
}  // namespace kovra
