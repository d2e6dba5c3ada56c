#include "ShellTestSupport.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <optional>

#include "controls/RzStrings.h"
#include "shell/RzShellUtils.h"
#include "support/Input.h"
#include "support/Windows.h"

namespace kovra::test {
namespace {

// The apartment of this thread: CO_E_NOTINITIALIZED while COM is not running on it.
HRESULT Apartment(APTTYPE& type) {
  APTTYPEQUALIFIER qualifier{};
  return CoGetApartmentType(&type, &qualifier);
}

// The test programs hold the shell layer's scope as Kovra.exe does and leave its start to the
// code under test; they only check it. Nothing may start COM ahead of the layer, or a missing
// start-up would pass unseen. (Whether the thread is free of COM after the scope is not checked:
// Wine's own shell code keeps an apartment of its own open once windows have been shown.) The
// texts are English, whatever the prefix's interface language, unless a test picks Chinese.
class ShellEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    APTTYPE type{};
    EXPECT_EQ(Apartment(type), CO_E_NOTINITIALIZED) << "COM runs before the shell layer started";
    SetRzUiLanguage(TRzLanguage::English);
    scope_.emplace();
  }
  void TearDown() override { scope_.reset(); }

 private:
  std::optional<TRzShellLayerScope> scope_;
};
const auto* const kShellEnvironment = testing::AddGlobalTestEnvironment(new ShellEnvironment);

// After each test: a started layer runs COM as a single-threaded apartment, with OLE.
class ShellLayerCheck : public testing::EmptyTestEventListener {
  void OnTestEnd(const testing::TestInfo&) override {
    if (!ShellLayerStarted()) return;
    APTTYPE type{};
    const HRESULT hr = Apartment(type);
    EXPECT_TRUE(SUCCEEDED(hr) && (type == APTTYPE_STA || type == APTTYPE_MAINSTA))
        << "the shell layer's thread is no single-threaded apartment";
    EXPECT_TRUE(ShellOleInitialized()) << "the shell layer started without OLE";
  }
};
const bool kShellLayerCheck = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new ShellLayerCheck);
  return true;
}();

}  // namespace

TTreeNode* ChildNode(TTreeNode* parent, std::string_view text) {
  for (TTreeNode* c = parent ? parent->GetFirstChild() : nullptr; c; c = c->GetNextSibling())
    if (c->Text() == text) return c;
  return nullptr;
}

std::vector<std::string> ChildTexts(TTreeNode* parent) {
  std::vector<std::string> out;
  for (TTreeNode* c = parent ? parent->GetFirstChild() : nullptr; c; c = c->GetNextSibling())
    out.push_back(c->Text());
  return out;
}

void ClickNode(TRzCustomShellTree& tree, TTreeNode* node, bool right) {
  const RECT r = node->DisplayRect(true);
  ClickAt(tree.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2, right);
}

HRESULT RecordingDropTarget::QueryInterface(REFIID iid, void** out) {
  if (iid != IID_IUnknown && iid != IID_IDropTarget) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  *out = this;
  AddRef();
  return S_OK;
}

HRESULT RecordingDropTarget::DragEnter(IDataObject*, DWORD keys, POINTL point, DWORD* effect) {
  Record("enter", keys, point, *effect);
  return S_OK;
}

HRESULT RecordingDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
  Record("over", keys, point, *effect);
  *effect &= answer_;
  return S_OK;
}

HRESULT RecordingDropTarget::DragLeave() {
  calls.push_back("leave");
  return S_OK;
}

HRESULT RecordingDropTarget::Drop(IDataObject*, DWORD keys, POINTL point, DWORD* effect) {
  Record("drop", keys, point, *effect);
  return S_OK;
}

void RecordingDropTarget::Record(const char* call, DWORD key, POINTL point, DWORD effect) {
  calls.push_back(call);
  keys.push_back(key);
  points.push_back(point);
  effects.push_back(effect);
}

ModalScript::ModalScript(std::function<HWND()> target, std::chrono::milliseconds timeout)
    : target_(std::move(target)), timeout_(timeout), timer_(nullptr) {
  timer_.SetInterval(20);
  timer_.OnTimer = [this](TObject*) { Tick(); };
}

ModalScript& ModalScript::Then(std::string name, Step step) {
  steps_.push_back({std::move(name), std::move(step)});
  return *this;
}

void ModalScript::Start() {
  deadline_ = GetTickCount64() + static_cast<ULONGLONG>(timeout_.count());
  timer_.SetEnabled(true);
}

void ModalScript::Tick() {
  if (busy_ || Finished()) return;  // a step's own message loop ticks too
  busy_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{busy_};
  if (GetTickCount64() > deadline_) {
    failure_ = "timed out at step '" + steps_[next_].first + "'";
    next_ = steps_.size();
    EndMenu();
    for (HWND box : OwnDialogBoxes()) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    if (HWND window = target_ ? target_() : nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
    return;
  }
  if (steps_[next_].second()) ++next_;
}

}  // namespace kovra::test
