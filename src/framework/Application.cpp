// TApplication: the hidden window, the message loop, exceptions, minimise and restore.
#include "framework/Application.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/Controls.h"
#include "framework/Forms.h"

namespace kovra {

TApplication& Application() {
  static TApplication application;
  return application;
}

namespace {

std::string ModuleBaseName() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path, std::min<DWORD>(n, MAX_PATH));
  if (auto slash = name.find_last_of(L"\\/"); slash != std::wstring::npos) name.erase(0, slash + 1);
  if (auto dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.erase(dot);
  return Narrow(name);
}

}  // namespace

TApplication::TApplication() : title_(ModuleBaseName()) {
  if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)))
    icon_.SetHandle(CopyIcon(icon));
  const int small = GetSystemMetrics(SM_CXSMICON);
  if (auto* icon = static_cast<HICON>(
          LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, small, small, 0)))
    smallIcon_.SetHandle(icon);
}

TApplication::~TApplication() {
  // Forms still owned here at exit are freed while the window system is still usable.
  DestroyForms();
}

void TApplication::Initialize() {
  if (initialized_) return;
  initialized_ = true;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  Handle();
}

HWND TApplication::Handle() {
  if (!initialized_) Initialize();  // creates the window
  if (!window_) {
    window_ = std::make_unique<TUtilityWindow>([this](TMessage& m) { return HandleAppMessage(m); },
                                               TUtilityWindow::TopLevel, Wide(title_));
    HWND wnd = window_->Handle();
    // A zero-sized captioned popup: invisible, yet it carries the taskbar button.
    SetWindowLongPtrW(wnd, GWL_STYLE,
                      WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX);
    if (exStyleSet_) SetWindowLongPtrW(wnd, GWL_EXSTYLE, exStyle_);
    SetWindowPos(wnd, nullptr, GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2,
                 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (icon_.Handle()) {
      SendMessageW(wnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.Handle()));
      SendMessageW(wnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.Handle()));
    }
  }
  return window_->Handle();
}

void TApplication::SetExStyle(DWORD exStyle) {
  exStyle_ = exStyle;
  exStyleSet_ = true;
  if (!window_) return;
  HWND wnd = window_->Handle();
  // The taskbar reads the style when the window is shown.
  const bool visible = IsWindowVisible(wnd) != FALSE;
  if (visible) ShowWindow(wnd, SW_HIDE);
  SetWindowLongPtrW(wnd, GWL_EXSTYLE, exStyle);
  if (visible) ShowWindow(wnd, SW_SHOWNOACTIVATE);
}

void TApplication::SetTitle(std::string_view title) {
  if (title == title_) return;
  title_ = title;
  if (window_) SetWindowTextW(window_->Handle(), Wide(title_).c_str());
}

void TApplication::SetIcon(const TIcon& icon) {
  icon_.Assign(icon);
  smallIcon_.Assign(icon);
  if (!window_) return;
  SendMessageW(window_->Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.Handle()));
  SendMessageW(window_->Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.Handle()));
}

// ---- forms ----

void TApplication::AdoptForm(std::unique_ptr<TForm> form) {
  TForm* raw = form.get();
  forms_.push_back(std::move(form));
  if (!mainForm_) mainForm_ = raw;
  raw->AfterConstruction();
}

void TApplication::FormDestroyed(TForm* form) {
  if (mainForm_ == form) mainForm_ = nullptr;
  for (auto& owned : forms_)
    if (owned.get() == form) {
      owned.release();  // freed by whoever is deleting it
      break;
    }
  forms_.erase(std::remove(forms_.begin(), forms_.end(), nullptr), forms_.end());
}

void TApplication::DestroyForms() {
  while (!forms_.empty()) {
    TForm* form = forms_.back().release();
    forms_.pop_back();
    delete form;
  }
  mainForm_ = nullptr;
}

void TApplication::ScheduleDelete(TObject* object) {
  if (!object || pendingDeletes_.contains(object)) return;
  pendingDeletes_.insert(object);
  PostMessageW(Handle(), CM_DELETEOBJECT, 0, reinterpret_cast<LPARAM>(object));
}

void TApplication::CancelScheduledDelete(TObject* object) {
  pendingDeletes_.erase(object);
}

// ---- the loop ----

void TApplication::Run() {
  Initialize();
  if (!mainForm_) return;
  terminated_ = false;  // a quit still queued ends this run as well
  if (showMainForm_) {
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    mainForm_->Show();
  }
  while (!terminated_) HandleMessage();
  DestroyForms();
}

bool TApplication::PreProcessMessage(MSG& msg) {
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR:
      break;
    default:
      return false;
  }
  TWinControl* control = TWinControl::FindControl(msg.hwnd);
  return control && control->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool TApplication::ProcessMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  try {
    if (!PreProcessMessage(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  } catch (...) {
    HandleException(nullptr);
  }
  return true;
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

void TApplication::HandleMessage() {
  // Unlike WaitMessage, this also wakes for input someone else peeked at without removing.
  if (!ProcessMessage())
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void TApplication::Terminate() {
  PostQuitMessage(0);
}

// ---- exceptions ----

void TApplication::HandleException(TObject* sender) {
  std::exception_ptr current = std::current_exception();
  if (!current) return;
  try {
    std::rethrow_exception(current);
  } catch (const std::exception& error) {
    try {
      if (OnException)
        OnException(sender, error);
      else
        ShowException(error);
    } catch (...) {
      // A failing handler must not take the loop down with it.
    }
  } catch (...) {
    try {
      const Exception unknown("Unknown exception");
      if (OnException)
        OnException(sender, unknown);
      else
        ShowException(unknown);
    } catch (...) {
    }
  }
}

void TApplication::ShowException(const std::exception& error) {
  std::string text = error.what();
  if (!text.empty() && text.back() != '.') text += '.';
  MessageBox(text, title_, MB_OK | MB_ICONSTOP);
}

HWND TApplication::DialogOwner() const {
  HWND owner = GetActiveWindow();
  if (!owner && mainForm_ && mainForm_->HandleAllocated() && mainForm_->Visible())
    owner = mainForm_->WindowHandle();
  return owner;
}

int TApplication::MessageBox(std::string_view text, std::string_view caption, UINT flags) {
  const HWND owner = DialogOwner();
  const std::wstring wideText = Wide(text);
  const std::wstring wideCaption = Wide(caption.empty() ? std::string_view(title_) : caption);
  ModalStarted();
  struct Finish {
    TApplication* app;
    ~Finish() { app->ModalFinished(); }
  } finish{this};
  return ::MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), flags);
}

// ---- help ----

namespace {

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
constexpr UINT kHtmlHelpDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kHtmlHelpDisplayToc = 0x0001;    // HH_DISPLAY_TOC
constexpr UINT kHtmlHelpContext = 0x000F;       // HH_HELP_CONTEXT

bool IsHtmlHelpFile(const std::wstring& path) {
  return path.size() >= 4 && lstrcmpiW(path.c_str() + path.size() - 4, L".chm") == 0;
}

// HTML Help lives in hhctrl.ocx, loaded with the first request for it.
HtmlHelpFn HtmlHelpEntry() {
  static const HtmlHelpFn entry = [] {
    HMODULE viewer = LoadLibraryW(L"hhctrl.ocx");
    return viewer ? reinterpret_cast<HtmlHelpFn>(
                        reinterpret_cast<void*>(GetProcAddress(viewer, "HtmlHelpW")))
                  : nullptr;
  }();
  return entry;
}

}  // namespace

bool TApplication::HelpCommand(UINT command, ULONG_PTR data) {
  bool callHelp = true;
  bool answered = false;
  if (OnHelp) answered = OnHelp(command, data, callHelp);
  if (!callHelp || helpFile_.empty()) return answered;
  const std::wstring file = Wide(helpFile_);
  if (IsHtmlHelpFile(file)) {
    const HtmlHelpFn htmlHelp = HtmlHelpEntry();
    if (!htmlHelp) return answered;
    const UINT htmlCommand = command == HELP_CONTEXT ? kHtmlHelpContext
                             : command == HELP_FINDER || command == HELP_CONTENTS
                                 ? kHtmlHelpDisplayToc
                                 : kHtmlHelpDisplayTopic;
    return htmlHelp(DialogOwner(), file.c_str(), htmlCommand, data) != nullptr || answered;
  }
  return WinHelpW(DialogOwner(), file.c_str(), command, data) != FALSE || answered;
}

void TApplication::ModalStarted() {
  ++modalLevel_;
}
void TApplication::ModalFinished() {
  if (modalLevel_ > 0) --modalLevel_;
}

// ---- minimise and restore ----

bool TApplication::IsMinimized() {
  return IsIconic(Handle()) != FALSE;
}

void TApplication::Minimize() {
  if (IsMinimized()) return;
  HWND wnd = Handle();
  ShowWindow(wnd, SW_MINIMIZE);
  ShowOwnedPopups(wnd, FALSE);
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  if (!IsMinimized()) return;
  HWND wnd = Handle();
  ShowWindow(wnd, SW_RESTORE);
  ShowOwnedPopups(wnd, TRUE);
  if (OnRestore) OnRestore(this);
}

int TApplication::HookMainWindow(TWindowHook hook) {
  const int id = nextHookId_++;
  hooks_.emplace_back(id, std::move(hook));
  return id;
}

void TApplication::UnhookMainWindow(int hookId) {
  std::erase_if(hooks_, [hookId](const auto& h) { return h.first == hookId; });
}

bool TApplication::HandleAppMessage(TMessage& m) {
  // A hook may unhook itself while it runs: walk a copy.
  const auto hooks = hooks_;
  for (const auto& [id, hook] : hooks)
    if (hook && hook(m)) return true;
  switch (m.Msg) {
    case CM_DELETEOBJECT: {
      auto* object = reinterpret_cast<TObject*>(m.LParam);
      if (pendingDeletes_.erase(object)) {
        if (auto* form = dynamic_cast<TForm*>(object)) FormDestroyed(form);
        delete object;
      }
      return true;
    }
    case CM_RECREATEWND: {
      auto* object = reinterpret_cast<TWindowObject*>(m.LParam);
      if (TWindowObject::IsAlive(object))
        if (auto* control = dynamic_cast<TWinControl*>(object)) control->RecreateWnd();
      return true;
    }
    case WM_SYSCOMMAND:
      switch (m.WParam & 0xFFF0) {
        case SC_MINIMIZE:
          Minimize();
          return true;
        case SC_RESTORE:
          Restore();
          return true;
        default:
          return false;
      }
    case WM_CLOSE:
      if (mainForm_) mainForm_->Close();
      return true;
    case WM_TIMER:
      return HandleHintTimer(m.WParam);
    case WM_ACTIVATEAPP:
      if (!m.WParam) CancelHint();
      return false;
    case WM_SETFOCUS:
      if (mainForm_ && mainForm_->HandleAllocated() && IsWindowVisible(mainForm_->WindowHandle()))
        SetFocus(mainForm_->WindowHandle());
      return true;
    default:
      return false;
  }
}

}  // namespace kovra
