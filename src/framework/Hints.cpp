// The application's hints: one tracking tooltip, shown for the control under the mouse.
#include <windows.h>

#include <commctrl.h>

#include "framework/Application.h"
#include "framework/Controls.h"

namespace kovra {

namespace {
constexpr UINT_PTR kHintShowTimer = 0x4B01;
constexpr UINT_PTR kHintHideTimer = 0x4B02;

TOOLINFOW HintTool(HWND owner) {
  TOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;  // accepted by every common-controls version
  ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  ti.hwnd = owner;
  ti.uId = 1;
  return ti;
}
}  // namespace

void TApplication::HintMouseEnter(TControl* control) {
  if (!control || control == hintControl_) return;
  CancelHint();
  if (!control->ShowHint() || control->Hint().empty()) return;
  hintControl_ = control;
  SetTimer(Handle(), kHintShowTimer, hintPause_, nullptr);
}

void TApplication::HintMouseLeave(TControl* control) {
  if (control && control == hintControl_) CancelHint();
}

void TApplication::CancelHint() {
  hintControl_ = nullptr;
  if (!window_) return;
  KillTimer(window_->Handle(), kHintShowTimer);
  KillTimer(window_->Handle(), kHintHideTimer);
  if (hintWindow_) {
    TOOLINFOW ti = HintTool(window_->Handle());
    SendMessageW(hintWindow_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
  }
}

bool TApplication::HandleHintTimer(UINT_PTR id) {
  if (id == kHintShowTimer) {
    KillTimer(Handle(), kHintShowTimer);
    ShowHintNow();
    return true;
  }
  if (id == kHintHideTimer) {
    CancelHint();
    return true;
  }
  return false;
}

void TApplication::ShowHintNow() {
  if (!hintControl_) return;
  HWND owner = Handle();
  TOOLINFOW ti = HintTool(owner);
  if (!hintWindow_) {
    hintWindow_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!hintWindow_) return;  // no hint is better than an error box for one
    ti.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(hintWindow_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageW(hintWindow_, TTM_SETMAXTIPWIDTH, 0, 400);
  }
  std::wstring text = Wide(hintControl_->Hint());
  ti.lpszText = text.data();
  SendMessageW(hintWindow_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageW(hintWindow_, TTM_SETTIPBKCOLOR, ToColorRef(hintColor_), 0);
  POINT cursor;
  GetCursorPos(&cursor);
  SendMessageW(hintWindow_, TTM_TRACKPOSITION, 0, MAKELPARAM(cursor.x, cursor.y + 20));
  SendMessageW(hintWindow_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
  if (hintHidePause_ > 0) SetTimer(owner, kHintHideTimer, hintHidePause_, nullptr);
}

}  // namespace kovra
