#include "bar/HotkeyLogic.h"

#include <array>
#include <vector>

#include "framework/runtime/Text.h"

namespace kovra {
namespace {

constexpr std::uint32_t kF1 = 0x70, kNum0 = 0x60, kSpace = 0x20;

struct TNamedKey {
  std::string_view Name;
  std::uint32_t Key;
};
constexpr std::array<TNamedKey, 11> kNamedKeys{{{"Space", kSpace},
                                                {"PageUp", 0x21},
                                                {"PageDown", 0x22},
                                                {"End", 0x23},
                                                {"Home", 0x24},
                                                {"Left", 0x25},
                                                {"Up", 0x26},
                                                {"Right", 0x27},
                                                {"Down", 0x28},
                                                {"Insert", 0x2D},
                                                {"Delete", 0x2E}}};

struct TModifierName {
  std::string_view Name;
  std::uint32_t Flag;
};
constexpr std::array<TModifierName, 5> kModifiers{{{"Ctrl", hmControl},
                                                   {"Control", hmControl},
                                                   {"Alt", hmAlt},
                                                   {"Shift", hmShift},
                                                   {"Win", hmWin}}};

std::optional<std::uint32_t> SmallNumber(std::string_view digits, std::uint32_t low,
                                         std::uint32_t high) {
  if (digits.empty() || digits.size() > 2) return std::nullopt;
  std::uint32_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (n < low || n > high) return std::nullopt;
  return n;
}

std::optional<std::uint32_t> KeyCode(std::string_view name) {
  if (name.size() == 1) {
    const char c = name[0];
    if (c >= 'a' && c <= 'z') return static_cast<std::uint32_t>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<std::uint32_t>(c);
    return std::nullopt;
  }
  if (name[0] == 'F' || name[0] == 'f') {
    if (auto n = SmallNumber(name.substr(1), 1, 24)) return kF1 + *n - 1;
  }
  if (name.size() == 4 && EqualsIgnoreAsciiCase(name.substr(0, 3), "Num")) {
    if (auto n = SmallNumber(name.substr(3), 0, 9)) return kNum0 + *n;
  }
  for (const TNamedKey& named : kNamedKeys)
    if (EqualsIgnoreAsciiCase(name, named.Name)) return named.Key;
  return std::nullopt;
}

std::vector<std::string_view> SplitPlus(std::string_view text) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t plus = text.find('+');
    parts.push_back(Trim(text.substr(0, plus)));
    if (plus == std::string_view::npos) return parts;
    text.remove_prefix(plus + 1);
  }
}

bool Types(std::uint32_t key) {
  return key == kSpace || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
}

}  // namespace

std::optional<THotkey> ParseHotkey(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return THotkey{};
  const std::vector<std::string_view> parts = SplitPlus(text);
  THotkey hotkey;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    std::uint32_t flag = 0;
    for (const TModifierName& modifier : kModifiers)
      if (EqualsIgnoreAsciiCase(parts[i], modifier.Name)) flag = modifier.Flag;
    if (flag == 0 || (hotkey.Modifiers & flag)) return std::nullopt;
    hotkey.Modifiers |= flag;
  }
  const auto key = parts.back().empty() ? std::nullopt : KeyCode(parts.back());
  if (!key) return std::nullopt;
  hotkey.Key = *key;
  const std::uint32_t chords = hotkey.Modifiers & ~static_cast<std::uint32_t>(hmShift);
  if (Types(hotkey.Key) && chords == 0) return std::nullopt;
  return hotkey;
}

std::string HotkeyText(const THotkey& hotkey) {
  if (hotkey.Off()) return {};
  std::string text;
  for (const TModifierName& modifier : {kModifiers[0], kModifiers[2], kModifiers[3], kModifiers[4]})
    if (hotkey.Modifiers & modifier.Flag) text += std::string(modifier.Name) + "+";
  const std::uint32_t key = hotkey.Key;
  if (key >= kF1 && key < kF1 + 24) return text + "F" + std::to_string(key - kF1 + 1);
  if (key >= kNum0 && key <= kNum0 + 9) return text + "Num" + std::to_string(key - kNum0);
  for (const TNamedKey& named : kNamedKeys)
    if (named.Key == key) return text + std::string(named.Name);
  return text + static_cast<char>(key);
}

}  // namespace kovra
