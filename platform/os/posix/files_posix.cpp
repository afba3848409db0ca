// Files on Linux and other POSIX systems: whole-file reads into large-array
// memory, and file dates. Replacing files is in file_replacer.cpp.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/os/posix/posix_files.h"

namespace velloran::platform {
namespace {

using posix::CheckPath;
using posix::Failure;
using posix::UniqueFd;

// One read() moves at most this much; Linux stops a little below 2 GiB anyway.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;
// Starting size for files that do not tell their size (pipes, devices).
constexpr std::size_t kUnsizedStart = std::size_t{64} << 10;

// Reads until end of file or until `buffer` is full.
void ReadInto(int fd, FileBuffer& buffer, const std::string& path) {
  while (buffer.unfilled_size() > 0) {
    const ssize_t got = ::read(fd, buffer.unfilled(), std::min(buffer.unfilled_size(), kMaxChunk));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw Failure("Cannot read", path, errno);
    }
    if (got == 0) break;
    buffer.MarkFilled(static_cast<std::size_t>(got));
  }
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

  try {
    FileBuffer buffer(expected);
    ReadInto(fd.get(), buffer, path);
    // A regular file is read as large as it was when opened; anything else
    // is read to its end, doubling the buffer as it fills.
    while (!sized && buffer.unfilled_size() == 0) {
      FileBuffer larger(buffer.capacity() * 2);
      std::memcpy(larger.unfilled(), buffer.data(), buffer.size());
      larger.MarkFilled(buffer.size());
      buffer = std::move(larger);
      ReadInto(fd.get(), buffer, path);
    }
    return buffer;
  } catch (const std::bad_alloc&) {
    throw Failure("Cannot read", path, ENOMEM);
  }
}

std::time_t FileDateTime(const std::string& path) {
  CheckPath("Cannot get the date of", path);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) throw Failure("Cannot get the date of", path, errno);
  return info.st_mtime;
}

}  // namespace velloran::platform
