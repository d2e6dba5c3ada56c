// TCustomListView over the system list view; items and columns kept beside the window.
#include "framework/ComCtrlsList.h"

#include <algorithm>
#include <climits>

#include "framework/ImgList.h"

namespace kovra {

namespace {

DWORD ViewStyleBits(TViewStyle style) {
  switch (style) {
    case vsSmallIcon:
      return LVS_SMALLICON;
    case vsList:
      return LVS_LIST;
    case vsReport:
      return LVS_REPORT;
    default:
      return LVS_ICON;
  }
}

// The state bits an owner-data window asks its owner for; it keeps selection and focus itself.
constexpr UINT kOwnerStateBits = LVIS_OVERLAYMASK | LVIS_CUT | LVIS_DROPHILITED;
constexpr LPARAM kCountFlags = LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL;

int ColumnFormat(TAlignment a) {
  switch (a) {
    case taRightJustify:
      return LVCFMT_RIGHT;
    case taCenter:
      return LVCFMT_CENTER;
    default:
      return LVCFMT_LEFT;
  }
}

}  // namespace

// ---- TListItem ----

TListItem::~TListItem() = default;

int TListItem::Index() const {
  return owner_->items_.IndexOf(this);
}

void TListItem::SetCaption(std::string_view value) {
  if (caption_ == value) return;
  caption_ = value;
  Update();
  owner_->Change(this, ctText);
}

void TListItem::SetSubItems(std::vector<std::string> values) {
  subItems_ = std::move(values);
  Update();
  owner_->Change(this, ctText);
}

void TListItem::SetSubItem(int index, std::string_view value) {
  if (index < 0) return;
  if (static_cast<size_t>(index) >= subItems_.size())
    subItems_.resize(static_cast<size_t>(index) + 1);
  subItems_[static_cast<size_t>(index)] = value;
  Update();
  owner_->Change(this, ctText);
}

void TListItem::SetImageIndex(int value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  Update();
  owner_->Change(this, ctImage);
}

void TListItem::SetOverlayIndex(int value) {
  value = std::clamp(value, 0, 15);
  if (overlay_ == value) return;
  overlay_ = value;
  Redraw();
}

void TListItem::SetCut(bool value) {
  if (cut_ == value) return;
  cut_ = value;
  Redraw();
}

UINT TListItem::ShownState() const {
  return INDEXTOOVERLAYMASK(static_cast<UINT>(overlay_)) | (cut_ ? LVIS_CUT : 0u) |
         (dropHilited_ ? LVIS_DROPHILITED : 0u);
}

void TListItem::Redraw() {
  if (owner_->Updating()) return;  // the update's end repaints everything
  const int index = owner_->WindowIndexOf(this);
  if (index >= 0) owner_->SendList(LVM_REDRAWITEMS, static_cast<WPARAM>(index), index);
}

UINT TListItem::StateBits() const {
  const int index = owner_->WindowIndexOf(this);
  if (index < 0) return state_;
  return static_cast<UINT>(
      owner_->SendList(LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED | LVIS_FOCUSED));
}

void TListItem::SetStateBit(UINT bit, bool value) {
  state_ = value ? (state_ | bit) : (state_ & ~bit);
  const int index = owner_->WindowIndexOf(this);
  if (index < 0) return;
  LVITEMW item{};
  item.stateMask = bit;
  item.state = value ? bit : 0;
  owner_->SendList(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

bool TListItem::Selected() const {
  return (StateBits() & LVIS_SELECTED) != 0;
}
void TListItem::SetSelected(bool value) {
  SetStateBit(LVIS_SELECTED, value);
}
bool TListItem::Focused() const {
  return (StateBits() & LVIS_FOCUSED) != 0;
}
void TListItem::SetFocused(bool value) {
  SetStateBit(LVIS_FOCUSED, value);
}

void TListItem::MakeVisible(bool partialOk) {
  const int index = owner_->WindowIndexOf(this);
  if (index >= 0) owner_->SendList(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOk);
}

RECT TListItem::DisplayRect(int code) const {
  RECT r{};
  const int index = owner_->WindowIndexOf(this);
  if (index < 0) return r;
  r.left = code;
  if (!owner_->SendList(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)))
    r = RECT{};
  return r;
}

bool TListItem::EditCaption() {
  const int index = owner_->WindowIndexOf(this);
  if (index < 0) return false;
  if (GetFocus() != owner_->WindowHandle()) SetFocus(owner_->WindowHandle());
  return owner_->SendList(LVM_EDITLABELW, static_cast<WPARAM>(index)) != 0;
}

void TListItem::Update() {
  const int index = owner_->WindowIndexOf(this);
  if (index >= 0) owner_->SendList(LVM_UPDATE, static_cast<WPARAM>(index));
}

void TListItem::Delete() {
  const int index = Index();
  if (index >= 0) owner_->items_.Delete(index);
}

// ---- TListItems ----

TListItem* TListItems::Item(int index) const {
  if (index < 0 || index >= Count()) throw EInvalidOperation("List index out of bounds");
  return items_[static_cast<size_t>(index)].get();
}

TListItem* TListItems::Add() {
  return Insert(Count());
}

TListItem* TListItems::Insert(int index) {
  index = std::clamp(index, 0, Count());
  auto item = std::unique_ptr<TListItem>(new TListItem(owner_));
  TListItem* raw = item.get();
  if (index < Count()) owner_->ReadWindowStates();  // before the window's indexes shift
  items_.insert(items_.begin() + index, std::move(item));
  owner_->InsertWindowItem(index);
  return raw;
}

void TListItems::Delete(int index) {
  TListItem* item = Item(index);
  owner_->Deletion(item);
  // The handler may have changed the list.
  index = IndexOf(item);
  if (index < 0) return;
  owner_->DeleteWindowItem(index);
  items_.erase(items_.begin() + index);
}

void TListItems::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  try {
    for (size_t i = 0; i < items_.size(); ++i) owner_->Deletion(items_[i].get());
  } catch (...) {
    EndUpdate();
    throw;
  }
  owner_->clearing_ = true;
  if (owner_->HandleAllocated()) owner_->SendList(LVM_DELETEALLITEMS);
  owner_->windowCount_ = 0;
  owner_->clearing_ = false;
  items_.clear();
  EndUpdate();
}

int TListItems::IndexOf(const TListItem* item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return static_cast<int>(i);
  return -1;
}

void TListItems::SetCapacity(int capacity) {
  if (capacity <= 0) return;
  items_.reserve(static_cast<size_t>(capacity));
}

void TListItems::BeginUpdate() {
  owner_->BeginUpdate();
}
void TListItems::EndUpdate() {
  owner_->EndUpdate();
}

// ---- TListColumn(s) ----

void TListColumn::Push() const {
  if (!owner_->HandleAllocated()) return;
  const std::wstring text = Wide(caption_);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  col.fmt = ColumnFormat(alignment_);
  col.cx = width_;
  col.pszText = const_cast<wchar_t*>(text.c_str());
  owner_->SendList(LVM_SETCOLUMNW, static_cast<WPARAM>(index_), reinterpret_cast<LPARAM>(&col));
}

void TListColumn::SetCaption(std::string_view value) {
  caption_ = value;
  Push();
}

int TListColumn::Width() const {
  if (owner_->HandleAllocated())
    return static_cast<int>(owner_->SendList(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index_)));
  return width_;
}

void TListColumn::SetWidth(int value) {
  width_ = std::max(value, 0);
  owner_->SendList(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index_), MAKELPARAM(width_, 0));
}

void TListColumn::SetAlignment(TAlignment value) {
  alignment_ = value;
  Push();
}

TListColumn* TListColumns::Item(int index) const {
  if (index < 0 || index >= Count()) throw EInvalidOperation("List index out of bounds");
  return columns_[static_cast<size_t>(index)].get();
}

TListColumn* TListColumns::Add(std::string_view caption, int width, TAlignment alignment) {
  const int index = Count();
  auto column = std::unique_ptr<TListColumn>(new TListColumn(owner_, index));
  column->caption_ = caption;
  column->width_ = std::max(width, 0);
  column->alignment_ = alignment;
  TListColumn* raw = column.get();
  columns_.push_back(std::move(column));
  if (owner_->HandleAllocated()) {
    const std::wstring text = Wide(raw->caption_);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = ColumnFormat(alignment);
    col.cx = raw->width_;
    col.iSubItem = index;
    col.pszText = const_cast<wchar_t*>(text.c_str());
    // Some list views refuse to delete column 0: a cleared list may still have it, to reuse.
    HWND header = reinterpret_cast<HWND>(owner_->SendList(LVM_GETHEADER));
    if (index == 0 && header && Header_GetItemCount(header) > 0)
      owner_->SendList(LVM_SETCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
    else
      owner_->SendList(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(&col));
  }
  return raw;
}

void TListColumns::Clear() {
  if (owner_->HandleAllocated())
    for (int i = Count(); i-- > 0;) owner_->SendList(LVM_DELETECOLUMN, static_cast<WPARAM>(i));
  columns_.clear();
}

// ---- TCustomListView ----

TCustomListView::TCustomListView(TComponent* owner)
    : TWinControl(owner), items_(this), columns_(this) {
  SetControlStyle(csClickEvents | csDoubleClicks);
  SetBounds(0, 0, 250, 150);
  SetTabStop(true);
  SetColor(clWindow);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
}

TCustomListView::~TCustomListView() {
  Destroying();
  // Items go first, while the derived parts their handlers look at still exist in the base.
  clearing_ = true;
  for (auto& item : items_.items_) {
    try {
      if (OnDeletion) OnDeletion(this, item.get());
    } catch (...) {
    }
  }
  items_.items_.clear();
}

LRESULT TCustomListView::SendList(UINT msg, WPARAM w, LPARAM l) const {
  HWND wnd = WindowHandle();
  return wnd ? SendMessageW(wnd, msg, w, l) : 0;
}

TListItem* TCustomListView::ItemOfIndex(int index) const {
  if (index < 0 || index >= items_.Count()) return nullptr;
  return items_.items_[static_cast<size_t>(index)].get();
}

int TCustomListView::WindowIndexOf(const TListItem* item) const {
  if (!HandleAllocated()) return -1;
  SyncWindowCount();
  return items_.IndexOf(item);
}

void TCustomListView::SyncWindowCount() const {
  if (!HandleAllocated() || windowCount_ == items_.Count()) return;
  windowCount_ = items_.Count();
  SendList(LVM_SETITEMCOUNT, static_cast<WPARAM>(windowCount_), kCountFlags);
}

void TCustomListView::InsertWindowItem(int index) {
  if (!HandleAllocated()) return;
  if (index == items_.Count() - 1) {
    // Appended: nothing moves; the window hears of it at the update's end.
    if (!Updating()) SyncWindowCount();
    return;
  }
  SyncWindowCount();
  ApplyWindowStates();
  ::InvalidateRect(WindowHandle(), nullptr, TRUE);
}

void TCustomListView::DeleteWindowItem(int index) {
  if (!HandleAllocated()) return;
  SyncWindowCount();
  // The window moves the selection and focus of the items after it.
  if (index < windowCount_) {
    --windowCount_;
    SendList(LVM_DELETEITEM, static_cast<WPARAM>(index));
  }
}

void TCustomListView::ReadWindowStates() {
  if (!HandleAllocated()) return;
  SyncWindowCount();
  for (auto& item : items_.items_) item->state_ &= ~static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED);
  int index = -1;
  int guard = 0;
  while ((index = static_cast<int>(
              SendList(LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED))) >= 0 &&
         guard++ <= items_.Count()) {
    if (TListItem* item = ItemOfIndex(index)) item->state_ |= LVIS_SELECTED;
  }
  if (TListItem* focused = ItemOfIndex(
          static_cast<int>(SendList(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED))))
    focused->state_ |= LVIS_FOCUSED;
}

void TCustomListView::ApplyWindowStates() {
  if (!HandleAllocated()) return;
  SyncWindowCount();
  restoringStates_ = true;
  LVITEMW lv{};
  lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  lv.state = 0;
  SendList(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&lv));
  for (size_t i = 0; i < items_.items_.size(); ++i) {
    const UINT state = items_.items_[i]->state_ & (LVIS_SELECTED | LVIS_FOCUSED);
    if (!state) continue;
    lv.state = state;
    SendList(LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&lv));
  }
  restoringStates_ = false;
}

// Selection and focus go to the window; the bits it does not keep are stored in the items.
void TCustomListView::SetItemStateMessage(TMessage& m) {
  auto* lv = reinterpret_cast<LVITEMW*>(m.LParam);
  const UINT own = lv ? lv->stateMask & kOwnerStateBits : 0;
  if (own) {
    const int index = static_cast<int>(m.WParam);
    auto apply = [&](TListItem* item) {
      if (own & LVIS_OVERLAYMASK)
        item->overlay_ = static_cast<int>((lv->state & LVIS_OVERLAYMASK) >> 8);
      if (own & LVIS_CUT) item->cut_ = (lv->state & LVIS_CUT) != 0;
      if (own & LVIS_DROPHILITED) item->dropHilited_ = (lv->state & LVIS_DROPHILITED) != 0;
      item->Redraw();
    };
    if (index == -1) {
      for (auto& item : items_.items_) apply(item.get());
    } else if (TListItem* item = ItemOfIndex(index)) {
      apply(item);
    }
  }
  if (!lv || !(lv->stateMask & ~kOwnerStateBits)) {
    m.Result = TRUE;
    return;
  }
  LVITEMW rest = *lv;
  rest.stateMask &= ~kOwnerStateBits;
  m.LParam = reinterpret_cast<LPARAM>(&rest);
  TWinControl::WndProc(m);
}

void TCustomListView::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = WC_LISTVIEWW;
  params.Style |= LVS_OWNERDATA | LVS_SHAREIMAGELISTS | ViewStyleBits(viewStyle_);
  if (!multiSelect_) params.Style |= LVS_SINGLESEL;
  if (!hideSelection_) params.Style |= LVS_SHOWSELALWAYS;
  if (!readOnly_) params.Style |= LVS_EDITLABELS;
  if (!showColumnHeaders_) params.Style |= LVS_NOCOLUMNHEADER;
  if (!columnClick_) params.Style |= LVS_NOSORTHEADER;
  if (autoArrange_) params.Style |= LVS_AUTOARRANGE;
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

DWORD TCustomListView::ListExStyle() const {
  DWORD ex = LVS_EX_HEADERDRAGDROP;
  if (rowSelect_) ex |= LVS_EX_FULLROWSELECT;
  if (gridLines_) ex |= LVS_EX_GRIDLINES;
  if (hotTrack_) ex |= LVS_EX_TRACKSELECT;
  return ex;
}

void TCustomListView::CreateWnd() {
  TWinControl::CreateWnd();
  SendList(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(ListExStyle()));
  SendList(LVM_SETCALLBACKMASK, kOwnerStateBits);
  windowCount_ = 0;
  ApplyColors();
  ApplyImageLists();
  PushColumns();
  PushAllItems();
  if (sortColumn_ >= 0) SetSortIndicator(sortColumn_, sortDirection_);
}

void TCustomListView::DestroyWnd() {
  if (HandleAllocated()) {
    ReadWindowStates();
    for (auto& column : columns_.columns_) column->width_ = column->Width();
  }
  editing_ = false;
  TWinControl::DestroyWnd();
}

void TCustomListView::PushColumns() {
  for (auto& column : columns_.columns_) {
    const std::wstring text = Wide(column->caption_);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = ColumnFormat(column->alignment_);
    col.cx = column->width_;
    col.iSubItem = column->index_;
    col.pszText = const_cast<wchar_t*>(text.c_str());
    SendList(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column->index_),
             reinterpret_cast<LPARAM>(&col));
  }
}

void TCustomListView::PushAllItems() {
  if (items_.items_.empty()) return;
  SyncWindowCount();
  ApplyWindowStates();
}

void TCustomListView::ApplyColors() {
  if (!HandleAllocated()) return;
  SendList(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ToColorRef(Font().Color())));
  SendList(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(ToColorRef(Color())));
  SendList(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(ToColorRef(Color())));
}

void TCustomListView::CMColorChanged(TMessage& m) {
  TWinControl::CMColorChanged(m);
  ApplyColors();
  Invalidate();
}

void TCustomListView::CMFontChanged(TMessage& m) {
  TWinControl::CMFontChanged(m);
  ApplyColors();
}

void TCustomListView::ApplyImageLists() {
  SendList(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_));
  SendList(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(largeImages_));
}

void TCustomListView::SetSmallImages(TImageList* images) {
  SetSmallImagesHandle(images ? images->Handle() : nullptr);
}
void TCustomListView::SetLargeImages(TImageList* images) {
  SetLargeImagesHandle(images ? images->Handle() : nullptr);
}
void TCustomListView::SetSmallImagesHandle(HIMAGELIST list) {
  smallImages_ = list;
  SendList(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(list));
}
void TCustomListView::SetLargeImagesHandle(HIMAGELIST list) {
  largeImages_ = list;
  SendList(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
}

void TCustomListView::UpdateStyleBits() {
  if (!HandleAllocated()) return;
  DWORD add = ViewStyleBits(viewStyle_);
  DWORD remove = LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS |
                 LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | LVS_AUTOARRANGE;
  if (!multiSelect_) add |= LVS_SINGLESEL;
  if (!hideSelection_) add |= LVS_SHOWSELALWAYS;
  if (!readOnly_) add |= LVS_EDITLABELS;
  if (!showColumnHeaders_) add |= LVS_NOCOLUMNHEADER;
  if (!columnClick_) add |= LVS_NOSORTHEADER;
  if (autoArrange_) add |= LVS_AUTOARRANGE;
  ChangeStyle(add, remove & ~add);
  SendList(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(ListExStyle()));
  if (autoArrange_ && (viewStyle_ == vsIcon || viewStyle_ == vsSmallIcon))
    SendList(LVM_ARRANGE, LVA_DEFAULT);
  Invalidate();
}

#define KOVRA_LIST_SETTER(Name, field)          \
  void TCustomListView::Set##Name(bool value) { \
    if (field == value) return;                 \
    field = value;                              \
    UpdateStyleBits();                          \
  }
KOVRA_LIST_SETTER(MultiSelect, multiSelect_)
KOVRA_LIST_SETTER(ReadOnly, readOnly_)
KOVRA_LIST_SETTER(HideSelection, hideSelection_)
KOVRA_LIST_SETTER(ShowColumnHeaders, showColumnHeaders_)
KOVRA_LIST_SETTER(ColumnClick, columnClick_)
KOVRA_LIST_SETTER(RowSelect, rowSelect_)
KOVRA_LIST_SETTER(GridLines, gridLines_)
KOVRA_LIST_SETTER(HotTrack, hotTrack_)
KOVRA_LIST_SETTER(AutoArrange, autoArrange_)
#undef KOVRA_LIST_SETTER

void TCustomListView::SetViewStyle(TViewStyle value) {
  if (value == viewStyle_) return;
  viewStyle_ = value;
  UpdateStyleBits();
}

TListItem* TCustomListView::Selected() const {
  if (!HandleAllocated()) {
    for (auto& item : items_.items_)
      if (item->state_ & LVIS_SELECTED) return item.get();
    return nullptr;
  }
  return ItemOfIndex(
      static_cast<int>(SendList(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
}

void TCustomListView::SetSelected(TListItem* item) {
  ClearSelection();
  if (item) {
    item->SetSelected(true);
    item->SetFocused(true);
  }
}

int TCustomListView::SelCount() const {
  if (HandleAllocated()) return static_cast<int>(SendList(LVM_GETSELECTEDCOUNT));
  return static_cast<int>(SelectedItems().size());
}

std::vector<TListItem*> TCustomListView::SelectedItems() const {
  std::vector<TListItem*> out;
  if (!HandleAllocated()) {
    for (auto& item : items_.items_)
      if (item->state_ & LVIS_SELECTED) out.push_back(item.get());
    return out;
  }
  int index = -1;
  while ((index = static_cast<int>(
              SendList(LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED))) >= 0) {
    if (TListItem* item = ItemOfIndex(index)) out.push_back(item);
    if (static_cast<int>(out.size()) > items_.Count()) break;
  }
  return out;
}

TListItem* TCustomListView::ItemFocused() const {
  if (!HandleAllocated()) {
    for (auto& item : items_.items_)
      if (item->state_ & LVIS_FOCUSED) return item.get();
    return nullptr;
  }
  return ItemOfIndex(
      static_cast<int>(SendList(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
}

void TCustomListView::SetItemFocused(TListItem* item) {
  if (item) {
    item->SetFocused(true);
  } else if (TListItem* focused = ItemFocused()) {
    focused->SetFocused(false);
  }
}

void TCustomListView::SelectAll() {
  if (!multiSelect_) return;
  for (auto& item : items_.items_) item->state_ |= LVIS_SELECTED;
  LVITEMW lv{};
  lv.stateMask = LVIS_SELECTED;
  lv.state = LVIS_SELECTED;
  SendList(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&lv));
}

void TCustomListView::ClearSelection() {
  for (auto& item : items_.items_) item->state_ &= ~static_cast<UINT>(LVIS_SELECTED);
  LVITEMW lv{};
  lv.stateMask = LVIS_SELECTED;
  lv.state = 0;
  SendList(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&lv));
}

TListItem* TCustomListView::ItemAt(int x, int y) const {
  if (!HandleAllocated()) return nullptr;
  LVHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  const auto index = static_cast<int>(SendList(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (index < 0 || !(hit.flags & LVHT_ONITEM)) return nullptr;
  return ItemOfIndex(index);
}

TListItem* TCustomListView::FindCaption(std::string_view caption, bool exact) const {
  auto* self = const_cast<TCustomListView*>(this);
  for (auto& item : items_.items_) {
    const std::string text = self->ItemText(item.get(), 0);
    if (exact ? text == caption : text.starts_with(caption)) return item.get();
  }
  return nullptr;
}

void TCustomListView::CustomSort(const TListItemCompare& compare) {
  if (!compare || items_.items_.size() < 2) return;
  ReadWindowStates();
  auto& v = items_.items_;
  std::stable_sort(v.begin(), v.end(),
                   [&](const std::unique_ptr<TListItem>& a, const std::unique_ptr<TListItem>& b) {
                     return compare(a.get(), b.get()) < 0;
                   });
  if (!HandleAllocated()) return;
  ApplyWindowStates();
  if (!Updating()) ::InvalidateRect(WindowHandle(), nullptr, TRUE);
}

void TCustomListView::AlphaSort() {
  CustomSort([this](TListItem* a, TListItem* b) {
    if (OnCompare) {
      int result = 0;
      OnCompare(this, a, b, result);
      return result;
    }
    const std::wstring ta = Wide(ItemText(a, 0)), tb = Wide(ItemText(b, 0));
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, ta.c_str(), -1, tb.c_str(), -1) - 2;
  });
}

HWND TCustomListView::HeaderHandle() const {
  return reinterpret_cast<HWND>(SendList(LVM_GETHEADER));
}

void TCustomListView::SetSortIndicator(int column, TSortDirection direction) {
  sortColumn_ = column;
  sortDirection_ = direction;
  HWND header = HeaderHandle();
  if (!header) return;
  const int count = Header_GetItemCount(header);
  for (int i = 0; i < count; ++i) {
    HDITEMW hd{};
    hd.mask = HDI_FORMAT;
    if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&hd)))
      continue;
    const int old = hd.fmt;
    hd.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == column && direction == sdAscending) hd.fmt |= HDF_SORTUP;
    if (i == column && direction == sdDescending) hd.fmt |= HDF_SORTDOWN;
    if (hd.fmt != old)
      SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&hd));
  }
}

HWND TCustomListView::EditHandle() const {
  return reinterpret_cast<HWND>(SendList(LVM_GETEDITCONTROL));
}

void TCustomListView::EndEditing(bool cancel) {
  if (!editing_) return;
  if (cancel) {
    // Some list views store the typed text on a cancel as well; the flag drops it here.
    cancelEdit_ = true;
    SendList(LVM_CANCELEDITLABEL);
    cancelEdit_ = false;
  } else if (HWND edit = EditHandle()) {
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  }
}

void TCustomListView::BeginUpdate() {
  if (updateCount_++ == 0 && HandleAllocated()) SendList(WM_SETREDRAW, FALSE);
}

void TCustomListView::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0 && HandleAllocated()) {
    SyncWindowCount();
    SendList(WM_SETREDRAW, TRUE);
    ::InvalidateRect(WindowHandle(), nullptr, TRUE);
  }
}

void TCustomListView::Scroll(int dx, int dy) {
  SendList(LVM_SCROLL, static_cast<WPARAM>(dx), dy);
}

std::string TCustomListView::ItemText(TListItem* item, int column) {
  if (column == 0) return item->caption_;
  const auto sub = static_cast<size_t>(column - 1);
  return sub < item->subItems_.size() ? item->subItems_[sub] : std::string();
}

bool TCustomListView::CanEdit(TListItem* item) {
  bool allow = !readOnly_;
  if (OnEditing) OnEditing(this, item, allow);
  return allow;
}

bool TCustomListView::Edited(TListItem* item, std::string& text) {
  if (OnEdited) OnEdited(this, item, text);
  return true;
}

void TCustomListView::Change(TListItem* item, TItemChange change) {
  if (OnChange) OnChange(this, item, change);
}

void TCustomListView::SelectItem(TListItem* item, bool selected) {
  if (OnSelectItem) OnSelectItem(this, item, selected);
}

void TCustomListView::ColumnClicked(TListColumn* column) {
  if (OnColumnClick) OnColumnClick(this, column);
}

void TCustomListView::Deletion(TListItem* item) {
  if (OnDeletion) OnDeletion(this, item);
}

void TCustomListView::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    CNNotify(m);
    return;
  }
  if (m.Msg == LVM_SETITEMSTATE) {
    SetItemStateMessage(m);
    return;
  }
  TWinControl::WndProc(m);
}

void TCustomListView::DispInfo(NMLVDISPINFOW& info) {
  TListItem* item = ItemOfIndex(info.item.iItem);
  if (!item) return;
  if ((info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0) {
    dispText_ = Wide(ItemText(item, info.item.iSubItem));
    lstrcpynW(info.item.pszText, dispText_.c_str(), info.item.cchTextMax);
  }
  if ((info.item.mask & LVIF_IMAGE) && info.item.iSubItem == 0) info.item.iImage = ItemImage(item);
  if (info.item.mask & LVIF_STATE)
    info.item.state = (info.item.state & ~info.item.stateMask) |
                      (item->ShownState() & info.item.stateMask & kOwnerStateBits);
}

// Typing the start of a caption finds the item: the window asks, as it holds no texts.
int TCustomListView::FindItemIndex(const LVFINDINFOW& find, int start) {
  if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.psz) return -1;
  const int count = items_.Count();
  if (count == 0) return -1;
  const std::wstring wanted(find.psz);
  const bool partial = (find.flags & LVFI_PARTIAL) != 0;
  start = std::clamp(start, 0, count);
  const int steps = (find.flags & LVFI_WRAP) ? count : count - start;
  for (int n = 0; n < steps; ++n) {
    const int index = (start + n) % count;
    const std::wstring text = Wide(ItemText(ItemOfIndex(index), 0));
    const int length = partial ? static_cast<int>(std::min(text.size(), wanted.size()))
                               : static_cast<int>(text.size());
    if (partial && text.size() < wanted.size()) continue;
    if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.c_str(), length, wanted.c_str(),
                       static_cast<int>(wanted.size())) == CSTR_EQUAL)
      return index;
  }
  return -1;
}

// A range of items changed selection at once (shift and click).
void TCustomListView::OdStateChanged(const NMLVODSTATECHANGE& change) {
  if (clearing_ || restoringStates_) return;
  const int last = std::min(change.iTo, items_.Count() - 1);
  for (int i = std::max(change.iFrom, 0); i <= last; ++i) {
    TListItem* item = ItemOfIndex(i);
    const UINT old = item->state_;
    item->state_ = (old & ~static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED)) |
                   (change.uNewState & (LVIS_SELECTED | LVIS_FOCUSED));
    if ((old ^ item->state_) & LVIS_SELECTED) SelectItem(item, (item->state_ & LVIS_SELECTED) != 0);
    Change(item, ctState);
  }
}

void TCustomListView::CNNotify(TMessage& m) {
  auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
  switch (hdr->code) {
    case LVN_GETDISPINFOW:
      DispInfo(*reinterpret_cast<NMLVDISPINFOW*>(m.LParam));
      break;
    case LVN_ITEMCHANGED: {
      const auto* nm = reinterpret_cast<NMLISTVIEW*>(m.LParam);
      if (clearing_ || restoringStates_ || !(nm->uChanged & LVIF_STATE)) break;
      TListItem* item = ItemOfIndex(nm->iItem);
      if (nm->iItem < 0) {  // all items at once: each one whose selection changed is told
        for (auto& each : items_.items_) {
          const UINT old = each->state_;
          each->state_ =
              (old & ~static_cast<UINT>(LVIS_SELECTED)) | (nm->uNewState & LVIS_SELECTED);
          if ((old ^ each->state_) & LVIS_SELECTED) {
            SelectItem(each.get(), (each->state_ & LVIS_SELECTED) != 0);
            Change(each.get(), ctState);
          }
        }
        break;
      }
      if (!item) break;
      item->state_ = nm->uNewState & (LVIS_SELECTED | LVIS_FOCUSED);
      if ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED)
        SelectItem(item, (nm->uNewState & LVIS_SELECTED) != 0);
      Change(item, ctState);
      break;
    }
    case LVN_ODSTATECHANGED:
      OdStateChanged(*reinterpret_cast<const NMLVODSTATECHANGE*>(m.LParam));
      break;
    case LVN_ODFINDITEMW: {
      const auto* nm = reinterpret_cast<const NMLVFINDITEMW*>(m.LParam);
      m.Result = FindItemIndex(nm->lvfi, nm->iStart);
      break;
    }
    case LVN_COLUMNCLICK: {
      const auto* nm = reinterpret_cast<NMLISTVIEW*>(m.LParam);
      if (nm->iSubItem >= 0 && nm->iSubItem < columns_.Count())
        ColumnClicked(columns_.Item(nm->iSubItem));
      break;
    }
    case LVN_BEGINLABELEDITW: {
      const auto* nm = reinterpret_cast<NMLVDISPINFOW*>(m.LParam);
      TListItem* item = ItemOfIndex(nm->item.iItem);
      const bool allow = item && CanEdit(item);
      editing_ = allow;
      m.Result = allow ? FALSE : TRUE;
      break;
    }
    case LVN_ENDLABELEDITW: {
      const auto* nm = reinterpret_cast<NMLVDISPINFOW*>(m.LParam);
      editing_ = false;
      m.Result = FALSE;  // the caption stays a callback; a new one is stored here
      TListItem* item = ItemOfIndex(nm->item.iItem);
      if (!item || !nm->item.pszText || cancelEdit_) break;
      std::string text = Narrow(nm->item.pszText);
      if (Edited(item, text)) {
        item->caption_ = text;
        item->Update();
        Change(item, ctText);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace kovra
