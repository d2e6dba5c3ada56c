#include "app/StockWatcher.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "app/Global.h"
#include "framework/Handles.h"
#include "framework/IniFiles.h"
#include "framework/runtime/IniDocument.h"
#include "framework/runtime/Text.h"

namespace kovra {

std::string ReadWindowTitle(HWND window) {
  if (!window || !IsWindow(window)) return {};
  wchar_t buffer[4096];
  const int length = GetWindowTextW(window, buffer, 4096);
  if (length <= 0) return {};
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer),
                                         static_cast<size_t>(std::min(length, 4095))));
}

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";

// Agrees with EqualsIgnoreAsciiCase: ASCII letters folded, every other byte taken as it is.
struct AsciiCaseHash {
  size_t operator()(const std::string& text) const {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
      if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
      hash = (hash ^ c) * 1099511628211ull;
    }
    return static_cast<size_t>(hash);
  }
};
struct AsciiCaseEqual {
  bool operator()(const std::string& a, const std::string& b) const {
    return EqualsIgnoreAsciiCase(a, b);
  }
};

// One section of an INI file as IniDocument reads it: each key's line under the name that the
// reader matches lookups against (the first line of a name wins). The value is taken from that
// line by IniDocument itself, so unquoting, the NUL and length cuts and decoding stay its own.
class TSectionIndex {
 public:
  TSectionIndex(std::string_view bytes, std::string_view section) {
    std::string utf8Text;
    if (bytes.starts_with(kUtf16Bom)) {
      bytes.remove_prefix(kUtf16Bom.size());
      std::u16string units(bytes.size() / 2, u'\0');
      for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
      }
      utf8Text = Utf16ToUtf8(units);
      bytes = utf8Text;
      gbk_ = false;
    } else if (bytes.starts_with(kUtf8Bom)) {
      bytes.remove_prefix(kUtf8Bom.size());
      gbk_ = false;
    }
    Index(bytes, Trim(section));
  }

  std::string Find(std::string_view key) const {
    key = Trim(key);
    const auto found = lines_.find(std::string(key));
    if (found == lines_.end()) return {};
    // A GBK line goes after an empty one, so that bytes at its start are never taken for a mark.
    const std::string document = (gbk_ ? "\n" : std::string(kUtf8Bom)) + found->second;
    return IniDocument(document).ReadString("", key, "");
  }

 private:
  void Index(std::string_view text, std::string_view section) {
    bool inSection = section.empty();  // lines before the first header form the nameless one
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find_first_of("\r\n", start);
      if (end == std::string_view::npos) end = text.size();
      const std::string_view line = text.substr(start, end - start);
      start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
      if (const auto name = SectionName(line)) {
        if (inSection) break;  // only the first section of a name counts
        inSection = EqualsIgnoreAsciiCase(*name, section);
        continue;
      }
      if (!inSection) continue;
      const size_t equals = line.find('=');
      if (equals == std::string_view::npos) continue;
      const std::string_view key = Trim(line.substr(0, equals));
      if (!key.empty() && key.front() == ';') continue;
      lines_.try_emplace(MatchedName(key), line);
    }
  }

  // GBK is decoded before names are compared: its trail bytes include the ASCII letters.
  std::string MatchedName(std::string_view stored) const {
    const bool ascii = std::all_of(stored.begin(), stored.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return gbk_ && !ascii ? GbkToUtf8(stored) : std::string(stored);
  }

  std::string ToUtf8(std::string_view stored) const {
    return gbk_ ? GbkToUtf8(stored) : Utf16ToUtf8(Utf8ToUtf16(stored));
  }

  std::optional<std::string> SectionName(std::string_view line) const {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const std::string text = ToUtf8(line);
    const size_t close = text.find(']');
    if (close == std::string::npos) return std::nullopt;
    return std::string(Trim(std::string_view(text).substr(1, close - 1)));
  }

  bool gbk_ = true;
  std::unordered_map<std::string, std::string, AsciiCaseHash, AsciiCaseEqual> lines_;
};

// What tells one state of the file from another without reading it. Size and write time miss an
// edit of the same length within the write time's resolution (2 s on FAT drives): the change time
// tells it where the file system keeps one (0 where it does not).
struct TFileStamp {
  uint64_t size = 0;
  uint64_t written = 0;
  uint64_t changed = 0;
  bool operator==(const TFileStamp&) const = default;
};

// Without a change time, a file this small (a 6,000-entry table is about 150 KB) is compared
// byte for byte instead.
constexpr uint64_t kComparedBytes = 1 << 20;

uint64_t Ticks(FILETIME time) {
  return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

class TCodeTableCache {
 public:
  explicit TCodeTableCache(std::string path) : path_(std::move(path)) {
    const std::u16string wide = Utf8ToUtf16(path_);
    widePath_.assign(wide.begin(), wide.end());
  }

  std::string Lookup(const std::string& key) {
    bool compareBytes = false;
    const std::optional<TFileStamp> stamp = StampOf(compareBytes);
    if (!stamp) {
      Forget();
      return {};
    }
    std::optional<std::string> bytes;
    if (compareBytes) bytes = ReadIniFileBytes(path_);
    // A file held unreadable for now is judged by its stamp.
    const bool same = index_ && (bytes && keptBytes_ ? keptBytes_ == bytes : stamp == stamp_);
    if (!same) {
      // Stamped before reading: an edit made meanwhile shows as a changed stamp next time.
      Forget();
      if (!bytes) bytes = ReadIniFileBytes(path_);
      if (!bytes) return {};
      index_.emplace(*bytes, kCodeSection);
      stamp_ = *stamp;
      if (compareBytes) keptBytes_ = std::move(bytes);
    }
    return index_->Find(key);
  }

 private:
  static constexpr std::string_view kCodeSection = "代码表";

  // Also tells whether the file is to be compared by its bytes: small, and on a volume that
  // keeps no change time (FAT reports it as 0).
  std::optional<TFileStamp> StampOf(bool& compareBytes) const {
    const KernelHandle file(CreateFileW(widePath_.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO basic;
    if (!file || !GetFileInformationByHandle(file.Get(), &info) ||
        !GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof basic)) {
      // Held by a program that shares nothing: size and write time alone.
      WIN32_FILE_ATTRIBUTE_DATA data;
      if (!GetFileAttributesExW(widePath_.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
      }
      return TFileStamp{static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                        Ticks(data.ftLastWriteTime), 0};
    }
    const TFileStamp stamp{static_cast<uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow,
                           Ticks(info.ftLastWriteTime),
                           static_cast<uint64_t>(basic.ChangeTime.QuadPart)};
    compareBytes = stamp.changed == 0 && stamp.size <= kComparedBytes;
    return stamp;
  }

  void Forget() {
    index_.reset();
    keptBytes_.reset();
  }

  std::string path_;
  std::wstring widePath_;
  TFileStamp stamp_;
  std::optional<std::string> keptBytes_;  // of a small file compared byte for byte
  std::optional<TSectionIndex> index_;
};

}  // namespace

CodeLookup CodeTableLookup(std::string tablePath) {
  auto cache = std::make_shared<TCodeTableCache>(std::move(tablePath));
  return [cache](const std::string& key) { return cache->Lookup(key); };
}

CodeLookup CodeTableLookup() {
  return CodeTableLookup(ExeDir() + "股票代码表.ini");
}

TStockWatcher::TStockWatcher(CodeLookup lookup) : lookup_(std::move(lookup)) {}

void TStockWatcher::Tick() {
  try {
    if (!GlobalState) return;
    auto change =
        WatchTitle(ReadWindowTitle(GlobalState->StockWnd), GlobalState->LastTitleCode, lookup_);
    if (!change) return;
    if (OnDisplay) OnDisplay(this, change->Display);
    GlobalState->CurrentCode = std::move(change->CurrentCode);
    GlobalState->LastTitleCode = std::move(change->TitleCode);
  } catch (...) {
    // A tick reports nothing; an unreadable title or table is tried again on the next one.
  }
}

}  // namespace kovra
