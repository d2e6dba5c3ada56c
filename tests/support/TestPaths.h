// Where test programs find the project's executables and a scratch folder of their own.
#pragma once

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

 private:
  std::wstring path_;
};

}  // namespace kovra::test
