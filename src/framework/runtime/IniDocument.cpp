#include "framework/runtime/IniDocument.h"

#include <algorithm>
#include <stdexcept>

#include "framework/runtime/Text.h"

namespace kovra {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

bool IsGbkLead(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}
bool IsGbkTrail(unsigned char c) {
  return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// The longest prefix of at most `limit` bytes that ends on a character boundary.
std::string_view CutGbk(std::string_view text, size_t limit) {
  size_t i = 0;
  while (i < text.size()) {
    const bool pair = IsGbkLead(text[i]) && i + 1 < text.size() && IsGbkTrail(text[i + 1]);
    const size_t next = i + (pair ? 2 : 1);
    if (next > limit) break;
    i = next;
  }
  return text.substr(0, i);
}

std::string_view CutUtf8(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

// Blanks trimmed, then one pair of matching quotes removed.
std::string_view Unquote(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// What WriteString stores so that the value reads back unchanged.
std::string PrepareValue(std::string_view value) {
  std::string v(value);
  for (char& c : v) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  const bool padded = !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()));
  const bool quoted =
      v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
  if (padded || quoted) v = '"' + v + '"';
  return v;
}

bool HasLineBreakOrNul(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

void CheckSectionName(std::string_view name) {
  if (name.empty() || HasLineBreakOrNul(name) || name.find(']') != std::string_view::npos) {
    throw std::invalid_argument("INI section name cannot be stored: " + std::string(name));
  }
}

void CheckKeyName(std::string_view name) {
  if (name.empty() || HasLineBreakOrNul(name) || name.find('=') != std::string_view::npos ||
      name.front() == ';' || name.front() == '[') {
    throw std::invalid_argument("INI key name cannot be stored: " + std::string(name));
  }
}

std::string_view EolText(uint8_t eol) {
  static constexpr std::string_view kTexts[] = {"", "\r\n", "\n", "\r"};
  return kTexts[eol];
}

}  // namespace

IniDocument::IniDocument(std::string_view bytes) {
  std::string utf8Text;  // a UTF-16 file, converted
  if (bytes.starts_with(kUtf16Bom)) {
    encoding_ = Encoding::kUtf16;
    bytes.remove_prefix(kUtf16Bom.size());
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    if (bytes.size() % 2 != 0) oddByte_ = bytes.substr(bytes.size() - 1);
    utf8Text = Utf16ToUtf8(units);
    bytes = utf8Text;
  } else if (bytes.starts_with(kUtf8Bom)) {
    encoding_ = Encoding::kUtf8;
    bytes.remove_prefix(kUtf8Bom.size());
  }

  bool newLineKnown = false;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines_.push_back({std::string(bytes.substr(start)), Eol::kNone});
      break;
    }
    Eol eol = bytes[end] == '\n' ? Eol::kLf : Eol::kCr;
    if (eol == Eol::kCr && end + 1 < bytes.size() && bytes[end + 1] == '\n') eol = Eol::kCrLf;
    lines_.push_back({std::string(bytes.substr(start, end - start)), eol});
    if (!newLineKnown) newLine_ = eol, newLineKnown = true;
    start = end + (eol == Eol::kCrLf ? 2 : 1);
  }
}

std::string IniDocument::ToUtf8(std::string_view stored) const {
  if (encoding_ == Encoding::kGbk) return GbkToUtf8(stored);
  return Utf16ToUtf8(Utf8ToUtf16(stored));  // ill-formed UTF-8 becomes U+FFFD
}

std::string IniDocument::FromUtf8(std::string_view utf8) const {
  if (encoding_ == Encoding::kGbk) return Utf8ToGbk(utf8);
  return Utf16ToUtf8(Utf8ToUtf16(utf8));
}

// "[name]" with blanks around; anything after the ']' is ignored. The line is decoded before
// looking for the ']', because a GBK trail byte may have the same value.
std::optional<std::string> IniDocument::SectionName(std::string_view line) const {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::string text = ToUtf8(line);
  const size_t close = text.find(']');
  if (close == std::string::npos) return std::nullopt;
  return std::string(Trim(std::string_view(text).substr(1, close - 1)));
}

// The key of a "key=value" line, as stored. '=' is never part of a GBK character, so a byte
// search finds it.
std::optional<std::string_view> IniDocument::KeyName(std::string_view line) const {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view key = Trim(line.substr(0, equals));
  if (!key.empty() && key.front() == ';') return std::nullopt;
  return key;
}

// Compares a stored name with a UTF-8 one. GBK is decoded first: its trail bytes include the
// ASCII letters, which must not be folded.
bool IniDocument::NameEquals(std::string_view stored, std::string_view utf8) const {
  const bool ascii = std::all_of(stored.begin(), stored.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii || encoding_ != Encoding::kGbk) return EqualsIgnoreAsciiCase(stored, utf8);
  return EqualsIgnoreAsciiCase(GbkToUtf8(stored), utf8);
}

IniDocument::Location IniDocument::Locate(std::string_view section, std::string_view key) const {
  section = Trim(section);
  key = Trim(key);
  Location location;
  // Lines before the first header form the section without a name.
  bool inSection = section.empty();
  location.sectionFound = inSection;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::string_view line = lines_[i].text;
    if (const auto name = SectionName(line)) {
      if (inSection) break;  // only the first section of a name counts
      if (EqualsIgnoreAsciiCase(*name, section)) {
        inSection = location.sectionFound = true;
        location.insertAt = i + 1;
      }
      continue;
    }
    if (!inSection) continue;
    if (const auto name = KeyName(line)) {
      location.insertAt = i + 1;
      if (NameEquals(*name, key)) {
        location.keyLine = i;
        break;
      }
    }
  }
  return location;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
  const Location location = Locate(section, key);
  if (location.keyLine == SIZE_MAX) return std::nullopt;
  std::string_view value = lines_[location.keyLine].text;
  value = value.substr(value.find('=') + 1);
  value = value.substr(0, value.find('\0'));
  value = Unquote(value);
  value =
      encoding_ == Encoding::kGbk ? CutGbk(value, kMaxValueBytes) : CutUtf8(value, kMaxValueBytes);
  return ToUtf8(value);
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
  auto value = Find(section, key);
  return value ? std::move(*value) : std::string(defaultValue);
}

void IniDocument::AppendLine(std::string text) {
  if (!lines_.empty() && lines_.back().eol == Eol::kNone) lines_.back().eol = newLine_;
  lines_.push_back({std::move(text), newLine_});
}

void IniDocument::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  CheckSectionName(section);
  CheckKeyName(key);
  const std::string stored = FromUtf8(PrepareValue(value));
  const Location location = Locate(section, key);
  if (location.keyLine != SIZE_MAX) {
    // Keep the key as it is spelled and spaced; replace what follows the '=' and its blanks.
    std::string& line = lines_[location.keyLine].text;
    size_t start = line.find('=') + 1;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    line.replace(start, std::string::npos, stored);
  } else if (location.sectionFound) {
    std::string text = FromUtf8(key) + "=" + stored;
    if (location.insertAt == lines_.size()) {
      AppendLine(std::move(text));
    } else {
      lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(location.insertAt),
                    Line{std::move(text), newLine_});
    }
  } else {
    AppendLine("[" + FromUtf8(section) + "]");
    AppendLine(FromUtf8(key) + "=" + stored);
  }
}

std::string IniDocument::Serialize() const {
  std::string text;
  size_t size = 0;
  for (const Line& line : lines_) size += line.text.size() + 2;
  text.reserve(size + 3);
  if (encoding_ == Encoding::kUtf8) text += kUtf8Bom;
  for (const Line& line : lines_) {
    text += line.text;
    text += EolText(static_cast<uint8_t>(line.eol));
  }
  if (encoding_ != Encoding::kUtf16) return text;

  const std::u16string units = Utf8ToUtf16(text);
  std::string bytes(kUtf16Bom);
  bytes.reserve(2 + units.size() * 2 + 1);
  for (const char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes + oddByte_;
}

}  // namespace kovra
