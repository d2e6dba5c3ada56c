#include "shell/RzShellComboLogic.h"

#include <gtest/gtest.h>

#include <vector>

namespace kovra {
namespace {

// Desktop, a desktop folder, My Computer, C:, A, B (selected), D:.
const std::vector<int> kIndents{0, 1, 1, 2, 3, 4, 2};

TEST(ShellComboUpIndex, WalksBackToTheNearestEntryAtTheWantedIndent) {
  EXPECT_EQ(ShellComboUpIndex(kIndents, 5, 1), 4);  // B -> A
  EXPECT_EQ(ShellComboUpIndex(kIndents, 5, 2), 3);  // B -> C:
  EXPECT_EQ(ShellComboUpIndex(kIndents, 5, 3), 2);  // B -> My Computer, not the folder above it
  EXPECT_EQ(ShellComboUpIndex(kIndents, 6, 1), 2);  // D: skips C:'s chain
  EXPECT_EQ(ShellComboUpIndex(kIndents, 1, 1), 0);
}

TEST(ShellComboUpIndex, StopsAtTheDesktop) {
  EXPECT_EQ(ShellComboUpIndex(kIndents, 5, 99), 0);
  EXPECT_EQ(ShellComboUpIndex(kIndents, 0, 1), -1);  // already there
}

TEST(ShellComboUpIndex, NothingMovesForNoLevelsOrNoSelection) {
  // Zero levels would otherwise land on the sibling above.
  EXPECT_EQ(ShellComboUpIndex(kIndents, 6, 0), -1);
  EXPECT_EQ(ShellComboUpIndex(kIndents, 6, -2), -1);
  EXPECT_EQ(ShellComboUpIndex(kIndents, -1, 1), -1);
  EXPECT_EQ(ShellComboUpIndex(kIndents, 7, 1), -1);
  EXPECT_EQ(ShellComboUpIndex({}, 0, 1), -1);
}

TEST(ShellComboAutoDropDownRows, FillsTheSpaceBelowTheCombo) {
  // 1000 - 100 - 1 = 899 pixels, 899 / 18 = 49 rows.
  EXPECT_EQ(ShellComboAutoDropDownRows({0, 1000, 78, 100, 18}), 49);
}

TEST(ShellComboAutoDropDownRows, NearTheBottomTheListOpensAboveWithTheRoomThere) {
  EXPECT_EQ(ShellComboAutoDropDownRows({0, 1000, 978, 1000, 18}), 977 / 18);
  // A second monitor above the first: coordinates are negative.
  EXPECT_EQ(ShellComboAutoDropDownRows({-768, 0, -100, -78, 16}), (667 / 16));
}

TEST(ShellComboAutoDropDownRows, AlwaysAtLeastOneRowAndNoDivisionByZero) {
  EXPECT_EQ(ShellComboAutoDropDownRows({0, 20, 0, 20, 18}), 1);
  EXPECT_EQ(ShellComboAutoDropDownRows({0, 1000, 78, 100, 0}), 1);
  EXPECT_EQ(ShellComboAutoDropDownRows({0, 1000, 78, 100, -5}), 1);
}

}  // namespace
}  // namespace kovra
