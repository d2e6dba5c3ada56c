// How an order or cancel action ended: the one value that the driver returns and that the order
// record, the tray messages and the rehearsal mode are built on. Free of the Windows API.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bar/OrderSizing.h"

namespace kovra {

// What the trader asked for: an order kind, or the "撤单" action.
enum class OrderAction : std::uint8_t { MarginBuy, Buy, Sell, Cancel };

OrderAction ActionOf(OrderKind kind);

// The request, fixed at the click: the code is the one shown then, whatever the watcher does
// while the action runs.
struct TOrderRequest {
  OrderAction Action = OrderAction::Buy;
  int Choice = kFixedSize;  // 1 to 6; cancel carries 0
  std::string Code;
  bool Rehearsal = false;  // run to the end, fill the fields, press nothing
};

enum class OutcomeKind : std::uint8_t {
  Placed,     // the order (or cancel) button was pressed
  Rehearsed,  // everything but the press was done
  Refused,    // the bar chose not to go on: nothing was pressed
  Failed,     // the client stopped answering or vanished at a step: nothing was pressed after it
};

// Why an action did not place its order. Each maps to one short Chinese text for the record.
enum class OutcomeReason : std::uint8_t {
  None,
  Busy,             // another action was running
  NoCode,           // no stock code to trade
  NoClient,         // the trading client is not running (or not found again)
  ClientHung,       // the client did not answer in time
  FocusElsewhere,   // the focus after the key was not on the client
  PageNotReady,     // the key's page did not come within the readiness wait
  CodeNotWritten,   // the code field did not read back as the code typed
  NoPrice,          // no fresh price (or figure) within the readiness wait
  ZeroQuantity,     // nothing to order
  WriteNotApplied,  // price or quantity did not read back as written, even typed
  NoCancelPage,     // the withdrawal page or its two buttons were not there
  Unexpected,       // an error inside the bar itself
};

// The record's texts: "已下单", "演练", "未下单", "失败"; the reason's short Chinese text (empty
// for None); the action's caption ("融买", "买", "卖", "撤单").
std::string_view OutcomeText(OutcomeKind kind);
std::string_view ReasonText(OutcomeReason reason);
std::string_view ActionText(OrderAction action);

// One checked step and how long it took.
struct TStepTime {
  std::string Step;  // a short English name: "raise", "page", "code", "figures", "write", ...
  std::uint32_t Ms = 0;
};

struct TOrderOutcome {
  TOrderRequest Request;
  OutcomeKind Kind = OutcomeKind::Refused;
  OutcomeReason Reason = OutcomeReason::None;
  std::string FailedStep;    // the step at which a Failed action stopped
  std::string PriceText;     // as written into the client; empty when nothing was written
  std::string QuantityText;  // likewise
  std::string Reply;         // the client's reply after the press, when one was read
  std::vector<TStepTime> Steps;
  std::uint32_t TotalMs = 0;  // from the click to the end

  bool Pressed() const { return Kind == OutcomeKind::Placed; }
};

}  // namespace kovra
