// The stock-code watcher's decision, free of the Windows API: from the quote window's title and
// the key seen last time, what changes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kovra {

// The stock-code table's value for a key (empty when missing).
using CodeLookup = std::function<std::string(const std::string& key)>;

struct TCodeChange {
  std::string TitleCode;    // the bracketed text: the next LastTitleCode
  std::string Display;      // the table's value, or the bracketed text when there is none
  std::string CurrentCode;  // the table's value, trimmed: the code to trade
};

// Nothing when the bracketed text equals `lastTitleCode`; then the table is not consulted. An
// empty key (no brackets) is never looked up. Errors of `lookup` propagate.
std::optional<TCodeChange> WatchTitle(std::string_view title, std::string_view lastTitleCode,
                                      const CodeLookup& lookup);

}  // namespace kovra
