#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/RzSplit.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/Input.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

using test::Pump;

class SplitterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = test::NewForm(60, 60, 420, 260);
    test::ShowInFront(*form_);
    Pump();
    split_ = test::Place<TRzSplitter>(*form_, 10, 10, 200, 100);
    split_->HandleNeeded();
    Pump();
  }
  void Mouse(UINT msg, int x, int y) {
    PostMessageW(split_->Handle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    Pump();
  }
  // Presses the bar's centre, moves by `dx`, `dy` and releases there.
  void Drag(int dx, int dy) {
    const RECT bar = split_->BarRect();
    const int x = (bar.left + bar.right) / 2, y = (bar.top + bar.bottom) / 2;
    Mouse(WM_LBUTTONDOWN, x, y);
    Mouse(WM_MOUSEMOVE, x + dx, y + dy);
    Mouse(WM_LBUTTONUP, x + dx, y + dy);
  }
  static RECT Bounds(const TControl& c) { return c.BoundsRect(); }

  std::unique_ptr<TForm> form_;
  TRzSplitter* split_ = nullptr;
};

// ---- layout ----

TEST_F(SplitterTest, PanesShareTheClientAreaAroundTheBar) {
  EXPECT_EQ(split_->Position(), 100);
  EXPECT_EQ(Bounds(split_->UpperLeftPane()).right, 100);
  const RECT bar = split_->BarRect();
  EXPECT_EQ(bar.left, 100);
  EXPECT_EQ(bar.right, 104);
  EXPECT_EQ(bar.bottom, 100);
  const RECT lr = Bounds(split_->LowerRightPane());
  EXPECT_EQ(lr.left, 104);
  EXPECT_EQ(lr.right, 200);

  split_->SetOrientation(orVertical);
  split_->SetPosition(40);
  EXPECT_EQ(Bounds(split_->UpperLeftPane()).bottom, 40);
  EXPECT_EQ(split_->BarRect().top, 40);
  EXPECT_EQ(Bounds(split_->LowerRightPane()).top, 44);
  EXPECT_EQ(Bounds(split_->LowerRightPane()).right, 200);
}

TEST_F(SplitterTest, HidingAPaneGivesTheOtherTheWholeAreaAndShowingRestoresTheBar) {
  split_->SetPosition(70);
  split_->UpperLeft().SetVisible(false);
  Pump();
  EXPECT_EQ(Bounds(split_->LowerRightPane()).left, 0);
  EXPECT_EQ(Bounds(split_->LowerRightPane()).right, 200);
  const RECT bar = split_->BarRect();
  EXPECT_TRUE(IsRectEmpty(&bar) != 0);
  split_->UpperLeft().SetVisible(true);
  Pump();
  EXPECT_EQ(split_->Position(), 70);
  EXPECT_EQ(split_->BarRect().left, 70);
  EXPECT_EQ(Bounds(split_->LowerRightPane()).left, 74);
}

TEST_F(SplitterTest, PositionIsClampedByMarginsAndBorderWidth) {
  split_->SetMarginMin(20);
  split_->SetPosition(-1);
  EXPECT_EQ(split_->Position(), 20);
  split_->SetBorderWidth(3);
  split_->SetMarginMax(10);
  split_->SetPosition(1000);
  EXPECT_EQ(split_->Position(), 200 - 10 - 4 - 2 * 3);
  // The panes sit inside the border width.
  EXPECT_EQ(Bounds(split_->UpperLeftPane()).left, 3);
  EXPECT_EQ(split_->BarRect().left, 3 + split_->Position());
}

TEST_F(SplitterTest, ChangingCanRefuseAndChangeFiresOncePerMove) {
  int changes = 0;
  split_->OnChange = [&](TObject*) { ++changes; };
  split_->OnChanging = [&](TObject*, int pos, bool& allow) { allow = pos < 150; };
  split_->SetPosition(120);
  EXPECT_EQ(split_->Position(), 120);
  split_->SetPosition(120);
  EXPECT_EQ(changes, 1);
  split_->SetPosition(160);
  EXPECT_EQ(split_->Position(), 120);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(split_->Percent(), 61);  // 120 * 100 / 198
  // Limits and pane visibility that leave the bar where it is are no change.
  split_->SetMarginMin(50);
  split_->LowerRight().SetVisible(false);
  split_->LowerRight().SetVisible(true);
  EXPECT_EQ(changes, 1);
  split_->SetMarginMax(100);
  EXPECT_EQ(split_->Position(), 96);
  EXPECT_EQ(changes, 2);
}

TEST_F(SplitterTest, LoadingMovesNamedControlsIntoTheirPanes) {
  auto* tree = new TRzPanel(form_.get());
  tree->SetName("tree");
  tree->SetParent(form_.get());
  auto* list = new TRzPanel(form_.get());
  list->SetName("list");
  list->SetParent(form_.get());
  split_->BeginLoading();
  split_->SetUpperLeftControls({"tree", "missing"});
  split_->SetLowerRightControls({"list"});
  split_->EndLoading();
  EXPECT_EQ(tree->Parent(), &split_->UpperLeftPane());
  EXPECT_EQ(list->Parent(), &split_->LowerRightPane());
}

// ---- dragging ----

TEST_F(SplitterTest, DragMovesTheBarOnReleaseAndStopsAtTheMargin) {
  int changes = 0;
  split_->OnChange = [&](TObject*) { ++changes; };
  const RECT bar = split_->BarRect();
  const int x = (bar.left + bar.right) / 2, y = 50;
  Mouse(WM_LBUTTONDOWN, x + 1, y);  // one right of the centre: that offset is kept
  EXPECT_TRUE(split_->Sliding());
  Mouse(WM_MOUSEMOVE, x + 31, y);
  EXPECT_EQ(split_->DragLinePosition(), 130);
  EXPECT_EQ(split_->Position(), 100);  // not before the release
  Mouse(WM_LBUTTONUP, x + 31, y);
  EXPECT_FALSE(split_->Sliding());
  EXPECT_EQ(split_->Position(), 130);
  EXPECT_EQ(changes, 1);

  split_->SetBorderWidth(2);
  split_->SetMarginMax(30);
  Drag(500, 0);
  EXPECT_EQ(split_->Position(), 200 - 30 - 4 - 2 * 2);
  split_->SetMarginMin(15);
  Drag(-500, 0);
  EXPECT_EQ(split_->Position(), 15);
}

TEST_F(SplitterTest, EscapeEndsADragWithoutMovingTheBar) {
  const RECT bar = split_->BarRect();
  Mouse(WM_LBUTTONDOWN, bar.left + 2, 50);
  Mouse(WM_MOUSEMOVE, bar.left + 60, 50);
  PostMessageW(split_->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  Pump();
  EXPECT_FALSE(split_->Sliding());
  Mouse(WM_LBUTTONUP, bar.left + 60, 50);
  EXPECT_EQ(split_->Position(), 100);

  // Dragged live, the bar goes back where the drag began.
  split_->SetRealTimeDrag(true);
  Mouse(WM_LBUTTONDOWN, bar.left + 2, 50);
  Mouse(WM_MOUSEMOVE, bar.left + 42, 50);
  EXPECT_EQ(split_->Position(), 140);
  split_->SetFocus();
  PostMessageW(split_->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  Pump();
  EXPECT_EQ(split_->Position(), 100);
  Mouse(WM_LBUTTONUP, bar.left + 42, 50);
  EXPECT_EQ(split_->Position(), 100);
}

TEST_F(SplitterTest, LockedBarDoesNotDragAndPressesOffTheBarAreIgnored) {
  split_->SetLockBar(true);
  Drag(40, 0);
  EXPECT_EQ(split_->Position(), 100);
  split_->SetLockBar(false);
  Mouse(WM_LBUTTONDOWN, 20, 50);  // on the upper-left pane's side of the splitter, not the bar
  EXPECT_FALSE(split_->Sliding());
  Mouse(WM_LBUTTONUP, 20, 50);
}

TEST_F(SplitterTest, VerticalBarDragsAlongY) {
  split_->SetOrientation(orVertical);
  split_->SetPosition(30);
  Drag(0, 25);
  EXPECT_EQ(split_->Position(), 55);
  Drag(0, 500);
  EXPECT_EQ(split_->Position(), 100 - 4);
}

// ---- cursor ----

TEST_F(SplitterTest, TheBarAndTheHotSpotShowTheProgramsOwnCursors) {
  const auto own = [](const wchar_t* name) { return LoadCursorW(GetModuleHandleW(nullptr), name); };
  ASSERT_NE(own(L"RZSPLIT_HORZ"), nullptr);  // this program carries them, as Kovra.exe does
  const auto cursorAt = [&](POINT client) {
    const POINT screen = split_->ClientToScreen(client);
    SetCursorPos(screen.x, screen.y);
    SetCursor(nullptr);
    SendMessageW(split_->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(split_->Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  const auto centre = [](const RECT& r) {
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  EXPECT_EQ(cursorAt(centre(split_->BarRect())), own(L"RZSPLIT_HORZ"));
  split_->SetHotSpotVisible(true);
  EXPECT_EQ(cursorAt(centre(split_->HotSpotRect())), own(L"RZSPLIT_HORZHOTSPOT"));
  // A locked bar is plain, its hot spot still a target.
  split_->SetLockBar(true);
  EXPECT_NE(cursorAt(POINT{split_->BarRect().left + 1, 5}), own(L"RZSPLIT_HORZ"));
  EXPECT_EQ(cursorAt(centre(split_->HotSpotRect())), own(L"RZSPLIT_HORZHOTSPOT"));
  split_->SetLockBar(false);

  split_->SetOrientation(orVertical);
  EXPECT_EQ(cursorAt(centre(split_->HotSpotRect())), own(L"RZSPLIT_VERTHOTSPOT"));
  split_->SetHotSpotVisible(false);
  EXPECT_EQ(cursorAt(centre(split_->BarRect())), own(L"RZSPLIT_VERT"));
}

// ---- resizing ----

TEST_F(SplitterTest, PercentIsKeptAcrossResizes) {
  split_->SetPercent(33);
  EXPECT_TRUE(split_->UsePercent());
  EXPECT_EQ(split_->Position(), 65);  // 33 % of 198
  // At 12 wide the bar stands at 3 of 10, which read back would make the percentage 30.
  for (int width : {301, 157, 12, 999, 200, 401}) {
    split_->SetWidth(width);
    Pump();
    EXPECT_EQ(split_->Percent(), 33) << width;
    EXPECT_EQ(split_->Position(), (33 * (width - 2) + 50) / 100) << width;
  }
  split_->SetPercentMin(40);
  EXPECT_EQ(split_->MinPosition(), (40 * 399 + 50) / 100);
  EXPECT_EQ(split_->Position(), split_->MinPosition());
}

TEST_F(SplitterTest, FixedUpperLeftComesBackToTheDraggedPosition) {
  Drag(50, 0);
  EXPECT_EQ(split_->Position(), 150);
  split_->SetWidth(120);
  Pump();
  EXPECT_EQ(split_->Position(), 116);
  split_->SetWidth(300);
  Pump();
  EXPECT_EQ(split_->Position(), 150);
}

TEST_F(SplitterTest, FixedLowerRightKeepsItsSize) {
  split_->SetFixedPane(fpLowerRight);
  split_->SetPosition(140);  // the lower-right pane is 56 wide
  split_->SetWidth(300);
  Pump();
  EXPECT_EQ(split_->Position(), 240);
  EXPECT_EQ(Bounds(split_->LowerRightPane()).right - Bounds(split_->LowerRightPane()).left, 56);
}

// ---- hot spot ----

TEST_F(SplitterTest, HotSpotClickClosesToTheEndAndReopens) {
  split_->SetHotSpotVisible(true);
  split_->SetMarginMin(30);
  int clicks = 0;
  split_->OnHotSpotClick = [&](TObject*) { ++clicks; };
  const RECT hot = split_->HotSpotRect();
  EXPECT_EQ(hot.bottom - hot.top, 40);  // 40 % of the bar's 100
  EXPECT_EQ(hot.top, 30);
  auto click = [&] {
    const RECT h = split_->HotSpotRect();
    const int x = (h.left + h.right) / 2, y = (h.top + h.bottom) / 2;
    Mouse(WM_LBUTTONDOWN, x, y);
    Mouse(WM_LBUTTONUP, x, y);
  };
  click();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(split_->HotSpotClosedToMin());
  EXPECT_EQ(split_->Position(), 0);  // margins ignored while closed
  EXPECT_EQ(split_->HotSpotPosition(), 100);
  click();
  EXPECT_FALSE(split_->HotSpotClosed());
  EXPECT_EQ(split_->Position(), 100);

  split_->SetHotSpotDirection(hsdMax);
  click();
  EXPECT_TRUE(split_->HotSpotClosedToMax());
  EXPECT_EQ(split_->Position(), 196);
  // Dragging the bar away opens it without a click.
  Drag(-60, 0);
  EXPECT_FALSE(split_->HotSpotClosed());
  EXPECT_EQ(split_->Position(), 136);
  EXPECT_EQ(clicks, 3);

  // A press on the hot spot released off it is no click; nor is one that moved the bar.
  const RECT h = split_->HotSpotRect();
  Mouse(WM_LBUTTONDOWN, h.left + 1, h.top + 2);
  Mouse(WM_LBUTTONUP, h.left + 1, h.top - 10);
  EXPECT_EQ(clicks, 3);
  EXPECT_FALSE(split_->HotSpotClosed());
}

TEST_F(SplitterTest, BothDirectionClosesTowardsTheNearerEnd) {
  split_->SetHotSpotVisible(true);
  split_->SetHotSpotDirection(hsdBoth);
  split_->SetPosition(150);
  split_->HotSpotClick();
  EXPECT_TRUE(split_->HotSpotClosedToMax());
  split_->HotSpotClick();
  split_->SetPosition(30);
  split_->HotSpotClick();
  EXPECT_TRUE(split_->HotSpotClosedToMin());
}

TEST_F(SplitterTest, BarAndHotSpotArePainted) {
  split_->SetHotSpotVisible(true);
  split_->SetHotSpotFrameColor(clRed);
  split_->SetColor(clBlue);
  const TBitmap shot = test::CaptureClient(*split_);
  const RECT bar = split_->BarRect(), hot = split_->HotSpotRect();
  EXPECT_EQ(BitmapPixel(shot, bar.left + 1, 5), clBlue);
  EXPECT_EQ(BitmapPixel(shot, hot.left, hot.top + 5), clRed);
  EXPECT_EQ(BitmapPixel(shot, hot.right - 1, hot.top + 5), clRed);
}

// ---- docking into the panes ----

class SplitterDockingTest : public SplitterTest {
 protected:
  void SetUp() override {
    SplitterTest::SetUp();
    split_->UpperLeft().SetDockSite(true);
    split_->LowerRight().SetDockSite(true);
    client_ = test::Place<TRzPanel>(*form_, 250, 10, 40, 40);
    client_->SetName("client");
    Listen("ul", split_->OnULGetSiteInfo, split_->OnULDockOver, split_->OnULDockDrop,
           split_->OnULUnDock);
    Listen("lr", split_->OnLRGetSiteInfo, split_->OnLRDockOver, split_->OnLRDockDrop,
           split_->OnLRUnDock);
  }

  std::string PaneName(const TWinControl* pane) const {
    return pane == &split_->UpperLeftPane()    ? "ul"
           : pane == &split_->LowerRightPane() ? "lr"
                                               : "nowhere";
  }
  // Each event writes itself into the log, with the pane's client coordinates.
  void Listen(const std::string& side, TGetSiteInfoEvent& siteInfo, TDockOverEvent& over,
              TDockDropEvent& drop, TUnDockEvent& undock) {
    const TRzSplitterPane* pane =
        side == "ul" ? &split_->UpperLeftPane() : &split_->LowerRightPane();
    const auto where = [pane](POINT screen) {
      const POINT p = pane->ScreenToClient(screen);
      return std::to_string(p.x) + "," + std::to_string(p.y);
    };
    const auto from = [this](TObject* sender) { return sender == split_ ? "" : " (wrong sender)"; };
    siteInfo = [=, this](TObject* sender, TControl* client, RECT& influence, POINT mouse, bool&) {
      log_.push_back(side + " site " + client->Name() + " " +
                     where(POINT{influence.right, influence.bottom}) + " mouse " + where(mouse) +
                     from(sender));
    };
    over = [=, this](TObject* sender, TDragDockObject& source, int x, int y, TDragState state,
                     bool&) {
      static const char* kStates[] = {"enter", "leave", "move"};
      log_.push_back(side + " over " + source.Control->Name() + " " + std::to_string(x) + "," +
                     std::to_string(y) + " " + kStates[state] + from(sender));
    };
    drop = [=, this](TObject* sender, TDragDockObject& source, int x, int y) {
      log_.push_back(side + " drop " + source.Control->Name() + " " + std::to_string(x) + "," +
                     std::to_string(y) + from(sender));
    };
    undock = [=, this](TObject* sender, TControl* client, TWinControl* target, bool&) {
      log_.push_back(side + " undock " + client->Name() + " to " + PaneName(target) + from(sender));
    };
  }

  TRzPanel* client_ = nullptr;
  std::vector<std::string> log_;
};

TEST_F(SplitterDockingTest, EachPaneFiresItsOwnSidesEvents) {
  ASSERT_TRUE(DockControl(*client_, split_->UpperLeftPane()));
  EXPECT_EQ(client_->Parent(), &split_->UpperLeftPane());
  // The influence rectangle is the pane's client area; the drop its centre.
  EXPECT_EQ(log_, (std::vector<std::string>{"ul site client 100,100 mouse 50,50",
                                            "ul over client 50,50 move", "ul drop client 50,50"}));
  log_.clear();
  ASSERT_TRUE(DockControl(*client_, split_->LowerRightPane()));
  EXPECT_EQ(client_->Parent(), &split_->LowerRightPane());
  EXPECT_EQ(log_, (std::vector<std::string>{"lr site client 96,100 mouse 48,50",
                                            "lr over client 48,50 move", "ul undock client to lr",
                                            "lr drop client 48,50"}));
  log_.clear();
  ASSERT_TRUE(UndockControl(*client_));
  EXPECT_EQ(log_, (std::vector<std::string>{"lr undock client to nowhere"}));
}

TEST_F(SplitterDockingTest, ARefusalThroughTheSplittersEventsLeavesTheControlInItsPane) {
  ASSERT_TRUE(DockControl(*client_, split_->UpperLeftPane()));
  const auto stays = [&] {
    const bool docked = DockControl(*client_, split_->LowerRightPane());
    return !docked && client_->Parent() == &split_->UpperLeftPane() &&
           split_->UpperLeftPane().DockManager()->Contains(client_);
  };
  split_->OnLRGetSiteInfo = [](TObject*, TControl*, RECT&, POINT, bool& canDock) {
    canDock = false;
  };
  EXPECT_TRUE(stays());
  split_->OnLRGetSiteInfo = nullptr;
  split_->OnLRDockOver = [](TObject*, TDragDockObject&, int, int, TDragState, bool& accept) {
    accept = false;
  };
  EXPECT_TRUE(stays());
  split_->OnLRDockOver = nullptr;
  split_->OnULUnDock = [](TObject*, TControl*, TWinControl*, bool& allow) { allow = false; };
  EXPECT_TRUE(stays());
  EXPECT_FALSE(UndockControl(*client_));
  split_->OnULUnDock = nullptr;
  EXPECT_TRUE(DockControl(*client_, split_->LowerRightPane()));
}

TEST_F(SplitterDockingTest, TheMouseDragsAControlFromOnePaneIntoTheOther) {
  ASSERT_TRUE(DockControl(*client_, split_->UpperLeftPane()));
  log_.clear();
  client_->SetDragKind(dkDock);
  client_->SetDragMode(dmAutomatic);
  Pump();
  const POINT grip = client_->ClientToScreen(POINT{client_->Width() / 2, client_->Height() / 2});
  const POINT over = split_->LowerRightPane().ClientToScreen(POINT{30, 40});
  test::MouseScript drag;
  drag.Press(grip)
      .Move(POINT{grip.x + 8, grip.y})
      .Move(over)
      .Move(POINT{over.x + 6, over.y})
      .Release(POINT{over.x + 6, over.y})
      .Start();
  ASSERT_TRUE(test::PumpUntil([&] { return drag.Done(); }));
  EXPECT_FALSE(drag.TimedOut());
  EXPECT_EQ(client_->Parent(), &split_->LowerRightPane());
  EXPECT_TRUE(split_->LowerRightPane().DockManager()->Contains(client_));
  EXPECT_FALSE(split_->UpperLeftPane().DockManager()->Contains(client_));
  // The pane it leaves is never a target; the docked client fills the pane under its caption.
  EXPECT_EQ(log_, (std::vector<std::string>{
                      "lr site client 96,100 mouse 30,40", "lr over client 30,40 enter",
                      "lr site client 96,100 mouse 36,40", "lr over client 36,40 move",
                      "ul undock client to lr", "lr drop client 36,40"}));
  EXPECT_EQ(client_->BoundsRect().top, TRzPanelDockManager::kGrabberSize);
  EXPECT_EQ(client_->Width(), 96);
  test::ParkCursor();
}

}  // namespace
}  // namespace kovra
