#include "ShellTestSupport.h"

#include <gtest/gtest.h>

#include "shell/RzShellUtils.h"
#include "support/Input.h"

namespace kovra::test {
namespace {

// COM, OLE and the shell's allocator for the whole run, ended after the last test.
class ShellEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    InitializeShellUtils();
    InitializeShellControls();
  }
  void TearDown() override {
    FinalizeShellControls();
    FinalizeShellUtils();
  }
};
const auto* const kShellEnvironment = testing::AddGlobalTestEnvironment(new ShellEnvironment);

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

}  // namespace kovra::test
