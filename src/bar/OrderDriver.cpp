#include "bar/OrderDriver.h"

#include <cwchar>

#include "app/Global.h"
#include "framework/runtime/Text.h"

namespace kovra {
namespace {

constexpr UINT kAnswerFlags = SMTO_NORMAL | SMTO_ABORTIFHUNG;
constexpr int kOpenWaitMs = 200;
constexpr int kPageWaitMs = 500;
constexpr int kPressWaitMs = 100;
constexpr int kCancelFirstPos = 12;
constexpr int kCancelSecondPos = 9;

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

bool StartsWithDigit(const std::string& code) {
  return !code.empty() && code[0] >= '0' && code[0] <= '9';
}

// Shares another thread's input state with this one for the scope, so that its focus can be read.
class AttachedInput {
 public:
  explicit AttachedInput(DWORD thread)
      : thread_(thread), attached_(AttachThreadInput(GetCurrentThreadId(), thread, TRUE) != 0) {}
  ~AttachedInput() {
    if (attached_) AttachThreadInput(GetCurrentThreadId(), thread_, FALSE);
  }
  AttachedInput(const AttachedInput&) = delete;
  AttachedInput& operator=(const AttachedInput&) = delete;

 private:
  DWORD thread_;
  bool attached_;
};

HWND ForegroundFocus() {
  const HWND foreground = GetForegroundWindow();
  if (!foreground) return nullptr;
  const DWORD thread = GetWindowThreadProcessId(foreground, nullptr);
  if (thread == 0) return nullptr;
  if (thread == GetCurrentThreadId()) return GetFocus();
  AttachedInput attached(thread);
  return GetFocus();
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

TOrderDriver& OrderDriver() {
  static TOrderDriver driver;
  return driver;
}

HWND TOrderDriver::ChildWnd(int position) const {
  return position >= 0 && position < childCount_ ? childWnds_[static_cast<size_t>(position)]
                                                 : nullptr;
}

void TOrderDriver::PlaceOrder(OrderKind kind, int choice) {
  // The waits pump messages, so a click can arrive here while an action is under way.
  if (busy_ || !GlobalState) return;
  Guard guard(*this);
  try {
    if (!OpenOrderPage(OrderPage(kind).Key)) return;
    ListPageControls();
    Size(kind, choice);
  } catch (...) {
    // The driver reports nothing; whatever failed submitted nothing after it.
  }
}

void TOrderDriver::CancelOrders() {
  if (busy_ || !GlobalState) return;
  Guard guard(*this);
  try {
    if (!RaiseClient(kCancelKey)) return;
    WaitMs(kOpenWaitMs);
    if (!TakeFocusedControl()) return;
    const HWND page = GetParent(GlobalState->FocusWnd);
    GlobalState->PageWnd = IsTradeClientWindow(page) ? page : nullptr;
    if (!GlobalState->PageWnd) return;
    ListPageControls();
    if (!ClickAt(kCancelFirstPos)) return;
    WaitMs(kPressWaitMs);
    ClickAt(kCancelSecondPos);
  } catch (...) {
  }
}

bool TOrderDriver::OpenOrderPage(int key) {
  if (!GlobalState || !StartsWithDigit(GlobalState->CurrentCode)) return false;
  try {
    if (!RaiseClient(key)) return false;
    WaitMs(kOpenWaitMs);
    if (!TakeFocusedControl()) return false;
    // The watcher runs during the wait; the code typed is the one current now.
    const std::string code = GlobalState->CurrentCode;
    if (!StartsWithDigit(code)) return false;
    TypeText(GlobalState->FocusWnd, code);
    WaitMs(kPageWaitMs);
    const HWND page = GetParent(GlobalState->FocusWnd);
    GlobalState->PageWnd = IsTradeClientWindow(page) ? page : nullptr;
    return GlobalState->PageWnd != nullptr;
  } catch (...) {
    return false;
  }
}

bool TOrderDriver::RaiseClient(int key) {
  const HWND trade = GlobalState->TradeWnd;
  if (!IsTradeClientWindow(trade)) return false;
  // Restoring and raising wait on the client; a hung one is left alone.
  if (!SendAnswered(trade, WM_NULL, 0, 0)) return false;
  ShowWindow(trade, SW_SHOWNORMAL);
  UpdateWindow(trade);
  BringWindowToTop(trade);
  return PostMessageW(trade, WM_KEYDOWN, static_cast<WPARAM>(key), 0) != 0;
}

bool TOrderDriver::TakeFocusedControl() {
  const HWND focus = ForegroundFocus();
  // Typing into whatever else has the focus would act on a program the user never chose.
  const bool ours = IsTradeClientWindow(focus) && IsTradeClientWindow(GlobalState->TradeWnd);
  GlobalState->FocusWnd = ours ? focus : nullptr;
  GlobalState->PageWnd = nullptr;
  return ours;
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

// A handle from the listing that is no longer the client's (closed, or its number reused by
// another window) counts as a control that did not answer.
std::optional<std::string> TOrderDriver::ReadAt(int position) {
  const HWND window = ChildWnd(position);
  if (!window) return std::string();
  if (!IsTradeClientWindow(window)) return std::nullopt;
  return ReadControlText(window);
}

bool TOrderDriver::WriteAt(int position, std::string_view text) {
  const HWND window = ChildWnd(position);
  if (!window) return true;
  return IsTradeClientWindow(window) && SetControlText(window, text);
}

bool TOrderDriver::ClickAt(int position) {
  const HWND window = ChildWnd(position);
  if (!window) return true;
  return IsTradeClientWindow(window) && ClickControl(window);
}

void TOrderDriver::Size(OrderKind kind, int choice) {
  if (!GlobalState) return;
  const TOrderPage page = OrderPage(kind);
  const auto figure = ReadAt(page.FigurePos);
  if (!figure) return;
  const auto price = ReadAt(page.PricePos);
  if (!price) return;
  const auto fill = SizeOrder(kind, choice, *figure, *price, SettingsFor(kind));
  if (!fill) return;
  if (!WriteAt(page.PricePos, fill->PriceText)) return;
  if (!WriteAt(page.QuantityPos, fill->QuantityText)) return;
  if (!fill->Press) return;
  WaitMs(kPressWaitMs);
  ClickAt(page.ButtonPos);
}

}  // namespace kovra
