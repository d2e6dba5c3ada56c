// The order driver against a trading client that misbehaves: gone, hung, exiting in the middle
// of an action, late, short of controls, asking for confirmation, or not holding the focus.
// Whatever happens, the action ends, the driver takes the next one, and no order is submitted
// that the figures on the page did not size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Global.h"
#include "bar/OrderDriver.h"
#include "OrderTest.h"
#include "support/Sim.h"
#include "support/Wait.h"

namespace kovra {
namespace {

using test::JournalEntry;
using test::TradeSim;

size_t Count(const TradeSim& sim, std::string_view event) {
  size_t n = 0;
  for (const auto& entry : sim.Journal()) n += entry.event == event;
  return n;
}

// Once a key posted now has opened its page, everything sent before it has been handled.
void SyncWith(const TradeSim& sim) {
  const size_t keys = Count(sim, "KEY");
  PostMessageW(sim.MainWindow(), WM_KEYDOWN, VK_F3, 0);
  ASSERT_TRUE(test::WaitUntil([&] { return Count(sim, "KEY") > keys; }, std::chrono::seconds(15)));
}

bool Answers(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, &result) != 0;
}

class OrderFaultTest : public test::OrderTest {
 protected:
  // The driver is free again and places a sound order on a client that behaves.
  void ExpectTheNextOrderWorks() {
    EXPECT_FALSE(OrderDriver().Busy());
    TradeSim sim;
    Attach(sim);
    OrderDriver().PlaceOrder(OrderKind::Buy, 6);
    const JournalEntry order = sim.WaitForEvent("ORDER", "buy");
    EXPECT_EQ(order.Field(3), "4800");
  }

  TGlobalStateScope state_;
};

TEST_F(OrderFaultTest, AClientExitingAtAnyStepEndsTheActionWithoutAnOrder) {
  for (const wchar_t* event : {L"key", L"code", L"settext", L"click"}) {
    SCOPED_TRACE(testing::Message() << "exit on " << event);
    TradeSim sim({L"--exit-on", event});
    Attach(sim);
    OrderDriver().PlaceOrder(OrderKind::Buy, 1);
    EXPECT_FALSE(OrderDriver().Busy());
    ASSERT_TRUE(test::WaitUntil([&] { return !sim.Process().Running(); }));
    EXPECT_EQ(Count(sim, "ORDER"), 0u);
    EXPECT_EQ(Count(sim, "EXIT"), 1u);
    // The client is gone now; the stale handles it left act on nothing.
    OrderDriver().PlaceOrder(OrderKind::Sell, 1);
    OrderDriver().CancelOrders();
    EXPECT_FALSE(OrderDriver().Busy());
  }
  ExpectTheNextOrderWorks();
}

TEST_F(OrderFaultTest, FiguresLaterThanTheReadinessWaitAreNotActedOn) {
  GlobalState->ReadyWaitMs = 500;
  TradeSim late({L"--ready-delay", L"1500"});
  Attach(late);
  EXPECT_EQ(OrderDriver().PlaceOrder(OrderKind::Buy, 1).Reason, OutcomeReason::NoPrice);
  // The figures appear later, and nothing acts on them then.
  ASSERT_FALSE(late.WaitForEvent("READY", "buy").event.empty());
  SyncWith(late);
  EXPECT_EQ(Count(late, "ORDER"), 0u);

  // Within the wait, however late, the order goes through as soon as they are there.
  GlobalState->ReadyWaitMs = 3000;
  TradeSim slow({L"--ready-delay", L"1500"});
  Attach(slow);
  const TOrderOutcome outcome = OrderDriver().PlaceOrder(OrderKind::Buy, 2);
  EXPECT_EQ(outcome.Kind, OutcomeKind::Placed);
  EXPECT_EQ(slow.WaitForEvent("ORDER", "buy").Field(3), "4800");
}

TEST_F(OrderFaultTest, APageWithoutTheFigureSubmitsNoOrderSizedByIt) {
  // Price, quantity and button are there; the figure read by position is not, so it reads as 0:
  // the quantity 0 is written and nothing is pressed.
  TradeSim buy({L"--short-page", L"11"});
  Attach(buy);
  EXPECT_EQ(OrderDriver().PlaceOrder(OrderKind::Buy, 1).Reason, OutcomeReason::ZeroQuantity);
  EXPECT_EQ(OrderDriver().ChildCount(), 11);
  EXPECT_EQ(OrderDriver().PlaceOrder(OrderKind::Sell, 2).Reason, OutcomeReason::ZeroQuantity);
  SyncWith(buy);
  EXPECT_EQ(Count(buy, "ORDER"), 0u);
  // A fixed-size buy needs no figure and goes through with the page's own price.
  OrderDriver().PlaceOrder(OrderKind::Buy, 6);
  ASSERT_EQ(Count(buy, "ORDER"), 1u);
  const JournalEntry order = buy.Journal().back();
  EXPECT_EQ(order.Field(2), "10.30");
  EXPECT_EQ(order.Field(3), "4800");

  // Positions beyond the page read as nothing even though an earlier, longer page filled them.
  TradeSim margin({L"--short-page", L"4"});
  Attach(margin);
  OrderDriver().PlaceOrder(OrderKind::MarginBuy, 6);
  EXPECT_EQ(OrderDriver().ChildCount(), 4);
  EXPECT_EQ(OrderDriver().ChildWnd(10), nullptr);
  SyncWith(margin);
  EXPECT_EQ(Count(margin, "ORDER"), 0u);
  EXPECT_EQ(Count(margin, "CLICK"), 0u);
}

TEST_F(OrderFaultTest, AConfirmationBoxIsLeftToTheUserAndBlocksNoFurtherAction) {
  GlobalState->ReadyWaitMs = 500;
  TradeSim sim({L"--confirm"});
  Attach(sim);
  OrderDriver().PlaceOrder(OrderKind::Buy, 6);
  ASSERT_FALSE(sim.WaitForEvent("ORDER", "buy").event.empty());
  // A second click while the box waits: the box has the focus, which is no order page.
  OrderDriver().PlaceOrder(OrderKind::Buy, 6);
  EXPECT_FALSE(OrderDriver().Busy());
  EXPECT_TRUE(Answers(sim.MainWindow()));
  EXPECT_EQ(Count(sim, "ORDER"), 1u);
  EXPECT_EQ(Count(sim, "CONFIRM"), 0u);

  // The box shown inside the press: the click is not answered in time, the action still ends.
  TradeSim blocking({L"--confirm-blocking"});
  Attach(blocking);
  OrderDriver().PlaceOrder(OrderKind::Sell, 6);
  EXPECT_FALSE(OrderDriver().Busy());
  ASSERT_FALSE(blocking.WaitForEvent("ORDER", "sell").event.empty());
  EXPECT_EQ(Count(blocking, "ORDER"), 1u);
}

TEST_F(OrderFaultTest, TheFocusInAnotherProgramsWindowStopsTheAction) {
  GlobalState->ReadyWaitMs = 500;
  // The page comes after the wait, so the other program holds the foreground throughout.
  TradeSim sim({L"--switch-delay", L"1000"});
  test::QuoteSim quote("大智慧 - [600000]");
  Attach(sim);
  static HWND other = nullptr;
  other = quote.MainWindow();
  // The other program takes the foreground while the driver waits for the page.
  SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SetForegroundWindow(other);
  });
  EXPECT_EQ(OrderDriver().PlaceOrder(OrderKind::Buy, 1).Reason, OutcomeReason::FocusElsewhere);
  EXPECT_EQ(GlobalState->FocusWnd, nullptr);
  EXPECT_EQ(GlobalState->PageWnd, nullptr);
  SyncWith(sim);
  EXPECT_EQ(Count(sim, "CODE"), 0u);
  EXPECT_EQ(Count(sim, "ORDER"), 0u);
  EXPECT_EQ(quote.Title(), "大智慧 - [600000]");
}

TEST_F(OrderFaultTest, AClientHungOnTheKeyGetsNoOrder) {
  TradeSim sim({L"--hang", L"3000", L"--hang-on", L"key"});
  Attach(sim);
  const TOrderOutcome outcome = OrderDriver().PlaceOrder(OrderKind::Buy, 6);
  EXPECT_EQ(outcome.Kind, OutcomeKind::Failed);
  EXPECT_EQ(outcome.Reason, OutcomeReason::ClientHung);
  EXPECT_EQ(outcome.FailedStep, "page");
  EXPECT_FALSE(OrderDriver().Busy());
  ASSERT_TRUE(test::WaitUntil([&] { return Answers(sim.MainWindow()); }, std::chrono::seconds(15)));
  SyncWith(sim);
  EXPECT_EQ(Count(sim, "ORDER"), 0u);
  EXPECT_EQ(Count(sim, "SETTEXT"), 0u);
}

}  // namespace
}  // namespace kovra
