// The open window's folder commands on the real modal window: new folders, F5, paste and
// properties, given with real clicks and keys by a script that runs inside Execute's modal loop.
// The window shows a folder other than the current directory, so a command that works on the
// wrong folder shows up on disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ShellTestSupport.h"
#include "framework/Application.h"
#include "shell/RzShellDialogs.h"
#include "shell/RzShellIntf.h"
#include "shell/RzShellOpenForm.h"
#include "shell/RzShellUtils.h"
#include "support/Desktop.h"
#include "support/Input.h"
#include "support/TestForm.h"
#include "support/TestPaths.h"
#include "support/Wait.h"
#include "support/Windows.h"

namespace kovra {
namespace {

using test::SendKeys;

// The names in `dir` as the file system has them, sorted.
std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(Wide(dir + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(Narrow(name));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

std::string WindowText(HWND wnd) {
  wchar_t buffer[512] = {};
  if (wnd) GetWindowTextW(wnd, buffer, 512);
  return Narrow(buffer);
}

// Popup menus (#32768) this process shows, submenus included.
std::size_t OpenMenus() {
  return test::VisibleWindowsOf(GetCurrentProcessId(), L"#32768").size();
}

// Puts `path` on the clipboard through the shell's own "copy" verb, as the user's Ctrl+C in a
// folder window does: shell items and file-drop data.
bool CopyAsTheShellDoes(const std::string& path) {
  TRzPidl absolute;
  if (FAILED(PathToIdList(path, absolute))) return false;
  TRzIdListArray array(absolute.Get());
  TShellFolderPtr parent;
  if (FAILED(BindToFolder(array.Ancestor(1), parent))) return false;
  PCUITEMID_CHILD child[] = {AsChild(IdListLastItem(absolute.Get()))};
  void* raw = nullptr;
  if (FAILED(parent->GetUIObjectOf(nullptr, 1, child, IID_IContextMenu, nullptr, &raw)) || !raw)
    return false;
  ComPtr<IContextMenu> menu(static_cast<IContextMenu*>(raw));
  return InvokeContextMenuVerb(menu.Get(), nullptr, "copy");
}

// Whether the shell itself, through the menu of `dir`'s view, copies the clipboard's file
// `name` into it.
bool ShellPastesInto(const std::string& dir, const std::string& name) {
  TRzPidl absolute;
  TShellFolderPtr folder;
  void* raw = nullptr;
  if (FAILED(PathToIdList(dir, absolute)) || FAILED(BindToFolder(absolute.Get(), folder)) ||
      FAILED(folder->CreateViewObject(nullptr, IID_IContextMenu, &raw)) || !raw)
    return false;
  ComPtr<IContextMenu> menu(static_cast<IContextMenu*>(raw));
  if (!InvokeContextMenuVerb(menu.Get(), nullptr, "paste")) return false;
  const std::wstring target = Wide(dir + "\\" + name);
  return test::WaitUntil(
      [&] { return GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES; },
      std::chrono::seconds(2));
}

// The file's size, or -1 when there is none.
long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class OpenCommandsTest : public testing::Test {
 protected:
  using Step = test::ModalScript::Step;

  void SetUp() override {
    Application().Initialize();
    test::ParkCursor();
    folder_ = scratch_.Folder();
    shown_ = folder_ + "\\sub";
    ASSERT_TRUE(test::MakeFile(folder_ + "\\x.exe"));
    ASSERT_TRUE(CreateDirectoryW(Wide(shown_).c_str(), nullptr));
    ASSERT_TRUE(test::MakeFile(shown_ + "\\z.exe"));
    wchar_t saved[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, saved);
    savedDirectory_ = saved;
    ASSERT_TRUE(SetCurrentDirectoryW(Wide(folder_).c_str()));
    dialog_ = std::make_unique<TRzOpenDialog>(nullptr);
    dialog_->SetFilter("Programs (*.exe)|*.exe");
    dialog_->SetInitialDir(shown_);
  }
  void TearDown() override {
    dialog_.reset();
    OleSetClipboard(nullptr);
    SetCurrentDirectoryW(savedDirectory_.c_str());  // the scratch folder can go
  }

  TRzShellOpenSaveForm* Form() const { return static_cast<TRzShellOpenSaveForm*>(dialog_->Form()); }
  TRzShellList& List() const { return Form()->ShellList(); }
  TRzShellTree& Tree() const { return Form()->ShellTree(); }

  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (int i = 0; i < List().Items().Count(); ++i)
      if (TRzShellListData* data = List().ListData(List().Items()[i]))
        captions.push_back(data->DisplayName());
    return captions;
  }
  int CountCaption(const std::string& caption) const {
    const std::vector<std::string> captions = Captions();
    return static_cast<int>(std::count(captions.begin(), captions.end(), caption));
  }

  Step Shown() const {
    return [this] {
      return Form() && Form()->DialogActive() && List().Items().Count() > 0 &&
             List().FolderPath() == shown_;
    };
  }
  // A real click on the tool button with this hint (tool buttons have no window of their own).
  Step ClickToolButton(const std::string& hint) const {
    return [this, hint] {
      for (int i = 0; i < Form()->ComponentCount(); ++i) {
        auto* button = dynamic_cast<TRzToolButton*>(Form()->Components(i));
        if (!button || button->Hint() != hint) continue;
        SetForegroundWindow(Form()->Handle());
        const RECT r = button->BoundsRect();
        test::ClickAt(button->Parent()->Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return true;
      }
      ADD_FAILURE() << "no tool button '" << hint << "'";
      return true;
    };
  }
  // A real click on the list where it has no item, which focuses it and clears its selection.
  void ClickListBlank() const {
    SetForegroundWindow(Form()->Handle());
    RECT r;
    GetClientRect(List().Handle(), &r);
    test::ClickAt(List().Handle(), r.right - 12, r.bottom - 12);
  }
  Step ClickList() const {
    return [this] {
      ClickListBlank();
      return true;
    };
  }
  // Then a right click there: with nothing selected the window's own menu opens.
  Step RightClickListBlank() const {
    return [this] {
      ClickListBlank();
      test::ClickHere(true);
      return true;
    };
  }
  // Once `menus` menus are open, presses `key` (an item's underlined letter).
  static Step MenuKey(std::size_t menus, WORD key) {
    return [menus, key] {
      if (OpenMenus() < menus) return false;
      SendKeys({key});
      return true;
    };
  }
  static Step Key(WORD key) {
    return [key] {
      SendKeys({key});
      return true;
    };
  }
  Step Cancel() const {
    return [this] {
      PostMessageW(Form()->Handle(), WM_CLOSE, 0, 0);
      return true;
    };
  }
  // The list is editing an item's name; `text` receives what its editor shows.
  Step ListEditing(std::string& text) const {
    return [this, &text] {
      if (!List().IsEditing()) return false;
      text = WindowText(List().EditHandle());
      return true;
    };
  }
  Step ListNotEditing() const {
    return [this] { return !List().IsEditing(); };
  }

  // A script for the window Execute shows, closed when the script runs out of time.
  test::ModalScript Script() const {
    return test::ModalScript([this] { return Form() ? Form()->Handle() : nullptr; });
  }
  void Run(test::ModalScript& script) {
    script.Start();
    EXPECT_FALSE(dialog_->Execute());
    EXPECT_TRUE(script.Failure().empty()) << script.Failure();
    EXPECT_TRUE(script.Finished());
  }

  test::ScratchDir scratch_;
  std::string folder_;  // the current directory
  std::string shown_;   // the folder the window shows
  std::wstring savedDirectory_;
  std::unique_ptr<TRzOpenDialog> dialog_;
};

// ---- New folders ----

TEST_F(OpenCommandsTest, NewFolderButtonMakesOneFolderInTheShownFolderAndEditsItsName) {
  std::string editor;
  std::vector<std::string> beforeRename;
  int renamedItems = 0, newFolderItems = -1;
  test::ModalScript script = Script();
  script.Then("shown", Shown())
      .Then("click Create New Folder", ClickToolButton("Create New Folder"))
      .Then("editing", ListEditing(editor))
      .Then("type a name",
            [&] {
              beforeRename = Entries(shown_);
              test::TypeText(L"fresh");
              SendKeys({VK_RETURN});
              return true;
            })
      .Then("renamed",
            [&] {
              if (List().IsEditing() || CountCaption("fresh") == 0) return false;
              renamedItems = CountCaption("fresh");
              newFolderItems = CountCaption("New Folder");
              return true;
            })
      .Then("cancel", Cancel());
  Run(script);
  EXPECT_EQ(editor, "New Folder");
  EXPECT_EQ(beforeRename, (std::vector<std::string>{"New Folder", "z.exe"}));
  EXPECT_EQ(Entries(shown_), (std::vector<std::string>{"fresh", "z.exe"}));
  EXPECT_EQ(Entries(folder_), (std::vector<std::string>{"sub", "x.exe"}));
  EXPECT_EQ(renamedItems, 1);
  EXPECT_EQ(newFolderItems, 0);
}

// Escape in the name edit ends only the edit: the window stays for the second round.
TEST_F(OpenCommandsTest, MenuNewFolderTwiceGivesTwoNumberedFoldersEachOnceInTheList) {
  std::string first, second;
  std::vector<int> listed;
  test::ModalScript script = Script();
  script.Then("shown", Shown())
      .Then("right click", RightClickListBlank())
      .Then("New", MenuKey(1, 'W'))
      .Then("Folder", MenuKey(2, 'F'))
      .Then("editing", ListEditing(first))
      .Then("escape", Key(VK_ESCAPE))
      .Then("done", ListNotEditing())
      .Then("right click again", RightClickListBlank())
      .Then("New again", MenuKey(1, 'W'))
      .Then("Folder again", MenuKey(2, 'F'))
      .Then("editing again", ListEditing(second))
      .Then("escape again", Key(VK_ESCAPE))
      .Then("read",
            [&] {
              if (List().IsEditing()) return false;
              listed = {CountCaption("New Folder"), CountCaption("New Folder (2)")};
              return true;
            })
      .Then("cancel", Cancel());
  Run(script);
  EXPECT_EQ(first, "New Folder");
  EXPECT_EQ(second, "New Folder (2)");
  EXPECT_EQ(Entries(shown_), (std::vector<std::string>{"New Folder", "New Folder (2)", "z.exe"}));
  EXPECT_EQ(Entries(folder_), (std::vector<std::string>{"sub", "x.exe"}));
  EXPECT_EQ(listed, (std::vector<int>{1, 1}));
}

// The tree makes the folder when it has the focus, or when the list beside it shows no folders.
TEST_F(OpenCommandsTest, TreeMakesTheNewFolderWhenFocusedOrWhenTheListHidesFolders) {
  struct Route {
    const char* name;
    TRzOpenSaveOptions extra;
    bool focusTree;
    const char* made;
  };
  const Route routes[] = {
      {"focus in the tree", 0, true, "New Folder"},
      {"folders hidden in the list", osoHideFoldersInListWhenTreeVisible, false, "New Folder (2)"}};
  for (const Route& route : routes) {
    SCOPED_TRACE(route.name);
    dialog_->SetOptions(kDefaultOpenDialogOptions | osoShowTree | route.extra);
    std::string editor;
    bool listEditing = true;
    std::vector<std::string> children;
    test::ModalScript script = Script();
    script.Then("shown", Shown())
        .Then("focus",
              [&] {
                TTreeNode* node = Tree().Selected();
                if (!node || !Form()->TreePaneShown()) return false;
                if (route.focusTree) {
                  SetForegroundWindow(Form()->Handle());
                  test::ClickNode(Tree(), node);
                } else {
                  ClickListBlank();
                }
                return true;
              })
        .Then("focused", [&] { return route.focusTree ? Tree().Focused() : List().Focused(); })
        .Then("click Create New Folder", ClickToolButton("Create New Folder"))
        .Then("tree editing",
              [&] {
                if (!Tree().IsEditing()) return false;
                editor = WindowText(Tree().EditHandle());
                listEditing = List().IsEditing();
                return true;
              })
        .Then("escape", Key(VK_ESCAPE))
        .Then("read",
              [&] {
                if (Tree().IsEditing()) return false;
                children = test::ChildTexts(Tree().Selected());
                return true;
              })
        .Then("cancel", Cancel());
    Run(script);
    EXPECT_EQ(editor, route.made);
    EXPECT_FALSE(listEditing);
    EXPECT_EQ(std::count(children.begin(), children.end(), route.made), 1);
  }
  EXPECT_EQ(Entries(shown_), (std::vector<std::string>{"New Folder", "New Folder (2)", "z.exe"}));
  EXPECT_EQ(Entries(folder_), (std::vector<std::string>{"sub", "x.exe"}));
}

// A folder with no place on disk (My Computer) takes no new folder, and none lands in the
// current directory instead.
TEST_F(OpenCommandsTest, NewFolderInAFolderOffTheDiskMakesNothing) {
  bool goesOn = false;
  test::ModalScript script = Script();
  script.Then("shown", Shown())
      .Then("my computer",
            [&] {
              Form()->GoToPlace(3);  // the default places: my computer is the fourth
              return true;
            })
      .Then("there", [&] { return List().FolderPath().empty() && List().Items().Count() > 0; })
      .Then("click Create New Folder", ClickToolButton("Create New Folder"))
      .Then("clicked",  // input goes before timer ticks: the click has run
            [&] {
              goesOn =
                  Form()->DialogActive() && test::OwnDialogBoxes().empty() && !List().IsEditing();
              return true;
            })
      .Then("cancel", Cancel());
  Run(script);
  EXPECT_TRUE(goesOn);
  EXPECT_EQ(Entries(folder_), (std::vector<std::string>{"sub", "x.exe"}));
  EXPECT_EQ(Entries(shown_), (std::vector<std::string>{"z.exe"}));
}

// ---- F5 ----

// Without change notifications (as on a share that sends none) only F5 shows what others made.
TEST_F(OpenCommandsTest, F5ShowsAFileMadeBehindTheWindowsBackWhereverTheFocusIs) {
  bool missingBeforeF5 = false;
  test::ModalScript script = Script();
  script.Then("shown", Shown())
      .Then("no notifications",
            [&] {
              List().SetOptions(List().Options() & ~sloDynamicRefresh);
              return true;
            })
      .Then("focus the list", ClickList())
      .Then("list focused", [&] { return List().Focused(); })
      .Then("make a file and press F5",
            [&] {
              EXPECT_TRUE(test::MakeFile(shown_ + "\\late.exe"));
              missingBeforeF5 = CountCaption("late.exe") == 0;
              SendKeys({VK_F5});
              return true;
            })
      .Then("listed", [&] { return CountCaption("late.exe") == 1; })
      .Then("focus the name field",
            [&] {
              SetForegroundWindow(Form()->Handle());
              RECT r;
              GetClientRect(Form()->FileNameEdit().Handle(), &r);
              test::ClickAt(Form()->FileNameEdit().Handle(), r.right / 2, r.bottom / 2);
              return true;
            })
      .Then("name focused", [&] { return Form()->FileNameEdit().Focused(); })
      .Then("make another and press F5",
            [&] {
              EXPECT_TRUE(test::MakeFile(shown_ + "\\later.exe"));
              SendKeys({VK_F5});
              return true;
            })
      .Then("listed too", [&] { return CountCaption("later.exe") == 1; })
      .Then("cancel", Cancel());
  Run(script);
  EXPECT_TRUE(missingBeforeF5);
}

TEST_F(OpenCommandsTest, F5WithTheFocusInTheTreeRefreshesTheTree) {
  dialog_->SetOptions(dialog_->Options() | osoShowTree);
  TTreeNode* parent = nullptr;
  std::vector<std::string> before;
  test::ModalScript script = Script();
  script.Then("shown", Shown())
      .Then("no notifications",
            [&] {
              if (!Form()->TreePaneShown() || !Tree().Selected()) return false;
              List().SetOptions(List().Options() & ~sloDynamicRefresh);
              Tree().SetOptions(Tree().Options() & ~stoDynamicRefresh);
              return true;
            })
      .Then("click the parent folder",
            [&] {
              parent = Tree().Selected()->Parent();
              SetForegroundWindow(Form()->Handle());
              test::ClickNode(Tree(), parent);
              return true;
            })
      .Then("tree focused", [&] { return Tree().Focused() && Tree().Selected() == parent; })
      .Then("make a folder and press F5",
            [&] {
              before = test::ChildTexts(parent);
              EXPECT_TRUE(CreateDirectoryW(Wide(folder_ + "\\made").c_str(), nullptr));
              SendKeys({VK_F5});
              return true;
            })
      .Then("in the tree",
            [&] {
              TTreeNode* node = Tree().Selected();
              return node && test::ChildNode(node, "made") != nullptr;
            })
      .Then("cancel", Cancel());
  Run(script);
  EXPECT_EQ(before, (std::vector<std::string>{"sub"}));
}

// ---- Paste and properties ----

TEST_F(OpenCommandsTest, PasteCopiesTheClipboardsFileIntoTheShownFolderAndKeepsTheSource) {
  test::ScratchDir elsewhere;
  const std::string source = elsewhere.Folder() + "\\p.exe";
  ASSERT_TRUE(test::MakeFile(source, 1234));
  ASSERT_TRUE(CopyAsTheShellDoes(source));
  ASSERT_TRUE(IsClipboardFormatAvailable(ShellIdListFormat()));
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
  std::string report;
  bool goesOn = false;
  test::ModalScript script = Script();
  script.Then("shown", Shown())
      .Then("right click", RightClickListBlank())
      .Then("Paste", MenuKey(1, 'P'))
      .Then("pasted or refused",
            [&] {
              if (CountCaption("p.exe") == 1) return true;
              const std::vector<HWND> boxes = test::OwnDialogBoxes();
              if (boxes.empty()) return false;
              wchar_t text[512] = {};
              GetDlgItemTextW(boxes.front(), 0xFFFF, text, 512);
              report = Narrow(text);
              PostMessageW(boxes.front(), WM_COMMAND, IDOK, 0);
              return true;
            })
      .Then("window goes on",
            [&] {
              if (!test::OwnDialogBoxes().empty()) return false;
              goesOn = Form()->DialogActive() && List().FolderPath() == shown_;
              return true;
            })
      .Then("cancel", Cancel());
  Run(script);
  EXPECT_TRUE(goesOn);
  EXPECT_EQ(FileSize(source), 1234);
  EXPECT_EQ(Entries(folder_), (std::vector<std::string>{"sub", "x.exe"}));
  if (FileSize(shown_ + "\\p.exe") < 0) {
    test::ScratchDir probe;
    if (!ShellPastesInto(probe.Folder(), "p.exe"))
      GTEST_SKIP() << "this shell pastes nothing: its own \"paste\" on a folder's view menu "
                      "leaves the folder empty (the window reported: "
                   << report << ")";
  }
  EXPECT_EQ(report, "");
  EXPECT_EQ(Entries(shown_), (std::vector<std::string>{"p.exe", "z.exe"}));
  EXPECT_EQ(FileSize(shown_ + "\\p.exe"), 1234);
}

TEST_F(OpenCommandsTest, PropertiesShowTheShownFoldersSheetAndTheWindowGoesOn) {
  std::string title;
  bool stillShown = false;
  test::ModalScript script = Script();
  script.Then("shown", Shown())
      .Then("right click", RightClickListBlank())
      .Then("Properties", MenuKey(1, 'R'))
      .Then("sheet",
            [&] {
              const std::vector<HWND> sheets = test::OwnDialogBoxes();
              if (sheets.empty()) return false;
              title = WindowText(sheets.front());
              SendKeys({VK_ESCAPE});
              return true;
            })
      .Then("sheet closed", [&] { return test::OwnDialogBoxes().empty(); })
      .Then("window goes on",
            [&] {
              stillShown = Form()->DialogActive() && List().FolderPath() == shown_;
              return true;
            })
      .Then("cancel", Cancel());
  Run(script);
  EXPECT_NE(title.find("sub"), std::string::npos) << title;
  EXPECT_TRUE(stillShown);
}

// ---- Help ----

TEST_F(OpenCommandsTest, HelpAsksTheDialogThenTheApplicationForItsContextAndTheWindowGoesOn) {
  dialog_->SetOptions(dialog_->Options() | osoShowHelp);
  dialog_->SetHelpContext(4711);
  std::vector<std::pair<UINT, ULONG_PTR>> requests, dialogRequests;
  // The dialog's handler sees each request first and lets only the first one go on.
  dialog_->OnHelp = [&](UINT command, ULONG_PTR data, bool& callHelp) {
    dialogRequests.emplace_back(command, data);
    callHelp = dialogRequests.size() == 1;
    return !callHelp;
  };
  Application().OnHelp = [&](UINT command, ULONG_PTR data, bool& callHelp) {
    requests.emplace_back(command, data);
    callHelp = false;
    return true;
  };
  struct Unhook {
    ~Unhook() { Application().OnHelp = nullptr; }
  } unhook;
  const auto clickHelp = [this] {
    for (int i = 0; i < Form()->ComponentCount(); ++i) {
      auto* button = dynamic_cast<TRzBitBtn*>(Form()->Components(i));
      if (!button || button->Caption() != "&Help") continue;
      EXPECT_TRUE(button->Visible());
      SetForegroundWindow(Form()->Handle());
      test::ClickControl(*button);
      return true;
    }
    ADD_FAILURE() << "no Help button";
    return true;
  };
  bool stillShown = false;
  test::ModalScript script = Script();
  script.Then("shown", Shown())
      .Then("click Help", clickHelp)
      .Then("asked", [&] { return !requests.empty(); })
      .Then("click Help again", clickHelp)
      .Then("asked the dialog again", [&] { return dialogRequests.size() == 2; })
      .Then("window goes on",
            [&] {
              stillShown = Form()->DialogActive();
              return true;
            })
      .Then("cancel", Cancel());
  Run(script);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].first, static_cast<UINT>(HELP_CONTEXT));
  EXPECT_EQ(requests[0].second, 4711u);
  ASSERT_EQ(dialogRequests.size(), 2u);
  EXPECT_EQ(dialogRequests[0], requests[0]);
  EXPECT_EQ(dialogRequests[1], requests[0]);
  EXPECT_TRUE(stillShown);
}

}  // namespace
}  // namespace kovra
