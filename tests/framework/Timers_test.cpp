// Timers tick on the thread that made them, through the message loop.
#include "framework/Timers.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/Application.h"
#include "support/Wait.h"

namespace kovra {
namespace {

using test::WaitUntil;

TEST(Timers, DefaultsAndTicksOnTheCreatingThread) {
  TTimer defaults;
  EXPECT_EQ(defaults.Interval(), 1000u);
  EXPECT_TRUE(defaults.Enabled());

  TTimer timer;
  timer.SetInterval(10);
  int ticks = 0;
  DWORD thread = 0;
  timer.OnTimer = [&](TObject* sender) {
    EXPECT_EQ(sender, &timer);
    thread = GetCurrentThreadId();
    ++ticks;
  };
  ASSERT_TRUE(WaitUntil([&] { return ticks >= 3; }));
  EXPECT_EQ(thread, GetCurrentThreadId());
}

TEST(Timers, DisabledOrZeroIntervalTimersStayQuietAndRestartWhenEnabled) {
  TTimer clock;
  clock.SetInterval(10);
  int clockTicks = 0;
  clock.OnTimer = [&](TObject*) { ++clockTicks; };
  TTimer disabled, zero;
  disabled.SetInterval(10);
  disabled.SetEnabled(false);
  zero.SetInterval(0);
  int quiet = 0;
  disabled.OnTimer = zero.OnTimer = [&](TObject*) { ++quiet; };
  ASSERT_TRUE(WaitUntil([&] { return clockTicks >= 5; }));
  EXPECT_EQ(quiet, 0);
  disabled.SetEnabled(true);
  ASSERT_TRUE(WaitUntil([&] { return quiet >= 1; }));
}

TEST(Timers, ATimerMayFreeItselfAndExceptionsDoNotStopIt) {
  auto* selfFreeing = new TTimer;
  selfFreeing->SetInterval(10);
  bool freed = false;
  selfFreeing->OnTimer = [&](TObject*) {
    delete selfFreeing;
    freed = true;
  };
  ASSERT_TRUE(WaitUntil([&] { return freed; }));

  int reported = 0;
  Application().OnException = [&](TObject*, const std::exception&) { ++reported; };
  TTimer failing;
  failing.SetInterval(10);
  failing.OnTimer = [](TObject*) { throw Exception("tick failed"); };
  ASSERT_TRUE(WaitUntil([&] { return reported >= 2; }));
  Application().OnException = nullptr;
}

}  // namespace
}  // namespace kovra
