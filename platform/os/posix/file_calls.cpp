#include "platform/os/posix/file_calls.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace velloran::platform::posix {

int FileCalls::Open(int folder, const char* path, int flags, mode_t mode) const {
  return ::openat(folder, path, flags, mode);
}
ssize_t FileCalls::Write(int fd, const void* bytes, std::size_t size) const {
  return ::write(fd, bytes, size);
}
int FileCalls::Fsync(int fd) const { return ::fsync(fd); }
int FileCalls::Ftruncate(int fd, off_t length) const { return ::ftruncate(fd, length); }
int FileCalls::Fchmod(int fd, mode_t mode) const { return ::fchmod(fd, mode); }
int FileCalls::Fchown(int fd, uid_t owner, gid_t group) const { return ::fchown(fd, owner, group); }
int FileCalls::Fsetxattr(int fd, const char* name, const void* value, std::size_t size) const {
  return ::fsetxattr(fd, name, value, size, 0);
}
int FileCalls::Rename(int from_folder, const char* from, int to_folder, const char* to) const {
  return ::renameat(from_folder, from, to_folder, to);
}
int FileCalls::Link(int from_folder, const char* from, int to_folder, const char* to,
                    int flags) const {
  return ::linkat(from_folder, from, to_folder, to, flags);
}

const FileCalls& SystemFileCalls() {
  static const FileCalls calls;
  return calls;
}

}  // namespace velloran::platform::posix
