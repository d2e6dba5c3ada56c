#include "app/ProcessFinder.h"

#include <aclapi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/runtime/Text.h"
#include "support/Sim.h"
#include "support/Wait.h"

namespace kovra {
namespace {

std::string Narrow(const std::wstring& wide) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::string AsciiCase(std::string text, bool upper) {
  for (char& c : text) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// A copy of the simulated trading client in a folder of its own, started from there.
class TradeCopy {
 public:
  explicit TradeCopy(const wchar_t* folder) {
    const std::wstring dir = scratch_.Path() + folder + L"\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    path_ = dir + L"TradeSim.exe";
    if (!CopyFileW(test::SimPath(L"TradeSim.exe").c_str(), path_.c_str(), FALSE)) {
      throw std::runtime_error("cannot copy TradeSim.exe");
    }
  }
  void Start() {
    process_ = std::make_unique<test::TestProcess>(path_);
    window_ = process_->WaitForWindow(L"KovraTradeSim");
    if (!window_) throw std::runtime_error("TradeSim shows no window");
  }
  std::string Path() const { return Narrow(path_); }
  DWORD Pid() const { return process_->Pid(); }
  HANDLE Handle() const { return process_->Handle(); }
  HWND Window() const { return window_; }

 private:
  test::ScratchDir scratch_;
  std::wstring path_;
  std::unique_ptr<test::TestProcess> process_;
  HWND window_ = nullptr;
};

TEST(FindProcessByPath, TheCopyRunningFromTheGivenFolderIsFound) {
  TradeCopy first(L"券商A"), second(L"broker b");
  first.Start();
  second.Start();
  EXPECT_EQ(FindProcessByPath(first.Path()), first.Pid());
  EXPECT_EQ(FindProcessByPath(second.Path()), second.Pid());
  EXPECT_EQ(FindProcessByPath(AsciiCase(second.Path(), true)), second.Pid());
  EXPECT_EQ(FindProcessByPath(AsciiCase(first.Path(), false)), first.Pid());
}

TEST(FindProcessByPath, OneWalkAnswersEveryPathOnItsOwn) {
  TradeCopy first(L"one"), second(L"two"), idle(L"idle");
  first.Start();
  second.Start();
  const std::string a = second.Path(), b = idle.Path(), c = first.Path();
  const std::string_view paths[] = {a, "", b, c};
  const std::vector<DWORD> pids = FindProcessesByPath(paths);
  ASSERT_EQ(pids.size(), 4u);
  EXPECT_EQ(pids[0], second.Pid());
  EXPECT_EQ(pids[1], 0u);
  EXPECT_EQ(pids[2], 0u);
  EXPECT_EQ(pids[3], first.Pid());
  EXPECT_TRUE(FindProcessesByPath({}).empty());
}

TEST(FindProcessByPath, TheSameFileNameElsewhereOrNothingGivesZero) {
  TradeCopy running(L"run"), idle(L"idle");
  running.Start();
  EXPECT_EQ(FindProcessByPath(idle.Path()), 0u);
  EXPECT_EQ(FindProcessByPath(""), 0u);
  EXPECT_EQ(FindProcessByPath("C:\\nowhere\\NoSuchProgram.exe"), 0u);
  // The folder, not the file, is what differs: TradeSim.exe in a folder that is a prefix.
  EXPECT_EQ(
      FindProcessByPath(running.Path().substr(0, running.Path().size() - 12) + "x\\TradeSim.exe"),
      0u);
}

TEST(FindProcessByPath, AProcessWithoutAMainWindowIsRejected) {
  TradeCopy copy(L"hidden");
  copy.Start();
  ShowWindow(copy.Window(), SW_HIDE);
  ASSERT_TRUE(test::WaitUntil([&] { return !IsWindowVisible(copy.Window()); }));
  EXPECT_EQ(FindProcessByPath(copy.Path()), 0u);
  ShowWindow(copy.Window(), SW_SHOWNA);
  ASSERT_TRUE(test::WaitUntil([&] { return IsWindowVisible(copy.Window()); }));
  EXPECT_EQ(FindProcessByPath(copy.Path()), copy.Pid());
}

// As a client started with higher rights looks to a program that is not: everyone may ask for
// its image name, nobody may read its memory.
bool GrantOnlyTheImageName(HANDLE process) {
  BYTE everyone[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof everyone;
  if (!CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size)) return false;
  EXPLICIT_ACCESS_W access{};
  access.grfAccessPermissions = PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;
  access.grfAccessMode = SET_ACCESS;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.ptstrName = reinterpret_cast<wchar_t*>(everyone);
  PACL acl = nullptr;
  if (SetEntriesInAclW(1, &access, nullptr, &acl) != ERROR_SUCCESS) return false;
  const DWORD set = SetSecurityInfo(process, SE_KERNEL_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, acl, nullptr);
  LocalFree(acl);
  return set == ERROR_SUCCESS;
}

TEST(FindProcessByPath, AProcessThatOnlyTellsItsImageNameIsFound) {
  TradeCopy guarded(L"guarded");
  guarded.Start();
  ASSERT_TRUE(GrantOnlyTheImageName(guarded.Handle()));
  HANDLE full = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, guarded.Pid());
  if (full) {
    CloseHandle(full);
    GTEST_SKIP() << "this system lets the owner read a guarded process's memory anyway";
  }
  EXPECT_EQ(FindProcessByPath(guarded.Path()), guarded.Pid());
}

TEST(FindMainWindow, TakesTheVisibleUnownedWindowOfTheProcess) {
  test::TradeSim sim;
  EXPECT_EQ(FindMainWindow(sim.Process().Pid()), sim.MainWindow());
  EXPECT_EQ(FindMainWindow(0), nullptr);
  EXPECT_TRUE(IsMainWindow(sim.MainWindow()));

  HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                               nullptr, nullptr, nullptr);
  HWND owned = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, owner,
                               nullptr, nullptr, nullptr);
  EXPECT_FALSE(IsMainWindow(owned));
  ShowWindow(owner, SW_HIDE);
  EXPECT_FALSE(IsMainWindow(owner));
  EXPECT_EQ(FindMainWindow(GetCurrentProcessId()), nullptr);
  DestroyWindow(owner);
}

}  // namespace
}  // namespace kovra
