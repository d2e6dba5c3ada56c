// The folder selection window's rules that need no shell: how a path is shortened to fit the
// status bar, how the dialog's options map onto the tree and the two tool buttons, and when those
// buttons are enabled.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "shell/RzShellTreeLogic.h"

namespace kovra {

using TRzSelectFolderDialogOptions = std::uint16_t;
constexpr TRzSelectFolderDialogOptions sfdoCreateDeleteButtons = 0x001, sfdoContextMenus = 0x002,
                                       sfdoReadOnly = 0x004, sfdoIncludeNonFolders = 0x008,
                                       sfdoOleDrag = 0x010, sfdoOleDrop = 0x020,
                                       sfdoCreateFolderIcon = 0x040, sfdoDeleteFolderIcon = 0x080,
                                       sfdoVirtualFolders = 0x100, sfdoShowHidden = 0x200;
constexpr TRzSelectFolderDialogOptions kDefaultSelectFolderOptions =
    sfdoContextMenus | sfdoCreateFolderIcon | sfdoDeleteFolderIcon | sfdoShowHidden;

// The tree options the dialog's options stand for; every other bit of `treeOptions` is kept.
TRzShellTreeOptions SelectFolderTreeOptions(TRzSelectFolderDialogOptions options,
                                            TRzShellTreeOptions treeOptions);

// How the Create Folder and Delete buttons look; -1 is no image.
struct TRzSelectFolderButtonLooks {
  bool Visible = false;
  bool Flat = false;  // only when both show their icon, so that a bare caption still looks a button
  int CreateImage = -1, CreateDisabledImage = -1;
  int DeleteImage = -1, DeleteDisabledImage = -1;
};
TRzSelectFolderButtonLooks SelectFolderButtonLooks(TRzSelectFolderDialogOptions options);

// Creating needs a file-system folder to create in; deleting also never touches the tree's root.
struct TRzSelectFolderButtonStates {
  bool CreateEnabled = false;
  bool DeleteEnabled = false;
};
TRzSelectFolderButtonStates SelectFolderButtonStates(std::string_view path, bool isRootNode);

// Width of a UTF-8 text in pixels, as the caller's canvas measures it.
using TRzTextWidth = std::function<int(std::string_view text)>;

// Shortens a path for a room `maxWidth` pixels wide by cutting its leading directories, one at a
// time, into "...\": "C:\a\b\c\name" becomes "C:\...\b\c\name", then "C:\...\c\name",
// "C:\...\name", "...\name" and at last the bare name. Cuts fall on backslashes only, so a
// multibyte character is never split; the result may still be wider than the room when the name
// alone is.
std::string ShortenFolderPath(std::string_view path, int maxWidth, const TRzTextWidth& width);

}  // namespace kovra
