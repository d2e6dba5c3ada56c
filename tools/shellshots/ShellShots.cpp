// Pictures of the shell layer's windows for the eye, written as bitmaps into the folder named on
// the command line (default: the current one): the shell list in its details view (list.bmp), a
// tree beside a list of large icons (icons.bmp), and the open dialog as it opens (open.bmp) and
// with its tree and details view (open-tree.bmp). scripts/shell-shots.sh runs it and converts
// the bitmaps to PNG.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/SysUtils.h"
#include "framework/Timers.h"
#include "shell/RzShellDialogs.h"
#include "shell/RzShellList.h"
#include "shell/RzShellOpenForm.h"
#include "shell/RzShellTree.h"
#include "shell/RzShellUtils.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

// Pumps messages until `done` holds or `timeoutMs` passed; whether it held.
bool PumpUntil(const std::function<bool()>& done, ULONGLONG timeoutMs = 10000) {
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > until) return false;
    Application().ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// The display shows what was painted a moment later: the window is repainted, then given a
// quarter of a second before the screen is read.
void Save(HWND window, const std::string& path) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  const ULONGLONG settled = GetTickCount64() + 250;
  PumpUntil([&] { return GetTickCount64() >= settled; });
  test::CaptureOnScreen(window).SaveToFile(path);
}

// A scratch folder of a few files and two subfolders, removed with the object.
class SampleFolder {
 public:
  SampleFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    path_ = Narrow(temp) + "kovra-shots-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryW(Wide(path_).c_str(), nullptr);
    for (const char* dir : {"adir", "zdir"}) Make(dir, true);
    for (const char* file : {"A.EXE", "b.exe", "c.txt", "d.bat", "股票代码表.ini"})
      Make(file, false);
  }
  ~SampleFolder() {
    for (const std::string& entry : made_) {
      const std::wstring full = Wide(path_ + "\\" + entry);
      if (!DeleteFileW(full.c_str())) RemoveDirectoryW(full.c_str());
    }
    RemoveDirectoryW(Wide(path_).c_str());
  }
  const std::string& Path() const { return path_; }

 private:
  void Make(const std::string& name, bool folder) {
    const std::wstring full = Wide(path_ + "\\" + name);
    if (folder) {
      CreateDirectoryW(full.c_str(), nullptr);
    } else {
      HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        const std::string content(name.size() * 700, 'x');
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
      }
    }
    made_.insert(made_.begin(), name);
  }

  std::string path_;
  std::vector<std::string> made_;
};

void ListShot(const SampleFolder& folder, const std::string& out) {
  auto form = test::NewForm(30, 30, 640, 360);
  auto* list = test::Place<TRzShellList>(*form, 8, 8, 610, 300);
  list->SetViewStyle(vsReport);
  test::ShowInFront(*form);
  list->SetFolderPath(folder.Path());
  PumpUntil([&] { return list->Items().Count() == 7; });
  for (int i = 0; i < list->Items().Count(); ++i)
    if (list->ListData(list->Items()[i])->FileName() == "c.txt")
      list->SetSelected(list->Items()[i]);
  Save(form->Handle(), out + "list.bmp");
}

void IconsShot(const SampleFolder& folder, const std::string& out) {
  auto form = test::NewForm(30, 30, 700, 420);
  auto* tree = test::Place<TRzShellTree>(*form, 8, 8, 220, 370);
  auto* list = test::Place<TRzShellList>(*form, 236, 8, 440, 370);
  list->SetViewStyle(vsIcon);
  tree->BaseFolder().SetPath(folder.Path());
  test::ShowInFront(*form);
  list->SetFolderPath(folder.Path());
  PumpUntil([&] { return tree->Items().Count() > 0 && list->Items().Count() == 7; });
  Save(form->Handle(), out + "icons.bmp");
}

// The steps run from a timer inside the dialog's modal loop; the window closes at the end, or
// after 20 seconds whatever happened.
void OpenDialogShots(const SampleFolder& folder, const std::string& out) {
  TRzOpenDialog dialog(nullptr);
  dialog.SetFilter("Programs (*.exe)|*.exe|All files (*.*)|*.*");
  dialog.SetInitialDir(folder.Path());
  dialog.SetOptions(dialog.Options() | osoNoChangeDir);  // or the folder could not be removed
  auto window = [&] { return static_cast<TRzShellOpenSaveForm*>(dialog.Form()); };
  int step = 0;
  bool busy = false;
  const ULONGLONG deadline = GetTickCount64() + 20000;
  TTimer timer(nullptr);
  timer.SetInterval(50);
  timer.OnTimer = [&](TObject*) {
    TRzShellOpenSaveForm* form = window();
    if (!form || !form->HandleAllocated() || !IsWindowVisible(form->Handle())) return;
    if (busy) return;  // the wait inside Save pumps this timer too
    busy = true;
    if (GetTickCount64() > deadline) step = 3;
    if (step == 0 && form->ShellList().Items().Count() > 0) {
      Save(form->Handle(), out + "open.bmp");
      step = 1;
    } else if (step == 1) {
      form->ShowTreePane(true);
      form->SetViewStyle(3);
      step = 2;
    } else if (step == 2 && form->ShellTree().Items().Count() > 0) {
      Save(form->Handle(), out + "open-tree.bmp");
      step = 3;
    }
    if (step == 3) form->SetModalResult(mrCancel);
    busy = false;
  };
  timer.SetEnabled(true);
  dialog.Execute();
}

}  // namespace
}  // namespace kovra

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  using namespace kovra;
  std::string out = Narrow(commandLine);
  if (out.empty()) out = ".";
  if (out.back() != '\\' && out.back() != '/') out += '\\';
  try {
    Application().Initialize();
    TRzShellLayerScope shellLayer;
    SampleFolder folder;
    ListShot(folder, out);
    IconsShot(folder, out);
    OpenDialogShots(folder, out);
  } catch (...) {
    Application().HandleException(nullptr);
    return 1;
  }
  return 0;
}
