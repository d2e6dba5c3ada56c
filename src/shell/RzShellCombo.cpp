#include "shell/RzShellCombo.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/WindowClass.h"
#include "shell/RzShellComboLogic.h"

namespace kovra {

namespace {

// CompareIDs answers in the low 16 bits of a success code; a failure counts as equal.
int ShellCompare(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
  const HRESULT hr = folder->CompareIDs(0, AsRelative(a), AsRelative(b));
  if (FAILED(hr)) return 0;
  return static_cast<short>(HRESULT_CODE(hr));
}

bool SameItem(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
  const HRESULT hr = folder->CompareIDs(0, AsRelative(a), AsRelative(b));
  return SUCCEEDED(hr) && HRESULT_CODE(hr) == 0;
}

[[noreturn]] void RaiseShellError(HRESULT hr) {
  throw EOSError(static_cast<DWORD>(FAILED(hr) ? hr : E_FAIL));
}

// The name the address bar would show for the current folder.
std::string AddressName(IShellFolder* folder, LPCITEMIDLIST item) {
  STRRET name{};
  if (FAILED(folder->GetDisplayNameOf(AsChild(item), SHGDN_INFOLDER | SHGDN_FORADDRESSBAR, &name)))
    return ItemDisplayName(folder, item, snkInFolder);
  return StrRetToString(name, item);
}

// 0: the share hand, 1: the shortcut arrow (the system list's first two overlays).
int OverlayFor(SFGAOF attributes) {
  if (attributes & SFGAO_SHARE) return 0;
  if (attributes & SFGAO_LINK) return 1;
  return -1;
}

}  // namespace

// ---- TRzShellComboData ----

TRzShellComboData::TRzShellComboData(TRzCustomShellCombo* owner, TShellFolderPtr parentFolder,
                                     LPCITEMIDLIST parentAbsolute, LPCITEMIDLIST relative)
    : owner_(owner),
      parentFolder_(std::move(parentFolder)),
      parentAbsolute_(IdListCopy(parentAbsolute)),
      relative_(IdListCopy(relative)),
      absolute_(IdListConcat(parentAbsolute, relative)) {}

IShellFolder* TRzShellComboData::Folder() {
  if (!folderTried_) {
    folderTried_ = true;
    if (!parentFolder_)
      folder_ = DesktopFolder();
    else
      BindToChildFolder(parentFolder_.Get(), relative_.Get(), folder_);
  }
  return folder_.Get();
}

// ---- TRzCustomShellCombo ----

class TRzCustomShellCombo::TIgnoreChanges {
 public:
  explicit TIgnoreChanges(TRzCustomShellCombo* combo) : combo_(combo) { ++combo_->ignoreChanges_; }
  ~TIgnoreChanges() { --combo_->ignoreChanges_; }
  TIgnoreChanges(const TIgnoreChanges&) = delete;
  TIgnoreChanges& operator=(const TIgnoreChanges&) = delete;

 private:
  TRzCustomShellCombo* combo_;
};

// The selected folder's items, consumed once the selected entry has been placed.
struct TRzCustomShellCombo::TFillState {
  explicit TFillState(LPCITEMIDLIST list) : path(IdListCopy(list)), items(path.Get()) {
    count = items.ItemCount();
  }
  TRzPidl path;
  TRzIdListArray items;
  int count = 0;
  TRzPidl myComputer;
  bool consumed = false;
};

TRzCustomShellCombo::TRzCustomShellCombo(TComponent* owner) : TRzCustomImageComboBox(owner) {
  EnsureShellLayer();  // a shell control is the layer's first use
  selectedFolder_.OnChange = [this](TObject*) { SelectedFolderChanged(); };
  images_.SetShareImages(true);
  if (HIMAGELIST system = SystemImageList(sisSmall)) {
    images_.SetHandle(system);
    SetImages(&images_);
  }
}

TRzCustomShellCombo::~TRzCustomShellCombo() {
  Destroying();
  SetShellList(nullptr);
  SetShellTree(nullptr);
  // The entries' data goes while this object's parts still exist.
  ClearItems();
  SetImages(nullptr);
}

void TRzCustomShellCombo::SetOptions(TRzShellComboOptions options) {
  if (options == options_) return;
  const bool autofillOn = (options & scoAutofill) && !(options_ & scoAutofill);
  options_ = options;
  if (HandleAllocated() && !IsLoading() && (autofillOn || Items().Count() > 0)) Fill();
}

TRzShellComboData* TRzCustomShellCombo::EntryData(int index) const {
  TRzImageComboBoxItem* item = ImageItem(index);
  return item ? static_cast<TRzShellComboData*>(item->Data()) : nullptr;
}

// ---- Links ----

void TRzCustomShellCombo::SetShellList(TRzCustomShellList* list) {
  if (list == list_ || (list && tree_)) return;
  if (TRzCustomShellList* old = std::exchange(list_, nullptr)) {
    old->SetShellCombo(nullptr);
    RemoveFreeNotification(old);
  }
  if (!list) return;
  list_ = list;
  FreeNotification(list_);
  list_->SetShellCombo(this);
  if (IsLoading()) return;  // Loaded hands our folder over
  // A list that shows a folder of its own is followed; an unset one is given ours.
  if (list_->Folder().HasStoredData() || !selectedFolder_.HasStoredData()) {
    TIgnoreChanges ignore(this);
    TRzPidl folder = IdListCopy(list_->Folder().IdList());
    selectedFolder_.SetIdList(folder.Get());
    if (HandleAllocated()) FillNow();
  } else {
    MoveLinkedControl();
  }
}

void TRzCustomShellCombo::SetShellTree(TRzCustomShellTree* tree) {
  if (tree == tree_ || (tree && list_)) return;
  if (TRzCustomShellTree* old = std::exchange(tree_, nullptr)) {
    RemoveFreeNotification(old);
    if (old->ShellCombo() == this) old->SetShellCombo(nullptr);
  }
  if (!tree) return;
  tree_ = tree;
  FreeNotification(tree_);
  tree_->SetShellCombo(this);  // tells us its folder at once
}

void TRzCustomShellCombo::Notification(TComponent* component, TOperation operation) {
  TRzCustomImageComboBox::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == list_) list_ = nullptr;
  if (component == tree_) tree_ = nullptr;
}

void TRzCustomShellCombo::ShellTreeFolderChanged(TRzCustomShellTree* tree, LPCITEMIDLIST folder) {
  if (tree != tree_ || ignoreChanges_ > 0) return;
  TIgnoreChanges ignore(this);
  TRzPidl keep = IdListCopy(folder);
  const bool same = IdListEqual(keep.Get(), selectedFolder_.IdList());
  selectedFolder_.SetIdList(keep.Get());
  if (HandleAllocated() && (!same || Items().Count() == 0)) FillNow();
}

void TRzCustomShellCombo::ShellTreeUnlinked(TRzCustomShellTree* tree) {
  if (tree != tree_) return;
  RemoveFreeNotification(tree_);
  tree_ = nullptr;
}

void TRzCustomShellCombo::LinkShowFolder(LPCITEMIDLIST absolute) {
  if (ignoreChanges_ > 0) return;  // the list answering our own move
  TRzPidl keep = IdListCopy(absolute);
  if (!IdListEqual(keep.Get(), selectedFolder_.IdList())) {
    selectedFolder_.SetIdList(keep.Get());
    return;
  }
  // The same folder again: the list may have emptied itself to show it.
  if (list_ && list_->Items().Count() == 0) list_->FillItems();
}

void TRzCustomShellCombo::LinkGoUp(int levels) {
  GoUp(levels);
}

void TRzCustomShellCombo::LinkUpdateNow() {
  if (choicePending_ && !DroppedDown()) ApplyChoice();
}

void TRzCustomShellCombo::LinkListDestroyed(TRzCustomShellList* list) {
  if (list != list_) return;
  RemoveFreeNotification(list_);
  list_ = nullptr;
}

void TRzCustomShellCombo::SelectedFolderChanged() {
  if (ignoreChanges_ > 0 || IsLoading()) return;  // Loaded fills and moves the link once
  TIgnoreChanges ignore(this);
  MoveLinkedControl();
  if (HandleAllocated()) FillNow();
}

void TRzCustomShellCombo::MoveLinkedControl() {
  TRzPidl folder = IdListCopy(selectedFolder_.IdList());
  if (tree_)
    tree_->SelectedFolder().SetIdList(folder.Get());
  else if (list_)
    list_->Folder().SetIdList(folder.Get());
}

// ---- Filling ----

void TRzCustomShellCombo::Fill() {
  if (!HandleAllocated()) return;
  TIgnoreChanges ignore(this);
  FillNow();
}

void TRzCustomShellCombo::FillNow() {
  if (!HandleAllocated()) return;
  choicePending_ = false;
  SetItemIndex(-1);
  ClearItems();
  selectedEntry_ = -1;
  Items().BeginUpdate();
  struct EndUpdate {
    TComboItems& items;
    ~EndUpdate() { items.EndUpdate(); }
  } endUpdate{Items()};

  TShellFolderPtr desktop;
  HRESULT hr = SHGetDesktopFolder(desktop.Put());
  if (FAILED(hr) || !desktop) RaiseShellError(hr);
  TFillState state(selectedFolder_.IdList());
  hr = SpecialFolderLocation(WindowHandle(), CSIDL_DRIVES, state.myComputer);
  if (FAILED(hr) || !state.myComputer) RaiseShellError(hr);

  TRzPidl empty = IdListCopy(nullptr);
  const TRzShellFileInfo info = FileInfoOfIdList(empty.Get(), SHGFI_SMALLICON | SHGFI_DISPLAYNAME);
  auto desktopData =
      std::make_unique<TRzShellComboData>(this, TShellFolderPtr(), empty.Get(), empty.Get());
  desktopData->SetFilled();
  AddEntry(std::move(desktopData), Narrow(info.Info.szDisplayName),
           info.Result ? info.IconIndex() : -1, 0);
  if (state.count == 0) state.consumed = true;

  AddChildren(state, desktop, empty.Get(), 1, true);
  if (selectedEntry_ < 0) selectedEntry_ = 0;
  SetItemIndex(selectedEntry_);
}

void TRzCustomShellCombo::SortChildren(IShellFolder* folder, std::vector<TRzPidl>& children) {
  if (sorting_) throw Exception(kRzStrRecursiveSort);
  sorting_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{sorting_};
  // Stable, and safe with a folder whose answers do not form a strict order.
  std::stable_sort(children.begin(), children.end(), [folder](const TRzPidl& a, const TRzPidl& b) {
    return ShellCompare(folder, a.Get(), b.Get()) < 0;
  });
}

void TRzCustomShellCombo::AddChildren(TFillState& state, const TShellFolderPtr& folder,
                                      LPCITEMIDLIST parentAbsolute, int level, bool parentOnPath) {
  ComPtr<IEnumIDList> items;
  HRESULT hr = folder->EnumObjects(WindowHandle(), kShellComboEnumFlags, items.Put());
  if (FAILED(hr) || !items) RaiseShellError(hr);
  std::vector<TRzPidl> children;
  for (;;) {
    TRzPidl item;
    ULONG fetched = 0;
    hr = items->Next(1, item.Put<ITEMID_CHILD>(), &fetched);
    if (hr != S_OK || fetched == 0) break;
    children.push_back(std::move(item));
  }
  if (FAILED(hr)) RaiseShellError(hr);
  SortChildren(folder.Get(), children);

  for (const TRzPidl& child : children) {
    const SFGAOF attributes = ItemAttributes(folder.Get(), child.Get(), kShellComboAttributes);
    const bool fileSystemFolder = (attributes & SFGAO_FILESYSTEM) && (attributes & SFGAO_FOLDER);
    if (!(options_ & scoNonFilesystemAncestors) && !fileSystemFolder &&
        !(attributes & SFGAO_FILESYSANCESTOR))
      continue;
    TRzPidl absolute = IdListConcat(parentAbsolute, child.Get());
    const bool isMyComputer = level == 1 && IdListEqual(absolute.Get(), state.myComputer.Get());
    bool onPath = false;
    if (parentOnPath && !state.consumed && level <= state.count) {
      TRzPidl pathItem = IdListCopy(state.items.Item(level - 1));
      onPath = SameItem(folder.Get(), child.Get(), pathItem.Get());
    }
    const bool endsHere = onPath && level == state.count;

    auto data =
        std::make_unique<TRzShellComboData>(this, folder.Clone(), parentAbsolute, child.Get());
    std::string caption;
    int image = -1;
    if (endsHere) {
      caption = ItemDisplayName(folder.Get(), child.Get(), snkInFolder);
      image = FileInfoOfIdList(absolute.Get(), SHGFI_SMALLICON | SHGFI_OPENICON).IconIndex();
      data->SetFilled();
    }
    const int index = AddEntry(std::move(data), caption, image, level);
    if (TRzImageComboBoxItem* item = ImageItem(index))
      item->SetOverlayIndex(OverlayFor(attributes));

    if (endsHere) {
      selectedEntry_ = index;
      state.consumed = true;
    } else if (onPath && !isMyComputer) {
      selectedEntry_ = index;  // unless the chain below gets further
      state.consumed = true;
      TShellFolderPtr childFolder;
      if (SUCCEEDED(BindToChildFolder(folder.Get(), child.Get(), childFolder)) && childFolder)
        AddPathChain(state, childFolder, absolute.Get(), level);
    }
    if (isMyComputer) {
      TShellFolderPtr drives;
      hr = BindToChildFolder(folder.Get(), child.Get(), drives);
      if (FAILED(hr) || !drives) RaiseShellError(hr);
      AddChildren(state, drives, absolute.Get(), level + 1, onPath);
    }
  }
}

// The rest of the selected folder's path below `absolute` (the entry at `level`), one entry
// per item at growing indent; the deepest one reached becomes the selected entry.
void TRzCustomShellCombo::AddPathChain(TFillState& state, const TShellFolderPtr& folder,
                                       LPCITEMIDLIST absolute, int level) {
  TShellFolderPtr current = folder.Clone();
  TRzPidl currentAbsolute = IdListCopy(absolute);
  for (int k = level; k < state.count && current; ++k) {
    TRzPidl item = IdListCopy(state.items.Item(k));
    const bool last = k == state.count - 1;
    auto data = std::make_unique<TRzShellComboData>(this, current.Clone(), currentAbsolute.Get(),
                                                    item.Get());
    std::string caption;
    int image = -1;
    if (last) {
      caption = AddressName(current.Get(), item.Get());
      image = FileInfoOfIdList(data->Absolute(), SHGFI_SMALLICON | SHGFI_OPENICON).IconIndex();
      data->SetFilled();
    }
    TRzPidl next = IdListCopy(data->Absolute());
    const SFGAOF attributes = ItemAttributes(current.Get(), item.Get(), SFGAO_SHARE | SFGAO_LINK);
    selectedEntry_ = AddEntry(std::move(data), caption, image, k + 1);
    if (TRzImageComboBoxItem* entry = ImageItem(selectedEntry_))
      entry->SetOverlayIndex(OverlayFor(attributes));
    if (last) break;
    TShellFolderPtr below;
    if (FAILED(BindToChildFolder(current.Get(), item.Get(), below))) break;
    current = std::move(below);
    currentAbsolute = std::move(next);
  }
}

int TRzCustomShellCombo::AddEntry(std::unique_ptr<TRzShellComboData> data, std::string_view caption,
                                  int image, int indent) {
  TRzImageComboBoxItem* item = AddItem(caption, image, indent);
  item->SetData(data.release());  // freed when the entry is deleted
  return Items().Count() - 1;
}

void TRzCustomShellCombo::LoadItemData(int index) {
  if (TRzImageComboBoxItem* item = ImageItem(index)) GetItemData(item);
}

void TRzCustomShellCombo::GetItemData(TRzImageComboBoxItem* item) {
  auto* data = static_cast<TRzShellComboData*>(item->Data());
  if (data && !data->Filled()) {
    data->SetFilled();
    item->SetCaption(ItemDisplayName(data->ParentFolder(), data->Relative(), snkInFolder));
    item->SetImageIndex(FileInfoOfIdList(data->Absolute(), SHGFI_SMALLICON).IconIndex());
  }
  TRzCustomImageComboBox::GetItemData(item);
}

void TRzCustomShellCombo::ItemDeleting(int index) {
  TRzImageComboBoxItem* item = ImageItem(index);
  std::unique_ptr<TRzShellComboData> data(item ? static_cast<TRzShellComboData*>(item->Data())
                                               : nullptr);
  TRzCustomImageComboBox::ItemDeleting(index);  // OnDeleteItem still sees the data
}

// ---- Choosing and going up ----

void TRzCustomShellCombo::ChooseEntry(int index) {
  choicePending_ = false;
  TRzShellComboData* data = EntryData(index);
  if (!data) return;
  TRzPidl folder = IdListCopy(data->Absolute());  // the entry goes with the refill
  if (IdListEqual(folder.Get(), selectedFolder_.IdList())) {
    if (HandleAllocated() && ItemIndex() != selectedEntry_) SetItemIndex(selectedEntry_);
    return;
  }
  selectedFolder_.SetIdList(folder.Get());
  Change();
}

void TRzCustomShellCombo::GoUp(int levels) {
  if (levels < 1) return;
  if (Items().Count() == 0 || selectedEntry_ < 0) {
    // Not filled: the folder's own ancestors.
    LPCITEMIDLIST current = selectedFolder_.IdList();
    if (IdListItemCount(current) == 0) return;
    TRzIdListArray array(current);
    TRzPidl up = IdListCopy(array.Ancestor(std::min(levels, array.ItemCount())));
    selectedFolder_.SetIdList(up.Get());
    return;
  }
  std::vector<int> indents;
  indents.reserve(static_cast<size_t>(Items().Count()));
  for (int i = 0; i < Items().Count(); ++i) {
    TRzImageComboBoxItem* item = ImageItem(i);
    indents.push_back(item ? item->IndentLevel() : 0);
  }
  const int target = ShellComboUpIndex(indents, selectedEntry_, levels);
  if (target >= 0) ChooseEntry(target);
}

// A choice made while the list is open waits until it closes: moving through the open list
// must not refill it under the mouse. Either way it is applied from a posted message, once the
// system's own handling of the list is over.
void TRzCustomShellCombo::Select() {
  if (DroppedDown()) {
    choicePending_ = true;
    return;
  }
  PostApplyChoice();
}

void TRzCustomShellCombo::SelEndOk() {
  TRzCustomImageComboBox::SelEndOk();
  if (choicePending_) PostApplyChoice();
}

void TRzCustomShellCombo::CloseUp() {
  TRzCustomImageComboBox::CloseUp();
  if (choicePending_) PostApplyChoice();
}

void TRzCustomShellCombo::SelEndCancel() {
  TRzCustomImageComboBox::SelEndCancel();
  choicePending_ = false;
  if (HandleAllocated() && selectedEntry_ >= 0 && ItemIndex() != selectedEntry_)
    SetItemIndex(selectedEntry_);
}

void TRzCustomShellCombo::PostApplyChoice() {
  choicePending_ = true;
  if (HandleAllocated()) PostMessageW(WindowHandle(), kApplyChoiceMessage, 0, 0);
}

void TRzCustomShellCombo::ApplyChoice() {
  if (!choicePending_) return;
  choicePending_ = false;
  const int index = ItemIndex();
  if (index >= 0 && index != selectedEntry_) ChooseEntry(index);
}

// ---- Window ----

void TRzCustomShellCombo::WndProc(TMessage& m) {
  if (m.Msg == kApplyChoiceMessage) {
    if (!DroppedDown()) ApplyChoice();
    return;
  }
  TRzCustomImageComboBox::WndProc(m);
}

void TRzCustomShellCombo::CNCommand(TMessage& m) {
  // Sized before the base class opens the window to the list's height.
  if (HIWORD(m.WParam) == CBN_DROPDOWN && autoDropDownCount_) SizeDropDown();
  TRzCustomImageComboBox::CNCommand(m);
}

void TRzCustomShellCombo::SizeDropDown() {
  if (!HandleAllocated()) return;
  RECT combo{};
  GetWindowRect(WindowHandle(), &combo);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(WindowHandle(), MONITOR_DEFAULTTONEAREST), &monitor))
    return;
  TRzDropDownSpace space;
  space.ScreenTop = monitor.rcMonitor.top;
  space.ScreenBottom = monitor.rcMonitor.bottom;
  space.ComboTop = combo.top;
  space.ComboBottom = combo.top + Height();
  space.ItemHeight = ItemHeight();
  SetDropDownCount(ShellComboAutoDropDownRows(space));
}

void TRzCustomShellCombo::CreateWnd() {
  TRzCustomImageComboBox::CreateWnd();
  if (!IsLoading() && (options_ & scoAutofill)) Fill();
}

void TRzCustomShellCombo::DestroyWnd() {
  choicePending_ = false;
  {
    TIgnoreChanges ignore(this);
    ClearItems();
  }
  selectedEntry_ = -1;
  TRzCustomImageComboBox::DestroyWnd();
}

void TRzCustomShellCombo::Loaded() {
  TRzCustomImageComboBox::Loaded();
  if (!(options_ & scoAutofill)) return;
  TIgnoreChanges ignore(this);
  if (HandleAllocated()) FillNow();
  TRzPidl folder = IdListCopy(selectedFolder_.IdList());
  if (tree_) {
    tree_->SelectedFolder().SetIdList(folder.Get());
    tree_->RefreshTree();
  } else if (list_) {
    list_->Folder().SetIdList(folder.Get());
  }
}

}  // namespace kovra
