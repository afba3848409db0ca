// File dates on Windows, through the wide API. Reading files is in
// input_file_win32.cpp, replacing them in file_replacer.cpp. Only kernel32 is
// used.
#include <cstdint>
#include <string>

#include "platform/files.h"
#include "platform/os/win32/paths_and_handles.h"
#include "platform/os_messages.h"

namespace velloran::platform {

std::time_t FileDateTime(const std::string& path) {
  const std::wstring wide = win32::LongPath(os_messages::kCannotGetDate, path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
    throw win32::Failure(os_messages::kCannotGetDate, path, GetLastError());
  }
  // FILETIME counts 100-nanosecond steps since 1601-01-01 UTC.
  const std::uint64_t ticks = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                              data.ftLastWriteTime.dwLowDateTime;
  constexpr std::uint64_t kUnixEpoch = 116444736000000000ULL;
  return static_cast<std::time_t>((static_cast<std::int64_t>(ticks - kUnixEpoch)) / 10000000);
}

}  // namespace velloran::platform
