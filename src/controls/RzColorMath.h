// Colour arithmetic of the framed controls on a 0..240 hue/saturation/lightness scale: the
// shadow, highlight, hot-track and disabled colours of every control derive from it.
// Free of the Windows API; system colours are resolved through ResolveColor.
#pragma once

#include <cstdint>

#include "controls/RzCommonTypes.h"

namespace kovra {

// System colours become their RGB value (on Windows through GetSysColor, natively from a table
// of the Windows 7 defaults); RGB colours and clNone/clDefault are returned as they are.
TColor ResolveColor(TColor color);

struct THslBytes {
  std::uint8_t h = 0, s = 0, l = 0;
  friend constexpr bool operator==(const THslBytes&, const THslBytes&) = default;
};

THslBytes ColorToHslBytes(TColor color);
// Hue is read on a 0..239 scale (so 240 is just past red again); lightness above 240 saturates
// towards white rather than wrapping.
TColor HslBytesToColor(std::uint8_t h, std::uint8_t s, std::uint8_t l);
inline TColor HslBytesToColor(THslBytes hsl) {
  return HslBytesToColor(hsl.h, hsl.s, hsl.l);
}
std::uint8_t HueOfColor(TColor color);

TColor DarkenColor(TColor color, int amount);
TColor LightenColor(TColor color, int amount);
// Negative amounts darken, positive lighten; 0 returns the colour untouched (system colours stay
// system colours, so a control's colour property keeps following the user's scheme).
TColor ShiftColorLightness(TColor color, int amount);
// weight 255 gives `first`, 0 gives `second`.
TColor MixColors(TColor first, TColor second, int weight);
bool ColorsTooSimilar(TColor a, TColor b);
TColor OppositeHueColor(TColor color, std::uint8_t lightness);

// The eight colours of one Office-like desktop scheme (0 blue, 1 olive, 2 silver).
struct TRzSchemeColors {
  TColor selectionFrame, selectionStart, selectionStop;
  TColor panelStart, panelStop, panelFrame;
  TColor groupBarStart, groupBarStop;
};
// Schemes outside 0..2 read as scheme 0.
const TRzSchemeColors& SchemeColorsOf(int scheme);

// One step of a gradient: each channel advances in 16.16 fixed point by
// (target - origin) * 65536 / count per step, truncated. `from` and `to` must be RGB.
class TGradientProgression {
 public:
  TGradientProgression(TColor from, TColor to, int count);
  TColor At(int step) const;

 private:
  std::int64_t origin_[3];
  std::int64_t delta_[3];
};

}  // namespace kovra
