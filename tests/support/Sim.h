// The simulated trading client and quote application, started and read by tests.
//   SimPath          the path of TradeSim.exe or QuoteSim.exe beside the test
//   TradeSim         a running TradeSim with its own journal; waits for its main window
//   QuoteSim         a running QuoteSim; its title set from the test
//   Descendants, WindowTextUtf8, ForegroundFocus, PostChars, SendClick: what a driver does
// The journal's format and every option are described in tools/sim/README.md.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "../../tools/sim/JournalFormat.h"
#include "support/TestPaths.h"
#include "support/TestProcess.h"

namespace kovra::test {

using sim::JournalEntry;

std::wstring SimPath(const wchar_t* exeName);

// Every journal line in the file, complete lines only; none when the file is missing.
std::vector<JournalEntry> ReadJournal(const std::wstring& path);

class TradeSim {
 public:
  // Starts TradeSim.exe with `options` (as on its command line, without --journal) and a
  // journal in a scratch folder of its own, and waits for the main window. Throws
  // std::runtime_error when the program cannot start or shows no window within 10 s.
  explicit TradeSim(std::vector<std::wstring> options = {});
  // The same with the journal at `journalPath` (a Windows path).
  TradeSim(std::vector<std::wstring> options, std::wstring journalPath);

  HWND MainWindow() const { return main_; }
  // The order page a function key opens (VK_F1, VK_F2, VK_F3, VK_F5): the child of the main
  // window whose id is the key.
  HWND Page(UINT key) const;
  TestProcess& Process() { return *process_; }
  const std::wstring& JournalPath() const { return journalPath_; }

  std::vector<JournalEntry> Journal() const;
  // Waits until some journal entry satisfies `pred`; returns it (event empty on time-out).
  JournalEntry WaitForJournal(const std::function<bool(const JournalEntry&)>& pred,
                              std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
  // Waits for the first entry of `event` whose first field is `firstField` (any when empty).
  JournalEntry WaitForEvent(std::string_view event, std::string_view firstField = {},
                            std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

 private:
  std::unique_ptr<ScratchDir> scratch_;
  std::wstring journalPath_;
  std::unique_ptr<TestProcess> process_;
  HWND main_ = nullptr;
};

class QuoteSim {
 public:
  // Starts QuoteSim.exe with the title `utf8Title` and waits for its window (throws as above).
  explicit QuoteSim(std::string_view utf8Title = "大智慧 - [600000]");

  HWND MainWindow() const { return main_; }
  TestProcess& Process() { return *process_; }
  // Sets the title directly with WM_SETTEXT, as any program may.
  void SetTitle(std::string_view utf8Title) const;
  std::string Title() const;

 private:
  std::unique_ptr<TestProcess> process_;
  HWND main_ = nullptr;
};

// Every descendant of `parent`, in EnumChildWindows order.
std::vector<HWND> Descendants(HWND parent);
// A window's text through WM_GETTEXT (any process), at most 64 K characters.
std::string WindowTextUtf8(HWND wnd);
// The control with the keyboard focus in the foreground window's thread, found by sharing that
// thread's input state for the moment of the query.
HWND ForegroundFocus();
// Posts one WM_CHAR per byte of `bytes`, lParam 0.
void PostChars(HWND wnd, std::string_view bytes);
// WM_LBUTTONDOWN then WM_LBUTTONUP sent with coordinates (0, 0).
void SendClick(HWND wnd);

}  // namespace kovra::test
