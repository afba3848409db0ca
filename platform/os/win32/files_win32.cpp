// Files on Windows: UTF-8 paths converted to UTF-16 for the wide API, file
// dates, and atomic replacement by a flushed temporary file moved over the
// target. Only kernel32 is used.
#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <utility>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/os/win32/win32_handle.h"

namespace velloran::platform {
namespace {

// ReadFile and WriteFile take 32-bit counts; move at most this much per call.
constexpr DWORD kMaxChunk = DWORD{64} << 20;

using win32::Failure;
using win32::WidePath;

}  // namespace

std::time_t FileDateTime(const std::string& path) {
  const std::wstring wide = WidePath("Cannot get the date of", path);
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

struct AtomicFileWriter::Impl {
  std::string target;
  std::wstring wide_target;
  std::wstring temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  bool moved = false;

  ~Impl() {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!temp.empty() && !moved) DeleteFileW(temp.c_str());
  }
};

namespace {

// A name for the temporary file in the target's folder, short enough for
// any file system whatever the target's own name.
std::wstring TemporaryName(const std::wstring& target, unsigned attempt) {
  const std::size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash);
  const std::wstring name = (slash == std::wstring::npos ? target : target.substr(slash + 1));
  return folder + L"\\~" + name.substr(0, 100) + L".velloran-" +
         std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) + L"-" +
         std::to_wstring(attempt) + L".tmp";
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& target_path)
    : impl_(std::make_unique<Impl>()) {
  impl_->target = target_path;
  impl_->wide_target = WidePath("Cannot write", target_path);

  const DWORD attributes = GetFileAttributesW(impl_->wide_target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      throw Error("Cannot write", target_path, "The path names a folder, not a file.");
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      throw Failure("Cannot write", target_path, ERROR_ACCESS_DENIED);
    }
  }

  for (unsigned attempt = 0;; ++attempt) {
    std::wstring temp = TemporaryName(impl_->wide_target, attempt);
    const HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      impl_->file = file;
      impl_->temp = std::move(temp);
      return;
    }
    const DWORD error = GetLastError();
    if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt >= 100) {
      throw Failure("Cannot write", target_path, error);
    }
  }
}

AtomicFileWriter::~AtomicFileWriter() = default;

void AtomicFileWriter::Write(std::string_view bytes) {
  if (impl_->file == INVALID_HANDLE_VALUE) {
    throw Error("Cannot write", impl_->target, "The file is already closed.");
  }
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kMaxChunk));
    DWORD put = 0;
    if (!WriteFile(impl_->file, bytes.data(), chunk, &put, nullptr)) {
      throw Failure("Cannot write", impl_->target, GetLastError());
    }
    if (put == 0) throw Failure("Cannot write", impl_->target, ERROR_WRITE_FAULT);
    bytes.remove_prefix(put);
  }
}

void AtomicFileWriter::Commit() {
  if (impl_->file == INVALID_HANDLE_VALUE) {
    throw Error("Cannot write", impl_->target, "The file is already closed.");
  }
  if (!FlushFileBuffers(impl_->file)) throw Failure("Cannot write", impl_->target, GetLastError());
  const HANDLE file = std::exchange(impl_->file, INVALID_HANDLE_VALUE);
  if (!CloseHandle(file)) throw Failure("Cannot write", impl_->target, GetLastError());
  if (!MoveFileExW(impl_->temp.c_str(), impl_->wide_target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw Failure("Cannot write", impl_->target, GetLastError());
  }
  impl_->moved = true;
}

}  // namespace velloran::platform
