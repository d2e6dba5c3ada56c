// Real keyboard and mouse input through the system's input queue, as a user's hands give it:
// GetKeyState sees the modifiers, and a click goes to the window under the cursor.
#pragma once

#include <windows.h>

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

}  // namespace kovra::test
