// Window classes and the one window procedure behind every framework window.
//   TWindowObject    an object bound to an HWND (our class or a subclassed system control)
//   TCreateParams    what CreateWindowEx receives, including the class to register or subclass
//   TUtilityWindow   a hidden window whose messages go to a callback (timers, menus, hooks)
//   Wide / Narrow    UTF-8 <-> UTF-16 at the Win32 call; WindowText reads a window's text
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "framework/Messages.h"

namespace kovra {

class TObject;

std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// The text of any window, ours or another process's, bounded to `maxChars` characters.
std::string WindowText(HWND wnd, int maxChars = 32767);

struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  HMENU Menu = nullptr;  // child-window identifier for child windows
  // A class of our own is registered on first use with ClassStyle; a system class (EDIT,
  // BUTTON, ...) is created as it is and subclassed.
  std::wstring ClassName = L"KovraWindow";
  UINT ClassStyle = CS_DBLCLKS;
  HCURSOR Cursor = nullptr;  // null: the arrow
  HICON Icon = nullptr;
};

// Anything that receives the messages of one window. The window procedure catches every
// exception a handler throws and hands it to the application, so the loop goes on.
class TWindowObject {
 public:
  TWindowObject();
  virtual ~TWindowObject();
  TWindowObject(const TWindowObject&) = delete;
  TWindowObject& operator=(const TWindowObject&) = delete;

  HWND WindowHandle() const { return wnd_; }
  bool IsSubclassed() const { return subclassed_; }
  // True while one of this window's messages is being handled further up the stack: the
  // object must not be freed then (free it through TApplication::ScheduleDelete).
  bool InOwnMessage() const { return depth_ > 0; }

  // The object whose window `wnd` is, or null for windows that are not ours.
  static TWindowObject* FromHandle(HWND wnd);
  static bool IsAlive(const TWindowObject* object);

 protected:
  // Creates the window for this object; throws EOSError when the system refuses.
  HWND CreateObjectWindow(TCreateParams& params);
  // Unbinds the window from the object (its further messages take the default path) and
  // destroys it. Safe when no window exists.
  void DestroyObjectWindow();
  // The system's or the subclassed control's own handling.
  LRESULT CallDefault(TMessage& m);

  virtual void HandleWindowMessage(TMessage& m) = 0;
  // The window is gone (WM_NCDESTROY came through); the handle is already cleared.
  virtual void WindowDestroyed() {}
  // Passed to the application's exception handler as the sender.
  virtual TObject* ExceptionSender() { return nullptr; }

 private:
  friend struct WindowProcedures;
  void Bind(HWND wnd, bool subclassed);
  void Unbind();

  HWND wnd_ = nullptr;
  bool subclassed_ = false;
  int depth_ = 0;
};

// A hidden window for framework services: message-only unless it must own popup menus or
// stand for the program, in which case it is an invisible top-level window.
class TUtilityWindow : public TWindowObject {
 public:
  // The handler returns true when it answered the message (in m.Result).
  using Handler = std::function<bool(TMessage&)>;
  enum Kind { MessageOnly, TopLevel };

  // `sender` is what the application's exception handler is told threw.
  explicit TUtilityWindow(Handler handler, Kind kind = MessageOnly, std::wstring caption = {},
                          TObject* sender = nullptr);
  ~TUtilityWindow() override;
  HWND Handle() const { return WindowHandle(); }

 protected:
  void HandleWindowMessage(TMessage& m) override;
  TObject* ExceptionSender() override { return sender_; }

 private:
  Handler handler_;
  TObject* sender_;
};

}  // namespace kovra
