// The shell tree's logic that needs no Windows API: its option bits and the texts its keyboard
// shortcuts are read from (so that they follow the texts' translation; TextToShortCut reads them).
#pragma once

#include <cstdint>
#include <string_view>

#include "controls/RzButtonLogic.h"

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
constexpr TShortCut scShift = kShortCutShift, scCtrl = kShortCutCtrl, scAlt = kShortCutAlt;
constexpr TShortCut MakeShortCut(std::uint8_t key, bool shift, bool ctrl, bool alt) {
  return static_cast<TShortCut>(key | (shift ? scShift : 0) | (ctrl ? scCtrl : 0) |
                                (alt ? scAlt : 0));
}

// The texts the tree's keys are read from.
inline constexpr const char* kRzStrSelectAllKey = "Ctrl+A";
inline constexpr const char* kRzStrDeleteKey = "Del";
inline constexpr const char* kRzStrCopyKey = "Ctrl+C";
inline constexpr const char* kRzStrCutKey = "Ctrl+X";
inline constexpr const char* kRzStrPasteKey = "Ctrl+V";
inline constexpr const char* kRzStrRefreshKey = "F5";
inline constexpr const char* kRzStrRenameKey = "F2";

// The tree's and the list's keys, read from those texts.
struct TRzShellKeys {
  TShortCut selectAll = 0, del = 0, copy = 0, cut = 0, paste = 0, refresh = 0, rename = 0;
};
inline TRzShellKeys ShellKeysFromTexts() {
  TRzShellKeys keys;
  keys.selectAll = TextToShortCut(kRzStrSelectAllKey);
  keys.del = TextToShortCut(kRzStrDeleteKey);
  keys.copy = TextToShortCut(kRzStrCopyKey);
  keys.cut = TextToShortCut(kRzStrCutKey);
  keys.paste = TextToShortCut(kRzStrPasteKey);
  keys.refresh = TextToShortCut(kRzStrRefreshKey);
  keys.rename = TextToShortCut(kRzStrRenameKey);
  return keys;
}

}  // namespace kovra
