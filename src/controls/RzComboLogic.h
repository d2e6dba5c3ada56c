// The combo boxes' rules that need no window: prefix search and completion, editing of the
// search string, item values parallel to the items, the automatic drop-down width and wheel
// stepping. Texts the edit part shows are UTF-16 (its caret positions count UTF-16 units); a
// surrogate pair always moves as one character. Free of the Windows API.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kovra {

// Simple case folding for the letters that have case in common scripts (Latin, Greek,
// Cyrillic); anything else (CJK among it) folds to itself.
char16_t FoldCase(char16_t c);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);
// The first item that begins with `prefix`, case ignored; -1 for none or an empty prefix.
int FindItemPrefix(const std::vector<std::u16string>& items, std::u16string_view prefix);

struct TComboMatch {
  int index = -1;       // -1: no item begins with the prefix
  std::u16string text;  // what the edit shows
  int selStart = 0;     // the completed part, selected so that typing replaces it
  int selLength = 0;
};
// Completes `prefix` with the first item it begins. With `keepSearchCase` the typed letters
// stay as typed and only the rest comes from the item.
TComboMatch MatchPrefix(const std::vector<std::u16string>& items, std::u16string_view prefix,
                        bool keepSearchCase);

// `typed` (one character: one unit or a surrogate pair) put at the caret of `search`, the part
// of the edit's selection that lies inside the search string removed first.
std::u16string TypeIntoSearch(std::u16string_view search, int selStart, int selLength,
                              std::u16string_view typed);
// The search string less its last character (a surrogate pair as one).
std::u16string DropLastChar(std::u16string_view search);

// Backspace in the edit part. The last character goes when the caret (or the selection's end)
// is at the end of the text or editing is not allowed; otherwise the selection, or the character
// before the caret, leaves the search string.
std::u16string BackspaceSearch(std::u16string_view search, int selStart, int selLength,
                               int textLength, bool allowEdit);
// Delete in the edit part: the selection, or the character at the caret, leaves `text`.
std::u16string DeleteFromText(std::u16string_view text, int selStart, int selLength);

// The value of item `index`: its line of `values` when that exists and is not empty, else the
// item's text; empty for an index outside the items.
std::string ComboItemValue(const std::vector<std::string>& items,
                           const std::vector<std::string>& values, int index);
// The first item whose value equals `value` exactly; -1 for none.
int FindComboValue(const std::vector<std::string>& items, const std::vector<std::string>& values,
                   std::string_view value);
// Keep `values` in line with the items when an item is inserted at or deleted from `index`, or
// when the items are reordered (`oldIndexOf[i]` is the old index of the item now at i).
void ValuesItemInserted(std::vector<std::string>& values, int index);
void ValuesItemDeleted(std::vector<std::string>& values, int index);
void ValuesReordered(std::vector<std::string>& values, const std::vector<int>& oldIndexOf);

// The widest item plus 8 pixels, plus the scroll bar when the list holds more items than it
// shows, and at least the control's width.
int AutoDropDownWidth(const std::vector<int>& itemWidths, int dropDownCount, int scrollBarWidth,
                      int controlWidth);
// The item a wheel notch selects in a closed list: the next one down, the previous one up,
// staying at the ends; -1 for an empty list.
int WheelStep(int current, int count, bool down);

}  // namespace kovra
