#include "framework/ComCtrlsList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "support/TestForm.h"
#include "support/Wait.h"

namespace kovra {
namespace {

using test::WaitUntil;

class ListViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = test::NewForm(40, 40, 420, 300);
    list_ = test::Place<TCustomListView>(*form_, 10, 10, 380, 240);
    list_->SetViewStyle(vsReport);
    list_->Columns().Add("Name", 120);
    list_->Columns().Add("Size", 80, taRightJustify);
    test::ShowInFront(*form_);
    Application().ProcessMessages();
  }
  HWND Wnd() { return list_->Handle(); }
  TListItem* AddItem(const std::string& caption, const std::string& size) {
    TListItem* item = list_->Items().Add();
    item->SetCaption(caption);
    item->SetSubItems({size});
    return item;
  }
  // What the window shows, asked the way its painting asks.
  std::string WindowText(int index, int column) {
    wchar_t buffer[128] = {};
    LVITEMW lv{};
    lv.iSubItem = column;
    lv.pszText = buffer;
    lv.cchTextMax = 128;
    SendMessageW(Wnd(), LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&lv));
    return Narrow(buffer);
  }
  POINT ItemCentre(TListItem* item) {
    const RECT r = item->DisplayRect(LVIR_LABEL);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // A posted press and release, as the mouse delivers them.
  void Click(HWND wnd, POINT p, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
    PostMessageW(wnd, down, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    PostMessageW(wnd, up, 0, MAKELPARAM(p.x, p.y));
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> out;
    for (int i = 0; i < list_->Items().Count(); ++i) out.push_back(WindowText(i, 0));
    return out;
  }

  std::unique_ptr<TForm> form_;
  TCustomListView* list_ = nullptr;
};

TEST_F(ListViewTest, TextsReachTheWindowAndSurviveARebuild) {
  AddItem("alpha", "1");
  TListItem* b = AddItem("beta", "22");
  list_->Items().Insert(0)->SetCaption("first");
  ASSERT_EQ(SendMessageW(Wnd(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(WindowText(0, 0), "first");
  EXPECT_EQ(WindowText(2, 0), "beta");
  EXPECT_EQ(WindowText(2, 1), "22");
  EXPECT_EQ(WindowText(0, 1), "");  // no sub-item yet
  b->SetSubItem(0, "333");
  EXPECT_EQ(WindowText(2, 1), "333");
  b->SetSelected(true);
  list_->Columns().Add("Type");  // a column added later asks for its texts too
  b->SetSubItem(1, "text");
  EXPECT_EQ(WindowText(2, 2), "text");

  list_->RecreateWnd();
  ASSERT_EQ(SendMessageW(Wnd(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(WindowText(2, 1), "333");
  EXPECT_EQ(list_->Selected(), b);
  EXPECT_EQ(b->Index(), 2);
  EXPECT_THROW(list_->Items().Item(3), EInvalidOperation);

  // Columns replaced wholesale (a new folder's): the header follows exactly.
  list_->Columns().Clear();
  list_->Columns().Add("One", 60);
  list_->Columns().Add("Two", 70);
  HWND header = reinterpret_cast<HWND>(SendMessageW(Wnd(), LVM_GETHEADER, 0, 0));
  EXPECT_EQ(Header_GetItemCount(header), 2);
  EXPECT_EQ(list_->Columns()[1]->Width(), 70);
  EXPECT_EQ(WindowText(2, 1), "333");
}

TEST_F(ListViewTest, ClicksAndKeysSelectThroughTheSystemNotifications) {
  TListItem* a = AddItem("alpha", "1");
  TListItem* b = AddItem("beta", "2");
  std::vector<std::pair<TListItem*, bool>> selections;
  int dblClicks = 0;
  list_->OnSelectItem = [&](TObject*, TListItem* item, bool selected) {
    selections.emplace_back(item, selected);
  };
  list_->OnDblClick = [&](TObject*) { ++dblClicks; };

  Click(Wnd(), ItemCentre(b));
  ASSERT_TRUE(WaitUntil([&] { return list_->Selected() == b; }));
  ASSERT_FALSE(selections.empty());
  EXPECT_EQ(selections.back(), std::make_pair(b, true));

  SetFocus(Wnd());
  PostMessageW(Wnd(), WM_KEYDOWN, VK_UP, 0);
  ASSERT_TRUE(WaitUntil([&] { return list_->Selected() == a; }));
  EXPECT_TRUE(a->Focused());
  EXPECT_FALSE(b->Selected());
  // Single selection: b was told it lost the selection.
  bool bDeselected = false;
  for (auto& [item, on] : selections) bDeselected |= item == b && !on;
  EXPECT_TRUE(bDeselected);

  Click(Wnd(), ItemCentre(a), WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitUntil([&] { return dblClicks == 1; }));
}

TEST_F(ListViewTest, MultiSelectionAndSelectAll) {
  list_->SetMultiSelect(true);
  for (int i = 0; i < 4; ++i) AddItem("item" + std::to_string(i), "");
  list_->SelectAll();
  EXPECT_EQ(list_->SelCount(), 4);
  list_->Items()[1]->SetSelected(false);
  auto selected = list_->SelectedItems();
  ASSERT_EQ(selected.size(), 3u);
  EXPECT_EQ(selected[1], list_->Items()[2]);
  list_->ClearSelection();
  EXPECT_EQ(list_->SelCount(), 0);
  EXPECT_EQ(list_->Selected(), nullptr);
  list_->SetMultiSelect(false);
  list_->SelectAll();  // a single-selection list never selects everything
  EXPECT_EQ(list_->SelCount(), 0);
}

TEST_F(ListViewTest, HeaderClickReportsItsColumnAndSortingKeepsItemsAndWindowTogether) {
  AddItem("b", "2");
  AddItem("c", "1");
  AddItem("a", "2");
  int clicked = -1;
  list_->OnColumnClick = [&](TObject*, TListColumn* column) { clicked = column->Index(); };
  HWND header = reinterpret_cast<HWND>(SendMessageW(Wnd(), LVM_GETHEADER, 0, 0));
  RECT r{};
  SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  Click(header, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  ASSERT_TRUE(WaitUntil([&] { return clicked == 1; }));

  list_->AlphaSort();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"a", "b", "c"}));
  // By size, descending; equal sizes keep their previous order.
  list_->CustomSort(
      [](TListItem* x, TListItem* y) { return -x->SubItems()[0].compare(y->SubItems()[0]); });
  EXPECT_EQ(Captions(), (std::vector<std::string>{"a", "b", "c"}));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(WindowText(i, 0), list_->Items()[i]->Caption());
  list_->OnCompare = [](TObject*, TListItem* x, TListItem* y, int& result) {
    result = -x->Caption().compare(y->Caption());
  };
  list_->AlphaSort();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"c", "b", "a"}));
  EXPECT_EQ(list_->Items()[0]->Index(), 0);

  list_->SetSortIndicator(1, sdDescending);
  HDITEMW hd{};
  hd.mask = HDI_FORMAT;
  SendMessageW(header, HDM_GETITEMW, 1, reinterpret_cast<LPARAM>(&hd));
  EXPECT_TRUE(hd.fmt & HDF_SORTDOWN);
}

TEST_F(ListViewTest, SelectionFollowsItsItemAndTheItemsAnswerForWhatTheWindowDoesNotKeep) {
  TListItem* b = AddItem("beta", "");
  TListItem* c = AddItem("charlie", "");
  c->SetSelected(true);
  c->SetFocused(true);
  list_->Items().Insert(0)->SetCaption("alpha");  // in front of the selection
  EXPECT_EQ(list_->Selected(), c);
  EXPECT_EQ(SendMessageW(Wnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
  list_->CustomSort([](TListItem* x, TListItem* y) { return -x->Caption().compare(y->Caption()); });
  EXPECT_EQ(c->Index(), 0);
  EXPECT_EQ(list_->Selected(), c);
  EXPECT_EQ(list_->ItemFocused(), c);
  EXPECT_EQ(list_->SelCount(), 1);

  b->SetCut(true);
  b->SetOverlayIndex(2);
  const auto index = static_cast<WPARAM>(b->Index());
  EXPECT_EQ(SendMessageW(Wnd(), LVM_GETITEMSTATE, index, LVIS_CUT | LVIS_OVERLAYMASK),
            static_cast<LRESULT>(LVIS_CUT | INDEXTOOVERLAYMASK(2)));
  LVITEMW lv{};
  lv.stateMask = LVIS_DROPHILITED;
  lv.state = LVIS_DROPHILITED;
  SendMessageW(Wnd(), LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&lv));
  EXPECT_EQ(SendMessageW(Wnd(), LVM_GETITEMSTATE, index, LVIS_DROPHILITED), LVIS_DROPHILITED);
  EXPECT_EQ(list_->Selected(), c);  // a drop highlight is no selection

  // Typing the start of a caption finds the item (from the focused one on, wrapping); the
  // window asks the items, as it holds no texts. A character without a repeat count is ignored.
  SetFocus(Wnd());
  PostMessageW(Wnd(), WM_CHAR, 'a', 1);
  ASSERT_TRUE(WaitUntil([&] { return list_->Selected() != c; }));
  ASSERT_NE(list_->Selected(), nullptr);
  EXPECT_EQ(list_->Selected()->Caption(), "alpha");
}

TEST_F(ListViewTest, LabelEditingAsksThenStoresTheEditedText) {
  TListItem* a = AddItem("alpha", "");
  bool allow = false;
  std::string editedFrom;
  list_->OnEditing = [&](TObject*, TListItem*, bool& ok) { ok = allow; };
  list_->OnEdited = [&](TObject*, TListItem* item, std::string& text) {
    editedFrom = item->Caption();
    text += "!";  // the handler may change what is stored
  };
  EXPECT_FALSE(a->EditCaption());
  EXPECT_FALSE(list_->IsEditing());

  allow = true;
  ASSERT_TRUE(a->EditCaption());
  ASSERT_TRUE(list_->IsEditing());
  HWND edit = list_->EditHandle();
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"omega");
  list_->EndEditing(false);
  ASSERT_TRUE(WaitUntil([&] { return !list_->IsEditing(); }));
  EXPECT_EQ(editedFrom, "alpha");
  EXPECT_EQ(a->Caption(), "omega!");
  EXPECT_EQ(WindowText(0, 0), "omega!");

  ASSERT_TRUE(a->EditCaption());
  SetWindowTextW(list_->EditHandle(), L"dropped");
  list_->EndEditing(true);
  ASSERT_TRUE(WaitUntil([&] { return !list_->IsEditing(); }));
  EXPECT_EQ(a->Caption(), "omega!");

  list_->SetReadOnly(true);
  list_->OnEditing = nullptr;
  EXPECT_FALSE(a->EditCaption());
}

struct Tracked : TObject {
  explicit Tracked(int* count) : count_(count) {}
  ~Tracked() override { ++*count_; }
  int* count_;
};

TEST_F(ListViewTest, EveryDeletionIsAnnouncedAndFreesWhatTheItemOwns) {
  int freed = 0;
  std::vector<std::string> deleted;
  list_->OnDeletion = [&](TObject*, TListItem* item) { deleted.push_back(item->Caption()); };
  for (const char* name : {"a", "b", "c", "d"})
    AddItem(name, "")->SetOwnedObject(std::make_unique<Tracked>(&freed));
  list_->Items()[1]->Delete();
  EXPECT_EQ(deleted, std::vector<std::string>{"b"});
  EXPECT_EQ(freed, 1);
  EXPECT_EQ(SendMessageW(Wnd(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(WindowText(1, 0), "c");

  list_->Items().Clear();
  EXPECT_EQ(deleted.size(), 4u);
  EXPECT_EQ(freed, 4);
  EXPECT_EQ(SendMessageW(Wnd(), LVM_GETITEMCOUNT, 0, 0), 0);

  AddItem("e", "")->SetOwnedObject(std::make_unique<Tracked>(&freed));
  form_.reset();  // the list goes with its form
  EXPECT_EQ(freed, 5);
  EXPECT_EQ(deleted.back(), "e");
}

TEST_F(ListViewTest, UpdatesNestAndItemsWithoutAWindowKeepTheirState) {
  list_->BeginUpdate();
  list_->BeginUpdate();
  AddItem("x", "");
  list_->EndUpdate();
  EXPECT_TRUE(list_->Updating());
  list_->EndUpdate();
  EXPECT_FALSE(list_->Updating());
  list_->EndUpdate();  // an extra end is harmless
  EXPECT_FALSE(list_->Updating());

  TCustomListView detached(nullptr);
  TListItem* item = detached.Items().Add();
  item->SetCaption("solo");
  item->SetSelected(true);
  EXPECT_EQ(detached.Selected(), item);
  EXPECT_EQ(detached.FindCaption("so", false), item);
  EXPECT_EQ(detached.FindCaption("so"), nullptr);
}

TEST_F(ListViewTest, ViewStylesSwitchInPlaceAndImageListsStayTheCallers) {
  TImageList images(16, 16);
  TBitmap bitmap;
  bitmap.SetSize(16, 16);
  images.Add(bitmap);
  list_->SetSmallImages(&images);
  TListItem* item = AddItem("icon", "");
  item->SetImageIndex(0);
  std::vector<TItemChange> changes;
  list_->OnChange = [&](TObject*, TListItem*, TItemChange change) { changes.push_back(change); };
  item->SetImageIndex(0);  // unchanged: no event
  item->SetCaption("renamed");
  EXPECT_EQ(changes, std::vector<TItemChange>{ctText});

  HWND before = Wnd();
  for (TViewStyle style : {vsIcon, vsSmallIcon, vsList, vsReport}) {
    list_->SetViewStyle(style);
    EXPECT_EQ(GetWindowLongW(Wnd(), GWL_STYLE) & LVS_TYPEMASK,
              static_cast<LONG>(style == vsIcon        ? LVS_ICON
                                : style == vsSmallIcon ? LVS_SMALLICON
                                : style == vsList      ? LVS_LIST
                                                       : LVS_REPORT));
  }
  EXPECT_EQ(Wnd(), before);  // no rebuild
  EXPECT_EQ(WindowText(0, 0), "renamed");
  LVITEMW lv{};
  lv.mask = LVIF_IMAGE;
  SendMessageW(Wnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
  EXPECT_EQ(lv.iImage, 0);

  list_->OnChange = nullptr;
  form_.reset();  // the window goes; the list of images is still the caller's
  EXPECT_EQ(ImageList_GetImageCount(images.Handle()), 1);
}

}  // namespace
}  // namespace kovra
