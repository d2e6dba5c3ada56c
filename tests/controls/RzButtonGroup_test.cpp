#include <gtest/gtest.h>

#include <memory>

#include "controls/RzButton.h"
#include "controls/RzToolButton.h"
#include "framework/Application.h"
#include "framework/Forms.h"

namespace kovra {
namespace {

// Push buttons and tool buttons keep their groups with one implementation; these cases pin what
// the two kinds must still agree on, and that a group never spans the two kinds.
class ButtonGroupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Initialize();
    form_ = std::make_unique<TForm>();
    form_->SetBounds(40, 40, 300, 200);
  }
  template <class T>
  T* Add(int group) {
    auto* b = new T(form_.get());
    b->SetParent(form_.get());
    b->SetBounds(10 + 30 * count_++, 10, 25, 25);
    b->SetGroupIndex(group);
    return b;
  }

  std::unique_ptr<TForm> form_;
  int count_ = 0;
};

template <class T>
void ExpectOneDownPerGroup(T* a, T* b, T* other) {
  a->SetDown(true);
  other->SetDown(true);  // another group: a stays down
  EXPECT_TRUE(a->Down());
  b->SetDown(true);
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(b->Down());
  EXPECT_TRUE(other->Down());
  b->SetDown(false);  // the last one down stays down without AllowAllUp
  EXPECT_TRUE(b->Down());
  a->SetAllowAllUp(true);  // spreads to the group, not beyond
  EXPECT_TRUE(b->AllowAllUp());
  EXPECT_FALSE(other->AllowAllUp());
  b->SetDown(false);
  EXPECT_FALSE(b->Down());
}

TEST_F(ButtonGroupTest, BothKindsKeepOneButtonDownPerGroup) {
  ExpectOneDownPerGroup(Add<TRzButton>(1), Add<TRzButton>(1), Add<TRzButton>(2));
  ExpectOneDownPerGroup(Add<TRzToolButton>(3), Add<TRzToolButton>(3), Add<TRzToolButton>(4));
}

TEST_F(ButtonGroupTest, AGroupIndexSharedByBothKindsMakesTwoGroups) {
  auto* push = Add<TRzButton>(1);
  auto* tool = Add<TRzToolButton>(1);
  push->SetDown(true);
  tool->SetDown(true);
  EXPECT_TRUE(push->Down());
  EXPECT_TRUE(tool->Down());
  tool->SetAllowAllUp(true);
  EXPECT_FALSE(push->AllowAllUp());
  // A bitmap button is a push button: it joins the push button's group.
  auto* bit = Add<TRzBitBtn>(1);
  bit->SetDown(true);
  EXPECT_FALSE(push->Down());
  EXPECT_TRUE(tool->Down());
}

TEST_F(ButtonGroupTest, UngroupedButtonsNeverStayDownAndLeavingAGroupReleases) {
  auto* push = Add<TRzButton>(0);
  auto* tool = Add<TRzToolButton>(0);
  push->SetDown(true);
  tool->SetDown(true);
  EXPECT_FALSE(push->Down());
  EXPECT_FALSE(tool->Down());
  push->SetGroupIndex(5);
  tool->SetGroupIndex(5);
  push->SetDown(true);
  tool->SetDown(true);
  push->SetGroupIndex(0);
  tool->SetGroupIndex(0);
  EXPECT_FALSE(push->Down());
  EXPECT_EQ(push->State(), bsUp);
  EXPECT_FALSE(tool->Down());
  EXPECT_EQ(tool->State(), tbsUp);
}

TEST_F(ButtonGroupTest, DownShowsInThePaintedState) {
  auto* push = Add<TRzButton>(1);
  auto* tool = Add<TRzToolButton>(1);
  push->SetDown(true);
  tool->SetDown(true);
  EXPECT_EQ(push->State(), bsExclusive);
  EXPECT_EQ(tool->State(), tbsExclusive);
  auto* push2 = Add<TRzButton>(1);
  auto* tool2 = Add<TRzToolButton>(1);
  push2->SetDown(true);
  tool2->SetDown(true);
  EXPECT_EQ(push->State(), bsUp);
  EXPECT_EQ(tool->State(), tbsUp);
}

}  // namespace
}  // namespace kovra
