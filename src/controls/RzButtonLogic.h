// Button rules free of the Windows API: shortcut texts, colour identifiers of stored forms and
// where a tool button's drop-down menu opens.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "framework/runtime/Colors.h"

namespace kovra {

// A shortcut value: the virtual-key code in the low byte plus these modifier bits.
constexpr std::uint16_t kShortCutShift = 0x2000, kShortCutCtrl = 0x4000, kShortCutAlt = 0x8000;

// "F4", "Ctrl+Shift+L", "Alt+Enter" (case-insensitive) as a shortcut value; 0 when the text is
// not a shortcut.
std::uint16_t TextToShortCut(std::string_view text);

// A colour written in a stored form: an identifier such as "clBtnShadow", a decimal integer or
// "$00BBGGRR". Empty for anything else, and for numbers outside 32 bits.
std::optional<TColor> ColorFromFormText(std::string_view text);

enum TRzMenuAlignment : std::uint8_t { rmaLeft, rmaRight, rmaCenter };

// The x of the point a drop-down menu of `menuWidth` is opened at, under a button spanning
// [buttonLeft, buttonLeft + buttonWidth), kept inside [workLeft, workRight): a left-aligned menu
// that would pass the right edge ends there, a right-aligned one that would pass the left edge
// starts there.
int DropDownMenuX(int buttonLeft, int buttonWidth, int menuWidth, TRzMenuAlignment alignment,
                  int workLeft, int workRight);

}  // namespace kovra
