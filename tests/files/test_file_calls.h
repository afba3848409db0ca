#pragma once

#include <fcntl.h>

#include <cerrno>

#include "platform/os/posix/file_calls.h"

namespace velloran::testing {

// The system's file calls, except that with `named_temporaries` they cannot
// create unnamed temporary files, as on file systems without O_TMPFILE:
// every temporary file then has a name from the start.
class TestFileCalls : public platform::posix::FileCalls {
 public:
  explicit TestFileCalls(bool named_temporaries) : named_temporaries_(named_temporaries) {}

  int Open(int folder, const char* path, int flags, mode_t mode) const override {
    if (named_temporaries_ && (flags & O_TMPFILE) == O_TMPFILE) {
      errno = EOPNOTSUPP;
      return -1;
    }
    return FileCalls::Open(folder, path, flags, mode);
  }

 private:
  bool named_temporaries_;
};

}  // namespace velloran::testing
