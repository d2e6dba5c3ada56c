// Finding the two external applications: a running process by its executable's full path, and
// a process's main window.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>
#include <vector>

namespace kovra {

// The first process, in the system's process-list order, running exactly `path` (ASCII letter
// case ignored) that has a main window. Failing that, 0, or the id of the last process of that
// file name whose modules could not be listed (it is accepted on its name alone).
DWORD FindProcessByPath(std::string_view path);
// FindProcessByPath for each path, all from one walk of the process list.
std::vector<DWORD> FindProcessesByPath(std::span<const std::string_view> paths);

// The first top-level window, top of the Z-order first, of `pid` that is a main window.
HWND FindMainWindow(DWORD pid);

// Visible and without owner.
bool IsMainWindow(HWND window);

}  // namespace kovra
