// The framed tree view and the shell tree.
#include "shell/RzShellTree.h"

#include <dbt.h>

#include <algorithm>

#include "framework/Application.h"
#include "framework/Menus.h"
#include "framework/runtime/Text.h"

namespace kovra {

namespace {

// Critical-error boxes (an empty floppy drive) would stop an enumeration cold.
class TQuietErrors {
 public:
  TQuietErrors() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~TQuietErrors() { SetErrorMode(old_); }
  TQuietErrors(const TQuietErrors&) = delete;
  TQuietErrors& operator=(const TQuietErrors&) = delete;

 private:
  UINT old_;
};

// CompareIDs answers in the low 16 bits of a success code; a failure counts as equal.
int ShellCompare(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
  if (!folder) return 0;
  const HRESULT hr = folder->CompareIDs(0, AsRelative(a), AsRelative(b));
  if (FAILED(hr)) return 0;
  return static_cast<short>(HRESULT_CODE(hr));
}

bool SameItem(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
  const HRESULT hr = folder->CompareIDs(0, AsRelative(a), AsRelative(b));
  return SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) == 0;
}

[[noreturn]] void RaiseShellError(HRESULT hr) {
  throw EOSError(static_cast<DWORD>(hr));
}

constexpr SFGAOF kAddNodeAttributes = 0xF20B0000;  // subfolders, file system, folder, ancestor,
                                                   // removable, hidden, share, link
constexpr SFGAOF kStreamAttribute = 0x00400000;

}  // namespace

// ---- TRzCustomTreeView ----

TRzCustomTreeView::TRzCustomTreeView(TComponent* owner) : TRzFramedView(owner) {}

bool TRzCustomTreeView::RightClick(POINT client) {
  menuNode_ = GetNodeAt(client.x, client.y);
  if (rightClickSelect_ && menuNode_) SetSelected(menuNode_);
  return false;  // the system goes on with WM_CONTEXTMENU
}

void TRzCustomTreeView::WMContextMenu(TMessage& m) {
  POINT screen = MessagePoint(m.LParam);
  TTreeNode* node = nullptr;
  if (screen.x == -1 && screen.y == -1) {
    node = Selected();
    if (node) {
      const RECT r = node->DisplayRect(true);
      screen = ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    } else {
      screen = ClientToScreen(POINT{0, 0});
    }
  } else {
    const POINT client = ScreenToClient(screen);
    node = GetNodeAt(client.x, client.y);
  }
  menuNode_ = nullptr;
  TPopupMenu* menu = PopupMenu();
  TPopupMenu* const original = menu;
  if (OnNodeContextMenu && node) OnNodeContextMenu(this, node, screen, menu);
  if (menu != original) suppressNextPopup_ = true;
  ShowNodeMenu(node, screen, menu);
  m.Result = 1;
}

void TRzCustomTreeView::ShowNodeMenu(TTreeNode* node, POINT screen, TPopupMenu* menu) {
  (void)node;
  suppressNextPopup_ = false;
  if (!menu) return;
  menu->SetPopupComponent(this);
  menu->Popup(screen.x, screen.y);
}

// ---- TRzShellTreeData ----

TRzShellTreeData::TRzShellTreeData(TRzCustomShellTree* tree, TRzShellTreeData* parent,
                                   TRzPidl relative)
    : tree_(tree), parent_(parent), relative_(std::move(relative)) {}

LPCITEMIDLIST TRzShellTreeData::ChildIdList() const {
  return parent_ ? relative_.Get() : IdListLastItem(relative_.Get());
}

LPCITEMIDLIST TRzShellTreeData::AbsoluteIdList() {
  if (!absolute_) {
    if (!parent_)
      absolute_ = IdListCopy(relative_.Get());
    else
      absolute_ = IdListConcat(parent_->AbsoluteIdList(), relative_.Get());
  }
  return absolute_.Get();
}

bool TRzShellTreeData::IsDesktop() {
  return IdListItemCount(AbsoluteIdList()) == 0;
}

IShellFolder* TRzShellTreeData::ShellFolder() {
  if (!folder_ && !folderTried_) {
    folderTried_ = true;
    if (!parent_) {
      BindToFolder(AbsoluteIdList(), folder_);
    } else if (IShellFolder* parentFolder = parent_->ShellFolder()) {
      BindToChildFolder(parentFolder, relative_.Get(), folder_);
    }
  }
  return folder_.Get();
}

IShellFolder* TRzShellTreeData::ParentShellFolder() {
  if (parent_) return parent_->ShellFolder();
  if (!rootParentTried_) {
    rootParentTried_ = true;
    LPCITEMIDLIST absolute = AbsoluteIdList();
    if (IdListItemCount(absolute) > 0) {
      TRzIdListArray parts(absolute);
      BindToFolder(parts.Ancestor(1), rootParentFolder_);
    }
  }
  return rootParentFolder_.Get();
}

std::string TRzShellTreeData::Path() {
  return IdListToPath(AbsoluteIdList());
}

bool TRzShellTreeData::CanRename() {
  if (!parent_ || IsDesktop()) return false;
  IShellFolder* folder = ParentShellFolder();
  if (!folder) return false;
  const SFGAOF granted =
      ItemAttributes(folder, ChildIdList(), SFGAO_CAPABILITYMASK | SFGAO_FILESYSTEM);
  return (granted & SFGAO_CANRENAME) != 0;
}

void TRzShellTreeData::SetRelativeIdList(TRzPidl list) {
  relative_ = std::move(list);
  ForgetCaches();
}

void TRzShellTreeData::ForgetCaches() {
  absolute_.Reset();
  if (parent_) {  // the root's folder was bound at fill and stays right
    folder_.Reset();
    folderTried_ = false;
  }
}

// ---- TRzCustomShellTree ----

class TRzCustomShellTree::TIgnoreChanges {
 public:
  explicit TIgnoreChanges(TRzCustomShellTree* tree) : tree_(tree) { ++tree_->ignoreChanges_; }
  ~TIgnoreChanges() { --tree_->ignoreChanges_; }
  TIgnoreChanges(const TIgnoreChanges&) = delete;
  TIgnoreChanges& operator=(const TIgnoreChanges&) = delete;

 private:
  TRzCustomShellTree* tree_;
};

TRzCustomShellTree::TRzCustomShellTree(TComponent* owner)
    : TRzCustomTreeView(owner),
      hoverTracker_(DragHoverMetrics().Width, DragHoverMetrics().Height, DragHoverMetrics().Time) {
  EnsureShellLayer();  // before the window registers its drop target, which needs OLE
  SetBounds(Left(), Top(), 150, 150);
  SetShowRoot(false);
  SetImageListHandle(SystemImageList(sisSmall));
  timer_.SetEnabled(false);
  timer_.OnTimer = [this](TObject*) { OnTimerTick(); };
  baseFolder_.OnChange = [this](TObject*) { BaseFolderChanged(); };
  selectedFolder_.OnChange = [this](TObject*) { SelectedFolderChanged(); };
  DeviceChangeHandler().Register(
      this, [this](TRzDeviceChangeHandler*, TMessage& m) { DeviceChanged(m); });
}

TRzCustomShellTree::~TRzCustomShellTree() {
  Destroying();
  DeviceChangeHandler().Unregister(this);
  timer_.SetEnabled(false);
  StopWatching();
  RevokeDropTarget();
  if (shellList_) shellList_->ShellTreeUnlinked(this);
  if (shellCombo_) shellCombo_->ShellTreeUnlinked(this);
  if (HandleAllocated()) {
    TIgnoreChanges ignore(this);
    Items().Clear();
  }
}

std::string TRzCustomShellTree::SelectedPathName() {
  TRzShellTreeData* data = NodeData(Selected());
  return data ? data->Path() : std::string();
}

void TRzCustomShellTree::SetOptions(TRzShellTreeOptions options) {
  const TRzShellTreeOptions changed = options ^ options_;
  if (!changed) return;
  options_ = options;
  if (!HandleAllocated()) return;
  if (changed & stoOleDrop) (options & stoOleDrop) ? RegisterDropTarget() : RevokeDropTarget();
  if (changed & stoOleDrag) SetDragDisabled(!(options & stoOleDrag));
  if (changed & stoDynamicRefresh) (options & stoDynamicRefresh) ? StartWatching() : StopWatching();
  if (changed & (stoIncludeNonFolders | stoShowHidden | stoVirtualFolders)) RefreshTree();
}

void TRzCustomShellTree::SetReadOnly(bool value) {
  TRzCustomTreeView::SetReadOnly(value);
}

void TRzCustomShellTree::SetWatchFolders(std::vector<std::string> folders) {
  watchFolders_ = std::move(folders);
  if (Watching()) {
    StopWatching();
    StartWatching();
  }
}

bool TRzCustomShellTree::Watching() const {
  return changeThread_ != nullptr;
}

void TRzCustomShellTree::SetShellList(IRzShellTreeFollower* list) {
  if (list == shellList_) return;
  if (shellList_) shellList_->ShellTreeUnlinked(this);
  shellList_ = list;
  if (!shellList_) return;
  shellList_->ShellTreeLinked(this);
  shellList_->ShellTreeFolderChanged(this, selectedFolder_.IdList());
}

void TRzCustomShellTree::SetShellCombo(IRzShellTreeFollower* combo) {
  if (combo == shellCombo_) return;
  if (shellCombo_) shellCombo_->ShellTreeUnlinked(this);
  shellCombo_ = combo;
  if (!shellCombo_) return;
  shellCombo_->ShellTreeLinked(this);
  shellCombo_->ShellTreeFolderChanged(this, selectedFolder_.IdList());
}

// ---- window ----

void TRzCustomShellTree::CreateParams(TCreateParams& params) {
  TRzCustomTreeView::CreateParams(params);
  const TRzShellPlatform& platform = ShellPlatform();
  if (platform.IsNT && platform.ComCtlVersionMS < 0x00040048) params.Style |= TVS_NOTOOLTIPS;
  if (!(options_ & stoOleDrag)) params.Style |= TVS_DISABLEDRAGDROP;
}

void TRzCustomShellTree::CreateWnd() {
  TRzCustomTreeView::CreateWnd();
  SetDragDisabled(!(options_ & stoOleDrag));
  if (options_ & stoOleDrop) RegisterDropTarget();
  if ((options_ & stoAutoFill) && Items().Count() == 0)
    PostMessageW(WindowHandle(), kFillMessage, 0, 0);
  if (shellList_) shellList_->ShellTreeFolderChanged(this, selectedFolder_.IdList());
}

void TRzCustomShellTree::DestroyWnd() {
  RevokeDropTarget();
  StopWatching();
  {
    TIgnoreChanges ignore(this);
    if (HandleAllocated()) Items().Clear();
  }
  TRzCustomTreeView::DestroyWnd();
}

void TRzCustomShellTree::RegisterDropTarget() {
  if (dropRegistered_ || !HandleAllocated()) return;
  if (!dropTarget_) dropTarget_ = TDropTarget::Create(this);
  dropRegistered_ = SUCCEEDED(RegisterDragDrop(WindowHandle(), dropTarget_.Get()));
}

void TRzCustomShellTree::RevokeDropTarget() {
  if (dropRegistered_ && HandleAllocated()) RevokeDragDrop(WindowHandle());
  dropRegistered_ = false;
  if (dropTarget_) {
    dropTarget_->Disconnect();
    dropTarget_.Reset();
  }
  dragData_.Reset();
}

void TRzCustomShellTree::WndProc(TMessage& m) {
  if (openMenu_ && MenuMessage(m)) return;
  switch (m.Msg) {
    case kChangeMessage:
      ChangeNotified();
      return;
    case kFillMessage:
      if (Items().Count() == 0) FillTree();
      return;
    case WM_RBUTTONUP:
      if (suppressNextPopup_) {
        suppressNextPopup_ = false;
        return;
      }
      break;
    default:
      break;
  }
  TRzCustomTreeView::WndProc(m);
}

// ---- filling ----

DWORD TRzCustomShellTree::EnumFlags() const {
  DWORD flags = SHCONTF_FOLDERS;
  if (options_ & stoShowHidden) flags |= SHCONTF_INCLUDEHIDDEN;
  if (options_ & stoIncludeNonFolders) flags |= SHCONTF_NONFOLDERS;
  return flags;
}

void TRzCustomShellTree::FillTree() {
  if (dragging_ || IsEditing()) {
    refreshDeferred_ = true;
    return;
  }
  HandleNeeded();
  TScreenCursor hourglass(crHourGlass);
  {
    TIgnoreChanges ignore(this);
    SetSelected(nullptr);
    Items().Clear();
    LPCITEMIDLIST base = baseFolder_.IdList();
    TShellFolderPtr folder;
    const HRESULT hr = BindToFolder(base, folder);
    if (FAILED(hr) || !folder) RaiseShellError(FAILED(hr) ? hr : E_FAIL);
    auto data = std::make_unique<TRzShellTreeData>(this, nullptr, IdListCopy(base));
    data->SetShellFolder(std::move(folder));
    std::string text = AbsoluteDisplayName(data->AbsoluteIdList());
    TTreeNode* root = Items().AddChild(nullptr, text, data.get());
    TRzShellTreeData* rootData = data.release();
    root->SetImageIndex(FileInfoOfIdList(rootData->AbsoluteIdList(), SHGFI_SMALLICON).IconIndex());
    root->SetSelectedIndex(
        FileInfoOfIdList(rootData->AbsoluteIdList(), SHGFI_SMALLICON | SHGFI_OPENICON).IconIndex());
    root->SetHasChildren(true);
    if (OnInsertItem) OnInsertItem(this, root);
    EnumerateChildrenOf(root, false);
    root->Expand(false);
  }
  if (selectedFolder_.IdList())
    SelectIdList(selectedFolder_.IdList());
  else if (TTreeNode* first = Items().GetFirstNode()) {
    quickSelect_ = true;
    SetSelected(first);
  }
  if (timer_.Enabled() && timerTag_ == 1) OnTimerTick();
  if ((options_ & stoDynamicRefresh) && !Watching()) StartWatching();
}

void TRzCustomShellTree::EnumerateChildren(TTreeNode* node) {
  if (!node) return;
  TScreenCursor hourglass(crHourGlass);
  EnumerateChildrenOf(node, false);
}

void TRzCustomShellTree::EnumerateChildrenOf(TTreeNode* node, bool quiet) {
  TRzShellTreeData* data = NodeData(node);
  if (!data) return;
  if (OnFillStart) OnFillStart(this);
  struct Complete {
    TRzCustomShellTree* tree;
    ~Complete() {
      if (tree->OnFillComplete) tree->OnFillComplete(tree);
    }
  } complete{this};
  TQuietErrors quietErrors;
  IShellFolder* folder = data->ShellFolder();
  if (!folder) return;
  ComPtr<IEnumIDList> items;
  const HRESULT hr =
      folder->EnumObjects(quiet ? nullptr : WindowHandle(), EnumFlags(), items.Put());
  if (FAILED(hr) || hr == S_FALSE || !items) return;  // keeps its expand button
  int added = 0;
  HRESULT next = S_OK;
  {
    TIgnoreChanges ignore(this);
    for (;;) {
      TRzPidl item;
      ULONG fetched = 0;
      next = items->Next(1, item.Put<ITEMID_CHILD>(), &fetched);
      if (next != S_OK || fetched == 0) break;
      TTreeNode* child = nullptr;
      if (SUCCEEDED(AddNode(folder, data->AbsoluteIdList(), item.Get(), node, &child)) && child)
        ++added;
    }
  }
  if (added == 0) node->SetHasChildren(false);
  if (next != S_OK && next != S_FALSE) {
    if (next == E_FAIL || quiet) return;
    RaiseShellError(next);
  }
  SortNode(node);
}

HRESULT TRzCustomShellTree::AddNode(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsolute,
                                    LPCITEMIDLIST item, TTreeNode* parent, TTreeNode** added) {
  if (added) *added = nullptr;
  SFGAOF attributes = kAddNodeAttributes | (Shell32Before6() ? 0 : kStreamAttribute);
  PCUITEMID_CHILD children[] = {AsChild(item)};
  const HRESULT hr = parentFolder->GetAttributesOf(1, children, &attributes);
  if (FAILED(hr)) return hr;
  if (!(options_ & stoVirtualFolders) && !(attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)))
    return S_FALSE;
  bool allow = true;
  if (OnAddItem) OnAddItem(this, parentFolder, parentAbsolute, item, attributes, allow);
  if (!allow) return S_FALSE;
  const bool isFolder = IsFolderItem(attributes, (options_ & stoIncludeNonFolders) == 0);
  const bool hasSub = (attributes & SFGAO_HASSUBFOLDER) != 0;
  auto data = std::make_unique<TRzShellTreeData>(this, NodeData(parent), IdListCopy(item));
  TTreeNode* node =
      Items().AddChild(parent, ItemDisplayName(parentFolder, item, snkInFolder), data.get());
  data.release();
  node->SetHasChildren((options_ & stoIncludeNonFolders) ? (isFolder || hasSub)
                                                         : (isFolder && hasSub));
  if (attributes & SFGAO_SHARE)
    node->SetOverlayIndex(0);
  else if (attributes & SFGAO_LINK)
    node->SetOverlayIndex(1);
  if (attributes & SFGAO_HIDDEN) node->SetCut(true);
  if (OnInsertItem) OnInsertItem(this, node);
  if (added) *added = node;
  return S_OK;
}

void TRzCustomShellTree::SortNode(TTreeNode* node) {
  TRzShellTreeData* data = NodeData(node);
  if (!data) return;
  IShellFolder* folder = data->ShellFolder();
  if (!folder) return;
  node->CustomSort([folder](TTreeNode* a, TTreeNode* b) {
    return ShellCompare(folder, NodeData(a)->RelativeIdList(), NodeData(b)->RelativeIdList());
  });
}

void TRzCustomShellTree::GetImageIndex(TTreeNode* node) {
  if (TRzShellTreeData* data = NodeData(node))
    node->SetImageIndex(FileInfoOfIdList(data->AbsoluteIdList(), SHGFI_SMALLICON).IconIndex());
  TRzCustomTreeView::GetImageIndex(node);
}

void TRzCustomShellTree::GetSelectedIndex(TTreeNode* node) {
  if (TRzShellTreeData* data = NodeData(node))
    node->SetSelectedIndex(
        FileInfoOfIdList(data->AbsoluteIdList(), SHGFI_SMALLICON | SHGFI_OPENICON).IconIndex());
  TRzCustomTreeView::GetSelectedIndex(node);
}

bool TRzCustomShellTree::CanExpand(TTreeNode* node) {
  if (node->HasChildren() && !node->GetFirstChild()) {
    if (dragging_) {
      // Hover expansion during a drag: failures only take the button away.
      try {
        EnumerateChildren(node);
      } catch (...) {
        node->SetHasChildren(false);
      }
    } else {
      EnumerateChildren(node);
    }
  }
  return TRzCustomTreeView::CanExpand(node);
}

void TRzCustomShellTree::Delete(TTreeNode* node) {
  if (node == dropNode_) dropNode_ = nullptr;
  if (node == menuNode_) menuNode_ = nullptr;
  TRzShellTreeData* data = NodeData(node);
  if (OnDeleteItem) OnDeleteItem(this, node, data);
  TRzCustomTreeView::Delete(node);
  node->SetData(nullptr);
  delete data;
}

// ---- selection ----

void TRzCustomShellTree::SelectIdList(LPCITEMIDLIST target) {
  if (ignoreChanges_ > 0) return;
  HandleNeeded();
  if (Items().Count() == 0) FillTree();
  TTreeNode* node = RootNode();
  if (!node) return;
  quickSelect_ = true;
  TRzIdListArray baseParts(baseFolder_.IdList());
  TRzIdListArray targetParts(target);
  const int b = baseParts.ItemCount();
  const int t = targetParts.ItemCount();
  if (t == 0) {
    SetSelected(node);
    node->MakeVisible();
    return;
  }
  Items().BeginUpdate();
  struct End {
    TTreeNodes& items;
    ~End() { items.EndUpdate(); }
  } end{Items()};
  if (b >= t) {
    node->Expand(false);
    SetSelected(node);
    node->MakeVisible();
    return;
  }
  node->Expand(false);
  const bool openLast = shellList_ && !shellList_->ShowsFolders();
  for (int i = b; i < t; ++i) {
    TRzShellTreeData* data = NodeData(node);
    IShellFolder* folder = data ? data->ShellFolder() : nullptr;
    if (!folder) {
      MessageBeep(static_cast<UINT>(-1));
      break;
    }
    TRzPidl item = IdListCopy(targetParts.Item(i));
    TTreeNode* found = nullptr;
    for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
      if (SameItem(folder, NodeData(c)->RelativeIdList(), item.Get())) {
        found = c;
        break;
      }
    if (!found) {
      TIgnoreChanges ignore(this);
      if (FAILED(AddNode(folder, data->AbsoluteIdList(), item.Get(), node, &found)) || !found) {
        MessageBeep(static_cast<UINT>(-1));
        break;
      }
    }
    node = found;
    if (i < t - 1 || openLast) node->Expand(false);
  }
  SetSelected(node);
  node->MakeVisible();
}

void TRzCustomShellTree::GoUp(int levels) {
  TTreeNode* node = Selected();
  for (int i = 0; node && i < levels && node->Parent(); ++i) node = node->Parent();
  if (node) {
    quickSelect_ = true;
    SetSelected(node);
  }
}

void TRzCustomShellTree::Change(TTreeNode* node) {
  if (ignoreChanges_ > 0 || IsLoading()) {
    if (TRzShellTreeData* data = NodeData(node)) {
      TIgnoreChanges ignore(this);
      selectedFolder_.SetIdList(data->AbsoluteIdList());
    }
    return;
  }
  TRzCustomTreeView::Change(node);
  if (quickSelect_ || !shellList_) {
    ApplySelection();
  } else {
    timerTag_ = 1;
    timer_.SetEnabled(false);
    timer_.SetInterval(kSelectionDelayMs);
    timer_.SetEnabled(true);
  }
}

void TRzCustomShellTree::ApplySelection() {
  quickSelect_ = false;
  if (timerTag_ == 1) timer_.SetEnabled(false);
  TRzShellTreeData* data = NodeData(Selected());
  if (!data) return;
  TIgnoreChanges ignore(this);
  LPCITEMIDLIST absolute = data->AbsoluteIdList();
  selectedFolder_.SetIdList(absolute);
  if (shellList_) shellList_->ShellTreeFolderChanged(this, absolute);
  if (shellCombo_) shellCombo_->ShellTreeFolderChanged(this, absolute);
}

void TRzCustomShellTree::OnTimerTick() {
  timer_.SetEnabled(false);
  const int tag = std::exchange(timerTag_, 0);
  if (tag == 1) {
    timerTag_ = 1;  // ApplySelection stops the timer only for its own tag
    ApplySelection();
    timerTag_ = 0;
  } else if (tag == 2) {
    RefreshTree();
  }
}

void TRzCustomShellTree::BaseFolderChanged() {
  if (IsLoading()) return;
  if ((options_ & stoAutoFill) && HandleAllocated()) FillTree();
}

void TRzCustomShellTree::SelectedFolderChanged() {
  if (ignoreChanges_ > 0 || IsLoading() || !HandleAllocated()) return;
  if (Items().Count() == 0) return;  // the fill selects it
  SelectIdList(selectedFolder_.IdList());
}

// ---- refresh ----

void TRzCustomShellTree::RefreshTree() {
  if (dragging_ || IsEditing() || deferRefresh_) {
    refreshDeferred_ = true;
    return;
  }
  refreshDeferred_ = false;
  if (!HandleAllocated() || Items().Count() == 0) {
    FillTree();
    return;
  }
  TScreenCursor hourglass(crHourGlass);
  if (OnFillStart) OnFillStart(this);
  struct Complete {
    TRzCustomShellTree* tree;
    ~Complete() {
      if (tree->OnFillComplete) tree->OnFillComplete(tree);
    }
  } complete{this};
  TTreeNode* remembered = Selected();
  {
    TIgnoreChanges ignore(this);
    Items().BeginUpdate();
    struct End {
      TTreeNodes& items;
      ~End() { items.EndUpdate(); }
    } end{Items()};
    for (TTreeNode* n = Items().GetFirstNode(); n; n = n->GetNextSibling())
      MergeNode(n, remembered);
  }
  if (remembered) {
    quickSelect_ = true;
    if (remembered == Selected())
      ApplySelection();
    else
      SetSelected(remembered);
  }
}

// Children are matched to a fresh enumeration: the gone ones are deleted, the new ones added,
// the rest kept with their expansion.
void TRzCustomShellTree::MergeNode(TTreeNode* node, TTreeNode*& remembered) {
  const bool loaded = node->GetFirstChild() != nullptr || node->Expanded();
  if (!loaded && node->HasChildren()) return;
  TRzShellTreeData* data = NodeData(node);
  IShellFolder* folder = data ? data->ShellFolder() : nullptr;
  if (!folder) return;
  TRzPidlList old;
  old.SetDuplicates(dupAccept);
  for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
    old.AddWithData(const_cast<LPITEMIDLIST>(NodeData(c)->RelativeIdList()),
                    reinterpret_cast<std::intptr_t>(c));
  old.SetFolder(folder);
  old.SetSorted(true);
  TRzPidlList fresh;
  fresh.SetAllocator(ShellMalloc());
  fresh.SetDuplicates(dupAccept);
  {
    TQuietErrors quiet;
    ComPtr<IEnumIDList> items;
    const HRESULT hr = folder->EnumObjects(nullptr, EnumFlags(), items.Put());
    if (FAILED(hr) || hr == S_FALSE || !items) return;
    for (;;) {
      TRzPidl item;
      ULONG fetched = 0;
      if (items->Next(1, item.Put<ITEMID_CHILD>(), &fetched) != S_OK || fetched == 0) break;
      fresh.Add(item.Release());
    }
  }
  for (int i = fresh.Count() - 1; i >= 0; --i) {
    const int at = old.Find(fresh.IdList(i));
    if (at < 0) continue;
    old.Delete(at);
    fresh.Delete(i);
  }
  for (int i = 0; i < old.Count(); ++i) {
    auto* gone = reinterpret_cast<TTreeNode*>(old.Data(i));
    if (remembered && (remembered == gone || remembered->HasAsParent(gone))) remembered = node;
    Items().Delete(gone);
  }
  old.Clear();  // its lists belonged to the deleted nodes
  int added = 0;
  for (int i = 0; i < fresh.Count(); ++i) {
    TTreeNode* child = nullptr;
    if (SUCCEEDED(AddNode(folder, data->AbsoluteIdList(), fresh.IdList(i), node, &child)) && child)
      ++added;
  }
  if (added > 0) {
    SortNode(node);
    if (!node->HasChildren()) node->SetHasChildren(true);
  }
  for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling()) MergeNode(c, remembered);
}

void TRzCustomShellTree::RunDeferredRefresh() {
  if (refreshDeferred_ && !dragging_ && !deferRefresh_ && !IsEditing()) RefreshTree();
}

// ---- change notification ----

void TRzCustomShellTree::StartWatching() {
  if (!HandleAllocated() || (ComponentState() & csDesigning)) return;
  if (!changeThread_) changeThread_ = std::make_unique<TChangeHandlerThread>(WindowHandle());
  const DWORD filter = FILE_NOTIFY_CHANGE_DIR_NAME |
                       ((options_ & stoIncludeNonFolders) ? FILE_NOTIFY_CHANGE_FILE_NAME : 0);
  if (!watchFolders_.empty()) {
    for (const std::string& folder : watchFolders_) changeThread_->AddWatch(folder, filter, true);
    return;
  }
  const DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    const char letter = static_cast<char>('A' + i);
    const std::string root = std::string(1, letter) + ":\\";
    const UINT type = GetDriveTypeW(Wide(root).c_str());
    if (type == DRIVE_FIXED || type == DRIVE_RAMDISK ||
        (type == DRIVE_REMOTE && IsNetworkDriveConnected(letter)))
      changeThread_->AddWatch(root, filter, true);
  }
}

void TRzCustomShellTree::StopWatching() {
  changeThread_.reset();
}

void TRzCustomShellTree::ChangeNotified() {
  if (ignoreNextNotification_) {
    ignoreNextNotification_ = false;
    return;
  }
  // A change during a drag, a menu or an edit is not lost: it refreshes once afterwards.
  if (deferRefresh_ || dragging_ || IsEditing()) {
    refreshDeferred_ = true;
    return;
  }
  ScheduleRefresh();
}

// Changes that arrive close together give one refresh.
void TRzCustomShellTree::ScheduleRefresh() {
  timerTag_ = 2;
  timer_.SetEnabled(false);
  timer_.SetInterval(Focused() ? kRefreshDelayFocusedMs : kRefreshDelayMs);
  timer_.SetEnabled(true);
}

// A refresh held back while a label was edited runs once the edit is over, accepted or not.
void TRzCustomShellTree::CNNotify(TMessage& m) {
  TRzCustomTreeView::CNNotify(m);
  if (reinterpret_cast<NMHDR*>(m.LParam)->code == TVN_ENDLABELEDITW && refreshDeferred_)
    ScheduleRefresh();
}

void TRzCustomShellTree::DeviceChanged(TMessage& m) {
  if (m.WParam != DBT_DEVICEARRIVAL && m.WParam != DBT_DEVICEREMOVECOMPLETE) return;
  if (!HandleAllocated()) return;
  RequestDriveListRefresh();
  TRzDriveRefreshSuspension suspension;
  RefreshTree();
}

// ---- keys and verbs ----

bool TRzCustomShellTree::DoKeyDown(WORD& key, TShiftState shift) {
  if (TRzCustomTreeView::DoKeyDown(key, shift)) return true;
  if (!(options_ & stoDefaultKeyHandling) || IsEditing()) return false;
  const TShortCut pressed = MakeShortCut(static_cast<std::uint8_t>(key), (shift & ssShift) != 0,
                                         (shift & ssCtrl) != 0, (shift & ssAlt) != 0);
  TTreeNode* node = Selected();
  const TShortCut shiftDel = keys_.del | scShift;
  if (pressed == keys_.rename) {
    if (node) node->EditText();
  } else if (pressed == keys_.refresh) {
    RefreshTree();
  } else if (pressed == keys_.cut) {
    DoCommandForNode(node, "cut");
  } else if (pressed == keys_.copy) {
    DoCommandForNode(node, "copy");
  } else if (pressed == keys_.paste) {
    DoCommandForNode(node, "paste");
  } else if (pressed == keys_.del || pressed == shiftDel) {
    DoCommandForNode(node, "delete");
  } else {
    return false;
  }
  key = 0;
  return true;
}

ComPtr<IContextMenu> TRzCustomShellTree::NodeContextMenu(TRzShellTreeData* data) {
  IShellFolder* parent = data->ParentShellFolder();
  if (!parent) return {};
  ComPtr<IContextMenu> menu;
  PCUITEMID_CHILD children[] = {AsChild(data->ChildIdList())};
  if (FAILED(parent->GetUIObjectOf(WindowHandle(), 1, children, IID_IContextMenu, nullptr,
                                   menu.PutVoid())))
    return {};
  return menu;
}

bool TRzCustomShellTree::DoCommandForNode(TTreeNode* node, std::string_view verb) {
  TRzShellTreeData* data = NodeData(node);
  if (!data || data->IsRoot()) return false;
  ComPtr<IContextMenu> menu = NodeContextMenu(data);
  if (!menu || !InvokeContextMenuVerb(menu.Get(), WindowHandle(), verb)) return false;
  RefreshTree();
  return true;
}

// ---- context menu ----

void TRzCustomShellTree::ShowNodeMenu(TTreeNode* node, POINT screen, TPopupMenu* menu) {
  if ((options_ & stoContextMenus) && !(ComponentState() & csDesigning) && node &&
      ShowShellMenu(node, screen))
    return;
  TRzCustomTreeView::ShowNodeMenu(node, screen, menu);
}

bool TRzCustomShellTree::ShowShellMenu(TTreeNode* node, POINT screen) {
  TRzShellTreeData* data = NodeData(node);
  if (!data || !data->AbsoluteIdList() || data->IsDesktop()) return false;
  ComPtr<IContextMenu> menu = NodeContextMenu(data);
  if (!menu) return false;
  MenuHandle popup(CreatePopupMenu());
  if (!popup) return false;
  const UINT flags = ReadOnly() ? CMF_EXPLORE : (CMF_EXPLORE | CMF_CANRENAME);
  if (FAILED(menu->QueryContextMenu(popup.Get(), 0, kMenuFirstCommand, kMenuLastCommand, flags)))
    return false;
  int command = 0;
  std::unique_ptr<TRzSendToMenu> sendTo;
  {
    deferRefresh_ = true;
    struct Restore {
      TRzCustomShellTree* tree;
      ~Restore() {
        tree->deferRefresh_ = false;
        tree->openMenu_.Reset();
        tree->openMenu2_.Reset();
        tree->sendTo_.reset();
      }
    } restore{this};
    openMenu2_ = menu.As<IContextMenu2>(IID_IContextMenu2);
    openMenu_ = std::move(menu);
    sendTo_ = std::make_unique<TRzSendToMenu>(*this);
    command = TrackPopupMenu(popup.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                             WindowHandle(), nullptr);
    menu = openMenu_.Clone();
    sendTo = std::move(sendTo_);
  }
  if (sendTo && sendTo->IsCommand(static_cast<UINT>(command))) {
    if (ComPtr<IDataObject> object = NodeDataObject(data))
      sendTo->Send(static_cast<UINT>(command), object.Get(), WindowHandle());
  } else if (command == kMenuFirstCommand + kMenuRenameOffset) {
    node->EditText();
  } else if (command >= kMenuFirstCommand) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    info.hwnd = WindowHandle();
    info.lpVerb = MAKEINTRESOURCEA(command - kMenuFirstCommand);
    info.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&info);
    RefreshTree();
  }
  RunDeferredRefresh();
  return true;
}

bool TRzCustomShellTree::MenuMessage(TMessage& m) {
  if (sendTo_ && sendTo_->HandleMessage(m)) return true;
  switch (m.Msg) {
    case WM_INITMENUPOPUP:
      // The shell's handler fills its submenus; a Send To it leaves empty (one greyed item, as
      // when the menu object has no handler or its handler declines) is filled here.
      if (openMenu2_) openMenu2_->HandleMenuMsg(m.Msg, m.WParam, m.LParam);
      if (sendTo_) sendTo_->InitPopup(reinterpret_cast<HMENU>(m.WParam));
      m.Result = 0;
      return true;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      if (m.WParam != 0) return false;  // a control's, not the menu's
      if (!openMenu2_) return false;
      m.Result = SUCCEEDED(openMenu2_->HandleMenuMsg(m.Msg, m.WParam, m.LParam)) ? TRUE : 0;
      return true;
    case WM_MENUCHAR:
      if (auto menu3 = openMenu_.As<IContextMenu3>(IID_IContextMenu3)) {
        LRESULT result = 0;
        if (SUCCEEDED(menu3->HandleMenuMsg2(m.Msg, m.WParam, m.LParam, &result))) {
          m.Result = result;
          return true;
        }
      }
      return false;
    case WM_MENUSELECT: {
      if (!OnPopupHint) return false;
      const UINT id = LOWORD(m.WParam);
      const UINT flags = HIWORD(m.WParam);
      std::string hint;
      if (id >= static_cast<UINT>(kMenuFirstCommand) && !(flags & MF_POPUP)) {
        wchar_t text[MAX_PATH + 1] = {};
        if (SUCCEEDED(openMenu_->GetCommandString(id - kMenuFirstCommand, GCS_HELPTEXTW, nullptr,
                                                  reinterpret_cast<char*>(text), MAX_PATH)))
          hint = Narrow(text);
      }
      OnPopupHint(this, hint);
      return false;
    }
    default:
      return false;
  }
}

// ---- renaming ----

bool TRzCustomShellTree::CanEdit(TTreeNode* node) {
  if (ComponentState() & csDesigning) return false;
  TRzShellTreeData* data = NodeData(node);
  if (!data || !data->CanRename() || !TRzCustomTreeView::CanEdit(node)) return false;
  if (HWND edit = EditHandle()) {
    const std::string name =
        ItemDisplayName(data->ParentShellFolder(), data->ChildIdList(), snkForEditing);
    if (!name.empty()) SetWindowTextW(edit, Wide(name).c_str());
  }
  return true;
}

bool TRzCustomShellTree::Edit(TTreeNode* node, std::string& text) {
  TRzShellTreeData* data = NodeData(node);
  if (!data) return false;
  text = TrimTrailingBlanks(text);
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.erase(0, 1);
  if (OnEdited) OnEdited(this, node, text);
  if (text.empty()) return false;
  IShellFolder* parent = data->ParentShellFolder();
  if (!parent) return false;
  std::wstring wide = Wide(text);
  if (wide.size() > MAX_PATH) wide.resize(MAX_PATH);
  TScreenCursor hourglass(crHourGlass);
  TRzPidl renamed;
  HRESULT hr;
  {
    ignoreNextNotification_ = true;
    TIgnoreChanges ignore(this);
    hr = parent->SetNameOf(WindowHandle(), AsChild(data->ChildIdList()), wide.c_str(),
                           SHGDN_INFOLDER | SHGDN_FOREDITING, renamed.Put<ITEMID_CHILD>());
  }
  if (SUCCEEDED(hr)) {
    if (renamed) {
      if (!data->IsRoot()) {
        // Every node below keeps lists built from the old name.
        data->SetRelativeIdList(std::move(renamed));
        for (TTreeNode* n = node->GetFirstChild(); n && n->HasAsParent(node); n = n->GetNext())
          NodeData(n)->ForgetCaches();
      }
      node->SetText(ItemDisplayName(parent, data->ChildIdList(), snkInFolder));
      TIgnoreChanges ignore(this);
      selectedFolder_.SetIdList(data->AbsoluteIdList());
      if (shellList_) shellList_->ShellTreeFolderChanged(this, data->AbsoluteIdList());
      if (shellCombo_) shellCombo_->ShellTreeFolderChanged(this, data->AbsoluteIdList());
    } else {
      node->SetText(ItemDisplayName(parent, data->ChildIdList(), snkInFolder));
    }
  } else {
    ignoreNextNotification_ = false;
  }
  if (node->Parent()) SortNode(node->Parent());
  node->MakeVisible();
  return false;  // the node's text is already the shell's
}

// ---- new folders ----

bool TRzCustomShellTree::CreateNewFolder() {
  TTreeNode* node = Selected();
  TRzShellTreeData* data = NodeData(node);
  if (!data) return false;
  const std::string path = data->Path();
  if (path.empty()) return false;
  std::string name;
  ignoreNextNotification_ = true;
  if (::kovra::CreateNewFolder(path, name) != cfrCreated) {
    ignoreNextNotification_ = false;
    return false;
  }
  {
    // Until the shell lists the new folder (the desktop takes longest), with refreshes held.
    TScreenCursor hourglass(crHourGlass);
    const DWORD limit = data->IsDesktop() ? kNewFolderDesktopWaitMs : kNewFolderWaitMs;
    deferRefresh_ = true;
    WaitForShellItem(data->ShellFolder(), name, EnumFlags(), limit);
    deferRefresh_ = false;
    RefreshTree();
  }
  if (!node->GetFirstChild()) EnumerateChildren(node);
  node->Expand(false);
  for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
    if (c->Text() == name) {
      c->MakeVisible();
      c->EditText();
      break;
    }
  return true;
}

// ---- drag and drop ----

ComPtr<IDataObject> TRzCustomShellTree::NodeDataObject(TRzShellTreeData* data) {
  if (!data || data->IsDesktop()) return {};
  IShellFolder* parent = data->ParentShellFolder();
  if (!parent) return {};
  TRzIdListArray parts(data->AbsoluteIdList());
  TRzPidl parentList = IdListCopy(parts.Ancestor(1));
  return TDataObject::CreateForItems(parentList.Get(), parent, {data->ChildIdList()});
}

void TRzCustomShellTree::StartDrag(TTreeNode* node, bool rightButton) {
  TRzCustomTreeView::StartDrag(node, rightButton);
  if (!(options_ & stoOleDrag)) return;
  TRzShellTreeData* data = NodeData(node);
  if (!data || data->IsDesktop()) return;
  ComPtr<IDataObject> object = NodeDataObject(data);
  if (!object) return;
  const DWORD effects = DragEffectsOfItems(data->ParentShellFolder(), {data->ChildIdList()});
  dragging_ = true;
  refreshDeferred_ = false;
  DWORD effect = DROPEFFECT_NONE;
  HRESULT hr;
  {
    struct Done {
      bool& flag;
      ~Done() { flag = false; }
    } done{dragging_};
    hr = DoShellDragDrop(object.Get(), effects, rightButton ? MK_RBUTTON : MK_LBUTTON, &effect);
  }
  if (hr == DRAGDROP_S_DROP || refreshDeferred_) RefreshTree();
}

TTreeNode* TRzCustomShellTree::DropNodeAt(POINTL screen) {
  const POINT client = ScreenToClient(POINT{screen.x, screen.y});
  TTreeNode* node = GetNodeAt(client.x, client.y);
  return node == RootNode() ? nullptr : node;
}

ComPtr<IDropTarget> TRzCustomShellTree::NodeDropTarget(TTreeNode* node) {
  TRzShellTreeData* data = NodeData(node);
  if (!data) return {};
  return ShellDropTargetOf(WindowHandle(), data->AbsoluteIdList());
}

void TRzCustomShellTree::SetDropNode(TTreeNode* node) {
  if (node == dropNode_) return;
  dropNode_ = node;
  SetDropTarget(node);
  Update();
}

void TRzCustomShellTree::DragScrollAndHover(POINT client) {
  const DWORD now = GetTickCount();
  const TRzDragScroll scroll = DragAutoScroll(client.x, client.y, ClientWidth(), ClientHeight());
  if ((scroll.Horizontal || scroll.Vertical) && scrollTimer_.Due(now)) {
    if (scroll.Vertical) SendTree(WM_VSCROLL, scroll.Vertical < 0 ? SB_LINEUP : SB_LINEDOWN, 0);
    if (scroll.Horizontal)
      SendTree(WM_HSCROLL, scroll.Horizontal < 0 ? SB_LINELEFT : SB_LINERIGHT, 0);
  }
  if (hoverTracker_.Update(client.x, client.y, now)) {
    TTreeNode* node = GetNodeAt(client.x, client.y);
    if (node && node->HasChildren() && !node->GetFirstChild()) {
      const bool wasDragging = std::exchange(dragging_, true);
      try {
        node->Expand(false);
      } catch (...) {
        node->SetHasChildren(false);
      }
      dragging_ = wasDragging;
    }
  }
}

HRESULT TRzCustomShellTree::OleDragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                         DWORD* effect) {
  dragData_ = ComPtr<IDataObject>::AddRefOf(data);
  dragEnterKeys_ = keyState;
  scrollTimer_.Reset();
  hoverTracker_.Reset();
  TTreeNode* node = DropNodeAt(point);
  DWORD answer = DROPEFFECT_NONE;
  if (node) {
    if (ComPtr<IDropTarget> target = NodeDropTarget(node)) {
      answer = *effect;
      target->DragEnter(data, keyState, point, &answer);
      target->DragLeave();
    }
  }
  SetDropNode(node);
  *effect = answer;
  return S_OK;
}

HRESULT TRzCustomShellTree::OleDragOver(DWORD keyState, POINTL point, DWORD* effect) {
  DragScrollAndHover(ScreenToClient(POINT{point.x, point.y}));
  TTreeNode* node = DropNodeAt(point);
  DWORD answer = DROPEFFECT_NONE;
  if (node && dragData_) {
    if (ComPtr<IDropTarget> target = NodeDropTarget(node)) {
      DWORD allowed = *effect;
      target->DragEnter(dragData_.Get(), keyState, point, &allowed);
      answer = *effect;
      target->DragOver(keyState, point, &answer);
      target->DragLeave();
    }
  }
  SetDropNode(node);
  *effect = answer | DROPEFFECT_SCROLL;
  return S_OK;
}

HRESULT TRzCustomShellTree::OleDragLeave() {
  SetDropNode(nullptr);
  dragData_.Reset();
  return S_OK;
}

HRESULT TRzCustomShellTree::OleDrop(IDataObject* data, DWORD keyState, POINTL point,
                                    DWORD* effect) {
  TTreeNode* node = DropNodeAt(point);
  struct Clear {
    TRzCustomShellTree* tree;
    ~Clear() {
      tree->SetDropNode(nullptr);
      tree->dragData_.Reset();
    }
  } clear{this};
  ComPtr<IDropTarget> target = node ? NodeDropTarget(node) : ComPtr<IDropTarget>();
  if (!target) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  // The button that started the drag is up by now; the shell's target wants to know which.
  keyState |= dragEnterKeys_ & (MK_LBUTTON | MK_RBUTTON);
  const DWORD allowed = *effect & SharedDropEffects(data);
  DWORD answer = allowed;
  target->DragEnter(data, keyState, point, &answer);
  answer = allowed;
  target->DragOver(keyState, point, &answer);
  {
    TScreenCursor hourglass(crHourGlass);
    answer = allowed;
    target->Drop(data, keyState, point, &answer);
  }
  *effect = answer;
  RefreshTree();
  return S_OK;
}

}  // namespace kovra
