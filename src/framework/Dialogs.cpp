#include "framework/Dialogs.h"

#include "framework/Application.h"

namespace kovra {

unsigned MessageDlgFlags(TMsgDlgType type, TMsgDlgButtons buttons) {
  auto has = [buttons](TMsgDlgBtn b) { return (buttons & MsgDlgButton(b)) != 0; };
  unsigned flags = MB_OK;
  if (has(mbAbort) || has(mbIgnore))
    flags = MB_ABORTRETRYIGNORE;
  else if (has(mbYes) || has(mbNo))
    flags = has(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
  else if (has(mbRetry))
    flags = MB_RETRYCANCEL;
  else if (has(mbCancel))
    flags = MB_OKCANCEL;
  switch (type) {
    case mtWarning:
      flags |= MB_ICONWARNING;
      break;
    case mtError:
      flags |= MB_ICONERROR;
      break;
    case mtInformation:
      flags |= MB_ICONINFORMATION;
      break;
    case mtConfirmation:
      flags |= MB_ICONQUESTION;
      break;
    case mtCustom:
      break;
  }
  return flags;
}

TModalResult MessageDlg(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons) {
  // The system's box answers with IDOK, IDYES, ...: the same numbers as the modal results.
  return Application().MessageBox(text, {}, MessageDlgFlags(type, buttons));
}

void ShowMessage(std::string_view text) {
  Application().MessageBox(text, {}, MB_OK);
}

}  // namespace kovra
