// An INI file in the Windows profile format, held line by line so that a write changes only the
// line it concerns and every other byte of the file stays as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kovra {

// Names and values are UTF-8 at this interface. The file is GBK (code page 936), as the ANSI
// profile functions read it; a file that starts with a UTF-8 or UTF-16 LE byte-order mark is
// read and written in that encoding instead, mark included.
//
// Reading follows the profile functions: section and key names match ignoring ASCII letter case,
// blanks around names and values are not part of them, one pair of matching quotes around a
// value is removed, only the first section of a name and the first key of a name in it count.
// Lines starting with ';' are comments. A value is cut at its first NUL and at kMaxValueBytes.
class IniDocument {
 public:
  // The profile functions read into a 2048-byte buffer, one byte of which ends the string.
  static constexpr size_t kMaxValueBytes = 2047;

  IniDocument() = default;
  explicit IniDocument(std::string_view bytes);

  // The value, or nullopt when the section or key is missing. An empty value is "".
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;

  // Replaces the value of the key in place, or adds the key after the last key of the section,
  // or adds the section at the end. Line breaks and NULs in the value become blanks; a value
  // with blanks at its ends or matching quotes around it is written in quotes, so that it reads
  // back unchanged. Characters the file's encoding lacks become '?'. Throws
  // std::invalid_argument for a name that the format cannot hold (empty, a line break, ']' in a
  // section name, '=' in a key, a key starting with ';' or '[').
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  std::string Serialize() const;

 private:
  enum class Encoding : uint8_t { kGbk, kUtf8, kUtf16 };
  enum class Eol : uint8_t { kNone, kCrLf, kLf, kCr };
  struct Line {
    std::string text;  // without its line end; UTF-8 for a UTF-16 file, else the file's bytes
    Eol eol;
  };
  struct Location {
    bool sectionFound = false;
    size_t keyLine = SIZE_MAX;
    size_t insertAt = 0;  // after the section's header or its last key
  };

  Location Locate(std::string_view section, std::string_view key) const;
  std::optional<std::string> SectionName(std::string_view line) const;
  std::optional<std::string_view> KeyName(std::string_view line) const;
  bool NameEquals(std::string_view stored, std::string_view utf8) const;
  std::string ToUtf8(std::string_view stored) const;
  std::string FromUtf8(std::string_view utf8) const;
  void AppendLine(std::string text);

  Encoding encoding_ = Encoding::kGbk;
  Eol newLine_ = Eol::kCrLf;  // the file's own line end, for lines we add
  std::string oddByte_;       // a UTF-16 file's stray last byte, kept
  std::vector<Line> lines_;
};

}  // namespace kovra
