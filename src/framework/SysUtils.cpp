// Exceptions carrying the system's text for Win32 error codes.
#include "framework/SysUtils.h"

#include <cstdio>

#include "framework/runtime/Text.h"

namespace kovra {

namespace {

std::string FormatOSError(DWORD code, std::string_view context) {
  char head[64];
  std::snprintf(head, sizeof head, "System Error.  Code: %lu.\n", static_cast<unsigned long>(code));
  std::string message;
  if (!context.empty()) message.append(context).append(": ");
  message.append(head).append(SysErrorMessage(code));
  return message;
}

}  // namespace

EOSError::EOSError(DWORD code, std::string_view context)
    : Exception(FormatOSError(code, context)), code_(code) {}

std::string SysErrorMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return {};
  std::u16string text(reinterpret_cast<const char16_t*>(buffer), length);
  LocalFree(buffer);
  // The system ends its texts with a line break.
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' '))
    text.pop_back();
  return Utf16ToUtf8(text);
}

void RaiseLastOSError(std::string_view context) {
  DWORD code = GetLastError();
  if (code == ERROR_SUCCESS) code = ERROR_GEN_FAILURE;
  if (code == ERROR_NOT_ENOUGH_MEMORY || code == ERROR_NO_SYSTEM_RESOURCES ||
      code == ERROR_NOT_ENOUGH_QUOTA)
    throw EOutOfResources(code, context);
  throw EOSError(code, context);
}

}  // namespace kovra
