#pragma once

#include <optional>

#include "platform/os/win32/win32_api.h"
#include "platform/window_description.h"

namespace velloran::platform::win32 {

// Fills `rect` with `colour`, or with the system colour `fallback` (such as
// COLOR_BTNFACE) when the description leaves the colour to the platform.
inline void FillBackground(HDC dc, const RECT& rect, const std::optional<Colour>& colour,
                           int fallback) {
  if (!colour) {
    FillRect(dc, &rect, GetSysColorBrush(fallback));
    return;
  }
  const COLORREF previous = SetDCBrushColor(dc, RGB(colour->red, colour->green, colour->blue));
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  SetDCBrushColor(dc, previous);
}

}  // namespace velloran::platform::win32
