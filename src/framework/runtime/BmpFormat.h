// Reading and writing .bmp files without the Windows API, so that a malformed file from disk can
// never reach GDI's own parser. Pixels are 0xAARRGGBB words, top row first.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kovra {

struct BmpImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height, top row first
};

// Largest picture accepted from a file: 16384 pixels a side and 64 Mi pixels in all.
constexpr int kMaxBmpSide = 16384;
constexpr std::int64_t kMaxBmpPixels = std::int64_t{1} << 26;

// Uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel (BI_RGB and BI_BITFIELDS) with any of the
// usual headers, bottom-up or top-down. Returns false and sets `error` for anything else or
// anything truncated or inconsistent; `image` is then untouched.
bool DecodeBmp(std::span<const std::uint8_t> file, BmpImage& image, std::string& error);

// A 32 bpp BI_RGB file, bottom-up as most readers expect.
std::vector<std::uint8_t> EncodeBmp(const BmpImage& image);

}  // namespace kovra
