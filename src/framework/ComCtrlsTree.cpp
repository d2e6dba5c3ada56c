// TTreeNode, TTreeNodes and TCustomTreeView over the system tree view.
#include "framework/ComCtrlsTree.h"

#include <algorithm>
#include <cstring>

#include "framework/runtime/Text.h"

namespace kovra {

namespace {

struct SortContext {
  const TTreeNode::TCompare* compare;
};

int CALLBACK SortCallback(LPARAM a, LPARAM b, LPARAM context) {
  auto* ctx = reinterpret_cast<SortContext*>(context);
  // The items' parameters are their nodes.
  auto* na = reinterpret_cast<TTreeNode*>(a);
  auto* nb = reinterpret_cast<TTreeNode*>(b);
  if (!na || !nb) return 0;
  try {
    return (*ctx->compare)(na, nb);
  } catch (...) {
    return 0;  // an exception must not cross the system's sort
  }
}

// TVM_GETITEMRECT takes the item handle in the rectangle it fills.
RECT ItemRectRequest(HTREEITEM item) {
  RECT r{};
  static_assert(sizeof(item) <= sizeof(r));
  std::memcpy(&r, &item, sizeof(item));
  return r;
}

}  // namespace

// ---- TTreeNode ----

TCustomTreeView& TTreeNode::TreeView() const {
  return owner_->Owner();
}

HWND TTreeNode::Wnd() const {
  return owner_->Owner().WindowHandle();
}

TTreeNode* TTreeNode::NodeOf(HTREEITEM item) const {
  return item ? owner_->GetNode(item) : nullptr;
}

void TTreeNode::SetText(std::string_view text) {
  text_ = text;
  std::wstring wide = Wide(text);
  TVITEMW item{};
  item.mask = TVIF_TEXT | TVIF_HANDLE;
  item.hItem = item_;
  item.pszText = wide.data();
  SendMessageW(Wnd(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetImageIndex(int index) {
  imageIndex_ = index;
  if (TreeView().fillingDispInfo_) return;  // the answer carries it
  TVITEMW item{};
  item.mask = TVIF_IMAGE | TVIF_HANDLE;
  item.hItem = item_;
  item.iImage = index < 0 ? I_IMAGECALLBACK : index;
  SendMessageW(Wnd(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetSelectedIndex(int index) {
  selectedIndex_ = index;
  if (TreeView().fillingDispInfo_) return;
  TVITEMW item{};
  item.mask = TVIF_SELECTEDIMAGE | TVIF_HANDLE;
  item.hItem = item_;
  item.iSelectedImage = index < 0 ? I_IMAGECALLBACK : index;
  SendMessageW(Wnd(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetOverlayIndex(int index) {
  overlayIndex_ = std::clamp(index, -1, 14);
  SetState(INDEXTOOVERLAYMASK(static_cast<UINT>(overlayIndex_ + 1)), TVIS_OVERLAYMASK);
}

void TTreeNode::SetStateIndex(int index) {
  stateIndex_ = std::clamp(index, -1, 14);
  SetState(INDEXTOSTATEIMAGEMASK(static_cast<UINT>(stateIndex_ + 1)), TVIS_STATEIMAGEMASK);
}

void TTreeNode::SetState(UINT state, UINT mask) {
  TVITEMW item{};
  item.mask = TVIF_STATE | TVIF_HANDLE;
  item.hItem = item_;
  item.state = state;
  item.stateMask = mask;
  SendMessageW(Wnd(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

UINT TTreeNode::State(UINT mask) const {
  return static_cast<UINT>(
      SendMessageW(Wnd(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item_), mask));
}

bool TTreeNode::Cut() const {
  return State(TVIS_CUT) != 0;
}
void TTreeNode::SetCut(bool cut) {
  SetState(cut ? TVIS_CUT : 0, TVIS_CUT);
}
bool TTreeNode::DropTarget() const {
  return State(TVIS_DROPHILITED) != 0;
}
void TTreeNode::SetDropTarget(bool value) {
  SendMessageW(Wnd(), TVM_SELECTITEM, TVGN_DROPHILITE,
               reinterpret_cast<LPARAM>(value ? item_ : nullptr));
}

bool TTreeNode::HasChildren() const {
  TVITEMW item{};
  item.mask = TVIF_CHILDREN | TVIF_HANDLE;
  item.hItem = item_;
  SendMessageW(Wnd(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item.cChildren != 0 || GetFirstChild() != nullptr;
}

void TTreeNode::SetHasChildren(bool value) {
  TVITEMW item{};
  item.mask = TVIF_CHILDREN | TVIF_HANDLE;
  item.hItem = item_;
  item.cChildren = value ? 1 : 0;
  SendMessageW(Wnd(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

bool TTreeNode::Expanded() const {
  return State(TVIS_EXPANDED) != 0;
}

// The system sends no expanding notifications for TVM_EXPAND once an item was expanded before;
// the view's hooks run here instead, and the notifications it does send are ignored meanwhile.
void TTreeNode::Expand(bool recurse) {
  TCustomTreeView& view = TreeView();
  if (!Expanded() && HasChildren()) {
    if (!view.CanExpand(this)) return;
    if (!GetFirstChild()) return;  // the hook found nothing to show
    ++view.programmaticExpand_;
    SendMessageW(Wnd(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item_));
    --view.programmaticExpand_;
    view.Expand(this);
  }
  if (recurse)
    for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) c->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
  TCustomTreeView& view = TreeView();
  if (recurse)
    for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) c->Collapse(true);
  if (!Expanded() || !view.CanCollapse(this)) return;
  ++view.programmaticExpand_;
  SendMessageW(Wnd(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item_));
  --view.programmaticExpand_;
  view.Collapse(this);
}

bool TTreeNode::Selected() const {
  return State(TVIS_SELECTED) != 0;
}

void TTreeNode::SetSelected(bool value) {
  if (value)
    TreeView().SetSelected(this);
  else if (Selected())
    TreeView().SetSelected(nullptr);
}

bool TTreeNode::IsVisible() const {
  RECT r = ItemRectRequest(item_);
  if (!SendMessageW(Wnd(), TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&r))) return false;
  RECT client{};
  GetClientRect(Wnd(), &client);
  return r.bottom > client.top && r.top < client.bottom;
}

void TTreeNode::MakeVisible() {
  SendMessageW(Wnd(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item_));
}

RECT TTreeNode::DisplayRect(bool textOnly) const {
  RECT r = ItemRectRequest(item_);
  if (!SendMessageW(Wnd(), TVM_GETITEMRECT, textOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(&r)))
    return RECT{};
  return r;
}

TTreeNode* TTreeNode::GetFirstChild() const {
  return NodeOf(TreeView_GetChild(Wnd(), item_));
}

TTreeNode* TTreeNode::GetLastChild() const {
  TTreeNode* c = GetFirstChild();
  while (c) {
    TTreeNode* next = c->GetNextSibling();
    if (!next) break;
    c = next;
  }
  return c;
}

TTreeNode* TTreeNode::GetNextSibling() const {
  return NodeOf(TreeView_GetNextSibling(Wnd(), item_));
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  return NodeOf(TreeView_GetPrevSibling(Wnd(), item_));
}

TTreeNode* TTreeNode::GetNext() const {
  if (TTreeNode* c = GetFirstChild()) return c;
  for (const TTreeNode* n = this; n; n = n->parent_)
    if (TTreeNode* s = n->GetNextSibling()) return s;
  return nullptr;
}

int TTreeNode::Count() const {
  int n = 0;
  for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) ++n;
  return n;
}

TTreeNode* TTreeNode::Item(int index) const {
  TTreeNode* c = GetFirstChild();
  for (int i = 0; c && i < index; ++i) c = c->GetNextSibling();
  return index < 0 ? nullptr : c;
}

int TTreeNode::Index() const {
  int n = 0;
  for (TTreeNode* s = GetPrevSibling(); s; s = s->GetPrevSibling()) ++n;
  return n;
}

int TTreeNode::Level() const {
  int n = 0;
  for (TTreeNode* p = parent_; p; p = p->parent_) ++n;
  return n;
}

bool TTreeNode::HasAsParent(const TTreeNode* node) const {
  for (TTreeNode* p = parent_; p; p = p->parent_)
    if (p == node) return true;
  return false;
}

void TTreeNode::Delete() {
  owner_->Delete(this);
}

void TTreeNode::DeleteChildren() {
  while (TTreeNode* c = GetFirstChild()) owner_->Delete(c);
}

bool TTreeNode::EditText() {
  TreeView().SetFocus();
  return SendMessageW(Wnd(), TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item_)) != 0;
}

void TTreeNode::EndEdit(bool cancel) {
  SendMessageW(Wnd(), TVM_ENDEDITLABELNOW, cancel ? TRUE : FALSE, 0);
}

bool TTreeNode::AlphaSort(bool recurse) {
  TCustomTreeView& view = TreeView();
  return CustomSort([&view](TTreeNode* a, TTreeNode* b) { return view.CompareNodes(a, b, 0); },
                    recurse);
}

bool TTreeNode::CustomSort(const TCompare& compare, bool recurse) {
  SortContext ctx{&compare};
  TVSORTCB sort{};
  sort.hParent = item_;
  sort.lpfnCompare = SortCallback;
  sort.lParam = reinterpret_cast<LPARAM>(&ctx);
  const bool ok = SendMessageW(Wnd(), TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)) != 0;
  if (recurse)
    for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) c->CustomSort(compare, true);
  return ok;
}

// ---- TTreeNodes ----

TTreeNodes::~TTreeNodes() = default;

TTreeNode* TTreeNodes::GetNode(HTREEITEM item) const {
  auto it = nodes_.find(item);
  return it == nodes_.end() ? nullptr : it->second.get();
}

TTreeNode* TTreeNodes::GetFirstNode() const {
  HWND wnd = view_->WindowHandle();
  return wnd ? GetNode(TreeView_GetRoot(wnd)) : nullptr;
}

TTreeNode* TTreeNodes::Item(int index) const {
  TTreeNode* n = GetFirstNode();
  for (int i = 0; n && i < index; ++i) n = n->GetNext();
  return index < 0 ? nullptr : n;
}

TTreeNode* TTreeNodes::InsertItem(TTreeNode* parent, HTREEITEM after, std::string_view text,
                                  void* data) {
  HWND wnd = view_->Handle();
  auto node = std::unique_ptr<TTreeNode>(new TTreeNode(this, parent));
  node->text_ = text;
  node->data_ = data;
  std::wstring wide = Wide(text);
  TVINSERTSTRUCTW ins{};
  ins.hParent = parent ? parent->item_ : TVI_ROOT;
  ins.hInsertAfter = after;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  ins.item.pszText = wide.data();
  ins.item.iImage = I_IMAGECALLBACK;
  ins.item.iSelectedImage = I_IMAGECALLBACK;
  ins.item.lParam = reinterpret_cast<LPARAM>(node.get());
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageW(wnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
  if (!item) throw EInvalidOperation("The tree view refused a new item");
  node->item_ = item;
  TTreeNode* result = node.get();
  nodes_[item] = std::move(node);
  return result;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, std::string_view text, void* data) {
  return InsertItem(sibling ? sibling->parent_ : nullptr, TVI_LAST, text, data);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, std::string_view text, void* data) {
  return InsertItem(sibling ? sibling->parent_ : nullptr, TVI_FIRST, text, data);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, std::string_view text, void* data) {
  return InsertItem(parent, TVI_LAST, text, data);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, std::string_view text, void* data) {
  return InsertItem(parent, TVI_FIRST, text, data);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, std::string_view text, void* data) {
  if (!sibling) return Add(nullptr, text, data);
  TTreeNode* prev = sibling->GetPrevSibling();
  return InsertItem(sibling->parent_, prev ? prev->item_ : TVI_FIRST, text, data);
}

void TTreeNodes::ForgetSubtree(TTreeNode* node, bool notify) {
  node->deleting_ = true;
  for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling()) ForgetSubtree(c, notify);
  if (notify) view_->Delete(node);
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (!node || node->deleting_) return;
  HWND wnd = view_->WindowHandle();
  std::vector<HTREEITEM> gone;
  ForgetSubtree(node, true);
  for (auto& [item, n] : nodes_)
    if (n->deleting_) gone.push_back(item);
  if (wnd) SendMessageW(wnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->item_));
  for (HTREEITEM item : gone) nodes_.erase(item);
}

void TTreeNodes::Clear() {
  HWND wnd = view_->WindowHandle();
  if (!wnd || nodes_.empty()) return;
  BeginUpdate();
  struct End {
    TTreeNodes* self;
    ~End() { self->EndUpdate(); }
  } end{this};
  for (TTreeNode* n = GetFirstNode(); n; n = n->GetNextSibling()) ForgetSubtree(n, true);
  SendMessageW(wnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  nodes_.clear();
}

// The window is gone: its items cannot be walked, so each remaining node is told in turn.
void TTreeNodes::ForgetAll(bool notify) {
  auto nodes = std::move(nodes_);
  nodes_.clear();
  for (auto& [item, n] : nodes) {
    n->deleting_ = true;
    if (notify) view_->Delete(n.get());
  }
}

void TTreeNodes::BeginUpdate() {
  if (updateCount_++ == 0 && view_->HandleAllocated())
    SendMessageW(view_->WindowHandle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (updateCount_ == 0 || --updateCount_ > 0) return;
  if (!view_->HandleAllocated()) return;
  SendMessageW(view_->WindowHandle(), WM_SETREDRAW, TRUE, 0);
  RedrawWindow(view_->WindowHandle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

// ---- TCustomTreeView ----

TCustomTreeView::TCustomTreeView(TComponent* owner) : TWinControl(owner), items_(this) {
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetColor(clWindow);
  imageLink_.OnChange = [this](TObject*) { ApplyImageLists(); };
  imageLink_.OnFree = [this](TObject*) {
    images_ = nullptr;
    ApplyImageLists();
  };
  stateImageLink_.OnChange = imageLink_.OnChange;
  stateImageLink_.OnFree = [this](TObject*) {
    stateImages_ = nullptr;
    ApplyImageLists();
  };
}

TCustomTreeView::~TCustomTreeView() {
  Destroying();
  if (images_) images_->UnRegisterChanges(imageLink_);
  if (stateImages_) stateImages_->UnRegisterChanges(stateImageLink_);
  if (HandleAllocated()) items_.Clear();
  items_.ForgetAll(true);
}

LRESULT TCustomTreeView::SendTree(UINT msg, WPARAM w, LPARAM l) const {
  HWND wnd = WindowHandle();
  return wnd ? SendMessageW(wnd, msg, w, l) : 0;
}

void TCustomTreeView::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = WC_TREEVIEWW;
  params.ExStyle |= WS_EX_CLIENTEDGE;
  if (showButtons_) params.Style |= TVS_HASBUTTONS;
  if (showLines_) params.Style |= TVS_HASLINES;
  if (showRoot_) params.Style |= TVS_LINESATROOT;
  if (!hideSelection_) params.Style |= TVS_SHOWSELALWAYS;
  if (hotTrack_) params.Style |= TVS_TRACKSELECT;
  if (rowSelect_) params.Style |= TVS_FULLROWSELECT;
  if (!toolTips_) params.Style |= TVS_NOTOOLTIPS;
  if (!readOnly_) params.Style |= TVS_EDITLABELS;
  if (dragDisabled_) params.Style |= TVS_DISABLEDRAGDROP;
  if (autoExpand_) params.Style |= TVS_SINGLEEXPAND;
}

void TCustomTreeView::CreateWnd() {
  TWinControl::CreateWnd();
  if (itemHeight_ > 0) SendTree(TVM_SETITEMHEIGHT, static_cast<WPARAM>(itemHeight_));
  if (indent_ >= 0) SendTree(TVM_SETINDENT, static_cast<WPARAM>(indent_));
  SendTree(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
  ApplyImageLists();
}

void TCustomTreeView::CMColorChanged(TMessage& m) {
  TWinControl::CMColorChanged(m);
  SendTree(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
}

// Items do not survive the window: they go (with OnDeletion) while the window can still be
// walked. Styles change on the live window, so nothing rebuilds it behind the caller's back.
void TCustomTreeView::DestroyWnd() {
  if (HandleAllocated()) items_.Clear();
  TWinControl::DestroyWnd();
}

void TCustomTreeView::WindowDestroyed() {
  items_.ForgetAll(true);
  TWinControl::WindowDestroyed();
}

void TCustomTreeView::SetStyleFlag(bool& field, bool value, DWORD style, bool styleOn) {
  if (field == value) return;
  field = value;
  ChangeStyle(styleOn ? style : 0, styleOn ? 0 : style);
  if (HandleAllocated()) InvalidateRect(ClientRect(), true);
}

void TCustomTreeView::SetItemHeight(int value) {
  value = std::max(value, 0);
  if (value == itemHeight_) return;
  itemHeight_ = value;
  SendTree(TVM_SETITEMHEIGHT, value > 0 ? static_cast<WPARAM>(value) : static_cast<WPARAM>(-1));
}

int TCustomTreeView::Indent() const {
  return HandleAllocated() ? static_cast<int>(SendTree(TVM_GETINDENT)) : indent_;
}

void TCustomTreeView::SetIndent(int value) {
  indent_ = std::max(value, 0);
  SendTree(TVM_SETINDENT, static_cast<WPARAM>(indent_));
}

void TCustomTreeView::SetSortType(TSortType value) {
  if (value == sortType_) return;
  sortType_ = value;
  if (value == stNone || !HandleAllocated()) return;
  for (TTreeNode* n = items_.GetFirstNode(); n; n = n->GetNextSibling()) n->AlphaSort(true);
  // The roots too: sort them as the children of the invisible root.
  const TTreeNode::TCompare compare = [this](TTreeNode* a, TTreeNode* b) {
    return CompareNodes(a, b, 0);
  };
  SortContext ctx{&compare};
  TVSORTCB sort{TVI_ROOT, SortCallback, reinterpret_cast<LPARAM>(&ctx)};
  SendTree(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

void TCustomTreeView::SetImages(TImageList* images) {
  if (images == images_) return;
  if (images_) images_->UnRegisterChanges(imageLink_);
  images_ = images;
  if (images_) images_->RegisterChanges(imageLink_);
  ApplyImageLists();
}

void TCustomTreeView::SetStateImages(TImageList* images) {
  if (images == stateImages_) return;
  if (stateImages_) stateImages_->UnRegisterChanges(stateImageLink_);
  stateImages_ = images;
  if (stateImages_) stateImages_->RegisterChanges(stateImageLink_);
  ApplyImageLists();
}

void TCustomTreeView::SetImageListHandle(HIMAGELIST list) {
  sharedImages_ = list;
  ApplyImageLists();
}

void TCustomTreeView::ApplyImageLists() {
  if (!HandleAllocated()) return;
  HIMAGELIST normal = images_ ? images_->Handle() : sharedImages_;
  SendTree(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(normal));
  SendTree(TVM_SETIMAGELIST, TVSIL_STATE,
           reinterpret_cast<LPARAM>(stateImages_ ? stateImages_->Handle() : nullptr));
}

TTreeNode* TCustomTreeView::Selected() const {
  HWND wnd = WindowHandle();
  return wnd ? items_.GetNode(TreeView_GetSelection(wnd)) : nullptr;
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
  if (!node && !HandleAllocated()) return;
  SendMessageW(Handle(), TVM_SELECTITEM, TVGN_CARET,
               reinterpret_cast<LPARAM>(node ? node->item_ : nullptr));
}

TTreeNode* TCustomTreeView::TopItem() const {
  HWND wnd = WindowHandle();
  return wnd ? items_.GetNode(TreeView_GetFirstVisible(wnd)) : nullptr;
}

UINT TCustomTreeView::GetHitTestInfoAt(int x, int y) const {
  TVHITTESTINFO info{};
  info.pt = POINT{x, y};
  SendTree(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
  return info.flags;
}

TTreeNode* TCustomTreeView::GetNodeAt(int x, int y) const {
  TVHITTESTINFO info{};
  info.pt = POINT{x, y};
  auto item =
      reinterpret_cast<HTREEITEM>(SendTree(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
  return item && (info.flags & TVHT_ONITEM) ? items_.GetNode(item) : nullptr;
}

TTreeNode* TCustomTreeView::DropTarget() const {
  HWND wnd = WindowHandle();
  return wnd ? items_.GetNode(TreeView_GetDropHilight(wnd)) : nullptr;
}

void TCustomTreeView::SetDropTarget(TTreeNode* node) {
  SendTree(TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(node ? node->item_ : nullptr));
}

bool TCustomTreeView::IsEditing() const {
  return EditHandle() != nullptr;
}

HWND TCustomTreeView::EditHandle() const {
  return reinterpret_cast<HWND>(SendTree(TVM_GETEDITCONTROL));
}

void TCustomTreeView::FullExpand() {
  items_.BeginUpdate();
  for (TTreeNode* n = items_.GetFirstNode(); n; n = n->GetNextSibling()) n->Expand(true);
  items_.EndUpdate();
}

void TCustomTreeView::FullCollapse() {
  items_.BeginUpdate();
  for (TTreeNode* n = items_.GetFirstNode(); n; n = n->GetNextSibling()) n->Collapse(true);
  items_.EndUpdate();
}

// ---- the hooks and their events ----

bool TCustomTreeView::CanChange(TTreeNode* node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, node, allow);
  return allow;
}
void TCustomTreeView::Change(TTreeNode* node) {
  if (OnChange) OnChange(this, node);
}
bool TCustomTreeView::CanExpand(TTreeNode* node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, node, allow);
  return allow;
}
void TCustomTreeView::Expand(TTreeNode* node) {
  if (OnExpanded) OnExpanded(this, node);
}
bool TCustomTreeView::CanCollapse(TTreeNode* node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, node, allow);
  return allow;
}
void TCustomTreeView::Collapse(TTreeNode* node) {
  if (OnCollapsed) OnCollapsed(this, node);
}
bool TCustomTreeView::CanEdit(TTreeNode* node) {
  bool allow = !readOnly_;
  if (allow && OnEditing) OnEditing(this, node, allow);
  return allow;
}
bool TCustomTreeView::Edit(TTreeNode* node, std::string& text) {
  if (OnEdited) OnEdited(this, node, text);
  node->text_ = text;
  return true;
}
void TCustomTreeView::Delete(TTreeNode* node) {
  if (OnDeletion) OnDeletion(this, node);
}
void TCustomTreeView::GetImageIndex(TTreeNode* node) {
  if (OnGetImageIndex) OnGetImageIndex(this, node);
}
void TCustomTreeView::GetSelectedIndex(TTreeNode* node) {
  if (OnGetSelectedIndex) OnGetSelectedIndex(this, node);
}
void TCustomTreeView::StartDrag(TTreeNode* node, bool rightButton) {
  if (OnStartDrag) OnStartDrag(this, node, rightButton);
}

int TCustomTreeView::CompareNodes(TTreeNode* a, TTreeNode* b, int data) {
  int result = 0;
  if (OnCompare) {
    OnCompare(this, a, b, data, result);
    return result;
  }
  if (sortType_ == stData || sortType_ == stBoth) {
    const auto da = reinterpret_cast<std::uintptr_t>(a->Data());
    const auto db = reinterpret_cast<std::uintptr_t>(b->Data());
    if (da != db) return da < db ? -1 : 1;
  }
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, Wide(a->Text()).c_str(), -1,
                        Wide(b->Text()).c_str(), -1) -
         CSTR_EQUAL;
}

// ---- messages ----

void TCustomTreeView::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_NOTIFY:
      CNNotify(m);
      return;
    case CM_WANTSPECIALKEY:
      // Enter and Escape end a label edit, not the dialog.
      if (IsEditing()) {
        m.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

void TCustomTreeView::GetDispInfo(NMTVDISPINFOW& info) {
  TTreeNode* node = items_.GetNode(info.item.hItem);
  if (!node || node->deleting_) return;
  fillingDispInfo_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{fillingDispInfo_};
  if (info.item.mask & TVIF_IMAGE) {
    if (node->imageIndex_ < 0) GetImageIndex(node);
    info.item.iImage = std::max(node->imageIndex_, 0);
  }
  if (info.item.mask & TVIF_SELECTEDIMAGE) {
    if (node->selectedIndex_ < 0) GetSelectedIndex(node);
    info.item.iSelectedImage =
        node->selectedIndex_ >= 0 ? node->selectedIndex_ : std::max(node->imageIndex_, 0);
  }
  // Once known, the system keeps the numbers and stops asking.
  if (node->imageIndex_ >= 0 && node->selectedIndex_ >= 0) info.item.mask |= TVIF_DI_SETITEM;
}

void TCustomTreeView::EndLabelEdit(NMTVDISPINFOW& info, LRESULT& result) {
  result = FALSE;
  TTreeNode* node = items_.GetNode(info.item.hItem);
  if (!node || !info.item.pszText) return;  // cancelled
  std::string text = Narrow(info.item.pszText);
  if (Edit(node, text)) {
    node->SetText(text);
    result = FALSE;  // the text is already in place
  }
}

void TCustomTreeView::CNNotify(TMessage& m) {
  auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
  auto* tv = reinterpret_cast<NMTREEVIEWW*>(m.LParam);
  switch (hdr->code) {
    case TVN_SELCHANGINGW: {
      TTreeNode* node = items_.GetNode(tv->itemNew.hItem);
      m.Result = (node && !node->deleting_ && !CanChange(node)) ? TRUE : FALSE;
      return;
    }
    case TVN_SELCHANGEDW: {
      TTreeNode* node = items_.GetNode(tv->itemNew.hItem);
      if (!node || !node->deleting_) Change(node);
      return;
    }
    case TVN_ITEMEXPANDINGW: {
      TTreeNode* node = items_.GetNode(tv->itemNew.hItem);
      if (!node || programmaticExpand_ > 0) return;
      bool allow = true;
      if (tv->action & TVE_EXPAND) {
        allow = CanExpand(node);
      } else if (tv->action & TVE_COLLAPSE) {
        allow = CanCollapse(node);
      }
      m.Result = allow ? FALSE : TRUE;
      return;
    }
    case TVN_ITEMEXPANDEDW: {
      TTreeNode* node = items_.GetNode(tv->itemNew.hItem);
      if (!node || programmaticExpand_ > 0) return;
      if (tv->action & TVE_EXPAND)
        Expand(node);
      else if (tv->action & TVE_COLLAPSE)
        Collapse(node);
      return;
    }
    case TVN_DELETEITEMW: {
      // Program deletions have told their nodes already; this is the system clearing up.
      auto it = items_.nodes_.find(tv->itemOld.hItem);
      if (it == items_.nodes_.end() || it->second->deleting_) return;
      it->second->deleting_ = true;
      Delete(it->second.get());
      items_.nodes_.erase(it);
      return;
    }
    case TVN_BEGINLABELEDITW: {
      auto* info = reinterpret_cast<NMTVDISPINFOW*>(m.LParam);
      TTreeNode* node = items_.GetNode(info->item.hItem);
      m.Result = (node && CanEdit(node)) ? FALSE : TRUE;
      return;
    }
    case TVN_ENDLABELEDITW:
      EndLabelEdit(*reinterpret_cast<NMTVDISPINFOW*>(m.LParam), m.Result);
      return;
    case TVN_GETDISPINFOW:
      GetDispInfo(*reinterpret_cast<NMTVDISPINFOW*>(m.LParam));
      return;
    case TVN_BEGINDRAGW:
    case TVN_BEGINRDRAGW:
      if (TTreeNode* node = items_.GetNode(tv->itemNew.hItem))
        StartDrag(node, hdr->code == TVN_BEGINRDRAGW);
      return;
    case NM_RCLICK: {
      POINT p{};
      GetCursorPos(&p);
      m.Result = RightClick(ScreenToClient(p)) ? 1 : 0;
      return;
    }
    default:
      break;
  }
}

}  // namespace kovra
