#include "shell/RzShellLogic.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kovra {
namespace {

// A list of items, each `payload` bytes after its count, with the terminator.
TRzIdBytes MakeList(const std::vector<std::string>& items) {
  TRzIdBytes out;
  for (const auto& payload : items) {
    const std::size_t cb = payload.size() + 2;
    out.push_back(static_cast<std::uint8_t>(cb & 0xFF));
    out.push_back(static_cast<std::uint8_t>(cb >> 8));
    out.insert(out.end(), payload.begin(), payload.end());
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

TEST(ShellText, TrailingCharIsAddedOnlyWhenMissing) {
  EXPECT_EQ(EnsureTrailingChar("C:\\", '\\'), "C:\\");
  EXPECT_EQ(EnsureTrailingChar("", '\\'), "");
  EXPECT_EQ(EnsureTrailingChar("C:\\Temp", '\\'), "C:\\Temp\\");
  // A CJK name ends in a continuation byte, never mistaken for the separator.
  EXPECT_EQ(EnsureTrailingChar("C:\\股票", '\\'), "C:\\股票\\");
}

TEST(ShellText, TrimTrailingBlanksKeepsWholeCharacters) {
  EXPECT_EQ(TrimTrailingBlanks("name \t\r\n"), "name");
  EXPECT_EQ(TrimTrailingBlanks(std::string("a\0\x01 ", 4)), "a");
  EXPECT_EQ(TrimTrailingBlanks("   "), "");
  EXPECT_EQ(TrimTrailingBlanks("代码 "), "代码");
  EXPECT_EQ(TrimTrailingBlanks(" lead"), " lead");
}

TEST(ShellText, AppendCharAtStepsOverMultiByteCharactersAndBrokenInput) {
  const std::string text = "a股\xE4x";  // 'a', a 3-byte character, a lead byte without its tail
  std::string out;
  std::size_t pos = 0;
  AppendCharAt(text, pos, out);
  EXPECT_EQ(pos, 1u);
  AppendCharAt(text, pos, out);
  EXPECT_EQ(pos, 4u);
  EXPECT_EQ(out, "a股");
  AppendCharAt(text, pos, out);  // broken sequence: one byte
  EXPECT_EQ(pos, 5u);
  AppendCharAt(text, pos, out);
  AppendCharAt(text, pos, out);  // at the end: nothing
  EXPECT_EQ(pos, 6u);
  EXPECT_EQ(out, text);

  std::string cut = "\xE8\x82";  // a sequence cut short by the end of the text
  std::size_t at = 0;
  std::string sink;
  AppendCharAt(cut, at, sink);
  EXPECT_EQ(at, 1u);
}

TEST(ShellText, PathsJoinWithOneSeparatorAndSplitAtTheLastOne) {
  EXPECT_EQ(JoinPath("C:\\", "a.txt"), "C:\\a.txt");
  EXPECT_EQ(JoinPath("C:\\Temp", "a.txt"), "C:\\Temp\\a.txt");
  EXPECT_EQ(JoinPath("C:\\Temp/", "\\a.txt"), "C:\\Temp\\a.txt");
  EXPECT_EQ(JoinPath("", "a.txt"), "a.txt");
  EXPECT_EQ(PathFileName("C:\\Temp\\股票.lnk"), "股票.lnk");
  EXPECT_EQ(PathFileName("C:name"), "name");
  EXPECT_EQ(PathFileName("C:\\Temp\\"), "");
  EXPECT_TRUE(IsShortcutPath("C:\\x\\Tool.LNK"));
  EXPECT_FALSE(IsShortcutPath("C:\\x.lnk\\file"));
  EXPECT_FALSE(IsShortcutPath(".ln"));
}

TEST(ShellText, NewFolderNamesFollowBothPasses) {
  EXPECT_EQ(NewFolderName("New Folder", 0, 1), "New Folder");
  EXPECT_EQ(NewFolderName("New Folder", 0, 2), "New Folder (2)");
  EXPECT_EQ(NewFolderName("New Folder", 0, 50), "New Folder (50)");
  EXPECT_EQ(NewFolderName("New Folder", 1, 1), "fldr");
  EXPECT_EQ(NewFolderName("New Folder", 1, 2), "fldr2");
  EXPECT_EQ(NewFolderName("New Folder", 1, 50), "fldr50");
}

TEST(IdBytes, SizeCountItemsAndPrefixes) {
  const TRzIdBytes desktop = MakeList({});
  EXPECT_EQ(IdBytesSize(desktop.data()), 2u);
  EXPECT_EQ(IdBytesSize(nullptr), 0u);
  EXPECT_EQ(IdBytesCount(desktop.data()), 0);

  const TRzIdBytes list = MakeList({"C:", "Temp", "x.txt"});
  EXPECT_EQ(IdBytesSize(list.data()), list.size());
  EXPECT_EQ(IdBytesCount(list.data()), 3);
  EXPECT_EQ(IdBytesItem(list.data(), 0), list.data());
  EXPECT_EQ(IdBytesItem(list.data(), 1), list.data() + 4);
  EXPECT_EQ(IdBytesItem(list.data(), 2), list.data() + 10);
  EXPECT_EQ(IdBytesItem(list.data(), 3), nullptr);
  EXPECT_EQ(IdBytesItem(list.data(), -1), nullptr);
  EXPECT_EQ(IdBytesPrefixSize(list.data(), 2), 10u);
  EXPECT_EQ(IdBytesPrefixSize(list.data(), 9), list.size() - 2);
}

TEST(IdBytes, ValidationRejectsListsThatRunOutsideTheirBlock) {
  const TRzIdBytes list = MakeList({"abc", "de"});
  EXPECT_EQ(ValidIdBytesSize(list), list.size());
  // Trailing bytes after the terminator are not part of the list.
  TRzIdBytes padded = list;
  padded.push_back(0x7F);
  EXPECT_EQ(ValidIdBytesSize(padded), list.size());
  // No terminator within the block.
  EXPECT_EQ(ValidIdBytesSize(std::span(list).first(list.size() - 1)), 0u);
  // An item count that points past the end.
  TRzIdBytes overlong = list;
  overlong[0] = 0xFF;
  EXPECT_EQ(ValidIdBytesSize(overlong), 0u);
  // A count of 1 would never advance.
  const TRzIdBytes stuck = {1, 0, 0, 0};
  EXPECT_EQ(ValidIdBytesSize(stuck), 0u);
  EXPECT_EQ(ValidIdBytesSize({}), 0u);
  EXPECT_EQ(ValidIdBytesSize(std::span<const std::uint8_t>(list.data(), 1)), 0u);
}

TEST(IdBytes, ByteComparisonOrdersByContentThenLength) {
  const TRzIdBytes a = MakeList({"abc"});
  const TRzIdBytes b = MakeList({"abd"});
  const TRzIdBytes ab = MakeList({"abc", "x"});
  EXPECT_EQ(CompareIdBytes(a.data(), a.data()), 0);
  EXPECT_LT(CompareIdBytes(a.data(), b.data()), 0);
  EXPECT_GT(CompareIdBytes(b.data(), a.data()), 0);
  // The first item's count differs before the payload does.
  EXPECT_NE(CompareIdBytes(a.data(), ab.data()), 0);
  EXPECT_EQ(CompareIdBytes(nullptr, nullptr), 0);
  EXPECT_LT(CompareIdBytes(nullptr, a.data()), 0);
}

TEST(LocatorRecord, ListAndSpecialFolderRoundTrip) {
  TRzLocatorRecord byList;
  byList.List = MakeList({"C:", "Temp"});
  const TRzIdBytes stored = EncodeLocatorRecord(byList);
  ASSERT_EQ(stored.size(), 5 + byList.List.size());
  EXPECT_EQ(stored[0], 0);
  EXPECT_EQ(stored[1], byList.List.size());
  const auto back = DecodeLocatorRecord(stored);
  ASSERT_TRUE(back);
  EXPECT_FALSE(back->SpecialFolder);
  EXPECT_EQ(back->List, byList.List);

  TRzLocatorRecord special;
  special.SpecialFolder = true;
  special.Folder = 17;
  EXPECT_EQ(EncodeLocatorRecord(special), (TRzIdBytes{1, 17}));
  const auto back2 = DecodeLocatorRecord(TRzIdBytes{5, 17});  // any non-zero mode
  ASSERT_TRUE(back2);
  EXPECT_TRUE(back2->SpecialFolder);
  EXPECT_EQ(back2->Folder, 17);
}

TEST(LocatorRecord, EmptyListReadsBackAsTheDesktopFolder) {
  const TRzIdBytes stored = EncodeLocatorRecord(TRzLocatorRecord{});
  EXPECT_EQ(stored, (TRzIdBytes{0, 0, 0, 0, 0}));
  const auto back = DecodeLocatorRecord(stored);
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->SpecialFolder);
  EXPECT_EQ(back->Folder, 0);
}

TEST(LocatorRecord, DamagedRecordsAreRejected) {
  EXPECT_FALSE(DecodeLocatorRecord({}));
  EXPECT_FALSE(DecodeLocatorRecord(TRzIdBytes{1}));
  EXPECT_FALSE(DecodeLocatorRecord(TRzIdBytes{0, 4, 0}));
  // A length beyond the bytes present.
  EXPECT_FALSE(DecodeLocatorRecord(TRzIdBytes{0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
  // A length that does not match the list inside.
  TRzIdBytes list = MakeList({"ab"});
  TRzIdBytes wrong = {0, static_cast<std::uint8_t>(list.size() + 1), 0, 0, 0};
  wrong.insert(wrong.end(), list.begin(), list.end());
  wrong.push_back(0);
  EXPECT_FALSE(DecodeLocatorRecord(wrong));
}

TEST(IdListArray, BuildsTheShellLayoutAndParsesItBack) {
  const TRzIdBytes parent = MakeList({"C:", "Temp"});
  const TRzIdBytes a = MakeList({"a.txt"});
  const TRzIdBytes b = MakeList({"b.txt"});
  const TRzIdBytes block = BuildIdListArray(parent, {a, b});
  std::uint32_t count = 0, first = 0, second = 0;
  std::memcpy(&count, block.data(), 4);
  std::memcpy(&first, block.data() + 4, 4);
  std::memcpy(&second, block.data() + 8, 4);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(first, 16u);  // count and three offsets
  EXPECT_EQ(second, 16u + parent.size());
  EXPECT_EQ(block.size(), 16 + parent.size() + a.size() + b.size());

  const auto parsed = ParseIdListArray(block);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->Parent, parent);
  ASSERT_EQ(parsed->Items.size(), 2u);
  EXPECT_EQ(parsed->Items[0], a);
  EXPECT_EQ(parsed->Items[1], b);

  // A list handed over without its terminator gets one.
  const TRzIdBytes bare(a.begin(), a.end() - 2);
  const auto again = ParseIdListArray(BuildIdListArray(parent, {bare}));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->Items.at(0), a);
}

TEST(IdListArray, ForeignBlocksThatLieAboutTheirContentsAreRejected) {
  const TRzIdBytes parent = MakeList({"C:"});
  const TRzIdBytes a = MakeList({"a"});
  const TRzIdBytes block = BuildIdListArray(parent, {a});
  EXPECT_FALSE(ParseIdListArray(std::span(block).first(7)));
  EXPECT_FALSE(ParseIdListArray(std::span(block).first(block.size() - 1)));
  TRzIdBytes hugeCount = block;
  hugeCount[3] = 0x40;
  EXPECT_FALSE(ParseIdListArray(hugeCount));
  TRzIdBytes badOffset = block;
  badOffset[8] = 0xF0;
  EXPECT_FALSE(ParseIdListArray(badOffset));
  TRzIdBytes badItem = block;
  badItem[block.size() - a.size()] = 0x60;  // the item claims more bytes than the block has
  EXPECT_FALSE(ParseIdListArray(badItem));
}

TEST(FileDropBlock, WideNamesAfterTheHeaderEndWithTwoZeros) {
  const TRzIdBytes block = BuildFileDropBlock({u"C:\\a.txt", u"", u"D:\\股"});
  ASSERT_GE(block.size(), kDropFilesHeaderSize);
  std::uint32_t offset = 0, wide = 0;
  std::memcpy(&offset, block.data(), 4);
  std::memcpy(&wide, block.data() + 16, 4);
  EXPECT_EQ(offset, kDropFilesHeaderSize);
  EXPECT_EQ(wide, 1u);
  std::u16string names(reinterpret_cast<const char16_t*>(block.data() + kDropFilesHeaderSize),
                       (block.size() - kDropFilesHeaderSize) / 2);
  // The empty name is left out: it would end the list before the third name.
  EXPECT_EQ(names, std::u16string(u"C:\\a.txt\0D:\\股\0\0", 15));
  // No names: the list is just the final zero.
  EXPECT_EQ(BuildFileDropBlock({}).size(), kDropFilesHeaderSize + 2);
}

}  // namespace
}  // namespace kovra
