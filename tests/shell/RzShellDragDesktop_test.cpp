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

TEST(ShellDragDrop, ADragReleasedOverARegisteredWindowDropsThere) {
  TargetWindow window;
  ASSERT_NE(window.wnd, nullptr);
  CountingOwner owner;
  ComPtr<TDropTarget> target = TDropTarget::Create(&owner);
  ASSERT_HRESULT_SUCCEEDED(RegisterDragDrop(window.wnd, target.Get()));
  test::PutCursorOver(window.wnd, 50, 50);

  TRzPidl drives;
  ASSERT_HRESULT_SUCCEEDED(SpecialFolderLocation(nullptr, CSIDL_DRIVES, drives));
  ComPtr<IDataObject> data =
      TDataObject::CreateForItems(nullptr, nullptr, {IdListLastItem(drives.Get())});
  ASSERT_TRUE(data);
  // No button is down: the source answers "drop" at its first question, over our window.
  DWORD effect = 0;
  const HRESULT hr =
      DoShellDragDrop(data.Get(), DROPEFFECT_COPY | DROPEFFECT_LINK, MK_LBUTTON, &effect);
  RevokeDragDrop(window.wnd);
  target->Disconnect();
  test::ParkCursor();
  EXPECT_EQ(hr, DRAGDROP_S_DROP);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_FALSE(owner.calls.empty());
  EXPECT_EQ(owner.calls.front(), "enter");
  EXPECT_EQ(owner.calls.back(), "drop");
  EXPECT_EQ(owner.items, 1);
}

void SendMouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(input));
}

void SendKey(WORD key, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = flags;
  SendInput(1, &input, sizeof(input));
}

TEST(ShellDragDrop, EscapeCancelsARunningDragWithoutADrop) {
  TargetWindow window;
  ASSERT_NE(window.wnd, nullptr);
  CountingOwner owner;
  ComPtr<TDropTarget> target = TDropTarget::Create(&owner);
  ASSERT_HRESULT_SUCCEEDED(RegisterDragDrop(window.wnd, target.Get()));
  test::PutCursorOver(window.wnd, 50, 50);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  // The drag reads this thread's input state, which follows the messages it has handled.
  ASSERT_TRUE(test::WaitUntil([] { return (GetKeyState(VK_LBUTTON) & 0x8000) != 0; }));

  // Once the drag has reached the target, Escape; should it never get there, the button is
  // let go, so the drag ends either way.
  std::thread presser([&owner] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!owner.entered && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (owner.entered) {
      SendKey(VK_ESCAPE, 0);
      SendKey(VK_ESCAPE, KEYEVENTF_KEYUP);
    } else {
      SendMouse(MOUSEEVENTF_LEFTUP);
    }
  });
  TRzPidl drives;
  ASSERT_HRESULT_SUCCEEDED(SpecialFolderLocation(nullptr, CSIDL_DRIVES, drives));
  ComPtr<IDataObject> data =
      TDataObject::CreateForItems(nullptr, nullptr, {IdListLastItem(drives.Get())});
  DWORD effect = 0;
  const HRESULT hr = DoShellDragDrop(data.Get(), DROPEFFECT_COPY, MK_LBUTTON, &effect);
  presser.join();
  SendMouse(MOUSEEVENTF_LEFTUP);
  RevokeDragDrop(window.wnd);
  target->Disconnect();
  test::ParkCursor();
  ASSERT_TRUE(owner.entered);
  EXPECT_EQ(hr, DRAGDROP_S_CANCEL);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(owner.calls.back(), "leave");
  EXPECT_EQ(std::count(owner.calls.begin(), owner.calls.end(), "drop"), 0);
}

}  // namespace
}  // namespace kovra
