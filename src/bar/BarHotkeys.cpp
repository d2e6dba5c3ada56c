#include "bar/BarHotkeys.h"

#include "bar/OrderNoticeLogic.h"
#include "framework/WindowClass.h"

namespace kovra {
namespace {

constexpr int kFirstId = 1;
constexpr std::size_t kShownTextLength = 40;  // of an unreadable text, in the warning

}  // namespace

TBarHotkeys::TBarHotkeys(THotkeyEvent onHotkey)
    : window_(std::make_unique<TUtilityWindow>([this](TMessage& m) {
        if (m.Msg != WM_HOTKEY) return false;
        const auto index = static_cast<std::size_t>(static_cast<int>(m.WParam) - kFirstId);
        if (index < kHotkeyActions.size() && registered_[index] && onHotkey_)
          onHotkey_(kHotkeyActions[index]);
        m.Result = 0;
        return true;
      })),
      onHotkey_(std::move(onHotkey)) {}

TBarHotkeys::~TBarHotkeys() {
  Unregister();
}

std::vector<std::string> TBarHotkeys::Register(const THotkeyTexts& texts) {
  Unregister();
  std::vector<std::string> problems;
  for (std::size_t i = 0; i < kHotkeyActions.size(); ++i) {
    const std::string name(ActionText(kHotkeyActions[i]));
    const std::optional<THotkey> hotkey = ParseHotkey(texts[i]);
    if (!hotkey) {
      problems.push_back(name + " " + CutUtf16(texts[i], kShownTextLength) + "（无法识别）");
      continue;
    }
    if (hotkey->Off()) continue;
    // Held down, a hotkey would otherwise start one action per key repeat.
    constexpr UINT kNoRepeat = 0x4000;
    registered_[i] = RegisterHotKey(window_->Handle(), kFirstId + static_cast<int>(i),
                                    hotkey->Modifiers | kNoRepeat, hotkey->Key) != 0;
    if (!registered_[i])
      problems.push_back(name + " " + HotkeyText(*hotkey) + "（已被其他程序占用）");
  }
  return problems;
}

void TBarHotkeys::Unregister() {
  for (std::size_t i = 0; i < registered_.size(); ++i) {
    if (registered_[i]) UnregisterHotKey(window_->Handle(), kFirstId + static_cast<int>(i));
    registered_[i] = false;
  }
}

int TBarHotkeys::RegisteredCount() const {
  int n = 0;
  for (bool registered : registered_) n += registered;
  return n;
}

std::string TBarHotkeys::WarningText(const std::vector<std::string>& problems) {
  if (problems.empty()) return {};
  std::string text = "以下快捷键无法使用：";
  for (const std::string& problem : problems) text += "\n" + problem;
  return text;
}

}  // namespace kovra
