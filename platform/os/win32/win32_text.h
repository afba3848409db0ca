#pragma once

#include <string>
#include <string_view>

#include "platform/os/win32/win32_api.h"

namespace velloran::platform::win32 {

// UTF-8 (the program's strings) to UTF-16 (the system's) and back. Embedded
// NUL characters are kept; malformed input becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The system's text for an error code from GetLastError, without the
// trailing line break; "error N" when the system has none.
std::string SystemMessage(DWORD code);

}  // namespace velloran::platform::win32
