#include "controls/RzNumericLogic.h"

#include <cmath>
#include <limits>

#include "framework/runtime/Numbers.h"
#include "framework/runtime/Text.h"

namespace kovra {

long double NumericTextToValue(std::string_view text, bool allowScientificNotation,
                               char decimalSeparator) {
  text = Trim(text);
  if (text.empty()) return 0;
  const std::size_t close = text.find(')');
  const bool negative = text.front() == '-' || (text.front() == '(' && close == text.size() - 1);
  std::string kept;
  kept.reserve(text.size() + 1);
  for (char c : text) {
    const bool digit = c >= '0' && c <= '9';
    const bool exponent = allowScientificNotation && (c == 'E' || c == 'e');
    bool keep = digit || exponent || c == decimalSeparator;
    // With exponents, a minus counts only as the exponent's sign.
    if (c == '-')
      keep =
          !allowScientificNotation || (!kept.empty() && (kept.back() == 'E' || kept.back() == 'e'));
    if (keep) kept += c;
  }
  if (negative && (kept.empty() || kept.front() != '-')) kept.insert(kept.begin(), '-');
  if (kept.empty() || kept == "-") return 0;
  TFormatSettings fs;
  fs.DecimalSeparator = decimalSeparator;
  return TryStrToFloat(kept, fs).value_or(0);
}

namespace {

bool IsSign(char16_t ch) {
  return ch == u'+' || ch == u'-';
}

bool InBaseSet(char16_t ch, const TRzNumericRules& rules) {
  if (ch < 32) return ch != u'\r';
  if ((ch >= u'0' && ch <= u'9') || ch == u'(' || ch == u')' || IsSign(ch)) return true;
  if (rules.integersOnly) return false;
  if (ch == rules.decimalSeparator) return true;
  return rules.allowScientificNotation && (ch == u'E' || ch == u'e');
}

}  // namespace

bool IsValidNumericChar(char16_t ch, std::u16string_view text, int selStart, int selLength,
                        const TRzNumericRules& rules) {
  if (!InBaseSet(ch, rules)) return false;
  const int size = static_cast<int>(text.size());
  if (selStart < 0) selStart = 0;
  if (selStart > size) selStart = size;
  if (selLength < 0 || selLength > size - selStart) selLength = size - selStart;
  const std::u16string_view selection =
      text.substr(static_cast<std::size_t>(selStart), static_cast<std::size_t>(selLength));
  if (ch == rules.decimalSeparator && ch >= 32) {
    if (text.find(ch) != std::u16string_view::npos &&
        selection.find(ch) == std::u16string_view::npos)
      return false;
  }
  if (!rules.integersOnly || ch < 32) return true;
  const bool hasSign = text.find_first_of(u"+-") != std::u16string_view::npos;
  if (IsSign(ch)) {
    if (selStart == 0 && !hasSign) return true;
    if (selLength == size && size > 0) return true;
    return selStart == 0 && selLength > 0 &&
           selection.find_first_of(u"+-") != std::u16string_view::npos;
  }
  // Nothing may go in front of the sign.
  return !(selStart == 0 && selLength == 0 && !text.empty() && IsSign(text.front()));
}

std::int64_t RoundHalfEven(long double value) {
  if (std::isnan(value)) return 0;
  constexpr long double kLimit = 9223372036854775807.0L;
  if (value >= kLimit) return std::numeric_limits<std::int64_t>::max();
  if (value <= -kLimit - 1) return std::numeric_limits<std::int64_t>::min();
  long double whole = std::floor(value);
  const long double fraction = value - whole;
  if (fraction > 0.5L || (fraction == 0.5L && std::fmod(whole, 2.0L) != 0)) whole += 1;
  return static_cast<std::int64_t>(whole);
}

TRzRangeVerdict CheckNumericRange(long double value, long double min, long double max,
                                  bool checkRange) {
  if (min == max && !checkRange) return rvInside;
  if (value < min) return rvBelow;
  if (value > max) return rvAbove;
  return rvInside;
}

}  // namespace kovra
