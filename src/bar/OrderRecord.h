// The order record, "Kovra委托记录.csv" beside the program: one line per order or cancel action,
// appended and never rewritten. The file is the trader's; the bar only ever adds to its end.
#pragma once

#include <string>

#include "bar/OrderOutcome.h"
#include "bar/OrderRecordLogic.h"

namespace kovra {

class TOrderRecord {
 public:
  // The record beside the executable.
  static std::string DefaultPath();

  explicit TOrderRecord(std::string path = DefaultPath());
  const std::string& Path() const { return path_; }

  // Adds the action's line, stamped with the local time now, and writes every waiting line.
  // A file that cannot be written now (held by a spreadsheet, disk full) costs no time: the
  // lines wait in memory, bounded, for the next action. Returns whether the file took them.
  bool Append(const TOrderOutcome& outcome);
  // Writes the waiting lines, if any (at exit, say).
  bool Flush();
  const TPendingLines& Pending() const { return pending_; }

 private:
  std::string path_;
  TPendingLines pending_;
  bool brokenLine_ = false;  // a write stopped inside a line; the next starts a fresh one
};

}  // namespace kovra
