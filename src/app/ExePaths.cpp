#include "app/ExePaths.h"

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

}  // namespace kovra
