// Registry access through the W functions; names and strings are UTF-8 on our side.
#include "framework/Registry.h"

#include <cstring>

#include "framework/runtime/Text.h"

namespace kovra {

namespace {

std::wstring Wide(std::string_view utf8) {
  const std::u16string u = Utf8ToUtf16(utf8);
  return std::wstring(u.begin(), u.end());
}

std::string Narrow(const wchar_t* text, size_t length) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::string Quoted(std::string_view name) {
  return "\"" + std::string(name) + "\"";
}

}  // namespace

TRegistry::TRegistry(REGSAM access) : access_(access) {}

TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY root) {
  if (root == root_) return;
  CloseKey();
  root_ = root;
}

HKEY TRegistry::BaseFor(std::string_view& path) const {
  const bool absolute = !path.empty() && path.front() == '\\';
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return absolute || !key_ ? root_ : key_.Get();
}

bool TRegistry::OpenKey(std::string_view path, bool canCreate) {
  const bool relative = !path.empty() && path.front() != '\\' && key_;
  HKEY base = BaseFor(path);
  const std::wstring wide = Wide(path);
  HKEY opened = nullptr;
  LONG result;
  if (canCreate && !path.empty()) {
    result = RegCreateKeyExW(base, wide.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_,
                             nullptr, &opened, nullptr);
  } else {
    result = RegOpenKeyExW(base, wide.c_str(), 0, access_, &opened);
  }
  if (result != ERROR_SUCCESS) return false;
  std::string newPath = relative && !path_.empty() ? path_ + "\\" : std::string();
  newPath.append(path);
  key_.Reset(opened);
  path_ = std::move(newPath);
  return true;
}

bool TRegistry::OpenKeyReadOnly(std::string_view path) {
  const REGSAM saved = access_;
  access_ = KEY_READ;
  const bool ok = OpenKey(path, false);
  access_ = saved;
  return ok;
}

void TRegistry::CloseKey() {
  key_.Reset();
  path_.clear();
}

bool TRegistry::KeyExists(std::string_view path) const {
  HKEY base = BaseFor(path);
  const std::wstring wide = Wide(path);
  HKEY opened = nullptr;
  if (RegOpenKeyExW(base, wide.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

bool TRegistry::CreateKey(std::string_view path) {
  HKEY base = BaseFor(path);
  if (path.empty()) return false;
  const std::wstring wide = Wide(path);
  HKEY created = nullptr;
  if (RegCreateKeyExW(base, wide.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      &created, nullptr) != ERROR_SUCCESS)
    return false;
  RegCloseKey(created);
  return true;
}

bool TRegistry::DeleteKey(std::string_view path) {
  HKEY base = BaseFor(path);
  if (path.empty()) return false;  // never the root or the open key itself
  const std::wstring wide = Wide(path);
  return RegDeleteTreeW(base, wide.c_str()) == ERROR_SUCCESS;
}

HKEY TRegistry::ValueKey() const {
  return key_ ? key_.Get() : root_;
}

bool TRegistry::ValueExists(std::string_view name) const {
  const std::wstring wide = Wide(name);
  return RegQueryValueExW(ValueKey(), wide.c_str(), nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

TRegDataType TRegistry::GetDataType(std::string_view name) const {
  const std::wstring wide = Wide(name);
  DWORD type = REG_NONE;
  if (RegQueryValueExW(ValueKey(), wide.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
    return rdUnknown;
  switch (type) {
    case REG_SZ:
      return rdString;
    case REG_EXPAND_SZ:
      return rdExpandString;
    case REG_DWORD:
      return rdInteger;
    case REG_BINARY:
      return rdBinary;
    default:
      return rdUnknown;
  }
}

bool TRegistry::DeleteValue(std::string_view name) {
  const std::wstring wide = Wide(name);
  return RegDeleteValueW(ValueKey(), wide.c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> TRegistry::GetKeyNames() const {
  std::vector<std::string> names;
  wchar_t buffer[256];  // the longest key name the registry allows is 255 characters
  for (DWORD i = 0;; ++i) {
    DWORD length = std::size(buffer);
    const LONG result =
        RegEnumKeyExW(ValueKey(), i, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) break;
    names.push_back(Narrow(buffer, length));
  }
  return names;
}

std::vector<std::string> TRegistry::GetValueNames() const {
  std::vector<std::string> names;
  std::wstring buffer(16384, L'\0');  // the longest value name the registry allows
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG result =
        RegEnumValueW(ValueKey(), i, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) break;
    names.push_back(Narrow(buffer.data(), length));
  }
  return names;
}

std::vector<std::uint8_t> TRegistry::ReadRaw(std::string_view name, DWORD& type) const {
  const std::wstring wide = Wide(name);
  std::vector<std::uint8_t> data;
  // The value may grow between the size query and the read (another process writing it).
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    LONG result = RegQueryValueExW(ValueKey(), wide.c_str(), nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) throw ERegistryException("Value " + Quoted(name) + " not found");
    if (size > kMaxValueSize) throw ERegistryException("Value " + Quoted(name) + " is too large");
    data.resize(size);
    result = RegQueryValueExW(ValueKey(), wide.c_str(), nullptr, &type, data.data(), &size);
    if (result == ERROR_SUCCESS) {
      data.resize(size);
      return data;
    }
    if (result != ERROR_MORE_DATA) throw EOSError(static_cast<DWORD>(result), Quoted(name));
  }
  throw ERegistryException("Value " + Quoted(name) + " keeps changing");
}

std::string TRegistry::ReadString(std::string_view name) const {
  if (!ValueExists(name)) return {};
  DWORD type = REG_NONE;
  const std::vector<std::uint8_t> data = ReadRaw(name, type);
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    throw ERegistryException("Invalid data type for " + Quoted(name));
  // Stored strings need not be terminated, nor even of even length.
  std::u16string text(data.size() / 2, u'\0');
  std::memcpy(text.data(), data.data(), text.size() * 2);
  const size_t end = text.find(u'\0');
  if (end != std::u16string::npos) text.resize(end);
  return Utf16ToUtf8(text);
}

int TRegistry::ReadInteger(std::string_view name) const {
  DWORD type = REG_NONE;
  const std::vector<std::uint8_t> data = ReadRaw(name, type);
  if (type != REG_DWORD || data.size() != sizeof(DWORD))
    throw ERegistryException("Invalid data type for " + Quoted(name));
  std::int32_t value;
  std::memcpy(&value, data.data(), sizeof value);
  return value;
}

std::vector<std::uint8_t> TRegistry::ReadBinary(std::string_view name) const {
  DWORD type = REG_NONE;
  std::vector<std::uint8_t> data = ReadRaw(name, type);
  if (type != REG_BINARY) throw ERegistryException("Invalid data type for " + Quoted(name));
  return data;
}

void TRegistry::WriteRaw(std::string_view name, DWORD type, const void* data, DWORD size) {
  const std::wstring wide = Wide(name);
  const LONG result =
      RegSetValueExW(ValueKey(), wide.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  if (result != ERROR_SUCCESS) throw ERegistryException("Failed to set data for " + Quoted(name));
}

void TRegistry::WriteString(std::string_view name, std::string_view value) {
  const std::wstring wide = Wide(value);
  WriteRaw(name, REG_SZ, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

void TRegistry::WriteExpandString(std::string_view name, std::string_view value) {
  const std::wstring wide = Wide(value);
  WriteRaw(name, REG_EXPAND_SZ, wide.c_str(),
           static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

void TRegistry::WriteInteger(std::string_view name, int value) {
  const DWORD raw = static_cast<DWORD>(value);
  WriteRaw(name, REG_DWORD, &raw, sizeof raw);
}

void TRegistry::WriteBinary(std::string_view name, const std::vector<std::uint8_t>& value) {
  if (value.size() > kMaxValueSize)
    throw ERegistryException("Value " + Quoted(name) + " is too large");
  WriteRaw(name, REG_BINARY, value.data(), static_cast<DWORD>(value.size()));
}

}  // namespace kovra
