// A program started by a test, ended with the test on every path (failures included).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kovra::test {

class TestProcess {
 public:
  // Starts `exe` with `args` (each quoted as needed) in `workDir` (empty: the test's own).
  // Throws std::runtime_error when the program cannot be started.
  TestProcess(const std::wstring& exe, const std::vector<std::wstring>& args = {},
              const std::wstring& workDir = L"");
  ~TestProcess();
  TestProcess(const TestProcess&) = delete;
  TestProcess& operator=(const TestProcess&) = delete;

  DWORD Pid() const { return pid_; }
  HANDLE Handle() const { return process_; }
  bool Running() const;
  // Waits for a normal exit; returns the exit code or -1 on time-out.
  int WaitExit(DWORD timeoutMs = 10000);
  // Ends the program now (also what the destructor does for one still running).
  void Kill();
  // The program's visible top-level window whose class is `className`, waiting up to `timeoutMs`.
  HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs = 10000) const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

}  // namespace kovra::test
