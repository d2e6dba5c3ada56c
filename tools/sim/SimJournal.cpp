#include "SimJournal.h"

#include "JournalFormat.h"
#include "SimWin.h"

namespace kovra::sim {

Journal::~Journal() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool Journal::Open(std::string_view utf8Path) {
  if (utf8Path.empty()) return true;
  // FILE_APPEND_DATA alone makes every write land at the current end, whole.
  file_ = CreateFileW(Wide(utf8Path).c_str(), FILE_APPEND_DATA,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  return file_ != INVALID_HANDLE_VALUE;
}

void Journal::Write(std::string_view event, const std::vector<std::string>& fields) {
  if (file_ == INVALID_HANDLE_VALUE) return;
  std::string line = FormatJournalLine(event, fields, MsSinceStart());
  DWORD written = 0;
  WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace kovra::sim
