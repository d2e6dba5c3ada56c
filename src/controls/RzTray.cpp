#include "controls/RzTray.h"

#include <algorithm>
#include <atomic>

#include "framework/Application.h"
#include "framework/Forms.h"

namespace kovra {

namespace {

TRzTrayIcon::TShellNotifyIcon& ShellHook() {
  static TRzTrayIcon::TShellNotifyIcon hook;
  return hook;
}

// The major version of the shell library; 0 when it cannot tell. Loads the library, which the
// icon's calls need anyway; it stays for the process.
DWORD ShellMajorVersion() {
  struct VersionInfo {
    DWORD cbSize, dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformID;
  };
  using GetVersionProc = HRESULT(CALLBACK*)(VersionInfo*);
  HMODULE shell = LoadLibraryW(L"shell32.dll");
  if (!shell) return 0;
  auto proc = reinterpret_cast<GetVersionProc>(
      reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")));
  if (!proc) return 0;
  VersionInfo info{sizeof(VersionInfo), 0, 0, 0, 0};
  return SUCCEEDED(proc(&info)) ? info.dwMajorVersion : 0;
}

// A one-shot timer of the component's own window, set by Loaded: the icon joins the shell once
// the message loop runs and the owner's windows have painted (the queue hands out timer
// messages only when no paint is due). The shell call is slow the first time, and a posted
// message would come before the paints.
constexpr UINT_PTR kAddIconTimer = 0x4B41;

UINT NextIconId() {
  static std::atomic<UINT> next{1};
  return next++;
}

// At most `limit` UTF-16 units, never ending inside a surrogate pair.
std::wstring CutTip(const std::wstring& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t n = limit;
  if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return text.substr(0, n);
}

}  // namespace

UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

void TRzTrayIcon::SetShellNotifyIconHook(TShellNotifyIcon hook) {
  ShellHook() = std::move(hook);
}

TRzTrayIcon::TRzTrayIcon(TComponent* owner) : TComponent(owner) {
  UseApplicationIcon();
  timer_ = std::make_unique<TTimer>();
  timer_->SetEnabled(false);
  timer_->SetInterval(1000);
  timer_->OnTimer = [this](TObject*) { AnimationTick(); };
  iconsLink_.OnChange = [this](TObject*) { SetIconIndex(iconIndex_); };
  iconsLink_.OnFree = [this](TObject*) { icons_ = nullptr; };
  window_ = std::make_unique<TUtilityWindow>([this](TMessage& m) { return HandleMessage(m); },
                                             TUtilityWindow::TopLevel);
  data_.cbSize = NOTIFYICONDATAW_V2_SIZE;  // until the first call settles the layout
  data_.hWnd = window_->Handle();
  data_.uID = NextIconId();
  data_.uFlags = NIF_MESSAGE | NIF_ICON;
  data_.uCallbackMessage = kCallbackMessage;
  data_.hIcon = icon_.Handle();
  InstallAppHandlers();
  UpdateIcon();
  SetEnabled(true);
}

TRzTrayIcon::~TRzTrayIcon() {
  Destroying();
  DeleteIcon();
  if (handlersInstalled_) {
    Application().OnMinimize = nullptr;
    Application().OnRestore = nullptr;
  }
  if (icons_) icons_->UnRegisterChanges(iconsLink_);
}

// The shell library loads on its first call, so its version is asked only then: creating the
// icon during start-up costs no library load.
void TRzTrayIcon::SettleShellLayout() {
  if (layoutSettled_) return;
  layoutSettled_ = true;
  newLayout_ = ShellMajorVersion() >= 5;
  data_.cbSize = newLayout_ ? NOTIFYICONDATAW_V2_SIZE : NOTIFYICONDATAW_V1_SIZE;
  ApplyTip();
}

bool TRzTrayIcon::NewShellLayout() {
  SettleShellLayout();
  return newLayout_;
}

BOOL TRzTrayIcon::Notify(DWORD message) {
  SettleShellLayout();
  if (const TShellNotifyIcon& hook = ShellHook()) return hook(message, data_);
  return Shell_NotifyIconW(message, &data_);
}

void TRzTrayIcon::InstallAppHandlers() {
  Application().OnMinimize = [this](TObject*) { MinimizeApp(); };
  Application().OnRestore = [this](TObject*) { RestoreApp(); };
  handlersInstalled_ = true;
}

void TRzTrayIcon::UpdateIcon() {
  data_.hIcon = icon_.Handle();
  // An icon still to be added carries the change with it.
  if (IsLoading() || addPending_) return;
  Notify(NIM_MODIFY);
}

void TRzTrayIcon::AddIcon() {
  addPending_ = false;  // whatever Loaded deferred is settled here
  if (enabled_) {
    if (!Notify(NIM_ADD)) {
      // The shell refuses an icon it already shows (a spurious restart notice, say); the icon
      // is there then, and only an icon that cannot be shown at all counts as refused.
      if (!Notify(NIM_MODIFY)) enabled_ = false;
    }
  } else {
    Notify(NIM_DELETE);
  }
  InstallAppHandlers();
}

void TRzTrayIcon::DeleteIcon() {
  Notify(NIM_DELETE);
}

void TRzTrayIcon::SetEnabled(bool value) {
  if (value == enabled_ && !readding_) return;
  enabled_ = value;
  if (!IsLoading()) AddIcon();
}

void TRzTrayIcon::SetHint(std::string_view value) {
  if (value == hint_) return;
  hint_ = value;
  ApplyTip();
  UpdateIcon();
}

void TRzTrayIcon::ApplyTip() {
  const std::wstring tip = CutTip(Wide(hint_), newLayout_ ? kNewTipLength : kOldTipLength);
  std::fill(std::begin(data_.szTip), std::end(data_.szTip), L'\0');
  std::copy(tip.begin(), tip.end(), data_.szTip);
  if (hint_.empty())
    data_.uFlags &= ~NIF_TIP;
  else
    data_.uFlags |= NIF_TIP;
}

bool TRzTrayIcon::ShowBalloonHint(std::string_view title, std::string_view text,
                                  TRzBalloonHintIcon icon, UINT timeoutMs) {
  static constexpr DWORD kIconFlags[] = {NIIF_NONE, NIIF_INFO, NIIF_WARNING, NIIF_ERROR};
  return NotifyBalloon(title, text, kIconFlags[icon <= bhiError ? icon : bhiInfo], timeoutMs);
}

void TRzTrayIcon::HideBalloonHint() {
  // An empty text takes the balloon down.
  NotifyBalloon({}, {}, NIIF_NONE, 0);
}

bool TRzTrayIcon::NotifyBalloon(std::string_view title, std::string_view text, DWORD iconFlags,
                                UINT timeoutMs) {
  SettleShellLayout();
  if (!enabled_ || !newLayout_ || IsLoading()) return false;
  // An add still deferred to the first paint would come after the balloon and lose it.
  if (addPending_) {
    KillTimer(window_->Handle(), kAddIconTimer);
    AddIcon();
    if (!enabled_) return false;
  }
  const std::wstring cutTitle = CutTip(Wide(title), kBalloonTitleLength);
  const std::wstring cutText = CutTip(Wide(text), kBalloonTextLength);
  std::fill(std::begin(data_.szInfoTitle), std::end(data_.szInfoTitle), L'\0');
  std::fill(std::begin(data_.szInfo), std::end(data_.szInfo), L'\0');
  std::copy(cutTitle.begin(), cutTitle.end(), data_.szInfoTitle);
  std::copy(cutText.begin(), cutText.end(), data_.szInfo);
  data_.dwInfoFlags = iconFlags;
  data_.uTimeout = timeoutMs;
  // The flag goes with this call only: later changes of icon or tip must not show it again.
  data_.uFlags |= NIF_INFO;
  const BOOL shown = Notify(NIM_MODIFY);
  data_.uFlags &= ~NIF_INFO;
  return shown != FALSE;
}

void TRzTrayIcon::UseApplicationIcon() {
  if (Application().SmallIcon().Handle()) {
    icon_.Assign(Application().SmallIcon());
  } else {
    // A program without an icon resource still shows the system's application icon.
    icon_.SetHandle(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
  }
}

void TRzTrayIcon::SetIconIndex(int index) {
  iconIndex_ = index;
  if (icons_ && index >= 0 && index < icons_->Count())
    icon_ = icons_->GetIcon(index);
  else
    UseApplicationIcon();
  UpdateIcon();
}

void TRzTrayIcon::SetIcons(TImageList* list) {
  if (list == icons_) return;
  if (icons_) icons_->UnRegisterChanges(iconsLink_);
  icons_ = list;
  if (icons_) icons_->RegisterChanges(iconsLink_);
  if (!IsLoading()) SetIconIndex(iconIndex_);
}

void TRzTrayIcon::SetPopupMenu(TPopupMenu* menu) {
  if (menu == popupMenu_) return;
  if (popupMenu_) RemoveFreeNotification(popupMenu_);
  popupMenu_ = menu;
  if (menu) FreeNotification(menu);
}

void TRzTrayIcon::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TRzTrayIcon::AnimationTick() {
  if (!icons_ || icons_->Count() == 0) return;
  int next = iconIndex_ + 1;
  if (next >= icons_->Count() || next < 0) next = 0;
  SetIconIndex(next);
}

void TRzTrayIcon::Loaded() {
  TComponent::Loaded();
  if (icons_ && iconIndex_ >= 0 && iconIndex_ < icons_->Count())
    icon_ = icons_->GetIcon(iconIndex_);
  else
    UseApplicationIcon();
  if (enabled_ && !addPending_) {
    addPending_ = SetTimer(window_->Handle(), kAddIconTimer, USER_TIMER_MINIMUM, nullptr) != 0;
    if (addPending_)
      InstallAppHandlers();
    else
      AddIcon();
  }
  if (hideOnStartup_) {
    Application().SetShowMainForm(false);
    ShowWindow(Application().Handle(), SW_HIDE);
  }
  UpdateIcon();
}

// ---- messages from the shell ----

bool TRzTrayIcon::HandleMessage(TMessage& m) {
  if (m.Msg == WM_TIMER && m.WParam == kAddIconTimer) {
    KillTimer(window_->Handle(), kAddIconTimer);
    // Settled already when the icon was enabled, disabled or re-added since.
    if (addPending_ && enabled_) AddIcon();
    addPending_ = false;
    m.Result = 0;
    return true;
  }
  if (m.Msg == WM_QUERYENDSESSION) {
    bool mayEnd = true;
    if (OnQueryEndSession) OnQueryEndSession(this, mayEnd);
    m.Result = mayEnd ? TRUE : FALSE;
    return true;
  }
  if (m.Msg == WM_ENDSESSION) {
    if (OnEndSession) OnEndSession(this);
    if (m.WParam == TRUE) DeleteIcon();
    m.Result = 0;
    return true;
  }
  if (m.Msg == kCallbackMessage) {
    switch (static_cast<UINT>(m.LParam)) {
      case WM_LBUTTONDOWN:
        HandleClick(ticLeftClick);
        break;
      case WM_LBUTTONUP:
        HandleClick(ticLeftClickUp);
        break;
      case WM_LBUTTONDBLCLK:
        HandleClick(ticLeftDblClick);
        break;
      case WM_RBUTTONDOWN:
        HandleClick(ticRightClick);
        break;
      case WM_RBUTTONUP:
        HandleClick(ticRightClickUp);
        break;
      case WM_RBUTTONDBLCLK:
        HandleClick(ticRightDblClick);
        break;
      case NIN_BALLOONHIDE:
        if (OnBalloonHintHide) OnBalloonHintHide(this);
        break;
      case NIN_BALLOONTIMEOUT:
        if (OnBalloonHintClose) OnBalloonHintClose(this);
        break;
      case NIN_BALLOONUSERCLICK:
        if (OnBalloonHintClick) OnBalloonHintClick(this);
        break;
      default:
        break;
    }
    m.Result = 0;
    return true;
  }
  if (m.Msg == TaskbarCreatedMessage() && m.Msg != 0) {
    if (enabled_) {
      readding_ = true;
      try {
        SetEnabled(true);
      } catch (...) {
        // The next shell restart tries again.
      }
      readding_ = false;
    }
    m.Result = 0;
    return true;
  }
  return false;
}

void TRzTrayIcon::HandleClick(TRzTrayIconClicks kind) {
  if (restoreOn_ == kind) RestoreApp();
  if (popupMenuOn_ == kind) ShowPopup();
  const TNotifyEvent* event = nullptr;
  switch (kind) {
    case ticLeftClick:
      event = &OnLButtonDown;
      break;
    case ticLeftClickUp:
      event = &OnLButtonUp;
      break;
    case ticLeftDblClick:
      event = &OnLButtonDblClick;
      break;
    case ticRightClick:
      event = &OnRButtonDown;
      break;
    case ticRightClickUp:
      event = &OnRButtonUp;
      break;
    case ticRightDblClick:
      event = &OnRButtonDblClick;
      break;
    case ticNone:
      break;
  }
  if (event && *event) (*event)(this);
}

void TRzTrayIcon::ShowPopup() {
  if (!popupMenu_ || inPopup_) return;
  POINT p{};
  GetCursorPos(&p);
  // The menu closes on a click elsewhere only when its window is in the foreground.
  if (auto* form = dynamic_cast<TForm*>(Owner()))
    SetForegroundWindow(form->Handle());
  else
    SetForegroundWindow(Application().Handle());
  inPopup_ = true;
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{inPopup_};
  popupMenu_->SetPopupComponent(this);
  popupMenu_->Popup(p.x, p.y);
  PostMessageW(window_->Handle(), WM_NULL, 0, 0);
}

void TRzTrayIcon::RestoreApp() {
  if (inPopup_ || restoring_) return;
  restoring_ = true;
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{restoring_};
  Application().Restore();
  if (enabled_) {
    HWND app = Application().Handle();
    ShowWindow(app, SW_RESTORE);
    SetForegroundWindow(app);
    if (!Application().ShowMainForm()) {
      Application().SetShowMainForm(true);
      if (TForm* main = Application().MainForm()) main->SetVisible(true);
    }
  }
  if (OnRestoreApp) OnRestoreApp(this);
}

void TRzTrayIcon::MinimizeApp() {
  Application().Minimize();
  if (enabled_ && hideOnMinimize_) ShowWindow(Application().Handle(), SW_HIDE);
  if (OnMinimizeApp) OnMinimizeApp(this);
}

}  // namespace kovra
