// Drawing tests paint into a memory DIB filled beforehand with a colour no drawing uses, so the
// pixels a drawing leaves alone are recognisable.
#pragma once

#include <gtest/gtest.h>

#include "controls/RzCommon.h"
#include "framework/Graphics.h"

namespace kovra::test {

class PaintTest : public testing::Test {
 protected:
  static constexpr TColor kBackground = RGBColor(255, 0, 255);

  // A fresh `w` x `h` sheet of the background colour.
  void Reset(int w, int h) {
    bitmap_.SetSize(w, h);
    Canvas().Brush().SetColor(kBackground);
    Canvas().FillRect(RECT{0, 0, w, h});
  }
  TCanvas& Canvas() { return bitmap_.Canvas(); }
  TColor At(int x, int y) const { return BitmapPixel(bitmap_, x, y); }
  int W() const { return bitmap_.Width(); }
  int H() const { return bitmap_.Height(); }
  bool Untouched() const {
    for (int y = 0; y < H(); ++y)
      for (int x = 0; x < W(); ++x)
        if (At(x, y) != kBackground) return false;
    return true;
  }

  TBitmap bitmap_;
};

}  // namespace kovra::test
