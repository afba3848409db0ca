#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace velloran::platform {

// The one exception type of the platform layer. Its message says what failed,
// on which path, and the system's reason, ready to be shown to the user.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}

  // Cannot read "/home/ann/lists/a.txt": No such file or directory
  Error(std::string_view what, std::string_view path, std::string_view reason)
      : std::runtime_error(Compose(what, path, reason)) {}

 private:
  static std::string Compose(std::string_view what, std::string_view path,
                             std::string_view reason) {
    std::string message(what);
    message += " \"";
    message += path;
    message += "\": ";
    message += reason;
    return message;
  }
};

}  // namespace velloran::platform
