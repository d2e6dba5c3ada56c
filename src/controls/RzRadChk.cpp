// Glyph buttons and the check box.
#include "controls/RzRadChk.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include <algorithm>

#include "controls/RzCommonText.h"
#include "controls/RzFlagScope.h"
#include "framework/Handles.h"
#include "framework/runtime/Text.h"

namespace kovra {

namespace {

constexpr int kDefaultGlyphSize = 13;
constexpr int kHotImageCount = 9;  // image lists with more than this many carry hot images

// Pixels of `from` become `to`.
void ReplaceColor(TBitmap& bitmap, TColor from, TColor to) {
  const std::uint32_t f = TBitmap::ColorToPixel(ColorToRGB(from));
  const std::uint32_t t = TBitmap::ColorToPixel(ColorToRGB(to));
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::uint32_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x)
      if ((row[x] & 0x00FFFFFF) == f) row[x] = t;
  }
}

}  // namespace

// ---- TRzCustomGlyphButton ----

TRzCustomGlyphButton::TRzCustomGlyphButton(TComponent* owner) : TRzCustomButton(owner) {
  SetControlStyle(ControlStyle() | csOpaque);
  SetAlignmentVertical(avTop);
  SetColor(clWindow);
  SetParentColor(true);
  imagesLink_.OnChange = [this](TObject*) { CustomGlyphsChanged(); };
  imagesLink_.OnFree = [this](TObject*) {
    customGlyphImages_ = nullptr;
    CustomGlyphsChanged();
  };
  UpdateGlyphSize();
}

TRzCustomGlyphButton::~TRzCustomGlyphButton() {
  Destroying();
  if (customGlyphImages_) customGlyphImages_->UnRegisterChanges(imagesLink_);
}

void TRzCustomGlyphButton::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Invalidate();
}

void TRzCustomGlyphButton::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  AdjustBounds();
}

void TRzCustomGlyphButton::SetWordWrap(bool value) {
  if (value == wordWrap_) return;
  wordWrap_ = value;
  AdjustBounds();
  Invalidate();
}

void TRzCustomGlyphButton::SetRightToLeftReading(bool value) {
  if (value == rightToLeft_) return;
  rightToLeft_ = value;
  Invalidate();
}

void TRzCustomGlyphButton::SetTransparent(bool value) {
  backgroundDirty_ = true;
  if (value == Transparent()) return;
  SetTransparentFlag(value);
  SetControlStyle(value ? ControlStyle() & ~csOpaque : ControlStyle() | csOpaque);
  Invalidate();
}

void TRzCustomGlyphButton::SetCustomGlyphs(const TBitmap& glyphs) {
  customGlyphs_.Assign(glyphs);
  CustomGlyphsChanged();
}

void TRzCustomGlyphButton::SetCustomGlyphImages(TImageList* images) {
  if (images == customGlyphImages_) return;
  if (customGlyphImages_) customGlyphImages_->UnRegisterChanges(imagesLink_);
  customGlyphImages_ = images;
  if (customGlyphImages_) customGlyphImages_->RegisterChanges(imagesLink_);
  CustomGlyphsChanged();
}

void TRzCustomGlyphButton::CustomGlyphsChanged() {
  const bool listUsable = customGlyphImages_ && customGlyphImages_->Width() > 0 &&
                          customGlyphImages_->Height() > 0 && customGlyphImages_->Count() > 0;
  SetUseCustomGlyphs(listUsable || !customGlyphs_.Empty());
  // The flag may not have changed while the glyphs' size did.
  UpdateGlyphSize();
  if (!IsLoading()) AdjustBounds();
  Invalidate();
}

void TRzCustomGlyphButton::SetUseCustomGlyphs(bool value) {
  useCustomGlyphs_ = value;
  UpdateGlyphSize();
  if (!IsLoading()) AdjustBounds();
  Invalidate();
}

void TRzCustomGlyphButton::UpdateGlyphSize() {
  const bool listUsable = customGlyphImages_ && customGlyphImages_->Width() > 0 &&
                          customGlyphImages_->Height() > 0 && customGlyphImages_->Count() > 0;
  if (useCustomGlyphs_ && listUsable) {
    glyphWidth_ = customGlyphImages_->Width();
    glyphHeight_ = customGlyphImages_->Height();
    return;
  }
  if (useCustomGlyphs_ && !customGlyphs_.Empty()) {
    glyphWidth_ = std::max(customGlyphs_.Width() / std::max(numCells_, 1), 1);
    glyphHeight_ = customGlyphs_.Height();
    return;
  }
  // Scaled screens: the themed part is drawn at the control's resolution.
  themedGlyphWidth_ = themedGlyphHeight_ = kDefaultGlyphSize;
  if (Themed() && CurrentPPI() != kDesignPixelsPerInch) {
    themedGlyphWidth_ = ScaleValue(kDefaultGlyphSize) - 1;
    themedGlyphHeight_ = themedGlyphWidth_;
  }
  glyphWidth_ = Themed() ? themedGlyphWidth_ : kDefaultGlyphSize;
  glyphHeight_ = Themed() ? themedGlyphHeight_ : kDefaultGlyphSize;
}

bool TRzCustomGlyphButton::GlyphOnRight() const {
  return rightToLeft_ ? alignment_ == taRightJustify : alignment_ == taLeftJustify;
}

bool TRzCustomGlyphButton::GlyphFromTheme() const {
  const bool listUsable = customGlyphImages_ && customGlyphImages_->Count() > 0;
  const bool custom = useCustomGlyphs_ && (listUsable || !customGlyphs_.Empty());
  return Themed() && !custom;
}

SIZE TRzCustomGlyphButton::ShownGlyphSize() const {
  if (GlyphFromTheme()) return SIZE{glyphWidth_, glyphHeight_};
  return SIZE{ScaleValue(glyphWidth_), ScaleValue(glyphHeight_)};
}

RECT TRzCustomGlyphButton::GlyphRect() const {
  const int w = ClientWidth(), h = ClientHeight();
  const SIZE g = ShownGlyphSize();
  const int x = GlyphOnRight() ? w - g.cx : 0;
  int y = ScaleValue(2);
  if (AlignmentVertical() == avCenter)
    y = (h - g.cy) / 2;
  else if (AlignmentVertical() == avBottom)
    y = h - g.cy - ScaleValue(2);
  return RECT{x, y, x + g.cx, y + g.cy};
}

RECT TRzCustomGlyphButton::CaptionRect() const {
  RECT r = ClientRect();
  InflateRect(&r, -1, -1);
  if (GlyphOnRight())
    r.right -= ShownGlyphSize().cx;
  else
    r.left += ShownGlyphSize().cx + ScaleValue(4);
  return r;
}

void TRzCustomGlyphButton::AdjustBounds() {
  if (!autoSize_ || !HandleAllocated() || IsLoading() || adjusting_) return;
  TFlagScope guard(adjusting_);
  RECT r = ClientRect();
  InflateRect(&r, -1, -1);
  const SIZE glyph = ShownGlyphSize();
  r.right = std::max(r.right - (glyph.cx + ScaleValue(4)), r.left + 2);
  WindowDC screen(nullptr);
  if (!screen.Get()) return;
  TCanvas canvas(screen.Get());
  canvas.Font().Assign(Font());
  std::string text = Caption();
  UINT flags = DT_CALCRECT | DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0);
  if (!ShowAccelerators()) {
    text = StripAccelerators(text);
    flags |= DT_NOPREFIX;
  }
  // An empty caption still measures one line, as a caption of one blank would.
  canvas.DrawText(text.empty() ? std::string(" ") : text, r, flags);
  canvas.Release();
  const int textWidth = text.empty() ? 0 : static_cast<int>(r.right - r.left);
  const int newHeight =
      std::max(static_cast<int>(glyph.cy) + ScaleValue(2), static_cast<int>(r.bottom - r.top) + 2);
  const int newWidth = textWidth + static_cast<int>(glyph.cx) + ScaleValue(6);
  int left = Left();
  if (GlyphOnRight()) left = Left() + Width() - newWidth;
  SetBounds(left, Top(), newWidth, newHeight);
}

void TRzCustomGlyphButton::CreateWnd() {
  TRzCustomButton::CreateWnd();
  UpdateGlyphSize();
  AdjustBounds();
}

// The themed glyph's size follows the resolution, and the control's size follows the glyph.
void TRzCustomGlyphButton::ChangeScale(int m, int d) {
  TRzCustomButton::ChangeScale(m, d);
  UpdateGlyphSize();
  backgroundDirty_ = true;
  AdjustBounds();
}

void TRzCustomGlyphButton::Loaded() {
  TRzCustomButton::Loaded();
  if (FontBoxHeight(Font()) < Height()) SetWordWrap(true);
  UpdateGlyphSize();
  AdjustBounds();
}

// ---- painting ----

void TRzCustomGlyphButton::EraseBackground(HDC, const RECT&) {
  // Paint covers every pixel.
}

void TRzCustomGlyphButton::PaintBackground(TCanvas& canvas) {
  const int w = ClientWidth(), h = ClientHeight();
  if (backgroundDirty_ || Transparent() || background_.Width() != w || background_.Height() != h) {
    background_.SetSize(w, h);
    TCanvas& bg = background_.Canvas();
    if (Transparent()) {
      PaintParentBackground(*this, bg.Handle(), false);
    } else {
      bg.Brush().SetColor(Color());
      bg.FillRect(RECT{0, 0, w, h});
    }
    backgroundDirty_ = false;
  }
  canvas.CopyRect(RECT{0, 0, w, h}, background_.Canvas(), RECT{0, 0, w, h});
}

TRzGlyphDrawState TRzCustomGlyphButton::DrawState() const {
  if (!Enabled()) return gdsDisabled;
  if (Pressed()) return gdsPressed;
  if (MouseOver()) return gdsHot;
  return gdsNormal;
}

void TRzCustomGlyphButton::HoverColors(TColor& light, TColor& dark) const {
  if (HotTrackColorType() == htctActual) {
    light = MixColors(clWhite, ColorToRGB(HotTrackColor()), 190);
    dark = HotTrackColor();
  } else {
    light = OppositeHueColor(ColorToRGB(HotTrackColor()), 180);
    dark = DarkenColor(light, 30);
  }
}

void TRzCustomGlyphButton::PaintCheckMarkBox(TCanvas& canvas, const RECT& r,
                                             TRzGlyphDrawState state) {
  TColor light, dark;
  HoverColors(light, dark);
  const bool hot = state == gdsHot;
  const TColor outline = hot && hotTrackStyle_ == htsFrame ? dark : frameColor_;
  const RECT inner = PaintBoxOutline(canvas, r, outline);
  TColor interior;
  TColor mark = HighlightColor();
  if (state == gdsPressed) {
    interior = DarkenColor(ColorToRGB(focusColor_), 20);
  } else if (state == gdsDisabled) {
    interior = disabledColor_;
    mark = clBtnShadow;
  } else if (!Focused()) {
    interior = readOnly_ ? readOnlyColor_ : fillColor_;
  } else {
    interior = readOnly_ && readOnlyColorOnFocus_ ? readOnlyColor_ : focusColor_;
  }
  canvas.Brush().SetColor(interior);
  canvas.FillRect(inner);
  if (hot) {
    if (hotTrackStyle_ == htsInterior)
      PaintHighlightRing(canvas, inner, gdDiagonalDown, light, dark);
    else
      PaintBoxOutline(canvas, inner, dark);
  }
  const int index = GlyphStateIndex();
  if (index == cbChecked) {
    static constexpr int kTops[7] = {4, 5, 6, 5, 4, 3, 2};
    for (int i = 0; i < 7; ++i)
      for (int d = 0; d < 3; ++d)
        canvas.SetPixel(inner.left + 2 + i, inner.top + kTops[i] + d, mark);
  } else if (index == cbGrayed) {
    RECT g = inner;
    InflateRect(&g, -2, -2);
    canvas.Brush().SetColor(mark);
    canvas.FillRect(g);
  }
}

void TRzCustomGlyphButton::DrawCheckImage(TCanvas& canvas, const RECT& r, TRzGlyphDrawState state) {
  const int index = GlyphStateIndex();
  paintedGlyphIndex_ = -1;
  const bool listUsable = customGlyphImages_ && customGlyphImages_->Count() > 0;
  if (useCustomGlyphs_ && listUsable) {
    int image = index;
    if (state == gdsDisabled)
      image = 6 + index;
    else if (state == gdsPressed)
      image = 3 + index;
    else if (state == gdsHot && HotTrack() && customGlyphImages_->Count() > kHotImageCount)
      image = 9 + index;
    canvas.Brush().SetColor(transparentColor_);
    canvas.FillRect(r);
    customGlyphImages_->Draw(canvas, r.left, r.top, image);
    paintedGlyphIndex_ = image;
    return;
  }
  if (useCustomGlyphs_ && !customGlyphs_.Empty()) {
    int cell = index;
    if (state == gdsDisabled)
      cell = 6 + index;
    else if (state == gdsPressed)
      cell = 3 + index;
    const RECT source{cell * glyphWidth_, 0, (cell + 1) * glyphWidth_, glyphHeight_};
    canvas.CopyRect(r, customGlyphs_.Canvas(), source);
    paintedGlyphIndex_ = cell;
    return;
  }
  if (Themed()) {
    canvas.Brush().SetColor(Color());
    canvas.FillRect(r);
    DrawGlyphImage(canvas, r, state);
    return;
  }
  if (HotTrack()) {
    PaintCheckMarkBox(canvas, r, state);
    return;
  }
  UINT flags = DFCS_BUTTONCHECK;
  if (index == cbChecked) flags |= DFCS_CHECKED;
  if (index == cbGrayed) flags |= DFCS_CHECKED | DFCS_BUTTON3STATE;
  if (state == gdsPressed) flags |= DFCS_PUSHED;
  if (state == gdsDisabled) flags |= DFCS_INACTIVE;
  RECT box = r;
  DrawFrameControl(canvas.Handle(), &box, DFC_BUTTON, flags);
}

// The themed box itself, drawn straight onto `canvas` (the glyph image or, transparent, the
// background under the glyph).
void TRzCustomGlyphButton::DrawGlyphImage(TCanvas& canvas, const RECT& r, TRzGlyphDrawState state) {
  static constexpr int kBase[3] = {CBS_UNCHECKEDNORMAL, CBS_CHECKEDNORMAL, CBS_MIXEDNORMAL};
  const int offset = state == gdsHot ? 1 : state == gdsPressed ? 2 : state == gdsDisabled ? 3 : 0;
  const int part = kBase[std::clamp(GlyphStateIndex(), 0, 2)] + offset;
  ThemeHandle theme(OpenThemeData(WindowHandle(), L"BUTTON"));
  if (!theme.Get()) return;
  RECT box = r;
  DrawThemeBackground(theme.Get(), canvas.Handle(), BP_CHECKBOX, part, &box, nullptr);
}

void TRzCustomGlyphButton::PaintGlyph(TCanvas& canvas) {
  const RECT g = GlyphRect();
  const int w = glyphWidth_, h = glyphHeight_;
  if (w <= 0 || h <= 0) return;
  const TRzGlyphDrawState state = DrawState();
  // The check image at its designed size; the theme draws at the resolution, the other looks
  // are stretched pixel for pixel so that the key colour stays exact.
  const RECT local{0, 0, w, h};
  const RECT shown{0, 0, g.right - g.left, g.bottom - g.top};
  const bool custom = useCustomGlyphs_;
  if (Transparent() && Themed() && !custom) {
    DrawGlyphImage(canvas, g, state);  // over the parent's background already copied
    paintedGlyphIndex_ = -1;
    return;
  }
  TBitmap image(w, h);
  DrawCheckImage(image.Canvas(), local, state);
  if (custom) ReplaceColor(image, winMaskColor_, clWindow);
  TBitmap composed(shown.right, shown.bottom);
  if (Transparent()) {
    composed.Canvas().CopyRect(shown, background_.Canvas(), g);
  } else {
    composed.Canvas().Brush().SetColor(Color());
    composed.Canvas().FillRect(shown);
  }
  PaintMaskedBitmap(composed.Canvas(), image, shown, local, transparentColor_);
  canvas.CopyRect(g, composed.Canvas(), shown);
}

void TRzCustomGlyphButton::Paint() {
  if (IsDestroying()) return;
  TCanvas& canvas = Canvas();
  canvas.Font().Assign(Font());
  PaintBackground(canvas);
  PaintGlyph(canvas);
  RECT caption = CaptionRect();
  UINT format = wordWrap_ ? DT_WORDBREAK | DT_EXPANDTABS : DT_EXPANDTABS;
  if (rightToLeft_) format |= DT_RIGHT | DT_RTLREADING;
  DrawCaption(canvas, caption, format, Color());
  if (ShowFocusCues() && Focused() && !Caption().empty()) {
    RECT frame = caption;
    InflateRect(&frame, 1, 1);
    PaintDottedFocusFrame(canvas, frame);
  }
}

// ---- input ----

void TRzCustomGlyphButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TFlagScope mouse(mouseInitiated_);
  TRzCustomButton::MouseUp(button, shift, x, y);
}

void TRzCustomGlyphButton::ClearKeyPress() {
  if (!keyPressed_ && !keyToggle_) return;
  keyPressed_ = false;
  keyToggle_ = false;
  Invalidate();
}

// Space and Escape are handled here rather than by the push button, which knows no Escape
// and no read-only state.
void TRzCustomGlyphButton::WMKeyDown(TMessage& m) {
  const bool alt = (m.LParam & (1 << 29)) != 0;
  if (m.WParam == VK_SPACE && !alt) {
    if (!readOnly_) {
      keyPressed_ = true;
      keyToggle_ = true;
      Invalidate();
    }
    TCustomControl::WMKeyDown(m);
    return;
  }
  if (m.WParam == VK_ESCAPE) ClearKeyPress();
  TCustomControl::WMKeyDown(m);
}

void TRzCustomGlyphButton::WMKeyUp(TMessage& m) {
  if (m.WParam == VK_SPACE) {
    const bool toggle = keyToggle_;
    keyPressed_ = false;
    keyToggle_ = false;
    Invalidate();
    if (toggle) ButtonPressed();
    TCustomControl::WMKeyUp(m);
    return;
  }
  TCustomControl::WMKeyUp(m);
}

bool TRzCustomGlyphButton::DoKeyPress(wchar_t& key) {
  if (tabOnEnter_ && key == L'\r') {
    key = 0;
    if (HandleAllocated()) PostMessageW(WindowHandle(), WM_KEYDOWN, VK_TAB, 0);
    return true;
  }
  return TRzCustomButton::DoKeyPress(key);
}

void TRzCustomGlyphButton::WMKillFocus(TMessage& m) {
  TRzCustomButton::WMKillFocus(m);
  if (!IsDestroying()) {
    keyPressed_ = false;
    keyToggle_ = false;
  }
}

void TRzCustomGlyphButton::CMMouseLeave(TMessage& m) {
  TRzCustomButton::CMMouseLeave(m);
  if (keyPressed_) {
    keyPressed_ = false;
    Invalidate();
  }
}

// ---- changes ----

void TRzCustomGlyphButton::WMEraseBkgnd(TMessage& m) {
  backgroundDirty_ = true;
  m.Result = 1;
}

void TRzCustomGlyphButton::WMSize(TMessage& m) {
  backgroundDirty_ = true;
  TRzCustomButton::WMSize(m);
}

void TRzCustomGlyphButton::CMEnabledChanged(TMessage& m) {
  backgroundDirty_ = true;
  TRzCustomButton::CMEnabledChanged(m);
}

void TRzCustomGlyphButton::CMColorChanged(TMessage& m) {
  backgroundDirty_ = true;
  TRzCustomButton::CMColorChanged(m);
  Invalidate();
}

void TRzCustomGlyphButton::CMParentColorChanged(TMessage& m) {
  backgroundDirty_ = true;
  TRzCustomButton::CMParentColorChanged(m);
  Invalidate();
}

void TRzCustomGlyphButton::CMFontChanged(TMessage& m) {
  TRzCustomButton::CMFontChanged(m);
  AdjustBounds();
  Invalidate();
}

void TRzCustomGlyphButton::CMTextChanged(TMessage& m) {
  TRzCustomButton::CMTextChanged(m);
  AdjustBounds();
}

void TRzCustomGlyphButton::WndProc(TMessage& m) {
  if (m.Msg == WM_THEMECHANGED) {
    UpdateGlyphSize();
    AdjustBounds();
    Invalidate();
  }
  TRzCustomButton::WndProc(m);
}

// ---- TRzCustomCheckBox ----

TRzCustomCheckBox::TRzCustomCheckBox(TComponent* owner) : TRzCustomGlyphButton(owner) {
  SetNumCells(9);
}

TRzCustomCheckBox::~TRzCustomCheckBox() {
  Destroying();
  SetFrameController(nullptr);
}

void TRzCustomCheckBox::SetState(TCheckBoxState value) {
  if (value > cbGrayed || value == state_) return;
  state_ = value;
  Invalidate();
  if (!fromAction_) Click();
}

void TRzCustomCheckBox::Toggle() {
  if (MouseInitiated() && ReadOnly()) return;
  switch (state_) {
    case cbUnchecked:
      SetState(allowGrayed_ ? cbGrayed : cbChecked);
      break;
    case cbChecked:
      SetState(cbUnchecked);
      break;
    case cbGrayed:
      SetState(cbChecked);
      break;
  }
}

void TRzCustomCheckBox::ButtonPressed() {
  Toggle();
}

void TRzCustomCheckBox::ActionCheckedChanged(bool checked) {
  if (checked == Checked()) return;
  TFlagScope guard(fromAction_);
  SetChecked(checked);
}

void TRzCustomCheckBox::ActionChange(bool actionChecked, bool checkDefaults) {
  if (checkDefaults && Checked()) return;
  ActionCheckedChanged(actionChecked);
}

void TRzCustomCheckBox::FrameControllerUpdate() {
  TRzFrameController* controller = FrameController();
  if (!controller || !controller->FrameVisible()) return;
  const TRzFrameControllerNotifications accepted = FrameControllerNotifications();
  SetHotTrack(true);
  if (accepted.Contains(fcpColor)) SetFillColor(controller->Color());
  if (accepted.Contains(fcpFrameColor)) SetFrameColor(controller->FrameColor());
  if (accepted.Contains(fcpFocusColor)) SetFocusColor(controller->FocusColor());
  if (accepted.Contains(fcpDisabledColor)) SetDisabledColor(controller->DisabledColor());
  if (accepted.Contains(fcpReadOnlyColor)) SetReadOnlyColor(controller->ReadOnlyColor());
  if (accepted.Contains(fcpReadOnlyColorOnFocus))
    SetReadOnlyColorOnFocus(controller->ReadOnlyColorOnFocus());
  if (accepted.Contains(fcpFrameHotTrack))
    SetHotTrackStyle(controller->FrameHotTrack() ? htsFrame : htsInterior);
  if (accepted.Contains(fcpFrameHotColor) && HotTrackStyle() == htsFrame)
    SetHotTrackColor(controller->FrameHotColor());
  Invalidate();
}

// The accelerator focuses the box; a box that then holds the focus toggles.
void TRzCustomCheckBox::CMDialogChar(TMessage& m) {
  if (IsAccelerator(static_cast<wchar_t>(m.WParam), Caption()) && CanFocus()) {
    SetFocus();
    if (Focused() && !ReadOnly()) Toggle();
    m.Result = 1;
    return;
  }
  TRzCustomGlyphButton::CMDialogChar(m);
}

void TRzCustomCheckBox::WndProc(TMessage& m) {
  if (m.Msg == BM_GETCHECK) {
    m.Result = state_;
    return;
  }
  TRzCustomGlyphButton::WndProc(m);
}

}  // namespace kovra
