#include "platform/os/win32/paths_and_handles.h"

#include <algorithm>

#include "platform/os/win32/win32_text.h"
#include "platform/os_messages.h"

namespace velloran::platform::win32 {

Error Failure(std::string_view what, std::string_view path, DWORD error) {
  return Error(what, path, SystemMessage(error));
}

std::wstring WidePath(std::string_view what, const std::string& path) {
  if (path.find('\0') != std::string::npos) {
    throw Error(what, path, os_messages::kPathHasNul);
  }
  if (path.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                         static_cast<int>(path.size()), nullptr, 0);
  if (length <= 0) throw Error(what, path, os_messages::kPathNotUtf8);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                      wide.data(), length);
  return wide;
}

std::wstring LongPath(std::string_view what, const std::string& path) {
  const std::wstring wide = WidePath(what, path);
  if (wide.starts_with(L"\\\\?\\")) return wide;
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) throw Failure(what, path, GetLastError());
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) throw Failure(what, path, GetLastError());
  full.resize(length);
  if (full.starts_with(L"\\\\.\\")) {
    throw Error(what, path, os_messages::kPathIsDevice);
  }
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string ShownPath(std::wstring_view long_path) {
  if (long_path.starts_with(L"\\\\?\\UNC\\")) {
    return "\\\\" + Narrow(long_path.substr(8));
  }
  if (long_path.starts_with(L"\\\\?\\")) return Narrow(long_path.substr(4));
  return Narrow(long_path);
}

std::size_t ReadFileAt(HANDLE file, std::uint64_t offset, char* data, std::size_t size,
                       std::string_view what, std::string_view path) {
  // ReadFile takes 32-bit counts; move at most this much per call.
  constexpr std::size_t kMaxChunk = std::size_t{64} << 20;
  std::size_t filled = 0;
  while (filled < size) {
    const std::uint64_t at = offset + filled;
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(at);
    position.OffsetHigh = static_cast<DWORD>(at >> 32);
    const auto chunk = static_cast<DWORD>(std::min(size - filled, kMaxChunk));
    DWORD got = 0;
    if (!ReadFile(file, data + filled, chunk, &got, &position)) {
      const DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      throw Failure(what, path, error);
    }
    if (got == 0) break;
    filled += got;
  }
  return filled;
}

}  // namespace velloran::platform::win32
