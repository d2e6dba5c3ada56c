// The INI reader on arbitrary file bytes: reads never fail, a serialised document reads back the
// same, and a value written reads back unchanged (or the write is refused for the name).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/ConfigValues.h"
#include "framework/runtime/IniDocument.h"
#include "framework/runtime/Text.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kovra::IniDocument;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The first line names what is looked up and written; the whole input is the file.
  const std::string_view head = bytes.substr(0, bytes.find('\n'));
  const std::string_view section = head.substr(0, head.find('|'));
  const std::string_view key =
      head.find('|') == std::string_view::npos ? "k" : head.substr(head.find('|') + 1);

  IniDocument document(bytes);
  for (std::string_view s : {section, std::string_view("Config"), std::string_view("代码表")}) {
    const auto value = document.Find(s, key);
    if (value) Check(value->size() <= 4 * IniDocument::kMaxValueBytes, "value length");
    kovra::IniInteger(document.ReadString(s, key, ""), 7);
    kovra::IniFloat(document.ReadString(s, key, ""), 3.0);
  }

  const std::string serialized = document.Serialize();
  Check(IniDocument(serialized).Serialize() == serialized, "serialise is stable");
  Check(IniDocument(serialized).Find(section, key) == document.Find(section, key),
        "serialised document reads the same");

  const std::string value(bytes.substr(head.size() < bytes.size() ? head.size() + 1 : 0, 64));
  try {
    document.WriteString(section, key, value);
  } catch (const std::invalid_argument&) {
    return 0;  // a name the format cannot hold
  }
  // Names are UTF-8 characters the file can hold; others are stored as '?' and not found again.
  const auto storable = [](std::string_view name) {
    return kovra::GbkToUtf8(kovra::Utf8ToGbk(kovra::Trim(name))) == kovra::Trim(name);
  };
  if (!storable(section) || !storable(key)) return 0;
  const auto back = IniDocument(document.Serialize()).Find(section, key);
  Check(back.has_value(), "written key is found");
  // Line breaks and NULs are stored as blanks; characters the encoding lacks become '?'.
  std::string expected = value;
  for (char& c : expected)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  Check(back->size() <= IniDocument::kMaxValueBytes, "read-back length");
  if (back->find('?') == std::string::npos && back->find("\xEF\xBF\xBD") == std::string::npos &&
      expected.find('?') == std::string::npos) {
    Check(*back == expected, "written value reads back");
  }
  return 0;
}
