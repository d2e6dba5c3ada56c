#include "shell/RzShellTreeLogic.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

TEST(ShellTreeShortCuts, TheTreesKeyTextsAllNameKeys) {
  EXPECT_EQ(TextToShortCut(kRzStrSelectAllKey), MakeShortCut('A', false, true, false));
  EXPECT_EQ(TextToShortCut(kRzStrDeleteKey), 0x2E);
  EXPECT_EQ(TextToShortCut(kRzStrCopyKey), MakeShortCut('C', false, true, false));
  EXPECT_EQ(TextToShortCut(kRzStrCutKey), MakeShortCut('X', false, true, false));
  EXPECT_EQ(TextToShortCut(kRzStrPasteKey), MakeShortCut('V', false, true, false));
  EXPECT_EQ(TextToShortCut(kRzStrRefreshKey), 0x74);
  EXPECT_EQ(TextToShortCut(kRzStrRenameKey), 0x71);
}

TEST(ShellTreeOptions, DefaultsAreTheDocumentedSet) {
  EXPECT_EQ(kDefaultShellTreeOptions, stoAutoFill | stoVirtualFolders | stoDefaultKeyHandling |
                                          stoContextMenus | stoDynamicRefresh | stoOleDrag |
                                          stoOleDrop | stoShowHidden);
}

}  // namespace
}  // namespace kovra
