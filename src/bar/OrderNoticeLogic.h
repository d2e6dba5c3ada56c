// What the tray balloon says after an action: a title for how it ended and one or two lines of
// what was done, why not, and what the client replied. Free of the Windows API.
#pragma once

#include <cstddef>
#include <string>

#include "bar/OrderOutcome.h"

namespace kovra {

struct TOrderNotice {
  std::string Title;  // "已下单", "演练" or "未下单"
  std::string Text;   // "买 600000 10.30 × 4800", then the reason or the client's reply
};

// The shell shows at most 255 characters of a balloon's text and 63 of its title.
inline constexpr std::size_t kNoticeTextLimit = 255;

TOrderNotice NoticeFor(const TOrderOutcome& outcome);

// At most `limit` UTF-16 units of a UTF-8 text, never cutting a character in two.
std::string CutUtf16(const std::string& text, std::size_t limit);

}  // namespace kovra
