// The stock-code table under bad input: the watcher against the quote window and a table file
// that is missing, garbage, large, keyed in GBK, or holds values with blanks and control bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/Configuration.h"
#include "app/Global.h"
#include "app/StockWatcher.h"
#include "framework/runtime/Text.h"
#include "support/Sim.h"

namespace kovra {
namespace {

std::string Narrow(const std::wstring& wide) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

class StockCodeFaultTest : public testing::Test {
 protected:
  StockCodeFaultTest() : quote_("大智慧") {
    GlobalState->StockWnd = quote_.MainWindow();
    table_ = Narrow(dir_.Path()) + "股票代码表.ini";
    watcher_.OnDisplay = [this](TObject*, const std::string& text) { shown_ = text; };
  }

  void WriteTable(std::string_view bytes) {
    const std::u16string name = Utf8ToUtf16(table_);
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(name.c_str()), GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }

  // Shows a title and ticks once.
  void Show(std::string_view title) {
    quote_.SetTitle(title);
    watcher_.Tick();
  }

  TGlobalStateScope state_;
  test::ScratchDir dir_;
  test::QuoteSim quote_;
  std::string table_;
  std::string shown_ = "<nothing shown>";
  TStockWatcher watcher_{
      [this](const std::string& key) { return ReadIniValue(table_, "代码表", key); }};
};

TEST_F(StockCodeFaultTest, AMissingOrGarbageTableShowsTheKeyAndTradesNothing) {
  Show("大智慧 - [600000]");
  EXPECT_EQ(shown_, "600000");
  EXPECT_EQ(GlobalState->CurrentCode, "");

  std::mt19937 random(11);
  std::string garbage;
  for (int i = 0; i < 200000; ++i) garbage += static_cast<char>(random() & 0xFF);
  WriteTable(garbage);
  Show("大智慧 - [600001]");
  EXPECT_EQ(GlobalState->LastTitleCode, "600001");
  EXPECT_EQ(GlobalState->CurrentCode, "");

  // A folder under the table's name cannot be read either.
  const std::u16string name = Utf8ToUtf16(table_);
  DeleteFileW(reinterpret_cast<const wchar_t*>(name.c_str()));
  ASSERT_TRUE(CreateDirectoryW(reinterpret_cast<const wchar_t*>(name.c_str()), nullptr));
  Show("大智慧 - [600002]");
  EXPECT_EQ(shown_, "600002");
  EXPECT_EQ(GlobalState->CurrentCode, "");
  RemoveDirectoryW(reinterpret_cast<const wchar_t*>(name.c_str()));
}

TEST_F(StockCodeFaultTest, SixThousandGbkKeysAreEachFound) {
  std::string table = "[代码表]\r\n";
  for (int i = 0; i < 6000; ++i) {
    table += "股票" + std::to_string(i) + "=" + std::to_string(600000 + i) + " 名称" +
             std::to_string(i) + "\r\n";
  }
  WriteTable(Utf8ToGbk(table));
  for (int i : {0, 1, 2999, 5998, 5999}) {
    Show("大智慧 - [股票" + std::to_string(i) + "]");
    EXPECT_EQ(shown_, std::to_string(600000 + i) + " 名称" + std::to_string(i));
    EXPECT_EQ(GlobalState->CurrentCode, shown_);
  }
  Show("大智慧 - [股票6000]");
  EXPECT_EQ(shown_, "股票6000");
  EXPECT_EQ(GlobalState->CurrentCode, "");
}

TEST_F(StockCodeFaultTest, BlanksAndControlBytesAroundAValueAreNotTraded) {
  WriteTable(
      Utf8ToGbk("[代码表]\r\n"
                "a= \t600000 \r\n"
                "b=\x01\x02 600001\x1f\x7f\r\n"
                "c=\"  600002  \"\r\n"
                "d=   \r\n"
                "e=6000\t03\r\n"));
  Show("[a]");
  EXPECT_EQ(GlobalState->CurrentCode, "600000");
  Show("[b]");
  EXPECT_EQ(GlobalState->CurrentCode, "600001\x1f\x7f");  // DEL is not a blank
  Show("[c]");
  EXPECT_EQ(GlobalState->CurrentCode, "600002");
  Show("[d]");
  EXPECT_EQ(shown_, "d");  // an empty value shows the key
  EXPECT_EQ(GlobalState->CurrentCode, "");
  Show("[e]");
  EXPECT_EQ(GlobalState->CurrentCode, "6000\t03");
}

TEST_F(StockCodeFaultTest, KeysWithBracketTrailBytesAreLookedUpWhole) {
  // 乕 is 81 5B and 乗 is 81 5D in code page 936: their second bytes are "[" and "]".
  const std::string open = GbkToUtf8("\x81\x5B");
  const std::string close = GbkToUtf8("\x81\x5D");
  ASSERT_EQ(Utf8ToGbk(open), "\x81\x5B");
  WriteTable(Utf8ToGbk("[代码表]\r\n" + open + "X" + close + "=600036 招商银行\r\n"));
  Show("大智慧 - " + close + "[" + open + "X" + close + "]" + open);
  EXPECT_EQ(GlobalState->LastTitleCode, open + "X" + close);
  EXPECT_EQ(GlobalState->CurrentCode, "600036 招商银行");
}

}  // namespace
}  // namespace kovra
