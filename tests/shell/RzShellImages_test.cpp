// The system image lists stay in step with the icon indices the shell hands out, and carry the
// shared-folder and shortcut overlays the shell controls draw.
#include <windows.h>
// The list's interface needs the common controls' types first.
#include <commctrl.h>
#include <commoncontrols.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "framework/WindowClass.h"
#include "shell/RzComBase.h"
#include "shell/RzShellUtils.h"
#include "support/TestPaths.h"

namespace kovra {
namespace {

constexpr COLORREF kBackground = RGB(255, 0, 255);

// What an image or icon looks like drawn over a fixed background, pixel by pixel, at the size
// of the given list's images.
class Picture {
 public:
  explicit Picture(HIMAGELIST list) {
    ImageList_GetIconSize(list, &width_, &height_);
    const int width = width_, height = height_;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = MemoryDC(CreateCompatibleDC(nullptr));
    bitmap_ = GdiObject<HBITMAP>(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS,
                                                  reinterpret_cast<void**>(&bits_), nullptr, 0));
    select_.emplace(dc_.Get(), bitmap_.Get());
    for (int i = 0; i < width * height; ++i) bits_[i] = 0x00FF00FF;  // kBackground as BGRA
  }
  HDC Dc() const { return dc_.Get(); }
  void DrawImage(HIMAGELIST list, int index, UINT style = ILD_NORMAL) {
    ImageList_Draw(list, index, Dc(), 0, 0, style);
  }
  // `resource` < 0 names an icon resource, otherwise the icon's position in the file.
  bool DrawIconFrom(const wchar_t* file, int resource) {
    HICON raw = nullptr;
    if (PrivateExtractIconsW(file, resource, width_, height_, &raw, nullptr, 1, 0) != 1 || !raw)
      return false;
    IconHandle icon(raw);
    return DrawIconEx(Dc(), 0, 0, icon.Get(), width_, height_, 0, nullptr, DI_NORMAL) != FALSE;
  }
  // Pixels of the two pictures that differ by more than a rounding step in some channel.
  int Differences(const Picture& other) const {
    GdiFlush();
    int count = 0;
    for (int i = 0; i < width_ * height_; ++i)
      for (int shift = 0; shift < 24; shift += 8) {
        const int a = (bits_[i] >> shift) & 0xFF, b = (other.bits_[i] >> shift) & 0xFF;
        if (std::abs(a - b) > 8) {
          ++count;
          break;
        }
      }
    return count;
  }
  // Pixels the drawing changed from the background.
  int Painted() const {
    GdiFlush();
    int count = 0;
    for (int i = 0; i < width_ * height_; ++i) count += (bits_[i] & 0xFFFFFF) != 0x00FF00FF;
    return count;
  }

 private:
  int width_ = 0, height_ = 0;
  MemoryDC dc_;
  GdiObject<HBITMAP> bitmap_;
  std::uint32_t* bits_ = nullptr;
  std::optional<SelectObjectScope> select_;
};

// Where the shell says the icon of `path` comes from.
SHFILEINFOW IconLocation(const std::wstring& path) {
  SHFILEINFOW info{};
  EXPECT_NE(SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_ICONLOCATION), 0u);
  EXPECT_NE(info.szDisplayName[0], 0) << Narrow(path) << ": the shell names no icon file";
  return info;
}

int IconIndex(const std::wstring& path, UINT size) {
  SHFILEINFOW info{};
  EXPECT_NE(SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | size), 0u);
  return info.iIcon;
}

std::wstring Shell32Path() {
  wchar_t path[MAX_PATH]{};
  GetModuleFileNameW(GetModuleHandleW(L"shell32.dll"), path, MAX_PATH);
  return path;
}

void MakeShortcut(const std::wstring& at, const std::wstring& target, int iconResource) {
  EnsureShellLayer();  // the test's own use of COM, started as the program's first use does
  ComPtr<IShellLinkW> link;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IShellLinkW, link.PutVoid()));
  ASSERT_HRESULT_SUCCEEDED(link->SetPath(target.c_str()));
  ASSERT_HRESULT_SUCCEEDED(link->SetIconLocation(Shell32Path().c_str(), -iconResource));
  ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
  ASSERT_TRUE(file);
  ASSERT_HRESULT_SUCCEEDED(file->Save(at.c_str(), TRUE));
}

// Icons the shell first meets after our lists were set up (a new folder's, shortcuts naming
// icons nobody asked for yet) must still show as themselves in both lists.
TEST(SystemImageListTest, IconsMetAfterwardsDrawAsThemselvesInBothSizes) {
  HIMAGELIST small = SystemImageList(sisSmall);
  HIMAGELIST large = SystemImageList(sisLarge);
  ASSERT_NE(small, nullptr);
  ASSERT_NE(large, nullptr);

  test::ScratchDir scratch;
  const std::wstring folder = scratch.Path() + L"pictures";
  const std::wstring nested = folder + L"\\inner";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(nested.c_str(), nullptr));
  const std::wstring printer = scratch.Path() + L"printer.lnk";
  const std::wstring network = scratch.Path() + L"network.lnk";
  MakeShortcut(printer, folder, 17);
  MakeShortcut(network, nested, 18);

  for (const std::wstring& path : {folder, nested, printer, network}) {
    SCOPED_TRACE(Narrow(path));
    const int smallIndex = IconIndex(path, SHGFI_SMALLICON);
    const int largeIndex = IconIndex(path, SHGFI_LARGEICON);
    EXPECT_EQ(smallIndex, largeIndex);  // one index serves both sizes
    ASSERT_GE(smallIndex, 0);
    ASSERT_LT(smallIndex, ImageList_GetImageCount(small));
    ASSERT_LT(largeIndex, ImageList_GetImageCount(large));
    // The reference is the icon loaded afresh from where the shell says it comes from.
    const SHFILEINFOW location = IconLocation(path);
    for (const auto& [list, index] : {std::pair{small, smallIndex}, std::pair{large, largeIndex}}) {
      Picture expected(list), drawn(list);
      ASSERT_TRUE(expected.DrawIconFrom(location.szDisplayName, location.iIcon))
          << Narrow(location.szDisplayName) << "," << location.iIcon;
      ASSERT_GT(expected.Painted(), 0);
      drawn.DrawImage(list, index);
      EXPECT_LE(drawn.Differences(expected), 2);
    }
  }
}

// Whether overlay `overlay` of `list` is image `index`. Wine's list answers the reverse
// question (which overlay an image is), so either answer counts.
bool IsOverlayImage(HIMAGELIST list, int overlay, int index) {
  auto* images = reinterpret_cast<IImageList*>(list);
  int answer = -1;
  if (SUCCEEDED(images->GetOverlayImage(overlay, &answer)) && answer == index) return true;
  return SUCCEEDED(images->GetOverlayImage(index, &answer)) && answer == overlay;
}

// The last image of `list` that looks like the icon `resource` of shell32; -1 when none does.
int FindShellIcon(HIMAGELIST list, int resource) {
  Picture expected(list);
  if (!expected.DrawIconFrom(Shell32Path().c_str(), -resource)) return -1;
  for (int index = ImageList_GetImageCount(list) - 1; index >= 0; --index) {
    Picture drawn(list);
    drawn.DrawImage(list, index);
    if (drawn.Differences(expected) <= 2) return index;
  }
  return -1;
}

// Overlay images 1 and 2 are the shell's shared hand and shortcut arrow, at one index in both
// sizes, so that they cost the shell's later icons nothing.
TEST(SystemImageListTest, OverlaysOneAndTwoAreTheShareHandAndShortcutArrow) {
  HIMAGELIST small = SystemImageList(sisSmall);
  HIMAGELIST large = SystemImageList(sisLarge);
  ASSERT_NE(small, nullptr);
  ASSERT_NE(large, nullptr);
  for (int overlay = 1; overlay <= 2; ++overlay) {
    SCOPED_TRACE(testing::Message() << "overlay " << overlay);
    const int index = FindShellIcon(small, 28 + overlay);
    ASSERT_GE(index, 0);
    EXPECT_EQ(FindShellIcon(large, 28 + overlay), index);
    EXPECT_TRUE(IsOverlayImage(small, overlay, index));
    EXPECT_TRUE(IsOverlayImage(large, overlay, index));
  }
  EXPECT_EQ(ImageList_GetImageCount(small), ImageList_GetImageCount(large));
}

// Where the shell has no icon cache to add through, the overlay icons go into every list at one
// index, each at its list's size, or into none of them.
TEST(SystemImageListTest, IconsAddedInStepGoEverywhereAtOneIndexOrNowhere) {
  EnsureShellLayer();  // its start loads shell32, whose icons are added
  HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
  ASSERT_NE(shell32, nullptr);
  ImageListHandle owned[] = {
      ImageListHandle(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1)),
      ImageListHandle(ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 1)),
      ImageListHandle(ImageList_Create(48, 48, ILC_COLOR32 | ILC_MASK, 1, 1))};
  const HIMAGELIST lists[] = {owned[0].Get(), owned[1].Get(), owned[2].Get()};
  const auto counts = [&] {
    return std::vector<int>{ImageList_GetImageCount(lists[0]), ImageList_GetImageCount(lists[1]),
                            ImageList_GetImageCount(lists[2])};
  };
  for (HIMAGELIST list : lists) ASSERT_TRUE(list);

  EXPECT_EQ(AddIconInStep(lists, shell32, 4), 0);
  EXPECT_EQ(AddIconInStep(lists, shell32, 29), 1);
  EXPECT_EQ(counts(), (std::vector<int>{2, 2, 2}));
  for (HIMAGELIST list : lists) {  // each at its own size, not one size stretched
    Picture expected(list), drawn(list);
    ASSERT_TRUE(expected.DrawIconFrom(Shell32Path().c_str(), -29));
    drawn.DrawImage(list, 1);
    EXPECT_LE(drawn.Differences(expected), 2);
  }

  // An icon the module lacks adds nothing anywhere.
  EXPECT_EQ(AddIconInStep(lists, shell32, 0x7FFF), -1);
  EXPECT_EQ(counts(), (std::vector<int>{2, 2, 2}));
  // Lists already out of step are left as they are.
  ASSERT_EQ(AddIconInStep(std::span(lists, 1), shell32, 30), 2);
  EXPECT_EQ(AddIconInStep(lists, shell32, 30), -1);
  EXPECT_EQ(counts(), (std::vector<int>{3, 2, 2}));
  EXPECT_EQ(AddIconInStep({}, shell32, 30), -1);
}

}  // namespace
}  // namespace kovra
