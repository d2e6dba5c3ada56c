// Our code page 936 tables against the system's own converter, code by code.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/runtime/Text.h"

namespace kovra {
namespace {

constexpr UINT kGbk = 936;
constexpr int kMaxReported = 20;

std::u16string SystemDecode(const std::string& bytes, DWORD flags) {
  wchar_t out[8];
  const int n =
      MultiByteToWideChar(kGbk, flags, bytes.data(), static_cast<int>(bytes.size()), out, 8);
  return std::u16string(reinterpret_cast<const char16_t*>(out), n > 0 ? n : 0);
}

std::string Hex(const std::string& bytes) {
  std::string s;
  char buf[4];
  for (unsigned char b : bytes) snprintf(buf, sizeof buf, "%02X", b), s += buf;
  return s;
}

TEST(CodePage936, SingleBytesDecodeAsWindowsDoes) {
  ASSERT_TRUE(IsValidCodePage(kGbk));
  for (int b = 0; b < 0x100; ++b) {
    if (b >= 0x81 && b <= 0xFE) continue;  // lead bytes: a character only with a trail
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(GbkToUtf16(byte), SystemDecode(byte, 0)) << Hex(byte);
  }
}

TEST(CodePage936, EveryTwoByteCodeDecodesAsWindowsDoes) {
  int mismatches = 0, valid = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string system = SystemDecode(code, MB_ERR_INVALID_CHARS);
      const std::u16string ours = GbkToUtf16(code);
      // Where the system rejects the pair, ours must not claim a character for it.
      const bool agree = system.empty() ? ours[0] == u'\uFFFD' : ours == system;
      valid += !system.empty();
      if (!agree && ++mismatches <= kMaxReported) {
        ADD_FAILURE() << Hex(code) << ": system U+" << std::hex
                      << (system.empty() ? 0 : int(system[0])) << ", ours U+" << int(ours[0]);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(valid, 23940);
}

TEST(CodePage936, EveryCharacterEncodesAsWindowsDoes) {
  int mismatches = 0;
  for (unsigned c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const wchar_t ch = static_cast<wchar_t>(c);
    char bytes[4];
    BOOL usedDefault = FALSE;
    const int n =
        WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, &ch, 1, bytes, 4, nullptr, &usedDefault);
    const std::string system = usedDefault || n <= 0 ? "?" : std::string(bytes, n);
    const std::string ours = Utf16ToGbk(std::u16string(1, static_cast<char16_t>(c)));
    if (ours != system && ++mismatches <= kMaxReported) {
      ADD_FAILURE() << "U+" << std::hex << c << ": system " << Hex(system) << ", ours "
                    << Hex(ours);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace kovra
