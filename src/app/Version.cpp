#include "app/Version.h"

#include <windows.h>

#include "KovraVersion.h"
#include "framework/Handles.h"
#include "framework/WindowClass.h"

namespace kovra {
namespace {

bool WriteAll(HANDLE out, std::string_view text) {
  DWORD written = 0;
  return out && out != INVALID_HANDLE_VALUE &&
         WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

}  // namespace

std::string_view KovraVersion() {
  return KOVRA_VERSION;
}

std::string KovraVersionLine() {
  return "Kovra " + std::string(KovraVersion());
}

bool AsksForVersion(std::wstring_view arguments) {
  const size_t first = arguments.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return false;
  const size_t last = arguments.find_last_not_of(L" \t");
  return arguments.substr(first, last - first + 1) == L"--version";
}

void ReportVersion() {
  const std::string line = KovraVersionLine() + "\r\n";
  // Redirected output (a pipe or a file) first: a program of the windows subsystem gets none
  // otherwise.
  if (WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), line)) return;
  if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    KernelHandle console(CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    const std::wstring wide = Wide(line);
    DWORD written = 0;
    const bool shown = console && WriteConsoleW(console.Get(), wide.data(),
                                                static_cast<DWORD>(wide.size()), &written, nullptr);
    FreeConsole();
    if (shown) return;
  }
  MessageBoxW(nullptr, Wide(KovraVersionLine()).c_str(), L"Kovra", MB_OK | MB_ICONINFORMATION);
}

}  // namespace kovra
