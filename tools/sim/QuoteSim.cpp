// QuoteSim.exe: a stand-in for the market-quote application. Its main window's title names the
// stock on display between brackets; `--set-title` run as a second instance changes the title
// of the running one (see README.md).
#include <windows.h>

#include <string>

#include "SimOptions.h"
#include "SimWin.h"

namespace kovra::sim {
namespace {

constexpr wchar_t kQuoteClass[] = L"KovraQuoteSim";
constexpr UINT kSetTitleTimeoutMs = 5000;

LRESULT CALLBACK QuoteProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcW(wnd, msg, wParam, lParam);
      InvalidateRect(wnd, nullptr, TRUE);
      return result;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      RECT rc;
      GetClientRect(wnd, &rc);
      InflateRect(&rc, -12, -12);
      std::wstring title = Wide(WindowTextUtf8(wnd, 4096));
      SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &rc,
                DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
      EndPaint(wnd, &ps);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

struct SetTitleJob {
  std::wstring title;
  int done = 0;
};

BOOL CALLBACK SetTitleOfEach(HWND wnd, LPARAM param) {
  auto* job = reinterpret_cast<SetTitleJob*>(param);
  wchar_t cls[64] = {};
  GetClassNameW(wnd, cls, 64);
  if (lstrcmpW(cls, kQuoteClass) != 0 || wnd == nullptr) return TRUE;
  DWORD_PTR ignored = 0;
  if (SendMessageTimeoutW(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(job->title.c_str()),
                          SMTO_ABORTIFHUNG, kSetTitleTimeoutMs, &ignored)) {
    ++job->done;
  }
  return TRUE;
}

// Sets the title of every running quote window; exit code 0 when at least one took it.
int SetRunningTitle(const std::string& title) {
  SetTitleJob job{Wide(title)};
  EnumWindows(SetTitleOfEach, reinterpret_cast<LPARAM>(&job));
  if (job.done == 0) {
    WriteStdErr("QuoteSim: no running QuoteSim window\n");
    return 1;
  }
  return 0;
}

int RunWindow(HINSTANCE instance, const std::string& title) {
  WNDCLASSW wc{};
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpfnWndProc = QuoteProc;
  wc.lpszClassName = kQuoteClass;
  if (!RegisterClassW(&wc)) return 1;
  HWND wnd = CreateWindowExW(0, kQuoteClass, Wide(title).c_str(), WS_OVERLAPPEDWINDOW, 760, 120,
                             480, 300, nullptr, nullptr, instance, nullptr);
  if (!wnd) {
    WriteStdErr("QuoteSim: cannot create the main window\n");
    return 1;
  }
  ShowWindow(wnd, SW_SHOWNOACTIVATE);
  UpdateWindow(wnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace
}  // namespace kovra::sim

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace kovra::sim;
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  QuoteOptions options;
  std::string error;
  if (!ParseQuoteOptions(CommandLineArgs(), options, error)) {
    WriteStdErr("QuoteSim: " + error + "\n" + QuoteUsage());
    return 2;
  }
  if (options.help) {
    WriteStdErr(QuoteUsage());
    return 0;
  }
  if (options.setTitle) return SetRunningTitle(*options.setTitle);
  return RunWindow(instance, options.title);
}
