#include "TradePage.h"

#include <commctrl.h>

#include "SimWin.h"

namespace kovra::sim {
namespace {

constexpr wchar_t kPageClass[] = L"KovraSimPage";
constexpr wchar_t kPanelClass[] = L"KovraSimPanel";
constexpr UINT_PTR kReadyTimer = 1;
constexpr UINT_PTR kSubclassId = 1;
constexpr int kFirstControlId = 1000;
constexpr size_t kMaxFieldChars = 4096;
constexpr LRESULT kMaxPendingOrders = 1000;

// Panels pass their children's notifications on, so the page hears every control.
LRESULT CALLBACK PanelProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      if (HWND parent = GetParent(wnd)) return SendMessageW(parent, msg, wParam, lParam);
      break;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

const char* KindCaption(PageKind kind) {
  switch (kind) {
    case PageKind::kBuy:
      return "买入";
    case PageKind::kSell:
      return "卖出";
    case PageKind::kMargin:
      return "融资买入";
    case PageKind::kCancel:
      break;
  }
  return "";
}

}  // namespace

bool TradePage::RegisterClasses(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = PageProc;
  wc.lpszClassName = kPageClass;
  if (!RegisterClassW(&wc)) return false;
  wc.lpfnWndProc = PanelProc;
  wc.lpszClassName = kPanelClass;
  return RegisterClassW(&wc) != 0;
}

TradePage::TradePage(PageHost& host, const PageTable& table, HWND parent, int maxControls)
    : host_(host), table_(table) {
  // The page's id is its function key, so GetDlgItem(main window, VK_F1) finds the buy page.
  CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, Wide(table.title).c_str(),
                  WS_CHILD | WS_CLIPCHILDREN, 0, 0, kPageWidth, kPageHeight, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(table.key)),
                  GetModuleHandleW(nullptr), this);
  if (!wnd_) return;
  int count = static_cast<int>(table.controls.size());
  if (maxControls > 0 && maxControls < count) count = maxControls;
  CreateControls(count);
}

void TradePage::CreateControls(int count) {
  for (int i = 0; i < count; ++i) {
    int parentPosition = ParentPosition(table_, i);
    HWND parent = parentPosition >= 0 ? At(parentPosition) : wnd_;
    auto control = std::make_unique<Control>(Control{this, i});
    control->wnd = CreateControl(table_.controls[i], parent, i);
    if (control->wnd) {
      SetWindowSubclass(control->wnd, ControlProc, kSubclassId,
                        reinterpret_cast<DWORD_PTR>(control.get()));
    }
    controls_.push_back(std::move(control));
  }
}

HWND TradePage::CreateControl(const ControlEntry& entry, HWND parent, int position) {
  const wchar_t* cls = L"STATIC";
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  std::wstring text = Wide(entry.text);
  switch (entry.kind) {
    case ControlKind::kStatic:
      style |= SS_LEFT | SS_NOPREFIX;
      break;
    case ControlKind::kEdit:
      cls = L"EDIT";
      style |= WS_TABSTOP | ES_AUTOHSCROLL;
      exStyle = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::kButton:
      cls = L"BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    case ControlKind::kCombo:
      // A drop-down list has no edit child, so it holds exactly one position.
      cls = L"COMBOBOX";
      style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
      break;
    case ControlKind::kListBox:
      cls = L"LISTBOX";
      style |=
          WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
      break;
    case ControlKind::kPanel:
      cls = kPanelClass;
      exStyle = WS_EX_CONTROLPARENT | WS_EX_STATICEDGE;
      break;
  }
  bool textInWindow = entry.kind != ControlKind::kCombo && entry.role != ControlRole::kReadyText;
  HWND wnd =
      CreateWindowExW(exStyle, cls, textInWindow ? text.c_str() : L"", style, entry.x, entry.y,
                      entry.width, entry.height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + position)),
                      GetModuleHandleW(nullptr), nullptr);
  if (!wnd) return nullptr;
  SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(host_.Font()), FALSE);
  if (entry.kind == ControlKind::kCombo) {
    SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"市价委托"));
    SendMessageW(wnd, CB_SETCURSEL, 0, 0);
  }
  if (entry.role == ControlRole::kCode) {
    SendMessageW(wnd, EM_LIMITTEXT, static_cast<WPARAM>(host_.Options().codeLength), 0);
  }
  return wnd;
}

HWND TradePage::At(int position) const {
  if (position < 0 || position >= static_cast<int>(controls_.size())) return nullptr;
  return controls_[position]->wnd;
}

int TradePage::Position(ControlRole role) const {
  int position = PositionOf(table_, role);
  return At(position) ? position : -1;
}

std::string TradePage::TextAt(int position) const {
  HWND wnd = At(position);
  return wnd ? WindowTextUtf8(wnd) : std::string();
}

void TradePage::SetOwnText(int position, std::string_view text) {
  HWND wnd = At(position);
  if (!wnd) return;
  settingOwnText_ = true;
  SetWindowTextUtf8(wnd, text);
  settingOwnText_ = false;
}

HWND TradePage::FocusTarget() const {
  ControlRole role =
      table_.kind == PageKind::kCancel ? ControlRole::kOrderList : ControlRole::kCode;
  HWND target = At(Position(role));
  return target ? target : wnd_;
}

void TradePage::Open() {
  // A stale client leaves the last code's figures standing; its code field still clears.
  if (host_.Options().stale) {
    KillTimer(wnd_, kReadyTimer);
    codeComplete_ = false;
  }
  SetOwnText(Position(ControlRole::kCode), "");
  if (!host_.Options().stale) ClearFigures();
  ShowWindow(wnd_, SW_SHOW);
  SetFocus(FocusTarget());
}

void TradePage::Hide() {
  KillTimer(wnd_, kReadyTimer);
  ShowWindow(wnd_, SW_HIDE);
}

void TradePage::ClearFigures() {
  KillTimer(wnd_, kReadyTimer);
  codeComplete_ = false;
  for (size_t i = 0; i < controls_.size(); ++i) {
    ControlRole role = table_.controls[i].role;
    if (role == ControlRole::kPrice || role == ControlRole::kQuantity ||
        role == ControlRole::kFigure || role == ControlRole::kReadyText) {
      SetOwnText(static_cast<int>(i), "");
    }
  }
}

// A complete code (typed, or set from outside) starts the page's lookup; any other change
// takes the figures away again.
void TradePage::OnCodeChanged() {
  std::string code = TextAt(Position(ControlRole::kCode));
  bool complete = static_cast<int>(Wide(code).size()) >= host_.Options().codeLength;
  if ((!complete || code != completedCode_) && codeComplete_) {
    if (host_.Options().stale) {
      KillTimer(wnd_, kReadyTimer);
      codeComplete_ = false;
    } else {
      ClearFigures();
    }
  }
  if (!complete || codeComplete_) return;
  codeComplete_ = true;
  completedCode_ = code;
  host_.Record("CODE", {table_.name, code});
  host_.Strike(SimEvent::kCode);
  int delay = host_.Options().readyDelayMs;
  if (delay == 0) {
    ShowFigures();
  } else {
    SetTimer(wnd_, kReadyTimer, static_cast<UINT>(delay), nullptr);
  }
}

void TradePage::ShowFigures() {
  KillTimer(wnd_, kReadyTimer);
  if (!codeComplete_) return;
  const TradeOptions& options = host_.Options();
  const std::string* figure = &options.funds;
  if (table_.kind == PageKind::kMargin) figure = &options.buyable;
  if (table_.kind == PageKind::kSell) figure = &options.sellable;
  for (size_t i = 0; i < controls_.size(); ++i) {
    const ControlEntry& control = table_.controls[i];
    int position = static_cast<int>(i);
    if (control.role == ControlRole::kPrice) {
      SetOwnText(position, options.PriceFor(table_.kind, TextAt(Position(ControlRole::kCode))));
    }
    if (control.role == ControlRole::kFigure) SetOwnText(position, *figure);
    if (control.role == ControlRole::kReadyText) SetOwnText(position, control.text);
  }
  host_.Record("READY", {table_.name, TextAt(Position(ControlRole::kCode))});
}

void TradePage::OnButton(int position) {
  host_.Strike(SimEvent::kClick);
  if (!IsWindow(wnd_)) return;
  const ControlEntry& entry = table_.controls[position];
  switch (entry.role) {
    case ControlRole::kOrderButton: {
      std::string code = TextAt(Position(ControlRole::kCode));
      std::string price = TextAt(Position(ControlRole::kPrice));
      std::string quantity = TextAt(Position(ControlRole::kQuantity));
      host_.Record("ORDER", {table_.name, code, price, quantity});
      host_.OrderPlaced(table_.kind, std::string(KindCaption(table_.kind)) + " " + code + " " +
                                         price + " " + quantity);
      break;
    }
    case ControlRole::kCancelButton:
      OnCancelButton(position);
      break;
    case ControlRole::kResetButton:
      host_.Record("CLICK", {table_.name, std::to_string(position), entry.text});
      SetOwnText(Position(ControlRole::kPrice), "");
      SetOwnText(Position(ControlRole::kQuantity), "");
      break;
    default:
      host_.Record("CLICK", {table_.name, std::to_string(position), entry.text});
      break;
  }
}

void TradePage::AddPendingOrder(PageKind kind, const std::string& summary) {
  HWND list = At(Position(ControlRole::kOrderList));
  if (!list) return;
  // A long benchmark places many orders; the oldest make way.
  while (SendMessageW(list, LB_GETCOUNT, 0, 0) >= kMaxPendingOrders) {
    SendMessageW(list, LB_DELETESTRING, 0, 0);
  }
  auto index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(summary).c_str()));
  if (index >= 0) SendMessageW(list, LB_SETITEMDATA, index, static_cast<LPARAM>(kind));
  UpdatePendingCount();
}

// The withdrawal buttons act on the list of orders placed so far: "全选" selects them all,
// "撤单" withdraws the selected ones, "全撤" all, "撤买"/"撤卖" one side, "撤尾单" the last one.
void TradePage::OnCancelButton(int position) {
  std::string caption = table_.controls[position].text;
  HWND list = At(Position(ControlRole::kOrderList));
  int withdrawn = 0;
  if (list) {
    auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    auto withdrawIf = [&](auto&& shouldGo) {
      for (int i = count - 1; i >= 0; --i) {
        if (shouldGo(i)) {
          SendMessageW(list, LB_DELETESTRING, i, 0);
          ++withdrawn;
        }
      }
    };
    auto kindOf = [&](int i) {
      return static_cast<PageKind>(SendMessageW(list, LB_GETITEMDATA, i, 0));
    };
    if (caption == "全选") {
      if (count > 0) SendMessageW(list, LB_SELITEMRANGE, TRUE, MAKELPARAM(0, count - 1));
    } else if (caption == "撤单") {
      withdrawIf([&](int i) { return SendMessageW(list, LB_GETSEL, i, 0) > 0; });
    } else if (caption == "全撤") {
      withdrawIf([](int) { return true; });
    } else if (caption == "撤买") {
      withdrawIf([&](int i) { return kindOf(i) != PageKind::kSell; });
    } else if (caption == "撤卖") {
      withdrawIf([&](int i) { return kindOf(i) == PageKind::kSell; });
    } else if (caption == "撤尾单") {
      withdrawIf([&](int i) { return i == count - 1; });
    }
    UpdatePendingCount();
  }
  host_.Record("CANCEL", {std::to_string(position), caption, std::to_string(withdrawn)});
}

void TradePage::UpdatePendingCount() {
  HWND list = At(Position(ControlRole::kOrderList));
  if (!list || !At(2)) return;
  auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  SetOwnText(2, "共 " + std::to_string(count < 0 ? 0 : count) + " 笔");
}

void TradePage::OnCommand(HWND from, int code) {
  for (auto& control : controls_) {
    if (control->wnd != from) continue;
    ControlRole role = table_.controls[control->position].role;
    if (role == ControlRole::kCode && code == EN_CHANGE) OnCodeChanged();
    // A click by keyboard; mouse clicks are taken from the button messages themselves.
    if (table_.controls[control->position].kind == ControlKind::kButton && code == BN_CLICKED &&
        !control->inButtonUp) {
      OnButton(control->position);
    }
    return;
  }
}

LRESULT TradePage::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kReadyTimer) ShowFigures();
      return 0;
  }
  return DefWindowProcW(wnd_, msg, wParam, lParam);
}

// A text from another program is journaled and kept only up to kMaxFieldChars: a field of a
// real page holds a few characters, and an edit control slows to a crawl on huge single lines.
LRESULT TradePage::OnSetTextFromOutside(Control& control, WPARAM wParam, LPARAM lParam) {
  const auto* text = reinterpret_cast<const wchar_t*>(lParam);
  std::wstring kept = text ? std::wstring(text, wcsnlen(text, kMaxFieldChars)) : std::wstring();
  host_.Record("SETTEXT", {table_.name, std::to_string(control.position), Narrow(kept)});
  host_.Strike(SimEvent::kSetText);
  if (!IsWindow(control.wnd)) return FALSE;
  const ControlRole role = table_.controls[control.position].role;
  if (host_.Options().ignoreSetText &&
      (role == ControlRole::kPrice || role == ControlRole::kQuantity))
    return TRUE;  // answered, and nothing changed
  return DefSubclassProc(control.wnd, WM_SETTEXT, wParam, reinterpret_cast<LPARAM>(kept.c_str()));
}

// Buttons act on a button-down followed by a button-up inside them, as a press of the mouse
// does, and also when both messages are sent from another program with coordinates (0, 0).
LRESULT TradePage::HandleControl(Control& control, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND wnd = control.wnd;
  const ControlEntry& entry = table_.controls[control.position];
  switch (msg) {
    case WM_SETTEXT:
      if (!settingOwnText_) return OnSetTextFromOutside(control, wParam, lParam);
      break;
    case WM_LBUTTONDOWN:
      if (entry.kind == ControlKind::kButton) control.pressed = true;
      break;
    case WM_LBUTTONUP:
      if (entry.kind == ControlKind::kButton) {
        bool wasPressed = control.pressed;
        control.pressed = false;
        control.inButtonUp = true;
        LRESULT result = DefSubclassProc(wnd, msg, wParam, lParam);
        control.inButtonUp = false;
        RECT rc{};
        GetClientRect(wnd, &rc);
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (wasPressed && PtInRect(&rc, pt)) OnButton(control.position);
        return result;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(wnd, ControlProc, kSubclassId);
      break;
  }
  return DefSubclassProc(wnd, msg, wParam, lParam);
}

LRESULT CALLBACK TradePage::PageProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* page = static_cast<TradePage*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    page->wnd_ = wnd;
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
  }
  auto* page = reinterpret_cast<TradePage*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!page) return DefWindowProcW(wnd, msg, wParam, lParam);
  try {
    return page->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(wnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK TradePage::ControlProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
  auto* control = reinterpret_cast<Control*>(data);
  try {
    return control->page->HandleControl(*control, msg, wParam, lParam);
  } catch (...) {
    return DefSubclassProc(wnd, msg, wParam, lParam);
  }
}

}  // namespace kovra::sim
