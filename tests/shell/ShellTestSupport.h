// What the shell test programs share besides the shell layer's scope, which ShellTestSupport.cpp
// holds for the whole run as the program does (checking, not doing, the layer's start): finding
// and clicking a shell tree's nodes, a drop target that records what it is told, and scripts of
// user actions inside a modal window's loop.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/Timers.h"
#include "shell/RzShellTree.h"

namespace kovra::test {

// The child of `parent` (none when null) that shows `text`, or null.
TTreeNode* ChildNode(TTreeNode* parent, std::string_view text);
// The texts `parent`'s children show, in order.
std::vector<std::string> ChildTexts(TTreeNode* parent);
// A real click in the middle of `node`'s text.
void ClickNode(TRzCustomShellTree& tree, TTreeNode* node, bool right = false);

// A drop target of the test's own: records each call with its key state, point and offered
// effect, and answers `answer` (masked by what was offered) to every drag over.
class RecordingDropTarget final : public IDropTarget {
 public:
  explicit RecordingDropTarget(DWORD answer) : answer_(answer) {}
  RecordingDropTarget(const RecordingDropTarget&) = delete;
  RecordingDropTarget& operator=(const RecordingDropTarget&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  // It lives in the test's scope: counting keeps the calls honest, not its life.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD keys, POINTL point,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD keys, POINTL point, DWORD* effect) override;

  std::vector<std::string> calls;  // "enter", "over", "leave", "drop"
  std::vector<DWORD> keys, effects;
  std::vector<POINTL> points;

 private:
  void Record(const char* call, DWORD key, POINTL point, DWORD effect);
  DWORD answer_;
  ULONG refs_ = 1;
};

// Steps run one after the other from a timer while a modal loop runs (a window's, a menu's, a
// message box's); a step returns true once it is done and never blocks. After the deadline the
// menus and dialog boxes this process shows are closed, the window `target` names is asked to
// close, and the script says at which step it stood.
class ModalScript {
 public:
  using Step = std::function<bool()>;

  explicit ModalScript(std::function<HWND()> target,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20));
  ModalScript& Then(std::string name, Step step);
  void Start();
  bool Finished() const { return next_ == steps_.size(); }
  const std::string& Failure() const { return failure_; }

 private:
  void Tick();

  std::function<HWND()> target_;
  std::chrono::milliseconds timeout_;
  TTimer timer_;
  std::vector<std::pair<std::string, Step>> steps_;
  std::size_t next_ = 0;
  bool busy_ = false;
  ULONGLONG deadline_ = 0;
  std::string failure_;
};

}  // namespace kovra::test
