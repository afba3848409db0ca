#pragma once

#include "platform/window_description.h"

namespace velloran {

// The program's window as every toolkit builds it: its controls, their places
// and sizes, fonts, colours, pictures and tab order, with the texts from
// app/texts.h.
extern const platform::UiDescription kUiDescription;

}  // namespace velloran
