#include "app/StockWatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Configuration.h"
#include "app/Global.h"
#include "framework/runtime/Text.h"
#include "support/Sim.h"
#include "support/Wait.h"

namespace kovra {
namespace {

std::string Narrow(const std::wstring& wide) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

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

}  // namespace
}  // namespace kovra
