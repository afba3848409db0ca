#include "platform/gui/win32/win32_dpi.h"

#include <cmath>

#include "platform/gui/win32/win32_handles.h"

namespace velloran::platform::win32 {
namespace {

constexpr float kTwipsPerInch = 1440.0f;
constexpr UINT kDefaultDpi = 96;

// A user32 function that older versions of Windows lack, or nullptr.
template <typename Function>
Function User32Function(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (get_dpi_for_window && window) {
    if (const UINT dpi = get_dpi_for_window(window)) return dpi;
  }
  const WindowDc dc(window);
  if (!dc.get()) return kDefaultDpi;
  const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSX);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

int SystemMetric(int index, UINT dpi) {
  using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
  static const auto get_metric_for_dpi =
      User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
  if (get_metric_for_dpi) return get_metric_for_dpi(index, dpi);
  return GetSystemMetrics(index);
}

SIZE OuterSizeForClient(int client_width, int client_height, DWORD style, DWORD ex_style,
                        UINT dpi) {
  using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust_for_dpi =
      User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, client_width, client_height};
  if (adjust_for_dpi) {
    adjust_for_dpi(&rect, style, FALSE, ex_style, dpi);
  } else {
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  }
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int TwipsToPixels(float twips, UINT dpi) {
  return static_cast<int>(std::lround(twips * static_cast<float>(dpi) / kTwipsPerInch));
}

float PixelsToTwips(int pixels, UINT dpi) {
  return static_cast<float>(pixels) * kTwipsPerInch / static_cast<float>(dpi);
}

int FontHeightForPoints(double points, UINT dpi) {
  return -static_cast<int>(std::lround(points * dpi / 72.0));
}

}  // namespace velloran::platform::win32
