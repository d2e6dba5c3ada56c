#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/runtime/IniDocument.h"
#include "framework/runtime/Text.h"

namespace kovra {
namespace {

std::string Gbk(std::string_view utf8) {
  return Utf8ToGbk(utf8);
}

TEST(IniDocumentRead, NamesIgnoreCaseAndBlanks) {
  const IniDocument ini("  [ MainWindow ]  \r\n  strTop  =  120  \r\nCOLOR=-16777201\r\n");
  EXPECT_EQ(ini.ReadString("mainwindow", "STRTOP", "x"), "120");
  EXPECT_EQ(ini.ReadString(" MainWindow ", " color ", "x"), "-16777201");
  EXPECT_EQ(ini.ReadString("MainWindow", "strLeft", "100"), "100");
  EXPECT_EQ(ini.ReadString("Config", "strTop", "none"), "none");
}

TEST(IniDocumentRead, QuotesAroundAValueAsTheProfileFunctions) {
  const IniDocument ini(
      "[s]\nq1=\"quoted\"\nq2='single'\nq3=\"open\nq4=  \" sp \"  \nq5=\"a\"b\"\n"
      "q6=a\"b\"\nq7='x\"\nq8=\"\"\nempty=\n");
  EXPECT_EQ(ini.ReadString("s", "q1", ""), "quoted");
  EXPECT_EQ(ini.ReadString("s", "q2", ""), "single");
  EXPECT_EQ(ini.ReadString("s", "q3", ""), "\"open");
  EXPECT_EQ(ini.ReadString("s", "q4", ""), " sp ");
  EXPECT_EQ(ini.ReadString("s", "q5", ""), "a\"b");
  EXPECT_EQ(ini.ReadString("s", "q6", ""), "a\"b\"");
  EXPECT_EQ(ini.ReadString("s", "q7", ""), "'x\"");
  EXPECT_EQ(ini.ReadString("s", "q8", "d"), "");
  EXPECT_EQ(ini.Find("s", "empty"), "");  // present but empty is not missing
}

TEST(IniDocumentRead, FirstSectionAndFirstKeyWin) {
  const IniDocument ini("[a]\r\nk=1\r\nk=2\r\n[A]\r\nk=3\r\nj=4\r\n");
  EXPECT_EQ(ini.ReadString("a", "k", ""), "1");
  EXPECT_EQ(ini.ReadString("a", "j", "default"), "default");  // later duplicate ignored
}

TEST(IniDocumentRead, LinesThatAreNotKeys) {
  const IniDocument ini("top=0\n[s]\n;k=1\nk\n=5\nk2=a;b\n[t] trailing text\nx=1\n[u\ny=2\n");
  EXPECT_EQ(ini.ReadString("", "top", ""), "0");  // before any section
  EXPECT_EQ(ini.ReadString("s", "k", "d"), "d");  // comment and bare word are not keys
  EXPECT_EQ(ini.ReadString("s", ";k", "d"), "d");
  EXPECT_EQ(ini.ReadString("s", "k2", ""), "a;b");  // no comments after a value
  EXPECT_EQ(ini.ReadString("t", "x", ""), "1");
  EXPECT_EQ(ini.ReadString("t", "y", ""), "2");  // "[u" has no ']': not a header
  EXPECT_EQ(ini.ReadString("u", "y", "d"), "d");
}

TEST(IniDocumentRead, ChineseNamesAreMatchedAsCharacters) {
  const std::string file = Gbk("[代码表]\r\n大智慧(600000)=600000 浦发银行\r\n");
  const IniDocument ini(file);
  EXPECT_EQ(ini.ReadString("代码表", "大智慧(600000)", ""), "600000 浦发银行");
  // 乚 is 81 5D in GBK: its trail byte is ']', which must not end the section name.
  const IniDocument bracket(Gbk("[乚x]\nk=1\n"));
  EXPECT_EQ(bracket.ReadString("乚x", "k", ""), "1");
  // 丄 (81 41) and 乤 (81 61) differ only in a trail byte that looks like 'A'/'a'.
  const IniDocument trail(Gbk("[s]\n丄=upper\n"));
  EXPECT_EQ(trail.ReadString("s", "乤", "none"), "none");
  EXPECT_EQ(trail.ReadString("s", "丄", "none"), "upper");
}

TEST(IniDocumentRead, ValuesAreCutAsByTheProfileBuffer) {
  std::string value(3000, '7');
  EXPECT_EQ(IniDocument("[s]\nk=" + value + "\n").ReadString("s", "k", "").size(), 2047u);
  // A two-byte character straddling the limit is dropped whole.
  const std::string chinese = std::string(2046, 'a') + "\xD6\xD0";
  EXPECT_EQ(IniDocument("[s]\nk=" + chinese).ReadString("s", "k", ""), std::string(2046, 'a'));
  EXPECT_EQ(IniDocument(std::string("[s]\nk=a\0b\nm=2\n", 15)).ReadString("s", "k", ""), "a");
  EXPECT_EQ(IniDocument(std::string("[s]\nk=a\0b\nm=2\n", 15)).ReadString("s", "m", ""), "2");
}

TEST(IniDocumentRead, LineEndsOfEveryKind) {
  const IniDocument ini("[s]\nk=1\r[t]\r\nk=2");
  EXPECT_EQ(ini.ReadString("s", "k", ""), "1");
  EXPECT_EQ(ini.ReadString("t", "k", ""), "2");
  EXPECT_EQ(ini.Serialize(), "[s]\nk=1\r[t]\r\nk=2");
}

TEST(IniDocumentWrite, ReplacesInPlaceAndKeepsEverythingElse) {
  const std::string before =
      "; settings\r\n[MainWindow]\r\nstrTop = 100 \r\nodd=\x81\x7F\xFF\r\n\r\n[Config]\r\nx=1";
  IniDocument ini(before);
  ini.WriteString("mainwindow", "STRTOP", "250");
  EXPECT_EQ(
      ini.Serialize(),
      "; settings\r\n[MainWindow]\r\nstrTop = 250\r\nodd=\x81\x7F\xFF\r\n\r\n[Config]\r\nx=1");
}

TEST(IniDocumentWrite, AddsAKeyAfterTheSectionsLastKey) {
  IniDocument ini("[s]\r\nk=1\r\n\r\n; about t\r\n[t]\r\nx=1\r\n");
  ini.WriteString("s", "n", "2");
  EXPECT_EQ(ini.Serialize(), "[s]\r\nk=1\r\nn=2\r\n\r\n; about t\r\n[t]\r\nx=1\r\n");
  IniDocument bare("[s]\n\n[t]\n");
  bare.WriteString("s", "n", "2");
  EXPECT_EQ(bare.Serialize(), "[s]\nn=2\n\n[t]\n");  // the file's own line end
  IniDocument last("[s]\r\nk=1");
  last.WriteString("s", "n", "2");
  EXPECT_EQ(last.Serialize(), "[s]\r\nk=1\r\nn=2\r\n");
}

TEST(IniDocumentWrite, AddsAMissingSectionAtTheEnd) {
  IniDocument empty;
  empty.WriteString("Config", "下单价格浮动", "3");
  EXPECT_EQ(empty.Serialize(), Gbk("[Config]\r\n下单价格浮动=3\r\n"));
  IniDocument noEol("[s]\nk=1");
  noEol.WriteString("new", "n", "2");
  EXPECT_EQ(noEol.Serialize(), "[s]\nk=1\n[new]\nn=2\n");
}

TEST(IniDocumentWrite, WritesGoToTheFirstOfDuplicates) {
  IniDocument ini("[s]\r\nk=1\r\nk=2\r\n[S]\r\nk=3\r\n");
  ini.WriteString("s", "k", "9");
  EXPECT_EQ(ini.Serialize(), "[s]\r\nk=9\r\nk=2\r\n[S]\r\nk=3\r\n");
}

TEST(IniDocumentWrite, EveryValueReadsBackUnchanged) {
  IniDocument ini;
  const std::string values[] = {"C:\\Program Files\\交易\\xiadan.exe",
                                "  padded  ",
                                "\"quoted\"",
                                "'single'",
                                "",
                                "a=b;c",
                                "\"",
                                "\t"};
  for (const std::string& value : values) {
    ini.WriteString("s", "k", value);
    EXPECT_EQ(IniDocument(ini.Serialize()).ReadString("s", "k", "?"), value) << value;
  }
  ini.WriteString("s", "k", "line1\r\nx=injected");
  const IniDocument reread(ini.Serialize());
  EXPECT_EQ(reread.ReadString("s", "k", ""), "line1  x=injected");
  EXPECT_EQ(reread.ReadString("", "x", "none"), "none");
}

TEST(IniDocumentWrite, RefusesNamesTheFormatCannotHold) {
  IniDocument ini;
  EXPECT_THROW(ini.WriteString("", "k", "1"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("a]b", "k", "1"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("s", "a=b", "1"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("s", ";k", "1"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("s\n[x]", "k", "1"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("s", " ", "1"), std::invalid_argument);
  EXPECT_EQ(ini.Serialize(), "");
}

TEST(IniDocumentWrite, CharactersOutsideGbkBecomeQuestionMarks) {
  IniDocument ini;
  ini.WriteString("s", "k",
                  "a\xF0\x9F\x98\x80"
                  "b");
  EXPECT_EQ(ini.ReadString("s", "k", ""), "a?b");
}

TEST(IniDocumentEncoding, Utf8FileWithMarkStaysUtf8) {
  IniDocument ini("\xEF\xBB\xBF[代码表]\r\n大智慧=600000\r\n");
  EXPECT_EQ(ini.ReadString("代码表", "大智慧", ""), "600000");
  ini.WriteString("代码表", "新", "😀");
  EXPECT_EQ(ini.Serialize(), "\xEF\xBB\xBF[代码表]\r\n大智慧=600000\r\n新=😀\r\n");
}

TEST(IniDocumentEncoding, Utf16FileRoundTrips) {
  const std::u16string text = u"[代码表]\r\nk=中\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) bytes += static_cast<char>(c & 0xFF), bytes += static_cast<char>(c >> 8);
  IniDocument ini(bytes);
  EXPECT_EQ(ini.ReadString("代码表", "K", ""), "中");
  EXPECT_EQ(ini.Serialize(), bytes);
  ini.WriteString("代码表", "k", "文");
  EXPECT_EQ(IniDocument(ini.Serialize()).ReadString("代码表", "k", ""), "文");
  EXPECT_TRUE(ini.Serialize().starts_with("\xFF\xFE"));
}

TEST(IniDocumentScale, TenMegabyteFile) {
  std::string file = "[s]\r\n";
  for (int i = 0; file.size() < 10'000'000; ++i) {
    file += "key" + std::to_string(i) + "=value " + std::to_string(i) + "\r\n";
  }
  file += "[t]\r\nlast=1\r\n";
  IniDocument ini(file);
  EXPECT_EQ(ini.ReadString("t", "last", ""), "1");
  EXPECT_EQ(ini.ReadString("s", "KEY400000", ""), "value 400000");
  ini.WriteString("t", "added", "2");
  EXPECT_EQ(ini.Serialize(), file + "added=2\r\n");
  // One line of 10 MB and no line end at all.
  const IniDocument oneLine("[s]\nk=" + std::string(10'000'000, 'x'));
  EXPECT_EQ(oneLine.ReadString("s", "k", "").size(), IniDocument::kMaxValueBytes);
}

}  // namespace
}  // namespace kovra
