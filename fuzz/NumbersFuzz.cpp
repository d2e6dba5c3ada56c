// Number parsing and formatting on arbitrary texts: conversions never fail, formatted numbers
// parse back, and the configuration's integer and float readers stay within their ranges.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "app/ConfigValues.h"
#include "framework/runtime/Numbers.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    __builtin_trap();
  }
}

bool Near(long double a, long double b, long double relative) {
  return std::fabs(a - b) <= relative * std::fmax(std::fabs(a), std::fabs(b)) + 1e-300L;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovra;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const TFormatSettings point;

  if (const auto value = TryStrToFloat(text, point); value && std::isfinite(*value)) {
    const std::string shortest = FloatToStr(*value);
    const auto back = TryStrToFloat(shortest, point);
    Check(back.has_value(), "FloatToStr parses back");
    Check(Near(*back, *value, 1e-14L), "FloatToStr keeps 15 digits");
    if (std::fabs(*value) < 1e15L) {
      const std::string price = FormatFixed(*value, 2);
      const auto priced = TryStrToFloat(price, point);
      Check(priced.has_value(), "price text parses back");
      Check(std::fabs(*priced - *value) <= 0.005L + 1e-9L * std::fabs(*value), "price rounding");
      Check(price.find('.') == price.size() - 3, "two decimals");
    }
    const double asDouble = static_cast<double>(*value);
    if (std::isfinite(asDouble)) {
      const double stored = IniFloat(IniFloatText(asDouble), std::nan(""));
      Check(!std::isnan(stored) && Near(stored, asDouble, 1e-14L), "stored offset reads back");
    }
  }
  if (const auto value = TryStrToInt64(text)) {
    Check(TryStrToInt64(IntToStr(*value)) == value, "integer round trip");
  }
  if (size <= 20) {
    if (TryHexToInt64(text)) {
      const size_t significant = text.size() - std::min(text.find_first_not_of('0'), text.size());
      Check(size > 0 && significant <= 16, "hex fits 64 bits");
    }
  }
  const std::int32_t integer = IniInteger(text, 12345);
  Check(IniInteger(IntToStr(integer), 0) == integer, "ini integer round trip");
  IniFlag(text, true);

  // Display formats: the first half of the input is the format, the value from the rest.
  const std::string_view format = text.substr(0, std::min<size_t>(size / 2, 64));
  double value = 0;
  std::memcpy(&value, data, std::min(size, sizeof value));
  const std::string shown = FormatFloat(format, value, point);
  Check(shown.size() < 4096, "formatted length bounded");
  return 0;
}
