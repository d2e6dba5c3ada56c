#include "shell/RzShellSendToLogic.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

TEST(SendToCaption, DropsTheLastExtensionOnly) {
  EXPECT_EQ(SendToCaption("Notepad.lnk"), "Notepad");
  EXPECT_EQ(SendToCaption("Mail Recipient.MAPIMail"), "Mail Recipient");
  EXPECT_EQ(SendToCaption("archive.tar.gz"), "archive.tar");
  EXPECT_EQ(SendToCaption("README"), "README");
  EXPECT_EQ(SendToCaption(".profile"), ".profile");  // never an empty caption
  EXPECT_EQ(SendToCaption("桌面快捷方式.lnk"), "桌面快捷方式");
}

TEST(MenuCharKey, TakesTheFirstCodePointWithAsciiLettersUpperCased) {
  EXPECT_EQ(MenuCharKey("notepad"), U'N');
  EXPECT_EQ(MenuCharKey("Zip"), U'Z');
  EXPECT_EQ(MenuCharKey("桌面"), U'桌');
  EXPECT_EQ(MenuCharKey(""), U'\0');
  EXPECT_EQ(MenuCharKey("\xE6\xA1"), U'\xE6');  // a cut sequence reads no further than the text
}

TEST(MatchMenuChar, CyclesThroughTheEntriesThatShareTheKeyAndRunsALoneOne) {
  const std::vector<char32_t> keys{U'D', U'M', U'D', U'Z'};
  EXPECT_EQ(MatchMenuChar(keys, U'm', -1).Index, 1);
  EXPECT_TRUE(MatchMenuChar(keys, U'm', -1).Unique);
  EXPECT_EQ(MatchMenuChar(keys, U'd', -1).Index, 0);
  EXPECT_FALSE(MatchMenuChar(keys, U'd', -1).Unique);
  EXPECT_EQ(MatchMenuChar(keys, U'd', 0).Index, 2);
  EXPECT_EQ(MatchMenuChar(keys, U'd', 2).Index, 0);  // wraps round
  EXPECT_EQ(MatchMenuChar(keys, U'x', 1).Index, -1);
  EXPECT_EQ(MatchMenuChar(keys, U'z', 99).Index, 3);  // a stale highlight counts as none
  EXPECT_EQ(MatchMenuChar({}, U'a', -1).Index, -1);
}

}  // namespace
}  // namespace kovra
