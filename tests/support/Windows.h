// Finding top-level windows by process and class, ours or another program's.
#pragma once

#include <windows.h>

#include <array>
#include <cwchar>
#include <vector>

namespace kovra::test {

// A rectangle as left, top, right, bottom: comparable and printable in assertions.
inline std::array<LONG, 4> Edges(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

// The visible top-level windows of process `pid` with the class `className` (any when null),
// in z-order.
inline std::vector<HWND> VisibleWindowsOf(DWORD pid, const wchar_t* className = nullptr) {
  struct Search {
    DWORD pid;
    const wchar_t* className;
    std::vector<HWND> found;
  } search{pid, className, {}};
  EnumWindows(
      [](HWND wnd, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(wnd, &owner);
        wchar_t name[64] = {};
        GetClassNameW(wnd, name, 64);
        if (owner == s.pid && IsWindowVisible(wnd) &&
            (!s.className || std::wcscmp(name, s.className) == 0))
          s.found.push_back(wnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The dialog boxes (message boxes included) this process shows.
inline std::vector<HWND> OwnDialogBoxes() {
  return VisibleWindowsOf(GetCurrentProcessId(), L"#32770");
}

}  // namespace kovra::test
