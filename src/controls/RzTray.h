// The application's icon in the notification area: kept there across shell restarts, turning
// clicks into restore and popup-menu actions, animated from an image list, and coupled with
// minimising and restoring the application.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "framework/Components.h"
#include "framework/Graphics.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"
#include "framework/Timers.h"
#include "framework/WindowClass.h"

namespace kovra {

enum TRzTrayIconClicks : std::uint8_t {
  ticNone,
  ticLeftClick,
  ticLeftDblClick,
  ticLeftClickUp,
  ticRightClick,
  ticRightDblClick,
  ticRightClickUp
};

// The icon a balloon shows beside its title.
enum TRzBalloonHintIcon : std::uint8_t { bhiNone, bhiInfo, bhiWarning, bhiError };

using TRzQueryEndSessionEvent = std::function<void(TObject* sender, bool& mayEnd)>;

// The message the shell broadcasts to top-level windows after it (re)started.
UINT TaskbarCreatedMessage();

class TRzTrayIcon : public TComponent {
 public:
  // The shell reports clicks on the icon with this message to the component's window.
  static constexpr UINT kCallbackMessage = 9250;
  static constexpr int kNewTipLength = 127;
  static constexpr int kOldTipLength = 63;
  static constexpr int kBalloonTitleLength = 63;
  static constexpr int kBalloonTextLength = 255;

  explicit TRzTrayIcon(TComponent* owner = nullptr);
  ~TRzTrayIcon() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string_view value);
  TImageList* Icons() const { return icons_; }
  void SetIcons(TImageList* list);
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int index);
  bool Animate() const { return timer_->Enabled(); }
  void SetAnimate(bool value) { timer_->SetEnabled(value); }
  UINT Interval() const { return timer_->Interval(); }
  void SetInterval(UINT value) { timer_->SetInterval(value); }
  bool HideOnMinimize() const { return hideOnMinimize_; }
  void SetHideOnMinimize(bool value) { hideOnMinimize_ = value; }
  bool HideOnStartup() const { return hideOnStartup_; }
  void SetHideOnStartup(bool value) { hideOnStartup_ = value; }
  TRzTrayIconClicks RestoreOn() const { return restoreOn_; }
  void SetRestoreOn(TRzTrayIconClicks value) { restoreOn_ = value; }
  TRzTrayIconClicks PopupMenuOn() const { return popupMenuOn_; }
  void SetPopupMenuOn(TRzTrayIconClicks value) { popupMenuOn_ = value; }
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);

  // The icon shown now (an image of Icons, or the application's icon).
  const TIcon& Icon() const { return icon_; }
  // The window the shell reports to and the icon's identifier with it.
  HWND WindowHandle() const { return window_->Handle(); }
  UINT IconId() const { return data_.uID; }
  // The tooltip as the shell receives it, cut to the shell's limit.
  std::wstring TipText() const { return data_.szTip; }
  // Shells of version 5 and later take the longer record and tooltip.
  bool NewShellLayout();

  // A balloon from the icon, replacing the one shown; title and text are cut to the shell's
  // limits. False when there is no icon to show it from or the shell is too old for balloons.
  // The shell tells its end through OnBalloonHintHide, OnBalloonHintClose or OnBalloonHintClick.
  bool ShowBalloonHint(std::string_view title, std::string_view text,
                       TRzBalloonHintIcon icon = bhiInfo, UINT timeoutMs = 10000);
  void HideBalloonHint();

  // What a restore click and an application minimise do.
  void RestoreApp();
  void MinimizeApp();

  TNotifyEvent OnLButtonDown, OnLButtonUp, OnLButtonDblClick;
  TNotifyEvent OnRButtonDown, OnRButtonUp, OnRButtonDblClick;
  TNotifyEvent OnMinimizeApp, OnRestoreApp;
  TNotifyEvent OnBalloonHintHide, OnBalloonHintClose, OnBalloonHintClick;
  TRzQueryEndSessionEvent OnQueryEndSession;
  TNotifyEvent OnEndSession;

  // Every call to the shell goes through here (tests watch and forward them).
  using TShellNotifyIcon = std::function<BOOL(DWORD message, NOTIFYICONDATAW& data)>;
  static void SetShellNotifyIconHook(TShellNotifyIcon hook);

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  bool HandleMessage(TMessage& m);
  void HandleClick(TRzTrayIconClicks kind);
  void ShowPopup();
  void AddIcon();
  void DeleteIcon();
  void UpdateIcon();
  void UseApplicationIcon();
  void InstallAppHandlers();
  void AnimationTick();
  BOOL Notify(DWORD message);
  void SettleShellLayout();
  void ApplyTip();
  bool NotifyBalloon(std::string_view title, std::string_view text, DWORD iconFlags,
                     UINT timeoutMs);

  bool enabled_ = false;
  std::string hint_;
  TImageList* icons_ = nullptr;
  int iconIndex_ = 0;
  bool hideOnMinimize_ = true;
  bool hideOnStartup_ = false;
  TRzTrayIconClicks restoreOn_ = ticLeftDblClick;
  TRzTrayIconClicks popupMenuOn_ = ticRightClickUp;
  TPopupMenu* popupMenu_ = nullptr;

  TIcon icon_;
  std::unique_ptr<TTimer> timer_;
  TChangeLink iconsLink_;
  std::unique_ptr<TUtilityWindow> window_;
  NOTIFYICONDATAW data_{};
  bool newLayout_ = true;
  bool layoutSettled_ = false;
  bool inPopup_ = false;
  bool restoring_ = false;
  bool readding_ = false;
  bool addPending_ = false;  // Loaded deferred the add; it has not run yet
  bool handlersInstalled_ = false;
};

}  // namespace kovra
