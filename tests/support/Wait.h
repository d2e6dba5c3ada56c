// Bounded polling for tests: wait for a condition, never for a lucky sleep.
#pragma once

#include <windows.h>

#include <chrono>

namespace kovra::test {

// Pumps this thread's messages while polling `condition` every few milliseconds, up to `timeout`.
// Returns whether the condition came true.
template <class Condition>
bool WaitUntil(Condition&& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

}  // namespace kovra::test
