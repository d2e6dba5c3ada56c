// The framework's exceptions and object base: every failure of a Win32 call becomes an EOSError
// carrying the system's own text for the error code.
//   Exception         base of the framework's exceptions (UTF-8 message)
//   EOSError          a Win32 error code with the system's text
//   EInvalidOperation, EInvalidGraphic, EOutOfResources   framework failures of their own kind
//   TObject           base of framework objects; TNotifyEvent, the plain event
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace kovra {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}

  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// A failed system call. The message reads "System Error.  Code: 5.\n<system text>", prefixed by
// "<context>: " when a context is given.
class EOSError : public Exception {
 public:
  explicit EOSError(DWORD code, std::string_view context = {});
  DWORD ErrorCode() const noexcept { return code_; }

 private:
  DWORD code_;
};

class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// A GDI or USER object could not be created (the process ran out of handles).
class EOutOfResources : public EOSError {
 public:
  using EOSError::EOSError;
};

// The system's text for a Win32 error code, UTF-8, without the trailing line break; an unknown
// code gives an empty string.
std::string SysErrorMessage(DWORD code);

// Throws EOSError for GetLastError(); a failure that left no code reports ERROR_GEN_FAILURE
// rather than an "operation completed successfully" error.
[[noreturn]] void RaiseLastOSError(std::string_view context = {});

// Throws EOSError for GetLastError() unless `ok`.
inline void Check(BOOL ok, std::string_view context = {}) {
  if (!ok) RaiseLastOSError(context);
}

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

}  // namespace kovra
