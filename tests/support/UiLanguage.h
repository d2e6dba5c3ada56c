// Shows the controls' and dialogs' texts in one column for a scope, then goes back to the user's
// interface language (for test programs that link the controls).
#pragma once

#include "controls/RzStrings.h"

namespace kovra::test {

class UiLanguageScope {
 public:
  explicit UiLanguageScope(TRzLanguage language) : before_(RzUiLanguage()) {
    SetRzUiLanguage(language);
  }
  ~UiLanguageScope() { SetRzUiLanguage(before_); }
  UiLanguageScope(const UiLanguageScope&) = delete;
  UiLanguageScope& operator=(const UiLanguageScope&) = delete;

 private:
  TRzLanguage before_;
};

}  // namespace kovra::test
