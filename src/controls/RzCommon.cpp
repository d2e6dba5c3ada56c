// Colour-scheme state, scheme colours, the group-bar fill, masked bitmaps, the parent background,
// and the small font, text and monitor helpers.
#include "controls/RzCommon.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "framework/Controls.h"
#include "framework/Registry.h"
#include "framework/runtime/Text.h"

namespace kovra {
namespace {

bool ScreenHasGradients() {
  WindowDC screen(nullptr);
  return screen.Get() && GetDeviceCaps(screen.Get(), NUMCOLORS) == -1;
}

struct SchemeState {
  std::uint8_t scheme = ReadDesktopColorScheme();
  bool gradients = ScreenHasGradients();
};

SchemeState& State() {
  static SchemeState state;
  return state;
}

bool SchemeLook(TRzGradientColorStyle style) {
  return style == gcsMSOffice && ThemesActive();
}

}  // namespace

std::uint8_t DesktopColorScheme() {
  return State().scheme;
}
void SetDesktopColorScheme(std::uint8_t scheme) {
  State().scheme = scheme;
}
bool GradientsAvailable() {
  return State().gradients;
}
void SetGradientsAvailable(bool available) {
  State().gradients = available;
}

bool ThemesActive() {
  return IsThemeActive() && IsAppThemed() && (GetThemeAppProperties() & STAP_ALLOW_CONTROLS);
}

bool IsVistaOrLater() {
  static const bool vista = [] {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwMajorVersion = 6;
    const DWORDLONG mask = VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&info, VER_MAJORVERSION, mask) != FALSE;
  }();
  return vista;
}

// ---- Scheme colours ----

void SchemeSelectionColors(TRzGradientColorStyle style, TColor& frame, TColor& start,
                           TColor& stop) {
  if (SchemeLook(style)) {
    const TRzSchemeColors& row = SchemeColorsOf(DesktopColorScheme());
    frame = row.selectionFrame, start = row.selectionStart, stop = row.selectionStop;
  } else {
    frame = clHighlight;
    stop = MixColors(clHighlight, clWindow, 77);
    start = LightenColor(stop, 20);
  }
  if (!GradientsAvailable()) start = stop;
}

void SchemePanelColors(TRzGradientColorStyle style, TColor& start, TColor& stop) {
  if (SchemeLook(style)) {
    const TRzSchemeColors& row = SchemeColorsOf(DesktopColorScheme());
    start = row.panelStart, stop = row.panelStop;
  } else {
    start = clWindow, stop = DarkenColor(clBtnFace, 10);
  }
}

void SchemePanelFrameColor(TRzGradientColorStyle style, TColor& frame) {
  frame = SchemeLook(style) ? SchemeColorsOf(DesktopColorScheme()).panelFrame
                            : LightenColor(clBtnShadow, 30);
}

void SchemeStatusBarColors(TRzGradientColorStyle style, TColor& start, TColor& stop,
                           TColor& divider) {
  if (SchemeLook(style)) {
    const TRzSchemeColors& row = SchemeColorsOf(DesktopColorScheme());
    start = row.panelStop, stop = row.panelStart, divider = start;
  } else {
    start = DarkenColor(clBtnFace, 20), stop = clWindow, divider = DarkenColor(clBtnFace, 40);
  }
}

void SchemeGroupBarColors(TRzGradientColorStyle style, TColor& start, TColor& stop) {
  if (SchemeLook(style)) {
    const TRzSchemeColors& row = SchemeColorsOf(DesktopColorScheme());
    start = row.groupBarStart, stop = row.groupBarStop;
  } else {
    start = MixColors(clBlack, clBtnFace, 40), stop = MixColors(clBlack, clBtnFace, 80);
  }
}

std::uint8_t ReadDesktopColorScheme() {
  try {
    TRegistry registry(KEY_READ);
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager"))
      return 0;
    std::string name = registry.ReadString("ColorName");
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (name == "HOMESTEAD") return 1;
    if (name == "METALLIC") return 2;
  } catch (const Exception&) {
    // A value of another type is no scheme of ours.
  }
  return 0;
}

// ---- Fills and images ----

void PaintGroupBarBackground(TCanvas& canvas, const RECT& r, TRzVisualStyle style, TColor start,
                             TColor stop, bool reversed, TRzGradientColorStyle colorStyle) {
  if (style == vsWinXP && ThemesActive()) {
    if (HTHEME theme = OpenThemeData(nullptr, L"EXPLORERBAR")) {
      DrawThemeBackground(theme, canvas.Handle(), EBP_HEADERBACKGROUND, 0, &r, nullptr);
      CloseThemeData(theme);
      return;
    }
  }
  if (style == vsClassic || !GradientsAvailable()) return;
  if (colorStyle != gcsCustom) SchemeGroupBarColors(colorStyle, start, stop);
  if (reversed) std::swap(start, stop);
  PaintGradientRect(canvas, r, gdHorizontalEnd, start, stop, 1);
}

void PaintParentBackground(TControl& control, HDC dc, bool invalidateParent) {
  TWinControl* parent = control.Parent();
  if (!parent || !parent->HandleAllocated()) return;
  const SavedDC saved(dc);
  POINT origin{};
  GetViewportOrgEx(dc, &origin);
  SetViewportOrgEx(dc, origin.x - control.Left(), origin.y - control.Top(), nullptr);
  IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
  HWND wnd = parent->Handle();
  SendMessageW(wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SendMessageW(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  // Custom-drawn parents and forms repaint themselves; a plain container is asked to.
  const bool isForm = (GetWindowLongW(wnd, GWL_STYLE) & WS_CHILD) == 0;
  if (invalidateParent && !isForm && !dynamic_cast<TCustomControl*>(parent)) parent->Invalidate();
}

void PaintMaskedBitmap(TCanvas& canvas, const TBitmap& bitmap, const RECT& dest, const RECT& source,
                       TColor transparentColor) {
  const int w = dest.right - dest.left, h = dest.bottom - dest.top;
  if (w <= 0 || h <= 0 || bitmap.Empty()) return;
  TBitmap color(w, h);
  HDC colorDC = color.SourceDC();
  SetStretchBltMode(colorDC, COLORONCOLOR);
  StretchBlt(colorDC, 0, 0, w, h, bitmap.SourceDC(), source.left, source.top,
             source.right - source.left, source.bottom - source.top, SRCCOPY);

  BitmapHandle mask(CreateBitmap(w, h, 1, 1, nullptr));
  MemoryDC maskDC(CreateCompatibleDC(canvas.Handle()));
  if (!mask || !maskDC) return;
  SelectObjectScope selected(maskDC.Get(), mask.Get());
  SetBkColor(colorDC, ToColorRef(transparentColor));
  BitBlt(maskDC.Get(), 0, 0, w, h, colorDC, 0, 0, SRCCOPY);  // transparent pixels become white

  // Black out the transparent pixels of the picture, keep the canvas under them, then combine.
  SetBkColor(colorDC, RGB(255, 255, 255));
  SetTextColor(colorDC, RGB(0, 0, 0));
  BitBlt(colorDC, 0, 0, w, h, maskDC.Get(), 0, 0, 0x00220326);  // DSna: source AND NOT mask
  HDC target = canvas.Handle();
  const COLORREF oldBk = SetBkColor(target, RGB(255, 255, 255));
  const COLORREF oldText = SetTextColor(target, RGB(0, 0, 0));
  BitBlt(target, dest.left, dest.top, w, h, maskDC.Get(), 0, 0, SRCAND);
  BitBlt(target, dest.left, dest.top, w, h, colorDC, 0, 0, SRCPAINT);
  SetBkColor(target, oldBk);
  SetTextColor(target, oldText);
}

TBitmap ScaledGlyph(const TBitmap& designed, int ppi, int cells) {
  cells = std::max(cells, 1);
  const int cw = designed.Width() / cells, ch = designed.Height();
  const int sw = MulDiv(cw, ppi, kDesignPixelsPerInch), sh = MulDiv(ch, ppi, kDesignPixelsPerInch);
  if (cw <= 0 || ch <= 0 || sw <= 0 || sh <= 0) return TBitmap();
  TBitmap scaled(sw * cells, sh);
  HDC target = scaled.SourceDC();
  SetStretchBltMode(target, COLORONCOLOR);
  for (int i = 0; i < cells; ++i)
    StretchBlt(target, i * sw, 0, sw, sh, designed.SourceDC(), i * cw, 0, cw, ch, SRCCOPY);
  GdiFlush();
  return scaled;
}

// ---- Helpers ----

RECT CenteredRect(const RECT& outer, int width, int height) {
  const int left = (outer.left + outer.right - width) / 2;  // truncates towards zero
  const int top = (outer.top + outer.bottom - height) / 2;
  return RECT{left, top, left + width, top + height};
}

FontHandle CreateRotatedFont(const TFont& font, int degrees) {
  LOGFONTW lf = font.ToLogFont();
  lf.lfWidth = 0;
  lf.lfEscapement = degrees * 10;
  lf.lfOrientation = 0;
  lf.lfWeight = font.Style().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = font.Style().Contains(fsItalic);
  lf.lfUnderline = font.Style().Contains(fsUnderline);
  lf.lfStrikeOut = font.Style().Contains(fsStrikeOut);
  lf.lfCharSet = font.Charset();
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = font.Pitch() == fpVariable ? VARIABLE_PITCH
                        : font.Pitch() == fpFixed  ? FIXED_PITCH
                                                   : DEFAULT_PITCH;
  return FontHandle(CreateFontIndirectW(&lf));
}

int FontBoxHeight(const TFont& font) {
  WindowDC screen(nullptr);
  if (!screen.Get()) return 2;
  SelectObjectScope selected(screen.Get(), font.Handle());
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen.Get(), &metrics);
  return metrics.tmHeight + 2;
}

void InvalidateNonClientFrame(HWND window, const RECT* r) {
  bool visible;
  {
    WindowDC dc(window);
    RECT box;
    const int kind = dc.Get() ? GetClipBox(dc.Get(), &box) : ERROR;
    visible = kind != ERROR && kind != NULLREGION;
  }
  if (visible) RedrawWindow(window, r, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void InvalidateTransparentChildren(TWinControl& container) {
  for (int i = 0; i < container.ControlCount(); ++i) {
    TControl* child = container.Controls(i);
    auto* transparent = dynamic_cast<IRzTransparentControl*>(child);
    if (transparent && transparent->Transparent()) child->Invalidate();
  }
}

std::string ExpandEnvironmentText(std::string_view text) {
  // Environment values come from outside the program: the result is bounded by the API's own
  // 32K-character limit.
  const std::wstring input = [&] {
    const std::u16string w = Utf8ToUtf16(text);
    return std::wstring(w.begin(), w.end());
  }();
  const DWORD needed = ExpandEnvironmentStringsW(input.c_str(), nullptr, 0);
  if (needed == 0 || needed > 32768) return std::string(text);
  std::vector<wchar_t> buffer(needed + 1, L'\0');
  const DWORD written = ExpandEnvironmentStringsW(input.c_str(), buffer.data(), needed + 1);
  if (written == 0 || written > needed + 1) return std::string(text);
  const std::u16string out(buffer.data(), buffer.data() + std::wcslen(buffer.data()));
  return Utf16ToUtf8(out);
}

RECT WorkAreaOfControl(TWinControl& control) {
  return MonitorWorkArea(MonitorFromWindow(control.Handle(), MONITOR_DEFAULTTONEAREST));
}

int WorkAreaWidthOfControl(TWinControl& control) {
  const RECT r = WorkAreaOfControl(control);
  return r.right - r.left;
}

RECT MonitorWorkArea(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!monitor || !GetMonitorInfoW(monitor, &info)) return RECT{};
  return info.rcWork;
}

RECT MonitorBounds(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!monitor || !GetMonitorInfoW(monitor, &info)) return RECT{};
  return info.rcMonitor;
}

HMONITOR MonitorAtPoint(POINT p) {
  struct Search {
    POINT p;
    HMONITOR found = nullptr;
  } search{p};
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT bounds, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (!PtInRect(bounds, s->p)) return TRUE;
        s->found = monitor;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool IsLeadByte(unsigned char byte) {
  return IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace kovra
