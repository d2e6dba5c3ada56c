// Small Win32 helpers shared by the two simulated applications: text conversion at the Win32
// boundary, bounded reads of window texts, the command line, a monotonic clock and stderr.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kovra::sim {

std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// A window's text as UTF-8, at most `maxChars` UTF-16 units of it. Texts come from anyone, so
// nothing is trusted about their length.
std::string WindowTextUtf8(HWND wnd, int maxChars = 65536);
void SetWindowTextUtf8(HWND wnd, std::string_view text);

// The program's arguments after its name, as UTF-8.
std::vector<std::string> CommandLineArgs();

// Milliseconds since the program started (the journal's time).
int64_t MsSinceStart();

// Writes to the standard error stream when the program has one (a GUI program may not).
void WriteStdErr(std::string_view text);

// A font for the controls, deleted with the object.
class ControlFont {
 public:
  ControlFont();
  ~ControlFont();
  ControlFont(const ControlFont&) = delete;
  ControlFont& operator=(const ControlFont&) = delete;
  HFONT Get() const { return font_; }

 private:
  HFONT font_ = nullptr;
};

}  // namespace kovra::sim
