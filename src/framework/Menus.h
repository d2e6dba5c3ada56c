// Popup menus and their items. A menu is built afresh from its items each time it opens; the
// chosen item's OnClick runs after the menu has closed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Components.h"
#include "framework/Handles.h"

namespace kovra {

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner = nullptr);
  ~TMenuItem() override;  // frees its child items

  // UTF-8; "&" marks the accelerator, "-" alone makes a separator.
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view caption) { caption_ = caption; }
  bool Checked() const { return checked_; }
  void SetChecked(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }
  // A radio item shows a bullet; checking it unchecks the others of its GroupIndex.
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool value) { radioItem_ = value; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value) { groupIndex_ = value; }
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool value) { autoCheck_ = value; }
  bool Default() const { return default_; }
  void SetDefault(bool value) { default_ = value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value) { imageIndex_ = value; }
  bool IsLine() const { return caption_ == "-"; }

  // Child items belong to this item: Add and Insert take ownership, Delete frees, Remove gives
  // the item back to the caller.
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Delete(int index);
  void Remove(TMenuItem* item);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  int IndexOf(const TMenuItem* item) const;
  TMenuItem* Parent() const { return parent_; }
  // The child whose caption, without "&", equals `caption`.
  TMenuItem* Find(std::string_view caption) const;

  // The command identifier the item carries while its menu is open.
  UINT Command() const { return command_; }
  // Fires OnClick (after AutoCheck toggled the check mark).
  virtual void Click();
  TNotifyEvent OnClick;

  // Appends the visible children to `menu`.
  void BuildMenu(HMENU menu) const;
  TMenuItem* FindCommand(UINT command);

 private:
  void UncheckSiblings();

  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool radioItem_ = false;
  bool autoCheck_ = false;
  bool default_ = false;
  int groupIndex_ = 0;
  int imageIndex_ = -1;
  UINT command_ = 0;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
};

enum TPopupAlignment : std::uint8_t { paLeft, paRight, paCenter };

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner = nullptr);
  ~TPopupMenu() override;

  TMenuItem& Items() { return items_; }
  // Opens the menu at the screen point and returns when it has closed; the chosen item's
  // OnClick runs then.
  virtual void Popup(int x, int y);
  // The control the menu was last opened for.
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* component);
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment value) { alignment_ = value; }
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool value) { autoPopup_ = value; }
  bool IsOpen() const { return open_; }
  // Runs the item with this command identifier; false when there is none.
  bool DispatchCommand(UINT command);

  TNotifyEvent OnPopup;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TMenuItem items_;
  TComponent* popupComponent_ = nullptr;
  TPopupAlignment alignment_ = paLeft;
  bool autoPopup_ = true;
  bool open_ = false;
};

}  // namespace kovra
