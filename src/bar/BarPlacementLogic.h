// Keeping the bar reachable: a place that is not wholly on the monitors' work areas (a monitor
// unplugged, a resolution changed, a hand-edited file) moves fully inside the nearest one.
// Free of the Windows API.
#pragma once

#include <span>

namespace kovra {

struct TScreenRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
};

struct TScreenPoint {
  int X = 0, Y = 0;
  bool operator==(const TScreenPoint&) const = default;
};

// The work area nearest `window`: the one it overlaps most, or, overlapping none, the closest;
// -1 when there is none.
int NearestWorkArea(const TScreenRect& window, std::span<const TScreenRect> workAreas);

// Where `window`'s top-left corner belongs: where it is while the work areas together cover it
// wholly (across monitors too); otherwise as near to it as keeps it inside the nearest work area,
// its top-left corner first when it is larger than that area.
TScreenPoint PlaceOnScreen(const TScreenRect& window, std::span<const TScreenRect> workAreas);

}  // namespace kovra
