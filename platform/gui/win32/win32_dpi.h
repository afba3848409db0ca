#pragma once

#include "platform/os/win32/win32_api.h"

namespace velloran::platform::win32 {

// The window's dots per inch: GetDpiForWindow where the system has it (the
// program is per-monitor DPI aware), else the screen's LOGPIXELSX.
UINT WindowDpi(HWND window);

// A system metric (such as SM_CXVSCROLL) at the given DPI.
int SystemMetric(int index, UINT dpi);

// The outer window size whose client area is client_width x client_height.
SIZE OuterSizeForClient(int client_width, int client_height, DWORD style, DWORD ex_style, UINT dpi);

// 1440 twips make an inch.
int TwipsToPixels(float twips, UINT dpi);
float PixelsToTwips(int pixels, UINT dpi);

// The height to give CreateFont for a font of `points` points.
int FontHeightForPoints(double points, UINT dpi);

}  // namespace velloran::platform::win32
