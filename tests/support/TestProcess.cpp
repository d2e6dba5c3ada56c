#include "support/TestProcess.h"

#include <stdexcept>

#include "support/Wait.h"

namespace kovra::test {
namespace {

std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  for (wchar_t c : arg) {
    if (c == L'"') out += L'\\';
    out += c;
  }
  return out + L"\"";
}

struct FindWindowData {
  DWORD pid;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK FindWindowProc(HWND wnd, LPARAM param) {
  auto* data = reinterpret_cast<FindWindowData*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  wchar_t cls[128] = {};
  GetClassNameW(wnd, cls, 128);
  if (pid == data->pid && IsWindowVisible(wnd) && lstrcmpiW(cls, data->className) == 0) {
    data->found = wnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

TestProcess::TestProcess(const std::wstring& exe, const std::vector<std::wstring>& args,
                         const std::wstring& workDir) {
  std::wstring commandLine = Quote(exe);
  for (const auto& arg : args) commandLine += L" " + Quote(arg);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // Under Wine a start very rarely fails inside the loader (ERROR_INTERNAL_ERROR) while the same
  // start a moment later succeeds; any other failure stands.
  for (int attempt = 1;; ++attempt) {
    std::wstring line = commandLine;  // the call may write into it
    if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workDir.empty() ? nullptr : workDir.c_str(), &si, &pi)) {
      break;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == 3) {
      throw std::runtime_error("cannot start test program, error " + std::to_string(error));
    }
    Sleep(100);
  }
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  WaitForInputIdle(process_, 10000);
}

TestProcess::~TestProcess() {
  Kill();
  CloseHandle(process_);
}

bool TestProcess::Running() const {
  return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

int TestProcess::WaitExit(DWORD timeoutMs) {
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<int>(code);
}

void TestProcess::Kill() {
  if (Running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
  }
}

HWND TestProcess::WaitForWindow(const wchar_t* className, DWORD timeoutMs) const {
  FindWindowData data{pid_, className, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(FindWindowProc, reinterpret_cast<LPARAM>(&data));
        return data.found != nullptr;
      },
      std::chrono::milliseconds(timeoutMs));
  return data.found;
}

}  // namespace kovra::test
