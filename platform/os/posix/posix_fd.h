#pragma once

// What the POSIX file layers share: an owned descriptor, checked paths, and
// errors with the system's reason.

#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/error.h"

namespace velloran::platform::posix {

inline Error Failure(std::string_view what, std::string_view path, int error_number) {
  return Error(what, path, std::generic_category().message(error_number));
}

// A path with a NUL inside would silently name a different file.
inline void CheckPath(std::string_view what, const std::string& path) {
  if (path.find('\0') != std::string::npos) {
    throw Error(what, path, "The path contains a NUL character.");
  }
}

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace velloran::platform::posix
