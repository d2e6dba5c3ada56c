// Image lists over comctl32.
#include "framework/ImgList.h"

#include <algorithm>

namespace kovra {

namespace {

// A monochrome mask of width x height from `mask`: its white pixels become 1 (transparent);
// everything else, including the part `mask` does not cover, stays 0 (opaque).
BitmapHandle MonochromeMask(const TBitmap* mask, int width, int height) {
  const int stride = ((width + 15) / 16) * 2;  // CreateBitmap rows are word-aligned
  std::vector<std::uint8_t> bits(size_t(stride) * height, 0);
  if (mask) {
    const int rows = std::min(height, mask->Height()), columns = std::min(width, mask->Width());
    for (int y = 0; y < rows; ++y) {
      const std::uint32_t* line = mask->ScanLine(y);
      for (int x = 0; x < columns; ++x)
        if ((line[x] & 0x00FFFFFF) == 0x00FFFFFF)
          bits[size_t(y) * stride + x / 8] |= 0x80 >> (x % 8);
    }
  }
  BitmapHandle result(CreateBitmap(width, height, 1, 1, bits.data()));
  if (!result) RaiseLastOSError("CreateBitmap");
  return result;
}

}  // namespace

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(*this);
}

TImageList::TImageList(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)) {
  list_.Reset(ImageList_Create(width_, height_, ILC_COLOR32 | ILC_MASK, 4, 4));
  if (!list_) RaiseLastOSError("ImageList_Create");
  ImageList_SetBkColor(list_.Get(), CLR_NONE);
}

TImageList::~TImageList() {
  if (takenOver_ && shareImages_) list_.Release();
  while (!links_.empty()) {
    TChangeLink* link = links_.back();
    links_.pop_back();
    link->sender_ = nullptr;
    if (link->OnFree) link->OnFree(this);
  }
}

void TImageList::SetHandle(HIMAGELIST list) {
  if (list == list_.Get()) return;
  int width = 0, height = 0;
  if (!list || !ImageList_GetIconSize(list, &width, &height))
    throw EInvalidOperation("Invalid image list handle");
  // The list made here is always ours to destroy, whatever ShareImages says: only a list taken
  // over may belong to someone else.
  if (takenOver_ && shareImages_) list_.Release();
  list_.Reset(list);
  takenOver_ = true;
  width_ = width;
  height_ = height;
  Changed();
}

TColor TImageList::BkColor() const {
  const COLORREF color = ImageList_GetBkColor(list_.Get());
  return color == CLR_NONE ? clNone : FromColorRef(color);
}

void TImageList::SetBkColor(TColor color) {
  const COLORREF ref = color == clNone ? CLR_NONE : ToColorRef(color);
  if (ImageList_GetBkColor(list_.Get()) == ref) return;
  ImageList_SetBkColor(list_.Get(), ref);
  Changed();
}

void TImageList::Overlay(int index, int overlay) {
  CheckIndex(index);
  if (overlay < 0 || overlay > 14) throw EInvalidOperation("Invalid overlay index");
  if (!ImageList_SetOverlayImage(list_.Get(), index, overlay + 1))
    throw EInvalidOperation("Cannot set overlay image " + std::to_string(index));
}

void TImageList::SetSize(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width == width_ && height == height_) return;
  if (!ImageList_SetIconSize(list_.Get(), width, height)) RaiseLastOSError("ImageList_SetIconSize");
  width_ = width;
  height_ = height;
  Changed();
}

int TImageList::Count() const {
  return ImageList_GetImageCount(list_.Get());
}

void TImageList::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw EInvalidOperation("Invalid image list index " + std::to_string(index));
}

int TImageList::Add(const TBitmap& image, const TBitmap* mask) {
  if (image.Empty()) throw EInvalidGraphic("Cannot add an empty bitmap to an image list");
  // Copies: the list must not get a bitmap that is selected into a DC.
  BitmapHandle color = image.CopyHandle();
  BitmapHandle monochrome = MonochromeMask(mask, image.Width(), image.Height());
  const int index = ImageList_Add(list_.Get(), color.Get(), monochrome.Get());
  if (index < 0) throw EInvalidOperation("Cannot add an image to the image list");
  Changed();
  return index;
}

int TImageList::AddMasked(const TBitmap& image, TColor maskColor) {
  if (image.Empty()) throw EInvalidGraphic("Cannot add an empty bitmap to an image list");
  if (maskColor == clDefault) maskColor = image.TransparentColor();
  if (maskColor == clNone) return Add(image);
  BitmapHandle color = image.CopyHandle();
  const int index = ImageList_AddMasked(list_.Get(), color.Get(), ToColorRef(maskColor));
  if (index < 0) throw EInvalidOperation("Cannot add an image to the image list");
  Changed();
  return index;
}

int TImageList::AddIcon(const TIcon& icon) {
  if (!icon.Handle()) throw EInvalidGraphic("Cannot add an empty icon to an image list");
  const int index = ImageList_ReplaceIcon(list_.Get(), -1, icon.Handle());
  if (index < 0) throw EInvalidOperation("Cannot add an icon to the image list");
  Changed();
  return index;
}

void TImageList::Replace(int index, const TBitmap& image, const TBitmap* mask) {
  CheckIndex(index);
  if (image.Empty()) throw EInvalidGraphic("Cannot put an empty bitmap into an image list");
  BitmapHandle color = image.CopyHandle();
  BitmapHandle monochrome = MonochromeMask(mask, image.Width(), image.Height());
  if (!ImageList_Replace(list_.Get(), index, color.Get(), monochrome.Get()))
    throw EInvalidOperation("Cannot replace image " + std::to_string(index));
  Changed();
}

void TImageList::Delete(int index) {
  CheckIndex(index);
  ImageList_Remove(list_.Get(), index);
  Changed();
}

void TImageList::Clear() {
  if (Count() == 0) return;
  ImageList_Remove(list_.Get(), -1);
  Changed();
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
  HDC dc = canvas.Handle();
  if (!dc) throw EInvalidOperation("Canvas does not allow drawing");
  if (index < 0 || index >= Count()) return;
  if (!enabled) {
    DrawDisabled(canvas, x, y, index, 0);
    return;
  }
  // CLR_DEFAULT: the list's own background colour, transparent while it is CLR_NONE.
  ImageList_DrawEx(list_.Get(), index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_NONE, ILD_NORMAL);
}

void TImageList::DrawOverlay(TCanvas& canvas, int x, int y, int index, int overlay,
                             bool enabled) const {
  HDC dc = canvas.Handle();
  if (!dc) throw EInvalidOperation("Canvas does not allow drawing");
  if (index < 0 || index >= Count()) return;
  const UINT overlayStyle = overlay >= 0 && overlay <= 14 ? INDEXTOOVERLAYMASK(overlay + 1) : 0;
  if (!enabled) {
    DrawDisabled(canvas, x, y, index, overlayStyle);
    return;
  }
  ImageList_DrawEx(list_.Get(), index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_NONE,
                   ILD_NORMAL | overlayStyle);
}

// The image is drawn once on black and once on white: where the two agree the image is opaque,
// where they differ by d its coverage is 255 - d. That works alike for masks and alpha channels.
void TImageList::DrawDisabled(TCanvas& canvas, int x, int y, int index, UINT overlayStyle) const {
  TBitmap onBlack(width_, height_), onWhite(width_, height_), back(width_, height_);
  for (int row = 0; row < height_; ++row) std::fill_n(onWhite.ScanLine(row), width_, 0xFFFFFFu);
  ImageList_DrawEx(list_.Get(), index, onBlack.SourceDC(), 0, 0, 0, 0, CLR_NONE, CLR_NONE,
                   ILD_TRANSPARENT | overlayStyle);
  ImageList_DrawEx(list_.Get(), index, onWhite.SourceDC(), 0, 0, 0, 0, CLR_NONE, CLR_NONE,
                   ILD_TRANSPARENT | overlayStyle);
  BitBlt(back.SourceDC(), 0, 0, width_, height_, canvas.Handle(), x, y, SRCCOPY);
  for (int row = 0; row < height_; ++row) {
    const std::uint32_t* black = onBlack.ScanLine(row);
    const std::uint32_t* white = onWhite.ScanLine(row);
    std::uint32_t* out = back.ScanLine(row);
    for (int col = 0; col < width_; ++col) {
      int coverage = 0, luminance = 0;
      static constexpr int kWeights[3] = {29, 150, 77};  // blue, green, red out of 256
      for (int c = 0; c < 3; ++c) {
        const int b = (black[col] >> (8 * c)) & 0xFF, w = (white[col] >> (8 * c)) & 0xFF;
        const int a = std::clamp(255 - (w - b), 0, 255);
        coverage += a;
        luminance += kWeights[c] * (a ? std::min(255, b * 255 / a) : 0);
      }
      coverage /= 3;
      if (coverage == 0) continue;
      const int grey = ((luminance >> 8) + 192) / 2;  // lightened: a disabled look
      std::uint32_t blended = 0;
      for (int c = 0; c < 3; ++c) {
        const int under = (out[col] >> (8 * c)) & 0xFF;
        blended |= static_cast<std::uint32_t>((under * (255 - coverage) + grey * coverage) / 255)
                   << (8 * c);
      }
      out[col] = blended;
    }
  }
  BitBlt(canvas.Handle(), x, y, width_, height_, back.SourceDC(), 0, 0, SRCCOPY);
}

TIcon TImageList::GetIcon(int index) const {
  CheckIndex(index);
  HICON icon = ImageList_GetIcon(list_.Get(), index, ILD_TRANSPARENT);
  if (!icon) RaiseLastOSError("ImageList_GetIcon");
  return TIcon(icon);
}

void TImageList::RegisterChanges(TChangeLink& link) {
  if (link.sender_ == this) return;
  if (link.sender_) link.sender_->UnRegisterChanges(link);
  link.sender_ = this;
  links_.push_back(&link);
}

void TImageList::UnRegisterChanges(TChangeLink& link) {
  if (link.sender_ != this) return;
  link.sender_ = nullptr;
  links_.erase(std::remove(links_.begin(), links_.end(), &link), links_.end());
}

void TImageList::Changed() {
  if (OnChange) OnChange(this);
  // A listener may unregister or destroy itself (or another) while being told.
  for (TChangeLink* link : std::vector<TChangeLink*>(links_)) {
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) continue;
    if (link->OnChange) link->OnChange(this);
  }
}

}  // namespace kovra
