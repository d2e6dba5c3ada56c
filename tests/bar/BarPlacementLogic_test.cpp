#include <gtest/gtest.h>

#include <vector>

#include "bar/BarPlacementLogic.h"

namespace kovra {
namespace {

// The bar's 232 x 30 at (left, top).
TScreenRect Bar(int left, int top) {
  return {left, top, left + 232, top + 30};
}

// A 1920 x 1080 monitor with its task bar at the bottom, and a 1280 x 1024 one to its left.
const std::vector<TScreenRect> kTwoMonitors = {{0, 0, 1920, 1040}, {-1280, 0, 0, 984}};

TEST(PlaceOnScreen, APlaceWhollyOnTheWorkAreasStays) {
  EXPECT_EQ(PlaceOnScreen(Bar(100, 100), kTwoMonitors), (TScreenPoint{100, 100}));
  EXPECT_EQ(PlaceOnScreen(Bar(-1280, 954), kTwoMonitors), (TScreenPoint{-1280, 954}));
  // Across the border of two monitors, every pixel is still on one of them.
  EXPECT_EQ(PlaceOnScreen(Bar(-100, 500), kTwoMonitors), (TScreenPoint{-100, 500}));
}

TEST(PlaceOnScreen, AnUnpluggedMonitorsPlaceMovesToTheNearestWorkArea) {
  const std::vector<TScreenRect> one = {kTwoMonitors[0]};
  EXPECT_EQ(PlaceOnScreen(Bar(-900, 300), one), (TScreenPoint{0, 300}));
  EXPECT_EQ(PlaceOnScreen(Bar(-5000, -5000), one), (TScreenPoint{0, 0}));
  EXPECT_EQ(PlaceOnScreen(Bar(2500, 2000), one), (TScreenPoint{1920 - 232, 1040 - 30}));
}

TEST(PlaceOnScreen, APartlyHiddenBarComesFullyInsideTheAreaItOverlapsMost) {
  // A smaller resolution leaves it half off the right edge.
  EXPECT_EQ(PlaceOnScreen(Bar(1800, 400), kTwoMonitors), (TScreenPoint{1920 - 232, 400}));
  // Under the task bar.
  EXPECT_EQ(PlaceOnScreen(Bar(700, 1030), kTwoMonitors), (TScreenPoint{700, 1010}));
  // Below the left monitor, which is shorter: mostly beside the right one's work area.
  EXPECT_EQ(PlaceOnScreen(Bar(-200, 990), kTwoMonitors), (TScreenPoint{0, 990}));
}

TEST(PlaceOnScreen, OutsideEveryAreaTheClosestOneIsChosen) {
  EXPECT_EQ(NearestWorkArea(Bar(-2000, 100), kTwoMonitors), 1);
  EXPECT_EQ(PlaceOnScreen(Bar(-2000, 100), kTwoMonitors), (TScreenPoint{-1280, 100}));
  EXPECT_EQ(NearestWorkArea(Bar(3000, 100), kTwoMonitors), 0);
  EXPECT_EQ(NearestWorkArea(Bar(0, 0), {}), -1);
  EXPECT_EQ(PlaceOnScreen(Bar(-9000, 0), {}), (TScreenPoint{-9000, 0}));
}

TEST(PlaceOnScreen, AWorkAreaSmallerThanTheBarShowsItsTopLeft) {
  const std::vector<TScreenRect> tiny = {{10, 20, 210, 40}};
  EXPECT_EQ(PlaceOnScreen(Bar(500, 500), tiny), (TScreenPoint{10, 20}));
}

TEST(PlaceOnScreen, ExtremeCoordinatesFromAHandEditedFileDoNotOverflow) {
  const TScreenRect far{2147483000, 2147483000, 2147483232, 2147483030};
  EXPECT_EQ(PlaceOnScreen(far, kTwoMonitors), (TScreenPoint{1920 - 232, 1040 - 30}));
  const TScreenRect below{-2147483000, -2147483000, -2147482768, -2147482970};
  EXPECT_EQ(PlaceOnScreen(below, kTwoMonitors), (TScreenPoint{-1280, 0}));
}

}  // namespace
}  // namespace kovra
