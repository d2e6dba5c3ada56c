// The open dialog's window-free rules. Texts are UTF-8: the separators looked for ('|', '"',
// '\', ':', '.') are ASCII and never occur inside a multi-byte sequence, so byte scanning keeps
// every code point whole; positions that count characters step by code point.
#include "shell/RzShellDialogsLogic.h"

#include <algorithm>

namespace kovra {

namespace {

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// UTF-16 units the text takes: a 4-byte sequence needs a surrogate pair; a stray byte, one unit.
std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsContinuation(c)) continue;
    units += c >= 0xF0 ? 2 : 1;
  }
  return units;
}

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

void PutLe32(std::vector<std::uint8_t>& out, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(u >> shift));
}

std::int32_t GetLe32(std::span<const std::uint8_t> data, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | data[at + static_cast<std::size_t>(i)];
  return static_cast<std::int32_t>(u);
}

// Length of the part of a path no ".." may remove: "C:" for a drive, "\\server\share" for a
// network path, nothing otherwise.
std::size_t RootLength(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return 2;
  if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    std::size_t slashes = 0;
    for (std::size_t i = 2; i < path.size(); ++i)
      if (path[i] == '\\' && ++slashes == 2) return i;
    return path.size();
  }
  return 0;
}

void GoUp(std::string& path, std::size_t levels) {
  const std::size_t root = RootLength(path);
  for (; levels > 0 && path.size() > root; --levels) {
    const std::size_t cut = path.rfind('\\');
    path.resize(cut == std::string::npos || cut < root ? root : cut);
  }
}

std::string AppendExtension(std::string_view path, std::string_view ext) {
  std::string result(path);
  if (!result.empty() && result.back() == '.' && !ext.empty() && ext.front() == '.')
    ext.remove_prefix(1);
  result += ext;
  return result;
}

}  // namespace

// ---- Options ----

TRzOpenSaveControlSettings ControlSettingsFor(TRzOpenSaveOptions options) {
  TRzOpenSaveControlSettings s;
  s.OleDrag = (options & osoOleDrag) != 0;
  s.OleDrop = (options & osoOleDrop) != 0;
  s.ShowHidden = (options & osoShowHidden) != 0;
  s.HideFoldersWhenLinkedToTree = (options & osoHideFoldersInListWhenTreeVisible) != 0;
  s.FilesCanBeFolders = (options & osoFilesCanBeFolders) != 0;
  s.MultiSelect = (options & osoAllowMultiselect) != 0;
  s.ReadOnlyBoxVisible = (options & osoHideReadOnly) == 0;
  s.HelpButtonVisible = (options & osoShowHelp) != 0;
  s.ShowHint = (options & osoShowHints) != 0;
  return s;
}

// ---- File types ----

std::vector<TRzFileType> ParseFilter(std::string_view filter) {
  std::vector<TRzFileType> types;
  std::size_t pos = 0;
  auto readField = [&] {
    const std::size_t bar = filter.find('|', pos);
    const std::size_t end = bar == std::string_view::npos ? filter.size() : bar;
    std::string field(filter.substr(pos, end - pos));
    pos = end == filter.size() ? end : end + 1;
    return field;
  };
  while (pos < filter.size()) {
    TRzFileType type;
    type.Description = readField();
    type.Mask = readField();
    types.push_back(std::move(type));
  }
  return types;
}

std::string MaskExtension(std::string_view mask) {
  const std::size_t semicolon = mask.find(';');
  std::string_view first = mask.substr(0, semicolon);
  while (!first.empty() && first.front() == ' ') first.remove_prefix(1);
  first = TrimTrailingBlanks(first);
  const std::string_view ext = ExtensionPart(first);
  if (ext.size() < 2 || HasWildcard(ext)) return {};
  return std::string(ext);
}

// ---- Typed names ----

std::string_view DirectoryPart(std::string_view path) {
  const std::size_t at = path.find_last_of("\\:");
  return at == std::string_view::npos ? std::string_view() : path.substr(0, at + 1);
}

std::string_view NamePart(std::string_view path) {
  return path.substr(DirectoryPart(path).size());
}

std::string_view ExtensionPart(std::string_view path) {
  const std::size_t at = path.find_last_of(".\\:");
  if (at == std::string_view::npos || path[at] != '.') return {};
  return path.substr(at);
}

bool HasWildcard(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

bool IsAbsolutePath(std::string_view path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return true;
  return path.size() > 2 && path[0] == '\\' && path[1] == '\\';
}

std::vector<std::string> SplitQuotedNames(std::string_view text) {
  enum { kBetween, kQuoted, kUnquoted } state = kBetween;
  std::vector<std::string> names;
  std::string current;
  auto flush = [&] {
    const std::string_view trimmed = TrimTrailingBlanks(current);
    if (!trimmed.empty()) names.emplace_back(trimmed);
    current.clear();
  };
  for (const char c : text) {
    if (state == kBetween) {
      if (c == ' ' || c == '\t') continue;
      if (c == '"') {
        state = kQuoted;
        continue;
      }
      state = kUnquoted;
      current += c;
      continue;
    }
    if (c == '"') {
      flush();
      // A quote that ends an unquoted name opens the next quoted one.
      state = state == kUnquoted ? kQuoted : kBetween;
      continue;
    }
    current += c;
  }
  flush();
  return names;
}

bool IsValidFileNameText(std::string_view text) {
  if (text.find_first_of("/<>|") != std::string_view::npos) return false;
  std::size_t index = 0;  // in characters
  bool previousBackslash = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsContinuation(c)) continue;
    const bool backslash = c == '\\';
    // A leading "\\" opens a network path; anywhere later a doubled backslash is no name.
    if (backslash && previousBackslash && index >= 2) return false;
    previousBackslash = backslash;
    ++index;
  }
  return true;
}

std::optional<std::string> CombineBaseAndName(std::string_view base, std::string_view name) {
  if (Utf16Length(base) > kMaxDialogPath || Utf16Length(name) > kMaxDialogPath) return std::nullopt;
  if (base.size() > 2 && base.back() == '\\') base.remove_suffix(1);
  std::string result;
  const bool network = name.size() > 2 && name[0] == '\\' && name[1] == '\\';
  if (name.empty()) {
    return std::string();
  } else if (name.size() >= 2 && name[1] == ':') {
    result = name;
    if (name.size() == 2) result += '\\';
  } else if (network) {
    result = name;
  } else if (name[0] == '\\') {
    // Rooted on the base's drive, or on its server and share.
    const bool networkBase = base.size() > 2 && base[0] == '\\' && base[1] == '\\';
    const std::size_t root = networkBase ? RootLength(base) : std::min<std::size_t>(2, base.size());
    result = std::string(base.substr(0, root));
    result += name;
  } else {
    result = base;
    std::size_t pos = 0;
    while (pos <= name.size()) {
      const std::size_t end = std::min(name.find('\\', pos), name.size());
      const std::string_view part = name.substr(pos, end - pos);
      if (part.empty()) break;
      if (part.find_first_not_of('.') == std::string_view::npos) {
        GoUp(result, part.size() - 1);
      } else {
        if (!result.empty()) result += '\\';
        result += part;
      }
      pos = end + 1;
    }
    // Walked up to a bare drive: "C:" alone would mean that drive's current directory.
    if (result.size() == 2 && result[1] == ':') result += '\\';
  }
  if (Utf16Length(result) > kMaxDialogPath) return std::nullopt;
  return result;
}

TRzDefaultExtResult ApplyDefaultExtension(
    std::string_view path, std::string_view defaultExt, const std::string* selectedMask,
    const std::function<bool(std::string_view)>& classExists) {
  TRzDefaultExtResult result{std::string(path), std::nullopt};
  if (defaultExt.empty()) return result;
  const std::string_view ext = ExtensionPart(path);
  if (!ext.empty() && classExists && classExists(ext)) {
    result.ExtensionDifferent = true;
    return result;
  }
  std::string dotDefault = ".";
  dotDefault += defaultExt;
  const std::string maskExt = selectedMask ? MaskExtension(*selectedMask) : std::string();
  const std::string& wanted = maskExt.empty() ? dotDefault : maskExt;
  // A name that already ends in the wanted extension keeps it (no "a.txt.txt").
  if (SameTextAscii(ext, wanted)) return result;
  result.Path = AppendExtension(path, wanted);
  result.ExtensionDifferent = !maskExt.empty() && !SameTextAscii(maskExt, dotDefault);
  return result;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

// ---- Places bar ----

std::vector<TRzPlaceValue> DefaultPlaces() {
  std::vector<TRzPlaceValue> places;
  for (const int number : {8, 0, 5, 17, 18}) places.push_back({false, {}, number});
  return places;
}

std::string PlacePathCaption(std::string_view path) {
  if (Utf16Length(path) <= 3) return {};
  if (path.back() == '\\') path.remove_suffix(1);
  return std::string(NamePart(path));
}

// ---- Layout record ----

void AppendDialogLayout(std::vector<std::uint8_t>& out, const TRzDialogLayout& layout) {
  PutLe32(out, layout.Left);
  PutLe32(out, layout.Top);
  PutLe32(out, layout.Width);
  PutLe32(out, layout.Height);
  out.push_back(layout.WindowState);
  out.push_back(layout.Position);
}

void AppendFileDialogLayout(std::vector<std::uint8_t>& out, const TRzFileDialogLayout& layout) {
  out.push_back(layout.ShowTree ? 1 : 0);
  PutLe32(out, layout.SplitterPos);
}

std::optional<TRzDialogLayout> ReadDialogLayout(std::span<const std::uint8_t> data,
                                                std::size_t& pos) {
  if (pos > data.size() || data.size() - pos < kDialogLayoutSize) return std::nullopt;
  TRzDialogLayout layout;
  layout.Left = GetLe32(data, pos);
  layout.Top = GetLe32(data, pos + 4);
  layout.Width = GetLe32(data, pos + 8);
  layout.Height = GetLe32(data, pos + 12);
  layout.WindowState = data[pos + 16];
  layout.Position = data[pos + 17];
  if (layout.WindowState > 2 || layout.Position > 7) return std::nullopt;
  pos += kDialogLayoutSize;
  return layout;
}

std::optional<TRzFileDialogLayout> ReadFileDialogLayout(std::span<const std::uint8_t> data,
                                                        std::size_t& pos) {
  if (pos > data.size() || data.size() - pos < kFileDialogLayoutSize) return std::nullopt;
  if (data[pos] > 1) return std::nullopt;
  TRzFileDialogLayout layout;
  layout.ShowTree = data[pos] == 1;
  layout.SplitterPos = GetLe32(data, pos + 1);
  pos += kFileDialogLayoutSize;
  return layout;
}

}  // namespace kovra
