// Hotkey texts of the configuration, read and written back.
#include <gtest/gtest.h>

#include "bar/HotkeyLogic.h"

namespace kovra {
namespace {

TEST(HotkeyLogic, ModifiersInAnyCaseOrderAndSpacing) {
  EXPECT_EQ(ParseHotkey("Ctrl+Alt+R"), (THotkey{hmControl | hmAlt, 'R'}));
  EXPECT_EQ(ParseHotkey(" alt + control + b "), (THotkey{hmControl | hmAlt, 'B'}));
  EXPECT_EQ(ParseHotkey("Shift+Win+7"), (THotkey{hmShift | hmWin, '7'}));
}

TEST(HotkeyLogic, NamedAndFunctionKeys) {
  EXPECT_EQ(ParseHotkey("F9"), (THotkey{0, 0x78}));
  EXPECT_EQ(ParseHotkey("Shift+F24"), (THotkey{hmShift, 0x87}));
  EXPECT_EQ(ParseHotkey("Ctrl+Num5"), (THotkey{hmControl, 0x65}));
  EXPECT_EQ(ParseHotkey("Alt+pageup"), (THotkey{hmAlt, 0x21}));
  EXPECT_EQ(ParseHotkey("Ctrl+Space"), (THotkey{hmControl, 0x20}));
}

TEST(HotkeyLogic, BlankTextIsNoHotkey) {
  ASSERT_TRUE(ParseHotkey(""));
  EXPECT_TRUE(ParseHotkey("")->Off());
  EXPECT_TRUE(ParseHotkey("   ")->Off());
}

TEST(HotkeyLogic, UnreadableTextGivesNothing) {
  for (const char* text : {"Ctrl+", "+", "Ctrl+Alt", "Hyper+R", "Ctrl+Ctrl+R", "Ctrl+F0",
                           "Ctrl+F25", "Ctrl+RR", "Ctrl+Num10", "Ctrl+中", "Ctrl++R"})
    EXPECT_FALSE(ParseHotkey(text)) << text;
}

TEST(HotkeyLogic, KeysThatWouldSwallowTypingAreRefused) {
  for (const char* text : {"R", "7", "Shift+R", "Space", "Shift+Space"})
    EXPECT_FALSE(ParseHotkey(text)) << text;
}

TEST(HotkeyLogic, TextRoundTripsInCanonicalForm) {
  for (const char* text :
       {"Ctrl+Alt+R", "Ctrl+Alt+Shift+Win+F12", "Alt+Num0", "Ctrl+Delete", "F1", "Win+9"}) {
    const auto hotkey = ParseHotkey(text);
    ASSERT_TRUE(hotkey) << text;
    EXPECT_EQ(HotkeyText(*hotkey), text);
  }
  EXPECT_EQ(HotkeyText(*ParseHotkey("alt+ctrl+c")), "Ctrl+Alt+C");
  EXPECT_EQ(HotkeyText(THotkey{}), "");
}

}  // namespace
}  // namespace kovra
