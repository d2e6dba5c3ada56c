// The framework's combo box over the system COMBOBOX class.
//   TComboItems      the item texts and their data pointers; the control keeps the window's list in
//                    step, so the items outlive a window rebuild and are readable without a window
//   TCustomComboBox  styles, items, selection, text, drop-down, owner drawing and events; the
//                    inner edit of the editable styles is subclassed and reachable
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Controls.h"
#include "framework/Mask.h"

namespace kovra {

enum TComboBoxStyle : std::uint8_t {
  csDropDown,           // an edit with a list
  csSimple,             // an edit with a list that is always shown
  csDropDownList,       // a list only; the text is the selected item
  csOwnerDrawFixed,     // a list only, items painted by the control, one height
  csOwnerDrawVariable,  // the same, each item measured
};

// The system's ODS_* bits, as the item painter receives them.
using TOwnerDrawState = std::uint32_t;
constexpr TOwnerDrawState odSelected = ODS_SELECTED, odGrayed = ODS_GRAYED,
                          odDisabled = ODS_DISABLED, odChecked = ODS_CHECKED, odFocused = ODS_FOCUS,
                          odComboBoxEdit = ODS_COMBOBOXEDIT;

class TCustomComboBox;

using TDrawItemEvent =
    std::function<void(TWinControl* control, int index, RECT rect, TOwnerDrawState state)>;
using TMeasureItemEvent = std::function<void(TWinControl* control, int index, int& height)>;

class TComboItems {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  // Out-of-range indexes throw EInvalidOperation ("List index out of bounds (n)").
  const std::string& Strings(int index) const;
  const std::string& operator[](int index) const { return Strings(index); }
  void SetStrings(int index, std::string_view text);
  void* Objects(int index) const;
  void SetObjects(int index, void* data);

  // In a sorted list the item goes to its sorted place; returns where it went.
  int Add(std::string_view text, void* data = nullptr);
  // Not allowed in a sorted list (EInvalidOperation).
  void Insert(int index, std::string_view text, void* data = nullptr);
  void Delete(int index);
  void Clear();
  void Assign(const std::vector<std::string>& texts);
  // Case-insensitive, like the system's exact search; -1 when absent.
  int IndexOf(std::string_view text) const;
  std::vector<std::string> Texts() const;

  // Brackets a batch of changes: the window does not repaint until the outermost end.
  void BeginUpdate();
  void EndUpdate();

 private:
  friend class TCustomComboBox;
  explicit TComboItems(TCustomComboBox& owner) : owner_(owner) {}
  struct Item {
    std::string text;
    void* data = nullptr;
  };
  void CheckIndex(int index) const;
  int SortedPlace(std::string_view text) const;
  // Sorts in place; returns, for each new position, the old index of its item.
  std::vector<int> Sort();

  TCustomComboBox& owner_;
  std::vector<Item> items_;
  int updateCount_ = 0;
};

class TCustomComboBox : public TWinControl {
 public:
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;

  TComboItems& Items() { return items_; }
  const TComboItems& Items() const { return items_; }
  // -1: no item selected.
  int ItemIndex() const;
  virtual void SetItemIndex(int index);
  // Editable styles: the edit's text. List styles: the selected item's text; setting it selects
  // the first item of that text (or none).
  std::string Text() const override;

  TComboBoxStyle Style() const { return style_; }
  virtual void SetStyle(TComboBoxStyle value);
  bool IsEditable() const { return style_ == csDropDown || style_ == csSimple; }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  // Rows the open list shows before it scrolls.
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int value);
  // 0: no limit beyond the system's.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase value);
  // Owner-drawn styles: the height of an item (and of the selection field).
  int ItemHeight() const;
  void SetItemHeight(int value);
  // A key typed into a closed list opens it.
  bool AutoDropDown() const { return autoDropDown_; }
  void SetAutoDropDown(bool value) { autoDropDown_ = value; }
  // Choosing an item with the keyboard in an open list closes it.
  bool AutoCloseUp() const { return autoCloseUp_; }
  void SetAutoCloseUp(bool value) { autoCloseUp_ = value; }

  bool DroppedDown() const;
  void SetDroppedDown(bool value);
  // Width of the open list in pixels (the system's: at least the control's width).
  int DroppedWidth() const;
  void SetDroppedWidth(int value);

  // Selection inside the edit part, in UTF-16 positions.
  int SelStart() const;
  void SetSelStart(int value);
  int SelLength() const;
  void SetSelLength(int value);
  std::string SelText() const;
  void SelectAll();

  // The edit part (null for the list styles or without a window) and the list window.
  HWND EditHandle() const { return edit_; }
  HWND ListHandle() const { return list_; }
  // The focus is on the combo box or its edit part.
  bool HasFocus() const;
  // The item painter's canvas, bound to the item's DC while OnDrawItem runs.
  TCanvas& Canvas() { return canvas_; }

  void SetBounds(int left, int top, int width, int height) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  friend class TComboItems;
  // Fired for typed text changes (CBN_EDITCHANGE) and by a list selection without OnSelect.
  virtual void Change();
  // A list selection (CBN_SELCHANGE): OnSelect, or OnChange when OnSelect is not assigned.
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void SelEndOk() {}
  virtual void SelEndCancel() {}
  // Owner drawing on Canvas(); the default fills the rectangle and writes the item's text.
  virtual void DrawItem(int index, RECT rect, TOwnerDrawState state);
  virtual void MeasureItem(int index, int& height);
  // Draw the focus rectangle on the selected item.
  virtual bool ShowFocusRect() const { return true; }
  // Item list changes, for descendants that keep data parallel to the items.
  virtual void ItemInserted(int index) { (void)index; }
  // Before the item goes; its data pointer is still there.
  virtual void ItemDeleting(int index) { (void)index; }
  virtual void ItemsReordered(const std::vector<int>& oldIndexOf) { (void)oldIndexOf; }
  // The dropped list's height in pixels for the window's total height.
  int ListHeight() const;

  // The edit part's messages; the default routes keys through DoKeyDown/DoKeyPress/DoKeyUp and
  // hands the rest to the system edit.
  virtual void EditWndProc(TMessage& m);
  LRESULT CallEditDefault(TMessage& m);
  LRESULT SendCombo(UINT msg, WPARAM w = 0, LPARAM l = 0) const;

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& m) override;
  void TextChanging(const std::string& text) override;
  void WMSetFocus(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  virtual void CNCommand(TMessage& m);
  virtual void CNDrawItem(TMessage& m);
  virtual void CNMeasureItem(TMessage& m);
  // WM_CTLCOLOR* from the edit and list parts, which the system sends to the combo itself.
  virtual void WMChildColor(TMessage& m);

 private:
  static LRESULT CALLBACK EditSubclassProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR id,
                                           DWORD_PTR ref);
  void FillWindowItems();
  void WindowInsert(int index);
  void WindowDelete(int index);
  void ApplyItemHeights();
  void HookParts();
  void UnhookEdit();

  TComboItems items_{*this};
  TComboBoxStyle style_ = csDropDown;
  bool sorted_ = false;
  int dropDownCount_ = 8;
  int maxLength_ = 0;
  TEditCharCase charCase_ = ecNormal;
  int itemHeight_ = 16;
  bool autoDropDown_ = false;
  bool autoCloseUp_ = false;
  int droppedWidth_ = 0;
  int savedIndex_ = -1;  // kept across a window rebuild and before the window exists
  HWND edit_ = nullptr;
  HWND list_ = nullptr;
  TCanvas canvas_;
};

}  // namespace kovra
