// The message record every window procedure of the framework passes around, and the framework's
// own notifications (CM_*: control to control; CN_*: reflected from a parent to the child that
// sent it). Both live above WM_APP so that they never collide with system messages.
#pragma once

#include <windows.h>

namespace kovra {

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_MOUSEENTER = CM_BASE + 2;  // LParam: the control the mouse entered
constexpr UINT CM_MOUSELEAVE = CM_BASE + 3;  // LParam: the control the mouse left
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 4;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 5;  // WParam: new visibility
constexpr UINT CM_COLORCHANGED = CM_BASE + 6;
constexpr UINT CM_FONTCHANGED = CM_BASE + 7;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 10;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 11;    // LParam: the newly focused control
constexpr UINT CM_DIALOGKEY = CM_BASE + 12;       // WParam: virtual key; Result != 0 claims it
constexpr UINT CM_DIALOGCHAR = CM_BASE + 13;      // WParam: character; Result != 0 claims it
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 14;  // WParam: virtual key; Result != 0 keeps it
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 15;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 16;  // WParam: control; LParam: 1 inserted, 0 removed
constexpr UINT CM_HITTEST = CM_BASE + 17;        // LParam: client point; Result != 0 is a hit
constexpr UINT CM_RECREATEWND = CM_BASE + 18;
constexpr UINT CM_RELEASE = CM_BASE + 19;  // a form asked to be freed once idle
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 20;
constexpr UINT CM_ENTER = CM_BASE + 21;
constexpr UINT CM_EXIT = CM_BASE + 22;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 23;  // WParam: group index; LParam: the button
constexpr UINT CM_CANCELMODE = CM_BASE + 24;     // LParam: the control that takes focus
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 25;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 26;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 27;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 28;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 29;
constexpr UINT CM_HINTSHOW = CM_BASE + 30;
constexpr UINT CM_INVALIDATE = CM_BASE + 31;
constexpr UINT CM_BORDERCHANGED = CM_BASE + 32;
constexpr UINT CM_UIACTIVATE = CM_BASE + 33;
constexpr UINT CM_DEFERREDCALL = CM_BASE + 34;  // runs work queued by TApplication::Post
constexpr UINT CM_DELETEOBJECT = CM_BASE + 35;  // frees a window object off its own stack

// A parent reflects these to the child window they concern; the child answers them itself.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
// Keyboard messages offered to the focused control by the message loop before dispatch;
// Result != 0 means the control consumed the key.
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

inline int MessageX(LPARAM l) {
  return static_cast<short>(LOWORD(l));
}
inline int MessageY(LPARAM l) {
  return static_cast<short>(HIWORD(l));
}
inline POINT MessagePoint(LPARAM l) {
  return POINT{MessageX(l), MessageY(l)};
}
inline LPARAM PointToLParam(POINT p) {
  return MAKELPARAM(p.x, p.y);
}

}  // namespace kovra
