// TTimer: a window timer on the thread that created it, ticking through a hidden window.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/Components.h"
#include "framework/WindowClass.h"

namespace kovra {

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner = nullptr);
  ~TTimer() override;

  // Milliseconds; 0 stops the timer. Changing it restarts the count.
  UINT Interval() const { return interval_; }
  void SetInterval(UINT interval);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  TNotifyEvent OnTimer;

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();

  UINT interval_ = 1000;
  bool enabled_ = true;
  bool running_ = false;
  std::unique_ptr<TUtilityWindow> window_;
};

}  // namespace kovra
