// The panel's geometry without windows: it includes no Windows header and builds natively too.
#include "controls/RzPanelLayout.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

constexpr TRzLayoutRect kPanel{0, 0, 120, 60};

TEST(RzPanelLayout, FramesShrinkOnlyTheirSidesButTheRingClearsEverySide) {
  EXPECT_EQ(ShrinkByPanelBorders(kPanel, fsRaised, fsLowered, kAllSides, 1, 0),
            (TRzLayoutRect{4, 4, 116, 56}));
  EXPECT_EQ(ShrinkByPanelBorders(kPanel, fsRaised, fsNone, TSides{sdLeft}, 1, 3),
            (TRzLayoutRect{5, 3, 117, 57}));
  // fsStatus and fsPopup take BevelWidth, fsFlat one pixel, the rounded flat frame two.
  EXPECT_EQ(ShrinkByPanelBorders(kPanel, fsStatus, fsFlat, TSides{sdTop}, 3, 0),
            (TRzLayoutRect{0, 4, 120, 60}));
  EXPECT_EQ(ShrinkByPanelBorders(kPanel, fsFlatRounded, fsNone, TSides{sdBottom}, 5, 0),
            (TRzLayoutRect{0, 0, 120, 58}));
  EXPECT_EQ(ShrinkByPanelBorders(kPanel, fsNone, fsNone, kAllSides, 1, 0), kPanel);
}

TEST(RzPanelLayout, GridCountsWholeCellsAndNoneForZeroSpacing) {
  const TRzLayoutRect r{2, 2, 42, 32};
  EXPECT_EQ(GridCells(r, 8, 8).columns, 5);
  EXPECT_EQ(GridCells(r, 8, 8).rows, 3);
  EXPECT_EQ(GridCells(r, 0, 8).columns, 0);
  EXPECT_EQ(GridCells(r, 8, 0).rows, 0);
  EXPECT_EQ(GridCells(TRzLayoutRect{10, 10, 4, 4}, 1, 1).columns, 0);  // frames ate it all
}

TEST(RzPanelLayout, CaptionPlacementStaysInsideItsRectangle) {
  EXPECT_EQ(PlaceCaptionVertically(kPanel, avTop, 13), (TRzLayoutRect{0, 0, 120, 13}));
  EXPECT_EQ(PlaceCaptionVertically(kPanel, avCenter, 13), (TRzLayoutRect{0, 23, 120, 36}));
  EXPECT_EQ(PlaceCaptionVertically(kPanel, avBottom, 13), (TRzLayoutRect{0, 46, 120, 60}));
  // Text taller than the panel starts at the top and is cut at the bottom.
  EXPECT_EQ(PlaceCaptionVertically(kPanel, avBottom, 90), kPanel);
  EXPECT_EQ(PlaceCaptionVertically(kPanel, avTop, 90), kPanel);
}

TEST(RzPanelLayout, PanesShareAWidthChangeByTheirWidth) {
  EXPECT_EQ(ScaledPaneGrowth(60, 100, 300, 2), 20);
  EXPECT_EQ(ScaledPaneGrowth(60, 100, 292, 2), 21);  // rounded, not truncated
  EXPECT_EQ(ScaledPaneGrowth(-30, 50, 300, 2), -5);
  EXPECT_EQ(ScaledPaneGrowth(60, 100, 0, 3), 20);  // no earlier width: equal parts
  EXPECT_EQ(ScaledPaneGrowth(60, 100, 0, 0), 0);
}

}  // namespace
}  // namespace kovra
