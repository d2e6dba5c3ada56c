// The folder selection window and dialog on the real desktop over a scratch folder tree, shown
// modally and driven with real input from a timer inside its modal loop.
#include "shell/RzSelectFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/Application.h"
#include "framework/runtime/Text.h"
#include "support/Desktop.h"
#include "support/Pump.h"
#include "support/TestForm.h"
#include "support/TestPaths.h"
#include "support/UiLanguage.h"
#include "support/Windows.h"
#include "ShellTestSupport.h"

namespace kovra {
namespace {

using test::ChildNode;
using test::ClickControl;
using test::ClickNode;
using test::PumpUntil;
using test::SendKeys;

// Runs `script` once inside the modal loop of the form `current` returns, as soon as that form
// shows. A deadline cancels a window the script left open, so a failing test never hangs.
class WhileModal {
 public:
  WhileModal(std::function<TForm*()> current, std::function<void(TForm&)> script)
      : current_(std::move(current)), script_(std::move(script)) {
    active_ = this;
    deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    timer_ = SetTimer(nullptr, 0, 20, &WhileModal::Tick);
  }
  ~WhileModal() {
    KillTimer(nullptr, timer_);
    active_ = nullptr;
  }
  WhileModal(const WhileModal&) = delete;
  WhileModal& operator=(const WhileModal&) = delete;

  bool Ran() const { return ran_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    WhileModal* self = active_;
    if (!self || self->running_) return;
    TForm* form = self->current_();
    if (!form || !form->HandleAllocated() || !IsWindowVisible(form->Handle())) return;
    if (!self->ran_) {
      self->ran_ = self->running_ = true;
      self->script_(*form);
      self->running_ = false;
    } else if (std::chrono::steady_clock::now() > self->deadline_ && form->IsModal()) {
      ADD_FAILURE() << "the window was left open";
      form->SetModalResult(mrCancel);
    }
  }

  static inline WhileModal* active_ = nullptr;
  std::function<TForm*()> current_;
  std::function<void(TForm&)> script_;
  std::chrono::steady_clock::time_point deadline_;
  UINT_PTR timer_ = 0;
  bool ran_ = false;
  bool running_ = false;
};

// With KOVRA_SELECT_FOLDER_SHOT set to a Windows file name, the window settles, says so in
// "<name>.ready" and stays up until a screen capture from outside has written the file.
void AwaitShot(TForm& form) {
  const char* path = std::getenv("KOVRA_SELECT_FOLDER_SHOT");
  if (!path) return;
  RedrawWindow(form.Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  const std::wstring shot = Wide(path);
  HANDLE ready = CreateFileW((shot + L".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  EXPECT_TRUE(PumpUntil([&] { return GetFileAttributesW(shot.c_str()) != INVALID_FILE_ATTRIBUTES; },
                        std::chrono::seconds(30)));
}

class SelectFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Initialize();
    root_ = Narrow(scratch_.Path());  // ends in a backslash
    for (const char* dir : {"alpha", "alpha\\one", "beta"})
      ASSERT_TRUE(CreateDirectoryW(Wide(root_ + dir).c_str(), nullptr)) << dir;
    std::string deep = root_ + "alpha";
    for (const char* dir : {"a rather long folder name", "and another long folder name",
                            "then one more to make it long", "last"}) {
      deep += "\\";
      deep += dir;
      ASSERT_TRUE(CreateDirectoryW(Wide(deep).c_str(), nullptr)) << deep;
    }
    deep_ = deep;
  }
  void TearDown() override { test::ParkCursor(); }

  std::unique_ptr<TRzSelectFolderForm> MakeForm(TRzSelectFolderDialogOptions options) {
    auto form = std::make_unique<TRzSelectFolderForm>();
    form->SetOptions(options);
    form->ShellTree()->BaseFolder().SetPath(root_);
    return form;
  }
  // Shows the form modally, runs `script` in it, and returns the modal result.
  TModalResult Show(TRzSelectFolderForm& form, std::function<void(TRzSelectFolderForm&)> script) {
    WhileModal driver([&]() -> TForm* { return &form; }, [&](TForm&) { script(form); });
    const TModalResult result = form.ShowModal();
    EXPECT_TRUE(driver.Ran());
    return result;
  }

  test::ScratchDir scratch_;
  std::string root_;
  std::string deep_;
};

TEST_F(SelectFolderTest, DefaultOptionsHideTheButtonsAndTheTreeTakesTheirRoom) {
  auto form = MakeForm(kDefaultSelectFolderOptions);
  const TModalResult result = Show(*form, [&](TRzSelectFolderForm& f) {
    EXPECT_FALSE(f.BtnNewFolder()->Visible());
    EXPECT_FALSE(f.BtnDeleteFolder()->Visible());
    EXPECT_EQ(f.ShellTree()->Top(), 8);
    EXPECT_EQ(f.ShellTree()->Left(), 8);
    EXPECT_EQ(f.ShellTree()->Left() + f.ShellTree()->Width(), f.ClientWidth() - 8);
    EXPECT_EQ(f.ShellTree()->Top() + f.ShellTree()->Height(), f.ButtonPanel()->Top() - 4);
    EXPECT_EQ(f.ShellTree()->Options(),
              stoAutoFill | stoContextMenus | stoShowHidden);  // nothing else at design time
    EXPECT_EQ(f.Caption(), "Browse for Folder");
    EXPECT_GT(f.StatusBar()->Top(), f.ButtonPanel()->Top());
    // Cancel and OK sit at the right, 8 pixels apart.
    EXPECT_EQ(f.BtnCancel()->Left() + f.BtnCancel()->Width(), f.ButtonPanel()->ClientWidth() - 8);
    EXPECT_EQ(f.BtnOk()->Left() + f.BtnOk()->Width(), f.BtnCancel()->Left() - 8);
    EXPECT_FALSE(GetWindowLongPtrW(f.Handle(), GWL_STYLE) & WS_MINIMIZEBOX);
    MINMAXINFO limits{};
    SendMessageW(f.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, TRzSelectFolderForm::kMinTrackWidth);
    EXPECT_EQ(limits.ptMinTrackSize.y, TRzSelectFolderForm::kMinTrackHeight);
    ClickControl(*f.BtnCancel());
  });
  EXPECT_EQ(result, mrCancel);
}

TEST_F(SelectFolderTest, AtTwiceTheResolutionGapsAndButtonPicturesDouble) {
  auto form = MakeForm(kDefaultSelectFolderOptions | sfdoCreateDeleteButtons);
  const TModalResult result = Show(*form, [&](TRzSelectFolderForm& f) {
    f.ScaleForPPI(192);
    const TRzToolButton& create = *f.BtnNewFolder();
    EXPECT_EQ(f.ShellTree()->Top(), create.Top() + create.Height() + 8);
    EXPECT_EQ(f.ShellTree()->Top() + f.ShellTree()->Height(), f.ButtonPanel()->Top() - 8);
    EXPECT_EQ(f.BtnCancel()->Left() + f.BtnCancel()->Width(), f.ButtonPanel()->ClientWidth() - 16);
    EXPECT_EQ(f.BtnOk()->Left() + f.BtnOk()->Width(), f.BtnCancel()->Left() - 16);
    EXPECT_EQ(f.ImageList1().Width(), 32);
    EXPECT_EQ(f.ImageList1().Height(), 32);
    EXPECT_EQ(f.ImageList1().Count(), 4);
    f.BtnCancel()->Click();  // twice the design may reach past the bottom of the screen
  });
  EXPECT_EQ(result, mrCancel);
}

TEST_F(SelectFolderTest, TextsComeInTheUsersLanguage) {
  test::UiLanguageScope chinese(TRzLanguage::Chinese);
  auto form = MakeForm(kDefaultSelectFolderOptions | sfdoCreateDeleteButtons);
  const TModalResult result = Show(*form, [&](TRzSelectFolderForm& f) {
    EXPECT_EQ(f.Caption(), "浏览文件夹");
    EXPECT_EQ(f.BtnOk()->Caption(), "确定");
    EXPECT_EQ(f.BtnCancel()->Caption(), "取消");
    EXPECT_EQ(f.BtnNewFolder()->Caption(), "新建文件夹");
    EXPECT_EQ(f.BtnDeleteFolder()->Caption(), "删除");
    ClickControl(*f.BtnCancel());
  });
  EXPECT_EQ(result, mrCancel);
}

TEST_F(SelectFolderTest, PreselectedFolderIsSelectedAndShownAndButtonsFollowTheSelection) {
  auto form = MakeForm(kDefaultSelectFolderOptions | sfdoCreateDeleteButtons);
  form->ShellTree()->SelectedFolder().SetPath(root_ + "alpha\\one");
  std::vector<std::string> changes;
  form->OnSelChange = [&](TObject*, LPCITEMIDLIST list) { changes.push_back(IdListToPath(list)); };
  const TModalResult result = Show(*form, [&](TRzSelectFolderForm& f) {
    TRzShellTree& tree = *f.ShellTree();
    EXPECT_EQ(tree.SelectedPathName(), root_ + "alpha\\one");
    EXPECT_EQ(f.StatusBar()->SimpleCaption(), root_ + "alpha\\one");
    EXPECT_TRUE(f.BtnNewFolder()->Visible());
    EXPECT_EQ(tree.Top(), f.BtnNewFolder()->Top() + f.BtnNewFolder()->Height() + 4);
    EXPECT_TRUE(f.BtnNewFolder()->Enabled());
    EXPECT_TRUE(f.BtnDeleteFolder()->Enabled());

    // The root can get a new folder but is never deleted from here.
    ClickNode(tree, tree.RootNode());
    ASSERT_TRUE(PumpUntil([&] { return tree.Selected() == tree.RootNode(); }));
    EXPECT_EQ(f.StatusBar()->SimpleCaption() + "\\", root_);
    EXPECT_TRUE(f.BtnNewFolder()->Enabled());
    EXPECT_FALSE(f.BtnDeleteFolder()->Enabled());

    AwaitShot(f);
    ClickControl(*f.BtnOk());
  });
  EXPECT_EQ(result, mrOk);
  ASSERT_GE(changes.size(), 2u);
  EXPECT_EQ(changes.front(), root_ + "alpha\\one");
  EXPECT_EQ(changes.back() + "\\", root_);
}

TEST_F(SelectFolderTest, MyComputerDisablesBothButtonsAndEmptiesTheStatus) {
  auto form = MakeForm(kDefaultSelectFolderOptions | sfdoCreateDeleteButtons);
  form->ShellTree()->BaseFolder().SetSpecialFolder(CSIDL_DRIVES);
  form->SetStatusText("pick one");
  EXPECT_EQ(form->StatusBar()->SimpleCaption(), "pick one");
  Show(*form, [&](TRzSelectFolderForm& f) {
    TRzShellTree& tree = *f.ShellTree();
    ASSERT_EQ(tree.Selected(), tree.RootNode());
    EXPECT_EQ(f.StatusBar()->SimpleCaption(), "");
    EXPECT_FALSE(f.BtnNewFolder()->Enabled());
    EXPECT_FALSE(f.BtnDeleteFolder()->Enabled());
    // A drive below it can take a new folder.
    TTreeNode* drive = tree.RootNode()->GetFirstChild();
    ASSERT_NE(drive, nullptr);
    ClickNode(tree, drive);
    ASSERT_TRUE(PumpUntil([&] { return tree.Selected() == drive; }));
    EXPECT_FALSE(f.StatusBar()->SimpleCaption().empty());
    EXPECT_TRUE(f.BtnNewFolder()->Enabled());
    ClickControl(*f.BtnCancel());
  });
}

TEST_F(SelectFolderTest, ALongPathIsShortenedToTheStatusBarAndFollowsItsWidth) {
  auto form = MakeForm(kDefaultSelectFolderOptions);
  form->ShellTree()->SelectedFolder().SetPath(deep_);
  Show(*form, [&](TRzSelectFolderForm& f) {
    const std::string shown = f.StatusBar()->SimpleCaption();
    EXPECT_EQ(f.SelectedPath(), deep_);
    EXPECT_NE(shown, deep_);
    EXPECT_TRUE(shown.find("...\\") != std::string::npos) << shown;
    EXPECT_TRUE(shown.ends_with("\\then one more to make it long\\last")) << shown;
    EXPECT_EQ(shown.substr(0, 2), deep_.substr(0, 2));  // the drive stays while it can

    // Wider, more of the path comes back; the full path once it fits.
    SetWindowPos(f.Handle(), nullptr, 10, 10, GetSystemMetrics(SM_CXSCREEN) - 20, f.Height(),
                 SWP_NOZORDER);
    EXPECT_GT(f.StatusBar()->SimpleCaption().size(), shown.size());
    ClickControl(*f.BtnOk());
  });
}

TEST_F(SelectFolderTest, CreateFolderMakesANewFolderBelowTheSelectionAndEditsItsName) {
  auto form = MakeForm(kDefaultSelectFolderOptions | sfdoCreateDeleteButtons);
  form->ShellTree()->SelectedFolder().SetPath(root_ + "beta");
  Show(*form, [&](TRzSelectFolderForm& f) {
    TRzShellTree& tree = *f.ShellTree();
    ClickControl(*f.BtnNewFolder());
    ASSERT_TRUE(PumpUntil([&] { return tree.IsEditing(); }));
    const DWORD attributes = GetFileAttributesW(Wide(root_ + "beta\\New Folder").c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    TreeView_EndEditLabelNow(tree.Handle(), TRUE);
    EXPECT_NE(ChildNode(ChildNode(tree.RootNode(), "beta"), "New Folder"), nullptr);
    ClickControl(*f.BtnCancel());
  });
}

// Answers the first message box of this process with Yes, from a thread of its own, while the
// box's modal loop holds the test's thread.
class ConfirmBoxes {
 public:
  ConfirmBoxes() : thread_([this] { Run(); }) {}
  ~ConfirmBoxes() {
    stop_ = true;
    thread_.join();
  }
  bool Answered() const { return answered_; }

 private:
  void Run() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!stop_ && !answered_ && std::chrono::steady_clock::now() < deadline) {
      const std::vector<HWND> boxes = test::OwnDialogBoxes();
      if (!boxes.empty()) {
        PostMessageW(boxes.front(), WM_COMMAND, IDYES, 0);
        answered_ = true;
      }
      Sleep(20);
    }
  }
  std::atomic<bool> stop_{false};
  std::atomic<bool> answered_{false};
  std::thread thread_;
};

TEST_F(SelectFolderTest, DeleteRemovesTheSelectedFolderFromDiskAndTree) {
  auto form = MakeForm(kDefaultSelectFolderOptions | sfdoCreateDeleteButtons);
  form->ShellTree()->SelectedFolder().SetPath(root_ + "beta");
  Show(*form, [&](TRzSelectFolderForm& f) {
    TRzShellTree& tree = *f.ShellTree();
    ASSERT_TRUE(f.BtnDeleteFolder()->Enabled());
    {
      ConfirmBoxes confirm;
      ClickControl(*f.BtnDeleteFolder());
      EXPECT_TRUE(PumpUntil([&] {
        return GetFileAttributesW(Wide(root_ + "beta").c_str()) == INVALID_FILE_ATTRIBUTES;
      }));
    }
    EXPECT_TRUE(PumpUntil([&] { return ChildNode(tree.RootNode(), "beta") == nullptr; }));
    EXPECT_NE(ChildNode(tree.RootNode(), "alpha"), nullptr);
    ClickControl(*f.BtnCancel());
  });
}

// ---- the dialog ----

class SelectFolderDialogTest : public SelectFolderTest {
 protected:
  // Runs Execute with `script` inside its window.
  bool Execute(TRzSelectFolderDialog& dialog, std::function<void(TRzSelectFolderForm&)> script) {
    WhileModal driver([&]() -> TForm* { return dialog.SelectFolderForm(); },
                      [&](TForm& form) { script(static_cast<TRzSelectFolderForm&>(form)); });
    const bool ok = dialog.Execute();
    EXPECT_TRUE(driver.Ran());
    EXPECT_EQ(dialog.SelectFolderForm(), nullptr);
    EXPECT_FALSE(dialog.Executing());
    return ok;
  }
  void Choose(TRzSelectFolderForm& form, TTreeNode* node) {
    ASSERT_NE(node, nullptr);
    ClickNode(*form.ShellTree(), node);
    ASSERT_TRUE(PumpUntil([&] { return form.ShellTree()->Selected() == node; }));
  }
};

TEST_F(SelectFolderDialogTest, OkHandsBackTheChosenFolderAndCancelKeepsTheOldOne) {
  TRzSelectFolderDialog dialog(nullptr);
  EXPECT_EQ(dialog.Options(), kDefaultSelectFolderOptions);
  dialog.BaseFolder().SetPath(root_);
  dialog.SelectedFolder().SetPath(root_ + "alpha\\one");
  std::vector<std::string> events;
  dialog.OnInitialized = [&](TObject* sender) {
    EXPECT_EQ(sender, &dialog);
    EXPECT_NE(dialog.SelectFolderForm(), nullptr);
    events.push_back("initialized");
  };
  dialog.OnFormShow = [&](TObject* sender) {
    EXPECT_EQ(sender, &dialog);
    events.push_back("show");
  };
  dialog.OnFormClose = [&](TObject* sender) {
    EXPECT_EQ(sender, &dialog);
    events.push_back("close");
  };
  dialog.OnSelChange = [&](TObject* sender, LPCITEMIDLIST list) {
    EXPECT_EQ(sender, &dialog);
    events.push_back(IdListToPath(list));
  };

  EXPECT_TRUE(Execute(dialog, [&](TRzSelectFolderForm& f) {
    EXPECT_EQ(f.Caption(), "Browse for Folder");
    EXPECT_EQ(f.ShellTree()->SelectedPathName(), root_ + "alpha\\one");
    EXPECT_EQ(f.StatusBar()->SimpleCaption(), root_ + "alpha\\one");
    Choose(f, ChildNode(f.ShellTree()->RootNode(), "beta"));
    SendKeys({VK_RETURN});  // the default button
  }));
  EXPECT_EQ(dialog.SelectedFolder().Path(), root_ + "beta");
  EXPECT_EQ(events, (std::vector<std::string>{"initialized", root_ + "alpha\\one", "show",
                                              root_ + "beta", "close"}));
  // The window's placement comes back for the next showing.
  EXPECT_EQ(dialog.FormWidth(), TRzSelectFolderForm::kDesignWidth);
  EXPECT_EQ(dialog.FormHeight(), TRzSelectFolderForm::kDesignHeight);
  EXPECT_EQ(dialog.FormPosition(), poScreenCenter);

  // Cancel: the choice made in the window is dropped.
  dialog.SetFormWidth(450);
  EXPECT_FALSE(Execute(dialog, [&](TRzSelectFolderForm& f) {
    EXPECT_EQ(f.Width(), 450);
    EXPECT_EQ(f.ShellTree()->SelectedPathName(), root_ + "beta");
    Choose(f, ChildNode(f.ShellTree()->RootNode(), "alpha"));
    SendKeys({VK_ESCAPE});  // the cancel button
  }));
  EXPECT_EQ(dialog.SelectedFolder().Path(), root_ + "beta");
  EXPECT_EQ(dialog.FormWidth(), 450);
}

TEST_F(SelectFolderDialogTest, ASecondExecuteWhileTheWindowIsOpenRaises) {
  TRzSelectFolderDialog dialog(nullptr);
  dialog.BaseFolder().SetPath(root_);
  EXPECT_FALSE(Execute(dialog, [&](TRzSelectFolderForm& f) {
    try {
      dialog.Execute();
      ADD_FAILURE() << "a second window opened";
    } catch (const std::exception& e) {
      EXPECT_STREQ(e.what(), "TRzSelectFolderDialog already executing");
    }
    EXPECT_EQ(dialog.SelectFolderForm(), &f);  // the first window is untouched
    EXPECT_TRUE(dialog.Executing());
    ClickControl(*f.BtnCancel());
  }));
  // Afterwards it runs again.
  EXPECT_TRUE(Execute(dialog, [&](TRzSelectFolderForm& f) { ClickControl(*f.BtnOk()); }));
}

TEST_F(SelectFolderDialogTest, OptionsTitleAndItemFilterReachTheWindow) {
  TRzSelectFolderDialog dialog(nullptr);
  dialog.BaseFolder().SetPath(root_);
  dialog.SetTitle("Where to?");
  dialog.SetStatusText("nothing yet");
  dialog.SetOptions(kDefaultSelectFolderOptions | sfdoCreateDeleteButtons | sfdoReadOnly);
  dialog.OnAddItem = [&](TObject* sender, IShellFolder* parent, LPCITEMIDLIST, LPCITEMIDLIST item,
                         SFGAOF, bool& allowAdd) {
    EXPECT_EQ(sender, &dialog);
    if (ItemDisplayName(parent, item, snkInFolder) == "beta") allowAdd = false;
  };
  Execute(dialog, [&](TRzSelectFolderForm& f) {
    EXPECT_EQ(f.Caption(), "Where to?");
    EXPECT_TRUE(f.BtnNewFolder()->Visible());
    EXPECT_TRUE(f.ShellTree()->ReadOnly());
    EXPECT_NE(ChildNode(f.ShellTree()->RootNode(), "alpha"), nullptr);
    EXPECT_EQ(ChildNode(f.ShellTree()->RootNode(), "beta"), nullptr);
    // Options set while the window is open apply at once.
    dialog.SetOptions(kDefaultSelectFolderOptions);
    EXPECT_FALSE(f.BtnNewFolder()->Visible());
    EXPECT_FALSE(f.ShellTree()->ReadOnly());
    EXPECT_EQ(f.ShellTree()->Top(), 8);
    ClickControl(*f.BtnCancel());
  });
}

}  // namespace
}  // namespace kovra
