#include "SimOptions.h"

#include <charconv>
#include <functional>
#include <map>
#include <string_view>

namespace kovra::sim {
namespace {

constexpr int kMaxMs = 600000;  // ten minutes: longer than any test waits
constexpr size_t kMaxTextChars = 4095;

bool ParseInt(std::string_view text, int min, int max, int& out) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max) {
    return false;
  }
  out = value;
  return true;
}

bool ParseEvent(std::string_view text, SimEvent& out) {
  for (SimEvent e : {SimEvent::kKey, SimEvent::kCode, SimEvent::kSetText, SimEvent::kClick}) {
    if (text == EventName(e)) {
      out = e;
      return true;
    }
  }
  return false;
}

// A table of options: each takes a value (or none) and stores it, reporting what was wrong.
using Setter = std::function<bool(std::string_view value, std::string& error)>;
struct OptionRule {
  bool takesValue;
  Setter set;
};

// Characters, not bytes: a title of 4,095 Chinese characters is a fair test of a reader.
size_t Utf8Chars(std::string_view text) {
  size_t count = 0;
  for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

bool Text(std::string_view value, std::string& out, std::string& error) {
  if (Utf8Chars(value) > kMaxTextChars) {
    error = "text longer than 4095 characters";
    return false;
  }
  out = std::string(value);
  return true;
}

bool Number(std::string_view value, int min, int max, int& out, std::string& error) {
  if (ParseInt(value, min, max, out)) return true;
  error = "expects a whole number from " + std::to_string(min) + " to " + std::to_string(max);
  return false;
}

bool Parse(const std::vector<std::string>& args, const std::map<std::string, OptionRule>& rules,
           std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    std::optional<std::string_view> inlineValue;
    if (size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      inlineValue = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
    }
    auto it = rules.find(std::string(arg));
    if (it == rules.end()) {
      error = "unknown option: " + std::string(arg.substr(0, 200));
      return false;
    }
    std::string_view value;
    if (it->second.takesValue) {
      if (inlineValue) {
        value = *inlineValue;
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        error = std::string(arg) + " needs a value";
        return false;
      }
    } else if (inlineValue) {
      error = std::string(arg) + " takes no value";
      return false;
    }
    std::string why;
    if (!it->second.set(value, why)) {
      error = std::string(arg) + ": " + why;
      return false;
    }
  }
  return true;
}

// CODE=PRICE pairs separated by commas.
bool PriceList(std::string_view value, std::vector<std::pair<std::string, std::string>>& out,
               std::string& error) {
  std::string text;
  if (!Text(value, text, error)) return false;
  out.clear();
  std::string_view rest = text;
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view pair = rest.substr(0, comma);
    const size_t eq = pair.find('=');
    if (eq == std::string_view::npos || eq == 0) {
      error = "expects CODE=PRICE,...";
      return false;
    }
    out.emplace_back(std::string(pair.substr(0, eq)), std::string(pair.substr(eq + 1)));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  }
  return true;
}

}  // namespace

const char* EventName(SimEvent event) {
  switch (event) {
    case SimEvent::kKey:
      return "key";
    case SimEvent::kCode:
      return "code";
    case SimEvent::kSetText:
      return "settext";
    case SimEvent::kClick:
      return "click";
    case SimEvent::kNone:
      break;
  }
  return "none";
}

const std::string& TradeOptions::PriceFor(PageKind kind, std::string_view code) const {
  for (const auto& [priced, price] : prices) {
    if (priced == code) return price;
  }
  const std::optional<std::string>* specific = nullptr;
  if (kind == PageKind::kBuy) specific = &buyPrice;
  if (kind == PageKind::kMargin) specific = &marginPrice;
  if (kind == PageKind::kSell) specific = &sellPrice;
  return specific && specific->has_value() ? **specific : price;
}

bool ParseTradeOptions(const std::vector<std::string>& args, TradeOptions& out,
                       std::string& error) {
  auto text = [](std::string& field) {
    return OptionRule{true,
                      [&field](std::string_view v, std::string& e) { return Text(v, field, e); }};
  };
  auto optionalText = [](std::optional<std::string>& field) {
    return OptionRule{true, [&field](std::string_view v, std::string& e) {
                        std::string s;
                        if (!Text(v, s, e)) return false;
                        field = std::move(s);
                        return true;
                      }};
  };
  auto number = [](int& field, int min, int max) {
    return OptionRule{true, [&field, min, max](std::string_view v, std::string& e) {
                        return Number(v, min, max, field, e);
                      }};
  };
  auto event = [](SimEvent& field) {
    return OptionRule{true, [&field](std::string_view v, std::string& e) {
                        if (ParseEvent(v, field)) return true;
                        e = "expects key, code, settext or click";
                        return false;
                      }};
  };
  auto flag = [](auto& field, auto value) {
    return OptionRule{false, [&field, value](std::string_view, std::string&) {
                        field = value;
                        return true;
                      }};
  };
  std::map<std::string, OptionRule> rules{
      {"--journal", text(out.journal)},
      {"--title", text(out.title)},
      {"--funds", text(out.funds)},
      {"--buyable", text(out.buyable)},
      {"--sellable", text(out.sellable)},
      {"--price", text(out.price)},
      {"--buy-price", optionalText(out.buyPrice)},
      {"--margin-price", optionalText(out.marginPrice)},
      {"--sell-price", optionalText(out.sellPrice)},
      {"--prices",
       {true, [&out](std::string_view v, std::string& e) { return PriceList(v, out.prices, e); }}},
      {"--ready-delay", number(out.readyDelayMs, 0, kMaxMs)},
      {"--switch-delay", number(out.switchDelayMs, 0, kMaxMs)},
      {"--stale", flag(out.stale, true)},
      {"--ignore-settext", flag(out.ignoreSetText, true)},
      {"--code-length", number(out.codeLength, 1, 32)},
      {"--hang", number(out.hangMs, 1, kMaxMs)},
      {"--hang-on", event(out.hangOn)},
      {"--exit-on", event(out.exitOn)},
      {"--confirm", flag(out.confirm, ConfirmMode::kAfter)},
      {"--confirm-blocking", flag(out.confirm, ConfirmMode::kBlocking)},
      {"--short-page", number(out.shortPage, 1, 255)},
      {"--reply", optionalText(out.reply)},
      {"--help", flag(out.help, true)},
  };
  if (!Parse(args, rules, error)) return false;
  if ((out.hangMs > 0) != (out.hangOn != SimEvent::kNone)) {
    error = "--hang and --hang-on go together";
    return false;
  }
  return true;
}

bool ParseQuoteOptions(const std::vector<std::string>& args, QuoteOptions& out,
                       std::string& error) {
  std::map<std::string, OptionRule> rules{
      {"--title",
       {true, [&out](std::string_view v, std::string& e) { return Text(v, out.title, e); }}},
      {"--set-title",
       {true,
        [&out](std::string_view v, std::string& e) {
          std::string s;
          if (!Text(v, s, e)) return false;
          out.setTitle = std::move(s);
          return true;
        }}},
      {"--help", {false, [&out](std::string_view, std::string&) { return out.help = true; }}},
  };
  return Parse(args, rules, error);
}

std::string TradeUsage() {
  return "usage: TradeSim.exe [options]\n"
         "  --journal PATH        append one line per event to PATH (UTF-8)\n"
         "  --title TEXT          main window title (default 交易软件)\n"
         "  --funds TEXT          funds figure of the buy page (default 100000.00)\n"
         "  --buyable TEXT        buyable quantity of the margin-buy page (default 9700)\n"
         "  --sellable TEXT       sellable quantity of the sell page (default 2350)\n"
         "  --price TEXT          current price of every order page (default 10.00)\n"
         "  --buy-price TEXT, --margin-price TEXT, --sell-price TEXT   per page\n"
         "  --prices CODE=PRICE,...   current price per code, before the options above\n"
         "  --ready-delay MS      figures appear MS after the code is complete (default 50)\n"
         "  --switch-delay MS     a function key shows its page MS later (default 0)\n"
         "  --stale               a page keeps the previous code's figures until the new come\n"
         "  --ignore-settext      price and quantity ignore WM_SETTEXT, take typed characters\n"
         "  --code-length N       the code is complete at N characters (default 6)\n"
         "  --hang MS --hang-on EVENT   stop answering messages for MS when EVENT happens\n"
         "  --exit-on EVENT       exit (code 3) when EVENT happens\n"
         "                        EVENT: key, code, settext or click\n"
         "  --confirm             ask \"确认下单?\" after an order button has been pressed\n"
         "  --confirm-blocking    ask inside the press itself\n"
         "  --short-page N        pages keep only their first N controls (1 to 255)\n"
         "  --reply TEXT          show a box \"TEXT\" after an order button has been pressed\n";
}

std::string QuoteUsage() {
  return "usage: QuoteSim.exe [--title TEXT]\n"
         "       QuoteSim.exe --set-title TEXT   (sets the title of the running one, then exits)\n";
}

}  // namespace kovra::sim
