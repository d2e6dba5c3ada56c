#include "bar/ReplyWatcher.h"

#include <algorithm>
#include <cwchar>
#include <optional>
#include <utility>

#include "bar/OrderNoticeLogic.h"
#include "framework/WindowClass.h"
#include "framework/runtime/Text.h"

namespace kovra {
namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kAnswerMs = 200;
constexpr int kMaxTextLength = 256;

std::vector<HWND> VisibleTopLevel(DWORD pid) {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{pid, {}};
  EnumWindows(
      [](HWND wnd, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(wnd, &owner);
        if (owner == s.pid && IsWindowVisible(wnd)) s.found.push_back(wnd);
        return s.found.size() < 4096;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool IsStatic(HWND wnd) {
  wchar_t name[16] = {};
  GetClassNameW(wnd, name, 16);
  return _wcsicmp(name, L"Static") == 0;
}

// Nothing when the window did not answer in time.
std::optional<std::string> TextOf(HWND wnd) {
  wchar_t buffer[kMaxTextLength] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(wnd, WM_GETTEXT, kMaxTextLength, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, kAnswerMs, &length))
    return std::nullopt;
  buffer[kMaxTextLength - 1] = L'\0';
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer),
                                         wcsnlen(buffer, kMaxTextLength)));
}

}  // namespace

TReplyWatcher::TReplyWatcher()
    : window_(std::make_unique<TUtilityWindow>([this](TMessage& m) {
        if (m.Msg != WM_TIMER || m.WParam != kPollTimer) return false;
        // The handler of a finished watch may have started the next one.
        if (Poll() && !Watching()) KillTimer(window_->Handle(), kPollTimer);
        m.Result = 0;
        return true;
      })) {}

TReplyWatcher::~TReplyWatcher() {
  KillTimer(window_->Handle(), kPollTimer);
}

void TReplyWatcher::Snapshot(DWORD pid) {
  pid_ = pid;
  before_ = pid ? VisibleTopLevel(pid) : std::vector<HWND>{};
}

void TReplyWatcher::Watch(TReplyEvent done) {
  Finish();
  done_ = std::move(done);
  started_ = GetTickCount();
  // A reply that showed inside the press is there already.
  if (!Poll()) SetTimer(window_->Handle(), kPollTimer, kPollMs, nullptr);
}

void TReplyWatcher::Finish() {
  if (!done_) return;
  KillTimer(window_->Handle(), kPollTimer);
  std::string reply;
  for (HWND wnd : NewWindows())
    if (!(reply = ReadStaticTexts(wnd)).empty()) break;
  Deliver(reply);
}

// True when the watch is over.
bool TReplyWatcher::Poll() {
  if (!done_) return true;
  for (HWND wnd : NewWindows()) {
    const std::string reply = ReadStaticTexts(wnd);
    // A window whose texts are not there yet is looked at again on the next tick.
    if (!reply.empty()) {
      Deliver(reply);
      return true;
    }
  }
  if (GetTickCount() - started_ < kWatchMs) return false;
  Deliver({});
  return true;
}

void TReplyWatcher::Deliver(const std::string& reply) {
  // The handler may start the next watch.
  TReplyEvent done = std::exchange(done_, nullptr);
  if (done) done(reply);
}

std::vector<HWND> TReplyWatcher::NewWindows() const {
  std::vector<HWND> fresh;
  if (!pid_) return fresh;
  for (HWND wnd : VisibleTopLevel(pid_))
    if (std::find(before_.begin(), before_.end(), wnd) == before_.end()) fresh.push_back(wnd);
  return fresh;
}

std::string TReplyWatcher::ReadStaticTexts(HWND window) {
  struct Reading {
    std::vector<HWND> statics;
  } reading;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        auto& r = *reinterpret_cast<Reading*>(param);
        if (IsStatic(child) && IsWindowVisible(child)) r.statics.push_back(child);
        return r.statics.size() < static_cast<std::size_t>(kMaxTexts);
      },
      reinterpret_cast<LPARAM>(&reading));
  std::string reply;
  for (HWND child : reading.statics) {
    const std::optional<std::string> read = TextOf(child);
    if (!read) break;  // one wait on a hung client is enough
    const std::string_view text = Trim(*read);
    if (text.empty()) continue;
    if (!reply.empty()) reply += ' ';
    reply += text;
  }
  return CutUtf16(reply, kMaxReply);
}

}  // namespace kovra
