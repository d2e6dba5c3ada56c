// The open/save window: built in code, configured by the file dialogs, with the checks that
// decide whether the typed text names files the dialog may return.
#include "shell/RzShellOpenForm.h"

#include <shlobj.h>

#include <algorithm>
#include <utility>

#include "framework/Application.h"
#include "framework/Registry.h"
#include "controls/RzCommonText.h"
#include "framework/runtime/Text.h"
#include "shell/RzShellDialogs.h"
#include "shell/RzShellUtils.h"

namespace kovra {

namespace {

constexpr int kPlacesWidth = 105;
constexpr int kPlaceButtonWidth = 87;
constexpr int kPlaceButtonHeight = 65;
constexpr int kPlacesTop = 39;
constexpr int kToolTop = 8;
constexpr int kToolButtonSize = 23;
constexpr int kComboWidth = 253;
constexpr int kEditsHeight = 90;
constexpr int kPushButtonWidth = 75;
constexpr int kPushButtonHeight = 23;
constexpr int kGripSize = 13;
constexpr int kGap = 8;

constexpr TRzString kPlaceCaptions[kMaxPlaces] = {rsPlaceRecent, rsPlaceDesktop, rsPlaceDocuments,
                                                  rsPlaceComputer, rsPlaceNetwork};

std::string Format1(std::string_view format, std::string_view arg) {
  std::string text(format);
  if (const std::size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

std::string UpperCase(std::string_view text) {
  std::wstring wide = Wide(text);
  if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return Narrow(wide);
}

bool FileExistsNotFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ClassKeyExists(std::string_view ext) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Wide(ext).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

// The system's limit for an expanded string; anything longer stays as it was written.
std::string ExpandEnvironment(const std::string& text) {
  const std::wstring raw = Wide(text);
  const DWORD needed = ExpandEnvironmentStringsW(raw.c_str(), nullptr, 0);
  if (needed == 0 || needed > 32768) return text;
  std::wstring expanded(needed, L'\0');
  const DWORD n = ExpandEnvironmentStringsW(raw.c_str(), expanded.data(), needed);
  if (n == 0 || n > needed) return text;
  expanded.resize(n - 1);
  return Narrow(expanded);
}

// Upper-cased, without a trailing backslash unless it is a drive's root.
std::string ComparablePath(std::string_view path) {
  std::string result = UpperCase(path);
  if (result.size() > 3 && result.back() == '\\') result.pop_back();
  return result;
}

std::string WithTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

// The six tool-bar pictures, 16 x 16 each: up one level, desktop, new folder, tree, list,
// details. Drawn here rather than shipped as a bitmap.
constexpr TColor kToolbarMask = RGBColor(255, 0, 255);
constexpr int kToolbarGlyphs = 6, kToolbarGlyphSize = 16;

void DrawToolbarGlyphs(TBitmap& strip) {
  constexpr TColor kMask = kToolbarMask;
  constexpr TColor kInk = RGBColor(0, 0, 0);
  constexpr TColor kFolder = RGBColor(240, 200, 80);
  constexpr TColor kFolderEdge = RGBColor(160, 120, 20);
  constexpr TColor kBlue = RGBColor(0, 70, 190);
  constexpr TColor kGreen = RGBColor(0, 140, 0);
  strip.SetSize(16 * 6, 16);
  TCanvas& c = strip.Canvas();
  c.Brush().SetColor(kMask);
  c.FillRect(RECT{0, 0, 16 * 6, 16});
  auto folder = [&](int x) {
    c.Brush().SetColor(kFolder);
    c.Pen().SetColor(kFolderEdge);
    c.Rectangle(x + 1, 5, x + 14, 14);
    c.Rectangle(x + 1, 3, x + 7, 6);
  };
  auto line = [&](std::initializer_list<POINT> points, TColor color) {
    c.Pen().SetColor(color);
    c.Polyline(std::span<const POINT>(points.begin(), points.size()));
  };
  // Up one level: a folder with an arrow bending up and left.
  folder(0);
  line({{8, 12}, {11, 12}, {11, 7}, {6, 7}}, kGreen);
  line({{8, 5}, {6, 7}, {8, 9}}, kGreen);
  // Desktop: a screen on a stand.
  c.Brush().SetColor(RGBColor(0, 128, 128));
  c.Pen().SetColor(kInk);
  c.Rectangle(16 + 1, 2, 16 + 15, 12);
  line({{16 + 6, 13}, {16 + 10, 13}}, kInk);
  line({{16 + 4, 14}, {16 + 12, 14}}, kInk);
  // New folder: a folder with a spark.
  folder(32);
  line({{32 + 12, 0}, {32 + 12, 5}}, kBlue);
  line({{32 + 10, 2}, {32 + 15, 2}}, kBlue);
  // Tree: a stem with three branches.
  line({{48 + 3, 2}, {48 + 3, 13}}, kInk);
  for (int y : {4, 8, 12}) {
    line({{48 + 3, y}, {48 + 7, y}}, kInk);
    c.Brush().SetColor(kFolder);
    c.Pen().SetColor(kFolderEdge);
    c.Rectangle(48 + 8, y - 2, 48 + 14, y + 2);
  }
  // List: two columns of small items.
  for (int col : {0, 8}) {
    for (int y : {2, 6, 10}) {
      c.Brush().SetColor(kBlue);
      c.FillRect(RECT{64 + col + 1, y, 64 + col + 3, y + 2});
      line({{64 + col + 4, y + 1}, {64 + col + 7, y + 1}}, kInk);
    }
  }
  // Details: rows with a header.
  c.Brush().SetColor(kInk);
  c.FillRect(RECT{80 + 1, 2, 80 + 15, 4});
  for (int y : {6, 9, 12}) {
    c.Brush().SetColor(kBlue);
    c.FillRect(RECT{80 + 1, y, 80 + 3, y + 2});
    line({{80 + 4, y + 1}, {80 + 15, y + 1}}, kInk);
  }
  strip.SetTransparentColor(kMask);
}

}  // namespace

// ---- Construction ----

TRzShellOpenSaveForm::TRzShellOpenSaveForm(TComponent* owner) : TForm(owner) {
  BeginLoading();
  SetCaption(RzLoadStr(rsOpenCaption));
  SetMinConstraints(560, 420);
  SetMinTrackSize(463, 274);
  SetBounds(0, 0, 560, 420);
  SetKeyPreview(true);
  SetPosition(poScreenCenter);
  Font().SetName("MS Sans Serif");
  Font().SetSize(8);
  BuildControls();
  LoadPlaces();
  OnKeyDown = [this](TObject*, WORD& key, TShiftState shift) { FormKeyDown(key, shift); };
  OnCloseQuery = [this](TObject*, bool& canClose) { FormCloseQuery(canClose); };
  OnResize = [this](TObject*) { LayoutControls(); };
  AfterConstruction();
}

TRzShellOpenSaveForm::~TRzShellOpenSaveForm() {
  Destroying();
  // The controls' events reach into this form; nothing may fire once it is going.
  shellList_->OnChange = nullptr;
  shellList_->OnFolderChanged = nullptr;
  shellList_->OnDblClickOpen = nullptr;
  shellList_->OnAddItem = nullptr;
  shellTree_->OnAddItem = nullptr;
  edtFileName_->OnChange = nullptr;
  cbxFileTypes_->OnSelEndOk = nullptr;
}

void TRzShellOpenSaveForm::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  params.Style &= ~WS_MINIMIZEBOX;
}

void TRzShellOpenSaveForm::BuildControls() {
  BuildPlacesBar();
  pnlWork_ = new TRzPanel(this);
  pnlWork_->SetParent(this);
  pnlWork_->SetAlign(alClient);
  pnlWork_->SetBorderOuter(fsNone);
  BuildToolBar();
  BuildEditsPanel();

  splitter_ = new TRzSplitter(this);
  splitter_->SetParent(pnlWork_);
  splitter_->SetBounds(0, kPlacesTop, 440, 250);
  splitter_->SetPosition(160);
  splitter_->SetPercent(37);
  splitter_->SetHotSpotVisible(true);
  splitter_->SetSplitterWidth(7);
  splitter_->SetTabOrder(1);  // the list comes right after the look-in combo, before the name
  shellTree_ = new TRzShellTree(this);
  shellTree_->SetParent(&splitter_->UpperLeftPane());
  shellTree_->SetAlign(alClient);
  shellTree_->SetOptions(stoAutoFill | stoDefaultKeyHandling | stoContextMenus | stoDynamicRefresh);
  shellTree_->SetHideSelection(false);  // the folder shown stays marked while the list works
  shellTree_->SetTabStop(false);
  shellList_ = new TRzShellList(this);
  shellList_->SetParent(&splitter_->LowerRightPane());
  shellList_->SetAlign(alClient);
  shellList_->SetOptions(sloAutoFill | sloDefaultKeyHandling | sloContextMenus | sloDynamicRefresh);
  shellList_->SetViewStyle(vsList);
  shellList_->SetAutoArrange(true);
  shellList_->SetTabStop(true);
  BuildPopupMenu();
  shellList_->SetPopupMenu(lvPopup_);
  shellList_->OnChange = [this](TObject*, TListItem*, TItemChange change) {
    if (change == ctState) ShellListChange();
  };
  shellList_->OnFolderChanged = [this](TObject*) { ShellListFolderChanged(); };
  shellList_->OnDblClickOpen = [this](TObject*, bool& handled) {
    SetModalResult(mrOk);
    handled = true;
  };
  shellCombo_->SetShellList(shellList_);
  splitter_->UpperLeft().SetVisible(false);
  SetActiveControl(edtFileName_);
}

void TRzShellOpenSaveForm::BuildPlacesBar() {
  pnlJumps_ = new TRzPanel(this);
  pnlJumps_->SetParent(this);
  pnlJumps_->SetAlign(alLeft);
  pnlJumps_->SetWidth(kPlacesWidth);
  pnlJumps_->SetBorderOuter(fsNone);
  lblLookIn_ = new TLabel(this);
  lblLookIn_->SetParent(pnlJumps_);
  lblLookIn_->SetCaption(RzLoadStr(rsLookIn));
  lblLookIn_->SetAlignment(taRightJustify);
  lblLookIn_->SetBounds(kGap, kToolTop + 4, kPlacesWidth - 2 * kGap, 16);
  imlPlaces_.SetShareImages(true);
  if (HIMAGELIST system = SystemImageList(sisLarge)) imlPlaces_.SetHandle(system);
  for (int i = 0; i < kMaxPlaces; ++i) {
    auto* button = new TRzToolButton(this);
    button->SetParent(pnlJumps_);
    button->SetBounds((kPlacesWidth - kPlaceButtonWidth) / 2, kPlacesTop + kPlaceButtonHeight * i,
                      kPlaceButtonWidth, kPlaceButtonHeight);
    button->SetLayout(blGlyphTop);
    button->SetShowCaption(true);
    button->SetGroupIndex(10);
    button->SetAllowAllUp(true);
    button->SetImages(&imlPlaces_);
    button->SetTag(i);
    button->SetCaption(RzLoadStr(kPlaceCaptions[i]));
    button->OnClick = [this, i](TObject*) { GoToPlace(i); };
    btnPlaces_[static_cast<size_t>(i)] = button;
  }
}

void TRzShellOpenSaveForm::BuildToolBar() {
  shellCombo_ = new TRzShellCombo(this);
  shellCombo_->SetParent(pnlWork_);
  shellCombo_->SetBounds(kGap, kToolTop, kComboWidth, 22);
  shellCombo_->SetDropDownCount(16);
  shellCombo_->SetOptions(scoAutofill);
  shellCombo_->SetTabStop(true);

  DrawToolbarGlyphs(toolbarGlyphs_);
  imlToolbar_.AddMasked(toolbarGlyphs_, kToolbarMask);
  const int left = kGap + kComboWidth + 7;  // 268 at the designed combo position
  struct ToolButton {
    TRzToolButton** field;
    int offset;
    TRzString hint;
  };
  const ToolButton tools[] = {
      {&btnUpOneLevel_, 0, rsUpOneLevel},
      {&btnShowDesktop_, 31, rsShowDesktop},
      {&btnCreateNewFolder_, 62, rsCreateNewFolder},
      {&btnShowTree_, 93, rsShowTree},
      {&btnList_, 124, rsListHint},
      {&btnDetails_, 147, rsDetailsHint},
  };
  int image = 0;
  for (const ToolButton& tool : tools) {
    auto* button = new TRzToolButton(this);
    button->SetParent(pnlWork_);
    button->SetBounds(left + tool.offset, kToolTop, kToolButtonSize, kToolButtonSize);
    button->SetImages(&imlToolbar_);
    button->SetImageIndex(image++);
    button->SetHint(RzLoadStr(tool.hint));
    *tool.field = button;
  }
  btnShowTree_->SetGroupIndex(2);
  btnShowTree_->SetAllowAllUp(true);
  btnList_->SetTag(2);
  btnDetails_->SetTag(3);
  btnList_->SetGroupIndex(1);
  btnDetails_->SetGroupIndex(1);
  btnList_->SetDown(true);
  btnUpOneLevel_->OnClick = [this](TObject*) { shellList_->GoUp(1); };
  btnShowDesktop_->OnClick = [this](TObject*) {
    TRzPidl desktop;
    if (SUCCEEDED(SpecialFolderLocation(WindowHandle(), CSIDL_DESKTOP, desktop)))
      shellList_->SetFolderIdList(desktop.Get());
  };
  btnCreateNewFolder_->OnClick = [this](TObject*) { CreateNewFolder(); };
  btnShowTree_->OnClick = [this](TObject*) { ShowTreePane(btnShowTree_->Down()); };
  btnList_->OnClick = [this](TObject* sender) { ViewBtnClick(sender); };
  btnDetails_->OnClick = [this](TObject* sender) { ViewBtnClick(sender); };
}

void TRzShellOpenSaveForm::BuildEditsPanel() {
  pnlEdits_ = new TRzPanel(this);
  pnlEdits_->SetParent(pnlWork_);
  pnlEdits_->SetAlign(alBottom);
  pnlEdits_->SetHeight(kEditsHeight);
  pnlEdits_->SetBorderOuter(fsNone);
  auto label = [this](std::string_view caption, int top) {
    auto* l = new TLabel(this);
    l->SetParent(pnlEdits_);
    l->SetCaption(caption);
    l->SetAutoSize(true);
    l->SetBounds(kGap, top + 4, 0, 0);
    return l;
  };
  lblFileName_ = label(RzLoadStr(rsFileName), 8);
  lblFilesOfType_ = label(RzLoadStr(rsFilesOfType), 36);
  edtFileName_ = new TRzEdit(this);
  edtFileName_->SetParent(pnlEdits_);
  edtFileName_->SetBounds(90, 8, 250, 21);
  edtFileName_->SetTabStop(true);
  edtFileName_->OnChange = [this](TObject*) {
    if (active_ && !settingEdit_) lastInput_ = liEdit;
  };
  cbxFileName_ = new TRzComboBox(this);  // kept for a history list; never shown
  cbxFileName_->SetParent(pnlEdits_);
  cbxFileName_->SetBounds(90, 8, 250, 21);
  cbxFileName_->SetVisible(false);
  cbxFileName_->SetTabStop(false);
  cbxFileTypes_ = new TRzComboBox(this);
  cbxFileTypes_->SetParent(pnlEdits_);
  cbxFileTypes_->SetStyle(csDropDownList);
  cbxFileTypes_->SetBounds(90, 36, 250, 21);
  cbxFileTypes_->SetTabStop(true);
  cbxFileTypes_->OnSelEndOk = [this](TObject*) { TypeChanged(); };
  chkReadOnly_ = new TRzCheckBox(this);
  chkReadOnly_->SetParent(pnlEdits_);
  chkReadOnly_->SetCaption(RzLoadStr(rsOpenReadOnly));
  chkReadOnly_->SetBounds(90, 64, 200, 17);
  chkReadOnly_->SetTabStop(true);
  chkReadOnly_->OnClick = [this](TObject*) {
    options_ = chkReadOnly_->Checked() ? (options_ | osoReadOnly) : (options_ & ~osoReadOnly);
  };
  auto push = [this](std::string_view caption, int top) {
    auto* b = new TRzBitBtn(this);
    b->SetParent(pnlEdits_);
    b->SetCaption(caption);
    b->SetBounds(360, top, kPushButtonWidth, kPushButtonHeight);
    b->SetTabStop(true);
    return b;
  };
  btnOpen_ = push(RzLoadStr(rsOpenButton), 8);
  btnOpen_->SetDefault(true);
  btnOpen_->SetModalResult(mrOk);
  btnCancel_ = push(RzLoadStr(rsCancel), 36);
  btnCancel_->SetCancel(true);
  btnCancel_->SetModalResult(mrCancel);
  btnHelp_ = push(RzLoadStr(rsHelp), 64);
  btnHelp_->SetVisible(false);
  btnHelp_->OnClick = [this](TObject*) { HelpClick(); };
}

void TRzShellOpenSaveForm::BuildPopupMenu() {
  lvPopup_ = new TPopupMenu(this);
  TMenuItem& items = lvPopup_->Items();
  auto add = [](TMenuItem& parent, std::string_view caption) {
    auto* item = new TMenuItem();
    item->SetCaption(caption);
    parent.Add(item);
    return item;
  };
  TMenuItem* view = add(items, RzLoadStr(rsMenuView));
  const TRzString viewCaptions[] = {rsMenuLargeIcons, rsMenuSmallIcons, rsMenuList, rsMenuDetails};
  for (int tag = 0; tag < 4; ++tag) {
    TMenuItem* item = add(*view, RzLoadStr(viewCaptions[tag]));
    item->SetTag(tag);
    item->SetRadioItem(true);
    item->SetGroupIndex(1);
    // Icon views need the system's large list, which the shell list does not keep.
    item->SetEnabled(tag >= 2);
    item->SetChecked(tag == 2);
    item->OnClick = [this](TObject* sender) { ViewBtnClick(sender); };
    viewItems_[static_cast<size_t>(tag)] = item;
  }
  add(items, "-");
  add(items, RzLoadStr(rsMenuPaste))->OnClick = [this](TObject*) {
    shellList_->DoCommandForFolder("paste");
  };
  add(items, "-");
  TMenuItem* newItem = add(items, RzLoadStr(rsMenuNew));
  add(*newItem, RzLoadStr(rsMenuFolder))->OnClick = [this](TObject*) { CreateNewFolder(); };
  add(items, "-");
  add(items, RzLoadStr(rsMenuProperties))->OnClick = [this](TObject*) {
    shellList_->DoCommandForFolder("properties");
  };
}

// ---- Places ----

void TRzShellOpenSaveForm::LoadPlaces() {
  std::vector<TRzPlaceValue> values;
  TRegistry registry(KEY_READ);
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (registry.OpenKeyReadOnly(kRzStrPlacesPolicyKey)) {
    for (int i = 0; i < kMaxPlaces; ++i) {
      const std::string name = "Place" + std::to_string(i);
      if (!registry.ValueExists(name)) continue;
      try {
        const TRegDataType type = registry.GetDataType(name);
        if (type == rdString || type == rdExpandString) {
          values.push_back({true, ExpandEnvironment(registry.ReadString(name)), 0});
        } else {
          values.push_back({false, {}, registry.ReadInteger(name)});
        }
      } catch (const ERegistryException&) {
        // A value of no readable kind names no place.
      }
    }
  } else {
    values = DefaultPlaces();
  }
  places_.clear();
  for (const TRzPlaceValue& value : values) {
    TRzPlaceData place;
    if (value.IsPath) {
      place.Path = value.Path;
      place.Caption = PlacePathCaption(value.Path);
      TRzShellFileInfo info =
          FileInfoOfPath(value.Path, SHGFI_SYSICONINDEX | SHGFI_LARGEICON | SHGFI_DISPLAYNAME);
      if (place.Caption.empty()) place.Caption = Narrow(info.Info.szDisplayName);
      place.ImageIndex = info.Result ? info.IconIndex() : -1;
    } else {
      place.SpecialFolder = value.SpecialFolder;
      TRzPidl location;
      if (SUCCEEDED(SpecialFolderLocation(nullptr, value.SpecialFolder, location))) {
        place.Caption = AbsoluteDisplayName(location.Get());
        TRzShellFileInfo info =
            FileInfoOfIdList(location.Get(), SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_LARGEICON);
        place.ImageIndex = info.Result ? info.IconIndex() : -1;
      }
    }
    places_.push_back(std::move(place));
  }
  for (int i = 0; i < kMaxPlaces; ++i) {
    TRzToolButton* button = btnPlaces_[static_cast<size_t>(i)];
    const bool used = i < static_cast<int>(places_.size());
    button->SetVisible(used);
    if (!used) continue;
    const TRzPlaceData& place = places_[static_cast<size_t>(i)];
    if (!place.Caption.empty()) button->SetCaption(place.Caption);
    button->SetImageIndex(place.ImageIndex);
  }
}

void TRzShellOpenSaveForm::GoToPlace(int index) {
  if (index < 0 || index >= static_cast<int>(places_.size())) return;
  const TRzPlaceData& place = places_[static_cast<size_t>(index)];
  if (place.SpecialFolder == kPlaceIsPath) {
    shellList_->SetFolderPath(place.Path);
  } else {
    TRzPidl location;
    const HRESULT hr = SpecialFolderLocation(WindowHandle(), place.SpecialFolder, location);
    if (FAILED(hr)) throw EOSError(static_cast<DWORD>(hr));
    shellList_->SetFolderIdList(location.Get());
  }
  UpdatePlacesState();
}

void TRzShellOpenSaveForm::UpdatePlacesState() {
  LPCITEMIDLIST current = shellList_->FolderIdList();
  const int special = current ? IdentifySpecialFolder(current) : kNoSpecialFolder;
  const std::string path = ComparablePath(IdListToPath(current));
  for (int i = 0; i < static_cast<int>(places_.size()) && i < kMaxPlaces; ++i) {
    const TRzPlaceData& place = places_[static_cast<size_t>(i)];
    const bool down = place.SpecialFolder == kPlaceIsPath
                          ? !path.empty() && ComparablePath(place.Path) == path
                          : place.SpecialFolder == special;
    btnPlaces_[static_cast<size_t>(i)]->SetDown(down);
  }
}

// ---- Configuration ----

void TRzShellOpenSaveForm::SetOptions(TRzOpenSaveOptions options) {
  options_ = options & kAllOpenSaveOptions;
  const TRzOpenSaveControlSettings s = ControlSettingsFor(options_);
  auto setBit = [](auto value, auto bit, bool on) {
    return static_cast<decltype(value)>(on ? (value | bit) : (value & ~bit));
  };
  TRzShellTreeOptions tree = shellTree_->Options();
  tree = setBit(tree, stoOleDrag, s.OleDrag);
  tree = setBit(tree, stoOleDrop, s.OleDrop);
  tree = setBit(tree, stoShowHidden, s.ShowHidden);
  shellTree_->SetOptions(tree);
  TRzShellListOptions list = shellList_->Options();
  list = setBit(list, sloHideFoldersWhenLinkedToTree, s.HideFoldersWhenLinkedToTree);
  list = setBit(list, sloOleDrag, s.OleDrag);
  list = setBit(list, sloOleDrop, s.OleDrop);
  list = setBit(list, sloShowHidden, s.ShowHidden);
  list = setBit(list, sloFilesCanBeFolders, s.FilesCanBeFolders);
  shellList_->SetOptions(list);
  shellList_->SetMultiSelect(s.MultiSelect);
  chkReadOnly_->SetVisible(s.ReadOnlyBoxVisible);
  chkReadOnly_->SetChecked((options_ & osoReadOnly) != 0);
  btnHelp_->SetVisible(s.HelpButtonVisible);
  // Controls here do not take their parent's hint setting: each button is told.
  SetShowHint(s.ShowHint);
  for (TRzToolButton* b :
       {btnUpOneLevel_, btnShowDesktop_, btnCreateNewFolder_, btnShowTree_, btnList_, btnDetails_})
    b->SetShowHint(s.ShowHint);
}

void TRzShellOpenSaveForm::SetFilter(std::string_view filter) {
  fileTypes_ = ParseFilter(filter);
  cbxFileTypes_->Items().Clear();
  for (const TRzFileType& type : fileTypes_) cbxFileTypes_->Items().Add(type.Description);
  // The list shows the first type until one is chosen: the whole filter text is no pattern.
  shellList_->SetFileFilter(fileTypes_.empty() ? std::string() : fileTypes_.front().Mask);
}

void TRzShellOpenSaveForm::SelectFilterIndex(int index) {
  const int count = static_cast<int>(fileTypes_.size());
  if (index > 0 && index <= count) {
    cbxFileTypes_->SetItemIndex(index - 1);
    TypeChanged();
  } else if (count > 0) {
    cbxFileTypes_->SetItemIndex(0);
  }
}

int TRzShellOpenSaveForm::FilterIndex() const {
  if (fileTypes_.empty()) return 0;
  return cbxFileTypes_->ItemIndex() + 1;
}

const std::string* TRzShellOpenSaveForm::SelectedMask() const {
  const int index = cbxFileTypes_->ItemIndex();
  if (index < 0 || index >= static_cast<int>(fileTypes_.size())) return nullptr;
  return &fileTypes_[static_cast<size_t>(index)].Mask;
}

void TRzShellOpenSaveForm::SetInitialDir(std::string_view dir) {
  initialDir_ = dir;
  if (!initialDir_.empty()) shellList_->SetFolderPath(initialDir_);
}

void TRzShellOpenSaveForm::SetFileNameText(std::string_view text) {
  SetEditText(text);
}

void TRzShellOpenSaveForm::SetEditText(std::string_view text) {
  settingEdit_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{settingEdit_};
  edtFileName_->SetText(text);
}

void TRzShellOpenSaveForm::SetSplitterPos(int pos) {
  // Negative is the dialog's "never set": clamping it would squeeze the tree pane to nothing.
  if (pos >= 0) splitter_->SetPosition(pos);
}

int TRzShellOpenSaveForm::SplitterPos() const {
  return splitter_->Position();
}

void TRzShellOpenSaveForm::SetOpenButtonCaption(std::string_view caption) {
  btnOpen_->SetCaption(caption);
}

void TRzShellOpenSaveForm::SetAddListItemHook(const TRzShAddItemEvent& hook) {
  shellList_->OnAddItem = hook;
}

void TRzShellOpenSaveForm::SetAddTreeItemHook(const TRzShAddItemEvent& hook) {
  shellTree_->OnAddItem = hook;
}

void TRzShellOpenSaveForm::ApplyAppearance(const TRzShellDialog& d) {
  TRzFrameControllerClient* framed[] = {shellCombo_,  shellTree_,   shellList_,
                                        edtFileName_, cbxFileName_, cbxFileTypes_};
  for (TRzFrameControllerClient* c : framed) {
    c->ControllerSetFrameColor(d.FrameColor());
    c->ControllerSetFrameStyle(d.FrameStyle());
    c->ControllerSetFrameVisible(d.FrameVisible());
    c->ControllerSetFramingPreference(d.FramingPreference());
  }
  TRzCustomButton* buttons[] = {chkReadOnly_, btnOpen_, btnCancel_, btnHelp_};
  for (TRzCustomButton* b : buttons) {
    b->SetHighlightColor(d.HighlightColor());
    b->SetHotTrack(d.HotTrack());
    b->SetHotTrackColor(d.HotTrackColor());
    b->SetHotTrackColorType(d.HotTrackColorType());
  }
  for (TRzCustomButton* b : buttons) b->SetColor(d.ButtonColor());
  std::vector<TRzToolButton*> tools(btnPlaces_.begin(), btnPlaces_.end());
  tools.insert(tools.end(), {btnUpOneLevel_, btnShowDesktop_, btnCreateNewFolder_, btnShowTree_,
                             btnList_, btnDetails_});
  for (TRzToolButton* t : tools) {
    t->SetVisualStyle(d.ToolBtnVisualStyle());
    t->SetGradientColorStyle(d.ToolBtnGradientColorStyle());
    t->SetSelectionColorStart(d.ToolBtnSelectionColorStart());
    t->SetSelectionColorStop(d.ToolBtnSelectionColorStop());
    t->SetSelectionFrameColor(d.ToolBtnSelectionFrameColor());
  }
  if (d.ShowButtonGlyphs()) {
    const std::pair<TRzBitBtn*, TBitBtnKind> kinds[] = {
        {btnOpen_, bkOK}, {btnCancel_, bkCancel}, {btnHelp_, bkHelp}};
    for (const auto& [button, kind] : kinds) {
      // The kind brings the stock picture; caption and result stay the window's.
      const std::string caption = button->Caption();
      const TModalResult result = button->ModalResult();
      const bool isDefault = button->Default();
      const bool isCancel = button->Cancel();
      button->SetKind(kind);
      button->SetCaption(caption);
      button->SetModalResult(result);
      button->SetDefault(isDefault);
      button->SetCancel(isCancel);
      button->SetWidth(button->Width() + ScaleValue(20));
    }
  }
}

// ---- Window ----

// The tool bar's pictures are drawn at 96 pixels per inch; the list holds them at the form's. The
// layout runs again once the aligned panels have their new places.
void TRzShellOpenSaveForm::ChangeScale(int m, int d) {
  TForm::ChangeScale(m, d);
  LayoutControls();
  const int size = ScaleValue(kToolbarGlyphSize);
  if (size == imlToolbar_.Width()) return;
  imlToolbar_.SetSize(size, size);  // empties the list
  imlToolbar_.AddMasked(ScaledGlyph(toolbarGlyphs_, CurrentPPI(), kToolbarGlyphs), kToolbarMask);
}

void TRzShellOpenSaveForm::CreateWnd() {
  TForm::CreateWnd();
  sizeGrip_ = CreateWindowExW(0, L"SCROLLBAR", L"",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                  SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN,
                              0, 0, kGripSize, kGripSize, WindowHandle(), nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  PlaceSizeGrip();
}

void TRzShellOpenSaveForm::DestroyWnd() {
  if (sizeGrip_ && IsWindow(sizeGrip_)) DestroyWindow(sizeGrip_);
  sizeGrip_ = nullptr;
  TForm::DestroyWnd();
}

void TRzShellOpenSaveForm::PlaceSizeGrip() {
  if (!sizeGrip_ || !HandleAllocated()) return;
  RECT client;
  GetClientRect(WindowHandle(), &client);
  const int grip = ScaleValue(kGripSize);
  SetWindowPos(sizeGrip_, HWND_TOP, client.right - grip, client.bottom - grip, grip, grip,
               SWP_NOACTIVATE);
}

void TRzShellOpenSaveForm::LayoutControls() {
  if (!pnlWork_) return;
  const int workWidth = pnlWork_->ClientWidth();
  const int gap = ScaleValue(kGap), margin = ScaleValue(16);
  const int splitterTop = shellCombo_->Top() + shellCombo_->Height() + gap;
  const int splitterHeight = pnlWork_->ClientHeight() - splitterTop - pnlEdits_->Height();
  splitter_->SetBounds(0, splitterTop, std::max(workWidth - gap, 0), std::max(splitterHeight, 0));
  const int buttonLeft = workWidth - margin - btnOpen_->Width();
  for (TRzBitBtn* b : {btnOpen_, btnCancel_, btnHelp_}) b->SetLeft(workWidth - margin - b->Width());
  for (TWinControl* c :
       std::initializer_list<TWinControl*>{edtFileName_, cbxFileName_, cbxFileTypes_})
    c->SetWidth(std::max(buttonLeft - gap - c->Left(), ScaleValue(20)));
  PlaceSizeGrip();
}

void TRzShellOpenSaveForm::WndProc(TMessage& m) {
  if (m.Msg == CM_DIALOGCHAR && LabelAccelerator(static_cast<wchar_t>(m.WParam))) {
    m.Result = 1;
    return;
  }
  // Only the window's own showing and hiding: an owner minimised or restored (lParam set)
  // neither starts the window again nor ends it.
  if (m.Msg == WM_SHOWWINDOW && m.LParam == 0) {
    TForm::WndProc(m);
    if (m.WParam && !active_)
      FormShowSequence();
    else if (!m.WParam)
      FormHidden();
    return;
  }
  TForm::WndProc(m);
}

// The labels' accelerators move the focus to the fields they name.
bool TRzShellOpenSaveForm::LabelAccelerator(wchar_t ch) {
  const std::pair<TLabel*, TWinControl*> labels[] = {
      {lblLookIn_, shellCombo_}, {lblFileName_, edtFileName_}, {lblFilesOfType_, cbxFileTypes_}};
  for (const auto& [label, target] : labels) {
    if (IsAccelerator(ch, label->Caption()) && target->CanFocus()) {
      target->SetFocus();
      return true;
    }
  }
  return false;
}

void TRzShellOpenSaveForm::FormShowSequence() {
  TScreenCursor hourglass(crHourGlass);
  SendMessageW(cbxFileTypes_->Handle(), CB_SETEXTENDEDUI, 1, 0);
  if (!(options_ & osoAllowTree)) {
    const int shift = btnList_->Left() - btnShowTree_->Left();
    btnShowTree_->SetVisible(false);
    btnList_->SetLeft(btnShowTree_->Left());
    btnDetails_->SetLeft(btnDetails_->Left() - shift);
  }
  int lowest = 0;
  for (int i = 0; i < pnlEdits_->ControlCount(); ++i) {
    TControl* c = pnlEdits_->Controls(i);
    if (c->Visible()) lowest = std::max(lowest, c->Top() + c->Height());
  }
  pnlEdits_->SetHeight(lowest + ScaleValue(kGap));
  const int labelRight = std::max(lblFileName_->Left() + lblFileName_->Width(),
                                  lblFilesOfType_->Left() + lblFilesOfType_->Width());
  for (TControl* c :
       std::initializer_list<TControl*>{cbxFileTypes_, edtFileName_, cbxFileName_, chkReadOnly_})
    c->SetLeft(labelRight + ScaleValue(kGap));
  ShowTreePane((options_ & osoShowTree) != 0);

  // The folder to start in: the initial one, the typed name's directory, or the current one.
  if (initialDir_.empty()) {
    const std::string typed = edtFileName_->Text();
    const std::string dir(DirectoryPart(typed));
    if (!dir.empty()) {
      shellList_->SetFolderPath(dir);
      const std::string name(NamePart(typed));
      if (!name.empty()) SetEditText(name);
    } else {
      wchar_t current[MAX_PATH + 1] = {};
      const DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, current);
      if (n > 0 && n <= MAX_PATH) shellList_->SetFolderPath(Narrow(current));
    }
  }
  lastInput_ = liList;
  active_ = true;
  UpdatePlacesState();
  LayoutControls();
  if (FormShowHook) FormShowHook(this);
}

void TRzShellOpenSaveForm::FormHidden() {
  if (!active_) return;
  active_ = false;
  if (FormCloseHook) FormCloseHook(this);
}

// ---- Keys and commands ----

void TRzShellOpenSaveForm::FormKeyDown(WORD& key, TShiftState shift) {
  if (shift & (ssShift | ssCtrl | ssAlt)) return;
  switch (key) {
    case VK_F4:
      if (shellCombo_->DroppedDown()) {
        shellCombo_->SetDroppedDown(false);
        shellList_->SetFocus();
        shellCombo_->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELENDOK),
                             reinterpret_cast<LPARAM>(shellCombo_->Handle()));
      } else {
        shellCombo_->SetFocus();
        shellCombo_->SetDroppedDown(true);
      }
      key = 0;
      break;
    case VK_F5:
      // The key goes on to the focused control, which refreshes itself.
      if (!shellCombo_->Focused()) shellCombo_->Fill();
      if (!shellList_->Focused()) shellList_->RefreshItems();
      if (shellList_->ShellTree() == shellTree_ && !shellTree_->Focused())
        shellTree_->RefreshTree();
      break;
    case VK_F12:
      if (options_ & osoAllowTree) ShowTreePane(!TreePaneShown());
      key = 0;
      break;
    default:
      break;
  }
}

void TRzShellOpenSaveForm::ViewBtnClick(TObject* sender) {
  auto* component = dynamic_cast<TComponent*>(sender);
  if (!component) return;
  SetViewStyle(static_cast<int>(component->Tag()));
}

void TRzShellOpenSaveForm::SetViewStyle(int tag) {
  if (tag < 0 || tag > 3) return;
  static constexpr TViewStyle kStyles[] = {vsIcon, vsSmallIcon, vsList, vsReport};
  shellList_->SetViewStyle(kStyles[tag]);
  btnList_->SetDown(btnList_->Tag() == tag);
  btnDetails_->SetDown(btnDetails_->Tag() == tag);
  for (TMenuItem* item : viewItems_) item->SetChecked(item->Tag() == tag);
}

bool TRzShellOpenSaveForm::TreePaneShown() const {
  return shellCombo_->ShellTree() == shellTree_ && splitter_->UpperLeftPane().Visible();
}

void TRzShellOpenSaveForm::ShowTreePane(bool show) {
  if (show) {
    if (TreePaneShown()) return;
    btnShowTree_->SetDown(true);
    try {
      TScreenCursor hourglass(crHourGlass);
      shellTree_->SelectedFolder().SetIdList(shellCombo_->SelectedFolder().IdList());
      shellCombo_->SetShellList(nullptr);
      shellCombo_->SetShellTree(shellTree_);
      shellList_->SetShellTree(shellTree_);
      splitter_->UpperLeft().SetVisible(true);
    } catch (...) {
      btnShowTree_->SetDown(false);
      throw;
    }
    options_ |= osoShowTree;
    shellTree_->SetTabStop(true);
  } else {
    btnShowTree_->SetDown(false);
    if (shellTree_->Focused()) shellList_->SetFocus();
    shellTree_->SetTabStop(false);
    shellList_->SetShellTree(nullptr);
    shellCombo_->SetShellTree(nullptr);
    shellCombo_->SetShellList(shellList_);
    splitter_->UpperLeft().SetVisible(false);
    options_ &= ~osoShowTree;
  }
  if (shellList_->Visible() && (shellList_->Options() & sloHideFoldersWhenLinkedToTree))
    shellList_->RefreshItems();
}

void TRzShellOpenSaveForm::CreateNewFolder() {
  const bool viaTree = shellTree_->Focused() ||
                       (TreePaneShown() && (options_ & osoHideFoldersInListWhenTreeVisible));
  if (viaTree)
    shellTree_->CreateNewFolder();
  else
    shellList_->CreateNewFolder(true);
}

void TRzShellOpenSaveForm::HelpClick() {
  bool callHelp = true;
  if (HelpHook) HelpHook(HELP_CONTEXT, static_cast<ULONG_PTR>(helpContext_), callHelp);
  if (callHelp) Application().HelpContext(helpContext_);
}

void TRzShellOpenSaveForm::TypeChanged() {
  if (!userFilter_.empty()) SetEditText("");
  userFilter_.clear();
  const std::string* mask = SelectedMask();
  shellList_->SetFileFilter(mask ? *mask : std::string());
  if (active_ && TypeChangedHook) TypeChangedHook(this);
}

void TRzShellOpenSaveForm::ShellListChange() {
  if (!active_) return;
  const bool filesCanBeFolders = (shellList_->Options() & sloFilesCanBeFolders) != 0;
  std::vector<TRzShellListData*> files;
  for (TListItem* item : shellList_->SelectedItems()) {
    TRzShellListData* data = shellList_->ListData(item);
    if (data && !IsFolderItem(data->Attributes(), filesCanBeFolders)) files.push_back(data);
  }
  if (files.size() >= 2) {
    std::string text;
    for (TRzShellListData* data : files) {
      if (!text.empty()) text += ' ';
      text += '"' + data->FileName() + '"';
    }
    SetEditText(text);
  } else if (files.size() == 1) {
    SetEditText(files.front()->DisplayName());
  }
  lastInput_ = liList;
  if (SelectionChangedHook) SelectionChangedHook(this);
}

void TRzShellOpenSaveForm::ShellListFolderChanged() {
  if (!active_) return;
  if (FolderChangedHook) FolderChangedHook(this);
  UpdatePlacesState();
}

std::string TRzShellOpenSaveForm::CurrentFileName() {
  if (active_) {
    fileList_ = selectionList_;
    return fileList_.empty() ? std::string() : fileList_.front();
  }
  return edtFileName_->Text();
}

// ---- Closing and the typed text ----

void TRzShellOpenSaveForm::FormCloseQuery(bool& canClose) {
  // The modal loop itself asks, outside any window procedure: a failure here (a folder that
  // cannot be opened) is reported and the window stays rather than the dialog being torn down.
  try {
    CloseCheck(canClose);
  } catch (const std::exception&) {
    canClose = false;
    Application().HandleException(this);
  }
}

void TRzShellOpenSaveForm::CloseCheck(bool& canClose) {
  if (ModalResult() == mrOk) {
    const std::string typed = edtFileName_->Text();
    const std::string name(NamePart(typed));
    if (HasWildcard(name)) {
      canClose = false;
      const std::string dir(DirectoryPart(typed));
      if (!dir.empty()) {
        const auto full = CombineBaseAndName(WithTrailingBackslash(ListFolderPath()), dir);
        if (full && !full->empty()) MoveToFolder(*full);
      }
      userFilter_ = name;
      shellList_->SetFileFilter(name);
      SetEditText(name);
      edtFileName_->SelectAll();
      return;
    }
    canClose = EvaluateText();
  }
  if (canClose && !(options_ & osoNoChangeDir)) {
    const std::string folder = ListFolderPath();
    if (!folder.empty()) SetCurrentDirectoryW(Wide(folder).c_str());  // a failure changes nothing
  }
}

std::string TRzShellOpenSaveForm::ListFolderPath() {
  return IdListToPath(shellList_->FolderIdList());
}

bool TRzShellOpenSaveForm::EvaluateText() {
  selectionList_.clear();
  const std::string typed = edtFileName_->Text();
  std::vector<std::string> names;
  if (typed.find('"') != std::string::npos)
    names = SplitQuotedNames(typed);
  else
    names.emplace_back(Trim(typed));
  const std::string base = WithTrailingBackslash(ListFolderPath());
  const bool single = names.size() == 1;
  for (const std::string& name : names) {
    if (!EvaluateName(typed, name, single, base)) {
      selectionList_.clear();
      return false;
    }
  }
  // Nothing named (an empty edit): the window stays open rather than returning no file.
  return !selectionList_.empty();
}

bool TRzShellOpenSaveForm::EvaluateName(const std::string& typed, const std::string& name,
                                        bool single, const std::string& base) {
  if (!(options_ & osoNoValidate) && !IsValidFileNameText(typed)) {
    Message(RzLoadStr(rsInvalidFileName), typed, mtWarning, MsgDlgButton(mbOK));
    return false;
  }
  const auto combined = CombineBaseAndName(base, name);
  if (!combined) {
    Message(RzLoadStr(rsInvalidFileName), typed, mtWarning, MsgDlgButton(mbOK));
    return false;
  }
  std::string full = *combined;
  if (full.empty()) return true;
  if (!FileExistsNotFolder(full) && IsShellFolder(full)) {
    MoveToFolder(full);
    edtFileName_->SelectAll();
    return false;
  }
  DereferenceShortcut(full);
  if (single) {
    TRzShellListData* selected = shellList_->SelectedItemData();
    if (lastInput_ == liList && selected) {
      // A folder chosen in the list opens; it is no file to return.
      if (IsFolderItem(selected->Attributes(),
                       (shellList_->Options() & sloFilesCanBeFolders) != 0)) {
        shellList_->SetFolderIdList(selected->Absolute());
        return false;
      }
      // A shortcut chosen in the list gives its target, as a typed one does.
      full = selected->Path();
      DereferenceShortcut(full);
    } else if (!MatchTypedName(full, base)) {
      return false;
    }
  }
  // A virtual folder (My Computer) gives no base to complete a relative name with.
  if (!IsAbsolutePath(full)) {
    Message(RzLoadStr(rsInvalidFileName), typed, mtWarning, MsgDlgButton(mbOK));
    return false;
  }
  if (!ExistenceCheck(full)) return false;
  selectionList_.push_back(full);
  return true;
}

void TRzShellOpenSaveForm::DereferenceShortcut(std::string& full) const {
  if ((options_ & osoNoDereferenceLinks) || !SameTextAscii(ExtensionPart(full), ".lnk")) return;
  TRzShortcutInfo info;
  if (SUCCEEDED(ResolveShortcut(full, info, false)) && !info.TargetPath.empty())
    full = info.TargetPath;
}

// The default extension, the move to a typed directory, and the list's items of that name.
bool TRzShellOpenSaveForm::MatchTypedName(std::string& full, const std::string& base) {
  const TRzDefaultExtResult ext =
      ApplyDefaultExtension(full, defaultExt_, SelectedMask(), &ClassKeyExists);
  full = ext.Path;
  if (ext.ExtensionDifferent)
    options_ = *ext.ExtensionDifferent ? (options_ | osoExtensionDifferent)
                                       : (options_ & ~osoExtensionDifferent);
  const std::string dir(DirectoryPart(full));
  if (!SameTextAscii(UpperCase(dir), UpperCase(base))) MoveComboTo(dir);
  const std::string name(NamePart(full));
  const std::string upperName = UpperCase(name);
  std::vector<TListItem*> matches;
  for (int i = 0; i < shellList_->Items().Count(); ++i) {
    TListItem* item = shellList_->Items()[i];
    TRzShellListData* data = shellList_->ListData(item);  // items carry no caption of their own
    if (data && UpperCase(data->DisplayName()) == upperName) matches.push_back(item);
  }
  if (matches.size() >= 2) {
    Message(RzLoadStr(rsDuplicateName), name, mtWarning, MsgDlgButton(mbOK));
    shellList_->ClearSelection();
    matches.front()->SetSelected(true);
    matches.front()->SetFocused(true);
    matches.front()->MakeVisible();
    shellList_->SetFocus();
    return false;
  }
  if (matches.size() == 1) {
    if (TRzShellListData* data = shellList_->ListData(matches.front())) {
      const std::string path = data->Path();
      if (!path.empty()) full = path;
    }
  }
  return true;
}

bool TRzShellOpenSaveForm::IsShellFolder(const std::string& path) {
  TShellFolderPtr desktop = DesktopFolder();
  if (!desktop) return false;
  std::wstring wide = Wide(path);
  PIDLIST_RELATIVE raw = nullptr;
  ULONG eaten = 0;
  SFGAOF attributes = SFGAO_FOLDER;
  if (FAILED(desktop->ParseDisplayName(WindowHandle(), nullptr, wide.data(), &eaten, &raw,
                                       &attributes)))
    return false;
  TRzPidl list(raw);
  return (attributes & SFGAO_FOLDER) != 0;
}

bool TRzShellOpenSaveForm::MoveToFolder(const std::string& path) {
  TRzPidl list;
  HRESULT hr = PathToIdList(path, list);
  TShellFolderPtr folder;
  if (SUCCEEDED(hr)) hr = BindToFolder(list.Get(), folder);
  if (FAILED(hr)) throw EOSError(static_cast<DWORD>(hr));
  shellCombo_->SelectedFolder().SetIdList(list.Get());
  if (shellCombo_->ShellList() != shellList_ && shellCombo_->ShellTree() != shellTree_)
    shellList_->SetFolderIdList(list.Get());
  return true;
}

void TRzShellOpenSaveForm::MoveComboTo(const std::string& dir) {
  TRzPidl list;
  if (FAILED(PathToIdList(dir, list))) return;  // no such folder: the existence check speaks
  shellCombo_->SelectedFolder().SetIdList(list.Get());
}

bool TRzShellOpenSaveForm::ExistenceCheck(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  const bool exists =
      attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (exists) {
    if ((attributes & FILE_ATTRIBUTE_READONLY) && (options_ & osoNoReadOnlyReturn)) {
      Message(RzLoadStr(rsReadOnlyExists), path, mtWarning, MsgDlgButton(mbOK));
      return false;
    }
    if (options_ & osoOverwritePrompt)
      return Message(RzLoadStr(rsReplaceFile), path, mtWarning, mbYesNo) == mrYes;
    return true;
  }
  if (options_ & osoFileMustExist) {
    Message(RzLoadStr(rsFileNotFound), path, mtWarning, MsgDlgButton(mbOK));
    return false;
  }
  if (options_ & osoCreatePrompt)
    return Message(RzLoadStr(rsCreateFile), NamePart(path), mtConfirmation, mbYesNo) == mrYes;
  return true;
}

int TRzShellOpenSaveForm::Message(std::string_view format, std::string_view arg, TMsgDlgType type,
                                  TMsgDlgButtons buttons) {
  return Application().MessageBox(Format1(format, arg), Caption(), MessageDlgFlags(type, buttons));
}

}  // namespace kovra
