// GDI accounting for leak tests.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/Handles.h"

namespace kovra::test {

// How many more GDI objects the process may create: fills the handle table with pens, then frees
// them. The system's own counter (GetGuiResources) reads 0 under Wine.
inline int GdiHeadroom() {
  std::vector<PenHandle> pens;
  for (;;) {
    PenHandle pen(CreatePen(PS_SOLID, 1, RGB(0, 0, static_cast<int>(pens.size() & 0xFF))));
    if (!pen || pens.size() >= 200000) break;
    pens.push_back(std::move(pen));
  }
  return static_cast<int>(pens.size());
}

}  // namespace kovra::test
