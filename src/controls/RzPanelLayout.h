// The panel's geometry, free of the Windows API: frame widths, the rectangle inside the frames,
// grid cells, the caption's vertical place and how status-bar panes share a width change.
#pragma once

#include <algorithm>
#include <cmath>

#include "controls/RzCommonTypes.h"

namespace kovra {

// A rectangle as GDI's RECT holds it (right and bottom exclusive), without the Windows headers.
struct TRzLayoutRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  friend constexpr bool operator==(const TRzLayoutRect&, const TRzLayoutRect&) = default;
};

// The width a frame style takes from each side it is drawn on.
constexpr int RzFrameWidth(TFrameStyleEx style, int bevelWidth) {
  switch (style) {
    case fsNone:
      return 0;
    case fsFlat:
      return 1;
    case fsStatus:
    case fsPopup:
      return bevelWidth;
    default:
      return 2;
  }
}

// `r` without the outer and inner frames on the chosen sides, after `borderWidth` came off every
// side (the ring is drawn on the chosen sides only, yet always kept clear).
constexpr TRzLayoutRect ShrinkByPanelBorders(TRzLayoutRect r, TFrameStyleEx outer,
                                             TFrameStyleEx inner, TSides sides, int bevelWidth,
                                             int borderWidth) {
  r.left += borderWidth;
  r.top += borderWidth;
  r.right -= borderWidth;
  r.bottom -= borderWidth;
  const int w = RzFrameWidth(outer, bevelWidth) + RzFrameWidth(inner, bevelWidth);
  if (sides.Contains(sdLeft)) r.left += w;
  if (sides.Contains(sdTop)) r.top += w;
  if (sides.Contains(sdRight)) r.right -= w;
  if (sides.Contains(sdBottom)) r.bottom -= w;
  return r;
}

// Grid lines (or dot columns and rows) that fit: none along an axis whose spacing is 0.
struct TRzGridCells {
  int columns = 0, rows = 0;
};
constexpr TRzGridCells GridCells(const TRzLayoutRect& r, int xSize, int ySize) {
  return TRzGridCells{xSize <= 0 ? 0 : std::max(r.Width(), 0) / xSize,
                      ySize <= 0 ? 0 : std::max(r.Height(), 0) / ySize};
}

// Where a caption `textHeight` pixels tall goes inside `r`.
constexpr TRzLayoutRect PlaceCaptionVertically(TRzLayoutRect r, TAlignmentVertical alignment,
                                               int textHeight) {
  switch (alignment) {
    case avTop:
      r.bottom = std::min(r.bottom, r.top + textHeight);
      break;
    case avCenter:
      r.top = (r.top + r.bottom - textHeight) / 2;
      r.bottom = std::min(r.bottom, r.top + textHeight);
      break;
    case avBottom:
      r.top = std::max(r.top, r.bottom - textHeight - 1);
      break;
  }
  return r;
}

// A pane's share of a status bar's width change: in proportion to its width, or an equal part
// when the previous width is unknown.
inline int ScaledPaneGrowth(int delta, int paneWidth, int previousWidth, int paneCount) {
  if (previousWidth > 0)
    return static_cast<int>(std::lround(static_cast<double>(delta) * paneWidth / previousWidth));
  return paneCount > 0 ? delta / paneCount : 0;
}

}  // namespace kovra
