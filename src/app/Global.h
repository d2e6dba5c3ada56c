// The program-wide state shared by the bar, the order driver, the watcher and the settings
// window, the paths derived from the executable, and the message-pumping wait.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "framework/SysUtils.h"

namespace kovra {

// One instance, GlobalState, from start-up to exit; every access is on the user-interface thread.
// A plain record: its fields carry the design's names.
class TGlobal : public TObject {
 public:
  // Makes "." the decimal separator and yyyy-mm-dd / hh:nn:ss the date and time formats of the
  // whole process.
  TGlobal();
  ~TGlobal() override;

  DWORD StockPid = 0;  // quote application; 0 = not found
  DWORD TradePid = 0;  // trading client; 0 = not found
  HWND StockWnd = nullptr;
  HWND TradeWnd = nullptr;
  std::string TradeSoftPath;
  std::string StockSoftPath;
  std::string LastTitleCode;     // the watcher's change detector
  std::string CurrentCode;       // the code the order actions type
  HWND FocusWnd = nullptr;       // the client's control focused after the last function key
  HWND PageWnd = nullptr;        // its parent: the order page
  std::int32_t BuyAmount = 0;    // 万元
  std::int32_t TradeShares = 0;  // shares
  double PriceFloat = 0;         // percent
  bool MarginByAmount = false;
  bool BuyByAmount = false;
  std::uint32_t ReadyWaitMs = 3000;  // how long an order step waits for the client (就绪等待毫秒)
};

extern TGlobal* GlobalState;

// Creates GlobalState for its lifetime and frees and clears it after, also when an exception
// leaves the scope. There is one: a second scope while one lives throws EInvalidOperation.
class TGlobalStateScope {
 public:
  TGlobalStateScope();
  ~TGlobalStateScope();
  TGlobalStateScope(const TGlobalStateScope&) = delete;
  TGlobalStateScope& operator=(const TGlobalStateScope&) = delete;
};

// The running executable's folder with a trailing backslash, and the configuration file beside
// it (the executable's name with ".ini").
const std::string& ExeDir();
const std::string& IniPath();

// Returns after at least `ms` milliseconds, processing this thread's messages meanwhile (timers,
// painting, clicks all run). Always processes them at least once. Sleeps between passes until a
// message arrives or the time is up.
void WaitMs(std::uint32_t ms);

// Processes this thread's messages while polling `ready` every few milliseconds, for at most
// `limitMs`. Returns whether `ready` came true; it is always asked at least once.
bool PollMs(std::uint32_t limitMs, const std::function<bool()>& ready);

}  // namespace kovra
