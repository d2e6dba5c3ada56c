// The order pages of the simulated trading client, as flat tables in the order in which
// EnumChildWindows reports the page's descendants: a panel's children follow it directly, one
// level deeper. Callers address a page's controls by their position in this order, so the
// tables are the contract; the window code only builds what they say. Free of the Windows API.
#pragma once

#include <cstdint>
#include <span>

#include "SimOptions.h"

namespace kovra::sim {

enum class ControlKind : uint8_t { kStatic, kEdit, kButton, kCombo, kListBox, kPanel };

enum class ControlRole : uint8_t {
  kLabel,         // fixed text
  kCode,          // the stock-code field, focused when the page opens
  kPrice,         // edit showing the current price once the code is complete
  kQuantity,      // edit for the order quantity
  kFigure,        // the page's figure (funds, buyable or sellable quantity) once ready
  kReadyText,     // shows `text` once ready, empty before
  kOrderButton,   // submits the order
  kResetButton,   // clears price and quantity
  kCancelButton,  // a button of the withdrawal page
  kOrderList,     // the withdrawal page's list, focused when the page opens
};

struct ControlEntry {
  ControlKind kind;
  ControlRole role;
  int depth;  // 0: direct child of the page; n: inside the nearest earlier panel of depth n-1
  const char* text;
  int x, y, width, height;  // relative to the parent
};

struct PageTable {
  PageKind kind;
  const char* name;   // in the journal: buy, sell, cancel, margin
  const char* title;  // caption shown on the page
  unsigned key;       // the virtual-key code that opens it
  std::span<const ControlEntry> controls;
};

inline constexpr int kPageWidth = 600;
inline constexpr int kPageHeight = 360;

std::span<const PageTable> AllPages();
const PageTable& PageFor(PageKind kind);
// The page opened by virtual-key code `key`, or null.
const PageTable* PageForKey(unsigned key);
// The first position of `role` on `page`, or -1.
int PositionOf(const PageTable& page, ControlRole role);
// Position of the panel holding the control at `position`, or -1 for a direct child.
int ParentPosition(const PageTable& page, int position);

}  // namespace kovra::sim
