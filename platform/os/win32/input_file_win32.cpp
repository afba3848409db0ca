// Input files on Windows. Only disk files are read: a pipe, a console or a
// device such as NUL is refused when opened.
#include <algorithm>
#include <cstdint>

#include "platform/input_file.h"
#include "platform/os/win32/paths_and_handles.h"
#include "platform/os_messages.h"

namespace velloran::platform {
namespace {

// ReadFile takes 32-bit counts; move at most this much per call.
constexpr std::size_t kMaxChunk = std::size_t{64} << 20;
using os_messages::kCannotRead;

}  // namespace

struct InputFile::Impl {
  std::string path;
  win32::UniqueHandle file;
  BY_HANDLE_FILE_INFORMATION opened{};

  std::uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info) const {
    return (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  }

  void Seek(std::uint64_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file.get(), to, nullptr, FILE_BEGIN)) {
      throw win32::Failure(kCannotRead, path, GetLastError());
    }
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
  std::size_t filled = 0;
  while (filled < size) {
    const auto chunk = static_cast<DWORD>(std::min(size - filled, kMaxChunk));
    DWORD got = 0;
    if (!ReadFile(impl_->file.get(), data + filled, chunk, &got, nullptr)) {
      throw win32::Failure(kCannotRead, impl_->path, GetLastError());
    }
    if (got == 0) break;
    filled += got;
  }
  return filled;
}

void InputFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) {
  LARGE_INTEGER here{};
  const LARGE_INTEGER zero{};
  if (!SetFilePointerEx(impl_->file.get(), zero, &here, FILE_CURRENT)) {
    throw win32::Failure(kCannotRead, impl_->path, GetLastError());
  }
  impl_->Seek(offset);
  const std::size_t got = Read(data, size);
  impl_->Seek(static_cast<std::uint64_t>(here.QuadPart));
  if (got != size) throw Error(kCannotRead, impl_->path, os_messages::kFileChanged);
}

void InputFile::Rewind() { impl_->Seek(0); }

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
