// Start-up of Kovra.exe, from process start to the bar shown, against an empty Win32 program
// showing one window under the same Wine; and the running bar's working set against that
// program's. Both programs are started in turn, many times, and the medians compared. Kovra runs
// from a folder of its own, configured for the simulated applications, so that no start-up
// warning waits for a click.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchUtil.h"
#include "framework/runtime/Text.h"
#include "support/Sim.h"
#include "support/TestPaths.h"
#include "support/TestProcess.h"

namespace kovra {
namespace {

constexpr int kRuns = 15;  // start-up times under Wine spread by a third: the medians need many
constexpr double kSettleMs = 1500;  // the bar's first watcher tick and paints are over by then

HWND VisibleWindowOf(DWORD pid) {
  struct Search {
    DWORD pid;
    HWND found;
  } search{pid, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        RECT r{};
        if (owner == s.pid && IsWindowVisible(window) && GetWindowRect(window, &r) &&
            r.right > r.left && r.bottom > r.top) {
          s.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct Start {
  double shownMs = -1;
  double workingSetKb = 0;
};

Start Measure(const std::wstring& exe, const std::wstring& dir,
              const std::vector<std::wstring>& args = {}) {
  Start start;
  const double t0 = bench::NowMs();
  test::TestProcess process(exe, args, dir);
  while (bench::NowMs() - t0 < 20000) {
    if (VisibleWindowOf(process.Pid())) {
      start.shownMs = bench::NowMs() - t0;
      break;
    }
    if (!process.Running()) break;
    Sleep(1);
  }
  if (start.shownMs < 0) return start;
  Sleep(static_cast<DWORD>(kSettleMs));
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(process.Handle(), &counters, sizeof counters)) {
    start.workingSetKb = static_cast<double>(counters.WorkingSetSize) / 1024;
  }
  return start;  // the process ends with `process`
}

void WriteText(const std::wstring& path, const std::string& utf8) {
  const std::string gbk = Utf8ToGbk(utf8);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, gbk.data(), static_cast<DWORD>(gbk.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Narrow(const std::wstring& wide) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

int Run() {
  test::TradeSim trade;
  test::QuoteSim quote;
  test::ScratchDir dir;
  const std::wstring kovra = dir.Path() + L"Kovra.exe";
  if (!CopyFileW((test::BinDir() + L"Kovra.exe").c_str(), kovra.c_str(), FALSE)) {
    std::fprintf(stderr, "StartupBench: Kovra.exe is not built\n");
    return 2;
  }
  WriteText(dir.Path() + L"Kovra.ini",
            "[Config]\r\nTradeSoft=" + Narrow(test::SimPath(L"TradeSim.exe")) +
                "\r\nStockSoft=" + Narrow(test::SimPath(L"QuoteSim.exe")) + "\r\n");
  WriteText(dir.Path() + L"股票代码表.ini", "[代码表]\r\n600000=600000 浦发银行\r\n");
  const std::wstring empty = test::BinDir() + L"EmptyWindow.exe";

  std::vector<double> kovraMs, emptyMs, kovraKb, emptyKb, dllsMs, dllsKb;
  bool allShown = true;
  // Alternating runs share whatever load the machine has; one of each first, unmeasured, warms
  // the file cache.
  Measure(kovra, dir.Path());
  Measure(empty, dir.Path());
  for (int i = 0; i < kRuns; ++i) {
    const Start k = Measure(kovra, dir.Path());
    const Start e = Measure(empty, dir.Path());
    const Start d = Measure(empty, dir.Path(), {L"--kovra-dlls"});
    allShown &= k.shownMs >= 0 && e.shownMs >= 0;
    dllsMs.push_back(d.shownMs);
    dllsKb.push_back(d.workingSetKb);
    kovraMs.push_back(k.shownMs);
    emptyMs.push_back(e.shownMs);
    kovraKb.push_back(k.workingSetKb);
    emptyKb.push_back(e.workingSetKb);
  }
  std::printf(
      "  medians: Kovra %.1f ms, %.0f KB; empty program %.1f ms, %.0f KB; empty program "
      "loading Kovra's system libraries %.1f ms, %.0f KB\n",
      bench::Median(kovraMs), bench::Median(kovraKb), bench::Median(emptyMs),
      bench::Median(emptyKb), bench::Median(dllsMs), bench::Median(dllsKb));
  const auto [kovraMin, kovraMax] = std::minmax_element(kovraMs.begin(), kovraMs.end());
  const auto [emptyMin, emptyMax] = std::minmax_element(emptyMs.begin(), emptyMs.end());
  std::printf("  spread: Kovra %.0f to %.0f ms; empty program %.0f to %.0f ms\n", *kovraMin,
              *kovraMax, *emptyMin, *emptyMax);
  bench::Verdicts verdicts;
  verdicts.Check("both programs showed their window every time", allShown,
                 allShown ? "shown" : "a window never showed");
  verdicts.Ratio("start to bar shown / start to empty window shown", bench::Median(kovraMs),
                 bench::Median(emptyMs), 1.3, true);
  verdicts.Ratio("working set of the bar / of the empty program", bench::Median(kovraKb),
                 bench::Median(emptyKb), 1.5, true, "KB");
  return verdicts.ExitCode();
}

}  // namespace
}  // namespace kovra

int wmain() {
  try {
    return kovra::Run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "StartupBench: %s\n", e.what());
    return 2;
  }
}
