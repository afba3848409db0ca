#pragma once

#include "platform/runtime.h"
#include "platform/window.h"

namespace velloran {

// Moves the window to the middle of the whole screen. The arithmetic is single
// precision and unrounded; a window larger than the screen gets a negative
// position and stays there.
void CenterForm(platform::Window& form, const platform::Runtime& screen);

}  // namespace velloran
