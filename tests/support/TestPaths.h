// Where test programs find the project's executables and a scratch folder of their own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace kovra::test {

// The folder of the running test executable (build/bin), with a trailing backslash.
std::wstring BinDir();
// A new empty folder under the system's temporary folder, removed with its contents on destruction.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  // The folder's path, with a trailing backslash.
  const std::wstring& Path() const { return path_; }
  // The same in UTF-8 without the trailing backslash, as the shell names folders.
  std::string Folder() const;

 private:
  std::wstring path_;
};

// Creates or overwrites the file `path` with `size` bytes, last written at `lastWrite` when one is
// given. Returns whether it could.
bool MakeFile(const std::string& path, std::size_t size = 0, const SYSTEMTIME* lastWrite = nullptr);

}  // namespace kovra::test
