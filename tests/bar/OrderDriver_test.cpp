// The order driver in this process against the simulated trading client in its own, read back
// from the client's journal.
#include "bar/OrderDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Global.h"
#include "OrderTest.h"
#include "support/Sim.h"
#include "support/Wait.h"

namespace kovra {
namespace {

using test::JournalEntry;
using test::TradeSim;

std::vector<JournalEntry> Events(const TradeSim& sim, std::string_view event) {
  std::vector<JournalEntry> found;
  for (auto& entry : sim.Journal()) {
    if (entry.event == event) found.push_back(std::move(entry));
  }
  return found;
}

// Everything the client was sent before this call has been handled once a key posted now has
// opened its page: messages from one thread arrive in order.
void SyncWith(const TradeSim& sim, UINT key = VK_F3) {
  const size_t keys = Events(sim, "KEY").size();
  PostMessageW(sim.MainWindow(), WM_KEYDOWN, key, 0);
  ASSERT_TRUE(test::WaitUntil([&] { return Events(sim, "KEY").size() > keys; }));
}

// A top-level window of the test with an edit that holds the keyboard focus.
class FocusedEdit {
 public:
  FocusedEdit() {
    frame_ = CreateWindowExW(0, L"STATIC", L"kovra test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                             300, 100, nullptr, nullptr, nullptr, nullptr);
    edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 5, 5, 200, 24, frame_, nullptr,
                            nullptr, nullptr);
    SetForegroundWindow(frame_);
    SetFocus(edit_);
  }
  ~FocusedEdit() { DestroyWindow(frame_); }
  HWND Frame() const { return frame_; }
  HWND Edit() const { return edit_; }

 private:
  HWND frame_ = nullptr;
  HWND edit_ = nullptr;
};

class OrderDriverTest : public test::OrderTest {
 protected:
  // Places one order and returns the ORDER line it produced (event empty when none).
  JournalEntry Order(const TradeSim& sim, OrderKind kind, int choice) {
    const size_t before = Events(sim, "ORDER").size();
    OrderDriver().PlaceOrder(kind, choice);
    test::WaitUntil([&] { return Events(sim, "ORDER").size() > before; }, std::chrono::seconds(3));
    auto orders = Events(sim, "ORDER");
    return orders.size() > before ? orders.back() : JournalEntry{};
  }

  void ExpectOrders(const TradeSim& sim, OrderKind kind, const char* page, const char* price,
                    const std::vector<const char*>& quantities) {
    for (int choice = 1; choice <= 5; ++choice) {
      const JournalEntry order = Order(sim, kind, choice);
      ASSERT_EQ(order.event, "ORDER") << page << " choice " << choice;
      EXPECT_EQ(order.Field(0), page);
      EXPECT_EQ(order.Field(1), "600000");
      EXPECT_EQ(order.Field(2), price) << page << " choice " << choice;
      EXPECT_EQ(order.Field(3), quantities[choice - 1]) << page << " choice " << choice;
    }
  }

  TGlobalStateScope state_;
};

TEST_F(OrderDriverTest, WorkedExampleBuy) {
  TradeSim sim;
  Attach(sim);
  ExpectOrders(sim, OrderKind::Buy, "buy", "10.30", {"9700", "4800", "3200", "2400", "1900"});
  EXPECT_EQ(Order(sim, OrderKind::Buy, 6).Field(3), "4800");
  GlobalState->BuyByAmount = false;
  EXPECT_EQ(Order(sim, OrderKind::Buy, 6).Field(3), "2000");
}

TEST_F(OrderDriverTest, WorkedExampleMarginBuy) {
  TradeSim sim;
  Attach(sim);
  ExpectOrders(sim, OrderKind::MarginBuy, "margin", "10.30",
               {"9400", "4700", "3100", "2300", "1800"});
  EXPECT_EQ(Order(sim, OrderKind::MarginBuy, 6).Field(3), "4800");
  GlobalState->MarginByAmount = false;
  GlobalState->BuyByAmount = true;  // the other kind's flag does not count
  EXPECT_EQ(Order(sim, OrderKind::MarginBuy, 6).Field(3), "2000");
}

TEST_F(OrderDriverTest, WorkedExampleSell) {
  TradeSim sim({L"--sell-price", L"10.30"});
  Attach(sim);
  ExpectOrders(sim, OrderKind::Sell, "sell", "10.00", {"2350", "1100", "700", "500", "400"});
  EXPECT_EQ(Order(sim, OrderKind::Sell, 6).Field(3), "2000");
}

// The watcher ticks during the action's waits: what it finds then is for the next click.
TEST_F(OrderDriverTest, TheCodeTypedIsTheRequestsWhateverTheWatcherFindsMeanwhile) {
  TradeSim sim({L"--switch-delay", L"150"});
  Attach(sim);
  static std::string* code = nullptr;
  code = &GlobalState->CurrentCode;
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    *code = "000001";
  });
  TOrderRequest request;
  request.Action = OrderAction::Buy;
  request.Choice = 1;
  request.Code = "600000";
  const TOrderOutcome outcome = OrderDriver().Run(request);
  EXPECT_EQ(outcome.Kind, OutcomeKind::Placed);
  EXPECT_EQ(GlobalState->CurrentCode, "000001");
  EXPECT_EQ(sim.WaitForEvent("ORDER", "buy").Field(1), "600000");
}

TEST_F(OrderDriverTest, TheOutcomeTellsWhatWasWrittenAndHowLongEachStepTook) {
  TradeSim sim;
  Attach(sim);
  int beforePress = 0;
  OrderDriver().OnBeforePress = [&] {
    ++beforePress;
    EXPECT_TRUE(Events(sim, "ORDER").empty());
  };
  const TOrderOutcome outcome = OrderDriver().PlaceOrder(OrderKind::Buy, 6);
  OrderDriver().OnBeforePress = nullptr;
  EXPECT_EQ(beforePress, 1);
  EXPECT_EQ(outcome.Kind, OutcomeKind::Placed);
  EXPECT_EQ(outcome.Reason, OutcomeReason::None);
  EXPECT_EQ(outcome.Request.Code, "600000");
  EXPECT_EQ(outcome.PriceText, "10.30");
  EXPECT_EQ(outcome.QuantityText, "4800");
  std::vector<std::string> steps;
  std::uint32_t sum = 0;
  for (const TStepTime& step : outcome.Steps) {
    steps.push_back(step.Step);
    sum += step.Ms;
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"client", "raise", "page", "code", "figures", "write",
                                             "press"}));
  EXPECT_LE(sum, outcome.TotalMs);
  EXPECT_EQ(Events(sim, "ORDER").size(), 1u);
}

TEST_F(OrderDriverTest, ARehearsalFillsTheFieldsAndPressesNothing) {
  TradeSim sim;
  Attach(sim);
  int beforePress = 0;
  OrderDriver().OnBeforePress = [&] { ++beforePress; };
  TOrderRequest request;
  request.Action = OrderAction::Sell;
  request.Choice = 2;
  request.Code = "600000";
  request.Rehearsal = true;
  const TOrderOutcome sell = OrderDriver().Run(request);
  request.Action = OrderAction::Cancel;
  const TOrderOutcome cancel = OrderDriver().Run(request);
  OrderDriver().OnBeforePress = nullptr;
  EXPECT_EQ(sell.Kind, OutcomeKind::Rehearsed);
  EXPECT_EQ(sell.PriceText, "9.71");
  EXPECT_EQ(sell.QuantityText, "1100");
  EXPECT_EQ(cancel.Kind, OutcomeKind::Rehearsed);
  EXPECT_EQ(beforePress, 0);
  SyncWith(sim);
  const auto written = Events(sim, "SETTEXT");
  ASSERT_GE(written.size(), 2u);
  EXPECT_EQ(written[written.size() - 2].Field(2), "9.71");
  EXPECT_EQ(written.back().Field(2), "1100");
  EXPECT_TRUE(Events(sim, "ORDER").empty());
  EXPECT_TRUE(Events(sim, "CANCEL").empty());
}

TEST_F(OrderDriverTest, NoCodeOrALetterCodeDoesNothing) {
  TradeSim sim;
  Attach(sim);
  for (const char* code : {"", "ST600000", " 600000"}) {
    GlobalState->CurrentCode = code;
    const TOrderOutcome outcome = OrderDriver().PlaceOrder(OrderKind::Buy, 1);
    EXPECT_EQ(outcome.Kind, OutcomeKind::Refused);
    EXPECT_EQ(outcome.Reason, OutcomeReason::NoCode);
  }
  SyncWith(sim);
  const auto keys = Events(sim, "KEY");
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].Field(0), "F3");
  EXPECT_EQ(GlobalState->PageWnd, nullptr);
}

TEST_F(OrderDriverTest, CancelPressesSelectAllThenWithdraw) {
  TradeSim sim;
  Attach(sim);
  ASSERT_EQ(Order(sim, OrderKind::Buy, 1).event, "ORDER");
  for (int round = 0; round < 2; ++round) {  // the second starts on the withdrawal page
    EXPECT_EQ(OrderDriver().CancelOrders().Kind, OutcomeKind::Placed);
  }
  const auto cancels = Events(sim, "CANCEL");
  ASSERT_EQ(cancels.size(), 4u);
  EXPECT_EQ(cancels[0].Field(0), "12");
  EXPECT_EQ(cancels[1].Field(0), "9");
  EXPECT_EQ(cancels[1].Field(2), "1");  // the order placed above was withdrawn
  EXPECT_EQ(cancels[3].Field(2), "0");
}

// "撤单" alone would withdraw whatever happens to be selected.
TEST_F(OrderDriverTest, CancelPressesNothingWithoutBothButtons) {
  TradeSim sim({L"--short-page", L"12"});
  Attach(sim);
  const TOrderOutcome outcome = OrderDriver().CancelOrders();
  EXPECT_EQ(outcome.Kind, OutcomeKind::Refused);
  EXPECT_EQ(outcome.Reason, OutcomeReason::NoCancelPage);
  SyncWith(sim, VK_F1);
  EXPECT_TRUE(Events(sim, "CANCEL").empty());
}

TEST_F(OrderDriverTest, ListingFollowsTheEnumerationOrderAndForgetsLongerOldPages) {
  TradeSim sim;
  Attach(sim);
  GlobalState->PageWnd = sim.Page(VK_F5);
  OrderDriver().ListPageControls();
  const auto margin = test::Descendants(sim.Page(VK_F5));
  ASSERT_EQ(OrderDriver().ChildCount(), static_cast<int>(margin.size()));
  for (size_t i = 0; i < margin.size(); ++i) EXPECT_EQ(OrderDriver().ChildWnd(int(i)), margin[i]);

  GlobalState->PageWnd = sim.Page(VK_F2);
  OrderDriver().ListPageControls();
  const auto sell = test::Descendants(sim.Page(VK_F2));
  ASSERT_LT(sell.size(), margin.size());
  EXPECT_EQ(OrderDriver().ChildCount(), static_cast<int>(sell.size()));
  EXPECT_EQ(OrderDriver().ChildWnd(int(sell.size()) - 1), sell.back());
  EXPECT_EQ(OrderDriver().ChildWnd(int(sell.size())), nullptr);  // the old handle is not used
  EXPECT_EQ(OrderDriver().ChildWnds()[sell.size()], margin[sell.size()]);

  GlobalState->PageWnd = nullptr;  // would otherwise list the desktop's windows
  OrderDriver().ListPageControls();
  EXPECT_EQ(OrderDriver().ChildCount(), 0);
  EXPECT_EQ(OrderDriver().ChildWnd(0), nullptr);
}

TEST_F(OrderDriverTest, ListingStopsAtTheTablesEnd) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
  std::vector<HWND> children;
  for (int i = 0; i < 300; ++i) {
    children.push_back(CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, parent, nullptr,
                                       nullptr, nullptr));
  }
  GlobalState->PageWnd = parent;
  OrderDriver().ListPageControls();
  EXPECT_EQ(OrderDriver().ChildCount(), TOrderDriver::kMaxChildren);
  EXPECT_EQ(OrderDriver().ChildWnd(255), test::Descendants(parent)[255]);
  EXPECT_EQ(OrderDriver().ChildWnd(256), nullptr);
  DestroyWindow(parent);
}

TEST_F(OrderDriverTest, FieldOperations) {
  FocusedEdit window;
  EXPECT_EQ(OrderDriver().ReadControlText(nullptr), "");
  EXPECT_TRUE(OrderDriver().SetControlText(nullptr, "1"));
  EXPECT_TRUE(OrderDriver().ClickControl(nullptr));

  EXPECT_TRUE(OrderDriver().SetControlText(window.Edit(), std::string(300, '7')));
  EXPECT_EQ(OrderDriver().ReadControlText(window.Edit()), std::string(254, '7'));

  // Typed characters are GBK bytes, one message each; the system pairs double-byte ones.
  SetWindowTextW(window.Edit(), L"");
  OrderDriver().TypeText(window.Edit(), "中文600000");
  WaitMs(0);
  EXPECT_EQ(OrderDriver().ReadControlText(window.Edit()), "中文600000");
}

// Without the trading client the code must go nowhere, not into whatever has the focus.
TEST_F(OrderDriverTest, WithoutTheClientNothingIsTypedAnywhere) {
  FocusedEdit window;
  ASSERT_EQ(GetFocus(), window.Edit());
  GlobalState->TradeWnd = nullptr;
  GlobalState->TradePid = 0;
  OrderDriver().PlaceOrder(OrderKind::Buy, 1);
  WaitMs(0);
  EXPECT_EQ(OrderDriver().ReadControlText(window.Edit()), "");

  test::QuoteSim quote;  // a live window, but not of the client's process
  TradeSim sim;
  Attach(sim);
  GlobalState->TradeWnd = quote.MainWindow();
  OrderDriver().PlaceOrder(OrderKind::Buy, 1);
  OrderDriver().CancelOrders();
  SyncWith(sim);
  EXPECT_EQ(Events(sim, "KEY").size(), 1u);
  EXPECT_EQ(quote.Title(), "大智慧 - [600000]");
}

TEST_F(OrderDriverTest, AFocusOutsideTheClientStopsTheAction) {
  FocusedEdit window;
  static FocusedEdit* other = nullptr;
  other = &window;
  // The client goes away on the key and another program's window takes the foreground.
  TradeSim sim({L"--exit-on", L"key"});
  Attach(sim);
  SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SetForegroundWindow(other->Frame());
    SetFocus(other->Edit());
  });
  OrderDriver().PlaceOrder(OrderKind::Buy, 1);
  ASSERT_TRUE(test::WaitUntil([&] { return !sim.Process().Running(); }));
  ASSERT_TRUE(test::WaitUntil([&] { return GetFocus() == window.Edit(); }));
  WaitMs(0);
  EXPECT_EQ(OrderDriver().ReadControlText(window.Edit()), "");
  EXPECT_EQ(GlobalState->FocusWnd, nullptr);
  EXPECT_EQ(GlobalState->PageWnd, nullptr);
}

TEST_F(OrderDriverTest, RequestsDuringAnActionAreRefused) {
  TradeSim sim;
  Attach(sim);
  static bool busySeen = false;
  busySeen = false;
  // Clicks arriving while the first action waits.
  SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    busySeen = OrderDriver().Busy() &&
               OrderDriver().PlaceOrder(OrderKind::Sell, 1).Reason == OutcomeReason::Busy &&
               OrderDriver().CancelOrders().Reason == OutcomeReason::Busy;
  });
  const JournalEntry order = Order(sim, OrderKind::Buy, 2);
  EXPECT_TRUE(busySeen);
  EXPECT_EQ(order.Field(3), "4800");
  SyncWith(sim, VK_F5);
  const auto keys = Events(sim, "KEY");
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].Field(0), "F1");
  EXPECT_EQ(Events(sim, "ORDER").size(), 1u);
  EXPECT_TRUE(Events(sim, "CANCEL").empty());
  EXPECT_FALSE(OrderDriver().Busy());
}

TEST_F(OrderDriverTest, APriceThatIsNoPriceSubmitsNothing) {
  GlobalState->ReadyWaitMs = 500;
  struct Case {
    OrderKind kind;
    const wchar_t* option;
    const wchar_t* price;
    const char* writtenPrice;  // null: nothing written
  };
  for (const Case& c : {Case{OrderKind::Buy, L"--buy-price", L"", nullptr},
                        Case{OrderKind::MarginBuy, L"--margin-price", L"0", "0.00"},
                        Case{OrderKind::Sell, L"--sell-price", L"--", "0.00"}}) {
    TradeSim sim({c.option, c.price});
    Attach(sim);
    for (int choice : {1, 2, 6}) {
      SCOPED_TRACE(testing::Message() << "price \"" << c.price << "\" choice " << choice);
      const TOrderOutcome outcome = OrderDriver().PlaceOrder(c.kind, choice);
      EXPECT_EQ(outcome.Kind, OutcomeKind::Refused);
      EXPECT_EQ(outcome.Reason, OutcomeReason::NoPrice);
      SyncWith(sim);
      const auto written = Events(sim, "SETTEXT");
      ASSERT_GE(written.size(), 2u);
      if (!c.writtenPrice) {
        EXPECT_EQ(outcome.PriceText, "");
        EXPECT_EQ(written.back().Field(2), "");  // only the blanking before the code
      } else {
        EXPECT_EQ(outcome.PriceText, c.writtenPrice);
        EXPECT_EQ(written[written.size() - 2].Field(2), c.writtenPrice);
        EXPECT_EQ(written.back().Field(2), "0");
      }
    }
    EXPECT_TRUE(Events(sim, "ORDER").empty());
    EXPECT_TRUE(Events(sim, "CLICK").empty());
  }
}

TEST_F(OrderDriverTest, AShortPageSubmitsNothing) {
  TradeSim sim({L"--short-page", L"5"});
  Attach(sim);
  EXPECT_EQ(OrderDriver().PlaceOrder(OrderKind::Buy, 1).Reason, OutcomeReason::ZeroQuantity);
  EXPECT_EQ(OrderDriver().ChildCount(), 5);
  SyncWith(sim);
  EXPECT_TRUE(Events(sim, "ORDER").empty());
}

// A client that stops answering is given kAnswerTimeoutMs; the action then ends unpressed.
TEST_F(OrderDriverTest, AHungClientStopsTheActionBeforeThePress) {
  for (const wchar_t* event : {L"code", L"settext"}) {
    TradeSim sim({L"--hang", L"4000", L"--hang-on", event});
    Attach(sim);
    OrderDriver().PlaceOrder(OrderKind::Buy, 1);
    ASSERT_FALSE(Events(sim, "HANG").empty());
    // Once the client answers again, whatever it was sent has been handled.
    ASSERT_TRUE(test::WaitUntil(
        [&] {
          DWORD_PTR result = 0;
          return SendMessageTimeoutW(sim.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100,
                                     &result) != 0;
        },
        std::chrono::seconds(15)));
    SyncWith(sim);
    for (const JournalEntry& entry : Events(sim, "SETTEXT"))
      EXPECT_EQ(entry.Field(2), "") << "hang on " << event;  // the blanking, no price
    EXPECT_TRUE(Events(sim, "ORDER").empty()) << "hang on " << event;
  }
}

}  // namespace
}  // namespace kovra
