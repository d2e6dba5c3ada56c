#include <windows.h>

#include "controls/RzStrings.h"

namespace kovra {
namespace {

std::optional<TRzLanguage>& ChosenLanguage() {
  static std::optional<TRzLanguage> chosen;
  return chosen;
}

}  // namespace

TRzLanguage RzUiLanguage() {
  if (ChosenLanguage()) return *ChosenLanguage();
  // The interface language does not change while a program runs.
  static const TRzLanguage user = LanguageOfLangId(GetUserDefaultUILanguage());
  return user;
}

void SetRzUiLanguage(std::optional<TRzLanguage> language) {
  ChosenLanguage() = language;
}

std::string_view RzLoadStr(TRzString id) {
  return RzStringIn(id, RzUiLanguage());
}

}  // namespace kovra
