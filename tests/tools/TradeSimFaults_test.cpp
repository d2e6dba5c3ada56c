// TradeSim's fault modes and odd input: each does what its option says, seen from outside.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/Sim.h"
#include "support/Wait.h"

namespace kovra::test {
namespace {

using namespace std::chrono_literals;

bool Answers(HWND wnd, UINT timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

// Sends without waiting longer than `timeoutMs` for the answer.
void SendBriefly(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT timeoutMs = 100) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(wnd, msg, wParam, lParam, SMTO_NORMAL, timeoutMs, &result);
}

HWND OpenBuyPage(const TradeSim& sim) {
  HWND main = sim.MainWindow();
  ShowWindow(main, SW_SHOWNORMAL);
  BringWindowToTop(main);
  PostMessageW(main, WM_KEYDOWN, VK_F1, 0);
  HWND focus = nullptr;
  WaitUntil([&] { return (focus = ForegroundFocus()) && GetParent(focus) == sim.Page(VK_F1); });
  return focus;
}

std::vector<HWND> BuyPageWithCode(const TradeSim& sim) {
  HWND focus = OpenBuyPage(sim);
  PostChars(focus, "600000");
  if (sim.WaitForEvent("READY").event.empty()) return {};
  return Descendants(sim.Page(VK_F1));
}

// Each fault event, with how a driver brings it about on the buy page and what shows that the
// client acted on it once the fault has passed.
struct EventCase {
  const wchar_t* name;
  std::function<void(const TradeSim&)> prepare;
  std::function<void(const TradeSim&)> trigger;
  std::function<bool(const TradeSim&)> acted;  // the client has acted on it
};

std::vector<EventCase> EventCases() {
  auto nothing = [](const TradeSim&) {};
  return {
      {L"key", nothing,
       [](const TradeSim& sim) { PostMessageW(sim.MainWindow(), WM_KEYDOWN, VK_F2, 0); },
       [](const TradeSim& sim) { return IsWindowVisible(sim.Page(VK_F2)) != FALSE; }},
      {L"code", [](const TradeSim& sim) { ASSERT_NE(OpenBuyPage(sim), nullptr); },
       [](const TradeSim& sim) { PostChars(Descendants(sim.Page(VK_F1))[0], "600000"); },
       [](const TradeSim& sim) { return !sim.WaitForEvent("READY", {}, 0ms).event.empty(); }},
      {L"settext", [](const TradeSim& sim) { ASSERT_FALSE(BuyPageWithCode(sim).empty()); },
       [](const TradeSim& sim) {
         SendBriefly(Descendants(sim.Page(VK_F1))[7], WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(L"4800"));
       },
       [](const TradeSim& sim) {
         return WindowTextUtf8(Descendants(sim.Page(VK_F1))[7]) == "4800";
       }},
      {L"click", [](const TradeSim& sim) { ASSERT_FALSE(BuyPageWithCode(sim).empty()); },
       [](const TradeSim& sim) {
         HWND button = Descendants(sim.Page(VK_F1))[10];
         SendBriefly(button, WM_LBUTTONDOWN, 0, 0);
         SendBriefly(button, WM_LBUTTONUP, 0, 0);
       },
       [](const TradeSim& sim) { return !sim.WaitForEvent("ORDER", {}, 0ms).event.empty(); }},
  };
}

TEST(TradeSimFaults, HangStopsAnsweringForItsTimeThenTheActionCompletes) {
  for (const EventCase& c : EventCases()) {
    SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
    TradeSim sim({L"--hang", L"3000", L"--hang-on", c.name});
    c.prepare(sim);
    ASSERT_TRUE(Answers(sim.MainWindow(), 2000));
    c.trigger(sim);
    ASSERT_FALSE(sim.WaitForEvent("HANG").event.empty());
    EXPECT_FALSE(Answers(sim.MainWindow(), 300));
    EXPECT_TRUE(WaitUntil([&] { return Answers(sim.MainWindow(), 100); }));
    EXPECT_TRUE(WaitUntil([&] { return c.acted(sim); }));
  }
}

TEST(TradeSimFaults, ExitOnEndsTheProcessBeforeTheActionTakesEffect) {
  for (const EventCase& c : EventCases()) {
    std::string name(c.name, c.name + wcslen(c.name));
    SCOPED_TRACE(name);
    TradeSim sim({L"--exit-on", c.name});
    c.prepare(sim);
    c.trigger(sim);
    EXPECT_EQ(sim.Process().WaitExit(), 3);
    auto journal = sim.Journal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back().event, "EXIT");
    EXPECT_EQ(journal.back().Field(0), name);
    for (const auto& e : journal) EXPECT_NE(e.event, "ORDER");
  }
}

HWND ConfirmationOf(const TradeSim& sim) {
  HWND box = nullptr;
  WaitUntil([&] {
    box = FindWindowW(L"#32770", L"确认");
    return box && GetWindow(box, GW_OWNER) == sim.MainWindow() && IsWindowVisible(box);
  });
  return box;
}

TEST(TradeSimFaults, ConfirmationPopsUpAfterThePressWhichIsJournaledRegardless) {
  TradeSim sim({L"--confirm"});
  std::vector<HWND> controls = BuyPageWithCode(sim);
  ASSERT_FALSE(controls.empty());
  SendClick(controls[10]);  // returns at once: the box comes after the press
  EXPECT_FALSE(sim.WaitForEvent("ORDER").event.empty());
  HWND box = ConfirmationOf(sim);
  ASSERT_NE(box, nullptr);
  PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(sim.WaitForEvent("CONFIRM").Field(0), "cancel");
}

TEST(TradeSimFaults, BlockingConfirmationHoldsTheSentClickUntilAnswered) {
  TradeSim sim({L"--confirm-blocking"});
  std::vector<HWND> controls = BuyPageWithCode(sim);
  ASSERT_FALSE(controls.empty());
  DWORD_PTR result = 0;
  SendBriefly(controls[10], WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(SendMessageTimeoutW(controls[10], WM_LBUTTONUP, 0, 0, SMTO_NORMAL, 500, &result), 0);
  EXPECT_FALSE(sim.WaitForEvent("ORDER").event.empty());
  HWND box = ConfirmationOf(sim);
  ASSERT_NE(box, nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(sim.WaitForEvent("CONFIRM").Field(0), "ok");
}

TEST(TradeSimFaults, ShortPagesHoldOnlyTheirFirstControlsAndStillTakeTheCode) {
  TradeSim sim({L"--short-page", L"5"});
  for (UINT key : {VK_F1, VK_F2, VK_F3, VK_F5}) EXPECT_EQ(Descendants(sim.Page(key)).size(), 5u);
  std::vector<HWND> controls = BuyPageWithCode(sim);
  ASSERT_EQ(controls.size(), 5u);
  EXPECT_EQ(WindowTextUtf8(controls[3]), "10.00");
}

TEST(TradeSimFaults, LateReadinessAndAChangedCode) {
  TradeSim sim({L"--ready-delay", L"400"});
  std::vector<HWND> controls = BuyPageWithCode(sim);
  ASSERT_FALSE(controls.empty());
  EXPECT_GE(sim.WaitForEvent("READY").ms - sim.WaitForEvent("CODE").ms, 400);
  EXPECT_EQ(WindowTextUtf8(controls[18]), "100000.00");
  PostChars(controls[0], "\b");
  EXPECT_TRUE(WaitUntil([&] { return WindowTextUtf8(controls[18]).empty(); }));
  EXPECT_EQ(WindowTextUtf8(controls[3]), "");
  PostChars(controls[0], "1");
  EXPECT_TRUE(WaitUntil([&] { return WindowTextUtf8(controls[18]) == "100000.00"; }));
  auto readyFor = [&](const char* code) {
    return sim
        .WaitForJournal(
            [&](const JournalEntry& e) { return e.event == "READY" && e.Field(1) == code; })
        .event;
  };
  EXPECT_EQ(readyFor("600001"), "READY");
  SendMessageW(controls[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"000001"));
  EXPECT_EQ(readyFor("000001"), "READY");
}

TEST(TradeSimRobustness, OddBytesHugeTextsAndCloseAreSurvived) {
  TradeSim sim;
  std::vector<HWND> controls = BuyPageWithCode(sim);
  ASSERT_FALSE(controls.empty());
  PostChars(controls[0], "\xD6\xD0\x01\xFF");
  std::wstring huge(200000, L'9');
  huge[5] = L'\t';
  SendMessageW(controls[7], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(huge.c_str()));
  SendClick(controls[10]);
  JournalEntry order = sim.WaitForEvent("ORDER");
  EXPECT_EQ(order.Field(3).substr(0, 7), "99999\t9");
  EXPECT_EQ(order.Field(3).size(), 4096u);  // a field keeps 4,096 characters
  PostMessageW(sim.MainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(sim.Process().WaitExit(), 0);
}

TEST(TradeSimCommandLine, UnknownOptionIsAnErrorWithExitCode2) {
  TestProcess sim(SimPath(L"TradeSim.exe"), {L"--no-such-option"});
  EXPECT_EQ(sim.WaitExit(), 2);
  TestProcess quote(SimPath(L"QuoteSim.exe"), {L"--title"});
  EXPECT_EQ(quote.WaitExit(), 2);
}

}  // namespace
}  // namespace kovra::test
