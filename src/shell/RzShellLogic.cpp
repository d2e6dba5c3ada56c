#include "shell/RzShellLogic.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace kovra {

namespace {

std::uint16_t ReadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void AppendU32(TRzIdBytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutU32(TRzIdBytes& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Length of the UTF-8 sequence a lead byte announces; 1 for bytes that cannot lead one.
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

}  // namespace

std::string EnsureTrailingChar(std::string_view text, char c) {
  std::string result(text);
  if (!result.empty() && result.back() != c) result.push_back(c);
  return result;
}

std::string TrimTrailingBlanks(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return std::string(text.substr(0, end));
}

void AppendCharAt(std::string_view text, std::size_t& pos, std::string& target) {
  if (pos >= text.size()) return;
  std::size_t len = SequenceLength(static_cast<unsigned char>(text[pos]));
  if (pos + len > text.size()) len = 1;
  for (std::size_t i = 1; i < len; ++i) {
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) {
      len = 1;
      break;
    }
  }
  target.append(text.substr(pos, len));
  pos += len;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  while (!name.empty() && (name.front() == '\\' || name.front() == '/')) name.remove_prefix(1);
  std::string path(folder);
  if (path.back() == '/') {
    path.back() = '\\';
  } else if (path.back() != '\\') {
    path.push_back('\\');
  }
  return path + std::string(name);
}

std::string_view PathFileName(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool IsShortcutPath(std::string_view path) {
  const std::string_view name = PathFileName(path);
  if (name.size() < 4) return false;
  std::string ext(name.substr(name.size() - 4));
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return ext == ".lnk";
}

std::string NewFolderName(std::string_view baseName, int pass, int attempt) {
  std::string name(pass == 0 ? baseName : std::string_view("fldr"));
  if (attempt > 1) {
    if (pass == 0) {
      name += " (" + std::to_string(attempt) + ")";
    } else {
      name += std::to_string(attempt);
    }
  }
  return name;
}

std::size_t IdBytesSize(const std::uint8_t* list) {
  if (!list) return 0;
  std::size_t size = 0;
  for (std::uint16_t cb; (cb = ReadU16(list + size)) != 0;) size += cb;
  return size + 2;
}

std::size_t ValidIdBytesSize(std::span<const std::uint8_t> block) {
  std::size_t at = 0;
  for (;;) {
    if (block.size() < 2 || at > block.size() - 2) return 0;
    const std::uint16_t cb = ReadU16(block.data() + at);
    if (cb == 0) return at + 2;
    // An item shorter than its own count field would never advance.
    if (cb < 2 || cb > block.size() - at) return 0;
    at += cb;
  }
}

int IdBytesCount(const std::uint8_t* list) {
  if (!list) return 0;
  int count = 0;
  for (std::size_t at = 0;; ++count) {
    const std::uint16_t cb = ReadU16(list + at);
    if (cb == 0) return count;
    at += cb;
  }
}

std::size_t IdBytesPrefixSize(const std::uint8_t* list, int items) {
  if (!list) return 0;
  std::size_t at = 0;
  for (int i = 0; i < items; ++i) {
    const std::uint16_t cb = ReadU16(list + at);
    if (cb == 0) break;
    at += cb;
  }
  return at;
}

const std::uint8_t* IdBytesItem(const std::uint8_t* list, int index) {
  if (!list || index < 0) return nullptr;
  std::size_t at = 0;
  for (int i = 0;; ++i) {
    const std::uint16_t cb = ReadU16(list + at);
    if (cb == 0) return nullptr;
    if (i == index) return list + at;
    at += cb;
  }
}

int CompareIdBytes(const std::uint8_t* a, const std::uint8_t* b) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  const std::size_t sa = IdBytesSize(a);
  const std::size_t sb = IdBytesSize(b);
  const std::size_t n = std::min(sa, sb);
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return static_cast<int>(a[i]) - static_cast<int>(b[i]);
  }
  return sa < sb ? -1 : (sa > sb ? 1 : 0);
}

TRzIdBytes EncodeLocatorRecord(const TRzLocatorRecord& record) {
  TRzIdBytes out;
  if (record.SpecialFolder) {
    out.push_back(1);
    out.push_back(record.Folder);
    return out;
  }
  out.push_back(0);
  AppendU32(out, static_cast<std::uint32_t>(record.List.size()));
  out.insert(out.end(), record.List.begin(), record.List.end());
  return out;
}

std::optional<TRzLocatorRecord> DecodeLocatorRecord(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return std::nullopt;
  TRzLocatorRecord record;
  if (bytes[0] != 0) {
    if (bytes.size() < 2) return std::nullopt;
    record.SpecialFolder = true;
    record.Folder = bytes[1];
    return record;
  }
  if (bytes.size() < 5) return std::nullopt;
  const std::uint32_t length = ReadU32(bytes.data() + 1);
  if (length == 0) {
    record.SpecialFolder = true;  // the desktop
    record.Folder = 0;
    return record;
  }
  if (length > bytes.size() - 5) return std::nullopt;
  const auto list = bytes.subspan(5, length);
  if (ValidIdBytesSize(list) != length) return std::nullopt;
  record.List.assign(list.begin(), list.end());
  return record;
}

TRzIdBytes BuildIdListArray(std::span<const std::uint8_t> parent,
                            const std::vector<std::span<const std::uint8_t>>& items) {
  const std::size_t n = items.size();
  TRzIdBytes out;
  AppendU32(out, static_cast<std::uint32_t>(n));
  out.resize(4 + 4 * (n + 1));
  auto appendList = [&out](std::span<const std::uint8_t> list, std::size_t slot) {
    PutU32(out, 4 + 4 * slot, static_cast<std::uint32_t>(out.size()));
    out.insert(out.end(), list.begin(), list.end());
    // Lists come with their terminator; one without gets it here.
    if (ValidIdBytesSize(list) != list.size()) {
      out.push_back(0);
      out.push_back(0);
    }
  };
  appendList(parent, 0);
  for (std::size_t i = 0; i < n; ++i) appendList(items[i], i + 1);
  return out;
}

std::optional<TRzIdListArrayData> ParseIdListArray(std::span<const std::uint8_t> block) {
  if (block.size() < 8) return std::nullopt;
  const std::uint32_t n = ReadU32(block.data());
  // Each item needs its offset (4 bytes) and at least a terminator (2 bytes).
  if (n > (block.size() - 8) / 6) return std::nullopt;
  auto listAt = [&block](std::size_t slot) -> std::optional<TRzIdBytes> {
    const std::uint32_t offset = ReadU32(block.data() + 4 + 4 * slot);
    if (offset >= block.size()) return std::nullopt;
    const std::size_t size = ValidIdBytesSize(block.subspan(offset));
    if (size == 0) return std::nullopt;
    return TRzIdBytes(block.begin() + offset, block.begin() + offset + size);
  };
  TRzIdListArrayData data;
  auto parent = listAt(0);
  if (!parent) return std::nullopt;
  data.Parent = std::move(*parent);
  data.Items.reserve(n);
  for (std::uint32_t i = 1; i <= n; ++i) {
    auto item = listAt(i);
    if (!item) return std::nullopt;
    data.Items.push_back(std::move(*item));
  }
  return data;
}

TRzIdBytes BuildFileDropBlock(const std::vector<std::u16string>& paths) {
  TRzIdBytes out(kDropFilesHeaderSize, 0);
  PutU32(out, 0, static_cast<std::uint32_t>(kDropFilesHeaderSize));  // where the names start
  PutU32(out, 16, 1);                                                // names are UTF-16
  auto appendUnit = [&out](char16_t c) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  };
  for (const auto& path : paths) {
    if (path.empty() || path[0] == 0) continue;  // an empty name would end the list early
    // A name with an embedded zero would split into two names on the receiving side.
    for (char16_t c : path) {
      if (c == 0) break;
      appendUnit(c);
    }
    appendUnit(0);
  }
  appendUnit(0);
  return out;
}

}  // namespace kovra
