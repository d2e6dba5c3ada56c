#include "shell/RzShellUtils.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <fstream>
#include <stdexcept>

#include "framework/Application.h"
#include "framework/WindowClass.h"
#include "framework/runtime/Text.h"
#include "support/TestPaths.h"
#include "support/Wait.h"

namespace kovra {
namespace {

// A scratch folder holding a.txt, b.txt and the folder sub.
class ShellFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = scratch_.Folder();
    Touch("a.txt");
    Touch("b.txt");
    ASSERT_TRUE(CreateDirectoryW(Wide(Path("sub")).c_str(), nullptr));
  }
  std::string Path(std::string_view name) const { return folder_ + "\\" + std::string(name); }
  void Touch(std::string_view name) const { ASSERT_TRUE(test::MakeFile(Path(name))) << name; }
  TRzPidl Parse(std::string_view path) const {
    TRzPidl list;
    EXPECT_HRESULT_SUCCEEDED(PathToIdList(path, list)) << path;
    return list;
  }

  test::ScratchDir scratch_;
  std::string folder_;
};

const std::uint16_t kDesktopBytes = 0;
LPCITEMIDLIST DesktopList() {
  return reinterpret_cast<LPCITEMIDLIST>(&kDesktopBytes);
}

TEST(IdListBasics, SizesCopiesAndTheDesktop) {
  EXPECT_EQ(IdListSize(nullptr), 0u);
  EXPECT_EQ(IdListSize(DesktopList()), 2u);
  const TRzPidl empty = IdListCopy(nullptr);
  ASSERT_TRUE(empty);
  EXPECT_EQ(IdListSize(empty.Get()), 2u);
  EXPECT_EQ(IdListCompare(nullptr, nullptr), 0);
  EXPECT_EQ(IdListCompare(empty.Get(), DesktopList()), 0);
  EXPECT_EQ(IdListCompare(nullptr, empty.Get()), -1);

  TRzPidl desktop;
  ASSERT_HRESULT_SUCCEEDED(SpecialFolderLocation(nullptr, CSIDL_DESKTOP, desktop));
  EXPECT_EQ(IdListItemCount(desktop.Get()), 0);
  EXPECT_EQ(IdentifySpecialFolder(desktop.Get()), CSIDL_DESKTOP);
}

TEST_F(ShellFolderTest, ListsOfRealFilesRoundTripThroughPathsAndParts) {
  const TRzPidl folder = Parse(folder_);
  const TRzPidl file = Parse(Path("a.txt"));
  ASSERT_TRUE(folder && file);
  EXPECT_TRUE(EqualsIgnoreAsciiCase(IdListToPath(folder.Get()), folder_));
  EXPECT_TRUE(EqualsIgnoreAsciiCase(IdListToPath(file.Get()), Path("a.txt")));
  EXPECT_EQ(IdListItemCount(file.Get()), IdListItemCount(folder.Get()) + 1);

  const TRzPidl copy = IdListCopy(file.Get());
  EXPECT_EQ(IdListSize(copy.Get()), IdListSize(file.Get()));
  EXPECT_EQ(IdListCompare(copy.Get(), file.Get()), 0);
  EXPECT_NE(IdListCompare(folder.Get(), file.Get()), 0);
  EXPECT_NE(IdListCompare(file.Get(), Parse(Path("b.txt")).Get()), 0);

  // Split into parent and last item, joined again.
  TRzIdListArray parts(file.Get());
  const int count = parts.ItemCount();
  EXPECT_EQ(IdListCompare(parts.Ancestor(1), folder.Get()), 0);
  const TRzPidl last = IdListCopy(parts.Item(count - 1));
  EXPECT_EQ(IdListItemCount(last.Get()), 1);
  const TRzPidl joined = IdListConcat(folder.Get(), last.Get());
  EXPECT_EQ(IdListCompare(joined.Get(), file.Get()), 0);
  EXPECT_EQ(IdListItemCount(parts.Ancestor(count)), 0);  // the desktop
  EXPECT_EQ(parts.Ancestor(count + 1), nullptr);
  EXPECT_EQ(parts.Item(count), nullptr);
  EXPECT_EQ(parts.Item(-1), nullptr);
  TRzIdListArray none(DesktopList());
  ASSERT_NE(none.Item(0), nullptr);
  EXPECT_EQ(IdListItemCount(none.Item(0)), 0);
  TRzIdListArray absent(nullptr);
  EXPECT_EQ(absent.Item(0), nullptr);
  EXPECT_EQ(absent.Ancestor(0), nullptr);

  // Bytes from outside become a list only when well-formed.
  EXPECT_EQ(IdListCompare(IdListFromBytes(IdListBytes(file.Get())).Get(), file.Get()), 0);
  const std::vector<std::uint8_t> broken = {0x40, 0, 1, 2};
  EXPECT_FALSE(IdListFromBytes(broken));
}

TEST_F(ShellFolderTest, DisplayNamesAndAttributesOfRealItems) {
  Touch("股票代码.txt");
  const TRzPidl folderList = Parse(folder_);
  TShellFolderPtr folder;
  ASSERT_HRESULT_SUCCEEDED(BindToFolder(folderList.Get(), folder));
  const TRzPidl file = Parse(Path("股票代码.txt"));
  const LPCITEMIDLIST child = IdListLastItem(file.Get());
  ASSERT_NE(child, nullptr);

  EXPECT_TRUE(EqualsIgnoreAsciiCase(ItemDisplayName(folder.Get(), child, snkForParsing),
                                    Path("股票代码.txt")));
  const std::string editing = ItemDisplayName(folder.Get(), child, snkForEditing);
  EXPECT_EQ(editing.rfind("股票代码", 0), 0u) << editing;
  const std::string inFolder = ItemDisplayName(folder.Get(), child, snkInFolder);
  EXPECT_EQ(inFolder.rfind("股票代码", 0), 0u) << inFolder;
  EXPECT_EQ(AbsoluteDisplayName(file.Get()), inFolder);
  EXPECT_FALSE(AbsoluteDisplayName(nullptr).empty());  // the desktop's own name
  EXPECT_EQ(ItemDisplayName(folder.Get(), nullptr, snkNormal), "");

  const SFGAOF fileAttributes =
      ItemAttributes(folder.Get(), child, SFGAO_FOLDER | SFGAO_FILESYSTEM);
  EXPECT_EQ(fileAttributes, SFGAO_FILESYSTEM);
  EXPECT_FALSE(IsFolderItem(fileAttributes, true));
  EXPECT_EQ(ItemAttributes(folder.Get(), nullptr, SFGAO_FOLDER), 0u);

  const TRzPidl sub = Parse(Path("sub"));
  const LPCITEMIDLIST subChild = IdListLastItem(sub.Get());
  EXPECT_TRUE(
      IsFolderItem(ItemAttributes(folder.Get(), subChild, SFGAO_FOLDER | SFGAO_STREAM), false));
  TShellFolderPtr subFolder;
  ASSERT_HRESULT_SUCCEEDED(BindToChildFolder(folder.Get(), subChild, subFolder));
  ComPtr<IEnumIDList> contents;
  EXPECT_HRESULT_SUCCEEDED(
      subFolder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, contents.Put()));
  EXPECT_HRESULT_FAILED(BindToChildFolder(nullptr, subChild, subFolder));
  EXPECT_FALSE(subFolder);

  // Archives the newer shell shows as folders count as files unless files may be folders.
  const SFGAOF archive = SFGAO_FOLDER | SFGAO_STREAM;
  EXPECT_TRUE(IsFolderItem(archive, true));
  EXPECT_EQ(IsFolderItem(archive, false), Shell32Before6());
}

TEST_F(ShellFolderTest, IconsAndSpecialFolders) {
  HIMAGELIST small = SystemImageList(sisSmall);
  HIMAGELIST large = SystemImageList(sisLarge);
  ASSERT_NE(small, nullptr);
  ASSERT_NE(large, nullptr);
  int cx = 0, cy = 0;
  ASSERT_TRUE(ImageList_GetIconSize(small, &cx, &cy));
  EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(SystemImageList(sisSmall), small);  // the system's one list, every time

  const TRzShellFileInfo byPath = FileInfoOfPath(folder_, SHGFI_SMALLICON);
  EXPECT_NE(byPath.Result, 0u);
  EXPECT_GE(byPath.IconIndex(), 0);
  const TRzShellFileInfo byList = FileInfoOfIdList(Parse(folder_).Get(), SHGFI_SMALLICON);
  EXPECT_EQ(byList.IconIndex(), byPath.IconIndex());
  EXPECT_GE(SpecialFolderIconIndex(CSIDL_DRIVES, SHGFI_SMALLICON).IconIndex(), 0);

  TRzPidl computer;
  ASSERT_HRESULT_SUCCEEDED(SpecialFolderLocation(nullptr, CSIDL_DRIVES, computer));
  EXPECT_EQ(IdentifySpecialFolder(computer.Get()), CSIDL_DRIVES);
  EXPECT_EQ(IdentifySpecialFolder(Parse(folder_).Get()), kNoSpecialFolder);
  EXPECT_FALSE(SpecialFolderPath(nullptr, CSIDL_WINDOWS).empty());
  EXPECT_EQ(SpecialFolderPath(nullptr, CSIDL_DRIVES), "");  // virtual: no path
}

TEST_F(ShellFolderTest, LocatorNotifiesOnlyOnRealChanges) {
  TRzShellLocator locator;
  int changes = 0;
  locator.OnChange = [&changes](TObject*) { ++changes; };

  const TRzPidl folder = Parse(folder_);
  locator.SetIdList(folder.Get());
  EXPECT_EQ(changes, 1);
  locator.SetIdList(IdListCopy(folder.Get()).Get());  // an equal list
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(EqualsIgnoreAsciiCase(locator.Path(), folder_));

  // The desktop is held as no list at all.
  locator.SetIdList(DesktopList());
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(locator.IdList(), nullptr);
  EXPECT_FALSE(locator.HasStoredData());
  locator.SetIdList(nullptr);
  EXPECT_EQ(changes, 2);

  locator.SetSpecialFolder(CSIDL_DRIVES);
  EXPECT_EQ(changes, 3);
  locator.SetSpecialFolder(CSIDL_DRIVES);
  EXPECT_EQ(changes, 3);
  TRzPidl computer;
  ASSERT_HRESULT_SUCCEEDED(SpecialFolderLocation(nullptr, CSIDL_DRIVES, computer));
  EXPECT_EQ(IdListCompare(locator.IdList(), computer.Get()), 0);  // located when asked
  // Leaving the special-folder mode is a change even for the same place.
  locator.SetIdList(computer.Get());
  EXPECT_EQ(changes, 4);
  EXPECT_FALSE(locator.IsSpecialFolder());
  EXPECT_EQ(locator.SpecialFolder(), kNoSpecialFolder);

  // A path that cannot be parsed leaves the desktop.
  locator.SetPath(Path("no such folder"));
  EXPECT_EQ(locator.IdList(), nullptr);
}

TEST_F(ShellFolderTest, LocatorStoredFormRoundTrips) {
  TRzShellLocator byList;
  byList.SetPath(Path("sub"));
  ASSERT_TRUE(byList.HasStoredData());
  TRzShellLocator readBack;
  ASSERT_TRUE(readBack.ReadData(byList.WriteData()));
  EXPECT_TRUE(readBack.Equals(byList));
  EXPECT_TRUE(EqualsIgnoreAsciiCase(readBack.Path(), Path("sub")));

  TRzShellLocator special;
  special.SetSpecialFolder(CSIDL_PERSONAL);
  ASSERT_TRUE(readBack.ReadData(special.WriteData()));
  EXPECT_TRUE(readBack.IsSpecialFolder());
  EXPECT_EQ(readBack.SpecialFolder(), CSIDL_PERSONAL);

  // The desktop written as an empty list reads back as special folder 0.
  TRzShellLocator desktop;
  EXPECT_EQ(desktop.WriteData(), (TRzIdBytes{0, 0, 0, 0, 0}));
  ASSERT_TRUE(readBack.ReadData(desktop.WriteData()));
  EXPECT_TRUE(readBack.IsSpecialFolder());
  EXPECT_EQ(readBack.SpecialFolder(), 0);

  // Damaged data changes nothing.
  TRzIdBytes damaged = byList.WriteData();
  damaged.pop_back();
  EXPECT_FALSE(readBack.ReadData(damaged));
  EXPECT_EQ(readBack.SpecialFolder(), 0);

  // Assign copies and notifies once; an equal source does nothing; none clears.
  int changes = 0;
  readBack.OnChange = [&changes](TObject*) { ++changes; };
  readBack.Assign(&byList);
  readBack.Assign(&byList);
  readBack.Assign(&readBack);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(readBack.Equals(byList));
  readBack.Assign(nullptr);
  EXPECT_EQ(changes, 2);
  EXPECT_FALSE(readBack.HasStoredData());
}

// The task allocator, counting what is freed through it.
class CountingMalloc final : public IMalloc {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  void* STDMETHODCALLTYPE Alloc(SIZE_T size) override { return CoTaskMemAlloc(size); }
  void* STDMETHODCALLTYPE Realloc(void* p, SIZE_T size) override {
    return CoTaskMemRealloc(p, size);
  }
  void STDMETHODCALLTYPE Free(void* p) override {
    if (p) ++freed;
    CoTaskMemFree(p);
  }
  SIZE_T STDMETHODCALLTYPE GetSize(void*) override { return static_cast<SIZE_T>(-1); }
  int STDMETHODCALLTYPE DidAlloc(void*) override { return -1; }
  void STDMETHODCALLTYPE HeapMinimize() override {}
  int freed = 0;
};

TEST_F(ShellFolderTest, PidlListSortsFindsAndHonoursItsDuplicatePolicy) {
  CountingMalloc allocator;
  TRzPidl a = Parse(Path("a.txt"));
  TRzPidl b = Parse(Path("b.txt"));
  {
    TRzPidlList list;
    list.SetAllocator(&allocator);
    list.AddWithData(IdListCopy(b.Get(), &allocator).Release(), 2);
    list.AddWithData(IdListCopy(a.Get(), &allocator).Release(), 1);
    EXPECT_EQ(list.Find(a.Get()), 1);  // unsorted: a linear scan
    list.SetSorted(true);
    EXPECT_EQ(list.Find(a.Get()) + list.Find(b.Get()), 1);
    EXPECT_EQ(list.Data(list.Find(a.Get())), 1);
    EXPECT_EQ(list.Find(Parse(Path("sub")).Get()), -1);

    TRzPidl duplicate = IdListCopy(a.Get(), &allocator);
    EXPECT_THROW(list.Add(duplicate.Get()), Exception);  // the default policy
    list.SetDuplicates(dupIgnore);
    EXPECT_EQ(list.Add(duplicate.Get()), list.Find(a.Get()));
    EXPECT_EQ(list.Count(), 2);
    list.SetDuplicates(dupAccept);
    list.Add(duplicate.Release());
    EXPECT_EQ(list.Count(), 3);

    list.Delete(0);
    EXPECT_EQ(allocator.freed, 1);
    EXPECT_THROW(list.Delete(5), Exception);
  }
  EXPECT_EQ(allocator.freed, 3);  // the list freed what it held when it went

  // Without an allocator the lists stay with the caller; a folder orders them its own way.
  TShellFolderPtr desktop = DesktopFolder();
  TRzPidlList borrowed;
  borrowed.SetFolder(desktop.Get());
  borrowed.SetSorted(true);
  borrowed.Add(b.Get());
  borrowed.Add(a.Get());
  EXPECT_EQ(borrowed.IdList(0), a.Get());
  borrowed.Clear();
  EXPECT_EQ(IdListSize(a.Get()), IdListSize(IdListCopy(a.Get()).Get()));  // still ours
}

TEST_F(ShellFolderTest, ShortcutResolvesToItsTarget) {
  const std::string lnk = Path("a.lnk");
  EnsureShellLayer();  // the test's own use of COM, started as the program's first use does
  {
    ComPtr<IShellLinkW> link;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IShellLinkW, link.PutVoid()));
    link->SetPath(Wide(Path("sub")).c_str());
    link->SetArguments(L"/x 股");
    link->SetDescription(L"说明");
    link->SetWorkingDirectory(Wide(folder_).c_str());
    link->SetShowCmd(SW_SHOWMAXIMIZED);
    link->SetHotkey(MAKEWORD('K', HOTKEYF_CONTROL));
    auto file = link.As<IPersistFile>(IID_IPersistFile);
    ASSERT_TRUE(file);
    ASSERT_HRESULT_SUCCEEDED(file->Save(Wide(lnk).c_str(), TRUE));
  }
  TRzShortcutInfo info;
  ASSERT_HRESULT_SUCCEEDED(ResolveShortcut(lnk, info, true));
  EXPECT_TRUE(EqualsIgnoreAsciiCase(info.TargetPath, Path("sub")));
  EXPECT_EQ(info.Mask, kShortcutInfoComplete);
  EXPECT_EQ(info.Arguments, "/x 股");
  EXPECT_EQ(info.Description, "说明");
  EXPECT_TRUE(EqualsIgnoreAsciiCase(info.WorkingDirectory, folder_));
  EXPECT_EQ(info.HotKey, MAKEWORD('K', HOTKEYF_CONTROL));
  EXPECT_TRUE(info.FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_TRUE(info.IdList);
  EXPECT_TRUE(EqualsIgnoreAsciiCase(IdListToPath(info.IdList.Get()), Path("sub")))
      << IdListToPath(info.IdList.Get());

  TRzShortcutInfo noList;
  ASSERT_HRESULT_SUCCEEDED(ResolveShortcut(lnk, noList, false));
  EXPECT_FALSE(noList.IdList);
  TRzShortcutInfo missing;
  EXPECT_HRESULT_FAILED(ResolveShortcut(Path("none.lnk"), missing, false));
  EXPECT_EQ(missing.Mask, 0u);
}

TEST_F(ShellFolderTest, NewFolderTakesTheFirstFreeName) {
  std::vector<std::string> errors;
  auto sink = [&errors](const std::string& message) { errors.push_back(message); };
  std::string name;
  ASSERT_EQ(CreateNewFolder(folder_, name, sink), cfrCreated);
  EXPECT_EQ(name, "New Folder");
  ASSERT_EQ(CreateNewFolder(folder_ + "\\", name, sink), cfrCreated);
  EXPECT_EQ(name, "New Folder (2)");
  for (int i = 3; i <= 50; ++i) {
    CreateDirectoryW(Wide(Path("New Folder (" + std::to_string(i) + ")")).c_str(), nullptr);
  }
  ASSERT_EQ(CreateNewFolder(folder_, name, sink), cfrCreated);
  EXPECT_EQ(name, "fldr");
  for (int i = 2; i <= 50; ++i) {
    CreateDirectoryW(Wide(Path("fldr" + std::to_string(i))).c_str(), nullptr);
  }
  EXPECT_EQ(CreateNewFolder(folder_, name, sink), cfrAlreadyExists);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Unable to create the folder 'New Folder'", 0), 0u) << errors[0];
  EXPECT_NE(errors[0].find(SysErrorMessage(ERROR_ALREADY_EXISTS)), std::string::npos);

  // Any other error stops at once and names the folder it tried.
  errors.clear();
  EXPECT_EQ(CreateNewFolder(Path("missing\\deeper"), name, sink), cfrFailed);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("'New Folder'"), std::string::npos);

  // No parent: the current directory.
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(Wide(Path("sub")).c_str()));
  const auto result = CreateNewFolder("", name, sink);
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(result, cfrCreated);
  EXPECT_NE(GetFileAttributesW(Wide(Path("sub\\New Folder")).c_str()), INVALID_FILE_ATTRIBUTES);
}

// The folder `name`, made from a timer: by whichever loop pumps this thread's messages.
std::string& LateFolder() {
  static std::string path;
  return path;
}
void CALLBACK MakeLateFolder(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  CreateDirectoryW(Wide(LateFolder()).c_str(), nullptr);
}

TEST_F(ShellFolderTest, WaitingForANewItemPumpsMessagesAndEndsWhenTheShellListsIt) {
  TShellFolderPtr folder;
  ASSERT_HRESULT_SUCCEEDED(BindToFolder(Parse(folder_).Get(), folder));
  EXPECT_TRUE(WaitForShellItem(folder.Get(), "sub", SHCONTF_FOLDERS, 0));       // there already
  EXPECT_FALSE(WaitForShellItem(folder.Get(), "a.txt", SHCONTF_FOLDERS, 100));  // not listed so

  // Made while the wait runs: only a wait that pumps messages lets the timer make it.
  LateFolder() = Path("late");
  SetTimer(nullptr, 0, 50, MakeLateFolder);
  EXPECT_TRUE(WaitForShellItem(folder.Get(), "late", SHCONTF_FOLDERS, 10000));
  EXPECT_FALSE(WaitForShellItem(folder.Get(), "never", SHCONTF_FOLDERS, 100));
  EXPECT_FALSE(WaitForShellItem(nullptr, "sub", SHCONTF_FOLDERS, 0));
}

TEST(FormatStrPos, FillsPositionalInsertsWithinItsLimit) {
  const std::string two[] = {"one", "二"};
  EXPECT_EQ(FormatStrPos("%2 then %1", two), "二 then one");
  EXPECT_EQ(FormatStrPos("", two), "");
  // Inserts are never read as formats themselves.
  const std::string tricky[] = {"%2", "x"};
  EXPECT_EQ(FormatStrPos("[%1]", tricky), "[%2]");
  // A format naming more inserts than given reads empty ones, not memory past the strings.
  EXPECT_EQ(FormatStrPos("%1|%3|%99", two), "one||");

  std::vector<std::string> fifty(50, "v");
  fifty[49] = "last";
  EXPECT_EQ(FormatStrPos("%50", fifty), "last");
  fifty.push_back("one too many");
  try {
    FormatStrPos("%1", fifty);
    FAIL() << "51 strings were accepted";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "FormatStrPos: Too many substitution strings");
  }
}

TEST(ShellDetails, FileSystemFoldersOfferDetailColumns) {
  test::ScratchDir scratch;
  TRzPidl list;
  ASSERT_HRESULT_SUCCEEDED(PathToIdList(Narrow(scratch.Path()), list));
  TShellFolderPtr folder;
  ASSERT_HRESULT_SUCCEEDED(BindToFolder(list.Get(), folder));
  ComPtr<IShellDetails> details = GetShellDetails(folder.Get());
  ASSERT_TRUE(details);
  SHELLDETAILS column{};
  ASSERT_HRESULT_SUCCEEDED(details->GetDetailsOf(nullptr, 0, &column));
  EXPECT_FALSE(StrRetToString(column.str, nullptr).empty());
  EXPECT_EQ(details->ColumnClick(0), E_NOTIMPL);
  EXPECT_FALSE(GetShellDetails(nullptr));
}

TEST(NetworkDrives, ALocalDriveIsNeverAConnectedNetworkDrive) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  const char local = static_cast<char>(windows[0]);
  EXPECT_FALSE(IsNetworkDriveConnected(local));
  EXPECT_FALSE(IsNetworkDriveConnected(local));  // the library is loaded once and kept
}

TEST(DeviceChangeHandler, ListenersRunFromThePostedMessageInOrder) {
  TRzDeviceChangeHandler handler;
  ASSERT_NE(handler.Handle(), nullptr);
  std::vector<std::string> calls;
  int first = 0, second = 0, third = 0;
  handler.Register(&first, [&](TRzDeviceChangeHandler* h, TMessage& m) {
    EXPECT_EQ(h, &handler);
    EXPECT_EQ(m.WParam, 0x8000u);
    EXPECT_EQ(m.LParam, 42);
    calls.push_back("first");
    handler.Unregister(&third);  // a listener may drop another one mid-broadcast
  });
  handler.Register(&second, [&](TRzDeviceChangeHandler*, TMessage&) {
    calls.push_back("second");
    throw Exception("listener failed");
  });
  handler.Register(&third, [&](TRzDeviceChangeHandler*, TMessage&) { calls.push_back("third"); });
  EXPECT_EQ(handler.Count(), 3);

  std::vector<std::string> reported;
  Application().OnException = [&reported](TObject*, const std::exception& e) {
    reported.push_back(e.what());
  };
  SendMessageW(handler.Handle(), WM_DEVICECHANGE, 0x8000, 42);
  EXPECT_TRUE(calls.empty());  // not inside the system's broadcast
  ASSERT_TRUE(test::WaitUntil([&] { return calls.size() >= 2; }));
  Application().OnException = nullptr;
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(reported, (std::vector<std::string>{"listener failed"}));

  calls.clear();
  handler.Unregister(&second);
  handler.SetActive(false);
  SendMessageW(handler.Handle(), TRzDeviceChangeHandler::kPostedDeviceChange, 0x8000, 42);
  EXPECT_TRUE(calls.empty());
  handler.SetActive(true);
  SendMessageW(handler.Handle(), WM_DEVICECHANGE, 0x8000, 42);
  ASSERT_TRUE(test::WaitUntil([&] { return !calls.empty(); }));
  EXPECT_EQ(calls, (std::vector<std::string>{"first"}));
  EXPECT_EQ(handler.Count(), 1);
}

}  // namespace
}  // namespace kovra
