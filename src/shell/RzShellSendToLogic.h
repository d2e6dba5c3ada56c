// The Send To submenu's rules that need no Windows API: the caption an entry shows and which
// entry a typed character picks.
//   SendToCaption   a Send To file's name as the menu shows it
//   MatchMenuChar   the entry a typed character selects or runs
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kovra {

// The file name without its extension ("Mail Recipient.MAPIMail" shows "Mail Recipient"); a name
// that would be left empty (".profile") shows whole.
std::string SendToCaption(std::string_view fileName);

// The first character of a caption as the menu compares it: the first code point of its UTF-8
// text, ASCII letters upper-cased (0 for an empty caption).
char32_t MenuCharKey(std::string_view caption);

// Which entry a typed character reaches, as a menu's own mnemonics do: the next entry after
// `current` (-1 when none is highlighted) whose key equals `typed`, wrapping around; `Unique`
// when no other entry has that key, so that the menu may run it at once.
struct TRzMenuCharMatch {
  int Index = -1;
  bool Unique = false;
};
TRzMenuCharMatch MatchMenuChar(const std::vector<char32_t>& keys, char32_t typed, int current);

}  // namespace kovra
