// The framework's tree view over the system tree-view control (WC_TREEVIEW).
//   TTreeNode        one item: text, images, overlay, cut state, data, has-children, expansion
//   TTreeNodes       the view's items: add, insert, delete, clear, lookup by handle
//   TCustomTreeView  the control: selection, expansion, label editing, images, sorting, events
//
// Nodes live as long as their items: deleting an item (by program, or the window going) fires
// OnDeletion and frees the TTreeNode. Nodes need the window, so adding one creates it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/Controls.h"
#include "framework/ImgList.h"

namespace kovra {

class TTreeNodes;
class TCustomTreeView;

enum TNodeAttachMode : std::uint8_t { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };

class TTreeNode {
 public:
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;

  TTreeNodes& Owner() const { return *owner_; }
  TCustomTreeView& TreeView() const;
  HTREEITEM ItemId() const { return item_; }

  const std::string& Text() const { return text_; }
  void SetText(std::string_view text);
  // -1 (the default) asks the view (GetImageIndex) the first time the item is drawn.
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  int SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(int index);
  // -1: none; 0..14 draw the image list's overlay image 1..15.
  int OverlayIndex() const { return overlayIndex_; }
  void SetOverlayIndex(int index);
  int StateIndex() const { return stateIndex_; }
  void SetStateIndex(int index);
  // Drawn ghosted.
  bool Cut() const;
  void SetCut(bool cut);
  bool DropTarget() const;
  void SetDropTarget(bool value);
  void* Data() const { return data_; }
  void SetData(void* data) { data_ = data; }
  // The expand button, whether or not child items exist yet.
  bool HasChildren() const;
  void SetHasChildren(bool value);

  bool Expanded() const;
  void SetExpanded(bool value) { value ? Expand(false) : Collapse(false); }
  void Expand(bool recurse);
  void Collapse(bool recurse);
  bool Selected() const;
  void SetSelected(bool value);
  bool Focused() const { return Selected(); }
  bool IsVisible() const;
  void MakeVisible();
  // The item's rectangle in client coordinates (only its text's with `textOnly`); empty when
  // the item is scrolled or collapsed away.
  RECT DisplayRect(bool textOnly) const;

  TTreeNode* Parent() const { return parent_; }
  TTreeNode* GetFirstChild() const;
  TTreeNode* GetLastChild() const;
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // Depth-first order over the whole tree.
  TTreeNode* GetNext() const;
  int Count() const;  // child items
  TTreeNode* Item(int index) const;
  int Index() const;  // among its siblings
  int Level() const;
  bool HasAsParent(const TTreeNode* node) const;
  bool Deleting() const { return deleting_; }

  void Delete();
  void DeleteChildren();
  // Starts label editing; false when the view refused.
  bool EditText();
  void EndEdit(bool cancel);
  // Orders the children by the view's compare (OnCompare, or text without one).
  bool AlphaSort(bool recurse = false);
  using TCompare = std::function<int(TTreeNode* a, TTreeNode* b)>;
  bool CustomSort(const TCompare& compare, bool recurse = false);

 private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  TTreeNode(TTreeNodes* owner, TTreeNode* parent) : owner_(owner), parent_(parent) {}
  HWND Wnd() const;
  TTreeNode* NodeOf(HTREEITEM item) const;
  void SetState(UINT state, UINT mask);
  UINT State(UINT mask) const;

  TTreeNodes* owner_;
  TTreeNode* parent_;
  HTREEITEM item_ = nullptr;
  std::string text_;
  int imageIndex_ = -1;
  int selectedIndex_ = -1;
  int overlayIndex_ = -1;
  int stateIndex_ = -1;
  void* data_ = nullptr;
  bool deleting_ = false;
};

class TTreeNodes {
 public:
  explicit TTreeNodes(TCustomTreeView* owner) : view_(owner) {}
  TTreeNodes(const TTreeNodes&) = delete;
  TTreeNodes& operator=(const TTreeNodes&) = delete;
  ~TTreeNodes();

  TCustomTreeView& Owner() const { return *view_; }
  int Count() const { return static_cast<int>(nodes_.size()); }
  TTreeNode* GetFirstNode() const;
  // The node of a system item, or null.
  TTreeNode* GetNode(HTREEITEM item) const;
  // Depth-first position `index`, or null.
  TTreeNode* Item(int index) const;

  // A sibling after `sibling`'s last sibling (a root node when `sibling` is null).
  TTreeNode* Add(TTreeNode* sibling, std::string_view text, void* data = nullptr);
  TTreeNode* AddFirst(TTreeNode* sibling, std::string_view text, void* data = nullptr);
  TTreeNode* AddChild(TTreeNode* parent, std::string_view text, void* data = nullptr);
  TTreeNode* AddChildFirst(TTreeNode* parent, std::string_view text, void* data = nullptr);
  // Before `sibling` (last among the roots when null).
  TTreeNode* Insert(TTreeNode* sibling, std::string_view text, void* data = nullptr);
  // Frees the node, its children first; OnDeletion fires for each.
  void Delete(TTreeNode* node);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return updateCount_ > 0; }

 private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  TTreeNode* InsertItem(TTreeNode* parent, HTREEITEM after, std::string_view text, void* data);
  // Fires the deletion of `node`'s subtree (children first) and forgets those nodes; the
  // system item is left to the caller.
  void ForgetSubtree(TTreeNode* node, bool notify);
  void ForgetAll(bool notify);

  TCustomTreeView* view_;
  std::unordered_map<HTREEITEM, std::unique_ptr<TTreeNode>> nodes_;
  int updateCount_ = 0;
};

using TTVChangingEvent = std::function<void(TObject* sender, TTreeNode* node, bool& allow)>;
using TTVChangedEvent = std::function<void(TObject* sender, TTreeNode* node)>;
using TTVExpandingEvent = std::function<void(TObject* sender, TTreeNode* node, bool& allow)>;
using TTVExpandedEvent = std::function<void(TObject* sender, TTreeNode* node)>;
using TTVEditingEvent = std::function<void(TObject* sender, TTreeNode* node, bool& allow)>;
using TTVEditedEvent = std::function<void(TObject* sender, TTreeNode* node, std::string& text)>;
using TTVCompareEvent =
    std::function<void(TObject* sender, TTreeNode* a, TTreeNode* b, int data, int& compare)>;
using TTVStartDragEvent = std::function<void(TObject* sender, TTreeNode* node, bool rightButton)>;

enum TMultiSelectStyle : std::uint8_t { msControlSelect = 1, msShiftSelect = 2 };
enum TSortType : std::uint8_t { stNone, stData, stText, stBoth };

class TCustomTreeView : public TWinControl {
 public:
  explicit TCustomTreeView(TComponent* owner);
  ~TCustomTreeView() override;

  TTreeNodes& Items() { return items_; }
  const TTreeNodes& Items() const { return items_; }

  TTreeNode* Selected() const;
  void SetSelected(TTreeNode* node);
  TTreeNode* TopItem() const;
  TTreeNode* GetNodeAt(int x, int y) const;
  // TVHT_* flags of a client point.
  UINT GetHitTestInfoAt(int x, int y) const;
  TTreeNode* DropTarget() const;
  void SetDropTarget(TTreeNode* node);
  bool IsEditing() const;
  HWND EditHandle() const;
  void FullExpand();
  void FullCollapse();

  // Styles; each applies to a live window at once.
  bool ShowButtons() const { return showButtons_; }
  void SetShowButtons(bool v) { SetStyleFlag(showButtons_, v, TVS_HASBUTTONS); }
  bool ShowLines() const { return showLines_; }
  void SetShowLines(bool v) { SetStyleFlag(showLines_, v, TVS_HASLINES); }
  bool ShowRoot() const { return showRoot_; }
  void SetShowRoot(bool v) { SetStyleFlag(showRoot_, v, TVS_LINESATROOT); }
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool v) { SetStyleFlag(hideSelection_, v, TVS_SHOWSELALWAYS, !v); }
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool v) { SetStyleFlag(hotTrack_, v, TVS_TRACKSELECT); }
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool v) { SetStyleFlag(rowSelect_, v, TVS_FULLROWSELECT); }
  bool ToolTips() const { return toolTips_; }
  void SetToolTips(bool v) { SetStyleFlag(toolTips_, v, TVS_NOTOOLTIPS, !v); }
  // No label editing.
  bool ReadOnly() const { return readOnly_; }
  virtual void SetReadOnly(bool v) { SetStyleFlag(readOnly_, v, TVS_EDITLABELS, !v); }
  // Dragging items sends no begin-drag notification.
  bool DragDisabled() const { return dragDisabled_; }
  void SetDragDisabled(bool v) { SetStyleFlag(dragDisabled_, v, TVS_DISABLEDRAGDROP); }
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool v) { multiSelect_ = v; }
  std::uint8_t MultiSelectStyle() const { return multiSelectStyle_; }
  void SetMultiSelectStyle(std::uint8_t v) { multiSelectStyle_ = v; }
  // Selecting a node expands it and collapses the one selected before.
  bool AutoExpand() const { return autoExpand_; }
  void SetAutoExpand(bool v) { SetStyleFlag(autoExpand_, v, TVS_SINGLEEXPAND); }
  // 0: the system's height.
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int value);
  int Indent() const;
  void SetIndent(int value);
  TSortType SortType() const { return sortType_; }
  void SetSortType(TSortType value);

  // An image list of ours, followed through its changes.
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);
  TImageList* StateImages() const { return stateImages_; }
  void SetStateImages(TImageList* images);
  // A list made elsewhere (the system's icons): shown, never destroyed here.
  HIMAGELIST ImageListHandle() const { return sharedImages_; }
  void SetImageListHandle(HIMAGELIST list);

  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVExpandingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVChangedEvent OnDeletion;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVCompareEvent OnCompare;
  TTVChangedEvent OnGetImageIndex;
  TTVChangedEvent OnGetSelectedIndex;
  TTVStartDragEvent OnStartDrag;

 protected:
  friend class TTreeNode;
  friend class TTreeNodes;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WindowDestroyed() override;
  void WndProc(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;

  virtual bool CanChange(TTreeNode* node);
  virtual void Change(TTreeNode* node);
  virtual bool CanExpand(TTreeNode* node);
  virtual void Expand(TTreeNode* node);
  virtual bool CanCollapse(TTreeNode* node);
  virtual void Collapse(TTreeNode* node);
  virtual bool CanEdit(TTreeNode* node);
  // `text` is what the user typed; false throws the edit away.
  virtual bool Edit(TTreeNode* node, std::string& text);
  virtual void Delete(TTreeNode* node);
  // Fill the node's image or selected index the first time it is drawn.
  virtual void GetImageIndex(TTreeNode* node);
  virtual void GetSelectedIndex(TTreeNode* node);
  virtual void StartDrag(TTreeNode* node, bool rightButton);
  // A right click on the items (NM_RCLICK); true when handled (no WM_CONTEXTMENU follows).
  virtual bool RightClick(POINT client) {
    (void)client;
    return false;
  }
  // The compare used by AlphaSort: OnCompare when assigned, else by sort type.
  virtual int CompareNodes(TTreeNode* a, TTreeNode* b, int data);
  virtual void CNNotify(TMessage& m);

  LRESULT SendTree(UINT msg, WPARAM w = 0, LPARAM l = 0) const;

 private:
  // Stores `value` and sets the window style bit when `styleOn`.
  void SetStyleFlag(bool& field, bool value, DWORD style, bool styleOn);
  void SetStyleFlag(bool& field, bool value, DWORD style) {
    SetStyleFlag(field, value, style, value);
  }
  void ApplyImageLists();
  void GetDispInfo(NMTVDISPINFOW& info);
  void EndLabelEdit(NMTVDISPINFOW& info, LRESULT& result);

  TTreeNodes items_;
  bool showButtons_ = true, showLines_ = true, showRoot_ = true, hideSelection_ = true;
  bool hotTrack_ = false, rowSelect_ = false, toolTips_ = true, readOnly_ = false;
  bool dragDisabled_ = false, multiSelect_ = false, autoExpand_ = false;
  std::uint8_t multiSelectStyle_ = msControlSelect;
  int itemHeight_ = 0;
  int indent_ = -1;  // -1: the system's
  TSortType sortType_ = stNone;
  TImageList* images_ = nullptr;
  TImageList* stateImages_ = nullptr;
  HIMAGELIST sharedImages_ = nullptr;
  TChangeLink imageLink_, stateImageLink_;
  int programmaticExpand_ = 0;
  bool fillingDispInfo_ = false;  // image indexes set now answer TVN_GETDISPINFO  // TVM_EXPAND
                                  // from TTreeNode: its notifications are ignored
};

}  // namespace kovra
