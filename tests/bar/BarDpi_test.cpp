// The real Kovra.exe on screens of 96, 144 and 192 pixels per inch: the bar's size, its controls'
// places and text, the settings window, and the place stored at exit. CTest runs this program in
// the usual prefix and in prefixes made at other resolutions (KOVRA_EXPECT_DPI names the one).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BarProcess.h"
#include "support/Sim.h"
#include "support/TestForm.h"
#include "support/Wait.h"
#include "support/Windows.h"

namespace kovra::test {
namespace {

constexpr int kStockBox = 2, kBuyButton = 1;

// Physical pixels, as the bar sees them: this program has no manifest saying so.
const bool kAware = SetProcessDPIAware() != FALSE;

int ExpectedDpi() {
  const char* value = std::getenv("KOVRA_EXPECT_DPI");
  return value ? std::atoi(value) : 96;
}

int Scaled(int designed) {
  return MulDiv(designed, ExpectedDpi(), 96);
}

RECT WindowRect(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  return r;
}

// The rows in `shot` holding pixels of the pure red the buy button's caption is drawn in.
int RedTextHeight(const TBitmap& shot) {
  int top = shot.Height(), bottom = -1;
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x) {
      const auto p = shot.ScanLine(y)[x];
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (r > 160 && g < 90 && b < 90) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  return bottom < top ? 0 : bottom - top + 1;
}

class BarDpiTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kAware);
    // A prefix that came up at another resolution would pass every check below at that one.
    WindowDC screen(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen.Get(), LOGPIXELSY), ExpectedDpi());
    // Both applications running: no start-up warning stands before the bar.
    trade_ = std::make_unique<TradeSim>();
    quote_ = std::make_unique<QuoteSim>("大智慧 - [600000]");
    folder_.UseSimulators();
    folder_.WriteIni("MainWindow", "strTop", "200");
    folder_.WriteIni("MainWindow", "strLeft", "300");
    bar_ = std::make_unique<BarProcess>(folder_);
    bar_->WaitForBar();
  }

  BarFolder folder_;
  std::unique_ptr<TradeSim> trade_;
  std::unique_ptr<QuoteSim> quote_;
  std::unique_ptr<BarProcess> bar_;
};

TEST_F(BarDpiTest, BarAndControlsScaleFromTheDesignWhileTheStoredPlaceKeepsItsUnits) {
  const RECT bar = bar_->BarRect();
  EXPECT_EQ(Edges(bar), Edges(RECT{300, 200, 300 + Scaled(232), 200 + Scaled(30)}));
  // Left to right, edge to edge, the frame's inset alike on every side and at every scale.
  const RECT first = WindowRect(bar_->Control(0));
  const int inset = first.left - bar.left;
  EXPECT_GT(inset, 0);
  EXPECT_EQ(first.top - bar.top, inset);
  int left = first.left;
  const int widths[] = {37, 37, 77, 37, 37};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    const RECT r = WindowRect(bar_->Control(i));
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.right - r.left, Scaled(widths[i]));
    EXPECT_EQ(r.top, bar.top + inset);
    EXPECT_EQ(r.bottom, bar.bottom - inset);
    left = r.right;
  }
  // "买" in 12-pixel characters at the design's resolution: its glyph grows with the screen.
  const int text = RedTextHeight(CaptureOnScreen(bar_->Control(kBuyButton)));
  EXPECT_GE(text, Scaled(9));
  EXPECT_LE(text, Scaled(13));

  EXPECT_EQ(bar_->Exit(), 0);
  EXPECT_EQ(folder_.ReadIni("MainWindow", "strLeft"), "300");
  EXPECT_EQ(folder_.ReadIni("MainWindow", "strTop"), "200");
}

TEST_F(BarDpiTest, SettingsWindowAndItsControlsScaleWithTheBar) {
  bar_->ChooseMenuItem(kStockBox, "设置");
  HWND settings = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    settings = FindWindowW(nullptr, L"Kovra设置");
    return settings && IsWindowVisible(settings);
  }));
  const RECT frame = WindowRect(settings);
  EXPECT_EQ(frame.right - frame.left, Scaled(485));
  EXPECT_EQ(frame.bottom - frame.top, Scaled(304));
  // The two paths: designed at 128, 8 and 128, 30, 278 x 20 in the client area.
  for (const int top : {8, 30}) {
    SCOPED_TRACE(top);
    POINT inside{Scaled(130), Scaled(top + 4)};
    HWND path = ChildWindowFromPointEx(settings, inside, CWP_SKIPINVISIBLE);
    ASSERT_NE(path, settings);
    RECT r = WindowRect(path);
    MapWindowPoints(nullptr, settings, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(Edges(r), Edges(RECT{Scaled(128), Scaled(top), Scaled(128) + Scaled(278),
                                   Scaled(top) + Scaled(20)}));
  }
  // No two of the window's controls overlap.
  std::vector<RECT> children;
  for (HWND child = GetWindow(settings, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (IsWindowVisible(child)) children.push_back(WindowRect(child));
  EXPECT_GE(children.size(), 7u);
  for (size_t a = 0; a < children.size(); ++a)
    for (size_t b = a + 1; b < children.size(); ++b) {
      RECT common;
      EXPECT_FALSE(IntersectRect(&common, &children[a], &children[b])) << a << " and " << b;
    }
  PostMessageW(settings, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));
}

}  // namespace
}  // namespace kovra::test
