// On Windows the colour arithmetic sees the user's real scheme, through the framework's conversion.
#include "framework/Graphics.h"

#include "controls/RzColorMath.h"

namespace kovra {

TColor ResolveColor(TColor color) {
  return ColorToRGB(color);
}

}  // namespace kovra
