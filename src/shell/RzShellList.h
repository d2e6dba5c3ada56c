// The shell list: one shell folder's contents in a list view, with the system's icons and
// columns, filtering by file patterns, sorting, opening, verbs, renaming, new folders, drag and
// drop and refresh on file-system changes.
//   TRzCustomListView     the list view with the header's sort mark and an item context-menu event
//   IRzShellFolderLink    what a linked shell tree or combo does for the list
//   TRzShellListData      one item's identifier lists and cached texts (owned by the item)
//   TRzCustomShellList    the behaviour; TRzShellList publishes it
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "controls/RzCommon.h"
#include "controls/RzFrameController.h"
#include "controls/RzFramedView.h"
#include "framework/ComCtrlsList.h"
#include "shell/RzShellIntf.h"
#include "shell/RzShellListLogic.h"
#include "shell/RzShellSendTo.h"
#include "shell/RzShellTree.h"
#include "shell/RzShellUtils.h"

namespace kovra {

class TPopupMenu;
class TTimer;
class TRzCustomShellList;

enum THeaderSortDisplayMode : std::uint8_t {
  hsdmNone,
  hsdmLeftAlign,
  hsdmRightOfText,
  hsdmRightAlign
};

using TRzLVOnItemContextMenuEvent =
    std::function<void(TObject* sender, TListItem* item, POINT& pos, TPopupMenu*& menu)>;

// The list view with the controls library's frame (drawn over the window's border unless the
// system's theme frames it), colours by state, and the header's sort mark.
class TRzCustomListView : public TRzFramedView<TCustomListView> {
 public:
  explicit TRzCustomListView(TComponent* owner) : TRzFramedView(owner) {}

  // hsdmNone hides the header's sort mark; the other modes show the system's mark.
  THeaderSortDisplayMode HeaderSortDisplayMode() const { return headerSortDisplayMode_; }
  void SetHeaderSortDisplayMode(THeaderSortDisplayMode value);
  // The column (0-based) and direction the header marks.
  void SetSortDisplay(int column, TSortDirection direction);

  TRzLVOnItemContextMenuEvent OnItemContextMenu;

 protected:
  // Fires OnItemContextMenu; true when it handed back a menu, which has then been shown.
  bool DoItemContextMenu(TListItem* item, POINT screen);

 private:
  THeaderSortDisplayMode headerSortDisplayMode_ = hsdmRightOfText;
  int sortDisplayColumn_ = -1;
  TSortDirection sortDisplayDirection_ = sdNone;
};

// A linked combo owns the current folder: the list asks it to show a folder (it then sets the
// list's folder itself) or to go up, and lets it finish pending work before acting. (A linked
// shell tree is linked directly: SetShellTree.)
class IRzShellFolderLink {
 public:
  virtual void LinkShowFolder(LPCITEMIDLIST absolute) = 0;
  virtual void LinkGoUp(int levels) = 0;
  virtual void LinkUpdateNow() {}
  // The list is going away: forget it.
  virtual void LinkListDestroyed(TRzCustomShellList* list) { (void)list; }

 protected:
  ~IRzShellFolderLink() = default;
};

using TRzShellListOptions = std::uint16_t;
constexpr TRzShellListOptions sloAutoFill = 1 << 0, sloNonFilesystemAncestors = 1 << 1,
                              sloDesignInteractive = 1 << 2, sloDefaultKeyHandling = 1 << 3,
                              sloContextMenus = 1 << 4, sloDontChangeFolder = 1 << 5,
                              sloDontGoBelowBase = 1 << 6, sloDynamicRefresh = 1 << 7,
                              sloHideFoldersWhenLinkedToTree = 1 << 8, sloOleDrag = 1 << 9,
                              sloOleDrop = 1 << 10, sloFolderContextMenu = 1 << 11,
                              sloShowHidden = 1 << 12, sloFilesCanBeFolders = 1 << 13;
constexpr TRzShellListOptions kDefaultShellListOptions = 0x3E9B;

// Attributes every item is asked for (copy, move, link, rename, delete, link, share, read-only,
// hidden, file system, folder, file-system ancestor; stream with the newer shell).
constexpr SFGAOF kShellListItemAttributes = 0x700F0037;
constexpr SFGAOF kShellListItemAttributesStream = 0x704F0037;
// What the add test reads.
constexpr SFGAOF kShellListAddAttributes = 0x724B0000;

class TRzShellListData : public TObject {
 public:
  TRzShellListData(TRzCustomShellList* owner, TRzPidl relative);

  TRzCustomShellList* Owner() const { return owner_; }
  LPCITEMIDLIST Relative() const { return relative_.Get(); }
  // The list's folder joined with the item, built on first use.
  LPCITEMIDLIST Absolute();
  std::string Path();
  std::string FileName();  // the name part of the path
  std::string DisplayName();
  bool IsFolder();
  bool IsShortcut();
  bool CanRename();
  SFGAOF Attributes();
  // Column n's text: the folder's details when it has them, else Size, Type and Modified.
  std::string ColumnText(int column);
  int IconIndex();
  void SetRelative(TRzPidl relative);

 private:
  void ReadFixedColumns();

  TRzCustomShellList* owner_;
  TRzPidl relative_;
  TRzPidl absolute_;
  std::string displayName_;
  bool displayNameValid_ = false;
  SFGAOF attributes_ = 0;
  bool attributesValid_ = false;
  std::string size_, type_, modified_;
  bool fixedValid_ = false;
  // The folder's detail texts, asked once per column (painting asks for them again and again).
  std::vector<std::string> details_;
  std::vector<bool> detailsValid_;
  int iconIndex_ = -1;
};

using TRzShDblClickOpenEvent = std::function<void(TObject* sender, bool& handled)>;
using TRzShListDeleteItemEvent =
    std::function<void(TObject* sender, TListItem* node, TRzShellListData* listData)>;

// TRzShAddItemEvent and TRzShPopupHintEvent are the tree's (RzShellTree.h).
class TRzCustomShellList : public TRzCustomListView,
                           public IRzShellTreeFollower,
                           public IRzDropTargetOwner {
 public:
  static constexpr UINT kChangeMessage = TChangeHandlerThread::kDefaultMessage;  // 0x0465
  static constexpr UINT kEditNewFolderMessage = 0x0466;
  static constexpr UINT kInitialFillMessage = 0x0467;
  static constexpr int kAllocationStep = 256;
  static constexpr int kMenuFirstCommand = kShellMenuFirstCommand;
  static constexpr int kMenuLastCommand = kShellMenuLastCommand;
  static constexpr int kRenameCommand = 1018;
  // The longest a new folder on the desktop is waited for before the list refreshes.
  static constexpr DWORD kNewFolderDesktopWaitMs = 2100;

  explicit TRzCustomShellList(TComponent* owner);
  ~TRzCustomShellList() override;

  // Setting it shows that folder (through a linked tree or combo when there is one).
  TRzShellLocator& Folder() { return folder_; }
  void SetFolderIdList(LPCITEMIDLIST absolute) { folder_.SetIdList(absolute); }
  void SetFolderPath(std::string_view path) { folder_.SetPath(path); }
  // The folder the items belong to (bound at the last fill) and its absolute list.
  IShellFolder* ShellFolder() const { return shellFolder_.Get(); }
  LPCITEMIDLIST FolderIdList() const { return folderIdList_.Get(); }
  std::string FolderPath() const { return IdListToPath(folderIdList_.Get()); }

  const std::string& FileFilter() const { return fileFilter_; }
  void SetFileFilter(std::string_view filter);
  TRzShellListOptions Options() const { return options_; }
  void SetOptions(TRzShellListOptions options);
  // 1-based; negative for descending.
  int SortColumn() const { return sortColumn_; }
  void SetSortColumn(int column);

  // The tree then owns the folder: opening and going up move its selection, which sets the list.
  TRzCustomShellTree* ShellTree() const { return tree_; }
  void SetShellTree(TRzCustomShellTree* tree);
  void SetShellCombo(IRzShellFolderLink* combo) { combo_ = combo; }

  // IRzShellTreeFollower
  void ShellTreeFolderChanged(TRzCustomShellTree* tree, LPCITEMIDLIST folder) override;
  void ShellTreeLinked(TRzCustomShellTree* tree) override { SetShellTree(tree); }
  void ShellTreeUnlinked(TRzCustomShellTree* tree) override;
  bool ShowsFolders() const override;

  TRzShellListData* ListData(TListItem* item) const;
  TRzShellListData* SelectedItemData() const;
  std::string SelectedPathName() const;

  // From scratch.
  void FillItems();
  // Merges the folder's current contents into the items (fills when empty).
  void RefreshItems();
  // The merges run so far, deferred ones once they run: how many passes the folder's changes
  // cost.
  int RefreshCount() const { return refreshCount_; }
  void GoUp(int levels);
  void OpenSelectedItems();
  void OpenItem(TListItem* item);
  // Creates "New Folder" (or the next free name) in the shown folder; true when one was made.
  bool CreateNewFolder(bool editName);
  // A shell verb ("copy", "delete", ...) on the selected items; false when not offered.
  bool DoCommandForSelected(std::string_view verb);
  // A verb on the shown folder itself ("paste", "properties"); raises on failure.
  void DoCommandForFolder(std::string_view verb);

  TRzShAddItemEvent OnAddItem;
  TRzShDblClickOpenEvent OnDblClickOpen;
  TRzShListDeleteItemEvent OnDeleteItem;
  TNotifyEvent OnFillStart;
  TNotifyEvent OnFillComplete;
  TNotifyEvent OnFolderChanged;
  TRzShPopupHintEvent OnPopupHint;

  // IRzDropTargetOwner: what the window's registered drop target passes on.
  HRESULT OleDragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT OleDragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT OleDragLeave() override;
  HRESULT OleDrop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

 protected:
  friend class TRzShellListData;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& m) override;
  void CNNotify(TMessage& m) override;
  void WMContextMenu(TMessage& m) override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;
  void DblClick() override;

  std::string ItemText(TListItem* item, int column) override;
  int ItemImage(TListItem* item) override;
  bool CanEdit(TListItem* item) override;
  bool Edited(TListItem* item, std::string& text) override;
  void ColumnClicked(TListColumn* column) override;
  void Deletion(TListItem* item) override;

  // The shell's drop target under the screen point (`item` gets the item it belongs to, null for
  // the shown folder's); null where nothing may be dropped.
  virtual ComPtr<IDropTarget> DropTargetAt(POINTL point, TListItem*& item);

  IShellDetails* Details() const { return details_.Get(); }
  bool HasDetails() const { return details_.Get() != nullptr; }

 private:
  void FolderChanged(TObject* sender);
  // Shows `folder`, already bound, with the identifiers read from it (none when not `listed`).
  void Enumerate(TShellFolderPtr folder, std::vector<TRzPidl>& ids, bool listed);
  // After a folder that could not be read: the locator goes back to the folder still shown.
  void ShowPreviousFolder();
  void BuildColumns();
  void RememberColumnWidths();
  void BuildFilterTable();
  bool EnumerateIds(IShellFolder* folder, std::vector<TRzPidl>& out);
  bool PassesAddTest(TRzShellListData& data);
  void InsertItem(std::unique_ptr<TRzShellListData> data);
  void SortItems();
  void ShowFolder(LPCITEMIDLIST absolute);
  void UpdateLinks();
  bool Busy() const { return dragging_ || menuOpen_ || IsEditing(); }
  void RunDeferredRefresh();
  void Watch();
  void ChangeNotified();
  void OnRefreshTimer(TObject* sender);
  void EditNewFolder();
  ComPtr<IContextMenu> SelectionMenu(const std::vector<TListItem*>& items);
  void InvokeDefault(IContextMenu* menu);
  void ShowShellContextMenu(POINT screen);
  // Owner-drawn and delay-filled submenus (Send To, Open With) of the open shell menu.
  bool HandleMenuMessage(TMessage& m);
  // The selected items as a data object, as a drag of them carries.
  ComPtr<IDataObject> SelectionDataObject();
  void BeginOleDrag(bool rightButton);
  void RegisterDropTarget();
  void RevokeDropTarget();

  void SetDropItem(TListItem* item);
  // A step towards the edge the point of a drag over is near, at most every 100 ms.
  void DragAutoScroll(POINT client);

  TRzShellLocator folder_;
  std::unique_ptr<TTimer> refreshTimer_;
  TShellFolderPtr shellFolder_;
  TRzPidl folderIdList_;
  ComPtr<IShellDetails> details_;
  TRzShellListOptions options_ = kDefaultShellListOptions;
  std::string fileFilter_;
  std::vector<std::string> filterPatterns_;
  std::unique_ptr<TRzFilterTable> filterTable_;
  int sortColumn_ = 1;
  TRzCustomShellTree* tree_ = nullptr;
  bool followingTree_ = false;
  IRzShellFolderLink* combo_ = nullptr;
  int ignoreChanges_ = 0;
  bool deferRefresh_ = false;
  bool refreshDeferred_ = false;
  bool ignoreNextNotification_ = false;
  bool filling_ = false;
  int refreshCount_ = 0;
  std::string deferredEditName_;
  std::unique_ptr<TChangeHandlerThread> changeThread_;
  bool fixedColumns_ = false;

  // Drag and drop.
  ComPtr<TDropTarget> dropTarget_;
  bool dropRegistered_ = false;
  bool dragging_ = false;
  bool menuOpen_ = false;
  IContextMenu* openMenu_ = nullptr;  // borrowed while the shell's menu is tracked
  std::unique_ptr<TRzSendToMenu> sendTo_;
  ComPtr<IDataObject> dragData_;
  DWORD dragKeyState_ = 0;
  ComPtr<IDropTarget> shellTarget_;
  TListItem* dropItem_ = nullptr;
  bool dropOnFolder_ = false;
  TRzDragScrollTimer scrollTimer_;
};

class TRzShellList : public TRzCustomShellList {
 public:
  explicit TRzShellList(TComponent* owner) : TRzCustomShellList(owner) {}
};

}  // namespace kovra
