#include "app/Global.h"

#include <gtest/gtest.h>

#include "framework/runtime/Numbers.h"

namespace kovra {
namespace {

// A message-only window of the test's own thread that counts what reaches it.
class Counter {
 public:
  Counter() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (msg == kCount) {
        ++*reinterpret_cast<int*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
        return 0;
      }
      return DefWindowProcW(wnd, msg, wParam, lParam);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KovraWaitCounter";
    RegisterClassW(&wc);
    wnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           wc.hInstance, nullptr);
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count_));
  }
  ~Counter() { DestroyWindow(wnd_); }
  HWND Window() const { return wnd_; }
  int Count() const { return count_; }

  static constexpr UINT kCount = WM_APP + 1;

 private:
  HWND wnd_ = nullptr;
  int count_ = 0;
};

TEST(WaitMs, ZeroStillHandlesWhatIsWaiting) {
  Counter counter;
  PostMessageW(counter.Window(), Counter::kCount, 0, 0);
  PostMessageW(counter.Window(), Counter::kCount, 0, 0);
  WaitMs(0);
  EXPECT_EQ(counter.Count(), 2);
}

TEST(WaitMs, KeepsHandlingMessagesForTheWholeWait) {
  Counter counter;
  int ticks = 0;
  static int* tickCount = nullptr;
  tickCount = &ticks;
  const UINT_PTR timer =
      SetTimer(counter.Window(), 1, 20, [](HWND, UINT, UINT_PTR, DWORD) { ++*tickCount; });
  const DWORD start = GetTickCount();
  WaitMs(300);
  const DWORD elapsed = GetTickCount() - start;
  KillTimer(counter.Window(), timer);
  EXPECT_GE(elapsed, 300u);
  EXPECT_GE(ticks, 3);  // timers ran during the wait, not only at its end
}

TEST(WaitMs, MessagesPostedDuringTheWaitAreHandledBeforeItEnds) {
  Counter counter;
  static HWND target = nullptr;
  target = counter.Window();
  // A timer that posts a message of its own half-way through.
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostMessageW(target, Counter::kCount, 0, 0);
  });
  WaitMs(200);
  KillTimer(nullptr, timer);
  EXPECT_EQ(counter.Count(), 1);
}

TEST(PollMs, EndsAsSoonAsTheConditionHoldsAndHandlesMessagesMeanwhile) {
  Counter counter;
  static HWND target = nullptr;
  target = counter.Window();
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostMessageW(target, Counter::kCount, 0, 0);
  });
  const DWORD start = GetTickCount();
  EXPECT_TRUE(PollMs(5000, [&] { return counter.Count() == 1; }));
  EXPECT_LT(GetTickCount() - start, 5000u);  // ended with the condition, not at the limit
  KillTimer(nullptr, timer);
}

TEST(PollMs, GivesUpAtTheLimitAndAsksAtLeastOnce) {
  int asked = 0;
  const DWORD start = GetTickCount();
  EXPECT_FALSE(PollMs(100, [&] { return ++asked < 0; }));
  EXPECT_GE(GetTickCount() - start, 100u);
  EXPECT_GT(asked, 1);
  asked = 0;
  EXPECT_FALSE(PollMs(0, [&] { return ++asked < 0; }));
  EXPECT_EQ(asked, 1);
}

TEST(Global, PathsComeFromTheExecutable) {
  wchar_t name[MAX_PATH];
  GetModuleFileNameW(nullptr, name, MAX_PATH);
  ASSERT_FALSE(ExeDir().empty());
  EXPECT_EQ(ExeDir().back(), '\\');
  EXPECT_EQ(IniPath(), ExeDir() + "app_tests.ini");
}

TEST(Global, StateStartsEmptyAndFixesThePointAsDecimalSeparator) {
  FormatSettings().DecimalSeparator = ',';
  {
    TGlobalStateScope scope;
    ASSERT_NE(GlobalState, nullptr);
    EXPECT_EQ(GlobalState->TradePid, 0u);
    EXPECT_EQ(GlobalState->TradeWnd, nullptr);
    EXPECT_TRUE(GlobalState->CurrentCode.empty());
    EXPECT_EQ(FormatSettings().DecimalSeparator, '.');
    EXPECT_EQ(FormatSettings().ShortDateFormat, "yyyy-mm-dd");
    EXPECT_EQ(static_cast<double>(TryStrToFloat("12.34").value_or(0)), 12.34);
    EXPECT_THROW(TGlobalStateScope second, EInvalidOperation);
    EXPECT_NE(GlobalState, nullptr);
  }
  EXPECT_EQ(GlobalState, nullptr);
}

}  // namespace
}  // namespace kovra
