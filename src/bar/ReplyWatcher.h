// The trading client's reply to an order: a message box or dialog of its own that shows after
// the order button is pressed ("委托已提交，合同编号：…", "资金不足", a confirmation). Its static
// texts are read, bounded; it is never answered, which is the trader's to do.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kovra {

class TUtilityWindow;

class TReplyWatcher {
 public:
  static constexpr DWORD kWatchMs = 2000;
  static constexpr UINT kPollMs = 40;
  static constexpr int kMaxTexts = 16;           // static texts read from one window
  static constexpr std::size_t kMaxReply = 500;  // UTF-16 units kept of the whole reply

  // Called once per watch: with the reply's text, or empty when none came in time.
  using TReplyEvent = std::function<void(const std::string& reply)>;

  TReplyWatcher();
  ~TReplyWatcher();
  TReplyWatcher(const TReplyWatcher&) = delete;
  TReplyWatcher& operator=(const TReplyWatcher&) = delete;

  // Notes the visible top-level windows that process `pid` shows now, just before the press:
  // only a window that is not among them can be a reply.
  void Snapshot(DWORD pid);
  // Watches for kWatchMs from now, on a timer: the bar goes on meanwhile. A watch still running
  // is finished first.
  void Watch(TReplyEvent done);
  // Ends the watch at once, with a reply if one shows now.
  void Finish();
  bool Watching() const { return static_cast<bool>(done_); }

  // The static texts of `window`, in order, joined by blanks; empty when it has none. Read with
  // messages that a hung program cannot hold up.
  static std::string ReadStaticTexts(HWND window);

 private:
  bool Poll();
  void Deliver(const std::string& reply);
  std::vector<HWND> NewWindows() const;

  std::unique_ptr<TUtilityWindow> window_;
  DWORD pid_ = 0;
  std::vector<HWND> before_;
  DWORD started_ = 0;
  TReplyEvent done_;
};

}  // namespace kovra
