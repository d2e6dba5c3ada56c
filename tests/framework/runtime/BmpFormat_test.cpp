// .bmp decoding of the usual layouts, and refusal of anything truncated or out of range.
#include "framework/runtime/BmpFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace kovra {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A file with a 40-byte header; `extra` (palette or masks) sits between header and pixels.
Bytes MakeFile(int width, int height, int bits, std::uint32_t compression, const Bytes& extra,
               const Bytes& pixels, std::uint32_t colorsUsed = 0) {
  Bytes f;
  Put16(f, 'B' | ('M' << 8));
  Put32(f, static_cast<std::uint32_t>(14 + 40 + extra.size() + pixels.size()));
  Put32(f, 0);
  Put32(f, static_cast<std::uint32_t>(14 + 40 + extra.size()));
  Put32(f, 40);
  Put32(f, static_cast<std::uint32_t>(width));
  Put32(f, static_cast<std::uint32_t>(height));
  Put16(f, 1);
  Put16(f, bits);
  Put32(f, compression);
  Put32(f, static_cast<std::uint32_t>(pixels.size()));
  Put32(f, 0);
  Put32(f, 0);
  Put32(f, colorsUsed);
  Put32(f, 0);
  f.insert(f.end(), extra.begin(), extra.end());
  f.insert(f.end(), pixels.begin(), pixels.end());
  return f;
}

BmpImage Decode(const Bytes& file) {
  BmpImage image;
  std::string error;
  EXPECT_TRUE(DecodeBmp(file, image, error)) << error;
  return image;
}

TEST(BmpDecodeTest, TwentyFourBitsBottomUpWithRowPadding) {
  // 2x2: bottom row blue, white; top row red, green. Rows padded to 8 bytes.
  const Bytes pixels{0xFF, 0, 0,    0xFF, 0xFF, 0xFF, 0, 0,   // bottom
                     0,    0, 0xFF, 0,    0xFF, 0,    0, 0};  // top
  const BmpImage image = Decode(MakeFile(2, 2, 24, 0, {}, pixels));
  ASSERT_EQ(image.width, 2);
  ASSERT_EQ(image.height, 2);
  EXPECT_EQ(image.pixels, (std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
}

TEST(BmpDecodeTest, TopDownAndThirtyTwoBitsKeepAlpha) {
  const Bytes pixels{1, 2, 3, 4, 5, 6, 7, 8};
  const BmpImage image = Decode(MakeFile(1, -2, 32, 0, {}, pixels));
  EXPECT_EQ(image.pixels, (std::vector<std::uint32_t>{0x04030201, 0x08070605}));
}

TEST(BmpDecodeTest, PalettedOneFourAndEightBits) {
  const Bytes palette2{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
  const BmpImage mono = Decode(MakeFile(10, 1, 1, 0, palette2, {0b10100000, 0b01000000, 0, 0}));
  EXPECT_EQ(mono.pixels[0], 0xFFFFFFu);
  EXPECT_EQ(mono.pixels[1], 0u);
  EXPECT_EQ(mono.pixels[2], 0xFFFFFFu);
  EXPECT_EQ(mono.pixels[9], 0xFFFFFFu);

  Bytes palette16(16 * 4, 0);
  palette16[3 * 4 + 2] = 0xFF;  // entry 3 red
  const BmpImage nibbles = Decode(MakeFile(3, 1, 4, 0, palette16, {0x30, 0x30, 0, 0}));
  EXPECT_EQ(nibbles.pixels, (std::vector<std::uint32_t>{0xFF0000, 0, 0xFF0000}));

  // Only two colours stored; index 200 lies past them and reads black.
  const Bytes palette8{0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
  const BmpImage bytes = Decode(MakeFile(3, 1, 8, 0, palette8, {1, 0, 200, 0}, 2));
  EXPECT_EQ(bytes.pixels, (std::vector<std::uint32_t>{0x0000FF, 0x00FF00, 0}));
}

TEST(BmpDecodeTest, SixteenBitsDefaultAndBitFields) {
  // 555: pure red 0x7C00; 565 via bit fields: pure green 0x07E0.
  const BmpImage rgb555 = Decode(MakeFile(1, 1, 16, 0, {}, {0x00, 0x7C, 0, 0}));
  EXPECT_EQ(rgb555.pixels[0], 0xFF0000u);
  Bytes masks;
  Put32(masks, 0xF800);
  Put32(masks, 0x07E0);
  Put32(masks, 0x001F);
  const BmpImage rgb565 = Decode(MakeFile(1, 1, 16, 3, masks, {0xE0, 0x07, 0, 0}));
  EXPECT_EQ(rgb565.pixels[0], 0x00FF00u);
}

TEST(BmpDecodeTest, RefusesMalformedFilesWithoutTouchingTheImage) {
  BmpImage image;
  image.width = 7;
  std::string error;
  const auto refused = [&](const Bytes& file) {
    error.clear();
    const bool ok = DecodeBmp(file, image, error);
    return !ok && !error.empty() && image.width == 7;
  };
  EXPECT_TRUE(refused({}));
  EXPECT_TRUE(refused({'B', 'M'}));
  EXPECT_TRUE(refused(MakeFile(0, 1, 24, 0, {}, {0, 0, 0, 0})));
  EXPECT_TRUE(refused(MakeFile(100000, 1, 24, 0, {}, {})));
  EXPECT_TRUE(refused(MakeFile(16384, 16384, 32, 0, {}, {}))) << "too many pixels";
  EXPECT_TRUE(refused(MakeFile(1, 1, 24, 1, {}, {0, 0, 0, 0}))) << "run-length encoded";
  EXPECT_TRUE(refused(MakeFile(1, 1, 7, 0, {}, {0, 0, 0, 0})));
  Bytes badMasks;
  Put32(badMasks, 0xF0F0);  // not contiguous
  Put32(badMasks, 0x0F00);
  Put32(badMasks, 0x000F);
  EXPECT_TRUE(refused(MakeFile(1, 1, 16, 3, badMasks, {0, 0, 0, 0})));
  Bytes offsetPastEnd = MakeFile(1, 1, 24, 0, {}, {0, 0, 0, 0});
  offsetPastEnd[10] = 0xF0;
  offsetPastEnd[13] = 0x7F;
  EXPECT_TRUE(refused(offsetPastEnd));
  Bytes hugeHeader = MakeFile(1, 1, 24, 0, {}, {0, 0, 0, 0});
  hugeHeader[17] = 0x7F;
  EXPECT_TRUE(refused(hugeHeader));
}

TEST(BmpDecodeTest, EveryTruncationOfAValidFileIsRefused) {
  Bytes palette(256 * 4, 0x40);
  const Bytes file = MakeFile(5, 3, 8, 0, palette, Bytes(8 * 3, 7));
  BmpImage image;
  std::string error;
  ASSERT_TRUE(DecodeBmp(file, image, error)) << error;
  for (size_t n = 0; n < file.size(); ++n) {
    const std::span<const std::uint8_t> cut(file.data(), n);
    EXPECT_FALSE(DecodeBmp(cut, image, error)) << n;
  }
}

TEST(BmpEncodeTest, EncodedFilesDecodeToTheSamePixels) {
  BmpImage image;
  image.width = 3;
  image.height = 2;
  image.pixels = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112};
  const Bytes file = EncodeBmp(image);
  const BmpImage back = Decode(file);
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.pixels, image.pixels);
  image.pixels.pop_back();
  EXPECT_TRUE(EncodeBmp(image).empty()) << "inconsistent size";
}

}  // namespace
}  // namespace kovra
