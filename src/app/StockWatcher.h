// The stock-code watcher: once a tick, the quote window's title decides which stock the order
// actions trade (GlobalState's CurrentCode) and what the bar's display box shows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/StockCode.h"
#include "framework/SysUtils.h"

namespace kovra {

// The title of `window`, at most 4095 characters; empty for a null or vanished window.
std::string ReadWindowTitle(HWND window);

// Looks keys up in the stock-code table at `tablePath` (UTF-8), section "代码表", giving what
// ReadIniValue gives. The section is parsed once and reused while the file stays the same (its
// size and write and change times; on a volume without change times, such as FAT, also its bytes
// when it is up to 1 MB), so an edit takes effect at the next change of stock; a missing file, or an
// unreadable one not kept, gives empty values and drops what was kept. Copies of the function share
// what is kept; use them from one thread.
CodeLookup CodeTableLookup(std::string tablePath);
// ExeDir's "股票代码表.ini".
CodeLookup CodeTableLookup();

class TStockWatcher : public TObject {
 public:
  using TDisplayEvent = std::function<void(TObject* sender, const std::string& text)>;

  explicit TStockWatcher(CodeLookup lookup = CodeTableLookup());

  // Reads GlobalState's StockWnd title; when its bracketed key changed, shows the table's value
  // (or the key), sets CurrentCode and remembers the key. Every error is swallowed: the next
  // tick tries again.
  void Tick();

  TDisplayEvent OnDisplay;

 private:
  CodeLookup lookup_;
};

}  // namespace kovra
