// The watcher's reading of hostile quote titles: whatever another program puts in its title, the
// key is the text of the first complete outermost bracket pair, never more, and nothing fails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/StockCode.h"
#include "app/StrMan.h"
#include "framework/runtime/Text.h"

namespace kovra {
namespace {

// The characters of code page 936 whose second byte is the code of `trail` ('[' or ']').
std::string GbkWithTrail(char trail, int count) {
  std::string text;
  for (int lead = 0x81; lead <= 0xFE && count > 0; ++lead) {
    const std::string utf8 = GbkToUtf8(std::string{static_cast<char>(lead), trail});
    if (utf8.find('[') != std::string::npos || utf8.find(']') != std::string::npos) continue;
    if (utf8.find("\xEF\xBF\xBD") != std::string::npos) continue;
    text += utf8;
    --count;
  }
  return text;
}

std::optional<TCodeChange> Watch(std::string_view title, std::vector<std::string>* looked) {
  return WatchTitle(title, "before", [looked](const std::string& key) {
    if (looked) looked->push_back(key);
    return "value of " + key;
  });
}

TEST(TitleFault, GbkCharactersWhoseSecondByteIsABracketAreNotBrackets) {
  const std::string open = GbkWithTrail('[', 6);
  const std::string close = GbkWithTrail(']', 6);
  ASSERT_FALSE(open.empty());
  ASSERT_FALSE(close.empty());
  // Their GBK form does hold the bracket bytes: a byte scan over GBK would misread them.
  ASSERT_NE(Utf8ToGbk(open).find('['), std::string::npos);
  ASSERT_NE(Utf8ToGbk(close).find(']'), std::string::npos);

  std::vector<std::string> looked;
  const auto change =
      Watch("大智慧 " + close + open + " - [" + open + "600000" + close + "]" + close, &looked);
  ASSERT_TRUE(change);
  EXPECT_EQ(change->TitleCode, open + "600000" + close);
  EXPECT_EQ(looked, std::vector<std::string>{open + "600000" + close});
}

TEST(TitleFault, UnbalancedAndNestedBracketsGiveTheOutermostCompletePairOrNothing) {
  const struct {
    const char* title;
    const char* key;
  } cases[] = {
      {"no brackets at all", ""},
      {"[[600000]", ""},
      {"[600000", ""},
      {"]600000[", ""},
      {"x]y[600000]", ""},
      {"[60[0]00]", "60[0]00"},
      {"[a[b[c]d]e]f]", "a[b[c]d]e"},
      {"[]", ""},
      {"[][600000]", ""},
      {"[600000]]]", "600000"},
      {"[[[[[[[[[[", ""},
      {"]]]]", ""},
      {"\x01[\x7f\t600000\r\n]\x02", "\x7f\t600000\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(StringManager.ExtractBetween('[', ']', 1, c.title), c.key);
    const auto change = WatchTitle(c.title, "before", [](const std::string&) { return ""; });
    ASSERT_TRUE(change);
    EXPECT_EQ(change->TitleCode, c.key);
    EXPECT_EQ(change->CurrentCode, "");
  }
}

TEST(TitleFault, TheLongestTitleIsScannedWhole) {
  // 4,095 characters, as much as a title read can hold.
  std::string title(4095 - 8, 'x');
  title += "[600000]";
  ASSERT_EQ(title.size(), 4095u);
  auto change = Watch(title, nullptr);
  ASSERT_TRUE(change);
  EXPECT_EQ(change->TitleCode, "600000");

  // 2,044 pairs, nested: the outermost one holds all the others.
  const std::string inner = std::string(2043, '[') + "600000" + std::string(2043, ']');
  std::string deep = "[" + inner;
  EXPECT_EQ(StringManager.ExtractBetween('[', ']', 1, deep), "");  // one short: never closes
  deep += "]";
  ASSERT_EQ(deep.size(), 4094u);
  EXPECT_EQ(StringManager.ExtractBetween('[', ']', 1, deep), inner);

  std::string chinese;
  while (chinese.size() < 4095 * 3 - 30) chinese += "股";
  change = Watch(chinese + "[浦发银行]", nullptr);
  ASSERT_TRUE(change);
  EXPECT_EQ(change->TitleCode, "浦发银行");
}

TEST(TitleFault, StartPositionsOutsideTheTextFindNothingAndFailNothing) {
  for (int start : {-2147483647 - 1, -1, 0, 1, 9, 10, 11, 1000, 2147483647}) {
    int startPos = start;
    int endPos = 0;
    const int found = StringManager.FindBracketed('[', ']', startPos, endPos, "ab[cd]efg");
    if (start <= 3) {
      EXPECT_EQ(found, 4) << start;
      EXPECT_EQ(endPos, 5);
    } else {
      EXPECT_EQ(found, -1) << start;
      EXPECT_EQ(endPos, -1);
    }
  }
}

}  // namespace
}  // namespace kovra
