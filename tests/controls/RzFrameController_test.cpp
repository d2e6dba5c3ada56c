#include "controls/RzFrameController.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kovra {
namespace {

// An edit-like control that has every setting and records what it was told, in order.
class RecordingControl : public TRzFrameControllerClient {
 public:
  std::vector<std::string> log;
  TColor color = clWindow, focusColor = clWindow;
  bool frameVisible = false;
  TSides frameSides = kAllSides;

  void ControllerSetColor(TColor c) override { color = c, log.push_back("Color"); }
  void ControllerSetFocusColor(TColor c) override { focusColor = c, log.push_back("FocusColor"); }
  void ControllerSetDisabledColor(TColor) override { log.push_back("DisabledColor"); }
  void ControllerSetReadOnlyColor(TColor) override { log.push_back("ReadOnlyColor"); }
  void ControllerSetReadOnlyColorOnFocus(bool) override { log.push_back("ReadOnlyColorOnFocus"); }
  void ControllerSetParentColor(bool) override { log.push_back("ParentColor"); }
  void ControllerSetFlatButtonColor(TColor) override { log.push_back("FlatButtonColor"); }
  void ControllerSetFlatButtons(bool) override { log.push_back("FlatButtons"); }
  void ControllerSetFrameColor(TColor) override { log.push_back("FrameColor"); }
  void ControllerSetFrameHotColor(TColor) override { log.push_back("FrameHotColor"); }
  void ControllerSetFrameHotTrack(bool) override { log.push_back("FrameHotTrack"); }
  void ControllerSetFrameHotStyle(TFrameStyle) override { log.push_back("FrameHotStyle"); }
  void ControllerSetFrameSides(TSides s) override { frameSides = s, log.push_back("FrameSides"); }
  void ControllerSetFrameStyle(TFrameStyle) override { log.push_back("FrameStyle"); }
  void ControllerSetFrameVisible(bool v) override {
    frameVisible = v, log.push_back("FrameVisible");
  }
  void ControllerSetFramingPreference(TFramingPreference) override {
    log.push_back("FramingPreference");
  }
};

// A check-box-like control with a colour and nothing else.
class ColorOnlyControl : public TRzFrameControllerClient {
 public:
  TColor color = clBtnFace;
  int calls = 0;
  void ControllerSetColor(TColor c) override { color = c, ++calls; }
};

// A panel-like control that reads the controller itself.
class ReadingControl : public TRzFrameControllerClient, public IRzFrameControllerNotification {
 public:
  int updates = 0;
  int colorCalls = 0;
  void FrameControllerUpdate() override { ++updates; }
  void ControllerSetColor(TColor) override { ++colorCalls; }
};

const std::vector<std::string> kAllOrder = {
    "ParentColor",          "Color",         "DisabledColor",   "ReadOnlyColor",
    "ReadOnlyColorOnFocus", "FocusColor",    "FlatButtonColor", "FlatButtons",
    "FrameColor",           "FrameHotColor", "FrameHotTrack",   "FrameHotStyle",
    "FrameSides",           "FrameStyle",    "FrameVisible",    "FramingPreference"};

TEST(FrameControllerRegistration, PushesEverythingOnceInOrderAndKeepsOneEntry) {
  TRzFrameController controller;
  RecordingControl control;
  control.SetFrameController(&controller);
  EXPECT_EQ(control.log, kAllOrder);
  controller.AddControl(&control);
  EXPECT_EQ(controller.ControlCount(), 1u);
  EXPECT_EQ(control.log.size(), kAllOrder.size());
}

TEST(FrameControllerRegistration, ParentColorSuppressesColorInAFullPush) {
  TRzFrameController controller;
  controller.SetParentColor(true);
  RecordingControl control;
  control.SetFrameController(&controller);
  EXPECT_EQ(control.log.at(0), "ParentColor");
  EXPECT_EQ(control.log.at(1), "DisabledColor");
}

TEST(FrameControllerRegistration, LinksAreClearedFromEitherSide) {
  auto controller = std::make_unique<TRzFrameController>();
  RecordingControl stays;
  {
    RecordingControl leaves;
    leaves.SetFrameController(controller.get());
    stays.SetFrameController(controller.get());
    EXPECT_EQ(controller->ControlCount(), 2u);
  }
  EXPECT_EQ(controller->ControlCount(), 1u);
  controller->SetColor(clRed);  // must not reach the destroyed control
  EXPECT_EQ(stays.color, clRed);
  controller.reset();
  EXPECT_EQ(stays.FrameController(), nullptr);

  TRzFrameController a, b;
  stays.SetFrameController(&a);
  b.AddControl(&stays);  // moving between controllers leaves the first one
  EXPECT_EQ(a.ControlCount(), 0u);
  EXPECT_EQ(stays.FrameController(), &b);
}

TEST(FrameControllerPush, NotificationMaskAndMissingPropertiesAreHonoured) {
  TRzFrameController controller;
  RecordingControl excluded;
  excluded.SetFrameControllerNotifications(
      TRzFrameControllerNotifications::All().Without(fcpColor));
  ColorOnlyControl colorOnly;
  excluded.SetFrameController(&controller);
  colorOnly.SetFrameController(&controller);
  EXPECT_EQ(colorOnly.color, clWindow);

  controller.SetColor(clYellow);
  EXPECT_EQ(excluded.color, clWindow);
  EXPECT_EQ(colorOnly.color, clYellow);
  const int before = colorOnly.calls;
  controller.SetFrameStyle(fsLowered);  // a setting the check box lacks passes it by
  controller.SetColor(clYellow);        // an unchanged value pushes nothing
  EXPECT_EQ(colorOnly.calls, before);
}

TEST(FrameControllerPush, ControlsThatReadTheControllerAreOnlyNotified) {
  TRzFrameController controller;
  ReadingControl panel;
  panel.SetFrameControllerNotifications(TRzFrameControllerNotifications{fcpFrameStyle});
  panel.SetFrameController(&controller);
  controller.SetColor(clRed);
  controller.SetFrameSides(TSides{sdTop});
  EXPECT_EQ(panel.updates, 3);
  EXPECT_EQ(panel.colorCalls, 0);
}

TEST(FrameControllerPush, UpdateBlockPushesEverythingOnceAtTheEnd) {
  TRzFrameController controller;
  RecordingControl control;
  control.SetFrameController(&controller);
  control.log.clear();
  controller.BeginUpdate();
  controller.BeginUpdate();
  for (int i = 0; i < 10; ++i) controller.SetFrameColor(RGBColor(i, 0, 0));
  controller.EndUpdate();
  EXPECT_TRUE(control.log.empty());
  controller.EndUpdate();
  EXPECT_EQ(control.log, kAllOrder);
  control.log.clear();
  controller.EndUpdate();  // unbalanced: the counter stays at zero and pushes stay live
  controller.SetFrameColor(clRed);
  EXPECT_EQ(control.log.back(), "FrameColor");
}

TEST(FrameControllerSetters, FocusColorFollowsColorOnlyWhileEqual) {
  TRzFrameController controller;
  RecordingControl control;
  control.SetFrameController(&controller);
  controller.SetParentColor(true);
  controller.SetColor(clAqua);
  EXPECT_EQ(controller.FocusColor(), clAqua);
  EXPECT_FALSE(controller.ParentColor());
  EXPECT_EQ(control.color, clAqua);

  controller.SetFocusColor(clYellow);
  controller.SetColor(clLime);
  EXPECT_EQ(controller.FocusColor(), clYellow);
}

TEST(FrameControllerSetters, ClearingParentColorPushesColorToo) {
  TRzFrameController controller;
  controller.SetParentColor(true);
  RecordingControl control;
  control.SetFrameController(&controller);
  control.log.clear();
  controller.SetParentColor(false);
  EXPECT_EQ(control.log, (std::vector<std::string>{"ParentColor", "Color"}));
}

TEST(FrameControllerSetters, HotTrackMakesFramesVisibleOnAllSides) {
  TRzFrameController controller;
  controller.SetFrameSides(TSides{sdLeft, sdTop});
  RecordingControl control;
  control.SetFrameController(&controller);
  control.log.clear();
  controller.SetFrameHotTrack(true);
  EXPECT_TRUE(controller.FrameVisible());
  EXPECT_EQ(controller.FrameSides(), kAllSides);
  EXPECT_EQ(control.log, (std::vector<std::string>{"FrameVisible", "FrameHotTrack"}));

  TRzFrameController loading;
  loading.BeginLoading();
  loading.SetFrameSides(TSides{sdBottom});
  loading.ReadFrameFlat(true);  // stored forms keep their sides
  loading.Loaded();
  EXPECT_EQ(loading.FrameSides(), TSides{sdBottom});
  EXPECT_EQ(loading.FrameStyle(), fsStatus);
  EXPECT_EQ(loading.FrameHotStyle(), fsLowered);
}

TEST(FrameControllerSetters, StoredStyleNamesAreValidated) {
  TRzFrameController controller;
  controller.ReadFrameFocusStyle("fsGroove");
  EXPECT_EQ(controller.FrameHotStyle(), fsGroove);
  controller.ReadFrameFocusStyle("fsFlatRounded");  // not a single-frame style
  controller.ReadFrameFocusStyle("bogus");
  EXPECT_EQ(controller.FrameHotStyle(), fsGroove);
  controller.SetFrameStyle(static_cast<TFrameStyle>(fsFlatRounded));
  EXPECT_EQ(controller.FrameStyle(), fsFlat);
}

TEST(FrameControllerAssign, CopiesEverySettingWithOnePush) {
  TRzFrameController source;
  source.SetFocusColor(clRed);
  source.SetColor(clYellow);
  source.SetFrameSides(TSides{sdRight});
  source.SetFrameHotStyle(fsBump);
  source.SetFramingPreference(fpCustomFraming);
  TRzFrameController target;
  RecordingControl control;
  control.SetFrameController(&target);
  control.log.clear();
  target.Assign(source);
  EXPECT_EQ(control.log, kAllOrder);
  EXPECT_EQ(target.Color(), clYellow);
  EXPECT_EQ(target.FocusColor(), clRed);
  EXPECT_EQ(control.frameSides, TSides{sdRight});
  EXPECT_EQ(target.FrameHotStyle(), fsBump);
  EXPECT_EQ(target.FramingPreference(), fpCustomFraming);
}

TEST(RegIniFile, ChangesAskForAReopenAndDestructionClearsTheController) {
  TRzFrameController controller;
  {
    TRzRegIniFile store;
    EXPECT_EQ(store.PathType(), ptIniFile);
    EXPECT_EQ(store.RegKey(), hkeyCurrentUser);
    EXPECT_EQ(store.RegAccess(), RegAccessOf(keyAllAccess));
    controller.SetRegIniFile(&store);
    store.SetPath("Software\\Kovra");
    EXPECT_TRUE(store.NeedsReopen());
  }
  EXPECT_EQ(controller.RegIniFile(), nullptr);
}

}  // namespace
}  // namespace kovra
