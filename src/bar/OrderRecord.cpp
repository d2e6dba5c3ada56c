#include "bar/OrderRecord.h"

#include <windows.h>

#include "app/Global.h"
#include "framework/Handles.h"
#include "framework/WindowClass.h"

namespace kovra {
namespace {

TRecordTime LocalNow() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

}  // namespace

std::string TOrderRecord::DefaultPath() {
  return ExeDir() + "Kovra委托记录.csv";
}

TOrderRecord::TOrderRecord(std::string path) : path_(std::move(path)) {}

bool TOrderRecord::Append(const TOrderOutcome& outcome) {
  pending_.Push(RecordLine(outcome, LocalNow()));
  return Flush();
}

bool TOrderRecord::Flush() {
  if (pending_.Empty()) return true;
  // Append access only: whatever happens, the bytes already in the file cannot be touched.
  // Others may go on reading and writing it; one that shares nothing makes the open fail at
  // once, and the lines wait.
  KernelHandle file(CreateFileW(Wide(path_).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return false;
  std::string block;
  if (size.QuadPart == 0) {
    block.append(kRecordBom);
    block += RecordHeaderLine();
  } else if (brokenLine_) {
    block += "\r\n";
  }
  block += pending_.Joined();
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file.Get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
  if (ok && written == block.size()) {
    pending_.Clear();
    brokenLine_ = false;
    return true;
  }
  if (written > 0) brokenLine_ = true;
  return false;
}

}  // namespace kovra
