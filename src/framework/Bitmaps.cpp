// Bitmaps (32 bpp DIB sections) and icons.
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "framework/Graphics.h"
#include "framework/runtime/BmpFormat.h"
#include "framework/runtime/Text.h"

namespace kovra {

namespace {

std::wstring Wide(std::string_view utf8) {
  const std::u16string u = Utf8ToUtf16(utf8);
  return std::wstring(u.begin(), u.end());
}

// Resource names are strings or MAKEINTRESOURCE ordinals; `name` carries the string form.
struct ResourceName {
  std::wstring text;
  const wchar_t* id = nullptr;
  const wchar_t* Get() const { return id ? id : text.c_str(); }
};

BitmapHandle CreateDib(int width, int height, std::uint32_t** bits) {
  if (width <= 0 || height <= 0 || width > kMaxBmpSide || height > kMaxBmpSide ||
      std::int64_t{width} * height > kMaxBmpPixels)
    throw EInvalidGraphic("Bitmap size is out of range");
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  BitmapHandle dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!dib || !pixels) RaiseLastOSError("CreateDIBSection");
  *bits = static_cast<std::uint32_t*>(pixels);
  return dib;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  const std::wstring wide = Wide(path);
  KernelHandle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) RaiseLastOSError("Cannot open file \"" + path + "\"");
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) RaiseLastOSError("Cannot read file \"" + path + "\"");
  constexpr LONGLONG kLimit = 64 + kMaxBmpPixels * 4 + 1024;  // the largest bitmap we accept
  if (size.QuadPart > kLimit) throw EInvalidGraphic("File \"" + path + "\" is too large");
  std::vector<std::uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    if (!ReadFile(file.Get(), bytes.data() + done, want, &chunk, nullptr))
      RaiseLastOSError("Cannot read file \"" + path + "\"");
    if (chunk == 0) break;  // the file shrank under us
    done += chunk;
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace

// --- TGraphic ----------------------------------------------------------------------------------

void TGraphic::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  Changed();
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

// --- TBitmap -----------------------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) {
  SetSize(width, height);
}

TBitmap::~TBitmap() {
  canvas_.reset();
  DetachFromDC();
}

// A new bitmap has no OnChange yet, so the assignment's change notice reaches nobody.
TBitmap::TBitmap(TBitmap&& other) noexcept {
  *this = std::move(other);
}

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept {
  if (this == &other) return *this;
  AssignTransparent(other);
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  std::swap(bitmap_, other.bitmap_);
  std::swap(bits_, other.bits_);
  std::swap(dc_, other.dc_);
  std::swap(oldBitmap_, other.oldBitmap_);
  std::swap(canvas_, other.canvas_);
  transparentMode_ = other.transparentMode_;
  transparentColor_ = other.transparentColor_;
  Changed();
  return *this;
}

void TBitmap::DetachFromDC() const {
  if (oldBitmap_) SelectObject(dc_.Get(), std::exchange(oldBitmap_, nullptr));
}

HDC TBitmap::SourceDC() const {
  if (!dc_) {
    dc_.Reset(CreateCompatibleDC(nullptr));
    if (!dc_) RaiseLastOSError("CreateCompatibleDC");
  }
  if (bitmap_ && !oldBitmap_) {
    oldBitmap_ = SelectObject(dc_.Get(), bitmap_.Get());
    if (oldBitmap_ == HGDI_ERROR) oldBitmap_ = nullptr;
    if (!oldBitmap_) throw EInvalidOperation("Cannot select the bitmap");
  }
  return dc_.Get();
}

void TBitmap::AdoptPixels(BitmapHandle bitmap, int width, int height, std::uint32_t* bits) {
  DetachFromDC();
  bitmap_ = std::move(bitmap);
  bits_ = bits;
  width_ = bitmap_ ? width : 0;
  height_ = bitmap_ ? height : 0;
  if (dc_) SourceDC();  // the canvas keeps drawing on the new picture
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  std::uint32_t* bits = nullptr;
  BitmapHandle dib;
  if (width > 0 && height > 0) {
    dib = CreateDib(width, height, &bits);
    if (bits_) {
      GdiFlush();
      const int rows = std::min(height, height_), columns = std::min(width, width_);
      for (int y = 0; y < rows; ++y)
        std::memcpy(bits + size_t(y) * width, bits_ + size_t(y) * width_, columns * 4u);
    }
  }
  AdoptPixels(std::move(dib), width, height, bits);
  Changed();
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TCanvas>(SourceDC());
  return *canvas_;
}

BitmapHandle TBitmap::CopyHandle() const {
  if (Empty()) return {};
  std::uint32_t* bits = nullptr;
  BitmapHandle dib = CreateDib(width_, height_, &bits);
  GdiFlush();
  std::memcpy(bits, bits_, size_t(width_) * height_ * 4);
  return dib;
}

void TBitmap::LoadFromHandle(HBITMAP source) {
  BITMAP info{};
  if (!source || GetObjectW(source, sizeof info, &info) == 0)
    throw EInvalidGraphic("Invalid bitmap handle");
  const int width = info.bmWidth, height = std::abs(info.bmHeight);
  std::uint32_t* bits = nullptr;
  BitmapHandle dib = CreateDib(width, height, &bits);
  BITMAPINFO request{};
  request.bmiHeader.biSize = sizeof request.bmiHeader;
  request.bmiHeader.biWidth = width;
  request.bmiHeader.biHeight = -height;
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  WindowDC screen(nullptr);
  if (GetDIBits(screen.Get(), source, 0, height, bits, &request, DIB_RGB_COLORS) != height)
    throw EInvalidGraphic("Cannot read the bitmap's pixels");
  AdoptPixels(std::move(dib), width, height, bits);
  Changed();
}

std::uint32_t* TBitmap::ScanLine(int y) {
  if (y < 0 || y >= height_) throw EInvalidGraphic("Scan line index out of range");
  GdiFlush();
  return bits_ + size_t(y) * width_;
}

const std::uint32_t* TBitmap::ScanLine(int y) const {
  return const_cast<TBitmap*>(this)->ScanLine(y);
}

TColor TBitmap::TransparentColor() const {
  if (transparentMode_ == tmFixed) return transparentColor_;
  if (Empty()) return clNone;
  return PixelToColor(ScanLine(height_ - 1)[0]);
}

void TBitmap::SetTransparentColor(TColor color) {
  if (transparentMode_ == tmFixed && transparentColor_ == color) return;
  transparentColor_ = color;
  transparentMode_ = tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
  if (transparentMode_ == mode) return;
  transparentMode_ = mode;
  Changed();
}

void TBitmap::LoadFromResource(HINSTANCE instance, std::string_view name) {
  const std::wstring wide = Wide(name);
  BitmapHandle loaded(static_cast<HBITMAP>(
      LoadImageW(instance, wide.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!loaded) throw EInvalidGraphic("Bitmap resource \"" + std::string(name) + "\" not found");
  LoadFromHandle(loaded.Get());
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id) {
  BitmapHandle loaded(static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!loaded) throw EInvalidGraphic("Bitmap resource #" + std::to_string(id) + " not found");
  LoadFromHandle(loaded.Get());
}

void TBitmap::LoadFromFile(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
  LoadFromMemory(bytes);
}

void TBitmap::LoadFromMemory(std::span<const std::uint8_t> bytes) {
  BmpImage image;
  std::string error;
  if (!DecodeBmp(bytes, image, error)) throw EInvalidGraphic(error);
  std::uint32_t* bits = nullptr;
  BitmapHandle dib = CreateDib(image.width, image.height, &bits);
  std::memcpy(bits, image.pixels.data(), image.pixels.size() * 4);
  AdoptPixels(std::move(dib), image.width, image.height, bits);
  Changed();
}

void TBitmap::SaveToFile(const std::string& path) const {
  BmpImage image;
  if (!Empty()) {
    image.width = width_;
    image.height = height_;
    GdiFlush();
    image.pixels.assign(bits_, bits_ + size_t(width_) * height_);
  }
  const std::vector<std::uint8_t> bytes = EncodeBmp(image);
  if (bytes.empty()) throw EInvalidGraphic("Cannot save an empty bitmap");
  const std::wstring wide = Wide(path);
  KernelHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) RaiseLastOSError("Cannot create file \"" + path + "\"");
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size())
    RaiseLastOSError("Cannot write file \"" + path + "\"");
}

void TBitmap::Assign(const TBitmap& other) {
  if (&other == this) return;
  if (other.Empty()) {
    AdoptPixels({}, 0, 0, nullptr);
  } else {
    std::uint32_t* bits = nullptr;
    BitmapHandle dib = CreateDib(other.width_, other.height_, &bits);
    GdiFlush();
    std::memcpy(bits, other.bits_, size_t(other.width_) * other.height_ * 4);
    AdoptPixels(std::move(dib), other.width_, other.height_, bits);
  }
  transparentMode_ = other.transparentMode_;
  transparentColor_ = other.transparentColor_;
  AssignTransparent(other);
  Changed();
}

void TBitmap::Draw(TCanvas& canvas, const RECT& dest) const {
  HDC target = canvas.Handle();
  if (!target) throw EInvalidOperation("Canvas does not allow drawing");
  if (Empty()) return;
  HDC source = SourceDC();
  GdiFlush();
  const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  if (Transparent()) {
    const COLORREF key = ToColorRef(ColorToRGB(TransparentColor()));
    if (key != CLR_NONE && key != CLR_DEFAULT) {
      // gdi32's own entry: msimg32's TransparentBlt only forwards to it, at the price of one more
      // library loaded while the first window paints.
      GdiTransparentBlt(target, dest.left, dest.top, dw, dh, source, 0, 0, width_, height_, key);
      return;
    }
  }
  if (dw == width_ && dh == height_) {
    BitBlt(target, dest.left, dest.top, dw, dh, source, 0, 0, canvas.CopyMode());
    return;
  }
  const int oldMode = SetStretchBltMode(target, COLORONCOLOR);
  StretchBlt(target, dest.left, dest.top, dw, dh, source, 0, 0, width_, height_, canvas.CopyMode());
  SetStretchBltMode(target, oldMode);
}

// --- TIcon -------------------------------------------------------------------------------------

TIcon::TIcon(HICON owned) {
  SetHandle(owned);
}

TIcon::TIcon(TIcon&& other) noexcept
    : icon_(std::move(other.icon_)),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)) {
  AssignTransparent(other);
}

TIcon& TIcon::operator=(TIcon&& other) noexcept {
  if (this == &other) return *this;
  AssignTransparent(other);
  icon_ = std::move(other.icon_);
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  Changed();
  return *this;
}

void TIcon::SetHandle(HICON owned) {
  if (owned && owned == icon_.Get()) return;
  icon_.Reset(owned);
  width_ = height_ = 0;
  ICONINFO info{};
  if (owned && GetIconInfo(owned, &info)) {
    BitmapHandle color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (color && GetObjectW(color.Get(), sizeof bm, &bm)) {
      width_ = bm.bmWidth;
      height_ = bm.bmHeight;
    } else if (mask && GetObjectW(mask.Get(), sizeof bm, &bm)) {
      width_ = bm.bmWidth;
      height_ = bm.bmHeight / 2;  // a monochrome icon stacks the AND and XOR masks
    }
  }
  Changed();
}

HICON TIcon::ReleaseHandle() {
  width_ = height_ = 0;
  return icon_.Release();
}

void TIcon::LoadFromResource(HINSTANCE instance, std::string_view name, int size) {
  const std::wstring wide = Wide(name);
  HICON icon = static_cast<HICON>(
      LoadImageW(instance, wide.c_str(), IMAGE_ICON, size, size, size ? 0 : LR_DEFAULTSIZE));
  if (!icon) throw EInvalidGraphic("Icon resource \"" + std::string(name) + "\" not found");
  SetHandle(icon);
}

void TIcon::LoadFromResourceID(HINSTANCE instance, int id, int size) {
  HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size,
                                             size ? 0 : LR_DEFAULTSIZE));
  if (!icon) throw EInvalidGraphic("Icon resource #" + std::to_string(id) + " not found");
  SetHandle(icon);
}

void TIcon::LoadFromFile(const std::string& path, int size) {
  const std::wstring wide = Wide(path);
  HICON icon = static_cast<HICON>(LoadImageW(nullptr, wide.c_str(), IMAGE_ICON, size, size,
                                             LR_LOADFROMFILE | (size ? 0 : LR_DEFAULTSIZE)));
  if (!icon) throw EInvalidGraphic("Cannot load icon \"" + path + "\"");
  SetHandle(icon);
}

void TIcon::Assign(const TIcon& other) {
  if (&other == this) return;
  if (!other.icon_) {
    icon_.Reset();
    width_ = height_ = 0;
    Changed();
    return;
  }
  HICON copy = static_cast<HICON>(CopyImage(other.icon_.Get(), IMAGE_ICON, 0, 0, 0));
  if (!copy) RaiseLastOSError("CopyImage");
  SetHandle(copy);
}

void TIcon::Draw(TCanvas& canvas, const RECT& dest) const {
  HDC target = canvas.Handle();
  if (!target) throw EInvalidOperation("Canvas does not allow drawing");
  if (!icon_) return;
  DrawIconEx(target, dest.left, dest.top, icon_.Get(), dest.right - dest.left,
             dest.bottom - dest.top, 0, nullptr, DI_NORMAL);
}

}  // namespace kovra
