#include "app/ConfigValues.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "framework/runtime/Numbers.h"

namespace kovra {

std::int32_t IniInteger(std::string_view text, std::int32_t defaultValue) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const auto value = TryHexToInt64(text.substr(2));
    if (!value || *value < 0 || *value > 0xFFFFFFFFLL) return defaultValue;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
  }
  const auto value = TryStrToInt64(text);
  if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
      *value > std::numeric_limits<std::int32_t>::max()) {
    return defaultValue;
  }
  return static_cast<std::int32_t>(*value);
}

double IniFloat(std::string_view text, double defaultValue) {
  // The file always holds "." whatever the process's settings are.
  static const TFormatSettings kPointSeparator;
  const auto value = TryStrToFloat(text, kPointSeparator);
  if (!value || !std::isfinite(static_cast<double>(*value))) return defaultValue;
  return static_cast<double>(*value);
}

bool IniFlag(std::string_view text, bool defaultValue) {
  return (IniInteger(text, defaultValue ? 1 : 0) & 0xFF) != 0;
}

std::int32_t ClampReadyWait(std::int32_t ms) {
  return std::clamp(ms, kMinReadyWaitMs, kMaxReadyWaitMs);
}

std::string IniFloatText(double value) {
  return FloatToStr(value);
}

std::string IniFlagText(bool value) {
  return value ? "1" : "0";
}

}  // namespace kovra
