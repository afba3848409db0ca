#pragma once

#include <fcntl.h>

#include <cerrno>

#include "platform/os/posix/file_calls.h"

namespace velloran::testing {

// Calls that cannot create unnamed temporary files, as on file systems
// without O_TMPFILE: every temporary file has a name from the start.
class NamedTemporaryCalls : public platform::posix::FileCalls {
 public:
  int Open(int folder, const char* path, int flags, mode_t mode) const override {
    if ((flags & O_TMPFILE) == O_TMPFILE) {
      errno = EOPNOTSUPP;
      return -1;
    }
    return FileCalls::Open(folder, path, flags, mode);
  }
};

}  // namespace velloran::testing
