// The shared desktop between tests: one test leaves the mouse where its last click was, and the
// next one's controls must not see a hover they never asked for.
#pragma once

#include <windows.h>

namespace kovra::test {

// Puts the cursor in the screen's bottom-right corner, away from where test windows are placed.
inline void ParkCursor() {
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

// Puts the cursor over client point (x, y) of `wnd`, so real mouse input agrees with sent input.
inline void PutCursorOver(HWND wnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(wnd, &p);
  SetCursorPos(p.x, p.y);
}

}  // namespace kovra::test
