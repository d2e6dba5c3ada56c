// Shortcut texts, stored colour identifiers and drop-down menu placement.
#include "controls/RzButtonLogic.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>
#include <utility>

namespace kovra {

namespace {

// Virtual-key codes as the system numbers them.
constexpr std::uint16_t kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkEscape = 0x1B,
                        kVkSpace = 0x20, kVkPrior = 0x21, kVkNext = 0x22, kVkEnd = 0x23,
                        kVkHome = 0x24, kVkLeft = 0x25, kVkUp = 0x26, kVkRight = 0x27,
                        kVkDown = 0x28, kVkInsert = 0x2D, kVkDelete = 0x2E, kVkF1 = 0x70;

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& ch : out) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return out;
}

std::uint16_t KeyFromName(std::string_view name) {
  if (name.size() == 1) {
    const char ch = name[0];
    if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')) return static_cast<std::uint8_t>(ch);
    return 0;
  }
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F') {
    int n = 0;
    const auto [end, ec] = std::from_chars(name.data() + 1, name.data() + name.size(), n);
    if (ec == std::errc() && end == name.data() + name.size() && n >= 1 && n <= 24)
      return static_cast<std::uint16_t>(kVkF1 + n - 1);
    return 0;
  }
  static constexpr std::pair<std::string_view, std::uint16_t> kNames[] = {
      {"ENTER", kVkReturn}, {"RETURN", kVkReturn}, {"ESC", kVkEscape}, {"ESCAPE", kVkEscape},
      {"SPACE", kVkSpace},  {"TAB", kVkTab},       {"BKSP", kVkBack},  {"BACKSPACE", kVkBack},
      {"INS", kVkInsert},   {"INSERT", kVkInsert}, {"DEL", kVkDelete}, {"DELETE", kVkDelete},
      {"HOME", kVkHome},    {"END", kVkEnd},       {"PGUP", kVkPrior}, {"PGDN", kVkNext},
      {"UP", kVkUp},        {"DOWN", kVkDown},     {"LEFT", kVkLeft},  {"RIGHT", kVkRight}};
  for (const auto& [text, key] : kNames)
    if (name == text) return key;
  return 0;
}

}  // namespace

std::uint16_t TextToShortCut(std::string_view text) {
  const std::string upper = Upper(text);
  std::string_view rest = upper;
  std::uint16_t modifiers = 0;
  for (;;) {
    const size_t plus = rest.find('+');
    if (plus == std::string_view::npos || plus + 1 >= rest.size()) break;
    const std::string_view head = rest.substr(0, plus);
    if (head == "SHIFT")
      modifiers |= kShortCutShift;
    else if (head == "CTRL")
      modifiers |= kShortCutCtrl;
    else if (head == "ALT")
      modifiers |= kShortCutAlt;
    else
      return 0;
    rest.remove_prefix(plus + 1);
  }
  const std::uint16_t key = KeyFromName(rest);
  return key ? static_cast<std::uint16_t>(key | modifiers) : 0;
}

std::optional<TColor> ColorFromFormText(std::string_view text) {
  static constexpr std::pair<std::string_view, TColor> kIdents[] = {
      {"clBlack", clBlack},
      {"clMaroon", clMaroon},
      {"clGreen", clGreen},
      {"clOlive", clOlive},
      {"clNavy", clNavy},
      {"clPurple", clPurple},
      {"clTeal", clTeal},
      {"clGray", clGray},
      {"clSilver", clSilver},
      {"clRed", clRed},
      {"clLime", clLime},
      {"clYellow", clYellow},
      {"clBlue", clBlue},
      {"clFuchsia", clFuchsia},
      {"clAqua", clAqua},
      {"clWhite", clWhite},
      {"clNone", clNone},
      {"clDefault", clDefault},
      {"clScrollBar", clScrollBar},
      {"clBackground", clBackground},
      {"clActiveCaption", clActiveCaption},
      {"clInactiveCaption", clInactiveCaption},
      {"clMenu", clMenu},
      {"clWindow", clWindow},
      {"clWindowFrame", clWindowFrame},
      {"clMenuText", clMenuText},
      {"clWindowText", clWindowText},
      {"clCaptionText", clCaptionText},
      {"clActiveBorder", clActiveBorder},
      {"clInactiveBorder", clInactiveBorder},
      {"clAppWorkSpace", clAppWorkSpace},
      {"clHighlight", clHighlight},
      {"clHighlightText", clHighlightText},
      {"clBtnFace", clBtnFace},
      {"clBtnShadow", clBtnShadow},
      {"clGrayText", clGrayText},
      {"clBtnText", clBtnText},
      {"clInactiveCaptionText", clInactiveCaptionText},
      {"clBtnHighlight", clBtnHighlight},
      {"cl3DDkShadow", cl3DDkShadow},
      {"cl3DLight", cl3DLight},
      {"clInfoText", clInfoText},
      {"clInfoBk", clInfoBk},
      {"clHotLight", clHotLight},
      {"clGradientActiveCaption", clGradientActiveCaption},
      {"clGradientInactiveCaption", clGradientInactiveCaption},
      {"clMenuHighlight", clMenuHighlight},
      {"clMenuBar", clMenuBar}};
  for (const auto& [ident, color] : kIdents) {
    if (ident.size() != text.size()) continue;
    if (std::equal(ident.begin(), ident.end(), text.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) ==
                 std::tolower(static_cast<unsigned char>(b));
        }))
      return color;
  }
  std::string_view digits = text;
  int base = 10;
  bool negative = false;
  if (!digits.empty() && digits[0] == '$') {
    digits.remove_prefix(1);
    base = 16;
  } else if (!digits.empty() && digits[0] == '-') {
    digits.remove_prefix(1);
    negative = true;
  }
  if (digits.empty() || digits.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (negative ? value > 0x80000000ull : value > 0xFFFFFFFFull) return std::nullopt;
  const auto bits = static_cast<std::uint32_t>(negative ? 0 - value : value);
  return static_cast<TColor>(bits);
}

int DropDownMenuX(int buttonLeft, int buttonWidth, int menuWidth, TRzMenuAlignment alignment,
                  int workLeft, int workRight) {
  switch (alignment) {
    case rmaRight: {
      const int x = buttonLeft + buttonWidth;
      return x - menuWidth < workLeft ? workLeft + menuWidth : x;
    }
    case rmaCenter:
      return buttonLeft + buttonWidth / 2;
    default: {
      const int x = buttonLeft;
      return x + menuWidth > workRight ? workRight - menuWidth : x;
    }
  }
}

}  // namespace kovra
