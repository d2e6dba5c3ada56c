// The numeric edit's rules apart from its window: which typed characters may go in, how its text
// reads as a number, how a number is held to the range and rounded to an integer. Free of the
// Windows API.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kovra {

struct TRzNumericRules {
  bool integersOnly = true;
  bool allowScientificNotation = true;
  char16_t decimalSeparator = u'.';
};

// Reads a display text back: "(12,345)" is -12345, "+5" is 5, thousands separators, blanks and
// letters are dropped; a text that still does not convert reads as 0.
long double NumericTextToValue(std::string_view text, bool allowScientificNotation,
                               char decimalSeparator = '.');

// Whether `ch` may be typed into `text` whose selection starts at `selStart` (UTF-16 units) and
// covers `selLength` units. Control characters pass except Enter.
bool IsValidNumericChar(char16_t ch, std::u16string_view text, int selStart, int selLength,
                        const TRzNumericRules& rules);

// Halves go to the even neighbour; values beyond the 64-bit range saturate and NaN gives 0.
std::int64_t RoundHalfEven(long double value);

// The range test of the edit: active when the bounds differ or `checkRange` is set.
enum TRzRangeVerdict : std::uint8_t { rvInside, rvBelow, rvAbove };
TRzRangeVerdict CheckNumericRange(long double value, long double min, long double max,
                                  bool checkRange);

}  // namespace kovra
