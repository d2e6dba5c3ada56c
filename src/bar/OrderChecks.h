// The checks an order action makes on the trading client between its steps, free of the Windows
// API: whether the function key has taken effect, whether the page's figures are fresh and
// settled, and how an outcome is closed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bar/OrderOutcome.h"

namespace kovra {

// The client's keyboard focus as seen at one moment.
struct TFocusSample {
  std::uintptr_t Control = 0;  // the focused window; 0 when there is none
  bool OnClient = false;       // a visible control of the trading client, which is in front
  std::string Text;            // its text
};

// A focus that stayed on an empty field shows no sign of the key; it is taken once this long has
// passed, the time the key always had before.
constexpr std::uint32_t kUnobservableSwitchMs = 200;

// The key has taken effect: the focus is on a visible control of the client, and it moved away
// from where it was before the key, or the field that had it was cleared.
bool PageSwitched(const TFocusSample& before, const TFocusSample& now, std::uint32_t sinceKeyMs);

// The page's price and kind figure, read at one poll. Nothing for a position the page lacks.
struct TFigureReading {
  std::optional<std::string> Price;
  std::optional<std::string> Figure;
};

// Figures are taken once both are shown and have stayed the same this long.
constexpr std::uint32_t kStableMs = 10;

// Watches the figures after the code was typed into a page whose price and figure had been
// blanked, so that whatever shows up came for the typed code.
class TFreshFigures {
 public:
  // Feeds one reading taken at `nowMs`; true once they are present and settled.
  bool Update(const TFigureReading& reading, std::uint32_t nowMs);
  const TFigureReading& Last() const { return last_; }

 private:
  TFigureReading last_;
  std::optional<std::uint32_t> since_;
};

// Closes an outcome that did not reach the press.
void Refuse(TOrderOutcome& outcome, OutcomeReason reason);
void Fail(TOrderOutcome& outcome, std::string_view step, OutcomeReason reason);

}  // namespace kovra
