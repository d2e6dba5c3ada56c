// The notification-area icon through the real shell: add, modify, delete, re-add after the shell
// restarts, tooltip limits, icon choice and animation, clicks, minimise/restore and session end.
#include "controls/RzTray.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/RzCommon.h"
#include "framework/Application.h"
#include "support/Wait.h"

namespace kovra {
namespace {

using test::WaitUntil;

struct ShellCall {
  DWORD message;
  DWORD size;
  UINT flags;
  HICON icon;
  std::wstring tip;
  std::wstring infoTitle;
  std::wstring info;
  DWORD infoFlags;
};

// Records every call the component makes and passes it on to the shell.
class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TRzTrayIcon::SetShellNotifyIconHook([this](DWORD message, NOTIFYICONDATAW& data) {
      calls_.push_back(ShellCall{message, data.cbSize, data.uFlags, data.hIcon, data.szTip,
                                 data.szInfoTitle, data.szInfo, data.dwInfoFlags});
      if (message == NIM_ADD && paintsAtFirstAdd_ < 0) paintsAtFirstAdd_ = paints_;
      if (message == NIM_MODIFY && tray_) indexes_.push_back(tray_->IconIndex());
      return Shell_NotifyIconW(message, &data);
    });
  }
  void TearDown() override {
    tray_.reset();
    TRzTrayIcon::SetShellNotifyIconHook(nullptr);
    ShowWindow(Application().Handle(), SW_HIDE);
  }

  TRzTrayIcon& Make() {
    tray_ = std::make_unique<TRzTrayIcon>();
    return *tray_;
  }
  // Whether the shell holds the icon now: it accepts a change only to an icon it shows.
  bool ShellShows() const {
    NOTIFYICONDATAW probe{};
    probe.cbSize = NOTIFYICONDATAW_V2_SIZE;
    probe.hWnd = tray_->WindowHandle();
    probe.uID = tray_->IconId();
    return Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
  }
  int Count(DWORD message) const {
    int n = 0;
    for (const ShellCall& c : calls_) n += c.message == message;
    return n;
  }
  void Click(UINT mouseMessage) {
    SendMessageW(tray_->WindowHandle(), TRzTrayIcon::kCallbackMessage, tray_->IconId(),
                 mouseMessage);
  }

  std::unique_ptr<TRzTrayIcon> tray_;
  std::vector<ShellCall> calls_;
  std::vector<int> indexes_;
  int paints_ = 0;  // WM_PAINTs handled by the test's own window
  int paintsAtFirstAdd_ = -1;
};

TEST_F(TrayTest, AddedAtCreationRemovedWhenDisabledAndReAddedAfterShellRestart) {
  TRzTrayIcon& tray = Make();
  EXPECT_TRUE(tray.Enabled());
  ASSERT_EQ(Count(NIM_ADD), 1);
  // The shell library may not have been loaded when the icon was made: the layout is still the
  // one its version takes (Wine's reports 6).
  EXPECT_EQ(calls_.back().size, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));
  EXPECT_TRUE(calls_.back().flags & NIF_MESSAGE);
  EXPECT_TRUE(calls_.back().flags & NIF_ICON);
  EXPECT_FALSE(calls_.back().flags & NIF_TIP);
  EXPECT_NE(calls_.back().icon, nullptr);
  EXPECT_TRUE(ShellShows());

  // The shell restarts: it lost the icon and announces itself; the icon comes back.
  NOTIFYICONDATAW gone{};
  gone.cbSize = NOTIFYICONDATAW_V2_SIZE;
  gone.hWnd = tray.WindowHandle();
  gone.uID = tray.IconId();
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &gone));
  EXPECT_FALSE(ShellShows());
  SendMessageW(tray.WindowHandle(), TaskbarCreatedMessage(), 0, 0);
  EXPECT_EQ(Count(NIM_ADD), 2);
  EXPECT_TRUE(ShellShows());
  EXPECT_TRUE(tray.Enabled());

  // A restart notice while the icon is still there keeps it, and keeps it enabled.
  SendMessageW(tray.WindowHandle(), TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(tray.Enabled());
  EXPECT_TRUE(ShellShows());

  tray.SetEnabled(false);
  EXPECT_EQ(calls_.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_FALSE(ShellShows());
  const int adds = Count(NIM_ADD);
  SendMessageW(tray.WindowHandle(), TaskbarCreatedMessage(), 0, 0);
  EXPECT_EQ(Count(NIM_ADD), adds);
  EXPECT_FALSE(ShellShows());

  tray.SetEnabled(true);
  EXPECT_TRUE(ShellShows());
  tray_.reset();
  EXPECT_EQ(calls_.back().message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(TrayTest, RefusedAddLeavesTheIconDisabled) {
  TRzTrayIcon::SetShellNotifyIconHook([this](DWORD message, NOTIFYICONDATAW&) {
    calls_.push_back(ShellCall{message, 0, 0, nullptr, {}, {}, {}, 0});
    return message == NIM_DELETE;
  });
  TRzTrayIcon& tray = Make();
  EXPECT_FALSE(tray.Enabled());
  EXPECT_EQ(Count(NIM_ADD), 1);
}

TEST_F(TrayTest, HintIsCutToTheShellsLimitAndSetsTheTipFlag) {
  TRzTrayIcon& tray = Make();
  tray.SetHint(std::string(200, 'h'));
  ASSERT_TRUE(tray.NewShellLayout());  // Wine's shell reports version 6
  EXPECT_EQ(tray.TipText(), std::wstring(127, L'h'));
  EXPECT_EQ(calls_.back().message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_TRUE(calls_.back().flags & NIF_TIP);

  // A character outside the basic plane straddling the limit is dropped whole.
  tray.SetHint(std::string(126, 'a') + "\xF0\x9F\x98\x80");
  EXPECT_EQ(tray.TipText(), std::wstring(126, L'a'));

  tray.SetHint("");
  EXPECT_FALSE(calls_.back().flags & NIF_TIP);
  EXPECT_EQ(tray.TipText(), L"");
}

TEST_F(TrayTest, BalloonGoesOutOnceWithItsTextsCutToTheShellsLimits) {
  TRzTrayIcon& tray = Make();
  EXPECT_TRUE(tray.ShowBalloonHint("已下单", "买 600000 10.30 × 4800", bhiWarning));
  ASSERT_EQ(calls_.back().message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_TRUE(calls_.back().flags & NIF_INFO);
  EXPECT_EQ(calls_.back().infoTitle, L"已下单");
  EXPECT_EQ(calls_.back().info, L"买 600000 10.30 × 4800");
  EXPECT_EQ(calls_.back().infoFlags, static_cast<DWORD>(NIIF_WARNING));

  // A later change of the tip must not show the balloon again.
  tray.SetHint("Kovra");
  EXPECT_FALSE(calls_.back().flags & NIF_INFO);

  // The next one replaces it, cut to 63 and 255 characters.
  EXPECT_TRUE(tray.ShowBalloonHint(std::string(100, 't'), std::string(300, 'x')));
  EXPECT_EQ(calls_.back().infoTitle, std::wstring(63, L't'));
  EXPECT_EQ(calls_.back().info, std::wstring(255, L'x'));
  tray.HideBalloonHint();
  EXPECT_TRUE(calls_.back().flags & NIF_INFO);
  EXPECT_EQ(calls_.back().info, L"");

  // Without an icon there is nothing to show it from.
  tray.SetEnabled(false);
  const size_t before = calls_.size();
  EXPECT_FALSE(tray.ShowBalloonHint("已下单", "买"));
  EXPECT_EQ(calls_.size(), before);
}

// Three 16 x 16 icons filled red, green and blue.
std::unique_ptr<TImageList> ThreeColours() {
  auto list = std::make_unique<TImageList>(16, 16);
  for (TColor c : {clRed, clLime, clBlue}) {
    TBitmap bmp(16, 16);
    bmp.Canvas().Brush().SetColor(c);
    bmp.Canvas().FillRect(RECT{0, 0, 16, 16});
    list->Add(bmp);
  }
  return list;
}

TColor IconCentre(const TIcon& icon) {
  TBitmap bmp(16, 16);
  bmp.Canvas().Brush().SetColor(clWhite);
  bmp.Canvas().FillRect(RECT{0, 0, 16, 16});
  DrawIconEx(bmp.Canvas().Handle(), 0, 0, icon.Handle(), 16, 16, 0, nullptr, DI_NORMAL);
  return BitmapPixel(bmp, 8, 8);
}

TEST_F(TrayTest, IconComesFromTheListOrFromTheApplication) {
  auto list = ThreeColours();
  TRzTrayIcon& tray = Make();
  const TColor appIcon = IconCentre(tray.Icon());
  tray.SetIcons(list.get());
  EXPECT_EQ(IconCentre(tray.Icon()), clRed);
  tray.SetIconIndex(2);
  EXPECT_EQ(IconCentre(tray.Icon()), clBlue);
  EXPECT_EQ(calls_.back().icon, tray.Icon().Handle());
  tray.SetIconIndex(3);  // past the end
  EXPECT_EQ(IconCentre(tray.Icon()), appIcon);
  tray.SetIconIndex(1);
  list.reset();  // the list goes away: the component forgets it
  EXPECT_EQ(tray.Icons(), nullptr);
  tray.SetIconIndex(1);
  EXPECT_EQ(IconCentre(tray.Icon()), appIcon);
}

TEST_F(TrayTest, AnimationCyclesThroughTheImagesAndWraps) {
  auto list = ThreeColours();
  TRzTrayIcon& tray = Make();
  tray.SetIcons(list.get());
  tray.SetInterval(10);
  indexes_.clear();
  tray.SetAnimate(true);
  EXPECT_TRUE(tray.Animate());
  ASSERT_TRUE(WaitUntil([&] { return indexes_.size() >= 5; }));
  tray.SetAnimate(false);
  EXPECT_EQ(std::vector<int>(indexes_.begin(), indexes_.begin() + 5),
            (std::vector<int>{1, 2, 0, 1, 2}));
}

TEST_F(TrayTest, ClicksRunTheirActionThenTheirEvent) {
  TRzTrayIcon& tray = Make();
  std::vector<std::string> seen;
  tray.OnLButtonDown = [&](TObject*) { seen.push_back("ldown"); };
  tray.OnLButtonUp = [&](TObject*) { seen.push_back("lup"); };
  tray.OnLButtonDblClick = [&](TObject*) { seen.push_back("ldbl"); };
  tray.OnRButtonDown = [&](TObject*) { seen.push_back("rdown"); };
  tray.OnRButtonUp = [&](TObject*) { seen.push_back("rup"); };
  tray.OnRButtonDblClick = [&](TObject*) { seen.push_back("rdbl"); };
  tray.OnRestoreApp = [&](TObject*) { seen.push_back("restore"); };
  tray.OnBalloonHintClick = [&](TObject*) { seen.push_back("balloon"); };
  for (UINT m : std::initializer_list<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                            WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK,
                                            NIN_BALLOONUSERCLICK, WM_MOUSEMOVE})
    Click(m);
  EXPECT_EQ(seen, (std::vector<std::string>{"ldown", "lup", "restore", "ldbl", "rdown", "rup",
                                            "rdbl", "balloon"}));

  // A right click without a menu does nothing more; with RestoreOn moved, the double click
  // only reports itself.
  seen.clear();
  tray.SetRestoreOn(ticRightClickUp);
  Click(WM_LBUTTONDBLCLK);
  Click(WM_RBUTTONUP);
  EXPECT_EQ(seen, (std::vector<std::string>{"ldbl", "restore", "rup"}));
}

TEST_F(TrayTest, MinimiseHidesTheTaskbarWindowAndARestoreClickBringsItBack) {
  TRzTrayIcon& tray = Make();
  int minimised = 0, restored = 0;
  tray.OnMinimizeApp = [&](TObject*) { ++minimised; };
  tray.OnRestoreApp = [&](TObject*) { ++restored; };
  HWND app = Application().Handle();

  Application().Minimize();
  EXPECT_EQ(minimised, 1);
  EXPECT_FALSE(IsWindowVisible(app));
  EXPECT_TRUE(IsIconic(app));

  Click(WM_LBUTTONDBLCLK);
  EXPECT_EQ(restored, 1);  // the application's own restore notice does not run it twice
  EXPECT_TRUE(IsWindowVisible(app));
  EXPECT_FALSE(IsIconic(app));

  tray.SetHideOnMinimize(false);
  Application().Minimize();
  EXPECT_TRUE(IsWindowVisible(app));
  Application().Restore();
  EXPECT_EQ(restored, 2);
}

TEST_F(TrayTest, RestoreClickWhileThePopupIsOpenDoesNothing) {
  TRzTrayIcon& tray = Make();
  TPopupMenu menu;
  int restored = 0, popups = 0;
  tray.OnRestoreApp = [&](TObject*) { ++restored; };
  tray.SetPopupMenu(&menu);
  tray.SetPopupMenuOn(ticRightClickUp);
  // The menu has no items, so it closes at once; the click arrives while it is "open".
  menu.OnPopup = [&](TObject*) {
    ++popups;
    Click(WM_LBUTTONDBLCLK);
  };
  Click(WM_RBUTTONUP);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(restored, 0);
  Click(WM_LBUTTONDBLCLK);
  EXPECT_EQ(restored, 1);
}

TEST_F(TrayTest, SessionEndAsksThenRemovesTheIcon) {
  TRzTrayIcon& tray = Make();
  bool answer = false;
  tray.OnQueryEndSession = [&](TObject*, bool& mayEnd) { mayEnd = answer; };
  EXPECT_EQ(SendMessageW(tray.WindowHandle(), WM_QUERYENDSESSION, 0, 0), FALSE);
  answer = true;
  EXPECT_EQ(SendMessageW(tray.WindowHandle(), WM_QUERYENDSESSION, 0, 0), TRUE);

  int ended = 0;
  tray.OnEndSession = [&](TObject*) { ++ended; };
  SendMessageW(tray.WindowHandle(), WM_ENDSESSION, FALSE, 0);  // cancelled after all
  EXPECT_TRUE(ShellShows());
  SendMessageW(tray.WindowHandle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(ended, 2);
  EXPECT_FALSE(ShellShows());
}

TEST_F(TrayTest, LoadedWithItsOwnerAddsTheIconOnlyThenAndCanStartHidden) {
  TComponent owner;
  owner.BeginLoading();
  tray_ = std::make_unique<TRzTrayIcon>(&owner);
  tray_->SetHideOnStartup(true);
  tray_->SetHint("Kovra");
  EXPECT_EQ(Count(NIM_ADD), 0);
  ShowWindow(Application().Handle(), SW_SHOWNOACTIVATE);
  owner.EndLoading();
  // Hidden at once; the icon follows from the message loop.
  EXPECT_FALSE(Application().ShowMainForm());
  EXPECT_FALSE(IsWindowVisible(Application().Handle()));
  ASSERT_TRUE(WaitUntil([&] { return Count(NIM_ADD) == 1; }));
  EXPECT_EQ(Count(NIM_ADD), 1);
  EXPECT_TRUE(ShellShows());
  EXPECT_TRUE(calls_.back().flags & NIF_TIP);
  EXPECT_EQ(calls_.back().tip, L"Kovra");

  Click(WM_LBUTTONDBLCLK);  // the way back
  EXPECT_TRUE(Application().ShowMainForm());
  EXPECT_TRUE(IsWindowVisible(Application().Handle()));
  tray_.reset();  // before its owner
}

TEST_F(TrayTest, DeferredAddWaitsForTheWindowsToPaint) {
  // A window shown just before the owner finishes loading, as the bar is: its paint is due when
  // the loop starts, and the icon must not hold it up.
  static int* paints = nullptr;
  paints = &paints_;
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND wnd, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg == WM_PAINT) {
      PAINTSTRUCT ps;
      BeginPaint(wnd, &ps);
      EndPaint(wnd, &ps);
      ++*paints;
      return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
  };
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KovraTrayPaintProbe";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 40, 20,
                                nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  {
    TComponent owner;
    owner.BeginLoading();
    tray_ = std::make_unique<TRzTrayIcon>(&owner);
    owner.EndLoading();
    ShowWindow(window, SW_SHOWNOACTIVATE);  // not painted yet: painting waits for the loop
    ASSERT_TRUE(WaitUntil([&] { return Count(NIM_ADD) == 1; }));
    EXPECT_GE(paintsAtFirstAdd_, 1);
    tray_.reset();
  }
  DestroyWindow(window);
  UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

TEST_F(TrayTest, LoadedIconChangedOrDisabledBeforeItsAddIsSettledOnce) {
  // Changes before the deferred add travel with it; no call reaches the shell before.
  {
    TComponent owner;
    owner.BeginLoading();
    tray_ = std::make_unique<TRzTrayIcon>(&owner);
    owner.EndLoading();
    tray_->SetHint("first");
    tray_->SetHint("second");
    EXPECT_TRUE(calls_.empty());
    ASSERT_TRUE(WaitUntil([&] { return Count(NIM_ADD) == 1; }));
    EXPECT_EQ(calls_.front().message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls_.front().tip, L"second");
    EXPECT_TRUE(ShellShows());
    tray_.reset();
  }
  // Disabled before the add ran: the deferred add finds nothing to do.
  calls_.clear();
  // Longer than the add is deferred by; nothing is awaited, so it runs out.
  const auto pumpWaiting = [] { WaitUntil([] { return false; }, std::chrono::milliseconds(150)); };
  {
    TComponent owner;
    owner.BeginLoading();
    tray_ = std::make_unique<TRzTrayIcon>(&owner);
    owner.EndLoading();
    tray_->SetEnabled(false);
    pumpWaiting();
    EXPECT_EQ(Count(NIM_ADD), 0);
    EXPECT_FALSE(ShellShows());
    tray_.reset();
  }
  // Disabled and enabled again before it ran: the enable added the icon, the deferred add not
  // again.
  calls_.clear();
  {
    TComponent owner;
    owner.BeginLoading();
    tray_ = std::make_unique<TRzTrayIcon>(&owner);
    owner.EndLoading();
    tray_->SetEnabled(false);
    tray_->SetEnabled(true);
    EXPECT_EQ(Count(NIM_ADD), 1);
    pumpWaiting();
    EXPECT_EQ(Count(NIM_ADD), 1);
    EXPECT_TRUE(ShellShows());
    tray_.reset();
  }
}

}  // namespace
}  // namespace kovra
