// The stock-code watcher: a tick whose title did not change against reading the same window's
// title alone (and it must not touch the table), and one lookup in a 6,000-entry stock-code
// table against the system's profile function on the same file, both measured in the same run.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchUtil.h"
#include "app/Configuration.h"
#include "app/Global.h"
#include "app/StockWatcher.h"
#include "framework/Application.h"
#include "framework/runtime/IniDocument.h"
#include "framework/runtime/Text.h"
#include "support/Sim.h"
#include "support/TestPaths.h"

namespace kovra {
namespace {

constexpr int kTicksPerSample = 2000;
constexpr int kLookupsPerSample = 50;
constexpr int kSamples = 9;
constexpr int kTableEntries = 6000;

// 6,000 entries as a user's table holds them: GBK names as keys, code and name as values.
std::string TableBytes() {
  std::string bytes = Utf8ToGbk("[代码表]\r\n");
  for (int i = 0; i < kTableEntries; ++i) {
    char code[8];
    std::snprintf(code, sizeof code, "%06d", 600000 + i);
    bytes += Utf8ToGbk("股票" + std::to_string(i)) + "=" + code + Utf8ToGbk(" 股票") + "\r\n";
  }
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

template <class Body>
double SampleMs(int repeats, Body&& body) {
  const double t0 = bench::NowMs();
  for (int i = 0; i < repeats; ++i) body(i);
  return bench::NowMs() - t0;
}

int Run() {
  Application().Initialize();
  TGlobalStateScope scope;
  bench::Verdicts verdicts;

  // An unchanged title.
  test::QuoteSim quote("大智慧 - [600000]");
  GlobalState->StockWnd = quote.MainWindow();
  int lookups = 0;
  TStockWatcher watcher([&](const std::string&) {
    ++lookups;
    return std::string("600000 浦发银行");
  });
  watcher.Tick();
  const int firstLookups = lookups;
  std::vector<double> ticks, titles;
  size_t sink = 0;
  for (int s = 0; s < kSamples; ++s) {
    titles.push_back(SampleMs(kTicksPerSample,
                              [&](int) { sink += ReadWindowTitle(GlobalState->StockWnd).size(); }));
    ticks.push_back(SampleMs(kTicksPerSample, [&](int) { watcher.Tick(); }));
  }
  verdicts.Check("unchanged title: no table access", firstLookups == 1 && lookups == 1,
                 (std::to_string(lookups - firstLookups) + " lookups in " +
                  std::to_string(kSamples * kTicksPerSample) + " ticks")
                     .c_str());
  verdicts.Ratio("unchanged-title tick / reading the title alone",
                 bench::Median(ticks) * 1000 / kTicksPerSample,
                 bench::Median(titles) * 1000 / kTicksPerSample, 1.5, true, "us");

  // A change of stock, looked up in a 6,000-entry table.
  test::ScratchDir dir;
  const std::wstring tablePath = dir.Path() + L"股票代码表.ini";
  WriteFileBytes(tablePath, TableBytes());
  const std::string tableUtf8 = Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(tablePath.c_str()), tablePath.size()));
  const std::string tableGbk = Utf8ToGbk(tableUtf8);
  const std::string sectionGbk = Utf8ToGbk("代码表");
  auto key = [](int i) { return "股票" + std::to_string((i * 977) % kTableEntries); };
  // The watcher's own lookup: the parsed table is kept while the file stays the same.
  const CodeLookup lookup = CodeTableLookup(tableUtf8);
  bool agree = true;
  for (int i = 0; i < 20; ++i) {
    char buffer[2048];
    GetPrivateProfileStringA(sectionGbk.c_str(), Utf8ToGbk(key(i)).c_str(), "", buffer,
                             sizeof buffer, tableGbk.c_str());
    agree &= GbkToUtf8(buffer) == lookup(key(i)) &&
             GbkToUtf8(buffer) == ReadIniValue(tableUtf8, "代码表", key(i));
  }
  verdicts.Check("both readers give the same values", agree, agree ? "same" : "differ");
  std::vector<double> ours, profile;
  for (int s = 0; s < kSamples; ++s) {
    profile.push_back(SampleMs(kLookupsPerSample, [&](int i) {
      char buffer[2048];
      sink += GetPrivateProfileStringA(sectionGbk.c_str(), Utf8ToGbk(key(i)).c_str(), "", buffer,
                                       sizeof buffer, tableGbk.c_str());
    }));
    ours.push_back(SampleMs(kLookupsPerSample, [&](int i) {
      sink += lookup(key(i)).size();
    }));
  }
  const double oursUs = bench::Median(ours) * 1000 / kLookupsPerSample;
  const double profileUs = bench::Median(profile) * 1000 / kLookupsPerSample;
  std::printf("  6,000-entry lookup: ours %.1f us, GetPrivateProfileStringA %.1f us\n", oursUs,
              profileUs);
  verdicts.Ratio("GetPrivateProfileStringA / our lookup (speed-up)", profileUs, oursUs, 5.0, false,
                 "us");
  // Where our lookup's time goes, and the floor of one that keeps the parsed table while the file
  // stays the same (one look at its size and write time per lookup).
  const std::string bytes = TableBytes();
  std::vector<double> readOnly, parseOnly, findOnly, statOnly;
  const IniDocument parsed(bytes);
  for (int s = 0; s < kSamples; ++s) {
    readOnly.push_back(SampleMs(kLookupsPerSample, [&](int) {
      HANDLE file = CreateFileW(tablePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
      std::string buffer(bytes.size(), '\0');
      DWORD got = 0;
      ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr);
      CloseHandle(file);
      sink += got;
    }));
    parseOnly.push_back(
        SampleMs(kLookupsPerSample, [&](int) { sink += IniDocument(bytes).Serialize().size(); }));
    findOnly.push_back(SampleMs(
        kLookupsPerSample, [&](int i) { sink += parsed.ReadString("代码表", key(i), "").size(); }));
    statOnly.push_back(SampleMs(kLookupsPerSample, [&](int) {
      WIN32_FILE_ATTRIBUTE_DATA data;
      sink += GetFileAttributesExW(tablePath.c_str(), GetFileExInfoStandard, &data);
    }));
  }
  auto perLookup = [](const std::vector<double>& v) {
    return bench::Median(v) * 1000 / kLookupsPerSample;
  };
  std::printf(
      "  our lookup, in parts: read the file %.1f us; parse it %.1f us (with a "
      "serialisation); find one key %.1f us\n",
      perLookup(readOnly), perLookup(parseOnly), perLookup(findOnly));
  std::printf(
      "  one GetFileAttributesExW on the table: %.1f us (%.1f x faster than the profile "
      "function)\n",
      perLookup(statOnly), profileUs / perLookup(statOnly));
  std::printf("(checksum %zu)\n", sink);
  return verdicts.ExitCode();
}

}  // namespace
}  // namespace kovra

int wmain() {
  try {
    return kovra::Run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "WatcherBench: %s\n", e.what());
    return 2;
  }
}
