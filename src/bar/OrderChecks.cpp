#include "bar/OrderChecks.h"

namespace kovra {
namespace {

bool Blank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// A position the page lacks will never show anything, so it is not waited for.
bool Shown(const std::optional<std::string>& text) {
  return !text || !Blank(*text);
}

}  // namespace

bool PageSwitched(const TFocusSample& before, const TFocusSample& now, std::uint32_t sinceKeyMs) {
  if (!now.OnClient || now.Control == 0) return false;
  if (now.Control != before.Control) return true;
  if (!Blank(before.Text)) return Blank(now.Text);
  return Blank(now.Text) && sinceKeyMs >= kUnobservableSwitchMs;
}

bool TFreshFigures::Update(const TFigureReading& reading, std::uint32_t nowMs) {
  const bool present = Shown(reading.Price) && Shown(reading.Figure);
  const bool same = since_ && reading.Price == last_.Price && reading.Figure == last_.Figure;
  last_ = reading;
  if (!present) {
    since_.reset();
    return false;
  }
  if (!same) since_ = nowMs;
  return nowMs - *since_ >= kStableMs;
}

void Refuse(TOrderOutcome& outcome, OutcomeReason reason) {
  outcome.Kind = OutcomeKind::Refused;
  outcome.Reason = reason;
}

void Fail(TOrderOutcome& outcome, std::string_view step, OutcomeReason reason) {
  outcome.Kind = OutcomeKind::Failed;
  outcome.Reason = reason;
  outcome.FailedStep = step;
}

}  // namespace kovra
