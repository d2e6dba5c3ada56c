// The shell layer's logic that needs no Windows API: text helpers, "New Folder" names, and the
// byte layouts of item identifier lists, the locator's stored form, the "Shell IDList Array" and
// the file-drop block. Everything that reads bytes from outside (stored forms, drag data from
// other programs) checks every length against the block it came in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kovra {

using TRzIdBytes = std::vector<std::uint8_t>;

// ---- Text (UTF-8; a multi-byte character is never split) ----

// `text` with `c` appended, unless it is empty or already ends in `c`.
std::string EnsureTrailingChar(std::string_view text, char c);
// Drops trailing bytes 0..32; continuation bytes of UTF-8 are never below 0x80, so a character
// is never cut.
std::string TrimTrailingBlanks(std::string_view text);
// Appends the whole character starting at `pos` to `target` and moves `pos` past it; a broken
// sequence counts as one byte, and nothing happens at or beyond the end.
void AppendCharAt(std::string_view text, std::size_t& pos, std::string& target);

// `name` inside `folder`: one backslash between them, whatever `folder` ends in.
std::string JoinPath(std::string_view folder, std::string_view name);
// The part after the last backslash, slash or drive colon.
std::string_view PathFileName(std::string_view path);
// Whether the path names a shortcut file (".lnk", any case).
bool IsShortcutPath(std::string_view path);

constexpr int kNewFolderAttempts = 50;
// Candidate names for a new folder: pass 0 gives "New Folder", "New Folder (2)", ...; pass 1
// gives "fldr", "fldr2", ... (`attempt` counts from 1).
std::string NewFolderName(std::string_view baseName, int pass, int attempt);

// ---- Item identifier lists ----
// A list is items of <16-bit byte count including itself><data>, ended by a 16-bit zero.

// Size of a list the shell handed us, terminator included; 0 for null. Trusted input only.
std::size_t IdBytesSize(const std::uint8_t* list);
// Size of the list at the start of `block` when it is well-formed and fits; 0 otherwise.
std::size_t ValidIdBytesSize(std::span<const std::uint8_t> block);
// Items before the terminator; 0 for null.
int IdBytesCount(const std::uint8_t* list);
// Bytes taken by the first `items` items (terminator not included).
std::size_t IdBytesPrefixSize(const std::uint8_t* list, int items);
// Start of item `index`, or null when there is no such item.
const std::uint8_t* IdBytesItem(const std::uint8_t* list, int index);
// Byte order over the shorter size, then the longer list last. Null lists sort first.
int CompareIdBytes(const std::uint8_t* a, const std::uint8_t* b);

// ---- The locator's stored form ----
// <mode:1> then either <special folder:1> (mode != 0) or <length:4 LE><list bytes> (mode 0).

struct TRzLocatorRecord {
  bool SpecialFolder = false;
  std::uint8_t Folder = 0;  // the special-folder number when SpecialFolder
  TRzIdBytes List;          // the list with its terminator when not; empty = desktop
};
TRzIdBytes EncodeLocatorRecord(const TRzLocatorRecord& record);
// Null when the bytes are not a complete, well-formed record. A list of length 0 reads back as
// the desktop's special folder (number 0).
std::optional<TRzLocatorRecord> DecodeLocatorRecord(std::span<const std::uint8_t> bytes);

// ---- "Shell IDList Array": <count n:4><n+1 offsets:4 each><parent list><item lists> ----

TRzIdBytes BuildIdListArray(std::span<const std::uint8_t> parent,
                            const std::vector<std::span<const std::uint8_t>>& items);
struct TRzIdListArrayData {
  TRzIdBytes Parent;
  std::vector<TRzIdBytes> Items;
};
// Null when the block is truncated or any offset or list runs outside it.
std::optional<TRzIdListArrayData> ParseIdListArray(std::span<const std::uint8_t> block);

// ---- File-drop block: a 20-byte header, then zero-terminated UTF-16 paths and a final zero ----

constexpr std::size_t kDropFilesHeaderSize = 20;
TRzIdBytes BuildFileDropBlock(const std::vector<std::u16string>& paths);

}  // namespace kovra
