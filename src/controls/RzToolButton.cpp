// TRzToolButton and TRzControlButton.
#include "controls/RzToolButton.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include <algorithm>

#include "controls/RzCommonText.h"
#include "controls/RzControlMessages.h"
#include "framework/CanvasScope.h"
#include "framework/Handles.h"
#include "framework/runtime/Text.h"

namespace kovra {

namespace {

constexpr int kImageGap = 2;  // between a tool button's image and its caption

// Whether the control under the cursor is `control` (on its parent's visible surface).
bool CursorOver(TControl& control) {
  TWinControl* parent = control.Parent();
  if (!parent || !parent->HandleAllocated()) return false;
  POINT screen;
  if (!GetCursorPos(&screen)) return false;
  if (TWinControl::FindControl(WindowFromPoint(screen)) != parent) return false;
  const POINT p = parent->ScreenToClient(screen);
  return parent->ControlAtPos(p) == &control;
}

void Line(TCanvas& c, int x1, int y1, int x2, int y2, TColor color) {
  c.Pen().SetColor(color);
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

HWND ThemeWindow(const TControl& control) {
  TWinControl* parent = control.Parent();
  return parent && parent->HandleAllocated() ? parent->WindowHandle() : nullptr;
}

}  // namespace

// ---- TRzToolButton ----

TRzToolButton::TRzToolButton(TComponent* owner) : TGraphicControl(owner) {
  // Clicks are judged here (release inside, group toggles); quick second presses are presses.
  SetControlStyle(csCaptureMouse | csSetCaption | csReplicatable);
  SetBounds(0, 0, 25, 25);
  SetColor(clBtnFace);
  imageLink_.OnChange = [this](TObject*) { Invalidate(); };
  imageLink_.OnFree = [this](TObject*) {
    images_ = nullptr;
    Invalidate();
  };
}

TRzToolButton::~TRzToolButton() {
  Destroying();
  if (images_) images_->UnRegisterChanges(imageLink_);
}

void TRzToolButton::SetImages(TImageList* images) {
  if (images == images_) return;
  if (images_) images_->UnRegisterChanges(imageLink_);
  images_ = images;
  if (images_) images_->RegisterChanges(imageLink_);
  Invalidate();
}

void TRzToolButton::SetDropDownMenu(TPopupMenu* menu) {
  if (menu == dropDownMenu_) return;
  if (dropDownMenu_) RemoveFreeNotification(dropDownMenu_);
  dropDownMenu_ = menu;
  if (menu) FreeNotification(menu);
  Invalidate();
}

void TRzToolButton::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == dropDownMenu_) dropDownMenu_ = nullptr;
}

// ---- groups ----

void TRzToolButton::SetDown(bool value) {
  if (!IsLoading()) {
    TRzGroupedButton::SetDown(value);
    return;
  }
  down_ = value;
  GroupDownChanged();
}

// ---- toolbar parent ----

void TRzToolButton::SetParent(TWinControl* parent) {
  TGraphicControl::SetParent(parent);
  if (!IsLoading()) UpdateFromToolbar();
}

void TRzToolButton::Loaded() {
  TGraphicControl::Loaded();
  if (down_ && groupIndex_ == 0) ShowDown(false);
  if (down_) BroadcastGroup();
  UpdateFromToolbar();
}

void TRzToolButton::UpdateFromToolbar() {
  auto* toolbar = dynamic_cast<IRzToolbarSettings*>(Parent());
  if (!toolbar) return;
  // The images first: the size a captioned button gets depends on them.
  if (!images_ && toolbar->ToolbarImages()) SetImages(toolbar->ToolbarImages());
  if (useToolbarShowCaption_) SetShowCaption(toolbar->ToolbarShowCaption());
  if (useToolbarButtonLayout_) SetLayout(toolbar->ToolbarButtonLayout());
  if (useToolbarButtonSize_) {
    const SIZE s = ToolbarSizeFor(toolbar->ToolbarButtonSize());
    SetBounds(Left(), Top(), s.cx, s.cy);
  }
  if (useToolbarVisualStyle_) SetVisualStyle(toolbar->ToolbarVisualStyle());
}

SIZE TRzToolButton::ToolbarSizeFor(SIZE base) {
  SIZE s = base;
  if (showCaption_) {
    TCanvas canvas;
    WindowDC screen(nullptr);
    int captionWidth = 0;
    {
      const TCanvasOnDC attached(canvas, screen.Get());
      canvas.Font().Assign(Font());
      captionWidth = canvas.TextWidth(StripAccelerators(Caption()));
    }
    const int imageWidth = images_ ? images_->Width() : 0;
    const bool side = layout_ == blGlyphLeft || layout_ == blGlyphRight;
    s.cx = std::max<LONG>(base.cx, side ? imageWidth + captionWidth + 12 : captionWidth + 8);
  }
  if (toolStyle_ == tsDropDown) s.cx += kDropDownWidth;
  return s;
}

// ---- mouse ----

bool TRzToolButton::Inside(int x, int y) const {
  return x >= 0 && y >= 0 && x < Width() && y < Height();
}

bool TRzToolButton::InArrowSection(int x) const {
  return toolStyle_ == tsDropDown && x >= Width() - kDropDownWidth;
}

RECT TRzToolButton::DropDownRect() const {
  if (toolStyle_ != tsDropDown) return RECT{};
  return RECT{std::max(0, Width() - kDropDownWidth), 0, Width(), Height()};
}

void TRzToolButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled()) return;
  if (toolStyle_ == tsDropDown && dropDownMenu_) {
    const bool recentlyDropped = droppedOnce_ && GetTickCount() - lastDropDown_ < kReDropGuardMs;
    const bool leftAlone = (shift & (ssRight | ssMiddle)) == 0;
    if ((leftAlone && InArrowSection(x)) || (!HasClickHandler())) {
      if (recentlyDropped) {  // this press closed our own menu
        treatAsNormal_ = true;
        SetMouseCapture(false);
        return;
      }
      state_ = tbsDropped;
      treatAsNormal_ = false;
      Repaint();
      SetMouseCapture(false);  // the menu takes the mouse
      DropDown();
      return;
    }
    if (!treatAsNormal_) {
      treatAsNormal_ = true;
      if (recentlyDropped) {  // the press that closed the menu is no click of the body
        SetMouseCapture(false);
        return;
      }
    }
  }
  if (!down_ || state_ == tbsExclusive) state_ = tbsPressed;
  dragging_ = true;
  Invalidate();
}

void TRzToolButton::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!dragging_) return;
  TRzToolButtonState next = down_ ? tbsExclusive : tbsUp;
  if (Inside(x, y)) next = down_ ? tbsExclusive : tbsPressed;
  if (next != state_) {
    state_ = next;
    Invalidate();
  }
}

void TRzToolButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button != mbLeft) return;
  const bool inside = Inside(x, y);
  if (!dragging_) {
    if (toolStyle_ == tsDropDown && !inside && state_ != tbsDropped) {
      state_ = down_ ? tbsExclusive : tbsUp;
      treatAsNormal_ = true;
      Invalidate();
    }
    return;
  }
  dragging_ = false;
  bool click = inside;
  if (groupIndex_ == 0) {
    state_ = tbsUp;
    mouseOver_ = false;
  } else {
    if (inside) {
      const bool was = down_;
      SetDown(!down_);
      click = down_ != was;
    }
    state_ = down_ ? tbsExclusive : tbsUp;
  }
  if (toolStyle_ == tsDropDown && !inside) {
    state_ = down_ ? tbsExclusive : tbsUp;
    treatAsNormal_ = true;
  }
  Invalidate();
  SyncHover();
  if (click) Click();
}

void TRzToolButton::SyncHover() {
  const bool over = CursorOver(*this);
  if (over == mouseOver_) return;
  const LPARAM self = reinterpret_cast<LPARAM>(static_cast<TControl*>(this));
  Perform(over ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, self);
}

void TRzToolButton::WMCancelMode(TMessage& m) {
  TGraphicControl::WMCancelMode(m);
  if (inDropDown_) return;
  if (dragging_ || state_ == tbsPressed) {
    dragging_ = false;
    state_ = down_ ? tbsExclusive : tbsUp;
    Invalidate();
  }
}

void TRzToolButton::CMMouseEnter(TMessage& m) {
  if (!IsOwnMouseMessage(m, this)) return;
  TGraphicControl::CMMouseEnter(m);
  mouseOver_ = true;
  Repaint();
}

// While the menu is up the button keeps its hot look.
void TRzToolButton::CMMouseLeave(TMessage& m) {
  if (!IsOwnMouseMessage(m, this)) return;
  TGraphicControl::CMMouseLeave(m);
  if (!inDropDown_) mouseOver_ = false;
  Repaint();
}

void TRzToolButton::CMEnabledChanged(TMessage& m) {
  TGraphicControl::CMEnabledChanged(m);
  if (!Enabled()) {
    dragging_ = false;
    if (MouseCapture()) SetMouseCapture(false);
  }
  Invalidate();
}

void TRzToolButton::CMTextChanged(TMessage& m) {
  TGraphicControl::CMTextChanged(m);
  Invalidate();
}

void TRzToolButton::CMDialogChar(TMessage& m) {
  if (!Enabled() || !Visible() || !Parent() || !Parent()->Showing()) return;
  if (!IsAccelerator(static_cast<wchar_t>(m.WParam), Caption())) return;
  m.Result = 1;
  if (toolStyle_ == tsDropDown && !HasClickHandler() && dropDownMenu_) {
    DropDown();
    return;
  }
  // The accelerator stands for a plain click, whatever an earlier menu left behind.
  treatAsNormal_ = true;
  Click();
}

void TRzToolButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_BUTTONPRESSED:
      CMButtonPressed(m);
      return;
    case CM_DIALOGCHAR:
      CMDialogChar(m);
      return;
    default:
      TGraphicControl::WndProc(m);
  }
}

void TRzToolButton::Click() {
  if (toolStyle_ == tsDropDown && !treatAsNormal_) return;
  TGraphicControl::Click();
}

// ---- drop-down ----

int TRzToolButton::MenuWidth() const {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  FontHandle font;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    font.Reset(CreateFontIndirectW(&metrics.lfMenuFont));
  WindowDC screen(nullptr);
  if (!screen.Get()) return 56;
  SelectObjectScope select(screen.Get(), font ? font.Get() : GetStockObject(DEFAULT_GUI_FONT));
  int widest = 0;
  TMenuItem& items = dropDownMenu_->Items();
  for (int i = 0; i < items.Count(); ++i) {
    const std::wstring text = Wide(StripAccelerators(items.Items(i)->Caption()));
    SIZE size{};
    GetTextExtentPoint32W(screen.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    widest = std::max<int>(widest, size.cx);
  }
  return widest + 56;
}

// Below the button, on the edge the menu's alignment names, kept inside the work area.
POINT TRzToolButton::MenuPoint(int menuWidth) const {
  const POINT origin = ClientToScreen(POINT{0, 0});
  POINT p{origin.x, origin.y + Height()};
  const TPopupAlignment alignment = dropDownMenu_->Alignment();
  HMONITOR monitor = MonitorAtPoint(p);
  if (!monitor) monitor = MonitorFromWindow(ThemeWindow(*this), MONITOR_DEFAULTTONEAREST);
  const RECT work = MonitorWorkArea(monitor);
  const TRzMenuAlignment side = alignment == paRight    ? rmaRight
                                : alignment == paCenter ? rmaCenter
                                                        : rmaLeft;
  p.x = DropDownMenuX(origin.x, Width(), menuWidth, side, work.left, work.right);
  return p;
}

void TRzToolButton::DropDown() {
  if (!dropDownMenu_ || inDropDown_) return;
  struct Finish {
    TRzToolButton* self;
    ~Finish() {
      self->inDropDown_ = false;
      self->lastDropDown_ = GetTickCount();
      self->droppedOnce_ = true;
      self->dragging_ = false;
      self->state_ = self->down_ ? tbsExclusive : tbsUp;
      self->Invalidate();
    }
  } finish{this};
  inDropDown_ = true;
  state_ = tbsDropped;
  Repaint();
  if (OnDropDown) OnDropDown(this);
  if (!dropDownMenu_) return;  // the handler may take the menu away
  const POINT p = MenuPoint(MenuWidth());
  dropDownMenu_->SetPopupComponent(this);
  dropDownMenu_->Popup(p.x, p.y);
  inDropDown_ = false;
  SyncHover();  // the leave that came while the menu was up was held back
  if (groupIndex_ != 0 && !down_) Click();
}

// ---- painting ----

// A disabled state left over from a disabled spell is not what an enabled button shows.
TRzToolButtonState TRzToolButton::PaintState() const {
  if (!Enabled()) return tbsDisabled;
  if (state_ == tbsDisabled) return groupIndex_ != 0 && down_ ? tbsExclusive : tbsUp;
  return state_;
}

void TRzToolButton::GradientColors(TColor& frame, TColor& start, TColor& stop) const {
  if (gradientColorStyle_ == gcsCustom) {
    frame = selectionFrameColor_;
    start = selectionColorStart_;
    stop = selectionColorStop_;
  } else {
    SchemeSelectionColors(gradientColorStyle_, frame, start, stop);
  }
}

void TRzToolButton::PaintGradientBox(TCanvas& canvas, const RECT& r, bool reversed,
                                     bool exclusive) {
  TColor frame, start, stop;
  GradientColors(frame, start, stop);
  const RECT inner = PaintBoxOutline(canvas, r, frame);
  TColor top = start, bottom = stop;
  if (exclusive) {
    top = mouseOver_ ? stop : DarkenColor(stop, 40);
    bottom = start;
  } else if (reversed) {
    std::swap(top, bottom);
  }
  PaintGradientRect(canvas, inner, gdHorizontalEnd, top, bottom);
}

void TRzToolButton::PaintFrame(TCanvas& canvas, TRzToolButtonState state, RECT& r) {
  const bool hovered = mouseOver_ && state != tbsDisabled;
  const bool pushed = state == tbsPressed || state == tbsExclusive;
  if (Themed()) {
    ThemeHandle theme(OpenThemeData(ThemeWindow(*this), flat_ ? L"TOOLBAR" : L"BUTTON"));
    if (!theme.Get()) return;
    RECT part = r;
    if (toolStyle_ == tsDropDown) part.right -= kDropDownWidth;
    if (flat_) {
      int s = TS_NORMAL;
      if (state == tbsDisabled)
        s = TS_DISABLED;
      else if (state == tbsPressed || state == tbsDropped)
        s = TS_PRESSED;
      else if (state == tbsExclusive)
        s = hovered ? TS_HOTCHECKED : TS_CHECKED;
      else if (hovered)
        s = TS_HOT;
      const int kind = toolStyle_ == tsDropDown ? TP_SPLITBUTTON : TP_BUTTON;
      DrawThemeBackground(theme.Get(), canvas.Handle(), kind, s, &part, nullptr);
    } else {
      int s = PBS_NORMAL;
      if (state == tbsDisabled)
        s = PBS_DISABLED;
      else if (pushed || state == tbsDropped)
        s = PBS_PRESSED;
      else if (hovered)
        s = PBS_HOT;
      DrawThemeBackground(theme.Get(), canvas.Handle(), BP_PUSHBUTTON, s, &part, nullptr);
    }
    return;
  }
  if (visualStyle_ == vsClassic && !flat_) {
    r = PaintStyledFrame(canvas, r, pushed ? fsLowered : fsButtonUp);
    return;
  }
  const bool designing = (ComponentState() & csDesigning) != 0;
  if (!pushed && !hovered && state != tbsDropped && !designing) return;
  if (visualStyle_ == vsGradient) {
    if (designing && !pushed && !hovered) {
      TColor frame, start, stop;
      GradientColors(frame, start, stop);
      PaintBoxCorners(canvas, r, frame, 4);
      return;
    }
    PaintGradientBox(canvas, r, state == tbsPressed || state == tbsDropped, state == tbsExclusive);
    InflateRect(&r, -1, -1);
    return;
  }
  r = PaintStyledFrame(canvas, r, pushed ? fsStatus : fsPopup);
}

// Latched classic buttons show a fine checker of the face and a lighter tone.
void TRzToolButton::PaintCheckerPattern(TCanvas& canvas, const RECT& r) {
  const TColor a = ColorToRGB(transparent_ ? clBtnFace : Color());
  const TColor b = ColorToRGB(transparent_ ? clBtnHighlight : LightenColor(Color(), 20));
  TBitmap pattern(8, 8);
  for (int y = 0; y < 8; ++y) {
    std::uint32_t* row = pattern.ScanLine(y);
    for (int x = 0; x < 8; ++x) row[x] = TBitmap::ColorToPixel((x % 2) == (y % 2) ? b : a);
  }
  TBrush brush;
  brush.SetBitmap(&pattern);
  RECT inner = r;
  if (toolStyle_ == tsDropDown) inner.right = std::min<LONG>(inner.right, Width() - kDropDownWidth);
  FillRect(canvas.Handle(), &inner, brush.Handle());
}

void TRzToolButton::PaintDropDownSection(TCanvas& canvas, TRzToolButtonState state) {
  const RECT a = DropDownRect();
  const bool hovered = mouseOver_ && state != tbsDisabled;
  const bool pressed = state == tbsPressed || state == tbsDropped;
  const bool gradient = visualStyle_ == vsGradient && !Themed();
  if (Themed()) {
    if (ThemeHandle theme{OpenThemeData(ThemeWindow(*this), L"TOOLBAR")}; theme.Get()) {
      int s = TS_NORMAL;
      if (state == tbsDisabled)
        s = TS_DISABLED;
      else if (state == tbsDropped)
        s = TS_PRESSED;
      else if (hovered || pressed)
        s = TS_HOT;
      DrawThemeBackground(theme.Get(), canvas.Handle(), TP_SPLITBUTTONDROPDOWN, s, &a, nullptr);
      return;  // the themed part carries its own arrow
    }
  } else if (state == tbsDropped) {
    if (gradient)
      PaintGradientBox(canvas, a, true, false);
    else
      PaintStyledFrame(canvas, a, fsStatus);
  } else if (hovered || state == tbsPressed) {
    const int x = a.left + (state == tbsPressed ? 1 : 0);
    if (gradient) {
      TColor frame, start, stop;
      GradientColors(frame, start, stop);
      Line(canvas, x, a.top + 1, x, a.bottom - 1, frame);
    } else {
      Line(canvas, x - 1, a.top + 1, x - 1, a.bottom - 1, clBtnShadow);
      Line(canvas, x, a.top + 1, x, a.bottom - 1, clBtnHighlight);
    }
  }
  // A five-pixel triangle, three rows tall, in the middle of the section.
  int cx = (a.left + a.right - 5) / 2, cy = (a.top + a.bottom - 3) / 2;
  if (pressed && !gradient) ++cx, ++cy;
  const TColor color = state == tbsDisabled ? clBtnShadow : clWindowText;
  for (int row = 0; row < 3; ++row) Line(canvas, cx + row, cy + row, cx + 5 - row, cy + row, color);
}

int TRzToolButton::ChooseImage(TRzToolButtonState state, bool& enabledLook) const {
  const bool enabled = Enabled();
  const bool pushed =
      state == tbsPressed || state == tbsExclusive || (state == tbsDropped && !HasClickHandler());
  enabledLook = true;
  if (pushed && downIndex_ != -1) return downIndex_;
  if (disabledIndex_ != -1) {
    if (enabled && mouseOver_ && hotIndex_ != -1) return hotIndex_;
    return enabled ? imageIndex_ : disabledIndex_;
  }
  enabledLook = enabled;
  if (mouseOver_ && enabled && hotIndex_ != -1) return hotIndex_;
  return imageIndex_;
}

void TRzToolButton::PaintContent(TCanvas& canvas, TRzToolButtonState state) {
  RECT c{0, 0, Width(), Height()};
  if (toolStyle_ == tsDropDown) c.right -= kDropDownWidth;
  InflateRect(&c, -2, -2);
  bool enabledLook = true;
  const int index = ChooseImage(state, enabledLook);
  const bool hasImage = images_ && imageIndex_ != -1 && index >= 0 && index < images_->Count();
  const int iw = hasImage ? images_->Width() : 0, ih = hasImage ? images_->Height() : 0;
  const std::string caption = Caption();
  const bool hasCaption = showCaption_ && !caption.empty();
  paintedImage_ = -1;
  imageRect_ = captionRect_ = RECT{};

  POINT image{c.left + (c.right - c.left - iw) / 2, c.top + (c.bottom - c.top - ih) / 2};
  if (hasCaption) {
    canvas.Font().Assign(Font());
    const bool side = layout_ == blGlyphLeft || layout_ == blGlyphRight;
    const int gap = hasImage ? kImageGap : 0;
    RECT avail = c;
    if (layout_ == blGlyphLeft) avail.left += iw + gap;
    if (layout_ == blGlyphRight) avail.right -= iw + gap;
    if (layout_ == blGlyphTop) avail.top += ih + gap;
    if (layout_ == blGlyphBottom) avail.bottom -= ih + gap;
    RECT calc{0, 0, std::max<LONG>(avail.right - avail.left, 1), 0};
    canvas.DrawText(caption, calc,
                    DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER | DT_CENTER);
    const int tw = std::min<int>(calc.right - calc.left, avail.right - avail.left);
    const int th = calc.bottom - calc.top;
    RECT text{};
    if (side) {
      const int total = iw + gap + tw;
      const int x0 = c.left + (c.right - c.left - total) / 2;
      const int ty = c.top + (c.bottom - c.top - th) / 2;
      const int tx = layout_ == blGlyphLeft ? x0 + iw + gap : x0;
      image.x = layout_ == blGlyphLeft ? x0 : x0 + tw + gap;
      text = RECT{tx, ty, tx + tw, ty + th};
    } else {
      const int total = ih + gap + th;
      const int y0 = c.top + (c.bottom - c.top - total) / 2;
      const int ty = layout_ == blGlyphTop ? y0 + ih + gap : y0;
      image.y = layout_ == blGlyphTop ? y0 : y0 + th + gap;
      const int tx = c.left + (c.right - c.left - tw) / 2;
      text = RECT{tx, ty, tx + tw, ty + th};
    }
    captionRect_ = text;
    const bool gradient = visualStyle_ == vsGradient && !Themed();
    TColor color = Font().Color();
    if (state == tbsDisabled)
      color = clBtnShadow;
    else if (state == tbsPressed && !gradient)
      color = clHighlightText;
    UINT format = DT_VCENTER | DT_WORDBREAK | DT_EXPANDTABS;
    format |= alignment_ == taLeftJustify    ? DT_LEFT
              : alignment_ == taRightJustify ? DT_RIGHT
                                             : DT_CENTER;
    canvas.Brush().SetStyle(bsClear);
    canvas.Font().SetColor(color);
    canvas.DrawText(caption, text, format);
    canvas.Brush().SetStyle(bsSolid);
  }
  if (hasImage) {
    images_->Draw(canvas, image.x, image.y, index, enabledLook);
    paintedImage_ = index;
    imageRect_ = RECT{image.x, image.y, image.x + iw, image.y + ih};
  }
}

void TRzToolButton::Paint() {
  TCanvas& canvas = Canvas();
  const TRzToolButtonState state = PaintState();
  RECT r{0, 0, Width(), Height()};
  PaintFrame(canvas, state, r);
  if (!transparent_) {
    canvas.Brush().SetColor(Color());
    canvas.FillRect(r);
  }
  if (state == tbsExclusive && visualStyle_ != vsGradient && !Themed() && !mouseOver_)
    PaintCheckerPattern(canvas, r);
  if (toolStyle_ == tsDropDown) PaintDropDownSection(canvas, state);
  PaintContent(canvas, state);
}

// ---- TRzControlButton ----

TRzControlButton::TRzControlButton(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(csCaptureMouse | csSetCaption | csReplicatable);
  SetBounds(0, 0, 17, 21);
  SetColor(clBtnFace);
}

TRzControlButton::~TRzControlButton() {
  Destroying();
}

void TRzControlButton::SetGlyph(const TBitmap& glyph) {
  glyph_.Assign(glyph);
  const int w = glyph_.Width(), h = glyph_.Height();
  if (h > 0 && w > 0) {
    const int n = w / h;
    numGlyphs_ = n >= 1 && n < 5 ? n : 1;
  }
  Invalidate();
}

void TRzControlButton::SetNumGlyphs(int value) {
  Store(numGlyphs_, std::clamp(value, 1, 4));
}

void TRzControlButton::AbandonPress() {
  abandoned_ = true;
  if (MouseCapture()) SetMouseCapture(false);
}

void TRzControlButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  abandoned_ = false;
  TGraphicControl::MouseDown(button, shift, x, y);
  if (abandoned_) {
    abandoned_ = false;
    return;
  }
  if (button != mbLeft || !Enabled()) return;
  down_ = true;
  dragging_ = true;
  Invalidate();
  if (!repeatClicks_) return;
  if (!timer_) {
    timer_ = std::make_unique<TTimer>();
    timer_->SetEnabled(false);
    timer_->OnTimer = [this](TObject*) { TimerTick(); };
  }
  timer_->SetInterval(std::max<UINT>(initialDelay_, 1));
  timer_->SetEnabled(true);
}

void TRzControlButton::TimerTick() {
  timer_->SetInterval(std::max<UINT>(delay_, 1));
  if (!down_ || !MouseCapture()) return;
  try {
    Click();
  } catch (...) {
    StopRepeat();
    throw;
  }
}

void TRzControlButton::StopRepeat() {
  if (timer_) timer_->SetEnabled(false);
}

void TRzControlButton::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!dragging_) return;
  const bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
  if (inside != down_) {
    down_ = inside;
    Invalidate();
  }
}

void TRzControlButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button != mbLeft || !dragging_) return;
  dragging_ = false;
  down_ = false;
  mouseOver_ = false;
  StopRepeat();
  Invalidate();
  SyncHover();
  if (x >= 0 && y >= 0 && x < Width() && y < Height()) Click();
}

void TRzControlButton::SyncHover() {
  const bool over = CursorOver(*this);
  if (over == mouseOver_) return;
  const LPARAM self = reinterpret_cast<LPARAM>(static_cast<TControl*>(this));
  Perform(over ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, self);
}

// A lost capture (a dialog, a focus change) ends the press and any repeating.
void TRzControlButton::WMCancelMode(TMessage& m) {
  TGraphicControl::WMCancelMode(m);
  StopRepeat();
  if (down_ || dragging_) {
    down_ = false;
    dragging_ = false;
    Invalidate();
  }
}

void TRzControlButton::CMMouseEnter(TMessage& m) {
  if (!IsOwnMouseMessage(m, this)) return;
  TGraphicControl::CMMouseEnter(m);
  mouseOver_ = true;
  Invalidate();
}

void TRzControlButton::CMMouseLeave(TMessage& m) {
  if (!IsOwnMouseMessage(m, this)) return;
  TGraphicControl::CMMouseLeave(m);
  mouseOver_ = false;
  Invalidate();
}

void TRzControlButton::CMEnabledChanged(TMessage& m) {
  TGraphicControl::CMEnabledChanged(m);
  if (!Enabled()) {
    StopRepeat();
    down_ = dragging_ = false;
    if (MouseCapture()) SetMouseCapture(false);
  }
  Invalidate();
}

void TRzControlButton::PaintClassicFrame(TCanvas& canvas, RECT& r) {
  const bool designing = (ComponentState() & csDesigning) != 0;
  if (flat_) {
    if (down_ || (mouseOver_ && Enabled()) || designing)
      r = PaintStyledFrame(canvas, r, down_ ? fsStatus : fsPopup);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(r);
    return;
  }
  if (down_)
    r = PaintBoxOutline(canvas, r, clBtnShadow);
  else
    r = PaintStyledFrame(canvas, r, style_ == cbsNone ? fsRaised : fsButtonUp);
  canvas.Brush().SetColor(style_ == cbsNone || style_ == cbsDropDown ? clBtnFace : Color());
  canvas.FillRect(r);
}

// Returns false when no theme data could be had (the classic frame is painted instead).
bool TRzControlButton::PaintThemedFrame(TCanvas& canvas, RECT& r, bool& arrowDone) {
  const bool hot = mouseOver_ && (ComponentState() & csDesigning) == 0;
  const bool idleFlat = flat_ && !down_ && !hot;
  const wchar_t* cls = style_ == cbsNone       ? L"BUTTON"
                       : style_ == cbsDropDown ? L"COMBOBOX"
                                               : L"SPIN";
  ThemeHandle theme(OpenThemeData(ThemeWindow(*this), cls));
  if (!theme.Get()) return false;
  auto fillColor = [&] {
    canvas.Brush().SetColor(Color());
    canvas.FillRect(r);
  };
  // 1 normal, 2 hot, 3 pressed, 4 disabled: the order every part here shares.
  const int s = !Enabled() ? 4 : down_ ? 3 : hot ? 2 : 1;
  if (style_ == cbsNone) {
    if (idleFlat)
      fillColor();
    else
      DrawThemeBackground(theme.Get(), canvas.Handle(), BP_PUSHBUTTON, s, &r, nullptr);
  } else if (style_ == cbsDropDown) {
    if (idleFlat) {
      fillColor();
      PaintDropDownArrow(canvas, r, alkThemed, Enabled(), CurrentPPI());
    } else {
      DrawThemeBackground(theme.Get(), canvas.Handle(), CP_DROPDOWNBUTTON, s, &r, nullptr);
    }
    arrowDone = true;
  } else {
    static constexpr int kParts[] = {0, SPNP_DOWNHORZ, SPNP_UP, SPNP_UPHORZ, SPNP_DOWN};
    static constexpr TRzArrowDirection kDirections[] = {adUp, adLeft, adUp, adRight, adDown};
    if (idleFlat) {
      fillColor();
      PaintDirectionArrow(canvas, r, IsVistaOrLater() ? alkFlat : alkThemed, Enabled(),
                          kDirections[style_], CurrentPPI());
    } else {
      DrawThemeBackground(theme.Get(), canvas.Handle(), kParts[style_], s, &r, nullptr);
    }
    arrowDone = true;
    if (IsVistaOrLater() && Height() < 10)
      Line(canvas, r.left, r.top, r.right, r.top, ThemeElementColor(7));
  }
  InflateRect(&r, -2, -2);
  return true;
}

void TRzControlButton::PaintGlyph(TCanvas& canvas, const RECT& r) {
  paintedCell_ = -1;
  glyphRect_ = RECT{};
  if (glyph_.Empty()) return;
  const int cells = std::max(numGlyphs_, 1);
  const int gw = glyph_.Width() / cells, gh = glyph_.Height();
  if (gw <= 0 || gh <= 0) return;
  int cell = 0;
  if (numGlyphs_ > 2 && down_)
    cell = 2;
  else if (numGlyphs_ >= 2 && !Enabled())
    cell = 1;
  RECT inner = r;
  InflateRect(&inner, -1, -1);
  // Designed at 96 pixels per inch: stretched pixel for pixel, so the key colour stays exact.
  RECT g = CenteredRect(inner, ScaleValue(gw), ScaleValue(gh));
  OffsetRect(&g, 1, 1);
  if (down_) OffsetRect(&g, 1, ThemesActive() ? 0 : 1);
  PaintMaskedBitmap(canvas, glyph_, g, RECT{cell * gw, 0, (cell + 1) * gw, gh},
                    glyph_.TransparentColor());
  paintedCell_ = cell;
  glyphRect_ = g;
}

void TRzControlButton::Paint() {
  TCanvas& canvas = Canvas();
  RECT r{0, 0, Width(), Height()};
  bool arrowDone = false;
  if (!ThemesActive() || !PaintThemedFrame(canvas, r, arrowDone)) PaintClassicFrame(canvas, r);
  switch (style_) {
    case cbsNone:
      PaintGlyph(canvas, r);
      break;
    case cbsDropDown:
      if (!arrowDone) PaintDropDownArrow(canvas, r, alkClassic, Enabled(), CurrentPPI());
      break;
    default:
      if (!arrowDone) {
        static constexpr TRzArrowDirection kDirections[] = {adUp, adLeft, adUp, adRight, adDown};
        PaintDirectionArrow(canvas, r, alkClassic, Enabled(), kDirections[style_], CurrentPPI());
      }
      break;
  }
}

}  // namespace kovra
