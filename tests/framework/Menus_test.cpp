// Menu items and popup menus: the item tree, the menu built from it, choosing with the keyboard.
#include "framework/Menus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Timers.h"

namespace kovra {
namespace {

TMenuItem* NewItem(const char* caption, TComponent* owner = nullptr) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  return item;
}

// From another thread: waits for this process's open popup menu, then types `keys`.
class MenuKeys {
 public:
  explicit MenuKeys(std::vector<WORD> keys)
      : thread_([this, keys] {
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
          while (std::chrono::steady_clock::now() < deadline) {
            HWND menu = FindWindowW(L"#32768", nullptr);
            DWORD pid = 0;
            if (menu) GetWindowThreadProcessId(menu, &pid);
            if (menu && pid == GetCurrentProcessId() && IsWindowVisible(menu)) {
              seen_ = true;
              for (WORD key : keys) {
                INPUT in[2] = {};
                in[0].type = in[1].type = INPUT_KEYBOARD;
                in[0].ki.wVk = in[1].ki.wVk = key;
                in[1].ki.dwFlags = KEYEVENTF_KEYUP;
                SendInput(2, in, sizeof(INPUT));
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
              }
              return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          }
        }) {}
  ~MenuKeys() { thread_.join(); }
  bool Seen() const { return seen_; }

 private:
  std::atomic<bool> seen_{false};
  std::thread thread_;
};

bool MenuOpen() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return menu && IsWindowVisible(menu);
}

TEST(MenuItems, TreeOperationsOwnTheirItems) {
  TMenuItem root;
  auto* a = NewItem("&Alpha");
  auto* b = NewItem("Beta");
  auto* c = NewItem("Gamma");
  root.Add(a);
  root.Add(c);
  root.Insert(1, b);
  ASSERT_EQ(root.Count(), 3);
  EXPECT_EQ(root.Items(1), b);
  EXPECT_EQ(root.Find("Alpha"), a);
  EXPECT_EQ(root.Find("&Alpha"), a);
  EXPECT_EQ(root.Find("Delta"), nullptr);
  EXPECT_EQ(b->Parent(), &root);

  bool gammaFreed = false;
  auto* child = NewItem("child");
  c->Add(child);
  child->OnClick = [&](TObject*) {};
  struct Watch : TMenuItem {
    explicit Watch(bool* flag) : flag_(flag) {}
    ~Watch() override { *flag_ = true; }
    bool* flag_;
  };
  auto* watched = new Watch(&gammaFreed);
  c->Add(watched);
  root.Delete(2);  // frees Gamma and everything under it
  EXPECT_TRUE(gammaFreed);
  EXPECT_EQ(root.Count(), 2);

  root.Remove(b);  // handed back
  EXPECT_EQ(b->Parent(), nullptr);
  EXPECT_EQ(root.Count(), 1);
  EXPECT_THROW(b->Add(b), EInvalidOperation);
  EXPECT_THROW(root.Delete(5), EInvalidOperation);
  delete b;
}

TEST(MenuItems, RadioGroupsAndAutoCheck) {
  TMenuItem root;
  auto* x = NewItem("x");
  auto* y = NewItem("y");
  auto* other = NewItem("other");
  for (auto* i : {x, y, other}) {
    i->SetRadioItem(true);
    root.Add(i);
  }
  other->SetGroupIndex(2);
  other->SetChecked(true);
  x->SetChecked(true);
  y->SetChecked(true);
  EXPECT_FALSE(x->Checked());
  EXPECT_TRUE(y->Checked());
  EXPECT_TRUE(other->Checked());  // another group

  auto* toggle = NewItem("toggle");
  toggle->SetAutoCheck(true);
  root.Add(toggle);
  bool checkedInHandler = false;
  toggle->OnClick = [&](TObject*) { checkedInHandler = toggle->Checked(); };
  toggle->Click();
  EXPECT_TRUE(checkedInHandler);
  toggle->Click();
  EXPECT_FALSE(toggle->Checked());
}

TEST(MenuItems, BuiltMenuCarriesStatesAndSkipsHiddenItems) {
  TMenuItem root;
  auto* checked = NewItem("已选");
  checked->SetChecked(true);
  auto* hidden = NewItem("hidden");
  hidden->SetVisible(false);
  auto* disabled = NewItem("disabled");
  disabled->SetEnabled(false);
  auto* def = NewItem("default");
  def->SetDefault(true);
  auto* sub = NewItem("sub");
  sub->Add(NewItem("inner"));
  for (auto* i : {checked, hidden, NewItem("-"), disabled, def, sub}) root.Add(i);

  MenuHandle menu(CreatePopupMenu());
  root.BuildMenu(menu.Get());
  ASSERT_EQ(GetMenuItemCount(menu.Get()), 5);
  auto state = [&](int pos) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
    GetMenuItemInfoW(menu.Get(), pos, TRUE, &info);
    return info;
  };
  EXPECT_TRUE(state(0).fState & MFS_CHECKED);
  EXPECT_EQ(state(0).wID, checked->Command());
  wchar_t text[32] = {};
  GetMenuStringW(menu.Get(), 0, text, 32, MF_BYPOSITION);
  EXPECT_STREQ(text, L"已选");
  EXPECT_TRUE(state(1).fType & MFT_SEPARATOR);
  EXPECT_TRUE(state(2).fState & MFS_DISABLED);
  EXPECT_TRUE(state(3).fState & MFS_DEFAULT);
  ASSERT_NE(state(4).hSubMenu, nullptr);
  EXPECT_EQ(GetMenuItemCount(state(4).hSubMenu), 1);
  EXPECT_EQ(root.FindCommand(sub->Items(0)->Command()), sub->Items(0));
}

TEST(PopupMenus, ChosenByKeyboardAndClickedAfterTheMenuCloses) {
  auto form = std::make_unique<TForm>();
  form->SetBounds(100, 100, 200, 100);
  form->Show();
  SetForegroundWindow(form->Handle());
  auto* menu = new TPopupMenu(form.get());
  auto* a = NewItem("A", form.get());
  auto* b = NewItem("B", form.get());
  auto* hidden = NewItem("Hidden", form.get());
  hidden->SetVisible(false);
  for (auto* i : {a, NewItem("-"), hidden, b}) menu->Items().Add(i);
  int popups = 0;
  menu->OnPopup = [&](TObject* sender) {
    EXPECT_EQ(sender, menu);
    ++popups;
  };
  bool openDuringClick = true, aClicked = false;
  int bClicks = 0;
  a->OnClick = [&](TObject*) { aClicked = true; };
  b->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, b);
    openDuringClick = menu->IsOpen() || MenuOpen();
    ++bClicks;
  };
  {
    MenuKeys keys({VK_DOWN, VK_DOWN, VK_RETURN});
    menu->Popup(150, 150);
    EXPECT_TRUE(keys.Seen());
  }
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(bClicks, 1);
  EXPECT_FALSE(aClicked);
  EXPECT_FALSE(openDuringClick);

  {
    MenuKeys keys({VK_ESCAPE});
    menu->Popup(150, 150);
  }
  EXPECT_EQ(bClicks, 1);  // dismissed: nothing chosen
  EXPECT_TRUE(menu->DispatchCommand(a->Command()));
  EXPECT_TRUE(aClicked);
  EXPECT_FALSE(menu->DispatchCommand(0));
}

TEST(PopupMenus, WorkInsideAModalFormWhileOtherWindowsAreDisabled) {
  ShowWindow(Application().Handle(), SW_SHOWNOACTIVATE);  // as after Run: disabled by the modal
  auto dialog = std::make_unique<TForm>();
  dialog->SetBounds(100, 100, 200, 100);
  auto* menu = new TPopupMenu(dialog.get());
  auto* item = NewItem("设置", dialog.get());
  menu->Items().Add(item);
  bool clicked = false;
  item->OnClick = [&](TObject*) { clicked = true; };
  auto* timer = new TTimer(dialog.get());
  timer->SetInterval(20);
  timer->OnTimer = [&](TObject*) {
    timer->SetEnabled(false);
    SetForegroundWindow(dialog->Handle());
    MenuKeys keys({VK_DOWN, VK_RETURN});
    menu->Popup(150, 150);
    dialog->SetModalResult(mrOk);
  };
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_TRUE(clicked);
  ShowWindow(Application().Handle(), SW_HIDE);
}

TEST(PopupMenus, ARightButtonReleaseOpensTheControlsMenu) {
  auto form = std::make_unique<TForm>();
  form->SetBounds(100, 100, 200, 100);
  form->Show();
  SetForegroundWindow(form->Handle());
  auto* menu = new TPopupMenu(form.get());
  menu->Items().Add(NewItem("only", form.get()));
  form->SetPopupMenu(menu);
  int popups = 0;
  menu->OnPopup = [&](TObject*) { ++popups; };
  {
    MenuKeys keys({VK_ESCAPE});
    SendMessageW(form->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
  }
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(menu->PopupComponent(), form.get());

  // Freeing the menu clears the control's reference; the release then does nothing of ours.
  delete menu;
  EXPECT_EQ(form->PopupMenu(), nullptr);
  SendMessageW(form->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
}

}  // namespace
}  // namespace kovra
