#include "app/StockWatcher.h"

#include <algorithm>

#include "app/Configuration.h"
#include "app/Global.h"
#include "framework/runtime/Text.h"

namespace kovra {

std::string ReadWindowTitle(HWND window) {
  if (!window || !IsWindow(window)) return {};
  wchar_t buffer[4096];
  const int length = GetWindowTextW(window, buffer, 4096);
  if (length <= 0) return {};
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer),
                                         static_cast<size_t>(std::min(length, 4095))));
}

CodeLookup CodeTableLookup() {
  return [](const std::string& key) {
    return ReadIniValue(ExeDir() + "股票代码表.ini", "代码表", key);
  };
}

TStockWatcher::TStockWatcher(CodeLookup lookup) : lookup_(std::move(lookup)) {}

void TStockWatcher::Tick() {
  try {
    if (!GlobalState) return;
    auto change =
        WatchTitle(ReadWindowTitle(GlobalState->StockWnd), GlobalState->LastTitleCode, lookup_);
    if (!change) return;
    if (OnDisplay) OnDisplay(this, change->Display);
    GlobalState->CurrentCode = std::move(change->CurrentCode);
    GlobalState->LastTitleCode = std::move(change->TitleCode);
  } catch (...) {
    // A tick reports nothing; an unreadable title or table is tried again on the next one.
  }
}

}  // namespace kovra
