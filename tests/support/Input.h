// Real keyboard and mouse input through the system's input queue, as a user's hands give it:
// GetKeyState sees the modifiers, and a click goes to the window under the cursor.
#pragma once

#include <windows.h>

#include <chrono>
#include <initializer_list>
#include <iterator>
#include <string_view>
#include <vector>

#include "support/Desktop.h"

namespace kovra::test {

// Presses `keys` in order; with `release`, lets them go again in reverse order.
inline void SendKeys(std::initializer_list<WORD> keys, bool release = true) {
  std::vector<INPUT> in;
  auto add = [&](WORD vk, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  for (WORD k : keys) add(k, false);
  if (release)
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) add(*it, true);
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// Types `text` as characters, whatever the keyboard layout.
inline void TypeText(std::wstring_view text) {
  std::vector<INPUT> in;
  for (wchar_t ch : text)
    for (DWORD flags : {KEYEVENTF_UNICODE, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP}) {
      INPUT i{};
      i.type = INPUT_KEYBOARD;
      i.ki.wScan = ch;
      i.ki.dwFlags = flags;
      in.push_back(i);
    }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// A press and release of the left (or right) button where the cursor is.
inline void ClickHere(bool right = false) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

// A real click at client point (x, y) of `wnd`.
inline void ClickAt(HWND wnd, int x, int y, bool right = false) {
  PutCursorOver(wnd, x, y);
  ClickHere(right);
}

// A mouse event at screen point `at`: each event carries its own position, so a pointer warp
// that the display reports late cannot move it.
inline void MouseEventAt(DWORD flags, POINT at) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  SendInput(1, &in, sizeof(INPUT));
}

// Left-button input given one step at a time from a thread timer, so that it reaches whichever
// loop runs by then (a drag's own, say). A step goes only once the one before has arrived: the
// cursor stands where it was sent and the button is as it was left. A script still running
// after its time-out presses Escape and lets the button go, so a loop that waits for more
// input ends instead of hanging the run. One script at a time.
class MouseScript {
 public:
  MouseScript& Press(POINT at) { return Add(MOUSEEVENTF_LEFTDOWN, at, true); }
  MouseScript& Move(POINT at) { return Add(0, at, steps_.empty() ? false : steps_.back().down); }
  MouseScript& Release(POINT at) { return Add(MOUSEEVENTF_LEFTUP, at, false); }
  MouseScript& Escape() {
    steps_.push_back(Step{0, {}, steps_.empty() ? false : steps_.back().down, VK_ESCAPE});
    return *this;
  }

  ~MouseScript() { Stop(); }
  void Start(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    Stop();
    Current() = this;
    next_ = 0;
    deadline_ = std::chrono::steady_clock::now() + timeout;
    timer_ = SetTimer(nullptr, 0, 15, &MouseScript::Tick);
  }
  bool Done() const { return next_ == steps_.size() && Arrived(); }
  bool TimedOut() const { return timedOut_; }

 private:
  struct Step {
    DWORD flags;
    POINT at;
    bool down;  // the button after this step
    WORD key;
  };
  MouseScript& Add(DWORD flags, POINT at, bool down) {
    steps_.push_back(Step{flags, at, down, 0});
    return *this;
  }
  bool Arrived() const {
    if (next_ == 0) return true;
    const Step& last = steps_[next_ - 1];
    if (last.key) return true;
    POINT p{};
    GetCursorPos(&p);
    const bool down = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
    return p.x == last.at.x && p.y == last.at.y && down == last.down;
  }
  void Stop() {
    if (timer_) KillTimer(nullptr, timer_);
    timer_ = 0;
    if (Current() == this) Current() = nullptr;
  }
  static MouseScript*& Current() {
    static MouseScript* script = nullptr;
    return script;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    MouseScript* s = Current();
    if (!s) return;
    if (std::chrono::steady_clock::now() > s->deadline_) {
      s->timedOut_ = true;
      s->next_ = s->steps_.size();
      s->Stop();
      SendKeys({VK_ESCAPE});
      POINT p{};
      GetCursorPos(&p);
      MouseEventAt(MOUSEEVENTF_LEFTUP, p);
      return;
    }
    if (s->next_ == s->steps_.size()) {
      if (s->Arrived()) s->Stop();
      return;
    }
    if (!s->Arrived()) return;
    const Step& step = s->steps_[s->next_++];
    if (step.key)
      SendKeys({step.key});
    else
      MouseEventAt(step.flags, step.at);
  }

  std::vector<Step> steps_;
  size_t next_ = 0;
  std::chrono::steady_clock::time_point deadline_{};
  UINT_PTR timer_ = 0;
  bool timedOut_ = false;
};

}  // namespace kovra::test
