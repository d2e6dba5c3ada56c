// The configuration file beside the executable: loaded into GlobalState when the bar is created,
// stored when it closes; and the start-up search for the two external applications.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "framework/runtime/Colors.h"

namespace kovra {

// What the bar itself applies from the file.
struct TBarConfig {
  int Top = 100;
  int Left = 100;
  TColor Color = clBtnFace;  // all four buttons
  bool Notices = true;       // "提示消息": a balloon after each action
  bool Rehearsal = false;    // "演练模式": actions press nothing
  // [Hotkeys], as written: "融买", "买", "卖", "撤单"; empty is none.
  std::array<std::string, 4> Hotkeys{"Ctrl+Alt+R", "Ctrl+Alt+B", "Ctrl+Alt+S", "Ctrl+Alt+C"};
};

// Shows one start-up warning; the default is a message box captioned with the application title.
using TWarningEvent = std::function<void(const std::string& text)>;
void ShowStartupWarning(const std::string& text);

// Reads the ten keys in file order; the paths, sizes, offset and flags go into GlobalState and
// the rest is returned. Missing or unconvertible values give the defaults; nothing is reported.
// A file that exists but stays unreadable through a short wait also gives the defaults, and is
// remembered as unread until it is read again: see StoreConfiguration.
TBarConfig ReadConfiguration(const std::string& iniPath);

// Finds both applications by their paths (GlobalState's TradePid, StockPid, TradeWnd, StockWnd).
// With `warn`, each one not running is reported, the trading client first. With `meanwhile`,
// the process search runs on a worker thread while `meanwhile` runs on this one (the bar creates
// its windows then); the warnings and the window search follow both.
void LocateApplications(const TWarningEvent& warn = {},
                        const std::function<void()>& meanwhile = {});

// The bar's creation: read the file, let the bar apply its part (position, colour, the menus'
// check marks from the flags), then locate the applications with the warnings, running
// `meanwhile` during the search.
void LoadConfiguration(const std::function<void(const TBarConfig&)>& apply,
                       const TWarningEvent& warn = ShowStartupWarning,
                       const std::function<void()>& meanwhile = {});

// The bar's close: writes the ten keys in file order, then the readiness wait, the bar's
// switches and hotkeys, in one replacement of the file. The flags are the by-amount menu items'
// check marks. When the file was unread at start, only the values that differ from what the
// start had (those changed in this run) are written into the file as it is now, and nothing at
// all when none does. Throws Exception("Unable to write to <path>...") when the file refuses or
// still cannot be read, leaving it untouched.
void StoreConfiguration(const std::string& iniPath, const TBarConfig& bar,
                        bool marginByAmountChecked, bool buyByAmountChecked);

// One value of an INI file, opened for this read only; empty when the file, section or key is
// missing.
std::string ReadIniValue(const std::string& fileName, const std::string& section,
                         const std::string& key);

}  // namespace kovra
