// TCustomComboBox over the system COMBOBOX class, and its item list.
#include "framework/StdComboBox.h"

#include <commctrl.h>

#include <algorithm>
#include <numeric>

#include "framework/Application.h"
#include "framework/CanvasScope.h"
#include "framework/Forms.h"
#include "framework/Handles.h"

namespace kovra {

namespace {

constexpr UINT_PTR kEditSubclassId = 0x4B43;

// The system list's own order: the user's locale, case ignored.
int CompareItemTexts(std::string_view a, std::string_view b) {
  const std::wstring wa = Wide(a), wb = Wide(b);
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.c_str(),
                        static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size())) -
         CSTR_EQUAL;
}

DWORD StyleBits(TComboBoxStyle style) {
  switch (style) {
    case csSimple:
      return CBS_SIMPLE;
    case csDropDownList:
      return CBS_DROPDOWNLIST;
    case csOwnerDrawFixed:
      return CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED;
    case csOwnerDrawVariable:
      return CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE;
    default:
      return CBS_DROPDOWN;
  }
}

}  // namespace

// ---- TComboItems ----

void TComboItems::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
}

const std::string& TComboItems::Strings(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].text;
}

void* TComboItems::Objects(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].data;
}

void TComboItems::SetObjects(int index, void* data) {
  CheckIndex(index);
  items_[static_cast<size_t>(index)].data = data;
  owner_.SendCombo(CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(data));
}

int TComboItems::SortedPlace(std::string_view text) const {
  auto it = std::upper_bound(
      items_.begin(), items_.end(), text,
      [](std::string_view t, const Item& item) { return CompareItemTexts(t, item.text) < 0; });
  return static_cast<int>(it - items_.begin());
}

int TComboItems::Add(std::string_view text, void* data) {
  const int index = owner_.Sorted() ? SortedPlace(text) : Count();
  items_.insert(items_.begin() + index, Item{std::string(text), data});
  owner_.WindowInsert(index);
  owner_.ItemInserted(index);
  return index;
}

void TComboItems::Insert(int index, std::string_view text, void* data) {
  if (owner_.Sorted()) throw EInvalidOperation("Operation not allowed on sorted list");
  if (index != Count()) CheckIndex(index);
  items_.insert(items_.begin() + index, Item{std::string(text), data});
  owner_.WindowInsert(index);
  owner_.ItemInserted(index);
}

void TComboItems::SetStrings(int index, std::string_view text) {
  CheckIndex(index);
  if (items_[static_cast<size_t>(index)].text == text) return;
  const int selected = owner_.ItemIndex();
  items_[static_cast<size_t>(index)].text = text;
  owner_.WindowDelete(index);
  owner_.WindowInsert(index);
  if (selected == index) owner_.SetItemIndex(index);
  if (!owner_.Sorted()) return;
  const std::vector<int> order = Sort();
  if (std::is_sorted(order.begin(), order.end())) return;
  owner_.FillWindowItems();
  owner_.ItemsReordered(order);
  if (selected >= 0)
    owner_.SetItemIndex(
        static_cast<int>(std::find(order.begin(), order.end(), selected) - order.begin()));
}

void TComboItems::Delete(int index) {
  CheckIndex(index);
  owner_.ItemDeleting(index);
  CheckIndex(index);  // the handler may have changed the list
  items_.erase(items_.begin() + index);
  owner_.WindowDelete(index);
}

void TComboItems::Clear() {
  BeginUpdate();
  struct End {
    TComboItems& items;
    ~End() { items.EndUpdate(); }
  } end{*this};
  while (Count() > 0) Delete(Count() - 1);
}

void TComboItems::Assign(const std::vector<std::string>& texts) {
  BeginUpdate();
  struct End {
    TComboItems& items;
    ~End() { items.EndUpdate(); }
  } end{*this};
  Clear();
  for (const std::string& t : texts) Add(t);
}

int TComboItems::IndexOf(std::string_view text) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareItemTexts(items_[static_cast<size_t>(i)].text, text) == 0) return i;
  return -1;
}

std::vector<std::string> TComboItems::Texts() const {
  std::vector<std::string> out;
  out.reserve(items_.size());
  for (const Item& item : items_) out.push_back(item.text);
  return out;
}

std::vector<int> TComboItems::Sort() {
  std::vector<int> order(items_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
    return CompareItemTexts(items_[static_cast<size_t>(a)].text,
                            items_[static_cast<size_t>(b)].text) < 0;
  });
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  for (int i : order) sorted.push_back(std::move(items_[static_cast<size_t>(i)]));
  items_ = std::move(sorted);
  return order;
}

void TComboItems::BeginUpdate() {
  if (updateCount_++ == 0 && owner_.HandleAllocated())
    SendMessageW(owner_.WindowHandle(), WM_SETREDRAW, FALSE, 0);
}

void TComboItems::EndUpdate() {
  if (updateCount_ == 0 || --updateCount_ > 0 || !owner_.HandleAllocated()) return;
  SendMessageW(owner_.WindowHandle(), WM_SETREDRAW, TRUE, 0);
  owner_.Invalidate();
}

// ---- TCustomComboBox: the window ----

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner) {
  SetControlStyle(csDoubleClicks | csFixedHeight);
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetColor(clWindow);
}

TCustomComboBox::~TCustomComboBox() {
  Destroying();
  UnhookEdit();
}

LRESULT TCustomComboBox::SendCombo(UINT msg, WPARAM w, LPARAM l) const {
  HWND wnd = WindowHandle();
  return wnd ? SendMessageW(wnd, msg, w, l) : 0;
}

void TCustomComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"COMBOBOX";
  params.Style &= ~static_cast<DWORD>(WS_CLIPCHILDREN);
  params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL | CBS_HASSTRINGS | StyleBits(style_);
  if (charCase_ == ecUpperCase) params.Style |= CBS_UPPERCASE;
  if (charCase_ == ecLowerCase) params.Style |= CBS_LOWERCASE;
  if (style_ != csSimple) params.Height += ListHeight();
}

void TCustomComboBox::CreateWnd() {
  const std::string text = StoredText();
  TWinControl::CreateWnd();
  HookParts();
  ApplyItemHeights();
  FillWindowItems();
  SendCombo(CB_LIMITTEXT, static_cast<WPARAM>(maxLength_));
  SendCombo(CB_SETMINVISIBLE, static_cast<WPARAM>(dropDownCount_));
  if (droppedWidth_ > 0) SendCombo(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(droppedWidth_));
  SendCombo(CB_SETCURSEL, static_cast<WPARAM>(savedIndex_));
  if (IsEditable() && savedIndex_ < 0) SetWindowTextW(WindowHandle(), Wide(text).c_str());
}

void TCustomComboBox::DestroyWnd() {
  if (HandleAllocated()) savedIndex_ = ItemIndex();
  UnhookEdit();
  TWinControl::DestroyWnd();
  list_ = nullptr;
}

void TCustomComboBox::HookParts() {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!GetComboBoxInfo(WindowHandle(), &info)) return;
  list_ = info.hwndList;
  if (info.hwndItem && info.hwndItem != WindowHandle()) {
    edit_ = info.hwndItem;
    SetWindowSubclass(edit_, &EditSubclassProc, kEditSubclassId, reinterpret_cast<DWORD_PTR>(this));
  }
}

void TCustomComboBox::UnhookEdit() {
  if (!edit_) return;
  RemoveWindowSubclass(edit_, &EditSubclassProc, kEditSubclassId);
  edit_ = nullptr;
}

void TCustomComboBox::FillWindowItems() {
  if (!HandleAllocated()) return;
  SendCombo(CB_RESETCONTENT);
  for (int i = 0; i < items_.Count(); ++i) WindowInsert(i);
}

void TCustomComboBox::WindowInsert(int index) {
  if (!HandleAllocated()) {
    if (savedIndex_ >= index) ++savedIndex_;
    return;
  }
  const std::wstring text = Wide(items_.Strings(index));
  const LRESULT at = SendCombo(CB_INSERTSTRING, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(text.c_str()));
  if (at < 0) throw Exception("The list cannot hold another item");
  SendCombo(CB_SETITEMDATA, static_cast<WPARAM>(index),
            reinterpret_cast<LPARAM>(items_.Objects(index)));
  if (style_ == csOwnerDrawVariable) {
    int height = itemHeight_;
    MeasureItem(index, height);
    SendCombo(CB_SETITEMHEIGHT, static_cast<WPARAM>(index), height);
  }
}

void TCustomComboBox::WindowDelete(int index) {
  if (!HandleAllocated()) {
    if (savedIndex_ == index)
      savedIndex_ = -1;
    else if (savedIndex_ > index)
      --savedIndex_;
    return;
  }
  SendCombo(CB_DELETESTRING, static_cast<WPARAM>(index));
}

void TCustomComboBox::ApplyItemHeights() {
  if (!HandleAllocated() || (style_ != csOwnerDrawFixed && style_ != csOwnerDrawVariable)) return;
  SendCombo(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), itemHeight_);
  if (style_ == csOwnerDrawFixed) SendCombo(CB_SETITEMHEIGHT, 0, itemHeight_);
}

int TCustomComboBox::ListHeight() const {
  const int rows = std::max(1, std::min(dropDownCount_, std::max(items_.Count(), 1)));
  return rows * ItemHeight() + 2;
}

// The height asked for is the closed height; the window itself also spans the open list.
void TCustomComboBox::SetBounds(int left, int top, int width, int height) {
  if (!HandleAllocated() || style_ == csSimple) {
    TWinControl::SetBounds(left, top, width, height);
    return;
  }
  width = std::max(width, 0);
  if (left == Left() && top == Top() && width == Width()) return;
  UpdateBoundsFields(left, top, width, Height());
  SetWindowPos(WindowHandle(), nullptr, left, top, width, Height() + ListHeight(),
               SWP_NOZORDER | SWP_NOACTIVATE);
  RequestAlign();
}

// ---- properties ----

int TCustomComboBox::ItemIndex() const {
  if (!HandleAllocated()) return savedIndex_;
  return static_cast<int>(SendCombo(CB_GETCURSEL));
}

void TCustomComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= items_.Count()) index = -1;
  savedIndex_ = index;
  SendCombo(CB_SETCURSEL, static_cast<WPARAM>(index));
}

std::string TCustomComboBox::Text() const {
  if (HandleAllocated()) return WindowText(WindowHandle());
  if (!IsEditable()) return savedIndex_ >= 0 ? items_.Strings(savedIndex_) : std::string();
  return StoredText();
}

void TCustomComboBox::TextChanging(const std::string& text) {
  if (!IsEditable()) {
    SetItemIndex(items_.IndexOf(text));
    return;
  }
  TWinControl::TextChanging(text);
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  if (value == style_) return;
  style_ = value;
  RecreateWnd();
}

void TCustomComboBox::SetSorted(bool value) {
  if (value == sorted_) return;
  sorted_ = value;
  if (!value) return;
  const int selected = ItemIndex();
  const std::vector<int> order = items_.Sort();
  if (std::is_sorted(order.begin(), order.end())) return;
  FillWindowItems();
  ItemsReordered(order);
  if (selected >= 0)
    SetItemIndex(static_cast<int>(std::find(order.begin(), order.end(), selected) - order.begin()));
}

void TCustomComboBox::SetDropDownCount(int value) {
  value = std::max(value, 1);
  if (value == dropDownCount_) return;
  dropDownCount_ = value;
  SendCombo(CB_SETMINVISIBLE, static_cast<WPARAM>(value));
}

void TCustomComboBox::SetMaxLength(int value) {
  value = std::max(value, 0);
  if (value == maxLength_) return;
  maxLength_ = value;
  SendCombo(CB_LIMITTEXT, static_cast<WPARAM>(value));
}

void TCustomComboBox::SetCharCase(TEditCharCase value) {
  if (value == charCase_) return;
  charCase_ = value;
  RecreateWnd();
}

int TCustomComboBox::ItemHeight() const {
  if (HandleAllocated() && style_ != csOwnerDrawFixed && style_ != csOwnerDrawVariable) {
    const LRESULT h = SendCombo(CB_GETITEMHEIGHT, 0);
    if (h > 0) return static_cast<int>(h);
  }
  return itemHeight_;
}

void TCustomComboBox::SetItemHeight(int value) {
  value = std::clamp(value, 1, 255);
  if (value == itemHeight_) return;
  itemHeight_ = value;
  ApplyItemHeights();
  Invalidate();
}

bool TCustomComboBox::DroppedDown() const {
  return SendCombo(CB_GETDROPPEDSTATE) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value) {
  SendCombo(CB_SHOWDROPDOWN, value ? TRUE : FALSE);
}

int TCustomComboBox::DroppedWidth() const {
  if (!HandleAllocated()) return droppedWidth_;
  return static_cast<int>(SendCombo(CB_GETDROPPEDWIDTH));
}

void TCustomComboBox::SetDroppedWidth(int value) {
  droppedWidth_ = std::max(value, 0);
  SendCombo(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(droppedWidth_));
}

bool TCustomComboBox::HasFocus() const {
  HWND focus = GetFocus();
  return HandleAllocated() && focus && (focus == WindowHandle() || focus == edit_);
}

// ---- edit selection ----

int TCustomComboBox::SelStart() const {
  DWORD start = 0, end = 0;
  if (edit_)
    SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

void TCustomComboBox::SetSelStart(int value) {
  if (edit_) SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(value), value);
}

int TCustomComboBox::SelLength() const {
  DWORD start = 0, end = 0;
  if (edit_)
    SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end) - static_cast<int>(start);
}

void TCustomComboBox::SetSelLength(int value) {
  const int start = SelStart();
  if (edit_) SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(start), start + std::max(value, 0));
}

std::string TCustomComboBox::SelText() const {
  const std::wstring all = Wide(Text());
  const auto n = static_cast<int>(all.size());
  const int start = std::clamp(SelStart(), 0, n);
  const int len = std::clamp(SelLength(), 0, n - start);
  return Narrow(
      std::wstring_view(all).substr(static_cast<size_t>(start), static_cast<size_t>(len)));
}

void TCustomComboBox::SelectAll() {
  if (edit_) SendMessageW(edit_, EM_SETSEL, 0, -1);
}

// ---- events ----

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::MeasureItem(int index, int& height) {
  if (OnMeasureItem) OnMeasureItem(this, index, height);
}

void TCustomComboBox::DrawItem(int index, RECT rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  canvas_.FillRect(rect);
  if (index < 0 || index >= items_.Count()) return;
  RECT r = rect;
  r.left += 2;
  canvas_.DrawText(items_.Strings(index), r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// ---- messages ----

void TCustomComboBox::CNCommand(TMessage& m) {
  if (ControlState() & csCreating) return;
  switch (HIWORD(m.WParam)) {
    case CBN_EDITCHANGE:
      Change();
      break;
    case CBN_SELCHANGE:
      savedIndex_ = ItemIndex();
      Click();
      Select();
      if (autoCloseUp_ && DroppedDown() && !(GetKeyState(VK_LBUTTON) & 0x8000))
        SetDroppedDown(false);
      break;
    case CBN_DROPDOWN:
      // Before the list shows: the window's full height decides how many rows it gets.
      if (style_ != csSimple)
        SetWindowPos(WindowHandle(), nullptr, 0, 0, Width(), Height() + ListHeight(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
      DropDown();
      break;
    case CBN_CLOSEUP:
      CloseUp();
      break;
    case CBN_SELENDOK:
      SelEndOk();
      break;
    case CBN_SELENDCANCEL:
      SelEndCancel();
      break;
    case CBN_SETFOCUS:
      if (TForm* form = GetParentForm(this)) form->FocusChanged(this);
      DoEnter();
      break;
    case CBN_KILLFOCUS:
      DoExit();
      break;
    default:
      break;
  }
}

// The canvas is bound to the item's DC for the painter and detached on every path.
void TCustomComboBox::CNDrawItem(TMessage& m) {
  const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
  const TCanvasOnDC attached(canvas_, dis->hDC);
  canvas_.Font().Assign(Font());
  canvas_.Brush().SetColor(Color());
  const auto state = static_cast<TOwnerDrawState>(dis->itemState);
  const int index = static_cast<int>(dis->itemID);
  RECT r = dis->rcItem;
  if (index >= 0 && index < items_.Count()) {
    if (state & odSelected) {
      canvas_.Brush().SetColor(clHighlight);
      canvas_.Font().SetColor(clHighlightText);
    }
    DrawItem(index, r, state);
    if ((state & odFocused) && (state & odSelected) && ShowFocusRect()) DrawFocusRect(dis->hDC, &r);
  } else {
    canvas_.FillRect(r);
    if (state & odFocused) DrawFocusRect(dis->hDC, &r);
  }
  m.Result = TRUE;
}

void TCustomComboBox::CNMeasureItem(TMessage& m) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
  int height = itemHeight_;
  if (style_ == csOwnerDrawVariable && static_cast<int>(mis->itemID) >= 0)
    MeasureItem(static_cast<int>(mis->itemID), height);
  mis->itemHeight = static_cast<UINT>(height);
  m.Result = TRUE;
}

void TCustomComboBox::WMChildColor(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  SetTextColor(dc, ToColorRef(Font().Color()));
  SetBkColor(dc, ToColorRef(Color()));
  m.Result = reinterpret_cast<LRESULT>(ColorBrush());
}

// Focus reaches the framework through CBN_SETFOCUS/CBN_KILLFOCUS: the combo window hands the
// focus straight on to its edit part, and that passage must not count as leaving.
void TCustomComboBox::WMSetFocus(TMessage& m) {
  DefaultHandler(m);
}

void TCustomComboBox::WMKillFocus(TMessage& m) {
  DefaultHandler(m);
}

void TCustomComboBox::CMFontChanged(TMessage& m) {
  TWinControl::CMFontChanged(m);
  // The system sizes the selection field from the font; take the new height.
  if (HandleAllocated())
    SetWindowPos(WindowHandle(), nullptr, 0, 0, Width(), Height() + ListHeight(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomComboBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      CNCommand(m);
      return;
    case CN_DRAWITEM:
      CNDrawItem(m);
      return;
    case CN_MEASUREITEM:
      CNMeasureItem(m);
      return;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
      WMChildColor(m);
      return;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

// ---- the edit part ----

LRESULT CALLBACK TCustomComboBox::EditSubclassProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR,
                                                   DWORD_PTR ref) {
  auto* self = reinterpret_cast<TCustomComboBox*>(ref);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(wnd, &EditSubclassProc, kEditSubclassId);
    if (TWindowObject::IsAlive(self) && self->edit_ == wnd) self->edit_ = nullptr;
    return DefSubclassProc(wnd, msg, w, l);
  }
  if (!TWindowObject::IsAlive(self) || self->edit_ != wnd) return DefSubclassProc(wnd, msg, w, l);
  TMessage m{msg, w, l, 0};
  try {
    self->EditWndProc(m);
  } catch (...) {
    Application().HandleException(self);
  }
  return m.Result;
}

LRESULT TCustomComboBox::CallEditDefault(TMessage& m) {
  m.Result = edit_ ? DefSubclassProc(edit_, m.Msg, m.WParam, m.LParam) : 0;
  return m.Result;
}

void TCustomComboBox::EditWndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = static_cast<WORD>(m.WParam);
      if (DoKeyDown(key, KeyboardShiftState())) return;
      m.WParam = key;
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = static_cast<WORD>(m.WParam);
      if (DoKeyUp(key, KeyboardShiftState())) return;
      m.WParam = key;
      break;
    }
    case WM_CHAR: {
      wchar_t key = static_cast<wchar_t>(m.WParam);
      if (DoKeyPress(key)) return;
      m.WParam = key;
      break;
    }
    default:
      break;
  }
  CallEditDefault(m);
}

}  // namespace kovra
