#include "controls/RzColorMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kovra {
namespace {

// Round to nearest, ties to even (the current rounding mode is never changed by this program).
int RoundEven(double x) {
  return static_cast<int>(std::nearbyint(x));
}

int ClampByte(int v) {
  return std::clamp(v, 0, 255);
}

std::uint8_t Lightness(TColor color) {
  return ColorToHslBytes(color).l;
}

TColor WithLightness(TColor color, int lightness) {
  THslBytes hsl = ColorToHslBytes(color);
  return HslBytesToColor(hsl.h, hsl.s, static_cast<std::uint8_t>(ClampByte(lightness)));
}

constexpr TRzSchemeColors kSchemes[3] = {
    {0x800000, 0xC2EEFF, 0xA0D9FF, 0xFFEFE3, 0xEABB99, 0xBF7F57, 0xE7A27B, 0xD67563},
    {0x385D3F, 0xC2EEFF, 0xA0D9FF, 0xEDFFFF, 0x92C7B8, 0x77A17F, 0xADD9CC, 0x84BDA5},
    {0x6F4B4B, 0xC2EEFF, 0xA0D9FF, 0xFFF9F9, 0xD0BCBD, 0xB19F9F, 0xD4C8C4, 0xC8B3B1},
};

}  // namespace

THslBytes ColorToHslBytes(TColor color) {
  const TColor rgb = ResolveColor(color);
  const double r = RedOf(rgb) / 255.0, g = GreenOf(rgb) / 255.0, b = BlueOf(rgb) / 255.0;
  const double mx = std::max({r, g, b});
  const double mn = std::min({r, g, b});
  const double l = (mx + mn) / 2;
  double h = 0, s = 0;
  if (mx != mn) {
    const double d = mx - mn;
    s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
    if (r == mx)
      h = (g - b) / d;
    else if (g == mx)
      h = 2 + (b - r) / d;
    else
      h = 4 + (r - g) / d;
    h /= 6;
    if (h < 0) h += 1;
  }
  auto toByte = [](double v) { return static_cast<std::uint8_t>(ClampByte(RoundEven(v * 240))); };
  return {toByte(h), toByte(s), toByte(l)};
}

TColor HslBytesToColor(std::uint8_t hb, std::uint8_t sb, std::uint8_t lb) {
  const double h = hb / 239.0, s = sb / 240.0, l = lb / 240.0;
  const double v = l < 0.5 ? l * (1 + s) : l + s - l * s;
  if (v <= 0) return clBlack;
  const double m = 2 * l - v;
  const double sv = (v - m) / v;
  const double h6 = h * 6;
  const int sextant = static_cast<int>(h6);
  const double f = h6 - sextant;
  const double vsf = v * sv * f;
  const double mid1 = m + vsf, mid2 = v - vsf;
  double r, g, b;
  switch (sextant) {
    case 1:
      r = mid2, g = v, b = m;
      break;
    case 2:
      r = m, g = v, b = mid1;
      break;
    case 3:
      r = m, g = mid2, b = v;
      break;
    case 4:
      r = mid1, g = m, b = v;
      break;
    case 5:
      r = v, g = m, b = mid2;
      break;
    default:
      r = v, g = mid1, b = m;
      break;  // sextant 0, and hues at or past the end of the scale
  }
  auto toByte = [](double x) { return ClampByte(RoundEven(std::min(x, 1.0) * 255)); };
  return RGBColor(toByte(r), toByte(g), toByte(b));
}

std::uint8_t HueOfColor(TColor color) {
  return ColorToHslBytes(color).h;
}

TColor DarkenColor(TColor color, int amount) {
  return WithLightness(color, std::max(Lightness(color) - amount, 0));
}

TColor LightenColor(TColor color, int amount) {
  return WithLightness(color, std::min(Lightness(color) + amount, 255));
}

TColor ShiftColorLightness(TColor color, int amount) {
  if (amount < 0) return DarkenColor(color, -amount);
  if (amount > 0) return LightenColor(color, amount);
  return color;
}

TColor MixColors(TColor first, TColor second, int weight) {
  const TColor a = ResolveColor(first), b = ResolveColor(second);
  const double x = std::clamp(weight, 0, 255) / 255.0;
  auto mix = [x](int ca, int cb) { return ClampByte(RoundEven(ca * x + cb * (1 - x))); };
  return RGBColor(mix(RedOf(a), RedOf(b)), mix(GreenOf(a), GreenOf(b)), mix(BlueOf(a), BlueOf(b)));
}

bool ColorsTooSimilar(TColor a, TColor b) {
  const THslBytes x = ColorToHslBytes(a), y = ColorToHslBytes(b);
  return std::abs(x.h - y.h) < 20 && std::abs(x.l - y.l) < 60;
}

TColor OppositeHueColor(TColor color, std::uint8_t lightness) {
  const int h = HueOfColor(color);
  const int opposite = h < 120 ? h + 120 : h - 120;
  return HslBytesToColor(static_cast<std::uint8_t>(opposite), 240, lightness);
}

const TRzSchemeColors& SchemeColorsOf(int scheme) {
  return kSchemes[scheme >= 0 && scheme < 3 ? scheme : 0];
}

TGradientProgression::TGradientProgression(TColor from, TColor to, int count) {
  const int f[3] = {RedOf(from), GreenOf(from), BlueOf(from)};
  const int t[3] = {RedOf(to), GreenOf(to), BlueOf(to)};
  const std::int64_t n = std::max(count, 1);
  for (int i = 0; i < 3; ++i) {
    origin_[i] = static_cast<std::int64_t>(f[i]) << 16;
    delta_[i] = (static_cast<std::int64_t>(t[i] - f[i]) * 65536) / n;  // truncates towards zero
  }
}

TColor TGradientProgression::At(int step) const {
  int c[3];
  for (int i = 0; i < 3; ++i)
    c[i] = ClampByte(static_cast<int>((origin_[i] + delta_[i] * step) >> 16));
  return RGBColor(c[0], c[1], c[2]);
}

}  // namespace kovra
