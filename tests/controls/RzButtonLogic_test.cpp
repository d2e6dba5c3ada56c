#include "controls/RzButtonLogic.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

TEST(ShortCutText, KeysWithAnyModifiersInAnyCase) {
  EXPECT_EQ(TextToShortCut("F4"), 0x73);
  EXPECT_EQ(TextToShortCut("f24"), 0x87);
  EXPECT_EQ(TextToShortCut("Ctrl+Shift+L"), kShortCutCtrl | kShortCutShift | 'L');
  EXPECT_EQ(TextToShortCut("shift+ctrl+l"), kShortCutCtrl | kShortCutShift | 'L');
  EXPECT_EQ(TextToShortCut("Alt+Enter"), kShortCutAlt | 0x0D);
  EXPECT_EQ(TextToShortCut("Del"), 0x2E);
  EXPECT_EQ(TextToShortCut("7"), '7');
  EXPECT_EQ(TextToShortCut("ctrl+shift+f5"), kShortCutCtrl | kShortCutShift | 0x74);
  EXPECT_EQ(TextToShortCut("Alt+Delete"), kShortCutAlt | 0x2E);
}

TEST(ShortCutText, AnythingElseIsNoShortCut) {
  for (const char* text :
       {"", "+", "Ctrl+", "Ctrl", "Hyper+Q", "F0", "F25", "F4x", "F-1", "F99999999999999999999",
        "Ctrl++", "é", "Q+Ctrl", "Space Bar", "Ctrl+Meta+A", "AB", "Ctrl+?", "Ctrl+Shift"})
    EXPECT_EQ(TextToShortCut(text), 0) << text;
}

TEST(FormColourText, IdentifiersAndIntegers) {
  EXPECT_EQ(ColorFromFormText("clBtnShadow"), clBtnShadow);
  EXPECT_EQ(ColorFromFormText("CL3DDKSHADOW"), cl3DDkShadow);
  EXPECT_EQ(ColorFromFormText("clNone"), clNone);
  EXPECT_EQ(ColorFromFormText("16711680"), clBlue);
  EXPECT_EQ(ColorFromFormText("$00FF0000"), clBlue);
  EXPECT_EQ(ColorFromFormText("-16777201"), clBtnFace);  // system colours are stored signed
  EXPECT_EQ(ColorFromFormText("4294967295"), static_cast<TColor>(0xFFFFFFFFu));
}

TEST(FormColourText, RejectsWhatIsNoColour) {
  for (const char* text : {"", "$", "-", "clNoSuchColour", "12abc", "4294967296", "-2147483649",
                           "$1FFFFFFFF", "99999999999999999999", " 5", "0x10"})
    EXPECT_FALSE(ColorFromFormText(text).has_value()) << text;
}

TEST(DropDownMenuPlacement, FollowsAlignmentAndStaysInTheWorkArea) {
  // A 40-pixel button at x 300 on a work area 0..1000, a 150-pixel menu.
  EXPECT_EQ(DropDownMenuX(300, 40, 150, rmaLeft, 0, 1000), 300);
  EXPECT_EQ(DropDownMenuX(300, 40, 150, rmaRight, 0, 1000), 340);
  EXPECT_EQ(DropDownMenuX(300, 40, 150, rmaCenter, 0, 1000), 320);
  // Near the right edge a left-aligned menu ends at the edge.
  EXPECT_EQ(DropDownMenuX(900, 40, 150, rmaLeft, 0, 1000), 850);
  EXPECT_EQ(DropDownMenuX(850, 40, 150, rmaLeft, 0, 1000), 850);
  // Near the left edge a right-aligned menu starts at the edge (x is its right end).
  EXPECT_EQ(DropDownMenuX(10, 40, 150, rmaRight, 0, 1000), 150);
  // A second monitor to the left of the first.
  EXPECT_EQ(DropDownMenuX(-1000, 40, 150, rmaRight, -1280, 0), -960);
}

}  // namespace
}  // namespace kovra
