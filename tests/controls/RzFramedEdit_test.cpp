#include "controls/RzFramedEdit.h"

#include <gtest/gtest.h>

#include <memory>

#include "controls/RzCmboBx.h"
#include "controls/RzEdit.h"
#include "controls/RzFramedView.h"
#include "framework/Application.h"
#include "framework/ComCtrlsTree.h"
#include "framework/Forms.h"

namespace kovra {
namespace {

// The edit and the combo box share their colour and frame model; each case runs on both, so a
// hook one of them forgets to give shows up here.
template <class Control>
class FramedEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Initialize();
    form_ = std::make_unique<TForm>();
    form_->SetBounds(60, 60, 300, 160);
    control_ = new Control(form_.get());
    control_->SetParent(form_.get());
    control_->SetBounds(10, 10, 150, 21);
    control_->HandleNeeded();
  }

  std::unique_ptr<TForm> form_;
  Control* control_ = nullptr;
};

using FramedControls = ::testing::Types<TRzEdit, TRzComboBox>;
TYPED_TEST_SUITE(FramedEditTest, FramedControls);

TYPED_TEST(FramedEditTest, AColourSetFromOutsideIsTheRestingOneAndTheFocusColourFollowsIt) {
  auto* c = this->control_;
  c->SetColor(RGBColor(10, 20, 30));
  EXPECT_EQ(c->NormalColor(), RGBColor(10, 20, 30));
  EXPECT_EQ(c->FocusColor(), RGBColor(10, 20, 30));
  c->SetFocusColor(RGBColor(1, 1, 1));  // chosen separately: stays
  c->SetColor(RGBColor(40, 50, 60));
  EXPECT_EQ(c->FocusColor(), RGBColor(1, 1, 1));
  EXPECT_EQ(c->NormalColor(), RGBColor(40, 50, 60));
}

TYPED_TEST(FramedEditTest, StateColoursShowWithoutReplacingTheRestingColour) {
  auto* c = this->control_;
  c->SetColor(RGBColor(200, 200, 200));
  c->SetDisabledColor(RGBColor(9, 9, 9));
  c->SetReadOnlyColor(RGBColor(7, 7, 7));
  c->SetEnabled(false);
  EXPECT_EQ(c->Color(), RGBColor(9, 9, 9));
  c->SetDisabledColor(RGBColor(8, 8, 8));  // a change shows at once while disabled
  EXPECT_EQ(c->Color(), RGBColor(8, 8, 8));
  c->SetEnabled(true);
  EXPECT_EQ(c->Color(), RGBColor(200, 200, 200));
  c->SetReadOnly(true);
  EXPECT_EQ(c->Color(), RGBColor(7, 7, 7));
  EXPECT_EQ(c->NormalColor(), RGBColor(200, 200, 200));
  c->SetReadOnly(false);
  EXPECT_EQ(c->Color(), RGBColor(200, 200, 200));
}

TYPED_TEST(FramedEditTest, OlderStoredFormsAndUnknownFrameStyles) {
  auto* c = this->control_;
  c->SetFrameSides(TSides{sdTop});
  c->ReadFrameFlat(true);
  EXPECT_TRUE(c->FrameHotTrack());
  EXPECT_TRUE(c->FrameVisible());
  EXPECT_EQ(c->FrameSides(), kAllSides);
  EXPECT_EQ(c->FrameStyle(), fsStatus);
  EXPECT_EQ(c->FrameHotStyle(), fsLowered);
  c->ReadFrameFocusStyle("fsRaised");
  EXPECT_EQ(c->FrameHotStyle(), fsRaised);
  c->ReadFrameFocusStyle("fsNoSuchStyle");
  EXPECT_EQ(c->FrameHotStyle(), fsRaised);
  c->SetFrameStyle(static_cast<TFrameStyle>(200));
  c->SetFrameHotStyle(static_cast<TFrameStyle>(200));
  EXPECT_EQ(c->FrameStyle(), fsStatus);
  EXPECT_EQ(c->FrameHotStyle(), fsRaised);
}

TYPED_TEST(FramedEditTest, AControllerReachesEverySettingAndOutlivesOrDiesBeforeTheControl) {
  auto controller = std::make_unique<TRzFrameController>();
  controller->SetFrameColor(RGBColor(1, 2, 3));
  controller->SetFrameHotColor(RGBColor(3, 2, 1));
  controller->SetFlatButtons(true);
  controller->SetFlatButtonColor(RGBColor(5, 5, 5));
  controller->SetFramingPreference(fpCustomFraming);
  controller->SetReadOnlyColorOnFocus(true);
  auto* c = this->control_;
  c->SetFrameController(controller.get());
  EXPECT_EQ(c->FrameColor(), RGBColor(1, 2, 3));
  EXPECT_EQ(c->FrameHotColor(), RGBColor(3, 2, 1));
  EXPECT_TRUE(c->FlatButtons());
  EXPECT_EQ(c->FlatButtonColor(), RGBColor(5, 5, 5));
  EXPECT_EQ(c->FramingPreference(), fpCustomFraming);
  EXPECT_FALSE(c->ThemedFraming());
  EXPECT_TRUE(c->ReadOnlyColorOnFocus());
  controller.reset();  // the control forgets it
  EXPECT_EQ(c->FrameController(), nullptr);
  TRzFrameController outliving;
  c->SetFrameController(&outliving);
  EXPECT_EQ(outliving.ControlCount(), 1u);
  this->form_.reset();  // the control leaves the controller's list as it goes
  EXPECT_EQ(outliving.ControlCount(), 0u);
  outliving.SetFrameColor(RGBColor(4, 4, 4));
}

// The system views share the frame settings but not the edit family's rules for them.
TEST(FramedViewTest, TakesTheControllersFrameWithoutTheEditFamilysRules) {
  Application().Initialize();
  TForm form;
  auto* view = new TRzFramedView<TCustomTreeView>(&form);
  view->SetParent(&form);
  view->SetFrameSides(TSides{sdLeft});
  view->SetFrameHotTrack(true);  // a view's frame stays as it was
  EXPECT_FALSE(view->FrameVisible());
  EXPECT_EQ(view->FrameSides(), TSides{sdLeft});
  view->ReadFrameFlat(true);
  EXPECT_TRUE(view->FrameVisible());
  EXPECT_EQ(view->FrameStyle(), fsFlat);
  TRzFrameController controller;
  controller.SetFrameColor(RGBColor(1, 2, 3));
  controller.SetFrameStyle(fsGroove);
  controller.SetFocusColor(RGBColor(4, 5, 6));
  view->SetFrameController(&controller);
  EXPECT_EQ(view->FrameColor(), RGBColor(1, 2, 3));
  EXPECT_EQ(view->FrameStyle(), fsGroove);
  EXPECT_EQ(view->FocusColor(), RGBColor(4, 5, 6));
  EXPECT_EQ(controller.ControlCount(), 1u);
  delete view;
  EXPECT_EQ(controller.ControlCount(), 0u);
}

}  // namespace
}  // namespace kovra
