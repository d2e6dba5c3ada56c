// Code page 936 conversions over the generated two-byte table. Decoding indexes the table
// directly; encoding uses a reverse table built once from it.
#include <array>
#include <cstdint>
#include <memory>

#include "framework/runtime/GbkTable.h"
#include "framework/runtime/Text.h"

namespace kovra {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
// Single bytes above ASCII that Windows maps: 0x80 is the euro sign, 0xFF a Private Use character.
constexpr char16_t kEuro = 0x20AC, kPrivateFF = 0xF8F5;

// Decodes the character at gbk[i], advancing i. A lead byte without a valid trail becomes one
// U+FFFD and the next byte is read afresh, so an ASCII '=' or ']' after it is never swallowed.
char16_t DecodeGbk(std::string_view gbk, size_t& i) {
  const unsigned lead = static_cast<unsigned char>(gbk[i++]);
  if (lead < 0x80) return static_cast<char16_t>(lead);
  if (lead == 0x80) return kEuro;
  if (lead == 0xFF) return kPrivateFF;
  if (i >= gbk.size()) return kReplacement;
  const unsigned trail = static_cast<unsigned char>(gbk[i]);
  if (trail < gbk::kTrailFirst || trail > gbk::kTrailLast) return kReplacement;
  const char16_t ch = gbk::kDoubleByte[lead - gbk::kLeadFirst][trail - gbk::kTrailFirst];
  if (ch == 0) return kReplacement;
  ++i;
  return ch;
}

// Reverse table: for each BMP character its GBK code (a two-byte code as lead << 8 | trail),
// 0 where there is none. 128 KB, built on first use.
const std::array<uint16_t, 0x10000>& EncodeTable() {
  static const std::unique_ptr<std::array<uint16_t, 0x10000>> table = [] {
    auto t = std::make_unique<std::array<uint16_t, 0x10000>>();
    t->fill(0);
    for (unsigned c = 0; c < 0x80; ++c) (*t)[c] = static_cast<uint16_t>(c);
    (*t)[kEuro] = 0x80;
    (*t)[kPrivateFF] = 0xFF;
    for (unsigned lead = 0; lead < gbk::kLeadCount; ++lead) {
      for (unsigned trail = 0; trail < gbk::kTrailCount; ++trail) {
        const char16_t ch = gbk::kDoubleByte[lead][trail];
        if (ch != 0) {
          (*t)[ch] =
              static_cast<uint16_t>((lead + gbk::kLeadFirst) << 8 | (trail + gbk::kTrailFirst));
        }
      }
    }
    return t;
  }();
  return *table;
}

void AppendGbk(std::string& out, const std::array<uint16_t, 0x10000>& table, char32_t cp) {
  const uint16_t code = cp < 0x10000 ? table[cp] : 0;
  if (code == 0 && cp != 0) {
    out += '?';
  } else if (code < 0x100) {
    out += static_cast<char>(code);
  } else {
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
  }
}

void AppendUtf8(std::string& out, char16_t ch) {
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
  std::u16string out;
  out.reserve(gbk.size());
  for (size_t i = 0; i < gbk.size();) out += DecodeGbk(gbk, i);
  return out;
}

std::string GbkToUtf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() + gbk.size() / 2);
  // GBK never maps to a surrogate, so each decoded unit is a whole character.
  for (size_t i = 0; i < gbk.size();) AppendUtf8(out, DecodeGbk(gbk, i));
  return out;
}

std::string Utf16ToGbk(std::u16string_view utf16) {
  const auto& table = EncodeTable();
  std::string out;
  out.reserve(utf16.size() * 2);
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    // A surrogate pair is one character (outside GBK: one '?'); a lone surrogate is also '?'.
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      ++i;
      cp = 0x10000;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0x10000;
    }
    AppendGbk(out, table, cp);
  }
  return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
  return Utf16ToGbk(Utf8ToUtf16(utf8));
}

}  // namespace kovra
