// One bar per folder: the first start of the program in a folder holds a named mutex for its
// whole run; a later start from the same folder brings the running bar forward and ends before
// it creates anything (no second bar, tray icon or hotkeys). Copies in other folders run freely.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "framework/Handles.h"

namespace kovra {

// Sent by a later start to the running bar: come to the front, on screen.
UINT BringToFrontMessage();

class TSingleInstance {
 public:
  // `exeDir`: the running executable's folder (UTF-8).
  explicit TSingleInstance(std::string_view exeDir);
  TSingleInstance(const TSingleInstance&) = delete;
  TSingleInstance& operator=(const TSingleInstance&) = delete;

  // Whether this process is the only one running from its folder.
  bool First() const { return first_; }
  // Gives the foreground to the folder's running bar and asks it to come forward; waits a little
  // for a bar that is still starting. Nothing happens when none shows.
  void BringRunningToFront() const;

 private:
  KernelHandle mutex_;
  std::wstring folder_;  // upper case, the running bar's process must come from here
  bool first_ = true;
};

}  // namespace kovra
