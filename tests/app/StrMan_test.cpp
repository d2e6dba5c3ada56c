#include "app/StrMan.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

std::string Extract(std::string_view text) {
  return StringManager.ExtractBetween('[', ']', 1, text);
}

TEST(FindBracketed, ReportsTheInsideOfTheFirstCompletePair) {
  int start = 1, end = 0;
  EXPECT_EQ(StringManager.FindBracketed('[', ']', start, end, "ab[600000]c"), 4);
  EXPECT_EQ(start, 4);
  EXPECT_EQ(end, 9);

  start = 5;  // a start inside the first pair skips its opening bracket
  EXPECT_EQ(StringManager.FindBracketed('[', ']', start, end, "[x][yz]"), -1);
  start = 4;
  EXPECT_EQ(StringManager.FindBracketed('[', ']', start, end, "[x][yz]"), 5);
  EXPECT_EQ(end, 6);
}

TEST(FindBracketed, FailsWithMinusOneAndLeavesStartAlone) {
  int start = 1, end = 7;
  EXPECT_EQ(StringManager.FindBracketed('[', ']', start, end, "x]y[600000]"), -1);
  EXPECT_EQ(end, -1);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(StringManager.FindBracketed('\0', ']', start, end, "[1]"), -1);
  start = -3;  // below 1 counts as 1
  EXPECT_EQ(StringManager.FindBracketed('[', ']', start, end, "[1]"), 2);
}

TEST(FindBracketed, SameCharacterServesAsBothBrackets) {
  int start = 1, end = 0;
  EXPECT_EQ(StringManager.FindBracketed('|', '\0', start, end, "a|bc|d"), 3);
  EXPECT_EQ(end, 4);
}

TEST(ExtractBetween, FollowsTheTitleRules) {
  EXPECT_EQ(Extract("大智慧 - 浦发银行[600000]"), "600000");
  EXPECT_EQ(Extract("x]y[600000]"), "");  // a closing bracket first ends the search
  EXPECT_EQ(Extract("[60[0]00]"), "60[0]00");
  EXPECT_EQ(Extract("A[x[y]z]B"), "x[y]z");
  EXPECT_EQ(Extract("[600000"), "");
  EXPECT_EQ(Extract("[]"), "");
  EXPECT_EQ(Extract(""), "");
  EXPECT_EQ(Extract("[中国平安]"), "中国平安");
}

TEST(ExtractBetween, MultiByteCharactersNeverActAsBrackets) {
  // In GBK, 誡 is D5 5D and 奫 is 8A 5B: their second bytes are ']' and '['. In UTF-8 every
  // byte of a CJK character is above 0x7F, so only real brackets count.
  EXPECT_EQ(Extract("[誡600000]"), "誡600000");
  EXPECT_EQ(Extract("奫[600036]"), "600036");
  EXPECT_EQ(Extract("誡[600036]"), "600036");
}

TEST(TrimText, RemovesBlanksAndControlBytesAtBothEndsOnly) {
  EXPECT_EQ(StringManager.TrimText(" \t600000 浦发\r\n"), "600000 浦发");
  EXPECT_EQ(StringManager.TrimText(std::string("\x01\x20\x00", 3)), "");
  EXPECT_EQ(StringManager.TrimText("中文"), "中文");  // lead bytes above 0x7F stay
  EXPECT_EQ(StringManager.TrimText(""), "");
}

}  // namespace
}  // namespace kovra
