#include "controls/RzColorPickerLogic.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "controls/RzColorMath.h"

namespace kovra {

namespace {

constexpr TColor Hex(std::uint32_t rrggbb) {
  return RGBColor(static_cast<int>(rrggbb >> 16), static_cast<int>((rrggbb >> 8) & 0xFF),
                  static_cast<int>(rrggbb & 0xFF));
}

constexpr std::array<TRzPaletteEntry, kPickerPaletteCount> kPalette = {{
    {Hex(0x000000), rsColorBlack},
    {Hex(0x993300), rsColorBrown},
    {Hex(0x333300), rsColorOliveGreen},
    {Hex(0x003300), rsColorDarkGreen},
    {Hex(0x003366), rsColorDarkTeal},
    {Hex(0x000080), rsColorDarkBlue},
    {Hex(0x333399), rsColorIndigo},
    {Hex(0x333333), rsColorGray80},
    {Hex(0x800000), rsColorDarkRed},
    {Hex(0xFF6600), rsColorOrange},
    {Hex(0x808000), rsColorDarkYellow},
    {Hex(0x008000), rsColorGreen},
    {Hex(0x008080), rsColorTeal},
    {Hex(0x0000FF), rsColorBlue},
    {Hex(0x666699), rsColorBlueGray},
    {Hex(0x808080), rsColorGray50},
    {Hex(0xFF0000), rsColorRed},
    {Hex(0xFF9900), rsColorLightOrange},
    {Hex(0x99CC00), rsColorLime},
    {Hex(0x339966), rsColorSeaGreen},
    {Hex(0x339999), rsColorAqua},
    {Hex(0x3366FF), rsColorLightBlue},
    {Hex(0x800080), rsColorViolet},
    {Hex(0x999999), rsColorGray40},
    {Hex(0xFF00FF), rsColorPink},
    {Hex(0xFFCC00), rsColorGold},
    {Hex(0xFFFF00), rsColorYellow},
    {Hex(0x00FF00), rsColorBrightGreen},
    {Hex(0x00FFFF), rsColorTurquoise},
    {Hex(0x00CCFF), rsColorSkyBlue},
    {Hex(0x993366), rsColorPlum},
    {Hex(0xC0C0C0), rsColorGray25},
    {Hex(0xFF99CC), rsColorRose},
    {Hex(0xFFCC99), rsColorTan},
    {Hex(0xFFFF99), rsColorLightYellow},
    {Hex(0xCCFFCC), rsColorLightGreen},
    {Hex(0xCCFFFF), rsColorLightTurquoise},
    {Hex(0x99CCFF), rsColorPaleBlue},
    {Hex(0xCC99FF), rsColorLavender},
    {Hex(0xFFFFFF), rsColorWhite},
    {SystemColor(0), rsColorScrollBar},
    {SystemColor(1), rsColorBackground},
    {SystemColor(2), rsColorActiveCaption},
    {SystemColor(3), rsColorInactiveCaption},
    {SystemColor(4), rsColorMenu},
    {SystemColor(5), rsColorWindow},
    {SystemColor(6), rsColorWindowFrame},
    {SystemColor(7), rsColorMenuText},
    {SystemColor(8), rsColorWindowText},
    {SystemColor(9), rsColorCaptionText},
    {SystemColor(10), rsColorActiveBorder},
    {SystemColor(11), rsColorInactiveBorder},
    {SystemColor(12), rsColorAppWorkspace},
    {SystemColor(13), rsColorHighlight},
    {SystemColor(14), rsColorHighlightText},
    {SystemColor(15), rsColorButtonFace},
    {SystemColor(16), rsColorButtonShadow},
    {SystemColor(17), rsColorGrayText},
    {SystemColor(18), rsColorButtonText},
    {SystemColor(19), rsColorInactiveCaptionText},
    {SystemColor(20), rsColorButtonHighlight},
    {SystemColor(21), rsColor3DDarkShadow},
    {SystemColor(22), rsColor3DLight},
    {SystemColor(23), rsColorInfoText},
    {SystemColor(24), rsColorInfoBackground},
    {SystemColor(26), rsColorHotLight},
    {SystemColor(27), rsColorGradientActiveCaption},
    {SystemColor(28), rsColorGradientInactiveCaption},
    {SystemColor(29), rsColorMenuHighlight},
    {SystemColor(30), rsColorMenuBar},
}};

constexpr int kStandardRows = 5;
constexpr int kSystemRows = 4;

constexpr bool Contains(const TRzLayoutRect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

TRzLayoutRect CellRect(const TRzColorPickerLayout& l, int index) {
  const int column = index % kPickerColumns;
  int top = 0;
  if (index < kPickerStandardCount) {
    top = l.grid.top + index / kPickerColumns * l.cellHeight;
  } else {
    if (!l.options.showSystemColors) return TRzLayoutRect{};
    top = l.separator.bottom + (index - kPickerStandardCount) / kPickerColumns * l.cellHeight;
  }
  const int left = l.client.left + column * l.cellWidth;
  return TRzLayoutRect{left, top, left + l.cellWidth, top + l.cellHeight};
}

int GridHitTest(const TRzColorPickerLayout& l, int x, int y) {
  if (l.cellWidth <= 0 || l.cellHeight <= 0) return kPickerNothing;
  const int column = (x - l.client.left) / l.cellWidth;
  if (column >= kPickerColumns) return kPickerNothing;  // the strip the integer division left
  const int row = (y - l.grid.top) / l.cellHeight;
  if (row < kStandardRows) return row * kPickerColumns + column;
  if (!l.options.showSystemColors || y < l.separator.bottom) return kPickerNothing;
  const int systemRow = (y - l.separator.bottom) / l.cellHeight;
  if (systemRow >= kSystemRows) return kPickerNothing;
  const int index = kPickerStandardCount + systemRow * kPickerColumns + column;
  return index < kPickerPaletteCount ? index : kPickerNothing;
}

// The table of arrow-key moves, before the check that the target is on show.
int RawKeyMove(int s, TRzPickerKey key, const TRzColorPickerOptions& o) {
  const int lastEntry = o.showSystemColors ? kPickerPaletteCount - 1 : kPickerStandardCount - 1;
  const int aboveGrid = o.showDefaultColor ? kPickerDefaultColor
                        : o.showNoColor    ? kPickerNoColor
                                           : s;
  switch (key) {
    case pkLeft:
    case pkUp:
      if (s == kPickerDefaultColor) return o.showNoColor ? kPickerNoColor : s;
      if (s == kPickerCustomSwatch) return lastEntry;
      if (s == kPickerNoColor) return s;
      if (key == pkLeft) return s == 0 ? aboveGrid : s - 1;
      return s < kPickerColumns ? aboveGrid : s - kPickerColumns;
    case pkRight:
      if (s == kPickerNoColor) return o.showDefaultColor ? kPickerDefaultColor : 0;
      if (s == kPickerDefaultColor) return 0;
      if (s == kPickerCustomSwatch) return s;
      if (s == kPickerStandardCount - 1)
        return o.showSystemColors  ? kPickerStandardCount
               : o.showCustomColor ? kPickerCustomSwatch
                                   : s;
      if (s == kPickerPaletteCount - 1) return o.showCustomColor ? kPickerCustomSwatch : s;
      return s + 1;
    case pkDown:
      if (s == kPickerNoColor) return o.showDefaultColor ? kPickerDefaultColor : 0;
      if (s == kPickerDefaultColor) return kPickerColumns - 1;
      if (s == kPickerCustomSwatch) return s;
      if (s >= kPickerStandardCount - kPickerColumns && s < kPickerStandardCount)
        return o.showSystemColors  ? s + kPickerColumns
               : o.showCustomColor ? kPickerCustomSwatch
                                   : s;
      if (s >= kPickerPaletteCount - kPickerColumns)
        return o.showCustomColor ? kPickerCustomSwatch : s;
      return s + kPickerColumns;
  }
  return s;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

// Hexadecimal digits that fit 32 bits, blanks around allowed.
std::optional<std::uint32_t> ParseHex(std::string_view text) {
  text = TrimBlanks(text);
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    int digit = 0;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

std::string SixHexDigits(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out(6, '0');
  for (int i = 5; i >= 0; --i, value >>= 4) out[static_cast<size_t>(i)] = kDigits[value & 0xF];
  return out;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string CustomColorName(int i) {
  return std::string("Color") + static_cast<char>('A' + i);
}

}  // namespace

const std::array<TRzPaletteEntry, kPickerPaletteCount>& ColorPickerPalette() {
  return kPalette;
}

int PickerScaled(int designed, int ppi) {
  const long long v = static_cast<long long>(designed) * ppi;
  const long long half = kPickerDesignPPI / 2;
  return static_cast<int>(v >= 0 ? (v + half) / kPickerDesignPPI : (v - half) / kPickerDesignPPI);
}

int PickerButtonHeight(int fontHeight, int ppi) {
  return std::abs(fontHeight) + PickerScaled(12, ppi);
}

TRzColorPickerLayout LayoutColorPicker(const TRzLayoutRect& client, int fontHeight,
                                       const TRzColorPickerOptions& options, int ppi) {
  TRzColorPickerLayout l;
  l.client = client;
  l.client.right = std::max(client.right, client.left);
  l.client.bottom = std::max(client.bottom, client.top);
  l.options = options;
  l.buttonHeight = PickerButtonHeight(fontHeight, ppi);
  const int bh = l.buttonHeight;
  const int separatorHeight = PickerScaled(kPickerSeparatorHeight, ppi);
  const int left = l.client.left, right = l.client.right;
  int top = l.client.top, bottom = l.client.bottom;
  // Rows are clamped into the client area, so a control too small for them stays consistent.
  auto take = [&](bool shown, int& edge, int direction) {
    const int extent = shown ? std::min(bh, bottom - top) : 0;
    const int from = edge;
    edge += direction * extent;
    return direction > 0 ? TRzLayoutRect{left, from, right, edge}
                         : TRzLayoutRect{left, edge, right, from};
  };
  l.noColorRow = take(options.showNoColor, top, 1);
  l.defaultRow = take(options.showDefaultColor, top, 1);
  l.moreColorsRow = take(options.showCustomColor, bottom, -1);
  l.grid = TRzLayoutRect{left, top, right, bottom};
  const int remaining = l.grid.Height();
  l.cellWidth = l.client.Width() / kPickerColumns;
  l.cellHeight = options.showSystemColors
                     ? std::max(0, (remaining - separatorHeight) / (kStandardRows + kSystemRows))
                     : remaining / kStandardRows;
  const int separatorTop = l.grid.top + kStandardRows * l.cellHeight;
  l.separator = TRzLayoutRect{left, separatorTop, right,
                              separatorTop + (options.showSystemColors ? separatorHeight : 0)};
  return l;
}

TRzLayoutRect PickerRowSwatch(const TRzLayoutRect& row, int buttonHeight) {
  const int left = std::max(row.left, row.right - buttonHeight);
  return TRzLayoutRect{left, row.top, row.right, row.bottom};
}

TRzLayoutRect PickerItemRect(const TRzColorPickerLayout& l, int index) {
  if (IsPaletteIndex(index)) return CellRect(l, index);
  switch (index) {
    case kPickerNoColor:
      return l.options.showNoColor ? l.noColorRow : TRzLayoutRect{};
    case kPickerDefaultColor:
      return l.options.showDefaultColor ? l.defaultRow : TRzLayoutRect{};
    case kPickerCustomSwatch:
      return l.options.showCustomColor ? PickerRowSwatch(l.moreColorsRow, l.buttonHeight)
                                       : TRzLayoutRect{};
    case kPickerMoreColors: {
      if (!l.options.showCustomColor) return TRzLayoutRect{};
      TRzLayoutRect caption = l.moreColorsRow;
      caption.right = PickerRowSwatch(caption, l.buttonHeight).left;
      return caption;
    }
    default:
      return TRzLayoutRect{};
  }
}

int PickerHitTest(const TRzColorPickerLayout& l, int x, int y) {
  if (!Contains(l.client, x, y)) return kPickerNothing;
  if (Contains(l.noColorRow, x, y)) return kPickerNoColor;
  if (Contains(l.defaultRow, x, y)) return kPickerDefaultColor;
  if (Contains(l.moreColorsRow, x, y))
    return x < PickerRowSwatch(l.moreColorsRow, l.buttonHeight).left ? kPickerMoreColors
                                                                     : kPickerCustomSwatch;
  if (Contains(l.grid, x, y)) return GridHitTest(l, x, y);
  return kPickerNothing;
}

bool PickerItemShown(int index, const TRzColorPickerOptions& o) {
  if (index >= 0 && index < kPickerStandardCount) return true;
  if (index >= kPickerStandardCount && index < kPickerPaletteCount) return o.showSystemColors;
  switch (index) {
    case kPickerNoColor:
      return true;
    case kPickerDefaultColor:
      return o.showDefaultColor;
    case kPickerCustomSwatch:
    case kPickerMoreColors:
      return o.showCustomColor;
    default:
      return false;
  }
}

TRzPickerSize PickerNaturalSize(int leftOffset, int topOffset, int fontHeight,
                                const TRzColorPickerOptions& o, int ppi) {
  const int bh = PickerButtonHeight(fontHeight, ppi);
  const int cell = PickerScaled(18, ppi);
  TRzPickerSize size;
  size.width = kPickerColumns * cell + 2 * leftOffset;
  size.height = kStandardRows * cell + 2 * topOffset;
  if (o.showSystemColors)
    size.height += kSystemRows * cell + PickerScaled(kPickerSeparatorHeight, ppi);
  if (o.showNoColor) size.height += bh + 1;
  if (o.showDefaultColor) size.height += bh + 1;
  if (o.showCustomColor) size.height += bh;
  return size;
}

int PickerKeyMove(int from, TRzPickerKey key, const TRzColorPickerOptions& options) {
  // The nothing state (a drag over the separator) reads as no colour and moves like it; any
  // other value that is not a selectable item moves nowhere.
  int s = from == kPickerNothing ? kPickerNoColor : from;
  if (!IsPaletteIndex(s) && s != kPickerNoColor && s != kPickerCustomSwatch &&
      s != kPickerDefaultColor)
    return from;
  const int to = RawKeyMove(s, key, options);
  if (to == s || !PickerItemShown(to, options) || to == kPickerMoreColors) return from;
  return to;
}

TColor PickerIndexColor(int index, TColor customColor, TColor defaultColor) {
  if (IsPaletteIndex(index)) return kPalette[static_cast<size_t>(index)].color;
  switch (index) {
    case kPickerDefaultColor:
      return defaultColor;
    case kPickerCustomSwatch:
    case kPickerMoreColors:
      return customColor;
    default:
      return clNone;
  }
}

int PickerIndexOfColor(TColor color, const TRzColorPickerOptions& options, TColor defaultColor) {
  if (color == clNone) return kPickerNoColor;
  const TColor rgb = ResolveColor(color);
  if (options.showDefaultColor && rgb == ResolveColor(defaultColor)) return kPickerDefaultColor;
  if (options.showSystemColors) {
    for (int i = kPickerStandardCount; i < kPickerPaletteCount; ++i)
      if (kPalette[static_cast<size_t>(i)].color == color) return i;
  }
  for (int i = 0; i < kPickerStandardCount; ++i)
    if (kPalette[static_cast<size_t>(i)].color == rgb) return i;
  return kPickerCustomSwatch;
}

std::vector<std::string> DefaultCustomColorLines() {
  std::vector<std::string> lines;
  for (int i = 0; i < kPickerCustomColorCount; ++i) lines.push_back(CustomColorName(i) + "=FFFFFF");
  return lines;
}

std::optional<std::vector<std::string>> NormalizeCustomColorLines(
    const std::vector<std::string>& lines, std::string* badLine) {
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (const std::string& line : lines) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
      out.push_back(line);
      continue;
    }
    const std::optional<std::uint32_t> value = ParseHex(std::string_view(line).substr(eq + 1));
    if (!value) {
      if (badLine) *badLine = line;
      return std::nullopt;
    }
    out.push_back(line.substr(0, eq + 1) + SixHexDigits(*value & 0xFFFFFFu));
  }
  return out;
}

std::array<TColor, kPickerCustomColorCount> CustomColorsFromLines(
    const std::vector<std::string>& lines) {
  std::array<TColor, kPickerCustomColorCount> colors;
  for (int i = 0; i < kPickerCustomColorCount; ++i) {
    const std::string name = CustomColorName(i);
    TColor color = clWhite;
    for (const std::string& line : lines) {
      const size_t eq = line.find('=');
      if (eq == std::string::npos || !SameNameIgnoringCase(line.substr(0, eq), name)) continue;
      if (auto value = ParseHex(std::string_view(line).substr(eq + 1)))
        color = static_cast<TColor>(*value & 0xFFFFFFu);
      break;
    }
    colors[static_cast<size_t>(i)] = color;
  }
  return colors;
}

std::vector<std::string> CustomColorLinesFrom(
    const std::array<TColor, kPickerCustomColorCount>& colors) {
  std::vector<std::string> lines;
  for (int i = 0; i < kPickerCustomColorCount; ++i)
    lines.push_back(
        CustomColorName(i) + "=" +
        SixHexDigits(static_cast<std::uint32_t>(colors[static_cast<size_t>(i)]) & 0xFFFFFFu));
  return lines;
}

}  // namespace kovra
