// One buy action ("买", fixed size) against the simulated trading client: the wall time against
// the fixed waits of the action (200 + 500 + 100 ms), and this process's CPU time against the
// same action whose waits spin between message-pump passes, both measured in the same run.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/Global.h"
#include "bar/OrderDriver.h"
#include "bar/OrderSizing.h"
#include "BenchUtil.h"
#include "framework/Application.h"
#include "support/Sim.h"
#include "support/Wait.h"

namespace kovra {
namespace {

constexpr double kFixedWaitsMs = 200 + 500 + 100;
constexpr int kRounds = 3;
constexpr int kBlock = 5;
constexpr int kRuns = 9;  // of the step-by-step breakdown

// A wait that never yields the processor: the reference for the CPU figure.
void SpinWaitMs(std::uint32_t ms) {
  const DWORD start = GetTickCount();
  do {
    Application().ProcessMessages();
  } while (GetTickCount() - start < ms);
}

// The buy action, step for step as the driver takes it, but waiting by spinning.
void SpinningBuy(TOrderDriver& driver) {
  TGlobal& state = *GlobalState;
  ShowWindow(state.TradeWnd, SW_SHOWNORMAL);
  UpdateWindow(state.TradeWnd);
  BringWindowToTop(state.TradeWnd);
  PostMessageW(state.TradeWnd, WM_KEYDOWN, VK_F1, 0);
  SpinWaitMs(200);
  state.FocusWnd = test::ForegroundFocus();
  driver.TypeText(state.FocusWnd, state.CurrentCode);
  SpinWaitMs(500);
  state.PageWnd = GetParent(state.FocusWnd);
  driver.ListPageControls();
  const TOrderPage page = OrderPage(OrderKind::Buy);
  TSizingSettings settings;
  settings.PriceFloat = state.PriceFloat;
  settings.BuyAmount = state.BuyAmount;
  settings.TradeShares = state.TradeShares;
  settings.ByAmount = state.BuyByAmount;
  const auto figure = driver.ReadControlText(driver.ChildWnd(page.FigurePos));
  const auto price = driver.ReadControlText(driver.ChildWnd(page.PricePos));
  const auto fill =
      SizeOrder(OrderKind::Buy, kFixedSize, figure.value_or(""), price.value_or(""), settings);
  if (!fill) return;
  driver.SetControlText(driver.ChildWnd(page.PricePos), fill->PriceText);
  driver.SetControlText(driver.ChildWnd(page.QuantityPos), fill->QuantityText);
  SpinWaitMs(100);
  if (fill->Press) driver.ClickControl(driver.ChildWnd(page.ButtonPos));
}

size_t Orders(const test::TradeSim& sim) {
  size_t count = 0;
  for (const auto& entry : sim.Journal()) count += entry.event == "ORDER";
  return count;
}

// A block of back-to-back actions: each one's wall time, and the CPU time of the whole block
// (the process's times come in 10 ms ticks, so a single action is too short to time alone).
template <class Action>
double MeasureBlock(const test::TradeSim& sim, int actions, Action&& action,
                    std::vector<double>& wall, bool& placed) {
  const size_t before = Orders(sim);
  const double cpu0 = bench::ProcessCpuMs();
  for (int i = 0; i < actions; ++i) {
    const double t0 = bench::NowMs();
    action();
    wall.push_back(bench::NowMs() - t0);
  }
  const double cpu = bench::ProcessCpuMs() - cpu0;
  // The press is sent and handled before the action returns, so its order is in the journal.
  placed &= Orders(sim) == before + static_cast<size_t>(actions);
  return cpu;
}

int Run() {
  Application().Initialize();
  TGlobalStateScope scope;
  test::TradeSim sim;
  GlobalState->TradeWnd = sim.MainWindow();
  GetWindowThreadProcessId(sim.MainWindow(), &GlobalState->TradePid);
  GlobalState->CurrentCode = "600000";
  GlobalState->PriceFloat = 3;
  GlobalState->BuyAmount = 5;
  GlobalState->TradeShares = 2000;
  GlobalState->BuyByAmount = true;

  TOrderDriver& driver = OrderDriver();
  std::vector<double> wall, spinWall;
  double cpu = 0, spinCpu = 0;
  bool placed = true, spinPlaced = true;
  // Alternating blocks share whatever load the machine has.
  for (int round = 0; round < kRounds; ++round) {
    cpu += MeasureBlock(
        sim, kBlock, [&] { driver.PlaceOrder(OrderKind::Buy, kFixedSize); }, wall, placed);
    spinCpu += MeasureBlock(
        sim, kBlock, [&] { SpinningBuy(driver); }, spinWall, spinPlaced);
  }
  const int actions = kRounds * kBlock;
  std::printf("buy action, %d runs each\n", actions);
  std::printf(
      "  Kovra: wall median %.1f ms, CPU %.2f ms per action; spinning wait: wall median "
      "%.1f ms, CPU %.1f ms per action\n",
      bench::Median(wall), cpu / actions, bench::Median(spinWall), spinCpu / actions);

  // Where the time beyond the fixed waits goes: the driver's steps one by one.
  std::vector<double> raise, open, list, size;
  for (int i = 0; i < kRuns; ++i) {
    const size_t before = Orders(sim);
    double t = bench::NowMs();
    ShowWindow(GlobalState->TradeWnd, SW_SHOWNORMAL);
    UpdateWindow(GlobalState->TradeWnd);
    BringWindowToTop(GlobalState->TradeWnd);
    raise.push_back(bench::NowMs() - t);
    t = bench::NowMs();
    driver.OpenOrderPage(VK_F1);
    open.push_back(bench::NowMs() - t - 700);
    t = bench::NowMs();
    driver.ListPageControls();
    list.push_back(bench::NowMs() - t);
    t = bench::NowMs();
    driver.SizeBuy(kFixedSize);
    size.push_back(bench::NowMs() - t - 100);
    test::WaitUntil([&] { return Orders(sim) > before; }, std::chrono::seconds(3));
  }
  std::printf(
      "  beyond the waits (medians): raise alone %.1f ms; open page %.1f ms (raise, key, "
      "focus, typing, 2 waits); list %.2f ms; size, fill and press %.1f ms\n",
      bench::Median(raise), bench::Median(open), bench::Median(list), bench::Median(size));
  bench::Verdicts verdicts;
  verdicts.Check("every buy placed its order", placed && spinPlaced,
                 placed && spinPlaced ? "all placed" : "orders missing");
  verdicts.Ratio("CPU of one buy / CPU with a spinning wait", cpu / actions, spinCpu / actions,
                 0.02, true);
  verdicts.Ratio("wall time of one buy / fixed waits (800 ms)", bench::Median(wall), kFixedWaitsMs,
                 1.04, true);
  return verdicts.ExitCode();
}

}  // namespace
}  // namespace kovra

int wmain() {
  try {
    return kovra::Run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "OrderBench: %s\n", e.what());
    return 2;
  }
}
