// The start-up benchmark's reference: an empty Win32 program that shows one window, built and
// linked as Kovra is. With "--kovra-dlls" it first loads the system libraries Kovra imports, to
// tell their share of Kovra's start-up from Kovra's own.
#include <windows.h>

#include <cwchar>
#include <initializer_list>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  if (wcsstr(commandLine, L"--kovra-dlls")) {
    for (const wchar_t* dll : {L"advapi32.dll", L"comctl32.dll", L"gdi32.dll", L"msimg32.dll",
                               L"shell32.dll", L"uxtheme.dll"}) {
      LoadLibraryW(dll);
    }
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
  };
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"KovraBenchEmptyWindow";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"Empty",
                                WS_POPUP, 100, 100, 232, 30, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
