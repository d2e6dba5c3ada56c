// The shell tree: the shell namespace as a tree of folders below a base folder.
//   TRzCustomTreeView     the framed tree view: frame settings, right-click selection, node menus
//   IRzShellTreeFollower  what a linked shell list or look-in combo is told by the tree
//   TRzShellTreeData      one node's identifier lists and folders (owned by the node)
//   TRzCustomShellTree    lazy filling, selection by folder, refresh on file-system changes,
//                         shell context menus, renaming, new folders, drag and drop
//   TRzShellTree          its published form
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/RzCommon.h"
#include "controls/RzFrameController.h"
#include "controls/RzFramedView.h"
#include "framework/ComCtrlsTree.h"
#include "framework/Timers.h"
#include "shell/RzShellDragLogic.h"
#include "shell/RzShellIntf.h"
#include "shell/RzShellSendTo.h"
#include "shell/RzShellTreeLogic.h"
#include "shell/RzShellUtils.h"

namespace kovra {

class TPopupMenu;
class TRzCustomShellTree;

// ---- TRzCustomTreeView ----

using TRzTvOnNodeContextMenuEvent =
    std::function<void(TObject* sender, TTreeNode* node, POINT& pos, TPopupMenu*& menu)>;

class TRzCustomTreeView : public TRzFramedView<TCustomTreeView> {
 public:
  explicit TRzCustomTreeView(TComponent* owner);

  // The node under a right click counts as the selection for menus.
  bool RightClickSelect() const { return rightClickSelect_; }
  void SetRightClickSelect(bool value) { rightClickSelect_ = value; }

  // May move the menu's position or hand back another menu (or none).
  TRzTvOnNodeContextMenuEvent OnNodeContextMenu;

 protected:
  // The node a menu is about: the right-clicked one, or the selection from the keyboard.
  TTreeNode* menuNode_ = nullptr;
  bool suppressNextPopup_ = false;

  bool RightClick(POINT client) override;
  void WMContextMenu(TMessage& m) override;
  // Shows the menu for the node at the screen point; the default shows `menu` when given.
  virtual void ShowNodeMenu(TTreeNode* node, POINT screen, TPopupMenu* menu);

 private:
  bool rightClickSelect_ = false;
};

// ---- Links to a list and a combo ----

class IRzShellTreeFollower {
 public:
  // The tree's selection now shows this folder (absolute; null is the desktop).
  virtual void ShellTreeFolderChanged(TRzCustomShellTree* tree, LPCITEMIDLIST folder) = 0;
  // The tree was linked from its side: follow it, as when linked from the follower's side.
  virtual void ShellTreeLinked(TRzCustomShellTree* tree) = 0;
  // The tree goes away or links another follower: forget it.
  virtual void ShellTreeUnlinked(TRzCustomShellTree* tree) = 0;
  // A follower that lists no folders makes the tree open the folder it selects.
  virtual bool ShowsFolders() const { return true; }

 protected:
  ~IRzShellTreeFollower() = default;
};

// ---- TRzShellTreeData ----

class TRzShellTreeData {
 public:
  // `relative` is the item inside the parent's folder; for the root (no parent) the base
  // folder's absolute list.
  TRzShellTreeData(TRzCustomShellTree* tree, TRzShellTreeData* parent, TRzPidl relative);
  TRzShellTreeData(const TRzShellTreeData&) = delete;
  TRzShellTreeData& operator=(const TRzShellTreeData&) = delete;

  TRzCustomShellTree* Tree() const { return tree_; }
  TRzShellTreeData* Parent() const { return parent_; }
  bool IsRoot() const { return parent_ == nullptr; }
  LPCITEMIDLIST RelativeIdList() const { return relative_.Get(); }
  // The item as its parent folder knows it: the relative list, or the root's last item.
  LPCITEMIDLIST ChildIdList() const;
  // Built on first use; null only when memory ran out.
  LPCITEMIDLIST AbsoluteIdList();
  bool IsDesktop();
  // Bound on first use and kept; null when the item is no folder.
  IShellFolder* ShellFolder();
  // The folder holding this item; null for the desktop.
  IShellFolder* ParentShellFolder();
  std::string Path();
  bool CanRename();
  // After a rename: the new relative list; cached lists and folders are rebuilt.
  void SetRelativeIdList(TRzPidl list);
  void ForgetCaches();
  // For the root, which holds its bound folder from the start.
  void SetShellFolder(TShellFolderPtr folder) { folder_ = std::move(folder); }

 private:
  TRzCustomShellTree* tree_;
  TRzShellTreeData* parent_;
  TRzPidl relative_;
  TRzPidl absolute_;
  TShellFolderPtr folder_;
  bool folderTried_ = false;
  TShellFolderPtr rootParentFolder_;
  bool rootParentTried_ = false;
};

// ---- TRzCustomShellTree ----

using TRzShAddItemEvent =
    std::function<void(TObject* sender, IShellFolder* parentFolder, LPCITEMIDLIST parentAbsolute,
                       LPCITEMIDLIST item, SFGAOF attributes, bool& allowAdd)>;
using TRzShTreeInsertItemEvent = std::function<void(TObject* sender, TTreeNode* node)>;
using TRzShTreeDeleteItemEvent =
    std::function<void(TObject* sender, TTreeNode* node, TRzShellTreeData* data)>;
using TRzShPopupHintEvent = std::function<void(TObject* sender, const std::string& hint)>;

class TRzCustomShellTree : public TRzCustomTreeView, public IRzDropTargetOwner {
 public:
  static constexpr UINT kChangeMessage = TChangeHandlerThread::kDefaultMessage;  // 0x0465
  static constexpr UINT kFillMessage = 0x0467;
  static constexpr UINT kSelectionDelayMs = 500;
  static constexpr UINT kRefreshDelayFocusedMs = 400;
  static constexpr UINT kRefreshDelayMs = 2000;
  static constexpr int kMenuFirstCommand = kShellMenuFirstCommand;
  static constexpr int kMenuLastCommand = kShellMenuLastCommand;
  static constexpr int kMenuRenameOffset = 18;
  // The longest a new folder is waited for before the tree refreshes to show it.
  static constexpr DWORD kNewFolderWaitMs = 1000;
  static constexpr DWORD kNewFolderDesktopWaitMs = 2100;

  explicit TRzCustomShellTree(TComponent* owner);
  ~TRzCustomShellTree() override;

  TRzShellLocator& BaseFolder() { return baseFolder_; }
  TRzShellLocator& SelectedFolder() { return selectedFolder_; }
  std::string SelectedPathName();
  TRzShellTreeOptions Options() const { return options_; }
  void SetOptions(TRzShellTreeOptions options);
  void SetReadOnly(bool value) override;
  // Folders watched for changes; empty (the default) watches the root of every fixed, RAM and
  // connected network drive.
  const std::vector<std::string>& WatchFolders() const { return watchFolders_; }
  void SetWatchFolders(std::vector<std::string> folders);
  bool Watching() const;

  IRzShellTreeFollower* ShellList() const { return shellList_; }
  void SetShellList(IRzShellTreeFollower* list);
  IRzShellTreeFollower* ShellCombo() const { return shellCombo_; }
  void SetShellCombo(IRzShellTreeFollower* combo);

  static TRzShellTreeData* NodeData(TTreeNode* node) {
    return node ? static_cast<TRzShellTreeData*>(node->Data()) : nullptr;
  }
  TTreeNode* RootNode() const { return Items().GetFirstNode(); }

  // Builds the tree from scratch.
  void FillTree();
  // Merges the tree with what the folders hold now.
  void RefreshTree();
  // Selects the folder, adding and expanding the nodes on the way.
  void SelectIdList(LPCITEMIDLIST absolute);
  // Selects the n-th ancestor of the selection, stopping at the root.
  void GoUp(int levels);
  // Creates "New Folder" (or the next free name) below the selection and starts editing it.
  bool CreateNewFolder();
  // Runs a context-menu verb ("copy", "delete", ...) on a node; false when it has none.
  bool DoCommandForNode(TTreeNode* node, std::string_view verb);
  void SortNode(TTreeNode* node);
  // Fills a node's children now (as expanding it does).
  void EnumerateChildren(TTreeNode* node);
  bool RefreshDeferred() const { return refreshDeferred_; }

  TRzShAddItemEvent OnAddItem;
  TRzShTreeInsertItemEvent OnInsertItem;
  TRzShTreeDeleteItemEvent OnDeleteItem;
  TNotifyEvent OnFillStart;
  TNotifyEvent OnFillComplete;
  TRzShPopupHintEvent OnPopupHint;

  // IRzDropTargetOwner
  HRESULT OleDragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT OleDragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT OleDragLeave() override;
  HRESULT OleDrop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& m) override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;

  bool CanExpand(TTreeNode* node) override;
  void Change(TTreeNode* node) override;
  bool CanEdit(TTreeNode* node) override;
  bool Edit(TTreeNode* node, std::string& text) override;
  void Delete(TTreeNode* node) override;
  void GetImageIndex(TTreeNode* node) override;
  void GetSelectedIndex(TTreeNode* node) override;
  void StartDrag(TTreeNode* node, bool rightButton) override;
  void ShowNodeMenu(TTreeNode* node, POINT screen, TPopupMenu* menu) override;
  void CNNotify(TMessage& m) override;

 private:
  void ScheduleRefresh();
  class TIgnoreChanges;
  HRESULT AddNode(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsolute, LPCITEMIDLIST item,
                  TTreeNode* parent, TTreeNode** added = nullptr);
  DWORD EnumFlags() const;
  void EnumerateChildrenOf(TTreeNode* node, bool quiet);
  void MergeNode(TTreeNode* node, TTreeNode*& remembered);
  void ApplySelection();
  void OnTimerTick();
  void BaseFolderChanged();
  void SelectedFolderChanged();
  void ChangeNotified();
  void StartWatching();
  void StopWatching();
  void RegisterDropTarget();
  void RevokeDropTarget();
  void DeviceChanged(TMessage& m);
  void RunDeferredRefresh();
  bool ShowShellMenu(TTreeNode* node, POINT screen);
  // The shell's context menu for the node's item; null when the item has none.
  ComPtr<IContextMenu> NodeContextMenu(TRzShellTreeData* data);
  bool MenuMessage(TMessage& m);
  // The node's item as a data object, as a drag of it carries.
  ComPtr<IDataObject> NodeDataObject(TRzShellTreeData* data);
  TTreeNode* DropNodeAt(POINTL screen);
  ComPtr<IDropTarget> NodeDropTarget(TTreeNode* node);
  void SetDropNode(TTreeNode* node);
  void DragScrollAndHover(POINT client);

  TTimer timer_;
  int timerTag_ = 0;  // 1: apply the pending selection, 2: refresh
  TRzShellLocator baseFolder_;
  TRzShellLocator selectedFolder_;
  TRzShellTreeOptions options_ = kDefaultShellTreeOptions;
  IRzShellTreeFollower* shellList_ = nullptr;
  IRzShellTreeFollower* shellCombo_ = nullptr;
  int ignoreChanges_ = 0;
  bool quickSelect_ = false;
  bool deferRefresh_ = false;
  bool refreshDeferred_ = false;
  bool ignoreNextNotification_ = false;
  bool dragging_ = false;
  std::unique_ptr<TChangeHandlerThread> changeThread_;
  std::vector<std::string> watchFolders_;
  ComPtr<TDropTarget> dropTarget_;
  bool dropRegistered_ = false;
  // Drag over the tree.
  ComPtr<IDataObject> dragData_;
  DWORD dragEnterKeys_ = 0;
  TTreeNode* dropNode_ = nullptr;
  TRzDragScrollTimer scrollTimer_;
  TRzDragHoverTracker hoverTracker_;
  // The shell menu open now.
  ComPtr<IContextMenu> openMenu_;
  ComPtr<IContextMenu2> openMenu2_;
  std::unique_ptr<TRzSendToMenu> sendTo_;
  const TRzShellKeys keys_ = ShellKeysFromTexts();
};

class TRzShellTree : public TRzCustomShellTree {
 public:
  explicit TRzShellTree(TComponent* owner) : TRzCustomShellTree(owner) {}
};

}  // namespace kovra
