#include "shell/RzShellDragLogic.h"

namespace kovra {

TRzDragScroll DragAutoScroll(int x, int y, int clientWidth, int clientHeight) {
  TRzDragScroll scroll;
  if (x < 0 || y < 0 || x >= clientWidth || y >= clientHeight) return scroll;
  if (x < kDragScrollMarginX) {
    scroll.Horizontal = -1;
  } else if (x >= clientWidth - kDragScrollMarginX) {
    scroll.Horizontal = 1;
  }
  if (y < kDragScrollMarginY) {
    scroll.Vertical = -1;
  } else if (y >= clientHeight - kDragScrollMarginY) {
    scroll.Vertical = 1;
  }
  return scroll;
}

bool TRzDragScrollTimer::Due(std::uint32_t nowMs) {
  if (started_ && nowMs - last_ < kDragScrollIntervalMs) return false;
  started_ = true;
  last_ = nowMs;
  return true;
}

TRzDragHoverTracker::TRzDragHoverTracker(std::uint32_t width, std::uint32_t height,
                                         std::uint32_t timeMs)
    : halfWidth_((width ? width : 1) / 2),
      halfHeight_((height ? height : 1) / 2),
      time_(timeMs ? timeMs : kDragHoverDefaultMs) {}

bool TRzDragHoverTracker::Update(int x, int y, std::uint32_t nowMs) {
  const std::int64_t dx = static_cast<std::int64_t>(x) - x_;
  const std::int64_t dy = static_cast<std::int64_t>(y) - y_;
  const bool inside =
      dx >= -halfWidth_ && dx <= halfWidth_ && dy >= -halfHeight_ && dy <= halfHeight_;
  if (!resting_ || !inside) {
    resting_ = true;
    fired_ = false;
    x_ = x;
    y_ = y;
    since_ = nowMs;
    return false;
  }
  if (fired_ || nowMs - since_ <= time_) return false;
  fired_ = true;
  return true;
}

}  // namespace kovra
