// Tests on the framework's control messages that several controls make alike.
#pragma once

#include "framework/Controls.h"

namespace kovra {

// CM_MOUSEENTER and CM_MOUSELEAVE carry the control they are about in LParam (0: the receiver);
// a parent also hears them for its windowless children.
inline bool IsOwnMouseMessage(const TMessage& m, const TControl* self) {
  return m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(self);
}

}  // namespace kovra
