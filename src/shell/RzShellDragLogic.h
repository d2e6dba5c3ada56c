// The timing and geometry of a drag over the shell tree and list, free of the Windows API:
// scrolling when the point nears an edge, and expanding what the point rests on.
//   DragAutoScroll        which way a point near the edges scrolls
//   TRzDragScrollTimer    lets a scroll step happen at most every 100 ms
//   TRzDragHoverTracker   reports once when the point has rested long enough
#pragma once

#include <cstdint>

namespace kovra {

constexpr int kDragScrollMarginX = 26;  // pixels from the left or right edge
constexpr int kDragScrollMarginY = 20;  // pixels from the top or bottom edge
constexpr std::uint32_t kDragScrollIntervalMs = 100;
constexpr std::uint32_t kDragHoverDefaultMs = 400;  // when the system does not say

// -1 scrolls towards the left or top, +1 towards the right or bottom, 0 not at all; a point
// outside the client area scrolls nothing.
struct TRzDragScroll {
  int Horizontal = 0;
  int Vertical = 0;
};
TRzDragScroll DragAutoScroll(int x, int y, int clientWidth, int clientHeight);

// Millisecond ticks wrap around; differences are taken modulo 2^32.
class TRzDragScrollTimer {
 public:
  // True when a step may happen now (and then counts from now).
  bool Due(std::uint32_t nowMs);
  void Reset() { started_ = false; }

 private:
  bool started_ = false;
  std::uint32_t last_ = 0;
};

class TRzDragHoverTracker {
 public:
  // The hover rectangle's width and height (centred on where the point came to rest) and how
  // long it must rest; zero sizes count as one pixel, a zero time as the default.
  TRzDragHoverTracker(std::uint32_t width, std::uint32_t height, std::uint32_t timeMs);
  void Reset() { resting_ = false; }
  // Feeds the point of a drag over. True once per rest, when the point has stayed inside the
  // rectangle for longer than the hover time.
  bool Update(int x, int y, std::uint32_t nowMs);

 private:
  std::int64_t halfWidth_, halfHeight_;
  std::uint32_t time_;
  bool resting_ = false;
  bool fired_ = false;
  int x_ = 0, y_ = 0;
  std::uint32_t since_ = 0;
};

}  // namespace kovra
