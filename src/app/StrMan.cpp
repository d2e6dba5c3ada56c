#include "app/StrMan.h"

#include <algorithm>
#include <climits>

#include "framework/runtime/Text.h"

namespace kovra {

int TStringManager::FindBracketed(char open, char close, int& startPos, int& endPos,
                                  std::string_view text) const {
  endPos = -1;
  if (open == '\0') return -1;
  if (close == '\0') close = open;
  // Positions are ints; a longer text is searched over its first INT_MAX - 1 bytes only.
  const int length = static_cast<int>(std::min<size_t>(text.size(), INT_MAX - 1));
  int depth = 0;
  int start = 0;
  for (int i = std::max(startPos, 1); i <= length; ++i) {
    const char c = text[static_cast<size_t>(i - 1)];
    if (c == close) {
      if (depth == 0) {
        if (c != open) return -1;
        start = i;
        depth = 1;
      } else if (--depth == 0) {
        startPos = start + 1;
        endPos = i - 1;
        return start + 1;
      }
    } else if (c == open) {
      if (depth == 0) start = i;
      ++depth;
    }
  }
  return -1;
}

std::string TStringManager::ExtractBetween(char open, char close, int startPos,
                                           std::string_view text) const {
  int endPos = -1;
  if (FindBracketed(open, close, startPos, endPos, text) <= 0) return {};
  return std::string(
      text.substr(static_cast<size_t>(startPos - 1), static_cast<size_t>(endPos - startPos + 1)));
}

std::string TStringManager::TrimText(std::string_view text) const {
  return std::string(Trim(text));
}

}  // namespace kovra
