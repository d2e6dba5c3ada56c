#include "bar/OrderDriver.h"

#include <cwchar>
#include <tuple>

#include "app/Configuration.h"
#include "app/Global.h"
#include "app/Ticks.h"
#include "bar/OrderChecks.h"
#include "framework/runtime/Text.h"

namespace kovra {
namespace {

constexpr UINT kAnswerFlags = SMTO_NORMAL | SMTO_ABORTIFHUNG;
// Codes are a handful of characters; a table entry longer than this is not one.
constexpr size_t kMaxCodeLength = 32;

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

// A message that the client must answer in time; a hung client makes it fail, not wait.
bool SendAnswered(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                  DWORD_PTR* result = nullptr) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, message, wParam, lParam, kAnswerFlags,
                             TOrderDriver::kAnswerTimeoutMs, result ? result : &ignored) != 0;
}

bool TradableCode(const std::string& code) {
  return !code.empty() && code.size() <= kMaxCodeLength && code[0] >= '0' && code[0] <= '9';
}

OrderKind KindOf(OrderAction action) {
  switch (action) {
    case OrderAction::MarginBuy:
      return OrderKind::MarginBuy;
    case OrderAction::Sell:
      return OrderKind::Sell;
    case OrderAction::Buy:
    case OrderAction::Cancel:
      break;
  }
  return OrderKind::Buy;
}

TSizingSettings SettingsFor(OrderKind kind) {
  TSizingSettings settings;
  settings.PriceFloat = GlobalState->PriceFloat;
  settings.BuyAmount = GlobalState->BuyAmount;
  settings.TradeShares = GlobalState->TradeShares;
  settings.ByAmount = kind == OrderKind::Buy         ? GlobalState->BuyByAmount
                      : kind == OrderKind::MarginBuy ? GlobalState->MarginByAmount
                                                     : false;
  return settings;
}

// The client window, or after it went away (a restart), the one found by searching again once.
bool FindClient() {
  if (IsTradeClientWindow(GlobalState->TradeWnd)) return true;
  LocateApplications();
  return IsTradeClientWindow(GlobalState->TradeWnd);
}

}  // namespace

bool IsTradeClientWindow(HWND window) {
  return window && GlobalState && GlobalState->TradePid != 0 && IsWindow(window) &&
         ProcessOf(window) == GlobalState->TradePid;
}

class TOrderDriver::Guard {
 public:
  explicit Guard(TOrderDriver& driver) : driver_(driver) { driver_.busy_ = true; }
  ~Guard() { driver_.busy_ = false; }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  TOrderDriver& driver_;
};

// One action's steps: what they share, and the clock that times each of them.
class TOrderDriver::Steps {
 public:
  Steps(TOrderDriver& driver, TOrderOutcome& outcome)
      : driver(driver), out(outcome), limit(GlobalState->ReadyWaitMs) {}

  // The previous step ends where the next begins.
  void Begin(const char* step) {
    End();
    out.Steps.push_back({step, 0});
    stepStart_ = GetTickCount();
  }
  void End() {
    if (!out.Steps.empty() && stepStart_)
      out.Steps.back().Ms = TickElapsed(*stepStart_, GetTickCount());
    stepStart_.reset();
  }
  std::string Current() const { return out.Steps.empty() ? "start" : out.Steps.back().Step; }

  // The client's focus now: None, or NoClient when its window is gone, ClientHung when it does
  // not answer. Its text is read only when it may matter against `before`.
  OutcomeReason ClientFocus(TFocusSample& sample, const TFocusSample* before = nullptr);
  // Restores and raises the client and reads its focus before the key.
  bool Raise(TFocusSample& before);
  // Waits until the key's page holds the focus; None, or why not.
  OutcomeReason WaitForPage(const TFocusSample& before, HWND& focus);
  // The text at `position`; nothing for a position the page lacks. Sets `hung` on no answer.
  std::optional<std::string> ReadAt(int position, bool& hung);
  // Writes `text`, types it when the field ignored the write, and reads it back.
  OutcomeReason WriteVerified(int position, std::string_view text);
  // Types `text` over whatever `window` holds, then waits until it reads back so.
  OutcomeReason TypeVerified(HWND window, std::string_view text);

  TOrderDriver& driver;
  TOrderOutcome& out;
  const std::uint32_t limit;

 private:
  std::optional<std::uint32_t> stepStart_;
};

OutcomeReason TOrderDriver::Steps::ClientFocus(TFocusSample& sample, const TFocusSample* before) {
  sample = {};
  const HWND trade = GlobalState->TradeWnd;
  if (!IsTradeClientWindow(trade)) return OutcomeReason::NoClient;
  // The client thread's own record of its focus: no input sharing with it on every poll.
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(trade, nullptr), &info))
    return OutcomeReason::None;
  const HWND focus = info.hwndFocus;
  const HWND front = GetForegroundWindow();
  sample.Control = reinterpret_cast<std::uintptr_t>(focus);
  sample.OnClient = IsTradeClientWindow(focus) && IsWindowVisible(focus) && front &&
                    ProcessOf(front) == GlobalState->TradePid;
  // The text tells only whether a field that kept the focus was cleared.
  if (!sample.OnClient || (before && before->Control != sample.Control)) return OutcomeReason::None;
  const auto text = driver.ReadControlText(focus);
  if (!text) return OutcomeReason::ClientHung;
  sample.Text = *text;
  return OutcomeReason::None;
}

bool TOrderDriver::Steps::Raise(TFocusSample& before) {
  const HWND trade = GlobalState->TradeWnd;
  // Restoring and raising wait on the client; a hung one is left alone.
  if (!SendAnswered(trade, WM_NULL, 0, 0)) return false;
  ShowWindow(trade, SW_SHOWNORMAL);
  UpdateWindow(trade);
  BringWindowToTop(trade);
  // Once it answers again, the activation the raise set off has run, focus restored included.
  if (!SendAnswered(trade, WM_NULL, 0, 0)) return false;
  return ClientFocus(before) == OutcomeReason::None;
}

OutcomeReason TOrderDriver::Steps::WaitForPage(const TFocusSample& before, HWND& focus) {
  const std::uint32_t start = GetTickCount();
  // A client stuck in the key's handling shows an unchanged focus; it must not be waited out.
  constexpr std::uint32_t kProbeMs = 50;
  std::uint32_t probed = start;
  TFocusSample now;
  OutcomeReason failure = OutcomeReason::None;
  const bool ready = PollMs(limit, [&] {
    failure = ClientFocus(now, &before);
    const std::uint32_t elapsed = TickElapsed(start, GetTickCount());
    if (failure == OutcomeReason::None && TickElapsed(probed, GetTickCount()) >= kProbeMs) {
      probed = GetTickCount();
      if (!SendAnswered(GlobalState->TradeWnd, WM_NULL, 0, 0)) failure = OutcomeReason::ClientHung;
    }
    return failure != OutcomeReason::None || PageSwitched(before, now, elapsed);
  });
  if (failure != OutcomeReason::None) return failure;
  if (!ready) return now.OnClient ? OutcomeReason::PageNotReady : OutcomeReason::FocusElsewhere;
  focus = reinterpret_cast<HWND>(now.Control);
  const HWND page = GetParent(focus);
  GlobalState->FocusWnd = focus;
  GlobalState->PageWnd = IsTradeClientWindow(page) ? page : nullptr;
  if (!GlobalState->PageWnd) return OutcomeReason::PageNotReady;
  driver.ListPageControls();
  return OutcomeReason::None;
}

// A handle from the listing that is no longer the client's (closed, or its number reused by
// another window) counts as a control that did not answer.
std::optional<std::string> TOrderDriver::Steps::ReadAt(int position, bool& hung) {
  const HWND window = driver.ChildWnd(position);
  if (!window) return std::nullopt;
  std::optional<std::string> text;
  if (IsTradeClientWindow(window)) text = driver.ReadControlText(window);
  hung |= !text;
  return text;
}

OutcomeReason TOrderDriver::Steps::TypeVerified(HWND window, std::string_view text) {
  // Typing replaces the selection, so whatever the field held goes.
  if (!SendAnswered(window, EM_SETSEL, 0, -1)) return OutcomeReason::ClientHung;
  driver.TypeText(window, text);
  std::optional<std::string> back;
  PollMs(limit, [&] {
    back = IsTradeClientWindow(window) ? driver.ReadControlText(window) : std::nullopt;
    return !back || *back == text;
  });
  if (!back) return OutcomeReason::ClientHung;
  return *back == text ? OutcomeReason::None : OutcomeReason::WriteNotApplied;
}

OutcomeReason TOrderDriver::Steps::WriteVerified(int position, std::string_view text) {
  const HWND window = driver.ChildWnd(position);
  if (!IsTradeClientWindow(window) || !driver.SetControlText(window, text))
    return OutcomeReason::ClientHung;
  const auto back = driver.ReadControlText(window);
  if (!back) return OutcomeReason::ClientHung;
  if (*back == text) return OutcomeReason::None;
  // Some clients take their price and quantity only from the keyboard.
  return TypeVerified(window, text);
}

TOrderDriver& OrderDriver() {
  static TOrderDriver driver;
  return driver;
}

HWND TOrderDriver::ChildWnd(int position) const {
  return position >= 0 && position < childCount_ ? childWnds_[static_cast<size_t>(position)]
                                                 : nullptr;
}

TOrderOutcome TOrderDriver::Run(const TOrderRequest& request) {
  const std::uint32_t start = GetTickCount();
  TOrderOutcome out;
  out.Request = request;
  // The waits pump messages, so a click can arrive here while an action is under way.
  if (busy_ || !GlobalState) {
    Refuse(out, OutcomeReason::Busy);
    return out;
  }
  Guard guard(*this);
  Steps steps(*this, out);
  try {
    if (request.Action == OrderAction::Cancel)
      RunCancel(steps);
    else
      RunOrder(steps);
  } catch (...) {
    // Whatever failed pressed nothing after it.
    Fail(out, steps.Current(), OutcomeReason::Unexpected);
  }
  steps.End();
  out.TotalMs = TickElapsed(start, GetTickCount());
  return out;
}

TOrderOutcome TOrderDriver::PlaceOrder(OrderKind kind, int choice) {
  TOrderRequest request;
  request.Action = ActionOf(kind);
  request.Choice = choice;
  request.Code = GlobalState ? GlobalState->CurrentCode : std::string();
  return Run(request);
}

TOrderOutcome TOrderDriver::CancelOrders() {
  TOrderRequest request;
  request.Action = OrderAction::Cancel;
  request.Choice = 0;
  return Run(request);
}

// Finds and raises the client, posts `key` and waits until its page holds the focus. False once
// the outcome is settled: a page that does not come is refused as `notReady`.
bool TOrderDriver::OpenPage(Steps& s, int key, OutcomeReason notReady, HWND& focus) {
  TOrderOutcome& out = s.out;
  s.Begin("client");
  if (!FindClient()) {
    Refuse(out, OutcomeReason::NoClient);
    return false;
  }
  s.Begin("raise");
  TFocusSample before;
  if (!s.Raise(before)) {
    Fail(out, "raise", OutcomeReason::ClientHung);
    return false;
  }
  if (!PostMessageW(GlobalState->TradeWnd, WM_KEYDOWN, static_cast<WPARAM>(key), 0)) {
    Fail(out, "raise", OutcomeReason::NoClient);
    return false;
  }
  s.Begin("page");
  const OutcomeReason why = s.WaitForPage(before, focus);
  if (why == OutcomeReason::None) return true;
  if (why == OutcomeReason::NoClient || why == OutcomeReason::ClientHung)
    Fail(out, "page", why);
  else
    Refuse(out, why == OutcomeReason::FocusElsewhere ? why : notReady);
  return false;
}

void TOrderDriver::RunOrder(Steps& s) {
  TOrderOutcome& out = s.out;
  const std::string& code = out.Request.Code;
  const OrderKind kind = KindOf(out.Request.Action);
  const TOrderPage page = OrderPage(kind);
  if (!TradableCode(code)) return Refuse(out, OutcomeReason::NoCode);

  HWND focus = nullptr;
  if (!OpenPage(s, page.Key, OutcomeReason::PageNotReady, focus)) return;

  s.Begin("code");
  // Only figures shown after the code went in can belong to it.
  for (int position : {page.PricePos, page.FigurePos}) {
    const HWND field = ChildWnd(position);
    if (field && (!IsTradeClientWindow(field) || !SetControlText(field, "")))
      return Fail(out, "code", OutcomeReason::ClientHung);
  }
  if (const OutcomeReason why = s.TypeVerified(focus, code); why != OutcomeReason::None) {
    if (why == OutcomeReason::ClientHung) return Fail(out, "code", why);
    return Refuse(out, OutcomeReason::CodeNotWritten);
  }

  s.Begin("figures");
  const std::uint32_t start = GetTickCount();
  TFreshFigures fresh;
  bool hung = false;
  const bool settled = PollMs(s.limit, [&] {
    TFigureReading reading;
    reading.Price = s.ReadAt(page.PricePos, hung);
    // Until the price is back the page has nothing for this code: one question per poll.
    if (!hung && reading.Price && reading.Price->empty()) return false;
    reading.Figure = s.ReadAt(page.FigurePos, hung);
    return hung || fresh.Update(reading, TickElapsed(start, GetTickCount()));
  });
  if (hung) return Fail(out, "figures", OutcomeReason::ClientHung);
  if (!settled) return Refuse(out, OutcomeReason::NoPrice);
  const std::string priceRead = fresh.Last().Price.value_or("");
  const auto fill = SizeOrder(kind, out.Request.Choice, fresh.Last().Figure.value_or(""), priceRead,
                              SettingsFor(kind));
  if (!fill) return Refuse(out, OutcomeReason::ZeroQuantity);

  s.Begin("write");
  const HWND button = ChildWnd(page.ButtonPos);
  if (!ChildWnd(page.PricePos) || !ChildWnd(page.QuantityPos) || !button)
    return Refuse(out, fill->Press ? OutcomeReason::PageNotReady : OutcomeReason::ZeroQuantity);
  for (const auto& [position, text, written] :
       {std::tuple{page.PricePos, &fill->PriceText, &out.PriceText},
        std::tuple{page.QuantityPos, &fill->QuantityText, &out.QuantityText}}) {
    const OutcomeReason why = s.WriteVerified(position, *text);
    if (why == OutcomeReason::ClientHung) return Fail(out, "write", why);
    if (why != OutcomeReason::None) return Refuse(out, why);
    *written = *text;
  }
  if (!fill->Press) {
    return Refuse(
        out, FieldNumber(priceRead) > 0 ? OutcomeReason::ZeroQuantity : OutcomeReason::NoPrice);
  }
  if (out.Request.Rehearsal) {
    out.Kind = OutcomeKind::Rehearsed;
    return;
  }

  s.Begin("press");
  if (!IsTradeClientWindow(button)) return Fail(out, "press", OutcomeReason::NoClient);
  if (OnBeforePress) OnBeforePress();
  if (!ClickControl(button)) return Fail(out, "press", OutcomeReason::ClientHung);
  out.Kind = OutcomeKind::Placed;
}

void TOrderDriver::RunCancel(Steps& s) {
  TOrderOutcome& out = s.out;
  HWND focus = nullptr;
  if (!OpenPage(s, kCancelKey, OutcomeReason::NoCancelPage, focus)) return;
  // "Withdraw" alone would act on whatever happens to be selected: both buttons, or neither.
  const HWND selectAll = ChildWnd(kCancelFirstPos);
  const HWND withdraw = ChildWnd(kCancelSecondPos);
  if (!IsTradeClientWindow(selectAll) || !IsTradeClientWindow(withdraw))
    return Refuse(out, OutcomeReason::NoCancelPage);
  if (out.Request.Rehearsal) {
    out.Kind = OutcomeKind::Rehearsed;
    return;
  }

  s.Begin("press");
  if (OnBeforePress) OnBeforePress();
  if (!ClickControl(selectAll)) return Fail(out, "press", OutcomeReason::ClientHung);
  if (!IsTradeClientWindow(withdraw)) return Fail(out, "press", OutcomeReason::NoCancelPage);
  if (!ClickControl(withdraw)) return Fail(out, "press", OutcomeReason::ClientHung);
  out.Kind = OutcomeKind::Placed;
}

void TOrderDriver::TypeText(HWND window, std::string_view text) {
  if (!window) return;
  // One message per GBK byte, as typed on a Chinese system; the A variant carries bytes and lets
  // the system pair the two bytes of a double-byte character.
  for (unsigned char byte : Utf8ToGbk(text)) {
    PostMessageA(window, WM_CHAR, byte, 0);
  }
}

void TOrderDriver::ListPageControls() {
  childCount_ = 0;
  const HWND page = GlobalState ? GlobalState->PageWnd : nullptr;
  if (!page) return;  // listing a null parent would list the desktop's windows
  EnumChildWindows(
      page,
      [](HWND child, LPARAM param) -> BOOL {
        auto& driver = *reinterpret_cast<TOrderDriver*>(param);
        if (driver.childCount_ >= kMaxChildren) return FALSE;
        driver.childWnds_[static_cast<size_t>(driver.childCount_++)] = child;
        return driver.childCount_ < kMaxChildren;
      },
      reinterpret_cast<LPARAM>(this));
}

std::optional<std::string> TOrderDriver::ReadControlText(HWND window) {
  if (!window) return std::string();
  wchar_t buffer[256] = {};
  if (!SendAnswered(window, WM_GETTEXT, 255, reinterpret_cast<LPARAM>(buffer))) {
    return std::nullopt;
  }
  buffer[255] = L'\0';
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(buffer), wcsnlen(buffer, 255)));
}

bool TOrderDriver::SetControlText(HWND window, std::string_view text) {
  if (!window) return true;
  const std::u16string wide = Utf8ToUtf16(text);
  return SendAnswered(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

bool TOrderDriver::ClickControl(HWND window) {
  if (!window) return true;
  return SendAnswered(window, WM_LBUTTONDOWN, 0, 0) && SendAnswered(window, WM_LBUTTONUP, 0, 0);
}

}  // namespace kovra
