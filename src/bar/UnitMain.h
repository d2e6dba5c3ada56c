// The bar: the program's main window. A borderless, top-most strip with "融买", "买", the stock
// box, "卖" and "撤单", their popup menus, the once-a-second stock watcher and the tray icon.
// Creating it loads the configuration; closing it stores the configuration.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "app/Configuration.h"
#include "app/StockWatcher.h"
#include "bar/OrderOutcome.h"
#include "bar/OrderSizing.h"
#include "framework/Forms.h"

namespace kovra {

class TRzPanel;
class TRzButton;
class TRzEdit;
class TRzTrayIcon;
class TPopupMenu;
class TMenuItem;
class TTimer;
class TBarHotkeys;
class TOrderReport;

class TFormMain : public TForm {
 public:
  static constexpr int kWidth = 232;
  static constexpr int kHeight = 30;
  // Topmost, accepts dropped files, tool window (no taskbar button).
  static constexpr DWORD kExtraExStyle = WS_EX_TOPMOST | WS_EX_ACCEPTFILES | WS_EX_TOOLWINDOW;
  // SC_MOVE with the caption hit-test: the system's move loop, ended by releasing the button.
  // With any other hit-test some systems run the loop without moving the window.
  static constexpr WPARAM kMoveCommand = SC_MOVE | HTCAPTION;
  static constexpr UINT kWatchIntervalMs = 1000;
  static constexpr TColor kKeyColor = clSilver;
  // The stock box's text in rehearsal mode: unlike the yellow of live orders at a glance.
  static constexpr TColor kRehearsalColor = clAqua;

  explicit TFormMain(TComponent* owner = nullptr);
  ~TFormMain() override;

  TRzPanel* rzpnl1() const { return rzpnl1_; }
  TRzButton* RzButton1() const { return rzButton1_; }
  TRzButton* RzButton2() const { return rzButton2_; }
  TRzEdit* RzEdit1() const { return rzEdit1_; }
  TRzButton* RzButton3() const { return rzButton3_; }
  TRzButton* RzButton4() const { return rzButton4_; }
  TPopupMenu* pmrzBuy() const { return pmrzBuy_; }
  TPopupMenu* pmBuy() const { return pmBuy_; }
  TPopupMenu* pmSell() const { return pmSell_; }
  TPopupMenu* pmMain() const { return pmMain_; }
  TTimer* tmr1() const { return tmr1_; }
  TRzTrayIcon* RzTrayIcon1() const { return rzTrayIcon1_; }
  TMenuItem* N6() const { return n6_; }
  TMenuItem* N7() const { return n7_; }
  TMenuItem* MenuItem6() const { return menuItem6_; }
  TMenuItem* MenuItem7() const { return menuItem7_; }
  TMenuItem* N16() const { return n16_; }  // "提示消息"
  TMenuItem* N17() const { return n17_; }  // "演练模式"

  // The four buttons always share one colour; the first one's is the one stored.
  TColor ButtonColor() const;
  void SetButtonColor(TColor color);

  // What the close stores: the window's place on screen now and the buttons' colour.
  TBarConfig CurrentBarConfig();
  // A bar not wholly on the monitors' work areas moves fully inside the nearest one: at start,
  // when the display changes and on a restore from the tray.
  void KeepOnScreen();
  // What a second start from this folder asks for: the bar on screen, on top, in the foreground.
  void ComeForward();

  // Every order and cancel action of the buttons and the sizing items goes through here: the
  // request is made at the click, with the code shown at that moment, and run; its outcome goes
  // to OnOutcome and is returned.
  TOrderOutcome RunAction(OrderAction action, int choice);
  std::function<void(TObject* sender, const TOrderOutcome& outcome)> OnOutcome;
  // Actions run every step and fill the fields but press nothing. The "演练模式" item's check,
  // the stock box's colour and its tooltip follow.
  bool Rehearsal() const { return rehearsal_; }
  void SetRehearsal(bool value);
  // A balloon after each action ("提示消息").
  bool Notices() const;
  void SetNotices(bool value);

  void FormCreate(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void RzButton1Click(TObject* sender);
  void RzButton2Click(TObject* sender);
  void RzButton3Click(TObject* sender);
  void RzButton4Click(TObject* sender);
  void RzEdit1MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void tmr1Timer(TObject* sender);
  // pmrzBuy: choices 1 to 5, then the by-shares / by-amount pair.
  void N1Click(TObject* sender);
  void N2Click(TObject* sender);
  void N3Click(TObject* sender);
  void N4Click(TObject* sender);
  void N5Click(TObject* sender);
  void N6Click(TObject* sender);
  void N7Click(TObject* sender);
  // pmSell: choices 1 to 5.
  void N8Click(TObject* sender);
  void N9Click(TObject* sender);
  void N10Click(TObject* sender);
  void N11Click(TObject* sender);
  void N12Click(TObject* sender);
  // pmMain: "设置", "提示消息", "演练模式", "退出".
  void N14Click(TObject* sender);
  void N15Click(TObject* sender);
  void N16Click(TObject* sender);
  void N17Click(TObject* sender);
  // pmBuy: choices 1 to 5, then the by-shares / by-amount pair.
  void MenuItem1Click(TObject* sender);
  void MenuItem2Click(TObject* sender);
  void MenuItem3Click(TObject* sender);
  void MenuItem4Click(TObject* sender);
  void MenuItem5Click(TObject* sender);
  void MenuItem6Click(TObject* sender);
  void MenuItem7Click(TObject* sender);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& m) override;

 private:
  void BuildControls();
  void BuildMenus();
  TRzButton* AddButton(const char* name, const char* caption, int width, TColor fontColor,
                       bool bold, TPopupMenu* menu);
  TMenuItem* AddItem(TPopupMenu* menu, const char* name, const char* caption,
                     void (TFormMain::*handler)(TObject*));
  void ApplyConfig(const TBarConfig& config);
  void RegisterHotkeys();
  // The bar's own answer to every outcome: recorded and told.
  void ReportOutcome(const TOrderOutcome& outcome);
  // Inverts `clicked`, gives `partner` the opposite mark and returns the "按金额" item's mark.
  static bool FlipPair(TMenuItem* clicked, TMenuItem* partner, TMenuItem* byAmount);

  TRzPanel* rzpnl1_ = nullptr;
  TRzButton* rzButton1_ = nullptr;
  TRzButton* rzButton2_ = nullptr;
  TRzEdit* rzEdit1_ = nullptr;
  TRzButton* rzButton3_ = nullptr;
  TRzButton* rzButton4_ = nullptr;
  TPopupMenu* pmrzBuy_ = nullptr;
  TPopupMenu* pmBuy_ = nullptr;
  TPopupMenu* pmSell_ = nullptr;
  TPopupMenu* pmMain_ = nullptr;
  TMenuItem* n6_ = nullptr;
  TMenuItem* n7_ = nullptr;
  TMenuItem* menuItem6_ = nullptr;
  TMenuItem* menuItem7_ = nullptr;
  TMenuItem* n16_ = nullptr;
  TMenuItem* n17_ = nullptr;
  TTimer* tmr1_ = nullptr;
  TRzTrayIcon* rzTrayIcon1_ = nullptr;
  std::unique_ptr<TStockWatcher> watcher_;
  std::unique_ptr<TOrderReport> report_;
  std::unique_ptr<TBarHotkeys> hotkeys_;
  std::array<std::string, 4> hotkeyTexts_;  // as read; stored back as they were
  bool rehearsal_ = false;
};

}  // namespace kovra
