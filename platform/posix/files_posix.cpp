// Files on Linux and other POSIX systems: whole-file reads into anonymous
// memory (large pages for big files), file dates, and atomic replacement by
// a flushed temporary file renamed over the target.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/mman.h>
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

namespace velloran::platform {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// One read() moves at most this much; Linux stops a little below 2 GiB anyway.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;
// Starting size for files that do not tell their size (pipes, devices).
constexpr std::size_t kUnsizedStart = std::size_t{64} << 10;

std::string Reason(int error_number) {
  return std::generic_category().message(error_number);
}

Error Failure(std::string_view what, const std::string& path, int error_number) {
  return Error(what, path, Reason(error_number));
}

// A path with a NUL inside would silently name a different file.
void CheckPath(std::string_view what, const std::string& path) {
  if (path.find('\0') != std::string::npos) {
    throw Error(what, path, "The path contains a NUL character.");
  }
}

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

std::size_t RoundUp(std::size_t value, std::size_t multiple) {
  return (value + multiple - 1) / multiple * multiple;
}

// Large arrays are mapped in whole large pages once they are this big.
std::size_t MappedLength(std::size_t bytes) {
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return RoundUp(bytes, bytes >= kHugePage ? kHugePage : page);
}

// Anonymous memory of MappedLength(bytes), aligned to a large page when it
// is big enough to use them, so every large page inside it can be one.
char* MapAnonymous(std::size_t bytes) {
  const std::size_t length = MappedLength(bytes);
  const bool huge = length >= kHugePage;
  const std::size_t reserve = huge ? length + kHugePage : length;
  void* mapped =
      ::mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  char* start = static_cast<char*>(mapped);
  if (!huge) return start;
  char* aligned =
      reinterpret_cast<char*>(RoundUp(reinterpret_cast<std::uintptr_t>(start), kHugePage));
  if (aligned != start) ::munmap(start, static_cast<std::size_t>(aligned - start));
  char* end = start + reserve;
  if (aligned + length != end) {
    ::munmap(aligned + length, static_cast<std::size_t>(end - (aligned + length)));
  }
#ifdef MADV_HUGEPAGE
  ::madvise(aligned, length, MADV_HUGEPAGE);
#endif
  return aligned;
}

struct Mapping {
  char* data = nullptr;
  std::size_t length = 0;

  Mapping() = default;
  explicit Mapping(std::size_t bytes) : data(MapAnonymous(bytes)), length(MappedLength(bytes)) {
    if (data == nullptr) throw std::system_error(errno, std::generic_category());
  }
  Mapping(Mapping&& other) noexcept
      : data(std::exchange(other.data, nullptr)), length(std::exchange(other.length, 0)) {}
  Mapping& operator=(Mapping&& other) noexcept {
    std::swap(data, other.data);
    std::swap(length, other.length);
    return *this;
  }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  ~Mapping() {
    if (data != nullptr) ::munmap(data, length);
  }
};

// Reads until end of file or until `memory` is full; returns the bytes read.
std::size_t ReadInto(int fd, const Mapping& memory, std::size_t filled,
                     const std::string& path) {
  while (filled < memory.length) {
    const std::size_t chunk = std::min(memory.length - filled, kMaxChunk);
    const ssize_t got = ::read(fd, memory.data + filled, chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw Failure("Cannot read", path, errno);
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  return filled;
}

}  // namespace

FileBuffer ReadWholeFile(const std::string& path) {
  CheckPath("Cannot read", path);
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) throw Failure("Cannot read", path, errno);
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) throw Failure("Cannot read", path, errno);
  if (S_ISDIR(info.st_mode)) throw Failure("Cannot read", path, EISDIR);

  const bool sized = S_ISREG(info.st_mode);
  if (sized && static_cast<std::uintmax_t>(info.st_size) > SIZE_MAX / 2) {
    throw Failure("Cannot read", path, EFBIG);
  }
  const std::size_t expected = sized ? static_cast<std::size_t>(info.st_size) : kUnsizedStart;
  if (expected == 0) return FileBuffer();

  Mapping memory;
  std::size_t filled = 0;
  try {
    memory = Mapping(expected);
    filled = ReadInto(fd.get(), memory, 0, path);
    // A regular file is read as large as it was when opened; anything else
    // is read to its end, doubling the buffer as it fills.
    while (!sized && filled == memory.length) {
      Mapping larger(memory.length * 2);
      std::memcpy(larger.data, memory.data, filled);
      memory = std::move(larger);
      filled = ReadInto(fd.get(), memory, filled, path);
    }
  } catch (const std::system_error& e) {
    throw Failure("Cannot read", path, e.code().value());
  }

  FileBuffer buffer;
  buffer.data_ = std::exchange(memory.data, nullptr);
  buffer.capacity_ = std::exchange(memory.length, 0);
  buffer.size_ = filled;
  return buffer;
}

void* AllocateLargeArray(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  void* data = MapAnonymous(bytes);
  if (data == nullptr) throw std::bad_alloc();
  return data;
}

void FreeLargeArray(void* data, std::size_t bytes) noexcept {
  if (data != nullptr) ::munmap(data, MappedLength(bytes == 0 ? 1 : bytes));
}

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
  const auto stamp = static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count());
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
