// Our open dialog (TRzOpenDialog) against the system's (GetOpenFileNameW), same filter and folder,
// on a scratch folder of 10,000 files and one of 2,000 files with Chinese names:
//  - the time from the call to the dialog's list holding every item, and the process's private
//    bytes at that moment; each side runs in a fresh process of its own (this program started
//    again as a child), both watched the same way: a thread of the child polls the list views of
//    its windows for their item count;
//  - 1,000 files created in the shown folder while our dialog is open: the time until its list
//    holds them all, and how many refreshes it took;
//  - our dialog opened and closed 50 times: the process's GDI and USER objects before and after.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BenchUtil.h"
#include "framework/Application.h"
#include "framework/SysUtils.h"
#include "framework/WindowClass.h"
#include "shell/RzShellDialogs.h"
#include "shell/RzShellOpenForm.h"
#include "shell/RzShellUtils.h"
#include "support/Gdi.h"
#include "support/TestPaths.h"
#include "support/TestProcess.h"

namespace kovra {
namespace {

constexpr int kManyFiles = 10000;
constexpr int kChineseFiles = 2000;
constexpr int kFewFiles = 12;
constexpr int kCreatedFiles = 1000;
constexpr int kRuns = 3;    // fresh processes per side and folder
constexpr int kRounds = 2;  // dialogs per process: the first loads the shell, the second is warm
constexpr int kCycles = 50;
constexpr double kShowTimeoutMs = 120000;
constexpr double kRefreshLimitMs = 3000;
constexpr int kRefreshLimit = 3;

constexpr const char* kFilter = "文本文件 (*.txt)|*.txt";
constexpr wchar_t kSystemFilter[] = L"文本文件 (*.txt)\0*.txt\0";

// ---- In the child: watching this process's windows ----

struct ListSighting {
  HWND window = nullptr;  // the top-level window holding the list
  int items = -1;
};

// The fullest list view among the visible windows of this process; its item count is asked of
// the window's thread, which answers only between its own messages.
ListSighting FullestList() {
  struct Search {
    DWORD pid;
    ListSighting best;
    HWND top;
  } search{GetCurrentProcessId(), {}, nullptr};
  EnumWindows(
      [](HWND top, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(top, &pid);
        if (pid != s.pid || !IsWindowVisible(top)) return TRUE;
        s.top = top;
        EnumChildWindows(
            top,
            [](HWND child, LPARAM param) -> BOOL {
              auto& s = *reinterpret_cast<Search*>(param);
              wchar_t cls[64] = {};
              GetClassNameW(child, cls, 64);
              if (lstrcmpiW(cls, WC_LISTVIEWW) != 0 || !IsWindowVisible(child)) return TRUE;
              DWORD_PTR count = 0;
              if (SendMessageTimeoutW(child, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 10000, &count) &&
                  static_cast<int>(count) > s.best.items)
                s.best = {s.top, static_cast<int>(count)};
              return TRUE;
            },
            param);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.best;
}

// Any visible top-level window of this process, for closing a dialog whose list never filled.
HWND AnyVisibleWindow() {
  struct Search {
    DWORD pid;
    HWND found;
  } search{GetCurrentProcessId(), nullptr};
  EnumWindows(
      [](HWND top, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(top, &pid);
        if (pid == s.pid && IsWindowVisible(top)) {
          s.found = top;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

double PrivateKb() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(),
                            reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
    return 0;
  // Wine leaves PrivateUsage empty; its page-file usage counts the same private pages.
  const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
  return static_cast<double>(bytes) / 1024;
}

struct Shown {
  double ms = -1;  // -1: the list never held every item
  double privateKb = 0;
  double beforeKb = 0;  // just before the call
};

// Runs `execute` (which shows a modal dialog) while a thread waits for a list of `expected`
// items, takes the time and the private bytes then, runs `whileOpen` and closes the window.
template <class Execute, class WhileOpen>
Shown ShowDialog(Execute&& execute, int expected, WhileOpen&& whileOpen) {
  Shown shown;
  shown.beforeKb = PrivateKb();
  std::atomic<bool> running{true};
  const double t0 = bench::NowMs();
  std::thread watcher([&] {
    HWND window = nullptr;
    while (running && bench::NowMs() - t0 < kShowTimeoutMs) {
      const ListSighting seen = FullestList();
      if (seen.items >= expected) {
        shown.ms = bench::NowMs() - t0;
        shown.privateKb = PrivateKb();
        window = seen.window;
        whileOpen(window);
        break;
      }
      Sleep(2);
    }
    // Closed until the dialog returns (a close that came before the window took it is repeated).
    while (running) {
      HWND target = window && IsWindow(window) ? window : AnyVisibleWindow();
      if (target) PostMessageW(target, WM_CLOSE, 0, 0);
      Sleep(50);
    }
  });
  execute();
  running = false;
  watcher.join();
  return shown;
}

void ExecuteOurs(const std::string& folder) {
  TRzOpenDialog dialog(nullptr);
  dialog.SetFilter(kFilter);
  dialog.SetInitialDir(folder);
  dialog.SetOptions(dialog.Options() | osoNoChangeDir);
  dialog.Execute();
}

void ExecuteSystem(const std::wstring& folder) {
  wchar_t file[MAX_PATH * 2] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = kSystemFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH * 2;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  GetOpenFileNameW(&ofn);
}

// --open ours|system <folder> <expected> <result file>: kRounds dialogs, a line
// "ms KB KB-before" each.
int ChildOpen(bool ours, const std::wstring& folder, int expected, std::ofstream& out) {
  for (int round = 0; round < kRounds; ++round) {
    auto execute = [&] {
      if (ours)
        ExecuteOurs(Narrow(folder));
      else
        ExecuteSystem(folder);
    };
    const Shown shown = ShowDialog(execute, expected, [](HWND) {});
    out << shown.ms << ' ' << shown.privateKb << ' ' << shown.beforeKb << '\n';
  }
  return 0;
}

// --refresh <folder> <expected> <result file>: "ms refreshes burst-ms": the time from the last
// of the files created while the dialog was open to its list holding them all, the refreshes
// that took, and how long the creating took.
int ChildRefresh(const std::wstring& folder, int expected, std::ofstream& out) {
  TRzOpenDialog dialog(nullptr);
  dialog.SetFilter(kFilter);
  dialog.SetInitialDir(Narrow(folder));
  dialog.SetOptions(dialog.Options() | osoNoChangeDir);
  auto list = [&]() -> TRzShellList& {
    return static_cast<TRzShellOpenSaveForm*>(dialog.Form())->ShellList();
  };
  int refreshes = -1, refreshesBefore = 0;
  dialog.OnFormShow = [&](TObject*) { refreshesBefore = list().RefreshCount(); };
  dialog.OnFormClose = [&](TObject*) { refreshes = list().RefreshCount() - refreshesBefore; };
  double ms = -1, burstMs = 0;
  auto createFiles = [&](HWND) {
    const double start = bench::NowMs();
    for (int i = 0; i < kCreatedFiles; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "\\new_%04d.txt", i);
      test::MakeFile(Narrow(folder) + name);
    }
    // Counted from the last file: Wine takes milliseconds to create each one in a large folder.
    const double t0 = bench::NowMs();
    burstMs = t0 - start;
    while (bench::NowMs() - t0 < 4 * kRefreshLimitMs) {
      if (FullestList().items >= expected + kCreatedFiles) {
        ms = bench::NowMs() - t0;
        break;
      }
      Sleep(2);
    }
  };
  ShowDialog([&] { dialog.Execute(); }, expected, createFiles);
  out << ms << ' ' << refreshes << ' ' << burstMs << '\n';
  return 0;
}

struct GuiObjects {
  int gdi = 0, user = 0;
  bool counted = false;  // the system's counters; otherwise the headroom left (fewer is more)
};

// How many more USER objects (menus here) the session may create: Wine's counter reads 0.
int UserHeadroom() {
  std::vector<HMENU> menus;
  for (;;) {
    HMENU menu = CreatePopupMenu();
    if (!menu || menus.size() >= 200000) break;
    menus.push_back(menu);
  }
  for (HMENU menu : menus) DestroyMenu(menu);
  return static_cast<int>(menus.size());
}

GuiObjects CountGuiObjects() {
  GuiObjects objects;
  objects.gdi = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  objects.user = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  objects.counted = objects.gdi > 0 && objects.user > 0;
  if (!objects.counted) {
    objects.gdi = test::GdiHeadroom();
    objects.user = UserHeadroom();
  }
  return objects;
}

// --cycles <folder> <expected> <result file>: "counted gdi user" before and after kCycles
// dialogs, after one first dialog that builds the caches every later one shares.
int ChildCycles(const std::wstring& folder, int expected, std::ofstream& out) {
  auto once = [&] {
    return ShowDialog([&] { ExecuteOurs(Narrow(folder)); }, expected, [](HWND) {});
  };
  once();
  const GuiObjects before = CountGuiObjects();
  int shownAll = 0;
  for (int i = 0; i < kCycles; ++i) shownAll += once().ms >= 0;
  const GuiObjects after = CountGuiObjects();
  out << before.counted << ' ' << before.gdi << ' ' << before.user << ' ' << after.gdi << ' '
      << after.user << ' ' << shownAll << '\n';
  return 0;
}

int Child(int argc, wchar_t** argv) {
  const std::wstring mode = argv[1];
  Application().Initialize();
  TRzShellLayerScope shellLayer;
  if (mode == L"--open" && argc == 6) {
    const bool ours = std::wstring(argv[2]) == L"ours";
    if (!ours) OleInitialize(nullptr);  // as a program showing the system's dialog would
    std::ofstream out{std::filesystem::path(argv[5])};
    const int result = ChildOpen(ours, argv[3], _wtoi(argv[4]), out);
    if (!ours) OleUninitialize();
    return result;
  }
  std::ofstream out{std::filesystem::path(argv[argc - 1])};
  if (mode == L"--refresh" && argc == 5) return ChildRefresh(argv[2], _wtoi(argv[3]), out);
  if (mode == L"--cycles" && argc == 5) return ChildCycles(argv[2], _wtoi(argv[3]), out);
  return 2;
}

// ---- In the parent ----

std::wstring SelfPath() {
  wchar_t path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  return std::wstring(path, n);
}

// Runs a child and reads back its result lines (none when it failed).
std::vector<std::vector<double>> RunChild(const std::vector<std::wstring>& args,
                                          const std::wstring& resultFile) {
  DeleteFileW(resultFile.c_str());
  std::vector<std::wstring> all = args;
  all.push_back(resultFile);
  test::TestProcess child(SelfPath(), all);
  if (child.WaitExit(600000) != 0) return {};
  std::vector<std::vector<double>> lines;
  std::ifstream in{std::filesystem::path(resultFile)};
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::vector<double> values;
    for (double v; fields >> v;) values.push_back(v);
    if (!values.empty()) lines.push_back(values);
  }
  return lines;
}

std::wstring MakeFolder(const test::ScratchDir& root, const std::wstring& name,
                        const std::vector<std::string>& files) {
  const std::wstring folder = root.Path() + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::string prefix = Narrow(folder) + "\\";
  for (const std::string& file : files) test::MakeFile(prefix + file, file.size() * 37);
  return folder;
}

std::vector<std::string> ManyNames(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "data_%05d.txt", (i * 7919) % count);
    names.emplace_back(name);
  }
  return names;
}

// Names as a trader's folder might hold them: stock names, reports and dates.
std::vector<std::string> ChineseNames(int count) {
  static const char* const kWords[] = {"浦发银行", "贵州茅台", "中国平安", "招商银行", "万科",
                                       "五粮液",   "格力电器", "交易记录", "资金流水", "委托回报",
                                       "年报",     "季报",     "行情",     "笔记",     "代码表"};
  constexpr int kWordCount = sizeof kWords / sizeof kWords[0];
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    char date[16];
    std::snprintf(date, sizeof date, "%04d", i);
    names.push_back(std::string(kWords[i % kWordCount]) + kWords[(i / kWordCount) % kWordCount] +
                    "_" + date + ".txt");
  }
  return names;
}

struct SideFigures {
  std::vector<double> coldMs, warmMs, coldKb, dialogKb;
  bool complete = true;
};

void MeasureFolder(const std::wstring& folder, int expected, const std::wstring& resultFile,
                   SideFigures& ours, SideFigures& system) {
  const std::wstring count = std::to_wstring(expected);
  for (int run = 0; run < kRuns; ++run) {
    for (bool isOurs : {true, false}) {
      SideFigures& side = isOurs ? ours : system;
      const auto lines =
          RunChild({L"--open", isOurs ? L"ours" : L"system", folder, count}, resultFile);
      if (lines.size() != kRounds || lines[0][0] < 0 || lines[1][0] < 0) {
        side.complete = false;
        continue;
      }
      side.coldMs.push_back(lines[0][0]);
      side.coldKb.push_back(lines[0][1]);
      side.dialogKb.push_back(lines[0][1] - lines[0][2]);
      side.warmMs.push_back(lines[1][0]);
    }
  }
}

void ReportFolder(const char* name, const SideFigures& ours, const SideFigures& system,
                  bench::Verdicts& verdicts) {
  std::printf(
      "  %s: ours first %.0f ms, again %.0f ms, %.0f KB; system's first %.0f ms, again "
      "%.0f ms, %.0f KB (medians of %d processes each)\n",
      name, bench::Median(ours.coldMs), bench::Median(ours.warmMs), bench::Median(ours.coldKb),
      bench::Median(system.coldMs), bench::Median(system.warmMs), bench::Median(system.coldKb),
      kRuns);
  std::printf("  %s: private bytes the first dialog added: ours %.0f KB, system's %.0f KB\n", name,
              bench::Median(ours.dialogKb), bench::Median(system.dialogKb));
  const std::string label(name);
  verdicts.Check((label + ": both lists showed every item").c_str(),
                 ours.complete && system.complete,
                 ours.complete && system.complete ? "every run" : "a list never filled");
  verdicts.Ratio((label + ": first open to full list / system's").c_str(),
                 bench::Median(ours.coldMs), bench::Median(system.coldMs), 1.0, true);
  verdicts.Ratio((label + ": open again to full list / system's").c_str(),
                 bench::Median(ours.warmMs), bench::Median(system.warmMs), 1.0, true);
  verdicts.Ratio((label + ": private bytes then / system's").c_str(), bench::Median(ours.coldKb),
                 bench::Median(system.coldKb), 1.0, true, "KB");
}

int Run() {
  test::ScratchDir root;
  const double t0 = bench::NowMs();
  const std::wstring many = MakeFolder(root, L"many", ManyNames(kManyFiles));
  const std::wstring chinese = MakeFolder(root, L"中文名", ChineseNames(kChineseFiles));
  const std::wstring few = MakeFolder(root, L"few", ManyNames(kFewFiles));
  std::printf("  scratch folders made in %.0f ms\n", bench::NowMs() - t0);
  std::fflush(stdout);
  const std::wstring resultFile = root.Path() + L"result.txt";

  // One unmeasured run of each side first: the files' metadata in the cache for both.
  RunChild({L"--open", L"ours", many, std::to_wstring(kManyFiles)}, resultFile);
  RunChild({L"--open", L"system", many, std::to_wstring(kManyFiles)}, resultFile);

  SideFigures oursMany, systemMany, oursChinese, systemChinese;
  MeasureFolder(many, kManyFiles, resultFile, oursMany, systemMany);
  MeasureFolder(chinese, kChineseFiles, resultFile, oursChinese, systemChinese);

  const auto cycles = RunChild({L"--cycles", few, std::to_wstring(kFewFiles)}, resultFile);
  const auto refresh = RunChild({L"--refresh", many, std::to_wstring(kManyFiles)}, resultFile);

  bench::Verdicts verdicts;
  ReportFolder("10,000 files", oursMany, systemMany, verdicts);
  ReportFolder("2,000 Chinese names", oursChinese, systemChinese, verdicts);

  const bool refreshRan = refresh.size() == 1 && refresh[0].size() == 3;
  const bool refreshed = refreshRan && refresh[0][0] >= 0;
  const double refreshMs = refreshRan ? refresh[0][0] : -1;
  const int refreshes = refreshRan ? static_cast<int>(refresh[0][1]) : -1;
  if (refreshRan)
    std::printf("  1,000 files created in the shown folder of 10,000 in %.0f ms\n", refresh[0][2]);
  char detail[160];
  std::snprintf(detail, sizeof detail, "%8.0f ms  (<= %.0f)", refreshMs, kRefreshLimitMs);
  verdicts.Check("1,000 new files: all listed, from the last one, within",
                 refreshed && refreshMs <= kRefreshLimitMs, detail);
  std::snprintf(detail, sizeof detail, "%8d     (<= %d)", refreshes, kRefreshLimit);
  verdicts.Check("1,000 new files: refreshes",
                 refreshed && refreshes >= 1 && refreshes <= kRefreshLimit, detail);

  const bool cycled = cycles.size() == 1 && cycles[0].size() == 6;
  if (cycled) {
    const auto& c = cycles[0];
    const bool counted = c[0] != 0;
    std::printf("  %d dialogs of %d showed their list; %s\n", static_cast<int>(c[5]), kCycles,
                counted ? "the system's object counts"
                        : "objects measured as the headroom left (the system's counter reads 0)");
    std::snprintf(detail, sizeof detail, "%6.0f -> %6.0f", c[1], c[3]);
    verdicts.Check(counted ? "50 dialogs: GDI objects before -> after"
                           : "50 dialogs: GDI headroom before -> after",
                   c[1] == c[3] && c[5] == kCycles, detail);
    std::snprintf(detail, sizeof detail, "%6.0f -> %6.0f", c[2], c[4]);
    verdicts.Check(counted ? "50 dialogs: USER objects before -> after"
                           : "50 dialogs: USER headroom before -> after",
                   c[2] == c[4] && c[5] == kCycles, detail);
  } else {
    verdicts.Check("50 dialogs: GDI and USER objects", false, "the run failed");
  }
  return verdicts.ExitCode();
}

}  // namespace
}  // namespace kovra

int wmain(int argc, wchar_t** argv) {
  try {
    if (argc > 1) return kovra::Child(argc, argv);
    return kovra::Run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "OpenDialogBench: %s\n", e.what());
    return 2;
  }
}
