#include "framework/Timers.h"

namespace kovra {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = std::make_unique<TUtilityWindow>(
      [this](TMessage& m) {
        if (m.Msg != WM_TIMER || m.WParam != kTimerId) return false;
        Timer();
        return true;
      },
      TUtilityWindow::MessageOnly, std::wstring(), this);
  UpdateTimer();
}

TTimer::~TTimer() {
  Destroying();
  if (running_) KillTimer(window_->Handle(), kTimerId);
}

void TTimer::SetInterval(UINT interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateTimer();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (running_) KillTimer(window_->Handle(), kTimerId);
  running_ = false;
  if (enabled_ && interval_ > 0) {
    Check(SetTimer(window_->Handle(), kTimerId, interval_, nullptr) != 0, "SetTimer");
    running_ = true;
  }
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

}  // namespace kovra
