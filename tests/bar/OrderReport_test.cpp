// What the bar keeps and reads after an action, over Win32: the record file appended to and never
// rewritten, the client's reply box read and left open, the system-wide hotkeys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bar/BarHotkeys.h"
#include "bar/OrderRecord.h"
#include "bar/ReplyWatcher.h"
#include "framework/Handles.h"
#include "framework/WindowClass.h"
#include "support/Input.h"
#include "support/Sim.h"
#include "support/TestPaths.h"
#include "support/Wait.h"
#include "support/Windows.h"

namespace kovra::test {
namespace {

std::string FileBytes(const std::string& path) {
  KernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
  if (!file) return "<missing>";
  std::string bytes(1 << 16, '\0');
  DWORD got = 0;
  ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  bytes.resize(got);
  return bytes;
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  KernelHandle file(
      CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD put = 0;
  ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr));
}

TOrderOutcome Sold(const char* quantity) {
  TOrderOutcome outcome;
  outcome.Request = {OrderAction::Sell, 1, "600000", false};
  outcome.Kind = OutcomeKind::Placed;
  outcome.PriceText = "10.00";
  outcome.QuantityText = quantity;
  return outcome;
}

// Everything after the time stamp of each line, the header included.
std::vector<std::string> LinesAfterTime(std::string text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find("\r\n", at);
    std::string line = text.substr(at, end - at);
    lines.push_back(line.rfind("时间,", 0) == 0 ? line : line.substr(line.find(',') + 1));
    at = end == std::string::npos ? text.size() : end + 2;
  }
  return lines;
}

class OrderRecordTest : public testing::Test {
 protected:
  std::string Path() const { return Narrow(dir_.Path()) + "Kovra委托记录.csv"; }
  ScratchDir dir_;
};

TEST_F(OrderRecordTest, ANewFileGetsTheMarkAndHeaderOnceThenLinesAreAppended) {
  TOrderRecord record(Path());
  ASSERT_TRUE(record.Append(Sold("100")));
  ASSERT_TRUE(record.Append(Sold("200")));
  const std::string text = FileBytes(Path());
  ASSERT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u);
  EXPECT_EQ(LinesAfterTime(text.substr(3)),
            (std::vector<std::string>{"时间,动作,选择,代码,价格,数量,结果,原因,回报,耗时毫秒",
                                      "卖,1,600000,10.00,100,已下单,,,0",
                                      "卖,1,600000,10.00,200,已下单,,,0"}));
}

TEST_F(OrderRecordTest, WhatTheTraderKeptInTheFileStaysAsItIs) {
  const std::string kept = "\xEF\xBB\xBF时间,备注\r\n昨天,自己写的";  // no line end, edited
  WriteBytes(Path(), kept);
  TOrderRecord record(Path());
  ASSERT_TRUE(record.Append(Sold("100")));
  const std::string text = FileBytes(Path());
  ASSERT_EQ(text.rfind(kept, 0), 0u);
  EXPECT_EQ(text.find("时间,动作"), std::string::npos);  // no second header
  EXPECT_NE(text.find("卖,1,600000,10.00,100,已下单"), std::string::npos);
}

TEST_F(OrderRecordTest, AFileHeldByAnotherProgramLosesNothingAndDoesNotWait) {
  TOrderRecord record(Path());
  ASSERT_TRUE(record.Append(Sold("100")));
  {
    // A spreadsheet opens the file for itself alone.
    KernelHandle held(CreateFileW(Wide(Path()).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(record.Append(Sold("200")));
    EXPECT_FALSE(record.Append(Sold("300")));
    EXPECT_EQ(record.Pending().Size(), 2u);
  }
  ASSERT_TRUE(record.Append(Sold("400")));
  EXPECT_TRUE(record.Pending().Empty());
  const std::vector<std::string> lines = LinesAfterTime(FileBytes(Path()).substr(3));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1], "卖,1,600000,10.00,100,已下单,,,0");
  EXPECT_EQ(lines[2], "卖,1,600000,10.00,200,已下单,,,0");
  EXPECT_EQ(lines[3], "卖,1,600000,10.00,300,已下单,,,0");
  EXPECT_EQ(lines[4], "卖,1,600000,10.00,400,已下单,,,0");
}

// The simulated client with a reply box after each press of an order button.
class ReplyWatcherTest : public testing::Test {
 protected:
  static constexpr int kBuyButton = 10;
  void Press() { SendClick(Descendants(trade_.Page(VK_F1)).at(kBuyButton)); }
  DWORD Pid() { return trade_.Process().Pid(); }

  TradeSim trade_{{L"--reply", L"委托已提交，合同编号：A123"}};
};

TEST_F(ReplyWatcherTest, ANewBoxOfTheClientIsReadAndLeftOpen) {
  TReplyWatcher watcher;
  watcher.Snapshot(Pid());
  Press();
  std::string reply = "<none>";
  watcher.Watch([&](const std::string& text) { reply = text; });
  ASSERT_TRUE(WaitUntil([&] { return !watcher.Watching(); }));
  EXPECT_EQ(reply, "委托已提交，合同编号：A123");
  ASSERT_EQ(trade_.WaitForEvent("REPLY").Field(0), "委托已提交，合同编号：A123");
  EXPECT_TRUE(trade_.Process().Running());
  EXPECT_EQ(trade_.WaitForEvent("REPLYCLOSED", {}, std::chrono::milliseconds(300)).event, "");
}

TEST_F(ReplyWatcherTest, WindowsShownBeforeThePressAreNoReply) {
  Press();
  ASSERT_EQ(trade_.WaitForEvent("REPLY").event, "REPLY");
  TReplyWatcher watcher;
  ASSERT_TRUE(WaitUntil([&] {
    watcher.Snapshot(Pid());
    return VisibleWindowsOf(Pid(), L"#32770").size() == 1;
  }));
  std::string reply = "<none>";
  watcher.Watch([&](const std::string& text) { reply = text; });
  EXPECT_TRUE(watcher.Watching());  // the bar goes on while it watches
  ASSERT_TRUE(WaitUntil([&] { return !watcher.Watching(); }));
  EXPECT_EQ(reply, "");
}

TEST_F(ReplyWatcherTest, FinishingEarlyStillReadsAReplyThatIsThere) {
  TReplyWatcher watcher;
  watcher.Snapshot(Pid());
  Press();
  ASSERT_EQ(trade_.WaitForEvent("REPLY").event, "REPLY");
  ASSERT_TRUE(WaitUntil([&] { return !VisibleWindowsOf(Pid(), L"#32770").empty(); }));
  std::string reply = "<none>";
  watcher.Watch([&](const std::string& text) { reply = text; });
  watcher.Finish();
  EXPECT_EQ(reply, "委托已提交，合同编号：A123");
}

TEST(BarHotkeys, TakenAndUnreadableHotkeysAreNamedAndTheOthersWork) {
  // Another program holds Ctrl+Alt+B.
  ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, 'B'));
  std::vector<OrderAction> fired;
  {
    TBarHotkeys hotkeys([&](OrderAction action) { fired.push_back(action); });
    const auto problems = hotkeys.Register({"Ctrl+Alt+R", "Ctrl+Alt+B", "Ctrl+Alt+", ""});
    EXPECT_EQ(problems, (std::vector<std::string>{"买 Ctrl+Alt+B（已被其他程序占用）",
                                                  "卖 Ctrl+Alt+（无法识别）"}));
    EXPECT_EQ(hotkeys.RegisteredCount(), 1);
    EXPECT_EQ(TBarHotkeys::WarningText(problems),
              "以下快捷键无法使用：\n买 Ctrl+Alt+B（已被其他程序占用）\n卖 Ctrl+Alt+（无法识别）");
    SendKeys({VK_CONTROL, VK_MENU, 'R'});
    EXPECT_TRUE(WaitUntil([&] { return !fired.empty(); }));
    EXPECT_EQ(fired, std::vector<OrderAction>{OrderAction::MarginBuy});
  }
  UnregisterHotKey(nullptr, 7);
  // Released with the bar: another program can have them now.
  ASSERT_TRUE(RegisterHotKey(nullptr, 8, MOD_CONTROL | MOD_ALT, 'R'));
  UnregisterHotKey(nullptr, 8);
}

}  // namespace
}  // namespace kovra::test
