// TradeSim.exe: a stand-in for a broker's trading client. Function keys open its order pages,
// the pages show their figures once a code has been typed, and every order, withdrawal and
// write from outside goes to a journal (see README.md).
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "SimJournal.h"
#include "SimOptions.h"
#include "SimWin.h"
#include "TradePage.h"

namespace kovra::sim {
namespace {

constexpr wchar_t kMainClass[] = L"KovraTradeSim";
constexpr UINT kConfirmMessage = WM_APP + 1;
constexpr UINT_PTR kSwitchTimer = 1;
constexpr UINT kReplyMessage = WM_APP + 2;
constexpr int kFaultExitCode = 3;

std::string KeyName(unsigned key) {
  return "F" + std::to_string(key - VK_F1 + 1);
}

class TradeClient final : public PageHost {
 public:
  explicit TradeClient(TradeOptions options) : options_(std::move(options)) {}

  bool Create(HINSTANCE instance, std::string& error);
  int Run();

  const TradeOptions& Options() const override { return options_; }
  void Record(std::string_view event, const std::vector<std::string>& fields) override {
    journal_.Write(event, fields);
  }
  void Strike(SimEvent event) override;
  void OrderPlaced(PageKind kind, const std::string& summary) override;
  HFONT Font() const override { return font_.Get(); }

 private:
  static LRESULT CALLBACK MainProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void OpenPage(unsigned key);
  void ShowPage(unsigned key);
  void OnActivate(bool active);
  void ClaimForeground();
  void Confirm();
  void Reply();
  TradePage* PageOf(PageKind kind) const;

  TradeOptions options_;
  Journal journal_;
  ControlFont font_;
  HWND wnd_ = nullptr;
  std::vector<std::unique_ptr<TradePage>> pages_;
  HWND savedFocus_ = nullptr;
  unsigned pendingKey_ = 0;  // a key whose page shows when the switch delay has passed
};

bool TradeClient::Create(HINSTANCE instance, std::string& error) {
  if (!journal_.Open(options_.journal)) {
    error = "cannot open the journal " + options_.journal.substr(0, 300);
    return false;
  }
  WNDCLASSW wc{};
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = MainProc;
  wc.lpszClassName = kMainClass;
  if (!RegisterClassW(&wc) || !TradePage::RegisterClasses(instance)) {
    error = "cannot register the window classes";
    return false;
  }
  RECT rc{0, 0, kPageWidth, kPageHeight};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  AdjustWindowRectEx(&rc, style, FALSE, 0);
  CreateWindowExW(0, kMainClass, Wide(options_.title).c_str(), style, 120, 120, rc.right - rc.left,
                  rc.bottom - rc.top, nullptr, nullptr, instance, this);
  if (!wnd_) {
    error = "cannot create the main window";
    return false;
  }
  for (const PageTable& table : AllPages()) {
    pages_.push_back(std::make_unique<TradePage>(*this, table, wnd_, options_.shortPage));
  }
  ShowWindow(pages_.front()->Window(), SW_SHOW);
  ShowWindow(wnd_, SW_SHOWNORMAL);
  UpdateWindow(wnd_);
  Record("START", {std::to_string(GetCurrentProcessId())});
  return true;
}

int TradeClient::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // The function keys work wherever the focus is, as accelerators of the main window.
    if (msg.message == WM_KEYDOWN && PageForKey(static_cast<unsigned>(msg.wParam)) &&
        IsChild(wnd_, msg.hwnd)) {
      msg.hwnd = wnd_;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void TradeClient::Strike(SimEvent event) {
  if (event == options_.hangOn) {
    Record("HANG", {EventName(event), std::to_string(options_.hangMs)});
    Sleep(static_cast<DWORD>(options_.hangMs));
  }
  if (event == options_.exitOn) {
    Record("EXIT", {EventName(event)});
    ExitProcess(kFaultExitCode);
  }
}

TradePage* TradeClient::PageOf(PageKind kind) const {
  for (const auto& page : pages_) {
    if (page->Table().kind == kind) return page.get();
  }
  return nullptr;
}

void TradeClient::OrderPlaced(PageKind kind, const std::string& summary) {
  if (TradePage* cancelPage = PageOf(PageKind::kCancel)) cancelPage->AddPendingOrder(kind, summary);
  if (options_.confirm == ConfirmMode::kBlocking) Confirm();
  if (options_.confirm == ConfirmMode::kAfter) PostMessageW(wnd_, kConfirmMessage, 0, 0);
  if (options_.reply) PostMessageW(wnd_, kReplyMessage, 0, 0);
}

// The broker's answer to an order, as real clients show it: a box of the client's own, left for
// the trader to close.
void TradeClient::Reply() {
  Record("REPLY", {*options_.reply});
  MessageBoxW(wnd_, Wide(*options_.reply).c_str(), L"提示", MB_OK | MB_ICONINFORMATION);
  Record("REPLYCLOSED", {});
}

void TradeClient::Confirm() {
  int answer = MessageBoxW(wnd_, L"确认下单?", L"确认", MB_OKCANCEL | MB_ICONQUESTION);
  Record("CONFIRM", {answer == IDOK ? "ok" : "cancel"});
}

void TradeClient::OpenPage(unsigned key) {
  const PageTable* table = PageForKey(key);
  if (!table) return;
  Record("KEY", {KeyName(key), table->name});
  Strike(SimEvent::kKey);
  if (!IsWindow(wnd_)) return;
  if (options_.switchDelayMs > 0) {
    // A slow client: the page it is leaving keeps the focus meanwhile. A later key replaces
    // an earlier one still waiting.
    pendingKey_ = key;
    SetTimer(wnd_, kSwitchTimer, static_cast<UINT>(options_.switchDelayMs), nullptr);
    return;
  }
  ShowPage(key);
}

void TradeClient::ShowPage(unsigned key) {
  const PageTable* table = PageForKey(key);
  if (!table) return;
  TradePage* target = PageOf(table->kind);
  for (const auto& page : pages_) {
    if (page.get() != target) page->Hide();
  }
  target->Open();
  savedFocus_ = target->FocusTarget();
  Record("PAGE", {table->name});
}

// Focus is a thread's, and activation moves it; like a dialog, the window puts it back on the
// control that had it, so that whoever raises the window finds the field focused.
void TradeClient::OnActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(wnd_, focus)) savedFocus_ = focus;
    return;
  }
  ClaimForeground();
  if (savedFocus_ && IsWindow(savedFocus_) && IsWindowVisible(savedFocus_)) {
    SetFocus(savedFocus_);
  }
}

// Windows hands the foreground to a window that the foreground program raises; Wine activates
// such a window only within its own thread. Taking the foreground when raised or activated
// gives the behaviour a driver relies on in both.
void TradeClient::ClaimForeground() {
  if (GetForegroundWindow() != wnd_ && IsWindowVisible(wnd_) && !IsIconic(wnd_)) {
    SetForegroundWindow(wnd_);
  }
}

LRESULT TradeClient::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN:
      if (PageForKey(static_cast<unsigned>(wParam))) {
        OpenPage(static_cast<unsigned>(wParam));
        return 0;
      }
      break;
    case WM_WINDOWPOSCHANGED: {
      auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (!(pos->flags & SWP_NOZORDER) && pos->hwndInsertAfter == HWND_TOP) ClaimForeground();
      break;
    }
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case kConfirmMessage:
      Confirm();
      return 0;
    case WM_TIMER:
      if (wParam == kSwitchTimer) {
        KillTimer(wnd_, kSwitchTimer);
        ShowPage(std::exchange(pendingKey_, 0));
        return 0;
      }
      break;
    case kReplyMessage:
      Reply();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(wnd_, msg, wParam, lParam);
}

LRESULT CALLBACK TradeClient::MainProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* client =
        static_cast<TradeClient*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    client->wnd_ = wnd;
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(client));
  }
  auto* client = reinterpret_cast<TradeClient*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!client) return DefWindowProcW(wnd, msg, wParam, lParam);
  try {
    return client->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(wnd, msg, wParam, lParam);
  }
}

}  // namespace
}  // namespace kovra::sim

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace kovra::sim;
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  TradeOptions options;
  std::string error;
  if (!ParseTradeOptions(CommandLineArgs(), options, error)) {
    WriteStdErr("TradeSim: " + error + "\n" + TradeUsage());
    return 2;
  }
  if (options.help) {
    WriteStdErr(TradeUsage());
    return 0;
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  TradeClient client(std::move(options));
  if (!client.Create(instance, error)) {
    WriteStdErr("TradeSim: " + error + "\n");
    return 1;
  }
  return client.Run();
}
