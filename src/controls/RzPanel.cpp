#include "controls/RzPanel.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <cmath>

#include "framework/Forms.h"

namespace kovra {

namespace {}  // namespace

// ---- TRzCustomPanel ----

TRzCustomPanel::TRzCustomPanel(TComponent* owner) : TCustomPanel(owner) {
  SetControlStyle((ControlStyle() & ~(csSetCaption | csParentBackground)) | csOpaque);
  SetBevelOuter(bvNone);
  SetColor(clBtnFace);
}

TRzCustomPanel::~TRzCustomPanel() {
  Destroying();
  SetFrameController(nullptr);
}

RECT TRzCustomPanel::ShrinkByBorders(RECT r, bool withBorderWidth) const {
  const TRzLayoutRect inner = ShrinkByPanelBorders(
      TRzLayoutRect{r.left, r.top, r.right, r.bottom}, borderOuter_, borderInner_, borderSides_,
      BevelWidth(), withBorderWidth ? BorderWidth() : 0);
  return RECT{inner.left, inner.top, inner.right, inner.bottom};
}

RECT TRzCustomPanel::FramedClientRect() const {
  return ShrinkByBorders(ClientRect(), false);
}

void TRzCustomPanel::AdjustClientRect(RECT& r) const {
  // The framed rectangle, then the framework takes BorderWidth off every side.
  const RECT whole = ClientRect();
  const RECT framed = FramedClientRect();
  r.left += framed.left - whole.left;
  r.top += framed.top - whole.top;
  r.right += framed.right - whole.right;
  r.bottom += framed.bottom - whole.bottom;
  TCustomPanel::AdjustClientRect(r);
}

void TRzCustomPanel::ChangeBorders(TFrameStyleEx& field, TFrameStyleEx value) {
  if (field == value) return;
  field = value;
  BordersChanged();
  Realign();
  Invalidate();
}

void TRzCustomPanel::SetBorderOuter(TFrameStyleEx value) {
  ChangeBorders(borderOuter_, value);
}

void TRzCustomPanel::SetBorderInner(TFrameStyleEx value) {
  ChangeBorders(borderInner_, value);
}

void TRzCustomPanel::SetBorderSides(TSides value) {
  if (value == borderSides_) return;
  borderSides_ = value;
  BordersChanged();
  Realign();
  Invalidate();
}

void TRzCustomPanel::SetGradientColorStart(TColor value) {
  if (value == gradientColorStart_) return;
  gradientColorStart_ = value;
  Invalidate();
  InvalidateTransparentChildren(*this);
}

void TRzCustomPanel::SetGradientColorStop(TColor value) {
  if (value == gradientColorStop_) return;
  gradientColorStop_ = value;
  Invalidate();
  InvalidateTransparentChildren(*this);
}

void TRzCustomPanel::SetGradientDirection(TGradientDirection value) {
  if (value == gradientDirection_) return;
  gradientDirection_ = value;
  Invalidate();
  InvalidateTransparentChildren(*this);
}

void TRzCustomPanel::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  SetControlStyle(value ? ControlStyle() & ~csOpaque : ControlStyle() | csOpaque);
  Invalidate();
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->Invalidate();
}

void TRzCustomPanel::ReadUseGradients(bool value) {
  if (value) SetVisualStyle(vsGradient);
}

void TRzCustomPanel::FrameControllerUpdate() {
  TRzFrameController* controller = FrameController();
  if (!controller || !controller->FrameVisible()) return;
  const TRzFrameControllerNotifications accepted = FrameControllerNotifications();
  if (accepted.Contains(fcpFrameStyle)) borderOuter_ = controller->FrameStyle();  // no realign
  if (accepted.Contains(fcpFrameSides)) SetBorderSides(controller->FrameSides());
  if (accepted.Contains(fcpFrameColor)) {
    SetFlatColor(controller->FrameColor());
    SetFlatColorAdjustment(0);
  }
  if (accepted.Contains(fcpColor)) SetColor(controller->Color());
  if (accepted.Contains(fcpParentColor)) SetParentColor(controller->ParentColor());
  if (accepted.Contains(fcpColor)) {
    SetBorderHighlight(LightenColor(Color(), 100));
    SetBorderShadow(DarkenColor(Color(), 50));
  }
  Invalidate();
}

void TRzCustomPanel::SetBounds(int left, int top, int width, int height) {
  // Docked to an edge, the panel grows away from that edge.
  if (Align() == alBottom && height != Height()) top = Top() + Height() - height;
  if (Align() == alRight && width != Width()) left = Left() + Width() - width;
  TCustomPanel::SetBounds(left, top, width, height);
}

// ---- painting ----

void TRzCustomPanel::GradientColors(TColor& start, TColor& stop) const {
  if (gradientColorStyle_ == gcsCustom) {
    start = gradientColorStart_;
    stop = gradientColorStop_;
  } else {
    SchemePanelColors(gradientColorStyle_, start, stop);
  }
}

void TRzCustomPanel::Paint() {
  TCanvas& canvas = Canvas();
  RECT r = ClientRect();
  TColor flat = flatColor_;
  int adjustment = flatColorAdjustment_;
  if (visualStyle_ == vsGradient && gradientColorStyle_ != gcsCustom) {
    SchemePanelFrameColor(gradientColorStyle_, flat);
    adjustment = 0;
  }
  TRzPanelBorderLook look;
  look.outer = borderOuter_;
  look.inner = borderInner_;
  look.borderWidth = BorderWidth();
  look.sides = borderSides_;
  look.bevelWidth = BevelWidth();
  look.borderColor = borderColor_;
  look.highlightColor = borderHighlight_;
  look.shadowColor = borderShadow_;
  look.flatColor = flat;
  look.flatColorAdjustment = adjustment;
  look.controlColor = Color();
  look.parentColor = Parent() ? Parent()->Color() : Color();
  look.transparent = transparent_;
  r = PaintPanelBorders(canvas, r, look);

  if (!transparent_ && paintClientArea_) {
    const bool grow =
        (borderOuter_ == fsFlatRounded && borderInner_ == fsNone && BorderWidth() == 0) ||
        borderInner_ == fsFlatRounded;
    RECT fill = r;
    if (grow) {
      if (borderSides_.Contains(sdLeft)) --fill.left;
      if (borderSides_.Contains(sdTop)) --fill.top;
      if (borderSides_.Contains(sdRight)) ++fill.right;
      if (borderSides_.Contains(sdBottom)) ++fill.bottom;
    }
    if (visualStyle_ == vsGradient) {
      TColor start, stop;
      GradientColors(start, stop);
      PaintGradientRect(canvas, fill, gradientDirection_, start, stop, 1);
    } else {
      canvas.Brush().SetColor(Color());
      canvas.FillRect(fill);
    }
    if (grow) {
      // The fill overlapped the rounded frame's corners: round them again.
      const TColor corner = ShiftColorLightness(flat, adjustment);
      const bool l = borderSides_.Contains(sdLeft), t = borderSides_.Contains(sdTop);
      const bool rt = borderSides_.Contains(sdRight), b = borderSides_.Contains(sdBottom);
      if (l && t) canvas.SetPixel(fill.left, fill.top, corner);
      if (rt && t) canvas.SetPixel(fill.right - 1, fill.top, corner);
      if (rt && b) canvas.SetPixel(fill.right - 1, fill.bottom - 1, corner);
      if (l && b) canvas.SetPixel(fill.left, fill.bottom - 1, corner);
    }
  }
  if (showGrid_) PaintGrid(canvas, r);
  canvas.Brush().SetStyle(bsClear);
  PaintCaption(canvas, r);
  canvas.Brush().SetStyle(bsSolid);
  if (OnPaint) OnPaint(this);
}

void TRzCustomPanel::PaintGrid(TCanvas& canvas, const RECT& r) {
  const int gx = gridXSize_, gy = gridYSize_;
  const TRzGridCells cells = GridCells(TRzLayoutRect{r.left, r.top, r.right, r.bottom}, gx, gy);
  const int nx = cells.columns, ny = cells.rows;
  canvas.Pen().SetColor(gridColor_);
  canvas.Pen().SetStyle(psSolid);
  switch (gridStyle_) {
    case gsDots:
      for (int i = 1; i <= nx; ++i)
        for (int j = 1; j <= ny; ++j)
          canvas.SetPixel(r.left + i * gx - 1, r.top + j * gy - 1, gridColor_);
      break;
    case gsSolidLines:
      for (int i = 1; i <= nx; ++i) {
        canvas.MoveTo(r.left + i * gx - 1, r.top);
        canvas.LineTo(r.left + i * gx - 1, r.bottom);
      }
      for (int j = 1; j <= ny; ++j) {
        canvas.MoveTo(r.left, r.top + j * gy - 1);
        canvas.LineTo(r.right, r.top + j * gy - 1);
      }
      break;
    case gsDottedLines:
      for (int i = 1; i <= nx; ++i)
        for (int y = r.top + 1; y < r.bottom; y += 2)
          canvas.SetPixel(r.left + i * gx - 1, y, gridColor_);
      for (int j = 1; j <= ny; ++j)
        for (int x = r.left + 1; x < r.right; x += 2)
          canvas.SetPixel(x, r.top + j * gy - 1, gridColor_);
      break;
  }
}

void TRzCustomPanel::PaintCaption(TCanvas& canvas, RECT r) {
  const std::string caption = Caption();
  if (caption.empty()) return;
  canvas.Font().Assign(Font());
  InflateRect(&r, -textMargin_, -textMarginVertical_);
  UINT flags = DT_EXPANDTABS | DT_VCENTER;
  if (wordWrap_) flags |= DT_WORDBREAK;
  flags |= Alignment() == taLeftJustify    ? DT_LEFT
           : Alignment() == taRightJustify ? DT_RIGHT
                                           : DT_CENTER;
  RECT measured = r;
  const int h = canvas.DrawText(caption, measured, flags | DT_CALCRECT);
  const TRzLayoutRect placed = PlaceCaptionVertically(
      TRzLayoutRect{r.left, r.top, r.right, r.bottom}, alignmentVertical_, h);
  r = RECT{placed.left, placed.top, placed.right, placed.bottom};
  if (!Enabled()) canvas.Font().SetColor(clGrayText);
  canvas.DrawText(caption, r, flags);
}

void TRzCustomPanel::EraseBackground(HDC dc, const RECT& r) {
  if (transparent_ && paintClientArea_) {
    PaintParentBackground(*this, dc, true);
    return;
  }
  TCustomPanel::EraseBackground(dc, r);
}

// ---- messages ----

void TRzCustomPanel::WndProc(TMessage& m) {
  TCustomPanel::WndProc(m);
  if (m.Msg == WM_THEMECHANGED) SetDesktopColorScheme(ReadDesktopColorScheme());
}

void TRzCustomPanel::InvalidateForResize(int oldW, int oldH, int newW, int newH) {
  if (FullRepaint() || !Caption().empty() || oldW < 0) {
    Invalidate();
    return;
  }
  // Only the right and bottom frames move. The strips are taken at the old size (where the
  // frames were) and at the new one (where they go): a shrinking panel would otherwise keep its
  // interior over the place of its new frame.
  const int fullW = std::max(oldW, newW), fullH = std::max(oldH, newH);
  for (const auto& [w, h] : {std::pair{oldW, oldH}, std::pair{newW, newH}}) {
    const RECT framed = ShrinkByBorders(RECT{0, 0, w, h}, true);
    if (newW != oldW) InvalidateRect(RECT{framed.right - 1, 0, w, fullH}, true);
    if (newH != oldH) InvalidateRect(RECT{0, framed.bottom - 1, fullW, h}, true);
  }
}

void TRzCustomPanel::CMEnabledChanged(TMessage& m) {
  TCustomPanel::CMEnabledChanged(m);
  if (Enabled())
    EnableChildren();
  else
    RecordChildrenAndDisable();
  Repaint();
}

void TRzCustomPanel::RecordChildrenAndDisable() {
  enabledStates_.clear();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    enabledStates_.emplace_back(child, child->Enabled());
  }
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(false);
}

void TRzCustomPanel::EnableChildren() {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    auto it = std::find_if(enabledStates_.begin(), enabledStates_.end(),
                           [child](const auto& entry) { return entry.first == child; });
    child->SetEnabled(it == enabledStates_.end() || it->second);
  }
  enabledStates_.clear();
}

std::unique_ptr<TDockTree> TRzCustomPanel::CreateDockManager() {
  return std::make_unique<TRzPanelDockManager>(*this);
}

void TRzCustomPanel::DockManagerChanged() {
  if (DockManager()) SetDoubleBuffered(true);
}

// ---- TRzPanelDockManager ----

namespace {

// The caption-button font's cross; drawn by hand where that font is missing (a letter "r"
// would stand there instead).
void PaintCloseGlyph(TCanvas& canvas, const RECT& r, TColor color) {
  TFont glyph;
  glyph.SetName("Marlett");
  glyph.SetSize(8);
  glyph.SetCharset(SYMBOL_CHARSET);
  glyph.SetColor(color);
  canvas.Font().Assign(glyph);
  wchar_t face[LF_FACESIZE] = {};
  {
    SelectObjectScope select(canvas.Handle(), canvas.Font().Handle());
    GetTextFaceW(canvas.Handle(), LF_FACESIZE, face);
  }
  if (std::wstring_view(face) == L"Marlett") {
    RECT box = r;
    canvas.DrawText("r", box, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    return;
  }
  const RECT cross = CenteredRect(r, 7, 7);
  canvas.Pen().SetColor(color);
  for (int dx = 0; dx < 2; ++dx) {
    canvas.MoveTo(cross.left + dx, cross.top);
    canvas.LineTo(cross.right + dx, cross.bottom);
    canvas.MoveTo(cross.right - 1 + dx, cross.top);
    canvas.LineTo(cross.left - 1 + dx, cross.bottom);
  }
}

}  // namespace

TRzPanelDockManager::TRzPanelDockManager(TRzCustomPanel& panel) : TDockTree(panel), panel_(panel) {}

RECT TRzPanelDockManager::CloseButtonRect(const RECT& zone) const {
  if (GrabbersOnLeft()) return RECT{zone.left + 1, zone.top + 1, zone.left + 12, zone.top + 12};
  return RECT{zone.right - 15, zone.top + 1, zone.right - 2, zone.top + 12};
}

bool TRzPanelDockManager::WindowProcHook(TMessage& m) {
  // Focus moves between docked clients on these; the caption colours follow.
  if (m.Msg == WM_COMMAND || m.Msg == WM_MOUSEACTIVATE) panel_.Invalidate();
  return TDockTree::WindowProcHook(m);
}

void TRzPanelDockManager::PaintDockFrame(TCanvas& canvas, TControl* control, const RECT& zone) {
  if (!panel_.ShowDockClientCaptions()) {
    TDockTree::PaintDockFrame(canvas, control, zone);
    return;
  }
  bool active = true;
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
    HWND focus = GetFocus();
    active = windowed->HandleAllocated() && focus &&
             (focus == windowed->WindowHandle() || IsChild(windowed->WindowHandle(), focus));
  }
  const TColor bar = active ? clActiveCaption : clInactiveCaption;
  const TColor text = active ? clCaptionText : clInactiveCaptionText;
  const bool left = GrabbersOnLeft();
  const RECT grabber = left ? RECT{zone.left, zone.top, zone.left + kGrabberSize, zone.bottom}
                            : RECT{zone.left, zone.top, zone.right, zone.top + kGrabberSize};
  canvas.Brush().SetColor(bar);
  canvas.FillRect(grabber);
  canvas.Brush().SetStyle(bsClear);
  const std::string caption = control->Caption();
  TFont font;
  font.SetName("Verdana");
  font.SetSize(8);
  font.SetColor(text);
  if (left) {
    FontHandle rotated = CreateRotatedFont(font, 90);
    HDC dc = canvas.Handle();
    SelectObjectScope select(dc, rotated.Get());
    const UINT oldAlign = SetTextAlign(dc, TA_BASELINE);
    SetTextColor(dc, ToColorRef(text));
    SetBkMode(dc, TRANSPARENT);
    const std::wstring wide = Wide(caption);
    ExtTextOutW(dc, grabber.right - 2, grabber.bottom - 3, ETO_CLIPPED, &grabber, wide.c_str(),
                static_cast<UINT>(wide.size()), nullptr);
    SetTextAlign(dc, oldAlign);
  } else {
    canvas.Font().Assign(font);
    RECT textRect{grabber.left + 2, grabber.top, grabber.right - 16, grabber.bottom};
    canvas.DrawText(caption, textRect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  PaintCloseGlyph(canvas, CloseButtonRect(zone), text);
  canvas.Brush().SetStyle(bsSolid);
}

// ---- TRzStatusBar ----

TRzStatusBar::TRzStatusBar(TComponent* owner) : TRzCustomPanel(owner) {
  SetAlign(alBottom);
  ApplyAutoStyle();
}

TRzStatusBar::~TRzStatusBar() {
  Destroying();
}

void TRzStatusBar::ApplyAutoStyle() {
  applyingAutoStyle_ = true;
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{applyingAutoStyle_};
  SetBorderInner(fsNone);
  SetBorderOuter(fsNone);
  SetBorderSides(kAllSides);
  SetHeight(19);
  SetBorderWidth(0);
}

void TRzStatusBar::SetAutoStyle(bool value) {
  if (value == autoStyle_) return;
  autoStyle_ = value;
  if (value) ApplyAutoStyle();
}

void TRzStatusBar::BordersChanged() {
  if (!applyingAutoStyle_) autoStyle_ = false;
}

void TRzStatusBar::Loaded() {
  TRzCustomPanel::Loaded();
  if (autoStyle_) ApplyAutoStyle();
}

void TRzStatusBar::CreateWnd() {
  TRzCustomPanel::CreateWnd();
  UpdateSizeGrip();
}

void TRzStatusBar::SetShowSizeGrip(bool value) {
  if (value == showSizeGrip_) return;
  showSizeGrip_ = value;
  UpdateSizeGrip();
  Invalidate();
}

void TRzStatusBar::UpdateSizeGrip() {
  sizeGripValid_ = false;
  if (!showSizeGrip_) return;
  TForm* form = dynamic_cast<TForm*>(Parent());
  if (!form) return;
  const TFormBorderStyle style = form->BorderStyle();
  if (style != bsSizeable && style != bsSizeToolWin) return;
  sizeGripValid_ = !(form->HandleAllocated() && IsZoomed(form->WindowHandle()));
}

RECT TRzStatusBar::SizeGripRect() const {
  return RECT{Width() - kGripWidth, 0, Width(), Height()};
}

bool TRzStatusBar::OverGrip(POINT p) const {
  const RECT grip = SizeGripRect();
  return sizeGripValid_ && PtInRect(&grip, p);
}

void TRzStatusBar::SetSimpleCaption(std::string_view value) {
  if (value == simpleCaption_) return;
  simpleCaption_ = value;
  Invalidate();
}

void TRzStatusBar::SetSimpleStatus(bool value) {
  if (value == simpleStatus_) return;
  simpleStatus_ = value;
  DisableAlign();
  struct Enable {
    TWinControl* self;
    ~Enable() { self->EnableAlign(); }
  } enable{this};
  if (value) {
    hiddenBySimple_.clear();
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* child = Controls(i);
      if (!child->Visible()) continue;
      hiddenBySimple_.push_back(child);
      child->Hide();
    }
  } else {
    // Only the children this mode hid come back; ones hidden meanwhile by their owner stay so.
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* child = Controls(i);
      if (std::find(hiddenBySimple_.begin(), hiddenBySimple_.end(), child) != hiddenBySimple_.end())
        child->Show();
    }
    hiddenBySimple_.clear();
  }
  Realign();
  Invalidate();
}

RECT TRzStatusBar::FramedClientRect() const {
  RECT r = TRzCustomPanel::FramedClientRect();
  if (!ThemesActive()) {
    r.bottom += 1;
    r.top = simpleStatus_ ? 2 : 1;
    r.left -= 1;
    r.right += 1;
  } else if (simpleStatus_) {
    r.left += 1;
    r.top += 1;
    r.right -= 1;
  }
  return r;
}

void TRzStatusBar::GradientColors(TColor& start, TColor& stop) const {
  if (GradientColorStyle() == gcsCustom) {
    start = GradientColorStop();
    stop = GradientColorStart();
  } else {
    TColor divider;
    SchemeStatusBarColors(GradientColorStyle(), start, stop, divider);
  }
}

void TRzStatusBar::Resize() {
  TRzCustomPanel::Resize();
  const int width = Width();
  if (width < 50) return;
  if (lastPaneWidth_ < 0) {
    lastPaneWidth_ = width;
    return;
  }
  const int d = width - lastPaneWidth_;
  if (autoScalePanes_ && ControlCount() > 0 && d != 0) {
    DisableAlign();
    struct Enable {
      TWinControl* self;
      ~Enable() { self->EnableAlign(); }
    } enable{this};
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* child = Controls(i);
      const int grow = ScaledPaneGrowth(d, child->Width(), lastPaneWidth_, ControlCount());
      child->SetWidth(child->Width() + grow);
    }
  }
  lastPaneWidth_ = width;
}

void TRzStatusBar::WMLButtonDown(TMessage& m) {
  if (OverGrip(MessagePoint(m.LParam))) {
    if (TForm* form = GetParentForm(this)) {
      ReleaseCapture();
      SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_SIZE + 8, 0);
      return;
    }
  }
  TRzCustomPanel::WMLButtonDown(m);
}

void TRzStatusBar::WMSetCursor(TMessage& m) {
  if (LOWORD(m.LParam) == HTCLIENT) {
    POINT p;
    GetCursorPos(&p);
    if (OverGrip(ScreenToClient(p))) {
      ::SetCursor(LoadCursorW(nullptr, IDC_SIZENWSE));
      m.Result = TRUE;
      return;
    }
  }
  TRzCustomPanel::WMSetCursor(m);
}

void TRzStatusBar::Paint() {
  UpdateSizeGrip();
  TCanvas& canvas = Canvas();
  if (VisualStyle() == vsWinXP && ThemesActive()) {
    PaintThemed(canvas);
  } else {
    TRzCustomPanel::Paint();
    if (simpleStatus_) PaintSimpleStatus(canvas);
  }
  if (sizeGripValid_) PaintGrip(canvas);
}

void TRzStatusBar::PaintThemed(TCanvas& canvas) {
  const RECT whole = ClientRect();
  ThemeHandle theme(OpenThemeData(WindowHandle(), L"Status"));
  if (!theme) {
    canvas.Brush().SetColor(Color());
    canvas.FillRect(whole);
  } else {
    DrawThemeBackground(theme.Get(), canvas.Handle(), 0, 0, &whole, nullptr);
  }
  if (simpleStatus_ && !simpleCaption_.empty()) {
    RECT r = FramedClientRect();
    if (theme) DrawThemeBackground(theme.Get(), canvas.Handle(), SP_PANE, 0, &r, nullptr);
    const std::wstring text = Wide(simpleCaption_);
    canvas.Font().Assign(Font());
    HDC dc = canvas.Handle();
    SelectObjectScope font(dc, canvas.Font().Handle());
    if (theme) {
      DrawThemeText(theme.Get(), dc, SP_PANE, 0, text.c_str(), static_cast<int>(text.size()),
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, 0, &r);
    } else {
      canvas.Brush().SetStyle(bsClear);
      canvas.DrawText(simpleCaption_, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      canvas.Brush().SetStyle(bsSolid);
    }
  }
  if (OnPaint) OnPaint(this);
}

void TRzStatusBar::PaintSimpleStatus(TCanvas& canvas) {
  RECT r = FramedClientRect();
  r.bottom -= 1;
  if (VisualStyle() == vsClassic) {
    if (simpleFrameStyle_ == fsFlat) {
      // A one-pixel rectangle without its corner pixels.
      const TColor c = ShiftColorLightness(FlatColor(), FlatColorAdjustment());
      canvas.Pen().SetColor(c);
      canvas.MoveTo(r.left + 1, r.top);
      canvas.LineTo(r.right - 1, r.top);
      canvas.MoveTo(r.left + 1, r.bottom - 1);
      canvas.LineTo(r.right - 1, r.bottom - 1);
      canvas.MoveTo(r.left, r.top + 1);
      canvas.LineTo(r.left, r.bottom - 1);
      canvas.MoveTo(r.right - 1, r.top + 1);
      canvas.LineTo(r.right - 1, r.bottom - 1);
    } else {
      PaintStyledFrame(canvas, r, simpleFrameStyle_, kAllSides);
    }
  }
  InflateRect(&r, -1, -1);
  if (simpleCaption_.empty()) return;
  canvas.Font().Assign(Font());
  if (!Enabled()) canvas.Font().SetColor(clGrayText);
  canvas.Brush().SetStyle(bsClear);
  const int th = canvas.TextHeight("Pp");
  canvas.TextRect(r, r.left + 2, r.top + (r.bottom - r.top - th) / 2, simpleCaption_);
  canvas.Brush().SetStyle(bsSolid);
}

void TRzStatusBar::PaintGrip(TCanvas& canvas) {
  RECT client = ClientRect();
  client.bottom -= 1;
  if (VisualStyle() == vsWinXP && ThemesActive()) {
    ThemeHandle theme(OpenThemeData(WindowHandle(), L"Status"));
    if (theme) {
      RECT grip{client.right - 20, client.top, client.right, client.bottom + 1};
      DrawThemeBackground(theme.Get(), canvas.Handle(), SP_GRIPPER, 0, &grip, nullptr);
      return;
    }
  }
  TColor light = clBtnHighlight, dark = clBtnShadow;
  if (VisualStyle() == vsGradient) {
    TColor start;
    SchemeStatusBarColors(GradientColorStyle(), start, light, dark);
  }
  const int r = client.right, b = client.bottom;
  const POINT squares[] = {{r - 5, b - 12}, {r - 5, b - 8}, {r - 5, b - 4},
                           {r - 9, b - 8},  {r - 9, b - 4}, {r - 13, b - 4}};
  for (int pass = 0; pass < 2; ++pass) {
    canvas.Brush().SetColor(pass == 0 ? light : dark);
    for (const POINT& p : squares) {
      const RECT square{p.x - pass, p.y - pass, p.x - pass + 2, p.y - pass + 2};
      canvas.FillRect(square);
    }
  }
}

}  // namespace kovra
