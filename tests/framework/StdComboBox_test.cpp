#include "framework/StdComboBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

class ComboBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = test::NewForm(40, 40, 320, 200);
    combo_ = test::Place<TCustomComboBox>(*form_, 10, 10, 150, 21);
    test::ShowInFront(*form_);
    Application().ProcessMessages();
  }
  LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) {
    return SendMessageW(combo_->Handle(), msg, w, l);
  }
  std::wstring WindowItem(int i) {
    wchar_t buffer[256] = {};
    Send(CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }

  std::unique_ptr<TForm> form_;
  TCustomComboBox* combo_ = nullptr;
};

TEST_F(ComboBoxTest, ItemsReachTheWindowAndSurviveARebuild) {
  combo_->Items().Add("one");
  combo_->Items().Add("three");
  combo_->Items().Insert(1, "two");
  ASSERT_EQ(Send(CB_GETCOUNT), 3);
  EXPECT_EQ(WindowItem(1), L"two");
  combo_->SetItemIndex(2);
  EXPECT_EQ(combo_->Text(), "three");
  combo_->Items().Delete(0);
  EXPECT_EQ(combo_->ItemIndex(), 1);  // the system moves the selection with its item
  combo_->SetStyle(csDropDownList);   // a new window
  EXPECT_EQ(Send(CB_GETCOUNT), 2);
  EXPECT_EQ(combo_->ItemIndex(), 1);
  EXPECT_EQ(combo_->Text(), "three");
  EXPECT_EQ(combo_->EditHandle(), nullptr);
  EXPECT_THROW(combo_->Items().Strings(2), EInvalidOperation);
  EXPECT_THROW(combo_->Items().Delete(-1), EInvalidOperation);
}

TEST_F(ComboBoxTest, SortedListPlacesItemsAndRefusesInsertAtAnIndex) {
  combo_->Items().Add("pear");
  combo_->Items().Add("Apple");
  combo_->SetItemIndex(0);
  combo_->SetSorted(true);
  EXPECT_EQ(WindowItem(0), L"Apple");
  EXPECT_EQ(combo_->ItemIndex(), 1);  // still "pear"
  EXPECT_EQ(combo_->Items().Add("banana"), 1);
  EXPECT_EQ(WindowItem(1), L"banana");
  EXPECT_THROW(combo_->Items().Insert(0, "zzz"), EInvalidOperation);
  EXPECT_EQ(combo_->Items().IndexOf("APPLE"), 0);
}

TEST_F(ComboBoxTest, ItemsAndSelectionWorkBeforeTheWindowExists) {
  auto* late = new TCustomComboBox(form_.get());
  late->SetStyle(csDropDownList);
  late->Items().Assign({"a", "b", "c"});
  late->SetItemIndex(1);
  late->Items().Insert(0, "z");  // the selection follows its item
  EXPECT_EQ(late->ItemIndex(), 2);
  EXPECT_EQ(late->Text(), "b");
  late->SetParent(form_.get());
  EXPECT_EQ(SendMessageW(late->Handle(), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(late->Text(), "b");
  late->SetText("c");  // a list takes text by selecting it
  EXPECT_EQ(late->ItemIndex(), 3);
}

TEST_F(ComboBoxTest, KeysTypedIntoTheEditPartReachTheEvents) {
  std::wstring pressed;
  int changes = 0;
  combo_->OnKeyPress = [&](TObject*, wchar_t& key) {
    pressed.push_back(key);
    if (key == L'x') key = 0;  // the handler may refuse a key
  };
  combo_->OnChange = [&](TObject*) { ++changes; };
  combo_->SetFocus();
  ASSERT_NE(combo_->EditHandle(), nullptr);
  EXPECT_TRUE(combo_->HasFocus());
  for (wchar_t c : std::wstring(L"abxc")) PostMessageW(combo_->EditHandle(), WM_CHAR, c, 1);
  Application().ProcessMessages();
  EXPECT_EQ(pressed, L"abxc");
  EXPECT_EQ(combo_->Text(), "abc");
  EXPECT_EQ(changes, 3);
}

TEST_F(ComboBoxTest, ListSelectionFiresClickAndSelectButNotAProgramSelection) {
  combo_->Items().Assign({"a", "b"});
  combo_->SetStyle(csDropDownList);
  int clicks = 0, selects = 0, changes = 0;
  combo_->OnClick = [&](TObject*) { ++clicks; };
  combo_->OnSelect = [&](TObject*) { ++selects; };
  combo_->OnChange = [&](TObject*) { ++changes; };
  combo_->SetItemIndex(0);
  EXPECT_EQ(clicks, 0);
  combo_->SetFocus();
  PostMessageW(combo_->Handle(), WM_KEYDOWN, VK_DOWN, 1);
  Application().ProcessMessages();
  EXPECT_EQ(combo_->ItemIndex(), 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(selects, 1);
  EXPECT_EQ(changes, 0);  // OnSelect took the place of OnChange
}

TEST_F(ComboBoxTest, DropDownAndCloseUpReportAndTheListShowsDropDownCountRows) {
  for (int i = 0; i < 20; ++i) combo_->Items().Add("item " + std::to_string(i));
  combo_->SetDropDownCount(5);
  int drops = 0, closes = 0;
  combo_->OnDropDown = [&](TObject*) { ++drops; };
  combo_->OnCloseUp = [&](TObject*) { ++closes; };
  combo_->SetDroppedDown(true);
  Application().ProcessMessages();
  EXPECT_TRUE(combo_->DroppedDown());
  RECT list;
  GetWindowRect(combo_->ListHandle(), &list);
  const int rows = (list.bottom - list.top - 2) / combo_->ItemHeight();
  EXPECT_GE(rows, 5);
  EXPECT_LE(rows, 6);
  combo_->SetDroppedDown(false);
  Application().ProcessMessages();
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(closes, 1);
}

TEST_F(ComboBoxTest, OwnerDrawnItemsArePaintedByTheHandler) {
  combo_->SetStyle(csOwnerDrawFixed);
  combo_->SetItemHeight(20);
  combo_->Items().Assign({"red", "green"});
  combo_->SetItemIndex(1);
  std::vector<int> drawn;
  combo_->OnDrawItem = [&](TWinControl*, int index, RECT r, TOwnerDrawState state) {
    drawn.push_back(index);
    combo_->Canvas().Brush().SetColor(index == 1 ? TColor(0x00C800) : clRed);
    combo_->Canvas().FillRect(r);
    (void)state;
  };
  RedrawWindow(combo_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Application().ProcessMessages();
  EXPECT_NE(std::find(drawn.begin(), drawn.end(), 1), drawn.end());
  EXPECT_EQ(combo_->ItemHeight(), 20);
  HDC dc = GetDC(combo_->Handle());
  const COLORREF middle = GetPixel(dc, 20, combo_->Height() / 2);
  ReleaseDC(combo_->Handle(), dc);
  EXPECT_EQ(middle, RGB(0, 200, 0));
}

TEST_F(ComboBoxTest, VariableItemsTakeTheHeightsTheirHandlerMeasures) {
  combo_->SetStyle(csOwnerDrawVariable);
  combo_->OnMeasureItem = [](TWinControl*, int index, int& height) { height = 12 + 5 * index; };
  combo_->Items().Assign({"a", "b", "c"});
  EXPECT_EQ(Send(CB_GETITEMHEIGHT, 0), 12);
  EXPECT_EQ(Send(CB_GETITEMHEIGHT, 2), 22);
  combo_->SetStyle(csOwnerDrawFixed);  // a rebuilt window measures again: one height for all
  combo_->SetItemHeight(30);
  EXPECT_EQ(Send(CB_GETITEMHEIGHT, 0), 30);
}

}  // namespace
}  // namespace kovra
