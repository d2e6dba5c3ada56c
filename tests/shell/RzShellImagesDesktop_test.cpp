// The shell tree and list on a form draw each item's own icon from the system lists, the tree's
// root included.
#include "shell/RzShellTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <climits>
#include <memory>
#include <string>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "framework/WindowClass.h"
#include "shell/RzShellList.h"
#include "support/Pump.h"
#include "support/TestForm.h"
#include "support/TestPaths.h"

namespace kovra {
namespace {

// The icon the shell names for `path` (its open look when `open`), loaded afresh from its file
// and drawn at `size` pixels over `background`.
TBitmap ExpectedIcon(const std::string& path, bool open, int size, COLORREF background) {
  TBitmap picture(size, size);
  for (int y = 0; y < size; ++y)
    std::fill_n(picture.ScanLine(y), size, TBitmap::ColorToPixel(static_cast<TColor>(background)));
  SHFILEINFOW info{};
  const UINT flags = SHGFI_ICONLOCATION | (open ? SHGFI_OPENICON : 0u);
  EXPECT_NE(SHGetFileInfoW(Wide(path).c_str(), 0, &info, sizeof(info), flags), 0u) << path;
  HICON raw = nullptr;
  EXPECT_EQ(PrivateExtractIconsW(info.szDisplayName, info.iIcon, size, size, &raw, nullptr, 1, 0),
            1u)
      << Narrow(info.szDisplayName) << "," << info.iIcon;
  IconHandle icon(raw);
  if (icon)
    DrawIconEx(picture.Canvas().Handle(), 0, 0, icon.Get(), size, size, 0, nullptr, DI_NORMAL);
  GdiFlush();
  return picture;
}

// The fewest pixels that differ (beyond rounding) between `expected` and a same-sized part of
// `shot` whose top-left corner lies in `area`, counting only the shot's lines from `firstLine` to
// before `endLine` (a row a pixel lower than its icon clips the icon).
int BestMatch(TBitmap& shot, TBitmap& expected, RECT area, int firstLine, int endLine) {
  int best = INT_MAX;
  const int w = expected.Width(), h = expected.Height();
  firstLine = std::max(firstLine, 0);
  endLine = std::min(endLine, shot.Height());
  for (int top = area.top; top <= area.bottom; ++top)
    for (int left = std::max(0L, area.left); left <= area.right && left + w <= shot.Width();
         ++left) {
      int differences = 0;
      for (int y = std::max(0, firstLine - top); y < h && top + y < endLine && differences < best;
           ++y) {
        const std::uint32_t* a = shot.ScanLine(top + y) + left;
        const std::uint32_t* b = expected.ScanLine(y);
        for (int x = 0; x < w; ++x)
          for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(static_cast<int>((a[x] >> shift) & 0xFF) -
                         static_cast<int>((b[x] >> shift) & 0xFF)) > 8) {
              ++differences;
              break;
            }
      }
      best = std::min(best, differences);
    }
  return best;
}

COLORREF Background(COLORREF reported) {
  return reported == CLR_NONE || reported == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : reported;
}

// A tree and an icon-view list over one scratch folder, side by side on a form.
class ShellImagesTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = Narrow(scratch_.Path());
    root_.pop_back();  // the shell names folders without the trailing backslash
    for (const char* dir : {"\\alpha", "\\alpha\\inner", "\\beta"})
      ASSERT_TRUE(CreateDirectoryW(Wide(root_ + dir).c_str(), nullptr)) << dir;
    KernelHandle file(CreateFileW(Wide(root_ + "\\note.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    form_ = test::NewForm(40, 40, 640, 400);
    tree_ = test::Place<TRzShellTree>(*form_, 8, 8, 300, 340);
    list_ = test::Place<TRzShellList>(*form_, 316, 8, 300, 340);
    list_->SetViewStyle(vsIcon);
    tree_->BaseFolder().SetPath(root_);
    list_->SetFolderPath(root_);
    test::ShowInFront(*form_);
    ASSERT_TRUE(test::PumpUntil(
        [&] { return tree_->Items().Count() >= 3 && list_->Items().Count() == 3; }));
    RedrawWindow(form_->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Application().ProcessMessages();
  }
  void TearDown() override { form_.reset(); }

  // How closely the icon area of tree node `node` shows the icon of `path`.
  int TreeIconMatch(TTreeNode* node, const std::string& path) {
    TBitmap shot = test::CaptureClient(*tree_);
    const RECT row = node->DisplayRect(false);
    const RECT text = node->DisplayRect(true);
    const auto bk = static_cast<COLORREF>(SendMessageW(tree_->Handle(), TVM_GETBKCOLOR, 0, 0));
    TBitmap expected = ExpectedIcon(path, node->Selected(), 16, Background(bk));
    return BestMatch(shot, expected, RECT{text.left - 24, row.top - 2, text.left - 16, row.top + 2},
                     row.top, row.bottom);
  }
  // How closely the icon area of list item `index` shows the large icon of `path`.
  int ListIconMatch(int index, const std::string& path) {
    TBitmap shot = test::CaptureClient(*list_);
    RECT icon{LVIR_ICON, 0, 0, 0};
    SendMessageW(list_->Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&icon));
    const auto bk = static_cast<COLORREF>(SendMessageW(list_->Handle(), LVM_GETBKCOLOR, 0, 0));
    TBitmap expected = ExpectedIcon(path, false, 32, Background(bk));
    return BestMatch(shot, expected, RECT{icon.left, icon.top, icon.right - 32, icon.bottom - 32},
                     icon.top, icon.bottom);
  }
  int ListIndex(const std::string& name) {
    for (int i = 0; i < list_->Items().Count(); ++i)
      if (list_->ListData(list_->Items()[i])->FileName() == name) return i;
    return -1;
  }

  test::ScratchDir scratch_;
  std::string root_;
  std::unique_ptr<TForm> form_;
  TRzShellTree* tree_ = nullptr;
  TRzShellList* list_ = nullptr;
};

TEST_F(ShellImagesTest, TreeRootAndChildrenShowTheirOwnIcons) {
  TTreeNode* root = tree_->RootNode();
  ASSERT_NE(root, nullptr);
  ASSERT_TRUE(root->Selected());  // drawn with its open look
  EXPECT_LE(TreeIconMatch(root, root_), 2);
  TTreeNode* alpha = root->GetFirstChild();
  ASSERT_NE(alpha, nullptr);
  ASSERT_EQ(alpha->Text(), "alpha");
  EXPECT_LE(TreeIconMatch(alpha, root_ + "\\alpha"), 2);

  // Once another node is selected, the root shows its closed look.
  tree_->SetSelected(alpha);
  Application().ProcessMessages();
  ASSERT_FALSE(root->Selected());
  EXPECT_LE(TreeIconMatch(root, root_), 2);
  EXPECT_LE(TreeIconMatch(alpha, root_ + "\\alpha"), 2);
}

// Folders only: for a file of no registered type the shell names an icon file position that is
// not the image it shows.
TEST_F(ShellImagesTest, ListShowsEachFoldersLargeIcon) {
  for (const char* name : {"alpha", "beta"}) {
    SCOPED_TRACE(name);
    const int index = ListIndex(name);
    ASSERT_GE(index, 0);
    EXPECT_LE(ListIconMatch(index, root_ + "\\" + name), 4);
  }
}

}  // namespace
}  // namespace kovra
