// Gradients: rendered into an off-screen bitmap and copied to the canvas in one blit, so the target
// never shows a half-drawn gradient. Each run of one colour is one brush and one fill; linear
// gradients paint an 8-pixel strip and replicate it by doubling copies, box gradients paint one
// quarter and mirror it.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "controls/RzCommon.h"

namespace kovra {
namespace {

std::uint64_t g_fillCalls = 0;

constexpr int kStrip = 8;

// The top-left width x height part of the off-screen bitmap, with every fill counted.
class Surface {
 public:
  Surface(TBitmap& bitmap, int width, int height)
      : bitmap_(bitmap), dc_(bitmap.SourceDC()), width_(width), height_(height) {}
  HDC Dc() const { return dc_; }
  // Call after the GDI drawing that the caller builds on: pending drawing is flushed once here.
  std::uint32_t* Pixels() const { return bitmap_.ScanLine(0); }
  std::size_t Stride() const { return static_cast<std::size_t>(bitmap_.Width()); }
  int Width() const { return width_; }
  int Height() const { return height_; }

  void Fill(const RECT& r, TColor rgb) const {
    BrushHandle brush(CreateSolidBrush(static_cast<COLORREF>(rgb)));
    ::FillRect(dc_, &r, brush.Get());
    ++g_fillCalls;
  }
  void FillPolygon(const POINT* points, int count, TColor rgb) const {
    BrushHandle brush(CreateSolidBrush(static_cast<COLORREF>(rgb)));
    SelectObjectScope pen(dc_, GetStockObject(NULL_PEN));
    SelectObjectScope selected(dc_, brush.Get());
    ::Polygon(dc_, points, count);
    ++g_fillCalls;
  }
  void FillAll(TColor rgb) const { Fill(RECT{0, 0, width_, height_}, rgb); }

 private:
  TBitmap& bitmap_;
  HDC dc_;
  int width_, height_;
};

// Calls fill(first, last, colour) for each band of steps [first, last) that share one colour;
// a band is at least `minSteps` long (its colour is that of its first step).
template <class Fill>
void ForEachBand(TColor from, TColor to, int count, int minSteps, Fill&& fill) {
  const TGradientProgression progression(from, to, count);
  int first = 0;
  while (first < count) {
    const TColor color = progression.At(first);
    int last = first + 1;
    while (last < count && (last - first < minSteps || progression.At(last) == color)) ++last;
    fill(first, last, color);
    first = last;
  }
}

// Rows [top, bottom) of the strip, `from` at the top row, advancing towards `to`.
void PaintRows(const Surface& s, int width, int top, int bottom, TColor from, TColor to,
               int steps) {
  ForEachBand(from, to, bottom - top, steps, [&](int first, int last, TColor c) {
    s.Fill(RECT{0, top + first, width, top + last}, c);
  });
}

void PaintColumns(const Surface& s, int height, int left, int right, TColor from, TColor to,
                  int steps) {
  ForEachBand(from, to, right - left, steps, [&](int first, int last, TColor c) {
    s.Fill(RECT{left + first, 0, left + last, height}, c);
  });
}

// Doubling copies straight in the DIB's memory: GDI's blits within one bitmap cost more than
// the copying itself, and the pixels are ours.
void ReplicateAcross(const Surface& s, int done) {
  const int w = s.Width();
  std::uint32_t* const pixels = s.Pixels();
  for (int y = 0; y < s.Height(); ++y) {
    std::uint32_t* row = pixels + s.Stride() * static_cast<std::size_t>(y);
    for (int x = done; x < w;) {
      const int n = std::min(x, w - x);
      std::memcpy(row + x, row, sizeof(std::uint32_t) * static_cast<std::size_t>(n));
      x += n;
    }
  }
}

void ReplicateDown(const Surface& s, int done) {
  const auto rowBytes = sizeof(std::uint32_t) * static_cast<std::size_t>(s.Width());
  std::uint32_t* const pixels = s.Pixels();
  auto row = [&](int y) { return pixels + s.Stride() * static_cast<std::size_t>(y); };
  while (done < s.Height()) {
    const int n = std::min(done, s.Height() - done);
    for (int i = 0; i < n; ++i) std::memcpy(row(done + i), row(i), rowBytes);
    done += n;
  }
}

// Horizontal bands: `start` at the top; centred gradients meet `stop` at row H div 2.
void PaintHorizontal(const Surface& s, TColor start, TColor stop, int steps, bool centred) {
  const int strip = std::min(kStrip, s.Width());
  if (!centred) {
    PaintRows(s, strip, 0, s.Height(), start, stop, steps);
  } else {
    const int centre = s.Height() / 2;
    PaintRows(s, strip, 0, centre, start, stop, steps);
    // The lower half runs back out from the centre, so the centre row is exactly `stop`.
    PaintRows(s, strip, centre, s.Height(), stop, start, steps);
  }
  ReplicateAcross(s, strip);
}

void PaintVertical(const Surface& s, TColor start, TColor stop, int steps, bool centred) {
  const int strip = std::min(kStrip, s.Height());
  if (!centred) {
    PaintColumns(s, strip, 0, s.Width(), start, stop, steps);
  } else {
    const int centre = s.Width() / 2;
    PaintColumns(s, strip, 0, centre, start, stop, steps);
    PaintColumns(s, strip, centre, s.Width(), stop, start, steps);
  }
  ReplicateDown(s, strip);
}

// Strips across the diagonal from the top-left corner: along u = x/W + y/H (0 at the start
// corner, 2 at the opposite one). Each band's polygon reaches one pixel into the next band, which
// paints over it, so no pixel is left between two bands whatever GDI's fill rule does on their
// shared edge. The upward diagonal is this picture turned upside down.
void PaintDiagonal(const Surface& s, TColor start, TColor stop, int steps) {
  const int w = s.Width(), h = s.Height();
  if (start == stop) return s.FillAll(start);
  const int count = static_cast<int>(std::sqrt(double(w) * w + double(h) * h)) + 1;
  ForEachBand(start, stop, count, steps, [&](int first, int last, TColor c) {
    const double u0 = 2.0 * first / count, u1 = 2.0 * last / count;
    const int x0 = static_cast<int>(std::lround(u0 * w)),
              x1 = static_cast<int>(std::lround(u1 * w)) + 1;
    const int y0 = static_cast<int>(std::lround(u0 * h)),
              y1 = static_cast<int>(std::lround(u1 * h)) + 1;
    const POINT p[4] = {{x0, 0}, {x1, 0}, {0, y1}, {0, y0}};
    s.FillPolygon(p, 4, c);
  });
}

// Nested rectangles from the edges (`start`) to the centre (`stop`) in the top-left quarter,
// one pixel in per step until a side reaches its inset from the centre; then mirrored down and
// across.
void PaintBox(const Surface& s, TColor start, TColor stop, int steps, int hInset, int vInset) {
  const int w = s.Width(), h = s.Height();
  if (start == stop || w < 5 || h <= 4) return s.FillAll(start);
  const int quarterW = (w + 1) / 2, quarterH = (h + 1) / 2;
  const int hx = std::max((w - 1) / 2 - hInset, 0), hy = std::max((h - 1) / 2 - vInset, 0);
  const int count = std::max(hx, hy) + 1;
  ForEachBand(start, stop, count, steps, [&](int first, int, TColor c) {
    s.Fill(RECT{std::min(first, hx), std::min(first, hy), quarterW, quarterH}, c);
  });
  const int lowerH = h - quarterH, rightW = w - quarterW;
  // Negative extents mirror: source row k lands on row h - 1 - k, column k on column w - 1 - k.
  StretchBlt(s.Dc(), 0, h - 1, quarterW, -lowerH, s.Dc(), 0, 0, quarterW, lowerH, SRCCOPY);
  StretchBlt(s.Dc(), w - 1, 0, -rightW, h, s.Dc(), 0, 0, rightW, h, SRCCOPY);
}

// The off-screen bitmap is kept between paints (up to full-HD size) so that repainting a control
// does not allocate and fault in a fresh bitmap each time; gradients use its top-left part.
constexpr long long kKeptBufferPixels = 1920LL * 1200;
thread_local std::unique_ptr<TBitmap> t_keptBuffer;

std::unique_ptr<TBitmap> TakeBuffer(int w, int h) {
  std::unique_ptr<TBitmap> buffer = std::move(t_keptBuffer);
  if (buffer && buffer->Width() >= w && buffer->Height() >= h) return buffer;
  const int bw = std::max(w, buffer ? buffer->Width() : 0);
  const int bh = std::max(h, buffer ? buffer->Height() : 0);
  if (static_cast<long long>(bw) * bh > kKeptBufferPixels) return std::make_unique<TBitmap>(w, h);
  return std::make_unique<TBitmap>(bw, bh);
}

void ReturnBuffer(std::unique_ptr<TBitmap> buffer) {
  if (static_cast<long long>(buffer->Width()) * buffer->Height() <= kKeptBufferPixels)
    t_keptBuffer = std::move(buffer);
}

void Render(const Surface& s, TGradientDirection direction, TColor start, TColor stop, int steps) {
  const int w = s.Width(), h = s.Height();
  switch (direction) {
    case gdDiagonalUp:
    case gdDiagonalDown:
      return PaintDiagonal(s, start, stop, steps);
    case gdHorizontalEnd:
      return PaintHorizontal(s, start, stop, steps, false);
    case gdHorizontalCenter:
      return PaintHorizontal(s, start, stop, steps, true);
    case gdHorizontalBox:
      return PaintBox(s, start, stop, steps, w / 4, 0);
    case gdVerticalEnd:
      return PaintVertical(s, start, stop, steps, false);
    case gdVerticalCenter:
      return PaintVertical(s, start, stop, steps, true);
    case gdVerticalBox:
      return PaintBox(s, start, stop, steps, 0, h / 4);
    case gdSquareBox:
      return PaintBox(s, start, stop, steps, 0, 0);
    case gdBigSquareBox:
      return PaintBox(s, start, stop, steps, w / 4, h / 4);
  }
  s.FillAll(start);  // an out-of-range direction from a stored value
}

}  // namespace

void PaintGradientRect(TCanvas& canvas, const RECT& r, TGradientDirection direction, TColor start,
                       TColor stop, int steps) {
  const int w = std::abs(r.right - r.left), h = std::abs(r.bottom - r.top);
  if (w == 0 || h == 0 || !canvas.HandleAllocated()) return;
  std::unique_ptr<TBitmap> buffer;
  try {
    buffer = TakeBuffer(w, h);
  } catch (const Exception&) {
    // No bitmap this size (a window stretched across many screens): a plain fill in the start
    // colour rather than an error out of a paint handler.
    BrushHandle brush(CreateSolidBrush(ToColorRef(start)));
    const RECT plain{std::min(r.left, r.right), std::min(r.top, r.bottom),
                     std::max(r.left, r.right), std::max(r.top, r.bottom)};
    ::FillRect(canvas.Handle(), &plain, brush.Get());
    return;
  }
  struct GiveBack {
    std::unique_ptr<TBitmap>& buffer;
    ~GiveBack() { ReturnBuffer(std::move(buffer)); }
  } giveBack{buffer};
  const Surface surface(*buffer, w, h);
  SetROP2(surface.Dc(), R2_COPYPEN);
  Render(surface, direction, ColorToRGB(start), ColorToRGB(stop), std::max(steps, 1));
  if (direction == gdDiagonalUp) {
    std::uint32_t* const pixels = surface.Pixels();
    auto row = [&](int y) { return pixels + surface.Stride() * static_cast<std::size_t>(y); };
    for (int y = 0; y < h / 2; ++y) std::swap_ranges(row(y), row(y) + w, row(h - 1 - y));
  }
  BitBlt(canvas.Handle(), std::min(r.left, r.right), std::min(r.top, r.bottom), w, h, surface.Dc(),
         0, 0, SRCCOPY);
}

std::uint64_t GradientFillCalls() {
  return g_fillCalls;
}

}  // namespace kovra
