// The real Kovra.exe on a trader's desk: a bar placed off every monitor comes back on screen, a
// second start from the same folder hands over to the running bar, copies in other folders run
// side by side, and the program tells its version.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "BarProcess.h"
#include "framework/WindowClass.h"
#include "support/Sim.h"
#include "support/Wait.h"
#include "support/Windows.h"

namespace kovra::test {
namespace {

constexpr UINT kTrayCallback = 9250;

RECT WorkArea() {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

void MoveFromOutside(HWND bar, int x, int y) {
  SetWindowPos(bar, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Every bar on the desktop, whichever process shows it.
std::vector<HWND> AllBars() {
  std::vector<HWND> bars;
  EnumWindows(
      [](HWND wnd, LPARAM param) -> BOOL {
        wchar_t name[32] = {};
        GetClassNameW(wnd, name, 32);
        if (IsWindowVisible(wnd) && std::wstring_view(name) == L"KovraForm" &&
            WindowText(wnd) == "Kovra")
          reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&bars));
  return bars;
}

std::string FileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(64 * 1024, '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

class BarDeskTest : public testing::Test {
 protected:
  void SetUp() override {
    trade_ = std::make_unique<TradeSim>();
    quote_ = std::make_unique<QuoteSim>("大智慧 - [600000]");
    folder_.UseSimulators();
  }

  std::unique_ptr<BarProcess> StartBar(const BarFolder& folder) {
    auto bar = std::make_unique<BarProcess>(folder);
    bar->WaitForBar();
    return bar;
  }

  std::unique_ptr<TradeSim> trade_;
  std::unique_ptr<QuoteSim> quote_;
  BarFolder folder_;
};

TEST_F(BarDeskTest, ABarOffEveryMonitorComesFullyOnScreenAtStartOnDisplayChangeAndTrayRestore) {
  const RECT work = WorkArea();
  folder_.WriteIni("MainWindow", "strLeft", "-5000");
  folder_.WriteIni("MainWindow", "strTop", "-5000");
  auto bar = StartBar(folder_);
  RECT r = bar->BarRect();
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top);

  // A resolution change that leaves the bar off the screen to the left.
  MoveFromOutside(bar->Bar(), work.left - 3000, work.top + 50);
  SendMessageW(bar->Bar(), WM_DISPLAYCHANGE, 32,
               MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  r = bar->BarRect();
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top + 50);

  // Half off the right edge, then restored from the tray icon (a double click on it).
  MoveFromOutside(bar->Bar(), work.right - 100, work.top + 60);
  for (HWND wnd = GetTopWindow(nullptr); wnd; wnd = GetWindow(wnd, GW_HWNDNEXT)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    wchar_t name[32] = {};
    GetClassNameW(wnd, name, 32);
    if (pid == bar->Process().Pid() && std::wstring_view(name) == L"KovraUtilityWindow")
      SendMessageW(wnd, kTrayCallback, 0, WM_LBUTTONDBLCLK);
  }
  ASSERT_TRUE(WaitUntil([&] { return Inside(bar->BarRect(), work); }));
  r = bar->BarRect();
  EXPECT_EQ(r.right, work.right);
  EXPECT_EQ(r.top, work.top + 60);

  // The place stored is the one on screen, in the same units as before.
  ASSERT_EQ(bar->Exit(), 0);
  EXPECT_EQ(folder_.ReadIni("MainWindow", "strLeft"), std::to_string(r.left));
  EXPECT_EQ(folder_.ReadIni("MainWindow", "strTop"), std::to_string(r.top));
}

TEST_F(BarDeskTest, ASecondStartFromTheSameFolderBringsTheBarForwardAndEnds) {
  folder_.WriteIni("MainWindow", "strLeft", "300");
  folder_.WriteIni("MainWindow", "strTop", "200");
  folder_.WriteCodeTable("600000", "600000");
  auto first = StartBar(folder_);
  ASSERT_TRUE(WaitUntil([&] { return first->Display() == "600000"; }));
  SetForegroundWindow(trade_->MainWindow());
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == trade_->MainWindow(); }));
  const std::string ini = FileBytes(folder_.IniPath());
  const RECT before = first->BarRect();

  TestProcess second(folder_.Path() + L"Kovra.exe", {}, folder_.Path());
  EXPECT_EQ(second.WaitExit(), 0);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == first->Bar(); }));
  EXPECT_EQ(AllBars(), std::vector<HWND>{first->Bar()});
  // Nothing of the first one changed: its place, its display, its file; it still answers.
  const RECT after = first->BarRect();
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(first->Display(), "600000");
  EXPECT_EQ(FileBytes(folder_.IniPath()), ini);
  EXPECT_TRUE(first->Responsive());
  EXPECT_EQ(first->Exit(), 0);
}

TEST_F(BarDeskTest, CopiesInDifferentFoldersRunSideBySide) {
  BarFolder other;
  other.UseSimulators();
  other.WriteIni("MainWindow", "strTop", "300");
  // A second account's bar would find the first one's hotkeys taken and say so at start.
  for (const char* key : {"融买", "买", "卖", "撤单"}) other.WriteIni("Hotkeys", key, "");
  auto one = StartBar(folder_);
  auto two = StartBar(other);
  EXPECT_NE(one->Bar(), two->Bar());
  EXPECT_EQ(AllBars().size(), 2u);
  EXPECT_TRUE(one->Responsive());
  EXPECT_TRUE(two->Responsive());
  EXPECT_EQ(two->Exit(), 0);
  EXPECT_EQ(one->Exit(), 0);
}

// Runs Kovra.exe --version with its output going into a file; returns what it wrote.
std::string VersionOutput(const BarFolder& folder) {
  const std::wstring outPath = folder.Path() + L"version.txt";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return {};
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = out;
  PROCESS_INFORMATION pi{};
  const std::wstring exe = folder.Path() + L"Kovra.exe";
  std::wstring line = L"\"" + exe + L"\" --version";
  const bool started = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      folder.Path().c_str(), &si, &pi);
  CloseHandle(out);
  if (!started) return {};
  const bool ended = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return FileBytes(outPath);
}

std::string ResourceVersion(const std::wstring& exe) {
  DWORD ignored = 0;
  std::vector<char> data(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
  if (data.empty() ||
      !GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(data.size()), data.data()))
    return {};
  wchar_t* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\StringFileInfo\\080404b0\\ProductVersion",
                      reinterpret_cast<void**>(&text), &length))
    return {};
  return Narrow(std::wstring_view(text, length > 0 ? length - 1 : 0));
}

TEST_F(BarDeskTest, VersionIsPrintedEvenBesideARunningBarAndMatchesTheResource) {
  auto bar = StartBar(folder_);
  const std::string printed = VersionOutput(folder_);
  const std::string version = ResourceVersion(folder_.Path() + L"Kovra.exe");
  EXPECT_TRUE(std::regex_match(version, std::regex(R"(\d+(\.\d+)*(-[0-9a-z]+)?)"))) << version;
  EXPECT_EQ(printed, "Kovra " + version + "\r\n");
  EXPECT_EQ(AllBars(), std::vector<HWND>{bar->Bar()});
  EXPECT_EQ(bar->Exit(), 0);
}

}  // namespace
}  // namespace kovra::test
