#include "app/Configuration.h"

#include <future>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "app/ConfigValues.h"
#include "app/Global.h"
#include "app/ProcessFinder.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"
#include "framework/runtime/Numbers.h"

namespace kovra {
namespace {

constexpr const char* kWindowSection = "MainWindow";
constexpr const char* kConfigSection = "Config";
constexpr const char* kTop = "strTop";
constexpr const char* kLeft = "strLeft";
constexpr const char* kColor = "COLOR";
constexpr const char* kTradeSoft = "TradeSoft";
constexpr const char* kStockSoft = "StockSoft";
constexpr const char* kBuyAmount = "每次买入金额";
constexpr const char* kTradeShares = "每次买卖股数";
constexpr const char* kPriceFloat = "下单价格浮动";
constexpr const char* kMarginByAmount = "融资按金额";
constexpr const char* kBuyByAmount = "担保按金额";
constexpr const char* kReadyWait = "就绪等待毫秒";
constexpr const char* kNotices = "提示消息";
constexpr const char* kRehearsal = "演练模式";
constexpr const char* kHotkeySection = "Hotkeys";
constexpr const char* kHotkeyKeys[] = {"融买", "买", "卖", "撤单"};

constexpr std::int32_t kDefaultBuyAmount = 5;
constexpr std::int32_t kDefaultTradeShares = 2000;
constexpr double kDefaultPriceFloat = 3.0;
constexpr int kUnreadableRetries = 10;
constexpr DWORD kUnreadableRetryMs = 50;

// One look at the file for all values. A file another program holds for a moment (a scanner, a
// backup) is given a little time to come free; `unreadable` tells whether it never did.
IniDocument ReadSettings(const std::string& iniPath, bool& unreadable) {
  const TIniFile file(iniPath);
  IniDocument ini = file.Snapshot(&unreadable);
  for (int retry = 0; unreadable && retry < kUnreadableRetries; ++retry) {
    Sleep(kUnreadableRetryMs);
    ini = file.Snapshot(&unreadable);
  }
  return ini;
}

struct TStoredValue {
  const char* Section;
  const char* Key;
  std::string Text;
};

// Every value the close stores, in file order and in the form the file holds it. A key added
// here is stored, and is also kept from an unread file's defaults.
std::vector<TStoredValue> StoredValues(const TBarConfig& bar, bool marginByAmount,
                                       bool buyByAmount) {
  const TGlobal& state = *GlobalState;
  std::vector<TStoredValue> values{
      {kWindowSection, kTop, IntToStr(bar.Top)},
      {kWindowSection, kLeft, IntToStr(bar.Left)},
      {kWindowSection, kColor, IntToStr(bar.Color)},
      {kConfigSection, kTradeSoft, state.TradeSoftPath},
      {kConfigSection, kStockSoft, state.StockSoftPath},
      {kConfigSection, kBuyAmount, IntToStr(state.BuyAmount)},
      {kConfigSection, kTradeShares, IntToStr(state.TradeShares)},
      {kConfigSection, kPriceFloat, IniFloatText(state.PriceFloat)},
      {kConfigSection, kMarginByAmount, IniFlagText(marginByAmount)},
      {kConfigSection, kBuyByAmount, IniFlagText(buyByAmount)},
      {kConfigSection, kReadyWait, IntToStr(state.ReadyWaitMs)},
      {kConfigSection, kNotices, IniFlagText(bar.Notices)},
      {kConfigSection, kRehearsal, IniFlagText(bar.Rehearsal)},
  };
  for (std::size_t i = 0; i < bar.Hotkeys.size(); ++i)
    values.push_back({kHotkeySection, kHotkeyKeys[i], bar.Hotkeys[i]});
  return values;
}

// A file that could not be read at start was run on the defaults; storing them would replace
// the trader's settings. What the start then had is kept here, so that the close stores only
// the values that differ from it: those the trader changed in this run.
struct TUnreadStart {
  std::string Path;
  std::vector<TStoredValue> Values;
};
std::optional<TUnreadStart> unreadStart;

bool ChangedSinceUnreadStart(const std::string& iniPath, const TStoredValue& value) {
  if (!unreadStart || unreadStart->Path != iniPath) return true;
  for (const TStoredValue& loaded : unreadStart->Values) {
    if (std::string_view(loaded.Section) == value.Section &&
        std::string_view(loaded.Key) == value.Key) {
      return loaded.Text != value.Text;
    }
  }
  return true;
}

}  // namespace

void ShowStartupWarning(const std::string& text) {
  Application().MessageBox(text, Application().Title(), MB_OK);
}

TBarConfig ReadConfiguration(const std::string& iniPath) {
  bool unreadable = false;
  const IniDocument ini = ReadSettings(iniPath, unreadable);
  auto integer = [&](const char* section, const char* key, std::int32_t defaultValue) {
    return IniInteger(ini.ReadString(section, key, ""), defaultValue);
  };
  TBarConfig bar;
  bar.Top = integer(kWindowSection, kTop, bar.Top);
  bar.Left = integer(kWindowSection, kLeft, bar.Left);
  bar.Color = integer(kWindowSection, kColor, bar.Color);
  TGlobal& state = *GlobalState;
  state.TradeSoftPath = ini.ReadString(kConfigSection, kTradeSoft, "");
  state.StockSoftPath = ini.ReadString(kConfigSection, kStockSoft, "");
  state.BuyAmount = integer(kConfigSection, kBuyAmount, kDefaultBuyAmount);
  state.TradeShares = integer(kConfigSection, kTradeShares, kDefaultTradeShares);
  state.PriceFloat = IniFloat(ini.ReadString(kConfigSection, kPriceFloat, ""), kDefaultPriceFloat);
  state.MarginByAmount = IniFlag(ini.ReadString(kConfigSection, kMarginByAmount, ""), true);
  state.BuyByAmount = IniFlag(ini.ReadString(kConfigSection, kBuyByAmount, ""), true);
  state.ReadyWaitMs = static_cast<std::uint32_t>(
      ClampReadyWait(integer(kConfigSection, kReadyWait, kDefaultReadyWaitMs)));
  bar.Notices = IniFlag(ini.ReadString(kConfigSection, kNotices, ""), bar.Notices);
  bar.Rehearsal = IniFlag(ini.ReadString(kConfigSection, kRehearsal, ""), bar.Rehearsal);
  for (std::size_t i = 0; i < bar.Hotkeys.size(); ++i)
    bar.Hotkeys[i] = ini.ReadString(kHotkeySection, kHotkeyKeys[i], bar.Hotkeys[i]);
  if (unreadable) {
    unreadStart = TUnreadStart{iniPath, StoredValues(bar, state.MarginByAmount, state.BuyByAmount)};
  } else if (unreadStart && unreadStart->Path == iniPath) {
    unreadStart.reset();
  }
  return bar;
}

void LocateApplications(const TWarningEvent& warn, const std::function<void()>& meanwhile) {
  TGlobal& state = *GlobalState;
  // Walking the process list costs as much as creating the bar's windows; the worker reads only
  // its own copies of the paths, and the shared state is written here.
  const auto search = [trade = state.TradeSoftPath, stock = state.StockSoftPath] {
    const std::string_view paths[] = {trade, stock};
    const std::vector<DWORD> pids = FindProcessesByPath(paths);
    return std::pair{pids[0], pids[1]};
  };
  std::future<std::pair<DWORD, DWORD>> pids;
  if (meanwhile) {
    try {
      pids = std::async(std::launch::async, search);
    } catch (const std::system_error&) {
      // No thread to be had: search after `meanwhile` instead.
    }
    meanwhile();  // should it throw, the future's destructor still waits for the worker
  }
  std::tie(state.TradePid, state.StockPid) = pids.valid() ? pids.get() : search();
  if (warn) {
    if (state.TradePid == 0) warn("交易软件没有运行!");
    if (state.StockPid == 0) warn("大智慧股票行情软件没有运行!");
  }
  state.StockWnd = FindMainWindow(state.StockPid);
  state.TradeWnd = FindMainWindow(state.TradePid);
}

void LoadConfiguration(const std::function<void(const TBarConfig&)>& apply,
                       const TWarningEvent& warn, const std::function<void()>& meanwhile) {
  const TBarConfig bar = ReadConfiguration(IniPath());
  if (apply) apply(bar);
  LocateApplications(warn, meanwhile);
}

void StoreConfiguration(const std::string& iniPath, const TBarConfig& bar,
                        bool marginByAmountChecked, bool buyByAmountChecked) {
  std::vector<TStoredValue> values;
  for (TStoredValue& value : StoredValues(bar, marginByAmountChecked, buyByAmountChecked)) {
    if (ChangedSinceUnreadStart(iniPath, value)) values.push_back(std::move(value));
  }
  if (values.empty()) return;  // an unread file, and nothing changed: it stays as it is
  // One replacement of the file: a store cut short leaves all the old values or all the new. It
  // goes to the file as it is now, so a file unread at start keeps every key not changed since.
  TIniFile(iniPath).Update([&](IniDocument& ini) {
    for (const TStoredValue& value : values) ini.WriteString(value.Section, value.Key, value.Text);
  });
}

std::string ReadIniValue(const std::string& fileName, const std::string& section,
                         const std::string& key) {
  return TIniFile(fileName).ReadString(section, key, "");
}

}  // namespace kovra
