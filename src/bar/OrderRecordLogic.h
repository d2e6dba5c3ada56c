// The order record's rows: one CSV line per order or cancel action, and the rows waiting for a
// file that could not be written. Free of the Windows API.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "bar/OrderOutcome.h"

namespace kovra {

// A local moment to the millisecond, as the record prints it: 2026-12-07 09:31:05.123.
struct TRecordTime {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};
std::string RecordTimeText(const TRecordTime& time);

// A CSV field: quoted, with its quotes doubled, when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

// The record's file: UTF-8 opened by a byte-order mark, so that a spreadsheet reads the Chinese
// right; CRLF line ends; the header row once, in a new file.
inline constexpr std::string_view kRecordBom = "\xEF\xBB\xBF";
std::string RecordHeaderLine();
// One action's line: time, action, choice, code, price, quantity, result, reason, reply,
// milliseconds from the click to the end. Ends with CRLF.
std::string RecordLine(const TOrderOutcome& outcome, const TRecordTime& time);

// Lines the file has not taken yet (held by a spreadsheet, disk full), oldest first. Bounded:
// when full, the oldest line goes, and the loss is counted so that it can be told.
class TPendingLines {
 public:
  static constexpr std::size_t kMaxLines = 1000;

  explicit TPendingLines(std::size_t maxLines = kMaxLines) : max_(maxLines) {}
  void Push(std::string line);
  bool Empty() const { return lines_.empty(); }
  std::size_t Size() const { return lines_.size(); }
  std::size_t Dropped() const { return dropped_; }
  // All waiting lines in order, as one block to write.
  std::string Joined() const;
  void Clear() { lines_.clear(); }

 private:
  std::size_t max_;
  std::deque<std::string> lines_;
  std::size_t dropped_ = 0;
};

}  // namespace kovra
