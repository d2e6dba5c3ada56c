// The open dialog on the real modal window: a script run by a timer inside Execute's modal loop
// types, clicks and answers message boxes the way a user would, in a scratch folder of files.
#include "shell/RzShellDialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "framework/Application.h"
#include "framework/Registry.h"
#include "shell/RzShellOpenForm.h"
#include "support/Desktop.h"
#include "support/Input.h"
#include "support/TestForm.h"
#include "support/TestPaths.h"
#include "support/UiLanguage.h"
#include "support/Wait.h"
#include "support/Windows.h"

namespace kovra {
namespace {

std::string Upper(std::string text) {
  std::wstring wide = Wide(text);
  if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return Narrow(wide);
}

// The same path in its long form, upper-cased, without a trailing backslash.
std::string Canonical(const std::string& path) {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = GetLongPathNameW(Wide(path).c_str(), buffer, MAX_PATH + 1);
  std::string result = n > 0 && n <= MAX_PATH ? Narrow(buffer) : path;
  if (result.size() > 3 && result.back() == '\\') result.pop_back();
  return Upper(result);
}

std::string CurrentDirectory() {
  wchar_t buffer[MAX_PATH + 1] = {};
  GetCurrentDirectoryW(MAX_PATH + 1, buffer);
  return Narrow(buffer);
}

HWND FindMessageBox() {
  const std::vector<HWND> boxes = test::OwnDialogBoxes();
  return boxes.empty() ? nullptr : boxes.front();
}

std::string WindowText(HWND wnd) {
  wchar_t buffer[1024] = {};
  GetWindowTextW(wnd, buffer, 1024);
  return Narrow(buffer);
}

std::string MessageBoxText(HWND box) {
  wchar_t buffer[1024] = {};
  GetDlgItemTextW(box, 0xFFFF, buffer, 1024);
  return Narrow(buffer);
}

// The open window's script: when time runs out it also closes that window.
class Script : public test::ModalScript {
 public:
  explicit Script(TRzFileDialog& dialog)
      : ModalScript([&dialog] { return dialog.Form() ? dialog.Form()->Handle() : nullptr; }) {}
};

class OpenDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    Application().Initialize();
    test::ParkCursor();
    folder_ = scratch_.Folder();
    for (const char* name : {"x.exe", "y.exe", "notes.txt", "readme.ini"}) Make(name);
    ASSERT_TRUE(CreateDirectoryW(Wide(Path("sub")).c_str(), nullptr));
    Make("sub\\z.exe");
    wchar_t saved[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, saved);
    savedDirectory_ = saved;
    ASSERT_TRUE(SetCurrentDirectoryW(Wide(folder_).c_str()));
    dialog_ = std::make_unique<TRzOpenDialog>(nullptr);
    dialog_->SetFilter("Advanced Get 执行文件(*.exe)|*.exe");
  }
  void TearDown() override {
    dialog_.reset();
    SetCurrentDirectoryW(savedDirectory_.c_str());  // the scratch folder can go
  }

  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }
  void Make(const std::string& name) { ASSERT_TRUE(test::MakeFile(Path(name))); }

  TRzShellOpenSaveForm* Form() const { return static_cast<TRzShellOpenSaveForm*>(dialog_->Form()); }
  // The window is up, showing `folder` with its items listed.
  bool ShowsFolder(const std::string& folder) const {
    TRzShellOpenSaveForm* form = Form();
    return form && form->DialogActive() && form->ShellList().Items().Count() > 0 &&
           Canonical(form->ShellList().FolderPath()) == Canonical(folder);
  }
  // The shell list asks its items' texts as it draws them.
  std::string Caption(TListItem* item) const {
    TRzShellListData* data = Form()->ShellList().ListData(item);
    return data ? data->DisplayName() : std::string();
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    TRzShellList& list = Form()->ShellList();
    for (int i = 0; i < list.Items().Count(); ++i) captions.push_back(Caption(list.Items()[i]));
    return captions;
  }
  // What the user types into the name field.
  void Type(const std::string& text) const {
    Form()->FileNameEdit().SetFocus();
    SetWindowTextW(Form()->FileNameEdit().Handle(), Wide(text).c_str());
  }
  void PressEnter() const {
    PostMessageW(Form()->FileNameEdit().Handle(), WM_KEYDOWN, VK_RETURN, 0);
  }
  Script::Step TypeAndEnter(const std::string& text) const {
    return [this, text] {
      Type(text);
      PressEnter();
      return true;
    };
  }
  Script::Step Cancel() const {
    return [this] {
      PostMessageW(Form()->Handle(), WM_CLOSE, 0, 0);
      return true;
    };
  }
  // Waits for a message box, keeps its text and answers it.
  Script::Step AnswerBox(std::string& text, std::string& caption, WPARAM answer = IDOK) const {
    return [&text, &caption, answer] {
      HWND box = FindMessageBox();
      if (!box) return false;
      text = MessageBoxText(box);
      caption = WindowText(box);
      PostMessageW(box, WM_COMMAND, answer, 0);
      return true;
    };
  }
  bool Run(Script& script) {
    script.Start();
    const bool result = dialog_->Execute();
    EXPECT_TRUE(script.Failure().empty()) << script.Failure();
    EXPECT_TRUE(script.Finished());
    return result;
  }

  test::ScratchDir scratch_;
  std::string folder_;
  std::wstring savedDirectory_;
  std::unique_ptr<TRzOpenDialog> dialog_;
};

TEST_F(OpenDialogTest, SettingsRoadPickingAProgramInTheList) {
  std::vector<std::string> captions;
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("pick x.exe",
            [&] {
              captions = Captions();
              // Something else moves the current directory while the window is open.
              SetCurrentDirectoryW(Wide(Path("sub")).c_str());
              TRzShellList& list = Form()->ShellList();
              for (int i = 0; i < list.Items().Count(); ++i)
                if (Upper(Caption(list.Items()[i])).rfind("X", 0) == 0)
                  list.Items()[i]->SetSelected(true);
              return true;
            })
      .Then("click Open", [&] {
        if (Form()->FileNameEdit().Text().empty()) return false;
        HWND open = Form()->OpenButton().Handle();
        SetForegroundWindow(Form()->Handle());
        RECT r;
        GetClientRect(open, &r);
        test::ClickAt(open, r.right / 2, r.bottom / 2);
        return true;
      });
  ASSERT_TRUE(Run(script));
  // Folders and the programs only.
  std::vector<std::string> upper;
  for (const std::string& c : captions) upper.push_back(Upper(c));
  EXPECT_NE(std::find(upper.begin(), upper.end(), "SUB"), upper.end());
  EXPECT_EQ(std::count_if(upper.begin(), upper.end(),
                          [](const std::string& c) { return c.rfind("NOTES", 0) == 0; }),
            0);
  EXPECT_EQ(std::count_if(upper.begin(), upper.end(),
                          [](const std::string& c) { return c.rfind("Y", 0) == 0; }),
            1);
  ASSERT_EQ(dialog_->Files().size(), 1u);
  EXPECT_EQ(Canonical(dialog_->FileName()), Canonical(Path("x.exe")));
  EXPECT_EQ(Canonical(CurrentDirectory()), Canonical(folder_));
  EXPECT_EQ(dialog_->FilterIndex(), 1);
  EXPECT_EQ(Screen().Cursor(), crDefault);
  EXPECT_EQ(dialog_->Form(), nullptr);
}

TEST_F(OpenDialogTest, DoubleClickOnAProgramOpensIt) {
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); }).Then("double-click y.exe", [&] {
    TRzShellList& list = Form()->ShellList();
    for (int i = 0; i < list.Items().Count(); ++i) {
      if (Upper(Caption(list.Items()[i])) != "Y.EXE") continue;
      RECT r{LVIR_LABEL, 0, 0, 0};
      SendMessageW(list.Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(&r));
      SetForegroundWindow(Form()->Handle());
      test::ClickAt(list.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
      test::ClickHere();
      return true;
    }
    return false;
  });
  ASSERT_TRUE(Run(script));
  EXPECT_EQ(Canonical(dialog_->FileName()), Canonical(Path("y.exe")));
}

TEST_F(OpenDialogTest, SeveralSelectedProgramsAreQuotedAndAllReturned) {
  dialog_->SetOptions(dialog_->Options() | osoAllowMultiselect);
  std::string edit;
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("select both",
            [&] {
              TRzShellList& list = Form()->ShellList();
              for (int i = 0; i < list.Items().Count(); ++i)
                if (Upper(Caption(list.Items()[i])).find(".EXE") != std::string::npos)
                  list.Items()[i]->SetSelected(true);
              return true;
            })
      .Then("open", [&] {
        edit = Form()->FileNameEdit().Text();
        PressEnter();
        return true;
      });
  ASSERT_TRUE(Run(script));
  EXPECT_EQ(edit, "\"x.exe\" \"y.exe\"");
  ASSERT_EQ(dialog_->Files().size(), 2u);
  EXPECT_EQ(Canonical(dialog_->Files()[0]), Canonical(Path("x.exe")));
  EXPECT_EQ(Canonical(dialog_->Files()[1]), Canonical(Path("y.exe")));
}

TEST_F(OpenDialogTest, CreatePromptAsksAndOnlyYesReturnsTheNewName) {
  dialog_->SetOptions(dialog_->Options() | osoCreatePrompt);
  std::string first, caption, second;
  bool openAfterNo = false;
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("type new", TypeAndEnter("new.exe"))
      .Then("no", AnswerBox(first, caption, IDNO))
      .Then("still open",
            [&] {
              openAfterNo = !FindMessageBox() && Form()->DialogActive();
              return !FindMessageBox();
            })
      .Then("again", TypeAndEnter("new.exe"))
      .Then("yes", AnswerBox(second, caption, IDYES));
  ASSERT_TRUE(Run(script));
  EXPECT_EQ(first, "new.exe\nThis file does not exist.\n\nCreate the file?");
  EXPECT_TRUE(openAfterNo);
  EXPECT_EQ(Canonical(dialog_->FileName()), Canonical(Path("new.exe")));
}

TEST_F(OpenDialogTest, ShortcutsGiveTheirTargetUnlessAskedNotTo) {
  EnsureShellLayer();  // the test's own use of COM, started as the program's first use does
  {
    ComPtr<IShellLinkW> link;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IShellLinkW, link.PutVoid()));
    link->SetPath(Wide(Path("x.exe")).c_str());
    ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.PutVoid()));
    ASSERT_HRESULT_SUCCEEDED(file->Save(Wide(Path("prog.lnk")).c_str(), TRUE));
  }
  Script followed(*dialog_);
  followed.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("type the shortcut", TypeAndEnter("prog.lnk"));
  ASSERT_TRUE(Run(followed));
  EXPECT_EQ(Canonical(dialog_->FileName()), Canonical(Path("x.exe")));

  dialog_->SetOptions(dialog_->Options() | osoNoDereferenceLinks);
  Script kept(*dialog_);
  kept.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("type the shortcut", TypeAndEnter("prog.lnk"));
  ASSERT_TRUE(Run(kept));
  EXPECT_EQ(Canonical(dialog_->FileName()), Canonical(Path("prog.lnk")));
}

TEST_F(OpenDialogTest, KeysMoveTheFocusAndOpenTheLookInCombo) {
  bool listAfterCombo = false, nameFocused = false, typesFocused = false, dropped = false,
       closed = false;
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("Tab from the combo",
            [&] {
              Form()->ShellCombo().SetFocus();
              PostMessageW(Form()->ShellCombo().Handle(), WM_KEYDOWN, VK_TAB, 0);
              return true;
            })
      .Then("list focused", [&] { return listAfterCombo = Form()->ShellList().Focused(); })
      .Then("Alt+T from the list",
            [&] {
              Form()->ShellList().SetFocus();
              PostMessageW(Form()->ShellList().Handle(), WM_SYSCHAR, 't', 1 << 29);
              return true;
            })
      .Then("types focused", [&] { return typesFocused = Form()->FileTypesCombo().Focused(); })
      .Then("Alt+N",
            [&] {
              PostMessageW(Form()->FileTypesCombo().Handle(), WM_SYSCHAR, 'n', 1 << 29);
              return true;
            })
      .Then("name focused", [&] { return nameFocused = Form()->FileNameEdit().Focused(); })
      .Then("F4",
            [&] {
              PostMessageW(Form()->FileNameEdit().Handle(), WM_KEYDOWN, VK_F4, 0);
              return true;
            })
      .Then("dropped", [&] { return dropped = Form()->ShellCombo().DroppedDown(); })
      .Then("F4 again",
            [&] {
              PostMessageW(Form()->ShellCombo().Handle(), WM_KEYDOWN, VK_F4, 0);
              return true;
            })
      .Then("closed",
            [&] {
              return closed = !Form()->ShellCombo().DroppedDown() && Form()->ShellList().Focused();
            })
      .Then("cancel", Cancel());
  EXPECT_FALSE(Run(script));
  EXPECT_TRUE(listAfterCombo);
  EXPECT_TRUE(typesFocused);
  EXPECT_TRUE(nameFocused);
  EXPECT_TRUE(dropped);
  EXPECT_TRUE(closed);
}

TEST_F(OpenDialogTest, TypedNameOpensAndTheNextShowingStartsThere) {
  Script first(*dialog_);
  first.Then("shown", [&] { return ShowsFolder(folder_); }).Then("type", TypeAndEnter("x.exe"));
  ASSERT_TRUE(Run(first));
  EXPECT_EQ(Canonical(dialog_->FileName()), Canonical(Path("x.exe")));

  SetCurrentDirectoryW(Wide(Path("sub")).c_str());
  std::string editText;
  std::string fileNameWhileOpen;
  Script second(*dialog_);
  second.Then("shown in the chosen file's folder", [&] { return ShowsFolder(folder_); })
      .Then("read",
            [&] {
              editText = Form()->FileNameEdit().Text();
              fileNameWhileOpen = dialog_->FileName();
              return true;
            })
      .Then("cancel", Cancel());
  EXPECT_FALSE(Run(second));
  EXPECT_EQ(editText, "x.exe");
  EXPECT_EQ(fileNameWhileOpen, "");  // the window's accepted names: none yet
  // Cancel returns nothing and still leaves the current directory at the shown folder.
  EXPECT_TRUE(dialog_->Files().empty());
  EXPECT_EQ(dialog_->FileName(), "");
  EXPECT_EQ(Canonical(CurrentDirectory()), Canonical(folder_));
}

TEST_F(OpenDialogTest, WildcardFiltersTheListUntilTheTypeIsChosenAgain) {
  std::vector<std::string> filtered;
  std::string editAfterWildcard, listFilter, editAfterType, filterAfterType;
  int typeChanges = 0;
  dialog_->OnTypeChanged = [&](TObject*) { ++typeChanges; };
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("type *.txt", TypeAndEnter("*.txt"))
      .Then("filtered",
            [&] {
              if (Form()->ShellList().FileFilter() != "*.txt") return false;
              filtered = Captions();
              editAfterWildcard = Form()->FileNameEdit().Text();
              return true;
            })
      .Then("choose the type again",
            [&] {
              TRzComboBox& types = Form()->FileTypesCombo();
              types.SetItemIndex(0);
              types.Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELENDOK),
                            reinterpret_cast<LPARAM>(types.Handle()));
              editAfterType = Form()->FileNameEdit().Text();
              filterAfterType = Form()->ShellList().FileFilter();
              return true;
            })
      .Then("cancel", Cancel());
  EXPECT_FALSE(Run(script));
  EXPECT_EQ(editAfterWildcard, "*.txt");
  std::vector<std::string> files;
  for (const std::string& c : filtered)
    if (Upper(c) != "SUB") files.push_back(Upper(c));
  EXPECT_EQ(files, (std::vector<std::string>{"NOTES.TXT"}));
  EXPECT_EQ(editAfterType, "");
  EXPECT_EQ(filterAfterType, "*.exe");
  EXPECT_EQ(typeChanges, 1);  // the configuring selection happens before the window is active
}

TEST_F(OpenDialogTest, TypedFolderOpensItAndDotDotResolvesAgainstItsParent) {
  int folderChanges = 0;
  dialog_->OnFolderChanged = [&](TObject* sender) {
    EXPECT_EQ(sender, dialog_.get());
    ++folderChanges;
  };
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("type sub", TypeAndEnter("sub"))
      .Then("in sub", [&] { return ShowsFolder(Path("sub")); })
      .Then("type ..\\y.exe", TypeAndEnter("..\\y.exe"));
  ASSERT_TRUE(Run(script));
  EXPECT_EQ(Canonical(dialog_->FileName()), Canonical(Path("y.exe")));
  EXPECT_EQ(Canonical(CurrentDirectory()), Canonical(folder_));
  EXPECT_GE(folderChanges, 2);  // into sub, and back up for ..\y.exe
}

TEST_F(OpenDialogTest, InvalidNameIsRefusedWithTheMessageAndTheWindowStays) {
  std::string text, caption;
  bool stillOpen = false;
  dialog_->SetTitle("Pick a program");
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("type a|b", TypeAndEnter("a|b.exe"))
      .Then("message", AnswerBox(text, caption))
      .Then("still open",
            [&] {
              stillOpen = Form() && Form()->DialogActive() && !FindMessageBox();
              return !FindMessageBox();
            })
      .Then("cancel", Cancel());
  EXPECT_FALSE(Run(script));
  EXPECT_EQ(text, "a|b.exe\nThe above file name is invalid.");
  EXPECT_EQ(caption, "Pick a program");
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(dialog_->Files().empty());
}

// What the window shows, in the order a user reads it: caption, labels, buttons, the check box,
// the tool hints, the menu.
std::vector<std::string> VisibleTexts(TRzShellOpenSaveForm& f) {
  std::vector<std::string> texts{f.Caption()};
  for (int i = 0; i < f.ComponentCount(); ++i)
    if (auto* label = dynamic_cast<TLabel*>(f.Components(i))) texts.push_back(label->Caption());
  texts.insert(texts.end(),
               {f.OpenButton().Caption(), f.CancelButton().Caption(), f.HelpButton().Caption(),
                f.ReadOnlyCheck().Caption(), f.ShowTreeButton().Hint(), f.ListButton().Hint()});
  TMenuItem* view = f.ListPopup().Items().Items(0);
  texts.insert(texts.end(), {view->Caption(), view->Items(3)->Caption()});
  return texts;
}

TEST_F(OpenDialogTest, TextsAndMessagesComeInTheUsersLanguage) {
  struct Expected {
    TRzLanguage language;
    std::vector<std::string> texts;
    std::string message;
  };
  const Expected cases[] = {
      {TRzLanguage::Chinese,
       {"打开", "查找范围(&I):", "文件名(&N):", "文件类型(&T):", "打开(&O)", "取消", "帮助(&H)",
        "以只读方式打开(&R)", "显示文件夹树 (F12)", "以列表形式显示项目。", "查看(&V)",
        "详细信息(&D)"},
       "a|b.exe\n上述文件名无效。"},
      {TRzLanguage::English,
       {"Open", "Look &in:", "File &name:", "Files of &type:", "&Open", "Cancel", "&Help",
        "Open as &read-only", "Show Tree (F12)", "Displays items in a list.", "&View", "&Details"},
       "a|b.exe\nThe above file name is invalid."},
  };
  for (const Expected& expected : cases) {
    test::UiLanguageScope language(expected.language);
    std::vector<std::string> texts;
    std::string text, caption;
    Script script(*dialog_);
    script.Then("shown", [&] { return ShowsFolder(folder_); })
        .Then("read",
              [&] {
                texts = VisibleTexts(*Form());
                return true;
              })
        .Then("type a|b.exe", TypeAndEnter("a|b.exe"))
        .Then("message", AnswerBox(text, caption))
        .Then("cancel", Cancel());
    EXPECT_FALSE(Run(script));
    EXPECT_EQ(texts, expected.texts);
    EXPECT_EQ(text, expected.message);
    EXPECT_EQ(caption, expected.texts.front());
  }
}

TEST_F(OpenDialogTest, RelativeNameInAVirtualFolderIsRefusedNotReadAgainstTheCurrentOne) {
  std::string text, caption;
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("my computer",
            [&] {
              Form()->GoToPlace(3);  // the default places: my computer is the fourth
              return true;
            })
      .Then("shown", [&] { return Form()->ShellList().FolderPath().empty(); })
      .Then("type x.exe", TypeAndEnter("x.exe"))
      .Then("message", AnswerBox(text, caption))
      .Then("cancel", Cancel());
  EXPECT_FALSE(Run(script));
  EXPECT_EQ(text, "x.exe\nThe above file name is invalid.");
  EXPECT_TRUE(dialog_->Files().empty());
}

TEST_F(OpenDialogTest, MissingFileIsRefusedOnlyWhenItMustExist) {
  dialog_->SetOptions(dialog_->Options() | osoFileMustExist);
  std::string text, caption;
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("type missing", TypeAndEnter("missing.exe"))
      .Then("message", AnswerBox(text, caption))
      .Then("cancel", Cancel());
  EXPECT_FALSE(Run(script));
  EXPECT_EQ(text, Path("missing.exe") +
                      "\nFile not found.\nPlease verify the correct file name "
                      "was given.");
  EXPECT_EQ(caption, "Open");

  dialog_->SetOptions(kDefaultOpenDialogOptions);
  Script plain(*dialog_);
  plain.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("type missing", TypeAndEnter("missing.exe"));
  EXPECT_TRUE(Run(plain));
  EXPECT_EQ(Canonical(dialog_->FileName()), Canonical(Path("missing.exe")));
}

TEST_F(OpenDialogTest, EmptyNameKeepsTheWindowOpenInsteadOfReturningNothing) {
  bool stillOpen = false;
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("enter on nothing", TypeAndEnter(""))
      .Then("still open",
            [&] {
              stillOpen = Form() && Form()->DialogActive();
              return true;
            })
      .Then("cancel", Cancel());
  EXPECT_FALSE(Run(script));
  EXPECT_TRUE(stillOpen);
}

// Names the shell shows without extensions: two files differing only there share a caption.
class HiddenExtensions {
 public:
  HiddenExtensions() {
    registry_.SetRootKey(HKEY_CURRENT_USER);
    if (registry_.OpenKey(kKey, true)) {
      had_ = registry_.ValueExists("HideFileExt");
      if (had_) old_ = registry_.ReadInteger("HideFileExt");
      registry_.WriteInteger("HideFileExt", 1);
    }
  }
  ~HiddenExtensions() {
    if (had_)
      registry_.WriteInteger("HideFileExt", old_);
    else
      registry_.DeleteValue("HideFileExt");
  }

 private:
  static constexpr const char* kKey =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
  TRegistry registry_;
  bool had_ = false;
  int old_ = 0;
};

TEST_F(OpenDialogTest, TwoItemsOfTheTypedCaptionAskTheUserToChoose) {
  HiddenExtensions hidden;
  Make("dup.exe");
  Make("dup.bat");
  dialog_->SetFilter("Programs|*.exe;*.bat");
  std::vector<std::string> captions;
  std::string text, caption;
  bool firstSelected = false;
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); }).Then("read", [&] {
    captions = Captions();
    return true;
  });
  script.Then("type dup", TypeAndEnter("dup"))
      .Then("message", AnswerBox(text, caption))
      .Then("selected",
            [&] {
              TListItem* selected = Form()->ShellList().Selected();
              firstSelected = selected && Upper(Caption(selected)) == "DUP";
              return true;
            })
      .Then("cancel", Cancel());
  EXPECT_FALSE(Run(script));
  if (std::count(captions.begin(), captions.end(), "dup") < 2)
    GTEST_SKIP() << "this shell shows extensions whatever the setting";
  EXPECT_EQ(text, "More than one file has the name 'dup'.\n\nChoose one from the list of files.");
  EXPECT_TRUE(firstSelected);
}

TEST_F(OpenDialogTest, EmptyFilterListsEverythingAndReadsBackNoType) {
  dialog_->SetFilter("");
  int typeCount = -1;
  std::vector<std::string> captions;
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("read",
            [&] {
              typeCount = Form()->FileTypesCombo().Items().Count();
              captions = Captions();
              return true;
            })
      .Then("cancel", Cancel());
  EXPECT_FALSE(Run(script));
  EXPECT_EQ(typeCount, 0);
  EXPECT_EQ(captions.size(), 5u);  // four files and the folder
  EXPECT_EQ(dialog_->FilterIndex(), 0);
}

TEST_F(OpenDialogTest, ExecuteInsideExecuteIsRefusedAndTheFirstGoesOn) {
  std::string error;
  dialog_->OnFormShow = [&](TObject*) {
    try {
      dialog_->Execute();
    } catch (const Exception& e) {
      error = e.Message();
    }
  };
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); }).Then("cancel", Cancel());
  EXPECT_FALSE(Run(script));
  EXPECT_EQ(error, "TRzOpenDialog already executing");
  EXPECT_FALSE(dialog_->Executing());
}

TEST_F(OpenDialogTest, AtTwiceTheResolutionTheToolBarPicturesAndTheMarginsDouble) {
  int pictures = 0, count = 0, margin = 0;
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("scaled",
            [&] {
              Form()->ScaleForPPI(192);
              const TImageList* images = Form()->ListButton().Images();
              pictures = images ? images->Width() : 0;
              count = images ? images->Count() : 0;
              const TRzBitBtn& open = Form()->OpenButton();
              margin = open.Parent()->ClientWidth() - (open.Left() + open.Width());
              return true;
            })
      .Then("cancel", Cancel());
  EXPECT_FALSE(Run(script));
  EXPECT_EQ(pictures, 32);
  EXPECT_EQ(count, 6);
  EXPECT_EQ(margin, 32);
}

TEST_F(OpenDialogTest, AppearanceReachesTheWindowsControls) {
  dialog_->SetFrameVisible(true);
  dialog_->SetToolBtnVisualStyle(vsGradient);
  dialog_->SetShowButtonGlyphs(true);
  dialog_->SetTitle("");
  bool framed = false, gradient = false;
  int openWidth = 0;
  std::string openCaption, caption;
  TModalResult openResult = mrNone;
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("read",
            [&] {
              framed = Form()->ShellList().FrameVisible();
              gradient = Form()->ListButton().VisualStyle() == vsGradient &&
                         Form()->PlaceButton(0).VisualStyle() == vsGradient;
              openWidth = Form()->OpenButton().Width();
              openCaption = Form()->OpenButton().Caption();
              openResult = Form()->OpenButton().ModalResult();
              caption = Form()->Caption();
              return true;
            })
      .Then("cancel", Cancel());
  EXPECT_FALSE(Run(script));
  EXPECT_TRUE(framed);
  EXPECT_TRUE(gradient);
  EXPECT_EQ(openWidth, 95);  // widened for its picture
  EXPECT_EQ(openCaption, "&Open");
  EXPECT_EQ(openResult, mrOk);
  EXPECT_EQ(caption, "Open");
}

TEST_F(OpenDialogTest, PlacementIsReadBackFromTheWindowAndTreeStateKept) {
  dialog_->SetFormPosition(poDesigned);
  dialog_->SetFormLeft(40);
  dialog_->SetFormTop(30);
  dialog_->SetFormWidth(640);
  dialog_->SetOptions(dialog_->Options() | osoShowTree);
  bool treeShown = false;
  int closes = 0, shows = 0;
  dialog_->OnFormShow = [&](TObject*) { ++shows; };
  dialog_->OnFormClose = [&](TObject*) { ++closes; };
  Script script(*dialog_);
  script.Then("shown", [&] { return ShowsFolder(folder_); })
      .Then("F12 hides the tree",
            [&] {
              treeShown = Form()->TreePaneShown();
              PostMessageW(Form()->FileNameEdit().Handle(), WM_KEYDOWN, VK_F12, 0);
              return true;
            })
      .Then("hidden", [&] { return !Form()->TreePaneShown(); })
      .Then("cancel", Cancel());
  EXPECT_FALSE(Run(script));
  EXPECT_TRUE(treeShown);
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(dialog_->FormLeft(), 40);
  EXPECT_EQ(dialog_->FormTop(), 30);
  EXPECT_EQ(dialog_->FormWidth(), 640);
  EXPECT_EQ(dialog_->FormHeight(), 420);
  EXPECT_FALSE(dialog_->Options() & osoShowTree);
  // Never set, the splitter keeps its designed share instead of squeezing the tree away.
  EXPECT_GT(dialog_->FormSplitterPos(), 100);

  std::vector<std::uint8_t> record;
  dialog_->WriteLayout(record);
  TRzOpenDialog other(nullptr);
  ASSERT_TRUE(other.ReadLayout(record));
  EXPECT_EQ(other.FormWidth(), 640);
  EXPECT_EQ(other.FormPosition(), poDesigned);
  // A cut record changes nothing at all.
  record.pop_back();
  TRzOpenDialog untouched(nullptr);
  EXPECT_FALSE(untouched.ReadLayout(record));
  EXPECT_EQ(untouched.FormWidth(), -1);
  EXPECT_EQ(untouched.FormPosition(), poScreenCenter);
}

// ---- Places bar ----

class PlacesPolicy {
 public:
  PlacesPolicy() {
    registry_.SetRootKey(HKEY_CURRENT_USER);
    registry_.DeleteKey(kRzStrPlacesPolicyKey);
    EXPECT_TRUE(registry_.OpenKey(kRzStrPlacesPolicyKey, true));
  }
  ~PlacesPolicy() {
    registry_.CloseKey();
    registry_.DeleteKey(kRzStrPlacesPolicyKey);
  }
  TRegistry& Registry() { return registry_; }

 private:
  TRegistry registry_;
};

TEST(OpenDialogPlaces, WithoutPolicyFiveSpecialFolders) {
  {
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    registry.DeleteKey(kRzStrPlacesPolicyKey);
  }
  TRzShellOpenSaveForm form(nullptr);
  ASSERT_EQ(form.Places().size(), 5u);
  const int expected[] = {8, 0, 5, 17, 18};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(form.Places()[static_cast<size_t>(i)].SpecialFolder, expected[i]);
    EXPECT_TRUE(form.PlaceButton(i).Visible()) << i;
  }
}

TEST(OpenDialogPlaces, PolicyPathsAndNumbersAndAnEmptyPolicyHidesAll) {
  {
    PlacesPolicy policy;
    policy.Registry().WriteExpandString("Place0", "%SystemRoot%");
    policy.Registry().WriteInteger("Place2", 17);
    TRzShellOpenSaveForm form(nullptr);
    ASSERT_EQ(form.Places().size(), 2u);
    const TRzPlaceData& path = form.Places()[0];
    EXPECT_EQ(path.SpecialFolder, kPlaceIsPath);
    EXPECT_EQ(Upper(path.Caption), "WINDOWS");
    EXPECT_EQ(Upper(path.Path).find('%'), std::string::npos);
    EXPECT_EQ(form.Places()[1].SpecialFolder, 17);
    EXPECT_TRUE(form.PlaceButton(0).Visible());
    EXPECT_TRUE(form.PlaceButton(1).Visible());
    EXPECT_FALSE(form.PlaceButton(2).Visible());

    // The path place is down while the list shows that folder.
    form.Show();
    form.GoToPlace(0);
    EXPECT_TRUE(test::WaitUntil([&] { return form.ShellList().FolderIdList() != nullptr; }));
    EXPECT_TRUE(form.PlaceButton(0).Down());
    EXPECT_FALSE(form.PlaceButton(1).Down());
  }
  {
    PlacesPolicy policy;  // the key, and none of the values
    TRzShellOpenSaveForm form(nullptr);
    EXPECT_TRUE(form.Places().empty());
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(form.PlaceButton(i).Visible()) << i;
  }
}

}  // namespace
}  // namespace kovra
