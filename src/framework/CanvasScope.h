// Scoped DCs and canvas attachments, for painting on a DC the canvas does not own.
//   TWindowAreaDC  the DC of a window's whole area, frame included (GetWindowDC), released on
//                  every path
//   TCanvasOnDC    a canvas drawing on a DC it does not own, detached again on every path
#pragma once

#include <windows.h>

#include "framework/Graphics.h"

namespace kovra {

class TWindowAreaDC {
 public:
  explicit TWindowAreaDC(HWND wnd) : wnd_(wnd), dc_(GetWindowDC(wnd)) {}
  ~TWindowAreaDC() {
    if (dc_) ReleaseDC(wnd_, dc_);
  }
  TWindowAreaDC(const TWindowAreaDC&) = delete;
  TWindowAreaDC& operator=(const TWindowAreaDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND wnd_;
  HDC dc_;
};

class TCanvasOnDC {
 public:
  TCanvasOnDC(TCanvas& canvas, HDC dc) : canvas_(canvas) { canvas_.SetHandle(dc); }
  ~TCanvasOnDC() { canvas_.SetHandle(nullptr); }
  TCanvasOnDC(const TCanvasOnDC&) = delete;
  TCanvasOnDC& operator=(const TCanvasOnDC&) = delete;

 private:
  TCanvas& canvas_;
};

}  // namespace kovra
