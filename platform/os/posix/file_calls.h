#pragma once

// The system calls that replacing a file makes, behind one interface. A
// writer is handed the calls it makes; the program hands it SystemFileCalls(),
// which goes straight to the system, and a test hands it calls of which one
// fails, to see that every failure leaves the target and its folder sound.
// Each call behaves as its namesake ending in "at" (openat, renameat, ...)
// or taking a descriptor (fsync, fchmod, ...): it returns -1 and sets errno
// on failure.

#include <sys/types.h>

#include <cstddef>

namespace velloran::platform::posix {

class FileCalls {
 public:
  virtual ~FileCalls() = default;

  virtual int Open(int folder, const char* path, int flags, mode_t mode) const;
  virtual ssize_t Write(int fd, const void* bytes, std::size_t size) const;
  virtual int Fsync(int fd) const;
  virtual int Ftruncate(int fd, off_t length) const;
  virtual int Fchmod(int fd, mode_t mode) const;
  virtual int Fchown(int fd, uid_t owner, gid_t group) const;
  virtual int Fsetxattr(int fd, const char* name, const void* value, std::size_t size) const;
  virtual int Rename(int from_folder, const char* from, int to_folder, const char* to) const;
  virtual int Link(int from_folder, const char* from, int to_folder, const char* to,
                   int flags) const;
};

// The calls as the system makes them.
const FileCalls& SystemFileCalls();

}  // namespace velloran::platform::posix
