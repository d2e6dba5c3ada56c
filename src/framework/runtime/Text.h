// Text encodings: the program keeps UTF-8 inside, converts to UTF-16 at Win32 calls and to GBK
// (code page 936) where bytes leave or enter the program in GBK. Free of the Windows API.
#pragma once

#include <string>
#include <string_view>

namespace kovra {

// Ill-formed input never throws: each invalid sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Code page 936 as Windows defines it: ASCII, 0x80 = euro sign, 0xFF = U+F8F5, two-byte GBK
// with its user-defined areas as Private Use characters. Characters with no GBK form become '?'
// (no best-fit substitutes). A lead byte without a valid trail becomes U+FFFD and the byte after
// it is decoded on its own.
std::string Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(std::string_view gbk);
std::string Utf16ToGbk(std::u16string_view utf16);
std::u16string GbkToUtf16(std::string_view gbk);

// Case-insensitive comparison of ASCII letters only; other bytes (GBK, UTF-8) compare exactly.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// Blanks and control characters (<= 0x20) removed from both ends.
std::string_view Trim(std::string_view text);

}  // namespace kovra
