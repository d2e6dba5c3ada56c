// A whole drag through OLE, from our data object and drop source to our drop target registered
// on a window under the cursor.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "shell/RzShellIntf.h"
#include "shell/RzShellUtils.h"
#include "support/Desktop.h"
#include "support/Input.h"
#include "support/Wait.h"

namespace kovra {
namespace {

class CountingOwner : public IRzDropTargetOwner {
 public:
  HRESULT OleDragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    calls.push_back("enter");
    entered = true;
    const auto array = ReadIdListArray(data);
    items = array ? static_cast<int>(array->Items.size()) : -1;
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT OleDragOver(DWORD, POINTL, DWORD* effect) override {
    calls.push_back("over");
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT OleDragLeave() override {
    calls.push_back("leave");
    return S_OK;
  }
  HRESULT OleDrop(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    calls.push_back("drop");
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  std::vector<std::string> calls;
  int items = 0;
  std::atomic<bool> entered{false};
};

struct TargetWindow {
  TargetWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KovraShellDropTestWindow";
    RegisterClassW(&wc);
    wnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"drop here", WS_POPUP | WS_VISIBLE, 100,
                          100, 200, 150, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~TargetWindow() {
    if (wnd) DestroyWindow(wnd);
  }
  HWND wnd = nullptr;
};

// Our target registered on a topmost window under the cursor, and a data object for My Computer
// to drag; the registration goes on every path, a failed assertion included.
class ShellDragDrop : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window_.wnd, nullptr);
    target_ = TDropTarget::Create(&owner_);
    EnsureShellLayer();  // OLE for the test's own registration, as the controls' first use
    ASSERT_HRESULT_SUCCEEDED(RegisterDragDrop(window_.wnd, target_.Get()));
    registered_ = true;
    test::PutCursorOver(window_.wnd, 50, 50);
    ASSERT_HRESULT_SUCCEEDED(SpecialFolderLocation(nullptr, CSIDL_DRIVES, drives_));
    data_ = TDataObject::CreateForItems(nullptr, nullptr, {IdListLastItem(drives_.Get())});
    ASSERT_TRUE(data_);
  }
  void TearDown() override {
    if (registered_) RevokeDragDrop(window_.wnd);
    if (target_) target_->Disconnect();
    test::ParkCursor();
  }

  TargetWindow window_;
  CountingOwner owner_;
  ComPtr<TDropTarget> target_;
  bool registered_ = false;
  TRzPidl drives_;
  ComPtr<IDataObject> data_;
};

TEST_F(ShellDragDrop, ADragReleasedOverARegisteredWindowDropsThere) {
  // No button is down: the source answers "drop" at its first question, over our window.
  DWORD effect = 0;
  const HRESULT hr =
      DoShellDragDrop(data_.Get(), DROPEFFECT_COPY | DROPEFFECT_LINK, MK_LBUTTON, &effect);
  EXPECT_EQ(hr, DRAGDROP_S_DROP);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_FALSE(owner_.calls.empty());
  EXPECT_EQ(owner_.calls.front(), "enter");
  EXPECT_EQ(owner_.calls.back(), "drop");
  EXPECT_EQ(owner_.items, 1);
}

void SendMouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(input));
}

TEST_F(ShellDragDrop, EscapeCancelsARunningDragWithoutADrop) {
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  // The drag reads this thread's input state, which follows the messages it has handled.
  const bool down = test::WaitUntil([] { return (GetKeyState(VK_LBUTTON) & 0x8000) != 0; });
  if (!down) SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(down);

  // Once the drag has reached the target, Escape; should it never get there, the button is
  // let go, so the drag ends either way.
  std::thread presser([this] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!owner_.entered && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (owner_.entered) {
      test::SendKeys({VK_ESCAPE});
    } else {
      SendMouse(MOUSEEVENTF_LEFTUP);
    }
  });
  DWORD effect = 0;
  const HRESULT hr = DoShellDragDrop(data_.Get(), DROPEFFECT_COPY, MK_LBUTTON, &effect);
  presser.join();
  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(owner_.entered);
  EXPECT_EQ(hr, DRAGDROP_S_CANCEL);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(owner_.calls.back(), "leave");
  EXPECT_EQ(std::count(owner_.calls.begin(), owner_.calls.end(), "drop"), 0);
}

}  // namespace
}  // namespace kovra
