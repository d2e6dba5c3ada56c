// The order driver: operates the trading client as a user would. It raises the client, opens an
// order page with a function key, types the stock code, lists the page's controls and fills and
// presses them by position.
//
// Safety rules, beyond the bare steps:
//  - it acts only on controls of the trading client's process (TradePid): when the focus after
//    the function key is elsewhere, nothing is typed, listed, written or clicked;
//  - one action at a time: a request while an order or cancel runs (its waits pump messages) is
//    ignored;
//  - a control that does not answer within kAnswerTimeoutMs stops the action before any press;
//  - without a sane price and quantity the fields are written but the order is not submitted.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "bar/OrderSizing.h"

namespace kovra {

class TOrderDriver {
 public:
  static constexpr int kMaxChildren = 256;
  static constexpr UINT kAnswerTimeoutMs = 2000;
  static constexpr int kCancelKey = VK_F3;

  // An order action: OpenOrderPage with the kind's key, ListPageControls, then the kind's sizing
  // step. Ignored while another action runs; every error is swallowed.
  void PlaceOrder(OrderKind kind, int choice);
  // The "撤单" action: opens the withdrawal page and presses positions 12 and then 9.
  void CancelOrders();
  bool Busy() const { return busy_; }

  // The table of the latest listing. Positions at or beyond ChildCount read as null.
  const std::array<HWND, kMaxChildren>& ChildWnds() const { return childWnds_; }
  int ChildCount() const { return childCount_; }
  HWND ChildWnd(int position) const;

  // The steps, each usable on its own.
  bool OpenOrderPage(int key);
  void TypeText(HWND window, std::string_view text);
  void ListPageControls();
  // Nothing when the control did not answer; a null window reads as empty.
  std::optional<std::string> ReadControlText(HWND window);
  bool SetControlText(HWND window, std::string_view text);
  bool ClickControl(HWND window);
  void SizeBuy(int choice) { Size(OrderKind::Buy, choice); }
  void SizeMarginBuy(int choice) { Size(OrderKind::MarginBuy, choice); }
  void SizeSell(int choice) { Size(OrderKind::Sell, choice); }

 private:
  class Guard;

  void Size(OrderKind kind, int choice);
  bool RaiseClient(int key);
  bool TakeFocusedControl();
  std::optional<std::string> ReadAt(int position);
  bool WriteAt(int position, std::string_view text);
  bool ClickAt(int position);

  std::array<HWND, kMaxChildren> childWnds_{};
  int childCount_ = 0;
  bool busy_ = false;
};

// The program's one driver.
TOrderDriver& OrderDriver();

// Whether `window` is a live window of the trading client (GlobalState's TradePid).
bool IsTradeClientWindow(HWND window);

}  // namespace kovra
