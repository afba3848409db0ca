// Input files on Linux and other POSIX systems. Opened without blocking, so
// that a FIFO without a writer is refused instead of waiting forever.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "platform/input_file.h"
#include "platform/os/posix/paths_and_descriptors.h"
#include "platform/os_messages.h"

namespace velloran::platform {
namespace {

// One read() moves at most this much; Linux stops a little below 2 GiB anyway.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;
using os_messages::kCannotRead;

bool SameState(const struct stat& a, const struct stat& b) {
  return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

}  // namespace

struct InputFile::Impl {
  std::string path;
  posix::UniqueFd fd;
  struct stat opened {};
};

InputFile::InputFile(const std::string& path) : impl_(std::make_unique<Impl>()) {
  impl_->path = path;
  posix::CheckPath(kCannotRead, path);
  impl_->fd = posix::UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  const int fd = impl_->fd.get();
  if (fd < 0) throw posix::Failure(kCannotRead, path, errno);
  if (::fstat(fd, &impl_->opened) != 0) throw posix::Failure(kCannotRead, path, errno);
  const mode_t mode = impl_->opened.st_mode;
  if (S_ISDIR(mode)) throw posix::Failure(kCannotRead, path, EISDIR);
  if (!S_ISREG(mode)) {
    throw Error(kCannotRead, path, os_messages::kNotRegularInput);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

InputFile::InputFile(InputFile&&) noexcept = default;
InputFile& InputFile::operator=(InputFile&&) noexcept = default;
InputFile::~InputFile() = default;

const std::string& InputFile::path() const { return impl_->path; }

std::uint64_t InputFile::size() const { return static_cast<std::uint64_t>(impl_->opened.st_size); }

std::size_t InputFile::Read(char* data, std::size_t size) {
  std::size_t filled = 0;
  while (filled < size) {
    const ssize_t got = ::read(impl_->fd.get(), data + filled, std::min(size - filled, kMaxChunk));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw posix::Failure(kCannotRead, impl_->path, errno);
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  return filled;
}

void InputFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t got =
        ::pread(impl_->fd.get(), data, std::min(size, kMaxChunk), static_cast<off_t>(offset));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw posix::Failure(kCannotRead, impl_->path, errno);
    }
    if (got == 0) throw Error(kCannotRead, impl_->path, os_messages::kFileChanged);
    data += got;
    size -= static_cast<std::size_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
}

void InputFile::Rewind() {
  if (::lseek(impl_->fd.get(), 0, SEEK_SET) != 0) {
    throw posix::Failure(kCannotRead, impl_->path, errno);
  }
}

void InputFile::CheckUnchanged() const {
  struct stat now {};
  if (::fstat(impl_->fd.get(), &now) != 0) throw posix::Failure(kCannotRead, impl_->path, errno);
  if (!SameState(now, impl_->opened)) {
    throw Error(kCannotRead, impl_->path, os_messages::kFileChanged);
  }
}

}  // namespace velloran::platform
