// The shell tree on real windows over a scratch folder tree: filling, lazy expansion, selection
// by path, refresh from the change thread, renaming, new folders, drops and its look.
#include "shell/RzShellTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/runtime/Text.h"
#include "support/Desktop.h"
#include "support/Pump.h"
#include "support/TestForm.h"
#include "support/TestPaths.h"
#include "ShellTestSupport.h"

namespace kovra {
namespace {

using test::ChildNode;
using test::ChildTexts;
using test::PumpUntil;
using test::SendKeys;

class RecordingFollower : public IRzShellTreeFollower {
 public:
  void ShellTreeFolderChanged(TRzCustomShellTree*, LPCITEMIDLIST folder) override {
    paths.push_back(IdListToPath(folder));
  }
  void ShellTreeLinked(TRzCustomShellTree*) override { linked = true; }
  void ShellTreeUnlinked(TRzCustomShellTree*) override { unlinked = true; }
  bool linked = false;
  std::vector<std::string> paths;
  bool unlinked = false;
};

class ShellTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = Narrow(scratch_.Path());  // ends in a backslash
    for (const char* dir : {"alpha", "alpha\\one", "alpha\\one\\deep", "beta", "gamma"})
      ASSERT_TRUE(CreateDirectoryW(Wide(root_ + dir).c_str(), nullptr)) << dir;
    ASSERT_TRUE(test::MakeFile(root_ + "alpha\\note.txt", 1));
    form_ = test::NewForm(40, 40, 360, 420);
    tree_ = test::Place<TRzShellTree>(*form_, 8, 8, 320, 360);
    tree_->SetWatchFolders({root_});
    tree_->BaseFolder().SetPath(root_);
    test::ShowInFront(*form_);
    tree_->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return tree_->Items().Count() > 0; }));
  }
  void TearDown() override {
    form_.reset();
    test::ParkCursor();
  }

  bool DirExists(const std::string& path) {
    const DWORD a = GetFileAttributesW(Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }

  test::ScratchDir scratch_;
  std::string root_;
  std::unique_ptr<TForm> form_;
  TRzShellTree* tree_ = nullptr;
};

TEST_F(ShellTreeTest, FillsFromTheBaseFolderAndExpandsFoldersOnlyWhenOpened) {
  TTreeNode* root = tree_->RootNode();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Text(), std::string(PathFileName(root_.substr(0, root_.size() - 1))));
  EXPECT_TRUE(root->Expanded());
  EXPECT_EQ(ChildTexts(root), (std::vector<std::string>{"alpha", "beta", "gamma"}));
  TTreeNode* alpha = ChildNode(root, "alpha");
  ASSERT_NE(alpha, nullptr);
  EXPECT_EQ(alpha->Count(), 0);  // not read yet
  EXPECT_TRUE(alpha->HasChildren());
  EXPECT_EQ(tree_->Selected(), root);
  EXPECT_EQ(tree_->SelectedPathName() + "\\", root_);

  std::vector<std::string> inserted;
  tree_->OnInsertItem = [&](TObject*, TTreeNode* node) { inserted.push_back(node->Text()); };
  tree_->SetSelected(alpha);
  SendKeys({VK_RIGHT});
  ASSERT_TRUE(PumpUntil([&] { return alpha->Expanded(); }));
  EXPECT_EQ(ChildTexts(alpha), std::vector<std::string>{"one"});  // folders only
  EXPECT_EQ(inserted, std::vector<std::string>{"one"});
  tree_->OnInsertItem = nullptr;

  // Files join as nodes when asked for; a folder without subfolders loses its button on opening.
  tree_->SetOptions(tree_->Options() | stoIncludeNonFolders);
  EXPECT_NE(ChildNode(alpha, "note.txt"), nullptr);
  TTreeNode* beta = ChildNode(root, "beta");
  ASSERT_NE(beta, nullptr);
  beta->Expand(false);
  EXPECT_EQ(beta->Count(), 0);
  EXPECT_FALSE(beta->HasChildren());
}

TEST_F(ShellTreeTest, AnEmptyBaseFolderGivesTheDesktopAsRoot) {
  tree_->BaseFolder().SetIdList(nullptr);
  tree_->FillTree();
  TTreeNode* root = tree_->RootNode();
  ASSERT_NE(root, nullptr);
  EXPECT_TRUE(TRzCustomShellTree::NodeData(root)->IsDesktop());
  EXPECT_FALSE(root->Text().empty());
  EXPECT_GT(root->Count(), 0);  // My Computer at least
  EXPECT_FALSE(TRzCustomShellTree::NodeData(root)->CanRename());
}

TEST_F(ShellTreeTest, SelectingAPathBuildsTheWayAndTheFollowersComeAlong) {
  RecordingFollower list;
  tree_->SetShellList(&list);
  EXPECT_TRUE(list.linked);
  ASSERT_EQ(list.paths.size(), 1u);  // told the current folder when linked
  tree_->SelectedFolder().SetPath(root_ + "alpha\\one\\deep");
  TTreeNode* selected = tree_->Selected();
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->Text(), "deep");
  EXPECT_EQ(selected->Level(), 3);
  EXPECT_TRUE(selected->Parent()->Expanded());
  EXPECT_EQ(tree_->SelectedPathName(), root_ + "alpha\\one\\deep");
  // Set by program: the list follows at once.
  EXPECT_EQ(list.paths.back(), root_ + "alpha\\one\\deep");

  tree_->GoUp(2);
  EXPECT_EQ(tree_->Selected()->Text(), "alpha");
  EXPECT_EQ(tree_->SelectedFolder().Path(), root_ + "alpha");
  tree_->GoUp(10);  // stops at the root
  EXPECT_EQ(tree_->Selected(), tree_->RootNode());

  // Browsing by keys: the list waits until the selection rests.
  const size_t before = list.paths.size();
  SendKeys({VK_DOWN});
  ASSERT_TRUE(PumpUntil([&] { return tree_->Selected() != tree_->RootNode(); }));
  EXPECT_EQ(list.paths.size(), before);
  ASSERT_TRUE(PumpUntil([&] { return list.paths.size() > before; }, std::chrono::seconds(3)));
  EXPECT_EQ(list.paths.back(), root_ + "alpha");

  // A path that cannot be parsed names the desktop, above the base: the root is selected.
  tree_->SelectedFolder().SetPath(root_ + "beta\\missing");
  EXPECT_EQ(tree_->Selected(), tree_->RootNode());

  tree_->SetShellList(nullptr);
  EXPECT_TRUE(list.unlinked);
}

TEST_F(ShellTreeTest, FolderChangesOnDiskRefreshTheTreeOnce) {
  ASSERT_TRUE(tree_->Watching());
  int fills = 0;
  tree_->OnFillComplete = [&](TObject*) { ++fills; };
  TTreeNode* root = tree_->RootNode();
  tree_->SetSelected(ChildNode(root, "gamma"));
  ASSERT_TRUE(CreateDirectoryW(Wide(root_ + "delta").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Wide(root_ + "epsilon").c_str(), nullptr));
  ASSERT_TRUE(RemoveDirectoryW(Wide(root_ + "gamma").c_str()));
  ASSERT_TRUE(PumpUntil([&] { return ChildNode(root, "epsilon") && !ChildNode(root, "gamma"); }));
  EXPECT_EQ(ChildTexts(root), (std::vector<std::string>{"alpha", "beta", "delta", "epsilon"}));
  EXPECT_EQ(tree_->Selected(), root);  // the selection left with its folder
  const int after = fills;
  Application().ProcessMessages();
  EXPECT_LE(after, 2);  // the burst of changes gave one refresh (two at most across a tick)
  tree_->OnFillComplete = nullptr;
}

TEST_F(ShellTreeTest, RefreshKeepsTheNodesThatStillExistAndTheirExpansion) {
  TTreeNode* root = tree_->RootNode();
  TTreeNode* alpha = ChildNode(root, "alpha");
  alpha->Expand(false);
  TTreeNode* one = ChildNode(alpha, "one");
  ASSERT_NE(one, nullptr);
  std::vector<std::string> deleted;
  tree_->OnDeleteItem = [&](TObject*, TTreeNode* node, TRzShellTreeData* data) {
    EXPECT_NE(data, nullptr);
    deleted.push_back(node->Text());
  };
  tree_->SetOptions(tree_->Options() & ~stoDynamicRefresh);
  EXPECT_FALSE(tree_->Watching());
  ASSERT_TRUE(CreateDirectoryW(Wide(root_ + "alpha\\two").c_str(), nullptr));
  ASSERT_TRUE(RemoveDirectoryW(Wide(root_ + "beta").c_str()));
  tree_->SetSelected(alpha);
  SendKeys({VK_F5});
  ASSERT_TRUE(PumpUntil([&] { return ChildNode(alpha, "two") != nullptr; }));
  EXPECT_EQ(ChildNode(alpha, "one"), one);  // the same node, not a rebuilt one
  EXPECT_TRUE(alpha->Expanded());
  EXPECT_EQ(deleted, std::vector<std::string>{"beta"});
  EXPECT_EQ(tree_->Selected(), alpha);
  tree_->OnDeleteItem = nullptr;  // the tree outlives `deleted`
}

TEST_F(ShellTreeTest, AddItemCanVetoAndVirtualFoldersCanBeHidden) {
  tree_->OnAddItem = [](TObject*, IShellFolder*, LPCITEMIDLIST, LPCITEMIDLIST, SFGAOF attributes,
                        bool& allow) {
    EXPECT_TRUE(attributes & SFGAO_FOLDER);
    allow = false;
  };
  tree_->FillTree();
  EXPECT_EQ(tree_->RootNode()->Count(), 0);
  EXPECT_FALSE(tree_->RootNode()->HasChildren());

  tree_->OnAddItem = nullptr;
  tree_->SetOptions(tree_->Options() & ~stoVirtualFolders);
  tree_->BaseFolder().SetIdList(nullptr);  // the desktop: its virtual items drop out
  TTreeNode* root = tree_->RootNode();
  for (TTreeNode* c = root->GetFirstChild(); c; c = c->GetNextSibling()) {
    TRzShellTreeData* data = TRzCustomShellTree::NodeData(c);
    EXPECT_TRUE(ItemAttributes(data->ParentShellFolder(), data->ChildIdList(),
                               SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR) != 0)
        << c->Text();
  }
}

TEST_F(ShellTreeTest, AChangeDuringALabelEditRefreshesOnceTheEditEnds) {
  TTreeNode* root = tree_->RootNode();
  ASSERT_TRUE(ChildNode(root, "gamma")->EditText());
  ASSERT_TRUE(CreateDirectoryW(Wide(root_ + "later").c_str(), nullptr));
  ASSERT_TRUE(PumpUntil([&] { return tree_->RefreshDeferred(); }));
  EXPECT_EQ(ChildNode(root, "later"), nullptr);
  SendKeys({VK_ESCAPE});  // cancelled: nothing renamed, but the change is not lost
  ASSERT_TRUE(PumpUntil([&] { return ChildNode(root, "later") != nullptr; }));
}

TEST_F(ShellTreeTest, RenamingAnOpenFolderMovesThePathsOfEverythingBelow) {
  TTreeNode* alpha = ChildNode(tree_->RootNode(), "alpha");
  alpha->Expand(false);
  TTreeNode* one = ChildNode(alpha, "one");
  EXPECT_EQ(TRzCustomShellTree::NodeData(one)->Path(), root_ + "alpha\\one");
  ASSERT_TRUE(alpha->EditText());
  SetWindowTextW(tree_->EditHandle(), L"omega");
  SendKeys({VK_RETURN});
  ASSERT_TRUE(PumpUntil([&] { return !tree_->IsEditing(); }));
  EXPECT_EQ(alpha->Text(), "omega");
  EXPECT_EQ(TRzCustomShellTree::NodeData(one)->Path(), root_ + "omega\\one");
  one->Expand(false);  // binds through the new name
  EXPECT_NE(ChildNode(one, "deep"), nullptr);
}

TEST_F(ShellTreeTest, CtrlCRunsTheShellsCopyVerbOnTheSelectedFolder) {
  OleSetClipboard(nullptr);
  tree_->SetSelected(ChildNode(tree_->RootNode(), "beta"));
  EXPECT_FALSE(tree_->DoCommandForNode(tree_->RootNode(), "copy"));  // never on the root
  EXPECT_FALSE(tree_->DoCommandForNode(tree_->Selected(), "no such verb"));
  SendKeys({VK_CONTROL, 'C'});
  ASSERT_TRUE(PumpUntil([&] {
    return IsClipboardFormatAvailable(static_cast<UINT>(ShellIdListFormat())) != FALSE;
  })) << "the copy verb left no shell items on the clipboard";
  ComPtr<IDataObject> data;
  ASSERT_HRESULT_SUCCEEDED(OleGetClipboard(data.Put()));
  const auto array = ReadIdListArray(data.Get());
  ASSERT_TRUE(array);
  EXPECT_EQ(array->Items.size(), 1u);
  OleSetClipboard(nullptr);
}

TEST_F(ShellTreeTest, RenamingANodeRenamesTheFolderAndKeepsItsPlace) {
  TTreeNode* root = tree_->RootNode();
  TTreeNode* beta = ChildNode(root, "beta");
  ASSERT_NE(beta, nullptr);
  tree_->SetSelected(beta);
  SendKeys({VK_F2});
  ASSERT_TRUE(PumpUntil([&] { return tree_->IsEditing(); }));
  SetWindowTextW(tree_->EditHandle(), L"  zeta ");
  SendKeys({VK_RETURN});
  ASSERT_TRUE(PumpUntil([&] { return !tree_->IsEditing(); }));
  EXPECT_TRUE(DirExists(root_ + "zeta"));
  EXPECT_FALSE(DirExists(root_ + "beta"));
  EXPECT_EQ(beta->Text(), "zeta");
  EXPECT_EQ(ChildTexts(root), (std::vector<std::string>{"alpha", "gamma", "zeta"}));
  EXPECT_EQ(tree_->SelectedFolder().Path(), root_ + "zeta");
  EXPECT_EQ(TRzCustomShellTree::NodeData(beta)->Path(), root_ + "zeta");

  // The same name again: the node stays.
  ASSERT_TRUE(beta->EditText());
  SendKeys({VK_RETURN});
  ASSERT_TRUE(PumpUntil([&] { return !tree_->IsEditing(); }));
  EXPECT_EQ(ChildNode(root, "zeta"), beta);
  // The root is never renamed.
  EXPECT_FALSE(root->EditText());
}

TEST_F(ShellTreeTest, NewFoldersTakeTheNextFreeNameAndOpenForEditing) {
  tree_->SetSelected(ChildNode(tree_->RootNode(), "gamma"));
  TTreeNode* gamma = tree_->Selected();
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(tree_->CreateNewFolder());
    ASSERT_TRUE(tree_->IsEditing());
    if (i < 2) gamma->GetFirstChild()->EndEdit(true);
  }
  EXPECT_EQ(ChildTexts(gamma),
            (std::vector<std::string>{"New Folder", "New Folder (2)", "New Folder (3)"}));
  EXPECT_TRUE(DirExists(root_ + "gamma\\New Folder (3)"));
  SendKeys({VK_ESCAPE});
  ASSERT_TRUE(PumpUntil([&] { return !tree_->IsEditing(); }));
}

// The user's desktop folder without the new folders a test makes there, before and after.
class DesktopNewFolders {
 public:
  DesktopNewFolders() : desktop_(SpecialFolderPath(nullptr, CSIDL_DESKTOPDIRECTORY)) { Remove(); }
  ~DesktopNewFolders() { Remove(); }
  DesktopNewFolders(const DesktopNewFolders&) = delete;
  DesktopNewFolders& operator=(const DesktopNewFolders&) = delete;
  const std::string& Path() const { return desktop_; }

 private:
  void Remove() {
    for (const char* name : {"New Folder", "New Folder (2)", "New Folder (3)"})
      RemoveDirectoryW(Wide(desktop_ + "\\" + name).c_str());
  }
  std::string desktop_;
};

TEST_F(ShellTreeTest, NewFoldersOnTheDesktopShowOnceTheShellListsThemAndTheLastIsEdited) {
  DesktopNewFolders made;
  ASSERT_FALSE(made.Path().empty());
  tree_->BaseFolder().SetIdList(nullptr);
  TTreeNode* root = tree_->RootNode();
  ASSERT_TRUE(TRzCustomShellTree::NodeData(root)->IsDesktop());
  tree_->SetSelected(root);
  const std::vector<std::string> names{"New Folder", "New Folder (2)", "New Folder (3)"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_TRUE(tree_->CreateNewFolder());
    ASSERT_TRUE(tree_->IsEditing()) << names[i];
    wchar_t text[64] = {};
    GetWindowTextW(tree_->EditHandle(), text, 64);
    EXPECT_EQ(Narrow(text), names[i]);
    if (i + 1 == names.size()) break;
    root->EndEdit(true);
    tree_->SetSelected(root);
  }
  for (const std::string& name : names) EXPECT_NE(ChildNode(root, name), nullptr) << name;
  SendKeys({VK_ESCAPE});
  ASSERT_TRUE(PumpUntil([&] { return !tree_->IsEditing(); }));
}

TEST_F(ShellTreeTest, DroppingAFileOnAFolderNodeHandsItToTheShell) {
  std::ofstream(Wide(root_ + "dropped.txt").c_str()) << "payload";
  TRzPidl rootList, file;
  ASSERT_HRESULT_SUCCEEDED(PathToIdList(root_, rootList));
  ASSERT_HRESULT_SUCCEEDED(PathToIdList(root_ + "dropped.txt", file));
  ComPtr<IDataObject> data =
      TDataObject::CreateForItems(rootList.Get(), nullptr, {IdListLastItem(file.Get())});
  ASSERT_TRUE(data);

  TTreeNode* beta = ChildNode(tree_->RootNode(), "beta");
  const RECT r = beta->DisplayRect(true);
  const POINT screen = tree_->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  const POINTL at{screen.x, screen.y};
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_HRESULT_SUCCEEDED(tree_->OleDragEnter(data.Get(), MK_LBUTTON, at, &effect));
  EXPECT_EQ(tree_->DropTarget(), beta);
  effect = DROPEFFECT_COPY;
  ASSERT_HRESULT_SUCCEEDED(tree_->OleDragOver(MK_LBUTTON, at, &effect));
  EXPECT_TRUE(effect & DROPEFFECT_SCROLL);
  int refreshes = 0;
  tree_->OnFillComplete = [&](TObject*) { ++refreshes; };
  effect = DROPEFFECT_COPY;
  ASSERT_HRESULT_SUCCEEDED(tree_->OleDrop(data.Get(), 0, at, &effect));
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));  // the shell's answer, passed back
  EXPECT_EQ(tree_->DropTarget(), nullptr);
  EXPECT_GE(refreshes, 1);
  tree_->OnFillComplete = nullptr;
  // Wine's folder drop target accepts the drop but copies nothing.
  if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
    EXPECT_TRUE(PumpUntil([&] {
      return GetFileAttributesW(Wide(root_ + "beta\\dropped.txt").c_str()) !=
             INVALID_FILE_ATTRIBUTES;
    }));
  }

  // The root node is no drop target.
  const RECT rr = tree_->RootNode()->DisplayRect(true);
  const POINT rs = tree_->ClientToScreen(POINT{rr.left + 2, (rr.top + rr.bottom) / 2});
  effect = DROPEFFECT_COPY;
  tree_->OleDragEnter(data.Get(), MK_LBUTTON, POINTL{rs.x, rs.y}, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  tree_->OleDragLeave();
}

// Under Wine a tree view showing the shell's image list draws no texts (a bare system tree
// view does the same), so only the icons are checked; KOVRA_SHOT_DIR keeps a capture.
TEST_F(ShellTreeTest, DrawsItsNodesWithTheSystemIcons) {
  tree_->SelectedFolder().SetPath(root_ + "alpha\\one");
  tree_->Repaint();
  Application().ProcessMessages();
  const HWND wnd = tree_->Handle();
  RECT client;
  GetClientRect(wnd, &client);
  TBitmap shot(client.right, client.bottom);
  {
    WindowDC dc(wnd);
    UpdateWindow(wnd);
    BitBlt(shot.Canvas().Handle(), 0, 0, client.right, client.bottom, dc.Get(), 0, 0, SRCCOPY);
  }
  GdiFlush();
  // The icon column of the root row holds more than the background colour.
  const RECT row = tree_->RootNode()->DisplayRect(false);
  const RECT text = tree_->RootNode()->DisplayRect(true);
  int coloured = 0;
  for (int y = row.top; y < row.bottom; ++y)
    for (int x = std::max(0L, text.left - 18); x < text.left; ++x)
      if ((shot.ScanLine(y)[x] & 0xFFFFFF) != 0xFFFFFF) ++coloured;
  EXPECT_GT(coloured, 20);
  if (const char* dir = std::getenv("KOVRA_SHOT_DIR"))
    shot.SaveToFile(std::string(dir) + "\\shell-tree.bmp");
}

}  // namespace
}  // namespace kovra
