// A registry key opened by path under a root key, with typed reads and writes (UTF-8 names).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Handles.h"
#include "framework/SysUtils.h"

namespace kovra {

class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

enum TRegDataType : std::uint8_t { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// Paths use '\'; a leading '\' makes a path absolute under RootKey, otherwise it is relative to
// the open key. Reads of a missing value or of a value of another type raise ERegistryException,
// except ReadString of a missing value, which gives "".
class TRegistry : public TObject {
 public:
  // Values larger than this are refused rather than read.
  static constexpr DWORD kMaxValueSize = 1u << 20;

  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
  ~TRegistry() override;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return root_; }
  void SetRootKey(HKEY root);  // closes the open key
  HKEY CurrentKey() const { return key_.Get(); }
  const std::string& CurrentPath() const { return path_; }
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM access) { access_ = access; }

  bool OpenKey(std::string_view path, bool canCreate);
  bool OpenKeyReadOnly(std::string_view path);
  void CloseKey();
  bool KeyExists(std::string_view path) const;
  bool CreateKey(std::string_view path);
  // Deletes the key with its subkeys.
  bool DeleteKey(std::string_view path);

  bool ValueExists(std::string_view name) const;
  TRegDataType GetDataType(std::string_view name) const;
  bool DeleteValue(std::string_view name);
  std::vector<std::string> GetKeyNames() const;
  std::vector<std::string> GetValueNames() const;

  std::string ReadString(std::string_view name) const;
  int ReadInteger(std::string_view name) const;
  bool ReadBool(std::string_view name) const { return ReadInteger(name) != 0; }
  std::vector<std::uint8_t> ReadBinary(std::string_view name) const;
  void WriteString(std::string_view name, std::string_view value);
  void WriteExpandString(std::string_view name, std::string_view value);
  void WriteInteger(std::string_view name, int value);
  void WriteBool(std::string_view name, bool value) { WriteInteger(name, value ? 1 : 0); }
  void WriteBinary(std::string_view name, const std::vector<std::uint8_t>& value);

 private:
  // The key a path is relative to, and the path with any leading '\' removed.
  HKEY BaseFor(std::string_view& path) const;
  // The open key, or the root key when none is open.
  HKEY ValueKey() const;
  std::vector<std::uint8_t> ReadRaw(std::string_view name, DWORD& type) const;
  void WriteRaw(std::string_view name, DWORD type, const void* data, DWORD size);

  HKEY root_ = HKEY_CURRENT_USER;
  RegKeyHandle key_;
  std::string path_;
  REGSAM access_;
};

}  // namespace kovra
