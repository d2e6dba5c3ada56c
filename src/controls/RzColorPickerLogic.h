// The colour picker without windows: its palette, the geometry of its rows and swatches, hit
// testing, arrow-key moves, the colour an item stands for, and the text form of the colour
// dialog's sixteen custom colours. Free of the Windows API.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/RzCommonTypes.h"
#include "controls/RzPanelLayout.h"
#include "controls/RzStrings.h"

namespace kovra {

// Item indices beside the palette entries 0..69.
constexpr int kPickerNoColor = -1;       // the None row; also the state before anything is chosen
constexpr int kPickerCustomSwatch = -2;  // the swatch of the More Colors row
constexpr int kPickerMoreColors = -3;    // the "More Colors..." caption button
constexpr int kPickerDefaultColor = -4;  // the Default row
constexpr int kPickerNothing = -5;       // separator, empty cells, any point outside the items
constexpr int kPickerNoHot = -6;         // nothing under the mouse

constexpr int kPickerColumns = 8;
constexpr int kPickerStandardCount = 40;  // five rows of eight
constexpr int kPickerPaletteCount = 70;   // and thirty system colours in four rows
constexpr int kPickerSeparatorHeight = 8;
constexpr int kPickerCustomColorCount = 16;

struct TRzPaletteEntry {
  TColor color;
  TRzString hint;
};
const std::array<TRzPaletteEntry, kPickerPaletteCount>& ColorPickerPalette();
constexpr bool IsPaletteIndex(int index) {
  return index >= 0 && index < kPickerPaletteCount;
}

struct TRzColorPickerOptions {
  bool showNoColor = false;
  bool showDefaultColor = false;
  bool showCustomColor = false;
  bool showSystemColors = false;
};

// Rows that are not shown are empty rectangles at the place they would take.
struct TRzColorPickerLayout {
  TRzLayoutRect client;
  int buttonHeight = 0;  // BH: |font height| + 12 (designed)
  TRzLayoutRect noColorRow, defaultRow, grid, separator, moreColorsRow;
  int cellWidth = 0, cellHeight = 0;
  TRzColorPickerOptions options;
};

// Lengths are designed at 96 pixels per inch; `ppi` is the control's resolution, `fontHeight`
// the font's pixels at it.
constexpr int kPickerDesignPPI = 96;
// A designed length at `ppi`, rounded as the framework rounds.
int PickerScaled(int designed, int ppi);
// The caption row's height for a font of `fontHeight` pixels (either sign).
int PickerButtonHeight(int fontHeight, int ppi = kPickerDesignPPI);
TRzColorPickerLayout LayoutColorPicker(const TRzLayoutRect& client, int fontHeight,
                                       const TRzColorPickerOptions& options,
                                       int ppi = kPickerDesignPPI);
// The rectangle of an item: a palette cell, the None or Default row, the More Colors caption
// part (kPickerMoreColors) or its swatch (kPickerCustomSwatch); empty for items not shown.
TRzLayoutRect PickerItemRect(const TRzColorPickerLayout& layout, int index);
// The swatch of the Default row or of the More Colors row: BH wide, at the row's right end.
TRzLayoutRect PickerRowSwatch(const TRzLayoutRect& row, int buttonHeight);
// The item at a client point; kPickerNothing outside every item.
int PickerHitTest(const TRzColorPickerLayout& layout, int x, int y);
// Whether an item is on show with these options (kPickerNoColor always counts: it is also the
// start state).
bool PickerItemShown(int index, const TRzColorPickerOptions& options);

struct TRzPickerSize {
  int width = 0, height = 0;
};
// The size AutoSize gives: 18-pixel cells (designed), plus the frame offsets on both sides.
TRzPickerSize PickerNaturalSize(int leftOffset, int topOffset, int fontHeight,
                                const TRzColorPickerOptions& options, int ppi = kPickerDesignPPI);

enum TRzPickerKey : std::uint8_t { pkLeft, pkUp, pkRight, pkDown };
// Where an arrow key moves the selection from `from`; `from` itself when it does not move. Never
// an index outside the items, and never an item that is not shown.
int PickerKeyMove(int from, TRzPickerKey key, const TRzColorPickerOptions& options);

// The colour an index reads as.
TColor PickerIndexColor(int index, TColor customColor, TColor defaultColor);
// The index a colour written to the picker selects; kPickerCustomSwatch means the custom swatch
// takes ResolveColor(color).
int PickerIndexOfColor(TColor color, const TRzColorPickerOptions& options, TColor defaultColor);

// ---- The colour dialog's custom colours as "ColorA=FFFFFF" .. "ColorP=FFFFFF" lines ----

// Sixteen white entries.
std::vector<std::string> DefaultCustomColorLines();
// Every "name=value" line with its value read as hexadecimal (up to 32 bits, blanks around
// allowed), masked to 24 bits and written as six upper-case digits; lines without '=' stay as
// they are. nullopt, naming the first bad line in `badLine`, when a value is not hexadecimal.
std::optional<std::vector<std::string>> NormalizeCustomColorLines(
    const std::vector<std::string>& lines, std::string* badLine = nullptr);
// The sixteen colours the lines name (ColorA first); names compare without case, the first line
// of a name counts, and a missing or unreadable one is white.
std::array<TColor, kPickerCustomColorCount> CustomColorsFromLines(
    const std::vector<std::string>& lines);
std::vector<std::string> CustomColorLinesFrom(
    const std::array<TColor, kPickerCustomColorCount>& colors);

}  // namespace kovra
