#include <gtest/gtest.h>

#include <memory>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Mask.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

TEST(EditMaskTest, ReadsSlotsLiteralsAndTrailingFields) {
  const TEditMask mask(u"000-00;0;*");
  EXPECT_EQ(mask.Length(), 6);
  EXPECT_TRUE(mask.IsLiteral(3));
  EXPECT_FALSE(mask.SaveLiterals());
  EXPECT_EQ(mask.Blank(), u'*');
  EXPECT_EQ(mask.EmptyText(), u"***-**");
  EXPECT_EQ(mask.StripLiterals(u"123-45"), u"12345");
  EXPECT_EQ(TEditMask(u"\\(000\\)").EmptyText(), u"(___)");
}

TEST(EditMaskTest, AcceptsOnlyWhatEachSlotAllows) {
  const TEditMask mask(u">LL<l9#a");
  EXPECT_EQ(mask.Accept(0, u'a'), u'A');
  EXPECT_EQ(mask.Accept(0, u'5'), 0);
  EXPECT_EQ(mask.Accept(2, u'Q'), u'q');
  EXPECT_EQ(mask.Accept(3, u' '), u' ');  // optional digit takes a blank
  EXPECT_EQ(mask.Accept(4, u'-'), u'-');
  EXPECT_EQ(mask.Accept(5, u'z'), u'z');
  EXPECT_EQ(mask.Accept(6, u'x'), 0);  // past the end
  EXPECT_EQ(mask.Accept(-1, u'x'), 0);
}

TEST(EditMaskTest, CompleteOnlyWhenEveryRequiredSlotIsFilled) {
  const TEditMask mask(u"00-99");
  EXPECT_TRUE(mask.IsComplete(u"12-__"));
  EXPECT_FALSE(mask.IsComplete(u"1_-34"));
  EXPECT_FALSE(mask.IsComplete(u"1"));
}

class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = test::NewForm(40, 40, 300, 120);
    edit_ = test::Place<TCustomMaskEdit>(*form_, 10, 10, 150, 21);
    form_->Show();
    Application().ProcessMessages();
  }
  void Type(std::wstring_view text) {
    for (wchar_t c : text) PostMessageW(edit_->Handle(), WM_CHAR, c, 1);
    Application().ProcessMessages();
  }

  std::unique_ptr<TForm> form_;
  TCustomMaskEdit* edit_ = nullptr;
};

TEST_F(EditTest, TextAndSelectionRoundTripThroughTheWindow) {
  edit_->SetText("股票 600000");
  EXPECT_EQ(edit_->Text(), "股票 600000");
  edit_->SetSelStart(3);
  edit_->SetSelLength(3);
  EXPECT_EQ(edit_->SelText(), "600");
  edit_->SetSelText("x");
  EXPECT_EQ(edit_->Text(), "股票 x000");
  edit_->SelectAll();
  EXPECT_EQ(edit_->SelLength(), 7);
}

TEST_F(EditTest, ChangeFiresForSetAndTypedText) {
  int changes = 0;
  edit_->OnChange = [&](TObject*) { ++changes; };
  edit_->SetText("a");
  EXPECT_EQ(changes, 1);
  edit_->SetSelStart(1);
  Type(L"bc");
  EXPECT_EQ(edit_->Text(), "abc");
  EXPECT_EQ(changes, 3);
}

TEST_F(EditTest, MaxLengthAndReadOnlyLimitTyping) {
  edit_->SetMaxLength(3);
  Type(L"12345");
  EXPECT_EQ(edit_->Text(), "123");
  edit_->SetReadOnly(true);
  edit_->SetText("");
  Type(L"9");
  EXPECT_EQ(edit_->Text(), "");
}

TEST_F(EditTest, RebuildingTheWindowKeepsTextSelectionAndStyles) {
  edit_->SetText("hello");
  edit_->SetSelStart(1);
  edit_->SetSelLength(2);
  edit_->SetAlignment(taRightJustify);
  const auto style = GetWindowLongW(edit_->Handle(), GWL_STYLE);
  EXPECT_EQ(style & (ES_RIGHT | ES_CENTER), ES_RIGHT);
  EXPECT_EQ(edit_->Text(), "hello");
  EXPECT_EQ(edit_->SelStart(), 1);
  EXPECT_EQ(edit_->SelLength(), 2);
  edit_->SetPasswordChar(L'*');
  EXPECT_EQ(SendMessageW(edit_->Handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
}

TEST_F(EditTest, AutoSizeFitsOneLineOfTheFont) {
  const int small = edit_->Height();
  TFont big;
  big.SetHeight(-24);
  edit_->SetFont(big);
  EXPECT_GT(edit_->Height(), small + 10);
  edit_->SetAutoSize(false);
  edit_->SetHeight(50);
  EXPECT_EQ(edit_->Height(), 50);
}

TEST_F(EditTest, MaskPlacesTypedCharactersAroundLiteralsAndRefusesOthers) {
  edit_->SetEditMask("000-00;0;_");
  EXPECT_EQ(edit_->Text(), "___-__");
  edit_->SetSelStart(0);
  Type(L"12a345");
  EXPECT_EQ(edit_->Text(), "123-45");
  EXPECT_EQ(edit_->MaskedValue(), "12345");
  EXPECT_TRUE(edit_->IsMaskComplete());
  edit_->SetSelStart(6);
  Type(L"\b");
  EXPECT_EQ(edit_->Text(), "123-4_");
  EXPECT_FALSE(edit_->IsMaskComplete());
}

}  // namespace
}  // namespace kovra
