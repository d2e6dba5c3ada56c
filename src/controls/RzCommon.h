// The drawing kit of the framed controls: frames, bevels, rings, focus rectangles and gradients
// painted on a canvas, the desktop colour scheme, themed colours and arrows, and small canvas,
// font, text and monitor helpers. Nothing here owns a window.
//   Frames     PaintEdgeLines .. PaintHighlightRing: each returns the rectangle left inside
//   Fills      PaintGradientRect, PaintGroupBarBackground, PaintParentBackground,
//              PaintMaskedBitmap, PaintDropDownArrow, PaintDirectionArrow
//   Scheme     DesktopColorScheme, GradientsAvailable, Scheme*Colors, ThemeElementColor
//   Helpers    CenteredRect, CreateRotatedFont, FontBoxHeight, monitors, text
// The colour arithmetic (RzColorMath.h), the frame vocabulary (RzCommonTypes.h) and the frame
// controller (RzFrameController.h) belong to this unit too and are included here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "controls/RzColorMath.h"
#include "controls/RzCommonText.h"
#include "controls/RzCommonTypes.h"
#include "controls/RzFrameController.h"
#include "framework/Graphics.h"

namespace kovra {

class TControl;
class TWinControl;

using TPositionChangingEvent = std::function<void(TObject* sender, int newPos, bool& allowChange)>;

// ---- Process-wide colour-scheme state (GUI thread only) ----

// 0 blue (default), 1 olive, 2 silver; read from the registry on first use.
std::uint8_t DesktopColorScheme();
void SetDesktopColorScheme(std::uint8_t scheme);
// True when the screen shows more than 256 colours; gradient looks fall back to flat fills
// otherwise. Measured on first use.
bool GradientsAvailable();
void SetGradientsAvailable(bool available);

// Visual styles are on for the system and allowed for this process's controls.
bool ThemesActive();
// Windows Vista (6.0) or later.
bool IsVistaOrLater();

// ---- Frames ----

RECT PaintEdgeLines(TCanvas& canvas, const RECT& r, TColor upperLeft, TColor lowerRight,
                    TSides sides = kAllSides);
RECT PaintEdgeRings(TCanvas& canvas, const RECT& r, TColor upperLeft, TColor lowerRight, int width,
                    TSides sides = kAllSides);
// Only TFrameStyle values (fsNone..fsFlatBold) draw; fsFlatRounded belongs to PaintPanelBorders.
RECT PaintStyledFrame(TCanvas& canvas, const RECT& r, TFrameStyle style, TSides sides = kAllSides);
RECT PaintTintedFrame(TCanvas& canvas, const RECT& r, TColor base, TFrameStyle style,
                      TSides sides = kAllSides);
RECT PaintTintedButtonFrame(TCanvas& canvas, const RECT& r, TColor base, TSides sides, bool down);
inline RECT PaintTintedButtonFrame(TCanvas& canvas, const RECT& r, TColor base, bool down) {
  return PaintTintedButtonFrame(canvas, r, base, kAllSides, down);
}
// Paints over (0, 0, width, height), a whole window rectangle; unless noErase, first erases a
// 2-pixel ring in the control colour.
void PaintControlFrame(TCanvas& canvas, int width, int height, TFrameStyle style,
                       TColor controlColor, TColor frameColor, TSides sides, bool noErase);

struct TRzPanelBorderLook {
  TFrameStyleEx outer = fsRaised;
  TFrameStyleEx inner = fsNone;
  int borderWidth = 0;
  TSides sides = kAllSides;
  int bevelWidth = 1;
  TColor borderColor = clBtnFace;
  TColor highlightColor = clBtnHighlight;
  TColor shadowColor = clBtnShadow;
  TColor flatColor = clBtnShadow;
  int flatColorAdjustment = 30;
  TColor controlColor = clBtnFace;
  TColor parentColor = clBtnFace;
  bool transparent = false;
};
// Outer frame, border-width ring, inner frame; returns the client rectangle.
RECT PaintPanelBorders(TCanvas& canvas, const RECT& r, const TRzPanelBorderLook& look);

RECT PaintRoundedFlatFrame(TCanvas& canvas, const RECT& r, TColor color, TSides sides = kAllSides);
RECT PaintBoxOutline(TCanvas& canvas, const RECT& r, TColor color);
RECT PaintBoxCorners(TCanvas& canvas, const RECT& r, TColor color, int cornerLength);
RECT PaintDottedFocusFrame(TCanvas& canvas, const RECT& r);
// A 2-pixel gradient ring; nothing when gradients are unavailable. Leaves the canvas with no
// clip region.
void PaintHighlightRing(TCanvas& canvas, const RECT& r, TGradientDirection direction, TColor start,
                        TColor stop);

// ---- Fills and images ----

// Drawn off-screen and copied once. An empty rectangle draws nothing. `steps` is the shortest
// band in colour steps (1: every run of one colour is one band).
void PaintGradientRect(TCanvas& canvas, const RECT& r, TGradientDirection direction, TColor start,
                       TColor stop, int steps = 1);
// Fill operations issued by gradient painting since start-up (benchmarks compare it with the
// number of colour bands).
std::uint64_t GradientFillCalls();

void PaintGroupBarBackground(TCanvas& canvas, const RECT& r, TRzVisualStyle style, TColor start,
                             TColor stop, bool reversed, TRzGradientColorStyle colorStyle);
// Paints the parent's background and client under the control into `dc`.
void PaintParentBackground(TControl& control, HDC dc, bool invalidateParent);
// The `source` part of `bitmap` stretched into `dest`; pixels of `transparentColor` leave the
// canvas unchanged.
void PaintMaskedBitmap(TCanvas& canvas, const TBitmap& bitmap, const RECT& dest, const RECT& source,
                       TColor transparentColor);
// A strip of `cells` pictures designed at 96 pixels per inch, at `ppi`: each cell stretched on
// its own, pixel for pixel, so that no colour is blended and a key colour stays exact.
TBitmap ScaledGlyph(const TBitmap& designed, int ppi, int cells = 1);

enum TRzArrowLook : std::uint8_t { alkClassic, alkThemed, alkFlat, alkSpin };
enum TRzArrowDirection : std::uint8_t { adUp, adDown, adLeft, adRight };
// Centred in `r`, designed at 96 pixels per inch and drawn at `ppi` (the control's resolution).
void PaintDropDownArrow(TCanvas& canvas, const RECT& r, TRzArrowLook look, bool enabled,
                        int ppi = kDesignPixelsPerInch);
void PaintDirectionArrow(TCanvas& canvas, const RECT& r, TRzArrowLook look, bool enabled,
                         TRzArrowDirection direction, int ppi = kDesignPixelsPerInch);

// ---- Scheme colours ----

void SchemeSelectionColors(TRzGradientColorStyle style, TColor& frame, TColor& start, TColor& stop);
void SchemePanelColors(TRzGradientColorStyle style, TColor& start, TColor& stop);
void SchemePanelFrameColor(TRzGradientColorStyle style, TColor& frame);
void SchemeStatusBarColors(TRzGradientColorStyle style, TColor& start, TColor& stop,
                           TColor& divider);
void SchemeGroupBarColors(TRzGradientColorStyle style, TColor& start, TColor& stop);
// 1 for the olive ("HOMESTEAD") and 2 for the silver ("METALLIC") scheme, else 0.
std::uint8_t ReadDesktopColorScheme();
// A colour of a themed element: 0 edit border, 1..5 explorer-bar text, fill and gradient
// colours, 6 button text, 7 spin-button border; clBtnFace without themes, white out of range.
TColor ThemeElementColor(int index);

// ---- Helpers ----

RECT CenteredRect(const RECT& outer, int width, int height);
// A copy of `font` whose text runs at `degrees`; the caller owns the handle.
FontHandle CreateRotatedFont(const TFont& font, int degrees);
int FontBoxHeight(const TFont& font);
void InvalidateNonClientFrame(HWND window, const RECT* r = nullptr);
// Controls whose backgrounds show their parent implement this.
class IRzTransparentControl {
 public:
  virtual bool Transparent() const = 0;

 protected:
  ~IRzTransparentControl() = default;
};
void InvalidateTransparentChildren(TWinControl& container);
// Environment variables expanded once; the input itself when expansion fails.
std::string ExpandEnvironmentText(std::string_view text);
RECT WorkAreaOfControl(TWinControl& control);
int WorkAreaWidthOfControl(TWinControl& control);
RECT MonitorWorkArea(HMONITOR monitor);
RECT MonitorBounds(HMONITOR monitor);
// The first monitor whose bounds contain `p`, or nullptr.
HMONITOR MonitorAtPoint(POINT p);
// A pixel of a bitmap's picture (clNone outside it), without going through a DC.
TColor BitmapPixel(const TBitmap& bitmap, int x, int y);
// A lead byte of the system's double-byte code page.
bool IsLeadByte(unsigned char byte);

}  // namespace kovra
