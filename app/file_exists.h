#pragma once

#include <string>

namespace velloran {

// True when the system can tell the file's date and time of last change. Any
// failure (missing file or folder, malformed path, no access) gives false;
// it never throws.
bool FileExists(const std::string& path) noexcept;

}  // namespace velloran
