// Clicks one of the bar's buttons as a user would, for the demo:
//   BarClick.exe [--wait TEXT] CAPTION
// waits (up to 20 s) for Kovra's bar and, with --wait, for its stock box to show TEXT, then
// moves the mouse over the control captioned CAPTION and clicks it. Exit code 0 when clicked.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
  const std::wstring* text;
  HWND found = nullptr;
};

std::wstring TextOf(HWND wnd) {
  wchar_t buffer[256] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(wnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                           1000, &length))
    return {};
  return std::wstring(buffer, std::min<size_t>(length, 255));
}

HWND FindBar() {
  HWND bar = nullptr;
  while ((bar = FindWindowExW(nullptr, bar, L"KovraForm", nullptr)))
    if (IsWindowVisible(bar)) return bar;
  return nullptr;
}

HWND FindChildWithText(HWND bar, const std::wstring& text) {
  Search search{&text};
  EnumChildWindows(
      bar,
      [](HWND child, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        if (TextOf(child) != *s.text) return TRUE;
        s.found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

template <class F>
HWND Poll(F find) {
  for (int i = 0; i < 400; ++i) {
    if (HWND wnd = find()) return wnd;
    Sleep(50);
  }
  return nullptr;
}

void ClickAt(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  const LONG x = MulDiv((r.left + r.right) / 2, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  const LONG y = MulDiv((r.top + r.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  INPUT in[2]{};
  for (INPUT& event : in) {
    event.type = INPUT_MOUSE;
    event.mi.dx = x;
    event.mi.dy = y;
  }
  // The pointer moves to the button with the press itself, as a hand on the mouse would.
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring wait, caption;
  for (int i = 1; i < argc; ++i) {
    if (std::wstring(argv[i]) == L"--wait" && i + 1 < argc)
      wait = argv[++i];
    else
      caption = argv[i];
  }
  if (caption.empty()) {
    std::fputs("usage: BarClick.exe [--wait TEXT] CAPTION\n", stderr);
    return 2;
  }
  const HWND bar = Poll(FindBar);
  if (!bar) {
    std::fputs("no bar\n", stderr);
    return 1;
  }
  if (!wait.empty() && !Poll([&] { return FindChildWithText(bar, wait); })) {
    std::fputs("the stock box never showed the text\n", stderr);
    return 1;
  }
  const HWND button = FindChildWithText(bar, caption);
  if (!button) {
    std::fputs("no such button\n", stderr);
    return 1;
  }
  ClickAt(button);
  return 0;
}
