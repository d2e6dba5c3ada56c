// Shortcut texts of the shell tree.
#include "shell/RzShellTreeLogic.h"

#include <array>
#include <cctype>
#include <string>

namespace kovra {

namespace {

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

struct NamedKey {
  const char* name;
  std::uint8_t key;
};
constexpr std::array<NamedKey, 20> kNamedKeys{
    {{"BkSp", 0x08},   {"Tab", 0x09},    {"Enter", 0x0D},  {"Esc", 0x1B},    {"Space", 0x20},
     {"PgUp", 0x21},   {"PgDn", 0x22},   {"End", 0x23},    {"Home", 0x24},   {"Left", 0x25},
     {"Up", 0x26},     {"Right", 0x27},  {"Down", 0x28},   {"Ins", 0x2D},    {"Del", 0x2E},
     {"Delete", 0x2E}, {"Insert", 0x2D}, {"Escape", 0x1B}, {"Return", 0x0D}, {"Backspace", 0x08}}};

std::uint8_t KeyOfName(std::string_view name) {
  if (name.size() == 1) {
    const auto c = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(name[0])));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    return 0;
  }
  for (const NamedKey& k : kNamedKeys)
    if (SameText(name, k.name)) return k.key;
  if (name.size() >= 2 && name.size() <= 3 && (name[0] == 'F' || name[0] == 'f')) {
    int n = 0;
    for (char c : name.substr(1)) {
      if (c < '0' || c > '9') return 0;
      n = n * 10 + (c - '0');
    }
    if (n >= 1 && n <= 24) return static_cast<std::uint8_t>(0x70 + n - 1);
  }
  return 0;
}

}  // namespace

TShortCut ShellTextToShortCut(std::string_view text) {
  bool shift = false, ctrl = false, alt = false;
  for (;;) {
    const std::size_t plus = text.find('+');
    // A lone "+" (or one after the modifiers) is no key we bind.
    if (plus == std::string_view::npos || plus + 1 == text.size()) break;
    const std::string_view part = text.substr(0, plus);
    if (SameText(part, "Shift"))
      shift = true;
    else if (SameText(part, "Ctrl"))
      ctrl = true;
    else if (SameText(part, "Alt"))
      alt = true;
    else
      return 0;
    text.remove_prefix(plus + 1);
  }
  const std::uint8_t key = KeyOfName(text);
  return key ? MakeShortCut(key, shift, ctrl, alt) : 0;
}

}  // namespace kovra
