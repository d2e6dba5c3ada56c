// Native builds have no GetSysColor: system colours resolve to the Windows 7 defaults, which is
// what the platform-free tests of the colour arithmetic are written against.
#include "controls/RzColorMath.h"

#include <iterator>

namespace kovra {
namespace {

constexpr TColor kDefaults[] = {
    RGBColor(200, 200, 200), RGBColor(0, 0, 0),       RGBColor(153, 180, 209),
    RGBColor(191, 205, 219), RGBColor(240, 240, 240), RGBColor(255, 255, 255),
    RGBColor(100, 100, 100), RGBColor(0, 0, 0),       RGBColor(0, 0, 0),
    RGBColor(0, 0, 0),       RGBColor(180, 180, 180), RGBColor(244, 247, 252),
    RGBColor(171, 171, 171), RGBColor(51, 153, 255),  RGBColor(255, 255, 255),
    RGBColor(240, 240, 240), RGBColor(160, 160, 160), RGBColor(109, 109, 109),
    RGBColor(0, 0, 0),       RGBColor(67, 78, 84),    RGBColor(255, 255, 255),
    RGBColor(105, 105, 105), RGBColor(227, 227, 227), RGBColor(0, 0, 0),
    RGBColor(255, 255, 225), RGBColor(0, 0, 0),       RGBColor(0, 102, 204),
    RGBColor(185, 209, 234), RGBColor(215, 228, 242), RGBColor(51, 153, 255),
    RGBColor(240, 240, 240),
};

}  // namespace

TColor ResolveColor(TColor color) {
  if (!IsSystemColor(color)) return color;
  const int index = color & 0xFF;
  return index < static_cast<int>(std::size(kDefaults)) ? kDefaults[index] : clBlack;
}

}  // namespace kovra
