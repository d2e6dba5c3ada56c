#include "app/Configuration.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/Global.h"
#include "framework/SysUtils.h"
#include "framework/runtime/Numbers.h"
#include "framework/runtime/Text.h"
#include "framework/WindowClass.h"
#include "support/Sim.h"

namespace kovra {
namespace {

class ConfigurationTest : public testing::Test {
 protected:
  std::string Path() const { return Narrow(dir_.Path()) + "Kovra.ini"; }

  // The system's own profile functions, to prove that both sides read each other's files.
  void ProfileWrite(const char* section, const char* key, const char* value) {
    ASSERT_TRUE(WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(),
                                           Wide(value).c_str(), Wide(Path()).c_str()));
  }
  std::string ProfileRead(const char* section, const char* key) {
    wchar_t buffer[2048];
    const DWORD n = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), L"<none>",
                                             buffer, 2048, Wide(Path()).c_str());
    return Narrow(std::wstring_view(buffer, n));
  }

  void SetUp() override { FormatSettings().DecimalSeparator = ','; }

  TGlobalStateScope state_;
  test::ScratchDir dir_;
};

TEST_F(ConfigurationTest, FirstRunGivesTheDefaultsAndBothWarnings) {
  const TBarConfig bar = ReadConfiguration(Path());
  EXPECT_EQ(bar.Top, 100);
  EXPECT_EQ(bar.Left, 100);
  EXPECT_EQ(bar.Color, clBtnFace);
  EXPECT_EQ(GlobalState->BuyAmount, 5);
  EXPECT_EQ(GlobalState->TradeShares, 2000);
  EXPECT_EQ(GlobalState->PriceFloat, 3.0);
  EXPECT_TRUE(GlobalState->MarginByAmount);
  EXPECT_TRUE(GlobalState->BuyByAmount);
  EXPECT_EQ(GlobalState->TradeSoftPath, "");
  EXPECT_EQ(GlobalState->ReadyWaitMs, 3000u);

  std::vector<std::string> warnings;
  LocateApplications([&](const std::string& text) { warnings.push_back(text); });
  EXPECT_EQ(warnings,
            (std::vector<std::string>{"交易软件没有运行!", "大智慧股票行情软件没有运行!"}));
  EXPECT_EQ(GlobalState->TradePid, 0u);
  EXPECT_EQ(GlobalState->TradeWnd, nullptr);
  EXPECT_EQ(GlobalState->StockWnd, nullptr);
}

TEST_F(ConfigurationTest, ValuesWrittenByTheProfileFunctionsReadAsTheirFormatsSay) {
  ProfileWrite("MainWindow", "strTop", "-20");
  ProfileWrite("MainWindow", "strLeft", "0x10");
  ProfileWrite("MainWindow", "COLOR", "0xFF");
  ProfileWrite("Config", "TradeSoft", "C:\\券商\\xiadan.exe");
  ProfileWrite("Config", "每次买入金额", "12");
  ProfileWrite("Config", "每次买卖股数", "abc");
  ProfileWrite("Config", "下单价格浮动", "2.5");
  ProfileWrite("Config", "融资按金额", "256");
  ProfileWrite("Config", "担保按金额", "2");
  const TBarConfig bar = ReadConfiguration(Path());
  EXPECT_EQ(bar.Top, -20);
  EXPECT_EQ(bar.Left, 16);
  EXPECT_EQ(bar.Color, 255);
  EXPECT_EQ(GlobalState->TradeSoftPath, "C:\\券商\\xiadan.exe");
  EXPECT_EQ(GlobalState->BuyAmount, 12);
  EXPECT_EQ(GlobalState->TradeShares, 2000);
  EXPECT_EQ(GlobalState->PriceFloat, 2.5);  // with "." whatever the process's separator
  EXPECT_FALSE(GlobalState->MarginByAmount);
  EXPECT_TRUE(GlobalState->BuyByAmount);
  EXPECT_EQ(GlobalState->ReadyWaitMs, 3000u);

  ProfileWrite("Config", "就绪等待毫秒", "20");
  EXPECT_EQ((ReadConfiguration(Path()), GlobalState->ReadyWaitMs), 500u);
  ProfileWrite("Config", "就绪等待毫秒", "60000");
  EXPECT_EQ((ReadConfiguration(Path()), GlobalState->ReadyWaitMs), 10000u);
  ProfileWrite("Config", "就绪等待毫秒", "1200");
  EXPECT_EQ((ReadConfiguration(Path()), GlobalState->ReadyWaitMs), 1200u);

  ProfileWrite("Config", "下单价格浮动", "abc");
  ProfileWrite("mainwindow", "COLOR", "-16777201");  // names match in any letter case
  EXPECT_EQ(ReadConfiguration(Path()).Color, clBtnFace);
  EXPECT_EQ(GlobalState->PriceFloat, 3.0);
}

TEST_F(ConfigurationTest, StoredFileReadsBackHereAndThroughTheProfileFunctions) {
  GlobalState->TradeSoftPath = "Z:\\交易\\trade.exe";
  GlobalState->StockSoftPath = "C:\\dzh2\\dzh.exe";
  GlobalState->BuyAmount = 300000;
  GlobalState->TradeShares = 1500;
  GlobalState->PriceFloat = 2.5;
  GlobalState->ReadyWaitMs = 1500;
  StoreConfiguration(Path(), {40, -3, clBtnFace}, true, false);

  EXPECT_EQ(ProfileRead("MainWindow", "strTop"), "40");
  EXPECT_EQ(ProfileRead("MainWindow", "strLeft"), "-3");
  EXPECT_EQ(ProfileRead("MainWindow", "COLOR"), "-16777201");
  EXPECT_EQ(ProfileRead("Config", "TradeSoft"), "Z:\\交易\\trade.exe");
  EXPECT_EQ(ProfileRead("Config", "每次买入金额"), "300000");
  EXPECT_EQ(ProfileRead("Config", "下单价格浮动"), "2.5");
  EXPECT_EQ(ProfileRead("Config", "融资按金额"), "1");
  EXPECT_EQ(ProfileRead("Config", "担保按金额"), "0");
  EXPECT_EQ(ProfileRead("Config", "就绪等待毫秒"), "1500");

  *GlobalState = TGlobal();
  const TBarConfig bar = ReadConfiguration(Path());
  EXPECT_EQ(bar.Top, 40);
  EXPECT_EQ(bar.Left, -3);
  EXPECT_EQ(bar.Color, clBtnFace);
  EXPECT_EQ(GlobalState->TradeSoftPath, "Z:\\交易\\trade.exe");
  EXPECT_EQ(GlobalState->StockSoftPath, "C:\\dzh2\\dzh.exe");
  EXPECT_EQ(GlobalState->BuyAmount, 300000);
  EXPECT_EQ(GlobalState->TradeShares, 1500);
  EXPECT_EQ(GlobalState->PriceFloat, 2.5);
  EXPECT_TRUE(GlobalState->MarginByAmount);
  EXPECT_FALSE(GlobalState->BuyByAmount);
  EXPECT_EQ(GlobalState->ReadyWaitMs, 1500u);
}

TEST_F(ConfigurationTest, StoredKeysKeepTheFileOrder) {
  StoreConfiguration(Path(), {}, true, true);
  HANDLE file = CreateFileW(Wide(Path()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[4096];
  DWORD got = 0;
  ReadFile(file, buffer, sizeof buffer, &got, nullptr);
  CloseHandle(file);
  const std::string text = GbkToUtf8(std::string_view(buffer, got));
  size_t at = 0;
  for (const char* key : {"[MainWindow]", "strTop=", "strLeft=", "COLOR=", "[Config]", "TradeSoft=",
                          "StockSoft=", "每次买入金额=", "每次买卖股数=", "下单价格浮动=0",
                          "融资按金额=1", "担保按金额=1", "就绪等待毫秒=3000"}) {
    const size_t found = text.find(key, at);
    ASSERT_NE(found, std::string::npos) << key << " in\n" << text;
    at = found;
  }
}

TEST_F(ConfigurationTest, BarSwitchesAndHotkeysDefaultReadAndStoreInTheirSections) {
  TBarConfig bar = ReadConfiguration(Path());
  EXPECT_TRUE(bar.Notices);
  EXPECT_FALSE(bar.Rehearsal);
  EXPECT_EQ(bar.Hotkeys,
            (std::array<std::string, 4>{"Ctrl+Alt+R", "Ctrl+Alt+B", "Ctrl+Alt+S", "Ctrl+Alt+C"}));

  ProfileWrite("Config", "提示消息", "0");
  ProfileWrite("Config", "演练模式", "1");
  ProfileWrite("Hotkeys", "买", "Shift+F9");
  ProfileWrite("Hotkeys", "撤单", "");  // empty: no hotkey, not the default
  bar = ReadConfiguration(Path());
  EXPECT_FALSE(bar.Notices);
  EXPECT_TRUE(bar.Rehearsal);
  EXPECT_EQ(bar.Hotkeys, (std::array<std::string, 4>{"Ctrl+Alt+R", "Shift+F9", "Ctrl+Alt+S", ""}));

  bar.Notices = true;
  bar.Rehearsal = false;
  bar.Hotkeys[0] = "Ctrl+Q";
  StoreConfiguration(Path(), bar, true, true);
  EXPECT_EQ(ProfileRead("Config", "提示消息"), "1");
  EXPECT_EQ(ProfileRead("Config", "演练模式"), "0");
  EXPECT_EQ(ProfileRead("Hotkeys", "融买"), "Ctrl+Q");
  EXPECT_EQ(ProfileRead("Hotkeys", "买"), "Shift+F9");
  EXPECT_EQ(ProfileRead("Hotkeys", "撤单"), "");
}

TEST_F(ConfigurationTest, AReadOnlyFileRefusesTheStoreWithThePath) {
  ProfileWrite("MainWindow", "strTop", "7");
  ASSERT_TRUE(SetFileAttributesW(Wide(Path()).c_str(), FILE_ATTRIBUTE_READONLY));
  try {
    StoreConfiguration(Path(), {}, true, true);
    ADD_FAILURE() << "the store succeeded";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "Unable to write to " + Path());
  }
  SetFileAttributesW(Wide(Path()).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ProfileRead("MainWindow", "strTop"), "7");
}

TEST_F(ConfigurationTest, MissingTableFileSectionOrKeyReadsEmpty) {
  EXPECT_EQ(ReadIniValue(Path(), "代码表", "600000"), "");
  ProfileWrite("代码表", "浦发银行", "600000 浦发");
  EXPECT_EQ(ReadIniValue(Path(), "代码表", "浦发银行"), "600000 浦发");
  EXPECT_EQ(ReadIniValue(Path(), "代码表", "600001"), "");
  EXPECT_EQ(ReadIniValue(Path(), "其他", "浦发银行"), "");
}

TEST_F(ConfigurationTest, RunningApplicationsAreLocatedWithoutWarnings) {
  test::TradeSim trade;
  test::QuoteSim quote;
  GlobalState->TradeSoftPath = Narrow(test::SimPath(L"TradeSim.exe"));
  GlobalState->StockSoftPath = Narrow(test::SimPath(L"QuoteSim.exe"));
  // Searched in line, and on the worker while other work runs here: the same answer.
  for (const bool overlapped : {false, true}) {
    SCOPED_TRACE(overlapped ? "overlapped" : "in line");
    GlobalState->TradePid = GlobalState->StockPid = 0;
    GlobalState->TradeWnd = GlobalState->StockWnd = nullptr;
    std::vector<std::string> warnings;
    int meanwhileRuns = 0;
    std::function<void()> meanwhile;
    if (overlapped) meanwhile = [&] { ++meanwhileRuns; };
    LocateApplications([&](const std::string& text) { warnings.push_back(text); }, meanwhile);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(meanwhileRuns, overlapped ? 1 : 0);
    EXPECT_EQ(GlobalState->TradePid, trade.Process().Pid());
    EXPECT_EQ(GlobalState->StockPid, quote.Process().Pid());
    EXPECT_EQ(GlobalState->TradeWnd, trade.MainWindow());
    EXPECT_EQ(GlobalState->StockWnd, quote.MainWindow());
  }
}

TEST_F(ConfigurationTest, OverlappedSearchWarnsOnlyAfterTheWorkAndSurvivesItsFailure) {
  GlobalState->TradeSoftPath = "C:\\nowhere\\trade.exe";
  GlobalState->StockSoftPath = "C:\\nowhere\\quote.exe";
  std::vector<std::string> events;
  LocateApplications([&](const std::string& text) { events.push_back(text); },
                     [&] { events.push_back("work"); });
  EXPECT_EQ(events,
            (std::vector<std::string>{"work", "交易软件没有运行!", "大智慧股票行情软件没有运行!"}));
  // The work fails: the error reaches the caller once the worker is done; nothing is warned.
  events.clear();
  EXPECT_THROW(LocateApplications([&](const std::string& text) { events.push_back(text); },
                                  [] { throw Exception("creation failed"); }),
               Exception);
  EXPECT_TRUE(events.empty());
}

}  // namespace
}  // namespace kovra
