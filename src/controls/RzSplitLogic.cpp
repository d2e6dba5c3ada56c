#include "controls/RzSplitLogic.h"

#include <algorithm>
#include <cstdint>

namespace kovra {

namespace {

// a / b rounded half away from zero; b > 0.
int RoundedDiv(std::int64_t a, std::int64_t b) {
  return static_cast<int>(a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b));
}

int Clamp(int v, int lo, int hi) {
  return std::max(std::min(v, hi), lo);
}

}  // namespace

int SplitterMinPosition(const TRzSplitLimits& limits) {
  if (limits.hotSpotClosed && limits.hotSpotIgnoreMargins) return 0;
  return limits.marginMin;
}

int SplitterMaxPosition(const TRzSplitLimits& limits) {
  const int margin = limits.hotSpotClosed && limits.hotSpotIgnoreMargins ? 0 : limits.marginMax;
  return limits.extent - margin - limits.splitterWidth - 2 * limits.borderWidth;
}

int ClampSplitterPosition(const TRzSplitLimits& limits, int position) {
  const int lo = SplitterMinPosition(limits);
  const int hi = SplitterMaxPosition(limits);
  return std::max(std::min(position, hi), lo);
}

int SplitterPercentBase(int extent, int splitterWidth) {
  return extent - splitterWidth / 2;
}

int SplitterPercentOf(int position, int extent, int splitterWidth) {
  const int base = SplitterPercentBase(extent, splitterWidth);
  if (base <= 0) return 0;
  return RoundedDiv(static_cast<std::int64_t>(position) * 100, base);
}

int SplitterPositionOfPercent(int percent, int extent, int splitterWidth) {
  const int base = std::max(SplitterPercentBase(extent, splitterWidth), 0);
  return RoundedDiv(static_cast<std::int64_t>(percent) * base, 100);
}

TRzSplitSpans SplitSpans(TRzSpan area, int position, int splitterWidth, bool upperLeftVisible,
                         bool lowerRightVisible) {
  area.end = std::max(area.end, area.start);
  TRzSplitSpans s;
  const TRzSpan none{area.start, area.start};
  if (upperLeftVisible && lowerRightVisible) {
    const int barStart = Clamp(area.start + position, area.start, area.end);
    const int barEnd = Clamp(barStart + std::max(splitterWidth, 0), area.start, area.end);
    s.upperLeft = {area.start, barStart};
    s.bar = {barStart, barEnd};
    s.lowerRight = {barEnd, area.end};
  } else if (upperLeftVisible) {
    s.upperLeft = area;
    s.bar = {area.end, area.end};
    s.lowerRight = {area.end, area.end};
  } else {
    s.upperLeft = none;
    s.bar = none;
    s.lowerRight = lowerRightVisible ? area : none;
  }
  return s;
}

TRzSpan HotSpotSpan(TRzSpan barLength, int sizePercent) {
  const int length = std::max(barLength.Length(), 0);
  const int hot = RoundedDiv(static_cast<std::int64_t>(length) * Clamp(sizePercent, 0, 100), 100);
  const int start = barLength.start + (length - hot) / 2;
  return TRzSpan{start, start + hot};
}

TRzHotSpotClosed HotSpotCloseSide(TRzHotSpotDirection direction, int position, int maxPosition) {
  switch (direction) {
    case hsdMax:
      return hscToMax;
    case hsdBoth:
      return maxPosition - position < position ? hscToMax : hscToMin;
    default:
      return hscToMin;
  }
}

TRzSplitResize ResizeSplitter(const TRzSplitResizeInput& in) {
  TRzSplitResize out;
  out.marginMin = in.limits.marginMin;
  out.marginMax = in.limits.marginMax;
  const int extent = in.limits.extent;
  if (in.usePercent) {
    const int base = std::max(SplitterPercentBase(extent, in.limits.splitterWidth), 0);
    out.marginMin = RoundedDiv(static_cast<std::int64_t>(in.percentMin) * base, 100);
    out.marginMax = base - RoundedDiv(static_cast<std::int64_t>(in.percentMax) * base, 100);
    if (in.closed == hscToMin)
      out.position = 0;
    else if (in.closed == hscToMax)
      out.position = base;
    else
      out.position = RoundedDiv(static_cast<std::int64_t>(in.percent) * base, 100);
    return out;
  }
  TRzSplitLimits limits = in.limits;
  limits.hotSpotClosed = in.closed != hscOpen;
  if (in.closed == hscToMin) {
    out.position = SplitterMinPosition(limits);
    return out;
  }
  if (in.closed == hscToMax) {
    out.position = SplitterMaxPosition(limits);
    return out;
  }
  if (in.fixedPane == fpLowerRight) {
    int keep = in.lowerRightSize;
    if (in.userPosition >= 0) keep = std::max(keep, in.userPosition);
    out.position = ClampSplitterPosition(limits, extent - keep);
    return out;
  }
  out.position = ClampSplitterPosition(limits, in.position);
  if (in.userPosition >= 0 && out.position < in.userPosition)
    out.position = ClampSplitterPosition(limits, in.userPosition);
  return out;
}

int DragPosition(int mouse, int grabOffset, int splitterWidth) {
  return mouse - grabOffset - splitterWidth / 2;
}

int GrabOffset(int mouse, int position, int splitterWidth) {
  return mouse - (position + splitterWidth / 2);
}

}  // namespace kovra
