// The shell list's rules that need no Windows API: file-filter patterns and the lookup table of
// the names they match, the size text, the order of items and of column clicks, and the stored
// column widths of the system's directory view.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "shell/RzShellTreeLogic.h"

namespace kovra {

// ---- File filter ----

// The patterns of a filter such as "*.exe;*.bat": split at ';', blanks around each pattern
// dropped, empty parts dropped.
std::vector<std::string> SplitFileFilter(std::string_view filter);
// An empty filter, "*" and "*.*" show everything, so no lookup table is built for them.
bool FilterShowsEverything(std::string_view filter);
// The case-insensitive key of a file name (ASCII letters upper-cased; both sides of a lookup use
// the same key, so other characters need no folding).
std::string FileNameKey(std::string_view name);

// The names the file system matched for the filter's patterns: sorted, without duplicates.
class TRzFilterTable {
 public:
  void Add(std::string_view fileName);
  bool Contains(std::string_view fileName) const;
  int Count() const;

 private:
  void Sort() const;

  mutable std::vector<std::string> names_;
  mutable bool sorted_ = true;
};

// ---- Texts ----

// Kilobytes rounded up, with thousands separators: 1 byte is "1KB", 1,048,577 bytes "1,025KB".
std::string FormatKilobytes(std::uint64_t bytes);

// ---- Order ----

// The order of two items for a sort column (1-based, negative for descending): the folder's
// comparison of that column (a CompareIDs result: failures count as equal, the low 16 bits
// signed), negated as a whole when descending, so that the folder alone decides where its
// folders go.
int ShellListOrder(std::int32_t columnResult, int sortColumn);
// The low 16 bits of a successful CompareIDs result, signed; 0 for a failure.
int CompareIdsResult(std::int32_t hresult);
// The sort column after a click on column `clicked` (0-based): that column ascending, or the
// reverse direction when it already is the sort column.
int NextSortColumn(int sortColumn, int clicked);
// |sortColumn| - 1 when it names one of `columnCount` columns, else 0.
int SortColumnIndex(int sortColumn, int columnCount);

// ---- Keys ----

// What a key of the list does. The shortcuts come from their texts (so that they follow the
// texts' translation); a key with other modifiers than its text names does nothing.
enum TRzShellKeyCommand : std::uint8_t {
  skNone,
  skSelectAll,
  skRefresh,
  skCopy,
  skCut,
  skPaste,
  skRename,
  skDelete,
  skGoUp,
  skOpen
};
// Delete also with Shift (the shell's delete verb decides itself whether to use the recycle
// bin); Backspace and Enter only alone.
TRzShellKeyCommand ShellListKeyCommand(TShortCut pressed, const TRzShellKeys& keys);

// ---- Stored column widths ----

// The first four widths of the system's "DirectoryCols" value (at most 22 bytes are read);
// null when fewer than four are present or a width is not a usable size.
std::optional<std::array<int, 4>> ParseDirectoryCols(std::span<const std::uint8_t> bytes);

}  // namespace kovra
