// Colours, pens, brushes, fonts and the canvas over GDI.
#include "framework/Graphics.h"

#include <algorithm>
#include <climits>

#include "framework/runtime/Text.h"

namespace kovra {

namespace {

template <class T, class U>
bool Store(T& field, const U& value) {
  if (field == value) return false;
  field = value;
  return true;
}

std::wstring Wide(std::string_view utf8) {
  const std::u16string u = Utf8ToUtf16(utf8);
  return std::wstring(u.begin(), u.end());
}

// GDI counts characters in an int.
int WideLength(const std::wstring& w) {
  return static_cast<int>(std::min<size_t>(w.size(), INT_MAX));
}

}  // namespace

TColor ColorToRGB(TColor color) {
  if (IsSystemColor(color)) return static_cast<TColor>(GetSysColor(color & 0xFF) & 0x00FFFFFF);
  return color;
}

int ScreenPixelsPerInch() {
  static const int ppi = [] {
    WindowDC screen(nullptr);
    const int value = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return value > 0 ? value : 96;
  }();
  return ppi;
}

int WindowPixelsPerInch(HWND wnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = getDpi && wnd ? getDpi(wnd) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : ScreenPixelsPerInch();
}

COLORREF ToColorRef(TColor color) {
  if (color == clNone) return CLR_NONE;
  if (color == clDefault) return CLR_DEFAULT;
  return static_cast<COLORREF>(ColorToRGB(color)) & 0x00FFFFFF;
}

// --- TGraphicsObject ------------------------------------------------------------------------

void TGraphicsObject::Changed() {
  // Kept alive until the owner and the listeners have moved to the new handle.
  GdiObject<HGDIOBJ> old(handle_.Release());
  if (ownerChanged_) ownerChanged_();
  if (OnChange) OnChange(this);
}

// --- TFont -------------------------------------------------------------------------------------

void TFont::SetName(std::string_view name) {
  if (name_ == name) return;
  name_ = std::string(name);
  Changed();
}

void TFont::SetHeight(int height) {
  if (Store(height_, height)) Changed();
}

int TFont::Size() const {
  return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int points) {
  SetHeight(-MulDiv(points, pixelsPerInch_, 72));
}

void TFont::SetColor(TColor color) {
  if (Store(color_, color)) Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (Store(style_, style)) Changed();
}

void TFont::SetCharset(BYTE charset) {
  if (Store(charset_, charset)) Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (Store(pitch_, pitch)) Changed();
}

void TFont::SetQuality(TFontQuality quality) {
  if (Store(quality_, quality)) Changed();
}

void TFont::SetOrientation(int tenths) {
  if (Store(orientation_, tenths)) Changed();
}

void TFont::SetPixelsPerInch(int ppi) {
  if (ppi > 0) Store(pixelsPerInch_, ppi);  // changes Size, not the handle
}

void TFont::ScaleToPixelsPerInch(int ppi) {
  if (ppi <= 0 || ppi == pixelsPerInch_) return;
  const int height = MulDiv(height_, ppi, pixelsPerInch_);
  pixelsPerInch_ = ppi;
  if (Store(height_, height)) Changed();
}

LOGFONTW TFont::ToLogFont() const {
  LOGFONTW lf{};
  lf.lfHeight = height_;
  lf.lfEscapement = orientation_;
  lf.lfOrientation = orientation_;
  lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style_.Contains(fsItalic);
  lf.lfUnderline = style_.Contains(fsUnderline);
  lf.lfStrikeOut = style_.Contains(fsStrikeOut);
  lf.lfCharSet = charset_;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  static constexpr BYTE kQualities[] = {DEFAULT_QUALITY,     DRAFT_QUALITY,
                                        PROOF_QUALITY,       NONANTIALIASED_QUALITY,
                                        ANTIALIASED_QUALITY, CLEARTYPE_QUALITY};
  lf.lfQuality = kQualities[quality_ < std::size(kQualities) ? quality_ : 0];
  lf.lfPitchAndFamily = pitch_ == fpFixed      ? FIXED_PITCH
                        : pitch_ == fpVariable ? VARIABLE_PITCH
                                               : DEFAULT_PITCH;
  std::wstring face = Wide(name_);
  if (face.size() >= LF_FACESIZE) face.resize(LF_FACESIZE - 1);
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  return lf;
}

HFONT TFont::Handle() const {
  if (!CachedHandle()) {
    const LOGFONTW lf = ToLogFont();
    HFONT font = CreateFontIndirectW(&lf);
    if (!font) RaiseLastOSError("CreateFontIndirect");
    SetCachedHandle(font);
  }
  return static_cast<HFONT>(CachedHandle());
}

void TFont::SetFromHandle(HFONT font) {
  LOGFONTW lf{};
  if (!font || GetObjectW(font, sizeof lf, &lf) == 0) throw EInvalidGraphic("Invalid font handle");
  const size_t faceLength =
      std::find(lf.lfFaceName, lf.lfFaceName + LF_FACESIZE, L'\0') - lf.lfFaceName;
  TFontStyles style;
  if (lf.lfWeight >= FW_BOLD) style.Include(fsBold);
  if (lf.lfItalic) style.Include(fsItalic);
  if (lf.lfUnderline) style.Include(fsUnderline);
  if (lf.lfStrikeOut) style.Include(fsStrikeOut);
  const int pitch = lf.lfPitchAndFamily & 3;
  bool changed = Store(name_, Utf16ToUtf8(std::u16string_view(
                                  reinterpret_cast<const char16_t*>(lf.lfFaceName), faceLength)));
  changed |= Store(height_, static_cast<int>(lf.lfHeight));
  changed |= Store(style_, style);
  changed |= Store(charset_, lf.lfCharSet);
  changed |= Store(pitch_, pitch == FIXED_PITCH      ? fpFixed
                           : pitch == VARIABLE_PITCH ? fpVariable
                                                     : fpDefault);
  changed |= Store(orientation_, static_cast<int>(lf.lfEscapement));
  if (changed) Changed();
}

void TFont::Assign(const TFont& other) {
  if (&other == this) return;
  bool changed = Store(name_, other.name_);
  changed |= Store(height_, other.height_);
  changed |= Store(color_, other.color_);
  changed |= Store(style_, other.style_);
  changed |= Store(charset_, other.charset_);
  changed |= Store(pitch_, other.pitch_);
  changed |= Store(quality_, other.quality_);
  changed |= Store(orientation_, other.orientation_);
  pixelsPerInch_ = other.pixelsPerInch_;
  if (changed) Changed();
}

bool TFont::operator==(const TFont& other) const {
  return name_ == other.name_ && height_ == other.height_ && color_ == other.color_ &&
         style_ == other.style_ && charset_ == other.charset_ && pitch_ == other.pitch_ &&
         quality_ == other.quality_ && orientation_ == other.orientation_;
}

// --- TPen --------------------------------------------------------------------------------------

void TPen::SetColor(TColor color) {
  if (Store(color_, color)) Changed();
}

void TPen::SetWidth(int width) {
  if (Store(width_, std::max(width, 1))) Changed();
}

void TPen::SetStyle(TPenStyle style) {
  if (Store(style_, style)) Changed();
}

void TPen::SetMode(TPenMode mode) {
  if (Store(mode_, mode)) Changed();
}

HPEN TPen::Handle() const {
  if (!CachedHandle()) {
    static constexpr int kStyles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                      PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    int style = kStyles[style_ < std::size(kStyles) ? style_ : 0];
    COLORREF ref = ToColorRef(color_);
    if (color_ == clNone) style = PS_NULL;
    if (ref == CLR_NONE || ref == CLR_DEFAULT) ref = 0;
    HPEN pen = CreatePen(style, width_, ref);
    if (!pen) RaiseLastOSError("CreatePen");
    SetCachedHandle(pen);
  }
  return static_cast<HPEN>(CachedHandle());
}

void TPen::Assign(const TPen& other) {
  if (&other == this) return;
  bool changed = Store(color_, other.color_);
  changed |= Store(width_, other.width_);
  changed |= Store(style_, other.style_);
  changed |= Store(mode_, other.mode_);
  if (changed) Changed();
}

// --- TBrush ------------------------------------------------------------------------------------

TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::SetColor(TColor color) {
  if (Store(color_, color)) Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (Store(style_, style)) Changed();
}

void TBrush::SetBitmap(const TBitmap* bitmap) {
  if (!bitmap && !bitmap_) return;
  if (bitmap) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(*bitmap);
    bitmap_ = std::move(copy);
  } else {
    bitmap_.reset();
  }
  Changed();
}

HBRUSH TBrush::Handle() const {
  if (CachedHandle()) return static_cast<HBRUSH>(CachedHandle());
  HBRUSH brush = nullptr;
  if (bitmap_ && !bitmap_->Empty()) {
    brush = CreatePatternBrush(bitmap_->Handle());
  } else if (style_ == bsClear || color_ == clNone) {
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  } else if (style_ == bsSolid) {
    brush = CreateSolidBrush(ToColorRef(color_));
  } else {
    brush = CreateHatchBrush(HS_HORIZONTAL + (style_ - bsHorizontal), ToColorRef(color_));
  }
  if (!brush) RaiseLastOSError("CreateBrush");
  SetCachedHandle(brush);
  return brush;
}

void TBrush::Assign(const TBrush& other) {
  if (&other == this) return;
  bool changed = Store(color_, other.color_);
  changed |= Store(style_, other.style_);
  if (other.bitmap_) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(*other.bitmap_);
    bitmap_ = std::move(copy);
    changed = true;
  } else if (bitmap_) {
    bitmap_.reset();
    changed = true;
  }
  if (changed) Changed();
}

// --- TCanvas -----------------------------------------------------------------------------------

TCanvas::TCanvas() : TCanvas(nullptr) {}

TCanvas::TCanvas(HDC dc) : dc_(dc) {
  pen_.ownerChanged_ = [this] { OnPenChanged(); };
  brush_.ownerChanged_ = [this] { OnBrushChanged(); };
  font_.ownerChanged_ = [this] { OnFontChanged(); };
}

TCanvas::~TCanvas() {
  Release();
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  Release();
  dc_ = dc;
}

void TCanvas::Release() {
  OnPenChanged();
  OnBrushChanged();
  OnFontChanged();
}

// A changed object is put out of the DC at once (its old handle is about to be deleted); the
// next drawing selects the new one.
void TCanvas::OnPenChanged() {
  if (oldPen_) SelectObject(dc_, std::exchange(oldPen_, nullptr));
}

void TCanvas::OnBrushChanged() {
  if (oldBrush_) SelectObject(dc_, std::exchange(oldBrush_, nullptr));
}

void TCanvas::OnFontChanged() {
  if (oldFont_) SelectObject(dc_, std::exchange(oldFont_, nullptr));
}

namespace {

HDC RequireDC(HDC dc) {
  if (!dc) throw EInvalidOperation("Canvas does not allow drawing");
  return dc;
}

HGDIOBJ SelectInto(HDC dc, HGDIOBJ obj) {
  HGDIOBJ old = SelectObject(dc, obj);
  if (!old || old == HGDI_ERROR) throw EInvalidOperation("Cannot select a GDI object");
  return old;
}

}  // namespace

void TCanvas::RequirePen() {
  RequireDC(dc_);
  if (!oldPen_) oldPen_ = SelectInto(dc_, pen_.Handle());
  SetROP2(dc_, R2_BLACK + pen_.Mode());
  // Gaps of dashed pens stay transparent.
  SetBkMode(dc_, TRANSPARENT);
}

void TCanvas::RequireBrush() {
  RequireDC(dc_);
  if (!oldBrush_) oldBrush_ = SelectInto(dc_, brush_.Handle());
  if (brush_.Style() > bsClear) SetBkMode(dc_, TRANSPARENT);  // hatch gaps show through
}

void TCanvas::RequireFont() {
  RequireDC(dc_);
  if (!oldFont_) oldFont_ = SelectInto(dc_, font_.Handle());
}

void TCanvas::RequireText() {
  RequireFont();
  COLORREF text = ToColorRef(font_.Color());
  SetTextColor(dc_, text == CLR_NONE || text == CLR_DEFAULT ? 0 : text);
  if (brush_.Style() == bsClear || brush_.Color() == clNone) {
    SetBkMode(dc_, TRANSPARENT);
  } else {
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, ToColorRef(brush_.Color()));
  }
}

POINT TCanvas::PenPos() const {
  POINT p{};
  GetCurrentPositionEx(RequireDC(dc_), &p);
  return p;
}

void TCanvas::MoveTo(int x, int y) {
  MoveToEx(RequireDC(dc_), x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  RequirePen();
  ::LineTo(dc_, x, y);
}

TColor TCanvas::Pixels(int x, int y) const {
  const COLORREF ref = GetPixel(RequireDC(dc_), x, y);
  return ref == CLR_INVALID ? clNone : FromColorRef(ref);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  RequireDC(dc_);
  if (color == clNone) return;
  SetPixelV(dc_, x, y, ToColorRef(color));
}

void TCanvas::FillRect(const RECT& r) {
  RequireBrush();
  ::FillRect(dc_, &r, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& r) {
  RequireBrush();
  ::FrameRect(dc_, &r, brush_.Handle());
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  RequirePen();
  RequireBrush();
  ::Rectangle(dc_, x1, y1, x2, y2);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
  RequirePen();
  RequireBrush();
  ::RoundRect(dc_, x1, y1, x2, y2, cornerWidth, cornerHeight);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  RequirePen();
  RequireBrush();
  ::Ellipse(dc_, x1, y1, x2, y2);
}

void TCanvas::Polygon(std::span<const POINT> points) {
  RequirePen();
  RequireBrush();
  if (points.size() < 2 || points.size() > INT_MAX) return;
  ::Polygon(dc_, points.data(), static_cast<int>(points.size()));
}

void TCanvas::Polyline(std::span<const POINT> points) {
  RequirePen();
  if (points.size() < 2 || points.size() > INT_MAX) return;
  ::Polyline(dc_, points.data(), static_cast<int>(points.size()));
}

void TCanvas::DrawFocusRect(const RECT& r) {
  RequireDC(dc_);
  // The dotted frame is an XOR pattern built from the text and background colours.
  SetTextColor(dc_, RGB(0, 0, 0));
  SetBkColor(dc_, RGB(255, 255, 255));
  ::DrawFocusRect(dc_, &r);
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
  RequireText();
  const std::wstring w = Wide(text);
  ::TextOutW(dc_, x, y, w.c_str(), WideLength(w));
}

void TCanvas::TextRect(const RECT& r, int x, int y, std::string_view text) {
  RequireText();
  const std::wstring w = Wide(text);
  UINT options = ETO_CLIPPED;
  if (GetBkMode(dc_) == OPAQUE) options |= ETO_OPAQUE;
  ExtTextOutW(dc_, x, y, options, &r, w.c_str(), WideLength(w), nullptr);
}

SIZE TCanvas::TextExtent(std::string_view text) {
  RequireFont();
  const std::wstring w = Wide(text);
  SIZE size{};
  GetTextExtentPoint32W(dc_, w.c_str(), WideLength(w), &size);
  return size;
}

int TCanvas::DrawText(std::string_view text, RECT& r, UINT flags) {
  RequireText();
  std::wstring w = Wide(text);
  // DT_MODIFYSTRING would write past the end of our buffer.
  flags &= ~static_cast<UINT>(DT_MODIFYSTRING);
  return ::DrawTextW(dc_, w.data(), WideLength(w), &r, flags);
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic) {
  RequireDC(dc_);
  if (graphic.Empty()) return;
  graphic.Draw(*this, RECT{x, y, x + graphic.Width(), y + graphic.Height()});
}

void TCanvas::StretchDraw(const RECT& dest, const TGraphic& graphic) {
  RequireDC(dc_);
  if (graphic.Empty()) return;
  graphic.Draw(*this, dest);
}

void TCanvas::CopyRect(const RECT& dest, const TCanvas& source, const RECT& src) {
  RequireDC(dc_);
  RequireDC(source.dc_);
  const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  const int sw = src.right - src.left, sh = src.bottom - src.top;
  if (dw == sw && dh == sh) {
    BitBlt(dc_, dest.left, dest.top, dw, dh, source.dc_, src.left, src.top, copyMode_);
    return;
  }
  const int oldMode = SetStretchBltMode(dc_, COLORONCOLOR);
  StretchBlt(dc_, dest.left, dest.top, dw, dh, source.dc_, src.left, src.top, sw, sh, copyMode_);
  SetStretchBltMode(dc_, oldMode);
}

RECT TCanvas::ClipRect() const {
  RECT r{};
  GetClipBox(RequireDC(dc_), &r);
  return r;
}

// --- TCanvasClip -------------------------------------------------------------------------------

TCanvasClip::TCanvasClip(TCanvas& canvas, const RECT& r) : dc_(RequireDC(canvas.Handle())) {
  Save();
  IntersectClipRect(dc_, r.left, r.top, r.right, r.bottom);
}

TCanvasClip::TCanvasClip(TCanvas& canvas, HRGN region) : dc_(RequireDC(canvas.Handle())) {
  Save();
  if (!region) return;
  // Clip regions live in device coordinates; a painter's region is in logical ones.
  POINT origin{0, 0};
  LPtoDP(dc_, &origin, 1);
  RegionHandle device(CreateRectRgn(0, 0, 0, 0));
  if (!device || CombineRgn(device.Get(), region, nullptr, RGN_COPY) == ERROR)
    RaiseLastOSError("CombineRgn");
  OffsetRgn(device.Get(), origin.x, origin.y);
  if (saved_) {
    ExtSelectClipRgn(dc_, device.Get(), RGN_AND);
  } else {
    SelectClipRgn(dc_, device.Get());  // no clip yet: the region is the new clip
  }
}

void TCanvasClip::Save() {
  RegionHandle region(CreateRectRgn(0, 0, 0, 0));
  if (!region) RaiseLastOSError("CreateRectRgn");
  const int result = GetClipRgn(dc_, region.Get());
  if (result < 0) RaiseLastOSError("GetClipRgn");
  if (result == 1) saved_ = std::move(region);
}

TCanvasClip::~TCanvasClip() {
  SelectClipRgn(dc_, saved_.Get());
}

// --- TPaintBuffer ------------------------------------------------------------------------------

void TPaintBuffer::Paint(HDC target, const RECT& area,
                         const std::function<void(TCanvas&)>& painter) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (!target || width <= 0 || height <= 0) return;
  if (bitmap_.Width() < width || bitmap_.Height() < height)
    bitmap_.SetSize(std::max(width, bitmap_.Width()), std::max(height, bitmap_.Height()));
  TCanvas& canvas = bitmap_.Canvas();
  HDC buffer = canvas.Handle();
  // Each paint starts from a fresh canvas state, whatever the previous painter left.
  canvas.Pen().Assign(TPen());
  canvas.Brush().Assign(TBrush());
  canvas.Font().Assign(TFont());
  canvas.SetCopyMode(SRCCOPY);
  SelectClipRgn(buffer, nullptr);
  SetViewportOrgEx(buffer, -area.left, -area.top, nullptr);
  struct OriginReset {
    HDC dc;
    ~OriginReset() {
      SelectClipRgn(dc, nullptr);
      SetViewportOrgEx(dc, 0, 0, nullptr);
    }
  } reset{buffer};
  IntersectClipRect(buffer, area.left, area.top, area.right, area.bottom);
  painter(canvas);
  BitBlt(target, area.left, area.top, width, height, buffer, area.left, area.top, SRCCOPY);
}

}  // namespace kovra
