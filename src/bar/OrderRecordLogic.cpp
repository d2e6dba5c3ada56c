#include "bar/OrderRecordLogic.h"

#include <cstdio>

namespace kovra {

std::string RecordTimeText(const TRecordTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.Year, t.Month, t.Day,
                t.Hour, t.Minute, t.Second, t.Millisecond);
  return text;
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string RecordHeaderLine() {
  return "时间,动作,选择,代码,价格,数量,结果,原因,回报,耗时毫秒\r\n";
}

std::string RecordLine(const TOrderOutcome& outcome, const TRecordTime& time) {
  const TOrderRequest& request = outcome.Request;
  const std::string fields[] = {
      RecordTimeText(time),
      std::string(ActionText(request.Action)),
      request.Action == OrderAction::Cancel ? std::string() : std::to_string(request.Choice),
      request.Code,
      outcome.PriceText,
      outcome.QuantityText,
      std::string(OutcomeText(outcome.Kind)),
      std::string(ReasonText(outcome.Reason)),
      outcome.Reply,
      std::to_string(outcome.TotalMs),
  };
  std::string line;
  for (const std::string& field : fields) {
    if (&field != fields) line += ',';
    line += CsvField(field);
  }
  return line + "\r\n";
}

void TPendingLines::Push(std::string line) {
  if (max_ == 0) {
    ++dropped_;
    return;
  }
  if (lines_.size() >= max_) {
    lines_.pop_front();
    ++dropped_;
  }
  lines_.push_back(std::move(line));
}

std::string TPendingLines::Joined() const {
  std::string all;
  for (const std::string& line : lines_) all += line;
  return all;
}

}  // namespace kovra
