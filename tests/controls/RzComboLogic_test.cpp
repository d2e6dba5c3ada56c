#include "controls/RzComboLogic.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

const std::vector<std::u16string> kFruit = {u"Apple", u"Apricot", u"Banana", u"Éclair"};

TEST(RzComboLogic, PrefixCompletesToTheFirstItemAndSelectsTheCompletedPart) {
  TComboMatch m = MatchPrefix(kFruit, u"ap", false);
  EXPECT_EQ(m.index, 0);
  EXPECT_EQ(m.text, u"Apple");
  EXPECT_EQ(m.selStart, 2);
  EXPECT_EQ(m.selLength, 3);
  m = MatchPrefix(kFruit, u"apr", false);
  EXPECT_EQ(m.index, 1);
  EXPECT_EQ(m.text, u"Apricot");
  // Letters beyond ASCII fold too.
  EXPECT_EQ(MatchPrefix(kFruit, u"éc", false).index, 3);
  EXPECT_EQ(MatchPrefix(kFruit, u"x", false).index, -1);
  EXPECT_EQ(FindItemPrefix(kFruit, u""), -1);
  EXPECT_EQ(FindItemPrefix(kFruit, u"Apricots"), -1);
}

TEST(RzComboLogic, KeepSearchCaseLeavesTheTypedLettersAsTyped) {
  const TComboMatch m = MatchPrefix(kFruit, u"AP", true);
  EXPECT_EQ(m.text, u"APple");
  EXPECT_EQ(m.selStart, 2);
  EXPECT_EQ(m.selLength, 3);
}

TEST(RzComboLogic, TypingReplacesTheSelectionInsideTheSearchString) {
  // "Apple" shown with "ple" selected after "ap": the next letter extends the prefix.
  EXPECT_EQ(TypeIntoSearch(u"ap", 2, 3, u"r"), u"apr");
  // A caret in the middle inserts there; a selection inside the search string is replaced.
  EXPECT_EQ(TypeIntoSearch(u"abc", 1, 0, u"x"), u"axbc");
  EXPECT_EQ(TypeIntoSearch(u"abc", 0, 2, u"x"), u"xc");
  // Positions from a stale edit are clamped rather than trusted.
  EXPECT_EQ(TypeIntoSearch(u"ab", 40, -3, u"c"), u"abc");
  // A surrogate pair is never split by the caret.
  EXPECT_EQ(TypeIntoSearch(u"a\U0001F600", 2, 0, u"b"), u"ab\U0001F600");
}

TEST(RzComboLogic, BackspaceTakesWholeCharactersFromTheRightPlace) {
  EXPECT_EQ(BackspaceSearch(u"apr", 3, 4, 7, true), u"ap");  // completed tail selected
  EXPECT_EQ(BackspaceSearch(u"a\U0001F600", 3, 0, 3, true), u"a");
  EXPECT_EQ(BackspaceSearch(u"abcd", 1, 2, 6, true), u"ad");   // a selection inside
  EXPECT_EQ(BackspaceSearch(u"abcd", 2, 0, 6, true), u"acd");  // the character before the caret
  EXPECT_EQ(BackspaceSearch(u"abcd", 2, 0, 6, false), u"abc");
  EXPECT_EQ(DropLastChar(u""), u"");
  EXPECT_EQ(DeleteFromText(u"abcd", 1, 0), u"acd");
  EXPECT_EQ(DeleteFromText(u"abcd", 1, 2), u"ad");
  EXPECT_EQ(DeleteFromText(u"ab", 2, 0), u"ab");
  EXPECT_EQ(DeleteFromText(u"\U0001F600x", 0, 0), u"x");
}

TEST(RzComboLogic, ItemValueFallsBackToTheItemAndFindsExactValues) {
  const std::vector<std::string> items = {"a", "b", "c"};
  const std::vector<std::string> values = {"1", "", "3"};
  EXPECT_EQ(ComboItemValue(items, values, 0), "1");
  EXPECT_EQ(ComboItemValue(items, values, 1), "b");
  EXPECT_EQ(ComboItemValue(items, values, 2), "3");
  EXPECT_EQ(ComboItemValue(items, {"1"}, 2), "c");  // fewer values than items
  EXPECT_EQ(ComboItemValue(items, values, 3), "");
  EXPECT_EQ(ComboItemValue(items, values, -1), "");
  EXPECT_EQ(FindComboValue(items, values, "3"), 2);
  EXPECT_EQ(FindComboValue(items, values, "b"), 1);
  EXPECT_EQ(FindComboValue(items, values, "c"), -1);  // "c" has the value "3"
  EXPECT_EQ(FindComboValue(items, values, "B"), -1);  // values compare exactly
}

TEST(RzComboLogic, ValuesStayWithTheirItemsThroughInsertDeleteAndSort) {
  std::vector<std::string> values = {"1", "2", "3"};
  ValuesItemInserted(values, 1);
  EXPECT_EQ(values, (std::vector<std::string>{"1", "", "2", "3"}));
  ValuesItemInserted(values, 9);  // past the values: the new item simply has none
  EXPECT_EQ(values.size(), 4u);
  ValuesItemDeleted(values, 0);
  EXPECT_EQ(values, (std::vector<std::string>{"", "2", "3"}));
  ValuesItemDeleted(values, 7);
  EXPECT_EQ(values.size(), 3u);
  // Items c, a, b sorted to a, b, c: the new order holds old indexes 1, 2, 0.
  values = {"C", "A"};
  ValuesReordered(values, {1, 2, 0});
  EXPECT_EQ(values, (std::vector<std::string>{"A", "", "C"}));
  values = {"x", "y", "extra"};
  ValuesReordered(values, {1, 0});
  EXPECT_EQ(values, (std::vector<std::string>{"y", "x", "extra"}));
}

TEST(RzComboLogic, DropDownWidthFitsTheWidestItemAndTheScrollBarWhenNeeded) {
  EXPECT_EQ(AutoDropDownWidth({40, 180, 60}, 8, 17, 100), 188);
  EXPECT_EQ(AutoDropDownWidth({40, 180, 60}, 2, 17, 100), 205);
  EXPECT_EQ(AutoDropDownWidth({40, 50}, 8, 17, 100), 100);
  EXPECT_EQ(AutoDropDownWidth({}, 8, 17, 100), 100);
}

TEST(RzComboLogic, WheelStepsStopAtTheEnds) {
  EXPECT_EQ(WheelStep(0, 3, true), 1);
  EXPECT_EQ(WheelStep(2, 3, true), 2);
  EXPECT_EQ(WheelStep(0, 3, false), 0);
  EXPECT_EQ(WheelStep(-1, 3, true), 0);
  EXPECT_EQ(WheelStep(-1, 3, false), 0);
  EXPECT_EQ(WheelStep(0, 0, true), -1);
}

TEST(RzComboLogic, CaseFoldingLeavesCaselessTextAlone) {
  EXPECT_EQ(FoldCase(u'中'), u'中');
  EXPECT_EQ(FoldCase(u'Ж'), u'ж');
  EXPECT_EQ(FoldCase(u'Ā'), u'ā');
  EXPECT_EQ(FoldCase(u'×'), u'×');
  EXPECT_TRUE(StartsWithNoCase(u"股票代码", u"股票"));
  EXPECT_FALSE(StartsWithNoCase(u"股", u"股票"));
}

}  // namespace
}  // namespace kovra
