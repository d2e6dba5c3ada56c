// Program entry: the application, the shared state, the bar as the main window, the loop.
#include <windows.h>

#include "app/Global.h"
#include "app/SingleInstance.h"
#include "app/Version.h"
#include "bar/UnitMain.h"
#include "framework/Application.h"
#include "shell/RzShellUtils.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  using namespace kovra;
  int exitCode = 0;
  try {
    ExeDir();  // fixed before anything can change the process's view of itself
    IniPath();
    if (AsksForVersion(arguments ? arguments : L"")) {
      ReportVersion();
      return 0;
    }
    // Held until the program ends; a second copy from this folder hands over and ends here.
    TSingleInstance instance(ExeDir());
    if (!instance.First()) {
      instance.BringRunningToFront();
      return 0;
    }
    Application().Initialize();
    // COM and OLE start with the first dialog and end here, after the loop.
    TRzShellLayerScope shellLayer;
    // Freed and cleared when the loop ends, also when an exception leaves it.
    TGlobalStateScope globalState;
    Application().SetTitle("Kovra");
    Application().CreateForm<TFormMain>();
    Application().Run();
  } catch (...) {
    Application().HandleException(nullptr);
    exitCode = 1;
  }
  return exitCode;
}
