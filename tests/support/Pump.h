// Bounded polling through the framework's own message step, so keys take the framework's route
// (dialog keys, CN_ notifications) as they would in the running program. Wait.h dispatches
// messages itself and skips that route.
#pragma once

#include <windows.h>

#include <chrono>

#include "framework/Application.h"

namespace kovra::test {

// Handles the messages already waiting, through the framework's own message step.
inline void Pump() {
  Application().ProcessMessages();
}

template <class Condition>
bool PumpUntil(Condition&& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    Application().ProcessMessages();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

}  // namespace kovra::test
