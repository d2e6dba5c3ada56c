// The application object: its loop, exception reporting, message boxes, minimise and restore.
#include "framework/Application.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/Forms.h"
#include "framework/Timers.h"
#include "support/Desktop.h"
#include "support/TestForm.h"
#include "support/Wait.h"
#include "support/Windows.h"

namespace kovra {
namespace {

using test::WaitUntil;

// A dialog box of this process whose caption is `caption`.
HWND FindOwnDialog(const std::wstring& caption) {
  for (HWND box : test::OwnDialogBoxes())
    if (Wide(WindowText(box)) == caption) return box;
  return nullptr;
}

// Watches from another thread for a message box, records its text and presses `button`.
class BoxDismisser {
 public:
  BoxDismisser(std::wstring caption, int button)
      : thread_([this, caption, button] {
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
          while (std::chrono::steady_clock::now() < deadline && !stop_) {
            if (HWND box = FindOwnDialog(caption)) {
              // The box may be visible before its text is set.
              wchar_t text[256] = {};
              for (int i = 0; i < 200 && !GetDlgItemTextW(box, 0xFFFF, text, 256); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
              {
                std::lock_guard<std::mutex> lock(mutex_);
                text_ = text;
              }
              ++seen_;
              PostMessageW(box, WM_COMMAND, button, 0);
              while (IsWindow(box) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          }
        }) {}
  ~BoxDismisser() {
    stop_ = true;
    thread_.join();
  }
  int Seen() const { return seen_; }
  std::wstring Text() {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<int> seen_{0};
  std::mutex mutex_;
  std::wstring text_;
  std::thread thread_;
};

TEST(ApplicationExceptions, HandlerExceptionReachesOnExceptionAndTheLoopGoesOn) {
  auto form = std::make_unique<TForm>();
  form->Show();
  TObject* sender = nullptr;
  std::string message;
  int reported = 0;
  Application().OnException = [&](TObject* s, const std::exception& e) {
    sender = s;
    message = e.what();
    ++reported;
  };
  form->OnClick = [](TObject*) { throw Exception("broken handler"); };
  HWND wnd = form->Handle();
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(reported, 1);
  EXPECT_EQ(sender, form.get());
  EXPECT_EQ(message, "broken handler");

  // Posted work still runs through the loop afterwards, and non-standard exceptions are named.
  form->OnClick = [](TObject*) { throw 42; };
  PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(WaitUntil([&] {
    Application().ProcessMessages();
    return reported == 2;
  }));
  EXPECT_EQ(message, "Unknown exception");
  Application().OnException = nullptr;
}

TEST(ApplicationExceptions, DefaultHandlerShowsABoxCaptionedWithTheTitleAndRunGoesOn) {
  Application().SetTitle("Kovra 测试");
  TForm* main = Application().CreateForm<TForm>();
  EXPECT_EQ(Application().MainForm(), main);
  BoxDismisser dismisser(L"Kovra 测试", IDOK);
  auto* timer = new TTimer(main);  // freed with the form when Run returns
  timer->SetInterval(10);
  int ticks = 0;
  bool closed = false;
  timer->OnTimer = [&](TObject*) {
    ++ticks;
    if (ticks == 1) throw Exception("配置文件无法写入");
    // Ticks go on inside the box's own loop: close (which ends that loop too) only once the box
    // has been seen, bounded so that a box that never shows cannot hang the test.
    if (!closed && ticks >= 3 && (dismisser.Seen() == 1 || ticks > 500))
      main->Close();  // the loop survived the exception
  };
  main->OnClose = [&](TObject*, TCloseAction&) { closed = true; };
  Application().Run();
  EXPECT_TRUE(closed);
  EXPECT_TRUE(Application().Terminated());
  EXPECT_EQ(dismisser.Seen(), 1);
  EXPECT_EQ(dismisser.Text(), L"配置文件无法写入.");
  EXPECT_EQ(Application().MainForm(), nullptr);  // freed when Run returned
}

TEST(ApplicationLoop, ProcessMessagesHandlesWhatWaitsAndReturns) {
  int handled = 0;
  TUtilityWindow window([&](TMessage& m) {
    if (m.Msg != WM_APP + 1) return false;
    ++handled;
    if (handled == 2) PostMessageW(window.Handle(), WM_APP + 1, 0, 0);  // posted meanwhile
    return true;
  });
  for (int i = 0; i < 3; ++i) PostMessageW(window.Handle(), WM_APP + 1, 0, 0);
  Application().ProcessMessages();
  EXPECT_EQ(handled, 4);
  Application().ProcessMessages();  // an empty queue returns at once
  EXPECT_EQ(handled, 4);
}

TEST(ApplicationLoop, MessageBoxUsesTheTitleUnlessGivenACaption) {
  Application().SetTitle("Kovra");
  {
    BoxDismisser dismisser(L"Kovra", IDNO);
    EXPECT_EQ(Application().MessageBox("继续?", "", MB_YESNO), IDNO);
    EXPECT_EQ(dismisser.Text(), L"继续?");
  }
  BoxDismisser other(L"Other", IDOK);
  EXPECT_EQ(Application().MessageBox("x", "Other"), IDOK);
  EXPECT_EQ(Application().ModalLevel(), 0);
}

TEST(ApplicationWindow, MinimizeRestoreNotifyOnceAndHooksCanTakeOver) {
  HWND app = Application().Handle();
  ShowWindow(app, SW_SHOWNOACTIVATE);
  int minimized = 0, restored = 0;
  Application().OnMinimize = [&](TObject*) { ++minimized; };
  Application().OnRestore = [&](TObject*) { ++restored; };
  Application().Minimize();
  Application().Minimize();
  EXPECT_TRUE(IsIconic(app));
  EXPECT_EQ(minimized, 1);
  Application().Restore();
  Application().Restore();
  EXPECT_FALSE(IsIconic(app));
  EXPECT_EQ(restored, 1);

  // The taskbar's minimise arrives as WM_SYSCOMMAND; a hook that answers it wins.
  int hooked = 0;
  const int id = Application().HookMainWindow([&](TMessage& m) {
    if (m.Msg != WM_SYSCOMMAND || (m.WParam & 0xFFF0) != SC_MINIMIZE) return false;
    ++hooked;
    return true;
  });
  SendMessageW(app, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(hooked, 1);
  EXPECT_FALSE(IsIconic(app));
  Application().UnhookMainWindow(id);
  SendMessageW(app, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(hooked, 1);
  EXPECT_TRUE(IsIconic(app));
  EXPECT_EQ(minimized, 2);
  Application().Restore();
  Application().OnMinimize = nullptr;
  Application().OnRestore = nullptr;
}

TEST(ApplicationWindow, ExtendedStyleAndTitleReachTheHiddenWindow) {
  HWND app = Application().Handle();
  Application().SetExStyle(WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetWindowLongPtrW(app, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, WS_EX_TOOLWINDOW);
  Application().SetTitle("Kovra");
  EXPECT_EQ(WindowText(app), "Kovra");
  EXPECT_EQ(Application().Title(), "Kovra");
}

TEST(ApplicationHints, ShownAfterThePauseForControlsThatAskAndGoneOnLeave) {
  auto form = std::make_unique<TForm>();
  form->SetBounds(100, 100, 200, 100);
  form->Show();
  Application().SetHintPause(10);
  Application().SetHintColor(clYellow);
  auto hintShown = [] {
    HWND tip = Application().HintWindow();
    return tip && IsWindowVisible(tip);
  };
  // Without ShowHint the text alone shows nothing.
  form->SetHint("退出程序");
  SendMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  EXPECT_FALSE(WaitUntil(hintShown, std::chrono::milliseconds(150)));
  SendMessageW(form->Handle(), WM_MOUSELEAVE, 0, 0);

  form->SetShowHint(true);
  test::PutCursorOver(form->Handle(), 10, 10);  // the real mouse agrees with the sent move
  SendMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  ASSERT_TRUE(WaitUntil(hintShown));
  EXPECT_EQ(test::HintText(Application().HintWindow()), L"退出程序");
  EXPECT_EQ(SendMessageW(Application().HintWindow(), TTM_GETTIPBKCOLOR, 0, 0),
            static_cast<LRESULT>(clYellow));
  SendMessageW(form->Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(hintShown());
  // A control freed while its hint waits leaves nothing behind.
  SendMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  form.reset();
  EXPECT_FALSE(WaitUntil(hintShown, std::chrono::milliseconds(150)));
}

TEST(ApplicationHelp, TheHandlerSeesEachRequestFirstAndCanAnswerItAlone) {
  std::vector<std::pair<UINT, ULONG_PTR>> requests;
  Application().OnHelp = [&](UINT command, ULONG_PTR data, bool& callHelp) {
    requests.emplace_back(command, data);
    callHelp = false;
    return true;
  };
  // Answered by the handler alone: the file is never opened, its viewer not even loaded.
  Application().SetHelpFile("C:\\nowhere\\kovra.chm");
  EXPECT_TRUE(Application().HelpContext(42));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].first, static_cast<UINT>(HELP_CONTEXT));
  EXPECT_EQ(requests[0].second, 42u);
  EXPECT_EQ(GetModuleHandleW(L"hhctrl.ocx"), nullptr);

  // Without a file there is nothing to show: the handler's word stands, and without a handler
  // nothing answers.
  Application().SetHelpFile("");
  Application().OnHelp = [](UINT, ULONG_PTR, bool&) { return false; };
  EXPECT_FALSE(Application().HelpContext(7));
  Application().OnHelp = nullptr;
  EXPECT_FALSE(Application().HelpCommand(HELP_FINDER, 0));
  EXPECT_EQ(GetModuleHandleW(L"hhctrl.ocx"), nullptr);
}

TEST(ApplicationLoop, ScheduledDeletesRunOnceAndCanBeCancelled) {
  int freed = 0;
  struct Counted : TObject {
    explicit Counted(int* n) : n_(n) {}
    ~Counted() override { ++*n_; }
    int* n_;
  };
  auto* a = new Counted(&freed);
  Application().ScheduleDelete(a);
  Application().ScheduleDelete(a);  // asked twice, freed once
  Counted kept(&freed);
  Application().ScheduleDelete(&kept);
  Application().CancelScheduledDelete(&kept);
  EXPECT_EQ(freed, 0);
  ASSERT_TRUE(WaitUntil([&] { return freed == 1; }));
  Application().ProcessMessages();
  EXPECT_EQ(freed, 1);
}

}  // namespace
}  // namespace kovra
