#include "framework/IniFiles.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <optional>
#include <cwchar>
#include <string_view>

#include "framework/Handles.h"
#include "framework/SysUtils.h"
#include "framework/runtime/IniDocument.h"
#include "framework/runtime/Numbers.h"
#include "framework/runtime/Text.h"

namespace kovra {
namespace {

// Far beyond any settings file; a larger file is not read whole into memory.
constexpr LONGLONG kMaxFileBytes = 64 * 1024 * 1024;

enum class ReadResult { kRead, kMissing, kFailed };

ReadResult ReadWholeFile(const std::wstring& path, std::string& bytes) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::kMissing
                                                                          : ReadResult::kFailed;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxFileBytes) {
    return ReadResult::kFailed;
  }
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t total = 0;
  while (total < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &got,
                  nullptr)) {
      return ReadResult::kFailed;
    }
    if (got == 0) break;  // the file shrank meanwhile
    total += got;
  }
  bytes.resize(total);
  return ReadResult::kRead;
}

IniDocument LoadForReading(const std::wstring& path, bool* unreadable = nullptr) {
  std::string bytes;
  const ReadResult read = ReadWholeFile(path, bytes);
  if (unreadable) *unreadable = read == ReadResult::kFailed;
  return read == ReadResult::kRead ? IniDocument(bytes) : IniDocument();
}

// A new file beside the target, deleted again unless Commit() moved it over the target.
class TempFile {
 public:
  explicit TempFile(const std::wstring& target) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && !handle_; ++attempt) {
      wchar_t suffix[40];
      swprintf(suffix, 40, L".%lx-%x.tmp", GetCurrentProcessId(), ++counter + GetTickCount());
      path_ = target + suffix;
      handle_.Reset(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!handle_ && GetLastError() != ERROR_FILE_EXISTS) break;
    }
  }
  ~TempFile() {
    handle_.Reset();
    if (!committed_ && Created()) DeleteFileW(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool Created() const { return static_cast<bool>(handle_) || closed_; }

  bool WriteAndFlush(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      if (!WriteFile(handle_.Get(), bytes.data() + done, chunk, &written, nullptr) ||
          written == 0) {
        return false;
      }
      done += written;
    }
    if (!FlushFileBuffers(handle_.Get())) return false;
    handle_.Reset();
    closed_ = true;
    return true;
  }

  bool Commit(const std::wstring& target) {
    committed_ = MoveFileExW(path_.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    return committed_;
  }

 private:
  std::wstring path_;
  KernelHandle handle_;
  bool closed_ = false;
  bool committed_ = false;
};

struct FindTraits {
  using Handle = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
using FindHandle = ScopedHandle<FindTraits>;

bool IsHexRun(std::wstring_view text) {
  return !text.empty() && text.size() <= 8 &&
         std::all_of(text.begin(), text.end(), [](wchar_t c) { return iswxdigit(c) != 0; });
}

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// "<file name>.<writer's process id>-<counter>.tmp", as TempFile names them; the process id, or
// nullopt for any other name.
std::optional<DWORD> TempFileWriter(std::wstring_view name, std::wstring_view fileName) {
  constexpr std::wstring_view kExtension = L".tmp";
  if (name.size() <= fileName.size() + 1 + kExtension.size() ||
      !EqualsIgnoreCase(name.substr(0, fileName.size()), fileName) ||
      name[fileName.size()] != L'.' ||
      !EqualsIgnoreCase(name.substr(name.size() - kExtension.size()), kExtension)) {
    return std::nullopt;
  }
  const std::wstring_view middle =
      name.substr(fileName.size() + 1, name.size() - fileName.size() - 1 - kExtension.size());
  const size_t dash = middle.find(L'-');
  if (dash == std::wstring_view::npos || !IsHexRun(middle.substr(0, dash)) ||
      !IsHexRun(middle.substr(dash + 1))) {
    return std::nullopt;
  }
  return static_cast<DWORD>(
      std::wcstoul(std::wstring(middle.substr(0, dash)).c_str(), nullptr, 16));
}

// A writer that may still be between writing its temporary file and moving it into place. Only
// a process id that names no process at all is taken as gone.
bool WriterMayBeAlive(DWORD processId) {
  if (processId == GetCurrentProcessId()) return true;
  KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD exitCode = 0;
  return !GetExitCodeProcess(process.Get(), &exitCode) || exitCode == STILL_ACTIVE;
}

// Deletes the temporary files of `target` that writers killed between writing and moving left
// behind. Nothing else in the folder is touched; a file that cannot be deleted stays.
void SweepTempFiles(const std::wstring& target) {
  const size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
  const std::wstring fileName = slash == std::wstring::npos ? target : target.substr(slash + 1);
  if (fileName.empty()) return;
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileW((target + L".*.tmp").c_str(), &data));
  if (!find) return;
  do {
    // The wildcard also matches short 8.3 names, so the long name is checked in full.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::optional<DWORD> writer = TempFileWriter(data.cFileName, fileName);
    if (writer && !WriterMayBeAlive(*writer)) DeleteFileW((folder + data.cFileName).c_str());
  } while (FindNextFileW(find.Get(), &data));
}

std::wstring Widen(const std::string& utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  return std::wstring(wide.begin(), wide.end());
}

}  // namespace

TIniFile::TIniFile(std::string path_utf8) : path_(std::move(path_utf8)), widePath_(Widen(path_)) {}

void TIniFile::RaiseWriteError(std::string_view why) const {
  throw Exception("Unable to write to " + path_ + std::string(why));
}

void TIniFile::SaveBytes(const std::string& bytes) const {
  TempFile temp(widePath_);
  if (!temp.Created() || !temp.WriteAndFlush(bytes) || !temp.Commit(widePath_)) {
    RaiseWriteError();
  }
  SweepTempFiles(widePath_);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
  return Snapshot().ReadString(section, key, defaultValue);
}

IniDocument TIniFile::Snapshot(bool* unreadable) const {
  return LoadForReading(widePath_, unreadable);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                              int32_t defaultValue) const {
  const std::string text = ReadString(section, key, "");
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const std::optional<int64_t> value = TryHexToInt64(std::string_view(text).substr(2));
    if (!value || static_cast<uint64_t>(*value) > std::numeric_limits<uint32_t>::max()) {
      return defaultValue;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(*value));
  }
  const std::optional<int64_t> value = TryStrToInt64(text);
  if (!value || *value < std::numeric_limits<int32_t>::min() ||
      *value > std::numeric_limits<int32_t>::max()) {
    return defaultValue;
  }
  return static_cast<int32_t>(*value);
}

double TIniFile::ReadFloat(std::string_view section, std::string_view key,
                           double defaultValue) const {
  const std::optional<long double> value = TryStrToFloat(ReadString(section, key, ""));
  return value ? static_cast<double>(*value) : defaultValue;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Update([&](IniDocument& document) { document.WriteString(section, key, value); });
}

void TIniFile::Update(const std::function<void(IniDocument&)>& change) {
  std::string bytes;
  const ReadResult read = ReadWholeFile(widePath_, bytes);
  // A file we cannot read must not be replaced by one holding only the new value.
  if (read == ReadResult::kFailed) {
    RaiseWriteError(": it cannot be read now and is left as it is");
  }
  const DWORD attributes = GetFileAttributesW(widePath_.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    RaiseWriteError();
  }
  IniDocument document = read == ReadResult::kRead ? IniDocument(bytes) : IniDocument();
  change(document);
  SaveBytes(document.Serialize());
}

std::optional<std::string> ReadIniFileBytes(const std::string& path_utf8) {
  std::string bytes;
  if (ReadWholeFile(Widen(path_utf8), bytes) != ReadResult::kRead) return std::nullopt;
  return bytes;
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
  WriteString(section, key, FormatFloat("", value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

}  // namespace kovra
