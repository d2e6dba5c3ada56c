#include "controls/RzCmboBx.h"

#include <gtest/gtest.h>
#include <uxtheme.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/RzEdit.h"
#include "controls/RzPanel.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/Desktop.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

using test::PumpUntil;

class RzComboBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ParkCursor();
    form_ = test::NewForm(60, 60, 360, 240);
    combo_ = test::Place<TRzComboBox>(*form_, 10, 10, 150, 21);
    combo_->SetBeepOnInvalidKey(false);
    combo_->Items().Assign({"Apple", "Apricot", "Banana"});
    other_ = test::Place<TRzEdit>(*form_, 10, 60, 150, 21);
    test::ShowInFront(*form_);
    Application().ProcessMessages();
  }
  void Focus(TWinControl& c) {
    c.SetFocus();
    Application().ProcessMessages();
  }
  // Characters as the keyboard sends them: posted to the focused edit part and taken through
  // the framework's own message step.
  void Type(std::wstring_view text) {
    HWND target = combo_->EditHandle() ? combo_->EditHandle() : combo_->Handle();
    for (wchar_t c : text) PostMessageW(target, WM_CHAR, c, 1);
    Application().ProcessMessages();
  }
  void Key(WORD key) {
    HWND target = combo_->EditHandle() ? combo_->EditHandle() : combo_->Handle();
    PostMessageW(target, WM_KEYDOWN, key, 1);
    Application().ProcessMessages();
  }

  std::unique_ptr<TForm> form_;
  TRzComboBox* combo_ = nullptr;
  TRzEdit* other_ = nullptr;
};

// ---- search and completion ----

TEST_F(RzComboBoxTest, TypingCompletesAndEachLetterRefinesTheMatch) {
  int matches = 0, changes = 0;
  combo_->OnMatch = [&](TObject*) { ++matches; };
  combo_->OnChange = [&](TObject*) { ++changes; };
  Focus(*combo_);
  Type(L"ap");
  EXPECT_EQ(combo_->Text(), "Apple");
  EXPECT_EQ(combo_->ItemIndex(), 0);
  EXPECT_EQ(combo_->SelStart(), 2);
  EXPECT_EQ(combo_->SelLength(), 3);
  Type(L"r");
  EXPECT_EQ(combo_->Text(), "Apricot");
  EXPECT_EQ(combo_->ItemIndex(), 1);
  EXPECT_EQ(combo_->SelText(), "icot");
  EXPECT_EQ(matches, 2);  // "a" picked Apple, "r" moved to Apricot; "p" changed nothing
  EXPECT_EQ(changes, 3);
  Type(L"\b");  // back to "ap"
  EXPECT_EQ(combo_->Text(), "Apple");
  EXPECT_EQ(combo_->SelStart(), 2);
  EXPECT_EQ(combo_->SearchString(), u"ap");
}

TEST_F(RzComboBoxTest, KeepSearchCaseShowsTheLettersAsTyped) {
  combo_->SetKeepSearchCase(true);
  Focus(*combo_);
  Type(L"AP");
  EXPECT_EQ(combo_->Text(), "APple");
  EXPECT_EQ(combo_->SelText(), "ple");
}

TEST_F(RzComboBoxTest, AnUnmatchedLetterIsRefusedWithoutAllowEditAndTypedWithIt) {
  Focus(*combo_);
  combo_->SetAllowEdit(false);
  Type(L"apx");
  EXPECT_EQ(combo_->Text(), "Apple");
  EXPECT_EQ(combo_->SearchString(), u"ap");
  combo_->SetAllowEdit(true);
  Type(L"x");
  EXPECT_EQ(combo_->Text(), "apx");  // the completion gives way to what was typed
  Type(L"y");
  EXPECT_EQ(combo_->Text(), "apxy");
}

TEST_F(RzComboBoxTest, SurrogatePairsAreTypedAsOneCharacter) {
  combo_->Items().Add("\xF0\x9F\x98\x80 smile");  // U+1F600
  Focus(*combo_);
  Type(L"\xD83D\xDE00");
  EXPECT_EQ(combo_->Text(), "\xF0\x9F\x98\x80 smile");
  EXPECT_EQ(combo_->SelStart(), 2);
  Type(L"\b");
  EXPECT_EQ(combo_->Text(), "");
  EXPECT_EQ(combo_->ItemIndex(), -1);
}

TEST_F(RzComboBoxTest, LeavingWithATextThatIsNoItemReportsNotInList) {
  int notInList = 0;
  combo_->OnNotInList = [&](TObject*) { ++notInList; };
  Focus(*combo_);
  Focus(*other_);
  EXPECT_EQ(notInList, 0);  // empty text
  Focus(*combo_);
  Type(L"ban");
  Focus(*other_);
  EXPECT_EQ(notInList, 0);  // completed to an item
  Focus(*combo_);
  combo_->SetText("");
  Type(L"zz");
  Focus(*other_);
  EXPECT_EQ(notInList, 1);
}

TEST_F(RzComboBoxTest, TextSetByTheProgramCompletesUnlessAutoCompleteIsOff) {
  combo_->SetText("ban");
  EXPECT_EQ(combo_->Text(), "Banana");
  EXPECT_EQ(combo_->ItemIndex(), 2);
  combo_->SetAutoComplete(false);
  combo_->SetText("ap");
  EXPECT_EQ(combo_->Text(), "ap");
}

TEST_F(RzComboBoxTest, DropDownListSearchesAcrossKeysAndBackspaceReturnsToTheFirstItem) {
  combo_->SetStyle(csDropDownList);
  combo_->Items().Add("Blueberry");
  Focus(*combo_);
  Type(L"b");
  EXPECT_EQ(combo_->Text(), "Banana");
  Type(L"l");
  EXPECT_EQ(combo_->Text(), "Blueberry");
  Type(L"q");  // no item: refused, the search string stays
  EXPECT_EQ(combo_->Text(), "Blueberry");
  EXPECT_EQ(combo_->SearchString(), u"bl");
  Type(L"\b\b");
  EXPECT_EQ(combo_->ItemIndex(), 0);
  Key(VK_DOWN);  // navigation forgets the search
  EXPECT_EQ(combo_->SearchString(), u"");
}

// A match is a choice: the key-press event follows OnClick and OnChange, after the event the
// typing itself raised.
TEST_F(RzComboBoxTest, AMatchFiresTheKeyPressEventAfterTheChoice) {
  std::vector<std::string> events;
  combo_->OnChange = [&](TObject*) { events.push_back("change " + combo_->Text()); };
  combo_->OnKeyPress = [&](TObject*, wchar_t& key) {
    events.push_back(std::string("key ") + static_cast<char>(key) + " " + combo_->Text());
  };
  Focus(*combo_);
  Type(L"a");
  EXPECT_EQ(events, (std::vector<std::string>{"key a ", "change Apple", "key a Apple"}));
}

// In the list style every key that finds an item chooses it, even the item already shown, and
// the key-press event follows the choice.
TEST_F(RzComboBoxTest, EachListKeyThatFindsAnItemChoosesIt) {
  combo_->SetStyle(csDropDownList);
  std::vector<std::string> events;
  combo_->OnChange = [&](TObject*) { events.push_back("change " + combo_->Text()); };
  combo_->OnKeyPress = [&](TObject*, wchar_t& key) {
    events.push_back(std::string("key ") + static_cast<char>(key) + " " + combo_->Text());
  };
  Focus(*combo_);
  Type(L"ba");
  EXPECT_EQ(events, (std::vector<std::string>{"change Banana", "key b Banana", "change Banana",
                                              "key a Banana"}));
}

// ---- read-only ----

TEST_F(RzComboBoxTest, ReadOnlyRefusesTypingDropDownAndWheelButCopies) {
  combo_->SetItemIndex(1);
  combo_->SetReadOnly(true);
  Focus(*combo_);
  Type(L"b");
  Key(VK_DOWN);
  Key(VK_F4);
  EXPECT_EQ(combo_->Text(), "Apricot");
  EXPECT_FALSE(combo_->DroppedDown());
  const RECT client = combo_->ClientRect();
  SendMessageW(combo_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM(client.right - 5, client.bottom / 2));
  SendMessageW(combo_->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(client.right - 5, client.bottom / 2));
  Application().ProcessMessages();
  EXPECT_FALSE(combo_->DroppedDown());
  SendMessageW(combo_->EditHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_EQ(combo_->ItemIndex(), 1);
  SendMessageW(combo_->EditHandle(), WM_PASTE, 0, 0);
  EXPECT_EQ(combo_->Text(), "Apricot");

  combo_->SelectAll();
  if (OpenClipboard(form_->Handle())) {
    EmptyClipboard();
    CloseClipboard();
  }
  Type(L"\x03");  // Ctrl+C
  ASSERT_TRUE(OpenClipboard(form_->Handle()));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  std::wstring copied = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
  if (data) GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(copied, L"Apricot");
}

TEST_F(RzComboBoxTest, ColourFollowsReadOnlyFocusAndEnabled) {
  Focus(*other_);
  combo_->SetReadOnly(true);
  EXPECT_EQ(combo_->Color(), clInfoBk);
  Focus(*combo_);
  EXPECT_EQ(combo_->Color(), clWindow);
  combo_->SetReadOnlyColorOnFocus(true);
  EXPECT_EQ(combo_->Color(), clInfoBk);
  Focus(*other_);
  combo_->SetReadOnly(false);
  combo_->SetEnabled(false);
  EXPECT_EQ(combo_->Color(), clBtnFace);
  combo_->SetEnabled(true);
  EXPECT_EQ(combo_->Color(), clWindow);
}

// ---- keys and wheel ----

TEST_F(RzComboBoxTest, TabOnEnterMovesTheFocusAndInsertsNothing) {
  combo_->SetTabOnEnter(true);
  Focus(*combo_);
  Type(L"\r");
  EXPECT_TRUE(PumpUntil([&] { return other_->Focused(); }));
  EXPECT_EQ(combo_->Text(), "");
}

TEST_F(RzComboBoxTest, WheelOnAClosedListStepsThroughTheItems) {
  int changes = 0;
  combo_->OnChange = [&](TObject*) { ++changes; };
  combo_->SetItemIndex(0);
  Focus(*combo_);
  SendMessageW(combo_->EditHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_EQ(combo_->ItemIndex(), 1);
  SendMessageW(combo_->EditHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  SendMessageW(combo_->EditHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(combo_->ItemIndex(), 0);  // stays at the first item
  EXPECT_EQ(changes, 2);
}

TEST_F(RzComboBoxTest, AutoDropDownOpensOnAKeyAndTabClosesTheList) {
  combo_->SetAutoDropDown(true);
  Focus(*combo_);
  Key('B');
  EXPECT_TRUE(combo_->DroppedDown());
  Key(VK_TAB);
  EXPECT_FALSE(combo_->DroppedDown());
  combo_->SetReadOnly(true);
  Key('B');
  EXPECT_FALSE(combo_->DroppedDown());
}

// How far the list scrolls is left unchecked: Wine's dropped list keeps its top row whatever
// it is told.
TEST_F(RzComboBoxTest, WheelOnAnOpenListLeavesTheChoiceAndTheListOpen) {
  for (int i = 0; i < 20; ++i) combo_->Items().Add("more " + std::to_string(i));
  combo_->SetDropDownCount(5);
  combo_->SetItemIndex(0);
  int changes = 0;
  combo_->OnChange = [&](TObject*) { ++changes; };
  Focus(*combo_);
  combo_->SetDroppedDown(true);
  Application().ProcessMessages();
  SendMessageW(combo_->EditHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  SendMessageW(combo_->EditHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), 0);
  EXPECT_GE(SendMessageW(combo_->Handle(), CB_GETTOPINDEX, 0, 0), 0);
  EXPECT_EQ(combo_->ItemIndex(), 0);
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(combo_->DroppedDown());
  combo_->SetDroppedDown(false);
}

// ---- values ----

TEST_F(RzComboBoxTest, ValuesFallBackToItemsAndSelectByValue) {
  combo_->SetStyle(csDropDownList);
  combo_->Items().Assign({"a", "b", "c"});
  combo_->SetValues({"1", "", "3"});
  Focus(*combo_);
  Type(L"b");
  EXPECT_EQ(combo_->Value(), "b");
  Type(L"\b");  // back to the first item
  Key(VK_END);
  EXPECT_EQ(combo_->ItemIndex(), 2);
  EXPECT_EQ(combo_->Value(), "3");
  combo_->SetValue("1");
  EXPECT_EQ(combo_->ItemIndex(), 0);
  combo_->SetValue("nothing");
  EXPECT_EQ(combo_->ItemIndex(), -1);
  EXPECT_EQ(combo_->Value(), "nothing");
}

TEST_F(RzComboBoxTest, ValuesStayWithTheirItemsOnAddDeleteAndSort) {
  combo_->Items().Assign({"pear", "fig", "apple"});
  combo_->SetValues({"P", "F", "A"});
  combo_->Items().Insert(1, "kiwi");
  EXPECT_EQ(combo_->ItemValue(1), "kiwi");
  EXPECT_EQ(combo_->ItemValue(2), "F");
  combo_->Items().Delete(0);
  EXPECT_EQ(combo_->ItemValue(0), "kiwi");
  EXPECT_EQ(combo_->ItemValue(1), "F");
  combo_->SetSorted(true);  // apple, fig, kiwi
  EXPECT_EQ(combo_->Items().Strings(0), "apple");
  EXPECT_EQ(combo_->ItemValue(0), "A");
  EXPECT_EQ(combo_->ItemValue(1), "F");
  EXPECT_EQ(combo_->ItemValue(2), "kiwi");
  combo_->Items().Add("banana");  // sorted place 1
  EXPECT_EQ(combo_->ItemValue(1), "banana");
  EXPECT_EQ(combo_->ItemValue(2), "F");
}

TEST_F(RzComboBoxTest, DeletingAnItemWithDataReportsItFirst) {
  int payload = 7;
  std::vector<void*> reported;
  combo_->OnDeleteItem = [&](TObject*, void* item) { reported.push_back(item); };
  combo_->Items().Add("with data", &payload);
  combo_->Items().Delete(0);  // no data: not reported
  combo_->Items().Clear();
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], &payload);
}

// ---- drop-down width ----

TEST_F(RzComboBoxTest, DropDownWidthFitsTheWidestItem) {
  const std::string wide = "A rather long item that cannot fit the closed box at all";
  combo_->Items().Add(wide);
  HDC dc = GetDC(combo_->Handle());
  SelectObject(dc, combo_->Font().Handle());
  const std::wstring w(wide.begin(), wide.end());
  SIZE size{};
  GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
  ReleaseDC(combo_->Handle(), dc);
  combo_->SetDroppedDown(true);
  Application().ProcessMessages();
  EXPECT_EQ(combo_->ActualDropDownWidth(), size.cx + 8);
  EXPECT_EQ(SendMessageW(combo_->Handle(), CB_GETDROPPEDWIDTH, 0, 0), size.cx + 8);
  RECT list;
  GetWindowRect(combo_->ListHandle(), &list);
  EXPECT_EQ(list.right - list.left, size.cx + 8);
  combo_->SetDroppedDown(false);
  combo_->SetDropDownCount(2);  // now the list scrolls: room for the bar
  combo_->SetDroppedDown(true);
  Application().ProcessMessages();
  EXPECT_EQ(combo_->ActualDropDownWidth(), size.cx + 8 + GetSystemMetrics(SM_CXVSCROLL));
  combo_->SetDroppedDown(false);
  combo_->Items().Assign({"a"});
  combo_->SetDroppedDown(true);
  Application().ProcessMessages();
  EXPECT_EQ(combo_->ActualDropDownWidth(), combo_->Width());
  combo_->SetDroppedDown(false);
}

TEST_F(RzComboBoxTest, TheMouseOverTheEditPartCountsAsOverTheControl) {
  int enters = 0, leaves = 0;
  combo_->OnMouseEnter = [&](TObject*) { ++enters; };
  combo_->OnMouseLeave = [&](TObject*) { ++leaves; };
  SendMessageW(combo_->EditHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  SendMessageW(combo_->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_TRUE(combo_->OverControl());
  EXPECT_EQ(enters, 1);
  test::ParkCursor();  // the mouse is really gone
  SendMessageW(combo_->EditHandle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(combo_->OverControl());
  EXPECT_EQ(leaves, 1);
}

TEST_F(RzComboBoxTest, AFrameControllerSetsTheFrameAndColours) {
  TRzFrameController controller;
  controller.SetFrameColor(RGBColor(1, 2, 3));
  controller.SetReadOnlyColor(RGBColor(4, 5, 6));
  combo_->SetFrameController(&controller);
  EXPECT_EQ(combo_->FrameColor(), RGBColor(1, 2, 3));
  Focus(*other_);
  combo_->SetReadOnly(true);
  EXPECT_EQ(combo_->Color(), RGBColor(4, 5, 6));
  combo_->SetFrameController(nullptr);
}

bool HasPixelOf(HWND wnd, COLORREF color) {
  RECT r;
  GetClientRect(wnd, &r);
  HDC dc = GetDC(wnd);
  bool found = false;
  for (int y = 0; y < r.bottom && !found; ++y)
    for (int x = 0; x < r.right && !found; ++x) found = GetPixel(dc, x, y) == color;
  ReleaseDC(wnd, dc);
  return found;
}

// The system's cue banner when it keeps one, else the hint painted in grey.
TEST_F(RzComboBoxTest, TextHintShowsWhileTheComboIsEmptyAndUnfocused) {
  Focus(*other_);
  combo_->SetTextHint("Type a fruit");
  wchar_t banner[64] = {};
  SendMessageW(combo_->Handle(), CB_GETCUEBANNER, reinterpret_cast<WPARAM>(banner), 64);
  if (banner[0] == 0)
    SendMessageW(combo_->EditHandle(), EM_GETCUEBANNER, reinterpret_cast<WPARAM>(banner), 64);
  if (banner[0] != 0) {
    EXPECT_STREQ(banner, L"Type a fruit");
    return;
  }
  HWND edit = combo_->EditHandle();
  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
  RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_TRUE(HasPixelOf(edit, grey));
  Focus(*combo_);
  RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_FALSE(HasPixelOf(edit, grey));
  Focus(*other_);
  combo_->SetItemIndex(0);
  RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_FALSE(HasPixelOf(edit, grey));
}

// ---- frame ----

COLORREF PixelOf(HWND wnd, int x, int y);

TEST_F(RzComboBoxTest, CustomFrameFollowsTheHotStateAndFlatButtonsGiveWayAtRest) {
  // Themes on Windows 7 replace the custom frame; the classic look shows it.
  struct ClassicLook {
    DWORD saved = GetThemeAppProperties();
    ClassicLook() { SetThemeAppProperties(STAP_ALLOW_NONCLIENT); }
    ~ClassicLook() { SetThemeAppProperties(saved); }
  } classic;
  ASSERT_FALSE(ThemesActive());
  Focus(*other_);
  combo_->SetColor(RGBColor(250, 250, 250));
  combo_->SetFramingPreference(fpCustomFraming);
  combo_->SetFrameColor(RGBColor(255, 0, 0));
  combo_->SetFrameHotColor(RGBColor(0, 0, 255));
  combo_->SetFrameHotTrack(true);  // also shows the frame
  combo_->SetFlatButtons(true);
  EXPECT_TRUE(combo_->FrameVisible());
  EXPECT_FALSE(combo_->Ctl3D());
  HWND wnd = combo_->Handle();
  const RECT client = combo_->ClientRect();
  const int mid = client.bottom / 2;
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(PixelOf(wnd, 0, mid), RGB(255, 0, 0));      // fsFlat: one pixel
  EXPECT_EQ(PixelOf(wnd, 1, mid), RGB(250, 250, 250));  // then the ring in Color
  // The idle flat button is the control's colour; the arrow sits in its middle.
  const int cx = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(PixelOf(wnd, client.right - 2 - cx + 1, mid), RGB(250, 250, 250));
  Focus(*combo_);
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(PixelOf(wnd, 0, mid), RGB(0, 0, 255));  // fsFlatBold in the hot colour
  EXPECT_EQ(PixelOf(wnd, 1, mid), RGB(0, 0, 255));
  EXPECT_NE(PixelOf(wnd, client.right - 2 - cx + 1, mid), RGB(250, 250, 250));
}

// ---- image combo ----

class TestImageCombo : public TRzCustomImageComboBox {
 public:
  using TRzCustomImageComboBox::TRzCustomImageComboBox;
};

TBitmap Solid(TColor color) {
  TBitmap b(16, 16);
  b.Canvas().Brush().SetColor(color);
  b.Canvas().FillRect(RECT{0, 0, 16, 16});
  return b;
}

COLORREF PixelOf(HWND wnd, int x, int y) {
  HDC dc = GetDC(wnd);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(wnd, dc);
  return c;
}

TEST_F(RzComboBoxTest, ImageComboDrawsImagesAtTheirIndentAndOwnsItsItems) {
  TImageList images(16, 16);
  images.Add(Solid(RGBColor(255, 0, 0)));
  images.Add(Solid(RGBColor(0, 0, 255)));
  auto* combo = test::Place<TestImageCombo>(*form_, 180, 10, 160, 24);
  combo->SetImages(&images);
  combo->SetColor(clWhite);
  EXPECT_GE(combo->ItemHeight(), 16);
  combo->AddItem("Desktop", 0, 0);
  TRzImageComboBoxItem* deep = combo->AddItem("Deep folder", 1, 2);
  combo->SetItemIndex(1);
  Application().ProcessMessages();
  RedrawWindow(combo->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

  // The selection field draws without indent.
  const int mid = combo->Height() / 2;
  EXPECT_EQ(PixelOf(combo->Handle(), 3 + 2 + 8, mid), RGB(0, 0, 255));

  combo->SetDroppedDown(true);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(combo->ListHandle()) != FALSE; }));
  RedrawWindow(combo->ListHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const int h = combo->ItemHeight();
  HWND list = combo->ListHandle();
  EXPECT_EQ(PixelOf(list, 2 + 8, h / 2), RGB(255, 0, 0));           // indent 0
  EXPECT_EQ(PixelOf(list, 2 + 24 + 8, h + h / 2), RGB(0, 0, 255));  // indent 2 x 12 pixels
  EXPECT_EQ(PixelOf(list, 2 + 8, h + h / 2), RGB(255, 255, 255));   // the indent is background
  combo->SetDroppedDown(false);

  std::vector<TRzImageComboBoxItem*> deleted;
  combo->OnDeleteItem = [&](TObject*, TRzImageComboBoxItem* item) { deleted.push_back(item); };
  EXPECT_EQ(combo->IndexOfCaption("DEEP FOLDER"), 1);
  EXPECT_EQ(deep->Index(), 1);
  combo->DeleteItem(1);
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0], deep);
  combo->ClearItems();
  EXPECT_EQ(combo->Items().Count(), 0);
  EXPECT_EQ(deleted.size(), 2u);
}

// One line of the font's own height and four pixels; the background erased in the colour of the
// form that owns the control, whatever it sits on.
TEST_F(RzComboBoxTest, ImageComboItemHeightAndBackgroundFollowTheFontAndTheOwningForm) {
  form_->SetColor(RGBColor(10, 200, 30));
  auto* panel = test::Place<TRzPanel>(*form_, 180, 100, 170, 40);
  panel->SetColor(RGBColor(200, 10, 10));
  auto* combo = new TestImageCombo(form_.get());
  combo->SetParent(panel);
  combo->SetBounds(4, 4, 160, 24);
  combo->Font().SetHeight(-20);
  EXPECT_EQ(combo->ItemHeight(), 24);
  combo->Font().SetHeight(-11);
  EXPECT_EQ(combo->ItemHeight(), 15);

  TBitmap sheet(8, 8);
  SendMessageW(combo->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(sheet.Canvas().Handle()),
               0);
  EXPECT_EQ(BitmapPixel(sheet, 4, 4), RGBColor(10, 200, 30));
}

TEST_F(RzComboBoxTest, ImageComboItemsFilledWhileDrawingReachTheList) {
  auto* combo = test::Place<TestImageCombo>(*form_, 180, 60, 160, 24);
  combo->AddItem("", -1, 0);
  combo->AddItem("", -1, 1);
  int asked = 0;
  combo->OnGetItemData = [&](TObject*, TRzImageComboBoxItem* item) {
    ++asked;
    if (item->Caption().empty()) item->SetCaption("Entry " + std::to_string(item->Index()));
  };
  combo->SetItemIndex(1);
  RedrawWindow(combo->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_TRUE(PumpUntil([&] { return combo->Items().Strings(1) == "Entry 1"; }));
  EXPECT_GE(asked, 1);
  EXPECT_EQ(combo->Text(), "Entry 1");
  EXPECT_EQ(combo->IndexOfCaption("entry 1"), 1);
}

TEST_F(RzComboBoxTest, ImageComboForgetsADestroyedImageList) {
  auto* combo = new TestImageCombo(form_.get());
  combo->SetParent(form_.get());
  combo->AddItem("x", 0, 0);
  {
    TImageList images(32, 32);
    combo->SetImages(&images);
    EXPECT_GE(combo->ItemHeight(), 32);
  }
  EXPECT_EQ(combo->Images(), nullptr);
  RedrawWindow(combo->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_LT(combo->ItemHeight(), 32);
}

}  // namespace
}  // namespace kovra
