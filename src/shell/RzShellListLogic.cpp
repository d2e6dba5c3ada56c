// The shell list's rules that need no Windows API.
#include "shell/RzShellListLogic.h"

#include <algorithm>

namespace kovra {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitFileFilter(std::string_view filter) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= filter.size()) {
    size_t end = filter.find(';', start);
    if (end == std::string_view::npos) end = filter.size();
    std::string_view part = filter.substr(start, end - start);
    while (!part.empty() && IsBlank(part.front())) part.remove_prefix(1);
    while (!part.empty() && IsBlank(part.back())) part.remove_suffix(1);
    if (!part.empty()) out.emplace_back(part);
    start = end + 1;
  }
  return out;
}

bool FilterShowsEverything(std::string_view filter) {
  return filter.empty() || filter == "*" || filter == "*.*";
}

std::string FileNameKey(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

void TRzFilterTable::Add(std::string_view fileName) {
  names_.push_back(FileNameKey(fileName));
  sorted_ = false;
}

// A folder's worth of names is sorted once, not kept sorted name by name.
void TRzFilterTable::Sort() const {
  if (sorted_) return;
  std::sort(names_.begin(), names_.end());
  names_.erase(std::unique(names_.begin(), names_.end()), names_.end());
  sorted_ = true;
}

int TRzFilterTable::Count() const {
  Sort();
  return static_cast<int>(names_.size());
}

bool TRzFilterTable::Contains(std::string_view fileName) const {
  Sort();
  return std::binary_search(names_.begin(), names_.end(), FileNameKey(fileName));
}

std::string FormatKilobytes(std::uint64_t bytes) {
  const std::uint64_t kb = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
  std::string digits = std::to_string(kb);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out + "KB";
}

int CompareIdsResult(std::int32_t hresult) {
  if (hresult < 0) return 0;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(hresult & 0xFFFF));
}

int ShellListOrder(std::int32_t columnResult, int sortColumn) {
  const int result = CompareIdsResult(columnResult);
  return sortColumn < 0 ? -result : result;
}

int NextSortColumn(int sortColumn, int clicked) {
  const int column = clicked + 1;
  return (sortColumn == column || sortColumn == -column) ? -sortColumn : column;
}

int SortColumnIndex(int sortColumn, int columnCount) {
  const int index = (sortColumn < 0 ? -sortColumn : sortColumn) - 1;
  return index >= 0 && index < columnCount ? index : 0;
}

TRzShellKeyCommand ShellListKeyCommand(TShortCut pressed, const TRzShellKeys& keys) {
  constexpr TShortCut kBack = 0x08, kReturn = 0x0D;
  if (pressed == 0) return skNone;  // a text that named no key matches nothing
  if (pressed == keys.selectAll) return skSelectAll;
  if (pressed == keys.refresh) return skRefresh;
  if (pressed == keys.copy) return skCopy;
  if (pressed == keys.cut) return skCut;
  if (pressed == keys.paste) return skPaste;
  if (pressed == keys.rename) return skRename;
  if (pressed == keys.del || (keys.del && pressed == (keys.del | scShift))) return skDelete;
  if (pressed == kBack) return skGoUp;
  if (pressed == kReturn) return skOpen;
  return skNone;
}

std::optional<std::array<int, 4>> ParseDirectoryCols(std::span<const std::uint8_t> bytes) {
  constexpr size_t kMaxRead = 22;
  bytes = bytes.first(std::min(bytes.size(), kMaxRead));
  if (bytes.size() < 16) return std::nullopt;
  std::array<int, 4> widths{};
  for (size_t i = 0; i < 4; ++i) {
    const std::uint32_t v = bytes[i * 4] | (bytes[i * 4 + 1] << 8) | (bytes[i * 4 + 2] << 16) |
                            (static_cast<std::uint32_t>(bytes[i * 4 + 3]) << 24);
    // Another program's registry data: a width the screen could never hold is not a width.
    if (v > 10000) return std::nullopt;
    widths[i] = static_cast<int>(v);
  }
  return widths;
}

}  // namespace kovra
