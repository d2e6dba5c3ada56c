// Frame painting: only lines (MoveTo/LineTo, end point excluded) and single pixels, so a frame
// costs a handful of GDI calls and never touches the inside of its rectangle.
#include <array>

#include "controls/RzCommon.h"

namespace kovra {
namespace {

struct TEdgeColors {
  TColor upperLeft, lowerRight;
};

// PaintStyledFrame's single-line styles (indexed by TFrameStyle; unused rows are ring styles).
TEdgeColors StyledColors(TFrameStyle style) {
  switch (style) {
    case fsFlat:
      return {cl3DDkShadow, cl3DDkShadow};
    case fsGroove:
      return {clBtnShadow, clBtnHighlight};
    case fsBump:
      return {clBtnHighlight, clBtnShadow};
    case fsStatus:
      return {clBtnShadow, clBtnHighlight};
    case fsPopup:
      return {clBtnHighlight, clBtnShadow};
    case fsFlatBold:
      return {clBtnShadow, clBtnShadow};
    default:
      return {clNone, clNone};
  }
}

// Outer ring, then inner ring, of the two-ring styles.
std::array<TEdgeColors, 2> StyledRings(TFrameStyle style) {
  switch (style) {
    case fsRaised:
      return {{{cl3DLight, cl3DDkShadow}, {clBtnHighlight, clBtnShadow}}};
    case fsLowered:
      return {{{clBtnShadow, clBtnHighlight}, {cl3DDkShadow, cl3DLight}}};
    case fsButtonUp:
      return {{{clBtnHighlight, cl3DDkShadow}, {cl3DLight, clBtnShadow}}};
    default:
      return {{{clBtnText, clBtnText}, {clBtnShadow, clBtnShadow}}};  // fsButtonDown
  }
}

void Line(TCanvas& canvas, int x1, int y1, int x2, int y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

RECT Shrink(const RECT& r, int n, TSides sides) {
  RECT out = r;
  if (sides.Contains(sdLeft)) out.left += n;
  if (sides.Contains(sdTop)) out.top += n;
  if (sides.Contains(sdRight)) out.right -= n;
  if (sides.Contains(sdBottom)) out.bottom -= n;
  return out;
}

RECT PaintTwoRings(TCanvas& canvas, const RECT& r, const std::array<TEdgeColors, 2>& rings,
                   TSides sides) {
  const RECT inner = PaintEdgeLines(canvas, r, rings[0].upperLeft, rings[0].lowerRight, sides);
  return PaintEdgeLines(canvas, inner, rings[1].upperLeft, rings[1].lowerRight, sides);
}

// Groove and bump: two interleaved rings, with the corner pixels where a drawn side meets an
// undrawn one set so that the etched edge ends cleanly.
RECT PaintEtched(TCanvas& canvas, const RECT& r, TEdgeColors c, TSides sides) {
  const bool left = sides.Contains(sdLeft), top = sides.Contains(sdTop);
  const bool right = sides.Contains(sdRight), bottom = sides.Contains(sdBottom);
  const TColor ul = c.upperLeft, lr = c.lowerRight;
  if (right)
    canvas.SetPixel(r.right - 1, r.top, lr);
  else if (top)
    canvas.SetPixel(r.right - 1, r.top, ul);
  if (bottom)
    canvas.SetPixel(r.left, r.bottom - 1, lr);
  else if (left)
    canvas.SetPixel(r.left, r.bottom - 1, ul);
  if (top && !left) canvas.SetPixel(r.left, r.top + 1, lr);
  if (left && !top) canvas.SetPixel(r.left + 1, r.top, lr);
  if (bottom && !right) canvas.SetPixel(r.right - 1, r.bottom - 2, ul);
  if (right && !bottom) canvas.SetPixel(r.right - 2, r.bottom - 1, ul);
  const RECT moved{r.left + 1, r.top + 1, r.right, r.bottom};
  PaintEdgeLines(canvas, moved, lr, lr, sides);
  PaintEdgeLines(canvas, RECT{r.left, r.top, r.right - 1, r.bottom - 1}, ul, ul, sides);
  return Shrink(r, 2, sides);
}

RECT PaintFlatRing(TCanvas& canvas, const RECT& r, TColor color, int width, TSides sides) {
  return PaintEdgeRings(canvas, r, color, color, width, sides);
}

// One step of PaintPanelBorders for the outer or inner style (fsFlatRounded handled by caller).
RECT PaintPanelStyle(TCanvas& canvas, const RECT& r, TFrameStyleEx style,
                     const TRzPanelBorderLook& look, TColor flat) {
  switch (style) {
    case fsFlat:
      return PaintFlatRing(canvas, r, flat, 1, look.sides);
    case fsFlatBold:
      return PaintFlatRing(canvas, r, flat, 2, look.sides);
    case fsPopup:
      return PaintEdgeRings(canvas, r, look.highlightColor, look.shadowColor, look.bevelWidth,
                            look.sides);
    case fsStatus:
      return PaintEdgeRings(canvas, r, look.shadowColor, look.highlightColor, look.bevelWidth,
                            look.sides);
    default:
      return PaintStyledFrame(canvas, r, style, look.sides);
  }
}

}  // namespace

RECT PaintEdgeLines(TCanvas& canvas, const RECT& r, TColor upperLeft, TColor lowerRight,
                    TSides sides) {
  if (upperLeft != clNone) {
    canvas.Pen().SetColor(upperLeft);
    if (sides.Contains(sdLeft)) Line(canvas, r.left, r.top, r.left, r.bottom);
    if (sides.Contains(sdTop)) Line(canvas, r.left, r.top, r.right, r.top);
  }
  // Drawn last, so the top-right and bottom-left corner pixels take the lower-right colour.
  if (lowerRight != clNone) {
    canvas.Pen().SetColor(lowerRight);
    if (sides.Contains(sdRight)) Line(canvas, r.right - 1, r.top, r.right - 1, r.bottom);
    if (sides.Contains(sdBottom)) Line(canvas, r.left, r.bottom - 1, r.right, r.bottom - 1);
  }
  return Shrink(r, 1, sides);
}

RECT PaintEdgeRings(TCanvas& canvas, const RECT& r, TColor upperLeft, TColor lowerRight, int width,
                    TSides sides) {
  canvas.Pen().SetWidth(1);
  RECT inner = r;
  for (int i = 0; i < width; ++i)
    inner = PaintEdgeLines(canvas, inner, upperLeft, lowerRight, sides);
  return inner;
}

RECT PaintStyledFrame(TCanvas& canvas, const RECT& r, TFrameStyle style, TSides sides) {
  switch (style) {
    case fsFlat:
    case fsStatus:
    case fsPopup: {
      const TEdgeColors c = StyledColors(style);
      return PaintEdgeLines(canvas, r, c.upperLeft, c.lowerRight, sides);
    }
    case fsFlatBold:
      return PaintFlatRing(canvas, r, clBtnShadow, 2, sides);
    case fsRaised:
    case fsLowered:
    case fsButtonUp:
    case fsButtonDown:
      return PaintTwoRings(canvas, r, StyledRings(style), sides);
    case fsGroove:
    case fsBump:
      return PaintEtched(canvas, r, StyledColors(style), sides);
    default:
      return r;  // fsNone, and fsFlatRounded which only panels draw
  }
}

RECT PaintTintedFrame(TCanvas& canvas, const RECT& r, TColor base, TFrameStyle style,
                      TSides sides) {
  auto d = [base](int n) { return DarkenColor(base, n); };
  auto l = [base](int n) { return LightenColor(base, n); };
  switch (style) {
    case fsFlat:
      return PaintEdgeLines(canvas, r, d(50), d(50), sides);
    case fsGroove:
      return PaintEtched(canvas, r, {d(50), l(100)}, sides);
    case fsBump:
      return PaintEtched(canvas, r, {l(100), d(50)}, sides);
    case fsLowered:
      return PaintTwoRings(canvas, r, {{{d(50), l(100)}, {d(100), l(50)}}}, sides);
    case fsRaised:
      return PaintTwoRings(canvas, r, {{{l(50), d(100)}, {l(100), d(50)}}}, sides);
    case fsButtonDown:
      return PaintTintedButtonFrame(canvas, r, base, sides, true);
    case fsButtonUp:
      return PaintTintedButtonFrame(canvas, r, base, sides, false);
    case fsStatus:
      return PaintEdgeLines(canvas, r, d(50), l(100), sides);
    case fsPopup:
      return PaintEdgeLines(canvas, r, l(100), d(50), sides);
    case fsFlatBold:
      return PaintFlatRing(canvas, r, d(50), 2, sides);
    default:
      return r;
  }
}

RECT PaintTintedButtonFrame(TCanvas& canvas, const RECT& r, TColor base, TSides sides, bool down) {
  const TColor d50 = DarkenColor(base, 50), d100 = DarkenColor(base, 100);
  if (down) return PaintTwoRings(canvas, r, {{{d100, d100}, {d50, d50}}}, sides);
  return PaintTwoRings(canvas, r,
                       {{{LightenColor(base, 100), d100}, {LightenColor(base, 40), d50}}}, sides);
}

void PaintControlFrame(TCanvas& canvas, int width, int height, TFrameStyle style,
                       TColor controlColor, TColor frameColor, TSides sides, bool noErase) {
  const RECT r{0, 0, width, height};
  if (!noErase) PaintFlatRing(canvas, r, controlColor, 2, kAllSides);
  if (style == fsFlat)
    PaintEdgeLines(canvas, r, frameColor, frameColor, sides);
  else if (style == fsFlatBold)
    PaintFlatRing(canvas, r, frameColor, 2, sides);
  else if (controlColor == clWindow)
    PaintStyledFrame(canvas, r, style, sides);
  else
    PaintTintedFrame(canvas, r, controlColor, style, sides);
}

RECT PaintPanelBorders(TCanvas& canvas, const RECT& r, const TRzPanelBorderLook& look) {
  const TColor flat = ShiftColorLightness(look.flatColor, look.flatColorAdjustment);
  const TSides sides = look.sides;
  RECT cur = r;
  if (look.outer == fsFlatRounded) {
    const bool ringed = look.borderWidth > 0 || look.inner != fsNone;
    if (!look.transparent) {
      const RECT inside = PaintFlatRing(canvas, cur, look.parentColor, 1, sides);
      PaintFlatRing(canvas, inside, ringed ? look.borderColor : look.controlColor, 1, sides);
    } else if (ringed) {
      const RECT inside{cur.left + 1, cur.top + 1, cur.right - 1, cur.bottom - 1};
      PaintFlatRing(canvas, inside, look.borderColor, 1, sides);
    }
    cur = PaintRoundedFlatFrame(canvas, cur, flat, sides);
  } else {
    cur = PaintPanelStyle(canvas, cur, look.outer, look, flat);
  }
  if (look.borderWidth > 0)
    cur = PaintFlatRing(canvas, cur, look.borderColor, look.borderWidth, sides);
  if (look.inner == fsFlatRounded) {
    const RECT inside = PaintFlatRing(canvas, cur, look.borderColor, 1, sides);
    if (!look.transparent) PaintFlatRing(canvas, inside, look.controlColor, 1, sides);
    cur = PaintRoundedFlatFrame(canvas, cur, flat, sides);
  } else {
    cur = PaintPanelStyle(canvas, cur, look.inner, look, flat);
  }
  return cur;
}

RECT PaintRoundedFlatFrame(TCanvas& canvas, const RECT& r, TColor color, TSides sides) {
  const bool left = sides.Contains(sdLeft), top = sides.Contains(sdTop);
  const bool right = sides.Contains(sdRight), bottom = sides.Contains(sdBottom);
  const int t = top ? r.top + 2 : r.top, b = bottom ? r.bottom - 2 : r.bottom;
  const int l = left ? r.left + 2 : r.left, rr = right ? r.right - 2 : r.right;
  canvas.Pen().SetColor(color);
  if (left) Line(canvas, r.left, t, r.left, b);
  if (top) Line(canvas, l, r.top, rr, r.top);
  if (right) Line(canvas, r.right - 1, t, r.right - 1, b);
  if (bottom) Line(canvas, l, r.bottom - 1, rr, r.bottom - 1);
  if (left && top) canvas.SetPixel(r.left + 1, r.top + 1, color);
  if (top && right) canvas.SetPixel(r.right - 2, r.top + 1, color);
  if (right && bottom) canvas.SetPixel(r.right - 2, r.bottom - 2, color);
  if (bottom && left) canvas.SetPixel(r.left + 1, r.bottom - 2, color);
  return RECT{l, t, rr, b};
}

RECT PaintBoxOutline(TCanvas& canvas, const RECT& r, TColor color) {
  return PaintEdgeLines(canvas, r, color, color, kAllSides);
}

RECT PaintBoxCorners(TCanvas& canvas, const RECT& r, TColor color, int n) {
  const int x = r.left, y = r.top, rx = r.right - 1, by = r.bottom - 1;
  canvas.Pen().SetColor(color);
  const POINT corners[4][3] = {{{x, y + n - 1}, {x, y}, {x + n, y}},
                               {{rx - n + 1, y}, {rx, y}, {rx, y + n}},
                               {{rx, by - n + 1}, {rx, by}, {rx - n, by}},
                               {{x + n - 1, by}, {x, by}, {x, by - n}}};
  for (const auto& corner : corners) canvas.Polyline(corner);
  return RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
}

RECT PaintDottedFocusFrame(TCanvas& canvas, const RECT& r) {
  for (int y = r.top + 1; y < r.bottom; y += 2) {
    canvas.SetPixel(r.left, y, clBlack);
    canvas.SetPixel(r.right - 1, y, clBlack);
  }
  for (int x = r.left + 1; x < r.right; x += 2) {
    canvas.SetPixel(x, r.top, clBlack);
    canvas.SetPixel(x, r.bottom - 1, clBlack);
  }
  return RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
}

void PaintHighlightRing(TCanvas& canvas, const RECT& r, TGradientDirection direction, TColor start,
                        TColor stop) {
  if (!GradientsAvailable()) return;
  struct ClipReset {
    HDC dc;
    ~ClipReset() { SelectClipRgn(dc, nullptr); }
  } reset{canvas.Handle()};
  ExcludeClipRect(reset.dc, r.left + 2, r.top + 2, r.right - 2, r.bottom - 2);
  PaintGradientRect(canvas, r, direction, start, stop, 1);
}

}  // namespace kovra
