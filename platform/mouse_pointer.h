#pragma once

namespace velloran::platform {

// Values of a window's MousePointer property.
enum MousePointer : int {
  kPointerDefault = 0,
  kPointerArrow = 1,
  kPointerHourglass = 11,
  kPointerCustom = 99,  // shows the window's MouseIcon
};

}  // namespace velloran::platform
