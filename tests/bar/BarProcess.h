// The real Kovra.exe in a scratch folder of its own, driven from outside as a user would: real
// clicks at its buttons, popup menus chosen with the keyboard, message boxes read and answered.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/WindowClass.h"
#include "support/TestPaths.h"
#include "support/TestProcess.h"

namespace kovra::test {

// A folder holding a copy of Kovra.exe, its Kovra.ini and the stock-code table, both written and
// read with the system's profile functions (GBK under the Chinese code page).
class BarFolder {
 public:
  BarFolder();
  const std::wstring& Path() const { return dir_.Path(); }
  std::wstring IniPath() const { return dir_.Path() + L"Kovra.ini"; }
  void WriteIni(const char* section, const char* key, std::string_view value) const;
  // The value, or "<none>" when the key is missing.
  std::string ReadIni(const char* section, const char* key) const;
  void WriteCodeTable(const char* key, std::string_view value) const;
  // Points the configuration at the simulated trading client and quote application.
  void UseSimulators() const;

 private:
  ScratchDir dir_;
};

struct MessageBoxInfo {
  HWND window = nullptr;
  std::string caption;
  std::string text;
};

class BarProcess {
 public:
  // Starts Kovra.exe in `folder` (without waiting for anything).
  explicit BarProcess(const BarFolder& folder);

  TestProcess& Process() { return process_; }
  // Waits for the bar to show and records it and its five controls, left to right.
  void WaitForBar();
  HWND Bar() const { return bar_; }
  // 0 "融买", 1 "买", 2 the stock box, 3 "卖", 4 "撤单".
  HWND Control(int index) const { return controls_.at(static_cast<size_t>(index)); }
  RECT BarRect() const;
  // Every visible top-level window of the program.
  std::vector<HWND> TopLevelWindows() const;
  std::string Display() const;

  // Waits for a visible message box of the program; window null on time-out.
  MessageBoxInfo WaitForMessageBox(DWORD timeoutMs = 10000) const;
  static void Dismiss(const MessageBoxInfo& box);

  // Input through the system's queue, at the control's centre.
  void Click(HWND control, int times = 1) const;
  void RightClick(HWND control) const;
  // Opens the popup menu of control `control` (an index as for Control) and chooses the item
  // captioned `caption`, with the keyboard as a user may.
  void ChooseMenuItem(int control, std::string_view caption) const;
  // Whether a popup menu is open on the screen.
  static bool MenuOpen();
  static void PressKey(WORD key);
  // Left button pressed on `control`, moved by (dx, dy) in steps, released.
  void Drag(HWND control, int dx, int dy) const;
  // The bar answers a message within `timeoutMs`.
  bool Responsive(UINT timeoutMs = 1000) const;
  // "退出" from the stock box's menu; waits for the program to end and returns its exit code.
  int Exit();

 private:
  TestProcess process_;
  HWND bar_ = nullptr;
  std::vector<HWND> controls_;
};

}  // namespace kovra::test
