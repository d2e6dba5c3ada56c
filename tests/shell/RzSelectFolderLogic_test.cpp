#include "shell/RzSelectFolderLogic.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kovra {
namespace {

// Ten pixels per character (code point), as a fixed-pitch font would measure.
int CharWidth(std::string_view text) {
  int chars = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++chars;
  return chars * 10;
}

bool ValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t len = c < 0x80         ? 1
                       : (c >> 5) == 6  ? 2
                       : (c >> 4) == 14 ? 3
                       : (c >> 3) == 30 ? 4
                                        : 0;
    if (len == 0 || i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += len;
  }
  return true;
}

// Every text the shortening tries with no room at all, then what it settles on.
std::vector<std::string> Steps(std::string_view path) {
  std::vector<std::string> out;
  const std::string last = ShortenFolderPath(path, 0, [&](std::string_view text) {
    out.emplace_back(text);
    return CharWidth(text);
  });
  if (out.empty() || out.back() != last) out.push_back(last);
  return out;
}

TEST(ShortenFolderPath, CutsLeadingDirectoriesThenTheDrive) {
  EXPECT_EQ(
      Steps("C:\\alpha\\beta\\gamma\\name"),
      (std::vector<std::string>{"C:\\alpha\\beta\\gamma\\name", "C:\\...\\beta\\gamma\\name",
                                "C:\\...\\gamma\\name", "C:\\...\\name", "...\\name", "name"}));
}

TEST(ShortenFolderPath, LeavesWhatFitsAndStopsAtTheName) {
  EXPECT_EQ(ShortenFolderPath("C:\\a\\b", 1000, CharWidth), "C:\\a\\b");
  EXPECT_EQ(ShortenFolderPath("C:\\", 0, CharWidth), "");
  EXPECT_EQ(ShortenFolderPath("C:\\folder", 0, CharWidth), "folder");
  EXPECT_EQ(ShortenFolderPath("verylongname", 10, CharWidth), "verylongname");
  EXPECT_EQ(ShortenFolderPath("", 0, CharWidth), "");
  EXPECT_EQ(ShortenFolderPath("C:\\a\\b", -50, CharWidth), "b");
  // Room for a middle step stops there.
  EXPECT_EQ(ShortenFolderPath("C:\\alpha\\beta\\name", 130, CharWidth), "C:\\...\\name");
}

TEST(ShortenFolderPath, NetworkAndRelativePathsShortenToo) {
  EXPECT_EQ(Steps("\\\\server\\share\\dir\\file"),
            (std::vector<std::string>{"\\\\server\\share\\dir\\file",
                                      "\\...\\server\\share\\dir\\file", "\\...\\share\\dir\\file",
                                      "\\...\\dir\\file", "\\...\\file", "...\\file", "file"}));
  EXPECT_EQ(Steps("a\\b\\c"), (std::vector<std::string>{"a\\b\\c", "...\\b\\c", "...\\c", "c"}));
}

TEST(ShortenFolderPath, NeverSplitsAMultibyteCharacter) {
  const std::string path = "D:\\股票\\行情数据\\大智慧\\代码表";
  const std::vector<std::string> steps = Steps(path);
  ASSERT_GE(steps.size(), 4u);
  EXPECT_EQ(steps[1], "D:\\...\\行情数据\\大智慧\\代码表");
  EXPECT_EQ(steps.back(), "代码表");
  for (const std::string& s : steps) EXPECT_TRUE(ValidUtf8(s)) << s;
}

TEST(ShortenFolderPath, EndsForAnyInputAndAnyMeasure) {
  // A measure that never lets anything fit, and one that ignores the text.
  const auto never = [](std::string_view) { return 1 << 30; };
  EXPECT_EQ(ShortenFolderPath("C:\\a\\b\\c", 100, never), "c");
  EXPECT_EQ(ShortenFolderPath("\\\\\\\\\\", 0, never), "");
  EXPECT_EQ(ShortenFolderPath("C:\\...\\...\\x", 0, never), "x");

  std::mt19937 rng(7);
  const char alphabet[] = {'\\', '\\', '\\', ':', '.', 'a', 'b', '\xE4', '\xB8', '\xAD', ' '};
  for (int round = 0; round < 3000; ++round) {
    std::string path(rng() % 40, ' ');
    for (char& c : path) c = alphabet[rng() % sizeof(alphabet)];
    const int room = static_cast<int>(rng() % 300) - 20;
    const std::string s = ShortenFolderPath(path, room, CharWidth);
    // Whatever happened, the name part survives whole at the end.
    const size_t slash = path.rfind('\\');
    const std::string name = slash == std::string::npos
                                 ? (path.size() >= 2 && path[1] == ':' ? path.substr(2) : path)
                                 : path.substr(slash + 1);
    ASSERT_TRUE(s.ends_with(name)) << path << " -> " << s;
    ASSERT_LE(s.size(), path.size() + 4) << path;
  }
}

TEST(SelectFolderOptions, DefaultsMapOntoTheTreeAndKeepItsOtherOptions) {
  EXPECT_EQ(kDefaultSelectFolderOptions, 0x2C2);
  const TRzShellTreeOptions others = stoAutoFill | stoDefaultKeyHandling | stoDynamicRefresh;
  EXPECT_EQ(SelectFolderTreeOptions(kDefaultSelectFolderOptions, others),
            others | stoContextMenus | stoShowHidden);
  // Options the dialog does not want are cleared, and only those.
  EXPECT_EQ(SelectFolderTreeOptions(0, 0x3FF), others | stoDesignInteractive);
  EXPECT_EQ(SelectFolderTreeOptions(0x3FF, 0), stoContextMenus | stoIncludeNonFolders | stoOleDrag |
                                                   stoOleDrop | stoVirtualFolders | stoShowHidden);
}

TEST(SelectFolderOptions, ButtonsShowOnlyWhenAskedAndLoseFlatnessWithoutBothIcons) {
  TRzSelectFolderButtonLooks looks = SelectFolderButtonLooks(kDefaultSelectFolderOptions);
  EXPECT_FALSE(looks.Visible);
  EXPECT_TRUE(looks.Flat);
  EXPECT_EQ(looks.CreateImage, 0);
  EXPECT_EQ(looks.CreateDisabledImage, 1);
  EXPECT_EQ(looks.DeleteImage, 2);
  EXPECT_EQ(looks.DeleteDisabledImage, 3);

  looks = SelectFolderButtonLooks(sfdoCreateDeleteButtons | sfdoCreateFolderIcon);
  EXPECT_TRUE(looks.Visible);
  EXPECT_FALSE(looks.Flat);
  EXPECT_EQ(looks.CreateImage, 0);
  EXPECT_EQ(looks.DeleteImage, -1);
  EXPECT_EQ(looks.DeleteDisabledImage, -1);
}

TEST(SelectFolderButtonStates, NeedAPathAndSpareTheRoot) {
  EXPECT_FALSE(SelectFolderButtonStates("", false).CreateEnabled);  // My Computer
  EXPECT_FALSE(SelectFolderButtonStates("", false).DeleteEnabled);
  EXPECT_TRUE(SelectFolderButtonStates("C:\\x", false).DeleteEnabled);
  EXPECT_TRUE(SelectFolderButtonStates("C:\\x", true).CreateEnabled);
  EXPECT_FALSE(SelectFolderButtonStates("C:\\x", true).DeleteEnabled);
}

}  // namespace
}  // namespace kovra
