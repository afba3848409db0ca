// Input files on Windows. Only disk files are read: a pipe, a console or a
// device such as NUL is refused when opened.
#include <algorithm>
#include <cstdint>

#include "platform/input_file.h"
#include "platform/os/win32/paths_and_handles.h"
#include "platform/os_messages.h"

namespace velloran::platform {
namespace {

using os_messages::kCannotRead;

}  // namespace

struct InputFile::Impl {
  std::string path;
  win32::UniqueHandle file;
  BY_HANDLE_FILE_INFORMATION opened{};
  // Where Read goes on. Every read is positioned (ReadFileAt), as pread is
  // on POSIX, so ReadAt on another thread never moves it.
  std::uint64_t position = 0;

  std::uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info) const {
    return (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  }
};

InputFile::InputFile(const std::string& path) : impl_(std::make_unique<Impl>()) {
  impl_->path = path;
  const std::wstring wide = win32::LongPath(kCannotRead, path);
  impl_->file = win32::UniqueHandle(CreateFileW(wide.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!impl_->file.valid()) throw win32::Failure(kCannotRead, path, GetLastError());
  if (GetFileType(impl_->file.get()) != FILE_TYPE_DISK) {
    throw Error(kCannotRead, path, os_messages::kNotRegularInput);
  }
  if (!GetFileInformationByHandle(impl_->file.get(), &impl_->opened)) {
    throw win32::Failure(kCannotRead, path, GetLastError());
  }
  if (impl_->opened.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    throw win32::Failure(kCannotRead, path, ERROR_DIRECTORY);
  }
}

InputFile::InputFile(InputFile&&) noexcept = default;
InputFile& InputFile::operator=(InputFile&&) noexcept = default;
InputFile::~InputFile() = default;

const std::string& InputFile::path() const { return impl_->path; }

std::uint64_t InputFile::size() const { return impl_->SizeOf(impl_->opened); }

std::size_t InputFile::Read(char* data, std::size_t size) {
  const std::size_t got =
      win32::ReadFileAt(impl_->file.get(), impl_->position, data, size, kCannotRead, impl_->path);
  impl_->position += got;
  return got;
}

void InputFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) {
  const std::size_t got =
      win32::ReadFileAt(impl_->file.get(), offset, data, size, kCannotRead, impl_->path);
  if (got != size) throw Error(kCannotRead, impl_->path, os_messages::kFileChanged);
}

void InputFile::Rewind() { impl_->position = 0; }

void InputFile::CheckUnchanged() const {
  BY_HANDLE_FILE_INFORMATION now{};
  if (!GetFileInformationByHandle(impl_->file.get(), &now)) {
    throw win32::Failure(kCannotRead, impl_->path, GetLastError());
  }
  const FILETIME& a = now.ftLastWriteTime;
  const FILETIME& b = impl_->opened.ftLastWriteTime;
  if (impl_->SizeOf(now) != size() || a.dwLowDateTime != b.dwLowDateTime ||
      a.dwHighDateTime != b.dwHighDateTime) {
    throw Error(kCannotRead, impl_->path, os_messages::kFileChanged);
  }
}

}  // namespace velloran::platform
