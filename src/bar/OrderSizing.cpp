#include "bar/OrderSizing.h"

#include <cmath>

#include "framework/runtime/Numbers.h"

namespace kovra {
namespace {

// Beyond these an order is nonsense for any stock and the texts would lose digits.
constexpr double kMaxPrice = 1e12;
constexpr double kMaxQuantity = 1e15;

bool SanePrice(double price) {
  return std::isfinite(price) && price > 0 && price < kMaxPrice;
}

std::string PriceText(double price) {
  return std::isfinite(price) && std::fabs(price) < kMaxPrice ? FormatFixed(price, 2) : "0.00";
}

// trunc(x) lots of 100 shares; nothing when x is not a usable count of lots.
std::optional<std::int64_t> WholeLots(double lots) {
  if (!std::isfinite(lots)) return std::nullopt;
  const double whole = std::trunc(lots);
  if (whole < 0 || whole * 100 > kMaxQuantity) return std::nullopt;
  return static_cast<std::int64_t>(whole) * 100;
}

// A quantity figure shown by the page, written without decimals.
std::optional<std::string> FigureQuantity(double figure) {
  if (!std::isfinite(figure) || figure < 0 || figure > kMaxQuantity) return std::nullopt;
  return FormatFixed(figure, 0);
}

TOrderFill Doubtful(std::string priceText) {
  return {std::move(priceText), "0", false};
}

// Nothing to order, nothing pressed: a quantity of 0 is written but not submitted.
TOrderFill Fill(std::string priceText, std::optional<std::string> quantity) {
  if (!quantity) return Doubtful(std::move(priceText));
  const bool something = FieldNumber(*quantity) > 0;
  return {std::move(priceText), std::move(*quantity), something};
}

std::optional<std::string> LotsText(double lots) {
  const auto quantity = WholeLots(lots);
  if (!quantity) return std::nullopt;
  return IntToStr(*quantity);
}

std::optional<std::string> SharesText(std::int32_t shares) {
  if (shares < 0) return std::nullopt;
  return IntToStr(shares);
}

// Buys and margin buys: `budget` is the money the figure stands for.
TOrderFill SizeBuying(int choice, double budget, double orderPrice,
                      const TSizingSettings& settings) {
  std::string priceText = PriceText(orderPrice);
  if (!SanePrice(orderPrice)) return Doubtful(std::move(priceText));
  if (choice < kFixedSize)
    return Fill(std::move(priceText), LotsText(budget / orderPrice / (100.0 * choice)));
  if (!settings.ByAmount) return Fill(std::move(priceText), SharesText(settings.TradeShares));
  const double amount = static_cast<double>(std::int64_t{settings.BuyAmount} * 10000);
  return Fill(std::move(priceText), LotsText(amount / orderPrice / 100.0));
}

TOrderFill SizeSelling(int choice, double held, double orderPrice,
                       const TSizingSettings& settings) {
  std::string priceText = PriceText(orderPrice);
  if (!SanePrice(orderPrice) || !std::isfinite(held)) return Doubtful(std::move(priceText));
  if (choice == kWholePosition) return Fill(std::move(priceText), FigureQuantity(held));
  if (choice < kFixedSize) return Fill(std::move(priceText), LotsText(held / (100.0 * choice)));
  if (settings.TradeShares >= held) return Fill(std::move(priceText), FigureQuantity(held));
  return Fill(std::move(priceText), SharesText(settings.TradeShares));
}

}  // namespace

double FieldNumber(std::string_view text) {
  // The client shows "." whatever the process's settings are.
  static const TFormatSettings kPointSeparator;
  const auto value = TryStrToFloat(text, kPointSeparator);
  return value ? static_cast<double>(*value) : 0;
}

std::optional<TOrderFill> SizeOrder(OrderKind kind, int choice, std::string_view figureText,
                                    std::string_view priceText, const TSizingSettings& settings) {
  if (choice < kWholePosition || choice > kFixedSize) return std::nullopt;
  const double figure = FieldNumber(figureText);
  const double price = FieldNumber(priceText);
  const double factor = 1 + settings.PriceFloat / 100;
  // Without a positive current price nothing can be sized: write the price as it stands and 0.
  const bool known = price > 0;
  switch (kind) {
    case OrderKind::Buy:
      if (!known) return Doubtful(PriceText(price * factor));
      return SizeBuying(choice, figure, price * factor, settings);
    case OrderKind::MarginBuy:
      if (!known) return Doubtful(PriceText(price * factor));
      return SizeBuying(choice, price * figure, price * factor, settings);
    case OrderKind::Sell:
      if (!known) return Doubtful(PriceText(price));
      return SizeSelling(choice, figure, price / factor, settings);
  }
  return std::nullopt;
}

}  // namespace kovra
