// The Send To submenu filled, drawn and sent by the shell controls.
#include "shell/RzShellSendTo.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

#include "framework/Controls.h"
#include "framework/runtime/Text.h"
#include "shell/RzShellSendToLogic.h"
#include "shell/RzShellUtils.h"

namespace kovra {

namespace {

constexpr int kIconLeft = 8;  // from the item's left edge, at 96 pixels per inch
constexpr int kTextLeft = 32;
constexpr int kTextRightGap = 8;
constexpr int kVerticalGap = 4;
// The entries' commands stay below the shell's first command (1000) in the same menu.
constexpr std::size_t kMaxEntries = 999;

std::vector<TRzSendToEntry>& Entries() {
  static std::vector<TRzSendToEntry> entries;
  return entries;
}

bool LoneGreyedItem(HMENU popup) {
  if (GetMenuItemCount(popup) != 1) return false;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU;
  if (!GetMenuItemInfoW(popup, 0, TRUE, &info)) return false;
  return (info.fState & MFS_GRAYED) && !(info.fType & MFT_SEPARATOR) && !info.hSubMenu;
}

FontHandle MenuFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return {};
  return FontHandle(CreateFontIndirectW(&metrics.lfMenuFont));
}

SIZE SmallIconSize() {
  int cx = 0, cy = 0;
  if (!ImageList_GetIconSize(SystemImageList(sisSmall), &cx, &cy)) {
    cx = GetSystemMetrics(SM_CXSMICON);
    cy = GetSystemMetrics(SM_CYSMICON);
  }
  return SIZE{cx, cy};
}

// The item under the keyboard's highlight, or -1.
int HighlightedItem(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i)
    if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) return i;
  return -1;
}

}  // namespace

// ---- Entries ----

const std::vector<TRzSendToEntry>& ReadSendToEntries() {
  std::vector<TRzSendToEntry>& entries = Entries();
  entries.clear();
  const std::string folder = SpecialFolderPath(nullptr, kSendToFolder);
  if (folder.empty()) return entries;
  const std::string prefix = folder.back() == '\\' ? folder : folder + "\\";
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(Wide(prefix + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
    TRzSendToEntry entry;
    entry.FileName = Narrow(found.cFileName);
    entry.Caption = SendToCaption(entry.FileName);
    const TRzShellFileInfo info = FileInfoOfPath(prefix + entry.FileName, SHGFI_SMALLICON);
    entry.IconIndex = info.Result ? info.IconIndex() : -1;
    entries.push_back(std::move(entry));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  std::sort(entries.begin(), entries.end(), [](const TRzSendToEntry& a, const TRzSendToEntry& b) {
    const std::wstring wa = Wide(a.FileName), wb = Wide(b.FileName);
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.c_str(), -1, wb.c_str(), -1) ==
           CSTR_LESS_THAN;
  });
  return entries;
}

// ---- TRzSendToMenu ----

bool TRzSendToMenu::InitPopup(HMENU popup) {
  if (!popup || !LoneGreyedItem(popup)) return false;
  std::vector<TRzSendToEntry> entries = ReadSendToEntries();
  if (entries.empty()) return false;
  if (entries.size() > kMaxEntries) entries.resize(kMaxEntries);
  DeleteMenu(popup, 0, MF_BYPOSITION);
  for (std::size_t i = 0; i < entries.size(); ++i)
    AppendMenuW(popup, MF_OWNERDRAW, i + 1, reinterpret_cast<LPCWSTR>(kItemTag));
  popup_ = popup;
  entries_ = std::move(entries);
  if (!font_) font_ = MenuFont();
  return true;
}

const TRzSendToEntry* TRzSendToMenu::EntryOf(UINT itemId, ULONG_PTR itemData) const {
  if (itemData != kItemTag || !IsCommand(itemId)) return nullptr;
  return &entries_[itemId - 1];
}

bool TRzSendToMenu::HandleMessage(TMessage& m) {
  if (!popup_) return false;
  switch (m.Msg) {
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
      if (m.WParam != 0 || item->CtlType != ODT_MENU || !EntryOf(item->itemID, item->itemData))
        return false;
      Measure(*item);
      m.Result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
      if (m.WParam != 0 || item->CtlType != ODT_MENU || !EntryOf(item->itemID, item->itemData))
        return false;
      Draw(*item);
      m.Result = TRUE;
      return true;
    }
    case WM_MENUCHAR:
      if (reinterpret_cast<HMENU>(m.LParam) != popup_) return false;
      m.Result = MenuChar(m.WParam);
      return true;
    default:
      return false;
  }
}

void TRzSendToMenu::Measure(MEASUREITEMSTRUCT& item) const {
  const TRzSendToEntry& entry = *EntryOf(item.itemID, item.itemData);
  WindowDC screen(nullptr);
  SIZE text{};
  if (screen.Get()) {
    SelectObjectScope select(screen.Get(), font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
    const std::wstring caption = Wide(entry.Caption);
    GetTextExtentPoint32W(screen.Get(), caption.c_str(), static_cast<int>(caption.size()), &text);
  }
  const SIZE icon = SmallIconSize();
  item.itemWidth = static_cast<UINT>(control_.ScaleValue(kTextLeft) + text.cx +
                                     control_.ScaleValue(kTextRightGap));
  item.itemHeight =
      static_cast<UINT>(std::max(icon.cy, text.cy) + control_.ScaleValue(kVerticalGap));
}

void TRzSendToMenu::Draw(const DRAWITEMSTRUCT& item) const {
  const TRzSendToEntry& entry = *EntryOf(item.itemID, item.itemData);
  const HDC dc = item.hDC;
  SavedDC saved(dc);
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool greyed = (item.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  RECT r = item.rcItem;
  BrushHandle back(CreateSolidBrush(GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU)));
  FillRect(dc, &r, back.Get());
  const SIZE icon = SmallIconSize();
  if (entry.IconIndex >= 0)
    ImageList_Draw(SystemImageList(sisSmall), entry.IconIndex, dc,
                   r.left + control_.ScaleValue(kIconLeft),
                   r.top + (r.bottom - r.top - icon.cy) / 2, ILD_TRANSPARENT);
  SelectObject(dc, font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(
      dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : (greyed ? COLOR_GRAYTEXT : COLOR_MENUTEXT)));
  RECT text = r;
  text.left += control_.ScaleValue(kTextLeft);
  std::wstring caption = Wide(entry.Caption);
  DrawTextW(dc, caption.data(), static_cast<int>(caption.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

LRESULT TRzSendToMenu::MenuChar(WPARAM wParam) const {
  std::vector<char32_t> keys;
  keys.reserve(entries_.size());
  for (const TRzSendToEntry& entry : entries_) keys.push_back(MenuCharKey(entry.Caption));
  const wchar_t typed[2] = {static_cast<wchar_t>(LOWORD(wParam)), 0};
  const TRzMenuCharMatch match =
      MatchMenuChar(keys, MenuCharKey(Narrow(typed)), HighlightedItem(popup_));
  if (match.Index < 0) return MAKELRESULT(0, MNC_IGNORE);
  return MAKELRESULT(match.Index, match.Unique ? MNC_EXECUTE : MNC_SELECT);
}

bool TRzSendToMenu::Send(UINT command, IDataObject* data, HWND owner) const {
  if (!IsCommand(command) || !data) return false;
  TRzPidl folderList;
  TShellFolderPtr folder;
  if (FAILED(SpecialFolderLocation(owner, kSendToFolder, folderList)) ||
      FAILED(BindToFolder(folderList.Get(), folder)) || !folder)
    return false;
  std::wstring name = Wide(entries_[command - 1].FileName);
  TRzPidl child;
  if (FAILED(folder->ParseDisplayName(owner, nullptr, name.data(), nullptr,
                                      child.Put<ITEMIDLIST_RELATIVE>(), nullptr)) ||
      !child)
    return false;
  ComPtr<IDropTarget> target;
  PCUITEMID_CHILD children[] = {AsChild(child.Get())};
  if (FAILED(
          folder->GetUIObjectOf(owner, 1, children, IID_IDropTarget, nullptr, target.PutVoid())) ||
      !target)
    return false;
  DropDataOn(target.Get(), data);
  return true;
}

// ---- DropDataOn ----

HRESULT DropDataOn(IDropTarget* target, IDataObject* data) {
  if (!target || !data) return E_POINTER;
  TScreenCursor hourglass(crHourGlass);
  const POINTL origin{0, 0};
  DWORD effect = DROPEFFECT_COPY;
  HRESULT hr = target->DragEnter(data, MK_LBUTTON, origin, &effect);
  if (FAILED(hr)) return hr;
  effect = DROPEFFECT_COPY;
  hr = target->DragOver(MK_LBUTTON, origin, &effect);
  // A target that refuses the data is left, not dropped on.
  if (FAILED(hr) || effect == DROPEFFECT_NONE) {
    target->DragLeave();
    return FAILED(hr) ? hr : S_FALSE;
  }
  effect = DROPEFFECT_COPY;
  return target->Drop(data, MK_LBUTTON, origin, &effect);
}

}  // namespace kovra
