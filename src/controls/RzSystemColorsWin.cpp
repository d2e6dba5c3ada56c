// On Windows the colour arithmetic sees the user's real scheme.
#include <windows.h>

#include "controls/RzColorMath.h"

namespace kovra {

TColor ResolveColor(TColor color) {
  if (!IsSystemColor(color)) return color;
  return static_cast<TColor>(GetSysColor(color & 0xFF));
}

}  // namespace kovra
