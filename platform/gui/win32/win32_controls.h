#pragma once

#include "platform/gui/win32/win32_handles.h"
#include "platform/window_description.h"

namespace velloran::platform::win32 {

// The font of a window, and of a control that is given none.
inline const Font kDefaultFont{"MS Shell Dlg", false, 8.25};

// `font` at `dpi`. Throws Error when it cannot be made.
UniqueFont MakeFont(const Font& font, UINT dpi);

// A new, visible child control of `parent` made for the control's kind (a
// push button, a list box, an owner-drawn picture button, a label, a
// progress bar running from 0 to kProgressBarRange), with its caption and
// the identifier `id`; unplaced and without a font, which the window sets
// for its DPI. Throws Error when it cannot be made.
HWND CreateControl(HINSTANCE instance, HWND parent, const ControlDescription& control, int id);

// Places `control` as `place` describes, and gives it `font`, at `dpi`.
void PlaceControl(HWND control, const Placement& place, HFONT font, UINT dpi);

}  // namespace velloran::platform::win32
