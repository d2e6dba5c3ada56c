#include "app/ProcessFinder.h"

#include <tlhelp32.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "framework/runtime/Text.h"

namespace kovra {
namespace {

// Looked up at run time: a system without them simply finds nothing.
using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);
using EnumModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using ModuleFileNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, wchar_t*, DWORD);
using ImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, wchar_t*, DWORD*);

template <class Fn>
Fn Lookup(HMODULE library, const char* name) {
  if (!library) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

class Library {
 public:
  explicit Library(const wchar_t* name) : module_(LoadLibraryW(name)) {}
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  HMODULE Get() const { return module_; }

 private:
  HMODULE module_;
};

std::string_view FileNamePart(std::string_view path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string ToUtf8(const wchar_t* text, size_t length) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::string ToUtf8(const wchar_t* text) {
  return ToUtf8(text, wcslen(text));
}

struct ModuleFunctions {
  ImageNameFn imageName;
  EnumModulesFn enumModules;
  ModuleFileNameFn moduleFileName;
};

enum class Verdict { Rejected, NameOnly, Found };

// The executable's full path through the least access that reads it, which a process running
// with higher rights than ours still grants; nothing when that is refused.
std::optional<std::string> ImagePath(DWORD pid, const ModuleFunctions& fns) {
  if (!fns.imageName) return std::nullopt;
  KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return std::nullopt;
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD length = MAX_PATH + 1;
  if (!fns.imageName(process.Get(), 0, buffer, &length) || length > MAX_PATH) return std::nullopt;
  return ToUtf8(buffer, length);
}

// Steps for one process whose file name matches: open it, check its executable's full path and
// look for its main window.
Verdict Examine(DWORD pid, std::string_view path, const ModuleFunctions& fns, bool& opened) {
  std::optional<std::string> fullPath = ImagePath(pid, fns);
  opened = fullPath.has_value();
  if (!fullPath) {
    // The module list needs the other process's memory: the older systems' only way.
    KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    opened = static_cast<bool>(process);
    if (!opened) return Verdict::Rejected;
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!fns.enumModules || !fns.moduleFileName ||
        !fns.enumModules(process.Get(), &module, sizeof(module), &needed)) {
      return Verdict::NameOnly;
    }
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = fns.moduleFileName(process.Get(), module, buffer, MAX_PATH + 1);
    fullPath = ToUtf8(buffer, length <= MAX_PATH ? length : 0);
  }
  if (!EqualsIgnoreAsciiCase(*fullPath, path)) return Verdict::Rejected;
  return FindMainWindow(pid) ? Verdict::Found : Verdict::Rejected;
}

}  // namespace

std::vector<DWORD> FindProcessesByPath(std::span<const std::string_view> paths) {
  std::vector<DWORD> found(paths.size(), 0);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto createSnapshot = Lookup<CreateSnapshotFn>(kernel, "CreateToolhelp32Snapshot");
  const auto first = Lookup<ProcessWalkFn>(kernel, "Process32FirstW");
  const auto next = Lookup<ProcessWalkFn>(kernel, "Process32NextW");
  if (!createSnapshot || !first || !next) return found;
  KernelHandle snapshot(createSnapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return found;
  // One walk serves every path: under Wine a snapshot costs as much as the rest of the search.
  struct Entry {
    DWORD pid;
    std::string fileName;
  };
  std::vector<Entry> entries;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = first(snapshot.Get(), &entry); more; more = next(snapshot.Get(), &entry)) {
    entry.szExeFile[MAX_PATH - 1] = L'\0';
    entries.push_back({entry.th32ProcessID, ToUtf8(entry.szExeFile)});
  }
  snapshot.Reset();

  // Kernel32 carries the module functions since Windows 7; loading the older library for them
  // costs every search a library load.
  ModuleFunctions fns{Lookup<ImageNameFn>(kernel, "QueryFullProcessImageNameW"),
                      Lookup<EnumModulesFn>(kernel, "K32EnumProcessModules"),
                      Lookup<ModuleFileNameFn>(kernel, "K32GetModuleFileNameExW")};
  std::optional<Library> psapi;
  if (!fns.enumModules || !fns.moduleFileName) {
    psapi.emplace(L"PSAPI.dll");
    fns.enumModules = Lookup<EnumModulesFn>(psapi->Get(), "EnumProcessModules");
    fns.moduleFileName = Lookup<ModuleFileNameFn>(psapi->Get(), "GetModuleFileNameExW");
  }
  for (size_t i = 0; i < paths.size(); ++i) {
    const std::string_view fileName = FileNamePart(paths[i]);
    if (fileName.empty()) continue;
    DWORD candidate = 0;
    for (const Entry& process : entries) {
      if (!EqualsIgnoreAsciiCase(FileNamePart(process.fileName), fileName)) continue;
      bool opened = false;
      const Verdict verdict = Examine(process.pid, paths[i], fns, opened);
      if (!opened) continue;
      if (verdict == Verdict::Found) {
        candidate = process.pid;
        break;
      }
      candidate = verdict == Verdict::NameOnly ? process.pid : 0;
    }
    found[i] = candidate;
  }
  return found;
}

DWORD FindProcessByPath(std::string_view path) {
  return FindProcessesByPath(std::span(&path, 1)).front();
}

HWND FindMainWindow(DWORD pid) {
  if (pid == 0) return nullptr;
  struct Search {
    DWORD pid;
    HWND found;
  } search{pid, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s.pid || !IsMainWindow(window)) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool IsMainWindow(HWND window) {
  return GetWindow(window, GW_OWNER) == nullptr && IsWindowVisible(window);
}

}  // namespace kovra
