// The look-in combo: the desktop, its top-level folders, the drives under My Computer and the
// chain of folders down to the current one, indented, with the system's icons. Choosing an entry
// changes the current folder; a linked shell list or shell tree is kept in step.
//   TRzShellComboData    one entry's folder and identifier lists (owned by the entry)
//   TRzCustomShellCombo  filling, choosing, going up, links; TRzShellCombo publishes it
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <memory>
#include <string>

#include "controls/RzCmboBx.h"
#include "framework/ImgList.h"
#include "shell/RzShellList.h"
#include "shell/RzShellTree.h"
#include "shell/RzShellUtils.h"

namespace kovra {

class TRzCustomShellCombo;

class TRzShellComboData {
 public:
  // `parentFolder` null and both lists empty: the desktop itself.
  TRzShellComboData(TRzCustomShellCombo* owner, TShellFolderPtr parentFolder,
                    LPCITEMIDLIST parentAbsolute, LPCITEMIDLIST relative);
  TRzShellComboData(const TRzShellComboData&) = delete;
  TRzShellComboData& operator=(const TRzShellComboData&) = delete;

  TRzCustomShellCombo* Owner() const { return owner_; }
  IShellFolder* ParentFolder() const { return parentFolder_.Get(); }
  LPCITEMIDLIST ParentAbsolute() const { return parentAbsolute_.Get(); }
  LPCITEMIDLIST Relative() const { return relative_.Get(); }
  LPCITEMIDLIST Absolute() const { return absolute_.Get(); }
  // Bound on first use and kept; null when the entry cannot be opened as a folder.
  IShellFolder* Folder();
  std::string Path() const { return IdListToPath(absolute_.Get()); }

  // Caption and icon are asked of the shell once, when the entry is first needed.
  bool Filled() const { return filled_; }
  void SetFilled() { filled_ = true; }

 private:
  TRzCustomShellCombo* owner_;
  TShellFolderPtr parentFolder_;
  TRzPidl parentAbsolute_;
  TShellFolderPtr folder_;
  bool folderTried_ = false;
  TRzPidl relative_;
  TRzPidl absolute_;
  bool filled_ = false;
};

using TRzShellComboOptions = std::uint8_t;
constexpr TRzShellComboOptions scoAutofill = 1 << 0, scoNonFilesystemAncestors = 1 << 1;
constexpr TRzShellComboOptions kDefaultShellComboOptions = scoAutofill | scoNonFilesystemAncestors;

// Attributes each listed folder is asked for: subfolders, file system, folder, file-system
// ancestor, hidden, share, link.
constexpr SFGAOF kShellComboAttributes = 0xF00B0000;
// SHCONTF_FOLDERS: the combo lists folders only.
constexpr SHCONTF kShellComboEnumFlags = 0x20;

inline constexpr const char* kRzStrRecursiveSort = "Recursive call to SortPidls";

class TRzCustomShellCombo : public TRzCustomImageComboBox,
                            public IRzShellTreeFollower,
                            public IRzShellFolderLink {
 public:
  static constexpr UINT kApplyChoiceMessage = 0x0468;

  explicit TRzCustomShellCombo(TComponent* owner);
  ~TRzCustomShellCombo() override;

  // Setting it refills the combo and moves the linked tree or list there.
  TRzShellLocator& SelectedFolder() { return selectedFolder_; }
  std::string SelectedPathName() { return selectedFolder_.Path(); }

  TRzShellComboOptions Options() const { return options_; }
  void SetOptions(TRzShellComboOptions options);
  bool AutoDropDownCount() const { return autoDropDownCount_; }
  void SetAutoDropDownCount(bool value) { autoDropDownCount_ = value; }

  // One or the other: linking one while the other is linked is ignored.
  TRzCustomShellList* ShellList() const { return list_; }
  void SetShellList(TRzCustomShellList* list);
  TRzCustomShellTree* ShellTree() const { return tree_; }
  void SetShellTree(TRzCustomShellTree* tree);

  // Rebuilds the entries for the selected folder (nothing without a window). Raises when the
  // desktop, My Computer or a folder's contents cannot be had.
  void Fill();
  // Moves to the folder `levels` entries up the indentation, stopping at the desktop.
  void GoUp(int levels);
  // What a user's choice of entry `index` does: that entry's folder becomes the selected one,
  // then OnChange fires (only when the folder changed). GoUp goes the same way.
  void ChooseEntry(int index);
  TRzShellComboData* EntryData(int index) const;
  // Asks the shell for the entry's caption and icon now instead of when it is first drawn.
  void LoadItemData(int index);

  // IRzShellTreeFollower
  void ShellTreeFolderChanged(TRzCustomShellTree* tree, LPCITEMIDLIST folder) override;
  void ShellTreeLinked(TRzCustomShellTree* tree) override { SetShellTree(tree); }
  void ShellTreeUnlinked(TRzCustomShellTree* tree) override;
  // IRzShellFolderLink
  void LinkShowFolder(LPCITEMIDLIST absolute) override;
  void LinkGoUp(int levels) override;
  void LinkUpdateNow() override;
  void LinkListDestroyed(TRzCustomShellList* list) override;

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  void Loaded() override;
  void WndProc(TMessage& m) override;
  void CNCommand(TMessage& m) override;
  void Notification(TComponent* component, TOperation operation) override;
  void Select() override;
  void CloseUp() override;
  void SelEndOk() override;
  void SelEndCancel() override;
  void ItemDeleting(int index) override;
  void GetItemData(TRzImageComboBoxItem* item) override;

 private:
  struct TFillState;
  class TIgnoreChanges;
  void SelectedFolderChanged();
  void MoveLinkedControl();
  void FillNow();
  void AddChildren(TFillState& state, const TShellFolderPtr& folder, LPCITEMIDLIST parentAbsolute,
                   int level, bool parentOnPath);
  void AddPathChain(TFillState& state, const TShellFolderPtr& folder, LPCITEMIDLIST absolute,
                    int level);
  int AddEntry(std::unique_ptr<TRzShellComboData> data, std::string_view caption, int image,
               int indent);
  void SortChildren(IShellFolder* folder, std::vector<TRzPidl>& children);
  void PostApplyChoice();
  void ApplyChoice();
  void SizeDropDown();

  TRzShellLocator selectedFolder_;
  TRzShellComboOptions options_ = kDefaultShellComboOptions;
  TRzCustomShellList* list_ = nullptr;
  TRzCustomShellTree* tree_ = nullptr;
  int ignoreChanges_ = 0;
  TImageList images_;
  bool autoDropDownCount_ = true;
  int selectedEntry_ = -1;      // the entry of the selected folder at the last fill
  bool choicePending_ = false;  // chosen in the open list; applied once it closes
  bool sorting_ = false;
};

class TRzShellCombo : public TRzCustomShellCombo {
 public:
  explicit TRzShellCombo(TComponent* owner) : TRzCustomShellCombo(owner) {}
};

}  // namespace kovra
