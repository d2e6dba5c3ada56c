// Docking on real windows: the questions a docking asks of the sites, in order and with their
// arguments, what a refusal leaves, and a mouse drag that ends without a drop.
#include "framework/Docking.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "support/Input.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

using test::Pump;
using test::PumpUntil;

std::string Where(POINT p) {
  return std::to_string(p.x) + "," + std::to_string(p.y);
}

class DockingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = test::NewForm(60, 60, 420, 260);
    test::ShowInFront(*form_);
    left_ = Site("left", 10);
    right_ = Site("right", 200);
    client_ = test::Place<TCustomPanel>(*form_, 0, 0, 50, 50);
    client_->SetName("client");
    ASSERT_TRUE(DockControl(*client_, *left_));
    log_.clear();
    Pump();
  }

  // A dock site that writes each question it is asked into the log.
  TCustomPanel* Site(const std::string& name, int left) {
    auto* site = test::Place<TCustomPanel>(*form_, left, 10, 150, 200);
    site->SetName(name);
    site->SetDockSite(true);
    site->OnGetSiteInfo = [this, name](TObject* sender, TControl* client, RECT& influence,
                                       POINT mouse, bool&) {
      const POINT origin = static_cast<TControl*>(sender)->ClientToScreen(POINT{0, 0});
      log_.push_back(name + " site " + client->Name() + " " +
                     Where(POINT{influence.left - origin.x, influence.top - origin.y}) + " " +
                     Where(POINT{influence.right - origin.x, influence.bottom - origin.y}) +
                     " mouse " + Where(static_cast<TControl*>(sender)->ScreenToClient(mouse)));
    };
    site->OnDockOver = [this, name](TObject*, TDragDockObject& source, int x, int y,
                                    TDragState state, bool&) {
      static const char* kStates[] = {"enter", "leave", "move"};
      log_.push_back(name + " over " + source.Control->Name() + " " + Where(POINT{x, y}) + " " +
                     kStates[state]);
    };
    site->OnDockDrop = [this, name](TObject*, TDragDockObject& source, int x, int y) {
      log_.push_back(name + " drop " + source.Control->Name() + " " + Where(POINT{x, y}));
    };
    site->OnUnDock = [this, name](TObject*, TControl* client, TWinControl* target, bool&) {
      log_.push_back(name + " undock " + client->Name() + " to " +
                     (target ? target->Name() : "nowhere"));
    };
    return site;
  }

  bool DockedIn(TCustomPanel* site) const {
    return client_->Parent() == site && site->DockManager()->Contains(client_) &&
           HostDockSite(*client_) == site;
  }

  std::unique_ptr<TForm> form_;
  TCustomPanel* left_ = nullptr;
  TCustomPanel* right_ = nullptr;
  TCustomPanel* client_ = nullptr;
  std::vector<std::string> log_;
};

TEST_F(DockingTest, DockingAsksTheNewSiteThenTheOldOneThenDrops) {
  ASSERT_TRUE(DockedIn(left_));
  ASSERT_TRUE(DockControl(*client_, *right_));
  EXPECT_TRUE(DockedIn(right_));
  EXPECT_FALSE(left_->DockManager()->Contains(client_));
  // By default the drop is at the centre of the site, whose client area is the influence.
  EXPECT_EQ(log_, (std::vector<std::string>{
                      "right site client 0,0 150,200 mouse 75,100", "right over client 75,100 move",
                      "left undock client to right", "right drop client 75,100"}));
  // Docking into the site that holds it asks nothing.
  log_.clear();
  EXPECT_TRUE(DockControl(*client_, *right_));
  EXPECT_TRUE(log_.empty());

  log_.clear();
  ASSERT_TRUE(DockControl(*client_, *left_, left_->ClientToScreen(POINT{20, 30})));
  EXPECT_EQ(log_.back(), "left drop client 20,30");
  EXPECT_TRUE(DockedIn(left_));

  // A site cannot take the control it lies in.
  auto* inner = test::Place<TCustomPanel>(*client_, 0, 0, 20, 20);
  inner->SetDockSite(true);
  EXPECT_FALSE(DockControl(*client_, *inner));
  EXPECT_TRUE(DockedIn(left_));
}

TEST_F(DockingTest, EachRefusalLeavesTheControlWhereItWas) {
  const auto refusedBy = [&](auto setUp) {
    setUp();
    log_.clear();
    const bool docked = DockControl(*client_, *right_);
    right_->OnGetSiteInfo = nullptr;
    right_->OnDockOver = nullptr;
    left_->OnUnDock = nullptr;
    return !docked && DockedIn(left_) && log_.empty();
  };
  EXPECT_TRUE(refusedBy([&] {
    right_->OnGetSiteInfo = [](TObject*, TControl*, RECT&, POINT, bool& canDock) {
      canDock = false;
    };
  }));
  // The mouse must lie in the influence rectangle the site leaves.
  EXPECT_TRUE(refusedBy([&] {
    right_->OnGetSiteInfo = [](TObject*, TControl*, RECT& influence, POINT, bool&) {
      influence.bottom = influence.top + 10;
    };
  }));
  EXPECT_TRUE(refusedBy([&] {
    right_->OnDockOver = [](TObject*, TDragDockObject&, int, int, TDragState, bool& accept) {
      accept = false;
    };
  }));
  EXPECT_TRUE(refusedBy([&] {
    left_->OnUnDock = [](TObject*, TControl*, TWinControl*, bool& allow) { allow = false; };
  }));
  right_->SetDockSite(false);
  EXPECT_FALSE(DockControl(*client_, *right_));
  EXPECT_TRUE(DockedIn(left_));

  left_->OnUnDock = [&](TObject*, TControl*, TWinControl* target, bool& allow) {
    allow = target != nullptr;
  };
  EXPECT_FALSE(UndockControl(*client_));
  EXPECT_TRUE(DockedIn(left_));
  left_->OnUnDock = nullptr;
  EXPECT_TRUE(UndockControl(*client_));
  EXPECT_FALSE(left_->DockManager()->Contains(client_));
  EXPECT_EQ(client_->Parent(), left_);
}

TEST_F(DockingTest, AMouseDragEndedWithoutADropMovesNothing) {
  client_->SetDragKind(dkDock);
  client_->SetDragMode(dmAutomatic);
  int clicks = 0;
  client_->OnClick = [&](TObject*) { ++clicks; };
  const POINT grip = client_->ClientToScreen(POINT{25, 25});
  // Pressed again where it was clicked, the press would be a double click.
  const POINT grip2 = client_->ClientToScreen(POINT{10, 40});
  const POINT over = right_->ClientToScreen(POINT{40, 60});

  // Released in place, the press is a click.
  test::MouseScript click;
  click.Press(grip).Release(grip).Start();
  ASSERT_TRUE(PumpUntil([&] { return clicks == 1 && click.Done(); }));
  EXPECT_TRUE(log_.empty());

  // Escape over a site: the site hears the control leave and nothing moves.
  test::MouseScript escaped;
  escaped.Press(grip2)
      .Move(POINT{grip2.x + 10, grip2.y})
      .Move(over)
      .Move(POINT{over.x + 5, over.y})
      .Escape()
      .Release(POINT{over.x + 5, over.y})
      .Start();
  ASSERT_TRUE(PumpUntil([&] { return escaped.Done(); }));
  EXPECT_FALSE(escaped.TimedOut());
  EXPECT_TRUE(DockedIn(left_));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(log_, (std::vector<std::string>{
                      "right site client 0,0 150,200 mouse 40,60", "right over client 40,60 enter",
                      "right site client 0,0 150,200 mouse 45,60", "right over client 45,60 move",
                      "right over client 45,60 leave"}));

  // Released over a site that refuses: nothing moves either.
  right_->OnDockOver = [](TObject*, TDragDockObject&, int, int, TDragState, bool& accept) {
    accept = false;
  };
  test::MouseScript refused;
  refused.Press(grip).Move(POINT{grip.x + 10, grip.y}).Move(over).Release(over).Start();
  ASSERT_TRUE(PumpUntil([&] { return refused.Done(); }));
  EXPECT_TRUE(DockedIn(left_));
  test::ParkCursor();
}

}  // namespace
}  // namespace kovra
