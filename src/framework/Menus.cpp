// Menu items and popup menus over TrackPopupMenuEx.
#include "framework/Menus.h"

#include <algorithm>
#include <unordered_map>

#include "framework/Application.h"
#include "framework/WindowClass.h"

namespace kovra {

namespace {

// Command identifiers of live items; 0 is "no choice" for TrackPopupMenuEx.
class CommandRegistry {
 public:
  UINT Allocate(TMenuItem* item) {
    for (UINT tries = 0; tries < 0xFFFF; ++tries) {
      next_ = next_ >= 0xFFFF ? 1 : next_ + 1;
      if (!items_.contains(next_)) {
        items_[next_] = item;
        return next_;
      }
    }
    throw EOutOfResources(ERROR_NOT_ENOUGH_MEMORY, "menu commands");
  }
  void Free(UINT command) { items_.erase(command); }

 private:
  UINT next_ = 0;
  std::unordered_map<UINT, TMenuItem*> items_;
};

CommandRegistry& Commands() {
  static auto* registry = new CommandRegistry;
  return *registry;
}

std::string StripAmpersands(std::string_view caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

}  // namespace

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {
  command_ = Commands().Allocate(this);
}

TMenuItem::~TMenuItem() {
  Destroying();
  Clear();
  if (parent_) parent_->Remove(this);
  Commands().Free(command_);
}

void TMenuItem::SetChecked(bool value) {
  if (value == checked_) return;
  checked_ = value;
  if (value && radioItem_) UncheckSiblings();
}

void TMenuItem::UncheckSiblings() {
  if (!parent_) return;
  for (TMenuItem* sibling : parent_->items_)
    if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_)
      sibling->checked_ = false;
}

void TMenuItem::Add(TMenuItem* item) {
  Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  for (const TMenuItem* p = this; p; p = p->parent_)
    if (p == item) throw EInvalidOperation("A menu item cannot contain itself");
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

void TMenuItem::Delete(int index) {
  if (index < 0 || index >= Count()) throw EInvalidOperation("Menu index out of range");
  delete items_[static_cast<size_t>(index)];  // leaves the list itself
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenuItem* TMenuItem::Find(std::string_view caption) const {
  const std::string wanted = StripAmpersands(caption);
  for (TMenuItem* item : items_)
    if (!item->IsLine() && StripAmpersands(item->caption_) == wanted) return item;
  return nullptr;
}

void TMenuItem::Click() {
  if (autoCheck_) SetChecked(radioItem_ ? true : !checked_);
  if (OnClick) OnClick(this);
}

TMenuItem* TMenuItem::FindCommand(UINT command) {
  if (command_ == command) return this;
  for (TMenuItem* item : items_)
    if (TMenuItem* found = item->FindCommand(command)) return found;
  return nullptr;
}

void TMenuItem::BuildMenu(HMENU menu) const {
  UINT position = 0;
  for (const TMenuItem* item : items_) {
    if (!item->visible_) continue;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    info.wID = item->command_;
    std::wstring text;
    if (item->IsLine()) {
      info.fType = MFT_SEPARATOR;
    } else {
      text = Wide(item->caption_);
      info.fMask |= MIIM_STRING;
      info.dwTypeData = text.data();
      info.fType = item->radioItem_ ? MFT_RADIOCHECK : MFT_STRING;
      if (item->checked_) info.fState |= MFS_CHECKED;
      if (!item->enabled_) info.fState |= MFS_DISABLED;
      if (item->default_) info.fState |= MFS_DEFAULT;
    }
    MenuHandle submenu;
    if (!item->items_.empty() && !item->IsLine()) {
      submenu.Reset(CreatePopupMenu());
      Check(submenu.Get() != nullptr, "CreatePopupMenu");
      item->BuildMenu(submenu.Get());
      info.fMask |= MIIM_SUBMENU;
      info.hSubMenu = submenu.Get();
    }
    Check(InsertMenuItemW(menu, position++, TRUE, &info), "InsertMenuItem");
    submenu.Release();  // the parent menu destroys it now
  }
}

// ---- TPopupMenu ----

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner) {}

TPopupMenu::~TPopupMenu() {
  Destroying();
}

void TPopupMenu::SetPopupComponent(TComponent* component) {
  if (component == popupComponent_) return;
  if (popupComponent_) RemoveFreeNotification(popupComponent_);
  popupComponent_ = component;
  if (component) FreeNotification(component);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupComponent_) popupComponent_ = nullptr;
}

void TPopupMenu::Popup(int x, int y) {
  if (open_) return;
  if (OnPopup) OnPopup(this);
  MenuHandle menu(CreatePopupMenu());
  Check(menu.Get() != nullptr, "CreatePopupMenu");
  items_.BuildMenu(menu.Get());
  if (GetMenuItemCount(menu.Get()) <= 0) return;
  UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY;
  if (alignment_ == paRight)
    flags |= TPM_RIGHTALIGN;
  else if (alignment_ == paCenter)
    flags |= TPM_CENTERALIGN;
  HWND owner = Application().Handle();
  open_ = true;
  const UINT command = TrackPopupMenuEx(menu.Get(), flags, x, y, owner, nullptr);
  open_ = false;
  // Lets the menu's closing run through the queue before anything else uses the owner.
  PostMessageW(owner, WM_NULL, 0, 0);
  menu.Reset();
  if (command) DispatchCommand(command);
}

bool TPopupMenu::DispatchCommand(UINT command) {
  TMenuItem* item = items_.FindCommand(command);
  if (!item || item == &items_) return false;
  item->Click();
  return true;
}

}  // namespace kovra
