// What the shell test programs share besides the shell layer's state, which
// ShellTestSupport.cpp sets up once for the whole run: finding and clicking a shell tree's nodes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/RzShellTree.h"

namespace kovra::test {

// The child of `parent` (none when null) that shows `text`, or null.
TTreeNode* ChildNode(TTreeNode* parent, std::string_view text);
// The texts `parent`'s children show, in order.
std::vector<std::string> ChildTexts(TTreeNode* parent);
// A real click in the middle of `node`'s text.
void ClickNode(TRzCustomShellTree& tree, TTreeNode* node, bool right = false);

}  // namespace kovra::test
