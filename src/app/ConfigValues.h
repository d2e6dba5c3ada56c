// How the configuration file's values read and write, free of the Windows API. A value that is
// missing or does not convert reads as the key's default.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kovra {

// Decimal, or hexadecimal after "0x"/"0X" (longer than two characters; up to 32 bits, so colours
// such as 0xFF00000F read as the signed values the file stores for them).
std::int32_t IniInteger(std::string_view text, std::int32_t defaultValue);
// A finite number with "." as decimal separator.
double IniFloat(std::string_view text, double defaultValue);
// An integer whose lowest byte is the flag.
bool IniFlag(std::string_view text, bool defaultValue);

// How long an order step waits for the trading client to be ready (key 就绪等待毫秒).
constexpr std::int32_t kDefaultReadyWaitMs = 3000;
constexpr std::int32_t kMinReadyWaitMs = 500;
constexpr std::int32_t kMaxReadyWaitMs = 10000;
std::int32_t ClampReadyWait(std::int32_t ms);

// Shortest general form, up to 15 significant digits: 3 for 3.0, 2.5 for 2.5.
std::string IniFloatText(double value);
std::string IniFlagText(bool value);

}  // namespace kovra
