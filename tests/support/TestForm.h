// A form of one test's own, and what window tests do with it: place controls on it, show it in
// front, capture what a control paints, act from inside a modal loop, never hang on a popup.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "support/Input.h"

namespace kovra::test {

// A new form at the given screen bounds, not shown yet; the application is set up first.
inline std::unique_ptr<TForm> NewForm(int left, int top, int width, int height) {
  Application().Initialize();
  auto form = std::make_unique<TForm>();
  form->SetBounds(left, top, width, height);
  return form;
}

// Shows `form` and makes it the foreground window, so focus and keys reach its controls.
inline void ShowInFront(TForm& form) {
  form.Show();
  SetForegroundWindow(form.Handle());
}

// A control made on `parent`, which owns it, at the given client bounds.
template <class T>
T* Place(TWinControl& parent, int left, int top, int width, int height) {
  auto* control = new T(&parent);
  control->SetParent(&parent);
  control->SetBounds(left, top, width, height);
  return control;
}

// A real click in the middle of `control` (a windowless one through its parent).
inline void ClickControl(TControl& control) {
  if (control.IsWindowed()) {
    auto& windowed = static_cast<TWinControl&>(control);
    ClickAt(windowed.Handle(), control.Width() / 2, control.Height() / 2);
  } else {
    ClickAt(control.Parent()->Handle(), control.Left() + control.Width() / 2,
            control.Top() + control.Height() / 2);
  }
}

// The client area as the control paints it, through WM_PRINTCLIENT into a memory DIB.
inline TBitmap CaptureClient(TWinControl& control, LPARAM flags = PRF_CLIENT) {
  TBitmap bitmap(control.ClientWidth(), control.ClientHeight());
  SendMessageW(control.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bitmap.Canvas().Handle()),
               flags);
  GdiFlush();
  return bitmap;
}

// What the screen shows in `r` (screen coordinates): children, popups and whatever lies on top.
// The screen has no alpha: the copy is made opaque, so that image viewers show every pixel.
inline TBitmap CaptureScreen(const RECT& r) {
  TBitmap shot(r.right - r.left, r.bottom - r.top);
  {
    WindowDC screen(nullptr);
    BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen.Get(), r.left, r.top,
           SRCCOPY);
  }
  GdiFlush();
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x) shot.ScanLine(y)[x] |= 0xFF000000u;
  return shot;
}

// What the screen shows of the window `wnd`, its frame included.
inline TBitmap CaptureOnScreen(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  return CaptureScreen(r);
}

// The text a hint window of the application's shows for its one tool.
inline std::wstring HintText(HWND tip) {
  wchar_t text[256] = {};
  TOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.hwnd = Application().Handle();
  ti.uId = 1;
  ti.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
  return text;
}

namespace detail {
inline std::function<void()>& PendingAction() {
  static std::function<void()> action;
  return action;
}
inline void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto action = std::move(PendingAction());
  PendingAction() = nullptr;
  if (action) action();
}
}  // namespace detail

// Runs `action` once from a timer, that is from inside whichever message loop runs by then (a
// popup's or a modal window's).
inline void During(std::function<void()> action) {
  detail::PendingAction() = std::move(action);
  SetTimer(nullptr, 0, 20, detail::RunPendingAction);
}

// Once started, presses Escape on the focused window after five seconds: a popup left open
// fails its test instead of hanging the run. Stopped when it goes.
class EscapeWatchdog {
 public:
  EscapeWatchdog() = default;
  ~EscapeWatchdog() { Stop(); }
  EscapeWatchdog(const EscapeWatchdog&) = delete;
  EscapeWatchdog& operator=(const EscapeWatchdog&) = delete;

  void Start() {
    Stop();
    timer_ = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
    });
  }
  void Stop() {
    if (timer_) KillTimer(nullptr, timer_);
    timer_ = 0;
  }

 private:
  UINT_PTR timer_ = 0;
};

}  // namespace kovra::test
