#include "controls/RzCommonText.h"

#include <cwctype>

#include "framework/runtime/Text.h"

namespace kovra {

// '&' never occurs inside a multi-byte UTF-8 sequence, so working on bytes is safe.
std::string StripAccelerators(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool last = i + 1 == text.size();
    if (text[i] != '&' || last) {
      out += text[i];
    } else if (text[i + 1] == '&') {
      out += '&';
      ++i;
    }
  }
  return out;
}

bool IsAccelerator(wchar_t ch, std::string_view caption) {
  const std::u16string text = Utf8ToUtf16(caption);
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    return std::towupper(static_cast<wint_t>(text[i + 1])) ==
           std::towupper(static_cast<wint_t>(ch));
  }
  return false;
}

char FirstNonBlankChar(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > ' ') return c;
  return '\0';
}

}  // namespace kovra
