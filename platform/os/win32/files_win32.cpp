// Files on Windows: whole-file reads into large-array memory and file dates,
// through the wide API. Replacing files is in file_replacer.cpp.
// Only kernel32 is used.
#include <algorithm>
#include <cstdint>
#include <new>
#include <string>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/os/win32/win32_files.h"

namespace velloran::platform {
namespace {

using win32::Failure;
using win32::LongPath;
using win32::UniqueHandle;

// ReadFile takes 32-bit counts; move at most this much per call.
constexpr DWORD kMaxChunk = DWORD{64} << 20;

}  // namespace

FileBuffer ReadWholeFile(const std::string& path) {
  const std::wstring wide = LongPath("Cannot read", path);
  UniqueHandle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) throw Failure("Cannot read", path, GetLastError());
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) throw Failure("Cannot read", path, GetLastError());
  if (static_cast<std::uint64_t>(size.QuadPart) > SIZE_MAX / 2) {
    throw Failure("Cannot read", path, ERROR_NOT_ENOUGH_MEMORY);
  }
  const std::size_t expected = static_cast<std::size_t>(size.QuadPart);
  if (expected == 0) return FileBuffer();

  // The file is read as large as it was when opened.
  try {
    FileBuffer buffer(expected);
    while (buffer.unfilled_size() > 0) {
      const DWORD chunk =
          static_cast<DWORD>(std::min<std::size_t>(buffer.unfilled_size(), kMaxChunk));
      DWORD got = 0;
      if (!ReadFile(file.get(), buffer.unfilled(), chunk, &got, nullptr)) {
        throw Failure("Cannot read", path, GetLastError());
      }
      if (got == 0) break;
      buffer.MarkFilled(got);
    }
    return buffer;
  } catch (const std::bad_alloc&) {
    throw Failure("Cannot read", path, ERROR_NOT_ENOUGH_MEMORY);
  }
}

std::time_t FileDateTime(const std::string& path) {
  const std::wstring wide = LongPath("Cannot get the date of", path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
    throw Failure("Cannot get the date of", path, GetLastError());
  }
  // FILETIME counts 100-nanosecond steps since 1601-01-01 UTC.
  const std::uint64_t ticks = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                              data.ftLastWriteTime.dwLowDateTime;
  constexpr std::uint64_t kUnixEpoch = 116444736000000000ULL;
  return static_cast<std::time_t>((static_cast<std::int64_t>(ticks - kUnixEpoch)) / 10000000);
}

}  // namespace velloran::platform
