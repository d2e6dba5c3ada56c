// Order sizing: from the figures an order page shows and the user's settings, the price and
// quantity texts to write and whether to press the order button. Free of the Windows API.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kovra {

enum class OrderKind : std::uint8_t { Buy, MarginBuy, Sell };

// Where a kind's page shows its figures and fields, as positions in the page's control list.
struct TOrderPage {
  int Key;          // function key that opens the page
  int FigurePos;    // funds (buy), buyable quantity (margin buy) or sellable quantity (sell)
  int PricePos;     // current price, read and then overwritten with the order price
  int QuantityPos;  // order quantity
  int ButtonPos;    // order button
};

constexpr TOrderPage OrderPage(OrderKind kind) {
  switch (kind) {
    case OrderKind::Buy:
      return {112, 18, 3, 7, 10};
    case OrderKind::MarginBuy:
      return {116, 19, 2, 3, 5};
    case OrderKind::Sell:
      break;
  }
  return {113, 17, 3, 7, 9};
}

// Sizing choices 1 to 5 take the whole, half, third, quarter or fifth of what the figure allows;
// choice 6 is the fixed size of the bar's buttons.
constexpr int kWholePosition = 1;
constexpr int kFixedSize = 6;

struct TSizingSettings {
  double PriceFloat = 0;         // percent above the shown price for buys, below it for sells
  std::int32_t BuyAmount = 0;    // 万元 per buy sized by amount
  std::int32_t TradeShares = 0;  // shares per fixed-size order
  bool ByAmount = false;         // the kind's by-amount flag (buys only)
};

struct TOrderFill {
  std::string PriceText;
  std::string QuantityText;
  bool Press = false;  // false: the fields are written but no order is submitted (a quantity of
                       // 0, or no sane price)
};

// A field's text as a number; anything that is not a plain decimal number counts as 0.
double FieldNumber(std::string_view text);

// The texts for one order, or nothing for a choice outside 1 to 6. An unknown current price
// (not a positive number) or a result that cannot be a sane order gives quantity "0" and no press.
std::optional<TOrderFill> SizeOrder(OrderKind kind, int choice, std::string_view figureText,
                                    std::string_view priceText, const TSizingSettings& settings);

}  // namespace kovra
