// System-wide hotkeys as the configuration writes them ("Ctrl+Alt+B"), read into the modifier
// flags and virtual-key code that the system registers. Free of the Windows API: the numbers are
// the system's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kovra {

enum THotkeyModifier : std::uint32_t { hmAlt = 0x1, hmControl = 0x2, hmShift = 0x4, hmWin = 0x8 };

struct THotkey {
  std::uint32_t Modifiers = 0;  // THotkeyModifier flags
  std::uint32_t Key = 0;        // virtual-key code; 0: no hotkey
  bool Off() const { return Key == 0; }
  bool operator==(const THotkey&) const = default;
};

// "Ctrl+Alt+R", "Shift+F9", "Alt+Num5": modifiers Ctrl (Control), Alt, Shift, Win, any case and
// order, blanks allowed; then one key: a letter, a digit, F1 to F24, Num0 to Num9, Space, Home,
// End, Insert, Delete, PageUp, PageDown, Up, Down, Left, Right. Blank text is no hotkey. Nothing
// for text that does not read, and for a key that would swallow typing in every program (a
// letter, digit or space with no modifier or with Shift alone).
std::optional<THotkey> ParseHotkey(std::string_view text);

// The canonical text of a hotkey ("Ctrl+Alt+R"); empty for none.
std::string HotkeyText(const THotkey& hotkey);

}  // namespace kovra
