// Files on Linux and other POSIX systems: file dates, and atomic replacement
// by a flushed temporary file renamed over the target.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <system_error>
#include <utility>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/os/posix/posix_fd.h"

namespace velloran::platform {
namespace {

// One write() moves at most this much; Linux stops a little below 2 GiB anyway.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;

using posix::CheckPath;
using posix::Failure;
using posix::UniqueFd;

}  // namespace

std::time_t FileDateTime(const std::string& path) {
  CheckPath("Cannot get the date of", path);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) throw Failure("Cannot get the date of", path, errno);
  return info.st_mtime;
}

struct AtomicFileWriter::Impl {
  std::string target;
  std::string temp;
  int fd = -1;
  bool renamed = false;
  std::uint64_t written = 0;
  std::uint64_t flush_started = 0;  // bytes already handed to the disk

  // Lets the disk start on what has been written so far, so the flush in
  // Commit overlaps the writing instead of following it.
  void StartFlushing() {
#ifdef SYNC_FILE_RANGE_WRITE
    constexpr std::uint64_t kFlushStep = std::uint64_t{8} << 20;
    if (written - flush_started < kFlushStep) return;
    ::sync_file_range(fd, static_cast<off_t>(flush_started),
                      static_cast<off_t>(written - flush_started), SYNC_FILE_RANGE_WRITE);
    flush_started = written;
#endif
  }

  ~Impl() {
    if (fd >= 0) ::close(fd);
    if (!temp.empty() && !renamed) ::unlink(temp.c_str());
  }
};

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name for the temporary file, hidden, in the target's folder, short
// enough for any file system whatever the target's own name.
std::string TemporaryName(const std::string& target, unsigned attempt) {
  const auto stamp =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::string name = NameOf(target).substr(0, 100);
  return FolderOf(target) + "/." + name + ".velloran-" + std::to_string(::getpid()) + "-" +
         std::to_string(stamp % 1000000007ULL) + "-" + std::to_string(attempt) + ".tmp";
}

// Flushes the folder so the rename itself survives a power loss. A failure
// here cannot undo the replacement, so it is not reported.
void FlushFolder(const std::string& path) {
  UniqueFd folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& target_path)
    : impl_(std::make_unique<Impl>()) {
  impl_->target = target_path;
  CheckPath("Cannot write", target_path);

  struct stat existing {};
  const bool exists = ::stat(target_path.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) throw Failure("Cannot write", target_path, EISDIR);
  if (exists && ::access(target_path.c_str(), W_OK) != 0) {
    throw Failure("Cannot write", target_path, errno);
  }

  for (unsigned attempt = 0;; ++attempt) {
    std::string temp = TemporaryName(target_path, attempt);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      impl_->fd = fd;
      impl_->temp = std::move(temp);
      break;
    }
    if (errno != EEXIST || attempt >= 100) throw Failure("Cannot write", target_path, errno);
  }
  // The replacement keeps the permissions of the file it replaces.
  if (exists) ::fchmod(impl_->fd, existing.st_mode & 07777);
}

AtomicFileWriter::~AtomicFileWriter() = default;

void AtomicFileWriter::Write(std::string_view bytes) {
  if (impl_->fd < 0) throw Error("Cannot write", impl_->target, "The file is already closed.");
  while (!bytes.empty()) {
    const ssize_t put = ::write(impl_->fd, bytes.data(), std::min(bytes.size(), kMaxChunk));
    if (put < 0) {
      if (errno == EINTR) continue;
      throw Failure("Cannot write", impl_->target, errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(put));
    impl_->written += static_cast<std::uint64_t>(put);
  }
  impl_->StartFlushing();
}

void AtomicFileWriter::Commit() {
  if (impl_->fd < 0) throw Error("Cannot write", impl_->target, "The file is already closed.");
  if (::fsync(impl_->fd) != 0) throw Failure("Cannot write", impl_->target, errno);
  const int fd = std::exchange(impl_->fd, -1);
  if (::close(fd) != 0) throw Failure("Cannot write", impl_->target, errno);
  if (::rename(impl_->temp.c_str(), impl_->target.c_str()) != 0) {
    throw Failure("Cannot write", impl_->target, errno);
  }
  impl_->renamed = true;
  FlushFolder(impl_->target);
}

}  // namespace velloran::platform
