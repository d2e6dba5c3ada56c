// Drawing over GDI: colours resolved to RGB, pens, brushes and fonts that own their handles, a
// canvas over a borrowed DC, and the graphics it draws.
//   ColorToRGB, ToColorRef      system colours and clNone/clDefault to GDI values
//   TFontStyles                 set of fsBold, fsItalic, fsUnderline, fsStrikeOut
//   TGraphicsObject             base of TFont, TPen, TBrush: cached handle, OnChange
//   TFont, TPen, TBrush
//   TCanvas, TCanvasClip        canvas over an HDC; scoped clip that restores the previous one
//   TGraphic, TBitmap, TIcon    drawable images (32 bpp top-down DIB sections, icons)
//   TPaintBuffer                off-screen painting copied to the target in one blit
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "framework/Handles.h"
#include "framework/SysUtils.h"
#include "framework/runtime/Colors.h"

namespace kovra {

class TCanvas;
class TBitmap;

// System colours through GetSysColor; RGB colours, clNone and clDefault are returned unchanged.
TColor ColorToRGB(TColor color);
// A GDI COLORREF: the resolved RGB value; clNone becomes CLR_NONE and clDefault CLR_DEFAULT, the
// values the image-list and custom-draw APIs expect.
COLORREF ToColorRef(TColor color);
// The inverse for a value read back from GDI (GetPixel and the like).
inline TColor FromColorRef(COLORREF ref) {
  return static_cast<TColor>(ref & 0x00FFFFFF);
}
// The screen's logical pixels per inch (LOGPIXELSY), read once: the system's resolution.
int ScreenPixelsPerInch();
// Every length the program is designed with is a length at this resolution.
constexpr int kDesignPixelsPerInch = 96;
// The resolution of the monitor `wnd` is on, as the system scales it for a per-monitor aware
// program; the screen's where the system cannot tell (before Windows 10).
int WindowPixelsPerInch(HWND wnd);

enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles) bits_ |= Bit(s);
  }
  constexpr bool Contains(TFontStyle s) const { return (bits_ & Bit(s)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TFontStyles& Include(TFontStyle s) {
    bits_ |= Bit(s);
    return *this;
  }
  constexpr TFontStyles& Exclude(TFontStyle s) {
    bits_ &= static_cast<std::uint8_t>(~Bit(s));
    return *this;
  }
  constexpr TFontStyles operator|(TFontStyles other) const {
    TFontStyles r;
    r.bits_ = bits_ | other.bits_;
    return r;
  }
  constexpr TFontStyles operator&(TFontStyles other) const {
    TFontStyles r;
    r.bits_ = bits_ & other.bits_;
    return r;
  }
  constexpr bool operator==(const TFontStyles&) const = default;

 private:
  static constexpr std::uint8_t Bit(TFontStyle s) { return static_cast<std::uint8_t>(1u << s); }
  std::uint8_t bits_ = 0;
};

// Owns the GDI handle built from its attributes. A setter stores only a changed value; the handle
// is then rebuilt on the next Handle() call. On a change the owner (a canvas) is told first, then
// OnChange fires, and only afterwards is the old handle deleted, so no DC or window ever holds a
// deleted object.
class TGraphicsObject : public TObject {
 public:
  TGraphicsObject() = default;
  TGraphicsObject(const TGraphicsObject&) = delete;
  TGraphicsObject& operator=(const TGraphicsObject&) = delete;

  TNotifyEvent OnChange;

 protected:
  void Changed();
  HGDIOBJ CachedHandle() const { return handle_.Get(); }
  void SetCachedHandle(HGDIOBJ h) const { handle_.Reset(h); }

 private:
  friend class TCanvas;
  mutable GdiObject<HGDIOBJ> handle_;
  std::function<void()> ownerChanged_;  // the owning canvas reselects the new handle
};

enum TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };
enum TFontQuality : std::uint8_t {
  fqDefault,
  fqDraft,
  fqProof,
  fqNonAntialiased,
  fqAntialiased,
  fqClearType
};

// Default face "Tahoma" at Height -11 (8 points at 96 dpi): present on every Windows and under
// Wine, where the system font links supply CJK glyphs it lacks.
class TFont : public TGraphicsObject {
 public:
  static constexpr const char* kDefaultName = "Tahoma";
  static constexpr int kDefaultHeight = -11;

  TFont() = default;

  const std::string& Name() const { return name_; }
  void SetName(std::string_view name);
  // Pixels; negative is the character height (LOGFONT lfHeight), positive the cell height.
  int Height() const { return height_; }
  void SetHeight(int height);
  // Points at PixelsPerInch(); setting it stores the equivalent negative Height.
  int Size() const;
  void SetSize(int points);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE charset);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);
  TFontQuality Quality() const { return quality_; }
  void SetQuality(TFontQuality quality);
  int Orientation() const { return orientation_; }  // tenths of a degree
  void SetOrientation(int tenths);
  // The resolution Height is at; Size converts through it.
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int ppi);
  // Moves the font to another resolution: Height follows, Size stays.
  void ScaleToPixelsPerInch(int ppi);

  HFONT Handle() const;
  // Takes the attributes of an existing font handle (for instance the message font).
  void SetFromHandle(HFONT font);
  LOGFONTW ToLogFont() const;
  void Assign(const TFont& other);
  bool operator==(const TFont& other) const;

 private:
  std::string name_ = kDefaultName;
  int height_ = kDefaultHeight;
  TColor color_ = clWindowText;
  TFontStyles style_;
  BYTE charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = fpDefault;
  TFontQuality quality_ = fqDefault;
  int orientation_ = 0;
  int pixelsPerInch_ = kDesignPixelsPerInch;
};

enum TPenStyle : std::uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame
};
// Raster operations of the pen, in R2_ order minus one (pmBlack = R2_BLACK - 1).
enum TPenMode : std::uint8_t {
  pmBlack,
  pmNotMerge,
  pmMaskNotPen,
  pmNotCopy,
  pmMaskPenNot,
  pmNot,
  pmXor,
  pmNotMask,
  pmMask,
  pmNotXor,
  pmNop,
  pmMergeNotPen,
  pmCopy,
  pmMergePenNot,
  pmMerge,
  pmWhite
};

class TPen : public TGraphicsObject {
 public:
  TPen() = default;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);  // values below 1 become 1
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode mode);  // a DC state, not part of the handle

  HPEN Handle() const;
  void Assign(const TPen& other);

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

enum TBrushStyle : std::uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

class TBrush : public TGraphicsObject {
 public:
  TBrush();
  ~TBrush() override;

  TColor Color() const { return color_; }
  void SetColor(TColor color);  // a clNone colour makes the brush clear
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);
  // A pattern brush from a copy of `bitmap`; nullptr returns to Style and Color.
  const TBitmap* Bitmap() const { return bitmap_.get(); }
  void SetBitmap(const TBitmap* bitmap);

  // The stock NULL_BRUSH when clear; never to be deleted by the caller.
  HBRUSH Handle() const;
  void Assign(const TBrush& other);

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  std::unique_ptr<TBitmap> bitmap_;
};

class TGraphic;

// A canvas over a borrowed DC. Its pen, brush and font are selected lazily by the drawing
// operations and the DC's own objects are restored when the canvas lets the DC go (SetHandle,
// Release, destruction). Coordinates are the DC's logical ones. (windows.h renames TextOut and
// DrawText to their W forms; the members are renamed alike, which is harmless.)
class TCanvas : public TObject {
 public:
  TCanvas();
  explicit TCanvas(HDC dc);
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  HDC Handle() const { return dc_; }
  void SetHandle(HDC dc);
  // Puts the DC's own pen, brush and font back; the next drawing selects ours again.
  void Release();
  bool HandleAllocated() const { return dc_ != nullptr; }

  TPen& Pen() { return pen_; }
  TBrush& Brush() { return brush_; }
  TFont& Font() { return font_; }
  const TPen& Pen() const { return pen_; }
  const TBrush& Brush() const { return brush_; }
  const TFont& Font() const { return font_; }
  DWORD CopyMode() const { return copyMode_; }
  void SetCopyMode(DWORD rop) { copyMode_ = rop; }

  POINT PenPos() const;
  void SetPenPos(POINT p) { MoveTo(p.x, p.y); }
  void MoveTo(int x, int y);
  void LineTo(int x, int y);          // the end point is not drawn, as in GDI
  TColor Pixels(int x, int y) const;  // clNone outside the clip or the surface
  void SetPixel(int x, int y, TColor color);

  void FillRect(const RECT& r);   // with the brush, no outline
  void FrameRect(const RECT& r);  // one-pixel frame in the brush
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const RECT& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const RECT& r) { Ellipse(r.left, r.top, r.right, r.bottom); }
  void Polygon(std::span<const POINT> points);
  void Polyline(std::span<const POINT> points);
  void DrawFocusRect(const RECT& r);

  // Text in the font's colour on the brush's colour, or transparently with a clear brush.
  void TextOut(int x, int y, std::string_view text);
  void TextRect(const RECT& r, int x, int y, std::string_view text);  // clipped to r
  SIZE TextExtent(std::string_view text);
  int TextWidth(std::string_view text) { return TextExtent(text).cx; }
  int TextHeight(std::string_view text) { return TextExtent(text).cy; }
  // DrawTextW with DT_* flags; returns the text height; DT_CALCRECT updates r.
  int DrawText(std::string_view text, RECT& r, UINT flags);

  void Draw(int x, int y, const TGraphic& graphic);
  void StretchDraw(const RECT& dest, const TGraphic& graphic);
  // BitBlt/StretchBlt with CopyMode().
  void CopyRect(const RECT& dest, const TCanvas& source, const RECT& src);

  RECT ClipRect() const;

 private:
  friend class TCanvasClip;
  void RequirePen();
  void RequireBrush();
  void RequireFont();
  void RequireText();  // font plus text colours and background mode
  void OnPenChanged();
  void OnBrushChanged();
  void OnFontChanged();

  HDC dc_ = nullptr;
  TPen pen_;
  TBrush brush_;
  TFont font_;
  HGDIOBJ oldPen_ = nullptr;
  HGDIOBJ oldBrush_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
  DWORD copyMode_ = SRCCOPY;
};

// Narrows the canvas's clip region to `r` (or to a region) for its scope and restores the region
// the DC had before, including "no clip region".
class TCanvasClip {
 public:
  TCanvasClip(TCanvas& canvas, const RECT& r);
  // `region` is in the canvas's logical coordinates, like the rectangle; it is not taken over.
  TCanvasClip(TCanvas& canvas, HRGN region);
  ~TCanvasClip();
  TCanvasClip(const TCanvasClip&) = delete;
  TCanvasClip& operator=(const TCanvasClip&) = delete;

 private:
  void Save();
  HDC dc_;
  RegionHandle saved_;  // empty: the DC had no clip region
};

class TGraphic : public TObject {
 public:
  TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  bool Empty() const { return Width() <= 0 || Height() <= 0; }
  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);
  // Draws the graphic scaled into `dest` of the canvas.
  virtual void Draw(TCanvas& canvas, const RECT& dest) const = 0;

  TNotifyEvent OnChange;

 protected:
  // Copies and moves of a picture take its Transparent flag but keep the target's OnChange,
  // which belongs to whoever owns the target.
  void AssignTransparent(const TGraphic& other) { transparent_ = other.transparent_; }
  void Changed();

 private:
  bool transparent_ = false;
};

enum TTransparentMode : std::uint8_t { tmAuto, tmFixed };

// A 32 bpp top-down DIB section. Pixels are 0x00RRGGBB words (the DIB's B,G,R,X byte order), one
// row after the other with no padding.
class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;
  TBitmap(TBitmap&& other) noexcept;
  TBitmap& operator=(TBitmap&& other) noexcept;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }
  // Keeps the overlapping top-left part of the picture; new pixels are black.
  void SetSize(int width, int height);

  // A canvas over a memory DC of the bitmap's own.
  TCanvas& Canvas();
  // Once Canvas() or a draw has used it, the handle stays selected into the bitmap's own DC;
  // APIs that refuse a selected bitmap (image lists, icons) want CopyHandle().
  HBITMAP Handle() const { return bitmap_.Get(); }
  // A new DIB section with the same pixels, owned by the caller.
  BitmapHandle CopyHandle() const;
  // Replaces the picture with a copy of any bitmap handle (DDB or DIB, any depth).
  void LoadFromHandle(HBITMAP bitmap);

  // Row `y`, top row 0, Width() pixels; pending GDI drawing is flushed first.
  std::uint32_t* ScanLine(int y);
  const std::uint32_t* ScanLine(int y) const;
  static constexpr TColor PixelToColor(std::uint32_t p) {
    return static_cast<TColor>(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
  }
  static constexpr std::uint32_t ColorToPixel(TColor rgb) {
    const auto c = static_cast<std::uint32_t>(rgb);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
  }

  // The bottom-left pixel in tmAuto mode, the set colour in tmFixed mode.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor color);  // switches to tmFixed
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode mode);

  void LoadFromResource(HINSTANCE instance, std::string_view name);
  void LoadFromResourceID(HINSTANCE instance, int id);
  // A .bmp file; anything malformed raises EInvalidGraphic and leaves the bitmap as it was.
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;
  // Parses the bytes of a .bmp file (with its BITMAPFILEHEADER).
  void LoadFromMemory(std::span<const std::uint8_t> bytes);

  void Assign(const TBitmap& other);
  void Draw(TCanvas& canvas, const RECT& dest) const override;

  // The memory DC holding the bitmap, created on demand (source of blits).
  HDC SourceDC() const;

 private:
  void Create(int width, int height);
  void AdoptPixels(BitmapHandle bitmap, int width, int height, std::uint32_t* bits);
  void DetachFromDC() const;

  int width_ = 0;
  int height_ = 0;
  BitmapHandle bitmap_;
  std::uint32_t* bits_ = nullptr;
  mutable MemoryDC dc_;
  mutable HGDIOBJ oldBitmap_ = nullptr;
  mutable std::unique_ptr<TCanvas> canvas_;
  TTransparentMode transparentMode_ = tmAuto;
  TColor transparentColor_ = clNone;
};

class TIcon : public TGraphic {
 public:
  TIcon() = default;
  explicit TIcon(HICON owned);
  TIcon(TIcon&& other) noexcept;
  TIcon& operator=(TIcon&& other) noexcept;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  HICON Handle() const { return icon_.Get(); }
  void SetHandle(HICON owned);
  HICON ReleaseHandle();

  // size 0: the system's large icon size.
  void LoadFromResource(HINSTANCE instance, std::string_view name, int size = 0);
  void LoadFromResourceID(HINSTANCE instance, int id, int size = 0);
  void LoadFromFile(const std::string& path, int size = 0);
  void Assign(const TIcon& other);
  void Draw(TCanvas& canvas, const RECT& dest) const override;

 private:
  IconHandle icon_;
  int width_ = 0;
  int height_ = 0;
};

// Double buffering for WM_PAINT and WM_PRINTCLIENT: painting goes into an off-screen bitmap that
// covers `area` (in the target's coordinates, which the painter keeps using) and is copied to the
// target once. The bitmap is kept between paints and grows as needed, and is not cleared: the
// painter owns every pixel of the area. If the painter throws, nothing reaches the target.
class TPaintBuffer {
 public:
  void Paint(HDC target, const RECT& area, const std::function<void(TCanvas&)>& painter);

 private:
  TBitmap bitmap_;
};

}  // namespace kovra
