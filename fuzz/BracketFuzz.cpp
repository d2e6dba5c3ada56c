// Bracket extraction and trimming on arbitrary titles: positions stay inside the text, the pair
// found is a real pair, and the watcher's decision never fails.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/StockCode.h"
#include "app/StrMan.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kovra::StringManager;
  if (size < 3) return 0;
  const char open = static_cast<char>(data[0]);
  const char close = static_cast<char>(data[1]);
  int startPos = static_cast<int>(static_cast<std::int8_t>(data[2]));
  const std::string_view text(reinterpret_cast<const char*>(data) + 3, size - 3);
  const int length = static_cast<int>(text.size());

  int endPos = 0;
  const int requested = startPos;
  const int found = StringManager.FindBracketed(open, close, startPos, endPos, text);
  if (found == -1) {
    Check(endPos == -1, "no pair: endPos -1");
  } else {
    Check(found == startPos, "result is startPos");
    Check(found >= 2 && found >= requested + 1, "inside after the opening bracket");
    Check(endPos >= found - 1 && endPos <= length - 1, "end inside the text");
    Check(text[static_cast<size_t>(found - 2)] == open, "opening bracket before");
    Check(text[static_cast<size_t>(endPos)] == (close ? close : open), "closing bracket after");
    const std::string inner = StringManager.ExtractBetween(open, close, requested, text);
    Check(inner.size() == static_cast<size_t>(endPos - found + 1), "extracted length");
  }

  const std::string trimmed = StringManager.TrimText(text);
  Check(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) > 32 &&
                            static_cast<unsigned char>(trimmed.back()) > 32),
        "trimmed ends");

  std::string looked;
  const auto change = kovra::WatchTitle(text, "600000", [&](const std::string& key) {
    looked = key;
    return std::string(" ") + key + "\t";
  });
  if (change) {
    Check(change->TitleCode == StringManager.ExtractBetween('[', ']', 1, text), "title code");
    Check(change->TitleCode.empty() || looked == change->TitleCode, "looked up the key");
  }
  return 0;
}
