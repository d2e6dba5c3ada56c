// INI files against the system's own profile functions, under the Chinese code page.
#include "framework/IniFiles.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <set>
#include <stdexcept>
#include <string>

#include "framework/SysUtils.h"
#include "framework/runtime/Text.h"
#include "support/TestPaths.h"

namespace kovra {
namespace {

std::string Narrow(const std::wstring& wide) {
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

std::string Gbk(std::string_view utf8) {
  return Utf8ToGbk(utf8);
}

std::string ReadBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char buf[4096];
  DWORD got;
  while (ReadFile(file, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  CloseHandle(file);
  return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

int CountFiles(const std::wstring& dir) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return count;
}

// The profile functions with GBK names, as the classic program calls them.
std::string ProfileRead(const std::string& path, std::string_view section, std::string_view key) {
  char buf[2048];
  GetPrivateProfileStringA(Gbk(section).c_str(), Gbk(key).c_str(), "<default>", buf, sizeof buf,
                           Gbk(path).c_str());
  return GbkToUtf8(buf);
}

class IniFileTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetACP(), 936u) << "the tests need the Chinese code page"; }

  test::ScratchDir dir_;
  std::wstring widePath_ = dir_.Path() + L"Kovra.ini";
  std::string path_ = Narrow(widePath_);
};

TEST_F(IniFileTest, ProfileFunctionsReadWhatWeWrite) {
  TIniFile ini(path_);
  ini.WriteString("Config", "TradeSoft", "C:\\交易软件\\xiadan.exe");
  ini.WriteInteger("MainWindow", "COLOR", -16777201);
  ini.WriteFloat("Config", "下单价格浮动", 2.5);
  ini.WriteBool("Config", "融资按金额", true);
  ini.WriteString("代码表", "大智慧(600000)", "600000 浦发银行");

  EXPECT_EQ(ProfileRead(path_, "config", "tradesoft"), "C:\\交易软件\\xiadan.exe");
  EXPECT_EQ(ProfileRead(path_, "Config", "下单价格浮动"), "2.5");
  EXPECT_EQ(ProfileRead(path_, "代码表", "大智慧(600000)"), "600000 浦发银行");
  EXPECT_EQ(GetPrivateProfileIntA("MainWindow", "COLOR", 0, path_.c_str()), -16777201);
  EXPECT_EQ(GetPrivateProfileIntA("Config", Gbk("融资按金额").c_str(), 0, Gbk(path_).c_str()), 1);
}

TEST_F(IniFileTest, WeReadWhatProfileFunctionsWrite) {
  const std::string gbkPath = Gbk(path_);
  ASSERT_TRUE(WritePrivateProfileStringA(Gbk("代码表").c_str(), Gbk("大智慧(600036)").c_str(),
                                         Gbk("600036 招商银行").c_str(), gbkPath.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("MainWindow", "strTop", "250", gbkPath.c_str()));
  ASSERT_TRUE(
      WritePrivateProfileStringA("Config", Gbk("下单价格浮动").c_str(), "1.75", gbkPath.c_str()));
  const TIniFile ini(path_);
  EXPECT_EQ(ini.ReadString("代码表", "大智慧(600036)", ""), "600036 招商银行");
  EXPECT_EQ(ini.ReadInteger("mainwindow", "STRTOP", 100), 250);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Config", "下单价格浮动", 3.0), 1.75);
}

TEST_F(IniFileTest, ValueFormatsOfTheConfiguration) {
  WriteBytes(widePath_,
             "[MainWindow]\r\nhex=0xFF\r\nsys=0XFF00000F\r\nneg=-16777201\r\nbad=abc\r\n"
             "short=0x\r\nbig=4294967296\r\nhexbig=0x100000000\r\n"
             "[Config]\r\nf=2.5\r\nfbad=abc\r\nflag2=2\r\nflag0=0\r\n");
  const TIniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("MainWindow", "hex", 0), 255);
  EXPECT_EQ(ini.ReadInteger("MainWindow", "sys", 0), -16777201);
  EXPECT_EQ(ini.ReadInteger("MainWindow", "neg", 0), -16777201);
  EXPECT_EQ(ini.ReadInteger("MainWindow", "bad", 100), 100);
  EXPECT_EQ(ini.ReadInteger("MainWindow", "short", 100), 100);
  EXPECT_EQ(ini.ReadInteger("MainWindow", "big", 100), 100);
  EXPECT_EQ(ini.ReadInteger("MainWindow", "hexbig", 100), 100);
  EXPECT_EQ(ini.ReadInteger("MainWindow", "missing", 100), 100);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Config", "f", 3.0), 2.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Config", "fbad", 3.0), 3.0);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Config", "missing", 3.0), 3.0);
  EXPECT_TRUE(ini.ReadBool("Config", "flag2", false));
  EXPECT_FALSE(ini.ReadBool("Config", "flag0", true));
  EXPECT_TRUE(ini.ReadBool("Config", "missing", true));
}

TEST_F(IniFileTest, MissingFileReadsDefaultsAndTheFirstWriteCreatesIt) {
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadString("Config", "TradeSoft", "none"), "none");
  EXPECT_EQ(ini.ReadInteger("MainWindow", "strTop", 100), 100);
  ini.WriteInteger("MainWindow", "strTop", 100);
  EXPECT_EQ(ReadBytes(widePath_), "[MainWindow]\r\nstrTop=100\r\n");
  EXPECT_EQ(CountFiles(dir_.Path()), 1);  // no temporary file left behind
}

TEST_F(IniFileTest, EachWriteReachesTheFileAndKeepsTheRest) {
  const std::string before = "; user notes\r\n[Config]\r\nTradeSoft=old\r\n\r\n[Other]\r\nx=1\r\n";
  WriteBytes(widePath_, before);
  TIniFile ini(path_);
  ini.WriteString("Config", "TradeSoft", "new");
  EXPECT_EQ(ReadBytes(widePath_),
            "; user notes\r\n[Config]\r\nTradeSoft=new\r\n\r\n[Other]\r\nx=1\r\n");
  ini.WriteFloat("Config", "下单价格浮动", 3.0);
  EXPECT_EQ(ReadBytes(widePath_), "; user notes\r\n[Config]\r\nTradeSoft=new\r\n" +
                                      Gbk("下单价格浮动=3") + "\r\n\r\n[Other]\r\nx=1\r\n");
}

// An update's changes land together; one that fails midway leaves the file untouched. A
// snapshot keeps the file as it was when taken.
TEST_F(IniFileTest, AnUpdateLandsWholeOrNotAtAll) {
  WriteBytes(widePath_, "; user notes\r\n[Config]\r\nTradeSoft=old\r\n");
  TIniFile ini(path_);
  ini.Update([](IniDocument& document) {
    document.WriteString("Config", "TradeSoft", "new");
    document.WriteString("MainWindow", "strTop", "7");
  });
  EXPECT_EQ(ReadBytes(widePath_),
            "; user notes\r\n[Config]\r\nTradeSoft=new\r\n[MainWindow]\r\nstrTop=7\r\n");
  const IniDocument snapshot = ini.Snapshot();
  const std::string before = ReadBytes(widePath_);
  EXPECT_THROW(ini.Update([](IniDocument& document) {
    document.WriteString("Config", "TradeSoft", "lost");
    document.WriteString("Config", "", "a key the format cannot hold");
  }),
               std::invalid_argument);
  EXPECT_EQ(ReadBytes(widePath_), before);
  ini.WriteString("Config", "TradeSoft", "newer");
  EXPECT_EQ(snapshot.ReadString("Config", "TradeSoft", ""), "new");
  EXPECT_EQ(ini.ReadString("Config", "TradeSoft", ""), "newer");
}

TEST_F(IniFileTest, ReadOnlyFileIsRefusedAndLeftAlone) {
  WriteBytes(widePath_, "[Config]\r\nTradeSoft=old\r\n");
  ASSERT_TRUE(SetFileAttributesW(widePath_.c_str(), FILE_ATTRIBUTE_READONLY));
  TIniFile ini(path_);
  try {
    ini.WriteString("Config", "TradeSoft", "new");
    ADD_FAILURE() << "the write was not refused";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + path_);
  }
  EXPECT_EQ(ReadBytes(widePath_), "[Config]\r\nTradeSoft=old\r\n");
  EXPECT_NE(GetFileAttributesW(widePath_.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(CountFiles(dir_.Path()), 1);
  EXPECT_EQ(ini.ReadString("Config", "TradeSoft", ""), "old");  // reading still works
  SetFileAttributesW(widePath_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(IniFileTest, ReadOnlyFolderIsRefused) {
  std::wstring folder = dir_.Path() + L"locked\\";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  WriteBytes(folder + L"Kovra.ini", "[Config]\r\nTradeSoft=old\r\n");
  ASSERT_TRUE(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::wstring probe = folder + L"probe.tmp";
  HANDLE probeFile = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  const bool folderWritable = probeFile != INVALID_HANDLE_VALUE;
  if (folderWritable) {
    CloseHandle(probeFile);
    DeleteFileW(probe.c_str());
  }
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (folderWritable) {
    // Running as root, which ignores folder permissions: a pseudo file system that refuses new
    // files to everyone stands in for the read-only folder.
    folder = L"Z:\\proc\\";
  } else {
    ASSERT_TRUE(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY));
  }
  const std::wstring file = folder + L"Kovra.ini";
  const std::string before = ReadBytes(file);
  TIniFile ini(Narrow(file));
  try {
    ini.WriteString("Config", "TradeSoft", "new");
    ADD_FAILURE() << "the write was not refused";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + Narrow(file));
  }
  EXPECT_EQ(ReadBytes(file), before);
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(IniFileTest, FileHeldOpenByAnotherProgramIsRefusedAndLeftAlone) {
  WriteBytes(widePath_, "[Config]\r\nTradeSoft=old\r\n");
  HANDLE holder =
      CreateFileW(widePath_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  TIniFile ini(path_);
  try {
    ini.WriteString("Config", "TradeSoft", "new");
    ADD_FAILURE() << "the write was not refused";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              "Unable to write to " + path_ + ": it cannot be read now and is left as it is");
  }
  EXPECT_EQ(ini.ReadString("Config", "TradeSoft", "unreadable"), "unreadable");
  CloseHandle(holder);
  EXPECT_EQ(ReadBytes(widePath_), "[Config]\r\nTradeSoft=old\r\n");
  EXPECT_EQ(CountFiles(dir_.Path()), 1);
}

std::set<std::wstring> FileNames(const std::wstring& dir) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (data.cFileName[0] != L'.') names.insert(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

// Some other process that is running now, as a writer that may be mid-write.
DWORD OtherRunningProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD found = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID != 0 && entry.th32ProcessID != GetCurrentProcessId()) {
      found = entry.th32ProcessID;
    }
  }
  CloseHandle(snapshot);
  return found;
}

std::wstring Hex(DWORD value) {
  wchar_t text[16];
  swprintf(text, 16, L"%lx", static_cast<unsigned long>(value));
  return text;
}

TEST_F(IniFileTest, AWriteSweepsTemporariesThatKilledWritersLeftOfTheSameFileOnly) {
  WriteBytes(widePath_, "[Config]\r\nTradeSoft=old\r\n");
  const DWORD other = OtherRunningProcess();
  ASSERT_NE(other, 0u);
  // No process has an id this large.
  const std::wstring dead = L"fffffff0";
  const std::set<std::wstring> stale = {L"Kovra.ini." + dead + L"-1a2b.tmp",
                                        L"KOVRA.INI.FFFFFFF0-2.TMP"};
  const std::set<std::wstring> kept = {
      L"Kovra.ini." + Hex(GetCurrentProcessId()) + L"-3.tmp",  // this process may be writing
      L"Kovra.ini." + Hex(other) + L"-4.tmp",                  // so may a running one
      L"Kovra.ini.tmp",
      L"Kovra.ini." + dead + L"-.tmp",
      L"Kovra.ini." + dead + L"-zz.tmp",
      L"Kovra.ini.1" + dead + L"-5.tmp",
      L"Kovra.ini." + dead + L"-6.tmp.bak",
      L"Kovra.ini.x." + dead + L"-7.tmp",
      L"Kovra.ini2." + dead + L"-8.tmp",
      L"Other.ini." + dead + L"-9.tmp",
      L"Kovra.ini"};
  for (const std::wstring& name : stale) WriteBytes(dir_.Path() + name, "partial");
  for (const std::wstring& name : kept) {
    if (name != L"Kovra.ini") WriteBytes(dir_.Path() + name, "not ours to delete");
  }
  const std::wstring folder = L"Kovra.ini." + dead + L"-a.tmp";
  ASSERT_TRUE(CreateDirectoryW((dir_.Path() + folder).c_str(), nullptr));

  TIniFile ini(path_);
  // A refused write sweeps nothing.
  ASSERT_TRUE(SetFileAttributesW(widePath_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_THROW(ini.WriteString("Config", "TradeSoft", "refused"), Exception);
  ASSERT_TRUE(SetFileAttributesW(widePath_.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(FileNames(dir_.Path()).size(), stale.size() + kept.size() + 1);

  ini.WriteString("Config", "TradeSoft", "new");
  std::set<std::wstring> expected = kept;
  expected.insert(folder);
  EXPECT_EQ(FileNames(dir_.Path()), expected);
  EXPECT_EQ(ini.ReadString("Config", "TradeSoft", ""), "new");
  RemoveDirectoryW((dir_.Path() + folder).c_str());
}

TEST_F(IniFileTest, ChineseFileNameOpens) {
  const std::wstring table = dir_.Path() + L"股票代码表.ini";
  WriteBytes(table, Gbk("[代码表]\r\n浦发银行(600000)=600000 浦发银行\r\n"));
  const TIniFile ini(Narrow(table));
  EXPECT_EQ(ini.ReadString("代码表", "浦发银行(600000)", ""), "600000 浦发银行");
  EXPECT_EQ(ini.ReadString("代码表", "missing", ""), "");
  EXPECT_EQ(ProfileRead(Narrow(table), "代码表", "浦发银行(600000)"), "600000 浦发银行");
}

}  // namespace
}  // namespace kovra
