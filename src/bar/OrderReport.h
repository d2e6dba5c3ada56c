// What the bar tells after each action: a line in the order record and, when the trader wants
// them, a balloon from the tray icon. After a press the client's reply is awaited, up to two
// seconds, without holding the bar: the balloon shows at once and again with the reply, and the
// record's line is written with it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "bar/OrderOutcome.h"
#include "bar/OrderRecord.h"
#include "bar/ReplyWatcher.h"

namespace kovra {

class TRzTrayIcon;

class TOrderReport {
 public:
  TOrderReport(TRzTrayIcon& tray, std::string recordPath = TOrderRecord::DefaultPath());
  ~TOrderReport();  // a reply still awaited is given up and its line written
  TOrderReport(const TOrderReport&) = delete;
  TOrderReport& operator=(const TOrderReport&) = delete;

  bool Notices() const { return notices_; }
  void SetNotices(bool on) { notices_ = on; }

  // Just before the order (or cancel) button is pressed: the client's windows now, so that a
  // reply can be told from what was there already.
  void BeforePress(DWORD clientPid);
  // An action ended. The line waits for a reply only after a press that BeforePress preceded.
  void Report(const TOrderOutcome& outcome);
  // Ends the wait for a reply now (a new action starts, the bar closes).
  void Finish();

  TOrderRecord& Record() { return record_; }

 private:
  void Notify(const TOrderOutcome& outcome);

  TRzTrayIcon& tray_;
  TOrderRecord record_;
  TReplyWatcher replies_;
  bool notices_ = true;
  bool snapshotTaken_ = false;
};

}  // namespace kovra
