#include "controls/RzComboLogic.h"

#include <algorithm>

namespace kovra {

namespace {

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Positions from the edit clamped to the string, and never inside a surrogate pair.
size_t ClampPos(std::u16string_view s, int pos) {
  auto p = static_cast<size_t>(std::clamp(pos, 0, static_cast<int>(s.size())));
  if (p > 0 && p < s.size() && IsLowSurrogate(s[p]) && IsHighSurrogate(s[p - 1])) --p;
  return p;
}

size_t CharStartBefore(std::u16string_view s, size_t pos) {
  if (pos == 0) return 0;
  size_t p = pos - 1;
  if (p > 0 && IsLowSurrogate(s[p]) && IsHighSurrogate(s[p - 1])) --p;
  return p;
}

size_t CharEndAfter(std::u16string_view s, size_t pos) {
  if (pos >= s.size()) return s.size();
  size_t p = pos + 1;
  if (p < s.size() && IsHighSurrogate(s[pos]) && IsLowSurrogate(s[p])) ++p;
  return p;
}

std::u16string Without(std::u16string_view s, size_t from, size_t to) {
  std::u16string out(s.substr(0, from));
  out += s.substr(to);
  return out;
}

}  // namespace

char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
  if (c < 0xC0) return c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) ||     // Latin-1
      (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||  // Greek
      (c >= 0x410 && c <= 0x42F))                  // Cyrillic
    return static_cast<char16_t>(c + 0x20);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
  // Latin Extended-A pairs upper/lower on even/odd code points (with two gaps).
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && !(c >= 0x138 && c <= 0x148) &&
      !(c >= 0x178))
    return static_cast<char16_t>(c | 1);
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
    return static_cast<char16_t>(c % 2 == 1 ? c + 1 : c);
  return c;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (FoldCase(text[i]) != FoldCase(prefix[i])) return false;
  return true;
}

int FindItemPrefix(const std::vector<std::u16string>& items, std::u16string_view prefix) {
  if (prefix.empty()) return -1;
  for (size_t i = 0; i < items.size(); ++i)
    if (StartsWithNoCase(items[i], prefix)) return static_cast<int>(i);
  return -1;
}

TComboMatch MatchPrefix(const std::vector<std::u16string>& items, std::u16string_view prefix,
                        bool keepSearchCase) {
  TComboMatch match;
  match.index = FindItemPrefix(items, prefix);
  if (match.index < 0) return match;
  const std::u16string& item = items[static_cast<size_t>(match.index)];
  match.text = keepSearchCase ? std::u16string(prefix) + item.substr(prefix.size()) : item;
  match.selStart = static_cast<int>(prefix.size());
  match.selLength = static_cast<int>(item.size() - prefix.size());
  return match;
}

std::u16string TypeIntoSearch(std::u16string_view search, int selStart, int selLength,
                              std::u16string_view typed) {
  const size_t from = ClampPos(search, selStart);
  const size_t to = std::max(from, ClampPos(search, selStart + std::max(selLength, 0)));
  std::u16string out = Without(search, from, to);
  out.insert(from, typed);
  return out;
}

std::u16string DropLastChar(std::u16string_view search) {
  return std::u16string(search.substr(0, CharStartBefore(search, search.size())));
}

std::u16string BackspaceSearch(std::u16string_view search, int selStart, int selLength,
                               int textLength, bool allowEdit) {
  selLength = std::max(selLength, 0);
  if (!allowEdit || selStart + selLength >= textLength) return DropLastChar(search);
  const size_t from = ClampPos(search, selStart);
  if (selLength > 0)
    return Without(search, from, std::max(from, ClampPos(search, selStart + selLength)));
  return Without(search, CharStartBefore(search, from), from);
}

std::u16string DeleteFromText(std::u16string_view text, int selStart, int selLength) {
  const size_t from = ClampPos(text, selStart);
  if (selLength > 0)
    return Without(text, from, std::max(from, ClampPos(text, selStart + selLength)));
  return Without(text, from, CharEndAfter(text, from));
}

std::string ComboItemValue(const std::vector<std::string>& items,
                           const std::vector<std::string>& values, int index) {
  if (index < 0 || static_cast<size_t>(index) >= items.size()) return {};
  const auto i = static_cast<size_t>(index);
  if (i < values.size() && !values[i].empty()) return values[i];
  return items[i];
}

int FindComboValue(const std::vector<std::string>& items, const std::vector<std::string>& values,
                   std::string_view value) {
  for (size_t i = 0; i < items.size(); ++i)
    if (ComboItemValue(items, values, static_cast<int>(i)) == value) return static_cast<int>(i);
  return -1;
}

void ValuesItemInserted(std::vector<std::string>& values, int index) {
  if (index >= 0 && static_cast<size_t>(index) < values.size())
    values.insert(values.begin() + index, std::string());
}

void ValuesItemDeleted(std::vector<std::string>& values, int index) {
  if (index >= 0 && static_cast<size_t>(index) < values.size())
    values.erase(values.begin() + index);
}

void ValuesReordered(std::vector<std::string>& values, const std::vector<int>& oldIndexOf) {
  std::vector<std::string> out(oldIndexOf.size());
  for (size_t i = 0; i < oldIndexOf.size(); ++i) {
    const int old = oldIndexOf[i];
    if (old >= 0 && static_cast<size_t>(old) < values.size())
      out[i] = std::move(values[static_cast<size_t>(old)]);
  }
  // Lines past the last item belong to no item; they were never moved and stay as they were.
  for (size_t i = oldIndexOf.size(); i < values.size(); ++i) out.push_back(std::move(values[i]));
  while (!out.empty() && out.back().empty()) out.pop_back();
  values = std::move(out);
}

int AutoDropDownWidth(const std::vector<int>& itemWidths, int dropDownCount, int scrollBarWidth,
                      int controlWidth) {
  int widest = 0;
  for (int w : itemWidths) widest = std::max(widest, w);
  int width = widest + 8;
  if (static_cast<int>(itemWidths.size()) > dropDownCount) width += scrollBarWidth;
  return std::max(width, controlWidth);
}

int WheelStep(int current, int count, bool down) {
  if (count <= 0) return -1;
  if (down) return std::min(current + 1, count - 1);
  return std::max(current - 1, 0);
}

}  // namespace kovra
