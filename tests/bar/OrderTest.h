// The order tests' common start: settings the sizing rules give round figures for, and the
// driver pointed at a simulated trading client as if it had found it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "app/Global.h"
#include "support/Sim.h"

namespace kovra::test {

class OrderTest : public testing::Test {
 protected:
  void SetUp() override {
    GlobalState->CurrentCode = "600000";
    GlobalState->PriceFloat = 3;
    GlobalState->BuyAmount = 5;
    GlobalState->TradeShares = 2000;
    GlobalState->BuyByAmount = true;
    GlobalState->MarginByAmount = true;
  }

  static void Attach(const TradeSim& sim) {
    GlobalState->TradeWnd = sim.MainWindow();
    GetWindowThreadProcessId(sim.MainWindow(), &GlobalState->TradePid);
  }
};

}  // namespace kovra::test
