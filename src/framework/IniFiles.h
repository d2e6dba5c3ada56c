// INI files on disk: TIniFile reads the file afresh on every call and writes every change at once.
// A snapshot serves many reads from one look at the file, an update many changes in one write.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "framework/runtime/IniDocument.h"

namespace kovra {

// Each write (one value, or an update's changes) reads the current file, changes it and replaces
// the whole file through a flushed temporary file in the same folder, so the file on disk is
// always either the old one or the new one. A successful write also deletes the temporary files
// of the same file that writers killed mid-write left behind (those of processes no longer
// running). A write that is refused (read-only file or folder, full disk, the file locked or
// unreadable) throws Exception "Unable to write to <path>" (followed, for a file that cannot be
// read, by ": it cannot be read now and is left as it is") and leaves the file as it was. A
// missing or unreadable file reads as empty: every read gives its default.
class TIniFile {
 public:
  explicit TIniFile(std::string path_utf8);

  const std::string& FileName() const { return path_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // Text longer than two characters starting with "0x" or "0X" is hexadecimal (up to 32 bits,
  // so 0xFF00000F is negative), other text decimal; missing, unconvertible or out-of-range text
  // gives the default.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
  // With FormatSettings(); missing or unconvertible text gives the default.
  double ReadFloat(std::string_view section, std::string_view key, double defaultValue) const;
  // An integer other than 0 is true.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  // The file as it is now, for reading many values from one look at it. `unreadable`, when
  // given, tells a file that exists but could not be read (held by another program, say) from
  // a missing one; both read as empty.
  IniDocument Snapshot(bool* unreadable = nullptr) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Several changes in one write: the file goes from the old content to the new in a single
  // replacement, refused or kept as a whole.
  void Update(const std::function<void(IniDocument&)>& change);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  // The shortest general form ("3", "2.5").
  void WriteFloat(std::string_view section, std::string_view key, double value);
  // 1 or 0.
  void WriteBool(std::string_view section, std::string_view key, bool value);

 private:
  [[noreturn]] void RaiseWriteError(std::string_view why = {}) const;
  void SaveBytes(const std::string& bytes) const;

  std::string path_;
  std::wstring widePath_;
};

// The file's bytes as TIniFile's reads see them; nullopt when it is missing or cannot be read,
// which those reads take as an empty file.
std::optional<std::string> ReadIniFileBytes(const std::string& path_utf8);

}  // namespace kovra
