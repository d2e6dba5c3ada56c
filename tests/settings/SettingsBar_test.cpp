// "设置" on the real Kovra.exe beside the simulators: the window opens modally over the bar, its
// values take effect when it closes (the applications are searched for again, quietly), and
// they are stored, the colour too, when the bar exits. A shortcut chosen in its open dialog
// gives the path it leads to.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../bar/BarProcess.h"
#include "controls/RzColorPickerLogic.h"
#include "framework/ComObj.h"
#include "support/Input.h"
#include "support/Sim.h"
#include "support/Wait.h"
#include "support/Windows.h"

namespace kovra::test {
namespace {

using namespace std::chrono_literals;

constexpr int kBuyButton = 1, kStockBox = 2;

HWND DirectChildAt(HWND parent, int x, int y) {
  HWND child = ChildWindowFromPointEx(parent, POINT{x, y}, CWP_SKIPINVISIBLE);
  return child == parent ? nullptr : child;
}

void ClickScreen(POINT p) {
  SetCursorPos(p.x, p.y);
  test::ClickHere();
}

class SettingsFromTheBarTest : public testing::Test {
 protected:
  void SetUp() override {
    trade_ = std::make_unique<TradeSim>(std::vector<std::wstring>{L"--sell-price", L"10.30"});
    quote_ = std::make_unique<QuoteSim>("大智慧 - [600000]");
    folder_.UseSimulators();
    folder_.WriteCodeTable("600000", "600000");
    folder_.WriteIni("MainWindow", "COLOR", "255");
    bar_ = std::make_unique<BarProcess>(folder_);
    bar_->WaitForBar();
    ASSERT_TRUE(WaitUntil([&] { return bar_->Display() == "600000"; }));
  }

  // "设置" from the stock box's menu; the window of the bar's process, or null.
  HWND OpenSettings() {
    bar_->ChooseMenuItem(kStockBox, "设置");
    HWND found = nullptr;
    WaitUntil([&] {
      found = FindWindowW(nullptr, L"Kovra设置");
      DWORD pid = 0;
      if (found) GetWindowThreadProcessId(found, &pid);
      return found && pid == bar_->Process().Pid() && IsWindowVisible(found);
    });
    return found;
  }
  static void CloseSettings(HWND settings) {
    PostMessageW(settings, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));
  }
  static HWND TradePathEdit(HWND settings) { return DirectChildAt(settings, 130, 12); }

  // Whether a click on "买" reaches the client as an order within `timeout`.
  bool BuyReachesTheClient(std::chrono::milliseconds timeout) {
    const size_t before = Orders();
    bar_->Click(bar_->Control(kBuyButton));
    return WaitUntil([&] { return Orders() > before; }, timeout);
  }
  size_t Orders() const {
    size_t n = 0;
    for (const auto& entry : trade_->Journal()) n += entry.event == "ORDER";
    return n;
  }

  BarFolder folder_;
  std::unique_ptr<TradeSim> trade_;
  std::unique_ptr<QuoteSim> quote_;
  std::unique_ptr<BarProcess> bar_;
};

TEST_F(SettingsFromTheBarTest, ThePathsTakeEffectWhenTheWindowClosesWithoutAWarning) {
  const std::string simPath = folder_.ReadIni("Config", "TradeSoft");
  HWND settings = OpenSettings();
  ASSERT_NE(settings, nullptr);
  EXPECT_FALSE(IsWindowEnabled(bar_->Bar())) << "the bar waits while the window is open";
  HWND path = TradePathEdit(settings);
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(WindowTextUtf8(path), simPath);
  SetWindowTextW(path, L"Z:\\nowhere\\xiadan.exe");
  CloseSettings(settings);
  EXPECT_TRUE(IsWindowEnabled(bar_->Bar()));
  EXPECT_EQ(bar_->WaitForMessageBox(300).window, nullptr);
  EXPECT_FALSE(BuyReachesTheClient(2s)) << "the client is no longer found";

  settings = OpenSettings();
  ASSERT_NE(settings, nullptr);
  path = TradePathEdit(settings);
  EXPECT_EQ(WindowTextUtf8(path), "Z:\\nowhere\\xiadan.exe") << "the value was kept";
  SetWindowTextW(path, Wide(simPath).c_str());
  CloseSettings(settings);
  EXPECT_TRUE(BuyReachesTheClient(10s));

  ASSERT_EQ(bar_->Exit(), 0);
  EXPECT_EQ(folder_.ReadIni("Config", "TradeSoft"), simPath);
}

// The buttons may be drawn by the visual style, which shows no face colour; what the bar stores
// from its first button tells that the colour arrived.
TEST_F(SettingsFromTheBarTest, AChosenColourReachesTheBarAndIsStoredAtExit) {
  HWND settings = OpenSettings();
  ASSERT_NE(settings, nullptr);
  HWND picker = DirectChildAt(settings, 260, 76);
  ASSERT_NE(picker, nullptr);
  // The palette's 18-pixel cells sit centred inside the picker's frame; cell 13 is the sixth of
  // the second row.
  RECT client{};
  GetClientRect(picker, &client);
  const int inset = (client.right - kPickerColumns * 18) / 2;
  POINT cell{inset + 5 * 18 + 9, inset + 18 + 9};
  ClientToScreen(picker, &cell);
  ClickScreen(cell);
  // Escape through the same input queue: it is handled only after the click.
  BarProcess::PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));

  ASSERT_EQ(bar_->Exit(), 0);
  const TColor chosen = ColorPickerPalette()[13].color;
  EXPECT_EQ(folder_.ReadIni("MainWindow", "COLOR"), std::to_string(chosen));
}

// A shortcut in the folder the open dialog starts in (the program's own), to the quote
// application: the program resolves it with its own shell layer.
void MakeShortcut(const std::wstring& at, const std::wstring& target) {
  ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  struct Uninitialize {
    ~Uninitialize() { CoUninitialize(); }
  } uninitialize;
  ComPtr<IShellLinkW> link;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IShellLinkW, link.PutVoid()));
  link->SetPath(target.c_str());
  ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
  ASSERT_TRUE(file);
  ASSERT_HRESULT_SUCCEEDED(file->Save(at.c_str(), TRUE));
}

// The program's open dialog (a window of its own holding the shell list), or null.
HWND OpenDialogList(const TestProcess& process, HWND settings) {
  for (HWND window : VisibleWindowsOf(process.Pid())) {
    if (window == settings) continue;
    for (HWND child : Descendants(window)) {
      wchar_t name[32] = {};
      GetClassNameW(child, name, 32);
      if (wcscmp(name, WC_LISTVIEWW) == 0 && IsWindowVisible(child)) return child;
    }
  }
  return nullptr;
}

TEST_F(SettingsFromTheBarTest, AShortcutPickedInTheOpenDialogGivesTheSettingsItsTarget) {
  const std::wstring target = SimPath(L"QuoteSim.exe");
  ASSERT_NO_FATAL_FAILURE(MakeShortcut(folder_.Path() + L"a交易软件.lnk", target));
  HWND settings = OpenSettings();
  ASSERT_NE(settings, nullptr);
  HWND path = TradePathEdit(settings);
  ASSERT_NE(path, nullptr);
  bar_->Click(path);
  BarProcess::PressKey(VK_F4);  // the browse button's key

  // The dialog starts in the program's folder: the shortcut, sorted first, and Kovra.exe.
  HWND list = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    list = OpenDialogList(bar_->Process(), settings);
    return list && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 2;
  }));
  HWND dialog = GetAncestor(list, GA_ROOT);
  POINT first{30, 8};
  ClientToScreen(list, &first);
  ClickScreen(first);
  ASSERT_TRUE(WaitUntil([&] {
    return SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == 0;
  }));
  BarProcess::PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));

  EXPECT_EQ(CompareStringOrdinal(Wide(WindowTextUtf8(path)).c_str(), -1, target.c_str(), -1, TRUE),
            CSTR_EQUAL)
      << WindowTextUtf8(path);
  CloseSettings(settings);
  ASSERT_EQ(bar_->Exit(), 0);
}

}  // namespace
}  // namespace kovra::test
