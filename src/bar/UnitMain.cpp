#include "bar/UnitMain.h"

#include <vector>

#include "app/Configuration.h"
#include "app/Global.h"
#include "app/SingleInstance.h"
#include "app/Version.h"
#include "bar/BarHotkeys.h"
#include "bar/BarPlacementLogic.h"
#include "bar/OrderDriver.h"
#include "bar/OrderReport.h"
#include "controls/RzButton.h"
#include "controls/RzEdit.h"
#include "controls/RzPanel.h"
#include "controls/RzTray.h"
#include "framework/Application.h"
#include "framework/Menus.h"
#include "framework/Timers.h"
#include "settings/UnitSet.h"

namespace kovra {
namespace {

constexpr const char* kFontName = "微软雅黑";
constexpr int kFontHeight = -12;  // 12-pixel characters
constexpr int kStockFontHeight = -14;
constexpr int kButtonWidth = 37;
constexpr int kStockBoxWidth = 77;
constexpr int kSizingChoice = 6;  // a plain click sizes by the configured amount or shares
constexpr const char* kRehearsalHint = "演练模式：只填写价格和数量，不下单";

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    const RECT& r = info.rcWork;
    reinterpret_cast<std::vector<TScreenRect>*>(areas)->push_back(
        {r.left, r.top, r.right, r.bottom});
  }
  return TRUE;
}

// Keeps a window from the mouse for its lifetime. A disabled window takes no click and opens
// no menu, its controls' built-in ones included, and is not activated.
class InputBlock {
 public:
  explicit InputBlock(HWND window)
      : window_(window), wasEnabled_(window && EnableWindow(window, FALSE) == 0) {}
  ~InputBlock() {
    if (wasEnabled_) EnableWindow(window_, TRUE);
  }
  InputBlock(const InputBlock&) = delete;
  InputBlock& operator=(const InputBlock&) = delete;

 private:
  HWND window_;
  bool wasEnabled_;
};

void UseBarFont(TFont& font, TColor color, bool bold, int height = kFontHeight) {
  font.SetName(kFontName);
  font.SetHeight(height);
  font.SetCharset(ANSI_CHARSET);
  font.SetColor(color);
  font.SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
}

}  // namespace

TFormMain::TFormMain(TComponent* owner) : TForm(owner) {
  SetName("FormMain");
  SetBorderStyle(bsNone);
  SetFormStyle(fsStayOnTop);
  SetCaption("Kovra");
  SetTransparentColorValue(kKeyColor);
  SetTransparentColor(true);
  // Often started while the trader works in the trading client: appearing must not take the
  // keyboard from it (nor cost the activation on the way to the first paint).
  SetShowActivated(false);
  UseBarFont(Font(), clWindowText, false);
  SetBounds(Left(), Top(), kWidth, kHeight);
  BuildMenus();
  BuildControls();
  watcher_ = std::make_unique<TStockWatcher>();
  watcher_->OnDisplay = [this](TObject*, const std::string& text) { rzEdit1_->SetText(text); };
  tmr1_ = new TTimer(this);
  tmr1_->SetName("tmr1");
  tmr1_->SetInterval(kWatchIntervalMs);
  tmr1_->OnTimer = [this](TObject* sender) { tmr1Timer(sender); };
  // Created loading, so that its icon joins the shell only once the bar is on screen; creation
  // ends the loading (AfterConstruction).
  BeginLoading();
  rzTrayIcon1_ = new TRzTrayIcon(this);
  rzTrayIcon1_->SetName("RzTrayIcon1");
  report_ = std::make_unique<TOrderReport>(*rzTrayIcon1_);
  OrderDriver().OnBeforePress = [this] {
    if (GlobalState) report_->BeforePress(GlobalState->TradePid);
  };
  OnOutcome = [this](TObject*, const TOrderOutcome& outcome) { ReportOutcome(outcome); };
  hotkeys_ = std::make_unique<TBarHotkeys>([this](OrderAction action) {
    // Exactly what a plain click on the action's button does.
    switch (action) {
      case OrderAction::MarginBuy:
        return RzButton1Click(rzButton1_);
      case OrderAction::Buy:
        return RzButton2Click(rzButton2_);
      case OrderAction::Sell:
        return RzButton3Click(rzButton3_);
      case OrderAction::Cancel:
        return RzButton4Click(rzButton4_);
    }
  });
  rzTrayIcon1_->SetHint(KovraVersionLine());
  rzTrayIcon1_->OnRestoreApp = [this](TObject*) { KeepOnScreen(); };
  OnCreate = [this](TObject* sender) { FormCreate(sender); };
  OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
}

TFormMain::~TFormMain() {
  Destroying();
  OrderDriver().OnBeforePress = nullptr;
  hotkeys_.reset();
  report_.reset();  // before the tray icon it shows its balloons from
  // The watcher's display callback points into this form's controls.
  if (tmr1_) tmr1_->SetEnabled(false);
}

void TFormMain::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  params.ExStyle |= kExtraExStyle;
  // A top-level window of its own: minimising the application leaves the bar alone.
  params.WndParent = GetDesktopWindow();
}

void TFormMain::WndProc(TMessage& m) {
  // While an order action runs, the trading client it raised holds the foreground and the
  // action types into the focused control there. A press on the bar would take the foreground
  // back and send the code to the bar instead; the press could do nothing anyway, as a second
  // action is not started.
  if (m.Msg == WM_MOUSEACTIVATE && OrderDriver().Busy()) {
    const UINT press = HIWORD(m.LParam);
    if (press == WM_LBUTTONDOWN || press == WM_LBUTTONDBLCLK) {
      m.Result = MA_NOACTIVATEANDEAT;
      return;
    }
  }
  if (m.Msg == BringToFrontMessage()) {
    ComeForward();
    m.Result = 1;
    return;
  }
  TForm::WndProc(m);
  if (m.Msg == WM_DISPLAYCHANGE) KeepOnScreen();
}

void TFormMain::BuildMenus() {
  pmrzBuy_ = new TPopupMenu(this);
  pmrzBuy_->SetName("pmrzBuy");
  AddItem(pmrzBuy_, "N1", "融资全仓买", &TFormMain::N1Click);
  AddItem(pmrzBuy_, "N2", "融资半仓买", &TFormMain::N2Click);
  AddItem(pmrzBuy_, "N3", "融资买三分之一仓", &TFormMain::N3Click);
  AddItem(pmrzBuy_, "N4", "融资买四分之一仓", &TFormMain::N4Click);
  AddItem(pmrzBuy_, "N5", "融资买五分之一仓", &TFormMain::N5Click);
  n6_ = AddItem(pmrzBuy_, "N6", "融资按股数买", &TFormMain::N6Click);
  n7_ = AddItem(pmrzBuy_, "N7", "融资按金额买", &TFormMain::N7Click);

  pmBuy_ = new TPopupMenu(this);
  pmBuy_->SetName("pmBuy");
  AddItem(pmBuy_, "MenuItem1", "全仓买", &TFormMain::MenuItem1Click);
  AddItem(pmBuy_, "MenuItem2", "半仓买", &TFormMain::MenuItem2Click);
  AddItem(pmBuy_, "MenuItem3", "买三分之一仓", &TFormMain::MenuItem3Click);
  AddItem(pmBuy_, "MenuItem4", "买四分之一仓", &TFormMain::MenuItem4Click);
  AddItem(pmBuy_, "MenuItem5", "买五分之一仓", &TFormMain::MenuItem5Click);
  menuItem6_ = AddItem(pmBuy_, "MenuItem6", "按股数买", &TFormMain::MenuItem6Click);
  menuItem7_ = AddItem(pmBuy_, "MenuItem7", "按金额买", &TFormMain::MenuItem7Click);

  pmSell_ = new TPopupMenu(this);
  pmSell_->SetName("pmSell");
  AddItem(pmSell_, "N8", "全仓卖", &TFormMain::N8Click);
  AddItem(pmSell_, "N9", "半仓卖", &TFormMain::N9Click);
  AddItem(pmSell_, "N10", "卖三分之一仓", &TFormMain::N10Click);
  AddItem(pmSell_, "N11", "卖四分之一仓", &TFormMain::N11Click);
  AddItem(pmSell_, "N12", "卖五分之一仓", &TFormMain::N12Click);

  pmMain_ = new TPopupMenu(this);
  pmMain_->SetName("pmMain");
  AddItem(pmMain_, "N15", "设置", &TFormMain::N15Click);
  n16_ = AddItem(pmMain_, "N16", "提示消息", &TFormMain::N16Click);
  n17_ = AddItem(pmMain_, "N17", "演练模式", &TFormMain::N17Click);
  AddItem(pmMain_, "N18", "-", nullptr);
  AddItem(pmMain_, "N14", "退出", &TFormMain::N14Click);
  n16_->SetChecked(true);
}

TMenuItem* TFormMain::AddItem(TPopupMenu* menu, const char* name, const char* caption,
                              void (TFormMain::*handler)(TObject*)) {
  auto* item = new TMenuItem();
  item->SetName(name);
  item->SetCaption(caption);
  if (handler) item->OnClick = [this, handler](TObject* sender) { (this->*handler)(sender); };
  menu->Items().Add(item);  // the menu's item tree owns it
  return item;
}

void TFormMain::BuildControls() {
  rzpnl1_ = new TRzPanel(this);
  rzpnl1_->SetName("rzpnl1");
  rzpnl1_->SetParent(this);
  rzpnl1_->SetBorderInner(fsLowered);
  rzpnl1_->SetVisualStyle(vsClassic);
  rzpnl1_->SetAlign(alClient);

  // Left-aligned controls line up in the order they are aligned.
  rzButton1_ = AddButton("RzButton1", "融买", kButtonWidth, clRed, false, pmrzBuy_);
  rzButton2_ = AddButton("RzButton2", "买", kButtonWidth, clRed, true, pmBuy_);

  rzEdit1_ = new TRzEdit(this);
  rzEdit1_->SetName("RzEdit1");
  rzEdit1_->SetParent(rzpnl1_);
  rzEdit1_->SetWidth(kStockBoxWidth);
  rzEdit1_->SetAlign(alLeft);
  rzEdit1_->SetAlignment(taCenter);
  rzEdit1_->SetParentFont(false);
  UseBarFont(rzEdit1_->Font(), clYellow, true, kStockFontHeight);
  rzEdit1_->SetReadOnly(true);
  rzEdit1_->SetColor(clInactiveCaptionText);
  rzEdit1_->SetReadOnlyColor(clInactiveCaptionText);
  rzEdit1_->SetPopupMenu(pmMain_);
  rzEdit1_->OnMouseDown = [this](TObject* sender, TMouseButton button, TShiftState shift, int x,
                                 int y) { RzEdit1MouseDown(sender, button, shift, x, y); };

  rzButton3_ = AddButton("RzButton3", "卖", kButtonWidth, clGreen, true, pmSell_);
  rzButton4_ = AddButton("RzButton4", "撤单", kButtonWidth, clFuchsia, true, nullptr);

  rzButton1_->OnClick = [this](TObject* sender) { RzButton1Click(sender); };
  rzButton2_->OnClick = [this](TObject* sender) { RzButton2Click(sender); };
  rzButton3_->OnClick = [this](TObject* sender) { RzButton3Click(sender); };
  rzButton4_->OnClick = [this](TObject* sender) { RzButton4Click(sender); };
}

TRzButton* TFormMain::AddButton(const char* name, const char* caption, int width, TColor fontColor,
                                bool bold, TPopupMenu* menu) {
  auto* button = new TRzButton(this);
  button->SetName(name);
  button->SetParent(rzpnl1_);
  button->SetCaption(caption);
  button->SetWidth(width);
  button->SetAlign(alLeft);
  button->SetParentFont(false);
  UseBarFont(button->Font(), fontColor, bold);
  button->SetPopupMenu(menu);
  return button;
}

// ---- creation and close ----

void TFormMain::FormCreate(TObject*) {
  SetBounds(Left(), Top(), ScaleValue(kWidth), ScaleValue(kHeight));
  // The windows are created, not shown, while the applications are searched for; the bar shows
  // after any start-up warning, as before.
  LoadConfiguration([this](const TBarConfig& config) { ApplyConfig(config); }, ShowStartupWarning,
                    [this] { Handle(); });
  Application().SetExStyle(WS_EX_TOOLWINDOW);
  RegisterHotkeys();
}

void TFormMain::RegisterHotkeys() {
  const std::string warning = TBarHotkeys::WarningText(hotkeys_->Register(hotkeyTexts_));
  if (!warning.empty()) Application().MessageBox(warning, "Kovra", MB_OK | MB_ICONWARNING);
}

void TFormMain::ApplyConfig(const TBarConfig& config) {
  // The place is in screen pixels, as stored; the size is designed.
  SetBounds(config.Left, config.Top, ScaleValue(kWidth), ScaleValue(kHeight));
  KeepOnScreen();
  SetButtonColor(config.Color);
  const TGlobal& state = *GlobalState;
  n7_->SetChecked(state.MarginByAmount);
  n6_->SetChecked(!state.MarginByAmount);
  menuItem7_->SetChecked(state.BuyByAmount);
  menuItem6_->SetChecked(!state.BuyByAmount);
  SetNotices(config.Notices);
  SetRehearsal(config.Rehearsal);
  hotkeyTexts_ = config.Hotkeys;
}

void TFormMain::FormClose(TObject*, TCloseAction&) {
  // A reply still awaited is not waited for; its line goes in now.
  report_->Finish();
  // A refused write throws: the close is abandoned and the bar stays open.
  StoreConfiguration(IniPath(), CurrentBarConfig(), n7_->Checked(), menuItem7_->Checked());
}

TBarConfig TFormMain::CurrentBarConfig() {
  TBarConfig config;
  config.Left = Left();
  config.Top = Top();
  // The system's move loop may have moved the window without the fields hearing of it.
  RECT r;
  if (HandleAllocated() && GetWindowRect(WindowHandle(), &r)) {
    config.Left = r.left;
    config.Top = r.top;
  }
  config.Color = ButtonColor();
  config.Notices = Notices();
  config.Rehearsal = Rehearsal();
  config.Hotkeys = hotkeyTexts_;
  return config;
}

void TFormMain::KeepOnScreen() {
  std::vector<TScreenRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  TScreenRect bar{Left(), Top(), Left() + Width(), Top() + Height()};
  RECT r;
  if (HandleAllocated() && GetWindowRect(WindowHandle(), &r))
    bar = {r.left, r.top, r.right, r.bottom};
  const TScreenPoint place = PlaceOnScreen(bar, areas);
  if (place.X != bar.Left || place.Y != bar.Top) SetBounds(place.X, place.Y, Width(), Height());
}

void TFormMain::ComeForward() {
  KeepOnScreen();
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  // An action in progress types into the client it raised: the foreground stays there.
  if (!OrderDriver().Busy()) SetForegroundWindow(GetLastActivePopup(Handle()));
}

TColor TFormMain::ButtonColor() const {
  return rzButton1_->Color();
}

void TFormMain::SetButtonColor(TColor color) {
  rzButton1_->SetColor(color);
  for (TRzButton* button : {rzButton2_, rzButton3_, rzButton4_})
    button->SetColor(rzButton1_->Color());
}

void TFormMain::SetRehearsal(bool value) {
  rehearsal_ = value;
  n17_->SetChecked(value);
  rzEdit1_->Font().SetColor(value ? kRehearsalColor : clYellow);
  rzEdit1_->SetHint(value ? kRehearsalHint : "");
  rzEdit1_->SetShowHint(value);
}

bool TFormMain::Notices() const {
  return n16_->Checked();
}

void TFormMain::SetNotices(bool value) {
  n16_->SetChecked(value);
  report_->SetNotices(value);
}

void TFormMain::ReportOutcome(const TOrderOutcome& outcome) {
  report_->Report(outcome);
}

// ---- the buttons ----

TOrderOutcome TFormMain::RunAction(OrderAction action, int choice) {
  // The reply to the previous order is awaited no longer than the next action.
  report_->Finish();
  TOrderRequest request;
  request.Action = action;
  request.Choice = action == OrderAction::Cancel ? 0 : choice;
  // The watcher keeps ticking while the action waits; the order is for the stock clicked.
  request.Code = GlobalState->CurrentCode;
  request.Rehearsal = rehearsal_;
  TOrderOutcome outcome;
  {
    // A press on the bar would take the foreground from the client under way; a menu opened
    // meanwhile would start another action, or the settings window.
    InputBlock block(HandleAllocated() ? WindowHandle() : nullptr);
    outcome = OrderDriver().Run(request);
  }
  if (OnOutcome) OnOutcome(this, outcome);
  return outcome;
}

void TFormMain::RzButton1Click(TObject*) {
  RunAction(OrderAction::MarginBuy, kSizingChoice);
}
void TFormMain::RzButton2Click(TObject*) {
  RunAction(OrderAction::Buy, kSizingChoice);
}
void TFormMain::RzButton3Click(TObject*) {
  RunAction(OrderAction::Sell, kSizingChoice);
}
void TFormMain::RzButton4Click(TObject*) {
  RunAction(OrderAction::Cancel, 0);
}

void TFormMain::RzEdit1MouseDown(TObject*, TMouseButton button, TShiftState, int, int) {
  if (button != mbLeft) return;
  ReleaseCapture();
  SendMessageW(Handle(), WM_SYSCOMMAND, kMoveCommand, 0);
  // Hiding and showing again repaints the bar cleanly at its new place.
  SetVisible(false);
  SetVisible(true);
}

void TFormMain::tmr1Timer(TObject*) {
  watcher_->Tick();
}

// ---- the menus ----

void TFormMain::N1Click(TObject*) {
  RunAction(OrderAction::MarginBuy, 1);
}
void TFormMain::N2Click(TObject*) {
  RunAction(OrderAction::MarginBuy, 2);
}
void TFormMain::N3Click(TObject*) {
  RunAction(OrderAction::MarginBuy, 3);
}
void TFormMain::N4Click(TObject*) {
  RunAction(OrderAction::MarginBuy, 4);
}
void TFormMain::N5Click(TObject*) {
  RunAction(OrderAction::MarginBuy, 5);
}
void TFormMain::N6Click(TObject*) {
  GlobalState->MarginByAmount = FlipPair(n6_, n7_, n7_);
}
void TFormMain::N7Click(TObject*) {
  GlobalState->MarginByAmount = FlipPair(n7_, n6_, n7_);
}

void TFormMain::N8Click(TObject*) {
  RunAction(OrderAction::Sell, 1);
}
void TFormMain::N9Click(TObject*) {
  RunAction(OrderAction::Sell, 2);
}
void TFormMain::N10Click(TObject*) {
  RunAction(OrderAction::Sell, 3);
}
void TFormMain::N11Click(TObject*) {
  RunAction(OrderAction::Sell, 4);
}
void TFormMain::N12Click(TObject*) {
  RunAction(OrderAction::Sell, 5);
}

void TFormMain::N14Click(TObject*) {
  Close();
}

void TFormMain::N16Click(TObject*) {
  SetNotices(!Notices());
}

void TFormMain::N17Click(TObject*) {
  SetRehearsal(!Rehearsal());
}

void TFormMain::N15Click(TObject*) {
  if (OrderDriver().Busy()) return;
  {
    // The picker recolours the four buttons while the window is open.
    TFormSet settings(this, [this](TColor color) { SetButtonColor(color); });
    settings.ShowModal();
  }
  // The paths may have changed, and the applications may have been started or restarted since
  // the bar came up. Quietly: whatever is missing shows when an order finds nothing.
  LocateApplications();
}

void TFormMain::MenuItem1Click(TObject*) {
  RunAction(OrderAction::Buy, 1);
}
void TFormMain::MenuItem2Click(TObject*) {
  RunAction(OrderAction::Buy, 2);
}
void TFormMain::MenuItem3Click(TObject*) {
  RunAction(OrderAction::Buy, 3);
}
void TFormMain::MenuItem4Click(TObject*) {
  RunAction(OrderAction::Buy, 4);
}
void TFormMain::MenuItem5Click(TObject*) {
  RunAction(OrderAction::Buy, 5);
}
void TFormMain::MenuItem6Click(TObject*) {
  GlobalState->BuyByAmount = FlipPair(menuItem6_, menuItem7_, menuItem7_);
}
void TFormMain::MenuItem7Click(TObject*) {
  GlobalState->BuyByAmount = FlipPair(menuItem7_, menuItem6_, menuItem7_);
}

bool TFormMain::FlipPair(TMenuItem* clicked, TMenuItem* partner, TMenuItem* byAmount) {
  clicked->SetChecked(!clicked->Checked());
  partner->SetChecked(!clicked->Checked());
  return byAmount->Checked();
}

}  // namespace kovra
