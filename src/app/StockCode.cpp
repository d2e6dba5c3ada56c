#include "app/StockCode.h"

#include "app/StrMan.h"

namespace kovra {

std::optional<TCodeChange> WatchTitle(std::string_view title, std::string_view lastTitleCode,
                                      const CodeLookup& lookup) {
  std::string code = StringManager.ExtractBetween('[', ']', 1, title);
  if (code == lastTitleCode) return std::nullopt;
  std::string value = code.empty() ? std::string() : lookup(code);
  TCodeChange change;
  change.Display = value.empty() ? code : value;
  change.CurrentCode = StringManager.TrimText(value);
  change.TitleCode = std::move(code);
  return change;
}

}  // namespace kovra
