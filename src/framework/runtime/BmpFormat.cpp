// .bmp decoding with every size and offset checked against the file before use.
#include "framework/runtime/BmpFormat.h"

#include <bit>

namespace kovra {

namespace {

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}
  bool Has(std::size_t offset, std::size_t size) const {
    return offset <= data_.size() && size <= data_.size() - offset;
  }
  std::uint32_t U8(std::size_t at) const { return data_[at]; }
  std::uint32_t U16(std::size_t at) const { return data_[at] | (data_[at + 1] << 8); }
  std::uint32_t U32(std::size_t at) const {
    return U16(at) | (static_cast<std::uint32_t>(U16(at + 2)) << 16);
  }
  std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }

 private:
  std::span<const std::uint8_t> data_;
};

// Scales a masked channel to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (!m) return;
    shift = std::countr_zero(m);
    max = m >> shift;
  }
  std::uint32_t Get(std::uint32_t value) const {
    if (!mask) return 0;
    const std::uint32_t v = (value & mask) >> shift;
    return max == 255 ? v : static_cast<std::uint32_t>((std::uint64_t{v} * 255 + max / 2) / max);
  }
  bool Contiguous() const { return !mask || ((max + 1) & max) == 0; }
};

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3, kBiAlphaBitfields = 6;

}  // namespace

bool DecodeBmp(std::span<const std::uint8_t> file, BmpImage& image, std::string& error) {
  const Reader in(file);
  if (!in.Has(0, 14 + 12) || file[0] != 'B' || file[1] != 'M') {
    error = "Not a bitmap file";
    return false;
  }
  const std::uint32_t pixelOffset = in.U32(10);
  const std::uint32_t headerSize = in.U32(14);
  if (headerSize < 12 || !in.Has(14, headerSize)) {
    error = "Bitmap header is truncated";
    return false;
  }
  std::int64_t width, height;
  std::uint32_t bitCount, compression = kBiRgb, colorsUsed = 0;
  std::size_t paletteEntry = 4;
  if (headerSize == 12) {  // OS/2 core header
    width = in.U16(18);
    height = static_cast<std::int16_t>(in.U16(20));
    bitCount = in.U16(24);
    paletteEntry = 3;
  } else if (headerSize >= 40) {
    width = in.I32(18);
    height = in.I32(22);
    bitCount = in.U16(28);
    compression = in.U32(30);
    colorsUsed = in.U32(46);
  } else {
    error = "Unsupported bitmap header";
    return false;
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxBmpSide || height > kMaxBmpSide ||
      width * height > kMaxBmpPixels) {
    error = "Bitmap size is out of range";
    return false;
  }
  if (compression != kBiRgb && compression != kBiBitfields && compression != kBiAlphaBitfields) {
    error = "Compressed bitmaps are not supported";
    return false;
  }
  std::uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
  if (bitCount == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  if (compression != kBiRgb) {
    if (bitCount != 16 && bitCount != 32) {
      error = "Bit fields need 16 or 32 bits per pixel";
      return false;
    }
    // The masks follow a 40-byte header, or sit inside the larger ones.
    const std::size_t count = compression == kBiAlphaBitfields || headerSize >= 56 ? 4 : 3;
    if (!in.Has(14 + 40, count * 4)) {
      error = "Bitmap header is truncated";
      return false;
    }
    for (std::size_t i = 0; i < count; ++i) masks[i] = in.U32(14 + 40 + i * 4);
  } else if (bitCount == 32) {
    masks[3] = 0xFF000000;
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  if (!red.Contiguous() || !green.Contiguous() || !blue.Contiguous() || !alpha.Contiguous()) {
    error = "Invalid bit field masks";
    return false;
  }
  std::vector<std::uint32_t> palette;
  if (bitCount == 1 || bitCount == 4 || bitCount == 8) {
    const std::uint32_t maxColors = 1u << bitCount;
    const std::uint32_t colors = colorsUsed == 0 || colorsUsed > maxColors ? maxColors : colorsUsed;
    std::size_t paletteAt = 14 + headerSize;
    if (compression == kBiBitfields && headerSize == 40) paletteAt += 12;
    if (!in.Has(paletteAt, colors * paletteEntry)) {
      error = "Bitmap palette is truncated";
      return false;
    }
    palette.resize(maxColors, 0);  // indexes past the palette read black
    for (std::uint32_t i = 0; i < colors; ++i) {
      const std::size_t at = paletteAt + i * paletteEntry;
      palette[i] = in.U8(at) | (in.U8(at + 1) << 8) | (in.U8(at + 2) << 16);
    }
  } else if (bitCount != 16 && bitCount != 24 && bitCount != 32) {
    error = "Unsupported bits per pixel";
    return false;
  }
  const std::size_t stride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
  if (!in.Has(pixelOffset, stride * static_cast<std::size_t>(height))) {
    error = "Bitmap pixel data is truncated";
    return false;
  }
  BmpImage out;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.pixels.resize(static_cast<std::size_t>(width * height));
  for (int y = 0; y < out.height; ++y) {
    const std::size_t row = pixelOffset + stride * (topDown ? y : out.height - 1 - y);
    std::uint32_t* dest = out.pixels.data() + static_cast<std::size_t>(y) * out.width;
    for (int x = 0; x < out.width; ++x) {
      std::uint32_t p;
      switch (bitCount) {
        case 1:
          p = palette[(in.U8(row + x / 8) >> (7 - x % 8)) & 1];
          break;
        case 4:
          p = palette[(in.U8(row + x / 2) >> (x % 2 ? 0 : 4)) & 0xF];
          break;
        case 8:
          p = palette[in.U8(row + x)];
          break;
        case 24:
          p = in.U8(row + x * 3) | (in.U8(row + x * 3 + 1) << 8) | (in.U8(row + x * 3 + 2) << 16);
          break;
        default: {
          const std::uint32_t v = bitCount == 16 ? in.U16(row + x * 2) : in.U32(row + x * 4);
          p = (alpha.Get(v) << 24) | (red.Get(v) << 16) | (green.Get(v) << 8) | blue.Get(v);
        }
      }
      dest[x] = p;
    }
  }
  image = std::move(out);
  return true;
}

std::vector<std::uint8_t> EncodeBmp(const BmpImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height)
    return {};
  const std::size_t pixelBytes = image.pixels.size() * 4;
  const std::size_t fileSize = 14 + 40 + pixelBytes;
  std::vector<std::uint8_t> out;
  out.reserve(fileSize);
  auto put16 = [&out](std::uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
  };
  auto put32 = [&put16](std::uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  put16('B' | ('M' << 8));
  put32(static_cast<std::uint32_t>(fileSize));
  put32(0);
  put32(14 + 40);
  put32(40);
  put32(static_cast<std::uint32_t>(image.width));
  put32(static_cast<std::uint32_t>(image.height));
  put16(1);
  put16(32);
  put32(kBiRgb);
  put32(static_cast<std::uint32_t>(pixelBytes));
  put32(2835);  // 72 dpi
  put32(2835);
  put32(0);
  put32(0);
  for (int y = image.height - 1; y >= 0; --y)
    for (int x = 0; x < image.width; ++x)
      put32(image.pixels[static_cast<std::size_t>(y) * image.width + x]);
  return out;
}

}  // namespace kovra
