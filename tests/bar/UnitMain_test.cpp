// The real Kovra.exe beside the simulated trading client and quote application, driven as a user
// would: clicks on its buttons, its popup menus, a drag, its exit; read back from the client's
// journal, the program's windows and the configuration it leaves behind.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "BarProcess.h"
#include "framework/Handles.h"
#include "support/Sim.h"
#include "support/Wait.h"

namespace kovra::test {
namespace {

constexpr int kBuyButton = 1, kMarginButton = 0, kStockBox = 2, kSellButton = 3, kCancelButton = 4;

std::vector<JournalEntry> Events(const TradeSim& sim, std::string_view event) {
  std::vector<JournalEntry> found;
  for (auto& entry : sim.Journal())
    if (entry.event == event) found.push_back(std::move(entry));
  return found;
}

class BarTest : public testing::Test {
 protected:
  // The simulators as the worked example has them: funds 100000, buyable 9700, sellable 2350,
  // price 10.00 (10.30 on the sell page); then the bar, showing stock 600000.
  void StartAll(std::vector<std::wstring> tradeOptions = {}) {
    tradeOptions.insert(tradeOptions.end(), {L"--sell-price", L"10.30"});
    trade_ = std::make_unique<TradeSim>(tradeOptions);
    quote_ = std::make_unique<QuoteSim>("大智慧 - [600000]");
    folder_.UseSimulators();
    folder_.WriteCodeTable("600000", "600000");
    StartBar();
    ASSERT_TRUE(WaitUntil([&] { return bar_->Display() == "600000"; }));
  }

  void StartBar() {
    bar_ = std::make_unique<BarProcess>(folder_);
    bar_->WaitForBar();
  }

  // One order through `act`; returns its ORDER line (event empty when none came).
  JournalEntry Order(const std::function<void()>& act, int timeoutMs = 10000) {
    const size_t before = Events(*trade_, "ORDER").size();
    act();
    WaitUntil([&] { return Events(*trade_, "ORDER").size() > before; },
              std::chrono::milliseconds(timeoutMs));
    // The order raised the client; a menu opened on the bar before the client has taken the
    // foreground would be closed when it does.
    WaitUntil([&] { return GetForegroundWindow() == trade_->MainWindow(); },
              std::chrono::milliseconds(timeoutMs));
    auto orders = Events(*trade_, "ORDER");
    if (orders.size() <= before) {
      // What the client did instead tells which step went astray.
      for (const auto& entry : trade_->Journal())
        std::cerr << "journal: " << entry.event << " " << entry.Field(0) << " " << entry.Field(1)
                  << " " << entry.Field(2) << "\n";
    }
    return orders.size() > before ? orders.back() : JournalEntry{};
  }
  JournalEntry ClickOrder(int button) {
    return Order([&] { bar_->Click(bar_->Control(button)); });
  }
  JournalEntry MenuOrder(int button, std::string_view item) {
    return Order([&] { bar_->ChooseMenuItem(button, item); });
  }
  void ExpectOrder(const JournalEntry& order, const char* page, const char* price,
                   const char* quantity) {
    EXPECT_EQ(order.event, "ORDER");
    EXPECT_EQ(order.Field(0), page);
    EXPECT_EQ(order.Field(1), "600000");
    EXPECT_EQ(order.Field(2), price);
    EXPECT_EQ(order.Field(3), quantity) << page;
  }

  BarFolder folder_;
  std::unique_ptr<TradeSim> trade_;
  std::unique_ptr<QuoteSim> quote_;
  std::unique_ptr<BarProcess> bar_;
};

TEST_F(BarTest, WorkedExampleThroughTheButtonsAndMenus) {
  // Over the client's window, which every order raises: the clicks only land while the bar
  // stays above it.
  RECT client;
  folder_.WriteIni("MainWindow", "strTop", "300");
  folder_.WriteIni("MainWindow", "strLeft", "250");
  StartAll();
  ASSERT_TRUE(GetWindowRect(trade_->MainWindow(), &client));
  const RECT bar = bar_->BarRect();
  ASSERT_TRUE(bar.left > client.left && bar.right < client.right && bar.top > client.top &&
              bar.bottom < client.bottom);
  const char* buys[] = {"9700", "4800", "3200", "2400", "1900"};
  const char* margins[] = {"9400", "4700", "3100", "2300", "1800"};
  const char* sells[] = {"2350", "1100", "700", "500", "400"};
  const char* buyItems[] = {"全仓买", "半仓买", "买三分之一仓", "买四分之一仓", "买五分之一仓"};
  const char* marginItems[] = {"融资全仓买", "融资半仓买", "融资买三分之一仓", "融资买四分之一仓",
                               "融资买五分之一仓"};
  const char* sellItems[] = {"全仓卖", "半仓卖", "卖三分之一仓", "卖四分之一仓", "卖五分之一仓"};
  for (int item = 0; item < 5; ++item) {
    SCOPED_TRACE(item);
    ExpectOrder(MenuOrder(kBuyButton, buyItems[item]), "buy", "10.30", buys[item]);
    ExpectOrder(MenuOrder(kMarginButton, marginItems[item]), "margin", "10.30", margins[item]);
    ExpectOrder(MenuOrder(kSellButton, sellItems[item]), "sell", "10.00", sells[item]);
  }
  // A plain click is choice 6: by amount at first, by shares once a pair item flipped it. Both
  // items of a pair flip it, each time.
  ExpectOrder(ClickOrder(kBuyButton), "buy", "10.30", "4800");
  ExpectOrder(ClickOrder(kMarginButton), "margin", "10.30", "4800");
  ExpectOrder(ClickOrder(kSellButton), "sell", "10.00", "2000");
  bar_->ChooseMenuItem(kBuyButton, "按股数买");
  bar_->ChooseMenuItem(kMarginButton, "融资按金额买");
  ExpectOrder(ClickOrder(kBuyButton), "buy", "10.30", "2000");
  ExpectOrder(ClickOrder(kMarginButton), "margin", "10.30", "2000");
  bar_->ChooseMenuItem(kBuyButton, "按股数买");
  bar_->ChooseMenuItem(kMarginButton, "融资按股数买");
  ExpectOrder(ClickOrder(kBuyButton), "buy", "10.30", "4800");
  ExpectOrder(ClickOrder(kMarginButton), "margin", "10.30", "4800");
}

TEST_F(BarTest, CancelPressesSelectAllThenWithdraw) {
  StartAll();
  ExpectOrder(ClickOrder(kBuyButton), "buy", "10.30", "4800");
  bar_->Click(bar_->Control(kCancelButton));
  ASSERT_TRUE(WaitUntil([&] { return Events(*trade_, "CANCEL").size() >= 2; }));
  const auto cancels = Events(*trade_, "CANCEL");
  EXPECT_EQ(cancels[0].Field(0), "12");
  EXPECT_EQ(cancels[1].Field(0), "9");
  EXPECT_EQ(cancels[1].Field(2), "1");  // the one order placed
}

TEST_F(BarTest, ADoubleClickDuringAnActionPlacesOneOrder) {
  StartAll();
  ExpectOrder(Order([&] { bar_->Click(bar_->Control(kBuyButton), 2); }), "buy", "10.30", "4800");
  // Whatever the second click started would have ended before a later cancel does.
  bar_->Click(bar_->Control(kCancelButton));
  ASSERT_TRUE(WaitUntil([&] { return Events(*trade_, "CANCEL").size() >= 2; }));
  EXPECT_EQ(Events(*trade_, "ORDER").size(), 1u);
  EXPECT_EQ(Events(*trade_, "KEY").size(), 2u);  // F1 once, F3 once
}

TEST_F(BarTest, StaysResponsiveWhileTheClientHangsAndSurvivesItsExit) {
  // The hang is shorter than the bar waits for an answer, so the action goes on to the press.
  StartAll({L"--hang", L"1500", L"--hang-on", L"code", L"--exit-on", L"click"});
  bar_->Click(bar_->Control(kBuyButton));
  ASSERT_TRUE(trade_->WaitForEvent("HANG").event == "HANG");
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(bar_->Responsive());
  ASSERT_TRUE(trade_->WaitForEvent("EXIT").event == "EXIT");
  ASSERT_EQ(trade_->Process().WaitExit(), 3);
  EXPECT_TRUE(bar_->Responsive());
  bar_->Click(bar_->Control(kSellButton));  // a client that is gone: nothing happens
  EXPECT_TRUE(WaitUntil([&] { return bar_->Responsive(); }));
  EXPECT_TRUE(bar_->Process().Running());
  EXPECT_EQ(bar_->Exit(), 0);
}

TEST_F(BarTest, RightButtonOnTheStockBoxOpensTheMenuWithoutDragging) {
  StartAll();
  const RECT before = bar_->BarRect();
  bar_->RightClick(bar_->Control(kStockBox));
  ASSERT_TRUE(WaitUntil([] { return BarProcess::MenuOpen(); }));
  BarProcess::PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([] { return !BarProcess::MenuOpen(); }));
  const RECT after = bar_->BarRect();
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_TRUE(bar_->Process().Running());
}

TEST_F(BarTest, PositionColourAndFlagsAreStoredAtExitAndRestoredAtTheNextStart) {
  folder_.WriteIni("MainWindow", "COLOR", "255");
  StartAll();
  const RECT start = bar_->BarRect();
  EXPECT_EQ(start.left, 100);
  EXPECT_EQ(start.top, 100);
  bar_->Drag(bar_->Control(kStockBox), 60, 40);
  const RECT moved = bar_->BarRect();
  EXPECT_EQ(moved.left, 160);
  EXPECT_EQ(moved.top, 140);
  EXPECT_EQ(moved.right - moved.left, 232);
  bar_->ChooseMenuItem(kBuyButton, "按股数买");
  bar_->ChooseMenuItem(kMarginButton, "融资按股数买");
  ASSERT_EQ(bar_->Exit(), 0);

  EXPECT_EQ(folder_.ReadIni("MainWindow", "strTop"), std::to_string(moved.top));
  EXPECT_EQ(folder_.ReadIni("MainWindow", "strLeft"), std::to_string(moved.left));
  EXPECT_EQ(folder_.ReadIni("MainWindow", "COLOR"), "255");
  EXPECT_EQ(folder_.ReadIni("Config", "融资按金额"), "0");
  EXPECT_EQ(folder_.ReadIni("Config", "担保按金额"), "0");

  StartBar();
  const RECT restored = bar_->BarRect();
  EXPECT_EQ(restored.left, moved.left);
  EXPECT_EQ(restored.top, moved.top);
  ASSERT_TRUE(WaitUntil([&] { return bar_->Display() == "600000"; }));
  ExpectOrder(ClickOrder(kBuyButton), "buy", "10.30", "2000");
  ExpectOrder(ClickOrder(kMarginButton), "margin", "10.30", "2000");
}

TEST_F(BarTest, FirstRunWarnsInOrderThenStoresTheDefaults) {
  bar_ = std::make_unique<BarProcess>(folder_);
  const MessageBoxInfo first = bar_->WaitForMessageBox();
  ASSERT_NE(first.window, nullptr);
  EXPECT_EQ(first.caption, "Kovra");
  EXPECT_EQ(first.text, "交易软件没有运行!");
  BarProcess::Dismiss(first);
  const MessageBoxInfo second = bar_->WaitForMessageBox();
  ASSERT_NE(second.window, nullptr);
  EXPECT_EQ(second.caption, "Kovra");
  EXPECT_EQ(second.text, "大智慧股票行情软件没有运行!");
  BarProcess::Dismiss(second);

  bar_->WaitForBar();
  const RECT r = bar_->BarRect();
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(r.right - r.left, 232);
  EXPECT_EQ(r.bottom - r.top, 30);
  const LONG_PTR exStyle = GetWindowLongPtrW(bar_->Bar(), GWL_EXSTYLE);
  EXPECT_EQ(exStyle & 0x98, 0x98);  // topmost, accepts files, tool window
  EXPECT_TRUE(exStyle & WS_EX_LAYERED);
  EXPECT_EQ(GetWindow(bar_->Bar(), GW_OWNER), nullptr);
  // No window of the program gets a taskbar button.
  for (HWND wnd : bar_->TopLevelWindows())
    EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(bar_->Display(), "");
  ASSERT_EQ(bar_->Exit(), 0);

  EXPECT_EQ(folder_.ReadIni("MainWindow", "strTop"), "100");
  EXPECT_EQ(folder_.ReadIni("MainWindow", "strLeft"), "100");
  EXPECT_EQ(folder_.ReadIni("MainWindow", "COLOR"), "-16777201");
  EXPECT_EQ(folder_.ReadIni("Config", "TradeSoft"), "");
  EXPECT_EQ(folder_.ReadIni("Config", "每次买入金额"), "5");
  EXPECT_EQ(folder_.ReadIni("Config", "每次买卖股数"), "2000");
  EXPECT_EQ(folder_.ReadIni("Config", "下单价格浮动"), "3");
  EXPECT_EQ(folder_.ReadIni("Config", "融资按金额"), "1");
  EXPECT_EQ(folder_.ReadIni("Config", "担保按金额"), "1");
}

// A settings file that another program holds through the start, longer than the bar waits for
// it, and frees before the close: the bar runs on the defaults, and its close adds what the
// trader changed to the file while the trader's paths, amounts and colour stay.
TEST_F(BarTest, ASettingsFileHeldThroughTheStartKeepsTheTradersValues) {
  folder_.WriteIni("MainWindow", "COLOR", "255");
  folder_.WriteIni("MainWindow", "strTop", "50");
  folder_.WriteIni("Config", "TradeSoft", "C:\\券商\\xiadan.exe");
  folder_.WriteIni("Config", "StockSoft", "C:\\dzh\\dzh.exe");
  folder_.WriteIni("Config", "每次买入金额", "12");
  folder_.WriteIni("Config", "每次买卖股数", "800");
  folder_.WriteIni("Config", "下单价格浮动", "1.5");
  KernelHandle held(
      CreateFileW(folder_.IniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  bar_ = std::make_unique<BarProcess>(folder_);
  for (int warning = 0; warning < 2; ++warning) {
    const MessageBoxInfo box = bar_->WaitForMessageBox();
    ASSERT_NE(box.window, nullptr);
    BarProcess::Dismiss(box);
  }
  bar_->WaitForBar();
  EXPECT_EQ(bar_->BarRect().top, 100);  // the defaults meanwhile
  held.Reset();
  bar_->Drag(bar_->Control(kStockBox), 60, 40);
  bar_->ChooseMenuItem(kBuyButton, "按股数买");
  ASSERT_EQ(bar_->Exit(), 0);

  EXPECT_EQ(folder_.ReadIni("MainWindow", "strTop"), "140");
  EXPECT_EQ(folder_.ReadIni("MainWindow", "strLeft"), "160");
  EXPECT_EQ(folder_.ReadIni("Config", "担保按金额"), "0");
  EXPECT_EQ(folder_.ReadIni("MainWindow", "COLOR"), "255");
  EXPECT_EQ(folder_.ReadIni("Config", "TradeSoft"), "C:\\券商\\xiadan.exe");
  EXPECT_EQ(folder_.ReadIni("Config", "StockSoft"), "C:\\dzh\\dzh.exe");
  EXPECT_EQ(folder_.ReadIni("Config", "每次买入金额"), "12");
  EXPECT_EQ(folder_.ReadIni("Config", "每次买卖股数"), "800");
  EXPECT_EQ(folder_.ReadIni("Config", "下单价格浮动"), "1.5");
  EXPECT_EQ(folder_.ReadIni("Config", "融资按金额"), "<none>");  // unchanged, never written
}

TEST_F(BarTest, ARefusedWriteAtCloseIsReportedAndTheBarStaysOpen) {
  StartAll();
  folder_.WriteIni("MainWindow", "strTop", "7");
  ASSERT_TRUE(SetFileAttributesW(folder_.IniPath().c_str(), FILE_ATTRIBUTE_READONLY));
  bar_->ChooseMenuItem(kStockBox, "退出");
  const MessageBoxInfo box = bar_->WaitForMessageBox();
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, "Kovra");
  EXPECT_EQ(box.text.rfind("Unable to write to ", 0), 0u) << box.text;
  EXPECT_NE(box.text.find("Kovra.ini"), std::string::npos);
  BarProcess::Dismiss(box);
  EXPECT_TRUE(bar_->Process().Running());
  EXPECT_TRUE(IsWindowVisible(bar_->Bar()));
  EXPECT_TRUE(bar_->Responsive());

  SetFileAttributesW(folder_.IniPath().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(bar_->Exit(), 0);
  EXPECT_EQ(folder_.ReadIni("MainWindow", "strTop"), "100");
}

TEST_F(BarTest, ARestartedClientIsFoundByTheNextClick) {
  StartAll();
  ExpectOrder(ClickOrder(kBuyButton), "buy", "10.30", "4800");
  // The client restarts under a new process; the bar still holds the old window.
  trade_.reset();
  trade_ = std::make_unique<TradeSim>(std::vector<std::wstring>{L"--sell-price", L"10.30"});
  ExpectOrder(ClickOrder(kSellButton), "sell", "10.00", "2000");
  EXPECT_EQ(bar_->WaitForMessageBox(200).window, nullptr);
}

TEST_F(BarTest, SettingsRelocatesTheApplicationsWithoutWarning) {
  StartAll();
  trade_.reset();
  trade_ = std::make_unique<TradeSim>(std::vector<std::wstring>{L"--sell-price", L"10.30"});
  bar_->ChooseMenuItem(kStockBox, "设置");
  HWND settings = nullptr;
  ASSERT_TRUE(
      WaitUntil([&] { return (settings = FindWindowW(nullptr, L"Kovra设置")) != nullptr; }));
  PostMessageW(settings, WM_CLOSE, 0, 0);  // relocation follows the window's close
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));
  ExpectOrder(ClickOrder(kBuyButton), "buy", "10.30", "4800");
  EXPECT_EQ(bar_->WaitForMessageBox(200).window, nullptr);
}

// ---- orders a trader can trust ----

TEST_F(BarTest, TheCodeShownAtTheClickIsTheCodeOrdered) {
  folder_.WriteCodeTable("000001", "000001");
  // A slow page keeps the action going past the watcher's next look at the quote window.
  StartAll({L"--switch-delay", L"1500"});
  bar_->Click(bar_->Control(kBuyButton));
  ASSERT_FALSE(trade_->WaitForEvent("KEY", "F1").event.empty());
  quote_->SetTitle("大智慧 - [000001]");
  const JournalEntry order = trade_->WaitForEvent("ORDER", "buy");
  ASSERT_EQ(order.event, "ORDER");
  EXPECT_EQ(order.Field(1), "600000");
  EXPECT_TRUE(WaitUntil([&] { return bar_->Display() == "000001"; }));
  for (const JournalEntry& code : Events(*trade_, "CODE")) EXPECT_EQ(code.Field(1), "600000");
}

TEST_F(BarTest, ALatePageSwitchGetsTheOrderOnTheRightPageAndNothingElsewhere) {
  StartAll({L"--switch-delay", L"800"});
  ExpectOrder(ClickOrder(kBuyButton), "buy", "10.30", "4800");
  // The buy page holds the focus and the code for 800 ms after the sell key.
  const size_t seen = trade_->Journal().size();
  const JournalEntry sell = ClickOrder(kSellButton);
  ExpectOrder(sell, "sell", "10.00", "2000");
  const auto journal = trade_->Journal();
  const JournalEntry* page = nullptr;
  for (size_t i = seen; i < journal.size(); ++i) {
    const JournalEntry& entry = journal[i];
    if (entry.event == "PAGE") page = &entry;
    if (entry.event == "CODE" || entry.event == "SETTEXT" || entry.event == "ORDER") {
      EXPECT_EQ(entry.Field(0), "sell") << entry.event;
      ASSERT_NE(page, nullptr) << entry.event << " before the page showed";
      EXPECT_GE(entry.ms, page->ms);
    }
  }
}

TEST_F(BarTest, AClientShowingThePreviousStocksFiguresGetsNoOrderAtItsPrice) {
  folder_.WriteCodeTable("000001", "000001");
  StartAll({L"--stale", L"--ready-delay", L"1000", L"--prices", L"600000=10.00,000001=20.00"});
  ExpectOrder(ClickOrder(kBuyButton), "buy", "10.30", "4800");
  quote_->SetTitle("大智慧 - [000001]");
  ASSERT_TRUE(WaitUntil([&] { return bar_->Display() == "000001"; }));
  // 10.00 stands on the page for a second after the new code went in.
  const JournalEntry order = ClickOrder(kBuyButton);
  EXPECT_EQ(order.Field(1), "000001");
  EXPECT_EQ(order.Field(2), "20.60");
  EXPECT_EQ(order.Field(3), "2400");
}

TEST_F(BarTest, FieldsThatIgnoreWrittenTextGetItTyped) {
  StartAll({L"--ignore-settext"});
  ExpectOrder(ClickOrder(kBuyButton), "buy", "10.30", "4800");
  ExpectOrder(MenuOrder(kSellButton, "半仓卖"), "sell", "10.00", "1100");
}

TEST_F(BarTest, NothingToOrderPressesNothing) {
  StartAll({L"--funds", L"0"});
  bar_->ChooseMenuItem(kBuyButton, "全仓买");  // with no funds
  // The quantity 0 is written and the page is left as it is.
  const JournalEntry zero = trade_->WaitForJournal(
      [](const JournalEntry& e) { return e.event == "SETTEXT" && e.Field(1) == "7"; });
  ASSERT_EQ(zero.event, "SETTEXT");
  EXPECT_EQ(zero.Field(2), "0");
  ExpectOrder(ClickOrder(kMarginButton), "margin", "10.30", "4800");  // the bar goes on
  EXPECT_EQ(Events(*trade_, "ORDER").size(), 1u);
}

TEST_F(BarTest, TheRightButtonOpensNoMenuWhileAnActionRuns) {
  StartAll({L"--switch-delay", L"1000"});
  bar_->Click(bar_->Control(kBuyButton));
  ASSERT_FALSE(trade_->WaitForEvent("KEY", "F1").event.empty());
  bar_->RightClick(bar_->Control(kSellButton));
  bar_->RightClick(bar_->Control(kStockBox));
  bool menuSeen = false;
  ASSERT_TRUE(WaitUntil([&] {
    menuSeen |= BarProcess::MenuOpen();
    return !Events(*trade_, "ORDER").empty();
  }));
  EXPECT_FALSE(menuSeen);
  EXPECT_EQ(FindWindowW(nullptr, L"Kovra设置"), nullptr);
  ExpectOrder(Events(*trade_, "ORDER").front(), "buy", "10.30", "4800");
  // Once the action is over the menus are back.
  ASSERT_TRUE(WaitUntil([&] { return bar_->Responsive(); }));
  ExpectOrder(MenuOrder(kSellButton, "全仓卖"), "sell", "10.00", "2350");
}

}  // namespace
}  // namespace kovra::test
