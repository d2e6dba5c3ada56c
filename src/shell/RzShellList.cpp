// The shell list: folder contents, columns, filtering, sorting, opening, verbs, refresh, drag
// and drop.
#include "shell/RzShellList.h"

#include <dbt.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "controls/RzStrings.h"
#include "framework/Application.h"
#include "framework/Menus.h"
#include "framework/Timers.h"

namespace kovra {

namespace {

constexpr const char* kStrAddItemFailed = "Exception in AddNewShellItem";
constexpr int kFixedWidths[4] = {200, 60, 100, 120};
constexpr HRESULT kNoMoreItems = static_cast<HRESULT>(0x80070103);
constexpr DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
constexpr int kMaxDetailColumns = 64;

// Critical-error boxes (an empty floppy drive) stay away while the shell reads.
class ErrorModeScope {
 public:
  ErrorModeScope() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {
    SetErrorMode(old_ | SEM_FAILCRITICALERRORS);
  }
  ~ErrorModeScope() { SetErrorMode(old_); }
  ErrorModeScope(const ErrorModeScope&) = delete;
  ErrorModeScope& operator=(const ErrorModeScope&) = delete;

 private:
  UINT old_;
};

// Widths the user gave a file-system folder's columns, carried to the next one.
struct RememberedWidths {
  std::vector<int> widths;
  bool fixed = false;
  std::vector<BYTE> directoryCols;  // the system's value when they were taken
};
RememberedWidths& Remembered() {
  static RememberedWidths widths;
  return widths;
}

std::vector<BYTE> ReadDirectoryCols() {
  std::vector<BYTE> out(256);
  DWORD size = static_cast<DWORD>(out.size());
  DWORD type = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
                   L"DirectoryCols", RRF_RT_REG_BINARY, &type, out.data(), &size) != ERROR_SUCCESS)
    return {};
  out.resize(std::min<DWORD>(size, 22));
  return out;
}

std::string FileTimeText(FILETIME ft) {
  FILETIME local{};
  SYSTEMTIME st{};
  if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st)) return {};
  wchar_t date[80] = {}, time[80] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 80);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 80);
  return Narrow(date) + " " + Narrow(time);
}

int ColumnFormatAlignment(int fmt) {
  switch (fmt & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT:
      return taRightJustify;
    case LVCFMT_CENTER:
      return taCenter;
    default:
      return taLeftJustify;
  }
}

}  // namespace

// ---- TRzCustomListView ----

void TRzCustomListView::SetHeaderSortDisplayMode(THeaderSortDisplayMode value) {
  if (value == headerSortDisplayMode_) return;
  headerSortDisplayMode_ = value;
  SetSortDisplay(sortDisplayColumn_, sortDisplayDirection_);
}

void TRzCustomListView::SetSortDisplay(int column, TSortDirection direction) {
  sortDisplayColumn_ = column;
  sortDisplayDirection_ = direction;
  SetSortIndicator(column, headerSortDisplayMode_ == hsdmNone ? sdNone : direction);
}

bool TRzCustomListView::DoItemContextMenu(TListItem* item, POINT screen) {
  if (!OnItemContextMenu) return false;
  TPopupMenu* menu = nullptr;
  OnItemContextMenu(this, item, screen, menu);
  if (!menu) return false;
  menu->SetPopupComponent(this);
  menu->Popup(screen.x, screen.y);
  return true;
}

// ---- TRzShellListData ----

TRzShellListData::TRzShellListData(TRzCustomShellList* owner, TRzPidl relative)
    : owner_(owner), relative_(std::move(relative)) {}

LPCITEMIDLIST TRzShellListData::Absolute() {
  if (!absolute_) absolute_ = IdListConcat(owner_->FolderIdList(), relative_.Get());
  return absolute_.Get();
}

std::string TRzShellListData::Path() {
  return IdListToPath(Absolute());
}

std::string TRzShellListData::FileName() {
  return std::string(PathFileName(Path()));
}

std::string TRzShellListData::DisplayName() {
  if (!displayNameValid_) {
    displayName_ = ItemDisplayName(owner_->ShellFolder(), relative_.Get(), snkNormal);
    displayNameValid_ = true;
  }
  return displayName_;
}

SFGAOF TRzShellListData::Attributes() {
  if (!attributesValid_) {
    ErrorModeScope quiet;
    const SFGAOF asked =
        Shell32Before6() ? kShellListItemAttributes : kShellListItemAttributesStream;
    attributes_ = ItemAttributes(owner_->ShellFolder(), relative_.Get(), asked);
    attributesValid_ = true;
  }
  return attributes_;
}

bool TRzShellListData::IsFolder() {
  return IsFolderItem(Attributes(), (owner_->Options() & sloFilesCanBeFolders) != 0);
}

bool TRzShellListData::IsShortcut() {
  return IsShortcutPath(Path());
}

bool TRzShellListData::CanRename() {
  return (Attributes() & SFGAO_CANRENAME) != 0;
}

void TRzShellListData::ReadFixedColumns() {
  fixedValid_ = true;
  const std::string path = Path();
  if (path.size() > 3) {
    WIN32_FIND_DATAW fd{};
    ErrorModeScope quiet;
    HANDLE find = FindFirstFileW(Wide(path).c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
      FindClose(find);
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        size_ =
            FormatKilobytes((static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);
      FILETIME when = fd.ftLastWriteTime;
      if (when.dwLowDateTime == 0 && when.dwHighDateTime == 0) when = fd.ftCreationTime;
      modified_ = FileTimeText(when);
    }
  }
  if (Attributes() & SFGAO_FILESYSTEM) {
    const TRzShellFileInfo info = FileInfoOfIdList(Absolute(), SHGFI_TYPENAME);
    type_ = info.Result
                ? Narrow(std::wstring_view(info.Info.szTypeName, wcsnlen(info.Info.szTypeName, 80)))
                : std::string();
  } else {
    type_ = RzLoadStr(rsSystemFolder);
  }
}

std::string TRzShellListData::ColumnText(int column) {
  if (column <= 0) return DisplayName();
  if (IShellDetails* details = owner_->Details()) {
    const auto index = static_cast<size_t>(column);
    if (index < detailsValid_.size() && detailsValid_[index]) return details_[index];
    SHELLDETAILS sd{};
    ErrorModeScope quiet;
    std::string text;
    if (SUCCEEDED(details->GetDetailsOf(AsChild(relative_.Get()), static_cast<UINT>(column), &sd)))
      text = StrRetToString(sd.str, relative_.Get());
    if (index >= detailsValid_.size()) {
      details_.resize(index + 1);
      detailsValid_.resize(index + 1, false);
    }
    details_[index] = text;
    detailsValid_[index] = true;
    return text;
  }
  if (!fixedValid_) ReadFixedColumns();
  switch (column) {
    case 1:
      return size_;
    case 2:
      return type_;
    case 3:
      return modified_;
    default:
      return {};
  }
}

int TRzShellListData::IconIndex() {
  if (iconIndex_ < 0) {
    const TRzShellFileInfo info = FileInfoOfIdList(Absolute(), SHGFI_SMALLICON);
    iconIndex_ = info.Result ? info.IconIndex() : 0;
  }
  return iconIndex_;
}

void TRzShellListData::SetRelative(TRzPidl relative) {
  relative_ = std::move(relative);
  absolute_.Reset();
  displayNameValid_ = attributesValid_ = fixedValid_ = false;
  details_.clear();
  detailsValid_.clear();
  iconIndex_ = -1;
}

// ---- TRzCustomShellList: lifetime ----

TRzCustomShellList::TRzCustomShellList(TComponent* owner) : TRzCustomListView(owner) {
  EnsureShellLayer();  // before the window registers its drop target, which needs OLE
  folder_.OnChange = [this](TObject* sender) { FolderChanged(sender); };
  refreshTimer_ = std::make_unique<TTimer>();
  refreshTimer_->SetEnabled(false);
  refreshTimer_->OnTimer = [this](TObject* sender) { OnRefreshTimer(sender); };
  SetSmallImagesHandle(SystemImageList(sisSmall));
  SetLargeImagesHandle(SystemImageList(sisLarge));
  SetAutoArrange(true);
  DeviceChangeHandler().Register(this, [this](TRzDeviceChangeHandler*, TMessage& m) {
    if (m.WParam == DBT_DEVICEARRIVAL || m.WParam == DBT_DEVICEREMOVECOMPLETE) RefreshItems();
  });
}

TRzCustomShellList::~TRzCustomShellList() {
  Destroying();
  DeviceChangeHandler().Unregister(this);
  SetShellTree(nullptr);
  if (IRzShellFolderLink* combo = std::exchange(combo_, nullptr)) combo->LinkListDestroyed(this);
  changeThread_.reset();
  refreshTimer_.reset();
  if (dropTarget_) dropTarget_->Disconnect();
  RevokeDropTarget();
  // The items go while this object's parts still exist, so OnDeleteItem sees a whole list.
  Items().Clear();
}

void TRzCustomShellList::CreateWnd() {
  TRzCustomListView::CreateWnd();
  RegisterDropTarget();
  if (Items().Count() == 0 && (options_ & sloAutoFill))
    PostMessageW(WindowHandle(), kInitialFillMessage, 0, 0);
}

void TRzCustomShellList::DestroyWnd() {
  // The thread posts to this window: it goes with it and comes back with the next watch.
  changeThread_.reset();
  RevokeDropTarget();
  TRzCustomListView::DestroyWnd();
}

void TRzCustomShellList::SetOptions(TRzShellListOptions options) {
  if (options == options_) return;
  const TRzShellListOptions changed = options ^ options_;
  options_ = options;
  if (changed & sloOleDrop) {
    if (options & sloOleDrop)
      RegisterDropTarget();
    else
      RevokeDropTarget();
  }
  if (changed & sloDynamicRefresh) {
    if (options & sloDynamicRefresh)
      Watch();
    else
      changeThread_.reset();
  }
  if ((changed & (sloShowHidden | sloNonFilesystemAncestors | sloHideFoldersWhenLinkedToTree |
                  sloFilesCanBeFolders)) &&
      HandleAllocated() && (options & sloAutoFill))
    FillItems();
}

void TRzCustomShellList::SetFileFilter(std::string_view filter) {
  if (filter == fileFilter_) return;
  fileFilter_ = filter;
  filterPatterns_ = SplitFileFilter(filter);
  if (options_ & sloAutoFill) FillItems();
}

void TRzCustomShellList::SetSortColumn(int column) {
  if (column == 0) column = 1;
  if (column == sortColumn_) return;
  sortColumn_ = column;
  SortItems();
}

TRzShellListData* TRzCustomShellList::ListData(TListItem* item) const {
  return item ? dynamic_cast<TRzShellListData*>(item->OwnedObject()) : nullptr;
}

TRzShellListData* TRzCustomShellList::SelectedItemData() const {
  return ListData(Selected());
}

std::string TRzCustomShellList::SelectedPathName() const {
  TRzShellListData* data = SelectedItemData();
  return data ? data->Path() : std::string();
}

void TRzCustomShellList::Deletion(TListItem* item) {
  TRzCustomListView::Deletion(item);
  if (item == dropItem_) dropItem_ = nullptr;
  if (OnDeleteItem) OnDeleteItem(this, item, ListData(item));
}

// ---- Folder and fill ----

void TRzCustomShellList::FolderChanged(TObject*) {
  if (ignoreChanges_ > 0) return;
  if (!followingTree_) {
    ++ignoreChanges_;
    struct Restore {
      int& n;
      ~Restore() { --n; }
    } restore{ignoreChanges_};
    if (tree_)
      tree_->SelectedFolder().SetIdList(folder_.IdList());
    else if (combo_)
      combo_->LinkShowFolder(folder_.IdList());
  }
  FillItems();
  if (OnFolderChanged) OnFolderChanged(this);
}

void TRzCustomShellList::SetShellTree(TRzCustomShellTree* tree) {
  if (tree == tree_) return;
  TRzCustomShellTree* old = std::exchange(tree_, tree);
  if (old && old->ShellList() == this) old->SetShellList(nullptr);
  if (tree) tree->SetShellList(this);  // tells us its folder at once
}

void TRzCustomShellList::ShellTreeFolderChanged(TRzCustomShellTree* tree, LPCITEMIDLIST folder) {
  if (tree != tree_) return;
  if (IdListEqual(folder, folder_.IdList()) && Items().Count() > 0) return;
  followingTree_ = true;
  struct Restore {
    bool& flag;
    ~Restore() { flag = false; }
  } restore{followingTree_};
  const bool wasEmpty = !folder_.HasStoredData();
  folder_.SetIdList(folder);
  // The desktop over the desktop changes nothing, yet an empty list must be filled.
  if (wasEmpty && IdListItemCount(folder) == 0 && Items().Count() == 0) FillItems();
}

void TRzCustomShellList::ShellTreeUnlinked(TRzCustomShellTree* tree) {
  if (tree == tree_) tree_ = nullptr;
}

bool TRzCustomShellList::ShowsFolders() const {
  return !(options_ & sloHideFoldersWhenLinkedToTree);
}

void TRzCustomShellList::FillItems() {
  if (!HandleAllocated() || IsDestroying()) return;
  if (Busy()) {
    refreshDeferred_ = true;
    return;
  }
  TScreenCursor hourglass(crHourGlass);
  // The new folder is bound and read before anything is cleared: one that cannot be read leaves
  // the list on the folder it showed, with its items and identifiers.
  TShellFolderPtr folder;
  std::vector<TRzPidl> ids;
  bool listed = false;
  try {
    ErrorModeScope quiet;
    const HRESULT hr = BindToFolder(folder_.IdList(), folder);
    if (FAILED(hr) || !folder) throw EOSError(static_cast<DWORD>(FAILED(hr) ? hr : E_FAIL));
    listed = EnumerateIds(folder.Get(), ids);
  } catch (...) {
    ShowPreviousFolder();
    throw;
  }
  ClearSelection();
  Items().Clear();
  Enumerate(std::move(folder), ids, listed);
  SortItems();
  if (Items().Count() > 0) Items()[0]->SetFocused(true);
  if (ViewStyle() == vsIcon || ViewStyle() == vsSmallIcon) {
    SendList(WM_VSCROLL, SB_TOP);
    SendList(WM_HSCROLL, SB_TOP);
  }
  if (options_ & sloDynamicRefresh) Watch();
}

void TRzCustomShellList::ShowPreviousFolder() {
  if (!folderIdList_ && !shellFolder_) return;  // nothing was shown yet
  if (IdListEqual(folder_.IdList(), folderIdList_.Get())) return;
  ++ignoreChanges_;
  struct Restore {
    int& n;
    ~Restore() { --n; }
  } restore{ignoreChanges_};
  folder_.SetIdList(folderIdList_.Get());
}

bool TRzCustomShellList::EnumerateIds(IShellFolder* folder, std::vector<TRzPidl>& out) {
  if (!folder) return false;
  SHCONTF flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
  if (options_ & sloShowHidden) flags |= SHCONTF_INCLUDEHIDDEN;
  ComPtr<IEnumIDList> items;
  HRESULT hr = folder->EnumObjects(WindowHandle(), flags, items.Put());
  if (FAILED(hr) || !items) return false;
  out.reserve(500);
  for (;;) {
    TRzPidl id;
    ULONG fetched = 0;
    hr = items->Next(1, id.Put<ITEMID_CHILD>(), &fetched);
    if (hr != S_OK || fetched == 0 || !id) break;
    if (out.size() == out.capacity()) out.reserve(out.size() + 500);
    out.push_back(std::move(id));
  }
  // The enumerator ends with S_FALSE, "no more items", or S_OK and nothing fetched.
  if (hr == S_FALSE || hr == kNoMoreItems || hr == S_OK) return true;
  if (hr == E_FAIL) return false;
  throw EOSError(static_cast<DWORD>(hr));
}

void TRzCustomShellList::Enumerate(TShellFolderPtr folder, std::vector<TRzPidl>& ids, bool listed) {
  BeginUpdate();
  ErrorModeScope quiet;
  if (OnFillStart) OnFillStart(this);
  struct Finish {
    TRzCustomShellList* list;
    ~Finish() {
      list->filterTable_.reset();
      list->EndUpdate();
      if (list->OnFillComplete) list->OnFillComplete(list);
    }
  } finish{this};

  TRzPidl targetCopy = IdListCopy(folder_.IdList());
  if (folderIdList_ && !IdListToPath(folderIdList_.Get()).empty()) RememberColumnWidths();
  shellFolder_ = std::move(folder);
  folderIdList_ = std::move(targetCopy);
  details_ = GetShellDetails(shellFolder_.Get());
  BuildColumns();
  BuildFilterTable();

  if (!listed) return;
  Items().SetCapacity(static_cast<int>(ids.size()));
  for (TRzPidl& id : ids) {
    auto data = std::make_unique<TRzShellListData>(this, std::move(id));
    if (PassesAddTest(*data)) InsertItem(std::move(data));
  }
}

void TRzCustomShellList::BuildFilterTable() {
  filterTable_.reset();
  const std::string path = FolderPath();
  if (path.empty() || FilterShowsEverything(fileFilter_) || filterPatterns_.empty()) return;
  auto table = std::make_unique<TRzFilterTable>();
  ErrorModeScope quiet;
  for (const std::string& pattern : filterPatterns_) {
    WIN32_FIND_DATAW fd{};
    HANDLE find = FindFirstFileW(Wide(JoinPath(path, pattern)).c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      // A pattern that matches nothing leaves the others working; the folder failing stops.
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_INVALID_NAME) continue;
      break;
    }
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        table->Add(Narrow(std::wstring_view(fd.cFileName, wcsnlen(fd.cFileName, MAX_PATH))));
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  filterTable_ = std::move(table);
}

bool TRzCustomShellList::PassesAddTest(TRzShellListData& data) {
  const SFGAOF attributes =
      ItemAttributes(shellFolder_.Get(), data.Relative(), kShellListAddAttributes);
  if (!(options_ & sloNonFilesystemAncestors) &&
      !(attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)))
    return false;
  const bool folder = IsFolderItem(attributes, (options_ & sloFilesCanBeFolders) != 0);
  if ((options_ & sloHideFoldersWhenLinkedToTree) && tree_ && folder) return false;
  // Shortcuts show whatever the filter, as in the system's own dialog: what they lead to is
  // known only once they are resolved, on choosing.
  if (filterTable_ && !folder && !(attributes & SFGAO_LINK)) {
    const std::string parsing = ItemDisplayName(shellFolder_.Get(), data.Relative(), snkForParsing);
    if (!filterTable_->Contains(PathFileName(parsing))) return false;
  }
  bool allow = true;
  if (OnAddItem)
    OnAddItem(this, shellFolder_.Get(), folderIdList_.Get(), data.Relative(), attributes, allow);
  return allow;
}

void TRzCustomShellList::InsertItem(std::unique_ptr<TRzShellListData> data) {
  const SFGAOF attributes = data->Attributes();
  TListItem* item = Items().Add();
  item->SetOwnedObject(std::move(data));
  // The system image list's overlays: 1 the sharing hand, 2 the shortcut arrow.
  if (attributes & SFGAO_SHARE)
    item->SetOverlayIndex(1);
  else if (attributes & SFGAO_LINK)
    item->SetOverlayIndex(2);
  if (attributes & SFGAO_HIDDEN) item->SetCut(true);
}

std::string TRzCustomShellList::ItemText(TListItem* item, int column) {
  TRzShellListData* data = ListData(item);
  if (!data) return TRzCustomListView::ItemText(item, column);
  return column == 0 ? data->DisplayName() : data->ColumnText(column);
}

int TRzCustomShellList::ItemImage(TListItem* item) {
  TRzShellListData* data = ListData(item);
  return data ? data->IconIndex() : item->ImageIndex();
}

// ---- Columns ----

void TRzCustomShellList::RememberColumnWidths() {
  RememberedWidths& r = Remembered();
  r.widths.clear();
  for (int i = 0; i < Columns().Count(); ++i) r.widths.push_back(Columns()[i]->Width());
  r.fixed = fixedColumns_;
  r.directoryCols = fixedColumns_ ? ReadDirectoryCols() : std::vector<BYTE>{};
}

void TRzCustomShellList::BuildColumns() {
  BeginUpdate();
  Columns().Clear();
  fixedColumns_ = !details_;
  if (details_) {
    for (int n = 0; n < kMaxDetailColumns; ++n) {
      SHELLDETAILS sd{};
      if (FAILED(details_->GetDetailsOf(nullptr, static_cast<UINT>(n), &sd))) break;
      const std::string caption = StrRetToString(sd.str, nullptr);
      Columns().Add(caption, std::clamp(9 * sd.cxChar, 20, 600),
                    static_cast<TAlignment>(ColumnFormatAlignment(sd.fmt)));
    }
  } else {
    int widths[4] = {kFixedWidths[0], kFixedWidths[1], kFixedWidths[2], kFixedWidths[3]};
    const std::vector<BYTE> stored = ReadDirectoryCols();
    if (auto parsed = ParseDirectoryCols(stored)) std::copy(parsed->begin(), parsed->end(), widths);
    Columns().Add(RzLoadStr(rsColumnName), widths[0]);
    Columns().Add(RzLoadStr(rsColumnSize), widths[1], taRightJustify);
    Columns().Add(RzLoadStr(rsColumnType), widths[2]);
    Columns().Add(RzLoadStr(rsColumnModified), widths[3]);
  }
  // The user's widths of the last file-system folder carry over to the next one.
  const RememberedWidths& r = Remembered();
  if (!FolderPath().empty() && !r.widths.empty() &&
      static_cast<int>(r.widths.size()) == Columns().Count() && r.fixed == fixedColumns_ &&
      (!fixedColumns_ || r.directoryCols == ReadDirectoryCols())) {
    for (int i = 0; i < Columns().Count(); ++i)
      Columns()[i]->SetWidth(r.widths[static_cast<size_t>(i)]);
  }
  if (SortColumnIndex(sortColumn_, Columns().Count()) != std::abs(sortColumn_) - 1) sortColumn_ = 1;
  EndUpdate();
}

// ---- Sorting ----

void TRzCustomShellList::SortItems() {
  const int column = SortColumnIndex(sortColumn_, std::max(Columns().Count(), 1));
  SetSortDisplay(column, sortColumn_ < 0 ? sdDescending : sdAscending);
  IShellFolder* folder = shellFolder_.Get();
  if (!folder || Items().Count() < 2) return;
  const int sortColumn = sortColumn_;
  CustomSort([this, folder, column, sortColumn](TListItem* a, TListItem* b) {
    TRzShellListData* da = ListData(a);
    TRzShellListData* db = ListData(b);
    if (!da || !db) return 0;
    const HRESULT byColumn = folder->CompareIDs(
        static_cast<LPARAM>(column), AsRelative(da->Relative()), AsRelative(db->Relative()));
    return ShellListOrder(byColumn, sortColumn);
  });
}

void TRzCustomShellList::ColumnClicked(TListColumn* column) {
  const int before = sortColumn_;
  TRzCustomListView::ColumnClicked(column);
  if (sortColumn_ != before) return;  // the handler chose the order itself
  SetSortColumn(NextSortColumn(sortColumn_, column->Index()));
}

// ---- Opening and going up ----

void TRzCustomShellList::UpdateLinks() {
  if (refreshTimer_ && refreshTimer_->Enabled()) {
    refreshTimer_->SetEnabled(false);
    RefreshItems();
  }
  if (combo_) combo_->LinkUpdateNow();
}

void TRzCustomShellList::ShowFolder(LPCITEMIDLIST absolute) {
  if (options_ & sloDontChangeFolder) return;
  TRzPidl keep = IdListCopy(absolute);  // the item that owns `absolute` goes with the clear
  Items().Clear();
  if (tree_)
    tree_->SelectIdList(keep.Get());
  else if (combo_)
    combo_->LinkShowFolder(keep.Get());
  else
    folder_.SetIdList(keep.Get());
}

void TRzCustomShellList::OpenItem(TListItem* item) {
  TRzShellListData* data = ListData(item);
  if (!data) return;
  UpdateLinks();
  // Bringing things up to date may have refreshed the item away.
  if (Items().IndexOf(item) < 0) return;
  data = ListData(item);
  if (!data) return;
  if (data->IsFolder()) {
    ShowFolder(data->Absolute());
    return;
  }
  if (data->IsShortcut()) {
    TRzShortcutInfo info;
    if (SUCCEEDED(ResolveShortcut(data->Path(), info, false)) &&
        (info.FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !info.TargetPath.empty()) {
      TRzPidl target;
      if (SUCCEEDED(PathToIdList(info.TargetPath, target))) {
        ShowFolder(target.Get());
        return;
      }
    }
  }
  bool handled = false;
  if (OnDblClickOpen) OnDblClickOpen(this, handled);
  if (handled) return;
  if (ComPtr<IContextMenu> menu = SelectionMenu({item})) InvokeDefault(menu.Get());
}

void TRzCustomShellList::OpenSelectedItems() {
  std::vector<TListItem*> selected = SelectedItems();
  if (selected.size() < 2) {
    if (TListItem* item = Selected()) OpenItem(item);
    return;
  }
  bool handled = false;
  if (OnDblClickOpen) OnDblClickOpen(this, handled);
  if (handled) return;
  if (ComPtr<IContextMenu> menu = SelectionMenu(selected)) InvokeDefault(menu.Get());
}

void TRzCustomShellList::GoUp(int levels) {
  if ((options_ & sloDontChangeFolder) || levels <= 0) return;
  if (tree_) {
    tree_->GoUp(levels);
    return;
  }
  if (combo_) {
    combo_->LinkGoUp(levels);
    return;
  }
  LPCITEMIDLIST current = folder_.IdList();
  if (IdListItemCount(current) == 0) return;  // the desktop has nothing above it
  TRzIdListArray array(current);
  LPITEMIDLIST up = array.Ancestor(std::min(levels, array.ItemCount()));
  if (!up) return;
  TRzPidl keep = IdListCopy(up);
  folder_.SetIdList(keep.Get());
}

void TRzCustomShellList::DblClick() {
  TRzCustomListView::DblClick();
  if (Selected()) OpenSelectedItems();
}

// ---- Keys ----

bool TRzCustomShellList::DoKeyDown(WORD& key, TShiftState shift) {
  if (TRzCustomListView::DoKeyDown(key, shift)) return true;
  if (!(options_ & sloDefaultKeyHandling) || IsEditing()) return false;
  static const TRzShellKeys keys = ShellKeysFromTexts();
  const TShortCut pressed = MakeShortCut(static_cast<std::uint8_t>(key), (shift & ssShift) != 0,
                                         (shift & ssCtrl) != 0, (shift & ssAlt) != 0);
  switch (ShellListKeyCommand(pressed, keys)) {
    case skSelectAll:
      BeginUpdate();
      SelectAll();
      EndUpdate();
      return true;
    case skRefresh:
      FillItems();
      return true;
    case skCopy:
      DoCommandForSelected("copy");
      return true;
    case skCut:
      DoCommandForSelected("cut");
      return true;
    case skPaste:
      DoCommandForFolder("paste");
      RefreshItems();
      return true;
    case skRename:
      if (TListItem* item = ItemFocused()) item->EditCaption();
      return true;
    case skDelete:
      DoCommandForSelected("delete");
      RefreshItems();
      return true;
    case skGoUp:
      GoUp(1);
      return true;
    case skOpen:
      OpenSelectedItems();
      return true;
    case skNone:
      break;
  }
  return false;
}

// ---- Messages ----

bool TRzCustomShellList::HandleMenuMessage(TMessage& m) {
  if (!openMenu_) return false;
  if (sendTo_ && sendTo_->HandleMessage(m)) return true;
  switch (m.Msg) {
    case WM_MENUSELECT: {
      if (!OnPopupHint) return false;
      const UINT id = LOWORD(m.WParam);
      std::string hint;
      char text[256] = {};
      if (!(HIWORD(m.WParam) & MF_POPUP) && id >= kMenuFirstCommand && id <= kMenuLastCommand &&
          SUCCEEDED(openMenu_->GetCommandString(id - kMenuFirstCommand, GCS_HELPTEXTA, nullptr,
                                                text, sizeof text - 1)))
        hint = text;
      OnPopupHint(this, hint);
      return true;
    }
    case WM_MENUCHAR:
      if (auto menu3 =
              ComPtr<IContextMenu>::AddRefOf(openMenu_).As<IContextMenu3>(IID_IContextMenu3)) {
        LRESULT result = 0;
        if (SUCCEEDED(menu3->HandleMenuMsg2(m.Msg, m.WParam, m.LParam, &result))) {
          m.Result = result;
          return true;
        }
      }
      return false;
    case WM_INITMENUPOPUP: {
      // The shell's handler fills its submenus; a Send To it leaves empty (one greyed item) is
      // filled here.
      auto menu2 = ComPtr<IContextMenu>::AddRefOf(openMenu_).As<IContextMenu2>(IID_IContextMenu2);
      if (menu2) menu2->HandleMenuMsg(m.Msg, m.WParam, m.LParam);
      if (sendTo_) sendTo_->InitPopup(reinterpret_cast<HMENU>(m.WParam));
      m.Result = 0;
      return true;
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM: {
      if (m.Msg != WM_INITMENUPOPUP && m.WParam != 0) return false;  // a control's, not the menu's
      auto menu2 = ComPtr<IContextMenu>::AddRefOf(openMenu_).As<IContextMenu2>(IID_IContextMenu2);
      if (!menu2 || FAILED(menu2->HandleMenuMsg(m.Msg, m.WParam, m.LParam))) return false;
      m.Result = m.Msg == WM_INITMENUPOPUP ? 0 : TRUE;
      return true;
    }
    default:
      return false;
  }
}

void TRzCustomShellList::WndProc(TMessage& m) {
  if (HandleMenuMessage(m)) return;
  switch (m.Msg) {
    case kChangeMessage:
      ChangeNotified();
      return;
    case kEditNewFolderMessage:
      EditNewFolder();
      return;
    case kInitialFillMessage:
      if (Items().Count() == 0) FillItems();
      return;
    case CM_WANTSPECIALKEY:
      // Escape ends a name edit, not the dialog the list sits in.
      if (m.WParam == VK_ESCAPE && IsEditing()) {
        m.Result = 1;
        return;
      }
      if (m.WParam == VK_RETURN) {
        TRzShellListData* data = SelectedItemData();
        m.Result = (IsEditing() || (data && data->IsFolder())) ? 1 : 0;
        return;
      }
      break;
    default:
      break;
  }
  TRzCustomListView::WndProc(m);
}

void TRzCustomShellList::CNNotify(TMessage& m) {
  const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
  if ((hdr->code == LVN_BEGINDRAG || hdr->code == LVN_BEGINRDRAG) && (options_ & sloOleDrag)) {
    BeginOleDrag(hdr->code == LVN_BEGINRDRAG);
    return;
  }
  TRzCustomListView::CNNotify(m);
  if (hdr->code == LVN_ENDLABELEDITW) RunDeferredRefresh();
}

void TRzCustomShellList::RunDeferredRefresh() {
  if (!refreshDeferred_ || Busy()) return;
  refreshDeferred_ = false;
  RefreshItems();
}

// ---- Refresh ----

void TRzCustomShellList::RefreshItems() {
  if (!HandleAllocated() || IsDestroying()) return;
  if (Busy()) {
    refreshDeferred_ = true;
    return;
  }
  ++refreshCount_;
  if (Items().Count() == 0 || !shellFolder_) {
    FillItems();
    return;
  }
  // Items are matched by the folder's own comparison: a file-system item's identifier also
  // carries its times, which change when the item is merely read, and a byte-wise match would
  // delete and re-add (losing selection and focus) items that are still there.
  TRzPidlList old;
  old.SetDuplicates(dupAccept);
  old.SetFolder(shellFolder_.Get());
  old.SetSorted(true);
  for (int i = 0; i < Items().Count(); ++i)
    if (TRzShellListData* data = ListData(Items()[i]))
      old.AddWithData(const_cast<LPITEMIDLIST>(data->Relative()),
                      reinterpret_cast<std::intptr_t>(Items()[i]));

  std::vector<TRzPidl> ids;
  {
    ErrorModeScope quiet;
    if (!EnumerateIds(shellFolder_.Get(), ids)) return;
  }
  TRzPidlList fresh;
  fresh.SetDuplicates(dupAccept);
  fresh.SetFolder(shellFolder_.Get());
  fresh.SetAllocator(ShellMalloc());
  fresh.SetSorted(true);
  for (TRzPidl& id : ids) fresh.Add(id.Release());

  for (int i = old.Count(); i-- > 0;) {
    const int found = fresh.Find(old.IdList(i));
    if (found < 0) continue;
    auto* item = reinterpret_cast<TListItem*>(old.Data(i));
    TRzShellListData* data = ListData(item);
    // Same item, changed details (size, times): it takes the new identifier and reads anew.
    if (data && CompareIdBytes(reinterpret_cast<const std::uint8_t*>(data->Relative()),
                               reinterpret_cast<const std::uint8_t*>(fresh.IdList(found))) != 0) {
      old.Delete(i);
      data->SetRelative(IdListCopy(fresh.IdList(found)));
      item->Update();
    } else {
      old.Delete(i);
    }
    fresh.Delete(found);
  }
  BeginUpdate();
  struct End {
    TRzCustomShellList* list;
    ~End() {
      list->filterTable_.reset();
      list->Items().SetCapacity(kAllocationStep);
      list->EndUpdate();
    }
  } end{this};
  std::vector<TListItem*> gone;
  for (int i = 0; i < old.Count(); ++i) gone.push_back(reinterpret_cast<TListItem*>(old.Data(i)));
  old.Clear();  // its lists belong to the items about to go
  for (TListItem* item : gone) item->Delete();
  if (fresh.Count() == 0) return;
  BuildFilterTable();
  Items().SetCapacity(Items().Count() + fresh.Count());
  for (int i = 0; i < fresh.Count(); ++i) {
    try {
      auto data = std::make_unique<TRzShellListData>(this, IdListCopy(fresh.IdList(i)));
      if (PassesAddTest(*data)) InsertItem(std::move(data));
    } catch (const std::exception& e) {
      throw Exception(std::string(kStrAddItemFailed) + ": " + e.what());
    }
  }
  SortItems();
}

void TRzCustomShellList::Watch() {
  if (!HandleAllocated() || !(options_ & sloDynamicRefresh)) return;
  const std::string path = FolderPath();
  if (!changeThread_) {
    if (path.empty()) return;
    changeThread_ = std::make_unique<TChangeHandlerThread>(WindowHandle(), kChangeMessage);
  }
  changeThread_->RemoveAllWatches();
  if (!path.empty()) changeThread_->AddWatch(path, kWatchFilter, false);
}

void TRzCustomShellList::ChangeNotified() {
  if (ignoreNextNotification_) {
    ignoreNextNotification_ = false;
    return;
  }
  if (deferRefresh_) {
    refreshDeferred_ = true;  // runs once the drag is over
    return;
  }
  refreshTimer_->SetEnabled(false);
  refreshTimer_->SetInterval(Focused() ? 400 : 2000);
  refreshTimer_->SetEnabled(true);
}

void TRzCustomShellList::OnRefreshTimer(TObject*) {
  refreshTimer_->SetEnabled(false);
  if (combo_) combo_->LinkUpdateNow();
  RefreshItems();
}

// ---- New folders ----

bool TRzCustomShellList::CreateNewFolder(bool editName) {
  const std::string path = FolderPath();
  if (path.empty()) return false;
  std::string name;
  ignoreNextNotification_ = true;
  if (kovra::CreateNewFolder(path, name) != cfrCreated) {
    ignoreNextNotification_ = false;
    return false;
  }
  if (IdListItemCount(folderIdList_.Get()) == 0 && shellFolder_) {
    // The desktop lists a new folder only after a moment: wait for it, refreshes held.
    TScreenCursor hourglass(crHourGlass);
    deferRefresh_ = true;
    WaitForShellItem(shellFolder_.Get(), name, SHCONTF_FOLDERS, kNewFolderDesktopWaitMs);
    deferRefresh_ = false;
    refreshDeferred_ = false;  // the refresh below shows it all
  }
  RefreshItems();
  if (editName && HandleAllocated()) {
    deferredEditName_ = name;
    PostMessageW(WindowHandle(), kEditNewFolderMessage, 0, 0);
  }
  return true;
}

void TRzCustomShellList::EditNewFolder() {
  const std::string name = std::exchange(deferredEditName_, std::string());
  if (name.empty()) return;
  for (int i = 0; i < Items().Count(); ++i) {
    TRzShellListData* data = ListData(Items()[i]);
    if (data && data->DisplayName() == name) {
      SetFocus();
      SetSelected(Items()[i]);
      Items()[i]->MakeVisible();
      Items()[i]->EditCaption();
      return;
    }
  }
}

// ---- Renaming ----

bool TRzCustomShellList::CanEdit(TListItem* item) {
  TRzShellListData* data = ListData(item);
  if (!data || !data->CanRename()) return false;
  return TRzCustomListView::CanEdit(item);
}

bool TRzCustomShellList::Edited(TListItem* item, std::string& text) {
  if (!TRzCustomListView::Edited(item, text)) return false;
  TRzShellListData* data = ListData(item);
  if (!data || !shellFolder_) return false;
  TRzPidl renamed;
  const std::wstring wide = Wide(text);
  ++ignoreChanges_;
  const HRESULT hr =
      shellFolder_->SetNameOf(WindowHandle(), AsChild(data->Relative()), wide.c_str(),
                              SHGDN_INFOLDER | SHGDN_FOREDITING, renamed.Put<ITEMID_CHILD>());
  --ignoreChanges_;
  if (FAILED(hr)) return false;
  ignoreNextNotification_ = true;  // our own rename
  if (renamed)
    data->SetRelative(std::move(renamed));
  else
    data->SetRelative(IdListCopy(data->Relative()));
  return true;
}

// ---- Verbs and context menus ----

ComPtr<IContextMenu> TRzCustomShellList::SelectionMenu(const std::vector<TListItem*>& items) {
  if (!shellFolder_ || items.empty()) return {};
  std::vector<PCUITEMID_CHILD> children;
  for (TListItem* item : items)
    if (TRzShellListData* data = ListData(item)) children.push_back(AsChild(data->Relative()));
  if (children.empty()) return {};
  void* raw = nullptr;
  if (FAILED(shellFolder_->GetUIObjectOf(WindowHandle(), static_cast<UINT>(children.size()),
                                         children.data(), IID_IContextMenu, nullptr, &raw)) ||
      !raw)
    return {};
  return ComPtr<IContextMenu>(static_cast<IContextMenu*>(raw));
}

void TRzCustomShellList::InvokeDefault(IContextMenu* menu) {
  MenuHandle popup(CreatePopupMenu());
  if (!popup || FAILED(menu->QueryContextMenu(popup.Get(), 0, kMenuFirstCommand, kMenuLastCommand,
                                              CMF_EXPLORE | CMF_DEFAULTONLY)))
    return;
  const UINT id = GetMenuDefaultItem(popup.Get(), FALSE, 0);
  if (id == static_cast<UINT>(-1) || id < kMenuFirstCommand) return;
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = WindowHandle();
  info.lpVerb = MAKEINTRESOURCEA(id - kMenuFirstCommand);
  info.nShow = SW_SHOWNORMAL;
  menu->InvokeCommand(&info);
}

bool TRzCustomShellList::DoCommandForSelected(std::string_view verb) {
  ComPtr<IContextMenu> menu = SelectionMenu(SelectedItems());
  if (!menu) return false;
  const bool done = InvokeContextMenuVerb(menu.Get(), WindowHandle(), verb);
  if (FolderPath().starts_with("\\\\")) RefreshItems();
  return done;
}

void TRzCustomShellList::DoCommandForFolder(std::string_view verb) {
  LPCITEMIDLIST folder = folderIdList_.Get();
  TRzIdListArray array(folder);
  if (array.ItemCount() == 0) throw Exception(std::string(RzLoadStr(rsDesktopHasNoParent)));
  TShellFolderPtr parent;
  HRESULT hr = BindToFolder(array.Ancestor(1), parent);
  if (FAILED(hr)) throw EOSError(static_cast<DWORD>(hr));
  LPCITEMIDLIST last = IdListLastItem(folder);
  PCUITEMID_CHILD child[] = {AsChild(last)};
  void* raw = nullptr;
  hr = parent->GetUIObjectOf(WindowHandle(), 1, child, IID_IContextMenu, nullptr, &raw);
  if (FAILED(hr) || !raw) throw EOSError(static_cast<DWORD>(FAILED(hr) ? hr : E_FAIL));
  ComPtr<IContextMenu> menu(static_cast<IContextMenu*>(raw));
  if (!InvokeContextMenuVerb(menu.Get(), WindowHandle(), verb)) {
    std::string text(RzLoadStr(rsFolderLacksVerb));
    throw Exception(text.replace(text.find("%s"), 2, verb));
  }
}

void TRzCustomShellList::WMContextMenu(TMessage& m) {
  POINT screen = MessagePoint(m.LParam);
  if (screen.x == -1 && screen.y == -1) {
    TListItem* focused = ItemFocused();
    const RECT r = focused ? focused->DisplayRect(LVIR_ICON) : RECT{};
    screen = ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
  const POINT client = ScreenToClient(screen);
  if (DoItemContextMenu(ItemAt(client.x, client.y), screen)) {
    m.Result = 1;
    return;
  }
  if ((options_ & sloContextMenus) && !refreshDeferred_ && SelCount() > 0) {
    ShowShellContextMenu(screen);
    m.Result = 1;
    return;
  }
  TRzCustomListView::WMContextMenu(m);
}

void TRzCustomShellList::ShowShellContextMenu(POINT screen) {
  ComPtr<IContextMenu> menu = SelectionMenu(SelectedItems());
  if (!menu) return;
  MenuHandle popup(CreatePopupMenu());
  UINT flags = CMF_EXPLORE;
  TRzShellListData* focused = ListData(ItemFocused());
  if (focused && !focused->Path().empty() && !ReadOnly()) flags |= CMF_CANRENAME;
  if (!popup ||
      FAILED(menu->QueryContextMenu(popup.Get(), 0, kMenuFirstCommand, kMenuLastCommand, flags)))
    return;
  menuOpen_ = true;
  openMenu_ = menu.Get();
  sendTo_ = std::make_unique<TRzSendToMenu>(*this);
  const UINT command =
      static_cast<UINT>(TrackPopupMenu(popup.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                       screen.y, 0, WindowHandle(), nullptr));
  const std::unique_ptr<TRzSendToMenu> sendTo = std::move(sendTo_);
  openMenu_ = nullptr;
  menuOpen_ = false;
  if (sendTo->IsCommand(command)) {
    if (ComPtr<IDataObject> data = SelectionDataObject())
      sendTo->Send(command, data.Get(), WindowHandle());
  } else if (command == kRenameCommand) {
    if (TListItem* item = ItemFocused()) item->EditCaption();
  } else if (command >= kMenuFirstCommand) {
    char verb[64] = {};
    const bool isRename = SUCCEEDED(menu->GetCommandString(command - kMenuFirstCommand, GCS_VERBA,
                                                           nullptr, verb, sizeof verb - 1)) &&
                          lstrcmpiA(verb, "rename") == 0;
    if (isRename) {
      if (TListItem* item = ItemFocused()) item->EditCaption();
    } else {
      CMINVOKECOMMANDINFO info{};
      info.cbSize = sizeof info;
      info.hwnd = WindowHandle();
      info.lpVerb = MAKEINTRESOURCEA(command - kMenuFirstCommand);
      info.nShow = SW_SHOWNORMAL;
      menu->InvokeCommand(&info);
      if (FolderPath().starts_with("\\\\")) RefreshItems();
    }
  }
  RunDeferredRefresh();
}

// ---- Drag and drop ----

ComPtr<IDataObject> TRzCustomShellList::SelectionDataObject() {
  std::vector<LPCITEMIDLIST> items;
  for (TListItem* item : SelectedItems())
    if (TRzShellListData* data = ListData(item)) items.push_back(data->Relative());
  if (items.empty() || !shellFolder_) return {};
  return TDataObject::CreateForItems(folderIdList_.Get(), shellFolder_.Get(), items);
}

void TRzCustomShellList::BeginOleDrag(bool rightButton) {
  std::vector<LPCITEMIDLIST> items;
  for (TListItem* item : SelectedItems())
    if (TRzShellListData* data = ListData(item)) items.push_back(data->Relative());
  ComPtr<IDataObject> data = SelectionDataObject();
  if (!data) return;
  const DWORD effects = DragEffectsOfItems(shellFolder_.Get(), items);
  dragging_ = true;
  deferRefresh_ = true;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr =
      DoShellDragDrop(data.Get(), effects, rightButton ? MK_RBUTTON : MK_LBUTTON, &effect);
  dragging_ = false;
  deferRefresh_ = false;
  if (hr == DRAGDROP_S_DROP || refreshDeferred_) {
    refreshDeferred_ = false;
    RefreshItems();
  }
}

void TRzCustomShellList::RegisterDropTarget() {
  if (dropRegistered_ || !HandleAllocated() || !(options_ & sloOleDrop)) return;
  if (!dropTarget_) dropTarget_ = TDropTarget::Create(this);
  if (dropTarget_ && SUCCEEDED(RegisterDragDrop(WindowHandle(), dropTarget_.Get())))
    dropRegistered_ = true;
}

void TRzCustomShellList::RevokeDropTarget() {
  if (!dropRegistered_) return;
  if (HandleAllocated()) RevokeDragDrop(WindowHandle());
  dropRegistered_ = false;
}

void TRzCustomShellList::SetDropItem(TListItem* item) {
  if (item == dropItem_) return;
  LVITEMW lv{};
  lv.stateMask = LVIS_DROPHILITED;
  if (dropItem_ && Items().IndexOf(dropItem_) >= 0) {
    lv.state = 0;
    SendList(LVM_SETITEMSTATE, static_cast<WPARAM>(Items().IndexOf(dropItem_)),
             reinterpret_cast<LPARAM>(&lv));
  }
  dropItem_ = item;
  if (item) {
    lv.state = LVIS_DROPHILITED;
    SendList(LVM_SETITEMSTATE, static_cast<WPARAM>(Items().IndexOf(item)),
             reinterpret_cast<LPARAM>(&lv));
  }
}

// The item's own drop target when it has one; else the shown folder's, except over no item
// while the list's own drag runs (dropping items back where they are).
ComPtr<IDropTarget> TRzCustomShellList::DropTargetAt(POINTL point, TListItem*& item) {
  const POINT client = ScreenToClient(POINT{point.x, point.y});
  TListItem* under = ItemAt(client.x, client.y);
  item = nullptr;
  if (!shellFolder_) return {};
  if (TRzShellListData* data = ListData(under)) {
    PCUITEMID_CHILD child[] = {AsChild(data->Relative())};
    void* raw = nullptr;
    if (SUCCEEDED(shellFolder_->GetUIObjectOf(WindowHandle(), 1, child, IID_IDropTarget, nullptr,
                                              &raw)) &&
        raw) {
      item = under;
      return ComPtr<IDropTarget>(static_cast<IDropTarget*>(raw));
    }
  } else if (dragging_) {
    return {};
  }
  return ShellDropTargetOf(WindowHandle(), folderIdList_.Get());
}

HRESULT TRzCustomShellList::OleDragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                         DWORD* effect) {
  dragData_ = ComPtr<IDataObject>::AddRefOf(data);
  dragKeyState_ = keyState;
  deferRefresh_ = true;
  scrollTimer_.Reset();
  TListItem* item = nullptr;
  shellTarget_ = DropTargetAt(point, item);
  SetDropItem(item);
  if (!shellTarget_) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  const HRESULT hr = shellTarget_->DragEnter(data, keyState, point, effect);
  if (FAILED(hr)) {
    shellTarget_.Reset();  // it never entered: nothing more goes to it
    *effect = DROPEFFECT_NONE;
  }
  return S_OK;
}

void TRzCustomShellList::DragAutoScroll(POINT client) {
  const TRzDragScroll scroll =
      ::kovra::DragAutoScroll(client.x, client.y, ClientWidth(), ClientHeight());
  if (!(scroll.Horizontal || scroll.Vertical) || !scrollTimer_.Due(GetTickCount())) return;
  if (scroll.Vertical) SendList(WM_VSCROLL, scroll.Vertical < 0 ? SB_LINEUP : SB_LINEDOWN, 0);
  if (scroll.Horizontal)
    SendList(WM_HSCROLL, scroll.Horizontal < 0 ? SB_LINELEFT : SB_LINERIGHT, 0);
}

// Inner targets are the shell's: each one that is told of a drag over or a drop has first been
// told that the drag entered it.
HRESULT TRzCustomShellList::OleDragOver(DWORD keyState, POINTL point, DWORD* effect) {
  DragAutoScroll(ScreenToClient(POINT{point.x, point.y}));
  const DWORD allowed = *effect;
  const POINT client = ScreenToClient(POINT{point.x, point.y});
  TListItem* under = ItemAt(client.x, client.y);
  if (under != dropItem_ || !shellTarget_) {
    if (shellTarget_) shellTarget_->DragLeave();
    TListItem* item = nullptr;
    shellTarget_ = dragData_ ? DropTargetAt(point, item) : ComPtr<IDropTarget>();
    SetDropItem(item);
    if (shellTarget_) {
      DWORD entered = allowed;
      if (FAILED(shellTarget_->DragEnter(dragData_.Get(), keyState, point, &entered)))
        shellTarget_.Reset();
    }
  }
  DWORD answer = DROPEFFECT_NONE;
  if (shellTarget_) {
    answer = allowed;
    if (FAILED(shellTarget_->DragOver(keyState, point, &answer))) answer = DROPEFFECT_NONE;
  }
  *effect = answer | DROPEFFECT_SCROLL;
  return S_OK;
}

HRESULT TRzCustomShellList::OleDragLeave() {
  if (shellTarget_) shellTarget_->DragLeave();
  shellTarget_.Reset();
  SetDropItem(nullptr);
  dragData_.Reset();
  deferRefresh_ = dragging_;
  if (!dragging_) RunDeferredRefresh();
  return S_OK;
}

HRESULT TRzCustomShellList::OleDrop(IDataObject* data, DWORD keyState, POINTL point,
                                    DWORD* effect) {
  // The drop's key state lacks the button that has just been released.
  keyState |= dragKeyState_ & (MK_LBUTTON | MK_RBUTTON);
  ComPtr<IDropTarget> target = std::move(shellTarget_);
  const DWORD allowed = *effect & SharedDropEffects(data);
  if (!target) {
    // No target saw this drag enter (the point found none before): one found here is entered
    // first, as it would have been on the way.
    TListItem* item = nullptr;
    target = DropTargetAt(point, item);
    if (target) {
      DWORD answer = allowed;
      if (FAILED(target->DragEnter(data, keyState, point, &answer))) {
        target.Reset();
      } else {
        answer = allowed;
        target->DragOver(keyState, point, &answer);
      }
    }
  }
  SetDropItem(nullptr);
  dragData_.Reset();
  deferRefresh_ = dragging_;
  if (!target) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  *effect = allowed;
  HRESULT hr;
  {
    TScreenCursor hourglass(crHourGlass);
    hr = target->Drop(data, keyState, point, effect);
  }
  if (!dragging_)
    RefreshItems();
  else
    refreshDeferred_ = true;
  return hr;
}

}  // namespace kovra
