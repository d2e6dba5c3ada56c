#include "BarProcess.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "framework/Handles.h"
#include "framework/runtime/Text.h"
#include "support/Input.h"
#include "support/Sim.h"
#include "support/Wait.h"
#include "support/Windows.h"

namespace kovra::test {
namespace {

POINT Centre(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

INPUT MouseInput(DWORD flags, POINT at = {}) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    in.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  return in;
}

// Every event carries its own position: a pointer warp that the display reports late would
// otherwise move a click made at the cursor back to where the cursor was before.
INPUT MouseAt(DWORD flags, POINT at) {
  return MouseInput(flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, at);
}

void Send(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool ThreadFlag(HWND wnd, DWORD flag) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &info) &&
         (info.flags & flag) != 0;
}

bool InMoveLoop(HWND wnd) {
  return ThreadFlag(wnd, GUI_INMOVESIZE);
}

// The rows of an open popup menu drawn in the selection colour, in screen coordinates. Under Wine
// another program gets the menu's handle (MN_GETHMENU) but GetMenuState and GetMenuItemInfo
// refuse it (ERROR_INVALID_MENU_HANDLE); what the menu shows can be read all the same.
struct Band {
  int top = 0;
  int bottom = 0;
  bool Empty() const { return bottom <= top; }
  bool operator==(const Band&) const = default;
};

Band HighlightedBand(HWND menu) {
  RECT r{};
  if (!GetWindowRect(menu, &r) || r.right - r.left < 12 || r.bottom <= r.top) return {};
  // A column near the right edge: clear of the check marks and the text, inside the border.
  const int x = r.right - 6, height = r.bottom - r.top;
  WindowDC screen(nullptr);
  MemoryDC column(CreateCompatibleDC(screen.Get()));
  BitmapHandle pixels(CreateCompatibleBitmap(screen.Get(), 1, height));
  SelectObjectScope selected(column.Get(), pixels.Get());
  BitBlt(column.Get(), 0, 0, 1, height, screen.Get(), x, r.top, SRCCOPY);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  const COLORREF menuHighlight = GetSysColor(COLOR_MENUHILIGHT);
  Band band;
  for (int y = 0; y < height; ++y) {
    const COLORREF c = GetPixel(column.Get(), 0, y);
    if (c != highlight && c != menuHighlight) continue;
    // Two highlighted runs: caught between two items' repainting, which shows no answer yet.
    if (!band.Empty() && band.bottom != r.top + y) return {};
    if (band.Empty()) band.top = r.top + y;
    band.bottom = r.top + y + 1;
  }
  return band;
}

// Moves the highlight one item down and waits until it shows elsewhere; a key the menu missed
// is sent again.
Band StepDown(HWND menu, const Band& from) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(menu, WM_KEYUP, VK_DOWN, 0xC0000001);
    Band now;
    if (WaitUntil(
            [&] {
              now = HighlightedBand(menu);
              return !now.Empty() && now != from;
            },
            std::chrono::seconds(2)))
      return now;
  }
  throw std::runtime_error("the popup menu's highlight does not move with the Down key");
}

// Brings the highlight onto item `index` (separators not counted). Down moves it to the next
// item, past separators, and from the last to the first; the rows it stops on, top to bottom,
// are the items' order. Three rounds, and only rows met at least twice count: what the screen
// showed before the menu had painted itself, or a highlight the cursor moved once, is no item.
Band HighlightItem(HWND menu, size_t index, size_t count) {
  std::vector<std::pair<Band, int>> met;
  Band now = HighlightedBand(menu);
  for (size_t steps = 0; steps < 3 * count; ++steps) {
    now = StepDown(menu, now);
    auto it = std::find_if(met.begin(), met.end(), [&](const auto& m) { return m.first == now; });
    if (it == met.end())
      met.emplace_back(now, 1);
    else
      ++it->second;
  }
  std::vector<Band> rows;
  for (const auto& [band, times] : met)
    if (times >= 2) rows.push_back(band);
  if (rows.size() != count)
    throw std::runtime_error("the popup menu highlights " + std::to_string(rows.size()) +
                             " rows for " + std::to_string(count) + " items");
  std::sort(rows.begin(), rows.end(), [](const Band& a, const Band& b) { return a.top < b.top; });
  for (size_t steps = 0; now != rows[index]; ++steps) {
    if (steps == 2 * count) throw std::runtime_error("the popup menu's highlight went astray");
    now = StepDown(menu, now);
  }
  if (HighlightedBand(menu) != rows[index])
    throw std::runtime_error("the popup menu's highlight left item " + std::to_string(index));
  return now;
}

}  // namespace

// ---- the folder ----

BarFolder::BarFolder() {
  if (!CopyFileW((BinDir() + L"Kovra.exe").c_str(), (Path() + L"Kovra.exe").c_str(), FALSE))
    throw std::runtime_error("cannot copy Kovra.exe");
}

void BarFolder::WriteIni(const char* section, const char* key, std::string_view value) const {
  if (!WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                  IniPath().c_str()))
    throw std::runtime_error("cannot write Kovra.ini");
}

std::string BarFolder::ReadIni(const char* section, const char* key) const {
  wchar_t buffer[2048];
  const DWORD n = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), L"<none>",
                                           buffer, 2048, IniPath().c_str());
  return Narrow(std::wstring_view(buffer, n));
}

void BarFolder::WriteCodeTable(const char* key, std::string_view value) const {
  if (!WritePrivateProfileStringW(L"代码表", Wide(key).c_str(), Wide(value).c_str(),
                                  (Path() + L"股票代码表.ini").c_str()))
    throw std::runtime_error("cannot write the code table");
}

void BarFolder::UseSimulators() const {
  WriteIni("Config", "TradeSoft", Narrow(SimPath(L"TradeSim.exe")));
  WriteIni("Config", "StockSoft", Narrow(SimPath(L"QuoteSim.exe")));
}

// ---- the program ----

BarProcess::BarProcess(const BarFolder& folder)
    : process_(folder.Path() + L"Kovra.exe", {}, folder.Path()) {}

void BarProcess::WaitForBar() {
  bar_ = process_.WaitForWindow(L"KovraForm");
  if (!bar_) throw std::runtime_error("the bar did not show");
  HWND panel = GetWindow(bar_, GW_CHILD);
  controls_.clear();
  for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    controls_.push_back(child);
  std::sort(controls_.begin(), controls_.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.left < rb.left;
  });
  if (controls_.size() != 5) throw std::runtime_error("the bar does not hold five controls");
}

std::vector<HWND> BarProcess::TopLevelWindows() const {
  return VisibleWindowsOf(process_.Pid(), nullptr);
}

RECT BarProcess::BarRect() const {
  RECT r{};
  GetWindowRect(bar_, &r);
  return r;
}

std::string BarProcess::Display() const {
  return WindowTextUtf8(Control(2));
}

MessageBoxInfo BarProcess::WaitForMessageBox(DWORD timeoutMs) const {
  MessageBoxInfo box;
  WaitUntil(
      [&] {
        auto boxes = VisibleWindowsOf(process_.Pid(), L"#32770");
        if (!boxes.empty()) box.window = boxes.front();
        return box.window != nullptr;
      },
      std::chrono::milliseconds(timeoutMs));
  if (!box.window) return box;
  box.caption = WindowTextUtf8(box.window);
  for (HWND child : Descendants(box.window)) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    const std::string text = WindowTextUtf8(child);
    if (_wcsicmp(name, L"Static") == 0 && !text.empty()) box.text = text;
  }
  return box;
}

void BarProcess::Dismiss(const MessageBoxInfo& box) {
  PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box.window, IDOK)));
  WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); });
}

void BarProcess::Click(HWND control, int times) const {
  const POINT p = Centre(control);
  std::vector<INPUT> inputs;
  for (int i = 0; i < times; ++i) {
    inputs.push_back(MouseAt(MOUSEEVENTF_LEFTDOWN, p));
    inputs.push_back(MouseAt(MOUSEEVENTF_LEFTUP, p));
  }
  Send(inputs);
}

void BarProcess::RightClick(HWND control) const {
  const POINT p = Centre(control);
  Send({MouseAt(MOUSEEVENTF_RIGHTDOWN, p), MouseAt(MOUSEEVENTF_RIGHTUP, p)});
}

bool BarProcess::MenuOpen() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return menu && IsWindowVisible(menu);
}

void BarProcess::PressKey(WORD key) {
  SendKeys({key});
}

// The captions of the bar's popup menus, by control, in the order the bar builds them; separators
// are left out, as the keyboard skips them. Another program cannot read a menu's items under
// Wine, so they are known here; ChooseMenuItem checks which row is highlighted before it chooses.
const std::vector<std::string_view>& MenuCaptions(int control) {
  static const std::vector<std::vector<std::string_view>> kMenus{
      {"融资全仓买", "融资半仓买", "融资买三分之一仓", "融资买四分之一仓", "融资买五分之一仓",
       "融资按股数买", "融资按金额买"},
      {"全仓买", "半仓买", "买三分之一仓", "买四分之一仓", "买五分之一仓", "按股数买", "按金额买"},
      {"设置", "提示消息", "演练模式", "退出"},
      {"全仓卖", "半仓卖", "卖三分之一仓", "卖四分之一仓", "卖五分之一仓"},
      {}};
  return kMenus.at(static_cast<size_t>(control));
}

void BarProcess::ChooseMenuItem(int control, std::string_view caption) const {
  const auto& captions = MenuCaptions(control);
  const auto found = std::find(captions.begin(), captions.end(), caption);
  if (found == captions.end()) throw std::invalid_argument("no such menu item");
  // The bar takes no input while an action runs, and an order's journal line comes before the
  // action's end.
  WaitUntil([&] { return IsWindowEnabled(bar_) && Responsive(); });
  RightClick(Control(control));
  HWND menu = nullptr;
  if (!WaitUntil([&] {
        menu = FindWindowW(L"#32768", nullptr);
        return menu && IsWindowVisible(menu) && ThreadFlag(bar_, GUI_INMENUMODE);
      }))
    throw std::runtime_error("no popup menu opened");
  // A cursor resting on the menu highlights whichever item it lies on, whenever the menu hears of
  // it: the cursor goes where no menu is first.
  RECT shown{};
  GetWindowRect(menu, &shown);
  POINT away{GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1};
  if (PtInRect(&shown, away)) away = POINT{0, 0};
  Send({MouseAt(0, away)});
  WaitUntil([&] {
    POINT now;
    return GetCursorPos(&now) && now.x == away.x && now.y == away.y;
  });
  // The keys go to the menu itself, not to whichever window holds the foreground; Enter chooses
  // the item only once its row shows highlighted.
  HighlightItem(menu, static_cast<size_t>(found - captions.begin()), captions.size());
  PostMessageW(menu, WM_CHAR, L'\r', 1);
  if (!WaitUntil([&] { return !MenuOpen() && !ThreadFlag(bar_, GUI_INMENUMODE); }))
    throw std::runtime_error("the popup menu stayed open");
}

void BarProcess::Drag(HWND control, int dx, int dy) const {
  const POINT start = Centre(control);
  const RECT origin = BarRect();
  Send({MouseAt(MOUSEEVENTF_LEFTDOWN, start)});
  // Moves made before the system's move loop runs would not count.
  WaitUntil([&] { return InMoveLoop(bar_); }, std::chrono::seconds(5));
  constexpr int kSteps = 4;
  for (int i = 1; i <= kSteps; ++i) {
    const POINT at{start.x + dx * i / kSteps, start.y + dy * i / kSteps};
    Send({MouseAt(0, at)});
    WaitUntil([&] {
      POINT now;
      return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
    });
  }
  // A release while the loop still holds the last move would end the drag short of it; where
  // the system moves the window along, the release waits until it is there.
  WaitUntil(
      [&] {
        const RECT now = BarRect();
        return now.left == origin.left + dx && now.top == origin.top + dy;
      },
      std::chrono::seconds(2));
  Send({MouseAt(MOUSEEVENTF_LEFTUP, POINT{start.x + dx, start.y + dy})});
  WaitUntil([&] { return !InMoveLoop(bar_); }, std::chrono::seconds(5));
  // Then the bar hides, which hands the foreground to another window and lets the answer to
  // this message through, and shows itself again, taking the foreground back.
  Responsive(5000);
  WaitUntil([&] { return IsWindowVisible(bar_) && GetForegroundWindow() == bar_; });
}

bool BarProcess::Responsive(UINT timeoutMs) const {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(bar_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

int BarProcess::Exit() {
  ChooseMenuItem(2, "退出");
  return process_.WaitExit();
}

}  // namespace kovra::test
