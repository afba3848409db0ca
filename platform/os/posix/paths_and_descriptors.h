#pragma once

// What the POSIX file layer's reader and writer share: an owned file
// descriptor and errors that carry the system's reason.

#include <unistd.h>

#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/error.h"
#include "platform/os_messages.h"

namespace velloran::platform::posix {

inline std::string Reason(int error_number) {
  return std::generic_category().message(error_number);
}

inline Error Failure(std::string_view what, std::string_view path, int error_number) {
  return Error(what, path, Reason(error_number));
}

// The folder part of a path ("." for a bare name, "/" at the root) and its
// name part.
inline std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

inline std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A path with a NUL inside would silently name a different file.
inline void CheckPath(std::string_view what, const std::string& path) {
  if (path.find('\0') != std::string::npos) {
    throw Error(what, path, os_messages::kPathHasNul);
  }
}

// A file descriptor, closed on destruction.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.fd_, -1));
    return *this;
  }
  ~UniqueFd() { Reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives up ownership without closing.
  int release() { return std::exchange(fd_, -1); }
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

}  // namespace velloran::platform::posix
