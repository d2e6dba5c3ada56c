// Push buttons: TRzCustomButton, TRzButton and TRzBitBtn.
#include "controls/RzButton.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include <algorithm>

#include "controls/RzCommonText.h"
#include "controls/RzControlMessages.h"
#include "controls/RzFlagScope.h"
#include "controls/RzStrings.h"
#include "framework/runtime/Text.h"

namespace kovra {

namespace {

RECT Shrunk(RECT r, int by) {
  InflateRect(&r, -by, -by);
  return r;
}

}  // namespace

// ---- TRzCustomButton ----

TRzCustomButton::TRzCustomButton(TComponent* owner) : TCustomControl(owner) {
  // No click events from the framework: presses are judged here (release inside, Space).
  SetControlStyle(csCaptureMouse | csSetCaption | csDoubleClicks | csReplicatable | csReflector);
  SetBounds(0, 0, 115, 17);
  SetTabStop(true);
}

TRzCustomButton::~TRzCustomButton() {
  Destroying();
}

void TRzCustomButton::SetAlignmentVertical(TAlignmentVertical value) {
  Store(alignmentVertical_, value);
}
void TRzCustomButton::SetHotTrack(bool value) {
  Store(hotTrack_, value);
}
void TRzCustomButton::SetHighlightColor(TColor value) {
  Store(highlightColor_, value);
}
void TRzCustomButton::SetHotTrackColor(TColor value) {
  Store(hotTrackColor_, value);
}
void TRzCustomButton::SetHotTrackColorType(TRzHotTrackColorType value) {
  Store(hotTrackColorType_, value);
}
void TRzCustomButton::SetTextStyle(TTextStyle value) {
  Store(textStyle_, value);
}
void TRzCustomButton::SetLightTextStyle(bool value) {
  Store(lightTextStyle_, value);
}
void TRzCustomButton::SetTextHighlightColor(TColor value) {
  Store(textHighlightColor_, value);
}
void TRzCustomButton::SetTextShadowColor(TColor value) {
  Store(textShadowColor_, value);
}
void TRzCustomButton::SetTextShadowDepth(int value) {
  Store(textShadowDepth_, value);
}
void TRzCustomButton::SetThemeAware(bool value) {
  Store(themeAware_, value);
}

bool TRzCustomButton::Themed() const {
  return themeAware_ && ThemesActive();
}

bool TRzCustomButton::ShowAccelerators() const {
  if (!HandleAllocated()) return true;
  return !(SendMessageW(WindowHandle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL);
}

bool TRzCustomButton::ShowFocusCues() const {
  if (!HandleAllocated()) return true;
  return !(SendMessageW(WindowHandle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

void TRzCustomButton::CreateWnd() {
  TCustomControl::CreateWnd();
  SendMessageW(WindowHandle(), WM_CHANGEUISTATE,
               MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
}

void TRzCustomButton::ButtonPressed() {
  Click();
}

// Only the rounded corners and edges show the parent: three overlapping exclusions leave them.
void TRzCustomButton::EraseBackground(HDC dc, const RECT& r) {
  if (!transparent_) {
    TCustomControl::EraseBackground(dc, r);
    return;
  }
  const SavedDC saved(dc);
  RECT a = Shrunk(ClientRect(), Enabled() ? 1 : 2);
  ExcludeClipRect(dc, a.left, a.top, a.right, a.bottom);
  RECT b{a.left - 1, a.top + 1, a.right + 1, a.bottom - 1};
  ExcludeClipRect(dc, b.left, b.top, b.right, b.bottom);
  RECT c{b.left + 2, b.top - 2, b.right - 2, b.bottom + 2};
  ExcludeClipRect(dc, c.left, c.top, c.right, c.bottom);
  PaintParentBackground(*this, dc, true);
}

void TRzCustomButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && Enabled()) {
    SetFocus();
    if (Focused()) {
      pressed_ = true;
      Invalidate();
      dragging_ = true;
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TRzCustomButton::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (!dragging_) return;
  const bool inside = x >= 0 && x < ClientWidth() && y >= 0 && y < ClientHeight();
  if (inside != pressed_) {
    pressed_ = inside;
    Invalidate();
  }
}

void TRzCustomButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (!dragging_ || button != mbLeft) return;
  dragging_ = false;
  pressed_ = false;
  const bool inside = x >= 0 && x < ClientWidth() && y >= 0 && y < ClientHeight();
  if (inside) ButtonPressed();
  Invalidate();
}

void TRzCustomButton::WMCancelMode(TMessage& m) {
  if (dragging_ || pressed_) {
    dragging_ = false;
    pressed_ = false;
    Invalidate();
  }
  TCustomControl::WMCancelMode(m);
}

void TRzCustomButton::WMKeyDown(TMessage& m) {
  const bool alt = (m.LParam & (1 << 29)) != 0;
  if (m.WParam == VK_SPACE && !alt) {
    keyToggle_ = true;
    pressed_ = true;
    Invalidate();
  }
  TCustomControl::WMKeyDown(m);
}

void TRzCustomButton::WMKeyUp(TMessage& m) {
  if (m.WParam == VK_SPACE) {
    pressed_ = false;
    const bool toggled = keyToggle_;
    keyToggle_ = false;
    if (toggled) ButtonPressed();
    Invalidate();
  }
  TCustomControl::WMKeyUp(m);
}

void TRzCustomButton::WMSetFocus(TMessage& m) {
  TCustomControl::WMSetFocus(m);
  Invalidate();
}

// A Space held while the focus moves away must not click later.
void TRzCustomButton::WMKillFocus(TMessage& m) {
  TCustomControl::WMKillFocus(m);
  if (!IsDestroying()) {
    keyToggle_ = false;
    pressed_ = false;
  }
  Invalidate();
}

void TRzCustomButton::CMMouseEnter(TMessage& m) {
  if (!IsOwnMouseMessage(m, this)) return;
  mouseOver_ = true;
  TCustomControl::CMMouseEnter(m);
  if (hotTrack_ || Themed()) InvalidateRect(ClientRect(), false);
}

void TRzCustomButton::CMMouseLeave(TMessage& m) {
  if (!IsOwnMouseMessage(m, this)) return;
  mouseOver_ = false;
  TCustomControl::CMMouseLeave(m);
  if (hotTrack_ || Themed()) InvalidateRect(ClientRect(), false);
}

void TRzCustomButton::CMEnabledChanged(TMessage& m) {
  TCustomControl::CMEnabledChanged(m);
  Invalidate();
}

void TRzCustomButton::CMTextChanged(TMessage& m) {
  TCustomControl::CMTextChanged(m);
  Repaint();
}

int TRzCustomButton::MeasureCaptionHeight(TCanvas& canvas, const RECT& r, UINT format) {
  std::string text = Caption();
  UINT flags = DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER | DT_CENTER;
  if (!ShowAccelerators()) {
    text = StripAccelerators(text);
    flags |= DT_NOPREFIX;
  }
  (void)format;
  canvas.Font().Assign(Font());
  RECT calc = r;
  canvas.DrawText(text, calc, flags);
  return calc.bottom - calc.top;
}

void TRzCustomButton::DrawCaption(TCanvas& canvas, RECT r, UINT format, TColor faceColor) {
  std::string text = Caption();
  if (!ShowAccelerators()) {
    text = StripAccelerators(text);
    format |= DT_NOPREFIX;
  }
  canvas.Font().Assign(Font());
  canvas.Brush().SetStyle(bsClear);
  const int h = MeasureCaptionHeight(canvas, r, format);
  switch (alignmentVertical_) {
    case avTop:
      r.bottom = r.top + h;
      break;
    case avCenter:
      r.top = (r.top + r.bottom - h) / 2;
      r.bottom = r.top + h;
      break;
    case avBottom:
      r.top = r.bottom - h - 1;
      break;
  }
  auto drawAt = [&](int dx, int dy, TColor color) {
    RECT copy = r;
    OffsetRect(&copy, dx, dy);
    canvas.Font().SetColor(color);
    canvas.DrawText(text, copy, format);
  };
  if (!Enabled()) {
    drawAt(0, 0, ColorsTooSimilar(faceColor, clGrayText) ? cl3DDkShadow : clGrayText);
  } else {
    const TColor fontColor = Font().Color();
    switch (textStyle_) {
      case tsRaised:
        if (!lightTextStyle_) drawAt(1, 1, textShadowColor_);
        drawAt(-1, -1, textHighlightColor_);
        drawAt(0, 0, fontColor);
        break;
      case tsRecessed:
        drawAt(1, 1, textHighlightColor_);
        if (!lightTextStyle_) drawAt(-1, -1, textShadowColor_);
        drawAt(0, 0, fontColor);
        break;
      case tsShadow:
        if (format & DT_RIGHT) {
          drawAt(0, textShadowDepth_, textShadowColor_);
          drawAt(-textShadowDepth_, 0, fontColor);
        } else {
          drawAt(textShadowDepth_, textShadowDepth_, textShadowColor_);
          drawAt(0, 0, fontColor);
        }
        break;
      default:
        drawAt(0, 0, fontColor);
        break;
    }
  }
  canvas.Font().SetColor(Font().Color());
  canvas.Brush().SetStyle(bsSolid);
}

// ---- TRzButton ----

TRzButton::TRzButton(TComponent* owner) : TRzCustomButton(owner) {
  SetColor(clBtnFace);
  SetBounds(0, 0, 75, 25);
}

TRzButton::~TRzButton() {
  Destroying();
}

void TRzButton::SetHotTrack(bool value) {
  if (value == HotTrack()) return;
  TRzCustomButton::SetHotTrack(value);
  SetTransparentFlag(value);
  InvalidateRect(ClientRect(), true);
}

void TRzButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  if (HandleAllocated()) {
    if (TForm* form = GetParentForm(this))
      form->Perform(CM_FOCUSCHANGED, 0,
                    reinterpret_cast<LPARAM>(static_cast<TControl*>(form->ActiveControl())));
  }
  Invalidate();
}

void TRzButton::Click() {
  if (TForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  TRzCustomButton::Click();
}

void TRzButton::ButtonPressed() {
  if (groupIndex_ != 0)
    SetDown(!down_);
  else
    Invalidate();
  TFlagScope clicking(clicking_);
  Click();
}

void TRzButton::CreateWnd() {
  TRzCustomButton::CreateWnd();
  active_ = default_;
}

void TRzButton::WndProc(TMessage& m) {
  if (m.Msg == CM_BUTTONPRESSED) {
    CMButtonPressed(m);
    return;
  }
  TRzCustomButton::WndProc(m);
}

void TRzButton::CMDialogKey(TMessage& m) {
  const auto key = static_cast<UINT>(m.WParam);
  const bool plain = (KeyboardShiftState() & (ssShift | ssAlt | ssCtrl)) == 0;
  if (((key == VK_RETURN && active_) || (key == VK_ESCAPE && cancel_)) && plain && CanFocus()) {
    TFlagScope enter(enterClick_, key == VK_RETURN && !dropDownOnEnter_);
    Click();
    m.Result = 1;
    return;
  }
  TRzCustomButton::CMDialogKey(m);
}

void TRzButton::CMDialogChar(TMessage& m) {
  if (IsAccelerator(static_cast<wchar_t>(m.WParam), Caption()) && CanFocus()) {
    Click();
    m.Result = 1;
    return;
  }
  TRzCustomButton::CMDialogChar(m);
}

// A focused button acts as the default one; elsewhere the Default button does.
void TRzButton::CMFocusChanged(TMessage& m) {
  TRzCustomButton::CMFocusChanged(m);
  if (IsDestroying()) return;
  auto* focused = reinterpret_cast<TControl*>(m.LParam);
  const bool active = dynamic_cast<TRzButton*>(focused) ? focused == this : default_;
  if (active != active_) {
    active_ = active;
    Invalidate();
  }
}

// The form announces focus changes only for controls it did not already hold as active, which
// misses focus set through SetFocus; the buttons tell each other so the default tracking holds.
void TRzButton::AnnounceFocus(TWinControl* focused) {
  TForm* form = GetParentForm(this);
  if (!form || (focused && !form->ContainsControl(focused))) return;
  form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(focused)));
}

void TRzButton::WMSetFocus(TMessage& m) {
  TRzCustomButton::WMSetFocus(m);
  AnnounceFocus(this);
}

void TRzButton::WMKillFocus(TMessage& m) {
  TRzCustomButton::WMKillFocus(m);
  if (!IsDestroying()) AnnounceFocus(FindControl(GetFocus()));
}

void TRzButton::CMEnabledChanged(TMessage& m) {
  if (!Enabled() && Parent() && Focused()) {
    if (TForm* form = GetParentForm(this)) {
      if (!form->SelectNext(this, true, true)) ::SetFocus(form->Handle());
    }
  }
  TRzCustomButton::CMEnabledChanged(m);
}

bool TRzButton::PressedOrDown() const {
  return PressedLook() || (groupIndex_ != 0 && (state_ == bsDown || state_ == bsExclusive));
}

void TRzButton::Paint() {
  TCanvas& canvas = Canvas();
  const RECT client = ClientRect();
  RECT focus = Shrunk(client, (HotTrack() || Themed()) ? 3 : 4);
  if (groupIndex_ != 0 && (state_ == bsDown || state_ == bsExclusive || PressedLook()))
    OffsetRect(&focus, 1, 1);
  RECT r = client;
  if (Themed())
    PaintThemedFace(canvas, r);
  else if (!HotTrack())
    PaintClassicFace(canvas, r);
  else
    PaintHotTrackFace(canvas, r);
  if (groupIndex_ != 0 && state_ == bsExclusive && showDownPattern_) PaintDownPattern(canvas, r);
  canvas.Font().Assign(Font());
  canvas.Brush().SetColor(Color());
  PaintContent(canvas);
  if (ShowFocusCues() && Focused() && showFocusRect_) PaintDottedFocusFrame(canvas, focus);
}

void TRzButton::PaintContent(TCanvas& canvas) {
  DrawCaption(canvas, CaptionRect(), CaptionFormat(), Color());
}

RECT TRzButton::CaptionRect() const {
  RECT c = Shrunk(ClientRect(), 5);
  const bool classic = !HotTrack() && !Themed();
  if (classic && PressedOrDown()) OffsetRect(&c, 1, 1);
  return c;
}

UINT TRzButton::CaptionFormat() const {
  UINT format = DT_WORDBREAK | DT_EXPANDTABS;
  switch (alignment_) {
    case taLeftJustify:
      return format | DT_LEFT;
    case taRightJustify:
      return format | DT_RIGHT;
    default:
      return format | DT_CENTER;
  }
}

namespace {

// The theme blends the face's rounded edges into what lies behind them, and a blend may come out
// exactly as the window's colour key (the bar's silver behind grey corners): the window would
// show a hole there. Such pixels move one step of blue off the key.
void MoveOffColorKey(HDC dc, const RECT& r, TColor key) {
  const COLORREF keyRef = ToColorRef(ColorToRGB(key));
  const COLORREF beside = keyRef ^ 0x00010000;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (GetPixel(dc, x, y) == keyRef) SetPixel(dc, x, y, beside);
}

}  // namespace

// Leaves `r` at the part's content rectangle, so a down pattern keeps the themed edge.
void TRzButton::PaintThemedFace(TCanvas& canvas, RECT& r) {
  int state = PBS_NORMAL;
  if (!Enabled())
    state = PBS_DISABLED;
  else if (state_ == bsDown || state_ == bsExclusive || PressedLook())
    state = PBS_PRESSED;
  else if (MouseOver())
    state = PBS_HOT;
  else if (groupIndex_ != 0 || (!active_ && !Focused()))
    state = PBS_NORMAL;
  else
    state = PBS_DEFAULTED;
  RECT area = r;
  DrawThemeParentBackground(WindowHandle(), canvas.Handle(), &area);
  ThemeHandle theme(OpenThemeData(WindowHandle(), L"BUTTON"));
  if (!theme.Get()) return;
  DrawThemeBackground(theme.Get(), canvas.Handle(), BP_PUSHBUTTON, state, &r, nullptr);
  if (const TForm* form = GetParentForm(this); form && form->TransparentColor())
    MoveOffColorKey(canvas.Handle(), r, form->TransparentColorValue());
  RECT content;
  if (SUCCEEDED(GetThemeBackgroundContentRect(theme.Get(), canvas.Handle(), BP_PUSHBUTTON, state,
                                              &r, &content)))
    r = content;
}

void TRzButton::PaintClassicFace(TCanvas& canvas, RECT& r) {
  const bool pressed = PressedLook();
  const bool down = state_ == bsDown || state_ == bsExclusive;
  if (groupIndex_ == 0 && (((active_ || Focused()) && !pressed) || clicking_))
    r = PaintBoxOutline(canvas, r, clWindowFrame);
  const TColor color = Color();
  if (color == clBtnFace) {
    if (groupIndex_ != 0)
      r = PaintStyledFrame(canvas, r, (down || pressed) ? fsLowered : fsButtonUp);
    else
      r = PaintStyledFrame(canvas, r, pressed ? fsButtonDown : fsButtonUp);
  } else if (groupIndex_ == 0) {
    r = PaintTintedButtonFrame(canvas, r, color, pressed);
  } else if (down || pressed) {
    r = PaintTintedFrame(canvas, r, color, fsLowered);
  } else {
    r = PaintTintedButtonFrame(canvas, r, color, false);
  }
  canvas.Brush().SetColor(color);
  canvas.FillRect(r);
}

void TRzButton::PaintHotTrackFace(TCanvas& canvas, RECT& r) {
  const TColor parentColor = Parent() ? Parent()->Color() : clBtnFace;
  const TColor color = Color();
  const bool enabled = Enabled();
  const TColor dark = enabled ? DarkenColor(parentColor, 20) : parentColor;
  const TColor light = enabled ? LightenColor(parentColor, 20) : parentColor;
  auto line = [&](int x1, int y1, int x2, int y2, TColor c) {
    canvas.Pen().SetColor(c);
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
  };
  line(r.left, r.top + 2, r.left, r.bottom - 2, dark);
  line(r.left + 2, r.top, r.right - 2, r.top, dark);
  line(r.right - 1, r.top + 2, r.right - 1, r.bottom - 2, light);
  line(r.left + 2, r.bottom - 1, r.right - 2, r.bottom - 1, light);
  canvas.SetPixel(r.left + 1, r.top + 1, dark);
  canvas.SetPixel(r.right - 2, r.top + 1, dark);
  canvas.SetPixel(r.left + 1, r.bottom - 2, dark);
  canvas.SetPixel(r.right - 2, r.bottom - 2, light);
  r = Shrunk(r, 1);

  TColor frame = frameColor_;
  if (!enabled) frame = color == clBtnFace ? LightenColor(clBtnShadow, 30) : DarkenColor(color, 80);
  line(r.left + 1, r.top, r.right - 1, r.top, frame);
  line(r.left + 1, r.bottom - 1, r.right - 1, r.bottom - 1, frame);
  line(r.left, r.top + 1, r.left, r.bottom - 1, frame);
  line(r.right - 1, r.top + 1, r.right - 1, r.bottom - 1, frame);
  r = Shrunk(r, 1);

  if (!enabled) {
    canvas.Brush().SetColor(color);
    canvas.FillRect(r);
    return;
  }
  const bool down = state_ == bsDown || state_ == bsExclusive;
  if (down || PressedLook()) {
    canvas.Brush().SetColor(DarkenColor(color, 10));
    canvas.FillRect(r);
  } else {
    line(r.left, r.bottom - 2, r.right, r.bottom - 2, DarkenColor(color, 20));
    line(r.left, r.bottom - 1, r.right, r.bottom - 1, DarkenColor(color, 30));
    const RECT face{r.left, r.top, r.right, r.bottom - 2};
    if (GradientsAvailable()) {
      PaintGradientRect(canvas, face, gdHorizontalEnd, LightenColor(color, 30),
                        DarkenColor(color, 10));
    } else {
      canvas.Brush().SetColor(color);
      canvas.FillRect(face);
    }
  }
  if (MouseOver()) {
    TColor top, bottom;
    if (HotTrackColorType() == htctActual) {
      top = MixColors(clWhite, HotTrackColor(), 190);
      bottom = HotTrackColor();
    } else {
      top = OppositeHueColor(HotTrackColor(), 180);
      bottom = DarkenColor(top, 30);
    }
    PaintHighlightRing(canvas, r, gdHorizontalEnd, top, bottom);
  } else if (groupIndex_ == 0 && (active_ || Focused()) && !PressedLook()) {
    TColor h = HighlightColor();
    if (ColorsTooSimilar(h, clBtnFace)) h = DarkenColor(h, 30);
    const TColor l30 = LightenColor(color, 30);
    PaintHighlightRing(canvas, r, gdHorizontalEnd, MixColors(h, l30, 60), MixColors(h, l30, 160));
  }
}

// An 8 x 8 checker of the face colour and light grey marks an exclusive (latched) button.
void TRzButton::PaintDownPattern(TCanvas& canvas, const RECT& r) {
  const TColor face = ColorToRGB(Color());
  const TColor mark = face == 0xC0C0C0 ? 0x808080 : 0xC0C0C0;
  TBitmap pattern(8, 8);
  for (int y = 0; y < 8; ++y) {
    std::uint32_t* row = pattern.ScanLine(y);
    for (int x = 0; x < 8; ++x) row[x] = TBitmap::ColorToPixel((x % 2) == (y % 2) ? mark : face);
  }
  TBrush brush;
  brush.SetBitmap(&pattern);
  const SavedDC saved(canvas.Handle());
  FillRect(canvas.Handle(), &r, brush.Handle());
}

// ---- TRzBitBtn ----

namespace {

struct KindInfo {
  TRzString caption;  // rsCount: none
  TModalResult modalResult;
};

constexpr KindInfo kKinds[] = {
    {rsCount, mrNone},  {rsOk, mrOk},         {rsCancel, mrCancel}, {rsHelp, mrNone},
    {rsYes, mrYes},     {rsNo, mrNo},         {rsClose, mrNone},    {rsAbort, mrAbort},
    {rsRetry, mrRetry}, {rsIgnore, mrIgnore}, {rsAll, mrAll},
};

// The glyph resources of the kinds, in kind order: two 16 x 16 cells, keyed by the bottom-left
// pixel (drawn by scripts/gen-glyphs.py).
constexpr const char* kKindGlyphs[] = {
    nullptr,          "RZCOMMON_OK",     "RZCOMMON_CANCEL", "RZCOMMON_HELP",
    "RZCOMMON_YES",   "RZCOMMON_NO",     "RZCOMMON_CLOSE",  "RZCOMMON_ABORT",
    "RZCOMMON_RETRY", "RZCOMMON_IGNORE", "RZCOMMON_ALL",
};

}  // namespace

TRzBitBtn::TRzBitBtn(TComponent* owner) : TRzButton(owner) {
  imageLink_.OnChange = [this](TObject*) { Repaint(); };
  imageLink_.OnFree = [this](TObject*) {
    images_ = nullptr;
    Invalidate();
  };
}

TRzBitBtn::~TRzBitBtn() {
  Destroying();
  if (images_) images_->UnRegisterChanges(imageLink_);
}

std::string_view TRzBitBtn::KindCaption(TBitBtnKind kind) {
  return RzLoadStr(kKinds[std::min<int>(kind, bkAll)].caption);
}

TModalResult TRzBitBtn::KindModalResult(TBitBtnKind kind) {
  return kKinds[std::min<int>(kind, bkAll)].modalResult;
}

const TBitmap& TRzBitBtn::StockGlyph(TBitBtnKind kind) {
  static std::unique_ptr<TBitmap> glyphs[bkAll + 1];
  auto& slot = glyphs[std::min<int>(kind, bkAll)];
  if (!slot) {
    slot = std::make_unique<TBitmap>();
    if (const char* name = kKindGlyphs[std::min<int>(kind, bkAll)]) {
      try {
        slot->LoadFromResource(GetModuleHandleW(nullptr), name);
      } catch (const EInvalidGraphic&) {
        // A program built without the glyphs shows its buttons without them.
      }
    }
  }
  return *slot;
}

void TRzBitBtn::SetGlyph(const TBitmap& glyph) {
  glyph_.Assign(glyph);
  glyphModified_ = true;
  GlyphChanged();
  Invalidate();
}

void TRzBitBtn::GlyphChanged() {
  const int w = glyph_.Width(), h = glyph_.Height();
  if (h == 0 || w % h != 0) return;
  const int n = w / h;
  numGlyphs_ = (n >= 1 && n <= 4) ? n : 1;
}

void TRzBitBtn::SetNumGlyphs(int value) {
  Store(numGlyphs_, std::clamp(value, 1, 4));
}

TBitBtnKind TRzBitBtn::Kind() {
  if (kind_ == bkCustom) return kind_;
  const bool isDefault = kind_ == bkOK || kind_ == bkYes;
  const bool isCancel = kind_ == bkCancel || kind_ == bkNo;
  if (Default() != isDefault || Cancel() != isCancel || ModalResult() != KindModalResult(kind_) ||
      glyphModified_)
    kind_ = bkCustom;
  return kind_;
}

void TRzBitBtn::SetKind(TBitBtnKind value) {
  if (value > bkAll) return;
  if (value == bkCustom) {
    Store(kind_, value);
    return;
  }
  SetDefault(value == bkOK || value == bkYes);
  SetCancel(value == bkCancel || value == bkNo);
  if (!IsLoading() || Caption().empty()) SetCaption(KindCaption(value));
  SetModalResult(KindModalResult(value));
  glyph_.Assign(StockGlyph(value));
  numGlyphs_ = 2;
  glyphModified_ = false;
  kind_ = value;
  Invalidate();
}

void TRzBitBtn::SetMargin(int value) {
  if (value < -1) return;
  Store(margin_, value);
}

void TRzBitBtn::SetImages(TImageList* images) {
  if (images == images_) return;
  if (images_) images_->UnRegisterChanges(imageLink_);
  images_ = images;
  if (images_) images_->RegisterChanges(imageLink_);
  Invalidate();
}

void TRzBitBtn::ScaleForDpi(int newDpi, int oldDpi) {
  if (oldDpi <= 0 || newDpi == oldDpi) return;
  margin_ = margin_ < 0 ? margin_ : MulDiv(margin_, newDpi, oldDpi);
  spacing_ = MulDiv(spacing_, newDpi, oldDpi);
  Invalidate();
}

void TRzBitBtn::ChangeScale(int m, int d) {
  ScaleForDpi(m, d);
  TRzButton::ChangeScale(m, d);
}

bool TRzBitBtn::HasImage() const {
  return images_ && imageIndex_ != -1;
}

SIZE TRzBitBtn::GlyphSize() const {
  if (HasImage()) return SIZE{images_->Width(), images_->Height()};
  return SIZE{ScaleValue(glyph_.Width() / std::max(numGlyphs_, 1)), ScaleValue(glyph_.Height())};
}

void TRzBitBtn::PaintContent(TCanvas& canvas) {
  paintedCell_ = -1;
  glyphRect_ = RECT{};
  if (!HasImage() && glyph_.Empty()) {
    TRzButton::PaintContent(canvas);
    return;
  }
  const SIZE gs = GlyphSize();
  const int gw = gs.cx, gh = gs.cy;
  const RECT c = CaptionRect();
  const UINT format = CaptionFormat();
  const int height = ClientHeight();
  const int th = MeasureCaptionHeight(canvas, c, format);
  const int free = (height - th - gh - spacing_) / 2;
  const TButtonLayout layout = layout_;

  RECT cap = c;
  const int step = margin_ + (layout == blGlyphLeft || layout == blGlyphRight ? gw : gh) + spacing_;
  switch (layout) {
    case blGlyphLeft:
      cap.left += step;
      break;
    case blGlyphRight:
      cap.right -= step;
      break;
    case blGlyphTop:
      if (margin_ >= 0) {
        cap.top += step;
      } else {
        cap.top = free + gh + c.top;
        cap.bottom = cap.top + th;
      }
      break;
    case blGlyphBottom:
      if (margin_ >= 0) {
        cap.bottom -= step;
      } else {
        cap.top = free + c.top;
        cap.bottom = cap.top + th;
      }
      break;
  }

  const bool pressed = PressedOrDown();
  const bool themed = Themed();
  RECT g = c;
  if (pressed) OffsetRect(&g, -1, themed ? 0 : -1);
  if (margin_ >= 0) {
    switch (layout) {
      case blGlyphLeft:
        g.left += margin_;
        break;
      case blGlyphRight:
        g.left = g.right - margin_ - gw;
        break;
      case blGlyphTop:
        g.top += margin_;
        break;
      case blGlyphBottom:
        g.top = g.bottom - margin_ - gh;
        break;
    }
  } else {
    switch (layout) {
      case blGlyphRight:
        g.left = g.right - gw;
        break;
      case blGlyphTop:
        g.top = free;
        break;
      case blGlyphBottom:
        g.top += th + free;
        break;
      default:
        break;
    }
  }
  if (layout == blGlyphTop || layout == blGlyphBottom)
    g.left += (g.right - g.left - gw + 1) / 2;
  else
    g.top += (g.bottom - g.top - gh + 1) / 2;
  g = RECT{g.left, g.top, g.left + gw, g.top + gh};
  if (pressed) OffsetRect(&g, themed ? 2 : 1, themed ? 0 : 1);

  DrawCaption(canvas, cap, format, Color());
  PaintGlyph(canvas, g);
}

void TRzBitBtn::PaintGlyph(TCanvas& canvas, const RECT& g) {
  glyphRect_ = g;
  if (Kind() == bkCustom && HasImage()) {
    if (!Enabled() && disabledIndex_ != -1)
      images_->Draw(canvas, g.left, g.top, disabledIndex_, true);
    else
      images_->Draw(canvas, g.left, g.top, imageIndex_, Enabled());
    return;
  }
  if (glyph_.Empty()) return;
  int cell = 0;
  const bool down = State() == bsDown || PressedLook();
  if (numGlyphs_ == 4 && State() == bsExclusive)
    cell = 3;
  else if (numGlyphs_ >= 3 && down)
    cell = 2;
  else if (numGlyphs_ >= 2 && !Enabled())
    cell = 1;
  paintedCell_ = cell;
  const int gw = g.right - g.left, gh = g.bottom - g.top;
  const int cw = glyph_.Width() / std::max(numGlyphs_, 1), ch = glyph_.Height();
  if (gw <= 0 || gh <= 0 || cw <= 0) return;
  // Masked drawing over a copy of the face, then one copy back: no flicker of the key colour.
  // The cell is stretched to the resolution pixel for pixel, which keeps the key colour exact.
  TBitmap under(gw, gh);
  BitBlt(under.Canvas().Handle(), 0, 0, gw, gh, canvas.Handle(), g.left, g.top, SRCCOPY);
  PaintMaskedBitmap(under.Canvas(), glyph_, RECT{0, 0, gw, gh},
                    RECT{cell * cw, 0, (cell + 1) * cw, ch}, glyph_.TransparentColor());
  BitBlt(canvas.Handle(), g.left, g.top, gw, gh, under.Canvas().Handle(), 0, 0, SRCCOPY);
}

}  // namespace kovra
