#include "shell/RzShellComboLogic.h"

#include <algorithm>

namespace kovra {

int ShellComboUpIndex(std::span<const int> indents, int selected, int levels) {
  const int count = static_cast<int>(indents.size());
  if (levels < 1 || selected < 0 || selected >= count) return -1;
  const int wanted = indents[static_cast<std::size_t>(selected)] - levels;
  int target = 0;
  for (int i = selected - 1; i > 0; --i) {
    if (indents[static_cast<std::size_t>(i)] <= wanted) {
      target = i;
      break;
    }
  }
  return target == selected ? -1 : target;
}

int ShellComboAutoDropDownRows(const TRzDropDownSpace& space) {
  if (space.ItemHeight <= 0) return 1;
  // Pixels, not rows, first: the list's border takes one.
  const int below = space.ScreenBottom - space.ComboBottom - 1;
  const int above = space.ComboTop - space.ScreenTop - 1;
  const int rows = std::max(below, above) / space.ItemHeight;
  return std::max(rows, 1);
}

}  // namespace kovra
