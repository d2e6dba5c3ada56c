// Message dialogs captioned with the application's title.
#pragma once

#include <cstdint>
#include <string_view>

#include "framework/Forms.h"

namespace kovra {

enum TMsgDlgType : std::uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : std::uint8_t { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore };
using TMsgDlgButtons = std::uint8_t;
constexpr TMsgDlgButtons MsgDlgButton(TMsgDlgBtn b) {
  return static_cast<TMsgDlgButtons>(1u << b);
}
constexpr TMsgDlgButtons mbOKCancel = MsgDlgButton(mbOK) | MsgDlgButton(mbCancel);
constexpr TMsgDlgButtons mbYesNo = MsgDlgButton(mbYes) | MsgDlgButton(mbNo);
constexpr TMsgDlgButtons mbYesNoCancel = mbYesNo | MsgDlgButton(mbCancel);
constexpr TMsgDlgButtons mbAbortRetryIgnore =
    MsgDlgButton(mbAbort) | MsgDlgButton(mbRetry) | MsgDlgButton(mbIgnore);

// The system box closest to the buttons asked for (the system offers fixed sets); returns the
// modal result of the button pressed.
TModalResult MessageDlg(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons);
void ShowMessage(std::string_view text);

// The MessageBox flags MessageDlg uses; exposed for tests.
unsigned MessageDlgFlags(TMsgDlgType type, TMsgDlgButtons buttons);

}  // namespace kovra
