#include "framework/ComCtrlsTree.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/Desktop.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

using test::PumpUntil;
using test::SendKeys;
using test::TypeText;

class TreeViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = test::NewForm(60, 60, 360, 320);
    tree_ = test::Place<TCustomTreeView>(*form_, 10, 10, 300, 260);
    test::ShowInFront(*form_);
    tree_->SetFocus();
    Application().ProcessMessages();
  }
  void TearDown() override { test::ParkCursor(); }

  // A real click through the input queue, at the middle of the node's text.
  void ClickNode(TTreeNode* node, bool right = false) {
    const RECT r = node->DisplayRect(true);
    test::ClickAt(tree_->Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2, right);
  }
  std::wstring SystemText(TTreeNode* node) {
    wchar_t buffer[128] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = node->ItemId();
    item.pszText = buffer;
    item.cchTextMax = 128;
    SendMessageW(tree_->Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return buffer;
  }

  std::unique_ptr<TForm> form_;
  TCustomTreeView* tree_ = nullptr;
};

TEST_F(TreeViewTest, NodesKeepTheirPlacesAndDeletionTellsEveryNodeChildrenFirst) {
  TTreeNodes& items = tree_->Items();
  TTreeNode* a = items.Add(nullptr, "a");
  TTreeNode* c = items.Add(a, "c");
  TTreeNode* b = items.Insert(c, "b");
  TTreeNode* first = items.AddFirst(a, "first");
  int payload = 7;
  TTreeNode* a1 = items.AddChild(a, "a1", &payload);
  TTreeNode* a0 = items.AddChildFirst(a, "a0");
  TTreeNode* a00 = items.AddChild(a0, "a00");

  EXPECT_EQ(items.GetFirstNode(), first);
  EXPECT_EQ(first->GetNextSibling(), a);
  EXPECT_EQ(a->GetNextSibling(), b);
  EXPECT_EQ(b->GetNextSibling(), c);
  EXPECT_EQ(a->GetFirstChild(), a0);
  EXPECT_EQ(a->GetLastChild(), a1);
  EXPECT_EQ(a->Count(), 2);
  EXPECT_EQ(a1->Index(), 1);
  EXPECT_EQ(a00->Level(), 2);
  EXPECT_TRUE(a00->HasAsParent(a));
  EXPECT_EQ(a1->Data(), &payload);
  EXPECT_EQ(items.Count(), 7);
  EXPECT_EQ(items.Item(4), a1);  // depth first: first, a, a0, a00, a1, b, c
  EXPECT_EQ(items.Item(5), b);
  EXPECT_EQ(SystemText(b), L"b");
  b->SetText("二");
  EXPECT_EQ(b->Text(), "二");
  EXPECT_EQ(SystemText(b), L"二");

  std::vector<std::string> deleted;
  tree_->OnDeletion = [&](TObject*, TTreeNode* node) {
    EXPECT_TRUE(node->Deleting());
    deleted.push_back(node->Text());
  };
  a->Delete();
  EXPECT_EQ(deleted, (std::vector<std::string>{"a00", "a0", "a1", "a"}));
  EXPECT_EQ(items.Count(), 3);
  EXPECT_EQ(first->GetNextSibling(), b);

  deleted.clear();
  items.AddChild(c, "c1");
  c->DeleteChildren();
  EXPECT_EQ(deleted, std::vector<std::string>{"c1"});
  EXPECT_FALSE(c->HasChildren());

  deleted.clear();
  items.Clear();
  EXPECT_EQ(deleted.size(), 3u);
  EXPECT_EQ(items.Count(), 0);
  EXPECT_EQ(SendMessageW(tree_->Handle(), TVM_GETCOUNT, 0, 0), 0);
}

TEST_F(TreeViewTest, DestroyingTheTreeFreesEveryNodeThroughOnDeletion) {
  int deletions = 0;
  tree_->OnDeletion = [&](TObject*, TTreeNode*) { ++deletions; };
  TTreeNode* root = tree_->Items().Add(nullptr, "root");
  tree_->Items().AddChild(tree_->Items().AddChild(root, "x"), "y");
  delete tree_;
  EXPECT_EQ(deletions, 3);
}

TEST_F(TreeViewTest, ClicksAndKeysSelectThroughTheChangeEvents) {
  TTreeNode* one = tree_->Items().Add(nullptr, "one");
  TTreeNode* two = tree_->Items().Add(nullptr, "two");
  TTreeNode* three = tree_->Items().Add(nullptr, "three");
  std::vector<std::string> changes;
  bool veto = false;
  tree_->OnChanging = [&](TObject*, TTreeNode* node, bool& allow) {
    if (veto && node == three) allow = false;
  };
  tree_->OnChange = [&](TObject*, TTreeNode* node) {
    changes.push_back(node ? node->Text() : "-");
  };

  ClickNode(two);
  ASSERT_TRUE(PumpUntil([&] { return tree_->Selected() == two; }));
  EXPECT_EQ(changes.back(), "two");
  EXPECT_TRUE(two->Selected());

  SendKeys({VK_UP});
  ASSERT_TRUE(PumpUntil([&] { return tree_->Selected() == one; }));
  EXPECT_EQ(changes.back(), "one");

  veto = true;
  ClickNode(three);
  SendKeys({VK_DOWN});  // handled after the click: proves the click was seen and refused
  ASSERT_TRUE(PumpUntil([&] { return tree_->Selected() == two; }));
  EXPECT_EQ(changes, (std::vector<std::string>{"two", "one", "two"}));
}

TEST_F(TreeViewTest, ExpandingFillsLazilyAndCanBeRefused) {
  TTreeNode* folder = tree_->Items().Add(nullptr, "folder");
  folder->SetHasChildren(true);
  EXPECT_TRUE(folder->HasChildren());
  int fills = 0, expanded = 0, collapsed = 0;
  bool refuse = false;
  tree_->OnExpanding = [&](TObject*, TTreeNode* node, bool& allow) {
    if (refuse) {
      allow = false;
      return;
    }
    if (!node->GetFirstChild()) {
      ++fills;
      tree_->Items().AddChild(node, "child 1");
      tree_->Items().AddChild(node, "child 2");
    }
  };
  tree_->OnExpanded = [&](TObject*, TTreeNode*) { ++expanded; };
  tree_->OnCollapsed = [&](TObject*, TTreeNode*) { ++collapsed; };

  refuse = true;
  tree_->SetSelected(folder);
  SendKeys({VK_RIGHT});
  SendKeys({VK_HOME});
  ASSERT_TRUE(PumpUntil([&] { return !GetInputState(); }));
  Application().ProcessMessages();
  EXPECT_FALSE(folder->Expanded());
  EXPECT_EQ(folder->Count(), 0);

  refuse = false;
  SendKeys({VK_RIGHT});
  ASSERT_TRUE(PumpUntil([&] { return folder->Expanded(); }));
  EXPECT_EQ(fills, 1);
  EXPECT_EQ(expanded, 1);
  EXPECT_EQ(folder->Count(), 2);

  SendKeys({VK_LEFT});
  ASSERT_TRUE(PumpUntil([&] { return !folder->Expanded(); }));
  EXPECT_EQ(collapsed, 1);
  folder->Expand(false);  // by program: the same hooks, no second fill
  EXPECT_TRUE(folder->Expanded());
  EXPECT_EQ(fills, 1);
  EXPECT_EQ(expanded, 2);
}

TEST_F(TreeViewTest, LabelEditingAcceptsCorrectsOrCancels) {
  TTreeNode* node = tree_->Items().Add(nullptr, "old");
  tree_->Items().Add(nullptr, "other");
  bool allowEdit = true;
  tree_->OnEditing = [&](TObject*, TTreeNode*, bool& allow) { allow = allowEdit; };
  tree_->OnEdited = [&](TObject*, TTreeNode*, std::string& text) { text += "!"; };

  ASSERT_TRUE(node->EditText());
  ASSERT_TRUE(tree_->IsEditing());
  SetWindowTextW(tree_->EditHandle(), L"");
  TypeText(L"new");
  ASSERT_TRUE(PumpUntil([&] { return GetWindowTextLengthW(tree_->EditHandle()) == 3; }));
  SendKeys({VK_RETURN});
  ASSERT_TRUE(PumpUntil([&] { return !tree_->IsEditing(); }));
  EXPECT_EQ(node->Text(), "new!");
  EXPECT_EQ(SystemText(node), L"new!");

  ASSERT_TRUE(node->EditText());
  TypeText(L"zzz");
  SendKeys({VK_ESCAPE});
  ASSERT_TRUE(PumpUntil([&] { return !tree_->IsEditing(); }));
  EXPECT_EQ(node->Text(), "new!");
  EXPECT_TRUE(IsWindow(form_->Handle()));  // Escape did not close the form

  allowEdit = false;
  EXPECT_FALSE(node->EditText());
  allowEdit = true;
  tree_->SetReadOnly(true);
  EXPECT_FALSE(node->EditText());
}

TEST_F(TreeViewTest, SortingOrdersChildrenByTheCompare) {
  TTreeNode* root = tree_->Items().Add(nullptr, "root");
  for (const char* t : {"b", "C", "a"}) tree_->Items().AddChild(root, t);
  root->AlphaSort();  // without OnCompare: text, case ignored
  EXPECT_EQ(root->Item(0)->Text(), "a");
  EXPECT_EQ(root->Item(1)->Text(), "b");
  EXPECT_EQ(root->Item(2)->Text(), "C");
  root->CustomSort([](TTreeNode* x, TTreeNode* y) { return y->Text().compare(x->Text()); });
  EXPECT_EQ(root->Item(0)->Text(), "b");
  EXPECT_EQ(root->Item(2)->Text(), "C");
  tree_->OnCompare = [](TObject*, TTreeNode* x, TTreeNode* y, int, int& result) {
    result = x->Text().compare(y->Text());  // case counts: "C" first
  };
  root->AlphaSort();
  EXPECT_EQ(root->Item(0)->Text(), "C");
}

TEST_F(TreeViewTest, ImagesAreAskedOnceWhenDrawnAndStateBitsReachTheItem) {
  TImageList images(16, 16);
  tree_->SetImages(&images);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(
                SendMessageW(tree_->Handle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0)),
            images.Handle());
  int asked = 0;
  tree_->OnGetImageIndex = [&](TObject*, TTreeNode* node) {
    ++asked;
    node->SetImageIndex(3);
  };
  tree_->OnGetSelectedIndex = [&](TObject*, TTreeNode* node) { node->SetSelectedIndex(4); };
  TTreeNode* node = tree_->Items().Add(nullptr, "pic");
  tree_->Repaint();
  ASSERT_TRUE(PumpUntil([&] { return asked > 0; }));
  tree_->Invalidate();
  tree_->Repaint();
  Application().ProcessMessages();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(node->ImageIndex(), 3);

  node->SetOverlayIndex(1);
  node->SetCut(true);
  const UINT state = static_cast<UINT>(SendMessageW(
      tree_->Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->ItemId()), 0xFFFF));
  EXPECT_EQ(state & TVIS_OVERLAYMASK, INDEXTOOVERLAYMASK(2));
  EXPECT_TRUE(node->Cut());

  // A list the tree does not own survives the tree.
  HIMAGELIST shared = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
  tree_->SetImages(nullptr);
  tree_->SetImageListHandle(shared);
  delete tree_;
  EXPECT_EQ(ImageList_GetImageCount(shared), 0);  // still a valid list
  EXPECT_TRUE(ImageList_Destroy(shared));
}

TEST_F(TreeViewTest, StylesFollowTheirPropertiesOnTheLiveWindow) {
  HWND wnd = tree_->Handle();
  auto style = [&] { return static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE)); };
  EXPECT_TRUE(style() & TVS_EDITLABELS);
  EXPECT_FALSE(style() & TVS_TRACKSELECT);
  tree_->SetHotTrack(true);
  tree_->SetHideSelection(false);
  tree_->SetShowLines(false);
  tree_->SetToolTips(false);
  EXPECT_TRUE(style() & TVS_TRACKSELECT);
  EXPECT_TRUE(style() & TVS_SHOWSELALWAYS);
  EXPECT_FALSE(style() & TVS_HASLINES);
  EXPECT_TRUE(style() & TVS_NOTOOLTIPS);
  EXPECT_EQ(tree_->Handle(), wnd);  // no rebuild
}

TEST_F(TreeViewTest, NestedUpdatesRedrawOnlyAtTheOutermostEnd) {
  tree_->Items().BeginUpdate();
  tree_->Items().BeginUpdate();
  tree_->Items().Add(nullptr, "x");
  tree_->Items().EndUpdate();
  EXPECT_TRUE(tree_->Items().Updating());
  tree_->Items().EndUpdate();
  EXPECT_FALSE(tree_->Items().Updating());
  tree_->Items().EndUpdate();  // unbalanced: harmless
  EXPECT_FALSE(tree_->Items().Updating());
}

}  // namespace
}  // namespace kovra
