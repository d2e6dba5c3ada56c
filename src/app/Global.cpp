#include "app/Global.h"

#include <algorithm>
#include <vector>

#include "app/ExePaths.h"
#include "app/Ticks.h"
#include "framework/Application.h"
#include "framework/runtime/Numbers.h"
#include "framework/runtime/Text.h"

namespace kovra {

TGlobal* GlobalState = nullptr;

TGlobal::TGlobal() {
  // Every number text of the program, the client's fields and the configuration file included,
  // uses "." whatever the regional settings say.
  TFormatSettings& formats = FormatSettings();
  formats.DecimalSeparator = '.';
  formats.DateSeparator = '-';
  formats.ShortDateFormat = "yyyy-mm-dd";
  formats.ShortTimeFormat = "hh:nn:ss";
}

TGlobal::~TGlobal() = default;

TGlobalStateScope::TGlobalStateScope() {
  if (GlobalState) throw EInvalidOperation("the shared state exists already");
  GlobalState = new TGlobal();
}

TGlobalStateScope::~TGlobalStateScope() {
  delete GlobalState;
  GlobalState = nullptr;
}

namespace {

std::string ExeFileName() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      return Utf16ToUtf8(
          std::u16string_view(reinterpret_cast<const char16_t*>(buffer.data()), length));
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

const std::string& ExeDir() {
  static const std::string dir = ExeDirOf(ExeFileName());
  return dir;
}

const std::string& IniPath() {
  static const std::string path = IniPathOf(ExeFileName());
  return path;
}

void WaitMs(std::uint32_t ms) {
  const std::uint32_t start = GetTickCount();
  for (;;) {
    Application().ProcessMessages();
    const std::uint32_t elapsed = TickElapsed(start, GetTickCount());
    if (elapsed >= ms) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, ms - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

bool PollMs(std::uint32_t limitMs, const std::function<bool()>& ready) {
  // Short enough that a step ends within a few milliseconds of the client being ready, long
  // enough that the waiting costs next to no processor time.
  constexpr std::uint32_t kPollMs = 3;
  const std::uint32_t start = GetTickCount();
  for (;;) {
    Application().ProcessMessages();
    if (ready()) return true;
    const std::uint32_t elapsed = TickElapsed(start, GetTickCount());
    if (elapsed >= limitMs) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr, std::min(kPollMs, limitMs - elapsed), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
}

}  // namespace kovra
