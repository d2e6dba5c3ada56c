// The framed combo boxes.
//   TRzCustomComboBox       the framework's combo box with the framed edit's colour by state,
//                           custom frame and hot tracking, a read-only mode, its own incremental
//                           search and completion, an automatic drop-down width and cue text
//   TRzComboBox             its published form, with Values parallel to the items
//   TRzImageComboBoxItem    one item of the image combo: caption, image, overlay, indent, data
//   TRzCustomImageComboBox  an owner-drawn combo whose items carry images and indent levels
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "controls/RzCommon.h"
#include "controls/RzFramedEdit.h"
#include "framework/ImgList.h"
#include "framework/StdComboBox.h"
#include "framework/Timers.h"

namespace kovra {

using TRzDeleteComboItemEvent = std::function<void(TObject* sender, void* item)>;
// `handled` set by the handler keeps the default wheel action from running.
using TRzMouseWheelEvent =
    std::function<void(TObject* sender, TShiftState shift, int delta, POINT at, bool& handled)>;
using TRzMouseWheelUpDownEvent =
    std::function<void(TObject* sender, TShiftState shift, POINT at, bool& handled)>;

class TRzCustomComboBox : public TRzFramedEdit<TCustomComboBox> {
 public:
  explicit TRzCustomComboBox(TComponent* owner);
  ~TRzCustomComboBox() override;

  // This control's own search and completion against the items.
  bool AutoComplete() const { return autoComplete_; }
  void SetAutoComplete(bool value) { autoComplete_ = value; }
  // The text may differ from every item.
  bool AllowEdit() const { return allowEdit_; }
  void SetAllowEdit(bool value) { allowEdit_ = value; }
  bool KeepSearchCase() const { return keepSearchCase_; }
  void SetKeepSearchCase(bool value) { keepSearchCase_ = value; }
  // 0: as wide as the widest item needs (at least the control's width).
  int DropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(int value) { dropDownWidth_ = std::max(value, 0); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  bool IsReadOnly() const override { return readOnly_; }

  // The custom frame replaces the 3-D border: FrameVisible turns these off.
  bool Ctl3D() const { return ctl3D_; }
  bool ParentCtl3D() const { return parentCtl3D_; }

  // Completes `prefix` with the first item it begins (see RzComboLogic.h); true on a match.
  bool Match(const std::u16string& prefix);
  const std::u16string& SearchString() const { return search_; }
  // Width last given to the open list.
  int ActualDropDownWidth() const { return actualDropDownWidth_; }

  TRzDeleteComboItemEvent OnDeleteItem;
  TNotifyEvent OnMatch;
  TNotifyEvent OnNotInList;
  TNotifyEvent OnSelEndCancel;
  TNotifyEvent OnSelEndOk;
  TRzMouseWheelEvent OnMouseWheel;
  TRzMouseWheelUpDownEvent OnMouseWheelUp;
  TRzMouseWheelUpDownEvent OnMouseWheelDown;

 protected:
  void DropDown() override;
  void CloseUp() override;
  void SelEndOk() override;
  void SelEndCancel() override;
  void ItemDeleting(int index) override;
  bool ShowFocusRect() const override { return showFocus_; }
  void SetShowFocus(bool value) { showFocus_ = value; }
  // Paints the frame, button strip and rings over what the system drew.
  virtual void PaintOver();
  void ApplyTextHint() override;
  void PaintOwnHint(HWND wnd, RECT r);

  void CreateWnd() override;
  void WndProc(TMessage& m) override;
  void EditWndProc(TMessage& m) override;
  void CNCommand(TMessage& m) override;
  void CMMouseEnter(TMessage& m) override;
  void CMMouseLeave(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;
  bool InFocusState() const override { return inControl_; }
  void FrameVisibleChanged() override;
  void RepaintHot() override;
  // The frame lies in the client area.
  void RepaintFrame() override { Invalidate(); }

 private:
  std::vector<std::u16string> WideItems() const;
  std::u16string WideText() const;
  void SetWideText(const std::u16string& text);
  void PostTab();
  bool TypingKeyDown(WORD key);
  void TypingChar(TMessage& m, wchar_t key);
  void TypedPrintable(TMessage& m, wchar_t key);
  void TypedBackspace(TMessage& m);
  void ListChar(TMessage& m);
  void ListKeyDown(TMessage& m);
  void AfterKeyDown(WORD key);
  void WheelMessage(TMessage& m);
  bool ReadOnlyMouse(TMessage& m);
  void TrackPartMouse(HWND part, UINT msg);
  void RestartSearchTimer();
  int ComputeDropDownWidth();

  bool autoComplete_ = true;
  bool allowEdit_ = true;
  bool keepSearchCase_ = false;
  std::u16string search_;
  int dropDownWidth_ = 0;
  std::unique_ptr<TTimer> searchTimer_;
  bool typing_ = false;
  bool enterPressed_ = false;
  bool readOnly_ = false;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  bool showFocus_ = true;
  int actualDropDownWidth_ = 0;
  bool editTracking_ = false;
};

class TRzComboBox : public TRzCustomComboBox {
 public:
  explicit TRzComboBox(TComponent* owner);
  ~TRzComboBox() override;

  // One line per item; an empty or missing line makes the item's text its value. The lines
  // move with their items when items are inserted, deleted or sorted.
  const std::vector<std::string>& Values() const { return values_; }
  void SetValues(std::vector<std::string> values);
  // The value of the selected item (list styles) or of the item the edit text names (editable
  // style), else the edit text.
  const std::string& Value() const { return value_; }
  // Selects the first item whose value is `value` exactly, or none, and keeps `value`.
  void SetValue(std::string_view value, bool force = false);
  std::string ItemValue(int index) const;

  void Click() override;

 protected:
  void Change() override;
  void ItemInserted(int index) override;
  void ItemDeleting(int index) override;
  void ItemsReordered(const std::vector<int>& oldIndexOf) override;

 private:
  std::string CurrentValue() const;

  std::vector<std::string> values_;
  std::string value_;
  bool inSetValue_ = false;
};

class TRzCustomImageComboBox;

class TRzImageComboBoxItem {
 public:
  explicit TRzImageComboBoxItem(TRzCustomImageComboBox* owner) : owner_(owner) {}
  TRzImageComboBoxItem(const TRzImageComboBoxItem&) = delete;
  TRzImageComboBoxItem& operator=(const TRzImageComboBoxItem&) = delete;

  TRzCustomImageComboBox* Owner() const { return owner_; }
  // Where the item stands in its owner's list now; -1 once removed.
  int Index() const;
  int IndentLevel() const { return indentLevel_; }
  void SetIndentLevel(int value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  // -1: none.
  int OverlayIndex() const { return overlayIndex_; }
  void SetOverlayIndex(int value);
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view value);
  // For the owner's use (the shell combo keeps its per-item shell data here); never freed here.
  void* Data() const { return data_; }
  void SetData(void* value) { data_ = value; }

 private:
  friend class TRzCustomImageComboBox;
  TRzCustomImageComboBox* owner_;
  int indentLevel_ = 0;
  int imageIndex_ = -1;
  int overlayIndex_ = -1;
  std::string caption_;
  void* data_ = nullptr;
};

using TRzDeleteImageComboBoxItemEvent =
    std::function<void(TObject* sender, TRzImageComboBoxItem* item)>;
using TRzGetItemDataEvent = std::function<void(TObject* sender, TRzImageComboBoxItem* item)>;

class TRzCustomImageComboBox : public TRzCustomComboBox {
 public:
  explicit TRzCustomImageComboBox(TComponent* owner);
  ~TRzCustomImageComboBox() override;

  // Not owned; cleared when the list is destroyed.
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);
  // Pixels per indent level.
  int ItemIndent() const { return itemIndent_; }
  void SetItemIndent(int value);
  bool AutoSizeHeight() const { return autoSizeHeight_; }
  void SetAutoSizeHeight(bool value);

  // The item is owned by the control and freed when it is deleted.
  TRzImageComboBoxItem* AddItem(std::string_view caption, int imageIndex, int indentLevel);
  // Null for an index outside the list or an item added without an item object.
  TRzImageComboBoxItem* ImageItem(int index) const;
  // Captions compare case-insensitively; -1 when absent.
  int IndexOfCaption(std::string_view caption) const;
  void DeleteItem(int index);
  // From the last item to the first, in one update.
  void ClearItems();
  void InvalidateItem(const TRzImageComboBoxItem* item);

  // Hides the plain combo's event: image combos report their item objects.
  TRzDeleteImageComboBoxItemEvent OnDeleteItem;
  // Called just before an item is drawn, so that its caption and image can be filled late.
  TRzGetItemDataEvent OnGetItemData;

 protected:
  friend class TRzImageComboBoxItem;
  void DrawItem(int index, RECT rect, TOwnerDrawState state) override;
  void ItemDeleting(int index) override;
  void CreateWnd() override;
  void WndProc(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void UpdateItemHeight();
  void ItemCaptionChanged(const TRzImageComboBoxItem* item);
  // Just before `item` is drawn; descendants fill captions and images late here. The default
  // fires OnGetItemData.
  virtual void GetItemData(TRzImageComboBoxItem* item);
  void ApplyPendingCaptions();
  static UINT CaptionsMessage();

 private:
  TImageList* images_ = nullptr;
  TChangeLink imagesLink_;
  int itemIndent_ = 12;
  bool autoSizeHeight_ = true;
  bool settingFont_ = false;
  bool drawing_ = false;
  bool captionsPending_ = false;  // captions changed while drawing reach the list afterwards
};

}  // namespace kovra
