#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "controls/RzStrings.h"

namespace kovra {
namespace {

std::vector<std::string> Placeholders(std::string_view text) {
  std::vector<std::string> found;
  for (size_t at = text.find('%'); at != std::string_view::npos && at + 1 < text.size();
       at = text.find('%', at + 2))
    found.emplace_back(text.substr(at, 2));
  std::sort(found.begin(), found.end());
  return found;
}

// The accelerator letter, upper case; 0 without one.
char Accelerator(std::string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
  }
  return 0;
}

TEST(RzStrings, EveryChineseLanguageGetsTheChineseColumnAndEveryOtherTheEnglishOne) {
  // zh-CN, zh-TW, zh-HK, zh-SG, zh-MO, neutral Chinese, zh-Hant.
  for (std::uint16_t id : {0x0804, 0x0404, 0x0C04, 0x1004, 0x1404, 0x0004, 0x7C04})
    EXPECT_EQ(LanguageOfLangId(id), TRzLanguage::Chinese) << std::hex << id;
  // en-US, en-GB, ja-JP, ko-KR, mn-MN (0x0450 shares no bits with Chinese's 0x04), none.
  for (std::uint16_t id : {0x0409, 0x0809, 0x0411, 0x0412, 0x0450, 0x0000})
    EXPECT_EQ(LanguageOfLangId(id), TRzLanguage::English) << std::hex << id;
}

TEST(RzStrings, BothColumnsHoldEveryTextWithTheSamePlaceholdersAndAccessKey) {
  for (int i = 0; i < rsCount; ++i) {
    const auto id = static_cast<TRzString>(i);
    const std::string_view english = RzStringIn(id, TRzLanguage::English);
    const std::string_view chinese = RzStringIn(id, TRzLanguage::Chinese);
    SCOPED_TRACE(std::string(english));
    EXPECT_FALSE(english.empty());
    EXPECT_FALSE(chinese.empty());
    EXPECT_NE(english, chinese);
    // A message formats the same arguments in either language.
    EXPECT_EQ(Placeholders(english), Placeholders(chinese));
    // Windows puts the English letter in brackets after a Chinese caption: "打开(&O)".
    const char key = Accelerator(english);
    EXPECT_EQ(Accelerator(chinese), key);
    if (key) {
      EXPECT_NE(chinese.find(std::string("(&") + key + ")"), std::string_view::npos);
    }
  }
}

TEST(RzStrings, TheTextsQuotedForTheDialogs) {
  EXPECT_EQ(RzStringIn(rsLookIn, TRzLanguage::English), "Look &in:");
  EXPECT_EQ(RzStringIn(rsLookIn, TRzLanguage::Chinese), "查找范围(&I):");
  EXPECT_EQ(RzStringIn(rsCancel, TRzLanguage::Chinese), "取消");
  EXPECT_EQ(RzStringIn(rsInvalidFileName, TRzLanguage::Chinese), "%s\n上述文件名无效。");
  EXPECT_EQ(RzStringIn(rsCount, TRzLanguage::English), "");
}

}  // namespace
}  // namespace kovra
