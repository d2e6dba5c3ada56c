// The splitter's arithmetic, free of the Windows API: where the bar may stand, how a position
// and a percentage convert, where panes, bar and hot spot lie, and where the bar goes when the
// splitter is resized or dragged. Positions count from the start of the area the panes share.
#pragma once

#include <cstdint>

namespace kovra {

enum TRzFixedPane : std::uint8_t { fpUpperLeft, fpLowerRight };
enum TRzHotSpotDirection : std::uint8_t { hsdMin, hsdMax, hsdBoth };
// Where a closed hot spot moved the bar.
enum TRzHotSpotClosed : std::uint8_t { hscOpen, hscToMin, hscToMax };

// What limits the bar along the splitting axis.
struct TRzSplitLimits {
  int extent = 0;         // the client width (horizontal) or height (vertical)
  int splitterWidth = 4;  // the bar's thickness
  int borderWidth = 0;
  int marginMin = 0;
  int marginMax = 0;
  bool hotSpotClosed = false;
  bool hotSpotIgnoreMargins = true;
};

// The smallest and largest position; a closed hot spot that ignores margins reaches the ends.
int SplitterMinPosition(const TRzSplitLimits& limits);
int SplitterMaxPosition(const TRzSplitLimits& limits);
// Never below the minimum, even where the area is too small for the maximum to exceed it.
int ClampSplitterPosition(const TRzSplitLimits& limits, int position);

// The divisor both conversions share: the extent less half the bar.
int SplitterPercentBase(int extent, int splitterWidth);
// position * 100 / base, rounded; 0 when the base is not positive.
int SplitterPercentOf(int position, int extent, int splitterWidth);
// percent / 100 * base, rounded.
int SplitterPositionOfPercent(int percent, int extent, int splitterWidth);

// One stretch along the splitting axis: [start, end).
struct TRzSpan {
  int start = 0;
  int end = 0;
  constexpr int Length() const { return end - start; }
  friend constexpr bool operator==(const TRzSpan&, const TRzSpan&) = default;
};

struct TRzSplitSpans {
  TRzSpan upperLeft;
  TRzSpan bar;
  TRzSpan lowerRight;
};
// The panes and the bar inside `area`. A single visible pane takes the whole area and the bar
// has no extent; no span reaches outside the area whatever the position.
TRzSplitSpans SplitSpans(TRzSpan area, int position, int splitterWidth, bool upperLeftVisible,
                         bool lowerRightVisible);

// The hot spot: `sizePercent` of the bar's length, centred on it.
TRzSpan HotSpotSpan(TRzSpan barLength, int sizePercent);

// Where a hot-spot click closes the bar towards: hsdBoth picks the nearer end (the minimum on a
// tie).
TRzHotSpotClosed HotSpotCloseSide(TRzHotSpotDirection direction, int position, int maxPosition);

// What a resize of the splitter decides.
struct TRzSplitResize {
  int position = 0;
  int marginMin = 0;  // changed only when the position follows a percentage
  int marginMax = 0;
};
struct TRzSplitResizeInput {
  TRzSplitLimits limits;  // with the new extent
  int position = 0;       // the current position
  TRzFixedPane fixedPane = fpUpperLeft;
  bool usePercent = false;
  int percent = 50;
  int percentMin = 0;
  int percentMax = 100;
  TRzHotSpotClosed closed = hscOpen;
  // The position the user last chose (upper-left fixed) or the lower-right pane's size the user
  // last chose (lower-right fixed); -1 when the user never moved the bar.
  int userPosition = -1;
  int lowerRightSize = -1;  // the lower-right pane's size before the resize (lower-right fixed)
};
// The new position (not yet clamped by the caller's margins) and margins.
TRzSplitResize ResizeSplitter(const TRzSplitResizeInput& in);

// The position that keeps the grab point's offset from the bar's centre while the mouse is at
// `mouse` (all along the splitting axis, relative to the area's start).
int DragPosition(int mouse, int grabOffset, int splitterWidth);
// The offset of a press at `mouse` from the centre of a bar standing at `position`.
int GrabOffset(int mouse, int position, int splitterWidth);

}  // namespace kovra
