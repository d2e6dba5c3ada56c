// Program entry.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr, L"Kovra", L"Kovra", MB_OK);
  return 0;
}
