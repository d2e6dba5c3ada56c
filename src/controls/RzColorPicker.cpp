#include "controls/RzColorPicker.h"

#include <commctrl.h>
#include <commdlg.h>

#include "controls/RzControlMessages.h"
#include "framework/Application.h"

namespace kovra {

namespace {

RECT ToRect(const TRzLayoutRect& r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}

RECT Shrunk(RECT r, int by) {
  InflateRect(&r, -by, -by);
  return r;
}

bool ApplicationInForeground() {
  HWND foreground = GetForegroundWindow();
  DWORD process = 0;
  if (foreground) GetWindowThreadProcessId(foreground, &process);
  return foreground && process == GetCurrentProcessId();
}

TOOLINFOW HintTool(HWND owner) {
  TOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  ti.hwnd = owner;
  ti.uId = 1;
  return ti;
}

}  // namespace

// ---- TRzCustomColors ----

TRzCustomColors::TRzCustomColors(TComponent* owner)
    : TComponent(owner), colors_(DefaultCustomColorLines()) {}

TRzCustomColors::~TRzCustomColors() {
  Destroying();
}

void TRzCustomColors::SetColors(const std::vector<std::string>& lines) {
  std::string bad;
  auto normalized = NormalizeCustomColorLines(lines, &bad);
  if (!normalized) throw ERzColorListError("'" + bad + "' is not a valid colour value");
  colors_ = std::move(*normalized);
}

// ---- TRzColorDialog ----

DWORD TRzColorDialog::Flags() const {
  DWORD flags = CC_RGBINIT;
  if (Options & ColorDialogOption(cdFullOpen)) flags |= CC_FULLOPEN;
  if (Options & ColorDialogOption(cdPreventFullOpen)) flags |= CC_PREVENTFULLOPEN;
  if (Options & ColorDialogOption(cdShowHelp)) flags |= CC_SHOWHELP;
  if (Options & ColorDialogOption(cdSolidColor)) flags |= CC_SOLIDCOLOR;
  if (Options & ColorDialogOption(cdAnyColor)) flags |= CC_ANYCOLOR;
  return flags;
}

bool TRzColorDialog::Execute(HWND owner) {
  COLORREF custom[kPickerCustomColorCount];
  for (int i = 0; i < kPickerCustomColorCount; ++i) custom[i] = ToColorRef(CustomColors[i]);
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  // No colour starts the chooser on black rather than on CLR_NONE, which it cannot show.
  cc.rgbResult = Color == clNone ? RGB(0, 0, 0) : ToColorRef(Color);
  cc.lpCustColors = custom;
  cc.Flags = Flags();
  BOOL ok = FALSE;
  {
    Application().ModalStarted();
    struct Finish {
      ~Finish() { Application().ModalFinished(); }
    } finish;
    ok = ChooseColorW(&cc);
  }
  if (!ok) return false;
  Color = FromColorRef(cc.rgbResult);
  for (int i = 0; i < kPickerCustomColorCount; ++i) CustomColors[i] = FromColorRef(custom[i]);
  return true;
}

// ---- TRzColorPicker: properties ----

TRzColorPicker::TRzColorPicker(TComponent* owner) : TRzCustomPanel(owner) {
  SetControlStyle((ControlStyle() & ~csAcceptsControls) | csOpaque | csCaptureMouse);
  SetBorderWidth(2);
  SetParentColor(false);
  SetColor(clWindow);
  SetBorderColor(clWindow);
  SetFlatColorAdjustment(0);
  SetPaintClientArea(false);
  SetTabStop(true);
  if (ThemesActive()) {
    themedFrameColor_ = ThemeElementColor(0);
    SetBorderOuter(fsFlat);
    SetFlatColor(themedFrameColor_);
  } else {
    SetBorderOuter(fsLowered);
  }
  AdjustToNaturalSize();
}

TRzColorPicker::~TRzColorPicker() {
  Destroying();
}

TColor TRzColorPicker::SelectedColor() const {
  return PickerIndexColor(selected_, customColor_, defaultColor_);
}

void TRzColorPicker::SetSelectedColor(TColor color) {
  const int index = PickerIndexOfColor(color, options_, defaultColor_);
  if (index == kPickerCustomSwatch) SetCustomColor(ColorToRGB(color));
  SelectIndex(index);
}

void TRzColorPicker::SetCustomColor(TColor value) {
  if (value == customColor_) return;
  customColor_ = value;
  if (options_.showCustomColor) Invalidate();
}

void TRzColorPicker::SetDefaultColor(TColor value) {
  if (value == defaultColor_) return;
  defaultColor_ = value;
  if (options_.showDefaultColor) Invalidate();
}

void TRzColorPicker::SetCustomColors(TRzCustomColors* value) {
  if (value == customColors_) return;
  if (customColors_) RemoveFreeNotification(customColors_);
  customColors_ = value;
  if (customColors_) FreeNotification(customColors_);
}

void TRzColorPicker::Notification(TComponent* component, TOperation operation) {
  TRzCustomPanel::Notification(component, operation);
  if (operation == opRemove && component == customColors_) customColors_ = nullptr;
}

void TRzColorPicker::SetPainted(std::string& field, std::string_view value) {
  if (field == value) return;
  field = value;
  Invalidate();
}

void TRzColorPicker::SetOption(bool& field, bool value) {
  if (field == value) return;
  field = value;
  if (autoSize_) AdjustToNaturalSize();
  Invalidate();
}

void TRzColorPicker::SetShowColorHints(bool value) {
  if (value == showColorHints_) return;
  showColorHints_ = value;
  if (!value) HideColorHint();
}

void TRzColorPicker::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  if (value) AdjustToNaturalSize();
}

void TRzColorPicker::SelectIndex(int index) {
  if (index == selected_ && index != kPickerCustomSwatch) return;
  selected_ = index;
  Invalidate();
  if (OnChange) OnChange(this);
}

void TRzColorPicker::SetHotIndex(int index) {
  if (index == hot_) return;
  hot_ = index;
  Invalidate();
}

// ---- geometry ----

// Inside the frames. The border-width ring is painted in the picker's own colour, so the cells
// may use it; the natural size then is the palette plus the frames alone.
RECT TRzColorPicker::PickerClientRect() const {
  return FramedClientRect();
}

TRzColorPickerLayout TRzColorPicker::PickerLayout() const {
  const RECT r = PickerClientRect();
  return LayoutColorPicker(TRzLayoutRect{r.left, r.top, r.right, r.bottom}, Font().Height(),
                           options_, CurrentPPI());
}

RECT TRzColorPicker::ItemRect(int index) const {
  return ToRect(PickerItemRect(PickerLayout(), index));
}

int TRzColorPicker::ItemAtPos(POINT p) const {
  return PickerHitTest(PickerLayout(), p.x, p.y);
}

void TRzColorPicker::AdjustToNaturalSize() {
  if (!autoSize_ || sizing_) return;
  sizing_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{sizing_};
  // The frames' widths do not depend on the size, so any client rectangle gives the offsets.
  const RECT whole = ClientRect();
  const RECT client = PickerClientRect();
  const TRzPickerSize size = PickerNaturalSize(client.left - whole.left, client.top - whole.top,
                                               Font().Height(), options_, CurrentPPI());
  if (size.width != Width() || size.height != Height())
    SetBounds(Left(), Top(), size.width, size.height);
}

void TRzColorPicker::AlignControls(TControl* changed, RECT& rect) {
  TRzCustomPanel::AlignControls(changed, rect);
  // Frames and border width reach here through the panel's realignment.
  AdjustToNaturalSize();
}

void TRzColorPicker::Loaded() {
  TRzCustomPanel::Loaded();
  if (ThemesActive()) {
    SetBorderOuter(fsFlat);
    SetFlatColor(themedFrameColor_);
  }
  AdjustToNaturalSize();
}

// ---- painting ----

void TRzColorPicker::PaintItemBackground(TCanvas& canvas, int index, const RECT& r, bool soft) {
  if (index == selected_) {
    canvas.Brush().SetColor(clWindow);
    canvas.FillRect(r);
    PaintBoxOutline(canvas, r, clHighlight);
  } else if (index == hot_) {
    RECT edge = r;
    DrawEdge(canvas.Handle(), &edge, BDR_RAISEDOUTER,
             BF_RECT | BF_MIDDLE | BF_FLAT | (soft ? BF_SOFT : 0));
  }
}

void TRzColorPicker::PaintSwatch(TCanvas& canvas, const RECT& cell, TColor color) {
  // The gap scales; the one-pixel edge stays one pixel.
  RECT edge = Shrunk(cell, ScaleValue(3));
  if (edge.right <= edge.left || edge.bottom <= edge.top) return;
  DrawEdge(canvas.Handle(), &edge, BDR_RAISEDOUTER, BF_RECT | BF_FLAT);
  if (color == clNone) return;
  canvas.Brush().SetColor(color);
  canvas.FillRect(Shrunk(edge, 1));
}

void TRzColorPicker::PaintCaptionButton(TCanvas& canvas, const RECT& part,
                                        std::string_view caption) {
  const RECT button = Shrunk(part, ScaleValue(3));
  if (button.right <= button.left || button.bottom <= button.top) return;
  RECT inner = PaintBoxOutline(canvas, button, FlatColor());
  canvas.Brush().SetColor(buttonColor_);
  canvas.FillRect(inner);
  canvas.Font().Assign(Font());
  canvas.Font().SetColor(buttonFontColor_);
  canvas.Brush().SetStyle(bsClear);
  canvas.DrawText(caption, inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  canvas.Brush().SetStyle(bsSolid);
}

void TRzColorPicker::PaintCaptionRow(TCanvas& canvas, int index, const RECT& row,
                                     std::string_view caption, bool withSwatch,
                                     TColor swatchColor) {
  PaintItemBackground(canvas, index, row, true);
  const TRzLayoutRect swatch = PickerRowSwatch(
      TRzLayoutRect{row.left, row.top, row.right, row.bottom}, PickerLayout().buttonHeight);
  RECT button = row;
  if (withSwatch) button.right = swatch.left;
  PaintCaptionButton(canvas, button, caption);
  if (withSwatch) PaintSwatch(canvas, ToRect(swatch), swatchColor);
}

void TRzColorPicker::Paint() {
  TRzCustomPanel::Paint();  // the frames; the panel leaves the interior to us
  TCanvas& canvas = Canvas();
  const TRzColorPickerLayout layout = PickerLayout();
  canvas.Brush().SetColor(Color());
  canvas.FillRect(ToRect(layout.client));

  if (options_.showNoColor)
    PaintCaptionRow(canvas, kPickerNoColor, ToRect(layout.noColorRow),
                    noColorCaption_.empty() ? RzLoadStr(rsNoColor) : noColorCaption_, false,
                    clNone);
  if (options_.showDefaultColor)
    PaintCaptionRow(canvas, kPickerDefaultColor, ToRect(layout.defaultRow),
                    defaultColorCaption_.empty() ? RzLoadStr(rsDefaultColor) : defaultColorCaption_,
                    true, defaultColor_);

  const auto& palette = ColorPickerPalette();
  const int count = options_.showSystemColors ? kPickerPaletteCount : kPickerStandardCount;
  for (int i = 0; i < count; ++i) {
    const RECT cell = ToRect(PickerItemRect(layout, i));
    PaintItemBackground(canvas, i, cell, false);
    PaintSwatch(canvas, cell, palette[static_cast<size_t>(i)].color);
  }
  if (options_.showSystemColors) {
    const int y = (layout.separator.top + layout.separator.bottom) / 2;
    canvas.Pen().SetColor(clBtnShadow);
    canvas.MoveTo(layout.client.left + ScaleValue(3), y);
    canvas.LineTo(layout.client.right, y);
  }

  if (options_.showCustomColor) {
    const RECT caption = ToRect(PickerItemRect(layout, kPickerMoreColors));
    const RECT swatch = ToRect(PickerItemRect(layout, kPickerCustomSwatch));
    PaintItemBackground(canvas, kPickerMoreColors, caption, true);
    PaintCaptionButton(canvas, caption,
                       customColorCaption_.empty() ? RzLoadStr(rsMoreColors) : customColorCaption_);
    PaintItemBackground(canvas, kPickerCustomSwatch, swatch, true);
    PaintSwatch(canvas, swatch, customColor_);
  }
}

// ---- mouse and keys ----

void TRzColorPicker::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TRzCustomPanel::MouseDown(button, shift, x, y);
  if (Visible() && CanFocus() && !Focused()) SetFocus();
  if (button != mbLeft) return;
  const int item = ItemAtPos(POINT{x, y});
  if (item == kPickerNothing) return;
  if (item == kPickerMoreColors) {
    hot_ = kPickerNoHot;
    Repaint();
    OpenColorDialog();
    return;
  }
  SelectIndex(item);
}

void TRzColorPicker::MouseMove(TShiftState shift, int x, int y) {
  TRzCustomPanel::MouseMove(shift, x, y);
  const int item = ItemAtPos(POINT{x, y});
  UpdateColorHint(item);
  if (shift & ssLeft) {
    // A drag that slips off the control keeps the colour it had reached.
    const RECT client = ClientRect();
    const POINT p{x, y};
    if (item != kPickerMoreColors && PtInRect(&client, p)) SelectIndex(item);
  } else {
    SetHotIndex(item == kPickerNothing ? kPickerNoHot : item);
  }
}

bool TRzColorPicker::DoKeyDown(WORD& key, TShiftState shift) {
  if (TRzCustomPanel::DoKeyDown(key, shift)) return true;
  if (shift & (ssShift | ssCtrl | ssAlt)) return false;
  TRzPickerKey move;
  switch (key) {
    case VK_LEFT:
      move = pkLeft;
      break;
    case VK_UP:
      move = pkUp;
      break;
    case VK_RIGHT:
      move = pkRight;
      break;
    case VK_DOWN:
      move = pkDown;
      break;
    case VK_RETURN:
      Click();
      return true;
    default:
      return false;
  }
  SelectIndex(PickerKeyMove(selected_, move, options_));
  return true;
}

void TRzColorPicker::WndProc(TMessage& m) {
  if (m.Msg == WM_GETDLGCODE) {
    m.Result = DLGC_WANTARROWS;
    return;
  }
  TRzCustomPanel::WndProc(m);
}

void TRzColorPicker::WMSetFocus(TMessage& m) {
  TRzCustomPanel::WMSetFocus(m);
  Invalidate();
}

void TRzColorPicker::WMKillFocus(TMessage& m) {
  TRzCustomPanel::WMKillFocus(m);
  Invalidate();
}

void TRzColorPicker::CMMouseLeave(TMessage& m) {
  TRzCustomPanel::CMMouseLeave(m);
  if (!IsOwnMouseMessage(m, this)) return;
  SetHotIndex(kPickerNoHot);
  HideColorHint();
}

void TRzColorPicker::CMFontChanged(TMessage& m) {
  TRzCustomPanel::CMFontChanged(m);
  AdjustToNaturalSize();
  Invalidate();
}

void TRzColorPicker::CMVisibleChanged(TMessage& m) {
  TRzCustomPanel::CMVisibleChanged(m);
  if (!Visible()) HideColorHint();
}

// ---- the colour dialog ----

bool TRzColorPicker::RunColorDialog(TRzColorDialog& dialog) {
  return dialog.Execute(Handle());
}

void TRzColorPicker::OpenColorDialog() {
  TRzColorDialog dialog;
  dialog.Color = SelectedColor();
  if (customColors_) dialog.CustomColors = CustomColorsFromLines(customColors_->Colors());
  dialog.Options = colorDlgOptions_;
  if (!RunColorDialog(dialog)) return;
  if (customColors_) customColors_->SetColors(CustomColorLinesFrom(dialog.CustomColors));
  SetCustomColor(ColorToRGB(dialog.Color));
  SelectIndex(kPickerCustomSwatch);
}

// ---- the colour-name tooltip ----

bool TRzColorPicker::CreateHintWindow() {
  if (hintWindow_) return true;
  HWND owner = Application().Handle();
  hintWindow_.Reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                    GetModuleHandleW(nullptr), nullptr));
  if (!hintWindow_) return false;  // a missing tooltip is no reason for an error box
  TOOLINFOW ti = HintTool(owner);
  ti.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(hintWindow_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageW(hintWindow_.Get(), TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN));
  SendMessageW(hintWindow_.Get(), TTM_SETTIPBKCOLOR, ToColorRef(Application().HintColor()), 0);
  return true;
}

void TRzColorPicker::UpdateColorHint(int index) {
  if (!showColorHints_) return;
  if ((ComponentState() & csDesigning) || !IsPaletteIndex(index) || !ApplicationInForeground()) {
    HideColorHint();
    return;
  }
  if (!CreateHintWindow()) return;
  const RECT cell = ItemRect(index);
  const POINT pos = ClientToScreen(POINT{cell.left + 4, cell.bottom + 12});
  if (hintShown_ && pos.x == hintPos_.x && pos.y == hintPos_.y && index == hintIndex_) return;
  HWND owner = Application().Handle();
  TOOLINFOW ti = HintTool(owner);
  if (!(hintFont_ == Font())) {
    hintFont_.Assign(Font());
    SendMessageW(hintWindow_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(hintFont_.Handle()),
                 FALSE);
  }
  std::wstring text = Wide(RzLoadStr(ColorPickerPalette()[static_cast<size_t>(index)].hint));
  ti.lpszText = text.data();
  SendMessageW(hintWindow_.Get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageW(hintWindow_.Get(), TTM_TRACKPOSITION, 0, MAKELPARAM(pos.x, pos.y));
  SendMessageW(hintWindow_.Get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
  hintShown_ = true;
  hintPos_ = pos;
  hintIndex_ = index;
}

void TRzColorPicker::HideColorHint() {
  if (!hintShown_) return;
  hintShown_ = false;
  hintIndex_ = kPickerNothing;
  if (!hintWindow_) return;
  TOOLINFOW ti = HintTool(Application().Handle());
  SendMessageW(hintWindow_.Get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
}

}  // namespace kovra
