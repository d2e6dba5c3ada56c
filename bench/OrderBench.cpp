// One buy action ("买", fixed size) against the simulated trading client (ready delay 50 ms, no
// switch delay), all measured in the same run:
//  - its wall time against the fixed waits of the original path (200 + 500 + 100 ms), which is
//    run here too, step for step, waiting with WaitMs;
//  - its overhead: wall time minus the client's own delay;
//  - this process's CPU time against the same fixed path whose waits spin between message-pump
//    passes.
#include <windows.h>

#include <cstdio>
#include <map>
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

constexpr double kClientDelayMs = 50;  // the simulated client's ready delay; no switch delay
constexpr double kMaxOverheadMs = 60;
constexpr int kRounds = 3;
constexpr int kBlock = 5;

// A wait that never yields the processor: the reference for the CPU figure.
void SpinWaitMs(std::uint32_t ms) {
  const DWORD start = GetTickCount();
  do {
    Application().ProcessMessages();
  } while (GetTickCount() - start < ms);
}

// The original buy action: fixed waits, no checks.
template <class Wait>
void FixedBuy(TOrderDriver& driver, Wait&& wait) {
  TGlobal& state = *GlobalState;
  ShowWindow(state.TradeWnd, SW_SHOWNORMAL);
  UpdateWindow(state.TradeWnd);
  BringWindowToTop(state.TradeWnd);
  PostMessageW(state.TradeWnd, WM_KEYDOWN, VK_F1, 0);
  wait(200);
  state.FocusWnd = test::ForegroundFocus();
  driver.TypeText(state.FocusWnd, state.CurrentCode);
  wait(500);
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
  wait(100);
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
  test::TradeSim sim({L"--ready-delay", L"50"});
  GlobalState->TradeWnd = sim.MainWindow();
  GetWindowThreadProcessId(sim.MainWindow(), &GlobalState->TradePid);
  GlobalState->CurrentCode = "600000";
  GlobalState->PriceFloat = 3;
  GlobalState->BuyAmount = 5;
  GlobalState->TradeShares = 2000;
  GlobalState->BuyByAmount = true;

  TOrderDriver& driver = OrderDriver();
  std::vector<double> wall, fixedWall, spinWall;
  std::map<std::string, std::vector<double>> steps;
  double cpu = 0, spinCpu = 0;
  bool placed = true, fixedPlaced = true, spinPlaced = true;
  const auto buy = [&] {
    const TOrderOutcome outcome = driver.PlaceOrder(OrderKind::Buy, kFixedSize);
    for (const TStepTime& step : outcome.Steps) steps[step.Step].push_back(step.Ms);
  };
  // Alternating blocks share whatever load the machine has.
  for (int round = 0; round < kRounds; ++round) {
    cpu += MeasureBlock(sim, kBlock, buy, wall, placed);
    MeasureBlock(
        sim, kBlock, [&] { FixedBuy(driver, WaitMs); }, fixedWall, fixedPlaced);
    spinCpu += MeasureBlock(
        sim, kBlock, [&] { FixedBuy(driver, SpinWaitMs); }, spinWall, spinPlaced);
  }
  const int actions = kRounds * kBlock;
  const double overhead = bench::Median(wall) - kClientDelayMs;
  std::printf("buy action, %d runs each\n", actions);
  std::printf(
      "  Kovra: wall median %.1f ms (overhead %.1f ms), CPU %.2f ms per action; fixed waits: "
      "wall median %.1f ms; spinning waits: CPU %.1f ms per action\n",
      bench::Median(wall), overhead, cpu / actions, bench::Median(fixedWall), spinCpu / actions);
  std::printf("  steps (medians):");
  for (const char* step : {"client", "raise", "page", "code", "figures", "write", "press"})
    std::printf(" %s %.0f ms;", step, bench::Median(steps[step]));
  std::printf("\n");

  bench::Verdicts verdicts;
  const bool all = placed && fixedPlaced && spinPlaced;
  verdicts.Check("every buy placed its order", all, all ? "all placed" : "orders missing");
  verdicts.Ratio("wall time of one buy / the fixed-wait path", bench::Median(wall),
                 bench::Median(fixedWall), 0.35, true);
  verdicts.Ratio("overhead beyond the client's 50 ms / 60 ms", overhead, kMaxOverheadMs, 1.0, true);
  verdicts.Ratio("CPU of one buy / CPU with a spinning wait", cpu / actions, spinCpu / actions,
                 0.02, true);
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
