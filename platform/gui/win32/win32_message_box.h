#pragma once

#include <string>
#include <string_view>

#include "platform/os/win32/win32_api.h"

namespace velloran::platform::win32 {

// A modal message with the OK button only and no icon, titled `title`.
// Throws Error when the box cannot be shown.
void ShowMessageBox(HWND owner, std::string_view title, const std::string& prompt);

}  // namespace velloran::platform::win32
