// Command-line options of the two simulated applications, parsed without the Windows API so
// that the parsing is tested natively as well.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kovra::sim {

// The moments at which a fault option strikes.
enum class SimEvent : uint8_t {
  kNone,
  kKey,      // a function key opens a page
  kCode,     // the code field has been filled
  kSetText,  // another program replaces the text of a page's edit field
  kClick,    // a page's button is pressed
};
const char* EventName(SimEvent event);

enum class ConfirmMode : uint8_t {
  kNone,
  kAfter,     // the confirmation pops up once the press has been handled
  kBlocking,  // it pops up inside the press, so a sent click returns only when it is answered
};

enum class PageKind : uint8_t { kBuy, kSell, kCancel, kMargin };

struct TradeOptions {
  std::string journal;  // UTF-8 path; empty: no journal
  std::string title = "交易软件";
  std::string funds = "100000.00";
  std::string buyable = "9700";
  std::string sellable = "2350";
  std::string price = "10.00";
  std::optional<std::string> buyPrice, marginPrice, sellPrice;
  std::vector<std::pair<std::string, std::string>> prices;  // code, price: before all others
  int readyDelayMs = 50;
  int switchDelayMs = 0;       // a function key shows its page this much later
  bool stale = false;          // figures stay from the previous code until the new ones come
  bool ignoreSetText = false;  // price and quantity take typed characters only
  int codeLength = 6;
  int hangMs = 0;
  SimEvent hangOn = SimEvent::kNone;
  SimEvent exitOn = SimEvent::kNone;
  ConfirmMode confirm = ConfirmMode::kNone;
  int shortPage = 0;                 // 0: full pages
  std::optional<std::string> reply;  // a box with this text after each order button press
  bool help = false;

  // The current price shown on a page of `kind` for `code`.
  const std::string& PriceFor(PageKind kind, std::string_view code = {}) const;
};

struct QuoteOptions {
  std::string title = "大智慧 - [600000]";
  std::optional<std::string> setTitle;
  bool help = false;
};

// Parse the arguments after the program name. On failure, return false with `error` set to a
// one-line explanation; `out` is then unspecified.
bool ParseTradeOptions(const std::vector<std::string>& args, TradeOptions& out, std::string& error);
bool ParseQuoteOptions(const std::vector<std::string>& args, QuoteOptions& out, std::string& error);

std::string TradeUsage();
std::string QuoteUsage();

}  // namespace kovra::sim
