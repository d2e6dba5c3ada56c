#include "app/StockWatcher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/Configuration.h"
#include "app/Global.h"
#include "framework/runtime/Text.h"
#include "framework/WindowClass.h"
#include "support/Sim.h"
#include "support/Wait.h"

namespace kovra {
namespace {

// The watcher against the simulated quote window, with a code table in GBK in a scratch folder.
class StockWatcherTest : public testing::Test {
 protected:
  StockWatcherTest() : quote_("大智慧 - 浦发银行[600000]") {
    GlobalState->StockWnd = quote_.MainWindow();
    table_ = Narrow(dir_.Path()) + "股票代码表.ini";
    WriteTable("[代码表]\r\n600000=600000\r\n浦发银行 = 600000 浦发银行 \r\n誡[x]=000001\r\n");
    watcher_.OnDisplay = [this](TObject* sender, const std::string& text) {
      EXPECT_EQ(sender, &watcher_);
      shown_.push_back(text);
    };
  }

  void WriteTable(std::string_view utf8) {
    const std::u16string name = Utf8ToUtf16(table_);
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(name.c_str()), GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string gbk = Utf8ToGbk(utf8);
    DWORD written = 0;
    WriteFile(file, gbk.data(), static_cast<DWORD>(gbk.size()), &written, nullptr);
    CloseHandle(file);
  }

  TGlobalStateScope state_;
  test::ScratchDir dir_;
  test::QuoteSim quote_;
  std::string table_;
  int lookups_ = 0;
  TStockWatcher watcher_{[this](const std::string& key) {
    ++lookups_;
    return ReadIniValue(table_, "代码表", key);
  }};
  std::vector<std::string> shown_;
};

TEST_F(StockWatcherTest, ABracketedCodeFromTheTitleBecomesTheCurrentCode) {
  watcher_.Tick();
  EXPECT_EQ(GlobalState->LastTitleCode, "600000");
  EXPECT_EQ(GlobalState->CurrentCode, "600000");
  EXPECT_EQ(shown_, std::vector<std::string>{"600000"});
}

TEST_F(StockWatcherTest, TheTableIsReadOnlyWhenTheKeyChanges) {
  watcher_.Tick();
  // An edit of the table counts only from the next change of stock.
  WriteTable("[代码表]\r\n600000=600036\r\n");
  watcher_.Tick();
  quote_.SetTitle("大智慧 - 浦发 [600000] 日线");
  watcher_.Tick();
  EXPECT_EQ(lookups_, 1);
  EXPECT_EQ(GlobalState->CurrentCode, "600000");
  quote_.SetTitle("[000001]");
  watcher_.Tick();
  quote_.SetTitle("[600000]");
  watcher_.Tick();
  EXPECT_EQ(lookups_, 3);
  EXPECT_EQ(GlobalState->CurrentCode, "600036");
}

TEST_F(StockWatcherTest, ChineseKeysAreLookedUpInGbk) {
  quote_.SetTitle("大智慧 - [浦发银行]");
  watcher_.Tick();
  EXPECT_EQ(shown_.back(), "600000 浦发银行");
  EXPECT_EQ(GlobalState->CurrentCode, "600000 浦发银行");
  // The second GBK byte of 誡 is ']', which a byte scan of GBK would take for the bracket.
  quote_.SetTitle("行情[誡[x]]");
  watcher_.Tick();
  EXPECT_EQ(GlobalState->LastTitleCode, "誡[x]");
  EXPECT_EQ(GlobalState->CurrentCode, "000001");
}

TEST_F(StockWatcherTest, BracketCasesOfTheTitle) {
  quote_.SetTitle("x]y[600000]");
  watcher_.Tick();
  EXPECT_TRUE(shown_.empty());  // nothing seen yet, and nothing extracted
  quote_.SetTitle("[60[0]00]");
  watcher_.Tick();
  EXPECT_EQ(GlobalState->LastTitleCode, "60[0]00");
  EXPECT_EQ(shown_.back(), "60[0]00");  // not in the table: shown, but nothing to trade
  EXPECT_EQ(GlobalState->CurrentCode, "");
  quote_.SetTitle("[600000");
  watcher_.Tick();
  EXPECT_EQ(shown_.back(), "");
  EXPECT_EQ(GlobalState->LastTitleCode, "");
  EXPECT_EQ(lookups_, 1);
}

TEST_F(StockWatcherTest, AVanishedWindowClearsTheCode) {
  watcher_.Tick();
  ASSERT_EQ(GlobalState->CurrentCode, "600000");
  quote_.Process().Kill();
  ASSERT_TRUE(test::WaitUntil([&] { return !IsWindow(quote_.MainWindow()); }));
  watcher_.Tick();
  EXPECT_EQ(GlobalState->CurrentCode, "");
  EXPECT_EQ(shown_.back(), "");
}

TEST_F(StockWatcherTest, LongTitlesAreCutAndErrorsSwallowed) {
  std::string title(5000, 'x');
  title.replace(4000, 8, "[600000]");
  quote_.SetTitle(title);
  EXPECT_EQ(ReadWindowTitle(quote_.MainWindow()).size(), 4095u);
  watcher_.Tick();
  EXPECT_EQ(GlobalState->CurrentCode, "600000");
  title.replace(4000, 8, "xxxxxxxx");
  title.replace(4090, 8, "[000001]");  // its end is cut off
  quote_.SetTitle(title);
  watcher_.Tick();
  EXPECT_EQ(GlobalState->LastTitleCode, "");

  TStockWatcher failing([](const std::string&) -> std::string { throw Exception("unreadable"); });
  quote_.SetTitle("[000001]");
  EXPECT_NO_THROW(failing.Tick());
  EXPECT_EQ(GlobalState->LastTitleCode, "");  // tried again on the next tick
}

// The kept stock-code table against the reader that opens the file for each lookup.
class CodeTableLookupTest : public testing::Test {
 protected:
  void Write(const std::string& bytes) {
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }

  FILETIME WriteTime() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
  }

  void SetWriteTime(FILETIME time) {
    HANDLE file = CreateFileW(path_.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
  }

  static FILETIME HourLater(FILETIME time) {
    const uint64_t ticks =
        (static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime) + 36000000000ull;
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  }

  // Every key asked of both readers must give the same value.
  void ExpectSameAsReader(const CodeLookup& lookup, const std::vector<std::string>& keys) {
    for (const std::string& key : keys) {
      EXPECT_EQ(lookup(key), ReadIniValue(Narrow(path_), "代码表", key)) << "key '" << key << "'";
    }
  }

  test::ScratchDir dir_;
  std::wstring path_ = dir_.Path() + L"股票代码表.ini";
};

std::string Utf16File(const std::string& utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// A table with the reader's corner cases: names in other cases and with blanks, duplicates,
// quotes, a NUL, comments, a header look-alike, values past the 2047-byte cut (one ending in the
// middle of a two-byte GBK character), and a second section of the same name.
std::string TrickyTable(std::string_view eol, std::string_view bank) {
  std::string longGbk = "a";
  for (int i = 0; i < 1100; ++i) longGbk += "中";
  const std::vector<std::string> lines = {"Stray=before any section",
                                          "[其他]",
                                          "600000=another section",
                                          "[ 代码表 ] trailing",
                                          " 600000 = 600000 " + std::string(bank) + " ",
                                          "ABC=first",
                                          "abc=second",
                                          "Dup=1",
                                          "dup=2",
                                          "\"quoted\"=\"600001\"",
                                          "q1='  padded  '",
                                          "q2=\"unbalanced'",
                                          std::string("nul=before\0after", 16),
                                          "empty=",
                                          "=no key",
                                          ";600002=commented",
                                          " ; 600003=also commented",
                                          "[broken=600004",
                                          "eq=a=b",
                                          "誡[x]=000001",
                                          "长=" + longGbk,
                                          "long2=" + std::string(3000, 'x'),
                                          "[代码表]",
                                          "late=second section"};
  std::string text;
  for (const std::string& line : lines) text += line + std::string(eol);
  return text;
}

const std::vector<std::string> kTrickyKeys = {
    "600000", " 600000 ", "abc",     "ABC",    "aBc",    "dup",   "DUP", "\"quoted\"",
    "quoted", "q1",       "q2",      "nul",    "empty",  "",      "  ",  ";600002",
    "600002", "600003",   "[broken", "eq",     "誡[x]",  "誡[X]", "长",  "long2",
    "late",   "Stray",    "其他",    "代码表", "missing"};

TEST_F(CodeTableLookupTest, KeptTableGivesWhatTheReaderGivesInEveryEncodingAndAfterAnEdit) {
  struct Variant {
    const char* name;
    std::string (*encode)(const std::string&);
    const char* eol;
  };
  const Variant variants[] = {
      {"GBK, CR LF", [](const std::string& t) { return Utf8ToGbk(t); }, "\r\n"},
      {"GBK, LF", [](const std::string& t) { return Utf8ToGbk(t); }, "\n"},
      {"GBK, CR", [](const std::string& t) { return Utf8ToGbk(t); }, "\r"},
      {"UTF-8", [](const std::string& t) { return "\xEF\xBB\xBF" + t; }, "\r\n"},
      {"UTF-16", [](const std::string& t) { return Utf16File(t); }, "\r\n"},
  };
  for (const Variant& variant : variants) {
    SCOPED_TRACE(variant.name);
    Write(variant.encode(TrickyTable(variant.eol, "浦发银行")));
    const CodeLookup lookup = CodeTableLookup(Narrow(path_));
    ExpectSameAsReader(lookup, kTrickyKeys);
    EXPECT_EQ(lookup("600000"), "600000 浦发银行");
    EXPECT_EQ(lookup("abc"), "first");
    EXPECT_EQ(lookup("誡[x]"), "000001");
    EXPECT_LE(lookup("长").size(), 3 * 1100u);

    // The same size, and the write time is all that tells the edit apart.
    const FILETIME before = WriteTime();
    Write(variant.encode(TrickyTable(variant.eol, "招商银行")));
    SetWriteTime(HourLater(before));
    ExpectSameAsReader(lookup, kTrickyKeys);
    EXPECT_EQ(lookup("600000"), "600000 招商银行");
  }
}

// An edit of the same length that leaves the write time as it was (within the 2-second
// resolution of a FAT drive) is seen all the same: in a small table by its bytes, in one over
// a megabyte by its change time.
TEST_F(CodeTableLookupTest, AnEditOfTheSameSizeAndWriteTimeIsSeen) {
  for (const size_t padding : {size_t{0}, size_t{2} << 20}) {
    SCOPED_TRACE(testing::Message() << padding << " bytes of comment");
    const std::string comment = padding ? "; " + std::string(padding, 'x') + "\r\n" : "";
    Write(comment + Utf8ToGbk("[代码表]\r\n浦发银行=600000\r\n"));
    const CodeLookup lookup = CodeTableLookup(Narrow(path_));
    const CodeLookup copy = lookup;  // copies share what is kept
    EXPECT_EQ(lookup("浦发银行"), "600000");
    const FILETIME written = WriteTime();
    Write(comment + Utf8ToGbk("[代码表]\r\n浦发银行=600036\r\n"));
    SetWriteTime(written);
    EXPECT_EQ(copy("浦发银行"), "600036");
    Write(comment + Utf8ToGbk("[代码表]\r\n浦发银行=60003\r\n"));
    SetWriteTime(written);
    EXPECT_EQ(lookup("浦发银行"), "60003");  // another size
  }
}

TEST_F(CodeTableLookupTest, AMissingOrUnreadableTableGivesEmptyValuesAndIsNotKept) {
  const CodeLookup lookup = CodeTableLookup(Narrow(path_));
  EXPECT_EQ(lookup("600000"), "");
  Write(Utf8ToGbk("[代码表]\r\n600000=600000 浦发\r\n"));
  EXPECT_EQ(lookup("600000"), "600000 浦发");
  const FILETIME written = WriteTime();

  ASSERT_TRUE(DeleteFileW(path_.c_str()));
  EXPECT_EQ(lookup("600000"), "");
  // Back with the same size and time: read afresh, as nothing was kept.
  Write(Utf8ToGbk("[代码表]\r\n600000=600036 招商\r\n"));
  SetWriteTime(written);
  EXPECT_EQ(lookup("600000"), "600036 招商");

  // Held open by a program that shares nothing: unreadable, so a table not yet kept gives
  // nothing, while the kept one still stands for the unchanged file.
  HANDLE holder = CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CodeTableLookup(Narrow(path_))("600000"), "");
  EXPECT_EQ(lookup("600000"), "600036 招商");
  CloseHandle(holder);
}

}  // namespace
}  // namespace kovra
