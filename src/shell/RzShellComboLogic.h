// The look-in combo's arithmetic that needs no shell: where "up" leads in an indented list of
// folders and how many rows the open list gets.
#pragma once

#include <span>

namespace kovra {

// The entry `levels` folders above `selected`, read from the indents alone: the nearest entry
// before it whose indent is at most its own minus `levels`, entry 0 when none is. -1 when
// nothing should change: no selection, an index out of range, `levels` below 1, or no entry
// other than the selected one qualifies.
int ShellComboUpIndex(std::span<const int> indents, int selected, int levels);

// Rows of the open list when they are sized to the screen: as many whole rows as fit between
// the combo and the screen's edge, on the side the system opens the list (below, or above when
// fewer rows fit below than above), and never fewer than one.
struct TRzDropDownSpace {
  int ScreenTop = 0;
  int ScreenBottom = 0;  // exclusive
  int ComboTop = 0;      // screen coordinates of the closed combo
  int ComboBottom = 0;
  int ItemHeight = 0;
};
int ShellComboAutoDropDownRows(const TRzDropDownSpace& space);

}  // namespace kovra
