// Colours read from the visual theme, and the drop-down and direction arrows that match it.
#include "controls/RzCommon.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <array>

namespace kovra {
namespace {

struct ThemedColorSource {
  const wchar_t* themeClass;
  int part, state, property;
  TColor fallback;  // when the theme does not define the colour
};

constexpr std::array<ThemedColorSource, 8> kThemedColors = {{
    {L"EDIT", EP_EDITTEXT, ETS_NORMAL, TMT_BORDERCOLOR, clBtnShadow},
    {L"EXPLORERBAR", EBP_NORMALGROUPHEAD, 0, TMT_TEXTCOLOR, clBtnText},
    {L"EXPLORERBAR", EBP_NORMALGROUPBACKGROUND, 0, TMT_FILLCOLOR, clWindow},
    {L"EXPLORERBAR", EBP_HEADERBACKGROUND, 0, TMT_GRADIENTCOLOR1, clBtnFace},
    {L"EXPLORERBAR", EBP_HEADERBACKGROUND, 0, TMT_GRADIENTCOLOR2, clBtnShadow},
    {L"EXPLORERBAR", EBP_NORMALGROUPHEAD, 0, TMT_FILLCOLOR, clBtnFace},
    {L"BUTTON", BP_PUSHBUTTON, PBS_NORMAL, TMT_TEXTCOLOR, clBtnText},
    {L"SPIN", SPNP_UP, UPS_NORMAL, TMT_BORDERCOLOR, clBtnShadow},
}};

// The colour of one pixel of a themed part drawn into a small bitmap; nullopt without a theme.
std::optional<TColor> ThemedPartPixel(const wchar_t* themeClass, int part, int state, int width,
                                      int height, int x, int y) {
  if (!ThemesActive()) return std::nullopt;
  ThemeHandle theme(OpenThemeData(nullptr, themeClass));
  if (!theme) return std::nullopt;
  TBitmap bitmap(width, height);
  const RECT r{0, 0, width, height};
  if (FAILED(DrawThemeBackground(theme.Get(), bitmap.SourceDC(), part, state, &r, nullptr)))
    return std::nullopt;
  return BitmapPixel(bitmap, x, y);
}

TColor ClassicArrowColor(const TCanvas& canvas) {
  return ColorsTooSimilar(canvas.Brush().Color(), clBlack) ? cl3DDkShadow : clBlack;
}

TColor ArrowColor(const TCanvas& canvas, TRzArrowLook look, bool enabled) {
  if (!enabled) return clBtnShadow;
  std::optional<TColor> themed;
  if (look == alkThemed)
    themed = ThemedPartPixel(L"COMBOBOX", CP_DROPDOWNBUTTON, CBXS_NORMAL, 17, 21, 8, 10);
  else if (look == alkSpin)
    themed = ThemedPartPixel(L"SPIN", SPNP_DOWN, DNS_NORMAL, 13, 10, 6, 4);
  if (!themed) return ClassicArrowColor(canvas);
  return ColorsTooSimilar(*themed, clWindow) ? cl3DDkShadow : *themed;
}

// Fills the polygon with the pen cleared; the brush colour and a solid pen are put back after.
void FillArrow(TCanvas& canvas, std::span<const POINT> points, TColor color) {
  const TColor oldBrush = canvas.Brush().Color();
  canvas.Pen().SetStyle(psClear);
  canvas.Brush().SetColor(color);
  canvas.Polygon(points);
  canvas.Brush().SetColor(oldBrush);
  canvas.Pen().SetStyle(psSolid);
}

POINT ArrowCentre(const RECT& r) {
  const int h = r.bottom - r.top;
  int cy = r.top + h / 2;
  if (h % 2 == 0) --cy;
  return POINT{r.left + (r.right - r.left) / 2, cy};
}

}  // namespace

TColor BitmapPixel(const TBitmap& bitmap, int x, int y) {
  if (x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height()) return clNone;
  return TBitmap::PixelToColor(bitmap.ScanLine(y)[x]);
}

TColor ThemeElementColor(int index) {
  if (!ThemesActive()) return clBtnFace;
  if (index < 0 || index >= static_cast<int>(kThemedColors.size())) return clWhite;
  const ThemedColorSource& source = kThemedColors[static_cast<std::size_t>(index)];
  ThemeHandle theme(OpenThemeData(nullptr, source.themeClass));
  COLORREF color = 0;
  if (!theme ||
      FAILED(GetThemeColor(theme.Get(), source.part, source.state, source.property, &color)))
    return ColorToRGB(source.fallback);
  return FromColorRef(color);
}

void PaintDropDownArrow(TCanvas& canvas, const RECT& r, TRzArrowLook look, bool enabled, int ppi) {
  if (IsVistaOrLater()) look = alkFlat;
  const TColor color = ArrowColor(canvas, look, enabled);
  const POINT c = ArrowCentre(r);
  const auto at = [&](int dx, int dy) {
    return POINT{c.x + MulDiv(dx, ppi, kDesignPixelsPerInch),
                 c.y + MulDiv(dy, ppi, kDesignPixelsPerInch)};
  };
  if (look == alkThemed) {
    const POINT chevron[6] = {at(0, 4), at(-4, -1), at(-3, -3), at(0, 1), at(3, -3), at(5, -1)};
    FillArrow(canvas, chevron, color);
  } else if (look == alkFlat) {
    const POINT triangle[3] = {at(1, 3), at(-2, -1), at(5, -1)};
    FillArrow(canvas, triangle, color);
  } else {
    const POINT triangle[3] = {at(0, 2), at(-3, -2), at(4, -2)};
    FillArrow(canvas, triangle, color);
  }
}

void PaintDirectionArrow(TCanvas& canvas, const RECT& r, TRzArrowLook look, bool enabled,
                         TRzArrowDirection direction, int ppi) {
  const TColor color = ArrowColor(canvas, look, enabled);
  const POINT c = ArrowCentre(r);
  const auto at = [&](int dx, int dy) {
    return POINT{c.x + MulDiv(dx, ppi, kDesignPixelsPerInch),
                 c.y + MulDiv(dy, ppi, kDesignPixelsPerInch)};
  };
  // Seven pixels across the base, four deep, centred like the drop-down arrow.
  std::array<POINT, 3> t;
  switch (direction) {
    case adUp:
      t = {at(-3, 2), at(4, 2), at(0, -2)};
      break;
    case adDown:
      t = {at(-3, -2), at(4, -2), at(0, 2)};
      break;
    case adLeft:
      t = {at(2, -3), at(2, 4), at(-2, 0)};
      break;
    default:
      t = {at(-2, -3), at(-2, 4), at(2, 0)};
      break;
  }
  FillArrow(canvas, t, color);
}

}  // namespace kovra
