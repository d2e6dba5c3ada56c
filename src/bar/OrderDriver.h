// The order driver: operates the trading client as a user would. It raises the client, opens an
// order page with a function key, types the stock code, lists the page's controls and fills and
// presses them by position. An action is a sequence of checked steps that ends in one
// TOrderOutcome.
//
// Safety rules, beyond the bare steps:
//  - it acts only on controls of the trading client's process (TradePid); a client whose window
//    is gone is searched for once, quietly, before the action gives up;
//  - one action at a time: a request while an order or cancel runs (its waits pump messages) is
//    refused as Busy;
//  - the code typed is the request's, taken at the click; it goes in only once the key's page
//    holds the focus, and must read back before anything else is written;
//  - price and figure are blanked before the code goes in, so only figures the client shows for
//    that code count; they must settle within the readiness wait (GlobalState's ReadyWaitMs);
//  - price and quantity must read back as written (typed when the field ignores WM_SETTEXT);
//  - a control that does not answer within kAnswerTimeoutMs stops the action before any press;
//  - without a sane price and a quantity above 0 the fields are written but nothing is pressed.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "bar/OrderOutcome.h"
#include "bar/OrderSizing.h"

namespace kovra {

class TOrderDriver {
 public:
  static constexpr int kMaxChildren = 256;
  static constexpr UINT kAnswerTimeoutMs = 2000;
  static constexpr int kCancelKey = VK_F3;
  // On the withdrawal page: "select all", then "withdraw".
  static constexpr int kCancelFirstPos = 12;
  static constexpr int kCancelSecondPos = 9;

  // Runs one order or cancel action to its end. Never throws.
  TOrderOutcome Run(const TOrderRequest& request);
  // An order action with the code current now; the "撤单" action.
  TOrderOutcome PlaceOrder(OrderKind kind, int choice);
  TOrderOutcome CancelOrders();
  bool Busy() const { return busy_; }

  // Fired just before the order button (or the first withdrawal button) is pressed.
  std::function<void()> OnBeforePress;

  // The table of the latest listing. Positions at or beyond ChildCount read as null.
  const std::array<HWND, kMaxChildren>& ChildWnds() const { return childWnds_; }
  int ChildCount() const { return childCount_; }
  HWND ChildWnd(int position) const;

  // The field operations, each usable on its own.
  void TypeText(HWND window, std::string_view text);
  void ListPageControls();
  // Nothing when the control did not answer; a null window reads as empty.
  std::optional<std::string> ReadControlText(HWND window);
  bool SetControlText(HWND window, std::string_view text);
  bool ClickControl(HWND window);

 private:
  class Guard;
  class Steps;

  bool OpenPage(Steps& steps, int key, OutcomeReason notReady, HWND& focus);
  void RunOrder(Steps& steps);
  void RunCancel(Steps& steps);

  std::array<HWND, kMaxChildren> childWnds_{};
  int childCount_ = 0;
  bool busy_ = false;
};

// The program's one driver.
TOrderDriver& OrderDriver();

// Whether `window` is a live window of the trading client (GlobalState's TradePid).
bool IsTradeClientWindow(HWND window);

}  // namespace kovra
