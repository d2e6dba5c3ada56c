// Text helpers of the stock-code watcher: bracket extraction and trimming over byte strings.
// Positions are 1-based. The texts are UTF-8, so an ASCII bracket byte is always a bracket and
// never the trailing byte of a multi-byte character.
#pragma once

#include <string>
#include <string_view>

namespace kovra {

class TStringManager {
 public:
  // Finds the first complete pair of `open`/`close` at or after `startPos`, counting nested pairs
  // so the outermost one wins. On success returns the position of the first character inside,
  // sets `startPos` to it and `endPos` to the last character inside (before `startPos` for an
  // empty pair). Returns -1 with `endPos` = -1 when there is none; a `close` met before any
  // `open` ends the search. A zero `close` means `close` = `open`.
  int FindBracketed(char open, char close, int& startPos, int& endPos, std::string_view text) const;
  // The text inside that pair, or empty when there is none.
  std::string ExtractBetween(char open, char close, int startPos, std::string_view text) const;
  // The text without leading and trailing bytes of value 32 or less.
  std::string TrimText(std::string_view text) const;
};

inline constexpr TStringManager StringManager{};

}  // namespace kovra
