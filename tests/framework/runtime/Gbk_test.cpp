#include <gtest/gtest.h>

#include "framework/runtime/Text.h"

namespace kovra {
namespace {

TEST(Gbk, ConvertsTheProgramsChineseNames) {
  EXPECT_EQ(Utf8ToGbk("中文"), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(Utf8ToGbk("股票代码表.ini"), "\xB9\xC9\xC6\xB1\xB4\xFA\xC2\xEB\xB1\xED.ini");
  EXPECT_EQ(GbkToUtf8("\xB4\xFA\xC2\xEB\xB1\xED"), "代码表");
  EXPECT_EQ(GbkToUtf16("[\xC5\xE4\xD6\xC3]"), u"[配置]");
  EXPECT_EQ(Utf16ToGbk(u"下单价格浮动=3"), Utf8ToGbk("下单价格浮动=3"));
}

TEST(Gbk, FollowsWindowsWhereGbkVariantsDiffer) {
  EXPECT_EQ(GbkToUtf16("\x80"), u"\u20AC");  // euro sign as a single byte
  EXPECT_EQ(Utf8ToGbk("\u20AC"), "\x80");
  EXPECT_EQ(GbkToUtf16("\xFF"), u"\uF8F5");
  EXPECT_EQ(GbkToUtf16("\xA1\xA4"), u"\u00B7");  // middle dot, not katakana middle dot
  EXPECT_EQ(GbkToUtf16("\xA1\xAA"), u"\u2014");
  EXPECT_EQ(GbkToUtf16("\xAA\xA1\xFE\xFE\xA1\x40"), u"\uE000\uE4C5\uE4C6");  // user areas
  // Codes that a later standard gave real characters stay Private Use on Windows.
  EXPECT_EQ(GbkToUtf16("\xA8\xBF\xFE\x50"), u"\uE7C8\uE815");
  EXPECT_EQ(Utf16ToGbk(u"\u01F9\u2E81\u30FB"), "???");
}

TEST(Gbk, EveryTwoByteCodeRoundTrips) {
  int codes = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string text = GbkToUtf16(code);
      ASSERT_EQ(text.size(), 1u) << std::hex << lead << trail;
      ASSERT_NE(text[0], u'\uFFFD') << std::hex << lead << trail;
      ASSERT_EQ(Utf16ToGbk(text), code) << std::hex << lead << trail;
      ++codes;
    }
  }
  EXPECT_EQ(codes, 23940);
}

TEST(Gbk, BrokenPairsNeverSwallowTheNextByte) {
  EXPECT_EQ(GbkToUtf16("\x81"), u"\uFFFD");      // cut short
  EXPECT_EQ(GbkToUtf16("\xB9=1"), u"\uFFFD=1");  // ASCII after a lead byte
  EXPECT_EQ(GbkToUtf16("\xB9\x7F\xB9\xC9"), u"\uFFFD\x7F股");
  EXPECT_EQ(GbkToUtf16("\xB9\xFF"), u"\uFFFD\uF8F5");
  EXPECT_EQ(GbkToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Gbk, CharactersOutsideGbkBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                      "b"),
            "a?b");                                // one '?' for an astral character
  EXPECT_EQ(Utf16ToGbk(u"\xD800x\xDC00"), "?x?");  // lone surrogates
  EXPECT_EQ(Utf8ToGbk("\xC0\xAF"), "??");          // ill-formed UTF-8
  EXPECT_EQ(Utf8ToGbk(std::string("\0", 1)), std::string("\0", 1));
}

}  // namespace
}  // namespace kovra
