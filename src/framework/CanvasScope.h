// A canvas drawing on a DC it does not own, for the scope: detached again on every path.
#pragma once

#include <windows.h>

#include "framework/Graphics.h"

namespace kovra {

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
