// The shell tree's logic that needs no Windows API: its option bits and the keyboard shortcuts
// it reads from texts (so that they follow the texts' translation).
#pragma once

#include <cstdint>
#include <string_view>

namespace kovra {

using TRzShellTreeOptions = std::uint16_t;
constexpr TRzShellTreeOptions stoAutoFill = 0x001, stoVirtualFolders = 0x002,
                              stoDesignInteractive = 0x004, stoDefaultKeyHandling = 0x008,
                              stoContextMenus = 0x010, stoDynamicRefresh = 0x020,
                              stoIncludeNonFolders = 0x040, stoOleDrag = 0x080, stoOleDrop = 0x100,
                              stoShowHidden = 0x200;
constexpr TRzShellTreeOptions kDefaultShellTreeOptions = 0x3BB;

// A virtual key with its modifiers: the key in the low byte, then Shift, Ctrl and Alt.
using TShortCut = std::uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
constexpr TShortCut MakeShortCut(std::uint8_t key, bool shift, bool ctrl, bool alt) {
  return static_cast<TShortCut>(key | (shift ? scShift : 0) | (ctrl ? scCtrl : 0) |
                                (alt ? scAlt : 0));
}
// "Ctrl+Shift+F5", "Del", "A": modifiers joined by '+', then one key name (case ignored).
// 0 when the text names no key.
TShortCut ShellTextToShortCut(std::string_view text);

// The texts the tree's keys are read from.
inline constexpr const char* kRzStrSelectAllKey = "Ctrl+A";
inline constexpr const char* kRzStrDeleteKey = "Del";
inline constexpr const char* kRzStrCopyKey = "Ctrl+C";
inline constexpr const char* kRzStrCutKey = "Ctrl+X";
inline constexpr const char* kRzStrPasteKey = "Ctrl+V";
inline constexpr const char* kRzStrRefreshKey = "F5";
inline constexpr const char* kRzStrRenameKey = "F2";

}  // namespace kovra
