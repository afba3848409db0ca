#pragma once

#include "platform/list_box.h"
#include "platform/runtime.h"
#include "platform/window.h"

namespace velloran {

// Lets the list scroll horizontally over its widest entry: copies the list's
// font to the window, measures every entry in it and sets the list's
// horizontal extent to the widest entry plus one vertical scroll bar.
void SetHorizontalExtent(platform::Window& form, platform::ListBox& list,
                         const platform::Runtime& runtime);

}  // namespace velloran
