// Gradient painting on a full-HD canvas: counts the fills against the colour bands actually
// painted, and times the routine against filling the same gradient one pixel row (or column) at
// a time, measured in the same run, in two ways: into an off-screen bitmap copied once (flicker-
// free, as the routine paints) and straight onto the target (what a window would show while it
// is being drawn). Exits non-zero when a gradient needs more than one fill per band.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <vector>

#include "controls/RzCommon.h"

namespace kovra {
namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr TColor kStart = RGBColor(0, 20, 90), kStop = RGBColor(255, 230, 40);

struct Case {
  const char* name;
  TGradientDirection direction;
  bool rows;  // bands are rows (else columns)
};

// The reference: one brush and one fill per pixel row or column.
void PaintLineByLine(HDC dc, bool rows) {
  const int count = rows ? kHeight : kWidth;
  const TGradientProgression progression(kStart, kStop, count);
  for (int i = 0; i < count; ++i) {
    BrushHandle brush(CreateSolidBrush(static_cast<COLORREF>(progression.At(i))));
    const RECT r = rows ? RECT{0, i, kWidth, i + 1} : RECT{i, 0, i + 1, kHeight};
    FillRect(dc, &r, brush.Get());
  }
}

std::size_t DistinctBands(const TBitmap& bitmap, bool rows) {
  std::set<TColor> colours;
  const int count = rows ? kHeight : kWidth;
  for (int i = 0; i < count; ++i)
    colours.insert(rows ? BitmapPixel(bitmap, kWidth / 2, i) : BitmapPixel(bitmap, i, kHeight / 2));
  return colours.size();
}

template <class Paint>
double MedianMs(int repeats, Paint&& paint) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    paint();
    GdiFlush();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

bool Run(const Case& c, TBitmap& target) {
  TCanvas& canvas = target.Canvas();
  const RECT all{0, 0, kWidth, kHeight};
  const std::uint64_t before = GradientFillCalls();
  PaintGradientRect(canvas, all, c.direction, kStart, kStop);
  const std::uint64_t fills = GradientFillCalls() - before;
  const std::size_t bands = DistinctBands(target, c.rows);

  constexpr int kRepeats = 15;
  const double ours =
      MedianMs(kRepeats, [&] { PaintGradientRect(canvas, all, c.direction, kStart, kStop); });
  TBitmap offscreen(kWidth, kHeight);
  const double buffered = MedianMs(kRepeats, [&] {
    PaintLineByLine(offscreen.SourceDC(), c.rows);
    BitBlt(canvas.Handle(), 0, 0, kWidth, kHeight, offscreen.SourceDC(), 0, 0, SRCCOPY);
  });
  const double direct = MedianMs(kRepeats, [&] { PaintLineByLine(canvas.Handle(), c.rows); });
  const bool ok = fills == bands;
  std::printf("%s %dx%d: fills %llu, colour bands %zu%s\n", c.name, kWidth, kHeight,
              static_cast<unsigned long long>(fills), bands, ok ? "" : "  MISMATCH");
  std::printf(
      "  PaintGradientRect %.2f ms | %s off-screen, copied once: %.2f ms, ratio %.1fx"
      " | straight onto the target: %.2f ms, ratio %.1fx\n",
      ours, c.rows ? "row by row" : "column by column", buffered, buffered / ours, direct,
      direct / ours);
  return ok;
}

}  // namespace
}  // namespace kovra

int wmain() {
  using namespace kovra;
  TBitmap target(kWidth, kHeight);
  const Case cases[] = {{"gdHorizontalEnd", gdHorizontalEnd, true},
                        {"gdVerticalEnd", gdVerticalEnd, false}};
  bool ok = true;
  for (const Case& c : cases) ok = Run(c, target) && ok;
  return ok ? 0 : 1;
}
