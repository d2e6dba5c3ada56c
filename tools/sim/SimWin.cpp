#include "SimWin.h"

#include <shellapi.h>

#include <chrono>

#include "framework/runtime/Text.h"

namespace kovra::sim {
namespace {

const auto kStart = std::chrono::steady_clock::now();

}  // namespace

std::wstring Wide(std::string_view utf8) {
  std::u16string u16 = Utf8ToUtf16(utf8);
  return std::wstring(u16.begin(), u16.end());
}

std::string Narrow(std::wstring_view utf16) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size()));
}

std::string WindowTextUtf8(HWND wnd, int maxChars) {
  int length = GetWindowTextLengthW(wnd);
  if (length <= 0) return {};
  if (length > maxChars) length = maxChars;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(wnd, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return Narrow(text);
}

void SetWindowTextUtf8(HWND wnd, std::string_view text) {
  SetWindowTextW(wnd, Wide(text).c_str());
}

std::vector<std::string> CommandLineArgs() {
  std::vector<std::string> args;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return args;
  for (int i = 1; i < argc; ++i) args.push_back(Narrow(argv[i]));
  LocalFree(argv);
  return args;
}

int64_t MsSinceStart() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               kStart)
      .count();
}

void WriteStdErr(std::string_view text) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(err, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

ControlFont::ControlFont() {
  font_ =
      CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"微软雅黑");
}

ControlFont::~ControlFont() {
  if (font_) DeleteObject(font_);
}

}  // namespace kovra::sim
