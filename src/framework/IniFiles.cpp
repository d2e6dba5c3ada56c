#include "framework/IniFiles.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <optional>

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

IniDocument LoadForReading(const std::wstring& path) {
  std::string bytes;
  if (ReadWholeFile(path, bytes) != ReadResult::kRead) return IniDocument();
  return IniDocument(bytes);
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

std::wstring Widen(const std::string& utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  return std::wstring(wide.begin(), wide.end());
}

}  // namespace

TIniFile::TIniFile(std::string path_utf8) : path_(std::move(path_utf8)), widePath_(Widen(path_)) {}

void TIniFile::RaiseWriteError() const {
  throw Exception("Unable to write to " + path_);
}

void TIniFile::SaveBytes(const std::string& bytes) const {
  TempFile temp(widePath_);
  if (!temp.Created() || !temp.WriteAndFlush(bytes) || !temp.Commit(widePath_)) {
    RaiseWriteError();
  }
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
  return LoadForReading(widePath_).ReadString(section, key, defaultValue);
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
  std::string bytes;
  const ReadResult read = ReadWholeFile(widePath_, bytes);
  // A file we cannot read must not be replaced by one holding only the new value.
  if (read == ReadResult::kFailed) RaiseWriteError();
  const DWORD attributes = GetFileAttributesW(widePath_.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    RaiseWriteError();
  }
  IniDocument document = read == ReadResult::kRead ? IniDocument(bytes) : IniDocument();
  document.WriteString(section, key, value);
  SaveBytes(document.Serialize());
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
