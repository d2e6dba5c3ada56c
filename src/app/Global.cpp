#include "app/Global.h"

#include <vector>

#include "app/ExePaths.h"
#include "app/Ticks.h"
#include "framework/runtime/Text.h"

namespace kovra {

TGlobal* GlobalState = nullptr;

TGlobal::TGlobal() {}

TGlobal::~TGlobal() = default;

TGlobalStateScope::TGlobalStateScope() {
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

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The quit belongs to the main loop, which is further out.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
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
    PumpMessages();
    const std::uint32_t elapsed = TickElapsed(start, GetTickCount());
    if (elapsed >= ms) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, ms - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace kovra
