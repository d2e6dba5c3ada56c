// The framework's list view over the system list view (WC_LISTVIEW), subclassed like the edit.
//   TListColumn / TListColumns   header columns: caption, width, alignment
//   TListItem / TListItems       items: caption, sub-items, image, overlay, cut, data, state
//   TCustomListView              view styles, multi-selection, sorting, label editing, events
//
// Items are kept beside the window in the window's order, so they survive a rebuild of the
// window. The window holds no items of its own (owner data): it is told how many there are and
// asks this object for texts, images and the state bits it does not keep (overlay, cut, drop
// highlight); it keeps selection and focus. Adding thousands of items thus costs no message
// per item.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Controls.h"

namespace kovra {

class TCustomListView;
class TImageList;

enum TViewStyle : std::uint8_t { vsIcon, vsSmallIcon, vsList, vsReport };
enum TItemChange : std::uint8_t { ctText, ctImage, ctState };
enum TSortDirection : std::uint8_t { sdNone, sdAscending, sdDescending };

class TListItem {
 public:
  TListItem(const TListItem&) = delete;
  TListItem& operator=(const TListItem&) = delete;
  ~TListItem();

  TCustomListView* Owner() const { return owner_; }
  // The position in the list (the window's order); -1 once removed.
  int Index() const;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view value);
  // Sub-item n is column n + 1 in report view.
  const std::vector<std::string>& SubItems() const { return subItems_; }
  void SetSubItems(std::vector<std::string> values);
  void SetSubItem(int index, std::string_view value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  // 0: none; 1..15 select the image list's overlay images.
  int OverlayIndex() const { return overlay_; }
  void SetOverlayIndex(int value);
  // Drawn faded, as items on the clipboard or hidden files are.
  bool Cut() const { return cut_; }
  void SetCut(bool value);
  // A value for the caller; the list never reads it.
  void* Data() const { return data_; }
  void SetData(void* value) { data_ = value; }
  // An object the item owns and frees with itself (after OnDeletion).
  TObject* OwnedObject() const { return object_.get(); }
  void SetOwnedObject(std::unique_ptr<TObject> object) { object_ = std::move(object); }

  bool Selected() const;
  void SetSelected(bool value);
  bool Focused() const;
  void SetFocused(bool value);
  void MakeVisible(bool partialOk = false);
  // In client coordinates; empty without a window.
  RECT DisplayRect(int code = LVIR_BOUNDS) const;
  // Starts label editing; false when refused.
  bool EditCaption();
  // Redraws the item, asking the owner for its texts anew.
  void Update();
  void Delete();

 private:
  friend class TListItems;
  friend class TCustomListView;
  explicit TListItem(TCustomListView* owner) : owner_(owner) {}
  UINT StateBits() const;
  void SetStateBit(UINT bit, bool value);
  // The bits the window asks this item for.
  UINT ShownState() const;
  void Redraw();

  TCustomListView* owner_;
  std::string caption_;
  std::vector<std::string> subItems_;
  int imageIndex_ = -1;
  int overlay_ = 0;
  bool cut_ = false;
  bool dropHilited_ = false;
  UINT state_ = 0;  // selection and focus while there is no window (and across rebuilds)
  void* data_ = nullptr;
  std::unique_ptr<TObject> object_;
};

class TListItems {
 public:
  explicit TListItems(TCustomListView* owner) : owner_(owner) {}
  TListItems(const TListItems&) = delete;
  TListItems& operator=(const TListItems&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  // Throws EInvalidOperation for an index outside the list.
  TListItem* Item(int index) const;
  TListItem* operator[](int index) const { return Item(index); }
  TListItem* Add();
  TListItem* Insert(int index);
  void Delete(int index);
  void Clear();
  int IndexOf(const TListItem* item) const;
  // Reserves room for the next additions (the system list view's own allocation step too).
  void SetCapacity(int capacity);
  void BeginUpdate();
  void EndUpdate();

 private:
  friend class TCustomListView;
  friend class TListItem;
  TCustomListView* owner_;
  std::vector<std::unique_ptr<TListItem>> items_;
};

class TListColumn {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view value);
  // The window's width once it exists (the user may have dragged it).
  int Width() const;
  void SetWidth(int value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  int Index() const { return index_; }

 private:
  friend class TListColumns;
  friend class TCustomListView;
  TListColumn(TCustomListView* owner, int index) : owner_(owner), index_(index) {}
  void Push() const;

  TCustomListView* owner_;
  int index_;
  std::string caption_;
  int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
};

class TListColumns {
 public:
  explicit TListColumns(TCustomListView* owner) : owner_(owner) {}
  int Count() const { return static_cast<int>(columns_.size()); }
  TListColumn* Item(int index) const;
  TListColumn* operator[](int index) const { return Item(index); }
  TListColumn* Add(std::string_view caption = {}, int width = 50,
                   TAlignment alignment = taLeftJustify);
  void Clear();

 private:
  friend class TCustomListView;
  TCustomListView* owner_;
  std::vector<std::unique_ptr<TListColumn>> columns_;
};

using TLVChangeEvent = std::function<void(TObject* sender, TListItem* item, TItemChange change)>;
using TLVSelectItemEvent = std::function<void(TObject* sender, TListItem* item, bool selected)>;
using TLVColumnClickEvent = std::function<void(TObject* sender, TListColumn* column)>;
using TLVEditingEvent = std::function<void(TObject* sender, TListItem* item, bool& allowEdit)>;
using TLVEditedEvent = std::function<void(TObject* sender, TListItem* item, std::string& text)>;
using TLVDeletedEvent = std::function<void(TObject* sender, TListItem* item)>;
// Negative, zero or positive as item1 sorts before, with or after item2.
using TLVCompareEvent =
    std::function<void(TObject* sender, TListItem* item1, TListItem* item2, int& compare)>;
using TListItemCompare = std::function<int(TListItem* item1, TListItem* item2)>;

class TCustomListView : public TWinControl {
 public:
  explicit TCustomListView(TComponent* owner);
  ~TCustomListView() override;

  TListItems& Items() { return items_; }
  TListColumns& Columns() { return columns_; }

  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle value);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value);
  bool ReadOnly() const { return readOnly_; }  // no label editing
  void SetReadOnly(bool value);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value);
  bool ShowColumnHeaders() const { return showColumnHeaders_; }
  void SetShowColumnHeaders(bool value);
  bool ColumnClick() const { return columnClick_; }
  void SetColumnClick(bool value);
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool value);
  bool GridLines() const { return gridLines_; }
  void SetGridLines(bool value);
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool value);
  bool AutoArrange() const { return autoArrange_; }
  void SetAutoArrange(bool value);

  // Image lists are never freed by the list: either a TImageList of the caller's or a list of
  // the system's (the shell's icon lists).
  void SetSmallImages(TImageList* images);
  void SetLargeImages(TImageList* images);
  void SetSmallImagesHandle(HIMAGELIST list);
  void SetLargeImagesHandle(HIMAGELIST list);
  HIMAGELIST SmallImagesHandle() const { return smallImages_; }
  HIMAGELIST LargeImagesHandle() const { return largeImages_; }

  // Only the first selected item (the system's order); null when none.
  TListItem* Selected() const;
  void SetSelected(TListItem* item);  // null clears the selection
  int SelCount() const;
  std::vector<TListItem*> SelectedItems() const;
  TListItem* ItemFocused() const;
  void SetItemFocused(TListItem* item);
  void SelectAll();
  void ClearSelection();
  TListItem* ItemAt(int x, int y) const;
  TListItem* FindCaption(std::string_view caption, bool exact = true) const;

  // Sorts the items (and the window) by `compare`; stable for equal items.
  void CustomSort(const TListItemCompare& compare);
  // By OnCompare when assigned, else by caption.
  void AlphaSort();
  // Marks a column's header with the sort direction (the system's header arrows).
  void SetSortIndicator(int column, TSortDirection direction);

  bool IsEditing() const { return editing_; }
  HWND EditHandle() const;
  // The label edit is ended, keeping (or with `cancel`, dropping) what was typed.
  void EndEditing(bool cancel);

  // Nested; the window repaints once after the outermost EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return updateCount_ > 0; }
  void Scroll(int dx, int dy);

  TLVChangeEvent OnChange;
  TLVSelectItemEvent OnSelectItem;
  TLVColumnClickEvent OnColumnClick;
  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;
  TLVDeletedEvent OnDeletion;
  TLVCompareEvent OnCompare;

 protected:
  friend class TListItem;
  friend class TListItems;
  friend class TListColumn;
  friend class TListColumns;

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& m) override;
  virtual void CNNotify(TMessage& m);
  // The system list view paints its own background and text: it is told of new colours.
  void CMColorChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;

  // The text the window shows for column `column` (0: caption). Derived lists compute texts
  // on demand here.
  virtual std::string ItemText(TListItem* item, int column);
  virtual int ItemImage(TListItem* item) { return item->ImageIndex(); }
  virtual bool CanEdit(TListItem* item);
  // Accepts `text` as the new caption unless returned false.
  virtual bool Edited(TListItem* item, std::string& text);
  virtual void Change(TListItem* item, TItemChange change);
  virtual void SelectItem(TListItem* item, bool selected);
  virtual void ColumnClicked(TListColumn* column);
  // Fires OnDeletion; the item is still in the list.
  virtual void Deletion(TListItem* item);

  LRESULT SendList(UINT msg, WPARAM w = 0, LPARAM l = 0) const;
  TListItem* ItemOfIndex(int index) const;
  // The item index of the window's item that has this lParam.
  int WindowIndexOf(const TListItem* item) const;

 private:
  void InsertWindowItem(int index);
  void DeleteWindowItem(int index);
  // The window's item count follows the items; additions during an update are told at its end
  // or when the window is next asked about an item.
  void SyncWindowCount() const;
  // Selection and focus move with their items when items are inserted or reordered: read from
  // the window into the items before, given back after (without selection events).
  void ReadWindowStates();
  void ApplyWindowStates();
  void SetItemStateMessage(TMessage& m);
  int FindItemIndex(const LVFINDINFOW& find, int start);
  void OdStateChanged(const NMLVODSTATECHANGE& change);
  void PushAllItems();
  void PushColumns();
  void ApplyImageLists();
  void ApplyColors();
  void DispInfo(NMLVDISPINFOW& info);
  void UpdateStyleBits();
  DWORD ListExStyle() const;
  HWND HeaderHandle() const;

  TListItems items_;
  TListColumns columns_;
  TViewStyle viewStyle_ = vsIcon;
  bool multiSelect_ = false;
  bool readOnly_ = false;
  bool hideSelection_ = true;
  bool showColumnHeaders_ = true;
  bool columnClick_ = true;
  bool rowSelect_ = false;
  bool gridLines_ = false;
  bool hotTrack_ = false;
  bool autoArrange_ = true;
  HIMAGELIST smallImages_ = nullptr;
  HIMAGELIST largeImages_ = nullptr;
  int updateCount_ = 0;
  bool editing_ = false;
  bool clearing_ = false;
  bool restoringStates_ = false;
  mutable int windowCount_ = 0;
  bool cancelEdit_ = false;
  int sortColumn_ = -1;
  TSortDirection sortDirection_ = sdNone;
  std::wstring dispText_;  // the buffer the last LVN_GETDISPINFO answer points into
};

}  // namespace kovra
