// Temporary data on Linux and other POSIX systems: files without a name
// (O_TMPFILE, or a private file unlinked as soon as it exists), so nothing
// is left on the disk however the process ends.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "platform/os/posix/paths_and_descriptors.h"
#include "platform/os/temporary_folder.h"
#include "platform/os_messages.h"
#include "platform/temporary_file.h"

namespace velloran::platform {
namespace {

constexpr std::string_view kCannotKeep = os_messages::kCannotKeepTemporaryData;
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;

int CreateUnnamed(const std::string& folder) {
#ifdef O_TMPFILE
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return -1;
#endif
  // Without O_TMPFILE: a private file removed again at once.
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::string name = folder + "/.velloran-" + std::to_string(::getpid()) + "-" +
                             std::to_string(stamp) + "-" + std::to_string(attempt) + ".tmp";
    const int named = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (named >= 0) {
      ::unlink(name.c_str());
      return named;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

}  // namespace

std::uint64_t FreeSpace(const std::string& folder) {
  struct statvfs info {};
  if (::statvfs(folder.c_str(), &info) != 0) return 0;
  return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

std::string os::SystemTemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

std::string os::FolderHolding(const std::string& path) { return posix::FolderOf(path); }

struct TemporaryFile::Impl {
  std::string folder;
  posix::UniqueFd fd;
  std::uint64_t size = 0;
};

TemporaryFile::TemporaryFile(const std::string& folder) : impl_(std::make_unique<Impl>()) {
  impl_->folder = folder;
  posix::CheckPath(kCannotKeep, folder);
  impl_->fd = posix::UniqueFd(CreateUnnamed(folder));
  if (impl_->fd.get() < 0) throw posix::Failure(kCannotKeep, folder, errno);
}

TemporaryFile::TemporaryFile(TemporaryFile&&) noexcept = default;
TemporaryFile& TemporaryFile::operator=(TemporaryFile&&) noexcept = default;
TemporaryFile::~TemporaryFile() = default;

void TemporaryFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(impl_->fd.get(), bytes.data(), std::min(bytes.size(), kMaxChunk));
    if (put < 0) {
      if (errno == EINTR) continue;
      throw posix::Failure(kCannotKeep, impl_->folder, errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(put));
    impl_->size += static_cast<std::uint64_t>(put);
  }
}

std::uint64_t TemporaryFile::size() const { return impl_->size; }

std::size_t TemporaryFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
  std::size_t filled = 0;
  while (filled < size) {
    const ssize_t got = ::pread(impl_->fd.get(), data + filled, std::min(size - filled, kMaxChunk),
                                static_cast<off_t>(offset + filled));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw posix::Failure(kCannotKeep, impl_->folder, errno);
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  return filled;
}

}  // namespace velloran::platform
