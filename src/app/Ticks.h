// Elapsed time between two readings of the system's 32-bit millisecond tick count.
#pragma once

#include <cstdint>

namespace kovra {

// The distance between the readings taken as signed 32-bit values, so a wrap of the counter
// between them still yields the small difference.
constexpr std::uint32_t TickElapsed(std::uint32_t start, std::uint32_t now) {
  const std::int64_t difference = static_cast<std::int32_t>(now - start);
  return static_cast<std::uint32_t>(difference < 0 ? -difference : difference);
}

}  // namespace kovra
