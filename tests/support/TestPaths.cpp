#include "support/TestPaths.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>

#include "framework/Handles.h"
#include "framework/WindowClass.h"

namespace kovra::test {

std::wstring BinDir() {
  wchar_t path[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  std::wstring dir(path, n);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

ScratchDir::ScratchDir() {
  static std::atomic<unsigned> counter{0};
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring candidate = std::wstring(temp) + L"kovra-test-" +
                             std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(counter++) + L"\\";
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder");
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(path_), ignored);
}

std::string ScratchDir::Folder() const {
  std::string folder = Narrow(path_);
  folder.pop_back();
  return folder;
}

bool MakeFile(const std::string& path, std::size_t size, const SYSTEMTIME* lastWrite) {
  KernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const std::string bytes(size, 'x');
  DWORD written = 0;
  if (!bytes.empty() &&
      (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
       written != bytes.size()))
    return false;
  FILETIME time{};
  return !lastWrite || (SystemTimeToFileTime(lastWrite, &time) &&
                        SetFileTime(file.Get(), nullptr, nullptr, &time));
}

}  // namespace kovra::test
