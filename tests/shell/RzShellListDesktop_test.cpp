#include "shell/RzShellList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "shell/RzShellIntf.h"
#include "support/TestForm.h"
#include "support/TestPaths.h"
#include "support/Wait.h"
#include "ShellTestSupport.h"

namespace kovra {
namespace {

using test::WaitUntil;

// A scratch folder of files of known sizes and times, and two subfolders.
class ShellListTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = scratch_.Folder();
    Make("A.EXE", 3000, 3);
    Make("b.exe", 100, 1);
    Make("c.txt", 9000, 2);
    Make("d.bat", 5000, 4);
    ASSERT_TRUE(CreateDirectoryW(Wide(Path("zdir")).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Wide(Path("adir")).c_str(), nullptr));
    form_ = test::NewForm(30, 30, 640, 360);
    list_ = test::Place<TRzShellList>(*form_, 8, 8, 610, 300);
    list_->SetViewStyle(vsReport);
    list_->SetMultiSelect(true);
    test::ShowInFront(*form_);
    list_->SetFolderPath(folder_);
    Application().ProcessMessages();
  }
  void TearDown() override {
    // The handlers' captures go before the list does.
    list_->OnDeleteItem = nullptr;
    list_->OnFolderChanged = nullptr;
    list_->OnColumnClick = nullptr;
    list_->OnDblClickOpen = nullptr;
    form_.reset();
  }

  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }
  // A file of `size` bytes, last written `day` days into 2020.
  void Make(const std::string& name, int size, int day) {
    const SYSTEMTIME st{2020, 1, 0, static_cast<WORD>(day), 12, 0, 0, 0};
    ASSERT_TRUE(test::MakeFile(Path(name), static_cast<size_t>(size), &st)) << name;
  }
  // The file names in the window's order.
  std::vector<std::string> Names() {
    std::vector<std::string> out;
    for (int i = 0; i < list_->Items().Count(); ++i)
      out.push_back(list_->ListData(list_->Items()[i])->FileName());
    return out;
  }
  TListItem* Find(const std::string& name) {
    for (int i = 0; i < list_->Items().Count(); ++i)
      if (list_->ListData(list_->Items()[i])->FileName() == name) return list_->Items()[i];
    return nullptr;
  }
  void PostClick(HWND wnd, POINT p, UINT down = WM_LBUTTONDOWN) {
    PostMessageW(wnd, down, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  }
  void ClickHeader(int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list_->Handle(), LVM_GETHEADER, 0, 0));
    RECT r{};
    SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&r));
    const int before = list_->SortColumn();
    PostClick(header, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    ASSERT_TRUE(WaitUntil([&] { return list_->SortColumn() != before; }));
  }
  void PostKey(WORD key) {
    SetFocus(list_->Handle());
    PostMessageW(list_->Handle(), WM_KEYDOWN, key, 0);
  }

  test::ScratchDir scratch_;
  std::string folder_;
  std::unique_ptr<TForm> form_;
  TRzShellList* list_ = nullptr;
};

using NameList = std::vector<std::string>;

TEST_F(ShellListTest, ListsTheFolderWithFoldersFirstAndFiltersByMasks) {
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() == 6; }));
  EXPECT_EQ(Names(), (NameList{"adir", "zdir", "A.EXE", "b.exe", "c.txt", "d.bat"}));
  EXPECT_EQ(list_->FolderPath(), folder_);
  // Icons come from the system list.
  EXPECT_EQ(
      reinterpret_cast<HIMAGELIST>(SendMessageW(list_->Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
      SystemImageList(sisSmall));

  list_->SetFileFilter("*.exe");
  EXPECT_EQ(Names(), (NameList{"adir", "zdir", "A.EXE", "b.exe"}));
  list_->SetFileFilter("*.exe;*.bat");
  EXPECT_EQ(Names(), (NameList{"adir", "zdir", "A.EXE", "b.exe", "d.bat"}));
  list_->SetFileFilter("*.nothing; *.bat");  // a pattern matching nothing leaves the others
  EXPECT_EQ(Names(), (NameList{"adir", "zdir", "d.bat"}));
  list_->SetFileFilter("*.*");
  EXPECT_EQ(list_->Items().Count(), 6);
}

TEST_F(ShellListTest, VirtualFoldersAreNeverFiltered) {
  list_->SetFileFilter("*.exe");
  list_->Folder().SetSpecialFolder(CSIDL_DRIVES);
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() > 0; }));
  EXPECT_TRUE(list_->FolderPath().empty());
  bool sawDrive = false;
  for (int i = 0; i < list_->Items().Count(); ++i)
    sawDrive |= list_->ListData(list_->Items()[i])->Path().size() <= 3;
  EXPECT_TRUE(sawDrive);
}

// Where the window's order breaks the folder's own comparison of column `column` (negated as a
// whole when descending): the first pair out of order, or an empty text.
std::string OutOfFolderOrder(TRzShellList* list, int column, bool descending) {
  IShellFolder* folder = list->ShellFolder();
  for (int i = 1; i < list->Items().Count(); ++i) {
    TRzShellListData* a = list->ListData(list->Items()[i - 1]);
    TRzShellListData* b = list->ListData(list->Items()[i]);
    int order = CompareIdsResult(
        folder->CompareIDs(column, AsRelative(a->Relative()), AsRelative(b->Relative())));
    if (descending) order = -order;
    if (order > 0) return a->FileName() + " before " + b->FileName();
  }
  return {};
}

TEST_F(ShellListTest, HeaderClicksSortEachColumnBothWaysByTheFoldersOwnComparison) {
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() == 6; }));
  // The file system's own columns: name, size, type, modified (their captions are localised).
  ASSERT_GE(list_->Columns().Count(), 4);
  const int size = 1;
  for (int column = 1; column <= 3; ++column) {
    ClickHeader(column);
    EXPECT_EQ(list_->SortColumn(), column + 1);
    EXPECT_EQ(OutOfFolderOrder(list_, column, false), "") << "column " << column;
    ClickHeader(column);
    EXPECT_EQ(list_->SortColumn(), -(column + 1));
    EXPECT_EQ(OutOfFolderOrder(list_, column, true), "") << "column " << column;
  }

  ClickHeader(0);
  EXPECT_EQ(Names(), (NameList{"adir", "zdir", "A.EXE", "b.exe", "c.txt", "d.bat"}));
  ClickHeader(0);
  EXPECT_EQ(list_->SortColumn(), -1);
  // The whole order reversed: where the folder puts its folders first, they now come last.
  NameList reversed = Names();
  std::reverse(reversed.begin(), reversed.end());
  EXPECT_EQ(reversed, (NameList{"adir", "zdir", "A.EXE", "b.exe", "c.txt", "d.bat"}));
  EXPECT_EQ(OutOfFolderOrder(list_, 0, true), "");
  // The header marks the column and direction.
  HWND header = reinterpret_cast<HWND>(SendMessageW(list_->Handle(), LVM_GETHEADER, 0, 0));
  HDITEMW hd{};
  hd.mask = HDI_FORMAT;
  SendMessageW(header, HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&hd));
  EXPECT_TRUE(hd.fmt & HDF_SORTDOWN);

  // A handler that picks the order itself keeps it.
  list_->OnColumnClick = [&](TObject*, TListColumn*) { list_->SetSortColumn(size + 1); };
  ClickHeader(2);
  EXPECT_EQ(list_->SortColumn(), size + 1);
}

TEST_F(ShellListTest, DoubleClickAndEnterOpenFoldersAndBackspaceGoesUp) {
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() == 6; }));
  int changes = 0;
  list_->OnFolderChanged = [&](TObject*) { ++changes; };
  TListItem* zdir = Find("zdir");
  ASSERT_NE(zdir, nullptr);
  const RECT r = zdir->DisplayRect(LVIR_LABEL);
  const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  PostClick(list_->Handle(), centre);  // a double click is a click, then the second press
  PostClick(list_->Handle(), centre, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitUntil([&] { return list_->FolderPath() == Path("zdir"); }));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(list_->Items().Count(), 0);

  PostKey(VK_BACK);
  ASSERT_TRUE(WaitUntil([&] { return list_->FolderPath() == folder_; }));
  ASSERT_EQ(list_->Items().Count(), 6);

  list_->SetSelected(Find("adir"));
  PostKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return list_->FolderPath() == Path("adir"); }));

  // A list that must not change folders stays.
  list_->SetOptions(list_->Options() | sloDontChangeFolder);
  PostKey(VK_BACK);
  Application().ProcessMessages();
  EXPECT_EQ(list_->FolderPath(), Path("adir"));
}

TEST_F(ShellListTest, BackspaceInADriveRootGoesToMyComputer) {
  list_->SetFolderPath("C:\\");
  ASSERT_EQ(list_->FolderPath(), "C:\\");
  PostKey(VK_BACK);
  TRzPidl drives;
  ASSERT_HRESULT_SUCCEEDED(SpecialFolderLocation(nullptr, CSIDL_DRIVES, drives));
  ASSERT_TRUE(WaitUntil([&] { return IdListEqual(list_->FolderIdList(), drives.Get()); }));
  PostKey(VK_BACK);
  ASSERT_TRUE(WaitUntil([&] { return IdListItemCount(list_->FolderIdList()) == 0; }));
  PostKey(VK_BACK);  // nothing is above the desktop
  Application().ProcessMessages();
  EXPECT_EQ(IdListItemCount(list_->FolderIdList()), 0);
}

TEST_F(ShellListTest, ALinkedTreeOwnsTheFolderAndCanHideTheListsFolders) {
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() == 6; }));
  auto* tree = test::Place<TRzShellTree>(*form_, 8, 8, 150, 300);
  list_->SetBounds(160, 8, 450, 300);
  tree->BaseFolder().SetPath(folder_);
  list_->SetShellTree(tree);
  list_->SetFolderPath(folder_);  // the tree selects it too
  ASSERT_TRUE(WaitUntil([&] { return tree->SelectedPathName() == folder_; }));
  ASSERT_EQ(list_->Items().Count(), 6);

  list_->SetSelected(Find("zdir"));
  PostKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return list_->FolderPath() == Path("zdir"); }));
  EXPECT_EQ(tree->SelectedPathName(), Path("zdir"));
  PostKey(VK_BACK);  // the tree's selection moves up, and the list follows it
  ASSERT_TRUE(WaitUntil([&] { return list_->FolderPath() == folder_; }));
  EXPECT_EQ(tree->SelectedPathName(), folder_);
  PostKey(VK_BACK);  // the tree stops at its base folder
  Application().ProcessMessages();
  EXPECT_EQ(list_->FolderPath(), folder_);

  list_->SetOptions(list_->Options() | sloHideFoldersWhenLinkedToTree);
  EXPECT_EQ(Names(), (NameList{"A.EXE", "b.exe", "c.txt", "d.bat"}));
  list_->OnAddItem = [](TObject*, IShellFolder* folder, LPCITEMIDLIST, LPCITEMIDLIST item, SFGAOF,
                        bool& allow) {
    allow = PathFileName(ItemDisplayName(folder, item, snkForParsing)) != "d.bat";
  };
  list_->FillItems();
  EXPECT_EQ(Names(), (NameList{"A.EXE", "b.exe", "c.txt"}));
  list_->OnAddItem = nullptr;

  delete tree;  // the list forgets it
  EXPECT_EQ(list_->ShellTree(), nullptr);
  list_->FillItems();
  EXPECT_EQ(list_->Items().Count(), 6);
}

TEST_F(ShellListTest, ColumnWidthsCarryToTheNextFileSystemFolder) {
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() == 6; }));
  list_->Columns()[1]->SetWidth(137);
  list_->SetFolderPath(Path("zdir"));
  EXPECT_EQ(list_->Columns()[1]->Width(), 137);
  list_->Columns()[1]->SetWidth(90);
  list_->Folder().SetSpecialFolder(CSIDL_DRIVES);  // a virtual folder keeps its own
  list_->SetFolderPath(folder_);
  EXPECT_EQ(list_->Columns()[1]->Width(), 90);
}

TEST_F(ShellListTest, AShortcutShowsWhateverTheFilterAndOpensItsFolder) {
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() == 6; }));
  IShellLinkW* link = nullptr;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IShellLinkW, reinterpret_cast<void**>(&link)));
  ComPtr<IShellLinkW> owned(link);
  owned->SetPath(Wide(Path("zdir")).c_str());
  ComPtr<IPersistFile> file = owned.As<IPersistFile>(IID_IPersistFile);
  ASSERT_TRUE(file);
  ASSERT_HRESULT_SUCCEEDED(file->Save(Wide(Path("to zdir.lnk")).c_str(), TRUE));
  list_->RefreshItems();
  TListItem* shortcut = Find("to zdir.lnk");
  ASSERT_NE(shortcut, nullptr);
  EXPECT_EQ(shortcut->OverlayIndex(), 2);  // the shortcut arrow
  // As in the system's dialog: where a shortcut leads is known only once it is resolved.
  list_->SetFileFilter("*.exe");
  EXPECT_EQ(Find("c.txt"), nullptr);
  shortcut = Find("to zdir.lnk");
  ASSERT_NE(shortcut, nullptr);
  bool claimed = false;
  list_->OnDblClickOpen = [&](TObject*, bool&) { claimed = true; };
  list_->OpenItem(shortcut);
  EXPECT_EQ(list_->FolderPath(), Path("zdir"));
  EXPECT_FALSE(claimed);
}

TEST_F(ShellListTest, AFolderThatCannotBeReadLeavesThePreviousOneWhole) {
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() == 6; }));
  const NameList before = Names();
  TRzPidl shown = IdListCopy(list_->FolderIdList());
  // A folder gone after it was named: the nearest to an unreadable one a test can make.
  ASSERT_TRUE(CreateDirectoryW(Wide(Path("gone")).c_str(), nullptr));
  TRzPidl gone;
  ASSERT_HRESULT_SUCCEEDED(PathToIdList(Path("gone"), gone));
  ASSERT_TRUE(RemoveDirectoryW(Wide(Path("gone")).c_str()));
  bool raised = false;
  try {
    list_->SetFolderIdList(gone.Get());
  } catch (const std::exception&) {
    raised = true;
  }
  if (!raised) {
    EXPECT_EQ(list_->Items().Count(), 0);
    GTEST_SKIP() << "Wine's file-system folders enumerate a missing folder as an empty one; no "
                    "folder here makes the enumeration fail";
  }
  EXPECT_EQ(Names(), before);
  EXPECT_TRUE(IdListEqual(list_->FolderIdList(), shown.Get()));
  EXPECT_TRUE(IdListEqual(list_->Folder().IdList(), shown.Get()));
}

TEST_F(ShellListTest, ChangesInTheWatchedFolderRefreshByMerging) {
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() == 6; }));
  TListItem* kept = Find("c.txt");
  std::vector<std::string> deleted;
  list_->OnDeleteItem = [&](TObject*, TListItem*, TRzShellListData* data) {
    deleted.push_back(data->FileName());
  };
  Make("new.txt", 10, 5);
  ASSERT_TRUE(WaitUntil([&] { return Find("new.txt") != nullptr; }, std::chrono::seconds(15)));
  EXPECT_EQ(Find("c.txt"), kept);  // a merge, not a refill
  EXPECT_TRUE(deleted.empty());

  ASSERT_TRUE(DeleteFileW(Wide(Path("b.exe")).c_str()));
  ASSERT_TRUE(WaitUntil([&] { return Find("b.exe") == nullptr; }, std::chrono::seconds(15)));
  EXPECT_EQ(deleted, std::vector<std::string>{"b.exe"});
  EXPECT_EQ(Find("c.txt"), kept);
  // The merged items keep the order.
  EXPECT_EQ(Names(), (NameList{"adir", "zdir", "A.EXE", "c.txt", "d.bat", "new.txt"}));

  // A file that grew stays the same item and shows its new size after a refresh.
  const std::string before = list_->ListData(kept)->ColumnText(1);
  Make("c.txt", 40000, 2);
  list_->RefreshItems();
  EXPECT_EQ(Find("c.txt"), kept);
  EXPECT_NE(list_->ListData(kept)->ColumnText(1), before);
}

TEST_F(ShellListTest, RenamingAndNewFoldersGoThroughTheShell) {
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() == 6; }));
  TListItem* c = Find("c.txt");
  list_->SetSelected(c);
  PostKey(VK_F2);
  ASSERT_TRUE(WaitUntil([&] { return list_->IsEditing(); }));
  SetWindowTextW(list_->EditHandle(), L"renamed.txt");
  list_->EndEditing(false);
  ASSERT_TRUE(WaitUntil([&] { return !list_->IsEditing(); }));
  EXPECT_NE(GetFileAttributesW(Wide(Path("renamed.txt")).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(Wide(Path("c.txt")).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(list_->ListData(c)->FileName(), "renamed.txt");

  ASSERT_TRUE(list_->CreateNewFolder(true));
  EXPECT_TRUE(GetFileAttributesW(Wide(Path("New Folder")).c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_TRUE(WaitUntil([&] { return list_->IsEditing(); }));
  EXPECT_EQ(list_->ListData(list_->ItemFocused())->FileName(), "New Folder");
  list_->EndEditing(true);
}

TEST_F(ShellListTest, NewFoldersOnTheDesktopShowOnceTheShellListsThemAndTheLastIsEdited) {
  const std::string desktop = SpecialFolderPath(nullptr, CSIDL_DESKTOPDIRECTORY);
  ASSERT_FALSE(desktop.empty());
  const std::vector<std::string> names{"New Folder", "New Folder (2)", "New Folder (3)"};
  auto removeAll = [&] {
    for (const std::string& name : names) RemoveDirectoryW(Wide(desktop + "\\" + name).c_str());
  };
  removeAll();
  struct Cleanup {
    std::function<void()> run;
    ~Cleanup() { run(); }
  } cleanup{removeAll};
  list_->SetFolderIdList(nullptr);
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() > 0; }));
  ASSERT_EQ(IdListItemCount(list_->FolderIdList()), 0);
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_TRUE(list_->CreateNewFolder(true)) << names[i];
    ASSERT_TRUE(WaitUntil([&] { return list_->IsEditing(); })) << names[i];
    EXPECT_EQ(list_->ListData(list_->ItemFocused())->DisplayName(), names[i]);
    if (i + 1 < names.size()) list_->EndEditing(true);
  }
  list_->EndEditing(true);
  for (const std::string& name : names) {
    bool listed = false;
    for (int i = 0; i < list_->Items().Count(); ++i)
      listed |= list_->ListData(list_->Items()[i])->DisplayName() == name;
    EXPECT_TRUE(listed) << name;
  }
}

TEST_F(ShellListTest, ShowHiddenDecidesWhetherHiddenFilesAppearAndTheyAreDrawnCut) {
  Make("secret.txt", 1, 1);
  SetFileAttributesW(Wide(Path("secret.txt")).c_str(), FILE_ATTRIBUTE_HIDDEN);
  list_->FillItems();
  TListItem* secret = Find("secret.txt");
  ASSERT_NE(secret, nullptr);
  EXPECT_TRUE(secret->Cut());
  list_->SetOptions(list_->Options() & ~sloShowHidden);
  EXPECT_EQ(Find("secret.txt"), nullptr);
}

TEST_F(ShellListTest, FilesDroppedOnTheListGoToItsFolderAndAreListed) {
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() == 6; }));
  test::ScratchDir source;
  const std::string sourceFolder = source.Folder();
  ASSERT_TRUE(test::MakeFile(sourceFolder + "\\dropped.txt"));
  TRzPidl parent;
  ASSERT_HRESULT_SUCCEEDED(PathToIdList(sourceFolder, parent));
  TShellFolderPtr parentFolder;
  ASSERT_HRESULT_SUCCEEDED(BindToFolder(parent.Get(), parentFolder));
  TRzPidl file;
  ASSERT_HRESULT_SUCCEEDED(PathToIdList(sourceFolder + "\\dropped.txt", file));
  ComPtr<IDataObject> data =
      TDataObject::CreateForItems(parent.Get(), parentFolder.Get(), {IdListLastItem(file.Get())});
  ASSERT_TRUE(data);

  // Over the list's empty part: the drop goes to the folder shown. No button is down, so the
  // drag drops at its first question.
  POINT p{list_->Width() - 40, list_->Height() - 40};
  ClientToScreen(list_->Handle(), &p);
  SetCursorPos(p.x, p.y);
  DWORD effect = 0;
  const HRESULT hr =
      DoShellDragDrop(data.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, MK_LBUTTON, &effect);
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  EXPECT_EQ(hr, DRAGDROP_S_DROP);
  EXPECT_NE(effect, static_cast<DWORD>(DROPEFFECT_NONE));  // the folder's target took it
  if (GetFileAttributesW(Wide(Path("dropped.txt")).c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "the shell's folder drop target accepted the drop without copying (Wine)";
  ASSERT_TRUE(WaitUntil([&] { return Find("dropped.txt") != nullptr; }));
}

// A data object of one file of the list's folder, as a drag of it carries.
ComPtr<IDataObject> DataOfFile(const std::string& path) {
  TRzPidl file;
  if (FAILED(PathToIdList(path, file))) return {};
  TRzIdListArray parts(file.Get());
  TRzPidl parent = IdListCopy(parts.Ancestor(1));
  return TDataObject::CreateForItems(parent.Get(), nullptr, {IdListLastItem(file.Get())});
}

TEST_F(ShellListTest, ADragOverAnswersScrollAndScrollsTheListNearItsEdge) {
  for (int i = 0; i < 60; ++i) Make("f" + std::to_string(100 + i) + ".txt", 10, 1);
  list_->FillItems();
  ASSERT_EQ(list_->Items().Count(), 66);
  ComPtr<IDataObject> data = DataOfFile(Path("c.txt"));
  ASSERT_TRUE(data);
  ComPtr<TDropTarget> target = TDropTarget::Create(list_);
  auto screen = [&](int x, int y) {
    POINT p{x, y};
    ClientToScreen(list_->Handle(), &p);
    return POINTL{p.x, p.y};
  };
  auto topIndex = [&] { return SendMessageW(list_->Handle(), LVM_GETTOPINDEX, 0, 0); };
  DWORD effect = DROPEFFECT_COPY;
  ASSERT_HRESULT_SUCCEEDED(
      target->DragEnter(data.Get(), MK_LBUTTON, screen(300, list_->ClientHeight() / 2), &effect));
  EXPECT_EQ(topIndex(), 0);
  effect = DROPEFFECT_COPY;
  ASSERT_HRESULT_SUCCEEDED(
      target->DragOver(MK_LBUTTON, screen(300, list_->ClientHeight() / 2), &effect));
  EXPECT_TRUE(effect & DROPEFFECT_SCROLL);
  EXPECT_EQ(topIndex(), 0);  // away from the edges nothing moves
  effect = DROPEFFECT_COPY;
  ASSERT_HRESULT_SUCCEEDED(
      target->DragOver(MK_LBUTTON, screen(300, list_->ClientHeight() - 5), &effect));
  EXPECT_TRUE(effect & DROPEFFECT_SCROLL);
  EXPECT_GT(topIndex(), 0);
  target->DragLeave();
}

// A list whose drop targets are one recorder of the test's, over every item, once offered.
class RecordedDropList : public TRzShellList {
 public:
  using TRzShellList::TRzShellList;
  ComPtr<IDropTarget> DropTargetAt(POINTL point, TListItem*& item) override {
    const POINT client = ScreenToClient(POINT{point.x, point.y});
    item = offered ? ItemAt(client.x, client.y) : nullptr;
    return item ? ComPtr<IDropTarget>::AddRefOf(&recorder) : ComPtr<IDropTarget>();
  }
  bool offered = false;
  test::RecordingDropTarget recorder{DROPEFFECT_COPY};
};

TEST_F(ShellListTest, NoInnerTargetHearsOfADragItNeverSawEnter) {
  auto* list = test::Place<RecordedDropList>(*form_, 8, 8, 610, 300);
  list->SetViewStyle(vsReport);
  list->SetFolderPath(folder_);
  ASSERT_TRUE(WaitUntil([&] { return list->Items().Count() == 6; }));
  ComPtr<IDataObject> data = DataOfFile(Path("c.txt"));
  ComPtr<TDropTarget> target = TDropTarget::Create(list);
  const RECT r = list->Items()[0]->DisplayRect(LVIR_LABEL);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(list->Handle(), &p);
  const POINTL over{p.x, p.y};

  // The drag entered where no target was; the item's target appears only for the drop.
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(data.Get(), MK_LBUTTON, over, &effect);
  EXPECT_TRUE(list->recorder.calls.empty());
  list->offered = true;
  effect = DROPEFFECT_COPY;
  target->Drop(data.Get(), 0, over, &effect);
  EXPECT_EQ(list->recorder.calls, (std::vector<std::string>{"enter", "over", "drop"}));
  EXPECT_EQ(list->recorder.keys.back(), static_cast<DWORD>(MK_LBUTTON));  // the entering button

  // Over without a drag that entered the list: nothing is passed on.
  list->recorder.calls.clear();
  effect = DROPEFFECT_COPY;
  target->DragOver(MK_LBUTTON, over, &effect);
  EXPECT_TRUE(list->recorder.calls.empty());
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_SCROLL));
}

TEST_F(ShellListTest, CustomFrameAndFocusColourFollowTheSettings) {
  list_->SetFramingPreference(fpCustomFraming);
  list_->SetFrameStyle(fsFlat);
  list_->SetFrameColor(clRed);
  list_->SetFrameVisible(true);
  list_->SetFocusColor(clYellow);
  RedrawWindow(list_->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = GetWindowDC(list_->Handle());
  const COLORREF corner = GetPixel(dc, 0, list_->Height() / 2);
  ReleaseDC(list_->Handle(), dc);
  EXPECT_EQ(corner, RGB(255, 0, 0));

  const auto background = [&] {
    return static_cast<COLORREF>(SendMessageW(list_->Handle(), LVM_GETBKCOLOR, 0, 0));
  };
  SetFocus(nullptr);
  EXPECT_EQ(background(), GetSysColor(COLOR_WINDOW));
  SetFocus(list_->Handle());
  EXPECT_EQ(background(), RGB(255, 255, 0));
  SetFocus(nullptr);
  EXPECT_EQ(background(), GetSysColor(COLOR_WINDOW));
}

}  // namespace
}  // namespace kovra
