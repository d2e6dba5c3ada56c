#include "support/Sim.h"

#include <stdexcept>

#include "framework/runtime/Text.h"
#include "framework/WindowClass.h"
#include "support/Wait.h"

namespace kovra::test {
namespace {

BOOL CALLBACK CollectChild(HWND wnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
  return TRUE;
}

HWND WaitForMainWindow(TestProcess& process, const wchar_t* className) {
  HWND wnd = process.WaitForWindow(className);
  if (!wnd) throw std::runtime_error("the simulated application shows no window");
  return wnd;
}

}  // namespace

std::wstring SimPath(const wchar_t* exeName) {
  return BinDir() + exeName;
}

std::vector<JournalEntry> ReadJournal(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[8192];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return sim::ParseJournal(text);
}

TradeSim::TradeSim(std::vector<std::wstring> options)
    : TradeSim(std::move(options), std::wstring()) {}

TradeSim::TradeSim(std::vector<std::wstring> options, std::wstring journalPath)
    : journalPath_(std::move(journalPath)) {
  if (journalPath_.empty()) {
    scratch_ = std::make_unique<ScratchDir>();
    journalPath_ = scratch_->Path() + L"journal.txt";
  }
  options.insert(options.begin(), {L"--journal", journalPath_});
  process_ = std::make_unique<TestProcess>(SimPath(L"TradeSim.exe"), options);
  main_ = WaitForMainWindow(*process_, L"KovraTradeSim");
}

HWND TradeSim::Page(UINT key) const {
  return GetDlgItem(main_, static_cast<int>(key));
}

std::vector<JournalEntry> TradeSim::Journal() const {
  return ReadJournal(journalPath_);
}

JournalEntry TradeSim::WaitForJournal(const std::function<bool(const JournalEntry&)>& pred,
                                      std::chrono::milliseconds timeout) const {
  JournalEntry found;
  WaitUntil(
      [&] {
        for (const auto& entry : Journal()) {
          if (pred(entry)) {
            found = entry;
            return true;
          }
        }
        return false;
      },
      timeout);
  return found;
}

JournalEntry TradeSim::WaitForEvent(std::string_view event, std::string_view firstField,
                                    std::chrono::milliseconds timeout) const {
  return WaitForJournal(
      [&](const JournalEntry& e) {
        return e.event == event && (firstField.empty() || e.Field(0) == firstField);
      },
      timeout);
}

QuoteSim::QuoteSim(std::string_view utf8Title) {
  process_ = std::make_unique<TestProcess>(SimPath(L"QuoteSim.exe"),
                                           std::vector<std::wstring>{L"--title", Wide(utf8Title)});
  main_ = WaitForMainWindow(*process_, L"KovraQuoteSim");
}

void QuoteSim::SetTitle(std::string_view utf8Title) const {
  std::wstring title = Wide(utf8Title);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(main_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()),
                      SMTO_ABORTIFHUNG, 5000, &ignored);
}

std::string QuoteSim::Title() const {
  return WindowTextUtf8(main_);
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> all;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
  return all;
}

std::string WindowTextUtf8(HWND wnd) {
  constexpr int kMax = 65536;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  if (length > kMax) length = kMax;
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(wnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 5000, &got)) {
    return {};
  }
  text.resize(got <= length ? got : length);
  return Narrow(text);
}

HWND ForegroundFocus() {
  HWND foreground = GetForegroundWindow();
  if (!foreground) return nullptr;
  DWORD thread = GetWindowThreadProcessId(foreground, nullptr);
  DWORD self = GetCurrentThreadId();
  if (thread == self) return GetFocus();
  if (!AttachThreadInput(self, thread, TRUE)) return nullptr;
  HWND focus = GetFocus();
  AttachThreadInput(self, thread, FALSE);
  return focus;
}

void PostChars(HWND wnd, std::string_view bytes) {
  for (unsigned char c : bytes) PostMessageW(wnd, WM_CHAR, c, 0);
}

void SendClick(HWND wnd) {
  SendMessageW(wnd, WM_LBUTTONDOWN, 0, 0);
  SendMessageW(wnd, WM_LBUTTONUP, 0, 0);
}

}  // namespace kovra::test
