#include "shell/RzShellDialogsLogic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kovra {
namespace {

using Names = std::vector<std::string>;

TEST(OpenDialogFilter, PairsDescriptionsWithMasksAndKeepsWideTextWhole) {
  const auto types = ParseFilter("Advanced Get 执行文件(*.exe)|*.exe");
  ASSERT_EQ(types.size(), 1u);
  EXPECT_EQ(types[0].Description, "Advanced Get 执行文件(*.exe)");
  EXPECT_EQ(types[0].Mask, "*.exe");

  const auto three = ParseFilter("Text|*.txt|Pictures|*.bmp;*.png|All|*.*|");
  ASSERT_EQ(three.size(), 3u);
  EXPECT_EQ(three[1].Mask, "*.bmp;*.png");
  EXPECT_EQ(three[2].Description, "All");

  const auto dangling = ParseFilter("Text|*.txt|Orphan");
  ASSERT_EQ(dangling.size(), 2u);
  EXPECT_EQ(dangling[1].Description, "Orphan");
  EXPECT_EQ(dangling[1].Mask, "");
  EXPECT_TRUE(ParseFilter("").empty());
}

TEST(OpenDialogFilter, MaskExtensionIsTheFirstPatternsAndNeverAWildcard) {
  EXPECT_EQ(MaskExtension("*.exe"), ".exe");
  EXPECT_EQ(MaskExtension(" *.bmp ;*.png"), ".bmp");
  EXPECT_EQ(MaskExtension("*.*"), "");
  EXPECT_EQ(MaskExtension("*.t?t"), "");
  EXPECT_EQ(MaskExtension("*"), "");
  EXPECT_EQ(MaskExtension(""), "");
}

TEST(OpenDialogNames, PartsOfAPathSplitAtTheLastDelimiter) {
  EXPECT_EQ(DirectoryPart("C:\\dir\\x.exe"), "C:\\dir\\");
  EXPECT_EQ(NamePart("C:\\dir\\x.exe"), "x.exe");
  EXPECT_EQ(DirectoryPart("C:x.exe"), "C:");
  EXPECT_EQ(NamePart("股票\\代码.ini"), "代码.ini");
  EXPECT_EQ(ExtensionPart("C:\\a.b\\name"), "");  // a dot in a folder is no extension
  EXPECT_EQ(ExtensionPart("a.tar.GZ"), ".GZ");
  EXPECT_TRUE(HasWildcard("*.ini"));
  EXPECT_TRUE(HasWildcard("a?.txt"));
  EXPECT_FALSE(HasWildcard("执行.exe"));
  EXPECT_TRUE(IsAbsolutePath("C:\\x.exe"));
  EXPECT_TRUE(IsAbsolutePath("\\\\srv\\share"));
  EXPECT_FALSE(IsAbsolutePath("C:x.exe"));
  EXPECT_FALSE(IsAbsolutePath("x.exe"));
  EXPECT_FALSE(IsAbsolutePath("\\x.exe"));
}

TEST(OpenDialogNames, QuotedAndUnquotedNamesSplitLikeTheEditShowsThem) {
  EXPECT_EQ(SplitQuotedNames("\"a.txt\" \"b c.txt\""), (Names{"a.txt", "b c.txt"}));
  EXPECT_EQ(SplitQuotedNames("  plain name.txt  "), (Names{"plain name.txt"}));
  // A quote that ends an unquoted name opens a quoted one.
  EXPECT_EQ(SplitQuotedNames("one\"two\" three"), (Names{"one", "two", "three"}));
  EXPECT_EQ(SplitQuotedNames("\"unterminated"), (Names{"unterminated"}));
  EXPECT_EQ(SplitQuotedNames("\"\" \"  \"\t\"x\t\""), (Names{"x"}));
  EXPECT_EQ(SplitQuotedNames("\"股票.ini\" \"代码表.ini\""), (Names{"股票.ini", "代码表.ini"}));
  EXPECT_TRUE(SplitQuotedNames("").empty());
}

TEST(OpenDialogNames, InvalidCharactersAndDoubledBackslashesAreRefused) {
  EXPECT_TRUE(IsValidFileNameText("x.exe"));
  EXPECT_TRUE(IsValidFileNameText("\\\\server\\share\\x.exe"));
  EXPECT_TRUE(IsValidFileNameText("执行文件.exe"));
  for (const char* bad : {"a|b", "a/b", "<x", "x>", "C:\\dir\\\\x", "a\\\\b", "\\\\\\x"})
    EXPECT_FALSE(IsValidFileNameText(bad)) << bad;
  // Positions count characters: a wide first character does not hide a doubled backslash.
  EXPECT_FALSE(IsValidFileNameText("股\\\\x"));
}

TEST(OpenDialogCombine, RelativeNamesWalkFromTheShownFolder) {
  EXPECT_EQ(CombineBaseAndName("C:\\work\\", "x.exe"), "C:\\work\\x.exe");
  EXPECT_EQ(CombineBaseAndName("C:\\work\\sub\\", "..\\x.exe"), "C:\\work\\x.exe");
  EXPECT_EQ(CombineBaseAndName("C:\\a\\b\\c\\", "...\\x"), "C:\\a\\x");
  EXPECT_EQ(CombineBaseAndName("C:\\work\\", ".\\sub\\x"), "C:\\work\\sub\\x");
  EXPECT_EQ(CombineBaseAndName("C:\\work\\", "sub\\\\x"), "C:\\work\\sub");  // stops at ""
  // Never above the drive root, nor above a network path's server and share.
  EXPECT_EQ(CombineBaseAndName("C:\\work\\", "..\\..\\..\\x"), "C:\\x");
  EXPECT_EQ(CombineBaseAndName("C:\\", ".."), "C:\\");
  EXPECT_EQ(CombineBaseAndName("\\\\srv\\share\\dir\\", "..\\..\\x"), "\\\\srv\\share\\x");
  EXPECT_EQ(CombineBaseAndName("C:\\股票\\", "代码.ini"), "C:\\股票\\代码.ini");
}

TEST(OpenDialogCombine, AbsoluteAndNetworkNamesAndTheDrivesRoot) {
  EXPECT_EQ(CombineBaseAndName("C:\\work\\", "D:\\x.exe"), "D:\\x.exe");
  EXPECT_EQ(CombineBaseAndName("C:\\work\\", "D:"), "D:\\");
  EXPECT_EQ(CombineBaseAndName("C:\\work\\", "\\x.exe"), "C:\\x.exe");
  EXPECT_EQ(CombineBaseAndName("\\\\srv\\share\\dir\\", "\\x.exe"), "\\\\srv\\share\\x.exe");
  EXPECT_EQ(CombineBaseAndName("C:\\work\\", "\\\\srv\\share\\x"), "\\\\srv\\share\\x");
  EXPECT_EQ(CombineBaseAndName("C:\\work\\", ""), "");
}

TEST(OpenDialogCombine, OverlongTextIsRefusedNotTruncated) {
  const std::string base = "C:\\" + std::string(250, 'd') + "\\";
  EXPECT_FALSE(CombineBaseAndName(base, "name-that-overflows.exe").has_value());
  EXPECT_FALSE(CombineBaseAndName("C:\\", std::string(300, 'n')).has_value());
  // 261 UTF-16 units fit; wide characters count one unit each, not three bytes.
  EXPECT_TRUE(CombineBaseAndName("C:\\", std::string(258, 'n')).has_value());
  std::string wide;
  for (int i = 0; i < 200; ++i) wide += "股";
  EXPECT_TRUE(CombineBaseAndName("C:\\", wide).has_value());
  std::string astral;  // outside the basic plane: two units each
  for (int i = 0; i < 130; ++i) astral += "\xF0\x9F\x98\x80";
  EXPECT_FALSE(CombineBaseAndName("C:\\", astral).has_value());
}

TEST(OpenDialogDefaultExtension, KnownExtensionsStayAndOthersGetTheTypesOrTheDefault) {
  const std::string exeMask = "*.exe";
  const std::string anyMask = "*.*";
  auto known = [](std::string_view ext) { return SameTextAscii(ext, ".txt"); };
  auto none = [](std::string_view) { return false; };

  auto r = ApplyDefaultExtension("C:\\a.txt", "exe", &exeMask, known);
  EXPECT_EQ(r.Path, "C:\\a.txt");
  EXPECT_EQ(r.ExtensionDifferent, true);

  r = ApplyDefaultExtension("C:\\prog", "exe", &exeMask, none);
  EXPECT_EQ(r.Path, "C:\\prog.exe");
  EXPECT_EQ(r.ExtensionDifferent, false);
  r = ApplyDefaultExtension("C:\\prog.", "txt", &exeMask, none);
  EXPECT_EQ(r.Path, "C:\\prog.exe");  // the dot is not doubled
  EXPECT_EQ(r.ExtensionDifferent, true);
  r = ApplyDefaultExtension("C:\\prog.EXE", "txt", &exeMask, none);
  EXPECT_EQ(r.Path, "C:\\prog.EXE");
  EXPECT_FALSE(r.ExtensionDifferent.has_value());

  // No usable extension in the type: the default one, once.
  r = ApplyDefaultExtension("C:\\notes", "txt", &anyMask, none);
  EXPECT_EQ(r.Path, "C:\\notes.txt");
  EXPECT_EQ(r.ExtensionDifferent, false);
  r = ApplyDefaultExtension("C:\\notes.TXT", "txt", nullptr, none);
  EXPECT_EQ(r.Path, "C:\\notes.TXT");
  r = ApplyDefaultExtension("C:\\notes", "", &exeMask, none);
  EXPECT_EQ(r.Path, "C:\\notes");
  EXPECT_FALSE(r.ExtensionDifferent.has_value());
}

TEST(OpenDialogOptions, DefaultsAndWhatEachBitAsksOfTheControls) {
  EXPECT_EQ(kDefaultOpenDialogOptions, 0x3A8010u);
  EXPECT_EQ(osoFilesCanBeFolders, 1u << 22);
  auto s = ControlSettingsFor(kDefaultOpenDialogOptions);
  EXPECT_TRUE(s.OleDrag && s.OleDrop && s.ShowHidden && s.ShowHint);
  EXPECT_FALSE(s.MultiSelect || s.ReadOnlyBoxVisible || s.HelpButtonVisible);
  EXPECT_FALSE(s.HideFoldersWhenLinkedToTree || s.FilesCanBeFolders);
  s = ControlSettingsFor(osoAllowMultiselect | osoShowHelp | osoFilesCanBeFolders |
                         osoHideFoldersInListWhenTreeVisible);
  EXPECT_TRUE(s.MultiSelect && s.HelpButtonVisible && s.ReadOnlyBoxVisible);
  EXPECT_TRUE(s.FilesCanBeFolders && s.HideFoldersWhenLinkedToTree);
  EXPECT_FALSE(s.OleDrag || s.ShowHint);
}

TEST(OpenDialogPlaces, DefaultsAndPathCaptions) {
  const auto places = DefaultPlaces();
  ASSERT_EQ(places.size(), 5u);
  const int expected[] = {8, 0, 5, 17, 18};
  for (int i = 0; i < 5; ++i) {
    EXPECT_FALSE(places[i].IsPath);
    EXPECT_EQ(places[i].SpecialFolder, expected[i]);
  }
  EXPECT_EQ(PlacePathCaption("C:\\Work\\Projects"), "Projects");
  EXPECT_EQ(PlacePathCaption("C:\\Work\\股票\\"), "股票");
  EXPECT_EQ(PlacePathCaption("D:\\"), "");  // the shell names drives
}

TEST(OpenDialogLayout, RecordsRoundTripLittleEndian) {
  std::vector<std::uint8_t> bytes;
  AppendDialogLayout(bytes, {10, -20, 560, 420, 2, 7});
  AppendFileDialogLayout(bytes, {true, 160});
  ASSERT_EQ(bytes.size(), kDialogLayoutSize + kFileDialogLayoutSize);
  EXPECT_EQ(bytes[0], 10);
  EXPECT_EQ(bytes[4], 0xEC);  // -20
  EXPECT_EQ(bytes[7], 0xFF);
  EXPECT_EQ(bytes[8], 0x30);  // 560 = 0x230
  EXPECT_EQ(bytes[9], 0x02);
  std::size_t pos = 0;
  const auto layout = ReadDialogLayout(bytes, pos);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->Top, -20);
  EXPECT_EQ(layout->Height, 420);
  EXPECT_EQ(layout->WindowState, 2);
  EXPECT_EQ(layout->Position, 7);
  const auto extra = ReadFileDialogLayout(bytes, pos);
  ASSERT_TRUE(extra);
  EXPECT_TRUE(extra->ShowTree);
  EXPECT_EQ(extra->SplitterPos, 160);
  EXPECT_EQ(pos, bytes.size());
}

TEST(OpenDialogLayout, ShortOrGarbageRecordsAreRefusedWithoutMoving) {
  std::vector<std::uint8_t> bytes;
  AppendDialogLayout(bytes, {});
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    std::vector<std::uint8_t> shortRecord(bytes.begin(), bytes.begin() + cut);
    std::size_t pos = 0;
    EXPECT_FALSE(ReadDialogLayout(shortRecord, pos)) << cut;
    EXPECT_EQ(pos, 0u);
  }
  auto badState = bytes;
  badState[16] = 3;
  std::size_t pos = 0;
  EXPECT_FALSE(ReadDialogLayout(badState, pos));
  auto badPosition = bytes;
  badPosition[17] = 8;
  EXPECT_FALSE(ReadDialogLayout(badPosition, pos));
  std::vector<std::uint8_t> badFlag{2, 0, 0, 0, 0};
  EXPECT_FALSE(ReadFileDialogLayout(badFlag, pos));
  pos = 99;  // past the end
  EXPECT_FALSE(ReadDialogLayout(bytes, pos));
  EXPECT_EQ(pos, 99u);
}

}  // namespace
}  // namespace kovra
