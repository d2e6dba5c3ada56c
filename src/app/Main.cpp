// Program entry: the application object, its title and the main window.
#include <windows.h>

#include "framework/Application.h"
#include "framework/Forms.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace kovra;
  try {
    Application().Initialize();
    Application().SetTitle("Kovra");
    // A plain framework form stands in for the bar window until that exists.
    TForm* form = Application().CreateForm<TForm>();
    form->SetCaption("Kovra");
    form->SetPosition(poScreenCenter);
    Application().Run();
  } catch (...) {
    Application().HandleException(nullptr);
    return 1;
  }
  return 0;
}
