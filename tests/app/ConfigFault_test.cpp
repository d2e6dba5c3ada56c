// The configuration file under bad input and faults: whatever the file holds, loading gives
// sound values, storing loses nothing that was in the file, and a store that is killed or refused
// leaves the old file or the new one, never anything else.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include "app/Configuration.h"
#include "app/Global.h"
#include "framework/SysUtils.h"
#include "framework/runtime/IniDocument.h"
#include "framework/runtime/Text.h"
#include "framework/WindowClass.h"
#include "support/TestPaths.h"
#include "support/TestProcess.h"
#include "support/Wait.h"

namespace kovra {
namespace {

constexpr const wchar_t* kWriterVariable = L"KOVRA_FAULT_STORE_FOREVER";

std::string ReadBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  CloseHandle(file);
}

// Size and last write time, read without opening the file (an open file cannot be replaced).
std::pair<ULONGLONG, ULONGLONG> Stamp(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return {ULARGE_INTEGER{{data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}}
              .QuadPart,
          ULARGE_INTEGER{{data.nFileSizeLow, data.nFileSizeHigh}}.QuadPart};
}

std::vector<std::wstring> FolderEntries(const std::wstring& dir) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0)
      names.push_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

// Lines of random bytes that cannot open a section or hold a key: binary garbage that a reader
// must step over and a writer must keep.
std::string Garbage(size_t bytes, unsigned seed) {
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < bytes) {
    char c = static_cast<char>(random() & 0xFF);
    if (c == '[' || c == '=' || c == '\r' || c == '\n' || c == ';') c = '\0';
    text += c;
    if (random() % 61 == 0) text += "\r\n";
  }
  return text + "\r\n";
}

// Two complete sets of the stored values; a store writes one of them.
struct StoredSet {
  TBarConfig bar;
  std::string tradePath;
  std::int32_t buyAmount;
  bool flags;
};
const StoredSet kSetA{{11, 12, 0x123456}, "C:\\交易\\a.exe", 5, true};
const StoredSet kSetB{{-21, 22, clBtnFace}, "D:\\b\\trade.exe", 7, false};

void Store(const std::string& path, const StoredSet& set) {
  GlobalState->TradeSoftPath = set.tradePath;
  GlobalState->StockSoftPath = set.tradePath;
  GlobalState->BuyAmount = set.buyAmount;
  GlobalState->TradeShares = set.buyAmount * 100;
  GlobalState->PriceFloat = set.buyAmount / 2.0;
  StoreConfiguration(path, set.bar, set.flags, !set.flags);
}

// Started as the writer of the kill test, this program stores forever instead of testing.
[[maybe_unused]] const bool kWriter = [] {
  wchar_t path[MAX_PATH];
  if (GetEnvironmentVariableW(kWriterVariable, path, MAX_PATH) == 0) return false;
  TGlobalStateScope state;
  for (unsigned i = 0;; ++i) {
    try {
      Store(Narrow(path), i % 2 ? kSetB : kSetA);
    } catch (const Exception&) {
      // Refused while another process had the file open: the store is tried again.
    }
  }
}();

class ConfigFaultTest : public testing::Test {
 protected:
  std::wstring WidePath() const { return dir_.Path() + L"Kovra.ini"; }
  std::string Path() const { return Narrow(WidePath()); }

  void ExpectDefaults() {
    GlobalState->TradeSoftPath = "stale";
    const TBarConfig bar = ReadConfiguration(Path());
    EXPECT_EQ(bar.Top, 100);
    EXPECT_EQ(bar.Left, 100);
    EXPECT_EQ(bar.Color, clBtnFace);
    EXPECT_EQ(GlobalState->TradeSoftPath, "");
    EXPECT_EQ(GlobalState->BuyAmount, 5);
    EXPECT_EQ(GlobalState->TradeShares, 2000);
    EXPECT_EQ(GlobalState->PriceFloat, 3.0);
    EXPECT_TRUE(GlobalState->MarginByAmount);
    EXPECT_TRUE(GlobalState->BuyByAmount);
  }

  void ExpectReadsBack(const StoredSet& set) {
    const TBarConfig bar = ReadConfiguration(Path());
    EXPECT_EQ(bar.Top, set.bar.Top);
    EXPECT_EQ(bar.Left, set.bar.Left);
    EXPECT_EQ(bar.Color, set.bar.Color);
    EXPECT_EQ(GlobalState->TradeSoftPath, set.tradePath);
    EXPECT_EQ(GlobalState->BuyAmount, set.buyAmount);
    EXPECT_EQ(GlobalState->MarginByAmount, set.flags);
    EXPECT_EQ(GlobalState->BuyByAmount, !set.flags);
  }

  TGlobalStateScope state_;
  test::ScratchDir dir_;
};

TEST_F(ConfigFaultTest, UnusableFilesGiveTheDefaults) {
  SCOPED_TRACE("missing");
  ExpectDefaults();
  for (const std::string& content :
       {std::string(), Garbage(64 * 1024, 1), std::string(3000, '\0'),
        Utf8ToGbk("[MainWindow]\r\nstrTop\r\nstrLeft 5\r\n[Config]\r\n每次买入金额\r\n"),
        std::string("\xFF\xFE") + Garbage(4096, 2), std::string("\xEF\xBB\xBF") + Garbage(999, 3),
        Utf8ToGbk("[MainWindow]\r\nstrTop=0x\r\nstrLeft=99999999999\r\nCOLOR=0xFFFFFFFFF\r\n"
                  "[Config]\r\n下单价格浮动=1e999\r\n每次买卖股数= 12 34\r\n每次买入金额=-\r\n"
                  "融资按金额=abc\r\n担保按金额=\r\n")}) {
    WriteBytes(WidePath(), content);
    SCOPED_TRACE(testing::Message() << content.size() << " bytes");
    ExpectDefaults();
  }
}

TEST_F(ConfigFaultTest, AStoreKeepsEverythingElseTheFileHeld) {
  const std::string garbage = Garbage(32 * 1024, 4);
  const std::string tail = Utf8ToGbk("[其他]\r\n键=值\r\n; 注释\r\n");
  WriteBytes(WidePath(), garbage + "[Config]\r\nTradeSoft=old\r\nno equals sign here\r\n" + tail);
  Store(Path(), kSetA);
  ExpectReadsBack(kSetA);
  const std::string after = ReadBytes(WidePath());
  EXPECT_EQ(after.substr(0, garbage.size()), garbage);
  EXPECT_NE(after.find("no equals sign here\r\n"), std::string::npos);
  EXPECT_NE(after.find(tail), std::string::npos);
  EXPECT_EQ(after.find("TradeSoft=old"), std::string::npos);
}

TEST_F(ConfigFaultTest, ATenMegabyteFileLoadsAndStoresWhole) {
  std::string big;
  while (big.size() < 10 * 1024 * 1024) big += "; padding line of a very large settings file\r\n";
  WriteBytes(WidePath(), big + "[MainWindow]\r\nstrTop=42\r\n");
  EXPECT_EQ(ReadConfiguration(Path()).Top, 42);
  Store(Path(), kSetB);
  ExpectReadsBack(kSetB);
  const std::string after = ReadBytes(WidePath());
  EXPECT_EQ(after.substr(0, big.size()), big);
}

TEST_F(ConfigFaultTest, LongValuesAreCutAtTheProfileBufferOnACharacterBoundary) {
  const std::string ascii(5000, 'a');
  std::string chinese;
  for (int i = 0; i < 1500; ++i) chinese += "股";  // two GBK bytes each
  WriteBytes(WidePath(), Utf8ToGbk("[Config]\r\nTradeSoft=" + ascii + "\r\nStockSoft=x" + chinese +
                                   "\r\n每次买入金额=" + std::string(3000, '1') + "\r\n"));
  ReadConfiguration(Path());
  EXPECT_EQ(GlobalState->TradeSoftPath, std::string(2047, 'a'));
  // 1 + 2 × 1023 GBK bytes fit in 2047; half a character is not kept.
  EXPECT_EQ(GlobalState->StockSoftPath.size(), 1 + 1023 * std::string("股").size());
  EXPECT_EQ(GlobalState->BuyAmount, 5);  // out of range: the default
  // What was read is stored and reads back the same.
  const std::string trade = GlobalState->TradeSoftPath;
  StoreConfiguration(Path(), {}, true, true);
  ReadConfiguration(Path());
  EXPECT_EQ(GlobalState->TradeSoftPath, trade);
}

TEST_F(ConfigFaultTest, DuplicateSectionsAndKeysReadTheFirstAsTheProfileFunctionsDo) {
  WriteBytes(WidePath(),
             "[Config]\r\nTradeSoft=first\r\nTradeSoft=second\r\n[MainWindow]\r\nstrTop=1\r\n"
             "[config]\r\nTradeSoft=third\r\nStockSoft=only-in-second\r\n[MAINWINDOW]\r\n"
             "strTop=2\r\nSTRTOP=3\r\n");
  const TBarConfig bar = ReadConfiguration(Path());
  wchar_t buffer[2048];
  GetPrivateProfileStringW(L"Config", L"TradeSoft", L"", buffer, 2048, WidePath().c_str());
  EXPECT_EQ(GlobalState->TradeSoftPath, Narrow(buffer));
  EXPECT_EQ(GlobalState->TradeSoftPath, "first");
  GetPrivateProfileStringW(L"Config", L"StockSoft", L"", buffer, 2048, WidePath().c_str());
  EXPECT_EQ(GlobalState->StockSoftPath, Narrow(buffer));
  EXPECT_EQ(bar.Top, 1);
  // The store changes the keys that count and leaves the shadowed ones.
  Store(Path(), kSetA);
  ExpectReadsBack(kSetA);
  const std::string after = ReadBytes(WidePath());
  EXPECT_NE(after.find("TradeSoft=second"), std::string::npos);
  EXPECT_NE(after.find("TradeSoft=third"), std::string::npos);
  EXPECT_NE(after.find("STRTOP=3"), std::string::npos);
}

// A file another program holds for a moment at start is read once it comes free: taken as
// empty, its settings would give way to the defaults at the next store. Held throughout, it
// reads as the defaults, and a store meanwhile is refused rather than replacing it.
TEST_F(ConfigFaultTest, AFileHeldByAnotherProgramIsWaitedForAndNeverReplacedUnread) {
  Store(Path(), kSetA);
  const auto hold = [this] {
    return CreateFileW(WidePath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       0, nullptr);
  };
  HANDLE held = hold();
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread release([held] {
    Sleep(150);
    CloseHandle(held);
  });
  ExpectReadsBack(kSetA);
  release.join();

  held = hold();
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ExpectDefaults();
  EXPECT_THROW(Store(Path(), kSetB), Exception);
  CloseHandle(held);
  ExpectReadsBack(kSetA);
}

// Unread at start, the file's settings are not the run's: the close puts only what changed in
// this run into the file as it then is, and leaves it alone when nothing did or it is still held.
TEST_F(ConfigFaultTest, AFileUnreadAtStartTakesOnlyTheValuesChangedInTheRun) {
  Store(Path(), kSetB);
  const std::string stored = ReadBytes(WidePath());
  HANDLE held =
      CreateFileW(WidePath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ExpectDefaults();
  TBarConfig bar;
  StoreConfiguration(Path(), bar, true, true);  // nothing changed: nothing to refuse
  bar.Top = 300;
  GlobalState->BuyAmount = 9;
  try {
    StoreConfiguration(Path(), bar, true, false);
    ADD_FAILURE() << "a store into a file that cannot be read was not refused";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(),
              "Unable to write to " + Path() + ": it cannot be read now and is left as it is");
  }
  CloseHandle(held);
  EXPECT_EQ(ReadBytes(WidePath()), stored);

  StoreConfiguration(Path(), bar, true, false);
  const IniDocument after(ReadBytes(WidePath()));
  EXPECT_EQ(after.Find("MainWindow", "strTop"), "300");
  EXPECT_EQ(after.Find("Config", "每次买入金额"), "9");
  EXPECT_EQ(after.Find("Config", "担保按金额"), "0");
  EXPECT_EQ(after.Find("MainWindow", "strLeft"), "22");
  EXPECT_EQ(after.Find("MainWindow", "COLOR"), "-16777201");
  EXPECT_EQ(after.Find("Config", "TradeSoft"), kSetB.tradePath);
  EXPECT_EQ(after.Find("Config", "每次买卖股数"), "700");
  EXPECT_EQ(after.Find("Config", "下单价格浮动"), "3.5");
  EXPECT_EQ(after.Find("Config", "融资按金额"), "0");

  // Read again, the file is the run's own: the next store writes every value.
  ReadConfiguration(Path());
  Store(Path(), kSetA);
  ExpectReadsBack(kSetA);
}

TEST_F(ConfigFaultTest, ARefusedStoreLeavesTheOldFileAndNoLitter) {
  Store(Path(), kSetA);
  const std::string before = ReadBytes(WidePath());
  ASSERT_TRUE(SetFileAttributesW(WidePath().c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_THROW(Store(Path(), kSetB), Exception);
  SetFileAttributesW(WidePath().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(WidePath()), before);
  EXPECT_EQ(FolderEntries(dir_.Path()), std::vector<std::wstring>{L"Kovra.ini"});
}

TEST_F(ConfigFaultTest, AReadOnlyFolderEitherTakesTheStoreWholeOrRefusesIt) {
  Store(Path(), kSetA);
  const std::string before = ReadBytes(WidePath());
  ASSERT_TRUE(SetFileAttributesW(dir_.Path().c_str(), FILE_ATTRIBUTE_READONLY));
  bool refused = false;
  try {
    Store(Path(), kSetB);
  } catch (const Exception& error) {
    refused = true;
    EXPECT_EQ(error.Message(), "Unable to write to " + Path());
  }
  SetFileAttributesW(dir_.Path().c_str(), FILE_ATTRIBUTE_DIRECTORY);
  if (refused) {
    EXPECT_EQ(ReadBytes(WidePath()), before);
  } else {
    ExpectReadsBack(kSetB);
  }
  EXPECT_EQ(FolderEntries(dir_.Path()), std::vector<std::wstring>{L"Kovra.ini"});
}

// A writer process stores the two sets in turn and is killed at random moments: the file then
// holds one set or the other whole (never some keys of each), parses, the rest of it is intact, and
// the temporary files of interrupted writes never replace it.
TEST_F(ConfigFaultTest, AStoreKilledAtAnyMomentLeavesTheOldOrTheNewSetWhole) {
  const std::string header = Utf8ToGbk("; 用户的注释\r\n") + Garbage(2048, 5);
  WriteBytes(WidePath(), header);
  Store(Path(), kSetA);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::mt19937 random(7);
  constexpr int kKills = 40;
  for (int kill = 0; kill < kKills; ++kill) {
    const auto before = Stamp(WidePath());
    ASSERT_TRUE(SetEnvironmentVariableW(kWriterVariable, WidePath().c_str()));
    test::TestProcess writer(self, {L"--gtest_list_tests"});
    SetEnvironmentVariableW(kWriterVariable, nullptr);
    // Let it get going (the file changes), then kill it a random moment later.
    ASSERT_TRUE(test::WaitUntil([&] { return Stamp(WidePath()) != before; }));
    Sleep(random() % 40);
    writer.Kill();

    const std::string bytes = ReadBytes(WidePath());
    ASSERT_EQ(bytes.substr(0, header.size()), header) << "kill " << kill;
    const IniDocument document(bytes);
    // The first key tells which set the file holds; every other key must be of the same set.
    const bool setA = document.Find("MainWindow", "strTop") == std::optional<std::string>("11");
    auto oneOf = [&](const char* section, const char* key, const std::string& a,
                     const std::string& b) {
      const auto value = document.Find(section, key);
      ASSERT_TRUE(value.has_value()) << key << ", kill " << kill;
      EXPECT_EQ(*value, setA ? a : b) << key << ", kill " << kill;
    };
    oneOf("MainWindow", "strTop", "11", "-21");
    oneOf("MainWindow", "strLeft", "12", "22");
    oneOf("MainWindow", "COLOR", "1193046", "-16777201");
    oneOf("Config", "TradeSoft", kSetA.tradePath, kSetB.tradePath);
    oneOf("Config", "StockSoft", kSetA.tradePath, kSetB.tradePath);
    oneOf("Config", "每次买入金额", "5", "7");
    oneOf("Config", "每次买卖股数", "500", "700");
    oneOf("Config", "下单价格浮动", "2.5", "3.5");
    oneOf("Config", "融资按金额", "1", "0");
    oneOf("Config", "担保按金额", "0", "1");
  }
  // Interrupted writes may leave their temporary files, never anything under the file's name.
  for (const std::wstring& name : FolderEntries(dir_.Path())) {
    EXPECT_TRUE(name == L"Kovra.ini" || name.ends_with(L".tmp")) << Narrow(name);
  }
}

}  // namespace
}  // namespace kovra
