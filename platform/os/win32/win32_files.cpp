#include "platform/os/win32/win32_files.h"

#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {

Error Failure(std::string_view what, const std::string& path, DWORD error) {
  return Error(what, path, SystemMessage(error));
}

std::wstring WidePath(std::string_view what, const std::string& path) {
  if (path.find('\0') != std::string::npos) {
    throw Error(what, path, "The path contains a NUL character.");
  }
  if (path.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                         static_cast<int>(path.size()), nullptr, 0);
  if (length <= 0) throw Error(what, path, "The path is not valid UTF-8.");
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                      wide.data(), length);
  return wide;
}

}  // namespace velloran::platform::win32
