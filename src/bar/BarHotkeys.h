// The bar's system-wide hotkeys: one per button's plain click, registered at start and released
// with the bar. A hotkey that cannot be had is named, the others work.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bar/HotkeyLogic.h"
#include "bar/OrderOutcome.h"

namespace kovra {

class TUtilityWindow;

// The configured text of each action's hotkey, in the order "融买", "买", "卖", "撤单".
inline constexpr std::array<OrderAction, 4> kHotkeyActions{OrderAction::MarginBuy, OrderAction::Buy,
                                                           OrderAction::Sell, OrderAction::Cancel};
using THotkeyTexts = std::array<std::string, 4>;

class TBarHotkeys {
 public:
  using THotkeyEvent = std::function<void(OrderAction action)>;

  explicit TBarHotkeys(THotkeyEvent onHotkey);
  ~TBarHotkeys();  // releases them
  TBarHotkeys(const TBarHotkeys&) = delete;
  TBarHotkeys& operator=(const TBarHotkeys&) = delete;

  // Registers the hotkeys (releasing those held before). Returns one line per hotkey that could
  // not be registered, naming the action, the text and why: "买 Ctrl+Alt+B（已被其他程序占用）".
  std::vector<std::string> Register(const THotkeyTexts& texts);
  void Unregister();
  int RegisteredCount() const;

  // The one start-up warning for the lines Register returned, or empty for none.
  static std::string WarningText(const std::vector<std::string>& problems);

 private:
  std::unique_ptr<TUtilityWindow> window_;
  THotkeyEvent onHotkey_;
  std::array<bool, 4> registered_{};
};

}  // namespace kovra
