#pragma once

#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "platform/os_messages.h"

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

// Runs `work` and returns what it returns; should memory run out meanwhile,
// throws Error(what, path, "Not enough memory.") instead of std::bad_alloc,
// so that the message says which step failed on which file. The one place
// where running out of memory becomes a message.
template <typename Work>
decltype(auto) CatchOutOfMemory(std::string_view what, std::string_view path, Work&& work) {
  try {
    return std::forward<Work>(work)();
  } catch (const std::bad_alloc&) {
    throw Error(what, path, os_messages::kNotEnoughMemory);
  }
}

}  // namespace velloran::platform
