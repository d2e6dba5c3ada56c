#include "shell/RzShellTreeLogic.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

TEST(ShellTreeShortCuts, TextsGiveKeysWithTheirModifiers) {
  EXPECT_EQ(ShellTextToShortCut("Ctrl+A"), MakeShortCut('A', false, true, false));
  EXPECT_EQ(ShellTextToShortCut("ctrl+shift+f5"), MakeShortCut(0x74, true, true, false));
  EXPECT_EQ(ShellTextToShortCut("Del"), 0x2E);
  EXPECT_EQ(ShellTextToShortCut("Alt+Delete"), MakeShortCut(0x2E, false, false, true));
  EXPECT_EQ(ShellTextToShortCut("F2"), 0x71);
  EXPECT_EQ(ShellTextToShortCut("F24"), 0x87);
}

TEST(ShellTreeShortCuts, TextsNamingNoKeyGiveNone) {
  for (const char* text : {"", "F0", "F25", "F2x", "Ctrl+", "+", "Ctrl+Meta+A", "Hyper+A", "AB",
                           "Ctrl+?", "Ctrl+Shift"})
    EXPECT_EQ(ShellTextToShortCut(text), 0) << text;
}

TEST(ShellTreeOptions, DefaultsAreTheDocumentedSet) {
  EXPECT_EQ(kDefaultShellTreeOptions, stoAutoFill | stoVirtualFolders | stoDefaultKeyHandling |
                                          stoContextMenus | stoDynamicRefresh | stoOleDrag |
                                          stoOleDrop | stoShowHidden);
}

}  // namespace
}  // namespace kovra
