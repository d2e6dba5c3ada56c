#include "shell/RzShellSendToLogic.h"

namespace kovra {

std::string SendToCaption(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::string(fileName);
  return std::string(fileName.substr(0, dot));
}

char32_t MenuCharKey(std::string_view caption) {
  if (caption.empty()) return 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(caption.data());
  const unsigned char lead = bytes[0];
  int length = 1;
  char32_t code = lead;
  if (lead >= 0xF0) {
    length = 4;
    code = lead & 0x07;
  } else if (lead >= 0xE0) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xC0) {
    length = 2;
    code = lead & 0x1F;
  }
  // A broken sequence compares by its first byte rather than reading past the text.
  if (static_cast<std::size_t>(length) > caption.size()) return lead;
  for (int i = 1; i < length; ++i) code = (code << 6) | (bytes[i] & 0x3F);
  if (code >= U'a' && code <= U'z') code -= U'a' - U'A';
  return code;
}

TRzMenuCharMatch MatchMenuChar(const std::vector<char32_t>& keys, char32_t typed, int current) {
  if (typed >= U'a' && typed <= U'z') typed -= U'a' - U'A';
  TRzMenuCharMatch match;
  const int count = static_cast<int>(keys.size());
  if (count == 0 || typed == 0) return match;
  if (current < -1 || current >= count) current = -1;
  int found = 0;
  for (int step = 1; step <= count; ++step) {
    const int i = (current + step) % count;
    if (keys[static_cast<std::size_t>(i)] != typed) continue;
    if (match.Index < 0) match.Index = i;
    ++found;
  }
  match.Unique = found == 1;
  return match;
}

}  // namespace kovra
