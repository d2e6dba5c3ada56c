// Message dialogs: the system box chosen for a button set, captioned with the title.
#include "framework/Dialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "framework/Application.h"

namespace kovra {
namespace {

TEST(Dialogs, ButtonSetsMapToTheClosestSystemBox) {
  EXPECT_EQ(MessageDlgFlags(mtWarning, MsgDlgButton(mbOK)), unsigned(MB_OK | MB_ICONWARNING));
  EXPECT_EQ(MessageDlgFlags(mtConfirmation, mbYesNo), unsigned(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(MessageDlgFlags(mtError, mbYesNoCancel), unsigned(MB_YESNOCANCEL | MB_ICONERROR));
  EXPECT_EQ(MessageDlgFlags(mtInformation, mbOKCancel), unsigned(MB_OKCANCEL | MB_ICONINFORMATION));
  EXPECT_EQ(MessageDlgFlags(mtCustom, mbAbortRetryIgnore), unsigned(MB_ABORTRETRYIGNORE));
  EXPECT_EQ(MessageDlgFlags(mtCustom, MsgDlgButton(mbRetry) | MsgDlgButton(mbCancel)),
            unsigned(MB_RETRYCANCEL));
  EXPECT_EQ(MessageDlgFlags(mtCustom, 0), unsigned(MB_OK));
}

TEST(Dialogs, MessageDlgReturnsThePressedButtonAsAModalResult) {
  Application().SetTitle("Kovra");
  std::atomic<bool> done{false};
  std::thread presser([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done && std::chrono::steady_clock::now() < deadline) {
      HWND box = FindWindowW(L"#32770", L"Kovra");
      DWORD pid = 0;
      if (box) GetWindowThreadProcessId(box, &pid);
      if (box && pid == GetCurrentProcessId() && IsWindowVisible(box)) {
        PostMessageW(box, WM_COMMAND, IDYES, 0);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  const TModalResult result = MessageDlg("保存更改?", mtConfirmation, mbYesNo);
  done = true;
  presser.join();
  EXPECT_EQ(result, mrYes);
}

}  // namespace
}  // namespace kovra
