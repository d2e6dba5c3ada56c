#include "app/SingleInstance.h"

#include <string>

#include "app/ExePaths.h"
#include "framework/WindowClass.h"

namespace kovra {
namespace {

constexpr DWORD kStartingWaitMs = 5000;  // a first copy still showing its start-up warnings
constexpr DWORD kPollMs = 50;
constexpr UINT kAnswerMs = 2000;

std::wstring UpperCaseFolder(std::wstring folder) {
  // One folder has one name however it was typed: 8.3 names and letter case are folded.
  std::wstring longName(MAX_PATH, L'\0');
  DWORD length = GetLongPathNameW(folder.c_str(), longName.data(), MAX_PATH);
  if (length > MAX_PATH) {
    longName.resize(length);
    length = GetLongPathNameW(folder.c_str(), longName.data(), length);
  }
  if (length > 0 && length < longName.size()) folder = longName.substr(0, length);
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  if (!folder.empty()) CharUpperBuffW(folder.data(), static_cast<DWORD>(folder.size()));
  return folder;
}

// The upper-cased folder of `pid`'s executable; empty when it cannot be read.
std::wstring ProcessFolder(DWORD pid) {
  KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return {};
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process.Get(), 0, path.data(), &size)) return {};
  path.resize(size);
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : UpperCaseFolder(path.substr(0, slash));
}

struct BarSearch {
  const std::wstring* folder;
  DWORD self;
  HWND found = nullptr;
};

// The bar: a top-level window of the framework's form class captioned "Kovra", in a process
// other than this one that runs from the same folder. Nothing else is ever acted on.
BOOL CALLBACK FindBar(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<BarSearch*>(param);
  wchar_t className[32];
  if (!GetClassNameW(window, className, 32) || std::wstring_view(className) != L"KovraForm")
    return TRUE;
  if (WindowText(window) != "Kovra" || GetWindow(window, GW_OWNER)) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == 0 || pid == search.self || ProcessFolder(pid) != *search.folder) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

UINT BringToFrontMessage() {
  static const UINT message = RegisterWindowMessageW(L"Kovra.BringToFront");
  return message;
}

TSingleInstance::TSingleInstance(std::string_view exeDir) : folder_(UpperCaseFolder(Wide(exeDir))) {
  const std::wstring name = Wide(InstanceNameOf(
      std::u16string_view(reinterpret_cast<const char16_t*>(folder_.data()), folder_.size())));
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  const DWORD error = GetLastError();
  mutex_.Reset(mutex);
  // A name taken by another kind of object, or no mutex at all: run, as before.
  first_ = !mutex_ || error != ERROR_ALREADY_EXISTS;
}

void TSingleInstance::BringRunningToFront() const {
  BarSearch search{&folder_, GetCurrentProcessId()};
  const DWORD start = GetTickCount();
  for (;;) {
    EnumWindows(FindBar, reinterpret_cast<LPARAM>(&search));
    if (search.found || GetTickCount() - start >= kStartingWaitMs) break;
    Sleep(kPollMs);
  }
  if (!search.found) return;
  DWORD pid = 0;
  GetWindowThreadProcessId(search.found, &pid);
  // This start was the user's, so it may pass the foreground on to the bar.
  AllowSetForegroundWindow(pid);
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(search.found, BringToFrontMessage(), 0, 0, SMTO_ABORTIFHUNG, kAnswerMs,
                      &answer);
}

}  // namespace kovra
