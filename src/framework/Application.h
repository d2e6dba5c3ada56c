// The application object: its hidden window (the program's taskbar presence), the message loop,
// modal bookkeeping, exception reporting and minimise/restore with replaceable notifications.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "framework/Graphics.h"
#include "framework/Messages.h"
#include "framework/SysUtils.h"
#include "framework/WindowClass.h"
#include "framework/runtime/Colors.h"

namespace kovra {

class TForm;
class TControl;

using TExceptionEvent = std::function<void(TObject* sender, const std::exception& error)>;
// Sees a help request first; clearing `callHelp` answers it alone, and the result says whether
// it was answered.
using THelpEvent = std::function<bool(UINT command, ULONG_PTR data, bool& callHelp)>;

class TApplication : public TObject {
 public:
  TApplication();
  ~TApplication() override;

  // Registers the common controls and creates the hidden window; safe to call again.
  void Initialize();

  const std::string& Title() const { return title_; }
  void SetTitle(std::string_view title);

  // The hidden application window, created on demand. Forms without an explicit parent are
  // owned by it, so minimising it hides them together.
  HWND Handle();
  // Replaces the hidden window's extended style (WS_EX_TOOLWINDOW removes the taskbar button).
  void SetExStyle(DWORD exStyle);

  // Constructs a form owned by the application; the first one becomes the main form. The
  // forms are freed, newest first, when Run returns.
  template <class T, class... Args>
  T* CreateForm(Args&&... args) {
    auto form = std::make_unique<T>(std::forward<Args>(args)...);
    T* raw = form.get();
    AdoptForm(std::unique_ptr<TForm>(std::move(form)));
    return raw;
  }
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool value) { showMainForm_ = value; }

  // Shows the main form and handles messages until the application terminates (the main form
  // closed, or Terminate). Returns at once without a main form.
  void Run();
  // Handles every waiting message, then returns. The loop step of message-pumping waits.
  // Keys are offered to the focused control (CN_KEYDOWN, CN_CHAR) and to its form as dialog
  // keys (Tab, Enter, Escape) before dispatch; a loop that calls DispatchMessage itself skips
  // that.
  void ProcessMessages();
  // Handles one message, waiting for one when the queue is empty.
  void HandleMessage();
  // Ends the loop: a WM_QUIT is posted and Terminated becomes true when it is handled.
  void Terminate();
  bool Terminated() const { return terminated_; }

  const TIcon& Icon() const { return icon_; }
  // The icon at the system's small-icon size (the notification area's): the resource's own image
  // for the screen's resolution rather than the large one shrunk.
  const TIcon& SmallIcon() const { return smallIcon_; }
  void SetIcon(const TIcon& icon);
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor color) { hintColor_ = color; }
  // Hints: a control with ShowHint and a Hint shows it in a tooltip after the mouse has rested
  // on it for HintPause milliseconds, until the mouse leaves or HintHidePause passes.
  UINT HintPause() const { return hintPause_; }
  void SetHintPause(UINT ms) { hintPause_ = ms; }
  UINT HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(UINT ms) { hintHidePause_ = ms; }
  void HintMouseEnter(TControl* control);
  void HintMouseLeave(TControl* control);
  // The tooltip window, once a hint was shown (for tests and accessibility tools).
  HWND HintWindow() const { return hintWindow_; }

  // Minimise hides every form with the hidden window; each fires its notification after the
  // change, and neither does anything when the application is already in that state.
  void Minimize();
  void Restore();
  bool IsMinimized();
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  // Hooks see the hidden window's messages first; one returning true answers the message.
  using TWindowHook = std::function<bool(TMessage&)>;
  int HookMainWindow(TWindowHook hook);
  void UnhookMainWindow(int hookId);

  // Call inside a catch block: the current exception goes to OnException when assigned, else to
  // ShowException. Never throws.
  void HandleException(TObject* sender);
  void ShowException(const std::exception& error);
  TExceptionEvent OnException;

  // The help command: OnHelp first, then the help file in the system's viewer (HTML Help for a
  // .chm, WinHelp for others). Returns whether the request was answered; without a handler and
  // a file nothing is shown.
  bool HelpCommand(UINT command, ULONG_PTR data);
  bool HelpContext(int context) {
    return HelpCommand(HELP_CONTEXT, static_cast<ULONG_PTR>(context));
  }
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(std::string_view path) { helpFile_ = path; }
  THelpEvent OnHelp;

  // A modal message box owned by the active window; an empty caption means the title.
  int MessageBox(std::string_view text, std::string_view caption = {}, UINT flags = MB_OK);

  int ModalLevel() const { return modalLevel_; }
  void ModalStarted();
  void ModalFinished();

  // Frees `object` once the message that asked for it has unwound (a form freeing itself from
  // its own close handler). CancelScheduledDelete forgets a pending request.
  void ScheduleDelete(TObject* object);
  void CancelScheduledDelete(TObject* object);
  // Forms owned by the application give up ownership when freed elsewhere.
  void FormDestroyed(TForm* form);

 private:
  void AdoptForm(std::unique_ptr<TForm> form);
  bool ProcessMessage();
  bool PreProcessMessage(MSG& msg);
  bool HandleAppMessage(TMessage& m);
  // The window a message box or help viewer belongs to: the active one, else the main form.
  HWND DialogOwner() const;
  void DestroyForms();
  bool HandleHintTimer(UINT_PTR id);
  void ShowHintNow();
  void CancelHint();

  std::string title_;
  std::string helpFile_;
  std::unique_ptr<TUtilityWindow> window_;
  DWORD exStyle_ = 0;
  bool exStyleSet_ = false;
  std::vector<std::unique_ptr<TForm>> forms_;
  TForm* mainForm_ = nullptr;
  bool showMainForm_ = true;
  bool terminated_ = false;
  bool initialized_ = false;
  int modalLevel_ = 0;
  TIcon icon_;
  TIcon smallIcon_;
  TColor hintColor_ = clInfoBk;
  UINT hintPause_ = 500;
  UINT hintHidePause_ = 2500;
  TControl* hintControl_ = nullptr;
  HWND hintWindow_ = nullptr;  // destroyed with the hidden window, its owner
  std::vector<std::pair<int, TWindowHook>> hooks_;
  int nextHookId_ = 1;
  std::unordered_set<TObject*> pendingDeletes_;
};

TApplication& Application();

}  // namespace kovra
