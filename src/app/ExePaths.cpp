#include "app/ExePaths.h"

#include <cstdint>
#include <cstdio>

namespace kovra {
namespace {

constexpr std::string_view kDelimiters = "\\/:";

size_t NameStart(std::string_view path) {
  const size_t delimiter = path.find_last_of(kDelimiters);
  return delimiter == std::string_view::npos ? 0 : delimiter + 1;
}

}  // namespace

std::string ExeDirOf(std::string_view exeFileName) {
  return std::string(exeFileName.substr(0, NameStart(exeFileName)));
}

std::string IniPathOf(std::string_view exeFileName) {
  const size_t dot = exeFileName.find_last_of('.');
  const bool hasExtension = dot != std::string_view::npos && dot >= NameStart(exeFileName);
  return std::string(hasExtension ? exeFileName.substr(0, dot) : exeFileName) + ".ini";
}

std::string InstanceNameOf(std::u16string_view upperCaseFolder) {
  while (!upperCaseFolder.empty() &&
         (upperCaseFolder.back() == u'\\' || upperCaseFolder.back() == u'/'))
    upperCaseFolder.remove_suffix(1);
  // FNV-1a over the UTF-16 units: object names cannot hold backslashes, and a path can be longer
  // than a name may be.
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (char16_t unit : upperCaseFolder) {
    const char16_t c = unit == u'/' ? u'\\' : unit;
    for (int shift : {0, 8}) {
      hash ^= static_cast<std::uint8_t>(c >> shift);
      hash *= 0x100000001b3u;
    }
  }
  char name[40];
  std::snprintf(name, sizeof name, "Local\\Kovra-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace kovra
