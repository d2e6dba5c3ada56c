#include "shell/RzShellCombo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "shell/RzShellLogic.h"
#include "support/TestForm.h"
#include "support/TestPaths.h"
#include "support/Wait.h"

namespace kovra {
namespace {

using test::WaitUntil;

// A scratch folder holding A\B, with a combo and a list on a shown form.
class ShellComboTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = scratch_.Folder();
    a_ = root_ + "\\A";
    b_ = a_ + "\\B";
    ASSERT_TRUE(CreateDirectoryW(Wide(a_).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Wide(b_).c_str(), nullptr));
    form_ = test::NewForm(20, 20, 520, 420);
    combo_ = test::Place<TRzShellCombo>(*form_, 8, 8, 480, 22);
    list_ = test::Place<TRzShellList>(*form_, 8, 300, 480, 80);
    form_->Show();
    Application().ProcessMessages();
  }
  void TearDown() override {
    combo_->OnChange = nullptr;
    combo_->OnDeleteItem = nullptr;
    form_.reset();
  }

  int IndexOf(LPCITEMIDLIST absolute) const {
    for (int i = 0; i < combo_->Items().Count(); ++i)
      if (IdListEqual(combo_->EntryData(i)->Absolute(), absolute)) return i;
    return -1;
  }
  int IndexOfPath(const std::string& path) const {
    TRzPidl list;
    if (FAILED(PathToIdList(path, list))) return -1;
    return IndexOf(list.Get());
  }
  int Indent(int index) const { return combo_->ImageItem(index)->IndentLevel(); }
  std::string Caption(int index) {
    combo_->LoadItemData(index);
    return combo_->ImageItem(index)->Caption();
  }
  std::string SelectedCaption() { return Caption(combo_->ItemIndex()); }

  test::ScratchDir scratch_;
  std::string root_, a_, b_;
  std::unique_ptr<TForm> form_;
  TRzShellCombo* combo_ = nullptr;
  TRzShellList* list_ = nullptr;
};

TEST_F(ShellComboTest, ListsTheDesktopItsFoldersTheDrivesAndThePathDownToTheFolder) {
  combo_->SelectedFolder().SetPath(b_);
  const int count = combo_->Items().Count();
  ASSERT_GT(count, 3);

  // The desktop first, named and with an icon, its folders at indent 1.
  EXPECT_EQ(Indent(0), 0);
  EXPECT_EQ(IdListItemCount(combo_->EntryData(0)->Absolute()), 0);
  EXPECT_FALSE(Caption(0).empty());
  EXPECT_GE(combo_->ImageItem(0)->ImageIndex(), 0);

  TRzPidl drives;
  ASSERT_TRUE(SUCCEEDED(SpecialFolderLocation(nullptr, CSIDL_DRIVES, drives)));
  const int myComputer = IndexOf(drives.Get());
  ASSERT_GT(myComputer, 0);
  EXPECT_EQ(Indent(myComputer), 1);
  for (int i = 1; i < myComputer; ++i) EXPECT_EQ(Indent(i), 1) << Caption(i);

  // Drive C right below My Computer's entry or among its drives, and the way down to B below C.
  const int driveC = IndexOfPath("C:\\");
  ASSERT_GT(driveC, myComputer);
  EXPECT_EQ(Indent(driveC), 2);
  for (int i = myComputer + 1; i < driveC; ++i) EXPECT_EQ(Indent(i), 2) << Caption(i);

  const int selected = combo_->ItemIndex();
  ASSERT_GT(selected, driveC + 1);
  EXPECT_EQ(combo_->SelectedPathName(), b_);
  EXPECT_EQ(combo_->EntryData(selected)->Path(), b_);
  EXPECT_EQ(SelectedCaption(), "B");
  EXPECT_GE(combo_->ImageItem(selected)->ImageIndex(), 0);  // filled at once, open icon
  EXPECT_EQ(combo_->EntryData(selected - 1)->Path(), a_);
  EXPECT_EQ(Caption(selected - 1), "A");
  // One entry per folder between C: and B, each one deeper than the last, named for its folder.
  std::string path = b_;
  for (int i = selected; i > driveC; --i) {
    EXPECT_EQ(Indent(i), Indent(driveC) + (i - driveC));
    EXPECT_EQ(combo_->EntryData(i)->Path(), path);
    EXPECT_EQ(Caption(i), std::string(PathFileName(path)));
    path = path.substr(0, path.rfind('\\'));
  }
  EXPECT_EQ(path, "C:");

  // The remaining drives follow the chain; nothing after them is deeper than a drive.
  for (int i = selected + 1; i < count && Indent(i) > 1; ++i) EXPECT_EQ(Indent(i), 2);
}

TEST_F(ShellComboTest, WithoutAFolderTheDesktopIsSelectedAndUpGoesNowhere) {
  ASSERT_GT(combo_->Items().Count(), 1);  // filled when the window was made
  EXPECT_EQ(combo_->ItemIndex(), 0);
  int changes = 0;
  combo_->OnChange = [&](TObject*) { ++changes; };
  combo_->GoUp(1);
  EXPECT_EQ(combo_->ItemIndex(), 0);
  EXPECT_EQ(changes, 0);
}

TEST_F(ShellComboTest, GoingUpFollowsTheIndentsAndMovesTheLinkedList) {
  combo_->SetShellList(list_);
  combo_->SelectedFolder().SetPath(b_);
  EXPECT_EQ(list_->FolderPath(), b_);
  int changes = 0;
  combo_->OnChange = [&](TObject*) { ++changes; };

  combo_->GoUp(1);
  EXPECT_EQ(combo_->SelectedPathName(), a_);
  EXPECT_EQ(SelectedCaption(), "A");
  EXPECT_EQ(list_->FolderPath(), a_);
  EXPECT_EQ(changes, 1);

  // The list's own "up" goes through the combo.
  list_->GoUp(1);
  EXPECT_EQ(combo_->SelectedPathName(), root_);
  EXPECT_EQ(list_->FolderPath(), root_);
  EXPECT_EQ(combo_->EntryData(combo_->ItemIndex())->Path(), root_);

  // Zero levels is no move at all.
  combo_->GoUp(0);
  EXPECT_EQ(combo_->SelectedPathName(), root_);
}

TEST_F(ShellComboTest, ChoosingADriveShowsItsRootInTheList) {
  combo_->SetShellList(list_);
  combo_->SelectedFolder().SetPath(b_);
  const int driveC = IndexOfPath("C:\\");
  ASSERT_GT(driveC, 0);
  combo_->ChooseEntry(driveC);
  EXPECT_EQ(list_->FolderPath(), "C:\\");
  EXPECT_EQ(combo_->SelectedPathName(), "C:\\");
  EXPECT_EQ(combo_->ItemIndex(), IndexOfPath("C:\\"));
  // The chain below C: is gone with the path.
  EXPECT_EQ(IndexOfPath(a_), -1);
}

TEST_F(ShellComboTest, AKeyThatMovesTheSelectionChangesTheFolderOnceTheSystemIsDone) {
  combo_->SetShellList(list_);
  combo_->SelectedFolder().SetPath(b_);
  std::vector<std::string> seen;
  combo_->OnChange = [&](TObject*) { seen.push_back(combo_->SelectedPathName()); };
  combo_->SetFocus();
  SendMessageW(combo_->Handle(), WM_KEYDOWN, VK_HOME, 0);
  ASSERT_TRUE(WaitUntil([&] { return !seen.empty(); }));
  EXPECT_EQ(IdListItemCount(combo_->SelectedFolder().IdList()), 0);  // the desktop
  EXPECT_EQ(IdListItemCount(list_->FolderIdList()), 0);
  EXPECT_EQ(combo_->ItemIndex(), 0);
  EXPECT_EQ(seen.size(), 1u);
}

TEST_F(ShellComboTest, MovingThroughTheOpenListWaitsForItToClose) {
  combo_->SetShellList(list_);
  combo_->SelectedFolder().SetPath(b_);
  const int entries = combo_->Items().Count();
  combo_->SetFocus();
  combo_->SetDroppedDown(true);
  ASSERT_TRUE(WaitUntil([&] { return combo_->DroppedDown(); }));
  SendMessageW(combo_->Handle(), WM_KEYDOWN, VK_HOME, 0);
  Application().ProcessMessages();
  EXPECT_EQ(combo_->ItemIndex(), 0);
  EXPECT_EQ(combo_->SelectedPathName(), b_);  // nothing refilled under the open list
  EXPECT_EQ(combo_->Items().Count(), entries);
  SendMessageW(combo_->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(WaitUntil([&] { return IdListItemCount(list_->FolderIdList()) == 0; }));
  EXPECT_FALSE(combo_->DroppedDown());
  EXPECT_EQ(IdListItemCount(combo_->SelectedFolder().IdList()), 0);
}

TEST_F(ShellComboTest, FollowsTheFolderTheLinkedListOpens) {
  combo_->SetShellList(list_);
  list_->SetFolderPath(a_);
  EXPECT_EQ(combo_->SelectedPathName(), a_);
  EXPECT_EQ(SelectedCaption(), "A");
  ASSERT_TRUE(WaitUntil([&] { return list_->Items().Count() == 1; }));
  // Opening B from the list asks the combo, which moves the list.
  list_->OpenItem(list_->Items()[0]);
  EXPECT_EQ(combo_->SelectedPathName(), b_);
  EXPECT_EQ(list_->FolderPath(), b_);
  EXPECT_EQ(SelectedCaption(), "B");
}

TEST_F(ShellComboTest, LinkingFromTheTreesSideTellsTheListAndTheComboWhichTreeTheyFollow) {
  auto* tree = test::Place<TRzShellTree>(*form_, 8, 40, 480, 250);
  tree->SetShellList(list_);
  EXPECT_EQ(list_->ShellTree(), tree);
  tree->SetShellCombo(combo_);
  EXPECT_EQ(combo_->ShellTree(), tree);

  TRzPidl a;
  ASSERT_TRUE(SUCCEEDED(PathToIdList(a_, a)));
  tree->SelectIdList(a.Get());
  ASSERT_TRUE(WaitUntil([&] { return list_->FolderPath() == a_; }));
  EXPECT_EQ(combo_->SelectedPathName(), a_);
  // Going up in the list moves the tree it follows.
  list_->GoUp(1);
  EXPECT_EQ(tree->SelectedFolder().Path(), root_);

  tree->SetShellList(nullptr);
  EXPECT_EQ(list_->ShellTree(), nullptr);
  tree->SetShellCombo(nullptr);
  EXPECT_EQ(combo_->ShellTree(), nullptr);
}

TEST_F(ShellComboTest, LinksEitherATreeOrAListAndForgetsThemWhenTheyGo) {
  auto* tree = test::Place<TRzShellTree>(*form_, 8, 40, 480, 250);
  combo_->SetShellList(list_);
  combo_->SetShellTree(tree);  // ignored: a list is linked
  EXPECT_EQ(combo_->ShellTree(), nullptr);
  EXPECT_EQ(tree->ShellCombo(), nullptr);

  combo_->SetShellList(nullptr);
  combo_->SetShellTree(tree);
  EXPECT_EQ(tree->ShellCombo(), static_cast<IRzShellTreeFollower*>(combo_));
  combo_->SelectedFolder().SetPath(a_);
  EXPECT_EQ(tree->SelectedFolder().Path(), a_);

  // The tree's selection comes back to the combo.
  tree->SelectIdList(TRzPidl(nullptr).Get());
  TRzPidl b;
  ASSERT_TRUE(SUCCEEDED(PathToIdList(b_, b)));
  tree->SelectIdList(b.Get());
  ASSERT_TRUE(WaitUntil([&] { return combo_->SelectedPathName() == b_; }));
  EXPECT_EQ(SelectedCaption(), "B");

  delete tree;
  EXPECT_EQ(combo_->ShellTree(), nullptr);
  delete list_;
  list_ = nullptr;
  EXPECT_EQ(combo_->ShellList(), nullptr);
  combo_->SelectedFolder().SetPath(a_);  // nothing linked to move
  EXPECT_EQ(SelectedCaption(), "A");
}

TEST_F(ShellComboTest, EveryEntryIsReportedWithItsDataWhenDeleted) {
  combo_->SelectedFolder().SetPath(a_);
  const int before = combo_->Items().Count();
  int deleted = 0, withData = 0;
  combo_->OnDeleteItem = [&](TObject*, TRzImageComboBoxItem* item) {
    ++deleted;
    if (item->Data()) ++withData;
  };
  combo_->SelectedFolder().SetPath(b_);
  EXPECT_EQ(deleted, before);
  EXPECT_EQ(withData, before);
  EXPECT_EQ(combo_->Items().Count(), before + 1);  // B joins the chain
}

TEST_F(ShellComboTest, AFormThatLoadsFillsOnceLoadedAndHandsItsFolderToTheList) {
  auto form = std::make_unique<TForm>();
  form->SetBounds(40, 40, 400, 300);
  form->BeginLoading();
  auto* combo = new TRzShellCombo(form.get());
  auto* list = new TRzShellList(form.get());
  combo->SetParent(form.get());
  list->SetParent(form.get());
  list->SetBounds(0, 40, 380, 200);
  combo->SetShellList(list);
  combo->SelectedFolder().SetPath(a_);
  EXPECT_EQ(combo->Items().Count(), 0);
  EXPECT_NE(list->Folder().Path(), a_);
  form->EndLoading();
  EXPECT_EQ(list->Folder().Path(), a_);
  form->Show();
  ASSERT_TRUE(WaitUntil([&] { return combo->Items().Count() > 0; }));
  ASSERT_GE(combo->ItemIndex(), 0);
  EXPECT_EQ(combo->EntryData(combo->ItemIndex())->Path(), a_);
}

TEST_F(ShellComboTest, ANewWindowRefillsAndEveryOldEntryIsReleased) {
  combo_->SelectedFolder().SetPath(b_);
  const int before = combo_->Items().Count();
  int deleted = 0;
  combo_->OnDeleteItem = [&](TObject*, TRzImageComboBoxItem* item) {
    if (item->Data()) ++deleted;
  };
  const HWND old = combo_->Handle();
  combo_->RecreateWnd();
  ASSERT_TRUE(WaitUntil([&] { return combo_->HandleAllocated() && combo_->Handle() != old; }));
  Application().ProcessMessages();
  EXPECT_EQ(deleted, before);
  EXPECT_EQ(combo_->Items().Count(), before);
  EXPECT_EQ(SelectedCaption(), "B");
}

// Drops the list down on B and, when KOVRA_SHELLCOMBO_SHOT names a file, saves the screen
// around the combo and its open list there as a 24-bit BMP.
TEST_F(ShellComboTest, DropsDownWithIndentedEntriesAndIcons) {
  combo_->SelectedFolder().SetPath(b_);
  combo_->SetDroppedDown(true);
  ASSERT_TRUE(WaitUntil([&] { return combo_->DroppedDown(); }));
  HWND listWnd = combo_->ListHandle();
  ASSERT_NE(listWnd, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(listWnd) != FALSE; }));
  Application().ProcessMessages();
  UpdateWindow(listWnd);
  // The visible rows were drawn, so their captions are known now.
  const int top = static_cast<int>(SendMessageW(listWnd, LB_GETTOPINDEX, 0, 0));
  ASSERT_TRUE(WaitUntil([&] { return !combo_->ImageItem(top)->Caption().empty(); }));

  const char* shot = std::getenv("KOVRA_SHELLCOMBO_SHOT");
  if (shot && *shot) {
    RECT c{}, l{};
    GetWindowRect(combo_->Handle(), &c);
    GetWindowRect(listWnd, &l);
    RECT r{std::min(c.left, l.left), std::min(c.top, l.top), std::max(c.right, l.right),
           std::max(c.bottom, l.bottom)};
    test::CaptureScreen(r).SaveToFile(shot);
  }
  combo_->SetDroppedDown(false);
}

}  // namespace
}  // namespace kovra
