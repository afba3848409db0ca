#pragma once

// What the Windows file layers share: an owned handle, checked UTF-16 paths,
// and errors with the system's reason.

#include <string>
#include <string_view>
#include <utility>

#include "platform/error.h"
#include "platform/os/win32/win32_api.h"
#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {

inline Error Failure(std::string_view what, std::string_view path, DWORD error) {
  return Error(what, path, SystemMessage(error));
}

// The UTF-16 form of a UTF-8 path. A NUL inside would silently name a
// different file, and bytes that are not UTF-8 name no file at all.
inline std::wstring WidePath(std::string_view what, const std::string& path) {
  if (path.find('\0') != std::string::npos) {
    throw Error(what, path, "The path contains a NUL character.");
  }
  if (path.empty()) return std::wstring();
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                          nullptr, 0) <= 0) {
    throw Error(what, path, "The path is not valid UTF-8.");
  }
  return Widen(path);
}

class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  ~UniqueHandle() {
    if (valid()) CloseHandle(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace velloran::platform::win32
