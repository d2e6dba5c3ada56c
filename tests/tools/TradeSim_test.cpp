// TradeSim driven from another process the way the bar drives a trading client: raise, post a
// function key, find the focus, post the code, read and write by position, click with (0, 0).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PageLayout.h"
#include "support/Sim.h"
#include "support/Wait.h"

namespace kovra::test {
namespace {

using namespace std::chrono_literals;

// Distinct figures, so that a figure at a wrong position cannot pass for the right one.
const std::vector<std::wstring> kFigures = {
    L"--funds",     L"111111.11", L"--buyable",      L"2222", L"--sellable",   L"3333",
    L"--buy-price", L"4.44",      L"--margin-price", L"5.55", L"--sell-price", L"6.66"};

std::wstring ClassOf(HWND wnd) {
  wchar_t cls[64] = {};
  GetClassNameW(wnd, cls, 64);
  return cls;
}

bool IsClass(HWND wnd, const wchar_t* cls) {
  return lstrcmpiW(ClassOf(wnd).c_str(), cls) == 0;
}

// Raises the client and presses `key` as the bar does; returns the focused control once the
// client has moved the focus into the page the key opens (null on time-out).
HWND PressKey(const TradeSim& sim, UINT key) {
  HWND main = sim.MainWindow();
  ShowWindow(main, SW_SHOWNORMAL);
  UpdateWindow(main);
  BringWindowToTop(main);
  PostMessageW(main, WM_KEYDOWN, key, 0);
  HWND focus = nullptr;
  WaitUntil([&] {
    focus = ForegroundFocus();
    return focus && GetParent(focus) == sim.Page(key);
  });
  return GetParent(focus) == sim.Page(key) ? focus : nullptr;
}

// Opens the page of `key`, types `code` and waits for the figures; returns the page's controls.
std::vector<HWND> OpenWithCode(const TradeSim& sim, UINT key, const char* code = "600000") {
  HWND focus = PressKey(sim, key);
  if (!focus) return {};
  PostChars(focus, code);
  std::string name = sim::PageForKey(key)->name;
  if (sim.WaitForEvent("READY", name).event.empty()) return {};
  return Descendants(GetParent(focus));
}

struct Contract {
  UINT key;
  int figure, price, quantity, button;
  const char* figureText;
  const char* priceText;
};

// The positions the bar relies on; fixed here independently of the simulator's own tables.
const Contract kContracts[] = {
    {VK_F1, 18, 3, 7, 10, "111111.11", "4.44"},
    {VK_F5, 19, 2, 3, 5, "2222", "5.55"},
    {VK_F2, 17, 3, 7, 9, "3333", "6.66"},
};

TEST(TradeSimPages, OrderPagesShowFiguresAtTheirPositionsOnceTheCodeIsTyped) {
  TradeSim sim(kFigures);
  for (const Contract& c : kContracts) {
    SCOPED_TRACE(c.key);
    std::vector<HWND> controls = OpenWithCode(sim, c.key);
    ASSERT_GT(controls.size(), static_cast<size_t>(c.figure));
    EXPECT_EQ(WindowTextUtf8(controls[c.figure]), c.figureText);
    EXPECT_TRUE(IsClass(controls[c.price], L"Edit"));
    EXPECT_EQ(WindowTextUtf8(controls[c.price]), c.priceText);
    EXPECT_TRUE(IsClass(controls[c.quantity], L"Edit"));
    EXPECT_TRUE(IsClass(controls[c.button], L"Button"));
  }
}

TEST(TradeSimPages, EveryPageEnumeratesExactlyAsItsTable) {
  TradeSim sim;
  for (const sim::PageTable& table : sim::AllPages()) {
    SCOPED_TRACE(table.name);
    std::vector<HWND> controls = Descendants(sim.Page(table.key));
    ASSERT_EQ(controls.size(), table.controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
      const sim::ControlEntry& control = table.controls[i];
      const wchar_t* expected = L"Static";
      if (control.kind == sim::ControlKind::kEdit) expected = L"Edit";
      if (control.kind == sim::ControlKind::kButton) expected = L"Button";
      if (control.kind == sim::ControlKind::kCombo) expected = L"ComboBox";
      if (control.kind == sim::ControlKind::kListBox) expected = L"ListBox";
      if (control.kind == sim::ControlKind::kPanel) expected = L"KovraSimPanel";
      EXPECT_TRUE(IsClass(controls[i], expected)) << "position " << i;
      int parent = sim::ParentPosition(table, static_cast<int>(i));
      EXPECT_EQ(GetParent(controls[i]), parent < 0 ? sim.Page(table.key) : controls[parent])
          << "position " << i;
    }
  }
}

TEST(TradeSimPages, FunctionKeysFocusTheFirstFieldOfTheirPageAndHideTheOthers) {
  TradeSim sim;
  for (UINT key : {VK_F1, VK_F2, VK_F3, VK_F5, VK_F1}) {
    SCOPED_TRACE(key);
    HWND focus = PressKey(sim, key);
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(GetForegroundWindow(), sim.MainWindow());
    EXPECT_EQ(Descendants(sim.Page(key)).front(), focus);
    for (UINT other : {VK_F1, VK_F2, VK_F3, VK_F5}) {
      EXPECT_EQ(IsWindowVisible(sim.Page(other)) != FALSE, other == key);
    }
  }
}

TEST(TradeSimPages, RaisingTheClientFromBehindOrMinimisedLetsTheKeyFocusItsPage) {
  TradeSim sim;
  QuoteSim other;
  SetForegroundWindow(other.MainWindow());
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other.MainWindow(); }));
  EXPECT_NE(PressKey(sim, VK_F2), nullptr);
  ShowWindow(sim.MainWindow(), SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(sim.MainWindow()) != FALSE; }));
  EXPECT_NE(PressKey(sim, VK_F1), nullptr);
  EXPECT_FALSE(IsIconic(sim.MainWindow()));
}

TEST(TradeSimPages, WithdrawalPageHasSelectAllAt12AndWithdrawAt9) {
  TradeSim sim;
  std::vector<HWND> controls = Descendants(sim.Page(VK_F3));
  ASSERT_GT(controls.size(), 12u);
  EXPECT_EQ(WindowTextUtf8(controls[12]), "全选");
  EXPECT_EQ(WindowTextUtf8(controls[9]), "撤单");
}

TEST(TradeSimOrders, WrittenFieldsAndAClickAtTheCornerAreJournaled) {
  TradeSim sim;
  std::vector<HWND> controls = OpenWithCode(sim, VK_F1);
  ASSERT_GT(controls.size(), 10u);
  SendMessageW(controls[3], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"10.30"));
  SendMessageW(controls[7], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"4800"));
  SendClick(controls[10]);
  JournalEntry order = sim.WaitForEvent("ORDER", "buy");
  EXPECT_EQ(order.fields, (std::vector<std::string>{"buy", "600000", "10.30", "4800"}));
  auto journal = sim.Journal();
  std::vector<std::string> events;
  for (const auto& e : journal) events.push_back(e.event);
  EXPECT_EQ(events, (std::vector<std::string>{"START", "KEY", "PAGE", "CODE", "READY", "SETTEXT",
                                              "SETTEXT", "ORDER"}));
}

TEST(TradeSimOrders, SelectAllThenWithdrawTakesBackEveryPendingOrder) {
  TradeSim sim;
  for (UINT key : {VK_F1, VK_F2}) {
    std::vector<HWND> controls = OpenWithCode(sim, key);
    ASSERT_GT(controls.size(), 10u);
    SendClick(controls[key == VK_F1 ? 10 : 9]);
  }
  ASSERT_NE(PressKey(sim, VK_F3), nullptr);
  std::vector<HWND> controls = Descendants(sim.Page(VK_F3));
  SendClick(controls[12]);
  SendClick(controls[9]);
  JournalEntry withdraw = sim.WaitForEvent("CANCEL", "9");
  EXPECT_EQ(withdraw.fields, (std::vector<std::string>{"9", "撤单", "2"}));
  EXPECT_EQ(sim.WaitForEvent("CANCEL", "12").fields, (std::vector<std::string>{"12", "全选", "0"}));
}

TEST(TradeSimOrders, AButtonUpWithoutAButtonDownDoesNothing) {
  TradeSim sim;
  std::vector<HWND> controls = OpenWithCode(sim, VK_F2);
  ASSERT_GT(controls.size(), 9u);
  SendMessageW(controls[9], WM_LBUTTONUP, 0, 0);
  SendClick(controls[8]);  // the reset button, journaled after the stray button-up
  ASSERT_FALSE(sim.WaitForEvent("CLICK").event.empty());
  for (const auto& e : sim.Journal()) EXPECT_NE(e.event, "ORDER");
}

}  // namespace
}  // namespace kovra::test
