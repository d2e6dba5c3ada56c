// The Send To submenu of the shell tree's and list's context menus, through the real menu loop.
// Wine's shell offers no Send To at all, so the test proves that and then puts into the open
// menu what the Windows shell shows when it leaves Send To to the control: a submenu holding one
// greyed item. The control fills it from the prefix's Send To folder, draws the entries, and
// hands the chosen one the items as a drop.
#include "shell/RzShellSendTo.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/runtime/Text.h"
#include "shell/RzShellIntf.h"
#include "shell/RzShellList.h"
#include "shell/RzShellTree.h"
#include "shell/RzShellUtils.h"
#include "support/Desktop.h"
#include "support/Input.h"
#include "support/Pump.h"
#include "support/TestForm.h"
#include "support/TestPaths.h"
#include "support/Wait.h"
#include "support/Windows.h"

namespace kovra {
namespace {

using test::PumpUntil;
using test::SendKeys;

bool Exists(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeShortcut(const std::string& target, const std::string& at) {
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.PutVoid())))
    return false;
  link->SetPath(Wide(target).c_str());
  ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
  return file && SUCCEEDED(file->Save(Wide(at).c_str(), TRUE));
}

// The submenus of `menu` that hold exactly one greyed item: the shell's empty Send To.
int EmptySubmenus(HMENU menu) {
  int found = 0;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    HMENU sub = GetSubMenu(menu, i);
    if (sub && GetMenuItemCount(sub) == 1 && (GetMenuState(sub, 0, MF_BYPOSITION) & MF_GRAYED))
      ++found;
  }
  return found;
}

HWND OpenMenuWindow() {
  const auto menus = test::VisibleWindowsOf(GetCurrentProcessId(), L"#32768");
  return menus.empty() ? nullptr : menus.front();
}

TEST(DropDataOn, EntersGoesOverAndDropsAtTheOriginWithTheLeftButtonAndCopy) {
  TRzPidl drives;
  ASSERT_HRESULT_SUCCEEDED(SpecialFolderLocation(nullptr, CSIDL_DRIVES, drives));
  ComPtr<IDataObject> data = TDataObject::CreateForItems(nullptr, nullptr, {drives.Get()});
  ASSERT_TRUE(data);
  test::RecordingDropTarget target(DROPEFFECT_COPY);
  EXPECT_HRESULT_SUCCEEDED(DropDataOn(&target, data.Get()));
  EXPECT_EQ(target.calls, (std::vector<std::string>{"enter", "over", "drop"}));
  for (std::size_t i = 0; i < target.keys.size(); ++i) {
    EXPECT_EQ(target.keys[i], static_cast<DWORD>(MK_LBUTTON)) << target.calls[i];
    EXPECT_EQ(target.points[i].x, 0);
    EXPECT_EQ(target.points[i].y, 0);
    EXPECT_EQ(target.effects[i], static_cast<DWORD>(DROPEFFECT_COPY)) << target.calls[i];
  }

  // A target that will not copy is left, not dropped on.
  test::RecordingDropTarget refusing(DROPEFFECT_NONE);
  EXPECT_EQ(DropDataOn(&refusing, data.Get()), S_FALSE);
  EXPECT_EQ(refusing.calls, (std::vector<std::string>{"enter", "over", "leave"}));
}

// Entries of the test's own in the Send To folder of the prefix, gone again at the end: a
// shortcut to a folder of the scratch tree, a plain file, and a hidden file and a folder that
// the menu leaves out.
class SendToTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = scratch_.Folder();
    for (const char* dir : {"\\beta", "\\target"})
      ASSERT_TRUE(CreateDirectoryW(Wide(root_ + dir).c_str(), nullptr)) << dir;
    for (const char* file : {"\\one.txt", "\\two.txt", "\\beta\\note.txt"})
      ASSERT_TRUE(test::MakeFile(root_ + file, 10)) << file;
    sendTo_ = SpecialFolderPath(nullptr, kSendToFolder);
    ASSERT_FALSE(sendTo_.empty());
    madeSendTo_ = CreateDirectoryW(Wide(sendTo_).c_str(), nullptr) != FALSE;
    RemoveEntries();  // left by a run that was killed
    ASSERT_TRUE(MakeShortcut(root_ + "\\target", Entry("Kovra target.lnk")));
    ASSERT_TRUE(test::MakeFile(Entry("b notes.txt"), 1));
    ASSERT_TRUE(test::MakeFile(Entry("c hidden.txt"), 1));
    ASSERT_TRUE(SetFileAttributesW(Wide(Entry("c hidden.txt")).c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(CreateDirectoryW(Wide(Entry("d dir")).c_str(), nullptr));
    form_ = test::NewForm(40, 40, 560, 420);
  }
  void TearDown() override {
    form_.reset();
    RemoveEntries();
    if (madeSendTo_) RemoveDirectoryW(Wide(sendTo_).c_str());
    test::ParkCursor();
  }
  void RemoveEntries() {
    for (const char* file : {"Kovra target.lnk", "b notes.txt", "c hidden.txt"}) {
      SetFileAttributesW(Wide(Entry(file)).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(Wide(Entry(file)).c_str());
    }
    RemoveDirectoryW(Wide(Entry("d dir")).c_str());
  }

  std::string Entry(const std::string& name) const { return sendTo_ + "\\" + name; }

  // What one run of the menu saw.
  struct MenuRun {
    int shellEmptySubmenus = -1;
    std::vector<std::string> filled;  // the owner-drawn entries' captions, by command
    bool ownerDrawn = true;
    bool measured = false;
    MEASUREITEMSTRUCT measure{};
    std::uint32_t selectedBack = 0, plainBack = 0;
    int iconPixels = 0, gapPixels = 0, textPixels = 0;
    std::string failure;
  };

  // Opens `control`'s context menu at its client point `at`, adds the shell's empty Send To,
  // opens it by keys, draws the target entry into memory, and chooses it by its letter.
  MenuRun RunSendTo(TWinControl& control, POINT at) {
    MenuRun run;
    const HWND wnd = control.Handle();
    HMENU sendTo = nullptr;
    int last = -1;
    std::vector<TRzSendToEntry> entries;
    test::ModalScript script([] { return HWND(nullptr); });
    script
        .Then("the shell's menu opens",
              [&] {
                HWND menuWnd = OpenMenuWindow();
                HMENU menu = menuWnd
                                 ? reinterpret_cast<HMENU>(SendMessageW(menuWnd, MN_GETHMENU, 0, 0))
                                 : nullptr;
                if (!menu) return false;
                run.shellEmptySubmenus = EmptySubmenus(menu);
                sendTo = CreatePopupMenu();
                AppendMenuW(sendTo, MF_STRING | MF_GRAYED, 999, L"(empty)");
                AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sendTo), L"Send To");
                last = GetMenuItemCount(menu) - 1;
                SendKeys({VK_UP});  // from no highlight to the last item
                return true;
              })
        .Then("Send To is highlighted",
              [&] {
                HWND menuWnd = OpenMenuWindow();
                HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWnd, MN_GETHMENU, 0, 0));
                if (!(GetMenuState(menu, static_cast<UINT>(last), MF_BYPOSITION) & MF_HILITE))
                  return false;
                SendKeys({VK_RIGHT});
                return true;
              })
        .Then("Send To opens, filled",
              [&] {
                if (test::VisibleWindowsOf(GetCurrentProcessId(), L"#32768").size() < 2)
                  return false;
                entries = ReadSendToEntries();
                for (int i = 0; i < GetMenuItemCount(sendTo); ++i) {
                  MENUITEMINFOW info{};
                  info.cbSize = sizeof info;
                  info.fMask = MIIM_FTYPE | MIIM_ID;
                  GetMenuItemInfoW(sendTo, static_cast<UINT>(i), TRUE, &info);
                  run.ownerDrawn &= (info.fType & MFT_OWNERDRAW) != 0;
                  if (info.wID >= 1 && info.wID <= entries.size())
                    run.filled.push_back(entries[info.wID - 1].Caption);
                  else
                    run.filled.push_back("#" + std::to_string(info.wID));
                }
                return true;
              })
        .Then("the filled Send To is painted",
              [&] {
                // KOVRA_SHOT_DIR keeps a capture of the two menus for the eye.
                if (const char* dir = std::getenv("KOVRA_SHOT_DIR")) {
                  RECT all{0, 0, 0, 0};
                  for (HWND menu : test::VisibleWindowsOf(GetCurrentProcessId(), L"#32768")) {
                    UpdateWindow(menu);
                    RECT r{};
                    GetWindowRect(menu, &r);
                    UnionRect(&all, &all, &r);
                  }
                  test::CaptureScreen(all).SaveToFile(std::string(dir) + "\\send-to-menu.bmp");
                }
                return true;
              })
        .Then("the target entry is measured and drawn",
              [&] {
                const auto target = std::find_if(entries.begin(), entries.end(), [](auto& e) {
                  return e.Caption == "Kovra target";
                });
                if (target == entries.end()) return true;
                const UINT id = static_cast<UINT>(target - entries.begin()) + 1;
                run.measure.CtlType = ODT_MENU;
                run.measure.itemID = id;
                run.measure.itemData = TRzSendToMenu::kItemTag;
                run.measured = SendMessageW(wnd, WM_MEASUREITEM, 0,
                                            reinterpret_cast<LPARAM>(&run.measure)) != 0;
                Draw(wnd, id, true, run);
                Draw(wnd, id, false, run);
                return true;
              })
        .Then("the target is chosen by its letter",
              [&] {
                SendKeys({'K'});
                return true;
              })
        // Past the script's deadline, its end closes a menu left open.
        .Then("the menu closes", [] { return OpenMenuWindow() == nullptr; });
    POINT screen = at;
    ClientToScreen(wnd, &screen);
    PostMessageW(wnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(wnd),
                 MAKELPARAM(screen.x, screen.y));
    script.Start();
    if (!PumpUntil([&] { return script.Finished() && !OpenMenuWindow(); },
                   std::chrono::seconds(30)))
      run.failure = "the menu stayed open";
    if (!script.Failure().empty()) run.failure = script.Failure();
    return run;
  }

  // The entry drawn into a memory bitmap, as the menu asks: the background at the left edge, the
  // icon's pixels at +8, nothing between the icon and +32, and the name's pixels from there.
  static void Draw(HWND wnd, UINT id, bool selected, MenuRun& run) {
    constexpr int kWidth = 220, kHeight = 24;
    TBitmap bitmap(kWidth, kHeight);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_MENU;
    item.itemID = id;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = selected ? ODS_SELECTED : 0;
    item.hDC = bitmap.Canvas().Handle();
    item.rcItem = RECT{0, 0, kWidth, kHeight};
    item.itemData = TRzSendToMenu::kItemTag;
    SendMessageW(wnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    GdiFlush();
    auto at = [&](int x, int y) { return TBitmap::PixelToColor(bitmap.ScanLine(y)[x]); };
    const std::uint32_t back = at(2, kHeight / 2);
    (selected ? run.selectedBack : run.plainBack) = back;
    if (!selected) return;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        if (static_cast<std::uint32_t>(at(x, y)) == back) continue;
        if (x < 8) continue;
        if (x < 24)
          ++run.iconPixels;
        else if (x < 32)
          ++run.gapPixels;
        else
          ++run.textPixels;
      }
  }

  test::ScratchDir scratch_;
  std::string root_;
  std::string sendTo_;
  bool madeSendTo_ = false;
  std::unique_ptr<TForm> form_;
};

bool IsWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Whether the shell's own drop target of `folder` copies `item` into it when dropped on.
bool ShellCopiesOnDrop(const std::string& item, const std::string& folder) {
  TRzPidl itemList, folderList;
  if (FAILED(PathToIdList(item, itemList)) || FAILED(PathToIdList(folder, folderList)))
    return false;
  TRzIdListArray parts(itemList.Get());
  TRzPidl parent = IdListCopy(parts.Ancestor(1));
  ComPtr<IDataObject> data =
      TDataObject::CreateForItems(parent.Get(), nullptr, {IdListLastItem(itemList.Get())});
  ComPtr<IDropTarget> target = ShellDropTargetOf(nullptr, folderList.Get());
  if (!data || !target) return false;
  DropDataOn(target.Get(), data.Get());
  const std::string copy = folder + "\\" + std::string(PathFileName(item));
  return test::WaitUntil([&] { return Exists(copy); }, std::chrono::seconds(2));
}

TEST_F(SendToTest, TheTreesEmptySendToIsFilledDrawnAndSendsTheNode) {
  auto* tree = test::Place<TRzShellTree>(*form_, 8, 8, 520, 360);
  tree->SetWatchFolders({root_});
  tree->BaseFolder().SetPath(root_);
  test::ShowInFront(*form_);
  ASSERT_TRUE(PumpUntil([&] { return tree->Items().Count() > 0; }));
  TTreeNode* beta = test::ChildNode(tree->RootNode(), "beta");
  ASSERT_NE(beta, nullptr);
  const RECT r = beta->DisplayRect(true);

  const MenuRun run = RunSendTo(*tree, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  ASSERT_TRUE(run.failure.empty()) << run.failure;
  if (IsWine()) {
    EXPECT_EQ(run.shellEmptySubmenus, 0) << "Wine's shell now shows a Send To";
  }
  // Sorted as the user reads names; neither the hidden file nor the folder.
  const auto notes = std::find(run.filled.begin(), run.filled.end(), "b notes");
  const auto target = std::find(run.filled.begin(), run.filled.end(), "Kovra target");
  ASSERT_NE(notes, run.filled.end());
  ASSERT_NE(target, run.filled.end());
  EXPECT_LT(notes, target);
  EXPECT_EQ(std::count(run.filled.begin(), run.filled.end(), "c hidden"), 0);
  EXPECT_EQ(std::count(run.filled.begin(), run.filled.end(), "d dir"), 0);
  EXPECT_TRUE(run.ownerDrawn);

  EXPECT_TRUE(run.measured);
  EXPECT_GE(run.measure.itemHeight, 16u);
  EXPECT_GT(run.measure.itemWidth, 40u);
  EXPECT_EQ(run.selectedBack, GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(run.plainBack, GetSysColor(COLOR_MENU));
  EXPECT_GT(run.iconPixels, 20);
  EXPECT_EQ(run.gapPixels, 0);
  EXPECT_GT(run.textPixels, 20);

  // The drop went to the shortcut's folder: the shell copies the node's folder there.
  if (!test::WaitUntil([&] { return Exists(root_ + "\\target\\beta"); }, std::chrono::seconds(3))) {
    ASSERT_FALSE(ShellCopiesOnDrop(root_ + "\\one.txt", root_ + "\\target"))
        << "the shell copies what is dropped on a folder, but not what Send To sent";
    GTEST_SKIP() << "the shell's folder drop target takes the drop and copies nothing (Wine)";
  }
}

TEST_F(SendToTest, TheListsEmptySendToSendsAllSelectedItems) {
  auto* list = test::Place<TRzShellList>(*form_, 8, 8, 520, 360);
  list->SetViewStyle(vsReport);
  list->SetMultiSelect(true);
  test::ShowInFront(*form_);
  list->SetFolderPath(root_);
  ASSERT_TRUE(PumpUntil([&] { return list->Items().Count() == 4; }));
  TListItem* first = nullptr;
  for (int i = 0; i < list->Items().Count(); ++i) {
    TListItem* item = list->Items()[i];
    const std::string name = list->ListData(item)->FileName();
    if (name == "one.txt" || name == "two.txt") {
      item->SetSelected(true);
      if (!first) first = item;
    }
  }
  ASSERT_EQ(list->SelCount(), 2);
  const RECT r = first->DisplayRect(LVIR_LABEL);

  const MenuRun run = RunSendTo(*list, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  ASSERT_TRUE(run.failure.empty()) << run.failure;
  EXPECT_NE(std::find(run.filled.begin(), run.filled.end(), "Kovra target"), run.filled.end());
  EXPECT_TRUE(run.ownerDrawn);
  EXPECT_EQ(run.selectedBack, GetSysColor(COLOR_HIGHLIGHT));

  if (!test::WaitUntil(
          [&] {
            return Exists(root_ + "\\target\\one.txt") && Exists(root_ + "\\target\\two.txt");
          },
          std::chrono::seconds(3))) {
    ASSERT_FALSE(ShellCopiesOnDrop(root_ + "\\one.txt", root_ + "\\target"))
        << "the shell copies what is dropped on a folder, but not what Send To sent";
    GTEST_SKIP() << "the shell's folder drop target takes the drop and copies nothing (Wine)";
  }
}

}  // namespace
}  // namespace kovra
