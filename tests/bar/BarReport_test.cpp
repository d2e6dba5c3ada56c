// The real Kovra.exe telling what each action did: one line per action in the order record, the
// client's reply read into it, rehearsal mode, the switches of the stock box's menu kept across a
// restart, and the system-wide hotkeys.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BarProcess.h"
#include "framework/Handles.h"
#include "framework/WindowClass.h"
#include "support/Input.h"
#include "support/Sim.h"
#include "support/TestForm.h"
#include "support/Wait.h"
#include "support/Windows.h"

namespace kovra::test {
namespace {

constexpr int kMarginButton = 0, kBuyButton = 1, kStockBox = 2, kSellButton = 3;
constexpr int kTime = 0, kAction = 1, kChoice = 2, kCode = 3, kPrice = 4, kQuantity = 5,
              kResult = 6, kReason = 7, kReply = 8, kMs = 9;

using Row = std::vector<std::string>;

// The record's rows after its header, each split into its ten fields as CSV quotes them.
std::vector<Row> ParseRecord(const std::string& text) {
  std::vector<Row> rows;
  Row row;
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
      ++i;
    } else {
      field += c;
    }
  }
  if (!rows.empty()) rows.erase(rows.begin());  // the header
  return rows;
}

class BarReportTest : public testing::Test {
 protected:
  void StartAll(std::vector<std::wstring> tradeOptions = {}) {
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

  std::wstring RecordPath() const { return folder_.Path() + L"Kovra委托记录.csv"; }
  std::string RecordBytes() const {
    KernelHandle file(CreateFileW(RecordPath().c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    if (!file) return {};
    std::string bytes(1 << 16, '\0');
    DWORD got = 0;
    ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
  }
  std::vector<Row> Rows() const {
    const std::string bytes = RecordBytes();
    return bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? ParseRecord(bytes.substr(3)) : std::vector<Row>{};
  }
  // Waits for the record to hold `count` rows and returns the last.
  Row WaitForRow(size_t count) {
    std::vector<Row> rows;
    WaitUntil([&] { return (rows = Rows()).size() >= count; });
    EXPECT_EQ(rows.size(), count);
    return rows.size() >= count ? rows[count - 1] : Row(10);
  }
  size_t Orders() const {
    size_t n = 0;
    for (const auto& entry : trade_->Journal()) n += entry.event == "ORDER";
    return n;
  }

  BarFolder folder_;
  std::unique_ptr<TradeSim> trade_;
  std::unique_ptr<QuoteSim> quote_;
  std::unique_ptr<BarProcess> bar_;
};

TEST_F(BarReportTest, APlacedOrderLeavesOneRowWithTheClientsReplyAndTheBoxOpen) {
  StartAll({L"--reply", L"委托已提交，合同编号：A123, 请核对"});
  bar_->Click(bar_->Control(kBuyButton));
  ASSERT_EQ(trade_->WaitForEvent("ORDER").Field(3), "4800");
  const Row row = WaitForRow(1);
  ASSERT_EQ(row.size(), 10u);
  EXPECT_EQ(row[kTime].size(), std::string("2026-12-07 09:31:05.123").size()) << row[kTime];
  EXPECT_EQ(row[kTime][19], '.');
  EXPECT_EQ(row[kAction], "买");
  EXPECT_EQ(row[kChoice], "6");
  EXPECT_EQ(row[kCode], "600000");
  EXPECT_EQ(row[kPrice], "10.30");
  EXPECT_EQ(row[kQuantity], "4800");
  EXPECT_EQ(row[kResult], "已下单");
  EXPECT_EQ(row[kReason], "");
  EXPECT_EQ(row[kReply], "委托已提交，合同编号：A123, 请核对");
  EXPECT_GT(std::stoi(row[kMs]), 0);
  // The reply is the trader's to answer.
  EXPECT_EQ(VisibleWindowsOf(trade_->Process().Pid(), L"#32770").size(), 1u);
  EXPECT_EQ(trade_->WaitForEvent("REPLYCLOSED", {}, std::chrono::milliseconds(200)).event, "");
}

TEST_F(BarReportTest, EachRefusalLeavesOneRowWithItsReason) {
  StartAll({L"--funds", L"0", L"--sell-price", L""});
  bar_->ChooseMenuItem(kBuyButton, "全仓买");  // no funds: nothing to order
  Row row = WaitForRow(1);
  EXPECT_EQ(row[kChoice], "1");
  EXPECT_EQ(row[kResult], "未下单");
  EXPECT_EQ(row[kReason], "数量为0");
  bar_->Click(bar_->Control(kSellButton));  // the page shows no price
  row = WaitForRow(2);
  EXPECT_EQ(row[kAction], "卖");
  EXPECT_EQ(row[kResult], "未下单");
  EXPECT_EQ(row[kReason], "无价格");
  EXPECT_EQ(row[kPrice], "");
  quote_->SetTitle("大智慧 - [无此代码]");  // a stock the table does not know: no code
  ASSERT_TRUE(WaitUntil([&] { return bar_->Display() != "600000"; }));
  bar_->Click(bar_->Control(kBuyButton));
  row = WaitForRow(3);
  EXPECT_EQ(row[kReason], "无股票代码");
  quote_->SetTitle("大智慧 - [600000]");
  ASSERT_TRUE(WaitUntil([&] { return bar_->Display() == "600000"; }));
  trade_->Process().Kill();  // the client is gone
  bar_->Click(bar_->Control(kBuyButton));
  row = WaitForRow(4);
  EXPECT_EQ(row[kResult], "未下单");
  EXPECT_EQ(row[kReason], "未找到交易软件");
  EXPECT_EQ(Orders(), 0u);
}

TEST_F(BarReportTest, RehearsalFillsTheFieldsPressesNothingAndSurvivesARestart) {
  StartAll();
  // The stock box's text changes colour: yellow pixels live, none in rehearsal. Painting
  // follows the text and the switch, so the captures wait for it.
  constexpr std::uint32_t kYellow = 0xFFFF00, kAqua = 0x00FFFF;  // as a DIB holds them
  auto count = [](const TBitmap& shot, std::uint32_t rgb) {
    int n = 0;
    for (int y = 0; y < shot.Height(); ++y)
      for (int x = 0; x < shot.Width(); ++x) n += (shot.ScanLine(y)[x] & 0xFFFFFF) == rgb;
    return n;
  };
  int liveYellow = 0;
  WaitUntil([&] {
    liveYellow = count(CaptureOnScreen(bar_->Control(kStockBox)), kYellow);
    return liveYellow > 10;
  });
  bar_->ChooseMenuItem(kStockBox, "演练模式");
  bar_->ChooseMenuItem(kStockBox, "提示消息");  // off
  bar_->Click(bar_->Control(kMarginButton));
  const Row row = WaitForRow(1);
  EXPECT_EQ(row[kAction], "融买");
  EXPECT_EQ(row[kResult], "演练");
  EXPECT_EQ(row[kPrice], "10.30");
  EXPECT_EQ(row[kQuantity], "4800");
  size_t written = 0;
  for (const auto& entry : trade_->Journal())
    written += entry.event == "SETTEXT" && entry.Field(0) == "margin";
  EXPECT_GE(written, 2u);  // price and quantity
  EXPECT_EQ(Orders(), 0u);

  int rehearsalYellow = 0, rehearsalAqua = 0;
  WaitUntil([&] {
    const TBitmap rehearsal = CaptureOnScreen(bar_->Control(kStockBox));
    rehearsalYellow = count(rehearsal, kYellow);
    rehearsalAqua = count(rehearsal, kAqua);
    return rehearsalYellow == 0 && rehearsalAqua > 10;
  });
  EXPECT_GT(liveYellow, 10);
  EXPECT_EQ(rehearsalYellow, 0);
  EXPECT_GT(rehearsalAqua, 10);
  // And resting the mouse on it brings up its tooltip.
  RECT box{};
  GetWindowRect(bar_->Control(kStockBox), &box);
  SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
  EXPECT_TRUE(WaitUntil(
      [&] { return !VisibleWindowsOf(bar_->Process().Pid(), L"tooltips_class32").empty(); }));
  ParkCursor();

  ASSERT_EQ(bar_->Exit(), 0);
  EXPECT_EQ(folder_.ReadIni("Config", "演练模式"), "1");
  EXPECT_EQ(folder_.ReadIni("Config", "提示消息"), "0");
  StartBar();
  ASSERT_TRUE(WaitUntil([&] { return bar_->Display() == "600000"; }));
  bar_->Click(bar_->Control(kBuyButton));
  EXPECT_EQ(WaitForRow(2)[kResult], "演练");
  EXPECT_EQ(Orders(), 0u);
  bar_->ChooseMenuItem(kStockBox, "演练模式");
  bar_->ChooseMenuItem(kStockBox, "提示消息");
  ASSERT_EQ(bar_->Exit(), 0);
  EXPECT_EQ(folder_.ReadIni("Config", "演练模式"), "0");
  EXPECT_EQ(folder_.ReadIni("Config", "提示消息"), "1");
}

TEST_F(BarReportTest, ARecordHeldByASpreadsheetLosesNothingAndHoldsNoOrderBack) {
  StartAll();
  bar_->Click(bar_->Control(kBuyButton));
  WaitForRow(1);
  {
    KernelHandle held(CreateFileW(RecordPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    bar_->Click(bar_->Control(kSellButton));
    ASSERT_EQ(trade_->WaitForEvent("ORDER", "sell").Field(3), "2000");
    EXPECT_TRUE(bar_->Responsive());
  }
  EXPECT_EQ(Rows().size(), 1u);  // the sell's line waits in the bar
  bar_->Click(bar_->Control(kMarginButton));
  ASSERT_EQ(trade_->WaitForEvent("ORDER", "margin").Field(3), "4800");
  WaitForRow(3);
  const std::vector<Row> rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][kAction], "买");
  EXPECT_EQ(rows[1][kAction], "卖");
  EXPECT_EQ(rows[1][kResult], "已下单");
  EXPECT_EQ(rows[2][kAction], "融买");
  EXPECT_LE(rows[0][kTime], rows[1][kTime]);
  EXPECT_LE(rows[1][kTime], rows[2][kTime]);
}

TEST_F(BarReportTest, AHotkeyPlacesWhatAClickPlacesAndATakenOneIsNamed) {
  // Another program holds the sell hotkey before the bar starts.
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'S'));
  trade_ = std::make_unique<TradeSim>();
  quote_ = std::make_unique<QuoteSim>("大智慧 - [600000]");
  folder_.UseSimulators();
  folder_.WriteCodeTable("600000", "600000");
  folder_.WriteIni("Hotkeys", "撤单", "");
  bar_ = std::make_unique<BarProcess>(folder_);
  const MessageBoxInfo box = bar_->WaitForMessageBox();
  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.caption, "Kovra");
  EXPECT_EQ(box.text, "以下快捷键无法使用：\n卖 Ctrl+Alt+S（已被其他程序占用）");
  BarProcess::Dismiss(box);
  UnregisterHotKey(nullptr, 1);
  bar_->WaitForBar();
  ASSERT_TRUE(WaitUntil([&] { return bar_->Display() == "600000"; }));

  SendKeys({VK_CONTROL, VK_MENU, 'B'});
  const JournalEntry order = trade_->WaitForEvent("ORDER", "buy");
  EXPECT_EQ(order.Field(1), "600000");
  EXPECT_EQ(order.Field(2), "10.30");
  EXPECT_EQ(order.Field(3), "4800");
  EXPECT_EQ(WaitForRow(1)[kAction], "买");
  EXPECT_EQ(bar_->Exit(), 0);
  EXPECT_EQ(folder_.ReadIni("Hotkeys", "买"), "Ctrl+Alt+B");
  EXPECT_EQ(folder_.ReadIni("Hotkeys", "撤单"), "");
}

}  // namespace
}  // namespace kovra::test
