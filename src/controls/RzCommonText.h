// Text helpers of the framed controls that need no Windows API.
#pragma once

#include <string>
#include <string_view>

namespace kovra {

// Drops accelerator ampersands: "&Open" gives "Open", "a&&b" gives "a&b"; a final character is
// always kept, so "&" stays "&".
std::string StripAccelerators(std::string_view text);
// Whether `ch` is the character after the caption's first single '&' (letter case ignored):
// the key that clicks a control with that caption.
bool IsAccelerator(wchar_t ch, std::string_view caption);
// The first character after leading blanks and control characters; '\0' when there is none.
char FirstNonBlankChar(std::string_view text);

}  // namespace kovra
