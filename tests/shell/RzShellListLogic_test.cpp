#include "shell/RzShellListLogic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace kovra {
namespace {

TEST(ShellListFilterTest, PatternsAreSplitAndEmptyOrBlankPartsDropped) {
  EXPECT_EQ(SplitFileFilter("*.exe;*.bat"), (std::vector<std::string>{"*.exe", "*.bat"}));
  EXPECT_EQ(SplitFileFilter(";;*.exe; ;  *.bat ;"), (std::vector<std::string>{"*.exe", "*.bat"}));
  EXPECT_TRUE(SplitFileFilter("").empty());
  EXPECT_TRUE(SplitFileFilter(";").empty());
  // A multi-byte name is never split inside a character (UTF-8 has no ';' in its sequences).
  EXPECT_EQ(SplitFileFilter("股票*.ini"), (std::vector<std::string>{"股票*.ini"}));
  EXPECT_TRUE(FilterShowsEverything(""));
  EXPECT_TRUE(FilterShowsEverything("*"));
  EXPECT_TRUE(FilterShowsEverything("*.*"));
  EXPECT_FALSE(FilterShowsEverything("*.exe"));
  EXPECT_FALSE(FilterShowsEverything("*;*.txt"));
}

TEST(ShellListFilterTest, TableLooksNamesUpWithoutCaseAndKeepsOneOfEach) {
  TRzFilterTable table;
  table.Add("b.exe");
  table.Add("A.EXE");
  table.Add("B.EXE");  // a second pattern matching the same file
  table.Add("股票.exe");
  EXPECT_EQ(table.Count(), 3);
  EXPECT_TRUE(table.Contains("a.exe"));
  EXPECT_TRUE(table.Contains("B.exe"));
  EXPECT_TRUE(table.Contains("股票.EXE"));
  EXPECT_FALSE(table.Contains("c.txt"));
  EXPECT_FALSE(table.Contains(""));
}

TEST(ShellListTextTest, KilobytesRoundUpWithThousandsSeparators) {
  EXPECT_EQ(FormatKilobytes(0), "0KB");
  EXPECT_EQ(FormatKilobytes(1), "1KB");
  EXPECT_EQ(FormatKilobytes(1024), "1KB");
  EXPECT_EQ(FormatKilobytes(1025), "2KB");
  EXPECT_EQ(FormatKilobytes(999 * 1024), "999KB");
  EXPECT_EQ(FormatKilobytes(1000 * 1024), "1,000KB");
  EXPECT_EQ(FormatKilobytes(1048577), "1,025KB");
  EXPECT_EQ(FormatKilobytes(UINT64_MAX), "18,014,398,509,481,984KB");
}

TEST(ShellListOrderTest, TheFoldersComparisonDecidesNegatedWholeWhenDescending) {
  EXPECT_LT(ShellListOrder(0xFFFF, 2), 0);  // low 16 bits: -1
  EXPECT_GT(ShellListOrder(0xFFFF, -2), 0);
  EXPECT_GT(ShellListOrder(0x00010001, 2), 0);
  EXPECT_LT(ShellListOrder(0x00010001, -1), 0);
  EXPECT_EQ(ShellListOrder(0, -2), 0);  // equal stays equal
  // A failed comparison counts as equal.
  EXPECT_EQ(CompareIdsResult(static_cast<std::int32_t>(0x80004005)), 0);
  EXPECT_EQ(ShellListOrder(static_cast<std::int32_t>(0x80004005), -1), 0);
  EXPECT_EQ(CompareIdsResult(0x8000), -32768);
  EXPECT_EQ(ShellListOrder(0x8000, -1), 32768);  // negating never overflows
}

TEST(ShellListKeysTest, KeysDoWhatTheirTextsSayWithExactlyTheirModifiers) {
  const TRzShellKeys keys = ShellKeysFromTexts();
  const auto command = [&](std::uint8_t key, bool shift, bool ctrl, bool alt) {
    return ShellListKeyCommand(MakeShortCut(key, shift, ctrl, alt), keys);
  };
  EXPECT_EQ(command('A', false, true, false), skSelectAll);
  EXPECT_EQ(command('C', false, true, false), skCopy);
  EXPECT_EQ(command('X', false, true, false), skCut);
  EXPECT_EQ(command('V', false, true, false), skPaste);
  EXPECT_EQ(command(0x74, false, false, false), skRefresh);  // F5
  EXPECT_EQ(command(0x71, false, false, false), skRename);   // F2
  EXPECT_EQ(command(0x2E, false, false, false), skDelete);
  EXPECT_EQ(command(0x2E, true, false, false), skDelete);  // Shift+Del deletes too
  EXPECT_EQ(command(0x08, false, false, false), skGoUp);
  EXPECT_EQ(command(0x0D, false, false, false), skOpen);
  // Other modifiers: nothing fires.
  EXPECT_EQ(command('C', false, false, false), skNone);
  EXPECT_EQ(command('C', true, true, false), skNone);
  EXPECT_EQ(command('V', false, true, true), skNone);
  EXPECT_EQ(command(0x0D, false, false, true), skNone);  // Alt+Enter
  EXPECT_EQ(command(0x2E, false, true, false), skNone);  // Ctrl+Del
  EXPECT_EQ(command(0x08, true, false, false), skNone);
  EXPECT_EQ(command(0x74, false, true, false), skNone);
  // Translated texts move the keys.
  TRzShellKeys moved = keys;
  moved.refresh = TextToShortCut("Ctrl+R");
  EXPECT_EQ(ShellListKeyCommand(MakeShortCut('R', false, true, false), moved), skRefresh);
  EXPECT_EQ(ShellListKeyCommand(MakeShortCut(0x74, false, false, false), moved), skNone);
  EXPECT_EQ(ShellListKeyCommand(0, TRzShellKeys{}), skNone);
}

TEST(ShellListOrderTest, ColumnClicksSortThenReverse) {
  EXPECT_EQ(NextSortColumn(1, 1), 2);   // "Size" after "Name"
  EXPECT_EQ(NextSortColumn(2, 1), -2);  // then descending
  EXPECT_EQ(NextSortColumn(-2, 1), 2);  // and back
  EXPECT_EQ(NextSortColumn(-2, 0), 1);
  EXPECT_EQ(SortColumnIndex(-3, 4), 2);
  EXPECT_EQ(SortColumnIndex(5, 4), 0);  // a column that no longer exists
  EXPECT_EQ(SortColumnIndex(0, 4), 0);
}

TEST(ShellListColumnsTest, DirectoryColsGivesFourWidthsOnlyFromWholeSaneData) {
  std::vector<std::uint8_t> bytes = {200, 0, 0, 0, 60, 0, 0, 0, 100, 0, 0, 0,
                                     120, 0, 0, 0, 9,  9, 9, 9, 9,   9, 9, 9};
  auto widths = ParseDirectoryCols(bytes);
  ASSERT_TRUE(widths);
  EXPECT_EQ(*widths, (std::array<int, 4>{200, 60, 100, 120}));
  EXPECT_FALSE(ParseDirectoryCols(std::span(bytes).first(15)));
  bytes[13] = 0xFF;  // a fourth width of millions of pixels
  EXPECT_FALSE(ParseDirectoryCols(bytes));
  EXPECT_FALSE(ParseDirectoryCols({}));
}

}  // namespace
}  // namespace kovra
