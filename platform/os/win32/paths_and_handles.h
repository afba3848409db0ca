#pragma once

// What the Win32 file layer's parts share: paths converted for
// the wide API, an owned file handle and errors that carry the system's
// reason.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/error.h"
#include "platform/os/win32/win32_api.h"

namespace velloran::platform::win32 {

Error Failure(std::string_view what, std::string_view path, DWORD error);

// The UTF-16 form of a UTF-8 path. A NUL inside would silently name a
// different file, and bytes that are not UTF-8 name no file at all.
std::wstring WidePath(std::string_view what, const std::string& path);

// The UTF-16 form of a UTF-8 path that reaches past MAX_PATH: made full,
// with backslashes, and prefixed by \\?\ (\\?\UNC\ for a share). Throws
// Error, with `what` and `path`, for a path that is not valid or that names a
// device (NUL, COM1, ...) rather than a file.
std::wstring LongPath(std::string_view what, const std::string& path);

// A path made by LongPath, as the user would write it.
std::string ShownPath(std::wstring_view long_path);

// A path's folder and name, split at its last separator (\ or /). A root
// folder keeps its separator ("C:\", "\"); a bare name has an empty folder.
template <typename Char>
struct PathParts {
  std::basic_string<Char> folder;
  std::basic_string<Char> name;
};

template <typename Char>
PathParts<Char> SplitPathOf(std::basic_string_view<Char> path) {
  constexpr Char kSeparators[] = {Char('\\'), Char('/'), Char('\0')};
  const std::size_t separator = path.find_last_of(kSeparators);
  if (separator == path.npos) return {{}, std::basic_string<Char>(path)};
  const bool root = separator == 0 || (separator == 2 && path[1] == Char(':'));
  return {std::basic_string<Char>(path.substr(0, root ? separator + 1 : separator)),
          std::basic_string<Char>(path.substr(separator + 1))};
}

inline PathParts<char> SplitPath(std::string_view path) { return SplitPathOf(path); }
inline PathParts<wchar_t> SplitPath(std::wstring_view path) { return SplitPathOf(path); }

// Reads up to `size` bytes of `file` at `offset`, as pread does: the offset
// travels in an OVERLAPPED structure and nothing depends on the handle's
// file pointer, so threads may read at once. Fills all of them unless the
// end comes first; returns the count. A failure throws Error with `what` and
// `path`.
std::size_t ReadFileAt(HANDLE file, std::uint64_t offset, char* data, std::size_t size,
                       std::string_view what, std::string_view path);

// A file handle from CreateFileW, closed on destruction.
class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.release());
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  void Reset(HANDLE handle = INVALID_HANDLE_VALUE) {
    if (valid()) CloseHandle(handle_);
    handle_ = handle;
  }
  // Gives up ownership without closing.
  HANDLE release() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }

 private:
  HANDLE handle_;
};

}  // namespace velloran::platform::win32
