#include "bar/BarPlacementLogic.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kovra {
namespace {

// In 64 bits: a hand-edited place can lie anywhere in the 32-bit range.
std::int64_t Overlap(const TScreenRect& a, const TScreenRect& b) {
  const std::int64_t w = std::int64_t{std::min(a.Right, b.Right)} - std::max(a.Left, b.Left);
  const std::int64_t h = std::int64_t{std::min(a.Bottom, b.Bottom)} - std::max(a.Top, b.Top);
  return w > 0 && h > 0 ? w * h : 0;
}

double Distance(const TScreenRect& a, const TScreenRect& b) {
  const std::int64_t dx =
      std::max<std::int64_t>({0, std::int64_t{b.Left} - a.Right, std::int64_t{a.Left} - b.Right});
  const std::int64_t dy =
      std::max<std::int64_t>({0, std::int64_t{b.Top} - a.Bottom, std::int64_t{a.Top} - b.Bottom});
  return std::hypot(static_cast<double>(dx), static_cast<double>(dy));
}

int Clamp(int at, int size, int low, int high) {
  return std::max(low, std::min<int>(at, high - size));
}

}  // namespace

int NearestWorkArea(const TScreenRect& window, std::span<const TScreenRect> workAreas) {
  int best = -1;
  std::int64_t bestOverlap = 0;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (int i = 0; i < static_cast<int>(workAreas.size()); ++i) {
    const std::int64_t overlap = Overlap(window, workAreas[i]);
    const double distance = overlap > 0 ? 0 : Distance(window, workAreas[i]);
    if (overlap > bestOverlap || (bestOverlap == 0 && overlap == 0 && distance < bestDistance)) {
      best = i;
      bestOverlap = overlap;
      bestDistance = distance;
    }
  }
  return best;
}

TScreenPoint PlaceOnScreen(const TScreenRect& window, std::span<const TScreenRect> workAreas) {
  const TScreenPoint here{window.Left, window.Top};
  const int nearest = NearestWorkArea(window, workAreas);
  if (nearest < 0 || window.Width() <= 0 || window.Height() <= 0) return here;
  // Work areas never overlap one another, so their overlaps add up to the part on screen.
  std::int64_t covered = 0;
  for (const TScreenRect& area : workAreas) covered += Overlap(window, area);
  if (covered >= std::int64_t{window.Width()} * window.Height()) return here;
  const TScreenRect& area = workAreas[static_cast<size_t>(nearest)];
  return {Clamp(window.Left, window.Width(), area.Left, area.Right),
          Clamp(window.Top, window.Height(), area.Top, area.Bottom)};
}

}  // namespace kovra
