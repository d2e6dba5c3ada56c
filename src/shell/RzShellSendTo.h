// The shell's Send To submenu where the shell leaves it empty: the control fills it from the
// Send To folder, measures and draws the entries itself, and gives a chosen entry the items as
// a drop.
//   TRzSendToEntry / ReadSendToEntries   the process-wide sorted list of the folder's entries
//   TRzSendToMenu                        the Send To items of one open context menu
//   DropDataOn                           the drop a Send To entry receives
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "framework/Handles.h"
#include "framework/Messages.h"

namespace kovra {

class TControl;

// ---- Entries ----

inline constexpr int kSendToFolder = 9;  // CSIDL_SENDTO

struct TRzSendToEntry {
  std::string FileName;
  std::string Caption;  // the name without its extension
  int IconIndex = -1;   // in the small system image list; -1 when unknown
};
// Reads the Send To folder anew into the process-wide list: its files (no directories, nothing
// hidden), sorted by name as the user compares them. Empty when the folder cannot be read.
const std::vector<TRzSendToEntry>& ReadSendToEntries();

// ---- TRzSendToMenu ----

class TRzSendToMenu {
 public:
  // Tags the items this class draws, so that an owner-drawn item of the shell's is left alone.
  static constexpr ULONG_PTR kItemTag = 0x4B53544F;

  // `control` owns the menu: its resolution scales the designed lengths.
  explicit TRzSendToMenu(const TControl& control) : control_(control) {}
  TRzSendToMenu(const TRzSendToMenu&) = delete;
  TRzSendToMenu& operator=(const TRzSendToMenu&) = delete;

  // On WM_INITMENUPOPUP: a submenu holding exactly one greyed item (the shell's empty Send To)
  // gets the folder's entries as owner-drawn commands 1, 2, ...; true when it did. An empty Send
  // To folder leaves the submenu as it is.
  bool InitPopup(HMENU popup);
  // WM_MEASUREITEM, WM_DRAWITEM and WM_MENUCHAR of this menu's own items; false for any other.
  bool HandleMessage(TMessage& m);
  bool IsCommand(UINT command) const {
    return popup_ && command >= 1 && command <= entries_.size();
  }
  const std::vector<TRzSendToEntry>& Entries() const { return entries_; }
  // Drops `data` on the entry the command names (parsed inside the Send To folder); false when
  // that entry offers no drop target.
  bool Send(UINT command, IDataObject* data, HWND owner) const;

 private:
  const TRzSendToEntry* EntryOf(UINT itemId, ULONG_PTR itemData) const;
  void Measure(MEASUREITEMSTRUCT& item) const;
  void Draw(const DRAWITEMSTRUCT& item) const;
  LRESULT MenuChar(WPARAM wParam) const;

  const TControl& control_;
  HMENU popup_ = nullptr;
  std::vector<TRzSendToEntry> entries_;
  FontHandle font_;
};

// What a Send To entry receives: DragEnter, DragOver and Drop at (0, 0) with the left button's
// key state and the copy effect, under the hourglass. Returns the Drop's code (the enter's when
// the target refuses the data).
HRESULT DropDataOn(IDropTarget* target, IDataObject* data);

}  // namespace kovra
