#include "app/file_exists.h"

#include <exception>

#include "platform/files.h"

namespace velloran {

bool FileExists(const std::string& path) noexcept {
  try {
    platform::FileDateTime(path);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace velloran
